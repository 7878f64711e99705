#include "valuta/hint.h"

#include "logic/ladder.h"

namespace valuta {

namespace {

using logic::append;
using logic::append_format;
using logic::Text;

// The text of `write` into a local buffer, for quoting inside JSON (the
// texts hold no quote or backslash).
void append_json_field(Text& t, const char* key, const logic::Step& step,
                       void (*write)(Text&, const logic::Step&)) {
  char buffer[2048];
  Text inner{buffer, sizeof buffer};
  write(inner, step);
  buffer[inner.length] = '\0';
  append_format(t, ",\"%s\":\"%s\"", key, buffer);
}

void append_result_only(Text& t, const logic::Step& step) {
  logic::append_result(t, step);
}

// What the drawing marks: the step's cells, and the candidates it removes
// (none: a plain grid, or a hint that must not show them).
struct Marks {
  logic::CellSet cells;
  const logic::DigitSet* removed = nullptr;
};

// One of a cell's three lines in the pencil-mark drawing: the candidates
// 1-3, 4-6 or 7-9 of an open cell, each in its place or '.', or for a
// placed digit "[5]" in the middle line, blanks above and below. A cell
// the step marks has '*' for '.', so that it stands out as a block of
// stars around its digits; a candidate the step removes is an 'x' in its
// place. Neither needs colour, and the layout stays as it is.
void append_cell_line(Text& t, const logic::Grid& g, int cell, int line,
                      const Marks& marks) {
  char three[4] = "   ";
  if (g.digit[cell] != 0) {
    if (line == 1) {
      three[0] = '[';
      three[1] = static_cast<char>('0' + g.digit[cell]);
      three[2] = ']';
    }
  } else {
    const char absent = logic::has(marks.cells, cell) ? '*' : '.';
    const logic::DigitSet gone =
        marks.removed != nullptr ? marks.removed[cell] : 0;
    for (int k = 0; k < 3; ++k) {
      const int d = 3 * line + k + 1;
      three[k] = logic::carries(gone, d) ? 'x'
                 : logic::carries(g.candidates[cell], d)
                     ? static_cast<char>('0' + d)
                     : absent;
    }
  }
  append(t, three);
}

// The grid with its candidates, each cell a block of three lines of three,
// the boxes framed and the cells of a box apart by a blank.
void append_pencil_marks(Text& t, const logic::Grid& g, const Marks& marks) {
  constexpr const char* kBorder =
      "+-------------+-------------+-------------+\n";
  for (int row = 0; row < 9; ++row) {
    append(t, row % 3 == 0 ? kBorder
                           : "|             |             |             |\n");
    for (int line = 0; line < 3; ++line) {
      for (int column = 0; column < 9; ++column) {
        append(t, column == 0 ? "| " : column % 3 == 0 ? " | " : " ");
        append_cell_line(t, g, 9 * row + column, line, marks);
      }
      append(t, " |\n");
    }
  }
  append(t, kBorder);
}

// The marks of a step: its cells (a placement's too), and with `removed`
// what it removes.
Marks marks_of(const logic::Step& step, bool removed) {
  Marks marks;
  marks.cells = logic::marked_cells(step);
  if (step.cell >= 0) logic::add(marks.cells, step.cell);
  if (removed) marks.removed = step.removed;
  return marks;
}

// The same grid in JSON: "griglia", its digits ('.' for an open cell), and
// "candidati", an open cell's candidates ("" for a placed one).
void append_pencil_marks_json(Text& t, const logic::Grid& g) {
  append(t, ",\"griglia\":\"");
  for (int cell = 0; cell < 81; ++cell) {
    append_format(t, "%c", g.digit[cell] != 0 ? '0' + g.digit[cell] : '.');
  }
  append(t, "\",\"candidati\":[");
  for (int cell = 0; cell < 81; ++cell) {
    append(t, cell == 0 ? "\"" : ",\"");
    for (int d = 1; d <= 9; ++d) {
      if (logic::carries(g.candidates[cell], d)) append_format(t, "%d", d);
    }
    append(t, "\"");
  }
  append(t, "]");
}

// A hint of level 1 or 2: the technique and where to look, and at level 2
// the cells, without what the step places or removes.
void append_graded(Text& t, const logic::Grid& before, const logic::Step& step,
                   const Options& options) {
  const bool cells = options.hint_level >= 2;
  if (options.json) {
    int size = 0;
    append_format(t,
                  "{\"passo\":1,\"valutazione\":%d.%d,\"tecnica\":\"%s\""
                  ",\"suggerimento\":\"",
                  step.rating / 10, step.rating % 10,
                  logic::ladder(size)[step.technique].slug);
    logic::write_hint(t, step, cells);
    append(t, "\"");
    if (options.candidates) append_pencil_marks_json(t, before);
    append(t, "}\n");
    return;
  }
  // Level 1 names no cell: its grid marks none.
  if (options.candidates) {
    append_pencil_marks(t, before, cells ? marks_of(step, false) : Marks{});
  }
  append_format(t, "%3d. %d.%d  ", 1, step.rating / 10, step.rating % 10);
  logic::write_hint(t, step, cells);
  append(t, "\n");
}

void report_repeat(Text& t, const base::Puzzle& grid, int a, int b, bool json) {
  append(t, json ? "{\"errore\":\"" : "Errore: ");
  append_format(t, "r%dc%d e r%dc%d hanno la stessa cifra, %d", a / 9 + 1,
                a % 9 + 1, b / 9 + 1, b % 9 + 1, grid.cell[a]);
  append(t, json ? "\"}\n" : "\n");
}

// The most givens a conflict is named by: nine are enough to empty a cell
// or a unit of a digit, the contradictions a person sees; a larger set is
// told by its size alone.
constexpr int kNamedConflict = 9;

void report_conflict(Text& t, const base::Puzzle& grid, bool json) {
  logic::CellSet conflict;
  const int size = find_conflict(grid, conflict);
  append(t, json ? "{\"errore\":\"" : "Errore: ");
  if (size > kNamedConflict) {
    append_format(t,
                  "il gioco non ha soluzione, e non per una sola cifra: il"
                  " più piccolo gruppo di cifre date in conflitto trovato ne"
                  " ha %d",
                  size);
    append(t, json ? "\"}\n" : "\n");
    return;
  }
  append(t,
         "il gioco non ha soluzione: queste cifre date non possono stare"
         " insieme:");
  for (logic::CellSet rest = conflict; !logic::empty(rest);) {
    const int cell = logic::take_first(rest);
    append_format(t, " r%dc%d=%d", cell / 9 + 1, cell % 9 + 1, grid.cell[cell]);
  }
  append(t, json ? "\"}\n" : "\n");
}

void report_plain(Text& t, const char* message, bool json) {
  append(t, json ? "{\"messaggio\":\"" : "");
  append(t, message);
  append(t, json ? "\"}\n" : "\n");
}

}  // namespace

void append_step(Text& t, const logic::Grid& before, const logic::Step& step,
                 int n, const Options& options) {
  int size = 0;
  const logic::Technique& tech = logic::ladder(size)[step.technique];
  if (options.json) {
    append_format(t, "{\"passo\":%d,\"valutazione\":%d.%d,\"tecnica\":\"%s\"",
                  n, step.rating / 10, step.rating % 10, tech.slug);
    append_json_field(t, "notazione", step, logic::write_step);
    append_json_field(t, "risultato", step, append_result_only);
    append_json_field(t, "spiegazione", step, logic::write_sentence);
    // The branches as an array of strings (their texts hold no quote).
    Text rest = t;
    append(rest, ",\"rami\":[");
    // An exclusion's combinations in the same array, a line a candidate.
    if (logic::write_branches(rest, before, step, "\"", "\",") +
            logic::write_exclusions(rest, before, step, "\"", "\",") >
        0) {
      t.length = rest.length - 1;  // the last branch's comma
      append(t, "]");
    }
    if (options.candidates) append_pencil_marks_json(t, before);
    append(t, "}\n");
    return;
  }
  if (options.candidates) append_pencil_marks(t, before, marks_of(step, true));
  append_format(t, "%3d. %d.%d  ", n, step.rating / 10, step.rating % 10);
  logic::write_step(t, step);
  append(t, "  -- ");
  logic::write_sentence(t, step);
  // A chain of many branches: each on a line of its own below the step.
  logic::write_branches(t, before, step, "\n       ", "");
  logic::write_exclusions(t, before, step, "\n       ", "");
  append(t, "\n");
}

namespace {

// A minimal set of the givens of `grid` (which has no solution) that has
// none, in `kept`: each given in turn is left out for good while the rest
// still has no solution, so that every given left is needed. The walk
// starts at cell `start` and wraps around. Returns the set's size.
int minimal_conflict(const base::Puzzle& grid, int start, base::Puzzle& kept) {
  kept = grid;
  int size = 0;
  for (int k = 0; k < 81; ++k) {
    const int cell = (start + k) % 81;
    if (kept.cell[cell] == 0) continue;
    kept.cell[cell] = 0;
    base::Puzzle solution{};
    if (logic::solve(kept, solution) != logic::Solutions::kNone) {
      kept.cell[cell] = grid.cell[cell];
      ++size;
    }
  }
  return size;
}

}  // namespace

int find_conflict(const base::Puzzle& grid, logic::CellSet& cells) {
  // Which minimal set the walk finds depends on where it starts: a walk
  // from every given (one from an empty cell is the walk from the next
  // given), the smallest set kept. Each walk takes one solve a given, a
  // few milliseconds in all.
  int best = 82;
  for (int s = 0; s < 81; ++s) {
    if (grid.cell[s] == 0) continue;
    base::Puzzle kept{};
    const int size = minimal_conflict(grid, s, kept);
    if (size >= best) continue;
    best = size;
    cells = logic::CellSet{};
    for (int cell = 0; cell < 81; ++cell) {
      if (kept.cell[cell] != 0) logic::add(cells, cell);
    }
  }
  return best;
}

int hint(const base::Puzzle& grid, const Options& options, Text& t) {
  int a = 0;
  int b = 0;
  if (logic::find_repeat(grid, a, b)) {
    report_repeat(t, grid, a, b, options.json);
    return kExitUnrated;
  }
  base::Puzzle solution{};
  const logic::Solutions solutions = logic::solve(grid, solution);
  if (solutions == logic::Solutions::kNone) {
    report_conflict(t, grid, options.json);
    return kExitUnrated;
  }
  if (solutions == logic::Solutions::kMany) {
    report_plain(t, "Il gioco ha più soluzioni: nessun suggerimento",
                 options.json);
    return kExitUnrated;
  }
  const logic::Grid g = logic::make_grid(grid);
  logic::Step step;
  if (g.open == 0) {
    report_plain(t, "Il gioco è già risolto", options.json);
    return kExitOk;
  }
  if (!logic::next_step(g, options.allowed, step)) {
    report_plain(t, "Nessun passo tra le tecniche ammesse", options.json);
    return kExitUnrated;
  }
  if (options.hint_level < 3) {
    append_graded(t, g, step, options);
  } else {
    append_step(t, g, step, 1, options);
  }
  return kExitOk;
}

}  // namespace valuta
