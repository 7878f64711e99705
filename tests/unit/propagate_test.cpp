// Hidden singles and the propagation loop.
#include "solver/propagate.h"

#include <gtest/gtest.h>

#include "board_operations.h"
#include "solver/candidates.h"
#include "solver/consistency.h"
#include "test_boards.h"

namespace {

using solver::Board;
using solver::kCodeTable;

// Every cell undetermined with candidates {1,2,3} ({7} added where noted),
// a board on which no test but the one arranged can fire.
Board uniform_board() {
  Board board;
  board.fill(kCodeTable[1] * kCodeTable[2] * kCodeTable[3]);
  return board;
}

TEST(PropagateTest, HiddenSingleInEachUnit) {
  const std::int32_t base = kCodeTable[1] * kCodeTable[2] * kCodeTable[3];
  const std::int32_t with7 = base * kCodeTable[7];
  struct Case {
    const char* unit;
    std::vector<unsigned> sevens;  // other cells that also carry 7
  };
  // Cell (4,4) carries 7. Making 7 unique in its row only (other cells of
  // its column and box carry it), in its column only, or in its box only.
  const Case cases[] = {
      {"row", {13, 67}},     // (1,4) and (7,4): column; 31 (3,4) box
      {"column", {36, 30}},  // (4,0) row, (3,3) box
      {"box", {36, 4}},      // (4,0) row, (0,4) column
  };
  for (const Case& c : cases) {
    Board board = uniform_board();
    board[40] = with7;
    for (unsigned i : c.sevens) board[i] = with7;
    if (std::string(c.unit) == "row") board[31] = with7;
    std::int32_t unknown = 81;
    EXPECT_EQ(support::hidden_single(board, 4, 4, unknown), 1) << c.unit;
    EXPECT_EQ(board[40], kCodeTable[7]) << c.unit;
    EXPECT_EQ(unknown, 80) << c.unit;
    // The unit where 7 was unique has no other carrier; the other two
    // units lost 7 from every cell.
    for (unsigned i = 0; i < 81; ++i) {
      if (i != 40) {
        EXPECT_NE(board[i] % kCodeTable[7], 0) << c.unit << i;
      }
    }
  }
}

TEST(PropagateTest, SmallestHiddenDigitWins) {
  // (4,4) carries 2 and 5; 5 is unique in its row, 2 unique in its column.
  // Every other cell carries {1,3} plus: 2 along row 4, 5 along column 4.
  Board board;
  board.fill(kCodeTable[1] * kCodeTable[3]);
  for (int i = 0; i < 9; ++i) {
    board[static_cast<unsigned>(9 * 4 + i)] *= kCodeTable[2];
    board[static_cast<unsigned>(9 * i + 4)] *= kCodeTable[5];
  }
  board[40] = kCodeTable[2] * kCodeTable[5];
  std::int32_t unknown = 81;
  EXPECT_EQ(support::hidden_single(board, 4, 4, unknown), 1);
  EXPECT_EQ(board[40], kCodeTable[2]);
}

TEST(PropagateTest, NothingToFind) {
  Board board = uniform_board();
  std::int32_t unknown = 81;
  EXPECT_EQ(support::hidden_single_sweep(board, unknown), 0);
  EXPECT_EQ(board, uniform_board());
  EXPECT_EQ(unknown, 81);

  // An empty puzzle: the pass gives every cell all nine candidates and the
  // sweep finds nothing.
  Board empty;
  empty.fill(solver::kLoadMarker);
  solver::propagate(empty, unknown);
  for (std::int32_t v : empty) EXPECT_EQ(v, solver::kAllCandidates);
  EXPECT_EQ(unknown, 81);
}

TEST(PropagateTest, CompleteBoardIsLeftAlone) {
  Board board = test::board_from_string(test::kSolvedGrid);
  std::int32_t unknown = 0;
  solver::propagate(board, unknown);
  EXPECT_EQ(test::board_to_string(board), test::kSolvedGrid);
  EXPECT_EQ(unknown, 0);
}

// Puzzles that singles alone complete, and puzzles they do not: propagate
// keeps the unknown count equal to the count of open cells, never changes
// a given, and only ever fills in digits of the known solution.
TEST(PropagateTest, SolvesBySinglesAndKeepsCountInStep) {
  struct Case {
    const char* puzzle;
    const char* solution;
    bool solved_by_singles;
  };
  const Case cases[] = {
      // Known to fall to singles alone.
      {"..3.2.6..9..3.5..1..18.64....81.29..7.......8..67.82....26.95..8..2.3..9..5.1.3..",
       "483921657967345821251876493548132976729564138136798245372689514814253769695417382",
       true},
      // A puzzle with blank first rows, which needs the search.
      {"1....7.9..3..2...8..96..5....53..9...1..8...26....4...3......1..4......7..7...3..",
       "162857493534129678789643521475312986913586742628794135356478219241935867897261354",
       false},
  };
  for (const Case& c : cases) {
    const Board loaded = test::board_from_string(c.puzzle);
    Board board = loaded;
    std::int32_t unknown = solver::count_unknown(board);
    solver::propagate(board, unknown);
    EXPECT_EQ(unknown, solver::count_unknown(board));
    EXPECT_EQ(solver::check_consistency(board), 0);
    EXPECT_EQ(unknown == 0, c.solved_by_singles);
    const std::string digits = test::board_to_string(board);
    for (unsigned i = 0; i < 81; ++i) {
      if (solver::is_determined(loaded[i])) {
        EXPECT_EQ(board[i], loaded[i]);
      }
      if (digits[i] != '.') {
        EXPECT_EQ(digits[i], c.solution[i]) << i;
      }
    }
  }
}

}  // namespace
