#include "logic/step.h"

namespace logic {

bool eliminates(const Step& step) {
  for (const DigitSet gone : step.removed) {
    if (gone != 0) return true;
  }
  return false;
}

void apply(Grid& g, const Step& step) {
  // A direct step places its single and keeps the eliminations that led
  // to it: the path goes on from what the solver has seen.
  if (step.cell >= 0) place(g, step.cell, step.digit);
  for (int cell = 0; cell < 81; ++cell) {
    g.candidates[cell] =
        static_cast<DigitSet>(g.candidates[cell] & ~step.removed[cell]);
  }
}

}  // namespace logic
