// The single way out of the process, and the checks of the two output
// streams that may end a run early. It knows the output file only as
// registered here, so that it depends on no other part of the front end
// but the screen stream and the stop signals below it.
#ifndef VORTEL_FRONT_END_RUN_H_
#define VORTEL_FRONT_END_RUN_H_

#include <cstdio>

namespace front {

/// The output file that -s or -S opened, and its name for messages. From
/// then on the stop signals (see catch_stop_signals) only note themselves:
/// check_interrupt ends the run at the next whole board.
void register_output_file(std::FILE* file, const char* name);

/// The output file has received everything it will get (a count writes
/// only the two phase boards there): from now on a screen whose reader has
/// gone ends the run, as it does without an output file. The file itself
/// is closed, and a failure to write it reported, when the run ends.
void output_file_complete();

/// When a stop signal has arrived: flushes and closes the output file,
/// which then ends with a whole board, gives up what the screen still had
/// to take, and ends the process by that signal. Returns otherwise. Called
/// where the run writes boards and progress lines.
void check_interrupt();

/// Ends the run with an output-file write error (message, status 2) if the
/// output file has failed; returns otherwise. Lets a long -S run stop at
/// once when the disk fills instead of searching on with nothing written.
void check_sink();

/// Ends the run as end_run does for a failed standard output if a write to
/// it has failed; returns otherwise. A reader that has gone ends the run
/// only when the output file has nothing more to receive: while it has,
/// the screen's output is dropped and the file completed. Called after
/// every board and progress line the search writes to the screen, so a
/// full disk or a closed descriptor stops a run that would otherwise go on
/// writing into nothing.
void check_stdout();

/// The only exit of the process. Flushes and checks the output file and
/// standard output: a failed write turns the status into 2 with a message
/// (on standard output for the file, or on standard error when standard
/// output cannot take it; on standard error for standard output itself), so
/// a truncated result never ends as a success. When standard output's
/// reader has gone, the output file is completed and the process then ends
/// by SIGPIPE, as any filter does, with no message; when SIGPIPE cannot end
/// it (blocked, or ignored by whoever started vortel) the failed standard
/// output is reported and the status is 2.
[[noreturn]] void end_run(int status);

/// As end_run, but without the program's exit-time code (its destructor
/// tables and exit handlers), which a program found altered cannot be
/// trusted to run: the streams are flushed and checked, then the process
/// ends at once.
[[noreturn]] void end_altered_run(int status);

}  // namespace front

#endif  // VORTEL_FRONT_END_RUN_H_
