// The single way out of the process, the screen stream, and the checks of
// the two output streams that may end a run early. It knows the output
// file only as registered here, so that it depends on no other part of
// the front end.
#ifndef VORTEL_FRONT_END_RUN_H_
#define VORTEL_FRONT_END_RUN_H_

#include <cstdio>

namespace front {

/// Makes the process safe to write from, before any file is opened: closed
/// descriptors 0, 1 and 2 are occupied (by /dev/null opened read-only, so
/// writes to them fail and are reported), so that an output file can never
/// become standard output or standard error; a file-size limit makes writes
/// fail instead of killing the process (SIGXFSZ ignored); a closed pipe is
/// noticed as a failed write (SIGPIPE ignored) so that the output file is
/// completed before the process ends. Standard output becomes the screen
/// stream: the same bytes, written so that a write that would block (a
/// non-blocking pipe with a slow reader) waits and goes on, and a reader
/// that has gone (EPIPE) is told apart from any other failure.
void prepare_streams();

/// The output file that -s or -S opened, and its name for messages. From
/// then on SIGINT, SIGTERM and SIGHUP (unless ignored) only note themselves:
/// check_interrupt ends the run at the next whole board.
void register_output_file(std::FILE* file, const char* name);

/// When SIGINT, SIGTERM or SIGHUP has arrived: flushes and closes the
/// output file, which then ends with a whole board, and ends the process by
/// that signal. Returns otherwise. Called where the run writes boards.
void check_interrupt();

/// Ends the run with an output-file write error (message, status 2) if the
/// output file has failed; returns otherwise. Lets a long -S run stop at
/// once when the disk fills instead of searching on with nothing written.
void check_sink();

/// Ends the run as end_run does for a failed standard output if a write to
/// it has failed; returns otherwise. A reader that has gone ends the run
/// only when no output file is being written: while one is, the screen's
/// output is dropped and the file completed. Called after every board and
/// progress line the search writes to the screen, so a full disk or a
/// closed descriptor stops a run that would otherwise go on writing into
/// nothing.
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

}  // namespace front

#endif  // VORTEL_FRONT_END_RUN_H_
