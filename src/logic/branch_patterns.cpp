// The simpler eliminations of the ladder, looked for in the grid an
// assumption leaves once its singles stall (the dynamic chains with
// patterns): locked candidates (pointing, claiming), then for two, three
// and four: naked sets, fish (X-Wing, Swordfish, Jellyfish) and hidden
// sets, in the ladder's order; the first pattern that removes something
// ends the search, and the singles go on.
//
// Each removal is a node of the chain. Its parents are the candidates the
// assumption removed that the pattern needs gone, so that the chain's
// length counts what the pattern rests on.
//
// The patterns are patterns.h's, the ones the ladder finds: a locked digit
// by its cover; sets and fish as the sets of its tables, by its search,
// in lexicographic order, the first that removes something taken. A set's
// parents are the removed entries of its lines outside its columns; a
// locked digit's, its removed places in the base outside the cover.
#include "logic/patterns.h"
#include "logic/propagation.h"

namespace logic {

namespace {

// A pattern's parents; `unusable` when there are too many, or one is as
// deep as the bound (what it removes would be deeper).
struct Cause {
  int nodes[kMaxCause];
  int n = 0;
  bool unusable = false;
};

void add_cause(const Context& c, const Propagation& p, int cell, int d,
               Cause& cause) {
  const int off = node_of(cell, d, false);
  if (p.derived[off] == 0) return;
  if (cause.n == kMaxCause ||
      (c.max_depth > 0 && p.depth[off] >= c.max_depth)) {
    cause.unusable = true;
    return;
  }
  cause.nodes[cause.n++] = off;
}

// The removal of (cell, d), with the cause as its parents.
void remove_candidate(const Context& c, Propagation& p, int cell, int d,
                      const Cause& cause) {
  derive(c, p, node_of(cell, d, false), cause.nodes, cause.n);
}

struct Branch {
  const Context* c;
  Propagation* p;
};

// Lines S taking columns U: their removals derived; true when that
// derives something.
bool take_columns(const Table& t, unsigned s, unsigned u, void* ctx) {
  const Context& c = *static_cast<Branch*>(ctx)->c;
  Propagation& p = *static_cast<Branch*>(ctx)->p;
  Cause cause;
  for_each_candidate(t, s, kNine & ~u, false, [&](Candidate k) {
    add_cause(c, p, k.cell, k.digit, cause);
  });
  if (cause.unusable) return false;
  const int before = p.tail;
  for_each_candidate(t, kNine & ~s, u, true, [&](Candidate k) {
    remove_candidate(c, p, k.cell, k.digit, cause);
  });
  return p.tail != before || p.met_count != 0;
}

bool sets_in(const Context& c, Propagation& p, const Table& t, int size) {
  Branch branch{&c, &p};
  return for_each_set(t, lines_with(t, 1, size), size, take_columns, &branch);
}

// The tables of the grid: each unit's cells and digits, and each digit's
// rows and columns.
// A table whose entries the assumption left as they were finds only what
// the grid it starts from has; when that has none (the ladder found no
// simpler step there), only the tables changed are searched. The hidden
// tables (each unit's digits and their slots) are filled at each search,
// the others taken from the grid or from them when looked at.
struct Tables {
  Slots slots;
  std::uint32_t changed_units = 0;
  DigitSet changed_digits = 0;
};

// The removals a pattern can rest on: all, or those shallower than the
// depth bound (a pattern resting on one deeper derives nothing).
DigitSet usable_removals(const Context& c, const Propagation& p, int cell) {
  auto gone =
      static_cast<DigitSet>(c.start->candidates[cell] & ~p.g.candidates[cell]);
  if (c.max_depth == 0) return gone;
  for (DigitSet rest = gone; rest != 0; rest &= rest - 1) {
    const int d = lowest_digit(rest);
    if (p.depth[node_of(cell, d, false)] >= c.max_depth) {
      gone = static_cast<DigitSet>(gone & ~(1U << d));
    }
  }
  return gone;
}

void fill(const Context& c, const Propagation& p, Tables& t) {
  const Geometry& geo = geometry();
  fill_slots(p.g, t.slots);
  for (int cell = 0; cell < 81; ++cell) {
    const DigitSet gone = usable_removals(c, p, cell);
    if (gone != 0) {
      const std::uint8_t(&units)[3] = geo.cell_units[cell];
      t.changed_units |= (1U << units[0]) | (1U << units[1]) | (1U << units[2]);
      t.changed_digits |= gone;
    }
  }
}

// The lines of a table that have entries.
int lines_with_entries(const Table& t) {
  int n = 0;
  for (const std::uint16_t line : t.line) n += line != 0 ? 1 : 0;
  return n;
}

// Digit d of unit `base` confined to its meeting with `cover`: d goes from
// cover's other cells.
bool locked(const Context& c, Propagation& p, int d, int base, int cover) {
  const Geometry& geo = geometry();
  Cause cause;
  for (const int cell : geo.unit_cells[base]) {
    if (!has(geo.unit_set[cover], cell)) add_cause(c, p, cell, d, cause);
  }
  if (cause.unusable) return false;
  const int before = p.tail;
  CellSet gone = locked_removals(p.g, d, base, cover);
  while (!empty(gone)) remove_candidate(c, p, take_first(gone), d, cause);
  return p.tail != before || p.met_count != 0;
}

// The tables a technique looks at: changed since the grid it starts from
// (by removals a pattern can rest on), and since it last looked there.
std::uint32_t units_to_look(const Tables& t, const Propagation& p, int tech) {
  return t.changed_units & ~p.clean_units[tech];
}

// A box's digit on one row or column (pointing), or a line's in one box
// (claiming), digit by digit.
bool locked_in(const Context& c, Propagation& p, int base, const Tables& t) {
  for (int d = 1; d <= 9; ++d) {
    const unsigned places = t.slots.of[base][d - 1];
    if (kBits.of[places] < 2) continue;
    const int cover = locked_cover(base, places);
    if (cover >= 0 && locked(c, p, d, base, cover)) return true;
  }
  return false;
}

// A set of k lines in a table of m lines with entries and m columns with
// entries is the same deduction as the set of the other m - k lines in the
// table turned round (a naked set and the hidden set of the unit's other
// cells, a fish and the fish of the other lines across): the search skips
// the size whose other side is smaller, which it has looked at already (a
// single: the propagation), or on a tie the turned side's turn comes first.
bool other_side_first(const Table& table, const Table& turned, int size,
                      bool ties) {
  const int m = lines_with_entries(table);
  if (m != lines_with_entries(turned)) return false;
  return m - size < size || (ties && m - size == size);
}

bool set_in_unit(const Context& c, Propagation& p, const Tables& t, int tech,
                 int u, int size) {
  if (tech == kPointing || tech == kClaiming) return locked_in(c, p, u, t);
  const Table naked = naked_table(p.g, u);
  const Table hidden = hidden_table(t.slots, u);
  if (tech < kHidden) {
    return !other_side_first(naked, hidden, size, false) &&
           sets_in(c, p, naked, size);
  }
  return !other_side_first(hidden, naked, size, true) &&
         sets_in(c, p, hidden, size);
}

// Technique `tech` over the units it has to look at; a unit looked at
// without a find is clean until it changes.
bool units_pass(const Context& c, Propagation& p, const Tables& t, int tech,
                int size, std::uint32_t among) {
  const std::uint32_t units = units_to_look(t, p, tech) & among;
  for (int u = 0; u < 27; ++u) {
    if (!((units >> u) & 1U)) continue;
    if (set_in_unit(c, p, t, tech, u, size)) return true;
    p.clean_units[tech] |= 1U << u;
  }
  return false;
}

bool fish_pass(const Context& c, Propagation& p, const Tables& t, int size) {
  const DigitSet digits =
      static_cast<DigitSet>(t.changed_digits & ~p.clean_digits[size - 2]);
  for (DigitSet rest = digits; rest != 0; rest &= rest - 1) {
    const int d = lowest_digit(rest);
    const Table rows = fish_table(t.slots, d, true);
    const Table columns = fish_table(t.slots, d, false);
    if (!other_side_first(rows, columns, size, false) &&
        (sets_in(c, p, rows, size) || sets_in(c, p, columns, size))) {
      return true;
    }
    p.clean_digits[size - 2] |= static_cast<DigitSet>(1U << d);
  }
  return false;
}

}  // namespace

bool derive_pattern(const Context& c, Propagation& p) {
  Tables t;
  fill(c, p, t);
  if (c.start_has_patterns) {
    t.changed_units = ~0U;
    t.changed_digits = kAllDigits;
  }
  constexpr std::uint32_t kLines = (1U << kBoxUnit) - 1;
  constexpr std::uint32_t kAll = (1U << 27) - 1;
  if (units_pass(c, p, t, kPointing, 0, ~kLines & kAll) ||
      units_pass(c, p, t, kClaiming, 0, kLines)) {
    return true;
  }
  for (int size = 2; size <= 4; ++size) {
    if (units_pass(c, p, t, kNaked + size - 2, size, kAll) ||
        fish_pass(c, p, t, size) ||
        units_pass(c, p, t, kHidden + size - 2, size, kAll)) {
      return true;
    }
  }
  return false;
}

}  // namespace logic
