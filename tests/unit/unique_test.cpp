// The order-free core on every path this machine runs, against the plain
// reference search and against each other.
#include "solver/unique.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "solver/consistency.h"
#include "vortel_process.h"

namespace {

using solver::Board;
using solver::CorePath;

Board board_of(const test::Grid& grid, std::int32_t empty) {
  Board board;
  for (unsigned i = 0; i < 81; ++i) {
    board[i] = grid[i] == 0
                   ? empty
                   : solver::kCodeTable[static_cast<unsigned>(grid[i])];
  }
  return board;
}

// A complete, consistent board that keeps every given of `grid`.
bool completes(const Board& found, const test::Grid& grid) {
  for (unsigned i = 0; i < 81; ++i) {
    const int digit = solver::kDigitTable[static_cast<unsigned>(found[i])];
    if (digit < 1 || digit > 9 || (grid[i] != 0 && grid[i] != digit)) {
      return false;
    }
  }
  return solver::check_consistency(found) == 0;
}

std::vector<test::Grid> hardest(int count) {
  std::ifstream in(VORTEL_BENCH_DATA "/bench_forum_hardest_1106.txt");
  std::vector<test::Grid> grids;
  std::string line;
  while (static_cast<int>(grids.size()) < count && std::getline(in, line)) {
    test::Grid grid{};
    for (unsigned i = 0; i < 81; ++i) {
      grid[i] = line[i] >= '1' && line[i] <= '9' ? line[i] - '0' : 0;
    }
    grids.push_back(grid);
  }
  return grids;
}

// Puzzles with no solution, one, two and many: random grids with holes
// (one to many), the hardest as they are (one) and with a digit changed
// (mostly none), and givens that repeat a digit. Every path counts each up
// to three and gives a completion when there is one; all paths give the
// same count and the same completion.
TEST(UniqueCoreTest, EveryPathAgreesWithThePlainSearchAndTheOthers) {
  std::mt19937 rng(20261209);
  std::vector<test::Grid> puzzles;
  puzzles.reserve(400);
  for (int n = 0; n < 300; ++n) {
    puzzles.push_back(test::random_puzzle(rng, 45 + static_cast<int>(n % 20)));
  }
  for (test::Grid grid : hardest(40)) {
    puzzles.push_back(grid);
    const auto i = static_cast<unsigned>(
        std::find(grid.begin(), grid.end(), 0) - grid.begin());
    grid[i] = 1 + static_cast<int>(rng() % 9);  // may repeat a peer's digit
    puzzles.push_back(grid);
  }
  int by_count[5] = {0, 0, 0, 0, 0};  // none, one, two, three up, clash
  for (std::size_t n = 0; n < puzzles.size(); ++n) {
    SCOPED_TRACE("puzzle " + std::to_string(n));
    const test::Grid& grid = puzzles[n];
    const Board start = board_of(grid, solver::kAllCandidates);
    const bool clash = solver::check_consistency(start) != 0;
    const std::int64_t expected =
        clash ? 0
              : static_cast<std::int64_t>(
                    plain::solutions(board_of(grid, solver::kLoadMarker), 3)
                        .size());
    ++by_count[clash ? 4 : expected];
    Board widest_first{};
    std::int64_t widest_count = -2;
    for (unsigned p = 0; p < solver::kCorePaths; ++p) {
      const auto path = static_cast<CorePath>(p);
      if (!solver::core_path_runs(path)) continue;
      SCOPED_TRACE(solver::core_path_name(path));
      Board first{};
      const std::int64_t found = solver::core_count(start, 3, first, path);
      EXPECT_TRUE(!clash || found == -1);
      EXPECT_EQ(std::max<std::int64_t>(found, 0), expected);
      EXPECT_TRUE(found <= 0 || completes(first, grid));
      // Each path against the narrower one before it.
      EXPECT_TRUE(p == 0 || found == widest_count);
      EXPECT_TRUE(p == 0 || found <= 0 || first == widest_first);
      widest_first = first;
      widest_count = found;
    }
  }
  EXPECT_GT(by_count[0], 5);
  EXPECT_GT(by_count[1], 40);
  EXPECT_GT(by_count[2], 10);
  EXPECT_GT(by_count[3], 50);
  EXPECT_GT(by_count[4], 5);
}

// A limit stops the count there; no limit, no search. The chosen path is
// one the machine runs, and the base path runs everywhere.
TEST(UniqueCoreTest, LimitsAndTheChosenPath) {
  const Board empty = board_of(test::Grid{}, solver::kAllCandidates);
  Board first{};
  for (unsigned p = 0; p < solver::kCorePaths; ++p) {
    const auto path = static_cast<CorePath>(p);
    if (!solver::core_path_runs(path)) continue;
    EXPECT_EQ(solver::core_count(empty, 0, first, path), 0);
    EXPECT_EQ(solver::core_count(empty, 1, first, path), 1);
    EXPECT_EQ(solver::core_count(empty, 1000, first, path), 1000);
  }
  EXPECT_TRUE(solver::core_path_runs(CorePath::kBase));
  EXPECT_TRUE(solver::core_path_runs(solver::core_path()));
  EXPECT_EQ(solver::core_path(), solver::core_path());
}

}  // namespace
