// Fish: a digit whose places in n rows lie in n columns together (or the
// other way round) goes from the rest of those columns. X-Wing (n = 2,
// 3.2), Swordfish (3, 3.8), Jellyfish (4, 5.2). The fish are the sets of
// the digit's tables (patterns.h) whose lines have two places or more (a
// line of one is a hidden single).
#include "logic/patterns.h"
#include "logic/techniques.h"

namespace logic {

namespace {

void find_fish(const Grid& g, int size, Sink& sink) {
  Slots slots;
  fill_slots(g, slots);
  for (int d = 1; d <= 9; ++d) {
    for (const bool by_rows : {true, false}) {
      const Table t = fish_table(slots, d, by_rows);
      if (for_each_ladder_set(t, lines_with(t, 2, size), size, offer_set,
                              &sink)) {
        return;
      }
    }
  }
}

}  // namespace

void find_x_wing(const Grid& g, Sink& sink) {
  find_fish(g, 2, sink);
}
void find_swordfish(const Grid& g, Sink& sink) {
  find_fish(g, 3, sink);
}
void find_jellyfish(const Grid& g, Sink& sink) {
  find_fish(g, 4, sink);
}

}  // namespace logic
