#include "logic/propagation.h"

#include <cstring>

namespace logic {

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

namespace {

std::uint32_t mix(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352DU;
  x ^= x >> 15;
  x *= 0x846CA68BU;
  x ^= x >> 16;
  return x;
}

std::uint32_t mix(std::uint32_t a, std::uint32_t b) {
  return mix(a * 0x9E3779B9U + b + 0x632BE5ABU);
}

// Of each candidate of g, the sums of the keys of its cell's other digits
// and of its digit's other places in its row, column and box; the row's
// and column's taken as a pair without order (a transposition swaps
// them).
void refine(const Grid& g, const std::uint32_t (&key)[81][10],
            std::uint32_t (&next)[81][10]) {
  const Geometry& geo = geometry();
  for (int cell = 0; cell < 81; ++cell) {
    std::uint32_t in_cell = 0;
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      in_cell += mix(key[cell][lowest_digit(rest)]);
    }
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest);
      std::uint32_t sums[3] = {0, 0, 0};
      for (int k = 0; k < 3; ++k) {
        for (const int other : geo.unit_cells[geo.cell_units[cell][k]]) {
          if (other != cell && carries(g.candidates[other], d)) {
            sums[k] += mix(key[other][d]);
          }
        }
      }
      const std::uint32_t lines = mix(sums[0]) + mix(sums[1]);
      next[cell][d] = mix(mix(key[cell][d], in_cell - mix(key[cell][d])),
                          mix(lines, sums[2]));
    }
  }
}

}  // namespace

void candidate_keys(const Grid& g, std::uint32_t (&key)[kNodes]) {
  std::uint32_t at[81][10] = {};
  std::uint32_t next[81][10] = {};
  for (int cell = 0; cell < 81; ++cell) {
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      at[cell][lowest_digit(rest)] = 1;
    }
  }
  // Four rounds: a candidate's key then reflects the grid some four links
  // around it, enough to tell apart almost every two candidates that no
  // symmetry of the grid maps onto each other.
  for (int round = 0; round < 4; ++round) {
    refine(g, at, next);
    std::memcpy(at, next, sizeof at);
  }
  for (int cell = 0; cell < 81; ++cell) {
    for (int d = 1; d <= 9; ++d) {
      key[node_of(cell, d, false)] = mix(at[cell][d], 0);
      key[node_of(cell, d, true)] = mix(at[cell][d], 1);
    }
  }
}

