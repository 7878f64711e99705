// Techniques that assume the puzzle has one solution: a pattern that would
// let two digits swap places (a "deadly pattern") cannot be the end state.
//
// Unique rectangle: four open cells at the corners of two rows and two
// columns, in two boxes, all carrying digits a and b. Were they left with
// a and b only, a and b could trade places in a second solution. Type 1
// (the base, 4.5): three corners hold just ab, so the fourth is not a or b.
// Type 2 (base + 0.1): two corners hold just ab, the other two abc with the
// same c, so one of those holds c: it goes from their common peers. Type 4
// (the base): two corners hold just ab and in a unit of the other two, a
// has no other place: one of them is a, the other cannot be b. Type 3: the
// other two, sharing a unit, hold one of their extra digits; taken as one
// cell of those digits, they make a naked set with m more cells of the
// unit, whose digits go from the unit's other cells (base + 0.1 m).
//
// BUG (bivalue universal grave): every open cell with two digits and every
// digit twice in each unit would have two solutions. The BUG's cells are
// those with more digits; their extra digits, those standing more than
// twice in one of their units, must leave the grave when taken out, and one
// of them is placed. One cell (type 1, the base, 5.6) holds one of its
// extra digits: the one it has, or, with two or more, not its grave two.
// Several sharing one extra digit (type 2, base + 0.1): it goes from their
// common peers. All in one unit, their extra digits act as one cell of a naked
// set with other cells of the unit (type 3, base + 0.1 + 0.1 a cell of the set
// besides theirs). Two in one unit sharing a digit with no other place in it
// (type 4, base + 0.1): one cell holds that digit, the other its extra one.
#include "logic/techniques.h"

