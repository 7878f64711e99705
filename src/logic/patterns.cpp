// The tables of naked sets, hidden sets and fish, and the one search of
// their sets that both the ladder and the branches run (patterns.h).
#include "logic/patterns.h"

namespace logic {

namespace {

// Sets of `size` lines among `eligible` from line `from` on, with lines S
// and columns U so far: a line that would take U past `size` columns is
// passed over, and with it every set that holds it.
bool sets_from(const Table& t, unsigned eligible, int size, int from,
               unsigned s, unsigned u, TableVisit visit, void* ctx) {
  if (kBits.of[s] == size) {
    unsigned others = 0;
    for (int i = 0; i < 9; ++i) {
      if (!((s >> i) & 1U)) others |= t.line[i];
    }
    return (others & u) != 0 && visit(t, s, u, ctx);
  }
  for (int i = from; i < 9; ++i) {
    if (!((eligible >> i) & 1U)) continue;
    const unsigned wider = u | t.line[i];
    if (kBits.of[wider] > size) continue;
    if (sets_from(t, eligible, size, i + 1, s | (1U << i), wider, visit, ctx)) {
      return true;
    }
  }
  return false;
}

// A table's sets of n lines and n columns, by their lines' 9-bit value.
struct Sorted {
  int size = 0;
  int n = 0;
  std::uint16_t lines[126];  // C(9, 4), the most there can be
  std::uint16_t columns[126];
};

bool keep_sorted(const Table& /*t*/, unsigned lines, unsigned columns,
                 void* ctx) {
  auto& sorted = *static_cast<Sorted*>(ctx);
  if (kBits.of[columns] != sorted.size) return false;
  int at = sorted.n++;
  for (; at > 0 && sorted.lines[at - 1] > lines; --at) {
    sorted.lines[at] = sorted.lines[at - 1];
    sorted.columns[at] = sorted.columns[at - 1];
  }
  sorted.lines[at] = static_cast<std::uint16_t>(lines);
  sorted.columns[at] = static_cast<std::uint16_t>(columns);
  return false;
}

}  // namespace

bool for_each_set(const Table& t, unsigned eligible, int size, TableVisit visit,
                  void* ctx) {
  if (kBits.of[eligible] < size) return false;
  return sets_from(t, eligible, size, 0, 0, 0, visit, ctx);
}

bool for_each_ladder_set(const Table& t, unsigned eligible, int size,
                         TableVisit visit, void* ctx) {
  Sorted sorted;
  sorted.size = size;
  for_each_set(t, eligible, size, keep_sorted, &sorted);
  for (int k = 0; k < sorted.n; ++k) {
    if (visit(t, sorted.lines[k], sorted.columns[k], ctx)) return true;
  }
  return false;
}

void for_each_naked_set(const Grid& g, int size, TableVisit visit, void* ctx) {
  for (int u = 0; u < 27; ++u) {
    const Table t = naked_table(g, u);
    if (for_each_ladder_set(t, lines_with(t, 1, size), size, visit, ctx)) {
      return;
    }
  }
}

void for_each_hidden_set(const Grid& g, int size, TableVisit visit, void* ctx) {
  Slots slots;
  fill_slots(g, slots);
  for (int u = 0; u < 27; ++u) {
    const Table t = hidden_table(slots, u);
    if (for_each_ladder_set(t, lines_with(t, 1, size), size, visit, ctx)) {
      return;
    }
  }
}

void set_step(const Table& t, unsigned lines, unsigned columns, Step& step) {
  for_each_candidate(t, kNine & ~lines, columns, true, [&](Candidate k) {
    step.removed[k.cell] |= static_cast<DigitSet>(1U << k.digit);
  });
  for_each_candidate(t, lines, kNine, true, [&](Candidate k) {
    add(step.cells, k.cell);
    step.digits |= static_cast<DigitSet>(1U << k.digit);
  });
  if (t.shape == Shape::kNaked || t.shape == Shape::kHidden) {
    step.units = 1U << t.index;
    return;
  }
  const int first_unit = t.shape == Shape::kRows ? kRowUnit : kColumnUnit;
  for (int i = 0; i < 9; ++i) {
    if ((lines >> i) & 1U) step.units |= 1U << (first_unit + i);
  }
}

bool offer_set(const Table& t, unsigned lines, unsigned columns, void* sink) {
  auto& to = *static_cast<Sink*>(sink);
  Step step;
  set_step(t, lines, columns, step);
  step.rating = to.floor;
  return to.offer(step);
}

}  // namespace logic
