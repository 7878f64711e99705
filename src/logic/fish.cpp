// Fish: a digit whose places in n rows lie in n columns together (or the
// other way round) goes from the rest of those columns. X-Wing (n = 2,
// 3.2), Swordfish (3, 3.8), Jellyfish (4, 5.2).
#include "logic/patterns.h"
#include "logic/techniques.h"

namespace logic {

namespace {

// The cross lines where digit d may stand in each base line (rows when
// `by_rows`), as 9-bit sets; returns the base lines with 2 to `size`.
unsigned cross_lines(const Grid& g, int d, int size, bool by_rows,
                     unsigned (&cross)[9]) {
  unsigned eligible = 0;
  for (int line = 0; line < 9; ++line) {
    cross[line] = 0;
    for (int k = 0; k < 9; ++k) {
      const int cell = by_rows ? 9 * line + k : 9 * k + line;
      if ((g.candidates[cell] >> d) & 1U) cross[line] |= 1U << k;
    }
    const int n = bits(cross[line]);
    if (n >= 2 && n <= size) eligible |= 1U << line;
  }
  return eligible;
}

// The fish of base lines `base` and cover lines `cover`: its cells, and d
// removed from the cover lines outside the base. False when nothing goes.
bool fish_step(const Grid& g, int d, unsigned base, unsigned cover,
               bool by_rows, Step& step) {
  bool removes = false;
  for (int line = 0; line < 9; ++line) {
    const bool in_base = ((base >> line) & 1U) != 0;
    if (in_base) {
      step.units |= 1U << ((by_rows ? kRowUnit : kColumnUnit) + line);
    }
    for (int k = 0; k < 9; ++k) {
      const int cell = by_rows ? 9 * line + k : 9 * k + line;
      if (!((cover >> k) & 1U) || !((g.candidates[cell] >> d) & 1U)) {
        continue;
      }
      if (in_base) {
        add(step.cells, cell);
      } else {
        step.removed[cell] = static_cast<DigitSet>(1U << d);
        removes = true;
      }
    }
  }
  return removes;
}

bool fish(const Grid& g, int d, int size, bool by_rows, Sink& sink) {
  unsigned cross[9];
  const unsigned eligible = cross_lines(g, d, size, by_rows, cross);
  const Combinations& table = combinations();
  for (int i = 0; i < table.count[size]; ++i) {
    const unsigned base = table.sets[size][i];
    if ((base & eligible) != base) continue;
    unsigned cover = 0;
    for (int line = 0; line < 9; ++line) {
      if ((base >> line) & 1U) cover |= cross[line];
    }
    if (bits(cover) != size) continue;
    Step step;
    if (!fish_step(g, d, base, cover, by_rows, step)) continue;
    step.rating = sink.floor;
    step.digits = static_cast<DigitSet>(1U << d);
    if (sink.offer(step)) return true;
  }
  return false;
}

void find_fish(const Grid& g, int size, Sink& sink) {
  for (int d = 1; d <= 9; ++d) {
    if (fish(g, d, size, true, sink) || fish(g, d, size, false, sink)) return;
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
