// Each mode over the engine's searches. The givens go to the order-free
// searches over digit bands as they are (every empty cell open to the nine
// digits): their deductions include all that vortel's mathematical process
// makes, and a completion does not depend on where the search starts. So
// vortel's own process runs only to tell why a puzzle has no solution
// (vortel tells the two cases apart) and before the exact counter, which
// starts from a propagated board as vortel's count does.
#include "lotto/answer.h"

#include <mutex>

#include "solver/bands.h"
#include "solver/consistency.h"
#include "solver/count.h"
#include "solver/propagate.h"
#include "solver/tuning.h"

namespace lotto {

namespace {

using solver::Bands;
using solver::Board;

// The puzzle as a board: givens as their codes, empty cells as `empty`.
Board board_of(const importa::Puzzle& puzzle, std::int32_t empty) {
  Board board;
  for (unsigned i = 0; i < solver::kCells; ++i) {
    board[i] = puzzle[i] != 0 ? solver::kCodeTable[puzzle[i]] : empty;
  }
  return board;
}

void digits_of(const Board& board, importa::Puzzle& out) {
  for (unsigned i = 0; i < solver::kCells; ++i) {
    out[i] = static_cast<std::uint8_t>(
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
        solver::first_in_order(bands, second, solver::kDiveBudget)) {
      return true;
    }
  }
  return false;
}

// A board with every cell as a settled Bands has it: a placed cell its
// digit, an open one the product of the codes it may still hold.
Board board_of_bands(const Bands& g) {
  Board board;
  for (unsigned i = 0; i < solver::kCells; ++i) {
    const unsigned b = i / 27;
    const std::uint32_t bit = 1U << (i % 27);
    std::int64_t product = 1;
    for (unsigned d = 0; d < 9; ++d) {
      if ((g.where[b][d] & bit) != 0) product *= solver::kCodeTable[d + 1];
    }
    board[i] = static_cast<std::int32_t>(product);
  }
  return board;
}

// Counts the completions of `g`, stopping once `limit` are found: branches
// on an open cell with the fewest digits, each branch settled again by
// make_bands.
std::int64_t count_up_to(const Bands& g, std::int64_t limit) {
  unsigned best = solver::kCells;
  int fewest = 10;
  for (unsigned i = 0; i < solver::kCells; ++i) {
    const unsigned b = i / 27;
    const std::uint32_t bit = 1U << (i % 27);
    if ((g.open[b] & bit) == 0) continue;
    int digits = 0;
    for (unsigned d = 0; d < 9; ++d) digits += (g.where[b][d] & bit) != 0;
    if (digits < fewest) {
      fewest = digits;
      best = i;
    }
  }
  if (best == solver::kCells) return 1;  // complete
  const Board board = board_of_bands(g);
  std::int64_t found = 0;
  for (unsigned d = 0; d < 9 && found < limit; ++d) {
    if ((g.where[best / 27][d] & (1U << (best % 27))) == 0) continue;
    Board trial = board;
    trial[best] = solver::kCodeTable[d + 1];
    Bands child;
    if (solver::make_bands(trial, child)) {
      found += count_up_to(child, limit - found);
    }
  }
  return found;
}

// vortel's own mathematical process on the puzzle: true when it finds the
// contradiction itself (vortel's "dati incongruenti").
bool contradiction_by_logic(const importa::Puzzle& puzzle) {
  Board board = board_of(puzzle, solver::kLoadMarker);
  std::int32_t unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  return solver::check_consistency(board) != 0;
}

void no_solution(const importa::Puzzle& puzzle, Answer& out) {
  out.verdict = Verdict::kNone;
  out.by_logic = contradiction_by_logic(puzzle);
  out.count = 0;
  out.at_least = false;
}

// The counter keeps its memory between calls: one count at a time.
std::mutex g_counter_lock;

void ignore_milestone(std::int64_t /*count*/) {}

// The exact count, as vortel -c makes it.
void count_exactly(const importa::Puzzle& puzzle, Answer& out) {
  Board board = board_of(puzzle, solver::kLoadMarker);
  std::int32_t unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  out.at_least = false;
  if (unknown == 0) {
    out.count = 1;
    return;
  }
  const std::lock_guard<std::mutex> hold(g_counter_lock);
  const solver::CountObserver quiet = {INT64_MAX, ignore_milestone};
  if (solver::count_solutions(board, unknown, quiet, out.count) ==
      solver::SearchEnd::kOutOfMemory) {
    out.verdict = Verdict::kNoMemory;
  }
}

void count_mode(const importa::Puzzle& puzzle, const Bands& bands,
                std::int64_t limit, Answer& out) {
  if (limit == 0) {
    count_exactly(puzzle, out);
  } else {
    // Most puzzles have one solution: the search for two settles them,
    // and only the others are counted further.
    out.count = solver::has_two_completions(bands) ? 2 : 1;
    if (out.count == 2 && limit > 2) out.count = count_up_to(bands, limit);
    if (out.count > limit) out.count = limit;
    out.at_least = out.count == limit;
  }
  if (out.verdict == Verdict::kNoMemory) return;
  if (out.at_least && out.count == 1) {
    out.verdict = Verdict::kSolved;
  } else {
    out.verdict = out.count == 1 ? Verdict::kUnique : Verdict::kMultiple;
  }
}

// The givens whose removal leaves the solution unique.
void find_redundant(const importa::Puzzle& puzzle, Answer& out) {
  out.redundant[0] = 0;
  out.redundant[1] = 0;
  const Board start = board_of(puzzle, solver::kAllCandidates);
  for (unsigned i = 0; i < solver::kCells; ++i) {
    if (puzzle[i] == 0) continue;
    Board without = start;
    without[i] = solver::kAllCandidates;
    Bands bands;
    if (solver::make_bands(without, bands) &&
        !solver::has_two_completions(bands)) {
      out.redundant[i / 64] |= std::uint64_t{1} << (i % 64);
    }
  }
  out.verdict = (out.redundant[0] | out.redundant[1]) != 0
                    ? Verdict::kNotMinimal
                    : Verdict::kMinimal;
}

}  // namespace

void answer(const importa::Puzzle& puzzle, Mode mode, std::int64_t limit,
            Answer& out) {
  out = Answer{};
  const Board start = board_of(puzzle, solver::kAllCandidates);
  if (solver::check_consistency(start) != 0) {
    out.verdict = Verdict::kConflict;
    return;
  }
  Bands bands;
  Board first;
  if (!solver::make_bands(start, bands) ||
      !solver::first_in_order(bands, first, solver::kDiveBudget)) {
    no_solution(puzzle, out);
    return;
  }
  digits_of(first, out.first);
  out.count = 1;
  switch (mode) {
  case Mode::kSolve:
    out.verdict = Verdict::kSolved;
    out.at_least = true;
    return;
  case Mode::kCount:
    count_mode(puzzle, bands, limit, out);
    return;
  case Mode::kCheck:
  case Mode::kMinimal:
    break;
  }
  Board second;
  if (solver::has_two_completions(bands)) {
    out.verdict = Verdict::kMultiple;
    out.count = 2;
    out.at_least = true;
    if (mode == Mode::kCheck && second_in_order(start, first, second)) {
      digits_of(second, out.second);
    }
    return;
  }
  out.verdict = Verdict::kUnique;
  if (mode == Mode::kMinimal) find_redundant(puzzle, out);
}

}  // namespace lotto
