// The board by digit and band, on its own: its deductions against the
// plain search's solutions, and its searches' answers.
#include "solver/bands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "solver/completion.h"
#include "solver/consistency.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "solver/tuning.h"
#include "vortel_process.h"

namespace {

using solver::Board;

Board loaded_board(const test::Grid& grid) {
  Board board;
  for (unsigned i = 0; i < 81; ++i) {
    board[i] = grid[i] == 0
                   ? solver::kLoadMarker
                   : solver::kCodeTable[static_cast<unsigned>(grid[i])];
  }
  return board;
}

constexpr std::size_t kListed = 50;

// True when every digit of `solution` is still allowed where it stands.
bool allows(const solver::Bands& g, const Board& solution) {
  for (unsigned i = 0; i < 81; ++i) {
    const int digit = solver::kDigitTable[static_cast<unsigned>(solution[i])];
    if (((g.where[i / 27][static_cast<unsigned>(digit - 1)] >> (i % 27)) &
         1U) == 0) {
      return false;
    }
  }
  return true;
}

// Puts into a random empty cell a random digit that none of its peers
// holds: a puzzle that often has no solution left, though no unit holds a
// digit twice.
void put_allowed_digit(test::Grid& grid, std::mt19937& rng) {
  const unsigned start = static_cast<unsigned>(rng() % 81);
  for (unsigned k = 0; k < 81; ++k) {
    const unsigned i = (start + k) % 81;
    if (grid[i] != 0) continue;
    unsigned held = 0;
    for (unsigned j = 0; j < 81; ++j) {
      const bool peer = j / 9 == i / 9 || j % 9 == i % 9 ||
                        (j / 27 == i / 27 && j % 9 / 3 == i % 9 / 3);
      if (peer) held |= 1U << grid[j];
    }
    const unsigned first = static_cast<unsigned>(rng() % 9);
    for (unsigned t = 0; t < 9; ++t) {
      const unsigned digit = 1 + (first + t) % 9;
      if (((held >> digit) & 1U) == 0) {
        grid[i] = static_cast<int>(digit);
        return;
      }
    }
  }
}

// Random puzzles (many solutions) and hard ones as they are (one) and
// with a digit put in (mostly none): after make_bands, every solution the
// plain search lists keeps all its digits (no deduction is unsound);
// find_completion finds one of them exactly when there is one,
// has_two_completions says whether there are two, and first_in_order gives
// the plain search's first, with and without its first try of the ordered
// search.
TEST(BandsTest, DeductionsKeepEverySolutionAndTheSearchesAnswerRight) {
  std::mt19937 rng(20261208);
  std::vector<test::Grid> puzzles;
  puzzles.reserve(300);
  for (int n = 0; n < 200; ++n) {
    puzzles.push_back(
        test::random_puzzle(rng, 40 + static_cast<int>(rng() % 21)));
  }
  std::ifstream hard(VORTEL_BENCH_DATA "/bench_forum_hardest_1106.txt");
  std::string line;
  for (int n = 0; n < 50 && std::getline(hard, line); ++n) {
    test::Grid grid{};
    for (unsigned i = 0; i < 81; ++i) {
      grid[i] = line[i] >= '1' && line[i] <= '9' ? line[i] - '0' : 0;
    }
    puzzles.push_back(grid);
    put_allowed_digit(grid, rng);
    puzzles.push_back(grid);
  }
  int by_solutions[3] = {0, 0, 0};
  for (std::size_t n = 0; n < puzzles.size(); ++n) {
    const test::Grid& grid = puzzles[n];
    Board board = loaded_board(grid);
    std::int32_t unknown = solver::count_unknown(board);
    solver::propagate(board, unknown);
    if (unknown == 0 || solver::check_consistency(board) != 0) continue;
    SCOPED_TRACE("puzzle " + std::to_string(n));
    const std::vector<Board> expected =
        plain::solutions(loaded_board(grid), kListed);
    ++by_solutions[std::min<std::size_t>(expected.size(), 2)];
    solver::Bands g;
    Board found;
    std::int64_t steps = 0;
    if (!solver::make_bands(board, g)) {
      EXPECT_TRUE(expected.empty());
      continue;
    }
    for (const Board& solution : expected) ASSERT_TRUE(allows(g, solution));
    ASSERT_EQ(solver::find_completion(g, found, steps), !expected.empty());
    if (expected.empty()) continue;
    // Beyond the listed ones: a whole, consistent board over the givens.
    const bool listed =
        std::find(expected.begin(), expected.end(), found) != expected.end();
    EXPECT_TRUE(listed ||
                (expected.size() == kListed &&
                 solver::check_consistency(found) == 0 &&
                 solver::count_unknown(found) == 0 && allows(g, found)));
    EXPECT_EQ(solver::has_two_completions(g, steps), expected.size() >= 2);
    // The descent alone, and after the ordered search's few branchings.
    for (const std::int64_t budget : {std::int64_t{0}, solver::kDiveBudget}) {
      ASSERT_TRUE(solver::first_in_order(g, found, budget, steps));
      EXPECT_EQ(found, expected.front());
    }
  }
  EXPECT_GT(by_solutions[0], 20);
  EXPECT_GT(by_solutions[1], 40);
  EXPECT_GT(by_solutions[2], 100);
}

}  // namespace