namespace logic {

namespace {

// What each type adds to the technique's base rating (the sink's floor),
// in tenths.
constexpr int kType1 = 0;
constexpr int kType2 = 1;
constexpr int kType3 = 0;  // plus 0.1 a cell of the naked set
constexpr int kType4 = 0;

struct Rectangle {
  int corner[4]{};  // r1c1, r1c2, r2c1, r2c2
  int a = 0;
  int b = 0;
};

bool offer_rectangle(const Rectangle& r, Step& step, int type, int added,
                     Sink& sink) {
  step.type = type;
  step.rating = sink.floor + added;
  step.digits = static_cast<DigitSet>((1U << r.a) | (1U << r.b));
  for (const int cell : r.corner) add(step.cells, cell);
  return sink.offer(step);
}

bool type_2(const Grid& g, const Rectangle& r, int e1, int e2, Sink& sink) {
  const DigitSet ab = static_cast<DigitSet>((1U << r.a) | (1U << r.b));
  const DigitSet c1 = g.candidates[e1];
  if (c1 != g.candidates[e2] || digit_count(c1) != 3) return false;
  const DigitSet c = static_cast<DigitSet>(c1 & ~ab);
  CellSet seen = geometry().peers[e1] & geometry().peers[e2];
  Step step;
  bool removes = false;
  while (!empty(seen)) {
    const int cell = take_first(seen);
    if ((g.candidates[cell] & c) != 0) {
      step.removed[cell] = c;
      removes = true;
    }
  }
  return removes && offer_rectangle(r, step, 2, kType2, sink);
}

bool type_4(const Grid& g, const Rectangle& r, int e1, int e2, Sink& sink) {
  const Geometry& geo = geometry();
  for (int k = 0; k < 3; ++k) {
    const int u = geo.cell_units[e1][k];
    if (!has(geo.unit_set[u], e2)) continue;
    for (const int locked : {r.a, r.b}) {
      const int other = locked == r.a ? r.b : r.a;
      if (count(positions(g, u, locked)) != 2) continue;
      Step step;
      step.removed[e1] = static_cast<DigitSet>(1U << other);
      step.removed[e2] = step.removed[e1];
      if (offer_rectangle(r, step, 4, kType4, sink)) return true;
    }
  }
  return false;
}

// Type 3 in unit u: the extra digits of e1 and e2 as one more cell of a
// naked set with other open cells of u.
bool type_3_in(const Grid& g, const Roof& roof, int u, Sink& sink) {
  const int e1 = roof.e1;
  const int e2 = roof.e2;
  int others[9];
  int n = 0;
  for (const int cell : geometry().unit_cells[u]) {
    if (cell != e1 && cell != e2 && g.candidates[cell] != 0) {
      others[n++] = cell;
    }
  }
  for (unsigned chosen = 1; chosen < (1U << n); ++chosen) {
    const int m = bits(chosen);
    if (m > 3) continue;
    DigitSet digits = roof.extra;
    for (int k = 0; k < n; ++k) {
      if ((chosen >> k) & 1U) digits |= g.candidates[others[k]];
    }
    if (digit_count(digits) != m + 1) continue;
    Step step = roof.pattern;
    bool removes = false;
    for (int k = 0; k < n; ++k) {
      if ((chosen >> k) & 1U) continue;
      step.removed[others[k]] = g.candidates[others[k]] & digits;
      removes = removes || step.removed[others[k]] != 0;
    }
    step.rating = sink.floor + roof.added + kType3 + m;
    if (removes && sink.offer(step)) return true;
  }
  return false;
}

// Type 3's hidden form in unit u: k digits, none an extra digit of e1 or
// e2 (so a or b among them), with no place in u but e1, e2 and k - 1 other
// cells. At most one of e1 and e2 takes one of those digits (both would
// take a and b, the deadly pattern, or an extra digit), so the k - 1 cells
// take the rest: their other digits go. Rated as the naked form of the
// same size: base + 0.1 (k - 1).
bool hidden_3_in(const Grid& g, const Roof& roof, int u, Sink& sink) {
  const DigitSet ab = roof.ab;
  const DigitSet extra = roof.extra;
  CellSet where[10];
  unsigned free = 0;
  for (int d = 1; d <= 9; ++d) {
    where[d] = positions(g, u, d);
    if (!((extra >> d) & 1U) && !empty(where[d])) free |= 1U << d;
    remove(where[d], roof.e1);
    remove(where[d], roof.e2);
  }
  for (unsigned h = free; h != 0; h = (h - 1) & free) {
    const int k = bits(h);
    if (k < 2 || k > 4 || (h & ab) == 0) continue;
    CellSet cells;
    for (unsigned rest = h; rest != 0; rest &= rest - 1) {
      cells = cells | where[lowest_digit(static_cast<DigitSet>(rest))];
    }
    if (count(cells) != k - 1) continue;
    Step step = roof.pattern;
    bool removes = false;
    for (CellSet rest = cells; !empty(rest);) {
      const int cell = take_first(rest);
      step.removed[cell] = static_cast<DigitSet>(g.candidates[cell] & ~h);
      removes = removes || step.removed[cell] != 0;
    }
    step.rating = sink.floor + roof.added + kType3 + k - 1;
    if (removes && sink.offer(step)) return true;
  }
  return false;
}

}  // namespace

bool offer_type_3(const Grid& g, Roof& roof, Sink& sink) {
  roof.extra = static_cast<DigitSet>(
      (g.candidates[roof.e1] | g.candidates[roof.e2]) & ~roof.ab);
  const Geometry& geo = geometry();
  for (const int u : geo.cell_units[roof.e1]) {
    if (!has(geo.unit_set[u], roof.e2)) continue;
    if (type_3_in(g, roof, u, sink)) return true;
    if (hidden_3_in(g, roof, u, sink)) return true;
  }
  return false;
}

namespace {

bool type_3(const Grid& g, const Rectangle& r, int e1, int e2, Sink& sink) {
  Roof roof;
  roof.ab = static_cast<DigitSet>((1U << r.a) | (1U << r.b));
  roof.e1 = e1;
  roof.e2 = e2;
  roof.pattern.type = 3;
  roof.pattern.digits = roof.ab;
  for (const int cell : r.corner) add(roof.pattern.cells, cell);
  return offer_type_3(g, roof, sink);
}

bool rectangle(const Grid& g, Rectangle& r, Sink& sink) {
  const DigitSet ab = static_cast<DigitSet>((1U << r.a) | (1U << r.b));
  int extra[4]{};
  int extras = 0;
  for (const int cell : r.corner) {
    if (g.candidates[cell] != ab) extra[extras++] = cell;
  }
  if (extras == 1) {
    Step step;
    step.removed[extra[0]] = ab;
    return offer_rectangle(r, step, 1, kType1, sink);
  }
  if (extras != 2) return false;
  return type_4(g, r, extra[0], extra[1], sink) ||
         type_2(g, r, extra[0], extra[1], sink) ||
         type_3(g, r, extra[0], extra[1], sink);
}

bool rectangles_at(const Grid& g, int r1, int r2, int c1, int c2, Sink& sink) {
  Rectangle r{{9 * r1 + c1, 9 * r1 + c2, 9 * r2 + c1, 9 * r2 + c2}, 0, 0};
  DigitSet common = kAllDigits;
  for (const int cell : r.corner) common &= g.candidates[cell];
  if (digit_count(common) < 2) return false;
  for (DigitSet x = common; x != 0; x &= x - 1) {
    for (DigitSet y = x & (x - 1); y != 0; y &= y - 1) {
      r.a = lowest_digit(x);
      r.b = lowest_digit(y);
      if (rectangle(g, r, sink)) return true;
    }
  }
  return false;
}

// Whether the grid, without the digits `without` of each cell, is a BUG:
// every open cell with two digits, every digit twice or not at all in each
// unit.
bool is_grave(const Grid& g, const DigitSet (&without)[81]) {
  const Geometry& geo = geometry();
  for (int cell = 0; cell < 81; ++cell) {
    if (g.digit[cell] == 0 && digit_count(static_cast<DigitSet>(
                                  g.candidates[cell] & ~without[cell])) != 2) {
      return false;
    }
  }
  for (int u = 0; u < 27; ++u) {
    int seen[10]{};
    for (const int cell : geo.unit_cells[u]) {
      const DigitSet left =
          static_cast<DigitSet>(g.candidates[cell] & ~without[cell]);
      for (DigitSet rest = left; rest != 0; rest &= rest - 1) {
        ++seen[lowest_digit(rest)];
      }
    }
    for (int d = 1; d <= 9; ++d) {
      if (seen[d] != 0 && seen[d] != 2) return false;
    }
  }
  return true;
}

// A BUG's cells with more than two digits and the digits each holds above
// the grave's two: those standing more than twice in one of its units.
struct Grave {
  CellSet cells;
  DigitSet extra[81]{};
};

// Whether the grid is a BUG with the extra digits of `bug`, found here.
bool grave_of(const Grid& g, Grave& bug) {
  const Geometry& geo = geometry();
  int seen[27][10]{};
  for (int u = 0; u < 27; ++u) {
    for (const int cell : geo.unit_cells[u]) {
      for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
        ++seen[u][lowest_digit(rest)];
      }
    }
  }
  for (int cell = 0; cell < 81; ++cell) {
    if (g.digit[cell] != 0 || digit_count(g.candidates[cell]) <= 2) continue;
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest);
      for (const int u : geo.cell_units[cell]) {
        if (seen[u][d] > 2) bug.extra[cell] |= static_cast<DigitSet>(1U << d);
      }
    }
    add(bug.cells, cell);
  }
  return !empty(bug.cells) && is_grave(g, bug.extra);
}

