// The single way out of the process, and the checks of the two output
// streams that may end a run early.
#ifndef VORTEL_FRONT_END_RUN_H_
#define VORTEL_FRONT_END_RUN_H_

namespace front {

/// Ends the run with an output-file write error (message, status 2) if the
/// sink has failed; returns otherwise. Lets a long -S run stop at once when
/// the disk fills instead of searching on with nothing written.
void check_sink();

/// Ends the run as end_run does for a failed standard output (message on
/// standard error, status 2) if a write to it has failed; returns
/// otherwise. Called after every board and progress line the search
/// writes to the screen, so a full disk or a closed descriptor stops a run
/// that would otherwise go on writing into nothing.
void check_stdout();

/// Makes the process safe to write from, before any file is opened: closed
/// descriptors 0, 1 and 2 are occupied (by /dev/null opened read-only, so
/// writes to them fail and are reported), so that an output file can never
/// become standard output or standard error; a file-size limit makes writes
/// fail instead of killing the process (SIGXFSZ ignored); and a closed pipe
/// is noticed as a failed write (SIGPIPE ignored) so that the output file
/// is completed before the process ends.
void prepare_streams();

/// The only exit of the process. Flushes and checks the output file and
/// standard output: a failed write turns the status into 2 with a message
/// (on standard output for the file, on standard error for standard output
/// itself), so a truncated result never ends as a success. When standard
/// output is a pipe whose reader has gone, the output file is completed
/// and the process then ends by SIGPIPE, as any filter does, with no
/// message.
[[noreturn]] void end_run(int status);

}  // namespace front

#endif  // VORTEL_FRONT_END_RUN_H_
