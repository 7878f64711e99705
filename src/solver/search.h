// The "processo iterativo": backtracking search with a full propagation
// after every trial. It prints nothing: each solution goes to a reporter
// that the caller supplies, which decides what to show and whether to go
// on.
#ifndef VORTEL_SOLVER_SEARCH_H_
#define VORTEL_SOLVER_SEARCH_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "solver/board.h"

namespace solver {

struct State;

/// What the search does with each solution it finds.
struct SolutionReporter {
  /// Called with each complete board, in the search's order (see search).
  /// Returns true to go on searching, false to end the search there.
  bool (*on_solution)(const Board& solution);
};

/// How a search ended.
enum class SearchEnd {
  kExhausted,    // every branch tried
  kStopped,      // the reporter asked to stop
  kOutOfMemory,  // a pool board could not be allocated
};

/// Branches on the first undetermined cell at or after `start`, trying its
/// candidates in increasing digit order: copy, assign, propagate, check,
/// then recurse or report a solution. Solutions therefore come in
/// increasing order of their 81 digits read row by row. `unknown` is
/// shared by all levels and is left in no particular state.
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

/// Allocates one pool board, or returns null.
using BoardAllocator = State* (*)();

/// Test and benchmark seams, grouped so that nothing else mistakes them for
/// program state: the program never sets or prints them. Tests replace the
/// allocators to reach the out-of-memory paths; tests and benchmarks read
/// the search's trial count (one State copy and one full propagation each)
/// and the small-problem steps (one assignment with naked singles each)
/// that the counter takes and that the search takes to list small subtrees.
struct SearchSeams {
  BoardAllocator allocate_board;
  /// Zeroed memory for the counter of count_solutions, or null.
  void* (*allocate_counter)(std::size_t size);
  std::int64_t trial_count;
  std::int64_t small_steps;
};
extern SearchSeams g_search_seams;

}  // namespace solver

#endif  // VORTEL_SOLVER_SEARCH_H_
