// The board by digit and band and its deductions, for the searches that
// only need to know whether completions exist and which: the first
// solution's, and the ordered search's question whether a trial has any
// completion.
//
// where[b][d] holds, for digit d + 1, the cells of band b (rows 3b..3b+2)
// where it may still stand, placed ones included: bit p is the band's cell
// p = 9 * (row - 3b) + column, so board cell i is bit i % 27 of band i / 27.
// open[b] holds the band's cells not yet placed. A placed cell keeps one
// digit's bit, and that digit's bit is cleared from every peer.
//
// A digit stands once in each row and once in each box of a band: its
// places there are one of the six matchings of the band's three rows with
// its three boxes. So the nine row-box segments (three cells each) of a
// digit's band can be masked, with one table look-up, to those that belong
// to a matching of non-empty segments; this is every pointing and
// claiming deduction of the band at once. The same holds for a stack's
// columns and boxes. With hidden singles of rows, columns and boxes and
// naked singles of cells, each a few word operations a band, a position
// costs a small fraction of a State trial, and it deduces more.
//
// Every deduction holds in every completion, so a search over Bands finds
// exactly the completions of the board it was made from. The searches
// over Bands are in completion.h (order-free) and search.h (the first
// solution); the constant tables in band_tables.h.
#ifndef VORTEL_SOLVER_BANDS_H_
#define VORTEL_SOLVER_BANDS_H_

#include <array>
#include <cassert>
#include <cstdint>

#include "solver/band_tables.h"
#include "solver/board.h"

namespace solver {

struct Bands {
  /// where[b][d]: the cells of band b where digit d + 1 may stand.
  std::array<std::array<std::uint32_t, 9>, 3> where;
  std::array<std::uint32_t, 3> open;
  /// The open cells with two digits left, as the last round of deductions
  /// found them: where the searches branch.
  std::array<std::uint32_t, 3> pairs;
};

/// The Bands of a conflict-free board: each undetermined cell may hold the
/// digits of its candidate mask (mask_of), each determined cell its digit.
/// The deductions are then made; false when they find that no completion
/// exists.
bool make_bands(const Board& board, Bands& bands);

/// Places digit d on the open cell p of band b and makes every deduction
/// that follows; false when they find that no completion exists (`bands`
/// is then left in no particular state).
bool place_and_deduce(Bands& bands, BandDigit d, unsigned b, unsigned p);

/// The digits that may stand at cell p of band b, as a set of nine bits
/// (bit d for digit d + 1).
inline unsigned digits_at(const Bands& bands, unsigned b, unsigned p) {
  unsigned digits = 0;
  for (BandDigit d = 0; d < 9; ++d) {
    digits |= ((bands.where[b][d] >> p) & 1U) << d;
  }
  return digits;
}

inline bool is_complete(const Bands& bands) {
  return (bands.open[0] | bands.open[1] | bands.open[2]) == 0;
}

/// The digits of a complete `bands` written over `out`.
void write_board(const Bands& bands, Board& out);

/// True when `bands` is what a round of deductions leaves: every set holds
/// band cells only; each placed cell holds exactly one digit, which none
/// of its peers (row, column, box) may hold; each open cell has two
/// digits or more; every row, column and box has a place for every digit;
/// and `pairs` holds exactly the open cells of two digits. Computed from
/// the board's geometry, not from band_tables.h, so that a wrong table
/// entry shows. Debug builds assert it after each placement with its
/// deductions (make_bands, place_and_deduce).
bool bands_are_settled(const Bands& bands);

#define VORTEL_ASSERT_BANDS(bands)             \
  assert(::solver::bands_are_settled(bands) && \
         "Bands out of step with their deductions")

}  // namespace solver

#endif  // VORTEL_SOLVER_BANDS_H_
