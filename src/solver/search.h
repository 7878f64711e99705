// The "processo iterativo": backtracking search with a full propagation
// after every trial, and the reporting of the solutions it finds.
#ifndef VORTEL_SOLVER_SEARCH_H_
#define VORTEL_SOLVER_SEARCH_H_

#include <array>
#include <cstdint>

#include "solver/board.h"

namespace solver {

struct State;

/// One work board (with its derived masks) per cell index, allocated the
/// first time the search branches on that index and kept until the process
/// ends.
extern std::array<State*, kCells> g_pool;

/// Allocates one pool board, or returns null. A seam for tests.
using BoardAllocator = State* (*)();
extern BoardAllocator g_allocate_board;

/// Complete boards found so far. 64 bits, so that no count can wrap.
extern std::int64_t g_solution_count;

/// Trials made so far (one board copy and one propagation each). Nothing
/// prints it; benchmarks and tests read it.
extern std::int64_t g_trial_count;

/// Seconds of wall-clock time accumulated by update_cpu_time.
extern double g_elapsed_total;

/// Takes the first clock reading and clears the elapsed-time total.
void start_clock();

/// Adds the milliseconds elapsed since the previous reading to the total.
void update_cpu_time();

/// Branches on the first undetermined cell at or after `start` (there must
/// be one, and every cell before it must be determined), trying its
/// candidates in increasing digit order: copy, assign, propagate, check,
/// then recurse or report a solution. `unknown` is shared by all levels.
void search(const Board& parent, int start, std::int32_t& unknown);

/// Announces the search, runs it on `board` and ends the process with the
/// closing report (status 4), unless the first-solution mode ended it
/// earlier with status 0.
[[noreturn]] void iterative_process(const Board& board, std::int32_t& unknown);

}  // namespace solver

#endif  // VORTEL_SOLVER_SEARCH_H_
