// The "processo iterativo": the solutions of a propagated board, smallest
// first; the first from the order-free searches over Bands, any others by
// backtracking with a full propagation after every trial. It prints
// nothing: each solution goes to a reporter that the caller supplies,
// which decides what to show and whether to go on.
#ifndef VORTEL_SOLVER_SEARCH_H_
#define VORTEL_SOLVER_SEARCH_H_

#include <cstdint>

#include "solver/board.h"
#include "solver/seams.h"
#include "solver/solution_report.h"

namespace solver {

/// Reports the solutions of `parent` in increasing order of their 81
/// digits read row by row, until the reporter asks to stop. The first is
/// first_in_order's over Bands (bands.h). A listing that goes on past it
/// asks Bands whether a second exists, and only then runs the ordered
/// backtracking: it branches on the first undetermined cell, trying its
/// candidates in increasing digit order (copy, assign, propagate, check,
/// then recurse or report), and passes over the first solution, reported
/// already. Every piece of its state belongs to the call: searches on
/// different threads share nothing. `seams`, when given, gets the call's
/// work counts and may replace its allocator (seams.h).
///
/// Precondition: `parent` is consistent (check_consistency is 0), it is a
/// fixpoint of propagate (propagating it again changes nothing), and
/// `unknown` is its count_unknown, above 0. The trials rely on it: each
/// one updates only what its assignment touches instead of recomputing the
/// board, which is exact only from a propagated board. Debug builds assert
/// it.
SearchEnd search(const Board& parent, std::int32_t unknown,
                 const SolutionReporter& reporter,
                 SearchSeams* seams = nullptr);

}  // namespace solver

#endif  // VORTEL_SOLVER_SEARCH_H_