namespace {

int depth_of(const Propagation& p, const int* parents, int n, int weight) {
  int deepest = 0;
  for (int k = 0; k < n; ++k) {
    if (p.depth[parents[k]] > deepest) deepest = p.depth[parents[k]];
  }
  return deepest + weight < 255 ? deepest + weight : 255;
}

// A node's derived[] mark: queued, or drained already (no longer
// rederived another way).
constexpr std::uint8_t kQueued = 1;
constexpr std::uint8_t kDrained = 2;

template <typename Node>
std::uint32_t key_sum(const Context& c, const Node* nodes, int n) {
  std::uint32_t sum = 0;
  for (int k = 0; k < n; ++k) sum += c.key[nodes[k]];
  return sum;
}

// Whether the way (parents, depth, weight) derives a queued node better
// than the way it was derived: shallower, lighter, fewer parents, then the
// smaller sum of keys.
bool is_better(const Context& c, const Propagation& p, int node,
               const int* parents, int n, int depth, int weight) {
  if (depth != p.depth[node]) return depth < p.depth[node];
  if (weight != p.weight[node]) return weight < p.weight[node];
  if (n != p.parent_count[node]) return n < p.parent_count[node];
  const std::uint16_t* old_parents = p.pool + p.first_parent[node];
  int old[kMaxNestedParents];
  for (int k = 0; k < n; ++k) old[k] = old_parents[k];
  const std::uint32_t sum = key_sum(c, parents, n);
  const std::uint32_t old_sum = key_sum(c, old, n);
  if (sum != old_sum) return sum < old_sum;
  // Alike to the keys (a grid with a symmetry, or one the refinement does
  // not see through): the way resting on fewer nodes.
  std::uint8_t seen[kNodes];
  return ancestors(p, parents, n, seen) < ancestors(p, old, n, seen);
}

void set_parents(Propagation& p, int node, const int* parents, int n, int depth,
                 int weight) {
  p.depth[node] = static_cast<std::uint8_t>(depth);
  p.weight[node] = static_cast<std::uint16_t>(weight);
  p.parent_count[node] = static_cast<std::uint8_t>(n);
  p.first_parent[node] = static_cast<std::uint16_t>(p.pool_size);
  for (int k = 0; k < n; ++k) {
    p.pool[p.pool_size++] = static_cast<std::uint16_t>(parents[k]);
  }
}

// A contradiction met, kept for the choice at the layer's end: the nodes
// an empty cell or unit rests on; a conflict's nodes (the node derived
// first, then the parents of its opposite); or the node derived whose
// opposite was, whose parents are read at the choice (each of the two
// derived by the rule's way).
enum MetKind : std::uint8_t { kEmpty, kConflict, kConflictAt };

void meet(Propagation& p, const int* nodes, int n, MetKind kind) {
  if (p.met_count == kMaxMet) return;
  int* met = p.met[p.met_count];
  int size = 0;
  for (int k = 0; k < n && size <= kMaxCause; ++k) met[size++] = nodes[k];
  p.met_size[p.met_count] = size;
  p.met_kind[p.met_count] = kind;
  ++p.met_count;
}

// A cell or unit left empty. Its last removals, drained in one layer in
// some order, each leave the others' single true against it, drained or
// not: those conflicts are met too, whatever the order.
void meet_empty(Propagation& p, const int* parents, int n) {
  meet(p, parents, n, kEmpty);
  int deepest = 0;
  for (int k = 0; k < n; ++k) {
    if (p.depth[parents[k]] > deepest) deepest = p.depth[parents[k]];
  }
  for (int k = 0; k < n; ++k) {
    if (p.depth[parents[k]] != deepest) continue;
    int nodes[kMaxParents + 1];
    int size = 0;
    nodes[size++] = parents[k];
    for (int j = 0; j < n; ++j) {
      if (j != k) nodes[size++] = parents[j];
    }
    meet(p, nodes, size, kConflict);
  }
}

// Met contradiction m made the propagation's.
void take_met(Propagation& p, int m) {
  p.conflict = p.met_kind[m] != kEmpty;
  if (p.met_kind[m] != kConflictAt) {
    for (int k = 0; k < p.met_size[m]; ++k) p.contradiction[k] = p.met[m][k];
    p.contradiction_size = p.met_size[m];
    return;
  }
  const int node = p.met[m][0];
  p.contradiction[0] = node ^ 1;
  int size = 1;
  const std::uint16_t* parents = p.pool + p.first_parent[node];
  for (int k = 0; k < p.parent_count[node] && size <= kMaxCause; ++k) {
    p.contradiction[size++] = parents[k];
  }
  p.contradiction_size = size;
}

}  // namespace

void derive(const Context& c, Propagation& p, int node, const int* parents,
            int n, int weight) {
  if (p.contradiction_size != 0) return;
  if (p.derived[node] != 0) {
    // Derived in this layer and not drained yet: another way to it may be
    // the one the rule prefers.
    if (p.derived[node] != kQueued || c.key == nullptr) return;
    const int depth = depth_of(p, parents, n, weight);
    if (!is_better(c, p, node, parents, n, depth, weight)) return;
    if (p.pool_size + n > kParentPool) return;
    set_parents(p, node, parents, n, depth, weight);
    return;
  }
  const bool conflict = p.derived[node ^ 1] != 0;  // both true and false
  const int depth = depth_of(p, parents, n, weight);
  if ((!conflict && c.max_depth > 0 && depth > c.max_depth) ||
      p.pool_size + n > kParentPool) {  // the pool: never, but for patterns
    p.cut = true;
    return;
  }
  p.derived[node] = kQueued;
  set_parents(p, node, parents, n, depth, weight);
  p.queue[p.tail++] = static_cast<std::uint16_t>(node);
  if (conflict) meet(p, &node, 1, kConflictAt);
}

