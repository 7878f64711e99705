// The single way out of the process, and the checks of the two output
// streams that may end a run early.
#ifndef VORTEL_FRONT_END_RUN_H_
#define VORTEL_FRONT_END_RUN_H_

namespace front {

/// Ends the run with an output-file write error (message, status 2) if the
/// sink has failed; returns otherwise. Lets a long -S run stop at once when
/// the disk fills instead of searching on with nothing written.
void check_sink();

/// The only exit of the process. Flushes and checks the output file and
/// standard output: a failed write turns the status into 2 with a message
/// (on standard output for the file, on standard error for standard output
/// itself), so a truncated result never ends as a success.
[[noreturn]] void end_run(int status);

}  // namespace front

#endif  // VORTEL_FRONT_END_RUN_H_
