// Each mode over the engine's searches. The givens go to the order-free
// searches over digit bands as they are (every empty cell open to the nine
// digits): their deductions include all that vortel's mathematical process
// makes, and a completion does not depend on where the search starts. So
// vortel's own process runs only to tell why a puzzle has no solution
// (vortel tells the two cases apart) and before the exact counter, which
// starts from a propagated board as vortel's count does.
#include "lotto/answer.h"

#include "canon/canon.h"
#include "solver/bands.h"
#include "solver/completion.h"
#include "solver/consistency.h"
#include "solver/count.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "solver/tuning.h"
#include "solver/unique.h"

namespace lotto {

namespace {

using solver::Bands;
using solver::Board;

// The puzzle as a board: givens as their codes, empty cells as `empty`.
Board board_of(const base::Puzzle& puzzle, std::int32_t empty) {
  Board board;
  for (unsigned i = 0; i < solver::kCells; ++i) {
    board[i] = puzzle.cell[i] != 0 ? solver::kCodeTable[puzzle.cell[i]] : empty;
  }
  return board;
}

void digits_of(const Board& board, base::Puzzle& out) {
  for (unsigned i = 0; i < solver::kCells; ++i) {
    out.cell[i] = static_cast<std::uint8_t>(
        solver::kDigitTable[static_cast<unsigned>(board[i])]);
  }
}

// The product of the codes of the digits above `digit` (1..9): the cell
// value that allows exactly those digits.
std::int32_t digits_above(std::int32_t digit) {
  std::int64_t product = 1;
  for (std::int32_t d = digit + 1; d <= 9; ++d) {
    product *= solver::kCodeTable[static_cast<unsigned>(d)];
  }
  return static_cast<std::int32_t>(product);
}

// The next solution after `first` in row-major order. A solution above
// `first` agrees with it up to some cell k and has a larger digit there;
// the larger k, the smaller the solution. So from the last cell backwards,
// the first k that allows such a completion gives the answer: the smallest
// completion with first's digits before k and a larger one at k.
bool second_in_order(const Board& start, const Board& first, Board& second) {
  std::int64_t steps = 0;  // the searches' work counts, not needed here
  for (int k = solver::kCells - 1; k >= 0; --k) {
    const auto cell = static_cast<unsigned>(k);
    if (solver::is_determined(start[cell])) continue;  // a given
    const std::int32_t digit =
        solver::kDigitTable[static_cast<unsigned>(first[cell])];
    if (digit == 9) continue;
    Board trial = start;
    for (unsigned j = 0; j < cell; ++j) trial[j] = first[j];
    trial[cell] = digits_above(digit);
    Bands bands;
    if (solver::make_bands(trial, bands) &&
        solver::first_in_order(bands, second, solver::kDiveBudget, steps)) {
      return true;
    }
  }
  return false;
}

// vortel's own mathematical process on the puzzle: true when it finds the
// contradiction itself (vortel's "dati incongruenti").
bool contradiction_by_logic(const base::Puzzle& puzzle) {
  Board board = board_of(puzzle, solver::kLoadMarker);
  std::int32_t unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  return solver::check_consistency(board) != 0;
}

void no_solution(const base::Puzzle& puzzle, Answer& out) {
  out.verdict = Verdict::kNone;
  out.by_logic = contradiction_by_logic(puzzle);
  out.count = 0;
  out.at_least = false;
}

void ignore_milestone(std::int64_t /*count*/, void* /*context*/) {}

// The exact count, as vortel -c makes it.
void count_exactly(const base::Puzzle& puzzle, Answer& out) {
  Board board = board_of(puzzle, solver::kLoadMarker);
  std::int32_t unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  out.at_least = false;
  if (unknown == 0 || solver::check_consistency(board) != 0) {
    out.count = solver::check_consistency(board) == 0 ? 1 : 0;
    return;
  }
  const solver::CountObserver quiet = {INT64_MAX, ignore_milestone, nullptr};
  if (solver::count_solutions(board, unknown, quiet, out.count) ==
      solver::SearchEnd::kOutOfMemory) {
    out.verdict = Verdict::kNoMemory;
    out.count = 0;
  }
}

// The verdict of a count: `found` solutions, the search stopped at
// `limit` (0: no limit).
void count_verdict(std::int64_t found, std::int64_t limit, Answer& out) {
  out.count = found;
  out.at_least = limit != 0 && found == limit;
  if (out.at_least && found == 1) {
    out.verdict = Verdict::kSolved;
  } else {
    out.verdict = found == 1 ? Verdict::kUnique : Verdict::kMultiple;
  }
}

// The givens whose removal leaves the solution unique.
void find_redundant(const base::Puzzle& puzzle, Answer& out) {
  out.redundant = base::CellSet{};
  const Board start = board_of(puzzle, solver::kAllCandidates);
  Board scratch;
  for (unsigned i = 0; i < solver::kCells; ++i) {
    if (puzzle.cell[i] == 0) continue;
    Board without = start;
    without[i] = solver::kAllCandidates;
    // -1: the deductions refuse the board; 2: not unique.
    const std::int64_t found = solver::core_count(without, 2, scratch);
    if (found == 0 || found == 1) {
      base::add(out.redundant, static_cast<int>(i));
    }
  }
  out.verdict =
      base::empty(out.redundant) ? Verdict::kMinimal : Verdict::kNotMinimal;
}

// The solutions of `start` counted as the mode asks, the first one found
// in `first`: up to two (--verifica, --minimo), up to the limit, or
// exactly (with vortel's own counter); --risolvi counts none (1). -1 when
// the deductions refuse the givens before any branching. The order-free
// core counts, so `only` tells whether `first` is the one solution there
// is, which is then the first in any order; `made` whether `bands` were
// made from `start` on the way.
std::int64_t count_for(const base::Puzzle& puzzle, const Board& start,
                       Question mode, std::int64_t limit, Board& first,
                       bool& only, Bands& bands, bool& made, Answer& out) {
  only = false;
  made = mode == Question::kSolve || (mode == Question::kCount && limit == 0);
  if (made && !solver::make_bands(start, bands)) return -1;
  if (mode == Question::kSolve) return 1;
  if (mode == Question::kCount && limit == 0) {
    count_exactly(puzzle, out);
    return out.count;
  }
  const std::int64_t stop = mode == Question::kCount ? limit : 2;
  const std::int64_t found = solver::core_count(start, stop, first);
  only = found == 1 && stop > 1;
  return found;
}

}  // namespace

void answer(const base::Puzzle& puzzle, Question mode, std::int64_t limit,
            Answer& out) {
  out = Answer{};
  const Board start = board_of(puzzle, solver::kAllCandidates);
  Board first;
  Bands bands;
  bool only = false;  // `first` holds the one solution there is
  bool made = false;  // `bands` made from `start`
  std::int64_t found =
      count_for(puzzle, start, mode, limit, first, only, bands, made, out);
  if (out.verdict == Verdict::kNoMemory) return;
  if (found < 0) {
    // Givens that repeat a digit take each other's places away, so the
    // deductions refuse them too: only then are they looked for.
    if (solver::check_consistency(start) != 0) {
      out.verdict = Verdict::kConflict;
      return;
    }
    found = 0;
  }
  // The smallest solution, when the count did not prove `first` the only
  // one: vortel's ordered search over the same deductions.
  std::int64_t steps = 0;  // the search's work count, not needed here
  if (found == 0 ||
      (!only &&
       !((made || solver::make_bands(start, bands)) &&
         solver::first_in_order(bands, first, solver::kDiveBudget, steps)))) {
    no_solution(puzzle, out);
    return;
  }
  digits_of(first, out.first);
  if (mode == Question::kSolve) {
    out.verdict = Verdict::kSolved;
    out.count = 1;
    out.at_least = true;
    return;
  }
  count_verdict(found, mode == Question::kCount ? limit : 2, out);
  if (mode == Question::kCheck && out.verdict == Verdict::kMultiple) {
    Board second;
    if (second_in_order(start, first, second)) digits_of(second, out.second);
  }
  if (mode == Question::kMinimal && out.verdict == Verdict::kUnique) {
    find_redundant(puzzle, out);
  }
}

void describe(const base::Puzzle& puzzle, canon::Definition definition,
              bool form, bool automorphisms, Answer& out) {
  if (form) out.form = canon::canonical_form(puzzle, definition).form;
  out.automorphisms = 0;
  bool full = true;
  for (const std::uint8_t digit : puzzle.cell) full = full && digit != 0;
  if (automorphisms && full) out.automorphisms = canon::automorphisms(puzzle);
}

}  // namespace lotto
