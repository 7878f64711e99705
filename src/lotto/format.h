// vortel-lotto's output lines: one per entry, tab-separated with a header
// line, or JSON lines; in filter form without the entry's number, file and
// line, so that the lines of a split run join into those of one run.
#ifndef VORTEL_LOTTO_FORMAT_H_
#define VORTEL_LOTTO_FORMAT_H_

#include <cstddef>
#include <cstdint>

#include "answers/vocabulary.h"
#include "batch/reader.h"
#include "lotto/answer.h"

namespace lotto {

/// The form of the lines: JSON or tab-separated, a filter's or a whole
/// run's (answers/vocabulary.h).
using Style = answers::Form;

/// The fields a run adds after dettaglio when they are asked, in this
/// order: canonica (Answer::form), automorfismi (Answer::automorphisms,
/// empty or null for a puzzle with empty cells), doppione (add_duplicate).
/// An entry that is no puzzle has them empty (null in JSON).
struct Columns {
  bool form = false;
  bool automorphisms = false;
  bool duplicate = false;
};

/// What the run counts of each line: the verdict, or one of these two.
inline constexpr int kKindDamaged = 8;
inline constexpr int kKindUnreadable = 9;
inline constexpr int kKinds = 10;

/// The status of a kind, and its word (answers::status_word).
answers::Status status_of(int kind);
const char* status_word(int kind);

/// The header line of the tab-separated form, its line end included, into
/// `out` (empty for JSON and filters). Like snprintf.
void header_line(const Style& style, char* out, std::size_t size,
                 const Columns& columns = {});

/// Writes the line of `entry` into `out` (at most `room` bytes, cut there)
/// and returns its length. `answer` is the puzzle's answer (entry.kind
/// kPuzzle), ignored otherwise.
std::size_t format_line(const batch::Entry& entry, const Answer& answer,
                        const Style& style, char* out, std::size_t room,
                        const Columns& columns = {});

/// The line `line` (`length` bytes, as format_line wrote it) with the
/// doppione field added last: `first`, the numero of the earlier entry
/// with the same canonical form, or nothing (empty, JSON null) when 0.
/// Into `out`, at most `room` bytes; returns the length.
std::size_t add_duplicate(const char* line, std::size_t length,
                          const Style& style, std::int64_t first, char* out,
                          std::size_t room);

}  // namespace lotto

#endif  // VORTEL_LOTTO_FORMAT_H_
