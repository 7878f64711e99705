// Locked candidates: pointing (2.6) and claiming (2.8).
#include "logic/patterns.h"
#include "logic/techniques.h"

namespace logic {

namespace {

// Digit d of unit `base`, if its places there all lie in `cover` too and
// `cover` has other places to lose.
bool visit_pair(const Grid& g, int d, int base, int cover, LockedVisit visit,
                void* ctx) {
  const Geometry& geo = geometry();
  const CellSet places = positions(g, base, d);
  if (count(places) < 2) return false;
  if (!(minus(places, geo.unit_set[cover]) == CellSet{})) return false;
  const CellSet removed = minus(positions(g, cover, d), places);
  if (empty(removed)) return false;
  const Locked lock{d, base, cover, places, removed};
  return visit(g, lock, ctx);
}

}  // namespace

void for_each_locked(const Grid& g, bool pointing, LockedVisit visit,
                     void* ctx) {
  const Geometry& geo = geometry();
  const int first_base = pointing ? kBoxUnit : kRowUnit;
  const int last_base = pointing ? 27 : kBoxUnit;
  for (int d = 1; d <= 9; ++d) {
    for (int base = first_base; base < last_base; ++base) {
      // A box meets three rows and three columns, through the cells of its
      // diagonal; a line meets three boxes, through its cells 0, 3 and 6.
      for (int k = 0; k < 3; ++k) {
        if (pointing) {
          const int diagonal = 4 * k;
          const int cell = geo.unit_cells[base][diagonal];
          if (visit_pair(g, d, base, kRowUnit + row_of(cell), visit, ctx) ||
              visit_pair(g, d, base, kColumnUnit + column_of(cell), visit,
                         ctx)) {
            return;
          }
        } else {
          const int slot = 3 * k;
          const int cell = geo.unit_cells[base][slot];
          if (visit_pair(g, d, base, kBoxUnit + box_of(cell), visit, ctx)) {
            return;
          }
        }
      }
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
