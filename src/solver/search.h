// The "processo iterativo": the solutions of a propagated board, smallest
// first. This module is the path to the first solution: over Bands
// (bands.h), the ordered search for a few branchings, then a descent that
// asks the order-free search (completion.h) about each smaller digit; any
// others come from the ordered backtracking (ordered_search.h). It prints
// nothing: each solution goes to a reporter that the caller supplies,
// which decides what to show and whether to go on.
#ifndef VORTEL_SOLVER_SEARCH_H_
#define VORTEL_SOLVER_SEARCH_H_

#include <cstdint>

#include "solver/bands.h"
#include "solver/board.h"
#include "solver/seams.h"
#include "solver/solution_report.h"

namespace solver {

/// Reports the solutions of `parent` in increasing order of their 81
/// digits read row by row, until the reporter asks to stop. The first is
/// first_in_order's. A listing that goes on past it asks Bands whether a
/// second exists, and only then runs the ordered backtracking, which
/// passes over the first solution, reported already. Every piece of its state
/// belongs to the call: searches on different threads share nothing. `seams`,
/// when given, gets the call's work counts and may replace its allocator
/// (seams.h).
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

/// The smallest completion of `root` in row-major order, digits upwards,
/// into `first`; false when there is none. First the ordered search
/// itself, for at most `budget` branchings: its first completion is the
/// smallest. Then, told which digits that search showed to have no
/// completion, a descent: each open cell in turn takes the smallest digit
/// that still has a completion; the digits below the one of the last
/// completion found are each put to find_completion, and a "yes" gives the
/// new completion, so the descent never backtracks. Every completion it
/// meets agrees with the cells already taken, and a digit below the one
/// taken has none: the result is the smallest. Its branchings are added
/// to `steps`.
bool first_in_order(const Bands& root, Board& first, std::int64_t budget,
                    std::int64_t& steps);

}  // namespace solver

#endif  // VORTEL_SOLVER_SEARCH_H_
