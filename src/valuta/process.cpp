#include "valuta/process.h"

#include "logic/ladder.h"
#include "valuta/hint.h"

namespace valuta {

namespace {

using logic::append;
using logic::append_format;
using logic::Outcome;
using logic::Rating;
using logic::Text;

void append_tenths(Text& t, int tenths) {
  append_format(t, "%d.%d", tenths / 10, tenths % 10);
}

// The highest rating that the path is known to be above when it stopped:
// the limit given, or, when no technique applied, the highest rating met,
// and at least the top of the techniques built without gaps when all of
// those were allowed (each of them was tried and none applied).
int bound_of(const Rating& r, const Options& options) {
  if (r.outcome == Outcome::kStopped) return options.limit;
  int size = 0;
  const logic::Technique* table = logic::ladder(size);
  int built = 0;
  for (int t = 0; t < size; ++t) {
    if (!((options.allowed >> t) & 1U)) break;
    built = table[t].rating;
  }
  return r.er > built ? r.er : built;
}

// Whether a part of the rating (EP, ED) is known: a step set it, or the
// path ended without one (a full grid needs no step: 0.0). Otherwise the
// path stopped before it and only a bound is known.
bool known(const Rating& r, int part) {
  return part != 0 || r.outcome == Outcome::kSolved;
}

const char* status_word(const Rating& r) {
  if (r.unsound != 0) return "passo-errato";
  switch (r.outcome) {
  case Outcome::kSolved:
    return "valutato";
  case Outcome::kStuck:
    return "oltre";
  default:
    return "oltre-limite";
  }
}

void append_puzzle(Text& t, const logic::Digits& puzzle) {
  char line[82];
  for (int cell = 0; cell < 81; ++cell) {
    line[cell] = puzzle.cell[cell] == 0
                     ? '.'
                     : static_cast<char>('0' + puzzle.cell[cell]);
  }
  line[81] = '\0';
  append(t, line);
}

void append_counts(Text& t, const Rating& r, bool json) {
  int size = 0;
  const logic::Technique* table = logic::ladder(size);
  bool first = true;
  for (int s = 0; s < size; ++s) {
    if (r.counts[s] == 0) continue;
    append(t, first ? "" : (json ? "," : " "));
    append(t, json ? "\"" : "");
    append(t, table[s].slug);
    append_format(t, json ? "\":%d" : ":%d", r.counts[s]);
    first = false;
  }
}

const char* hardest_name(const Rating& r) {
  int size = 0;
  return r.hardest >= 0 ? logic::ladder(size)[r.hardest].name : "-";
}

void append_line(Text& t, const logic::Digits& puzzle, const Rating& r,
                 const Options& options) {
  const int bound = bound_of(r, options);
  if (!options.json) {
    append_puzzle(t, puzzle);
    append(t, "\t");
    append_rating(t, r, bound);
    append_format(t, "\t%s\t", hardest_name(r));
    append_counts(t, r, false);
    append_format(t, "\t%s\n", status_word(r));
    return;
  }
  append(t, "{\"gioco\":\"");
  append_puzzle(t, puzzle);
  append(t, "\",\"valutazione\":\"");
  append_rating(t, r, bound);
  append(t, "\",\"er\":");
  append_tenths(t, r.outcome == Outcome::kSolved ? r.er : bound);
  append(t, ",\"ep\":");
  append_tenths(t, known(r, r.ep) ? r.ep : bound);
  append(t, ",\"ed\":");
  append_tenths(t, known(r, r.ed) ? r.ed : bound);
  append_format(t, ",\"oltre\":%s,\"tecnica\":\"%s\",\"passi\":{",
                r.outcome == Outcome::kSolved ? "false" : "true",
                hardest_name(r));
  append_counts(t, r, true);
  append_format(t, "},\"stato\":\"%s\"}\n", status_word(r));
}

void append_unrated(Text& t, const logic::Digits& puzzle, const char* status,
                    bool json) {
  if (json) {
    append(t, "{\"gioco\":\"");
    append_puzzle(t, puzzle);
    append_format(t, "\",\"stato\":\"%s\"}\n", status);
  } else {
    append_puzzle(t, puzzle);
    append_format(t, "\t-\t-\t-\t%s\n", status);
  }
}

// The length of the well-formed UTF-8 sequence at `p` (1 to 4), or 0 when
// the byte there begins none: overlong forms, surrogates and code points
// above U+10FFFF are not well-formed.
int utf8_length(const unsigned char* p) {
  if (p[0] < 0x80) return 1;
  int length = 0;
  unsigned low = 0x80;  // the range of the second byte
  unsigned high = 0xBF;
  if (p[0] >= 0xC2 && p[0] <= 0xDF) {
    length = 2;
  } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
    length = 3;
    low = p[0] == 0xE0 ? 0xA0 : 0x80;
    high = p[0] == 0xED ? 0x9F : 0xBF;
  } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
    length = 4;
    low = p[0] == 0xF0 ? 0x90 : 0x80;
    high = p[0] == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (p[1] < low || p[1] > high) return 0;
  for (int i = 2; i < length; ++i) {
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  }
  return length;
}

// A detail's text, escaped for JSON, or with its control characters as
// blanks on a line of text: details quote file names and characters,
// which may hold anything. A JSON string is Unicode: a byte that is no
// part of well-formed UTF-8 (a file name in another encoding) is written
// as U+FFFD, the replacement character.
void append_string(Text& t, const char* text, bool json) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != '\0') {
    const unsigned c = *p;
    const int length = json ? utf8_length(p) : 1;
    if (!json) {
      append_format(t, "%c", c < 0x20 ? ' ' : static_cast<char>(c));
    } else if (length == 0) {
      append(t, "\\ufffd");
    } else if (c == '"' || c == '\\') {
      append_format(t, "\\%c", static_cast<char>(c));
    } else if (c < 0x20) {
      append_format(t, "\\u%04x", c);
    } else {
      append_format(t, "%.*s", length, reinterpret_cast<const char*>(p));
    }
    p += length == 0 ? 1 : length;
  }
}

