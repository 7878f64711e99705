// The process exit and the write-error checks.
#include "front/end_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "front/exit_status.h"
#include "front/options.h"
#include "front/output.h"

namespace front {

namespace {

// Closes the output file, if one is open; true when every byte written to
// it reached the file.
bool close_sink() {
  if (g_sink == nullptr || g_sink == stdout) return true;
  std::FILE* file = g_sink;
  g_sink = nullptr;
  const bool failed = std::ferror(file) != 0;
  return std::fclose(file) == 0 && !failed;
}

void report_sink_failure() {
  std::printf("Errore in scrittura dell'archivio %s\n", g_settings.output_name);
}

// A failed standard output that is a pipe: its reader has gone (a write to
// a pipe fails for no other reason worth telling apart).
bool stdout_is_pipe() {
  struct stat info;
  return fstat(STDOUT_FILENO, &info) == 0 && S_ISFIFO(info.st_mode);
}

// Ends the process as any filter whose reader has gone: by SIGPIPE, with no
// message (nothing can be said on the pipe). The output file is closed
// already.
[[noreturn]] void end_by_broken_pipe(int status) {
  std::signal(SIGPIPE, SIG_DFL);
  std::raise(SIGPIPE);
  std::_Exit(status);  // only if the signal could not end the process
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
  std::signal(SIGPIPE, SIG_IGN);
}

void check_stdout() {
  if (std::ferror(stdout)) end_run(kExitFileOrContradiction);
}

void check_sink() {
  if (g_sink != nullptr && g_sink != stdout && std::ferror(g_sink)) {
    close_sink();
    report_sink_failure();
    end_run(kExitFileOrContradiction);
  }
}

void end_run(int status) {
  if (!close_sink()) {
    report_sink_failure();
    status = kExitFileOrContradiction;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    if (stdout_is_pipe()) end_by_broken_pipe(status);
    std::fputs("vortel: errore in scrittura sullo standard output\n", stderr);
    status = kExitFileOrContradiction;
  }
  std::exit(status);
}

}  // namespace front
