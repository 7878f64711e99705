// The counter where its two phases meet. It counts over States while more
// than 64 cells are open and over the small form (64-bit sets) from there
// down, so boards of 63 to 66 open cells after the logic take it through
// the small form's limit and through a first phase one and two levels
// deep. The puzzles are 17-given puzzles of bench/data with givens taken
// away until the logic deduces next to nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "solver/count.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "test_boards.h"

namespace {

using solver::Board;

struct Boundary {
  const char* puzzle;
  std::int32_t open;  // after the logic
  std::int64_t solutions;
  bool plain;  // few enough solutions for the plain reference
};

[[maybe_unused]] bool count_one(const Board& /*solution*/, void* context) {
  ++*static_cast<std::int64_t*>(context);
  return true;
}

void ignore_milestone(std::int64_t /*count*/, void* /*context*/) {}

// The counter against the recorded counts, and in an optimised build
// against an independent count too: the plain reference search where it
// can list them all in a second or two, else the ordered search's
// listing, which meets the small form only from 40 open cells down and
// has no first phase. (Under a Debug build's assertions the independent
// counts would take minutes.)
void check(const Boundary& boundary) {
  SCOPED_TRACE(boundary.puzzle);
  const Board loaded = test::board_from_string(boundary.puzzle);
  Board board = loaded;
  std::int32_t unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  ASSERT_EQ(unknown, boundary.open);
#ifdef NDEBUG
  std::int64_t independent = 0;
  if (boundary.plain) {
    independent =
        static_cast<std::int64_t>(plain::solutions(loaded, 100000).size());
  } else {
    solver::search(board, unknown, {count_one, &independent});
  }
  EXPECT_EQ(independent, boundary.solutions);
#endif
  EXPECT_EQ(test::count_of(board, unknown, {10000, ignore_milestone, nullptr}),
            boundary.solutions);
}

TEST(CountBoundaryTest, SixtyThreeOpenCells) {
  check(
      {".................1..2.34........5.2........7..8.6........1..9.8..3....."
       "67.4......",
       63, 7906, true});
}

// The small form's limit: all 64 bits of its sets in use.
TEST(CountBoundaryTest, SixtyFourOpenCells) {
  check(
      {".................1..2.3...........3...5...46..7.8........1........79.."
       ".86.4....2.",
       64, 7910, true});
}

TEST(CountBoundaryTest, SixtyFiveOpenCells) {
  check(
      {".................1..2.............3...5...46..7.8........1........79.."
       ".86.4....2.",
       65, 142549, false});
}

// The first phase two levels deep where a branch leaves 65 open cells.
TEST(CountBoundaryTest, SixtySixOpenCells) {
  check(
      {".................1..2.34........5.2........7..8.6........1..9.8..3....."
       "6..4......",
       66, 786117, false});
}

std::vector<std::int64_t> g_told;

void tell(std::int64_t count, void* /*context*/) {
  g_told.push_back(count);
}

// Near the top of 64 bits the total stops at INT64_MAX instead of
// wrapping round to a negative count, and the milestones stop with it.
TEST(CountBoundaryTest, TheTotalSaturatesAtTheTop) {
  constexpr std::int64_t kTop = std::numeric_limits<std::int64_t>::max();
  solver::CountProgress progress{nullptr, kTop - 10, 0};
  solver::add_to_count(progress, 5);
  EXPECT_EQ(progress.total, kTop - 5);
  solver::add_to_count(progress, 5);
  EXPECT_EQ(progress.total, kTop);
  solver::add_to_count(progress, 1);
  EXPECT_EQ(progress.total, kTop);
  solver::add_to_count(progress, kTop);
  EXPECT_EQ(progress.total, kTop);

  const std::int64_t every = std::int64_t{1} << 62;
  const solver::CountObserver observer{every, tell, nullptr};
  solver::CountProgress told{&observer, 0, every};
  g_told.clear();
  solver::add_to_count(told, every + 1);
  solver::add_to_count(told, every);  // 2^63 + 1: past the top
  EXPECT_EQ(told.total, kTop);
  ASSERT_GE(g_told.size(), 1U);
  EXPECT_EQ(g_told.front(), every);
  for (std::size_t i = 1; i < g_told.size(); ++i) {
    EXPECT_GT(g_told[i], g_told[i - 1]);
  }
}

}  // namespace