// A unit holding every cell of the BUG after unit `after` (-1: none left).
int common_unit(const Grave& bug, int after) {
  for (int u = after + 1; u < 27; ++u) {
    if ((bug.cells & geometry().unit_set[u]) == bug.cells) return u;
  }
  return -1;
}

bool offer_grave(const Grave& bug, Step& step, int type, int added,
                 Sink& sink) {
  step.type = type;
  step.rating = sink.floor + added;
  step.cells = bug.cells;
  for (int cell = 0; cell < 81; ++cell) step.digits |= bug.extra[cell];
  return sink.offer(step);
}

// Type 1: the BUG's one cell holds one of its extra digits. With one, the
// cell takes it; with more (a cell of four digits, two of them extra),
// the cell loses the two digits of the grave, whichever extra one it
// takes: the same reasoning, rated as the base.
bool grave_one_cell(const Grid& g, const Grave& bug, Sink& sink) {
  const int cell = first(bug.cells);
  const DigitSet extra = bug.extra[cell];
  Step step;
  if (digit_count(extra) == 1) {
    step.cell = cell;
    step.digit = lowest_digit(extra);
  } else {
    step.removed[cell] = static_cast<DigitSet>(g.candidates[cell] & ~extra);
  }
  return offer_grave(bug, step, 1, kType1, sink);
}

