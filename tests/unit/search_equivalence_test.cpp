// vortel's search and counter against the plain reference search, on
// random puzzles with none, one and many solutions: the same first
// solution, the same ordered listing, the same count. The search may prune
// and the counter may go in any order; the results may not move.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "solver/consistency.h"
#include "solver/count.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "test_boards.h"
#include "vortel_process.h"

namespace {

using solver::Board;

Board loaded_board(const test::Grid& grid) {
  Board board;
  for (int i = 0; i < 81; ++i) {
    board[i] = grid[i] == 0 ? solver::kLoadMarker : solver::kCodeTable[grid[i]];
  }
  return board;
}

constexpr std::size_t kListLimit = 400;
std::vector<Board> g_listed;

bool list_until_limit(const Board& solution, void* /*context*/) {
  g_listed.push_back(solution);
  return g_listed.size() < kListLimit;
}

std::vector<std::int64_t> g_milestones;

void note_milestone(std::int64_t count, void* /*context*/) {
  g_milestones.push_back(count);
}

// The milestones a count must have reported: every multiple of `every` up
// to the count, in order.
std::vector<std::int64_t> multiples(std::int64_t count, std::int64_t every) {
  std::vector<std::int64_t> all;
  for (std::int64_t m = every; m <= count; m += every) all.push_back(m);
  return all;
}

// What the run sequence hands to the search: the propagated board, or
// nothing when logic alone decides (solved, or a contradiction).
bool propagated(Board& board, std::int32_t& unknown) {
  unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  return unknown > 0 && solver::check_consistency(board) == 0;
}

test::Grid grid_from_line(const std::string& line) {
  test::Grid grid{};
  for (int i = 0; i < 81; ++i) {
    const char ch = line[static_cast<unsigned>(i)];
    grid[i] = ch >= '1' && ch <= '9' ? ch - '0' : 0;
  }
  return grid;
}

std::vector<std::string> lines_of(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() >= 81 && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

// Puts a wrong digit in the first empty cell from `from` on that takes one:
// a digit its givens allow but the puzzle's solution does not hold there.
void change_one_given(test::Grid& grid, int from) {
  const Board solution = plain::solutions(loaded_board(grid), 1).at(0);
  for (int i = from; i < 81; ++i) {
    if (grid[i] != 0) continue;
    unsigned taken = 0;
    for (int j = 0; j < 81; ++j) {
      const bool peer = j / 9 == i / 9 || j % 9 == i % 9 ||
                        (j / 27 == i / 27 && j % 9 / 3 == i % 9 / 3);
      if (peer && grid[j] != 0) taken |= 1U << grid[j];
    }
    const int right = solver::kDigitTable[static_cast<unsigned>(solution[i])];
    int wrong = 1;
    while (wrong <= 9 && (wrong == right || (taken >> wrong) & 1U)) ++wrong;
    if (wrong <= 9) {
      grid[i] = wrong;
      return;
    }
  }
}

// Random puzzles (most with many solutions), and hard puzzles from the
// benchmark sets that logic alone does not solve: as they are (one
// solution) and with one given changed (usually none).
std::vector<test::Grid> sample_puzzles() {
  std::mt19937 rng(20261208);
  std::vector<test::Grid> puzzles;
  for (int n = 0; n < 600; ++n) {
    test::Grid grid =
        test::random_puzzle(rng, 40 + static_cast<int>(rng() % 22));
    if (n % 5 == 4) grid[rng() % 81] = 1 + static_cast<int>(rng() % 9);
    puzzles.push_back(grid);
  }
  for (const char* set : {"/bench_17clue.txt", "/bench_top1465.txt"}) {
    const std::vector<std::string> lines =
        lines_of(VORTEL_BENCH_DATA + std::string(set));
    for (std::size_t k = 0; k < lines.size() && k < 200; ++k) {
      test::Grid grid = grid_from_line(lines[k]);
      puzzles.push_back(grid);
      change_one_given(grid, static_cast<int>(k % 40));
      puzzles.push_back(grid);
    }
  }
  return puzzles;
}

TEST(SearchEquivalenceTest, ListingAndCountOnRandomAndHardPuzzles) {
  int none = 0, one = 0, many = 0;
  const std::vector<test::Grid> puzzles = sample_puzzles();
  for (std::size_t n = 0; n < puzzles.size(); ++n) {
    const Board loaded = loaded_board(puzzles[n]);
    Board board = loaded;
    std::int32_t unknown;
    if (!propagated(board, unknown)) continue;
    const std::vector<Board> expected = plain::solutions(loaded, kListLimit);
    SCOPED_TRACE("puzzle " + std::to_string(n));

    g_listed.clear();
    solver::search(board, unknown, {list_until_limit, nullptr});
    ASSERT_EQ(g_listed, expected);
    if (expected.size() < kListLimit) {
      g_milestones.clear();
      ASSERT_EQ(test::count_of(board, solver::count_unknown(board),
                               {50, note_milestone, nullptr}),
                static_cast<std::int64_t>(expected.size()));
      ASSERT_EQ(g_milestones,
                multiples(static_cast<std::int64_t>(expected.size()), 50));
    }
    if (expected.empty()) ++none;
    if (expected.size() == 1) ++one;
    if (expected.size() > 1) ++many;
  }
  EXPECT_GT(none, 100);
  EXPECT_GT(one, 300);
  EXPECT_GT(many, 300);
}

std::vector<Board> g_first_three;

bool keep_three(const Board& solution, void* /*context*/) {
  g_first_three.push_back(solution);
  return g_first_three.size() < 3;
}

// A puzzle of one solution made into one of two: its first given taken
// away, then, while more than two solutions remain, a given put back where
// the first two agree and the third does not. False when that cannot be
// done. The searches pick the givens; the plain search judges the result.
bool make_two_solutions(test::Grid& grid) {
  test::Grid fewer = grid;
  int i = 0;
  while (fewer[i] == 0) ++i;
  fewer[i] = 0;
  for (;;) {
    Board board = loaded_board(fewer);
    std::int32_t unknown;
    if (!propagated(board, unknown)) return false;
    g_first_three.clear();
    solver::search(board, unknown, {keep_three, nullptr});
    if (g_first_three.size() < 3) {
      grid = fewer;
      return g_first_three.size() == 2;
    }
    int cell = 0;
    while (cell < 81 && (g_first_three[0][cell] != g_first_three[1][cell] ||
                         g_first_three[0][cell] == g_first_three[2][cell])) {
      ++cell;
    }
    if (cell == 81) return false;
    fewer[cell] = solver::kDigitTable[static_cast<unsigned>(
        g_first_three[0][static_cast<unsigned>(cell)])];
  }
}

// Puzzles of every benchmark set (of hard_for_search, those that make the
// order-free search branch most) as they are, with one solution; with a
// given taken away, leaving two; with a wrong digit put in, leaving none.
// The listing, the first solution first, against the plain search.
TEST(SearchEquivalenceTest, BenchmarkPuzzlesWithOneDigitChanged) {
  struct Set {
    const char* name;
    std::size_t from;
    std::size_t count;
  };
  int by_solutions[3] = {0, 0, 0};
  for (const Set& set :
       {Set{"/hard_for_search.txt", 8, 5},
        Set{"/bench_forum_hardest_1106.txt", 0, 8},
        Set{"/bench_17clue.txt", 0, 8}, Set{"/bench_top1465.txt", 0, 8}}) {
    const std::vector<std::string> lines =
        lines_of(VORTEL_BENCH_DATA + std::string(set.name));
    for (std::size_t k = set.from; k < set.from + set.count; ++k) {
      const test::Grid grid = grid_from_line(lines.at(k));
      std::vector<test::Grid> variants = {grid, grid, grid};
      if (!make_two_solutions(variants[1])) variants.pop_back();
      change_one_given(variants.back(), static_cast<int>(k % 40));
      for (const test::Grid& variant : variants) {
        Board board = loaded_board(variant);
        std::int32_t unknown;
        if (!propagated(board, unknown)) continue;
        SCOPED_TRACE(std::string(set.name) + " line " + std::to_string(k));
        const std::vector<Board> expected =
            plain::solutions(loaded_board(variant), 3);
        g_listed.clear();
        solver::search(board, unknown, {list_until_limit, nullptr});
        ASSERT_EQ(g_listed, expected);
        ++by_solutions[std::min<std::size_t>(expected.size(), 2)];
      }
    }
  }
  EXPECT_GT(by_solutions[0], 20);
  EXPECT_GT(by_solutions[1], 20);
  EXPECT_GT(by_solutions[2], 10);
}

// Counts of about 10^4 to 10^5, with their progress milestones: puzzles
// whose counts are published with them (bench/data), and random ones
// counted by an independent enumerator. The first solution against the
// plain search.
TEST(SearchEquivalenceTest, LargeCounts) {
  std::vector<std::pair<test::Grid, long>> cases;
  for (const std::string& line :
       lines_of(VORTEL_BENCH_DATA "/multi_solution_counts.tsv")) {
    std::istringstream fields(line);
    long count = 0, target = 0, clues = 0;
    std::string puzzle;
    if (fields >> count >> target >> clues >> puzzle && count <= 100000) {
      cases.emplace_back(grid_from_line(puzzle), count);
    }
  }
  std::mt19937 rng(77);
  for (int n = 0; n < 12; ++n) {
    const test::Grid grid =
        test::random_puzzle(rng, 55 + static_cast<int>(rng() % 4));
    cases.emplace_back(grid, test::count_completions(grid, 1000000));
  }
  int large = 0;
  for (const auto& [grid, expected] : cases) {
    Board board = loaded_board(grid);
    std::int32_t unknown;
    if (!propagated(board, unknown)) continue;
    SCOPED_TRACE("count " + std::to_string(expected));
    g_milestones.clear();
    EXPECT_EQ(test::count_of(board, unknown, {10000, note_milestone, nullptr}),
              expected);
    EXPECT_EQ(g_milestones, multiples(expected, 10000));
    if (expected >= 10000) ++large;
    g_listed.clear();
    solver::search(board, unknown, {list_until_limit, nullptr});
    ASSERT_FALSE(g_listed.empty());
    EXPECT_EQ(g_listed.front(),
              plain::solutions(loaded_board(grid), 1).front());
  }
  EXPECT_GT(large, 5);
}

}  // namespace