struct PathContext {
  Text* out;
  bool json;
  int n;
};

void on_step(const logic::Grid& before, const logic::Step& step, void* ctx) {
  auto& path = *static_cast<PathContext*>(ctx);
  append_step(*path.out, before, step, ++path.n, path.json);
}

}  // namespace

void append_unreadable(const char* detail, const Options& options, Text& t) {
  if (options.mode == Mode::kHint) {
    append(t, options.json ? "{\"errore\":\"" : "Errore: ");
    append_string(t, detail, options.json);
    append(t, options.json ? "\"}\n" : "\n");
  } else if (options.json) {
    append(t, "{\"gioco\":null,\"stato\":\"illeggibile\",\"dettaglio\":\"");
    append_string(t, detail, true);
    append(t, "\"}\n");
  } else {
    append(t, "-\t-\t-\t-\tilleggibile\n");
    if (options.mode == Mode::kSteps) append(t, "\n");
  }
}

void append_rating(Text& t, const Rating& r, int bound) {
  if (r.outcome == Outcome::kSolved) {
    append(t, "ED=");
    append_tenths(t, r.er);
  } else {
    append(t, "ED>");
    append_tenths(t, bound);
  }
  const int parts[2] = {r.ep, r.ed};
  for (const int part : parts) {
    append(t, known(r, part) ? "/" : "/>");
    append_tenths(t, known(r, part) ? part : bound);
  }
}

int process(const logic::Digits& puzzle, const Options& options, Text& out) {
  if (options.mode == Mode::kHint) return hint(puzzle, options, out);
  logic::Digits solution{};
  const logic::Solutions solutions = logic::solve(puzzle, solution);
  if (solutions != logic::Solutions::kOne) {
    int a = 0;
    int b = 0;
    const char* status = logic::find_repeat(puzzle, a, b) ? "cifre-ripetute"
                         : solutions == logic::Solutions::kNone
                             ? "nessuna-soluzione"
                             : "piu-soluzioni";
    append_unrated(out, puzzle, status, options.json);
    // With --passi each puzzle is a block that a blank line ends, the
    // puzzles not rated too, so that a reader can split the blocks.
    if (options.mode == Mode::kSteps && !options.json) append(out, "\n");
    return kExitUnrated;
  }
  logic::RateOptions rate_options;
  rate_options.allowed = options.allowed;
  rate_options.limit = options.limit;
  PathContext path{&out, options.json, 0};
  if (options.mode == Mode::kSteps) {
    if (!options.json) {
      append(out, "Gioco: ");
      append_puzzle(out, puzzle);
      append(out, "\n");
    }
    rate_options.on_step = on_step;
    rate_options.context = &path;
  }
  const Rating r =
      logic::rate(logic::make_grid(puzzle), solution, rate_options);
  append_line(out, puzzle, r, options);
  if (options.mode == Mode::kSteps && !options.json) append(out, "\n");
  return r.unsound != 0 ? kExitUnrated : kExitOk;
}

}  // namespace valuta
