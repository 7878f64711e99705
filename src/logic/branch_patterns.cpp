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
// Sets and fish are one shape: a 9 x 9 table of lines and their entries
// (a unit's cells and their digits: naked; a unit's digits and their
// cells: hidden; a digit's rows and their columns, or columns and rows:
// fish). Lines S, n of them, whose entries lie in n columns U, take those
// columns: the entries of U in the other lines go. The parents are the
// removed entries of the lines in S outside U.
#include "logic/propagation.h"

namespace logic {

namespace {

// How a table's entry (line i, column j) reads as a candidate.
enum class Shape { kNaked, kHidden, kRows, kColumns };

struct Table {
  Shape shape;
  int index;  // the unit, or for fish the digit
  std::uint16_t line[9];
};

// The number of bits of each 9-bit set.
struct BitCounts {
  std::uint8_t of[512];
};
constexpr BitCounts kBits = [] {
  BitCounts t{};
  for (int s = 1; s < 512; ++s) {
    t.of[s] = static_cast<std::uint8_t>(t.of[s >> 1] + (s & 1));
  }
  return t;
}();

struct Candidate {
  int cell;
  int digit;
};

Candidate candidate_of(const Table& t, int i, int j) {
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

// Lines S taking columns U: their removals derived.
void take_columns(const Context& c, Propagation& p, const Table& t, unsigned s,
                  unsigned u) {
  Cause cause;
  for (int i = 0; i < 9; ++i) {
    if (!((s >> i) & 1U)) continue;
    for (int j = 0; j < 9; ++j) {
      if (!((u >> j) & 1U)) {
        const Candidate k = candidate_of(t, i, j);
        add_cause(c, p, k.cell, k.digit, cause);
      }
    }
  }
  if (cause.unusable) return;
  for (int i = 0; i < 9 && p.contradiction_size == 0; ++i) {
    if ((s >> i) & 1U) continue;
    for (unsigned rest = t.line[i] & u; rest != 0; rest &= rest - 1) {
      const Candidate k = candidate_of(t, i, __builtin_ctz(rest));
      remove_candidate(c, p, k.cell, k.digit, cause);
    }
  }
}

// Sets of `size` lines among `eligible` from line `from` on, with S and U
// so far; true once one has removed something.
bool sets_from(const Context& c, Propagation& p, const Table& t,
               unsigned eligible, int size, int from, unsigned s, unsigned u) {
  if (kBits.of[s] == size) {
    unsigned others = 0;
    for (int i = 0; i < 9; ++i) {
      if (!((s >> i) & 1U)) others |= t.line[i];
    }
    if ((others & u) == 0) return false;
    const int before = p.tail;
    take_columns(c, p, t, s, u);
    return p.tail != before || p.contradiction_size != 0;
  }
  for (int i = from; i < 9; ++i) {
    if (!((eligible >> i) & 1U)) continue;
    const unsigned wider = u | t.line[i];
    if (kBits.of[wider] > size) continue;
    if (sets_from(c, p, t, eligible, size, i + 1, s | (1U << i), wider)) {
      return true;
    }
  }
  return false;
}

bool sets_in(const Context& c, Propagation& p, const Table& t, int size) {
  unsigned eligible = 0;
  for (int i = 0; i < 9; ++i) {
    const int n = kBits.of[t.line[i]];
    if (n >= 1 && n <= size) eligible |= 1U << i;
  }
  if (kBits.of[eligible] < size) return false;
  return sets_from(c, p, t, eligible, size, 0, 0, 0);
}

// The tables of the grid: each unit's cells and digits, and each digit's
// rows and columns.
// A table whose entries the assumption left as they were finds only what
// the grid it starts from has; when that has none (the ladder found no
// simpler step there), only the tables changed are searched. The hidden
// tables (each unit's digits and their slots) are filled at each search,
// the others taken from the grid or from them when looked at.
struct Tables {
  std::uint16_t slots[27][9];  // [unit][digit - 1]: its slots there
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
  for (auto& unit : t.slots) {
    for (std::uint16_t& slots : unit) slots = 0;
  }
  for (int cell = 0; cell < 81; ++cell) {
    const DigitSet gone = usable_removals(c, p, cell);
    const std::uint8_t(&units)[3] = geo.cell_units[cell];
    if (gone != 0) {
      t.changed_units |= (1U << units[0]) | (1U << units[1]) | (1U << units[2]);
      t.changed_digits |= gone;
    }
    // The cell's slot in its row, column and box.
    const int slot[3] = {column_of(cell), row_of(cell),
                         3 * (row_of(cell) % 3) + column_of(cell) % 3};
    for (DigitSet rest = p.g.candidates[cell]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest) - 1;
      for (int k = 0; k < 3; ++k) {
        t.slots[units[k]][d] |= static_cast<std::uint16_t>(1U << slot[k]);
      }
    }
  }
}

Table naked_table(const Propagation& p, int u) {
  Table table{Shape::kNaked, u, {}};
  for (int k = 0; k < 9; ++k) {
    table.line[k] = static_cast<std::uint16_t>(
        p.g.candidates[geometry().unit_cells[u][k]] >> 1);
  }
  return table;
}

Table hidden_table(const Tables& t, int u) {
  Table table{Shape::kHidden, u, {}};
  for (int d = 0; d < 9; ++d) table.line[d] = t.slots[u][d];
  return table;
}

// Digit d's rows and their columns (`by_rows`), or columns and rows.
Table fish_table(const Tables& t, int d, bool by_rows) {
  Table table{by_rows ? Shape::kRows : Shape::kColumns, d, {}};
  const int first_unit = by_rows ? kRowUnit : kColumnUnit;
  for (int line = 0; line < 9; ++line) {
    table.line[line] = t.slots[first_unit + line][d - 1];
  }
  return table;
}

// The lines of a table that have entries.
int lines_with_entries(const Table& t) {
  int n = 0;
  for (const std::uint16_t line : t.line) n += line != 0 ? 1 : 0;
  return n;
}

// Digit d of unit `base` confined to its meeting with `cover` (at least two
// places): d goes from cover's other cells.
bool locked(const Context& c, Propagation& p, int d, int base, int cover) {
  const Geometry& geo = geometry();
  Cause cause;
  for (const int cell : geo.unit_cells[base]) {
    if (!has(geo.unit_set[cover], cell)) add_cause(c, p, cell, d, cause);
  }
  if (cause.unusable) return false;
  const int before = p.tail;
  for (const int cell : geo.unit_cells[cover]) {
    if (!has(geo.unit_set[base], cell) && carries(p.g.candidates[cell], d)) {
      remove_candidate(c, p, cell, d, cause);
    }
  }
  return p.tail != before || p.contradiction_size != 0;
}

// The tables a technique looks at: changed since the grid it starts from
// (by removals a pattern can rest on), and since it last looked there.
std::uint32_t units_to_look(const Tables& t, const Propagation& p, int tech) {
  return t.changed_units & ~p.clean_units[tech];
}

// A box's digit on one row or column (pointing), or a line's in one box
// (claiming); slots as in the hidden tables.
bool locked_in(const Context& c, Propagation& p, int base, const Tables& t) {
  const Geometry& geo = geometry();
  const bool pointing = base >= kBoxUnit;
  for (int d = 1; d <= 9; ++d) {
    const unsigned slots = t.slots[base][d - 1];
    if (kBits.of[slots] < 2) continue;
    for (int k = 0; k < 3; ++k) {
      const int diagonal = 4 * k;
      const int slot = 3 * k;
      const int cell = geo.unit_cells[base][diagonal];
      int cover = -1;
      if ((slots & ~(7U << (3 * k))) == 0) {
        cover = pointing ? kRowUnit + row_of(cell)
                         : kBoxUnit + box_of(geo.unit_cells[base][slot]);
      } else if (pointing && (slots & ~(0x49U << k)) == 0) {
        cover = kColumnUnit + column_of(cell);
      }
      if (cover >= 0 && locked(c, p, d, base, cover)) return true;
    }
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
  const Table naked = naked_table(p, u);
  const Table hidden = hidden_table(t, u);
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
    const Table rows = fish_table(t, d, true);
    const Table columns = fish_table(t, d, false);
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
