#include "valuta/process.h"

#include <cstring>

#include "answers/vocabulary.h"
#include "base/text.h"
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
  using answers::Status;
  if (r.unsound != 0) return answers::status_word(Status::kWrongStep);
  switch (r.outcome) {
  case Outcome::kSolved:
    return answers::status_word(Status::kRated);
  case Outcome::kStuck:
    return answers::status_word(Status::kBeyond);
  default:
    return answers::status_word(Status::kBeyondLimit);
  }
}

// A string field's text through the batch programs' one writer: escaped
// as JSON (valid UTF-8, every control character escaped), or with its
// control characters as blanks on a line of text. Details quote file
// names and characters, which may hold anything.
void append_string(Text& t, const char* text, bool json) {
  if (json) {
    base::add_json_string(t, text, std::strlen(text));
  } else {
    base::add_tsv_string(t, text, std::strlen(text));
  }
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

// A rating's part in JSON: "er":7.1 when known; when only a bound is,
// "er_min" with the least rating the bound leaves (one tenth above it), so
// that a tool sorting by the value never puts a bound below a rating it
// may exceed.
void append_measure(Text& t, const char* name, bool rated, int tenths,
                    int bound) {
  append_format(t, rated ? ",\"%s\":" : ",\"%s_min\":", name);
  append_tenths(t, rated ? tenths : bound + 1);
}

const char* hardest_name(const Rating& r) {
  int size = 0;
  return r.hardest >= 0 ? logic::ladder(size)[r.hardest].name : "-";
}

void append_line(Text& t, const char* lead, const Rating& r,
                 const Options& options) {
  const int bound = bound_of(r, options);
  append(t, lead);
  if (!options.json) {
    append(t, "\t");
    append_rating(t, r, bound);
    append_format(t, "\t%s\t", hardest_name(r));
    append_counts(t, r, false);
    append_format(t, "\t%s\n", status_word(r));
    return;
  }
  append(t, ",\"valutazione\":\"");
  append_rating(t, r, bound);
  append(t, "\"");
  append_measure(t, "er", r.outcome == Outcome::kSolved, r.er, bound);
  append_measure(t, "ep", known(r, r.ep), r.ep, bound);
  append_measure(t, "ed", known(r, r.ed), r.ed, bound);
  append_format(t, ",\"oltre\":%s,\"tecnica\":\"%s\",\"passi\":{",
                r.outcome == Outcome::kSolved ? "false" : "true",
                hardest_name(r));
  append_counts(t, r, true);
  append_format(t, "},\"stato\":\"%s\"}\n", status_word(r));
}

// A line without a rating: its own columns absent ("-"; left out in JSON).
void append_unrated(Text& t, const char* lead, answers::Status status,
                    bool json) {
  append(t, lead);
  append_format(t, json ? ",\"stato\":\"%s\"}\n" : "\t-\t-\t-\t%s\n",
                answers::status_word(status));
}

struct PathContext {
  Text* out;
  const Options* options;
  int n;
  const base::Puzzle* puzzle;
  Album* album;  // with --svg, else null
};

void on_step(const logic::Grid& before, const logic::Step& step, void* ctx) {
  auto& path = *static_cast<PathContext*>(ctx);
  append_step(*path.out, before, step, ++path.n, *path.options);
  if (path.album != nullptr) {
    add_picture(*path.album, *path.puzzle, before, step, path.n);
  }
}

// The puzzle's part of the index closed with its result (the rating, or
// the status of a puzzle not rated): kExitFile when a picture or the part
// was not written, `status` otherwise.
int closed(Album* album, const char* result, int status) {
  if (album == nullptr) return status;
  close_album(*album, result);
  return album->problem->error != 0 ? kExitFile : status;
}

answers::Status unrated_status(const base::Puzzle& puzzle,
                               logic::Solutions solutions) {
  int a = 0;
  int b = 0;
  using answers::Status;
  return logic::find_repeat(puzzle, a, b)       ? Status::kRepeatedDigits
         : solutions == logic::Solutions::kNone ? Status::kNone
                                                : Status::kMultiple;
}

}  // namespace

void append_unreadable(const char* detail, const Options& options,
                       const char* lead, Text& t) {
  if (options.mode == Report::kHint) {
    append(t, options.json ? "{\"errore\":" : "Errore: ");
    append_string(t, detail, options.json);
    append(t, options.json ? "}\n" : "\n");
  } else if (options.json) {
    append(t, lead);
    append_format(t, ",\"stato\":\"%s\",\"dettaglio\":",
                  answers::status_word(answers::Status::kUnreadable));
    append_string(t, detail, true);
    append(t, "}\n");
  } else {
    append_unrated(t, lead, answers::Status::kUnreadable, false);
    if (options.mode == Report::kSteps) append(t, "\n");
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

int process(const base::Puzzle& puzzle, const Options& options, Text& out,
            const char* lead, long long number, PictureError* problem) {
  if (options.mode == Report::kHint) return hint(puzzle, options, out);
  char alone[96];
  if (lead == nullptr) {
    Text t{alone, sizeof alone};
    append(t, options.json ? "{\"gioco\":\"" : "");
    answers::add_puzzle(t, puzzle);
    append(t, options.json ? "\"" : "");
    lead = alone;
  }
  PictureError own;
  Album pictures{options.svg_dir, number, nullptr, 0,
                 problem != nullptr ? problem : &own};
  Album* album = options.svg_dir != nullptr ? &pictures : nullptr;
  if (album != nullptr) open_album(*album, puzzle);
  base::Puzzle solution{};
  const logic::Solutions solutions = logic::solve(puzzle, solution);
  if (solutions != logic::Solutions::kOne) {
    const answers::Status status = unrated_status(puzzle, solutions);
    append_unrated(out, lead, status, options.json);
    // With --passi each puzzle is a block that a blank line ends, the
    // puzzles not rated too, so that a reader can split the blocks.
    if (options.mode == Report::kSteps && !options.json) append(out, "\n");
    return closed(album, answers::status_word(status), kExitUnrated);
  }
  logic::RateOptions rate_options;
  rate_options.allowed = options.allowed;
  rate_options.limit = options.limit;
  rate_options.workspace = &logic::thread_workspace();  // the worker's own
  PathContext path{&out, &options, 0, &puzzle, album};
  if (options.mode == Report::kSteps) {
    if (!options.json) {
      append(out, "Gioco: ");
      answers::add_puzzle(out, puzzle);
      append(out, "\n");
    }
    rate_options.on_step = on_step;
    rate_options.context = &path;
  }
  const Rating r =
      logic::rate(logic::make_grid(puzzle), solution, rate_options);
  append_line(out, lead, r, options);
  if (options.mode == Report::kSteps && !options.json) append(out, "\n");
  char result[64];
  Text t{result, sizeof result};
  append_rating(t, r, bound_of(r, options));
  append_format(t, " %s", status_word(r));
  result[t.length] = '\0';
  if (r.no_memory) return closed(album, result, kNoMemory);
  return closed(album, result, r.unsound != 0 ? kExitUnrated : kExitOk);
}

}  // namespace valuta
