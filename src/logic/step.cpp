#include "logic/step.h"

#include <cassert>

namespace logic {

bool eliminates(const Step& step) {
  for (const DigitSet gone : step.removed) {
    if (gone != 0) return true;
  }
  return false;
}

void apply(Grid& g, const Step& step) {
  // A direct step places its single and keeps the eliminations that led
  // to it: the path goes on from what the solver has seen. A step of a
  // round may place what another of the round placed before it.
  if (step.cell >= 0 && g.digit[step.cell] == 0) {
    place(g, step.cell, step.digit);
  }
  for (int cell = 0; cell < 81; ++cell) {
    g.candidates[cell] =
        static_cast<DigitSet>(g.candidates[cell] & ~step.removed[cell]);
  }
}

void restart(Round& round) {
  round.size = 0;
  for (int cell = 0; cell < 81; ++cell) {
    round.placed[cell] = 0;
    round.removed[cell] = 0;
  }
}

void gather(Round& round, const Step& step, bool every) {
  bool adds = step.cell >= 0 && round.placed[step.cell] == 0;
  for (int cell = 0; cell < 81; ++cell) {
    const auto more =
        static_cast<DigitSet>(step.removed[cell] & ~round.removed[cell]);
    if (more == 0) continue;
    adds = true;
    round.removed[cell] |= more;
  }
  if (!adds && !every) return;
  assert(round.size < kMaxRound);
  if (round.size == kMaxRound) return;
  if (step.cell >= 0) {
    round.placed[step.cell] = static_cast<std::uint8_t>(step.digit);
  }
  round.steps[round.size++] = step;
}

}  // namespace logic
