// The screen stream over descriptor 1.
#include "front/screen.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "front/signals.h"

namespace front {

namespace {

// Standard output's reader has gone (a write failed with EPIPE).
bool g_screen_gone = false;
// SIGPIPE was ignored by whoever started vortel, which is then not to be
// ended by it.
bool g_sigpipe_ignored = false;

// The screen stream's write: all of `size` bytes to descriptor 1. A write
// that would block waits for the descriptor to take more; a gone reader
// turns every later write into a dropped one, and so does a stop signal
// (its handler has closed the descriptor, so that nothing can block); any
// other failure is the stream's error.
ssize_t write_screen(void* /*cookie*/, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (!g_screen_gone && stop_signal() == 0 && done < size) {
    const ssize_t wrote = write(STDOUT_FILENO, data + done, size - done);
    if (wrote >= 0) {
      done += static_cast<std::size_t>(wrote);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd descriptor{STDOUT_FILENO, POLLOUT, 0};
      poll(&descriptor, 1, -1);  // a stop signal ends the wait
    } else if (errno == EPIPE) {
      g_screen_gone = true;
    } else if (errno != EINTR) {
      return -1;
    }
  }
  return static_cast<ssize_t>(size);
}

}  // namespace

void prepare_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    // open returns the lowest free descriptor, which is this one. A path
    // handle on "/" is there even in a chroot without /dev, needs no
    // permission, and can be neither read nor written: reopened through
    // /dev/stdin it is a directory, which no puzzle reader can read.
    open("/", O_PATH);
  }
  std::signal(SIGXFSZ, SIG_IGN);
  g_sigpipe_ignored = std::signal(SIGPIPE, SIG_IGN) == SIG_IGN;
  const cookie_io_functions_t screen_io{nullptr, write_screen, nullptr,
                                        nullptr};
  std::FILE* screen = fopencookie(nullptr, "w", screen_io);
  if (screen == nullptr) return;  // no memory: the plain stream then
  // Buffered as the C library buffers standard output: by lines on a
  // terminal, else in large blocks.
  std::setvbuf(screen, nullptr, isatty(STDOUT_FILENO) ? _IOLBF : _IOFBF,
               BUFSIZ);
  stdout = screen;
}

bool screen_reader_gone() {
  return g_screen_gone;
}

bool screen_is_good() {
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 && !g_screen_gone;
}

bool sigpipe_can_end_process() {
  sigset_t blocked;
  sigemptyset(&blocked);
  sigprocmask(SIG_BLOCK, nullptr, &blocked);
  return !g_sigpipe_ignored && sigismember(&blocked, SIGPIPE) == 0;
}

}  // namespace front
