// Counting every solution of a board, in no particular order: the count
// mode needs only the number (its first solution comes from the ordered
// search), so the counter is free to branch on the most constrained cell,
// to work on a small copy of the open cells, and to remember the counts of
// sub-boards it has met before.
#ifndef VORTEL_SOLVER_COUNT_H_
#define VORTEL_SOLVER_COUNT_H_

#include <cstdint>

#include "solver/board.h"

namespace solver {

enum class SearchEnd;

/// Told each time the running count reaches a multiple of `every`.
struct CountObserver {
  std::int64_t every;
  void (*milestone)(std::int64_t count);
};

/// The number of completions of `board`, called once for each multiple of
/// observer.every that the count reaches, in increasing order, as the count
/// grows (it may grow by more than one at a time).
///
/// Precondition: as for search (search.h): `board` is consistent and a
/// fixpoint of propagate, and `unknown` is its count of open cells, above 0.
/// A count beyond INT64_MAX saturates (no board can be counted that far in
/// practice). Returns kExhausted with the number in `count`, or
/// kOutOfMemory when the counter's memory could not be had (`count` is
/// then left as it was).
SearchEnd count_solutions(const Board& board, std::int32_t unknown,
                          const CountObserver& observer, std::int64_t& count);

struct State;

/// True when the propagated, conflict-free State `s`, with `unknown` open
/// cells, has a completion, which is then written to `solution`: a search
/// branching on the most constrained cell, stopped at the first solution
/// it meets, over the small form with naked singles, hidden singles and
/// dead units (over States while more than 64 cells are open). The
/// ordered search asks it to skip subtrees that hold no solution.
bool has_completion(const State& s, std::int32_t unknown, Board& solution);

struct SolutionReporter;

/// Hands every completion of the propagated, conflict-free State `s` (at
/// most 64 open cells) to the reporter, in the search's order, with the
/// counter's cheap small-problem steps instead of State trials. Returns
/// kExhausted, kStopped when the reporter asked to stop, or kOutOfMemory.
SearchEnd list_completions(const State& s, const SolutionReporter& reporter);

}  // namespace solver

#endif  // VORTEL_SOLVER_COUNT_H_
