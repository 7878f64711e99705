// The small form's construction and steps.
#include "solver/small_problem.h"

#include <cassert>

#include "solver/propagate.h"

namespace solver {

void make_small_problem(const State& s, SmallProblem& problem,
                        SmallState& start) {
  assert(state_is_propagated(s) &&
         "a small problem from an unpropagated state");
  start = SmallState{};
  std::array<std::uint64_t, kUnitCount> unit{};
  unsigned n = 0;
  for (unsigned i = 0; i < kCells; ++i) {
    if (s.cand[i] == 0) continue;
    assert(n < kMaxSmallCells && "too many open cells for the small form");
    const std::uint64_t bit = std::uint64_t{1} << n;
    for (unsigned u : kUnits[i]) unit[u] |= bit;
    problem.cell[n] = static_cast<std::uint8_t>(i);
    start.avail[n] = s.cand[i];
    for (Mask m = s.cand[i]; m != 0; m = static_cast<Mask>(m & (m - 1))) {
      start.carry[static_cast<unsigned>(__builtin_ctz(m))] |= bit;
    }
    ++n;
  }
  for (unsigned a = 0; a < n; ++a) {
    const std::array<std::uint8_t, 3>& units = kUnits[problem.cell[a]];
    problem.peers[a] = (unit[units[0]] | unit[units[1]] | unit[units[2]]) &
                       ~(std::uint64_t{1} << a);
  }
  problem.cells = n;
  start.open = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

namespace {

// Naked singles from the local cells in `pending` (each holding one digit
// and still open); false when some open cell is left without a candidate.
// A cell waiting in `pending` holds one candidate and is still open, so a
// peer that settles on the same digit empties it and fails.
bool settle(const SmallProblem& problem, SmallState& position,
            std::uint64_t pending) {
  while (pending != 0) {
    const unsigned x = static_cast<unsigned>(__builtin_ctzll(pending));
    pending &= pending - 1;
    const Mask digit = position.avail[x];
    position.open &= ~(std::uint64_t{1} << x);
    std::uint64_t& carriers =
        position.carry[static_cast<unsigned>(__builtin_ctz(digit))];
    std::uint64_t hits = problem.peers[x] & position.open & carriers;
    carriers &= ~hits;
    for (; hits != 0; hits &= hits - 1) {
      const unsigned j = static_cast<unsigned>(__builtin_ctzll(hits));
      const Mask left = static_cast<Mask>(position.avail[j] & ~digit);
      position.avail[j] = left;
      if (left == 0) return false;
      if ((left & (left - 1)) == 0) pending |= std::uint64_t{1} << j;
    }
  }
  return true;
}

}  // namespace

bool assign(const SmallProblem& problem, SmallState& position, int i,
            Mask bit) {
  position.avail[static_cast<unsigned>(i)] = bit;
  return settle(problem, position, std::uint64_t{1} << i);
}

void write_completion(const SmallProblem& problem, const SmallState& position,
                      const Board& base, Board& out) {
  out = base;
  for (unsigned a = 0; a < problem.cells; ++a) {
    out[problem.cell[a]] = code_of(lowest_digit(position.avail[a]));
  }
}

}  // namespace solver
