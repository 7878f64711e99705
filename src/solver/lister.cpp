// The lister. It decides nothing that the ordered search would not: local
// cells are numbered in row-major order, so branching on the lowest open
// local cell with its digits upwards is branching on the first open cell
// of the board, as the search does; and the small form's completions are
// exactly the board's (small_problem.h), so the same solutions come in
// the same order. Only hidden singles, which the search's States find and
// the small form does not, are left out: they prune, they never add or
// reorder a solution.
#include "solver/lister.h"

#include "solver/small_problem.h"

namespace solver {

namespace {

struct Listing {
  const SmallProblem& problem;
  const Board& base;  // the board the problem was made from
  Board out;          // each completion, handed to the reporter
  const SolutionReporter& reporter;
  std::int64_t steps;
};

// Every completion of `position`, in order. False when the reporter asked
// to stop.
bool list_in_order(Listing& listing, const SmallState& position) {
  const int x = __builtin_ctzll(position.open);
  for (Mask m = position.avail[static_cast<unsigned>(x)]; m != 0;
       m = static_cast<Mask>(m & (m - 1))) {
    ++listing.steps;
    SmallState child = position;
    if (!assign(listing.problem, child, x, static_cast<Mask>(m & -m))) {
      continue;
    }
    if (child.open != 0) {
      if (!list_in_order(listing, child)) return false;
      continue;
    }
    write_completion(listing.problem, child, listing.base, listing.out);
    if (!listing.reporter.on_solution(listing.out, listing.reporter.context)) {
      return false;
    }
  }
  return true;
}

}  // namespace

SearchEnd list_completions(const State& s, const SolutionReporter& reporter,
                           std::int64_t& steps) {
  SmallProblem problem;
  SmallState start;
  make_small_problem(s, problem, start);
  Listing listing{problem, s.board, {}, reporter, 0};
  const bool exhausted = list_in_order(listing, start);
  steps += listing.steps;
  return exhausted ? SearchEnd::kExhausted : SearchEnd::kStopped;
}

}  // namespace solver
