// The geometry of the board: the row, column and box of each cell, the
// cells of each box, each cell's peers, and the numbering of the 27 units
// that every unit-indexed table of the solver follows.
//
// Units are numbered rows 0-8, columns 9-17, boxes 18-26 (box b spans rows
// 3 * (b / 3) .. + 2 and columns 3 * (b % 3) .. + 2). The same numbers are
// the bits of State::changed, the index of the propagation's per-unit
// singles and of the small problem's unit sets.
#ifndef VORTEL_SOLVER_UNITS_H_
#define VORTEL_SOLVER_UNITS_H_

#include <array>
#include <cstdint>

#include "solver/board.h"

namespace solver {

inline constexpr unsigned kUnitCount = 27;
inline constexpr unsigned kFirstColumnUnit = 9;
inline constexpr unsigned kFirstBoxUnit = 18;
/// Every unit's bit, as a set of units.
inline constexpr std::uint32_t kAllUnits = (1U << kUnitCount) - 1;

namespace detail {

constexpr std::array<std::uint8_t, kCells> make_line_of(bool column) {
  std::array<std::uint8_t, kCells> line{};
  for (unsigned i = 0; i < kCells; ++i) {
    line[i] = static_cast<std::uint8_t>(column ? i % 9 : i / 9);
  }
  return line;
}

constexpr std::array<std::uint8_t, kCells> make_box_of() {
  std::array<std::uint8_t, kCells> box{};
  for (unsigned i = 0; i < kCells; ++i) {
    box[i] = static_cast<std::uint8_t>((i / 27) * 3 + (i % 9) / 3);
  }
  return box;
}

}  // namespace detail

/// Row, column and box (0..8 each) of each cell.
inline constexpr std::array<std::uint8_t, kCells> kRowOf =
    detail::make_line_of(false);
inline constexpr std::array<std::uint8_t, kCells> kColOf =
    detail::make_line_of(true);
inline constexpr std::array<std::uint8_t, kCells> kBoxOf =
    detail::make_box_of();

/// The unit numbers of row r, column c and box b.
inline constexpr unsigned row_unit(unsigned r) {
  return r;
}
inline constexpr unsigned column_unit(unsigned c) {
  return kFirstColumnUnit + c;
}
inline constexpr unsigned box_unit(unsigned b) {
  return kFirstBoxUnit + b;
}

/// The three units of each cell: its row's, its column's and its box's
/// numbers, in that order.
inline constexpr std::array<std::array<std::uint8_t, 3>, kCells> kUnits = [] {
  std::array<std::array<std::uint8_t, 3>, kCells> units{};
  for (unsigned i = 0; i < kCells; ++i) {
    units[i] = {static_cast<std::uint8_t>(row_unit(kRowOf[i])),
                static_cast<std::uint8_t>(column_unit(kColOf[i])),
                static_cast<std::uint8_t>(box_unit(kBoxOf[i]))};
  }
  return units;
}();

/// The same three units as a set of unit bits.
inline constexpr std::array<std::uint32_t, kCells> kUnitBits = [] {
  std::array<std::uint32_t, kCells> bits{};
  for (unsigned i = 0; i < kCells; ++i) {
    for (unsigned u : kUnits[i]) bits[i] |= 1U << u;
  }
  return bits;
}();

/// The cells of each box in the solver's scanning order (rows outer,
/// columns inner).
extern const std::array<std::array<std::uint8_t, 9>, 9> kBoxCells;
/// Each cell's place in the column-major order (cell (r, c) -> 9 * c + r).
extern const std::array<std::uint8_t, kCells> kColumnMajor;
/// The first (top-left) cell of each box.
extern const std::array<std::uint8_t, 9> kBoxFirst;
/// The 20 cells sharing a row, column or box with each cell, ascending.
extern const std::array<std::array<std::uint8_t, 20>, kCells> kPeers;

}  // namespace solver

#endif  // VORTEL_SOLVER_UNITS_H_
