// Forcing chains of many branches, found by propagating an assumption
// through the grid it leaves: Nishio (7.5), multiple forcing chains (8.0)
// and dynamic forcing chains (8.5), each plus the length modifier of the
// chains' nodes.
//
// An assumption (a candidate true or false) is propagated: a digit true in
// a cell makes its other digits and the digit in its peers false; a digit
// false leaves a cell with one digit, or a unit with one place, and that
// digit is true there: read from the grid as the assumption left it
// (dynamic), as it stands (multiple), or for one digit only (Nishio). A
// contradiction (nothing left in a cell or unit, a candidate both true and
// false) makes the assumption false; what every digit of a cell, every
// place of a digit in a unit, or both truths of a candidate make true or
// false is so. A node's parents are the nodes that forced it; a
// conclusion's size, which the length modifier rates, adds up the distinct
// nodes each of its chains rests on (a contradiction: the chains to a node
// and to its opposite).
#include <cstdint>

#include "logic/techniques.h"

namespace logic {

namespace {

constexpr int kNodes = 2 * 9 * 81;
constexpr int kMaxParents = 9;

enum class Mode { kNishio, kStatic, kDynamic };

constexpr int node_of(int cell, int d, bool on) {
  return 2 * (9 * cell + d - 1) + (on ? 1 : 0);
}
constexpr int cell_of_node(int node) {
  return node / 18;
}
constexpr int digit_of_node(int node) {
  return (node / 2) % 9 + 1;
}

// Places of each digit in each unit, and the digits placed there.
struct Places {
  std::uint8_t count[27][10];
  DigitSet settled[27];
};

struct Propagation {
  Grid g;                     // as the assumption leaves it
  std::uint8_t assigned[81];  // digit made true in each cell, 0 for none
  Places places;              // in g, the digits made true counted settled
  std::uint8_t derived[kNodes];
  std::uint8_t parent_count[kNodes];
  std::uint16_t parents[kNodes][kMaxParents];
  std::uint16_t queue[kNodes];
  int head = 0;
  int tail = 0;
  // The nodes a contradiction rests on, when there is one.
  int contradiction[kMaxParents + 1];
  int contradiction_size = 0;
  bool conflict = false;  // [0] derived, the rest forced its opposite
};

// The propagations of one search's branches, owned by its caller (too
// large to copy, and no state kept between searches).
struct Workspace {
  Propagation branch[9];
  std::uint8_t seen[kNodes];
};

struct Context {
  const Grid* start;
  Mode mode;
  Places places;  // in the grid as it stands
  Workspace* work;
};

Places places_of(const Grid& g) {
  Places places{};
  const Geometry& geo = geometry();
  for (int u = 0; u < 27; ++u) {
    places.settled[u] = placed_in(g, u);
    for (const int cell : geo.unit_cells[u]) {
      for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
        ++places.count[u][lowest_digit(rest)];
      }
    }
  }
  return places;
}

void derive(Propagation& p, int node, const int* parents, int n) {
  if (p.contradiction_size != 0 || p.derived[node] != 0) return;
  if (p.derived[node ^ 1] != 0) {  // both true and false
    p.contradiction[0] = node ^ 1;
    for (int k = 0; k < n; ++k) p.contradiction[k + 1] = parents[k];
    p.contradiction_size = n + 1;
    p.conflict = true;
    return;
  }
  p.derived[node] = 1;
  p.parent_count[node] = static_cast<std::uint8_t>(n);
  for (int k = 0; k < n; ++k) {
    p.parents[node][k] = static_cast<std::uint16_t>(parents[k]);
  }
  p.queue[p.tail++] = static_cast<std::uint16_t>(node);
}

void on_true(const Context& c, Propagation& p, int cell, int d) {
  const int node = node_of(cell, d, true);
  p.assigned[cell] = static_cast<std::uint8_t>(d);
  for (const int u : geometry().cell_units[cell]) {
    p.places.settled[u] |= static_cast<DigitSet>(1U << d);
  }
  if (c.mode != Mode::kNishio) {
    const DigitSet others =
        static_cast<DigitSet>(p.g.candidates[cell] & ~(1U << d));
    for (DigitSet rest = others; rest != 0; rest &= rest - 1) {
      derive(p, node_of(cell, lowest_digit(rest), false), &node, 1);
    }
  }
  CellSet peers = geometry().peers[cell];
  while (!empty(peers)) {
    const int peer = take_first(peers);
    if (carries(p.g.candidates[peer], d)) {
      derive(p, node_of(peer, d, false), &node, 1);
    }
  }
}

// The cell's single digit left, if the mode reads it there.
void cell_single(const Context& c, Propagation& p, int cell) {
  const DigitSet left = p.g.candidates[cell];
  const DigitSet at_start = c.start->candidates[cell];
  int parents[kMaxParents];
  int n = 0;
  for (DigitSet rest = at_start & ~left; rest != 0; rest &= rest - 1) {
    const int off = node_of(cell, lowest_digit(rest), false);
    if (p.derived[off] != 0 && n < kMaxParents) parents[n++] = off;
  }
  if (left == 0) {
    for (int k = 0; k < n; ++k) p.contradiction[k] = parents[k];
    p.contradiction_size = n;
    return;
  }
  if (digit_count(left) != 1 || c.mode == Mode::kNishio) return;
  if (c.mode == Mode::kStatic && digit_count(at_start) != 2) return;
  derive(p, node_of(cell, lowest_digit(left), true), parents, n);
}

// The unit's single place left for d, if the mode reads it there.
void unit_single(const Context& c, Propagation& p, int u, int d) {
  const Geometry& geo = geometry();
  int place = -1;
  int places = 0;
  int parents[kMaxParents];
  int n = 0;
  for (const int cell : geo.unit_cells[u]) {
    if (carries(p.g.candidates[cell], d)) {
      place = cell;
      ++places;
    } else if (p.derived[node_of(cell, d, false)] != 0 && n < kMaxParents) {
      parents[n++] = node_of(cell, d, false);
    }
  }
  if (places == 0) {
    for (int k = 0; k < n; ++k) p.contradiction[k] = parents[k];
    p.contradiction_size = n;
    return;
  }
  if (places != 1) return;
  if (c.mode == Mode::kStatic && c.places.count[u][d] != 2) return;
  derive(p, node_of(place, d, true), parents, n);
}

void on_false(const Context& c, Propagation& p, int cell, int d) {
  p.g.candidates[cell] &= static_cast<DigitSet>(~(1U << d));
  if (p.assigned[cell] == 0) cell_single(c, p, cell);
  // A unit is looked at only when the digit is down to one place or none
  // there, and not yet settled.
  for (const int u : geometry().cell_units[cell]) {
    if (p.contradiction_size != 0) return;
    const int left = --p.places.count[u][d];
    if (left <= 1 && !carries(p.places.settled[u], d)) {
      unit_single(c, p, u, d);
    }
  }
}

void propagate(const Context& c, Propagation& p, int premise) {
  p.g = *c.start;
  p.places = c.places;
  for (std::uint8_t& a : p.assigned) a = 0;
  for (std::uint8_t& d : p.derived) d = 0;
  p.head = 0;
  p.tail = 0;
  p.contradiction_size = 0;
  p.conflict = false;
  derive(p, premise, nullptr, 0);
  while (p.head < p.tail && p.contradiction_size == 0) {
    const int node = p.queue[p.head++];
    const int cell = cell_of_node(node);
    const int d = digit_of_node(node);
    if ((node & 1) != 0) {
      on_true(c, p, cell, d);
    } else {
      on_false(c, p, cell, d);
    }
  }
}

// The number of distinct nodes the given ones rest on, themselves included.
int ancestors(const Propagation& p, const int* nodes, int n,
              std::uint8_t (&seen)[kNodes]) {
  for (std::uint8_t& s : seen) s = 0;
  std::uint16_t stack[kNodes];
  int top = 0;
  int total = 0;
  for (int k = 0; k < n; ++k) {
    if (seen[nodes[k]] != 0) continue;
    seen[nodes[k]] = 1;
    stack[top++] = static_cast<std::uint16_t>(nodes[k]);
  }
  while (top > 0) {
    const int node = stack[--top];
    ++total;
    for (int k = 0; k < p.parent_count[node]; ++k) {
      const int parent = p.parents[node][k];
      if (seen[parent] != 0) continue;
      seen[parent] = 1;
      stack[top++] = static_cast<std::uint16_t>(parent);
    }
  }
  return total;
}

// A contradiction's size: its chains counted one by one from the
// assumption, as each is read on its own: the two chains to a node and to
// its opposite, or the chains to each candidate a cell or unit loses.
int contradiction_size(const Propagation& p, std::uint8_t (&seen)[kNodes]) {
  const int* nodes = p.contradiction;
  if (p.conflict) {
    return ancestors(p, nodes, 1, seen) + 1 +
           ancestors(p, nodes + 1, p.contradiction_size - 1, seen);
  }
  int size = 0;
  for (int k = 0; k < p.contradiction_size; ++k) {
    size += ancestors(p, nodes + k, 1, seen);
  }
  return size;
}

// Whether the node, made true or false in the grid, is progress: a digit
// placed in an open cell, or a candidate removed.
bool is_progress(const Grid& g, int node) {
  const int cell = cell_of_node(node);
  return ((g.candidates[cell] >> digit_of_node(node)) & 1U) != 0 &&
         ((node & 1) == 0 || digit_count(g.candidates[cell]) > 1);
}

struct Best {
  Step step;
  bool found = false;
  int base = 0;
  // A step at the base rating: nothing can rate lower, the search stops.
  bool done() const { return found && step.rating <= base; }
};

// Keeps the conclusion `node` (true: a placement; false: an elimination)
// when it rates below the best so far.
void keep(Best& best, int node, int base, int size, const int* premises,
          int n) {
  const int rating = base + length_modifier(size);
  if (best.found && best.step.rating <= rating) return;
  Step& step = best.step;
  step = Step{};
  step.rating = rating;
  const int cell = cell_of_node(node);
  step.digits = static_cast<DigitSet>(1U << digit_of_node(node));
  add(step.cells, cell);
  if ((node & 1) != 0) {
    step.cell = cell;
    step.digit = digit_of_node(node);
  } else {
    step.removed[cell] = step.digits;
  }
  step.nodes = size;
  step.chain_length = n;
  for (int k = 0; k < n; ++k) {
    step.chain[k] = Node{static_cast<std::uint8_t>(cell_of_node(premises[k])),
                         static_cast<std::uint8_t>(digit_of_node(premises[k])),
                         (premises[k] & 1) != 0};
  }
  best.found = true;
}

// Assumptions that contradict themselves: a candidate true (false too in
// dynamic mode) whose propagation meets a contradiction.
void contradictions(const Context& c, int base, Best& best) {
  Workspace& w = *c.work;
  Propagation& p = w.branch[0];
  for (int cell = 0; cell < 81 && !best.done(); ++cell) {
    for (DigitSet rest = c.start->candidates[cell]; rest != 0;
         rest &= rest - 1) {
      const int d = lowest_digit(rest);
      for (const bool on : {true, false}) {
        if (!on && c.mode != Mode::kDynamic) continue;
        propagate(c, p, node_of(cell, d, on));
        if (p.contradiction_size == 0) continue;
        const int size = contradiction_size(p, w.seen);
        const int premise = node_of(cell, d, on);
        keep(best, premise ^ 1, base, size, &premise, 1);
      }
    }
  }
}

// Branches: every premise's propagation; a node that all of them make,
// and that is progress, holds.
void common_conclusions(const Context& c, const int* premises, int n, int base,
                        Best& best) {
  Workspace& w = *c.work;
  for (int b = 0; b < n; ++b) {
    propagate(c, w.branch[b], premises[b]);
    if (w.branch[b].contradiction_size != 0) return;  // a contradiction's
  }
  const Propagation& first_branch = w.branch[0];
  for (int k = 0; k < first_branch.tail; ++k) {
    const int node = first_branch.queue[k];
    if (!is_progress(*c.start, node)) continue;
    bool everywhere = true;
    for (int b = 1; b < n && everywhere; ++b) {
      everywhere = w.branch[b].derived[node] != 0;
    }
    if (!everywhere) continue;
    int size = 0;
    for (int b = 0; b < n; ++b)
      size += ancestors(w.branch[b], &node, 1, w.seen);
    keep(best, node, base, size, premises, n);
  }
}

void cell_and_region_chains(const Context& c, int base, Best& best) {
  const Grid& g = *c.start;
  int premises[9];
  for (int cell = 0; cell < 81 && !best.done(); ++cell) {
    int n = 0;
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      premises[n++] = node_of(cell, lowest_digit(rest), true);
    }
    if (n >= 2) common_conclusions(c, premises, n, base, best);
    if (c.mode == Mode::kDynamic && n > 2) {
      for (int k = 0; k < n; ++k) {
        const int both[2] = {premises[k], premises[k] ^ 1};
        common_conclusions(c, both, 2, base, best);
      }
    }
  }
  for (int u = 0; u < 27 && !best.done(); ++u) {
    for (int d = 1; d <= 9; ++d) {
      CellSet places = positions(g, u, d);
      int n = 0;
      while (!empty(places))
        premises[n++] = node_of(take_first(places), d, true);
      if (n >= 2) common_conclusions(c, premises, n, base, best);
    }
  }
}

// The easiest step of the mode's chains, offered to the sink: the
// contradictions, then (but for Nishio) the chains of many branches.
void find_forcing(const Grid& g, Mode mode, int base, Sink& sink) {
  Workspace work;  // each propagation and count resets what it reads
  const Context c{&g, mode, places_of(g), &work};
  Best best;
  best.base = base;
  contradictions(c, base, best);
  if (mode != Mode::kNishio && !best.done()) {
    cell_and_region_chains(c, base, best);
  }
  if (best.found) sink.offer(best.step);
}

}  // namespace

void find_nishio(const Grid& g, Sink& sink) {
  find_forcing(g, Mode::kNishio, 75, sink);
}

void find_multiple_chain(const Grid& g, Sink& sink) {
  find_forcing(g, Mode::kStatic, 80, sink);
}

void find_dynamic_chain(const Grid& g, Sink& sink) {
  find_forcing(g, Mode::kDynamic, 85, sink);
}

}  // namespace logic
