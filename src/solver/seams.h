// Test and benchmark seams, grouped so that nothing else mistakes them for
// program state: the program never sets or prints them, and no decision of
// the solver reads them. Tests replace the allocators to reach the
// out-of-memory paths; tests and benchmarks read the search's trial count
// (one State copy and one full propagation each) and the small-problem
// steps (one assignment with naked singles each) that the counter takes and
// that the search takes to list small subtrees, and the Bands branchings of
// the first solution.
#ifndef VORTEL_SOLVER_SEAMS_H_
#define VORTEL_SOLVER_SEAMS_H_

#include <cstddef>
#include <cstdint>

namespace solver {

struct State;

/// Allocates one pool board of the search, or returns null.
using BoardAllocator = State* (*)();

/// Allocates `size` zeroed bytes, or returns null.
using ZeroedAllocator = void* (*)(std::size_t size);

struct SearchSeams {
  BoardAllocator allocate_board;
  /// The counter's memory (see count_solutions).
  ZeroedAllocator allocate_counter;
  std::int64_t trial_count;
  std::int64_t small_steps;
  /// Branchings of the searches over Bands (one placement and its
  /// deductions each).
  std::int64_t band_steps;
};
extern SearchSeams g_search_seams;

}  // namespace solver

#endif  // VORTEL_SOLVER_SEAMS_H_
