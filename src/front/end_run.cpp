// The process exit, the screen stream and the write-error checks.
#include "front/end_run.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>

#include "front/exit_status.h"

namespace front {

namespace {

// The output file being written, as registered; null when there is none.
std::FILE* g_file = nullptr;
const char* g_file_name = "";

// Standard output's reader has gone (a write failed with EPIPE): what is
// written to the screen is dropped from then on.
bool g_screen_gone = false;
// SIGPIPE was ignored by whoever started vortel, which is then not to be
// ended by it.
bool g_sigpipe_ignored = false;
// SIGINT, SIGTERM or SIGHUP, arrived while an output file was open; 0 for
// none. Set by the handler only.
volatile std::sig_atomic_t g_stop_signal = 0;

void note_stop(int number) {
  g_stop_signal = number;
}

// The screen stream's write: all of `size` bytes to descriptor 1. A write
// that would block waits for the descriptor to take more; a gone reader
// turns every later write into a dropped one; any other failure is the
// stream's error.
ssize_t write_screen(void* /*cookie*/, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (!g_screen_gone && done < size) {
    const ssize_t wrote = write(STDOUT_FILENO, data + done, size - done);
    if (wrote >= 0) {
      done += static_cast<std::size_t>(wrote);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd descriptor{STDOUT_FILENO, POLLOUT, 0};
      poll(&descriptor, 1, -1);
    } else if (errno == EPIPE) {
      g_screen_gone = true;
    } else if (errno != EINTR || g_stop_signal != 0) {
      return -1;  // EINTR with a stop: let the run reach its check
    }
  }
  return static_cast<ssize_t>(size);
}

bool screen_is_good() {
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 && !g_screen_gone;
}

// Closes the output file, if one is open; true when every byte written to
// it reached the file.
bool close_file() {
  if (g_file == nullptr) return true;
  std::FILE* file = g_file;
  g_file = nullptr;
  const bool failed = std::ferror(file) != 0;
  return std::fclose(file) == 0 && !failed;
}

// The output file's failure, on the screen while it can take it, else on
// standard error. Returns whether the screen is still good.
bool say_file_failure(bool screen_good) {
  static constexpr const char* kMessage =
      "Errore in scrittura dell'archivio %s\n";
  if (screen_good) {
    std::printf(kMessage, g_file_name);
    screen_good = screen_is_good();
  }
  if (!screen_good) std::fprintf(stderr, kMessage, g_file_name);
  return screen_good;
}

bool sigpipe_can_end_process() {
  sigset_t blocked;
  sigemptyset(&blocked);
  sigprocmask(SIG_BLOCK, nullptr, &blocked);
  return !g_sigpipe_ignored && sigismember(&blocked, SIGPIPE) == 0;
}

// Ends the process by `number`, as if it had never been caught.
[[noreturn]] void end_by_signal(int number) {
  std::signal(number, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, number);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(number);
  std::_Exit(128 + number);  // not reached
}

}  // namespace

void prepare_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    // open returns the lowest free descriptor, which is this one. "/" is
    // there even in a chroot without /dev; neither can be written.
    if (open("/dev/null", O_RDONLY) != fd) open("/", O_RDONLY);
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

void register_output_file(std::FILE* file, const char* name) {
  g_file = file;
  g_file_name = name;
  struct sigaction stop {};
  stop.sa_handler = note_stop;
  stop.sa_flags = SA_RESTART;
  sigemptyset(&stop.sa_mask);
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    sigaction(number, nullptr, &before);
    if (before.sa_handler != SIG_IGN) sigaction(number, &stop, nullptr);
  }
}

void check_interrupt() {
  if (g_stop_signal == 0) return;
  close_file();
  std::fflush(stdout);
  end_by_signal(g_stop_signal);
}

void check_stdout() {
  if (g_screen_gone && g_file != nullptr) return;
  if (g_screen_gone || std::ferror(stdout) != 0) {
    end_run(kExitFileOrContradiction);
  }
}

void check_sink() {
  if (g_file != nullptr && std::ferror(g_file) != 0) {
    close_file();
    say_file_failure(screen_is_good());
    end_run(kExitFileOrContradiction);
  }
}

void end_run(int status) {
  check_interrupt();
  const bool file_good = close_file();
  bool screen_good = screen_is_good();
  if (!file_good) {
    status = kExitFileOrContradiction;
    screen_good = say_file_failure(screen_good);
  }
  if (!screen_good) {
    if (g_screen_gone && file_good && sigpipe_can_end_process()) {
      end_by_signal(SIGPIPE);
    }
    std::fputs("vortel: errore in scrittura sullo standard output\n", stderr);
    status = kExitFileOrContradiction;
  }
  std::exit(status);
}

}  // namespace front
