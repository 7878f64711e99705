// The "processo iterativo": the solutions of a propagated board, smallest
// first; the first from the order-free searches over Bands, any others by
// backtracking with a full propagation after every trial. It prints
// nothing: each solution goes to a reporter that the caller supplies,
// which decides what to show and whether to go on.
#ifndef VORTEL_SOLVER_SEARCH_H_
#define VORTEL_SOLVER_SEARCH_H_

#include <array>
#include <cstdint>

#include "solver/board.h"
#include "solver/solution_report.h"

namespace solver {

struct State;

/// Reports the solutions of `parent` in increasing order of their 81
/// digits read row by row, until the reporter asks to stop. The first is
/// first_in_order's over Bands (bands.h). A listing that goes on past it
/// asks Bands whether a second exists, and only then runs the ordered
/// backtracking: it branches on the first undetermined cell at or after
/// `start`, trying its candidates in increasing digit order (copy, assign,
/// propagate, check, then recurse or report), and passes over the first
/// solution, reported already. `unknown` is shared by all levels and is
/// left in no particular state.
///
/// Precondition: `parent` is consistent (check_consistency is 0), it is a
/// fixpoint of propagate (propagating it again changes nothing), `unknown`
/// is its count_unknown and above 0, and every cell before `start` is
/// determined. The trials rely on it: each one updates only what its
/// assignment touches instead of recomputing the board, which is exact
/// only from a propagated board. Debug builds assert it.
SearchEnd search(const Board& parent, int start, std::int32_t& unknown,
                 const SolutionReporter& reporter);

/// One work board (with its derived masks) per cell index, allocated the
/// first time the search branches on that index and kept until the process
/// ends.
extern std::array<State*, kCells> g_pool;

}  // namespace solver

#endif  // VORTEL_SOLVER_SEARCH_H_
