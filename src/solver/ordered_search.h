// The ordered backtracking: every solution of a propagated board in
// increasing row-major order, with a full propagation after every trial.
// search (search.h) runs it only for a listing that goes on past the first
// solution, once Bands have shown that a second exists.
#ifndef VORTEL_SOLVER_ORDERED_SEARCH_H_
#define VORTEL_SOLVER_ORDERED_SEARCH_H_

#include <cstdint>

#include "solver/board.h"
#include "solver/seams.h"
#include "solver/solution_report.h"

namespace solver {

/// Hands the solutions of `parent` after its first, `first` (reported
/// already), to the reporter in increasing row-major order, until it asks
/// to stop. It branches on the first undetermined cell, trying its
/// candidates in increasing digit order (copy, assign, propagate, check,
/// then recurse or report); a trial's subtree may be skipped once Bands
/// show it has no completion, and a small one is listed by the lister
/// (lister.h). Debug builds check that its first solution is `first`.
/// Same precondition as search; the work counts go to `seams` when given.
SearchEnd search_in_order(const Board& parent, std::int32_t unknown,
                          const Board& first, const SolutionReporter& reporter,
                          SearchSeams* seams);

}  // namespace solver

#endif  // VORTEL_SOLVER_ORDERED_SEARCH_H_