namespace {

void on_true(const Context& c, Propagation& p, int cell, int d) {
  const int node = node_of(cell, d, true);
  p.assigned[cell] = static_cast<std::uint8_t>(d);
  for (const int u : geometry().cell_units[cell]) {
    p.places.settled[u] |= static_cast<DigitSet>(1U << d);
  }
  // What it would make false is deeper than the bound; a contradiction met
  // there rests on more nodes than a conclusion may.
  if (c.max_depth > 0 && p.depth[node] >= c.max_depth) {
    p.cut = true;
    return;
  }
  if (c.mode != Mode::kNishio) {
    const DigitSet others =
        static_cast<DigitSet>(p.g.candidates[cell] & ~(1U << d));
    for (DigitSet rest = others; rest != 0; rest &= rest - 1) {
      derive(c, p, node_of(cell, lowest_digit(rest), false), &node, 1);
    }
  }
  for (const int peer : geometry().peer_list[cell]) {
    if (carries(p.g.candidates[peer], d)) {
      derive(c, p, node_of(peer, d, false), &node, 1);
    }
  }
}

// The cell's single digit left, if the mode reads it there.
void cell_single(const Context& c, Propagation& p, int cell) {
  const DigitSet left = p.g.candidates[cell];
  // Most removals leave a cell with two digits or more: nothing to read,
  // and no parents to gather.
  if (left != 0 && (c.mode == Mode::kNishio || (left & (left - 1)) != 0)) {
    return;
  }
  const DigitSet at_start = c.start->candidates[cell];
  int parents[kMaxParents];
  int n = 0;
  for (DigitSet rest = at_start & ~left; rest != 0; rest &= rest - 1) {
    const int off = node_of(cell, lowest_digit(rest), false);
    if (p.derived[off] != 0 && n < kMaxParents) parents[n++] = off;
  }
  if (left == 0) {
    meet_empty(p, parents, n);
    return;
  }
  if (digit_count(left) != 1 || c.mode == Mode::kNishio) return;
  if (c.mode == Mode::kStatic && digit_count(at_start) != 2) return;
  derive(c, p, node_of(cell, lowest_digit(left), true), parents, n);
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
    meet_empty(p, parents, n);
    return;
  }
  if (places != 1) return;
  if (c.mode == Mode::kStatic && c.places.count[u][d] != 2) return;
  derive(c, p, node_of(place, d, true), parents, n);
}

// The pattern techniques look again where a removal changed the grid.
void dirty(Propagation& p, int cell, int d) {
  const std::uint32_t units = (1U << (kRowUnit + row_of(cell))) |
                              (1U << (kColumnUnit + column_of(cell))) |
                              (1U << (kBoxUnit + box_of(cell)));
  for (std::uint32_t& clean : p.clean_units) clean &= ~units;
  for (DigitSet& clean : p.clean_digits) {
    clean = static_cast<DigitSet>(clean & ~(1U << d));
  }
}

void on_false(const Context& c, Propagation& p, int cell, int d) {
  p.g.candidates[cell] &= static_cast<DigitSet>(~(1U << d));
  if (uses_patterns(c.mode)) dirty(p, cell, d);
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

// The grid the search starts from, nothing derived yet.
void start_from(const Context& c, Propagation& p) {
  p.g = *c.start;
  p.places = c.places;
  for (std::uint8_t& d : p.derived) d = 0;
  p.pool_size = 0;
  p.head = 0;
  p.tail = 0;
  p.contradiction_size = 0;
  p.conflict = false;
  p.met_count = 0;
  p.cut = false;
}

// Of the contradictions met, the one resting on the fewest nodes, then the
// smallest sum of keys (the first met without keys), made the
// propagation's.
void settle_contradiction(const Context& c, Propagation& p) {
  if (p.met_count == 0 || p.contradiction_size != 0) return;
  int chosen = 0;
  if (c.key != nullptr && p.met_count > 1) {
    std::uint8_t seen[kNodes];
    long best = -1;
    for (int m = 0; m < p.met_count; ++m) {
      take_met(p, m);
      const long size = contradiction_size(p, seen);
      const long rank =
          (size << 32) | key_sum(c, p.contradiction, p.contradiction_size);
      if (best < 0 || rank < best) {
        best = rank;
        chosen = m;
      }
    }
  }
  take_met(p, chosen);
  p.met_count = 0;
}

// Layer by layer: at each layer's end, a contradiction met stops it.
void drain(const Context& c, Propagation& p) {
  int layer_end = p.head;
  while (p.contradiction_size == 0) {
    if (p.head == layer_end) {
      settle_contradiction(c, p);
      if (p.contradiction_size != 0 || p.head == p.tail) return;
      layer_end = p.tail;
    }
    const int node = p.queue[p.head++];
    p.derived[node] = kDrained;
    const int cell = cell_of_node(node);
    const int d = digit_of_node(node);
    if ((node & 1) != 0) {
      on_true(c, p, cell, d);
    } else {
      on_false(c, p, cell, d);
    }
  }
}

// The singles, then (with patterns) a pattern whenever they stall, then
// (nested) the inner chains whenever the patterns stall too.
void go_on(const Context& c, Propagation& p) {
  drain(c, p);
  const bool nested = nesting_of(c.mode) > 0;
  while (uses_patterns(c.mode) && p.contradiction_size == 0) {
    if (!derive_pattern(c, p) &&
        !(p.met_count == 0 && nested && derive_nested(c, p))) {
      break;
    }
    drain(c, p);
  }
  settle_contradiction(c, p);
}

}  // namespace

void propagate(const Context& c, Propagation& p, int premise) {
  start_from(c, p);
  for (std::uint8_t& a : p.assigned) a = 0;
  // No table looked at yet (the pattern search looks only at the tables
  // the assumption changed, unless the grid it starts from has patterns).
  for (std::uint32_t& clean : p.clean_units) clean = 0;
  for (DigitSet& clean : p.clean_digits) clean = 0;
  derive(c, p, premise, nullptr, 0);
  go_on(c, p);
}

