// The patterns that the ladder's techniques and the branches of the
// dynamic forcing chains with patterns (branch_patterns.cpp) share, each
// written once: locked candidates (a digit of one unit confined to its
// meeting with another), and naked sets, hidden sets and fish, which are
// one shape.
//
// That shape is a 9 x 9 table of lines and their entries, each line a
// 9-bit set of columns: a unit's cells and their digits (naked), a unit's
// digits and their cells (hidden), a digit's rows and their columns or its
// columns and their rows (fish). Lines S, n of them, whose entries lie in
// n columns U take those columns: the entries of U in the other lines go.
// The ladder names such a set by its lines and columns and turns it into
// a step; a branch derives its removals, with the removals it rests on.
#ifndef VORTEL_LOGIC_PATTERNS_H_
#define VORTEL_LOGIC_PATTERNS_H_

#include <cstdint>

#include "logic/grid.h"
#include "logic/step.h"

namespace logic {

/// The number of bits of each 9-bit set.
struct BitCounts {
  std::uint8_t of[512];
};
inline constexpr BitCounts kBits = [] {
  BitCounts t{};
  for (int s = 1; s < 512; ++s) {
    t.of[s] = static_cast<std::uint8_t>(t.of[s >> 1] + (s & 1));
  }
  return t;
}();

// ---- Locked candidates

/// A digit of unit `base` whose places all lie in unit `cover` too; it
/// goes from the other cells of `cover`.
struct Locked {
  int digit = 0;
  int base = 0;
  int cover = 0;
  CellSet cells;    // the places in base
  CellSet removed;  // cover's other cells that carried the digit
};

/// The unit that a digit's places in unit `base` (`slots`, two or more of
/// its nine, as in Slots below) all lie in: for a box, the row or column
/// they share; for a row or column, the box; -1 when there is none. Two
/// places share at most one such unit, so there is never a choice.
inline int locked_cover(int base, unsigned slots) {
  const Geometry& geo = geometry();
  const bool box = base >= kBoxUnit;
  for (int k = 0; k < 3; ++k) {
    // A box meets its rows and columns through the cells of its diagonal,
    // slots 0, 4 and 8; a line meets its boxes through slots 0, 3 and 6.
    const int diagonal = 4 * k;
    const int third = 3 * k;
    if ((slots & ~(7U << third)) == 0) {
      return box ? kRowUnit + row_of(geo.unit_cells[base][diagonal])
                 : kBoxUnit + box_of(geo.unit_cells[base][third]);
    }
    if (box && (slots & ~(0x49U << k)) == 0) {
      return kColumnUnit + column_of(geo.unit_cells[base][diagonal]);
    }
  }
  return -1;
}

/// The cells of `cover` outside `base` that carry digit d: what a locked
/// digit removes.
inline CellSet locked_removals(const Grid& g, int d, int base, int cover) {
  return minus(positions(g, cover, d), geometry().unit_set[base]);
}

/// Called with each pattern found; true stops the search.
using LockedVisit = bool (*)(const Grid& g, const Locked& lock, void* ctx);

/// Pointing (a box's digit on one line) or claiming (a line's digit in one
/// box), with at least one elimination, digit by digit, then unit by unit.
void for_each_locked(const Grid& g, bool pointing, LockedVisit visit,
                     void* ctx);

// ---- Tables: naked sets, hidden sets, fish

/// Each unit's digits and their places there, slots[u][d - 1]: bit k for
/// the unit's k-th cell (geometry().unit_cells), so that in a row the slot
/// is the column, in a column the row.
struct Slots {
  std::uint16_t of[27][9];
};
inline void fill_slots(const Grid& g, Slots& slots) {
  const Geometry& geo = geometry();
  for (auto& unit : slots.of) {
    for (std::uint16_t& at : unit) at = 0;
  }
  for (int cell = 0; cell < 81; ++cell) {
    const std::uint8_t(&units)[3] = geo.cell_units[cell];
    // The cell's slot in its row, column and box.
    const int slot[3] = {column_of(cell), row_of(cell),
                         3 * (row_of(cell) % 3) + column_of(cell) % 3};
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest) - 1;
      for (int k = 0; k < 3; ++k) {
        slots.of[units[k]][d] |= static_cast<std::uint16_t>(1U << slot[k]);
      }
    }
  }
}

/// How a table's entry (line i, column j) reads as a candidate.
enum class Shape { kNaked, kHidden, kRows, kColumns };

