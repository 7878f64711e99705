// Stop signals: while an output file is being written, every signal whose
// default action would end the process only notes itself, so that the run
// can end between two boards, with the file whole, by that same signal.
#ifndef VORTEL_FRONT_SIGNALS_H_
#define VORTEL_FRONT_SIGNALS_H_

namespace front {

/// From now on every signal whose default action ends the process is
/// caught, except those that whoever started vortel ignored (they stay
/// ignored), SIGPIPE and SIGXFSZ (ignored from the start, failed writes
/// say what they mean) and the faults of the program itself (SIGSEGV,
/// SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS: a program in fault must
/// not write on). A caught signal is noted, and standard output is closed
/// at once: the screen's pending output is given up, a write blocked on a
/// stalled reader returns (the handler does not restart it) and no later
/// write can block. The run then ends at its next check.
void catch_stop_signals();

/// The first stop signal that has arrived; 0 for none.
int stop_signal();

/// Ends the process by `number`, as if the signal had never been caught:
/// its default action, unblocked. Does not return.
[[noreturn]] void end_by_signal(int number);

}  // namespace front

#endif  // VORTEL_FRONT_SIGNALS_H_
