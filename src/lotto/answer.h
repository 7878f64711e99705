// The answer to one puzzle of a collection, in each of vortel-lotto's
// modes. Pure and reentrant: every call works on its own boards, so the
// workers of a batch call it at once on different puzzles.
#ifndef VORTEL_LOTTO_ANSWER_H_
#define VORTEL_LOTTO_ANSWER_H_

#include <cstdint>

#include "base/cells.h"
#include "canon/canon.h"

namespace lotto {

/// What a run asks of each puzzle (the program's mode options).
enum class Question {
  kSolve,    // the first solution, as vortel prints it
  kCheck,    // none, one or more than one, with the first two
  kCount,    // the number of solutions, up to a limit or exact
  kMinimal,  // a unique puzzle: which givens could go
};

enum class Verdict {
  kSolved,      // a solution; whether others exist was not asked
  kUnique,      // exactly one solution
  kMultiple,    // more than one
  kNone,        // no solution
  kConflict,    // the givens repeat a digit in a row, column or box
  kMinimal,     // unique, and every given is needed
  kNotMinimal,  // unique, and some given could go
  kNoMemory,    // the exact counter's memory could not be had
};

struct Answer {
  Verdict verdict = Verdict::kNone;
  // kNone: vortel's mathematical process finds the contradiction itself
  // (vortel then ends with "dati incongruenti"); otherwise the search does.
  bool by_logic = false;
  std::int64_t count = 0;   // solutions counted
  bool at_least = false;    // `count` is a lower bound (the limit was reached)
  base::Puzzle first{};     // the smallest solution, when there is one
  base::Puzzle second{};    // kMultiple in kCheck: the next one in order
  base::CellSet redundant;  // kNotMinimal: the givens that could go
  // What the run asks beside the question (describe):
  base::Puzzle form{};    // the puzzle's canonical form
  int automorphisms = 0;  // a full grid's; 0 for a puzzle with empty cells
};

/// The question's answer for `puzzle`. `limit` (kCount only) is the count at
/// which counting stops, 0 for an exact count with vortel's own counter.
void answer(const base::Puzzle& puzzle, Question mode, std::int64_t limit,
            Answer& out);

/// Beside the answer: the canonical form of `puzzle` under `definition`
/// when `form` is asked, and its automorphisms when `automorphisms` is
/// asked and it is a full grid (no empty cell). Call after answer(), which
/// clears them.
void describe(const base::Puzzle& puzzle, canon::Definition definition,
              bool form, bool automorphisms, Answer& out);

}  // namespace lotto

#endif  // VORTEL_LOTTO_ANSWER_H_
