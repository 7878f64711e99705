// Aligned exclusions. Pair (6.2): two open cells that share a unit cannot
// hold the same digit, nor a pair of digits that would empty a common peer
// holding just those two. A digit of one cell that pairs validly with no
// digit of the other goes. The triple's (7.5) follows below.
#include "logic/ladder.h"
#include "logic/notation.h"
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
// sees two or three of them has every candidate among the digits those
// cells would take: it would be left empty. A digit of a cell that no
// possible combination uses goes.
//
// Aligned means in one unit, as the pair's cells are: every two of the
// three see each other. A cell seen by two of the three empties only with
// at most two candidates, one seen by all three with at most three; only
// triples with such a cell whose candidates are all among those of the
// cells it sees are asked: the rule of the same digit alone finds no more
// than the naked subsets, far lower on the ladder.

namespace {

inline DigitSet bit(int digit) {
  return static_cast<DigitSet>(1U << digit);
}

struct Triple {
  int cell[3];
  // The candidates of the cells that can empty, and which of the three each
  // sees (bit k: cell[k]). At most 32: the rest of the triple's unit and of
  // the line or box two of its cells share with cells outside it.
  DigitSet blockers[32];
  unsigned sees[32];
  int n;
};

// The digits the third cell may take beside v1 and v2 in the other two.
DigitSet thirds(const Grid& g, const Triple& t, int v1, int v2) {
  DigitSet barred = static_cast<DigitSet>(bit(v1) | bit(v2));
  for (int k = 0; k < t.n; ++k) {
    // A cell empties when the cells it sees take all its digits: with the
    // first two of them taking all but one, the third may not take it.
    const unsigned sees = t.sees[k];
    const auto held = static_cast<DigitSet>(((sees & 1U) != 0 ? bit(v1) : 0) |
                                            ((sees & 2U) != 0 ? bit(v2) : 0));
    const auto rest = static_cast<DigitSet>(t.blockers[k] & ~held);
    if (rest == 0) return 0;
    if ((sees & 4U) != 0 && (rest & (rest - 1)) == 0) barred |= rest;
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

// The cells of `near` (each seeing two or three of the triple's) that can
// empty: at most as many candidates as the cells they see, all among those.
void gather(const Grid& g, Triple& t, CellSet near) {
  t.n = 0;
  while (!empty(near)) {
    const int cell = take_first(near);
    unsigned sees = 0;
    DigitSet held = 0;
    for (unsigned k = 0; k < 3; ++k) {
      if (has(geometry().peers[cell], t.cell[k])) {
        sees |= 1U << k;
        held |= g.candidates[t.cell[k]];
      }
    }
    const DigitSet digits = g.candidates[cell];
    if ((digits & ~held) != 0 || digit_count(digits) > bits(sees)) continue;
    t.blockers[t.n] = digits;
    t.sees[t.n++] = sees;
  }
}

bool triple_excluded(const Grid& g, Triple& t, CellSet near, Sink& sink) {
  const auto held =
      static_cast<DigitSet>(g.candidates[t.cell[0]] | g.candidates[t.cell[1]] |
                            g.candidates[t.cell[2]]);
  gather(g, t, near);
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
      const CellSet bj = blockers & geo.peers[cells[j]];
      for (int k = j + 1; k < n; ++k) {
        const CellSet bk = blockers & geo.peers[cells[k]];
        // The cells seeing two or three of the triple, the triple's own
        // cells left out.
        CellSet near = (b1 & bj) | (b1 & bk) | (bj & bk);
        remove(near, cells[i]);
        remove(near, cells[j]);
        remove(near, cells[k]);
        if (empty(near)) continue;
        t.cell[0] = cells[i];
        t.cell[1] = cells[j];
        t.cell[2] = cells[k];
        if (u >= kBoxUnit && in_line(t.cell)) continue;
        if (triple_excluded(g, t, near, sink)) return true;
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

// An exclusion told to a person (write_exclusions): for each candidate
// removed, every combination of it with the other cells' digits, each
// named where it is first excluded, the cells given one after the other: a
// digit repeated, or a cell that the cells given so far would leave
// without digits. The cells that may empty are those the finders ask, so
// the reasons are the finders' own.

namespace {

// An exclusion told: its two or three cells, the removed candidate's own
// first; the cells they could empty, as the finders ask of them; and the
// digits given to the cells so far.
struct Told {
  int cell[3];
  int size;
  int blocker[32];
  int n;
  int value[3];
};

// The cells the finders ask: for a pair, the common peers with two
// candidates; for a triple, those with one to three that see two or
// three of it.
void blockers_of(const Grid& g, Told& told) {
  const Geometry& geo = geometry();
  told.n = 0;
  for (int cell = 0; cell < 81 && told.n < 32; ++cell) {
    int seen = 0;
    bool own = false;
    for (int k = 0; k < told.size; ++k) {
      seen += has(geo.peers[cell], told.cell[k]) ? 1 : 0;
      own = own || cell == told.cell[k];
    }
    const int n = digit_count(g.candidates[cell]);
    const bool can_empty =
        told.size == 2 ? seen == 2 && n == 2 : seen >= 2 && n >= 1 && n <= 3;
    if (can_empty && !own) told.blocker[told.n++] = cell;
  }
}

// What excludes the digits given to the first `given` cells: two of them
// alike (-2), or a cell all of whose digits the cells it sees take (its
// index among the blockers); -1: nothing yet.
int excluded_by(const Grid& g, const Told& told, int given) {
  for (int i = 0; i < given; ++i) {
    for (int j = i + 1; j < given; ++j) {
      if (told.value[i] == told.value[j]) return -2;
    }
  }
  for (int k = 0; k < told.n; ++k) {
    const int b = told.blocker[k];
    DigitSet taken = 0;
    for (int i = 0; i < given; ++i) {
      if (has(geometry().peers[b], told.cell[i])) taken |= bit(told.value[i]);
    }
    if ((g.candidates[b] & ~taken) == 0) return k;
  }
  return -1;
}

// "; con r1c2=7 e r1c3=4 r2c2 (4,5,7) resta vuota": the digits given after
// the first and what excludes them.
void tell_one(Text& t, const Grid& g, const Told& told, int given, int reason,
              bool first) {
  append(t, first ? " con " : "; con ");
  for (int i = 1; i < given; ++i) {
    const int cell = told.cell[i];
    append_format(t, "%sr%dc%d=%d", i == 1 ? "" : " e ", row_of(cell) + 1,
                  column_of(cell) + 1, told.value[i]);
  }
  if (reason == -2) {
    append(t, " una cifra ripetuta");
    return;
  }
  const int b = told.blocker[reason];
  append_format(t, " r%dc%d (", row_of(b) + 1, column_of(b) + 1);
  append_digits(t, g.candidates[b]);
  append(t, ") resta vuota");
}

// Every combination of the cells from `given` on (told.value[0]: the
// removed candidate's digit), each told where it is first excluded.
void tell_combinations(Text& t, const Grid& g, Told& told, int given,
                       bool& first) {
  if (given >= told.size || given >= 3) return;
  for (DigitSet rest = g.candidates[told.cell[given]]; rest != 0;
       rest &= rest - 1) {
    told.value[given] = lowest_digit(rest);
    const int reason = excluded_by(g, told, given + 1);
    if (reason == -1) {
      tell_combinations(t, g, told, given + 1, first);
      continue;
    }
    tell_one(t, g, told, given + 1, reason, first);
    first = false;
  }
}

}  // namespace

int write_exclusions(Text& t, const Grid& before, const Step& step,
                     const char* open, const char* close) {
  int size = 0;
  if (step.technique < 0 ||
      ladder(size)[step.technique].kind != Kind::kExclusion) {
    return 0;
  }
  Told told{};
  int cells[3];
  int n = 0;
  for (CellSet rest = step.cells; !empty(rest) && n < 3;) {
    cells[n++] = take_first(rest);
  }
  told.size = n;
  int written = 0;
  for (int k = 0; k < n; ++k) {
    // The removed candidate's cell first, the others in order.
    told.cell[0] = cells[k];
    for (int i = 0, j = 1; i < n; ++i) {
      if (i != k) told.cell[j++] = cells[i];
    }
    blockers_of(before, told);
    for (DigitSet rest = step.removed[cells[k]]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest);
      append_format(t, "%sse r%dc%d=%d:", open, row_of(cells[k]) + 1,
                    column_of(cells[k]) + 1, d);
      told.value[0] = d;
      bool first = true;
      tell_combinations(t, before, told, 1, first);
      append_format(t, " => r%dc%d<>%d%s", row_of(cells[k]) + 1,
                    column_of(cells[k]) + 1, d, close);
      ++written;
    }
  }
  return written;
}

}  // namespace logic
