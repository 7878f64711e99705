// Output lines. The leading columns are the batch programs' own
// (answers/vocabulary.h); every other field is written by one of a few
// helpers that keep the line inside its room and escape what the form
// needs (base/text.h): in the tab-separated form a control character
// inside a field (a file name, a quoted character) becomes a blank; in
// JSON the string escapes.
#include "lotto/format.h"

#include <cstdio>
#include <cstring>

namespace lotto {

namespace {

using base::add;
using base::add_char;
using base::add_number;
using base::Text;

// Starts a field after the leading ones: a tab, or in JSON its name.
void field(Text& t, bool json, const char* name) {
  if (!json) {
    add_char(t, '\t');
    return;
  }
  add(t, ",\"");
  add(t, name);
  add(t, "\":");
}

void string_field(Text& t, bool json, const char* name, const char* text) {
  field(t, json, name);
  if (json) {
    base::add_json_string(t, text, std::strlen(text));
  } else {
    base::add_tsv_string(t, text, std::strlen(text));
  }
}

// 81 digits, '.' for an empty cell; nothing (JSON null) when absent.
void grid_field(Text& t, bool json, const char* name,
                const base::Puzzle* digits) {
  field(t, json, name);
  if (digits == nullptr) {
    if (json) add(t, "null");
    return;
  }
  if (json) add_char(t, '"');
  answers::add_puzzle(t, *digits);
  if (json) add_char(t, '"');
}

// A count, or nothing (JSON null) when 0.
void number_field(Text& t, bool json, const char* name, long long value) {
  field(t, json, name);
  if (value != 0) {
    add_number(t, value);
  } else if (json) {
    add(t, "null");
  }
}

constexpr answers::Status kStatuses[kKinds] = {
    answers::Status::kSolved,         answers::Status::kUnique,
    answers::Status::kMultiple,       answers::Status::kNone,
    answers::Status::kRepeatedDigits, answers::Status::kMinimal,
    answers::Status::kNotMinimal,     answers::Status::kNoMemory,
    answers::Status::kUnreadable,     answers::Status::kUnreadable};

// The detail of an answer: why there is none, where the first two
// solutions differ, which givens could go.
void puzzle_detail(Text& t, bool json, const base::Puzzle& puzzle,
                   const Answer& a) {
  char text[1024];
  std::size_t n = 0;
  text[0] = '\0';
  auto put = [&](const char* s) {
    const std::size_t size = std::strlen(s);
    if (n + size < sizeof text) {
      std::memcpy(text + n, s, size + 1);
      n += size;
    }
  };
  char cell[32];
  const bool cells =
      a.verdict == Verdict::kMultiple || a.verdict == Verdict::kNotMinimal;
  for (unsigned i = 0; cells && i < 81; ++i) {
    const int row = static_cast<int>(i / 9) + 1;
    const int column = static_cast<int>(i % 9) + 1;
    if (a.verdict == Verdict::kMultiple && a.second.cell[i] != 0 &&
        a.second.cell[i] != a.first.cell[i]) {
      std::snprintf(cell, sizeof cell, "%sr%dc%d=%d/%d", n > 0 ? "," : "", row,
                    column, a.first.cell[i], a.second.cell[i]);
      put(cell);
    } else if (a.verdict == Verdict::kNotMinimal && puzzle.cell[i] != 0 &&
               base::has(a.redundant, static_cast<int>(i))) {
      std::snprintf(cell, sizeof cell, "%sr%dc%d", n > 0 ? "," : "", row,
                    column);
      put(cell);
    }
  }
  if (a.verdict == Verdict::kNone) {
    put(a.by_logic ? "dati incongruenti" : "privo di soluzioni");
  } else if (a.verdict == Verdict::kConflict) {
    put("dati inconsistenti");
  } else if (a.verdict == Verdict::kNoMemory) {
    put("memoria insufficiente");
  }
  string_field(t, json, "dettaglio", text);
}

int kind_of(const batch::Entry& entry, const Answer& answer) {
  if (entry.kind == batch::EntryKind::kDamaged) return kKindDamaged;
  if (entry.kind == batch::EntryKind::kUnreadable) return kKindUnreadable;
  return static_cast<int>(answer.verdict);
}

}  // namespace

answers::Status status_of(int kind) {
  return kind >= 0 && kind < kKinds ? kStatuses[kind]
                                    : answers::Status::kUnreadable;
}

const char* status_word(int kind) {
  return answers::status_word(status_of(kind));
}

void header_line(const Style& style, char* out, std::size_t size,
                 const Columns& columns) {
  if (style.json || style.filter) {
    if (size > 0) out[0] = '\0';
    return;
  }
  std::snprintf(out, size, "%s\tstato\tsoluzioni\tsoluzione\tdettaglio%s%s%s\n",
                answers::leading_header(style),
                columns.form ? "\tcanonica" : "",
                columns.automorphisms ? "\tautomorfismi" : "",
                columns.duplicate ? "\tdoppione" : "");
}

std::size_t format_line(const batch::Entry& entry, const Answer& answer,
                        const Style& style, char* out, std::size_t room,
                        const Columns& columns) {
  if (room == 0) return 0;
  Text t{out, room};
  const bool json = style.json;
  const bool puzzle = entry.kind == batch::EntryKind::kPuzzle;
  answers::add_leading(t, entry, style);
  const int kind = kind_of(entry, answer);
  string_field(t, json, "stato", status_word(kind));
  field(t, json, "soluzioni");
  if (puzzle && answer.verdict != Verdict::kNoMemory) {
    add_number(t, answer.count);
    if (json) {
      add(t, answer.at_least ? ",\"almeno\":true" : ",\"almeno\":false");
    } else if (answer.at_least) {
      add_char(t, '+');
    }
  } else if (json) {
    add(t, "null,\"almeno\":false");
  }
  const bool solved = puzzle && answer.verdict != Verdict::kNone &&
                      answer.verdict != Verdict::kConflict &&
                      answer.verdict != Verdict::kNoMemory;
  grid_field(t, json, "soluzione", solved ? &answer.first : nullptr);
  if (puzzle) {
    puzzle_detail(t, json, entry.puzzle, answer);
  } else {
    char text[8192];
    answers::describe_entry(entry, style, text, sizeof text);
    string_field(t, json, "dettaglio", text);
  }
  if (columns.form) {
    grid_field(t, json, "canonica", puzzle ? &answer.form : nullptr);
  }
  if (columns.automorphisms) {
    number_field(t, json, "automorfismi", puzzle ? answer.automorphisms : 0);
  }
  if (json) add_char(t, '}');
  // The line end has its byte kept by the text: a cut line still ends.
  t.data[t.length++] = '\n';
  return t.length;
}

std::size_t add_duplicate(const char* line, std::size_t length,
                          const Style& style, std::int64_t first, char* out,
                          std::size_t room) {
  if (room == 0) return 0;
  // The line without its end ("\n", and "}" in JSON), the field, the end.
  std::size_t body =
      length > 0 && line[length - 1] == '\n' ? length - 1 : length;
  const bool json = style.json;
  const bool closed = json && body > 0 && line[body - 1] == '}';
  if (closed) --body;
  Text t{out, room};
  base::add_bytes(t, line, body);
  number_field(t, json, "doppione", first);
  if (closed) add_char(t, '}');
  t.data[t.length++] = '\n';
  return t.length;
}

}  // namespace lotto