void propagate_within(const Context& c, const Propagation& outer,
                      Propagation& q, int premise) {
  q.g = outer.g;
  q.places = outer.places;
  std::memcpy(q.assigned, outer.assigned, sizeof q.assigned);
  std::memcpy(q.derived, outer.derived, sizeof q.derived);
  for (int k = 0; k < outer.tail; ++k) {
    const int node = outer.queue[k];
    q.depth[node] = 0;
    q.weight[node] = 0;
    q.parent_count[node] = 0;
  }
  q.pool_size = 0;
  q.head = 0;
  q.tail = 0;
  q.contradiction_size = 0;
  q.conflict = false;
  q.met_count = 0;
  q.cut = false;
  // The outer grid is stalled: its pattern tables were all looked at.
  std::memcpy(q.clean_units, outer.clean_units, sizeof q.clean_units);
  std::memcpy(q.clean_digits, outer.clean_digits, sizeof q.clean_digits);
  derive(c, q, premise, nullptr, 0);
  go_on(c, q);
}

namespace {

constexpr std::size_t kArenaCap = std::size_t{1} << 21;  // 4 MB

void save(const Propagation& p, PropagationCache& cache, int premise) {
  std::vector<std::uint16_t>& a = cache.arena;
  std::size_t need = 3 + static_cast<std::size_t>(p.contradiction_size) +
                     4 * static_cast<std::size_t>(p.tail) +
                     static_cast<std::size_t>(p.pool_size);
  if (a.size() + need > kArenaCap) return;
  cache.entry[premise] = static_cast<int>(a.size());
  a.push_back(static_cast<std::uint16_t>(p.tail));
  a.push_back(static_cast<std::uint16_t>(p.contradiction_size));
  a.push_back(p.conflict ? 1 : 0);
  for (int k = 0; k < p.contradiction_size; ++k) {
    a.push_back(static_cast<std::uint16_t>(p.contradiction[k]));
  }
  for (int k = 0; k < p.tail; ++k) {
    const int node = p.queue[k];
    a.push_back(static_cast<std::uint16_t>(node));
    a.push_back(p.depth[node]);
    a.push_back(p.weight[node]);
    a.push_back(p.parent_count[node]);
    for (int j = 0; j < p.parent_count[node]; ++j) {
      a.push_back(p.pool[p.first_parent[node] + j]);
    }
  }
}

void load(const PropagationCache& cache, int at, Propagation& p) {
  const std::uint16_t* a = cache.arena.data() + at;
  for (std::uint8_t& d : p.derived) d = 0;
  p.head = 0;
  p.tail = *a++;
  p.contradiction_size = *a++;
  p.conflict = *a++ != 0;
  for (int k = 0; k < p.contradiction_size; ++k) p.contradiction[k] = *a++;
  p.pool_size = 0;
  for (int k = 0; k < p.tail; ++k) {
    const int node = *a++;
    p.queue[k] = static_cast<std::uint16_t>(node);
    p.derived[node] = 1;
    p.depth[node] = static_cast<std::uint8_t>(*a++);
    p.weight[node] = *a++;
    p.parent_count[node] = static_cast<std::uint8_t>(*a++);
    p.first_parent[node] = static_cast<std::uint16_t>(p.pool_size);
    for (int j = 0; j < p.parent_count[node]; ++j) p.pool[p.pool_size++] = *a++;
  }
}

}  // namespace

void clear(PropagationCache& cache) {
  cache.arena.clear();
  for (int& e : cache.entry) e = -1;
}

void propagate_cached(const Context& c, PropagationCache& cache, Propagation& p,
                      int premise) {
  if (cache.entry[premise] >= 0) {
    load(cache, cache.entry[premise], p);
    return;
  }
  propagate(c, p, premise);
  save(p, cache, premise);
}

bool has_patterns(const Context& c, Propagation& p) {
  start_from(c, p);
  Context everywhere = c;
  everywhere.start_has_patterns = true;
  return derive_pattern(everywhere, p);
}

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
    total += p.weight[node];
    const std::uint16_t* parents = p.pool + p.first_parent[node];
    for (int k = 0; k < p.parent_count[node]; ++k) {
      const int parent = parents[k];
      if (seen[parent] != 0) continue;
      seen[parent] = 1;
      stack[top++] = static_cast<std::uint16_t>(parent);
    }
  }
  return total;
}

// The chains of a contradiction are read each on its own: the two chains to
// a node and to its opposite, or the chains to each candidate a cell or
// unit loses.
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

}  // namespace logic
