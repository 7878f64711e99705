// Test and benchmark seams of one call of the search or the counter,
// grouped so that nothing mistakes them for program state: the program
// passes none, and no decision of the solver reads them. Tests replace the
// allocators to reach the out-of-memory paths; tests and benchmarks read
// the work counts: the ordered search's trials (one State copy and one
// full propagation each), the small-form steps (one assignment with naked
// singles each) of the counter and of the lister, and the branchings of
// the searches over Bands. Each call keeps its counts in its own state and
// adds them here once, at its end, so the seams cost the hot loops nothing
// and calls on several threads share nothing.
#ifndef VORTEL_SOLVER_SEAMS_H_
#define VORTEL_SOLVER_SEAMS_H_

#include <cstddef>
#include <cstdint>

namespace solver {

struct State;

struct SearchSeams {
  /// Allocates one work board of the ordered search, or returns null; the
  /// search releases it with std::free. Null: std::malloc.
  State* (*allocate_board)() = nullptr;
  /// Allocates `size` zeroed bytes for the counter, or returns null; the
  /// counter releases them with std::free. Null: std::calloc.
  void* (*allocate_counter)(std::size_t size) = nullptr;
  /// Added to by each call.
  std::int64_t trials = 0;
  std::int64_t small_steps = 0;
  std::int64_t band_steps = 0;
};

}  // namespace solver

#endif  // VORTEL_SOLVER_SEAMS_H_
