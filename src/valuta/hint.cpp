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

void report_repeat(Text& t, const base::Puzzle& grid, int a, int b, bool json) {
  append(t, json ? "{\"errore\":\"" : "Errore: ");
  append_format(t, "r%dc%d e r%dc%d hanno la stessa cifra, %d", a / 9 + 1,
                a % 9 + 1, b / 9 + 1, b % 9 + 1, grid.cell[a]);
  append(t, json ? "\"}\n" : "\n");
}

void report_wrong(Text& t, const base::Puzzle& grid, bool json) {
  logic::CellSet wrong;
  const int n = find_wrong_digits(grid, wrong);
  append(t, json ? "{\"errore\":\"" : "Errore: ");
  if (n == 0) {
    append(t,
           "la tabella non ha soluzione, e togliere una sola cifra non"
           " basta");
  } else {
    append(t, n == 1 ? "la cifra "
                     : "una di queste cifre contraddice la"
                       " soluzione: ");
    bool first = true;
    for (logic::CellSet rest = wrong; !logic::empty(rest);) {
      const int cell = logic::take_first(rest);
      append_format(t, "%sr%dc%d=%d", first ? "" : " ", cell / 9 + 1,
                    cell % 9 + 1, grid.cell[cell]);
      first = false;
    }
    if (n == 1) append(t, " contraddice la soluzione");
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
                 int n, bool json) {
  int size = 0;
  const logic::Technique& tech = logic::ladder(size)[step.technique];
  if (json) {
    append_format(t, "{\"passo\":%d,\"valutazione\":%d.%d,\"tecnica\":\"%s\"",
                  n, step.rating / 10, step.rating % 10, tech.slug);
    append_json_field(t, "notazione", step, logic::write_step);
    append_json_field(t, "risultato", step, append_result_only);
    append_json_field(t, "spiegazione", step, logic::write_sentence);
    // The branches as an array of strings (their texts hold no quote).
    Text rest = t;
    append(rest, ",\"rami\":[");
    if (logic::write_branches(rest, before, step, "\"", "\",") > 0) {
      t.length = rest.length - 1;  // the last branch's comma
      append(t, "]");
    }
    append(t, "}\n");
    return;
  }
  append_format(t, "%3d. %d.%d  ", n, step.rating / 10, step.rating % 10);
  logic::write_step(t, step);
  append(t, "  -- ");
  logic::write_sentence(t, step);
  // A chain of many branches: each on a line of its own below the step.
  logic::write_branches(t, before, step, "\n       ", "");
  append(t, "\n");
}

int find_wrong_digits(const base::Puzzle& grid, logic::CellSet& cells) {
  // Taken away, the wrong digit leaves the puzzle as it was: one solution.
  // Taking away a right one leaves the wrong digit in, and seldom a grid
  // with one solution; only when no cell leaves one are the cells that
  // leave several given.
  logic::CellSet several;
  int one = 0;
  int many = 0;
  for (int cell = 0; cell < 81; ++cell) {
    if (grid.cell[cell] == 0) continue;
    base::Puzzle without = grid;
    without.cell[cell] = 0;
    base::Puzzle solution{};
    const logic::Solutions found = logic::solve(without, solution);
    if (found == logic::Solutions::kOne) {
      logic::add(cells, cell);
      ++one;
    } else if (found == logic::Solutions::kMany) {
      logic::add(several, cell);
      ++many;
    }
  }
  if (one > 0) return one;
  cells = several;
  return many;
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
    report_wrong(t, grid, options.json);
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
  append_step(t, g, step, 1, options.json);
  return kExitOk;
}

}  // namespace valuta
