#include "logic/notation.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "logic/ladder.h"

namespace logic {

void append(Text& t, const char* s) {
  base::add(t, s);
}

void append_format(Text& t, const char* format, ...) {
  va_list args;
  va_start(args, format);
  base::add_vformat(t, format, args);
  va_end(args);
}

void append_unit(Text& t, int unit) {
  const char kind = unit < kColumnUnit ? 'r' : unit < kBoxUnit ? 'c' : 'b';
  append_format(t, "%c%d", kind, unit % 9 + 1);
}

namespace {

// One group of cells: the rows `rows` by the columns `columns`, as
// "r46c9".
void append_group(Text& t, unsigned rows, unsigned columns) {
  append(t, "r");
  for (int k = 0; k < 9; ++k) {
    if ((rows >> k) & 1U) append_format(t, "%d", k + 1);
  }
  append(t, "c");
  for (int k = 0; k < 9; ++k) {
    if ((columns >> k) & 1U) append_format(t, "%d", k + 1);
  }
}

}  // namespace

void append_cells(Text& t, const CellSet& cells) {
  // Rows that hold the same columns are written together (r46c9); so are
  // the groups that cannot merge further, one after the other.
  unsigned columns_of_row[9]{};
  for (int cell = 0; cell < 81; ++cell) {
    if (has(cells, cell)) columns_of_row[row_of(cell)] |= 1U << column_of(cell);
  }
  unsigned done = 0;
  bool first_group = true;
  for (int r = 0; r < 9; ++r) {
    if (columns_of_row[r] == 0 || ((done >> r) & 1U)) continue;
    unsigned rows = 0;
    for (int other = r; other < 9; ++other) {
      if (columns_of_row[other] == columns_of_row[r]) rows |= 1U << other;
    }
    done |= rows;
    if (!first_group) append(t, ",");
    first_group = false;
    append_group(t, rows, columns_of_row[r]);
  }
}

void append_digits(Text& t, DigitSet digits) {
  bool first_digit = true;
  for (DigitSet rest = digits; rest != 0; rest &= rest - 1) {
    append_format(t, first_digit ? "%d" : ",%d", lowest_digit(rest));
    first_digit = false;
  }
}

void append_result(Text& t, const Step& step) {
  if (step.cell >= 0) {
    append_format(t, "r%dc%d=%d", row_of(step.cell) + 1,
                  column_of(step.cell) + 1, step.digit);
    return;
  }
  bool first_digit = true;
  for (int d = 1; d <= 9; ++d) {
    CellSet cells;
    for (int cell = 0; cell < 81; ++cell) {
      if ((step.removed[cell] >> d) & 1U) add(cells, cell);
    }
    if (empty(cells)) continue;
    if (!first_digit) append(t, ", ");
    first_digit = false;
    append_cells(t, cells);
    append_format(t, "<>%d", d);
  }
}

void append_units(Text& t, std::uint32_t units) {
  bool first_unit = true;
  for (int u = 0; u < 27; ++u) {
    if (!((units >> u) & 1U)) continue;
    if (!first_unit) append(t, ",");
    first_unit = false;
    append_unit(t, u);
  }
}

namespace {

void append_chain(Text& t, const Step& step) {
  // A chain of one branch is written link by link; the assumptions of a
  // chain of many are written side by side, with the nodes they take.
  const bool branches = step.nodes != 0;
  for (int k = 0; k < step.chain_length; ++k) {
    const Node& node = step.chain[k];
    append_format(t, "%sr%dc%d%s%d",
                  k == 0     ? ""
                  : branches ? " | "
                             : " -> ",
                  row_of(node.cell) + 1, column_of(node.cell) + 1,
                  node.on ? "=" : "<>", node.digit);
  }
  // The length the step is rated by (forcing.cpp): each chain counted
  // whole, so not always the nodes the branches list.
  if (branches) append_format(t, " (length %d)", step.nodes);
}

// A fish's base lines, those its digit is confined to, and its cover
// lines, those it is removed from: "r47/c67". The base lines are the
// step's units; the cover lines are those of its cells.
void append_fish(Text& t, const Step& step) {
  const bool by_rows = (step.units & 0x1FFU) != 0;
  unsigned cover = 0;
  for (int cell = 0; cell < 81; ++cell) {
    if (has(step.cells, cell)) {
      cover |= 1U << (by_rows ? column_of(cell) : row_of(cell));
    }
  }
  append_digits(t, step.digits);
  append_format(t, " in %c", by_rows ? 'r' : 'c');
  for (int line = 0; line < 9; ++line) {
    const int unit = (by_rows ? kRowUnit : kColumnUnit) + line;
    if ((step.units >> unit) & 1U) append_format(t, "%d", line + 1);
  }
  append_format(t, "/%c", by_rows ? 'c' : 'r');
  for (int line = 0; line < 9; ++line) {
    if ((cover >> line) & 1U) append_format(t, "%d", line + 1);
  }
}

// What makes the step, between the technique's name and "=>".
void append_cause(Text& t, const Technique& tech, const Step& step) {
  switch (tech.kind) {
  case Kind::kFullHouse:
    append_unit(t, step.single_unit);
    break;
  case Kind::kNakedSingle:
    append_cells(t, step.cells);
    break;
  case Kind::kHiddenSingle:
  case Kind::kLocked:
    append_digits(t, step.digits);
    append(t, " in ");
    append_units(t, step.units);
    break;
  case Kind::kChain:
  case Kind::kChainWithPatterns:
  case Kind::kNestedChain:
    append_chain(t, step);
    break;
  case Kind::kFish:
    append_fish(t, step);
    break;
  default:
    append_digits(t, step.digits);
    append(t, " in ");
    append_cells(t, step.cells);
    break;
  }
}

}  // namespace

CellSet marked_cells(const Step& step) {
  CellSet cells = step.cells;
  for (int k = 0; k < step.chain_length && k < kMaxChain; ++k) {
    add(cells, step.chain[k].cell);
  }
  return cells;
}

namespace {

// Whether an X-Chain step is a Turbot Fish: the chain from the candidate
// removed to its opposite through two strong links joined by a weak one
// (on, off, on, off, on, off: six nodes), the four cells of two conjugate
// pairs whose ends see each other (a skyscraper, a two-string kite or a
// turbot, after where the pairs lie), the digit gone from a cell that sees
// both far ends.
bool is_turbot(const Technique& tech, const Step& step) {
  return std::strcmp(tech.slug, "x-chain") == 0 && step.chain_length == 6 &&
         step.nodes == 0 && step.chain[0].on;
}

// The name, in English in a step's notation or inside an Italian sentence,
// where a type is said in Italian and a hidden single's unit is left to the
// sentence.
void append_name_in(Text& t, const Step& step, bool italian) {
  int size = 0;
  const Technique& tech = ladder(size)[step.technique];
  if (tech.kind == Kind::kHiddenSingle) {
    append(t, "Hidden Single");
    if (italian) return;
    append(t, step.single_unit >= kBoxUnit      ? " (box)"
              : step.single_unit >= kColumnUnit ? " (column)"
                                                : " (row)");
    return;
  }
  append(t, is_turbot(tech, step) ? "Turbot Fish" : tech.name);
  // The types players name: a rectangle's or loop's 1 to 4, and the BUG
  // of one cell by the extra digits it holds ("BUG+1", "BUG+2") or its
  // types 2 to 4.
  const char* type = italian ? "di tipo" : "type";
  if (tech.kind == Kind::kRectangle && step.type != 0) {
    append_format(t, " %s %d", type, step.type);
  } else if (tech.kind == Kind::kGrave && step.type != 0) {
    if (step.type == 1) {
      append_format(t, " (BUG+%d)", digit_count(step.digits));
    } else {
      append_format(t, " (BUG %s %d)", type, step.type);
    }
  }
}

}  // namespace

void append_name(Text& t, const Step& step) {
  append_name_in(t, step, false);
}

void append_italian_name(Text& t, const Step& step) {
  append_name_in(t, step, true);
}

void write_step(Text& t, const Step& step) {
  int size = 0;
  const Technique& tech = ladder(size)[step.technique];
  append_name(t, step);
  append(t, ": ");
  append_cause(t, tech, step);
  if (tech.kind == Kind::kWing && step.pivot >= 0) {
    append_format(t, " (pivot r%dc%d)", row_of(step.pivot) + 1,
                  column_of(step.pivot) + 1);
  }
  if (tech.kind == Kind::kDirect) {
    Step pattern = step;
    pattern.cell = -1;
    append(t, " (");
    append_result(t, pattern);
    append(t, ")");
  }
  append(t, " => ");
  append_result(t, step);
}

}  // namespace logic
