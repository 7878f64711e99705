// The puzzle file reader.
#include "front/puzzle_file.h"

#include <cstdlib>
#include <cstring>

#include "front/end_run.h"
#include "front/exit_status.h"

namespace front {

solver::Board g_board;
std::int32_t g_unknown;

namespace {

constexpr int kCtrlZ = 0x1A;

// A byte source with the text-mode rules applied: CR bytes vanish and the
// first Ctrl-Z is the end. One byte of look-ahead is enough for the scanner.
class TextReader {
 public:
  explicit TextReader(std::FILE* file) : file_(file) { advance(); }
  int peek() const { return current_; }
  void advance() {
    if (current_ == EOF && ended_) return;
    int c;
    do {
      c = std::getc(file_);
    } while (c == '\r');
    if (c == kCtrlZ || c == EOF) {
      ended_ = true;
      c = EOF;
    }
    current_ = c;
  }
  bool failed() const { return std::ferror(file_) != 0; }

 private:
  std::FILE* file_;
  int current_ = 0;
  bool ended_ = false;
};

enum class Item { kNumber, kEnd, kBad };

constexpr bool is_space(int c) {
  return (c >= 9 && c <= 13) || c == ' ';
}
constexpr bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

// Scans one signed decimal integer after optional white space. kEnd means
// the data ended before the item began. A lone sign, a sign followed by
// anything but a digit, and a value outside the 32-bit range are kBad, so
// that no out-of-range text can pass as a digit.
Item scan_int(TextReader& in, std::int32_t& value) {
  while (is_space(in.peek())) in.advance();
  if (in.peek() == EOF) return Item::kEnd;
  bool negative = false;
  if (in.peek() == '+' || in.peek() == '-') {
    negative = in.peek() == '-';
    in.advance();
  }
  if (!is_digit(in.peek())) return Item::kBad;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  bool overflow = false;
  while (is_digit(in.peek())) {
    magnitude = magnitude * 10 + (in.peek() - '0');
    if (magnitude > limit) {
      overflow = true;
      magnitude = limit;  // keep consuming the digits without wrapping
    }
    in.advance();
  }
  if (overflow) return Item::kBad;
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return Item::kNumber;
}

constexpr bool in_range(std::int32_t v) {
  return v >= 1 && v <= 9;
}

}  // namespace

char* puzzle_path(const RunSettings& settings, const char* file_name) {
  const char* directory =
      settings.directory != nullptr ? settings.directory : "";
  const std::size_t dir_length = std::strlen(directory);
  const bool add_slash = settings.directory != nullptr &&
                         (dir_length == 0 || directory[dir_length - 1] != '/');
  const std::size_t name_length = std::strlen(file_name);
  char* path = static_cast<char*>(
      std::malloc(dir_length + (add_slash ? 1 : 0) + name_length + 1));
  if (path == nullptr) return nullptr;
  char* end = path;
  std::memcpy(end, directory, dir_length);
  end += dir_length;
  if (add_slash) *end++ = '/';
  std::memcpy(end, file_name, name_length + 1);
  return path;
}

LoadStatus read_puzzle(std::FILE* file, solver::Board& board,
                       std::int32_t& unknown) {
  board.fill(solver::kLoadMarker);
  unknown = solver::kCells;
  TextReader in(file);
  for (;;) {
    std::int32_t row = 0;
    std::int32_t column = 0;
    std::int32_t digit = 0;
    const Item first = scan_int(in, row);
    if (first == Item::kEnd) break;
    if (first == Item::kBad || scan_int(in, column) != Item::kNumber ||
        scan_int(in, digit) != Item::kNumber) {
      return in.failed() ? LoadStatus::kReadError : LoadStatus::kBadFormat;
    }
    if (!in_range(row) || !in_range(column) || !in_range(digit)) {
      return LoadStatus::kBadFormat;
    }
    std::int32_t& cell =
        board[static_cast<unsigned>(solver::cell_index(row - 1, column - 1))];
    if (cell == solver::kLoadMarker) --unknown;
    cell = solver::kCodeTable[static_cast<unsigned>(digit)];
  }
  return in.failed() ? LoadStatus::kReadError : LoadStatus::kOk;
}

void load_puzzle(const char* file_name) {
  char* path = puzzle_path(g_settings, file_name);
  if (path == nullptr) {
    std::printf("\nSpazio di memoria insufficiente\n");
    end_run(kExitFormatOrMemory);
  }
  std::FILE* file = std::fopen(path, "r");
  const LoadStatus status = file == nullptr
                                ? LoadStatus::kReadError
                                : read_puzzle(file, g_board, g_unknown);
  if (file != nullptr) std::fclose(file);
  if (status == LoadStatus::kReadError) {
    // Includes a directory, which opens on Linux but cannot be read.
    std::printf("Errore in apertura dell'archivio %s\n", path);
  }
  std::free(path);
  switch (status) {
  case LoadStatus::kOk:
    return;
  case LoadStatus::kReadError:
    end_run(kExitFileOrContradiction);
  case LoadStatus::kBadFormat:
    std::printf("Errore nel formato dei dati\n");
    end_run(kExitFormatOrMemory);
  }
}

}  // namespace front
