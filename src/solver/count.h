// Counting every solution of a board, in no particular order: the count
// mode needs only the number (its first solution comes from search,
// search.h), so the counter is free to branch on the most constrained
// cell, to work on the small form of the open cells, and to remember the
// counts of sub-problems it has met before.
#ifndef VORTEL_SOLVER_COUNT_H_
#define VORTEL_SOLVER_COUNT_H_

#include <array>
#include <cstdint>

#include "solver/board.h"
#include "solver/seams.h"
#include "solver/small_problem.h"
#include "solver/solution_report.h"
#include "solver/tuning.h"

namespace solver {

/// Told each time the running count reaches a multiple of `every`, with
/// the caller's `context`.
struct CountObserver {
  std::int64_t every;
  void (*milestone)(std::int64_t count, void* context);
  void* context;
};

/// The number of completions of `board`, in `count`. The observer is
/// called once for each multiple of observer.every that the count
/// reaches, in increasing order, as the count grows (it may grow by more
/// than one at a time).
///
/// Precondition: as for search (search.h): `board` is consistent and a
/// fixpoint of propagate, and `unknown` is its count of open cells, above 0.
/// A count beyond INT64_MAX saturates (no board can be counted that far in
/// practice). Returns kExhausted, or kOutOfMemory when the counter's memory
/// could not be had (`count` is then left as it was). Every piece of its
/// state, the memo included, belongs to the call: counts on different
/// threads share nothing. `seams`, when given, gets the call's small-form
/// steps and may replace its allocator (seams.h).
SearchEnd count_solutions(const Board& board, std::int32_t unknown,
                          const CountObserver& observer, std::int64_t& count,
                          SearchSeams* seams = nullptr);

// The counter's two exact bookkeepings, exposed so that tests can hold
// them to their definitions directly.

/// The running total of a count and the milestones told of it.
struct CountProgress {
  const CountObserver* observer;
  std::int64_t total;
  std::int64_t next_milestone;  // the next multiple of observer->every
};

/// Adds `found` solutions (one, or a remembered sub-count) to the total and
/// tells the observer of every multiple of its period reached, in order.
void add_to_count(CountProgress& progress, std::int64_t found);

/// The memo key of a position of the small form: one 16-bit word per open
/// cell in local order, (board cell index << 9) | (mask >> 1), four to a
/// 64-bit word. Two positions have equal keys exactly when the same board
/// cells are open with the same candidates, so their counts are equal.
using MemoKey = std::array<std::uint64_t, kMemoMaxCells / 4>;
MemoKey memo_key(const SmallProblem& problem, const SmallState& position);

}  // namespace solver

#endif  // VORTEL_SOLVER_COUNT_H_
