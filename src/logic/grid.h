// The candidate grid the rating ladder works on, and the board's geometry.
//
// Cells are numbered 0..80 in row-major order. The 27 units are numbered
// rows 0..8, columns 9..17, boxes 18..26. A digit set is a 16-bit mask with
// bit d for digit d (1..9). A set of cells is a CellSet (base/cells.h).
//
// A Grid holds, for each cell, its digit (0 while open) and, for an open
// cell, the digits it may still take. Placing a digit clears that digit
// from every peer's candidates, so an open cell never carries a digit that a
// peer holds: the invariant every technique relies on.
#ifndef VORTEL_LOGIC_GRID_H_
#define VORTEL_LOGIC_GRID_H_

#include <cstdint>

#include "base/cells.h"

namespace logic {

// The puzzle and the set of cells of the whole program (base/cells.h).
using base::add;
using base::bits;
using base::CellSet;
using base::count;
using base::empty;
using base::first;
using base::has;
using base::minus;
using base::Puzzle;
using base::remove;
using base::take_first;

using DigitSet = std::uint16_t;
inline constexpr DigitSet kAllDigits = 0x3FE;

/// Whether digit d is in the set.
inline bool carries(DigitSet set, int d) {
  return ((static_cast<unsigned>(set) >> d) & 1U) != 0;
}
inline int digit_count(DigitSet d) {
  return bits(d);
}
inline int lowest_digit(DigitSet d) {
  return __builtin_ctz(d);
}

inline constexpr int row_of(int cell) {
  return cell / 9;
}
inline constexpr int column_of(int cell) {
  return cell % 9;
}
inline constexpr int box_of(int cell) {
  return (cell / 27) * 3 + (cell % 9) / 3;
}
inline constexpr int kRowUnit = 0;
inline constexpr int kColumnUnit = 9;
inline constexpr int kBoxUnit = 18;

/// The board's geometry, computed once.
struct Geometry {
  std::uint8_t unit_cells[27][9];  // in order
  CellSet unit_set[27];
  std::uint8_t cell_units[81][3];  // row, col, box
  CellSet peers[81];               // the 20 cells sharing a unit
  std::uint8_t peer_list[81][20];  // the same, in order
};

const Geometry& geometry();

struct Grid {
  std::uint8_t digit[81]{};   // 0: open
  DigitSet candidates[81]{};  // 0 for a placed cell
  int open = 81;
};

/// The grid of a puzzle (digit per cell, 0 for empty): every open cell
/// carries the digits that no peer holds. The puzzle must be free of
/// repeated digits.
Grid make_grid(const Puzzle& puzzle);

/// Places `d` in the open cell and clears it from the peers' candidates.
void place(Grid& g, int cell, int d);

/// The open cells of unit `u` that carry digit `d`.
CellSet positions(const Grid& g, int u, int d);

/// The open cells of the whole grid that carry digit `d`.
CellSet positions(const Grid& g, int d);

/// The digits placed in unit `u`.
DigitSet placed_in(const Grid& g, int u);

/// Whether two cells share a unit.
inline bool sees(int a, int b) {
  return has(geometry().peers[a], b);
}

}  // namespace logic

#endif  // VORTEL_LOGIC_GRID_H_
