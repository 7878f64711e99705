// Board printing, output routing and the process exit.
#include "front/output.h"

#include <cstdarg>
#include <cstdlib>

#include "front/exit_status.h"
#include "front/options.h"

namespace front {

std::FILE* g_sink = nullptr;
char g_title[kTitleSize];

void set_title(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::vsnprintf(g_title, kTitleSize, format, args);
  va_end(args);
}

void open_sink() {
  if (!g_settings.first && !g_settings.all) return;
  const char* name = g_settings.output_name;
  if (name[0] == '\0') {
    g_sink = stdout;
    return;
  }
  g_sink = std::fopen(name, "wx");
  if (g_sink == nullptr) {
    std::printf("Errore in apertura dell'archivio %s\n", name);
    end_run(kExitFileOrContradiction);
  }
}

void format_board(const solver::Board& board, char* out) {
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      const std::int32_t v =
          board[static_cast<unsigned>(solver::cell_index(r, c))];
      if (c % 3 == 0) {
        *out++ = ' ';
        *out++ = ' ';
      }
      *out++ = ' ';
      *out++ = (v >= 5 && v <= solver::kMaxCode)
                   ? static_cast<char>(
                         '0' + solver::kDigitTable[static_cast<unsigned>(v)])
                   : '-';
    }
    *out++ = '\n';
    if (r % 3 == 2) *out++ = '\n';
  }
}

void print_board(std::FILE* stream, const solver::Board& board,
                 const char* title) {
  char text[kBoardTextSize + 1];
  format_board(board, text);
  text[kBoardTextSize] = '\0';
  std::fprintf(stream, "\n%s\n\n%s", title, text);
}

void show_board(const solver::Board& board) {
  if (g_sink != nullptr) print_board(g_sink, board, g_title);
  if (g_sink != stdout) print_board(stdout, board, g_title);
}

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
