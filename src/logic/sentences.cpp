// The steps told in Italian, one sentence each, for a person following the
// path. The accents are written as apostrophes, as vortel's messages do.
#include <cstring>

#include "logic/ladder.h"
#include "logic/notation.h"
#include "logic/propagation.h"

namespace logic {

namespace {

// The article of a digit's name: l'1, l'8, il 2.
const char* article(int digit) {
  return digit == 1 || digit == 8 ? "l'" : "il ";
}

void cells_and_digits(Text& t, const Step& step) {
  append_cells(t, step.cells);
  append(t, " (");
  append_digits(t, step.digits);
  append(t, ")");
}

void placement(Text& t, const Step& step) {
  switch (step.single_unit < 0 ? -1 : step.single_unit / 9) {
  case 0:
  case 1:
  case 2:
    append_format(t, "in ");
    append_unit(t, step.single_unit);
    append_format(t, " %s%d può stare solo in r%dc%d", article(step.digit),
                  step.digit, row_of(step.cell) + 1, column_of(step.cell) + 1);
    break;
  default:
    append_format(t, "in r%dc%d resta solo %s%d", row_of(step.cell) + 1,
                  column_of(step.cell) + 1, article(step.digit), step.digit);
    break;
  }
}

// The length a forcing chain of many is rated by (forcing.cpp), told as
// what it counts: for a contradiction, each chain that leads to it whole,
// so that the nodes two chains share count twice and the length exceeds
// the nodes listed once each below the step; for branches to one
// conclusion, the nodes of every branch with its assumption and the
// conclusion, the sum of what the branches list.
void branches_sentence(Text& t, const Step& step) {
  if (step.chain_length == 1) {
    const Node& start = step.chain[0];
    append_format(t, "se r%dc%d %s %d, ne seguirebbe una contraddizione",
                  row_of(start.cell) + 1, column_of(start.cell) + 1,
                  start.on ? "fosse" : "non fosse", start.digit);
    append_format(t,
                  " (lunghezza %d: ogni catena che porta alla contraddizione"
                  " contata per intero)",
                  step.nodes);
    return;
  }
  append(t, "ognuna delle ipotesi");
  for (int k = 0; k < step.chain_length; ++k) {
    const Node& node = step.chain[k];
    append_format(t, " r%dc%d%s%d", row_of(node.cell) + 1,
                  column_of(node.cell) + 1, node.on ? "=" : "<>", node.digit);
  }
  append_format(t, " porta allo stesso risultato (%d nodi nelle %d catene)",
                step.nodes, step.chain_length);
}

// The lines of `mask` (bit k: line k + 1) as "righe r1, r7" or "colonne
// c4, c9".
void append_lines(Text& t, unsigned mask, bool rows) {
  append(t, rows ? "righe" : "colonne");
  const char* separator = " ";
  for (int line = 0; line < 9; ++line) {
    if (!((mask >> line) & 1U)) continue;
    append_format(t, "%s%c%d", separator, rows ? 'r' : 'c', line + 1);
    separator = ", ";
  }
}

// Base lines (the step's units) where the digit is confined to as many
// cover lines (those of its cells), which lose it elsewhere.
void fish_sentence(Text& t, const Step& step) {
  const bool by_rows = (step.units & 0x1FFU) != 0;
  const unsigned base =
      by_rows ? step.units & 0x1FFU : (step.units >> kColumnUnit) & 0x1FFU;
  unsigned cover = 0;
  for (int cell = 0; cell < 81; ++cell) {
    if (has(step.cells, cell)) {
      cover |= 1U << (by_rows ? column_of(cell) : row_of(cell));
    }
  }
  const int d = lowest_digit(step.digits);
  append(t, "nelle ");
  append_lines(t, base, by_rows);
  append_format(t, " %s%d può stare solo nelle ", article(d), d);
  append_lines(t, cover, !by_rows);
  append(t, " (");
  append_cells(t, step.cells);
  append(t, "), e lo perdono le altre caselle di queste ");
  append(t, by_rows ? "colonne" : "righe");
}

// The pivot holds one of its digits, and so one wing (a cell it sees)
// holds the digit the wings share; in an XYZ-Wing the pivot, which carries
// that digit too, may hold it instead.
void wing_sentence(Text& t, const Technique& tech, const Step& step) {
  int z = 0;
  for (int cell = 0; cell < 81 && z == 0; ++cell) {
    if (step.removed[cell] != 0) z = lowest_digit(step.removed[cell]);
  }
  CellSet wings = step.cells;
  remove(wings, step.pivot);
  const bool xyz = std::strcmp(tech.slug, "xyz-wing") == 0;
  append_format(t, "qualunque cifra vada nel perno r%dc%d, %s%d va ",
                row_of(step.pivot) + 1, column_of(step.pivot) + 1, article(z),
                z);
  append(t, xyz ? "nel perno o in una delle ali " : "in una delle ali ");
  append_cells(t, wings);
  append(t, xyz ? ", e lo perde ogni casella che le vede tutte e tre"
                : ", e lo perde ogni casella che le vede entrambe");
}

void other_sentence(Text& t, Kind kind, const Step& step) {
  switch (kind) {
  case Kind::kRectangle:
  case Kind::kGrave:
    append(t, "le caselle ");
    cells_and_digits(t, step);
    append(t,
           " formerebbero uno schema con due soluzioni, che un gioco"
           " a soluzione unica non ammette");
    break;
  case Kind::kExclusion:
    append(t, "le caselle ");
    cells_and_digits(t, step);
    // A pair, or a triple of cells in one unit.
    append(t, count(step.cells) == 2
                  ? " non possono avere coppie di cifre uguali o che svuotino"
                    " una casella che vedono entrambe"
                  : " non possono avere cifre uguali né terne di cifre che"
                    " svuotino una casella che vedono tutte e tre");
    break;
  default: {
    // A chain starts from its assumption and ends in its opposite; a
    // chain of many branches has an assumption for each.
    const Node& start = step.chain[0];
    if (step.nodes != 0) {
      branches_sentence(t, step);
      break;
    }
    const Node& end = step.chain[step.chain_length - 1];
    if (step.chain_length > 1 && end.cell == start.cell &&
        end.digit == start.digit && end.on == start.on) {
      // A cycle: true whichever way it is read, so a candidate that two
      // neighbouring nodes both exclude goes.
      append_format(t,
                    "la catena di %d nodi da r%dc%d torna su se stessa e"
                    " vale in entrambi i versi: cade ogni candidato escluso"
                    " da due suoi nodi vicini",
                    step.chain_length, row_of(start.cell) + 1,
                    column_of(start.cell) + 1);
      break;
    }
    append_format(t,
                  "se r%dc%d %s %d, la catena di %d nodi porterebbe al"
                  " contrario",
                  row_of(start.cell) + 1, column_of(start.cell) + 1,
                  start.on ? "fosse" : "non fosse", start.digit,
                  step.chain_length);
    break;
  }
  }
}

void pattern_sentence(Text& t, const Technique& tech, const Step& step) {
  const Kind kind = tech.kind;
  switch (kind) {
  case Kind::kLocked:
    append(t, "in ");
    append_units(t, step.units);
    append_format(t, " %s", article(lowest_digit(step.digits)));
    append_digits(t, step.digits);
    append(t, " può stare solo in ");
    append_cells(t, step.cells);
    append(t, ", che condividono anche un'altra unità");
    break;
  case Kind::kNakedSet:
    append(t, "le caselle ");
    cells_and_digits(t, step);
    append(t,
           " contengono solo queste cifre, che lasciano le altre caselle"
           " dell'unità");
    break;
  case Kind::kHiddenSet:
    append(t, "le cifre ");
    append_digits(t, step.digits);
    append(t, " possono stare solo in ");
    append_cells(t, step.cells);
    append(t, ", che perdono le altre cifre");
    break;
  case Kind::kFish:
    fish_sentence(t, step);
    break;
  case Kind::kWing:
    if (step.pivot >= 0) {
      wing_sentence(t, tech, step);
    } else {
      append(t, "qualunque cifra vada nel perno, una delle caselle ");
      cells_and_digits(t, step);
      append(t, " ha l'ultima cifra, e la perde chi le vede tutte");
    }
    break;
  default:
    other_sentence(t, kind, step);
    break;
  }
}

// "del 4", "dell'8" (`di`) or "sul 4", "sull'8".
void append_on_digit(Text& t, const char* preposition, int d) {
  append_format(t, " %s%s%d", preposition, d == 1 || d == 8 ? "ll'" : "l ", d);
}

// The article a hint puts before a technique's name as the step gives it:
// a chain is a "catena", a Swordfish takes "uno", the Locked Candidates
// are many.
const char* name_article(const Technique& tech, const char* name) {
  if (std::strstr(name, "Chain") != nullptr) return "una ";
  if (name[0] == 'S') return "uno ";
  if (tech.kind == Kind::kLocked) return "dei ";
  return "un ";
}

// A unit holding every cell of the set, or -1.
int common_unit(const CellSet& cells) {
  for (int u = 0; u < 27; ++u) {
    if (!empty(cells) && minus(cells, geometry().unit_set[u]) == CellSet{}) {
      return u;
    }
  }
  return -1;
}

// The cells a chain's nodes stand in.
CellSet chain_cells(const Step& step) {
  CellSet cells;
  for (int k = 0; k < step.chain_length; ++k) add(cells, step.chain[k].cell);
  return cells;
}

// Where a chain is to be looked for: its digit when it has one, else the
// cell it starts from, or for many branches the cell, or the digit in a
// unit, whose candidates they assume.
void chain_area(Text& t, const Step& step) {
  const Node& start = step.chain[0];
  bool one_digit = true;
  for (int k = 1; k < step.chain_length; ++k) {
    one_digit = one_digit && step.chain[k].digit == start.digit;
  }
  const CellSet cells = chain_cells(step);
  if (count(cells) == 1) {
    append_format(
        t, step.chain_length > 1 ? " dalle cifre di r%dc%d" : " da r%dc%d",
        row_of(start.cell) + 1, column_of(start.cell) + 1);
  } else if (step.nodes == 0 && one_digit) {
    append_on_digit(t, "su", start.digit);
  } else if (step.nodes != 0 && one_digit && common_unit(cells) >= 0) {
    append(t, " dai posti");
    append_on_digit(t, "de", start.digit);
    append(t, " in ");
    append_unit(t, common_unit(cells));
  } else {
    append_format(t, " da r%dc%d", row_of(start.cell) + 1,
                  column_of(start.cell) + 1);
  }
}

int removed_digit(const Step& step) {
  for (int cell = 0; cell < 81; ++cell) {
    if (step.removed[cell] != 0) return lowest_digit(step.removed[cell]);
  }
  return 0;
}

// Where the step is to be looked for, after the technique's name: a unit,
// a digit, or both.
void hint_area(Text& t, const Technique& tech, const Step& step) {
  const int d = lowest_digit(step.digits);
  switch (tech.kind) {
  case Kind::kDirect:
    // A direct hidden set's digits are not the single's: the unit alone.
    if (digit_count(step.digits) == 1) append_on_digit(t, "de", step.digit);
    append(t, " in ");
    append_unit(t, step.single_unit);
    break;
  case Kind::kHiddenSingle:
    append_on_digit(t, "de", step.digit);
    [[fallthrough]];
  case Kind::kFullHouse:
    append(t, " in ");
    append_unit(t, step.single_unit);
    break;
  case Kind::kNakedSingle:
    append_format(t, " in b%d", box_of(step.cell) + 1);
    break;
  case Kind::kLocked:
    append_on_digit(t, "de", d);
    [[fallthrough]];
  case Kind::kNakedSet:
  case Kind::kHiddenSet:
    append(t, " in ");
    append_units(t, step.units);
    break;
  case Kind::kFish:
    append_on_digit(t, "su", d);
    break;
  case Kind::kWing:
    append_on_digit(t, "su", removed_digit(step));
    break;
  case Kind::kRectangle:
    append(t, " sulle cifre ");
    append_digits(t, step.digits);
    break;
  case Kind::kExclusion:
    if (common_unit(step.cells) >= 0) {
      append(t, " in ");
      append_unit(t, common_unit(step.cells));
    }
    break;
  case Kind::kChain:
  case Kind::kChainWithPatterns:
    chain_area(t, step);
    break;
  default:  // a BUG: the whole grid
    break;
  }
}

}  // namespace

void write_hint(Text& t, const Step& step, bool cells) {
  int size = 0;
  const Technique& tech = ladder(size)[step.technique];
  char name[96];
  Text named{name, sizeof name};
  append_italian_name(named, step);
  name[named.length] = '\0';
  append_format(t, "cerca %s%s", name_article(tech, name), name);
  hint_area(t, tech, step);
  if (!cells) return;
  const bool chain =
      tech.kind == Kind::kChain || tech.kind == Kind::kChainWithPatterns;
  if (chain && step.nodes != 0) {
    // Branches: their assumptions, whose cells the area has named.
    append(t, step.chain_length == 1 ? ", con l'ipotesi" : ", con le ipotesi");
    for (int k = 0; k < step.chain_length; ++k) {
      const Node& node = step.chain[k];
      append_format(t, "%s r%dc%d%s%d", k == 0 ? "" : ",",
                    row_of(node.cell) + 1, column_of(node.cell) + 1,
                    node.on ? "=" : "<>", node.digit);
    }
    return;
  }
  const CellSet where = chain ? chain_cells(step) : step.cells;
  append(t, count(where) == 1 ? ", nella casella " : ", nelle caselle ");
  append_cells(t, where);
}

void write_sentence(Text& t, const Step& step) {
  int size = 0;
  const Technique& tech = ladder(size)[step.technique];
  switch (tech.kind) {
  case Kind::kFullHouse:
    append_format(t, "r%dc%d è l'ultima casella libera di ",
                  row_of(step.cell) + 1, column_of(step.cell) + 1);
    append_unit(t, step.single_unit);
    append_format(t, ": vi va %s%d", article(step.digit), step.digit);
    break;
  case Kind::kHiddenSingle:
  case Kind::kNakedSingle:
    placement(t, step);
    break;
  case Kind::kDirect:
    append(t, "le caselle ");
    cells_and_digits(t, step);
    append(t, " tolgono ");
    {
      Step pattern = step;
      pattern.cell = -1;
      append_result(t, pattern);
    }
    append(t, "; allora ");
    placement(t, step);
    break;
  default:
    pattern_sentence(t, tech, step);
    if (tech.kind == Kind::kChainWithPatterns) {
      append(t,
             ", seguendo ogni ipotesi anche con intersezioni, insiemi"
             " nudi e nascosti e pesci");
    } else if (tech.kind == Kind::kNestedChain) {
      append_format(t,
                    ", seguendo ogni ipotesi anche con intersezioni, insiemi"
                    " nudi e nascosti, pesci e catene annidate su %d %s",
                    nesting_of(tech.mode),
                    nesting_of(tech.mode) == 1 ? "livello" : "livelli");
    }
    append(t, ": ");
    append_result(t, step);
    break;
  }
}

}  // namespace logic
