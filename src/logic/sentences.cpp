// The steps told in Italian, one sentence each, for a person following the
// path. The accents are written as apostrophes, as vortel's messages do.
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

void branches_sentence(Text& t, const Step& step) {
  if (step.chain_length == 1) {
    const Node& start = step.chain[0];
    append_format(t, "se r%dc%d %s %d, ne seguirebbe una contraddizione",
                  row_of(start.cell) + 1, column_of(start.cell) + 1,
                  start.on ? "fosse" : "non fosse", start.digit);
  } else {
    append(t, "ognuna delle ipotesi");
    for (int k = 0; k < step.chain_length; ++k) {
      const Node& node = step.chain[k];
      append_format(t, " r%dc%d%s%d", row_of(node.cell) + 1,
                    column_of(node.cell) + 1, node.on ? "=" : "<>", node.digit);
    }
    append(t, " porta allo stesso risultato");
  }
  append_format(t, " (%d nodi)", step.nodes);
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
    append_format(t,
                  "se r%dc%d %s %d, la catena di %d anelli porterebbe al"
                  " contrario",
                  row_of(start.cell) + 1, column_of(start.cell) + 1,
                  start.on ? "fosse" : "non fosse", start.digit,
                  step.chain_length);
    break;
  }
  }
}

void pattern_sentence(Text& t, Kind kind, const Step& step) {
  switch (kind) {
  case Kind::kLocked:
    append(t, "in ");
    append_units(t, step.units);
    append(t, " il ");
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
    append(t, "nelle linee di ");
    append_cells(t, step.cells);
    append(t, " il ");
    append_digits(t, step.digits);
    append(t, " occupa altrettante linee incrociate, dove non sta altrove");
    break;
  case Kind::kWing:
    append(t, "qualunque cifra vada nel perno, una delle caselle ");
    cells_and_digits(t, step);
    append(t, " ha l'ultima cifra, che lascia chi le vede tutte");
    break;
  default:
    other_sentence(t, kind, step);
    break;
  }
}

}  // namespace

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
    pattern_sentence(t, tech.kind, step);
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
