// Unique loops: the unique rectangle's deadly pattern over more cells. Six,
// eight or ten open cells that all carry digits a and b, joined in a cycle
// that goes along a row, then a column, and so on, with two of its cells
// in each box it meets: were they left with a and b only, a and b could
// trade places along the cycle in a second solution. Type 1: all cells but
// one hold just ab, so that one is not a or b. Type 2: the others hold ab
// and one same extra digit c, so one of them holds c: it goes from their
// common peers. Type 3: two others, sharing a unit, as the rectangle's
// (uniqueness.cpp): one holds one of its extra digits, a naked or hidden
// set with cells of the unit. Rated the technique's base (4.5) for six
// cells, 0.1 more for eight, 0.2 more for ten, and 0.1 more for type 2, 0.1
// a cell of the set besides the two for type 3.
#include "logic/techniques.h"

namespace logic {

namespace {

constexpr int kMaxLoop = 10;

struct Loop {
  int cells[kMaxLoop];
  int length = 0;
  int a = 0;
  int b = 0;
  CellSet set;
  // The cells with digits besides a and b, and those digits: a loop is of
  // use only with one such cell (type 1), with one same extra digit in
  // each (type 2), or with two such cells (type 3), so a path that can be
  // none of these is not followed.
  int extra_cells = 0;
  DigitSet extra_digits = 0;
  // The loop's cells in each box, and the boxes it meets: two in each box
  // it meets, so at most kMaxLoop / 2 boxes. The search is whole (every
  // path is followed that may still close), so what it finds does not
  // depend on the order of the cells; these bounds keep it short.
  int in_box[9]{};
  int boxes = 0;
};

// Whether the loop may take `cell` and still become type 1, 2 or 3.
bool may_take(const Grid& g, const Loop& loop, int cell) {
  const auto ab = static_cast<DigitSet>((1U << loop.a) | (1U << loop.b));
  const auto more = static_cast<DigitSet>(g.candidates[cell] & ~ab);
  if (more == 0) return true;
  if (loop.extra_cells <= 1) return true;  // two: type 2 or 3
  return digit_count(more) == 1 && loop.extra_digits == more;
}

// Whether the loop, `length` cells long, may still take a cell of box b:
// no box holds three, and the boxes met can each still get their second.
bool box_allows(const Loop& loop, int b) {
  if (loop.in_box[b] == 2) return false;
  int open = 0;  // boxes met once, each still owed a cell
  for (const int n : loop.in_box) open += n == 1 ? 1 : 0;
  const int boxes = loop.boxes + (loop.in_box[b] == 0 ? 1 : 0);
  open += loop.in_box[b] == 0 ? 1 : -1;
  return boxes <= kMaxLoop / 2 && loop.length + 1 + open <= kMaxLoop;
}

void take(const Grid& g, Loop& loop, int cell, int sign) {
  const int b = box_of(cell);
  if (sign > 0 && loop.in_box[b]++ == 0) ++loop.boxes;
  if (sign < 0 && --loop.in_box[b] == 0) --loop.boxes;
  const auto ab = static_cast<DigitSet>((1U << loop.a) | (1U << loop.b));
  const auto more = static_cast<DigitSet>(g.candidates[cell] & ~ab);
  if (more == 0) return;
  loop.extra_cells += sign;
  if (sign > 0) loop.extra_digits |= more;
  if (loop.extra_cells == 0) loop.extra_digits = 0;
}

bool boxes_hold_pairs(const Loop& loop) {
  for (const int n : loop.in_box) {
    if (n != 0 && n != 2) return false;
  }
  return true;
}

// What a loop's length adds to the technique's base rating (the sink's
// floor), in tenths.
int length_added(int length) {
  return length <= 6 ? 0 : length == 8 ? 1 : 2;
}

bool offer_loop(const Grid& g, const Loop& loop, Sink& sink) {
  const auto ab = static_cast<DigitSet>((1U << loop.a) | (1U << loop.b));
  CellSet extras;
  DigitSet extra_digits = 0;
  bool one_extra_each = true;
  for (int k = 0; k < loop.length; ++k) {
    const int cell = loop.cells[k];
    const auto more = static_cast<DigitSet>(g.candidates[cell] & ~ab);
    if (more == 0) continue;
    add(extras, cell);
    extra_digits |= more;
    one_extra_each = one_extra_each && digit_count(more) == 1;
  }
  Step step;
  step.digits = ab;
  step.cells = loop.set;
  if (count(extras) == 1) {
    step.removed[first(extras)] = ab;
    step.type = 1;
    step.rating = sink.floor + length_added(loop.length);
    return sink.offer(step);
  }
  if (count(extras) == 2) {
    Roof roof;
    roof.ab = ab;
    roof.e1 = first(extras);
    remove(extras, roof.e1);
    roof.e2 = first(extras);
    add(extras, roof.e1);
    roof.pattern = step;
    roof.pattern.type = 3;
    roof.added = length_added(loop.length);
    if (offer_type_3(g, roof, sink)) return true;
  }
  if (!one_extra_each || digit_count(extra_digits) != 1) return false;
  CellSet seen = {~std::uint64_t{0}, ~std::uint64_t{0}};
  for (CellSet rest = extras; !empty(rest);) {
    seen = seen & geometry().peers[take_first(rest)];
  }
  seen = minus(seen, loop.set);
  bool removes = false;
  while (!empty(seen)) {
    const int cell = take_first(seen);
    if ((g.candidates[cell] & extra_digits) != 0) {
      step.removed[cell] = extra_digits;
      removes = true;
    }
  }
  step.type = 2;
  step.rating = sink.floor + length_added(loop.length) + 1;
  return removes && sink.offer(step);
}

// Extends the loop from its last cell along a row (`by_row`) or a column;
// closes it when the last cell meets the first along the other kind.
bool extend(const Grid& g, const CellSet& carriers, Loop& loop, bool by_row,
            Sink& sink) {
  const int last = loop.cells[loop.length - 1];
  const int start = loop.cells[0];
  if (loop.length >= 6 && loop.length % 2 == 0 &&
      (by_row ? row_of(last) == row_of(start)
              : column_of(last) == column_of(start)) &&
      boxes_hold_pairs(loop) && offer_loop(g, loop, sink)) {
    return true;
  }
  if (loop.length == kMaxLoop) return false;
  const int unit =
      by_row ? kRowUnit + row_of(last) : kColumnUnit + column_of(last);
  CellSet next = minus(geometry().unit_set[unit] & carriers, loop.set);
  while (!empty(next)) {
    const int cell = take_first(next);
    // Each loop is found from its lowest cell.
    if (cell < start || !may_take(g, loop, cell) ||
        !box_allows(loop, box_of(cell))) {
      continue;
    }
    loop.cells[loop.length++] = cell;
    add(loop.set, cell);
    take(g, loop, cell, 1);
    const bool done = extend(g, carriers, loop, !by_row, sink);
    take(g, loop, cell, -1);
    remove(loop.set, cell);
    --loop.length;
    if (done) return true;
  }
  return false;
}

bool loops_of(const Grid& g, int a, int b, Sink& sink) {
  CellSet carriers = positions(g, a) & positions(g, b);
  if (count(carriers) < 6) return false;
  for (CellSet rest = carriers; !empty(rest);) {
    Loop loop;
    loop.a = a;
    loop.b = b;
    loop.cells[0] = take_first(rest);
    loop.length = 1;
    add(loop.set, loop.cells[0]);
    take(g, loop, loop.cells[0], 1);
    if (extend(g, carriers, loop, true, sink)) return true;
  }
  return false;
}

}  // namespace

void find_unique_loop(const Grid& g, Sink& sink) {
  for (int a = 1; a <= 9; ++a) {
    for (int b = a + 1; b <= 9; ++b) {
      if (loops_of(g, a, b, sink)) return;
    }
  }
}

}  // namespace logic
