// The process exit and the write-error checks.
#include "front/end_run.h"

#include <csignal>
#include <cstdlib>

#include "front/exit_status.h"
#include "front/screen.h"
#include "front/signals.h"

namespace front {

namespace {

// The output file being written, as registered; null when there is none.
std::FILE* g_file = nullptr;
const char* g_file_name = "";
// The output file will receive nothing more.
bool g_file_complete = false;

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

}  // namespace

void register_output_file(std::FILE* file, const char* name) {
  g_file = file;
  g_file_name = name;
  catch_stop_signals();
}

void output_file_complete() {
  g_file_complete = true;
}

void check_interrupt() {
  const int number = stop_signal();
  if (number == 0) return;
  close_file();
  end_by_signal(number);
}

void check_stdout() {
  const bool gone = screen_reader_gone();
  if (gone && g_file != nullptr && !g_file_complete) return;
  if (gone || std::ferror(stdout) != 0) end_run(kExitFileOrContradiction);
}

void check_sink() {
  if (g_file != nullptr && std::ferror(g_file) != 0) {
    close_file();
    say_file_failure(screen_is_good());
    end_run(kExitFileOrContradiction);
  }
}

namespace {

// The closing checks of end_run; returns the status to end with, unless
// the process ends here by a signal.
int closing_status(int status) {
  check_interrupt();
  const bool file_good = close_file();
  bool screen_good = screen_is_good();
  if (!file_good) {
    status = kExitFileOrContradiction;
    screen_good = say_file_failure(screen_good);
  }
  if (!screen_good) {
    if (screen_reader_gone() && file_good && sigpipe_can_end_process()) {
      end_by_signal(SIGPIPE);
    }
    std::fputs("vortel: errore in scrittura sullo standard output\n", stderr);
    status = kExitFileOrContradiction;
  }
  return status;
}

}  // namespace

void end_run(int status) {
  std::exit(closing_status(status));
}

void end_altered_run(int status) {
  status = closing_status(status);
  // Every stream the C library holds, in case the alteration has parted
  // its standard output from the program's.
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace front
