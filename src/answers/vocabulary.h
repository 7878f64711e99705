// What vortel-lotto and vortel-valuta call things, in one place: the status
// words of an answer, the leading columns that say where each puzzle came
// from, and the wording of an entry that holds no puzzle. Both programs
// write these through the procedures here, so that one situation has one
// word and one column one name in both, and their lines join back to the
// input (numero, archivio, riga) whatever program wrote them.
#ifndef VORTEL_ANSWERS_VOCABULARY_H_
#define VORTEL_ANSWERS_VOCABULARY_H_

#include <cstddef>

#include "base/text.h"
#include "batch/reader.h"

namespace answers {

/// The situations an answer line reports. The first five happen in both
/// programs; the others belong to one of them.
enum class Status {
  kUnique,          // one solution
  kMultiple,        // more than one
  kNone,            // no solution
  kRepeatedDigits,  // the givens repeat a digit in a row, column or box
  kUnreadable,      // an entry that is no puzzle, or an input not read
  // vortel-lotto
  kSolved,      // a solution; whether there are others was not asked
  kMinimal,     // unique, every given needed
  kNotMinimal,  // unique, some given could go
  kNoMemory,    // the exact count ran out of memory
  // vortel-valuta
  kRated,        // the path reached the solution
  kBeyond,       // no technique built takes the next step
  kBeyondLimit,  // a step rated above --fino
  kWrongStep,    // a step disagrees with the solution
};
inline constexpr int kStatuses = 13;

/// The word of the `stato` column.
const char* status_word(Status status);

/// How a program writes its lines.
struct Form {
  bool json = false;
  /// vortel-lotto --filtro: one line out for each line in, whatever split
  /// its input: only the columns that do not depend on where the line
  /// stood in the input nor on how it reached the program (etichetta,
  /// gioco), and no header.
  bool filter = false;
  const char* const* names = nullptr;  // the inputs as given (none: stdin)
  int name_count = 0;
};

/// The leading columns' names, tab-separated, without a line end:
/// "numero\tarchivio\triga\tetichetta\tgioco" ("etichetta\tgioco" for a
/// filter).
const char* leading_header(const Form& form);

/// Begins the entry's line with its leading columns: numero, archivio (the
/// file name as given, "-" for standard input), riga, etichetta (empty for
/// none) and gioco (81 characters, '.' for an empty cell; empty in a
/// tab-separated line, null in JSON, for an entry that is no puzzle). A
/// JSON line is begun with "{" and left open for the next field.
void add_leading(base::Text& t, const batch::Entry& entry, const Form& form);

/// The 81 cells, '.' for an empty one.
void add_puzzle(base::Text& t, const base::Puzzle& puzzle);

/// The input's name in messages: "(standard input)" for standard input.
const char* shown_name(const Form& form, int input);

/// Where and why `entry` (kDamaged or kUnreadable) holds no puzzle, in the
/// words vortel-importa uses: "FILE: riga L, colonna C: ...", "FILE:
/// errore in lettura: ...". A filter's message leaves out the file and the
/// line, which depend on how the input was split. Like snprintf.
void describe_entry(const batch::Entry& entry, const Form& form, char* out,
                    std::size_t size);

}  // namespace answers

#endif  // VORTEL_ANSWERS_VOCABULARY_H_
