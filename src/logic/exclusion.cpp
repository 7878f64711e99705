// Aligned pair exclusion (6.2): two open cells that share a unit cannot
// hold the same digit, nor a pair of digits that would empty a common peer
// holding just those two. A digit of one cell that pairs validly with no
// digit of the other goes.
#include "logic/techniques.h"

namespace logic {

namespace {

bool pair_excluded(const Grid& g, int c1, int c2, Sink& sink) {
  DigitSet blockers[20]{};
  int n = 0;
  CellSet common = geometry().peers[c1] & geometry().peers[c2];
  while (!empty(common)) {
    const int cell = take_first(common);
    if (digit_count(g.candidates[cell]) == 2) {
      blockers[n++] = g.candidates[cell];
    }
  }
  DigitSet allowed1 = 0;
  DigitSet allowed2 = 0;
  for (DigitSet x = g.candidates[c1]; x != 0; x &= x - 1) {
    const int v1 = lowest_digit(x);
    for (DigitSet y = g.candidates[c2]; y != 0; y &= y - 1) {
      const int v2 = lowest_digit(y);
      if (v1 == v2) continue;
      const auto both = static_cast<DigitSet>((1U << v1) | (1U << v2));
      bool blocked = false;
      for (int k = 0; k < n && !blocked; ++k) blocked = blockers[k] == both;
      if (blocked) continue;
      allowed1 |= static_cast<DigitSet>(1U << v1);
      allowed2 |= static_cast<DigitSet>(1U << v2);
    }
  }
  Step step;
  step.removed[c1] = static_cast<DigitSet>(g.candidates[c1] & ~allowed1);
  step.removed[c2] = static_cast<DigitSet>(g.candidates[c2] & ~allowed2);
  if (step.removed[c1] == 0 && step.removed[c2] == 0) return false;
  step.rating = sink.floor;
  add(step.cells, c1);
  add(step.cells, c2);
  step.digits = static_cast<DigitSet>(g.candidates[c1] | g.candidates[c2]);
  return sink.offer(step);
}

}  // namespace

void find_aligned_pair_exclusion(const Grid& g, Sink& sink) {
  for (int c1 = 0; c1 < 81; ++c1) {
    if (digit_count(g.candidates[c1]) < 2) continue;
    CellSet later = geometry().peers[c1];
    while (!empty(later)) {
      const int c2 = take_first(later);
      if (c2 <= c1 || digit_count(g.candidates[c2]) < 2) continue;
      if (pair_excluded(g, c1, c2, sink)) return;
    }
  }
}

}  // namespace logic
