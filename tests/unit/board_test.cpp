// The encoding facts the solver relies on.
#include "solver/board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "solver/state.h"
#include "test_boards.h"

namespace {

using solver::kCodeTable;
using solver::kDigitTable;

TEST(BoardTest, CodeAndDigitTablesAreInverse) {
  int codes_seen = 0;
  for (std::int32_t value = 0; value <= solver::kMaxCode; ++value) {
    const std::int32_t digit = kDigitTable[static_cast<unsigned>(value)];
    if (digit != 0) {
      EXPECT_EQ(kCodeTable[static_cast<unsigned>(digit)], value);
      ++codes_seen;
    }
  }
  EXPECT_EQ(codes_seen, 9);
  EXPECT_EQ(kDigitTable[solver::kEmptyProduct], 0);
}

TEST(BoardTest, ProductsOfTwoOrMoreCodesAreUndetermined) {
  for (unsigned a = 1; a <= 9; ++a) {
    for (unsigned b = a + 1; b <= 9; ++b) {
      EXPECT_FALSE(solver::is_determined(kCodeTable[a] * kCodeTable[b]));
    }
  }
  std::int64_t all = 1;
  for (unsigned d = 1; d <= 9; ++d) all *= kCodeTable[d];
  EXPECT_EQ(all, solver::kAllCandidates);
  EXPECT_LE(all, INT32_MAX);
}

// Dividing the full product by the codes, in several orders, keeps the
// value undetermined for seven steps, leaves one code after the eighth and
// the empty product after the ninth; each code divides exactly while
// present and not at all once removed.
TEST(BoardTest, RemovingCodesInAnyOrder) {
  std::array<unsigned, 9> order = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int rotation = 0; rotation < 9; ++rotation) {
    std::rotate(order.begin(), order.begin() + 1, order.end());
    for (bool reversed : {false, true}) {
      std::array<unsigned, 9> steps = order;
      if (reversed) std::reverse(steps.begin(), steps.end());
      std::int32_t value = solver::kAllCandidates;
      for (int step = 0; step < 9; ++step) {
        const std::int32_t code =
            kCodeTable[steps[static_cast<unsigned>(step)]];
        ASSERT_EQ(value % code, 0);
        value /= code;
        EXPECT_NE(value % code, 0) << "code " << code << " divides twice";
        if (step < 7) {
          EXPECT_FALSE(solver::is_determined(value));
        } else if (step == 7) {
          EXPECT_NE(kDigitTable[static_cast<unsigned>(value)], 0);
        }
      }
      EXPECT_EQ(value, solver::kEmptyProduct);
    }
  }
}

TEST(BoardTest, LoadMarkerNeverBecomesDetermined) {
  for (std::int32_t code : {7, 9, 11, 13}) {
    EXPECT_EQ(solver::kLoadMarker % code, 0);
  }
  EXPECT_EQ(solver::kLoadMarker / 9 / 7 / 11 / 13, 111);
  // Whatever codes an elimination divides out, the marker stays above 23.
  for (unsigned mask = 0; mask < 512; ++mask) {
    std::int32_t value = solver::kLoadMarker;
    for (unsigned d = 1; d <= 9; ++d) {
      if ((mask >> (d - 1)) & 1U && value % kCodeTable[d] == 0) {
        value /= kCodeTable[d];
      }
    }
    EXPECT_FALSE(solver::is_determined(value));
  }
}

TEST(BoardTest, CountUnknown) {
  solver::Board board;
  board.fill(solver::kLoadMarker);
  EXPECT_EQ(solver::count_unknown(board), 81);
  board = test::board_from_string(test::kSolvedGrid);
  EXPECT_EQ(solver::count_unknown(board), 0);
  board[40] = solver::kEmptyProduct;  // an emptied cell counts as determined
  EXPECT_EQ(solver::count_unknown(board), 0);
  board[0] = 30;
  EXPECT_EQ(solver::count_unknown(board), 1);
}

}  // namespace

namespace {

// The division-free divisibility test and exact quotient agree with % and
// / on every value the encoding can produce: all products of distinct
// codes and the load marker with any of its codes divided out.
TEST(BoardTest, DivisionFreeArithmeticMatchesDivision) {
  std::vector<std::int32_t> values;
  for (unsigned mask = 0; mask < 512; ++mask) {
    values.push_back(solver::kProductOfMask[mask]);
  }
  for (unsigned mask = 0; mask < 16; ++mask) {
    std::int32_t v = solver::kLoadMarker;
    for (unsigned k = 0; k < 4; ++k) {
      if ((mask >> k) & 1U) v /= kCodeTable[3 + k];
    }
    values.push_back(v);
  }
  for (std::int32_t v : values) {
    solver::Mask expected = 0;
    if (!solver::is_determined(v)) {
      for (int d = 1; d <= 9; ++d) {
        if (v % kCodeTable[d] == 0)
          expected |= solver::digit_bit(solver::make_digit(d));
      }
    }
    EXPECT_EQ(solver::mask_of(v), expected) << v;
    for (int d = 1; d <= 9; ++d) {
      if (v % kCodeTable[d] == 0) {
        EXPECT_EQ(solver::divide_exactly(v, solver::make_digit(d)),
                  v / kCodeTable[d])
            << v;
      }
    }
  }
}

}  // namespace
