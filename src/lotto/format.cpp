// Output lines. Every field is written by one of a few helpers that keep
// the line inside its room and escape what the form needs: in the
// tab-separated form a tab or a line end inside a field (a file name, a
// quoted character) becomes a blank; in JSON the string escapes.
#include "lotto/format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace lotto {

namespace {

struct Text {
  char* out;
  std::size_t room;
  std::size_t length;
  bool json;
  bool started;  // a field has been written
};

[[gnu::format(printf, 2, 3)]] void add(Text& t, const char* format, ...) {
  if (t.length >= t.room) return;
  va_list args;
  va_start(args, format);
  const int n =
      std::vsnprintf(t.out + t.length, t.room - t.length, format, args);
  va_end(args);
  if (n > 0) t.length += static_cast<std::size_t>(n);
  if (t.length > t.room) t.length = t.room;
}

void add_char(Text& t, char c) {
  if (t.length < t.room) t.out[t.length++] = c;
}

// The common fields without a formatted print: a line costs about what
// its answer does otherwise.
void add_bytes(Text& t, const char* bytes, std::size_t size) {
  if (size > t.room - t.length) size = t.room - t.length;
  std::memcpy(t.out + t.length, bytes, size);
  t.length += size;
}

void add_number(Text& t, long long value) {
  char digits[24];
  std::size_t n = 0;
  const bool negative = value < 0;
  unsigned long long rest = negative
                                ? 0ULL - static_cast<unsigned long long>(value)
                                : static_cast<unsigned long long>(value);
  do {
    digits[sizeof digits - 1 - n++] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (negative) digits[sizeof digits - 1 - n++] = '-';
  add_bytes(t, digits + sizeof digits - n, n);
}

// A string field's text, escaped for the form.
void add_escaped(Text& t, const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (!t.json) {
      add_char(t, c == '\t' || c == '\n' || c == '\r' ? ' ' : *p);
    } else if (c == '"' || c == '\\') {
      add_char(t, '\\');
      add_char(t, *p);
    } else if (c < 0x20) {
      add(t, "\\u%04x", static_cast<unsigned>(c));
    } else {
      add_char(t, *p);
    }
  }
}

// Starts a field: a tab before all but the first; in JSON its name.
void field(Text& t, const char* name) {
  if (t.json) {
    add_char(t, t.started ? ',' : '{');
    add_char(t, '"');
    add_bytes(t, name, std::strlen(name));
    add_bytes(t, "\":", 2);
  } else if (t.started) {
    add_char(t, '\t');
  }
  t.started = true;
}

void string_field(Text& t, const char* name, const char* text) {
  field(t, name);
  if (t.json) add_char(t, '"');
  add_escaped(t, text);
  if (t.json) add_char(t, '"');
}

// 81 digits, '.' for an empty cell; nothing (JSON null) when absent.
void grid_field(Text& t, const char* name, const importa::Puzzle* digits) {
  field(t, name);
  if (digits == nullptr) {
    if (t.json) add(t, "null");
    return;
  }
  char text[81];
  for (unsigned i = 0; i < 81; ++i) {
    text[i] = (*digits)[i] != 0 ? static_cast<char>('0' + (*digits)[i]) : '.';
  }
  if (t.json) add_char(t, '"');
  add_bytes(t, text, 81);
  if (t.json) add_char(t, '"');
}

constexpr const char* kStatusWords[kKinds] = {
    "risolta", "unica",      "multipla", "nessuna", "conflitto",
    "minima",  "non-minima", "errore",   "errore",  "errore"};

// The detail of an answer: why there is none, where the first two
// solutions differ, which givens could go.
void puzzle_detail(Text& t, const importa::Puzzle& puzzle, const Answer& a) {
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
    if (a.verdict == Verdict::kMultiple && a.second[i] != 0 &&
        a.second[i] != a.first[i]) {
      std::snprintf(cell, sizeof cell, "%sr%dc%d=%d/%d", n > 0 ? "," : "", row,
                    column, a.first[i], a.second[i]);
      put(cell);
    } else if (a.verdict == Verdict::kNotMinimal && puzzle[i] != 0 &&
               ((a.redundant[i / 64] >> (i % 64)) & 1U) != 0) {
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
  string_field(t, "dettaglio", text);
}

const char* name_of(const Style& style, int input) {
  if (style.name_count == 0) return "(standard input)";
  const char* name = style.names[input];
  return std::strcmp(name, "-") == 0 ? "(standard input)" : name;
}

void error_detail(Text& t, const batch::Entry& entry, const Style& style) {
  char message[1024];
  char text[8192];
  if (entry.kind == batch::EntryKind::kUnreadable) {
    std::snprintf(text, sizeof text, "%s: errore in lettura: %s",
                  name_of(style, entry.input), std::strerror(entry.error));
  } else {
    importa::describe_refusal(entry.refusal, message, sizeof message);
    const importa::Problem problem = entry.refusal.problem;
    if (problem == importa::Problem::kNoPuzzle) {
      std::snprintf(text, sizeof text, "%s: %s", name_of(style, entry.input),
                    message);
    } else if (style.filter) {
      std::snprintf(text, sizeof text, "colonna %ld: %s", entry.refusal.column,
                    message);
    } else {
      std::snprintf(text, sizeof text, "%s: riga %ld, colonna %ld: %s",
                    name_of(style, entry.input), entry.refusal.line,
                    entry.refusal.column, message);
    }
  }
  string_field(t, "dettaglio", text);
}

int kind_of(const batch::Entry& entry, const Answer& answer) {
  if (entry.kind == batch::EntryKind::kDamaged) return kKindDamaged;
  if (entry.kind == batch::EntryKind::kUnreadable) return kKindUnreadable;
  return static_cast<int>(answer.verdict);
}

}  // namespace

const char* status_word(int kind) {
  return kind >= 0 && kind < kKinds ? kStatusWords[kind] : "errore";
}

const char* header_line(const Style& style) {
  if (style.json || style.filter) return "";
  return "numero\triga\tgriglia\tstato\tsoluzioni\tsoluzione\tdettaglio\n";
}

std::size_t format_line(const batch::Entry& entry, const Answer& answer,
                        const Style& style, char* out, std::size_t room) {
  Text t{out, room > 0 ? room - 1 : 0, 0, style.json, false};
  const bool puzzle = entry.kind == batch::EntryKind::kPuzzle;
  if (!style.filter) {
    field(t, "numero");
    add_number(t, entry.number);
    field(t, "riga");
    add_number(t, entry.line);
  }
  grid_field(t, "griglia", puzzle ? &entry.puzzle : nullptr);
  const int kind = kind_of(entry, answer);
  string_field(t, "stato", status_word(kind));
  field(t, "soluzioni");
  if (puzzle && answer.verdict != Verdict::kNoMemory) {
    add_number(t, answer.count);
    if (t.json) {
      add(t, ",\"almeno\":%s", answer.at_least ? "true" : "false");
    } else if (answer.at_least) {
      add_char(t, '+');
    }
  } else if (t.json) {
    add(t, "null,\"almeno\":false");
  }
  const bool solved = puzzle && answer.verdict != Verdict::kNone &&
                      answer.verdict != Verdict::kConflict &&
                      answer.verdict != Verdict::kNoMemory;
  grid_field(t, "soluzione", solved ? &answer.first : nullptr);
  if (puzzle) {
    puzzle_detail(t, entry.puzzle, answer);
  } else {
    error_detail(t, entry, style);
  }
  if (t.json) add_char(t, '}');
  t.out[t.length++] = '\n';
  return t.length;
}

}  // namespace lotto
