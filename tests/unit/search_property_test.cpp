// vortel against an independent solution counter, on random puzzles.
//
// Each puzzle is a random valid grid with a random number of givens
// removed. A deliberately simple bitmask backtracker, written here and
// sharing nothing with the solver, enumerates the completions in row-major
// order. The built vortel must report the same count with -c, print the
// smallest completion as its first solution, and with -S list every
// solution in exactly that order.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "test_boards.h"
#include "vortel_process.h"

namespace {

using test::boards_after;
using test::Grid;
using test::random_grid;
using test::reported_count;
using test::run_vortel;
using test::VortelRun;

// Enumerates completions of `grid` in row-major, digit-ascending order,
// stopping after `limit` of them.
class SimpleCounter {
 public:
  explicit SimpleCounter(std::size_t limit) : limit_(limit) {}

  std::vector<Grid> solve(Grid grid) {
    solutions_.clear();
    rows_.fill(0);
    cols_.fill(0);
    boxes_.fill(0);
    for (int i = 0; i < 81; ++i) {
      if (grid[i] == 0) continue;
      const unsigned bit = 1U << grid[i];
      if ((rows_[i / 9] | cols_[i % 9] | boxes_[box(i)]) & bit) return {};
      rows_[i / 9] |= bit;
      cols_[i % 9] |= bit;
      boxes_[box(i)] |= bit;
    }
    fill(grid, 0);
    return solutions_;
  }

 private:
  static int box(int i) { return (i / 27) * 3 + (i % 9) / 3; }

  void fill(Grid& grid, int from) {
    if (solutions_.size() >= limit_) return;
    int i = from;
    while (i < 81 && grid[i] != 0) ++i;
    if (i == 81) {
      solutions_.push_back(grid);
      return;
    }
    for (int d = 1; d <= 9; ++d) {
      const unsigned bit = 1U << d;
      if ((rows_[i / 9] | cols_[i % 9] | boxes_[box(i)]) & bit) continue;
      grid[i] = d;
      rows_[i / 9] |= bit;
      cols_[i % 9] |= bit;
      boxes_[box(i)] |= bit;
      fill(grid, i + 1);
      rows_[i / 9] &= ~bit;
      cols_[i % 9] &= ~bit;
      boxes_[box(i)] &= ~bit;
      grid[i] = 0;
    }
  }

  std::size_t limit_;
  std::vector<Grid> solutions_;
  std::array<unsigned, 9> rows_{}, cols_{}, boxes_{};
};

// The one status right for a puzzle without solutions: 1 when the givens
// repeat a digit, 2 when the mathematical process reaches a contradiction
// (as the plain reference implementation finds it), 4 when only the search
// shows that none exists.
int status_without_solution(const Grid& puzzle) {
  std::string text;
  for (int i = 0; i < 81; ++i) {
    text += puzzle[i] == 0 ? '.' : static_cast<char>('0' + puzzle[i]);
  }
  solver::Board board = test::board_from_string(text);
  if (plain::check_consistency(board) != 0) return 1;
  std::int32_t unknown = solver::count_unknown(board);
  plain::propagate(board, unknown);
  return plain::check_consistency(board) != 0 ? 2 : 4;
}

TEST(SearchPropertyTest, MatchesAnIndependentCounter) {
  std::mt19937 rng(20261207);
  SimpleCounter counter(20000);
  int with_search = 0;
  int without_solution = 0;
  for (int trial = 0; trial < 300; ++trial) {
    Grid puzzle = random_grid(rng);
    // Between 30 and 53 holes; now and then a wrong given on top, which
    // usually leaves no solution at all.
    const int holes = 30 + static_cast<int>(rng() % 24);
    std::array<int, 81> order{};
    for (int i = 0; i < 81; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), rng);
    for (int k = 0; k < holes; ++k) puzzle[order[k]] = 0;
    if (trial % 10 == 9) {
      const int cell = order[0];
      puzzle[cell] = 1 + static_cast<int>(rng() % 9);
    }
    const std::vector<Grid> expected = counter.solve(puzzle);
    if (expected.size() >= 20000) continue;  // too many to enumerate here
    SCOPED_TRACE("trial " + std::to_string(trial));

    const VortelRun counted = run_vortel(puzzle, "-c");
    if (expected.empty()) {
      ++without_solution;
      const int status = status_without_solution(puzzle);
      EXPECT_EQ(counted.status, status);
      EXPECT_EQ(counted.out.find("Problema proposto privo di soluzioni!") !=
                    std::string::npos,
                status == 4);
      continue;
    }
    EXPECT_EQ(reported_count(counted.out), static_cast<long>(expected.size()));
    const bool searched = counted.status == 4;
    if (searched) ++with_search;
    EXPECT_EQ(counted.status, expected.size() == 1 && !searched ? 0 : 4);
    const std::vector<Grid> first = boards_after(
        counted.out, searched ? "Prima soluzione trovata"
                              : "Tabella risolta con solo processo matematico");
    ASSERT_EQ(first.size(), 1U);
    EXPECT_EQ(first[0], expected[0]);

    if (searched && expected.size() <= 50) {
      const VortelRun listed = run_vortel(puzzle, "-S");
      std::vector<Grid> all;
      for (std::size_t n = 1; n <= expected.size(); ++n) {
        const std::vector<Grid> one =
            boards_after(listed.out, "Soluzione N. " + std::to_string(n));
        ASSERT_EQ(one.size(), 1U) << n;
        all.push_back(one[0]);
      }
      EXPECT_EQ(all, expected);
      EXPECT_EQ(listed.status, 4);
    }
  }
  // The sample must exercise the search and the no-solution path.
  EXPECT_GT(with_search, 50);
  EXPECT_GT(without_solution, 5);
}

}  // namespace
