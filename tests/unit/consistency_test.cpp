// The repeated-digit test, stage by stage.
#include "solver/consistency.h"

#include <gtest/gtest.h>

#include "test_boards.h"

namespace {

TEST(ConsistencyTest, Verdicts) {
  using test::board_with;
  struct Case {
    const char* name;
    solver::Board board;
    int expected;
  };
  const Case cases[] = {
      {"empty board", board_with({}), 0},
      {"complete valid grid", test::board_from_string(test::kSolvedGrid), 0},
      {"repeat in a row", board_with({{0, 0, 5}, {0, 8, 5}}), 1},
      {"repeat in a column", board_with({{0, 0, 4}, {8, 0, 4}}), 1},
      // (0,0) and (1,1) share only their box.
      {"repeat only in a box", board_with({{0, 0, 7}, {1, 1, 7}}), 1},
      {"repeat only in the last box", board_with({{6, 6, 2}, {8, 8, 2}}), 1},
      {"same digit, no shared unit", board_with({{0, 0, 3}, {4, 4, 3}}), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(solver::check_consistency(c.board), c.expected) << c.name;
  }
}

TEST(ConsistencyTest, UndeterminedCellsAreIgnored) {
  solver::Board board = test::board_from_string(test::kSolvedGrid);
  board[0] = board[1] = board[2] = solver::kAllCandidates;
  EXPECT_EQ(solver::check_consistency(board), 0);
}

// A cell that no digit fits is a contradiction, not a blank in a solved
// board.
TEST(ConsistencyTest, EmptyProductIsInconsistent) {
  solver::Board board = test::board_from_string(test::kSolvedGrid);
  board[80] = solver::kEmptyProduct;
  EXPECT_EQ(solver::check_consistency(board), 1);
  board.fill(solver::kLoadMarker);
  board[40] = solver::kEmptyProduct;
  EXPECT_EQ(solver::check_consistency(board), 1);
}

}  // namespace
