// One puzzle, start to end: its solutions, its rating, path or hint, and
// the text that reports them. Pure (no output, no globals), so that any
// number of puzzles can be processed at once and their texts written in
// input order.
#ifndef VORTEL_VALUTA_PROCESS_H_
#define VORTEL_VALUTA_PROCESS_H_

#include "logic/notation.h"
#include "logic/solution.h"
#include "valuta/options.h"
#include "valuta/picture.h"

namespace valuta {

/// The room a puzzle's text may need: a whole path told step by step, the
/// branches of its forcing chains included. The longest met on the shared
/// sets is 58 KB (a forum-hardest path in JSON); 8 MiB leaves a wide margin
/// and its pages are only touched as written. A text that would not fit is
/// reported, never written cut (see vortel-valuta's main).
inline constexpr std::size_t kMaxText = std::size_t{8} << 20;

/// The columns of a rating line after the leading ones (answers::
/// leading_header), for the header line of the tab-separated form.
inline constexpr const char* kColumns = "valutazione\ttecnica\tpassi\tstato";

/// Processes the puzzle as the options ask and appends its report to `out`.
/// A rating's line begins with `lead`, the entry's leading columns as
/// answers::add_leading writes them (numero ... gioco; a JSON object begun
/// and left open); without one, with the puzzle's gioco alone. Returns kExitOk,
/// or kExitUnrated when the puzzle could not be rated (no solution, more than
/// one, repeated digits) or has a step that disagrees with its solution.
/// With --svg, the steps are drawn into the folder of entry `number`, and
/// kExitFile is returned, with `problem` filled in, when a picture or the
/// puzzle's part of the index could not be written. kNoMemory: the rating
/// ran out of memory on the way, and its line is no rating.
inline constexpr int kNoMemory = -1;
int process(const base::Puzzle& puzzle, const Options& options,
            logic::Text& out, const char* lead = nullptr, long long number = 1,
            PictureError* problem = nullptr);

/// The report of an entry that holds no puzzle to process: a damaged one,
/// or an input that could not be read. `detail` says where and why
/// ("FILE: riga L, colonna C: ..."); it is the error of a hint, and in a
/// rating's line (after `lead`) the status "illeggibile" (its detail in
/// JSON).
void append_unreadable(const char* detail, const Options& options,
                       const char* lead, logic::Text& out);

/// The rating as people write it: ED=2.6/1.5/1.5, or ED>6.2/1.2/1.2 when
/// the path stopped above what was rated (`bound` in tenths).
void append_rating(logic::Text& t, const logic::Rating& r, int bound);

}  // namespace valuta

#endif  // VORTEL_VALUTA_PROCESS_H_