// Type 2: every cell's one extra digit is the same d: it goes from their
// common peers.
bool grave_one_digit(const Grid& g, const Grave& bug, Sink& sink) {
  CellSet seen = {~std::uint64_t{0}, ~std::uint64_t{0}};
  DigitSet d = 0;
  for (CellSet rest = bug.cells; !empty(rest);) {
    const int cell = take_first(rest);
    if (digit_count(bug.extra[cell]) != 1) return false;
    if (d != 0 && bug.extra[cell] != d) return false;
    d = bug.extra[cell];
    seen = seen & geometry().peers[cell];
  }
  Step step;
  bool removes = false;
  while (!empty(seen)) {
    const int cell = take_first(seen);
    if ((g.candidates[cell] & d) != 0) {
      step.removed[cell] = d;
      removes = true;
    }
  }
  return removes && offer_grave(bug, step, 2, kType2, sink);
}

// Type 3 in unit u, which holds every cell of the BUG: one of them holds
// one of their extra digits, so those digits act as one more cell of a
// naked set with m other open cells of u. Rated as type 2 plus 0.1 a cell
// of the set besides the BUG's (5.8 for a pair, to 6.0 for a quad).
bool grave_set_in(const Grid& g, const Grave& bug, int u, Sink& sink) {
  DigitSet extra = 0;
  for (int cell = 0; cell < 81; ++cell) extra |= bug.extra[cell];
  int others[9];
  int n = 0;
  for (const int cell : geometry().unit_cells[u]) {
    if (!has(bug.cells, cell) && g.candidates[cell] != 0) others[n++] = cell;
  }
  for (unsigned chosen = 1; chosen < (1U << n); ++chosen) {
    const int m = bits(chosen);
    if (m > 3) continue;
    DigitSet digits = extra;
    for (int k = 0; k < n; ++k) {
      if ((chosen >> k) & 1U) digits |= g.candidates[others[k]];
    }
    if (digit_count(digits) != m + 1) continue;
    Step step;
    bool removes = false;
    for (int k = 0; k < n; ++k) {
      if ((chosen >> k) & 1U) continue;
      step.removed[others[k]] = g.candidates[others[k]] & digits;
      removes = removes || step.removed[others[k]] != 0;
    }
    if (removes && offer_grave(bug, step, 3, kType2 + m, sink)) return true;
  }
  return false;
}

// Type 4 in unit u, which holds the BUG's two cells: when a digit c of
// both, not an extra one, has no other place in u, one cell takes c and
// the other its extra digit (both taking their extra digits would leave c
// no place), so each loses its digits other than c and its extra ones.
// Rated as type 2.
bool grave_locked_in(const Grid& g, const Grave& bug, int u, Sink& sink) {
  const int e1 = first(bug.cells);
  CellSet rest = bug.cells;
  remove(rest, e1);
  const int e2 = first(rest);
  const auto left = [&](int cell) {
    return static_cast<DigitSet>(g.candidates[cell] & ~bug.extra[cell]);
  };
  for (DigitSet both = left(e1) & left(e2); both != 0; both &= both - 1) {
    const int c = lowest_digit(both);
    if (!(positions(g, u, c) == bug.cells)) continue;
    Step step;
    step.removed[e1] = static_cast<DigitSet>(left(e1) & ~(1U << c));
    step.removed[e2] = static_cast<DigitSet>(left(e2) & ~(1U << c));
    if (offer_grave(bug, step, 4, kType2, sink)) return true;
  }
  return false;
}

}  // namespace

void find_bug(const Grid& g, Sink& sink) {
  Grave bug;
  if (!grave_of(g, bug)) return;
  if (count(bug.cells) == 1 ? grave_one_cell(g, bug, sink)
                            : grave_one_digit(g, bug, sink)) {
    return;
  }
  for (int u = common_unit(bug, -1); u >= 0; u = common_unit(bug, u)) {
    if (count(bug.cells) == 2 && grave_locked_in(g, bug, u, sink)) return;
    if (grave_set_in(g, bug, u, sink)) return;
  }
}

void find_unique_rectangle(const Grid& g, Sink& sink) {
  for (int r1 = 0; r1 < 9; ++r1) {
    for (int r2 = r1 + 1; r2 < 9; ++r2) {
      const bool same_band = r1 / 3 == r2 / 3;
      for (int c1 = 0; c1 < 9; ++c1) {
        for (int c2 = c1 + 1; c2 < 9; ++c2) {
          // Two boxes exactly: rows in one band or columns in one stack,
          // not both.
          if (same_band == (c1 / 3 == c2 / 3)) continue;
          if (rectangles_at(g, r1, r2, c1, c2, sink)) return;
        }
      }
    }
  }
}

}  // namespace logic
