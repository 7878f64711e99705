// The patterns that several techniques share: locked candidates (a digit of
// one unit confined to its meeting with another) and naked and hidden sets.
// The plain techniques eliminate with them; the direct forms (singles.cpp)
// use them only when their eliminations leave a hidden single.
#ifndef VORTEL_LOGIC_PATTERNS_H_
#define VORTEL_LOGIC_PATTERNS_H_

#include <array>
#include <cstdint>

#include "logic/grid.h"
#include "logic/step.h"

namespace logic {

/// A digit of unit `base` whose places all lie in unit `cover` too; it
/// goes from the other cells of `cover`.
struct Locked {
  int digit = 0;
  int base = 0;
  int cover = 0;
  CellSet cells;    // the places in base
  CellSet removed;  // cover's other cells that carried the digit
};

/// A set of n cells of a unit and n digits: naked, the cells carry only the
/// digits (which go from the unit's other cells); hidden, the digits stand
/// only in the cells (whose other digits go).
struct DigitCellSet {
  int unit = 0;
  DigitSet digits = 0;
  CellSet cells;
};

/// The 9-bit sets of 2, 3 and 4 bits, in increasing order: sets[n] holds
/// count[n] of them.
struct Combinations {
  std::uint16_t sets[5][126]{};
  int count[5]{};
};
const Combinations& combinations();

/// Called with each pattern found; true stops the search.
using LockedVisit = bool (*)(const Grid& g, const Locked& lock, void* ctx);
using SetVisit = bool (*)(const Grid& g, const DigitCellSet& set, void* ctx);

/// Pointing (a box's digit on one line) or claiming (a line's digit in one
/// box), with at least one elimination.
void for_each_locked(const Grid& g, bool pointing, LockedVisit visit,
                     void* ctx);

/// Naked or hidden sets of `size` cells, with at least one elimination.
void for_each_naked_set(const Grid& g, int size, SetVisit visit, void* ctx);
void for_each_hidden_set(const Grid& g, int size, SetVisit visit, void* ctx);

/// The eliminations of a set as a step's `removed`.
void naked_set_removals(const Grid& g, const DigitCellSet& set, Step& step);
void hidden_set_removals(const Grid& g, const DigitCellSet& set, Step& step);

}  // namespace logic

#endif  // VORTEL_LOGIC_PATTERNS_H_
