// The optimised solver against the plain reference implementation kept in
// tests/reference: on thousands of random boards every operation must leave
// the same cell values and the same unknown count, return the same result,
// and the search must report the same solutions in the same order.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "board_operations.h"
#include "solver/candidates.h"
#include "solver/consistency.h"
#include "solver/propagate.h"
#include "solver/state.h"
#include "test_boards.h"
#include "vortel_process.h"

namespace {

using solver::Board;
using solver::kCodeTable;

Board loaded_board(const test::Grid& grid) {
  Board board;
  for (int i = 0; i < 81; ++i) {
    board[i] = grid[i] == 0 ? solver::kLoadMarker : kCodeTable[grid[i]];
  }
  return board;
}

// The boards the operations meet in a run: freshly loaded puzzles (some
// with a wrong given, some with repeated digits), boards after a candidate
// pass, after propagation, and search trials (a propagated board with one
// more candidate assigned, not yet propagated).
std::vector<Board> sample_boards(int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Board> boards;
  while (static_cast<int>(boards.size()) < count) {
    test::Grid grid =
        test::random_puzzle(rng, 25 + static_cast<int>(rng() % 56));
    if (rng() % 4 == 0) grid[rng() % 81] = 1 + static_cast<int>(rng() % 9);
    Board board = loaded_board(grid);
    boards.push_back(board);
    std::int32_t unknown = solver::count_unknown(board);
    Board passed = board;
    plain::candidate_pass(passed, unknown);
    boards.push_back(passed);
    unknown = solver::count_unknown(board);
    plain::propagate(board, unknown);
    boards.push_back(board);
    for (int trial = 0; trial < 3; ++trial) {
      const unsigned k = rng() % 81;
      if (solver::is_determined(board[k])) continue;
      std::vector<std::int32_t> codes;
      for (int d = 1; d <= 9; ++d) {
        if (board[k] % kCodeTable[d] == 0) codes.push_back(kCodeTable[d]);
      }
      Board guess = board;
      guess[k] = codes[rng() % codes.size()];
      boards.push_back(guess);
    }
  }
  return boards;
}

std::string where(std::size_t index, const char* operation) {
  return std::string(operation) + " on sample board " + std::to_string(index);
}

TEST(EquivalenceTest, EveryOperationOnRandomBoards) {
  const std::vector<Board> boards = sample_boards(4000, 7);
  std::mt19937 rng(11);
  for (std::size_t n = 0; n < boards.size(); ++n) {
    const Board& start = boards[n];
    const std::int32_t unknown0 = solver::count_unknown(start);

    EXPECT_EQ(solver::check_consistency(start), plain::check_consistency(start))
        << where(n, "check_consistency");
    for (int r = 0; r < 9; ++r) {
      for (int c = 0; c < 9; ++c) {
        if (solver::is_determined(start[9 * r + c])) continue;
        ASSERT_EQ(support::compute_candidates(start, r, c),
                  plain::compute_candidates(start, r, c))
            << where(n, "compute_candidates") << " cell " << 9 * r + c;
      }
    }

    // One elimination of each kind, with a random unit and code (the empty
    // product's code 1 included).
    const int r = static_cast<int>(rng() % 9);
    const int c = static_cast<int>(rng() % 9);
    const unsigned digit = rng() % 10;
    const std::int32_t code = digit == 0 ? 1 : kCodeTable[digit];
    {
      Board fast = start, ref = start;
      std::int32_t uf = unknown0, ur = unknown0;
      support::eliminate_in_row(fast, r, code, uf);
      plain::eliminate_in_row(ref, r, code, ur);
      ASSERT_EQ(fast, ref) << where(n, "eliminate_in_row");
      ASSERT_EQ(uf, ur) << where(n, "eliminate_in_row");
      support::eliminate_in_column(fast, c, code, uf);
      plain::eliminate_in_column(ref, c, code, ur);
      ASSERT_EQ(fast, ref) << where(n, "eliminate_in_column");
      ASSERT_EQ(uf, ur) << where(n, "eliminate_in_column");
      support::eliminate_in_box(fast, r, c, code, uf);
      plain::eliminate_in_box(ref, r, c, code, ur);
      ASSERT_EQ(fast, ref) << where(n, "eliminate_in_box");
      ASSERT_EQ(uf, ur) << where(n, "eliminate_in_box");
    }

    Board passed = start;
    {
      Board ref = start;
      std::int32_t uf = unknown0, ur = unknown0;
      support::candidate_pass(passed, uf);
      plain::candidate_pass(ref, ur);
      ASSERT_EQ(passed, ref) << where(n, "candidate_pass");
      ASSERT_EQ(uf, ur) << where(n, "candidate_pass");
    }

    // Hidden singles run on boards whose open cells hold candidate
    // products: each open cell on its own, then whole sweeps.
    const std::int32_t unknown1 = solver::count_unknown(passed);
    for (int i = 0; i < 81; ++i) {
      if (solver::is_determined(passed[i])) continue;
      Board fast = passed, ref = passed;
      std::int32_t uf = unknown1, ur = unknown1;
      const int hit_fast = support::hidden_single(fast, i / 9, i % 9, uf);
      const int hit_ref = plain::hidden_single(ref, i / 9, i % 9, ur);
      ASSERT_EQ(hit_fast, hit_ref)
          << where(n, "hidden_single") << " cell " << i;
      ASSERT_EQ(fast, ref) << where(n, "hidden_single") << " cell " << i;
      ASSERT_EQ(uf, ur) << where(n, "hidden_single") << " cell " << i;
    }
    {
      Board fast = passed, ref = passed;
      std::int32_t uf = unknown1, ur = unknown1;
      ASSERT_EQ(support::hidden_single_sweep(fast, uf),
                plain::hidden_single_sweep(ref, ur))
          << where(n, "hidden_single_sweep");
      ASSERT_EQ(fast, ref) << where(n, "hidden_single_sweep");
      ASSERT_EQ(uf, ur) << where(n, "hidden_single_sweep");
    }

    {
      Board fast = start, ref = start;
      std::int32_t uf = unknown0, ur = unknown0;
      solver::propagate(fast, uf);
      plain::propagate(ref, ur);
      ASSERT_EQ(fast, ref) << where(n, "propagate");
      ASSERT_EQ(uf, ur) << where(n, "propagate");
      EXPECT_EQ(solver::check_consistency(fast), plain::check_consistency(ref))
          << where(n, "check_consistency after propagate");
    }
  }
}

// The search's trial: a propagated board with one open cell assigned. The
// shortcuts it takes (only the assigned cell's peers updated, unit singles
// carried over, the conflict flag read instead of a scan) must give what
// the full operations give.
TEST(EquivalenceTest, SearchTrialShortcuts) {
  std::mt19937 rng(13);
  int trials = 0;
  for (int n = 0; n < 1500; ++n) {
    test::Grid grid =
        test::random_puzzle(rng, 35 + static_cast<int>(rng() % 46));
    Board parent = loaded_board(grid);
    std::int32_t parent_unknown = solver::count_unknown(parent);
    plain::propagate(parent, parent_unknown);
    if (parent_unknown == 0 || plain::check_consistency(parent) != 0) continue;
    for (int k = 0; k < 81; ++k) {
      if (solver::is_determined(parent[k])) continue;
      for (int digit = 1; digit <= 9; ++digit) {
        if (parent[k] % kCodeTable[digit] != 0) continue;
        Board ref = parent;
        ref[k] = kCodeTable[digit];
        std::int32_t ur = parent_unknown - 1;
        Board passed = ref;
        std::int32_t up = ur;
        plain::candidate_pass(passed, up);
        plain::propagate(ref, ur);

        solver::State s;
        s.board = parent;
        solver::derive_masks(s);
        s.board[k] = kCodeTable[digit];
        solver::mark_determined(s, k, solver::make_digit(digit));
        solver::State passed_fast = s;
        std::int32_t uf = parent_unknown - 1;
        std::int32_t upf = uf;
        solver::candidate_pass_after_assignment(passed_fast, k,
                                                solver::make_digit(digit), upf);
        ASSERT_EQ(passed_fast.board, passed) << "pass, trial " << trials;
        ASSERT_EQ(upf, up);
        solver::propagate_after_assignment(s, k, solver::make_digit(digit), uf);
        ASSERT_EQ(s.board, ref) << "propagate, trial " << trials;
        ASSERT_EQ(uf, ur);
        ASSERT_EQ(s.conflict, plain::check_consistency(ref) != 0);
        ++trials;
      }
      break;  // the search branches on the first open cell only
    }
  }
  EXPECT_GT(trials, 1000);
}

}  // namespace
