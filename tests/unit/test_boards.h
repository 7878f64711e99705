// Boards for tests, written as 81-character strings in row-major order:
// '1'..'9' for a given digit, '.' (or '0') for an empty cell.
#ifndef VORTEL_TESTS_UNIT_TEST_BOARDS_H_
#define VORTEL_TESTS_UNIT_TEST_BOARDS_H_

#include <cstdint>
#include <initializer_list>
#include <string>

#include "solver/board.h"
#include "solver/count.h"
#include "solver/search.h"

namespace test {

/// The counter's number of completions; -1 if it ran out of memory.
inline std::int64_t count_of(const solver::Board& board, std::int32_t unknown,
                             const solver::CountObserver& observer) {
  std::int64_t count = 0;
  return solver::count_solutions(board, unknown, observer, count) ==
                 solver::SearchEnd::kExhausted
             ? count
             : -1;
}

/// The board as freshly loaded: codes for the digits, load markers for the
/// empty cells.
inline solver::Board board_from_string(const std::string& text) {
  solver::Board board;
  for (unsigned i = 0; i < 81; ++i) {
    const char ch = text.at(i);
    board[i] = (ch >= '1' && ch <= '9')
                   ? solver::kCodeTable[static_cast<unsigned>(ch - '0')]
                   : solver::kLoadMarker;
  }
  return board;
}

struct Given {
  int row;
  int column;
  int digit;
};

/// A freshly loaded board holding only the given digits (rows and columns
/// 0..8).
inline solver::Board board_with(std::initializer_list<Given> givens) {
  solver::Board board;
  board.fill(solver::kLoadMarker);
  for (const Given& g : givens) {
    board[static_cast<unsigned>(solver::cell_index(g.row, g.column))] =
        solver::kCodeTable[static_cast<unsigned>(g.digit)];
  }
  return board;
}

/// The digits of a board as a string, '.' for every cell that is not a code.
inline std::string board_to_string(const solver::Board& board) {
  std::string text;
  for (std::int32_t v : board) {
    const bool code = v >= 5 && v <= solver::kMaxCode &&
                      solver::kDigitTable[static_cast<unsigned>(v)] != 0;
    text += code ? static_cast<char>(
                       '0' + solver::kDigitTable[static_cast<unsigned>(v)])
                 : '.';
  }
  return text;
}

/// A well-known valid grid, used where a complete board is needed.
inline const char* const kSolvedGrid =
    "249368715356971824781542639512783496874629153693154278967415382425837961"
    "138296547";

}  // namespace test

#endif  // VORTEL_TESTS_UNIT_TEST_BOARDS_H_
