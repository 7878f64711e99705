// The deductions over Bands (see bands.h for the encoding) and their
// invariant check.
#include "solver/bands.h"

#include <cstring>

#include "solver/band_lanes.h"
#include "solver/digits.h"
#include "solver/state.h"
#include "solver/units.h"

namespace solver {

namespace {

// The program's base target has no population-count instruction, and the
// C runtime's helper would add a library to the program's start.
int count_bits(std::uint64_t x) {
  return bit_count(x);
}
unsigned band_segments(std::uint32_t cells) {
  return table_segments(cells);
}
unsigned clear_eight(std::uint32_t* digits, std::uint32_t cells) {
  return clear_eight_sse2(digits, cells);
}

#include "solver/band_deductions.inc"  // NOLINT(bugprone-suspicious-include)

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
  if (!build_bands(board, bands)) return false;
  VORTEL_ASSERT_BANDS(bands);
  return true;
}

bool place_and_deduce(Bands& bands, BandDigit d, unsigned b, unsigned p) {
  if (!deduce_placement(bands, d, b, p)) return false;
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
