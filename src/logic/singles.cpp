// Placements: full house (1.0), hidden single in a box (1.2) and in a row
// or column (1.5), naked single (2.3), and the direct forms, which place a
// digit without pencil marks: a locked digit (pointing 1.7, claiming 1.9)
// or a hidden pair (2.0) or triple (2.5) whose eliminations would leave a
// hidden single. A direct step places that single and makes the
// eliminations that led to it as well.
#include "logic/patterns.h"
#include "logic/techniques.h"

namespace logic {

namespace {

bool offer_placement(Sink& sink, int cell, int d, int unit) {
  Step step;
  step.rating = sink.floor;
  step.cell = cell;
  step.digit = d;
  step.digits = static_cast<DigitSet>(1U << d);
  add(step.cells, cell);
  step.units = unit >= 0 ? 1U << unit : 0;
  step.single_unit = unit;
  return sink.offer(step);
}

void hidden_singles(const Grid& g, Sink& sink, int first_unit, int last_unit) {
  for (int u = first_unit; u < last_unit; ++u) {
    const DigitSet missing =
        static_cast<DigitSet>(kAllDigits & ~placed_in(g, u));
    for (DigitSet rest = missing; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest);
      const CellSet places = positions(g, u, d);
      if (count(places) == 1 && offer_placement(sink, first(places), d, u)) {
        return;
      }
    }
  }
}

// The hidden single that the step's eliminations leave, if any: a digit
// removed from a cell of some unit, with one place left in that unit. The
// direct forms look where a solver without pencil marks looks, in units of
// the pattern's own kind (`kind`: 0 rows, 1 columns, 2 boxes): a box's
// digit locked on a line leaves a single in another box along the line; a
// row's digit locked in a box, in another row through the box; a hidden
// set, in its own unit, whose other digits lose the set's cells.
bool single_after(const Grid& g, Step& step, int kind) {
  const Geometry& geo = geometry();
  for (int cell = 0; cell < 81; ++cell) {
    const DigitSet gone = step.removed[cell];
    if (gone == 0) continue;
    for (const int u : geo.cell_units[cell]) {
      if (u / 9 != kind) continue;
      for (DigitSet rest = gone; rest != 0; rest &= rest - 1) {
        const int d = lowest_digit(rest);
        CellSet left = positions(g, u, d);
        for (const int other : geo.unit_cells[u]) {
          if (carries(step.removed[other], d)) remove(left, other);
        }
        if (count(left) != 1) continue;
        step.cell = first(left);
        step.digit = d;
        step.single_unit = u;
        return true;
      }
    }
  }
  return false;
}

// A direct step: the pattern's eliminations in step.removed, and the single
// they leave.
bool offer_direct(const Grid& g, Step& step, int kind, Sink& sink) {
  if (!single_after(g, step, kind)) return false;
  step.rating = sink.floor;
  return sink.offer(step);
}

bool direct_locked(const Grid& g, const Locked& lock, void* ctx) {
  Step step;
  step.digits = static_cast<DigitSet>(1U << lock.digit);
  step.cells = lock.cells;
  step.units = (1U << lock.base) | (1U << lock.cover);
  CellSet removed = lock.removed;
  while (!empty(removed)) step.removed[take_first(removed)] = step.digits;
  return offer_direct(g, step, lock.base / 9, *static_cast<Sink*>(ctx));
}

struct Direct {
  const Grid* g;
  Sink* sink;
};

bool direct_hidden(const Table& t, unsigned lines, unsigned columns,
                   void* ctx) {
  const auto& direct = *static_cast<Direct*>(ctx);
  Step step;
  set_step(t, lines, columns, step);
  return offer_direct(*direct.g, step, t.index / 9, *direct.sink);
}

}  // namespace

void find_full_house(const Grid& g, Sink& sink) {
  const Geometry& geo = geometry();
  for (int u = 0; u < 27; ++u) {
    int open_cell = -1;
    int open_count = 0;
    for (const int cell : geo.unit_cells[u]) {
      if (g.digit[cell] == 0) {
        open_cell = cell;
        ++open_count;
      }
    }
    if (open_count != 1) continue;
    const DigitSet missing =
        static_cast<DigitSet>(kAllDigits & ~placed_in(g, u));
    if (digit_count(missing) != 1) continue;
    if (offer_placement(sink, open_cell, lowest_digit(missing), u)) return;
  }
}

void find_hidden_single_box(const Grid& g, Sink& sink) {
  hidden_singles(g, sink, kBoxUnit, 27);
}

void find_hidden_single_line(const Grid& g, Sink& sink) {
  hidden_singles(g, sink, kRowUnit, kBoxUnit);
}

void find_naked_single(const Grid& g, Sink& sink) {
  for (int cell = 0; cell < 81; ++cell) {
    if (digit_count(g.candidates[cell]) == 1 &&
        offer_placement(sink, cell, lowest_digit(g.candidates[cell]), -1)) {
      return;
    }
  }
}

void find_direct_pointing(const Grid& g, Sink& sink) {
  for_each_locked(g, true, direct_locked, &sink);
}

void find_direct_claiming(const Grid& g, Sink& sink) {
  for_each_locked(g, false, direct_locked, &sink);
}

void find_direct_hidden_pair(const Grid& g, Sink& sink) {
  Direct direct{&g, &sink};
  for_each_hidden_set(g, 2, direct_hidden, &direct);
}

void find_direct_hidden_triple(const Grid& g, Sink& sink) {
  Direct direct{&g, &sink};
  for_each_hidden_set(g, 3, direct_hidden, &direct);
}

}  // namespace logic
