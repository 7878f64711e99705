#include "answers/vocabulary.h"

#include <cstdio>
#include <cstring>

namespace answers {

namespace {

// Indexed by Status. The words a player uses: a puzzle has one solution
// (unica), several (multipla) or none (nessuna).
constexpr const char* kStatusWords[kStatuses] = {
    "unica",   "multipla",     "nessuna",     "cifre-ripetute", "illeggibile",
    "risolta", "minima",       "non-minima",  "errore",         "valutato",
    "oltre",   "oltre-limite", "passo-errato"};

// A field after the first: its separator, and in JSON its name.
void next_field(base::Text& t, const Form& form, const char* name, bool first) {
  if (!form.json) {
    if (!first) add_char(t, '\t');
    return;
  }
  add(t, first ? "{\"" : ",\"");
  add(t, name);
  add(t, "\":");
}

}  // namespace

const char* status_word(Status status) {
  const auto index = static_cast<int>(status);
  return index >= 0 && index < kStatuses ? kStatusWords[index] : "errore";
}

const char* leading_header(const Form& form) {
  return form.filter ? "etichetta\tgioco"
                     : "numero\tarchivio\triga\tetichetta\tgioco";
}

void add_puzzle(base::Text& t, const base::Puzzle& puzzle) {
  char cells[81];
  for (unsigned i = 0; i < 81; ++i) {
    cells[i] =
        puzzle.cell[i] != 0 ? static_cast<char>('0' + puzzle.cell[i]) : '.';
  }
  add_bytes(t, cells, sizeof cells);
}

void add_leading(base::Text& t, const batch::Entry& entry, const Form& form) {
  const auto add_string =
      form.json ? base::add_json_string : base::add_tsv_string;
  if (!form.filter) {
    next_field(t, form, "numero", true);
    add_number(t, entry.number);
    next_field(t, form, "archivio", false);
    const char* name = form.name_count == 0 ? "-" : form.names[entry.input];
    add_string(t, name, std::strlen(name));
    next_field(t, form, "riga", false);
    add_number(t, entry.line);
  }
  next_field(t, form, "etichetta", form.filter);
  add_string(t, entry.label, static_cast<std::size_t>(entry.label_length));
  next_field(t, form, "gioco", false);
  if (entry.kind != batch::EntryKind::kPuzzle) {
    if (form.json) add(t, "null");
    return;
  }
  if (form.json) add_char(t, '"');
  add_puzzle(t, entry.puzzle);
  if (form.json) add_char(t, '"');
}

const char* shown_name(const Form& form, int input) {
  const char* name = form.name_count == 0 ? "-" : form.names[input];
  return std::strcmp(name, "-") == 0 ? "(standard input)" : name;
}

void describe_entry(const batch::Entry& entry, const Form& form, char* out,
                    std::size_t size) {
  const char* name = shown_name(form, entry.input);
  if (entry.kind == batch::EntryKind::kUnreadable) {
    char reason[256];
    std::snprintf(out, size, "%s: errore in lettura: %s", name,
                  strerror_r(entry.error, reason, sizeof reason));
    return;
  }
  char message[1024];
  recognise::describe_refusal(entry.refusal, message, sizeof message);
  if (entry.refusal.problem == recognise::Problem::kNoPuzzle) {
    std::snprintf(out, size, "%s: %s", name, message);
  } else if (form.filter) {
    std::snprintf(out, size, "colonna %ld: %s", entry.refusal.column, message);
  } else {
    std::snprintf(out, size, "%s: riga %ld, colonna %ld: %s", name,
                  entry.refusal.line, entry.refusal.column, message);
  }
}

}  // namespace answers
