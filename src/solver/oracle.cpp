// The oracle. A search that branches on the most constrained cell and stops
// at the first completion it meets: while more than kMaxSmallCells cells
// are open over States (with the search's own trial), then over the small
// form strengthened for proving "no": beside naked singles it keeps each
// unit's digits still needed, so that a digit carried by one open cell of
// a unit is placed there (a hidden single) and a digit carried by none
// ends the branch (a dead unit). Each of these deductions holds in every
// completion, and the branching covers every candidate of the chosen cell,
// so "no" is exact and a "yes" comes with a real completion.
#include "solver/oracle.h"

#include <cstdlib>

#include "solver/small_problem.h"

namespace solver {

namespace {

// One State per level of the first phase, allocated on first use: most
// runs never need it, and it is too large for the stack of a small thread.
struct Levels {
  std::array<State, kCells> level;
};
Levels* g_levels = nullptr;

bool states_complete(const State& parent, std::int32_t unknown, unsigned depth,
                     Board& solution) {
  const int best = most_constrained_cell(parent);
  State& work = g_levels->level[depth];
  for (Mask m = parent.cand[static_cast<unsigned>(best)]; m != 0;
       m = static_cast<Mask>(m & (m - 1))) {
    std::int32_t left = unknown;
    if (!try_digit(parent, work, best, lowest_digit(m), left)) continue;
    if (left == 0) {
      solution = work.board;
      return true;
    }
    if (states_complete(work, left, depth + 1, solution)) return true;
  }
  return false;
}

// A position of the small form with each unit's needed digits.
struct Strong {
  SmallState position;
  UnitNeeds needs;
};

// Removes local cell j from the carriers of every digit of `digits`.
void drop_carriers(SmallState& c, unsigned j, Mask digits) {
  for (; digits != 0; digits = static_cast<Mask>(digits & (digits - 1))) {
    c.carry[static_cast<unsigned>(__builtin_ctz(digits))] &=
        ~(std::uint64_t{1} << j);
  }
}

// The hidden singles of every unit: local cells to settle, added to
// `pending`. False when a unit needs a digit that no open cell carries, or
// two digits need the same cell.
bool hidden_singles(const SmallProblem& problem, Strong& t,
                    std::uint64_t& pending) {
  SmallState& c = t.position;
  // Only the units that changed since they were last looked at can hold a
  // new hidden single or a new dead digit.
  std::uint32_t units = t.needs.changed;
  t.needs.changed = 0;
  for (; units != 0; units &= units - 1) {
    const unsigned u = static_cast<unsigned>(__builtin_ctz(units));
    const std::uint64_t cells = problem.unit_cells[u] & c.open;
    for (Mask m = t.needs.need[u]; m != 0; m = static_cast<Mask>(m & (m - 1))) {
      const unsigned d = static_cast<unsigned>(__builtin_ctz(m));
      const std::uint64_t carriers = c.carry[d] & cells;
      if (carriers == 0) return false;
      if ((carriers & (carriers - 1)) != 0) continue;
      const unsigned j = static_cast<unsigned>(__builtin_ctzll(carriers));
      const Mask only = static_cast<Mask>(1U << d);
      if (c.avail[j] == only) continue;       // a naked single already
      if ((pending >> j) & 1U) return false;  // two digits for one cell
      drop_carriers(c, j, static_cast<Mask>(c.avail[j] & ~only));
      c.avail[j] = only;
      pending |= std::uint64_t{1} << j;
    }
  }
  return true;
}

// Places local cell i's digit `bit` and everything that follows from it;
// false when a cell or a unit is left without a way out.
bool assign_strong(const SmallProblem& problem, Strong& t, int i, Mask bit) {
  SmallState& c = t.position;
  const unsigned ui = static_cast<unsigned>(i);
  drop_carriers(c, ui, static_cast<Mask>(c.avail[ui] & ~bit));
  c.avail[ui] = bit;
  std::uint64_t pending = std::uint64_t{1} << i;
  while (pending != 0) {
    if (!settle(problem, c, pending, &t.needs)) return false;
    pending = 0;
    if (!hidden_singles(problem, t, pending)) return false;
  }
  return true;
}

// Whether the strong position has a completion; the first one found is
// written over `base` into `out`.
bool find_completion(const SmallProblem& problem, const Strong& t,
                     const Board& base, Board& out) {
  const SmallState& p = t.position;
  if (p.open == 0) {
    write_completion(problem, p, base, out);
    return true;
  }
  const unsigned best = most_constrained(p);
  for (Mask m = p.avail[best]; m != 0; m = static_cast<Mask>(m & (m - 1))) {
    Strong child = t;
    if (assign_strong(problem, child, static_cast<int>(best),
                      static_cast<Mask>(m & -m)) &&
        find_completion(problem, child, base, out)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool has_completion(const State& s, std::int32_t unknown, Board& solution) {
  if (unknown > kMaxSmallCells) {
    if (g_levels == nullptr) {
      g_levels = static_cast<Levels*>(std::malloc(sizeof(Levels)));
    }
    if (g_levels == nullptr) return true;  // no memory to ask
    return states_complete(s, unknown, 0, solution);
  }
  SmallProblem problem;
  Strong t;
  make_small_problem(s, problem, t.position);
  for (unsigned u = 0; u < kUnitCount; ++u) {
    Mask union_of = 0;
    for (std::uint64_t cells = problem.unit_cells[u]; cells != 0;
         cells &= cells - 1) {
      union_of |=
          t.position.avail[static_cast<unsigned>(__builtin_ctzll(cells))];
    }
    t.needs.need[u] = union_of;
  }
  t.needs.changed = kAllUnits;
  return find_completion(problem, t, s.board, solution);
}

}  // namespace solver
