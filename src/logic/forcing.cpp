// Forcing chains of many branches, found by propagating an assumption
// through the grid it leaves (propagation.h): Nishio, multiple forcing
// chains, dynamic forcing chains, dynamic forcing chains with patterns and
// the nested chains of three levels, one line of the ladder each (its mode
// and base rating), each plus the length modifier of the chains' nodes (a
// nested conclusion counts its inner chains' nodes too).
//
// A contradiction makes the assumption false; what every digit of a cell,
// every place of a digit in a unit, or both truths of a candidate make true
// or false is so. A conclusion's size, which the length modifier rates,
// adds up the distinct nodes each of its chains rests on (a contradiction:
// the chains to a node and to its opposite).
#include <cstdint>
#include <new>

#include "logic/propagation.h"
#include "logic/techniques.h"

namespace logic {

namespace {

// A search's context and workspace. A search for conclusions of at most
// `max_size` nodes (0: any) bounds each branch's depth by what the others
// leave: every branch counts its assumption and the node concluded, and
// one branch at least rests on a pattern (a removal, its cause, the
// assumption), or the plain dynamic chains had found the conclusion
// smaller and rated lower.
struct Search {
  Context c;
  Branches* work;
  int max_size = 0;
};

// The context of a conclusion on n branches (1: a contradiction, whose
// other chain counts at least its node); false when none fits.
bool bounded(const Search& s, int n, Context& c) {
  c = s.c;
  if (s.max_size == 0) return true;
  // One bound for every search, the loosest, so that each premise's
  // propagation serves them all.
  c.max_depth = s.max_size - 1;
  const int others = n == 1 ? 1 : 2 * (n - 1);
  return s.max_size - others >= 3;
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
  int ceiling = 0;  // conclusions must rate below it (0: any)
  // Gathering a round: each conclusion as low as the best so far goes to
  // it, and the search goes on at the base (null: the best alone).
  Sink* round = nullptr;
  // A step at the base rating: nothing can rate lower, the search stops.
  bool done() const { return found && step.rating <= base && round == nullptr; }
};

// Keeps the conclusion `node` (true: a placement; false: an elimination)
// when it rates below the best so far (in a round, as low).
void keep(Best& best, int node, int size, const int* premises, int n) {
  const int rating = best.base + length_modifier(size);
  if (best.found && best.step.rating < rating) return;
  if (best.found && best.step.rating == rating && best.round == nullptr) {
    return;
  }
  if (best.ceiling > 0 && rating >= best.ceiling) return;
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
  if (best.round != nullptr) best.round->offer(step);
}

bool is_dynamic(Mode mode) {
  return mode == Mode::kDynamic || uses_patterns(mode);
}

// Assumptions that contradict themselves: a candidate true (false too in
// the dynamic modes) whose propagation meets a contradiction.
void contradictions(const Search& s, Best& best) {
  Context c;
  if (!bounded(s, 1, c)) return;
  Branches& w = *s.work;
  Propagation& p = w.branch[0];
  for (int cell = 0; cell < 81 && !best.done(); ++cell) {
    for (DigitSet rest = c.start->candidates[cell]; rest != 0;
         rest &= rest - 1) {
      const int d = lowest_digit(rest);
      for (const bool on : {true, false}) {
        if (!on && !is_dynamic(c.mode)) continue;
        propagate_cached(c, w.cache, p, node_of(cell, d, on));
        if (p.contradiction_size == 0) continue;
        const int size = contradiction_size(p, w.seen);
        const int premise = node_of(cell, d, on);
        keep(best, premise ^ 1, size, &premise, 1);
      }
    }
  }
}

// Branches: every premise's propagation; a node that all of them make,
// and that is progress, holds.
void common_conclusions(const Search& s, const int* premises, int n,
                        Best& best) {
  Context c;
  if (!bounded(s, n, c)) return;
  Branches& w = *s.work;
  for (int b = 0; b < n; ++b) {
    propagate_cached(c, w.cache, w.branch[b], premises[b]);
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
    keep(best, node, size, premises, n);
  }
}

void cell_and_region_chains(const Search& s, Best& best) {
  const Grid& g = *s.c.start;
  int premises[9];
  for (int cell = 0; cell < 81 && !best.done(); ++cell) {
    int n = 0;
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      premises[n++] = node_of(cell, lowest_digit(rest), true);
    }
    if (n >= 2) common_conclusions(s, premises, n, best);
    if (is_dynamic(s.c.mode) && n > 2) {
      for (int k = 0; k < n; ++k) {
        const int both[2] = {premises[k], premises[k] ^ 1};
        common_conclusions(s, both, 2, best);
      }
    }
  }
  for (int u = 0; u < 27 && !best.done(); ++u) {
    for (int d = 1; d <= 9; ++d) {
      CellSet places = positions(g, u, d);
      int n = 0;
      while (!empty(places))
        premises[n++] = node_of(take_first(places), d, true);
      if (n >= 2) common_conclusions(s, premises, n, best);
    }
  }
}

// The inner propagations a search of the deeper levels may make, some
// seconds of work.
constexpr std::int64_t kDeepBudget = 2000000;

// The most nodes a conclusion rated below `ceiling` can rest on (0: no
// bound), which no node of such a conclusion is deeper than.
int max_size(int base, int ceiling) {
  if (ceiling == 0) return 0;
  int size = 0;
  while (size < 255 && base + length_modifier(size + 1) < ceiling) ++size;
  return size < 255 ? size : 0;
}

// The easiest step of the mode's chains rated below `ceiling` (0: any),
// offered to the sink: the contradictions (but for the multiple chains),
// then (but for Nishio) the chains of many branches.
void find_forcing(const Grid& g, Mode mode, int base, int ceiling, Sink& sink) {
  if (ceiling > 0 && ceiling <= base) return;  // nothing can rate below
  Workspace own;                               // when the caller has none
  Workspace& ws = sink.work != nullptr ? *sink.work : own;
  if (!ws.branches) ws.branches.reset(new (std::nothrow) Branches);
  if (!ws.branches) {
    ws.out_of_memory = true;
    return;
  }
  Branches& work = *ws.branches;
  clear(work.cache);
  Search s{Context{&g, mode, places_of(g)}, &work, max_size(base, ceiling)};
  s.c.nested = work.nested;
  candidate_keys(g, work.key);
  s.c.key = work.key;
  // The deeper levels grow with the cube of the candidates and more: on a
  // grid where nothing holds (an open grid, one of many solutions) they
  // would not end. Bounded, they give up (the puzzle above the ladder).
  std::int64_t budget = kDeepBudget;
  if (nesting_of(mode) > 1) s.c.budget = &budget;
  work.stalls.count = 0;
  if (nesting_of(mode) == 1) s.c.stalls = &work.stalls;
  if (uses_patterns(mode)) {
    s.c.start_has_patterns = has_patterns(s.c, work.branch[0]);
  }
  Best best;
  best.base = base;
  best.ceiling = ceiling;
  if (sink.round != nullptr) best.round = &sink;
  // The multiple chains' level holds cell and region chains only: an
  // assumption that contradicts itself is Nishio's (one digit) or the
  // dynamic chains' (any digit), each at its own level.
  if (mode != Mode::kStatic) contradictions(s, best);
  if (mode != Mode::kNishio && !best.done()) cell_and_region_chains(s, best);
  if (best.found && best.round == nullptr) sink.offer(best.step);
}

}  // namespace

void find_forcing_chains(const Grid& g, Sink& sink) {
  // With patterns (and nested), tried only when the steps found so far rate
  // above the base: a step there is of use only below the best of those, which
  // bounds its size.
  const bool bounded = uses_patterns(sink.mode) && sink.found;
  // In a round, one as low as those is of use too.
  const int ceiling = sink.best.rating + (sink.round != nullptr ? 1 : 0);
  // The deeper levels are a last resort: each of their inner assumptions
  // is a whole propagation of the level below, some hundred times the
  // cost, so they are looked for only when nothing below found a step.
  // A path that takes the first level's step instead rates no lower.
  if (nesting_of(sink.mode) > 1 && sink.found) return;
  find_forcing(g, sink.mode, sink.floor, bounded ? ceiling : 0, sink);
}

}  // namespace logic
