// The lister: every completion of a small subtree, in the ordered search's
// order, by the small form's cheap steps.
#ifndef VORTEL_SOLVER_LISTER_H_
#define VORTEL_SOLVER_LISTER_H_

#include <cstdint>

#include "solver/solution_report.h"
#include "solver/state.h"

namespace solver {

/// Hands every completion of the propagated, conflict-free State `s` (at
/// most kMaxSmallCells open cells) to the reporter, in the search's order:
/// the first open cell in row-major order, its digits upwards. Returns
/// kExhausted, or kStopped when the reporter asked to stop. Its steps (one
/// assignment with naked singles each) are added to `steps`.
SearchEnd list_completions(const State& s, const SolutionReporter& reporter,
                           std::int64_t& steps);

}  // namespace solver

#endif  // VORTEL_SOLVER_LISTER_H_
