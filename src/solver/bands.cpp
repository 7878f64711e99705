// The deductions over Bands (see bands.h for the encoding) and their
// invariant check.
#include "solver/bands.h"

#include <cstring>

#include "solver/digits.h"
#include "solver/state.h"
#include "solver/units.h"

namespace solver {

namespace {

// What is left to look at, from the cheapest to the dearest: the bands of
// a digit whose cells changed (bit 16 * b + d for digit d + 1's band b),
// then the digits whose columns may tell something (bit d), then the
// cells for naked singles, which every change may call for.
struct Work {
  std::uint64_t bands;
  unsigned digits;
};

// Every digit's every band, and every digit: the work of a new board.
constexpr Work kEverything = {0x1FF01FF01FFULL, 0x1FF};

// Work's bit of digit d's band b.
constexpr std::uint64_t band_bit(BandDigit d, unsigned b) {
  return std::uint64_t{1} << (16 * b + d);
}

// Four digits' sets of one band side by side, so that taking cells away
// from all nine digits of a band is three operations, not nine.
using Lanes = std::uint32_t __attribute__((vector_size(16)));

// Takes `cells` away from the nine digits of a band; returns the digits
// that lost any (bit e for digit e + 1).
std::uint64_t clear_cells(std::array<std::uint32_t, 9>& digits,
                          std::uint32_t cells) {
  Lanes low;
  Lanes high;
  std::memcpy(&low, &digits[0], sizeof low);
  std::memcpy(&high, &digits[4], sizeof high);
  const Lanes lost_low = low & cells;
  const Lanes lost_high = high & cells;
  low ^= lost_low;
  high ^= lost_high;
  std::memcpy(&digits[0], &low, sizeof low);
  std::memcpy(&digits[4], &high, sizeof high);
  const Lanes bits =
      (reinterpret_cast<Lanes>(lost_low != 0) & Lanes{1, 2, 4, 8}) |
      (reinterpret_cast<Lanes>(lost_high != 0) & Lanes{16, 32, 64, 128});
  const std::uint32_t lost_last = digits[8] & cells;
  digits[8] ^= lost_last;
  return bits[0] | bits[1] | bits[2] | bits[3] |
         static_cast<std::uint64_t>(lost_last != 0) << 8;
}

// Places digit d on the open cells `cells` of band b, no two of them in
// one row, box or column, and none with a peer in the band that may hold
// d: the other digits leave them, and d leaves their columns in the other
// two bands.
void place_apart(Bands& bands, BandDigit d, unsigned b, std::uint32_t cells,
                 Work& work) {
  std::array<std::uint32_t, 9>& here = bands.where[b];
  std::uint64_t changed = clear_cells(here, cells);
  here[d] |= cells;  // d's own, taken away with the others'
  changed = (changed & ~(std::uint64_t{1} << d)) << (16 * b);
  const std::uint32_t columns = spread(fold(cells));
  const unsigned b1 = next_band(b);
  const unsigned b2 = previous_band(b);
  std::uint32_t& there1 = bands.where[b1][d];
  std::uint32_t& there2 = bands.where[b2][d];
  if ((there1 & columns) != 0) changed |= band_bit(d, b1);
  if ((there2 & columns) != 0) changed |= band_bit(d, b2);
  there1 &= ~columns;
  there2 &= ~columns;
  bands.open[b] &= ~cells;
  work.bands |= changed;
}

// Places digit d on the open cells `cells` of band b at once: d leaves
// their peers, the other digits leave them. False when two of them are
// peers, or d may no longer stand on one of them: a unit would hold d
// twice, or a cell or unit whose only way out was one of them has none.
// Out of line, as the naked-single sweep is: the band loop of settle, which
// runs far more often, then stays in registers.
__attribute__((noinline)) bool place(Bands& bands, BandDigit d, unsigned b,
                                     std::uint32_t cells, Work& work) {
  std::uint32_t& own = bands.where[b][d];
  if ((cells & ~own) != 0) return false;
  // Two cells of one band in one column are in one box too.
  std::uint32_t peers = 0;
  for (std::uint32_t rest = cells; rest != 0; rest &= rest - 1) {
    peers |= kBandPeers[static_cast<unsigned>(__builtin_ctz(rest))];
  }
  if ((peers & cells) != 0) return false;
  if ((own & peers) != 0) {
    own &= ~peers;
    work.bands |= band_bit(d, b);
  }
  place_apart(bands, d, b, cells, work);
  return true;
}

// The cells of `cells` alone in their row, for a band set with a cell in
// every row (so that taking one from each row borrows from none other).
std::uint32_t alone_in_row(std::uint32_t cells) {
  const std::uint32_t several = cells & (cells - kBandColumnCells);
  std::uint32_t shared = 0;
  for (unsigned r = 0; r < 27; r += 9) {
    if ((several >> r) & kBandRowCells) shared |= kBandRowCells << r;
  }
  return cells & ~shared;
}

// Digit d in band b: its matching of rows with boxes, then its hidden
// singles in rows (a box's only cell is its row's too, once the matching
// holds). False when a row or box is left without a place for it.
bool settle_band(Bands& bands, BandDigit d, unsigned b, Work& work) {
  const std::uint32_t cells = bands.where[b][d];
  // Placed in the whole band: three cells, one a row. Fewer means a row
  // lost its last place for the digit while the others were placed (a
  // search from bare givens meets it), and the band has no completion.
  if ((cells & bands.open[b]) == 0) return __builtin_popcount(cells) == 3;
  const unsigned segments = unsigned{kRowSegments[cells & kBandRowCells]} |
                            unsigned{kRowSegments[(cells >> 9) & kBandRowCells]}
                                << 3 |
                            unsigned{kRowSegments[cells >> 18]} << 6;
  const std::uint32_t kept = cells & kBandKeep[segments];
  if (kept == 0) return false;
  bands.where[b][d] = kept;
  work.digits |= 1U << d;
  // After the matching, a row's only cell is its box's only one too, and
  // two of them share no column: the matching puts them in two boxes.
  const std::uint32_t singles = alone_in_row(kept) & bands.open[b];
  if (singles != 0) place_apart(bands, d, b, singles, work);
  return true;
}
// Digit d over the columns: each stack's matching of bands with columns,
// then its hidden singles in columns. False when a column or box is left
// without a place for it.
bool settle_columns(Bands& bands, BandDigit d, Work& work) {
  std::array<std::uint32_t, 3> x = {bands.where[0][d], bands.where[1][d],
                                    bands.where[2][d]};
  if (((x[0] & bands.open[0]) | (x[1] & bands.open[1]) |
       (x[2] & bands.open[2])) == 0) {
    return true;  // placed in all nine boxes
  }
  // Stacks: bit 3 * band + column-in-stack of each stack's relation.
  const std::uint32_t f0 = fold(x[0]);
  const std::uint32_t f1 = fold(x[1]);
  const std::uint32_t f2 = fold(x[2]);
  std::uint32_t keep0 = 0;
  std::uint32_t keep1 = 0;
  std::uint32_t keep2 = 0;
  for (unsigned s = 0; s < 9; s += 3) {
    const unsigned pairs =
        ((f0 >> s) & 7U) | ((f1 >> s) & 7U) << 3 | ((f2 >> s) & 7U) << 6;
    const unsigned keep = kMatchings[pairs];
    if (keep == 0) return false;
    keep0 |= (keep & 7U) << s;
    keep1 |= ((keep >> 3) & 7U) << s;
    keep2 |= ((keep >> 6) & 7U) << s;
  }
  const std::uint32_t kept0 = x[0] & spread(keep0);
  const std::uint32_t kept1 = x[1] & spread(keep1);
  const std::uint32_t kept2 = x[2] & spread(keep2);
  work.bands |= (static_cast<std::uint64_t>(kept0 != x[0]) |
                 static_cast<std::uint64_t>(kept1 != x[1]) << 16 |
                 static_cast<std::uint64_t>(kept2 != x[2]) << 32)
                << d;
  x = {kept0, kept1, kept2};
  bands.where[0][d] = kept0;
  bands.where[1][d] = kept1;
  bands.where[2][d] = kept2;
  // A column's only cell: the column is in one band only, and in one row
  // of it.
  std::uint32_t several = 0;
  std::array<std::uint32_t, 3> columns;
  for (unsigned b = 0; b < 3; ++b) {
    const std::uint32_t c = x[b];
    columns[b] = fold(c);
    several |= (c & c >> 9) | (c & c >> 18) | (c >> 9 & c >> 18);
  }
  several |= (columns[0] & columns[1]) | (columns[0] & columns[2]) |
             (columns[1] & columns[2]);
  const std::uint32_t alone = spread(~several & kAllColumns);
  for (unsigned b = 0; b < 3; ++b) {
    const std::uint32_t cells = x[b] & alone & bands.open[b];
    if (cells != 0 && !place(bands, d, b, cells, work)) return false;
  }
  return true;
}

// Naked singles: open cells with one digit left are placed. False when a
// cell has none.
__attribute__((noinline)) bool settle_cells(Bands& bands, Work& work) {
  for (unsigned b = 0; b < 3; ++b) {
    std::uint32_t one = 0;
    std::uint32_t two = 0;
    std::uint32_t three = 0;
    for (BandDigit d = 0; d < 9; ++d) {
      const std::uint32_t x = bands.where[b][d];
      three |= two & x;
      two |= one & x;
      one |= x;
    }
    if ((one & kBandCells) != kBandCells) return false;  // a cell, no digit
    bands.pairs[b] = bands.open[b] & two & ~three;
    const std::uint32_t singles = bands.open[b] & ~two;
    if (singles == 0) continue;
    for (BandDigit d = 0; d < 9; ++d) {
      const std::uint32_t cells = singles & bands.where[b][d];
      if (cells != 0 && !place(bands, d, b, cells, work)) return false;
    }
  }
  return true;
}

// Every deduction until none applies; false when no completion exists.
bool settle(Bands& bands, Work work) {
  for (;;) {
    if (work.bands != 0) {
      const unsigned i = static_cast<unsigned>(__builtin_ctzll(work.bands));
      work.bands &= work.bands - 1;
      if (!settle_band(bands, i & 15U, i >> 4, work)) return false;
    } else if (work.digits != 0) {
      const BandDigit d = static_cast<unsigned>(__builtin_ctz(work.digits));
      work.digits &= work.digits - 1;
      if (!settle_columns(bands, d, work)) return false;
    } else {
      if (!settle_cells(bands, work)) return false;
      if ((work.bands | work.digits) == 0) return true;
    }
  }
}

// The Bands index of a determined cell's digit.
BandDigit band_digit(std::int32_t code) {
  return index_of(digit_of_code(code)) - 1;
}

// Whether every row, column and box has a cell where digit d may stand.
bool every_unit_has(const Bands& bands, BandDigit d) {
  std::array<bool, kUnitCount> seen{};
  for (unsigned i = 0; i < kCells; ++i) {
    if ((bands.where[i / 27][d] >> (i % 27)) & 1U) {
      for (unsigned u : kUnits[i]) seen[u] = true;
    }
  }
  for (bool unit : seen) {
    if (!unit) return false;
  }
  return true;
}

// The checks of one board cell i (see bands_are_settled).
bool cell_is_settled(const Bands& bands, unsigned i) {
  const unsigned b = i / 27;
  const unsigned p = i % 27;
  const unsigned digits = digits_at(bands, b, p);
  const int n = bit_count(digits);
  const bool open = ((bands.open[b] >> p) & 1U) != 0;
  const bool pair = ((bands.pairs[b] >> p) & 1U) != 0;
  if (pair != (open && n == 2)) return false;
  if (open) return n >= 2;
  if (n != 1) return false;
  // The peers from the board's geometry (units.h), not from band_tables.h.
  const BandDigit d = static_cast<unsigned>(__builtin_ctz(digits));
  for (unsigned j : kPeers[i]) {
    if ((bands.where[j / 27][d] >> (j % 27)) & 1U) return false;
  }
  return true;
}

}  // namespace

bool make_bands(const Board& board, Bands& bands) {
  for (auto& band : bands.where) band = {};
  bands.open = {0, 0, 0};
  std::array<std::array<std::uint32_t, 9>, 3> placed = {};
  // Cells open to every digit (a puzzle straight from its givens has
  // mostly those) are gathered and given to the nine digits at once.
  std::array<std::uint32_t, 3> any = {0, 0, 0};
  for (unsigned i = 0; i < kCells; ++i) {
    const unsigned b = i / 27;
    const std::uint32_t bit = 1U << (i % 27);
    if (is_determined(board[i])) {
      placed[b][band_digit(board[i])] |= bit;
      continue;
    }
    bands.open[b] |= bit;
    if (board[i] == kAllCandidates) {
      any[b] |= bit;
      continue;
    }
    for (Mask m = mask_of(board[i]); m != 0;
         m = static_cast<Mask>(m & (m - 1))) {
      bands.where[b][static_cast<unsigned>(__builtin_ctz(m)) - 1] |= bit;
    }
  }
  for (unsigned b = 0; b < 3; ++b) {
    for (std::uint32_t& cells : bands.where[b]) cells |= any[b];
  }
  // Each determined cell's digit leaves its peers (a propagated board has
  // done so already). Two of them in one unit take each other away, and
  // the deductions then find the unit without the digit.
  for (BandDigit d = 0; d < 9; ++d) {
    std::array<std::uint32_t, 3> peers = {0, 0, 0};
    std::array<std::uint32_t, 3> columns = {0, 0, 0};
    for (unsigned b = 0; b < 3; ++b) {
      for (std::uint32_t cells = placed[b][d]; cells != 0; cells &= cells - 1) {
        const unsigned p = static_cast<unsigned>(__builtin_ctz(cells));
        peers[b] |= kBandPeers[p];
        columns[b] |= kBandColumn[p];
      }
    }
    for (unsigned b = 0; b < 3; ++b) {
      const std::uint32_t elsewhere =
          columns[next_band(b)] | columns[previous_band(b)];
      bands.where[b][d] =
          (bands.where[b][d] | placed[b][d]) & ~peers[b] & ~elsewhere;
    }
  }
  if (!settle(bands, kEverything)) return false;
  VORTEL_ASSERT_BANDS(bands);
  return true;
}

bool place_and_deduce(Bands& bands, BandDigit d, unsigned b, unsigned p) {
  Work work = {0, 0};
  if (!place(bands, d, b, 1U << p, work) || !settle(bands, work)) {
    return false;
  }
  VORTEL_ASSERT_BANDS(bands);
  return true;
}

void write_board(const Bands& bands, Board& out) {
  for (BandDigit d = 0; d < 9; ++d) {
    const std::int32_t code = kCodeTable[d + 1];
    for (unsigned b = 0; b < 3; ++b) {
      for (std::uint32_t cells = bands.where[b][d]; cells != 0;
           cells &= cells - 1) {
        out[27 * b + static_cast<unsigned>(__builtin_ctz(cells))] = code;
      }
    }
  }
}

bool bands_are_settled(const Bands& bands) {
  for (unsigned b = 0; b < 3; ++b) {
    if ((bands.open[b] & ~kBandCells) != 0 ||
        (bands.pairs[b] & ~bands.open[b]) != 0) {
      return false;
    }
    for (std::uint32_t cells : bands.where[b]) {
      if ((cells & ~kBandCells) != 0) return false;
    }
  }
  for (BandDigit d = 0; d < 9; ++d) {
    if (!every_unit_has(bands, d)) return false;
  }
  for (unsigned i = 0; i < kCells; ++i) {
    if (!cell_is_settled(bands, i)) return false;
  }
  return true;
}

}  // namespace solver
