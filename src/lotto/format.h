// vortel-lotto's output lines: one per entry, tab-separated with a header
// line, or JSON lines; in filter form without the entry's number, file and
// line, so that the lines of a split run join into those of one run.
#ifndef VORTEL_LOTTO_FORMAT_H_
#define VORTEL_LOTTO_FORMAT_H_

#include <cstddef>

#include "answers/vocabulary.h"
#include "batch/reader.h"
#include "lotto/answer.h"

namespace lotto {

/// The form of the lines: JSON or tab-separated, a filter's or a whole
/// run's (answers/vocabulary.h).
using Style = answers::Form;

/// What the run counts of each line: the verdict, or one of these two.
inline constexpr int kKindDamaged = 8;
inline constexpr int kKindUnreadable = 9;
inline constexpr int kKinds = 10;

/// The status of a kind, and its word (answers::status_word).
answers::Status status_of(int kind);
const char* status_word(int kind);

/// The header line of the tab-separated form, its line end included, into
/// `out` (empty for JSON and filters). Like snprintf.
void header_line(const Style& style, char* out, std::size_t size);

/// Writes the line of `entry` into `out` (at most `room` bytes, cut there)
/// and returns its length. `answer` is the puzzle's answer (entry.kind
/// kPuzzle), ignored otherwise.
std::size_t format_line(const batch::Entry& entry, const Answer& answer,
                        const Style& style, char* out, std::size_t room);

}  // namespace lotto

#endif  // VORTEL_LOTTO_FORMAT_H_
