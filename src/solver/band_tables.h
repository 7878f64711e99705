// The constant tables of the board by digit and band (bands.h): the cell
// sets of a band's rows, boxes and columns, each band cell's peers, the
// band's neighbours, and the matchings behind the pointing and claiming
// deductions. Kept apart so that tests can hold each to its definition;
// a wrong entry would otherwise hide behind later deductions, which
// often repair what one missed.
//
// A band is rows 3b..3b+2; its cell p = 9 * (row - 3b) + column is bit p
// of a 27-bit set.
#ifndef VORTEL_SOLVER_BAND_TABLES_H_
#define VORTEL_SOLVER_BAND_TABLES_H_

#include <array>
#include <cstdint>

namespace solver {

/// A digit as Bands index it: 0..8 for the digits 1..9 (the solver's
/// Digit is 1..9).
using BandDigit = unsigned;
/// What a search step returns when no digit qualifies.
inline constexpr BandDigit kNoBandDigit = 9;

inline constexpr std::uint32_t kBandCells = 0x7FFFFFF;      // all 27 cells
inline constexpr std::uint32_t kBandRowCells = 0x1FF;       // row 0 of a band
inline constexpr std::uint32_t kBandBoxCells = 0x1C0E07;    // box 0 of a band
inline constexpr std::uint32_t kBandColumnCells = 0x40201;  // column 0
inline constexpr std::uint32_t kAllColumns = 0x1FF;  // the nine columns as bits

/// The other two bands of band b, the one below (wrapping) and the one
/// above.
inline constexpr unsigned next_band(unsigned b) {
  return b == 2 ? 0 : b + 1;
}
inline constexpr unsigned previous_band(unsigned b) {
  return b == 0 ? 2 : b - 1;
}

/// The cells of the nine columns of `columns` (bit c: column c) in a band.
inline constexpr std::uint32_t spread(std::uint32_t columns) {
  return columns | columns << 9 | columns << 18;
}

/// The columns where a band's cell set has a cell.
inline constexpr std::uint32_t fold(std::uint32_t cells) {
  return (cells | cells >> 9 | cells >> 18) & kAllColumns;
}

/// A 3x3 relation as nine bits, bit 3 * x + y for the pair (x, y): the
/// union of the permutation matrices (x -> y one to one) inside it. Empty
/// when none fits. The six permutations are closed under transposition, so
/// the table serves a band (row, box) and a stack (band, column) alike.
inline constexpr std::array<std::uint16_t, 512> kMatchings = [] {
  constexpr unsigned kPermutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                            {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  std::array<std::uint16_t, 512> table{};
  for (unsigned pairs = 0; pairs < 512; ++pairs) {
    for (const auto& perm : kPermutations) {
      unsigned bits = 0;
      for (unsigned x = 0; x < 3; ++x) bits |= 1U << (3 * x + perm[x]);
      if ((bits & pairs) == bits)
        table[pairs] |= static_cast<std::uint16_t>(bits);
    }
  }
  return table;
}();

/// For a band's cell set: its non-empty row-box segments (bit 3 * row +
/// box) -> the cells of the segments that belong to a matching; 0 when
/// none does. Indexed by the segments; the cells are spread out here so
/// that a look-up masks the band at once.
inline constexpr std::array<std::uint32_t, 512> kBandKeep = [] {
  std::array<std::uint32_t, 512> table{};
  for (unsigned segments = 0; segments < 512; ++segments) {
    const unsigned keep = kMatchings[segments];
    for (unsigned s = 0; s < 9; ++s) {
      if ((keep >> s) & 1U)
        table[segments] |= 7U << (9 * (s / 3) + 3 * (s % 3));
    }
  }
  return table;
}();

/// The non-empty three-cell segments of one row (nine bits) as three bits.
inline constexpr std::array<std::uint8_t, 512> kRowSegments = [] {
  std::array<std::uint8_t, 512> table{};
  for (unsigned row = 0; row < 512; ++row) {
    for (unsigned k = 0; k < 3; ++k) {
      if ((row >> (3 * k)) & 7U)
        table[row] |= static_cast<std::uint8_t>(1U << k);
    }
  }
  return table;
}();

/// A band set's non-empty row-box segments, bit 3 * row + box, by three
/// look-ups (a target with a bit-gather instruction has a quicker way).
inline unsigned table_segments(std::uint32_t cells) {
  return unsigned{kRowSegments[cells & kBandRowCells]} |
         unsigned{kRowSegments[(cells >> 9) & kBandRowCells]} << 3 |
         unsigned{kRowSegments[(cells >> 18) & kBandRowCells]} << 6;
}

/// The other cells of a band cell's row and box.
inline constexpr std::array<std::uint32_t, 27> kBandPeers = [] {
  std::array<std::uint32_t, 27> peers{};
  for (unsigned p = 0; p < 27; ++p) {
    const std::uint32_t row = kBandRowCells << (9 * (p / 9));
    const std::uint32_t box = kBandBoxCells << (3 * ((p % 9) / 3));
    peers[p] = (row | box) & ~(1U << p);
  }
  return peers;
}();

/// A band cell's column, as that column's cells in any band.
inline constexpr std::array<std::uint32_t, 27> kBandColumn = [] {
  std::array<std::uint32_t, 27> column{};
  for (unsigned p = 0; p < 27; ++p) column[p] = kBandColumnCells << (p % 9);
  return column;
}();

}  // namespace solver

#endif  // VORTEL_SOLVER_BAND_TABLES_H_
