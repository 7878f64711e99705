// The board layout.
#include "front/output.h"

#include <gtest/gtest.h>

#include <string>

#include "test_boards.h"

namespace {

std::string formatted(const solver::Board& board) {
  char text[front::kBoardTextSize];
  front::format_board(board, text);
  return std::string(text, sizeof text);
}

TEST(OutputTest, EmptyBoardIsNineLinesOfDashesInThreeBands) {
  solver::Board board;
  board.fill(solver::kLoadMarker);
  const std::string line = "   - - -   - - -   - - -\n";
  const std::string band = line + line + line + "\n";
  EXPECT_EQ(formatted(board), band + band + band);
}

TEST(OutputTest, DigitsAndOpenCells) {
  // Row 0 holds 5, 3 and 7 in columns 1, 2 and 5 (0-based 0, 1, 4); the
  // other rows hold a candidate product, the empty product and a marker.
  solver::Board board;
  board.fill(solver::kAllCandidates);
  board[0] = solver::kCodeTable[5];
  board[1] = solver::kCodeTable[3];
  board[4] = solver::kCodeTable[7];
  board[9] = solver::kEmptyProduct;
  board[10] = solver::kLoadMarker;
  const std::string text = formatted(board);
  EXPECT_EQ(text.substr(0, 25), "   5 3 -   - 7 -   - - -\n");
  EXPECT_EQ(text.substr(25, 25), "   - - -   - - -   - - -\n");

  const std::string full =
      formatted(test::board_from_string(test::kSolvedGrid));
  EXPECT_EQ(full.substr(0, 25), "   2 4 9   3 6 8   7 1 5\n");
  EXPECT_EQ(full.substr(full.size() - 26), "   1 3 8   2 9 6   5 4 7\n\n");
}

}  // namespace
