// Candidate products and the elimination cascade.
#include "solver/candidates.h"

#include <gtest/gtest.h>

#include "board_operations.h"
#include "test_boards.h"

namespace {

using solver::Board;
using solver::kCodeTable;

Board all_markers() {
  Board board;
  board.fill(solver::kLoadMarker);
  return board;
}

TEST(CandidatesTest, EmptyBoardGetsEveryCandidate) {
  Board board = all_markers();
  std::int32_t unknown = 81;
  support::candidate_pass(board, unknown);
  for (std::int32_t v : board) EXPECT_EQ(v, solver::kAllCandidates);
  EXPECT_EQ(unknown, 81);
}

// Row 0 holds 1..4, column 8 holds 5..7 and the box holds 8: the corner
// cell (0, 8) has only 9 left.
TEST(CandidatesTest, EightDigitsAroundACellLeaveOne) {
  Board board = test::board_from_string(
      "1234....."
      "......5.."
      ".......8."
      "........6"
      "........7"
      "........."
      "........."
      "........."
      ".........");
  EXPECT_EQ(support::compute_candidates(board, 0, 8), kCodeTable[9]);
  // The same cell with no neighbour at all would take every digit.
  EXPECT_EQ(support::compute_candidates(all_markers(), 4, 4),
            solver::kAllCandidates);

  std::int32_t unknown = solver::count_unknown(board);
  support::candidate_pass(board, unknown);
  EXPECT_EQ(board[8], kCodeTable[9]);
  EXPECT_EQ(unknown, solver::count_unknown(board));
  // 9 is gone from the rest of row 0, column 8 and the box.
  for (unsigned i : {4U, 5U, 6U, 7U, 26U, 35U, 44U, 53U}) {
    EXPECT_NE(board[i] % kCodeTable[9], 0) << "cell " << i;
  }
}

TEST(CandidatesTest, AllDigitsAroundACellGiveTheEmptyProduct) {
  Board board = test::board_from_string(
      "12345678."
      "........9"
      "........."
      "........."
      "........."
      "........."
      "........."
      "........."
      ".........");
  EXPECT_EQ(support::compute_candidates(board, 0, 8), solver::kEmptyProduct);
}

// (0,0) holds {1,2}, (0,1) holds {2,3}: removing 1 from row 0 leaves 2 in
// (0,0), whose cascade leaves 3 in (0,1).
TEST(CandidatesTest, EliminationCascadesThroughTheRow) {
  Board board;
  board.fill(solver::kAllCandidates);
  board[0] = 30;
  board[1] = 42;
  std::int32_t unknown = 81;
  support::eliminate_in_row(board, 0, kCodeTable[1], unknown);
  EXPECT_EQ(board[0], kCodeTable[2]);
  EXPECT_EQ(board[1], kCodeTable[3]);
  EXPECT_EQ(unknown, 79);
  EXPECT_EQ(unknown, solver::count_unknown(board));
  // The cascade reached the columns and boxes of both cells.
  EXPECT_EQ(board[9], solver::kAllCandidates / kCodeTable[2] / kCodeTable[3]);
  EXPECT_EQ(board[10], solver::kAllCandidates / kCodeTable[2] / kCodeTable[3]);
  EXPECT_EQ(board[27], solver::kAllCandidates / kCodeTable[2]);
  // Row 0 lost 1 too, from the elimination that started it all.
  EXPECT_EQ(board[2], solver::kAllCandidates / kCodeTable[1] / kCodeTable[2] /
                          kCodeTable[3]);
}

TEST(CandidatesTest, EliminationsWithoutEffect) {
  Board board = test::board_from_string(test::kSolvedGrid);
  board[0] = 30;
  const Board before = board;
  std::int32_t unknown = 1;
  // No undetermined cell of these units carries digit 3; determined cells
  // are never divided, even when they hold the code.
  support::eliminate_in_row(board, 0, kCodeTable[3], unknown);
  support::eliminate_in_column(board, 4, kCodeTable[6], unknown);
  support::eliminate_in_box(board, 8, 8, kCodeTable[7], unknown);
  // Code 1 (the empty product) divides everything and changes nothing.
  support::eliminate_in_row(board, 0, solver::kEmptyProduct, unknown);
  EXPECT_EQ(board, before);
  EXPECT_EQ(unknown, 1);
}

// Column and box eliminations visit their cells in their own orders and
// keep the unknown count in step with the board.
TEST(CandidatesTest, ColumnAndBoxCascades) {
  Board board;
  board.fill(solver::kAllCandidates);
  board[0] = kCodeTable[1] * kCodeTable[4];   // (0,0) {1,4}
  board[36] = kCodeTable[4] * kCodeTable[5];  // (4,0) {4,5}
  board[10] = kCodeTable[5] * kCodeTable[1];  // (1,1) {1,5}
  std::int32_t unknown = 81;
  support::eliminate_in_column(board, 0, kCodeTable[1], unknown);
  // (0,0) is left with 4; its cascade removes 4 from column 0, which leaves
  // (4,0) with 5. (1,1) is in neither column and keeps {1,5}.
  EXPECT_EQ(board[0], kCodeTable[4]);
  EXPECT_EQ(board[36], kCodeTable[5]);
  EXPECT_EQ(board[10], kCodeTable[5] * kCodeTable[1]);
  EXPECT_EQ(unknown, solver::count_unknown(board));
  support::eliminate_in_box(board, 2, 2, kCodeTable[5], unknown);
  EXPECT_EQ(board[10], kCodeTable[1]);
  EXPECT_EQ(unknown, solver::count_unknown(board));
}

}  // namespace
