// The 81 cells as every part of the program hands them on: a puzzle (or a
// solution) as the digit of each cell, and a set of cells.
//
// Cells are numbered 0..80 in row-major order. Both types are plain data,
// copied and compared whole, so that the recogniser that reads a puzzle,
// the engine that solves it and the ladder that rates it pass the same
// bytes without translating them.
#ifndef VORTEL_BASE_CELLS_H_
#define VORTEL_BASE_CELLS_H_

#include <cstdint>

namespace base {

/// A puzzle or a solution: the digit of each cell (1..9), 0 for an empty
/// one. A plain array inside, so that it is indexed by an int or an
/// unsigned cell number alike.
struct Puzzle {
  std::uint8_t cell[81];
  bool operator==(const Puzzle&) const = default;
};

/// A set of cells: bit i of the 128 bits for cell i.
struct CellSet {
  std::uint64_t low = 0;   // cells 0..63
  std::uint64_t high = 0;  // cells 64..80
};

/// The number of set bits, without the C runtime's helper: the target has
/// no population-count instruction by default, and the helper's call costs
/// more than these few operations.
constexpr int bits(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

constexpr bool has(const CellSet& s, int cell) {
  return cell < 64 ? ((s.low >> cell) & 1U) != 0
                   : ((s.high >> (cell - 64)) & 1U) != 0;
}
constexpr void add(CellSet& s, int cell) {
  if (cell < 64) {
    s.low |= std::uint64_t{1} << cell;
  } else {
    s.high |= std::uint64_t{1} << (cell - 64);
  }
}
constexpr void remove(CellSet& s, int cell) {
  if (cell < 64) {
    s.low &= ~(std::uint64_t{1} << cell);
  } else {
    s.high &= ~(std::uint64_t{1} << (cell - 64));
  }
}
constexpr CellSet operator&(const CellSet& a, const CellSet& b) {
  return {a.low & b.low, a.high & b.high};
}
constexpr CellSet operator|(const CellSet& a, const CellSet& b) {
  return {a.low | b.low, a.high | b.high};
}
constexpr CellSet minus(const CellSet& a, const CellSet& b) {
  return {a.low & ~b.low, a.high & ~b.high};
}
constexpr bool operator==(const CellSet& a, const CellSet& b) {
  return a.low == b.low && a.high == b.high;
}
constexpr bool empty(const CellSet& s) {
  return (s.low | s.high) == 0;
}
constexpr int count(const CellSet& s) {
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

}  // namespace base

#endif  // VORTEL_BASE_CELLS_H_
