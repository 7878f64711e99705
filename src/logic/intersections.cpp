// Locked candidates: pointing (2.6) and claiming (2.8). The pattern is
// patterns.h's; this is the ladder's order of looking for it.
#include "logic/patterns.h"
#include "logic/techniques.h"

namespace logic {

void for_each_locked(const Grid& g, bool pointing, LockedVisit visit,
                     void* ctx) {
  Slots slots;
  fill_slots(g, slots);
  const int first_base = pointing ? kBoxUnit : kRowUnit;
  const int last_base = pointing ? 27 : kBoxUnit;
  for (int d = 1; d <= 9; ++d) {
    for (int base = first_base; base < last_base; ++base) {
      const unsigned places = slots.of[base][d - 1];
      if (kBits.of[places] < 2) continue;
      const int cover = locked_cover(base, places);
      if (cover < 0) continue;
      const CellSet removed = locked_removals(g, d, base, cover);
      if (empty(removed)) continue;
      const Locked lock{d, base, cover, positions(g, base, d), removed};
      if (visit(g, lock, ctx)) return;
    }
  }
}

namespace {

bool offer_locked(const Grid& /*g*/, const Locked& lock, void* ctx) {
  auto& sink = *static_cast<Sink*>(ctx);
  Step step;
  step.rating = sink.floor;
  step.digits = static_cast<DigitSet>(1U << lock.digit);
  step.cells = lock.cells;
  step.units = 1U << lock.base;
  CellSet removed = lock.removed;
  while (!empty(removed)) {
    step.removed[take_first(removed)] = step.digits;
  }
  return sink.offer(step);
}

}  // namespace

void find_pointing(const Grid& g, Sink& sink) {
  for_each_locked(g, true, offer_locked, &sink);
}

void find_claiming(const Grid& g, Sink& sink) {
  for_each_locked(g, false, offer_locked, &sink);
}

}  // namespace logic
