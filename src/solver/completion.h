// The order-free searches over Bands: whether a board has a completion,
// and whether it has two. They branch where the board is most
// constrained, in no particular order, so they answer far sooner than an
// ordered search that would have to wander row by row.
#ifndef VORTEL_SOLVER_COMPLETION_H_
#define VORTEL_SOLVER_COMPLETION_H_

#include <cstdint>

#include "solver/bands.h"
#include "solver/board.h"

namespace solver {

/// Whether `bands` has a completion, searched for by branching on an open
/// cell of two digits (or of the fewest) with the most open peers; the
/// first one found is written to `completion`. Each search adds its
/// branchings (one placement and its deductions each) to `steps`.
bool find_completion(const Bands& bands, Board& completion,
                     std::int64_t& steps);

/// Whether `bands` has more than one completion: a search for two, with
/// the same branching as find_completion.
bool has_two_completions(const Bands& bands, std::int64_t& steps);

/// The completions of `bands`, counted up to `limit` (the search stops
/// there), with the same branching; the first one found is written to
/// `completion`. One search both proves a solution unique and gives it,
/// where has_two_completions and find_completion would search twice.
std::int64_t count_completions(const Bands& bands, std::int64_t limit,
                               Board& completion, std::int64_t& steps);

}  // namespace solver

#endif  // VORTEL_SOLVER_COMPLETION_H_
