// The oracle: does a board have any completion at all? The ordered search
// asks it to skip subtrees that hold no solution.
#ifndef VORTEL_SOLVER_ORACLE_H_
#define VORTEL_SOLVER_ORACLE_H_

#include <cstdint>

#include "solver/state.h"

namespace solver {

/// True when the propagated, conflict-free State `s`, with `unknown` open
/// cells, has a completion, which is then written to `solution`. Also true,
/// with `solution` untouched, when the memory to answer cannot be had (the
/// search then goes into the subtree, as without an oracle).
bool has_completion(const State& s, std::int32_t unknown, Board& solution);

}  // namespace solver

#endif  // VORTEL_SOLVER_ORACLE_H_
