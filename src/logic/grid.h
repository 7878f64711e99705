// The candidate grid the rating ladder works on, and the board's geometry.
//
// Cells are numbered 0..80 in row-major order. The 27 units are numbered
// rows 0..8, columns 9..17, boxes 18..26. A digit set is a 16-bit mask with
// bit d for digit d (1..9). A set of cells is a CellSet: bit i for cell i.
//
// A Grid holds, for each cell, its digit (0 while open) and, for an open
// cell, the digits it may still take. Placing a digit clears that digit
// from every peer's candidates, so an open cell never carries a digit that a
// peer holds: the invariant every technique relies on.
#ifndef VORTEL_LOGIC_GRID_H_
#define VORTEL_LOGIC_GRID_H_

#include <array>
#include <cstdint>

namespace logic {

using DigitSet = std::uint16_t;
inline constexpr DigitSet kAllDigits = 0x3FE;

/// A set of cells: bit i of the 128 bits for cell i.
struct CellSet {
  std::uint64_t low = 0;   // cells 0..63
  std::uint64_t high = 0;  // cells 64..80
};

/// The number of set bits, without the C runtime's helper: the target has
/// no population-count instruction by default, and the helper's call costs
/// more than these few operations.
inline int bits(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

inline bool has(const CellSet& s, int cell) {
  return cell < 64 ? ((s.low >> cell) & 1U) != 0
                   : ((s.high >> (cell - 64)) & 1U) != 0;
}
inline void add(CellSet& s, int cell) {
  if (cell < 64) {
    s.low |= std::uint64_t{1} << cell;
  } else {
    s.high |= std::uint64_t{1} << (cell - 64);
  }
}
inline void remove(CellSet& s, int cell) {
  if (cell < 64) {
    s.low &= ~(std::uint64_t{1} << cell);
  } else {
    s.high &= ~(std::uint64_t{1} << (cell - 64));
  }
}
inline CellSet operator&(const CellSet& a, const CellSet& b) {
  return {a.low & b.low, a.high & b.high};
}
inline CellSet operator|(const CellSet& a, const CellSet& b) {
  return {a.low | b.low, a.high | b.high};
}
inline CellSet minus(const CellSet& a, const CellSet& b) {
  return {a.low & ~b.low, a.high & ~b.high};
}
inline bool operator==(const CellSet& a, const CellSet& b) {
  return a.low == b.low && a.high == b.high;
}
inline bool empty(const CellSet& s) {
  return (s.low | s.high) == 0;
}
inline int count(const CellSet& s) {
  return bits(s.low) + bits(s.high);
}
/// The lowest cell of a non-empty set.
inline int first(const CellSet& s) {
  return s.low != 0 ? __builtin_ctzll(s.low) : 64 + __builtin_ctzll(s.high);
}
/// Removes and returns the lowest cell of a non-empty set.
inline int take_first(CellSet& s) {
  const int cell = first(s);
  remove(s, cell);
  return cell;
}

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
};

const Geometry& geometry();

/// A puzzle or a solution: the digit of each cell, 0 for an empty one.
struct Digits {
  std::uint8_t cell[81];
};

struct Grid {
  std::uint8_t digit[81]{};   // 0: open
  DigitSet candidates[81]{};  // 0 for a placed cell
  int open = 81;
};

/// The grid of a puzzle (digit per cell, 0 for empty): every open cell
/// carries the digits that no peer holds. The puzzle must be free of
/// repeated digits.
Grid make_grid(const Digits& puzzle);

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
