// The stop signals: their list, the handler that notes them, and the end of
// the process by a signal.
#include "front/signals.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace front {

namespace {

// The first stop signal to arrive; 0 for none. Set by the handler only.
volatile std::sig_atomic_t g_stop_signal = 0;

void note_stop(int number) {
  const int saved_errno = errno;
  if (g_stop_signal == 0) g_stop_signal = number;
  // Nothing more is to reach the screen, and a write must not wait on it.
  close(STDOUT_FILENO);
  errno = saved_errno;
}

// The signals whose default action ends the process, apart from SIGKILL,
// SIGPIPE, SIGXFSZ and the faults (see catch_stop_signals); the real-time
// signals come from SIGRTMIN and SIGRTMAX, which the C library decides.
constexpr int kStopSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGUSR1, SIGUSR2,
                                SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGVTALRM,
                                SIGPROF, SIGIO,   SIGPWR};

// Catches `number` unless it is ignored (or already caught by a sanitizer's
// runtime, which knows best).
void catch_one(int number, const struct sigaction& stop) {
  struct sigaction before {};
  if (sigaction(number, nullptr, &before) != 0) return;
  if (before.sa_handler == SIG_DFL) sigaction(number, &stop, nullptr);
}

}  // namespace

void catch_stop_signals() {
  struct sigaction stop {};
  stop.sa_handler = note_stop;
  // No SA_RESTART: a write blocked on the screen must return to its loop,
  // which sees the signal.
  stop.sa_flags = 0;
  sigemptyset(&stop.sa_mask);
  for (const int number : kStopSignals) sigaddset(&stop.sa_mask, number);
  for (int number = SIGRTMIN; number <= SIGRTMAX; ++number) {
    sigaddset(&stop.sa_mask, number);
  }
  for (const int number : kStopSignals) catch_one(number, stop);
  for (int number = SIGRTMIN; number <= SIGRTMAX; ++number) {
    catch_one(number, stop);
  }
}

int stop_signal() {
  return g_stop_signal;
}

void end_by_signal(int number) {
  std::signal(number, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, number);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(number);
  std::_Exit(128 + number);  // not reached
}

}  // namespace front