struct Table {
  Shape shape;
  int index;  // the unit, or for fish the digit
  std::uint16_t line[9];
};

inline Table naked_table(const Grid& g, int u) {
  Table table{Shape::kNaked, u, {}};
  for (int k = 0; k < 9; ++k) {
    table.line[k] = static_cast<std::uint16_t>(
        g.candidates[geometry().unit_cells[u][k]] >> 1);
  }
  return table;
}

inline Table hidden_table(const Slots& slots, int u) {
  Table table{Shape::kHidden, u, {}};
  for (int d = 0; d < 9; ++d) table.line[d] = slots.of[u][d];
  return table;
}

/// Digit d's rows and their columns (`by_rows`), or columns and rows.
inline Table fish_table(const Slots& slots, int d, bool by_rows) {
  Table table{by_rows ? Shape::kRows : Shape::kColumns, d, {}};
  const int first_unit = by_rows ? kRowUnit : kColumnUnit;
  for (int line = 0; line < 9; ++line) {
    table.line[line] = slots.of[first_unit + line][d - 1];
  }
  return table;
}

struct Candidate {
  int cell;
  int digit;
};

inline Candidate candidate_of(const Table& t, int i, int j) {
  const Geometry& geo = geometry();
  switch (t.shape) {
  case Shape::kNaked:
    return {geo.unit_cells[t.index][i], j + 1};
  case Shape::kHidden:
    return {geo.unit_cells[t.index][j], i + 1};
  case Shape::kRows:
    return {9 * i + j, t.index};
  default:
    return {9 * j + i, t.index};
  }
}

/// Calls visit(candidate) for each candidate of the table at a line of
/// `lines` and a column of `columns` (9-bit sets), line by line, column by
/// column; with `entries`, only for the line's entries. A set's removals
/// are the entries at the other lines and its columns.
template <typename Visit>
void for_each_candidate(const Table& t, unsigned lines, unsigned columns,
                        bool entries, Visit&& visit) {
  for (int i = 0; i < 9; ++i) {
    if (!((lines >> i) & 1U)) continue;
    const unsigned at = entries ? columns & t.line[i] : columns;
    for (unsigned rest = at; rest != 0; rest &= rest - 1) {
      visit(candidate_of(t, i, __builtin_ctz(rest)));
    }
  }
}

inline constexpr unsigned kNine = 0x1FF;

/// The lines with `least` to `most` entries.
inline unsigned lines_with(const Table& t, int least, int most) {
  unsigned lines = 0;
  for (int i = 0; i < 9; ++i) {
    const int n = kBits.of[t.line[i]];
    if (n >= least && n <= most) lines |= 1U << i;
  }
  return lines;
}

/// Called with a set's lines S and columns U (9-bit sets); true stops.
using TableVisit = bool (*)(const Table& t, unsigned lines, unsigned columns,
                            void* ctx);

/// The sets of `size` lines among `eligible` whose entries lie in at most
/// `size` columns, of which some other line has an entry (something goes),
/// in lexicographic order of their lines (0 1, 0 2, ..., 1 2, ...): the
/// order the branches take the first that removes something in. True once
/// `visit` has stopped the search.
bool for_each_set(const Table& t, unsigned eligible, int size, TableVisit visit,
                  void* ctx);

/// The sets as the ladder offers them: `size` columns exactly (fewer would
/// be a contradiction, which a grid with a solution never holds), in
/// increasing order of their lines as a 9-bit number, the order its steps
/// have always been chosen in (the first of equal ratings wins).
bool for_each_ladder_set(const Table& t, unsigned eligible, int size,
                         TableVisit visit, void* ctx);

/// Naked and hidden sets of `size` cells in the ladder's order: unit by
/// unit, then as for_each_ladder_set.
void for_each_naked_set(const Grid& g, int size, TableVisit visit, void* ctx);
void for_each_hidden_set(const Grid& g, int size, TableVisit visit, void* ctx);

/// A set as a step: its removals, its candidates' cells and digits, and the
/// units it lives in (a set's unit; a fish's base lines).
void set_step(const Table& t, unsigned lines, unsigned columns, Step& step);

/// The ladder's finders' visit: the set as a step at the floor of the
/// Sink that `sink` points to, offered to it.
bool offer_set(const Table& t, unsigned lines, unsigned columns, void* sink);

}  // namespace logic

#endif  // VORTEL_LOGIC_PATTERNS_H_
