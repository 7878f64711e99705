// The board layout.
#include "front/output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_output.h"
#include "front/end_run.h"
#include "front/options.h"
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

namespace {

using test::redirect_stdout;
using test::stdout_of_child;

// An output file whose bytes cannot all be written turns any ending into a
// failure with status 2, whether the loss shows at the end of the run or
// while it goes on.
TEST(OutputDeathTest, LostOutputFileWritesFailTheRun) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  solver::Board board;
  board.fill(solver::kLoadMarker);
  EXPECT_EXIT(
      {
        test::end_child_if_it_hangs();
        redirect_stdout("vortel_end_run.txt");
        front::g_sink = std::fopen("/dev/full", "w");
        front::register_output_file(front::g_sink, "full.txt");
        front::print_board(front::g_sink, board, "Tabella");
        front::end_run(0);
      },
      testing::ExitedWithCode(2), "");
  EXPECT_EQ(stdout_of_child("vortel_end_run.txt"),
            "Errore in scrittura dell'archivio full.txt\n");

  EXPECT_EXIT(
      {
        test::end_child_if_it_hangs();
        redirect_stdout("vortel_check_sink.txt");
        front::g_sink = std::fopen("/dev/full", "w");
        front::register_output_file(front::g_sink, "full.txt");
        front::print_board(front::g_sink, board, "Tabella");
        front::check_sink();  // nothing has failed yet: still buffered
        std::fflush(front::g_sink);
        front::check_sink();
        std::printf("not reached\n");
        front::end_run(0);
      },
      testing::ExitedWithCode(2), "");
  EXPECT_EQ(stdout_of_child("vortel_check_sink.txt"),
            "Errore in scrittura dell'archivio full.txt\n");
}

}  // namespace

namespace {

// The hand-made title of a solution must be byte for byte what the
// format "Soluzione N. %ld" gives, for every size of number.
TEST(OutputTest, SolutionTitleMatchesTheFormat) {
  const long numbers[] = {
      0,     1,         9,           10,          99,
      10000, 123456789, 2147483647L, 2147483648L, 9223372036854775807L};
  for (long n : numbers) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "Soluzione N. %ld", n);
    front::set_solution_title(n);
    EXPECT_STREQ(front::g_title, expected);
  }
}

}  // namespace
