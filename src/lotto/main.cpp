// vortel-lotto: a whole collection of puzzles in one process, on every
// core: one answer line per entry, in input order (batch/pipeline.h does
// the reading, the threads and the ordered writing; answer.h the solving;
// format.h the lines). With --doppioni each answer carries a note, the
// puzzle's canonical form, to the ordered pass, which marks the forms met
// before (duplicates.h): in input order, so the same under any -j.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "answers/progress.h"
#include "batch/pipeline.h"
#include "lotto/answer.h"
#include "lotto/duplicates.h"
#include "lotto/format.h"
#include "lotto/options.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitDamaged = 1;  // damaged entries, or a bad command line
constexpr int kExitFile = 2;     // an input unreadable, the output unwritable
constexpr int kExitMemory = 3;

struct Run {
  lotto::Settings settings;
  answers::Progress progress;
  lotto::Seen seen;             // --doppioni: the ordered pass's alone
  std::int64_t duplicates = 0;  // puzzles whose form was met before
};

// The note before an answer's line, with --doppioni: 1 and the canonical
// form's 81 cells for a puzzle, 0 and nothing that counts for any other
// entry.
constexpr std::size_t kNote = 82;

std::size_t answer_entry(const batch::Entry& entry, char* text,
                         std::size_t room, int& kind, void* context) {
  const Run& run = *static_cast<const Run*>(context);
  const lotto::Settings& s = run.settings;
  lotto::Answer answer;
  const bool puzzle = entry.kind == batch::EntryKind::kPuzzle;
  if (puzzle) {
    lotto::answer(entry.puzzle, s.mode, s.limit, answer);
    kind = static_cast<int>(answer.verdict);
    // Duplicates alone are found on the pattern-first form, the quicker:
    // any canonical form names one puzzle and no other.
    lotto::describe(entry.puzzle,
                    s.columns.form ? s.definition : canon::Definition::kPattern,
                    s.columns.form || s.columns.duplicate,
                    s.columns.automorphisms, answer);
  } else {
    kind = entry.kind == batch::EntryKind::kDamaged ? lotto::kKindDamaged
                                                    : lotto::kKindUnreadable;
  }
  if (!s.columns.duplicate) {
    return lotto::format_line(entry, answer, s.style, text, room, s.columns);
  }
  text[0] = puzzle ? 1 : 0;
  std::memcpy(text + 1, answer.form.cell, 81);
  return kNote + lotto::format_line(entry, answer, s.style, text + kNote,
                                    room - kNote, s.columns);
}

// The ordered pass: the doppione field of each line.
std::size_t mark_duplicate(const batch::Entry& entry, const char* text,
                           std::size_t length, char* out, std::size_t room,
                           void* context) {
  Run& run = *static_cast<Run*>(context);
  std::int64_t first = 0;
  if (text[0] == 1) {
    base::Puzzle form;
    std::memcpy(form.cell, text + 1, 81);
    if (!lotto::seen_before(run.seen, form, entry.number, first)) {
      return SIZE_MAX;
    }
    if (first != 0) ++run.duplicates;
  }
  return lotto::add_duplicate(text + kNote, length - kNote, run.settings.style,
                              first, out, room);
}

// On a terminal: how far the run has got.
void show_progress(std::int64_t entries, std::int64_t consumed, void* context) {
  answers::update_progress(static_cast<Run*>(context)->progress, entries,
                           consumed);
}

void show_summary(Run& run, const batch::Outcome& outcome) {
  answers::end_progress(run.progress);
  const double elapsed = answers::seconds_now() - run.progress.start;
  std::fprintf(
      stderr, "vortel-lotto: %lld %s in %.2f s (%.0f al secondo)",
      static_cast<long long>(outcome.entries),
      outcome.entries == 1 ? "gioco" : "giochi", elapsed,
      elapsed > 0 ? static_cast<double>(outcome.entries) / elapsed : 0.0);
  const char* separator = ": ";
  for (int kind = 0; kind < lotto::kKinds; ++kind) {
    // A damaged entry and an input not read have one word.
    std::int64_t count = outcome.kinds[kind];
    if (kind == lotto::kKindDamaged) {
      count += outcome.kinds[lotto::kKindUnreadable];
    }
    if (kind == lotto::kKindUnreadable || count == 0) continue;
    std::fprintf(stderr, "%s%s %lld", separator, lotto::status_word(kind),
                 static_cast<long long>(count));
    separator = ", ";
  }
  if (run.settings.columns.duplicate) {
    std::fprintf(stderr, "; distinti %lld, doppioni %lld",
                 static_cast<long long>(run.seen.distinct),
                 static_cast<long long>(run.duplicates));
  }
  std::fprintf(stderr, "\n");
}

int final_status(const batch::Outcome& outcome) {
  if (outcome.write_error != 0) {
    std::fprintf(stderr,
                 "vortel-lotto: errore in scrittura dello standard output: "
                 "%s\n",
                 std::strerror(outcome.write_error));
    return kExitFile;
  }
  if (outcome.no_memory ||
      outcome.kinds[static_cast<int>(lotto::Verdict::kNoMemory)] != 0) {
    if (outcome.no_memory) {
      std::fprintf(stderr, "vortel-lotto: memoria insufficiente\n");
    }
    return kExitMemory;
  }
  if (outcome.kinds[lotto::kKindUnreadable] != 0) return kExitFile;
  if (outcome.kinds[lotto::kKindDamaged] != 0) return kExitDamaged;
  return kExitOk;
}

int print_text(const char* text) {
  std::fputs(text, stdout);
  return std::fflush(stdout) == 0 ? kExitOk : kExitFile;
}

}  // namespace

int main(int argc, char** argv) {
  static Run run;
  const lotto::ParseResult parsed =
      lotto::parse_options(argc, argv, run.settings);
  switch (parsed.parse) {
  case lotto::Parse::kHelp:
    return print_text(lotto::kUsage);
  case lotto::Parse::kVersion:
    return print_text("vortel-lotto 1.0\n");
  case lotto::Parse::kBad:
    std::fprintf(stderr, "vortel-lotto: %s '%s'\n", parsed.message,
                 parsed.argument);
    std::fprintf(stderr, "Per l'uso: vortel-lotto --help\n");
    return kExitDamaged;
  case lotto::Parse::kRun:
    break;
  }
  lotto::Settings& s = run.settings;
  if (const char* same = batch::input_is_output(s.names, s.name_count)) {
    std::fprintf(stderr,
                 "vortel-lotto: %s: l'archivio in ingresso è lo standard "
                 "output\n",
                 std::strcmp(same, "-") == 0 ? "(standard input)" : same);
    return kExitFile;
  }
  batch::Job job;
  job.names = s.names;
  job.name_count = s.name_count;
  job.threads = s.threads;
  job.program = "vortel-lotto";
  // A filter's input may come in pieces, some of them only comments.
  job.report_empty = !s.style.filter;
  job.answer = answer_entry;
  job.context = &run;
  if (s.columns.duplicate) job.ordered = mark_duplicate;
  char header[256];
  lotto::header_line(s.style, header, sizeof header, s.columns);
  job.header = header;
  answers::begin_progress(run.progress, "vortel-lotto", s.names, s.name_count,
                          !s.quiet);
  job.written = run.progress.terminal ? show_progress : nullptr;
  batch::install_signals();
  const batch::Outcome outcome = batch::run(job);
  if (!s.quiet) show_summary(run, outcome);
  lotto::forget(run.seen);
  return final_status(outcome);
}
