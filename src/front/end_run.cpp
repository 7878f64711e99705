// The process exit and the write-error checks.
#include "front/end_run.h"

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

}  // namespace

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
    std::fputs("vortel: errore in scrittura sullo standard output\n", stderr);
    status = kExitFileOrContradiction;
  }
  std::exit(status);
}

}  // namespace front
