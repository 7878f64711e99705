// Aligned exclusions. Pair (6.2): two open cells that share a unit cannot
// hold the same digit, nor a pair of digits that would empty a common peer
// holding just those two. A digit of one cell that pairs validly with no
// digit of the other goes. The triple's (7.5) follows below.
#include "logic/techniques.h"

namespace logic {

namespace {

bool pair_excluded(const Grid& g, int c1, int c2, Sink& sink) {
  DigitSet blockers[20]{};
  int n = 0;
  CellSet common = geometry().peers[c1] & geometry().peers[c2];
  while (!empty(common)) {
    const int cell = take_first(common);
    if (digit_count(g.candidates[cell]) == 2) {
      blockers[n++] = g.candidates[cell];
    }
  }
  DigitSet allowed1 = 0;
  DigitSet allowed2 = 0;
  for (DigitSet x = g.candidates[c1]; x != 0; x &= x - 1) {
    const int v1 = lowest_digit(x);
    for (DigitSet y = g.candidates[c2]; y != 0; y &= y - 1) {
      const int v2 = lowest_digit(y);
      if (v1 == v2) continue;
      const auto both = static_cast<DigitSet>((1U << v1) | (1U << v2));
      bool blocked = false;
      for (int k = 0; k < n && !blocked; ++k) blocked = blockers[k] == both;
      if (blocked) continue;
      allowed1 |= static_cast<DigitSet>(1U << v1);
      allowed2 |= static_cast<DigitSet>(1U << v2);
    }
  }
  Step step;
  step.removed[c1] = static_cast<DigitSet>(g.candidates[c1] & ~allowed1);
  step.removed[c2] = static_cast<DigitSet>(g.candidates[c2] & ~allowed2);
  if (step.removed[c1] == 0 && step.removed[c2] == 0) return false;
  step.rating = sink.floor;
  add(step.cells, c1);
  add(step.cells, c2);
  step.digits = static_cast<DigitSet>(g.candidates[c1] | g.candidates[c2]);
  return sink.offer(step);
}

}  // namespace

void find_aligned_pair_exclusion(const Grid& g, Sink& sink) {
  for (int c1 = 0; c1 < 81; ++c1) {
    if (digit_count(g.candidates[c1]) < 2) continue;
    CellSet later = geometry().peers[c1];
    while (!empty(later)) {
      const int c2 = take_first(later);
      if (c2 <= c1 || digit_count(g.candidates[c2]) < 2) continue;
      if (pair_excluded(g, c1, c2, sink)) return;
    }
  }
}

// Aligned triple exclusion (7.5): the same reasoning over three open cells
// of one row, column or box. A combination of one digit per cell is
// impossible when two of the cells hold the same digit, or when a cell that
// sees all three (a common peer) has every candidate among the
// combination's digits: it would be left empty. A digit of a cell that no
// possible combination uses goes.
//
// Aligned means in one unit, as the pair's cells are: every two of the
// three see each other. Only a common peer with at most three candidates can
// empty (a combination holds three digits), and only triples with one whose
// candidates are all among the triple's are asked: the rule of the same
// digit alone finds no more than the naked subsets, far lower on the ladder.

namespace {

inline DigitSet bit(int digit) {
  return static_cast<DigitSet>(1U << digit);
}

struct Triple {
  int cell[3];
  // The candidates of the common peers that can empty (at most 12 in one
  // unit: the rest of a line and of a box).
  DigitSet blockers[20];
  int n;
};

// The digits the third cell may take beside v1 and v2 in the other two.
DigitSet thirds(const Grid& g, const Triple& t, int v1, int v2) {
  const auto held = static_cast<DigitSet>(bit(v1) | bit(v2));
  DigitSet barred = held;
  for (int k = 0; k < t.n; ++k) {
    // A peer empties when the combination holds all its digits: with v1
    // and v2 holding all of them but one, the third cell may not take it.
    const auto rest = static_cast<DigitSet>(t.blockers[k] & ~held);
    if (rest == 0) return 0;
    if ((rest & (rest - 1)) == 0) barred |= rest;
  }
  return static_cast<DigitSet>(g.candidates[t.cell[2]] & ~barred);
}

// The digits of each cell that some possible combination uses.
void surviving(const Grid& g, const Triple& t, DigitSet allowed[3]) {
  for (DigitSet x = g.candidates[t.cell[0]]; x != 0; x &= x - 1) {
    const int v1 = lowest_digit(x);
    for (DigitSet y = g.candidates[t.cell[1]]; y != 0; y &= y - 1) {
      const int v2 = lowest_digit(y);
      if (v1 == v2) continue;
      const DigitSet third = thirds(g, t, v1, v2);
      if (third == 0) continue;
      allowed[0] |= bit(v1);
      allowed[1] |= bit(v2);
      allowed[2] |= third;
    }
  }
}

bool triple_excluded(const Grid& g, Triple& t, CellSet common, Sink& sink) {
  const auto held =
      static_cast<DigitSet>(g.candidates[t.cell[0]] | g.candidates[t.cell[1]] |
                            g.candidates[t.cell[2]]);
  t.n = 0;
  while (!empty(common)) {
    const DigitSet digits = g.candidates[take_first(common)];
    if ((digits & ~held) == 0) t.blockers[t.n++] = digits;
  }
  if (t.n == 0) return false;
  DigitSet allowed[3] = {};
  surviving(g, t, allowed);
  Step step;
  bool any = false;
  for (int k = 0; k < 3; ++k) {
    const int cell = t.cell[k];
    step.removed[cell] =
        static_cast<DigitSet>(g.candidates[cell] & ~allowed[k]);
    any = any || step.removed[cell] != 0;
    add(step.cells, cell);
  }
  if (!any) return false;
  step.rating = sink.floor;
  step.digits = held;
  return sink.offer(step);
}

// Whether the three cells of a box lie in one row or column too: the
// triple was asked there already.
bool in_line(const int cell[3]) {
  const auto same = [&](int (*of)(int)) {
    return of(cell[0]) == of(cell[1]) && of(cell[1]) == of(cell[2]);
  };
  return same(row_of) || same(column_of);
}

// The triples of unit u's open cells `cells` (n of them); `blockers`: the
// open cells with at most three candidates.
bool unit_triples(const Grid& g, int u, const int* cells, int n,
                  CellSet blockers, Sink& sink) {
  const Geometry& geo = geometry();
  Triple t{};
  for (int i = 0; i < n; ++i) {
    const CellSet b1 = blockers & geo.peers[cells[i]];
    for (int j = i + 1; j < n; ++j) {
      const CellSet b12 = b1 & geo.peers[cells[j]];
      if (empty(b12)) continue;
      for (int k = j + 1; k < n; ++k) {
        const CellSet common = b12 & geo.peers[cells[k]];
        if (empty(common)) continue;
        t.cell[0] = cells[i];
        t.cell[1] = cells[j];
        t.cell[2] = cells[k];
        if (u >= kBoxUnit && in_line(t.cell)) continue;
        if (triple_excluded(g, t, common, sink)) return true;
      }
    }
  }
  return false;
}

}  // namespace

void find_aligned_triple_exclusion(const Grid& g, Sink& sink) {
  CellSet blockers;
  for (int cell = 0; cell < 81; ++cell) {
    const int n = digit_count(g.candidates[cell]);
    if (n >= 1 && n <= 3) add(blockers, cell);
  }
  for (int u = 0; u < 27; ++u) {
    int cells[9];
    int n = 0;
    for (const int cell : geometry().unit_cells[u]) {
      if (digit_count(g.candidates[cell]) >= 2) cells[n++] = cell;
    }
    if (unit_triples(g, u, cells, n, blockers, sink)) return;
  }
}

}  // namespace logic
