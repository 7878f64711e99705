// Wings: a pivot cell and two pincers that see it. XY-Wing (4.2): pivot xy,
// pincers xz and yz; whichever the pivot holds, one pincer holds z, so z
// goes from every cell that sees both pincers. XYZ-Wing (4.4): pivot xyz,
// pincers xz and yz; z stands in one of the three, so it goes from every
// cell that sees all three.
#include "logic/techniques.h"

namespace logic {

namespace {

// Offers the eliminations of z from the open cells of `seen` (the cells
// that see every cell of the wing).
bool offer_wing(const Grid& g, int pivot, int a, int b, int z, CellSet seen,
                Sink& sink) {
  Step step;
  bool removes = false;
  while (!empty(seen)) {
    const int cell = take_first(seen);
    if ((g.candidates[cell] >> z) & 1U) {
      step.removed[cell] = static_cast<DigitSet>(1U << z);
      removes = true;
    }
  }
  if (!removes) return false;
  step.rating = sink.floor;
  step.pivot = pivot;
  step.digits = static_cast<DigitSet>(g.candidates[pivot] | (1U << z));
  add(step.cells, pivot);
  add(step.cells, a);
  add(step.cells, b);
  return sink.offer(step);
}

// The open peers of the pivot with two digits that may be pincers: for an
// XY-Wing sharing one digit with the pivot, for an XYZ-Wing two of its.
int pincers_of(const Grid& g, int pivot, bool with_pivot, int (&pincers)[20]) {
  const DigitSet p = g.candidates[pivot];
  CellSet peers = geometry().peers[pivot];
  int n = 0;
  while (!empty(peers)) {
    const int cell = take_first(peers);
    const DigitSet c = g.candidates[cell];
    if (digit_count(c) != 2) continue;
    const DigitSet shared = c & p;
    if (with_pivot ? shared == c : digit_count(shared) == 1) {
      pincers[n++] = cell;
    }
  }
  return n;
}

// The wings of `pivot`: two of its pincers (pincers_of) that share exactly
// one digit z. For an XY-Wing z is not the pivot's and their other digits
// are the pivot's two; for an XYZ-Wing (`with_pivot`) their digits together
// are the pivot's three. z goes from the cells both pincers see, and with
// `with_pivot` the pivot too.
bool wings_at(const Grid& g, int pivot, bool with_pivot, Sink& sink) {
  const Geometry& geo = geometry();
  const DigitSet p = g.candidates[pivot];
  int pincers[20]{};
  const int n = pincers_of(g, pivot, with_pivot, pincers);
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      const DigitSet a = g.candidates[pincers[i]];
      const DigitSet b = g.candidates[pincers[j]];
      const DigitSet z = a & b;
      if (a == b || digit_count(z) != 1) continue;
      if (with_pivot ? (a | b) != p : ((a | b) & ~z) != p || (z & p) != 0) {
        continue;
      }
      CellSet seen = geo.peers[pincers[i]] & geo.peers[pincers[j]];
      if (with_pivot) seen = seen & geo.peers[pivot];
      remove(seen, pivot);
      if (offer_wing(g, pivot, pincers[i], pincers[j], lowest_digit(z), seen,
                     sink)) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

void find_xy_wing(const Grid& g, Sink& sink) {
  for (int pivot = 0; pivot < 81; ++pivot) {
    if (digit_count(g.candidates[pivot]) == 2 &&
        wings_at(g, pivot, false, sink)) {
      return;
    }
  }
}

void find_xyz_wing(const Grid& g, Sink& sink) {
  for (int pivot = 0; pivot < 81; ++pivot) {
    if (digit_count(g.candidates[pivot]) == 3 &&
        wings_at(g, pivot, true, sink)) {
      return;
    }
  }
}

}  // namespace logic
