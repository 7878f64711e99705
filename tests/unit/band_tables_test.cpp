// The tables of the board by digit and band, each held to its definition
// from the board's geometry, and the invariant check of Bands against
// hand-broken positions. A wrong entry is easily repaired by a later
// deduction, so the searches' answers alone would not show it.
#include "solver/band_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "solver/bands.h"
#include "solver/propagate.h"
#include "test_boards.h"

namespace {

// Band cell p's row (0..2), column (0..8) and box within the band (0..2).
unsigned row_of(unsigned p) {
  return p / 9;
}
unsigned column_of(unsigned p) {
  return p % 9;
}
unsigned box_of(unsigned p) {
  return p % 9 / 3;
}

// The band cells that satisfy `in`, as a set.
template <typename Predicate>
std::uint32_t cells_where(Predicate in) {
  std::uint32_t cells = 0;
  for (unsigned q = 0; q < 27; ++q) {
    if (in(q)) cells |= 1U << q;
  }
  return cells;
}

TEST(BandTablesTest, RowsColumnsBoxesAndPeers) {
  EXPECT_EQ(solver::kBandCells, cells_where([](unsigned) { return true; }));
  for (unsigned k = 0; k < 3; ++k) {
    EXPECT_EQ(solver::kBandRowCells << (9 * k),
              cells_where([k](unsigned q) { return row_of(q) == k; }));
    EXPECT_EQ(solver::kBandBoxCells << (3 * k),
              cells_where([k](unsigned q) { return box_of(q) == k; }));
  }
  for (unsigned c = 0; c < 9; ++c) {
    EXPECT_EQ(solver::kBandColumnCells << c,
              cells_where([c](unsigned q) { return column_of(q) == c; }));
  }
  for (unsigned p = 0; p < 27; ++p) {
    EXPECT_EQ(solver::kBandPeers[p], cells_where([p](unsigned q) {
                return q != p &&
                       (row_of(q) == row_of(p) || box_of(q) == box_of(p));
              }))
        << "cell " << p;
    EXPECT_EQ(solver::kBandColumn[p], cells_where([p](unsigned q) {
                return column_of(q) == column_of(p);
              }))
        << "cell " << p;
  }
}

TEST(BandTablesTest, EachBandHasTheOtherTwoForNeighbours) {
  for (unsigned b = 0; b < 3; ++b) {
    std::array<unsigned, 3> all = {b, solver::next_band(b),
                                   solver::previous_band(b)};
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::array<unsigned, 3>{0, 1, 2})) << "band " << b;
    EXPECT_EQ(solver::previous_band(solver::next_band(b)), b);
  }
}

TEST(BandTablesTest, SpreadAndFoldAreColumnsOfAllThreeRows) {
  for (std::uint32_t columns = 0; columns < 512; ++columns) {
    const std::uint32_t cells = cells_where([columns](unsigned q) {
      return ((columns >> column_of(q)) & 1U) != 0;
    });
    EXPECT_EQ(solver::spread(columns), cells);
    EXPECT_EQ(solver::fold(cells), columns);
    EXPECT_EQ(solver::fold(cells & (solver::kBandRowCells << 9)), columns);
  }
}

// kMatchings[r] must be the union of the 3x3 permutation matrices inside
// the relation r: each a one-to-one pairing that covers every row and
// every box (or band and column) once.
TEST(BandTablesTest, MatchingsAreTheUnionsOfThePermutationsInside) {
  std::array<unsigned, 3> perm = {0, 1, 2};
  std::array<unsigned, 6> matrices{};
  for (unsigned& matrix : matrices) {
    for (unsigned x = 0; x < 3; ++x) matrix |= 1U << (3 * x + perm[x]);
    std::next_permutation(perm.begin(), perm.end());
  }
  for (unsigned matrix : matrices) {
    for (unsigned k = 0; k < 3; ++k) {
      EXPECT_EQ(__builtin_popcount(matrix & (7U << (3 * k))), 1);  // row k
      EXPECT_EQ(__builtin_popcount(matrix & (0x49U << k)), 1);     // col k
    }
  }
  for (unsigned relation = 0; relation < 512; ++relation) {
    unsigned expected = 0;
    for (unsigned matrix : matrices) {
      if ((matrix & relation) == matrix) expected |= matrix;
    }
    EXPECT_EQ(solver::kMatchings[relation], expected) << relation;
  }
}

// kBandKeep spreads the kept segments (bit 3 * row + box) over their three
// cells each; kRowSegments says which of a row's boxes it has a cell in.
TEST(BandTablesTest, SegmentTablesMatchTheirCells) {
  for (unsigned segments = 0; segments < 512; ++segments) {
    const unsigned keep = solver::kMatchings[segments];
    EXPECT_EQ(solver::kBandKeep[segments], cells_where([keep](unsigned q) {
                return ((keep >> (3 * row_of(q) + box_of(q))) & 1U) != 0;
              }))
        << segments;
  }
  for (unsigned row = 0; row < 512; ++row) {
    unsigned expected = 0;
    for (unsigned c = 0; c < 9; ++c) {
      if ((row >> c) & 1U) expected |= 1U << (c / 3);
    }
    EXPECT_EQ(solver::kRowSegments[row], expected) << row;
  }
}

// A settled position passes the check; each kind of damage fails it.
TEST(BandTablesTest, SettledChecksEachInvariant) {
  solver::Board board = test::board_from_string(
      "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2....."
      "1.4......");
  std::int32_t unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  solver::Bands bands;
  ASSERT_TRUE(solver::make_bands(board, bands));
  ASSERT_TRUE(solver::bands_are_settled(bands));
  // The first placed cell is the 4 at the top left (band 0, cell 0).
  // Bands solve this puzzle, so the damage to an open cell goes to the
  // empty board's cell 0.
  solver::Board empty;
  empty.fill(solver::kAllCandidates);
  solver::Bands open_board;
  ASSERT_TRUE(solver::make_bands(empty, open_board));
  ASSERT_TRUE(solver::bands_are_settled(open_board));

  solver::Bands broken = bands;
  broken.where[0][3] |= 1U << 1;  // row 0, column 1: the 4's row
  EXPECT_FALSE(solver::bands_are_settled(broken)) << "a row peer";
  broken = bands;
  broken.where[1][3] |= 1U << 9;  // band 1, cell 9: row 4, column 0
  EXPECT_FALSE(solver::bands_are_settled(broken)) << "a column peer";
  broken = bands;
  broken.where[0][3] |= 1U << 19;  // row 2, column 1: the 4's box
  EXPECT_FALSE(solver::bands_are_settled(broken)) << "a box peer";
  broken = bands;
  broken.where[0][0] |= 1U;  // the placed cell holds two digits
  EXPECT_FALSE(solver::bands_are_settled(broken)) << "two digits placed";
  broken = open_board;
  for (auto& digit : broken.where[0]) digit &= ~1U;
  EXPECT_FALSE(solver::bands_are_settled(broken)) << "a cell without digits";
  broken = open_board;
  broken.pairs[0] ^= 1U;
  EXPECT_FALSE(solver::bands_are_settled(broken)) << "pairs out of step";
  broken = bands;
  broken.open[0] |= 1U << 31;
  EXPECT_FALSE(solver::bands_are_settled(broken)) << "a cell outside";
}

}  // namespace
