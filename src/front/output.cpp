// Board printing and output routing.
#include "front/output.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "front/end_run.h"
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
  // -S can write millions of boards: a large buffer keeps the number of
  // writes to the file small.
  std::setvbuf(g_sink, nullptr, _IOFBF, kSinkBufferSize);
  register_output_file(g_sink, name);
}

namespace {

// The layout of a board with every cell blank ('-'), and where each cell's
// character goes in it: a cell takes " x", with two more blanks before
// columns 0, 3 and 6; each row ends with a newline, and a blank line
// closes each band of three rows.
struct BoardLayout {
  std::array<char, kBoardTextSize> blank{};
  std::array<std::uint8_t, solver::kCells> offset{};
};

constexpr BoardLayout make_layout() {
  BoardLayout layout;
  std::size_t at = 0;
  for (std::size_t r = 0; r < 9; ++r) {
    for (std::size_t c = 0; c < 9; ++c) {
      if (c % 3 == 0) {
        layout.blank[at++] = ' ';
        layout.blank[at++] = ' ';
      }
      layout.blank[at++] = ' ';
      layout.offset[9 * r + c] = static_cast<std::uint8_t>(at);
      layout.blank[at++] = '-';
    }
    layout.blank[at++] = '\n';
    if (r % 3 == 2) layout.blank[at++] = '\n';
  }
  return layout;
}

constexpr BoardLayout kLayout = make_layout();

// The character of each value 0..23: the digit for the values 5 to 23 (on a
// board only the nine codes occur there), '-' below; larger values (open
// cells) are '-' too.
constexpr std::array<char, 24> make_cell_chars() {
  std::array<char, 24> chars{};
  for (std::size_t v = 0; v < chars.size(); ++v) {
    chars[v] = v >= 5 ? static_cast<char>('0' + solver::kDigitTable[v]) : '-';
  }
  return chars;
}

constexpr std::array<char, 24> kCellChars = make_cell_chars();

}  // namespace

void format_board(const solver::Board& board, char* out) {
  std::memcpy(out, kLayout.blank.data(), kBoardTextSize);
  for (std::size_t r = 0; r < 9; ++r) {
    // Within a row the offsets step by a fixed pattern, so the inner loop
    // unrolls to constant offsets.
    char* line = out + kLayout.offset[9 * r];
    const std::int32_t* cells = board.data() + 9 * r;
    for (std::size_t c = 0; c < 9; ++c) {
      // Open cells (above 23) take the blank's '-', like entry 0 does.
      const std::int32_t v = cells[c];
      const std::size_t index =
          v <= solver::kMaxCode ? static_cast<std::size_t>(v) : 0;
      line[2 * c + 2 * (c / 3)] = kCellChars[index];
    }
  }
}

void print_board(std::FILE* stream, const solver::Board& board,
                 const char* title) {
  // The whole text, "\n<title>\n\n" and the board, in one buffer and one
  // write.
  char text[kTitleSize + 3 + kBoardTextSize];
  std::size_t length = std::strlen(title);
  if (length >= kTitleSize) length = kTitleSize - 1;
  text[0] = '\n';
  std::copy_n(title, length, text + 1);  // a run of bytes, no terminator
  text[length + 1] = '\n';
  text[length + 2] = '\n';
  format_board(board, text + length + 3);
  std::fwrite(text, 1, length + 3 + kBoardTextSize, stream);
}

void set_solution_title(long number) {
  // What "Soluzione N. %ld" prints, without the cost of a formatted print
  // for every one of possibly millions of solutions.
  static constexpr char kPrefix[] = "Soluzione N. ";
  char digits[24];
  std::size_t count = 0;
  unsigned long magnitude = number < 0
                                ? 0UL - static_cast<unsigned long>(number)
                                : static_cast<unsigned long>(number);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) digits[count++] = '-';
  char* out = g_title;
  std::memcpy(out, kPrefix, sizeof kPrefix - 1);
  out += sizeof kPrefix - 1;
  while (count > 0) *out++ = digits[--count];
  *out = '\0';
}

void show_board(const solver::Board& board) {
  if (g_sink != nullptr) print_board(g_sink, board, g_title);
  if (g_sink != stdout) print_board(stdout, board, g_title);
}

}  // namespace front
