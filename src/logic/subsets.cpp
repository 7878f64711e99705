// Naked and hidden sets of two to four cells: naked pair (3.0), triple
// (3.6), quad (5.0); hidden pair (3.4), triple (4.0), quad (5.4).
//
// Within a unit, cells and digits are handled as 9-bit sets (bit k for the
// unit's k-th cell), so a candidate set is one subset of nine with `size`
// bits, taken from a table.
#include <array>

#include "logic/patterns.h"
#include "logic/techniques.h"

namespace logic {

const Combinations& combinations() {
  static const Combinations kTable = [] {
    Combinations t;
    for (int s = 0; s < 512; ++s) {
      const int n = bits(static_cast<unsigned>(s));
      if (n >= 2 && n <= 4) {
        t.sets[n][t.count[n]++] = static_cast<std::uint16_t>(s);
      }
    }
    return t;
  }();
  return kTable;
}

namespace {

CellSet cells_of(int unit, unsigned slots) {
  CellSet s;
  for (int k = 0; k < 9; ++k) {
    if ((slots >> k) & 1U) add(s, geometry().unit_cells[unit][k]);
  }
  return s;
}

// Naked: `size` open slots whose digits together are `size`; some other
// open slot of the unit carries one of them.
bool naked_in_unit(const Grid& g, int u, int size, SetVisit visit, void* ctx) {
  const auto& cells = geometry().unit_cells[u];
  unsigned open = 0;
  for (int k = 0; k < 9; ++k) {
    if (g.candidates[cells[k]] != 0) open |= 1U << k;
  }
  const Combinations& table = combinations();
  for (int i = 0; i < table.count[size]; ++i) {
    const unsigned slots = table.sets[size][i];
    if ((slots & open) != slots) continue;
    unsigned digits = 0;
    for (int k = 0; k < 9; ++k) {
      if ((slots >> k) & 1U) digits |= g.candidates[cells[k]];
    }
    if (bits(digits) != size) continue;
    bool removes = false;
    for (int k = 0; k < 9; ++k) {
      if (!((slots >> k) & 1U) && (g.candidates[cells[k]] & digits) != 0) {
        removes = true;
      }
    }
    if (!removes) continue;
    const DigitCellSet set{u, static_cast<DigitSet>(digits),
                           cells_of(u, slots)};
    if (visit(g, set, ctx)) return true;
  }
  return false;
}

// The slots of unit u where each digit may stand; returns the digits that
// have any, as a 9-bit set (bit d - 1 for digit d).
unsigned digit_slots(const Grid& g, int u, unsigned (&slots_of)[10]) {
  const auto& cells = geometry().unit_cells[u];
  unsigned open_digits = 0;
  for (int d = 1; d <= 9; ++d) {
    for (int k = 0; k < 9; ++k) {
      if ((g.candidates[cells[k]] >> d) & 1U) slots_of[d] |= 1U << k;
    }
    if (slots_of[d] != 0) open_digits |= 1U << (d - 1);
  }
  return open_digits;
}

// Hidden: `size` digits not yet placed in the unit whose places together
// are `size` slots; one of those slots carries another digit.
bool hidden_in_unit(const Grid& g, int u, int size, SetVisit visit, void* ctx) {
  const auto& cells = geometry().unit_cells[u];
  unsigned slots_of[10]{};
  const unsigned open_digits = digit_slots(g, u, slots_of);
  const Combinations& table = combinations();
  for (int i = 0; i < table.count[size]; ++i) {
    const unsigned chosen = table.sets[size][i];
    if ((chosen & open_digits) != chosen) continue;
    unsigned slots = 0;
    for (int d = 1; d <= 9; ++d) {
      if ((chosen >> (d - 1)) & 1U) slots |= slots_of[d];
    }
    if (bits(slots) != size) continue;
    const auto digits = static_cast<DigitSet>(chosen << 1);
    bool removes = false;
    for (int k = 0; k < 9; ++k) {
      if (((slots >> k) & 1U) && (g.candidates[cells[k]] & ~digits) != 0) {
        removes = true;
      }
    }
    if (!removes) continue;
    const DigitCellSet set{u, digits, cells_of(u, slots)};
    if (visit(g, set, ctx)) return true;
  }
  return false;
}

bool offer_set(const Grid& g, const DigitCellSet& set, Step& step, Sink& sink) {
  (void)g;
  step.rating = sink.floor;
  step.digits = set.digits;
  step.cells = set.cells;
  step.units = 1U << set.unit;
  return sink.offer(step);
}

bool offer_naked(const Grid& g, const DigitCellSet& set, void* ctx) {
  Step step;
  naked_set_removals(g, set, step);
  return offer_set(g, set, step, *static_cast<Sink*>(ctx));
}

bool offer_hidden(const Grid& g, const DigitCellSet& set, void* ctx) {
  Step step;
  hidden_set_removals(g, set, step);
  return offer_set(g, set, step, *static_cast<Sink*>(ctx));
}

}  // namespace

void for_each_naked_set(const Grid& g, int size, SetVisit visit, void* ctx) {
  for (int u = 0; u < 27; ++u) {
    if (naked_in_unit(g, u, size, visit, ctx)) return;
  }
}

void for_each_hidden_set(const Grid& g, int size, SetVisit visit, void* ctx) {
  for (int u = 0; u < 27; ++u) {
    if (hidden_in_unit(g, u, size, visit, ctx)) return;
  }
}

void naked_set_removals(const Grid& g, const DigitCellSet& set, Step& step) {
  for (const int cell : geometry().unit_cells[set.unit]) {
    if (has(set.cells, cell)) continue;
    step.removed[cell] = g.candidates[cell] & set.digits;
  }
}

void hidden_set_removals(const Grid& g, const DigitCellSet& set, Step& step) {
  for (const int cell : geometry().unit_cells[set.unit]) {
    if (!has(set.cells, cell)) continue;
    step.removed[cell] =
        static_cast<DigitSet>(g.candidates[cell] & ~set.digits);
  }
}

void find_naked_pair(const Grid& g, Sink& sink) {
  for_each_naked_set(g, 2, offer_naked, &sink);
}
void find_naked_triple(const Grid& g, Sink& sink) {
  for_each_naked_set(g, 3, offer_naked, &sink);
}
void find_naked_quad(const Grid& g, Sink& sink) {
  for_each_naked_set(g, 4, offer_naked, &sink);
}
void find_hidden_pair(const Grid& g, Sink& sink) {
  for_each_hidden_set(g, 2, offer_hidden, &sink);
}
void find_hidden_triple(const Grid& g, Sink& sink) {
  for_each_hidden_set(g, 3, offer_hidden, &sink);
}
void find_hidden_quad(const Grid& g, Sink& sink) {
  for_each_hidden_set(g, 4, offer_hidden, &sink);
}

}  // namespace logic
