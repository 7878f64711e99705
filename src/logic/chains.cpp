// Forcing chains: a candidate assumed true (or false) forces others, link
// by link, until it forces its own opposite; then it is false (or true).
//
// The links are the plain ones, read from the grid as it stands: a digit
// true in a cell makes the cell's other digits false, and the digit false
// in the cell's peers (weak links); a digit false in a cell makes true the
// cell's other digit when the cell has two, and the digit's other place in
// a unit where it has two (strong links). Every link holds in every
// solution, so every deduction is sound.
//
// Nodes are numbered 2 * (9 * cell + digit - 1) + on. The rating is the
// base (6.6 for a chain on one digit, an X-chain; 7.0 otherwise) plus the
// length modifier: 0.1 for each threshold of a geometric ladder (4, 6, 8,
// 12, 16, 24, ...) that the chain's length, its nodes less two, exceeds.
#include <cstdint>

#include "logic/techniques.h"

namespace logic {

namespace {

constexpr int kNodes = 2 * 9 * 81;
constexpr int kMaxEdges = 81 * 9 * 32;

constexpr int node_of(int cell, int d, bool on) {
  return 2 * (9 * cell + d - 1) + (on ? 1 : 0);
}

struct Graph {
  std::uint16_t first[kNodes + 1];
  std::uint16_t target[kMaxEdges];
};

// The links out of node (cell, d, on); with `one_digit`, only those that
// keep the digit.
int links(const Grid& g, int cell, int d, bool on, bool one_digit,
          std::uint16_t* out) {
  const Geometry& geo = geometry();
  int n = 0;
  const DigitSet bit = static_cast<DigitSet>(1U << d);
  const DigitSet others = static_cast<DigitSet>(g.candidates[cell] & ~bit);
  if (on) {
    for (DigitSet rest = one_digit ? 0 : others; rest != 0; rest &= rest - 1) {
      out[n++] =
          static_cast<std::uint16_t>(node_of(cell, lowest_digit(rest), false));
    }
    CellSet peers = geo.peers[cell];
    while (!empty(peers)) {
      const int p = take_first(peers);
      if ((g.candidates[p] & bit) != 0) {
        out[n++] = static_cast<std::uint16_t>(node_of(p, d, false));
      }
    }
    return n;
  }
  if (!one_digit && digit_count(others) == 1) {
    out[n++] =
        static_cast<std::uint16_t>(node_of(cell, lowest_digit(others), true));
  }
  for (const int u : geo.cell_units[cell]) {
    const CellSet places = positions(g, u, d);
    if (count(places) != 2) continue;
    CellSet rest = places;
    remove(rest, cell);
    const int other = first(rest);
    out[n++] = static_cast<std::uint16_t>(node_of(other, d, true));
  }
  return n;
}

void build(const Grid& g, bool one_digit, Graph& graph) {
  int edges = 0;
  for (int node = 0; node < kNodes; ++node) {
    graph.first[node] = static_cast<std::uint16_t>(edges);
    const int cell = node / 18;
    const int d = (node / 2) % 9 + 1;
    if (((g.candidates[cell] >> d) & 1U) == 0) continue;
    edges +=
        links(g, cell, d, (node & 1) != 0, one_digit, graph.target + edges);
  }
  graph.first[kNodes] = static_cast<std::uint16_t>(edges);
}

}  // namespace

int length_modifier(int nodes) {
  int added = 0;
  int ceiling = 4;
  bool odd = false;
  for (int length = nodes - 2; length > ceiling; odd = !odd) {
    ++added;
    ceiling = odd ? ceiling * 4 / 3 : ceiling * 3 / 2;
  }
  return added;
}

namespace {

struct Search {
  std::int16_t parent[kNodes];
  std::uint16_t queue[kNodes];
};

// The shortest chain from `from` to `to` in nodes (0: none), its nodes
// left in search.parent.
int shortest(const Graph& graph, int from, int to, int max_nodes,
             Search& search) {
  for (std::int16_t& p : search.parent) p = -1;
  std::uint8_t depth[kNodes];
  int head = 0;
  int tail = 0;
  search.queue[tail++] = static_cast<std::uint16_t>(from);
  search.parent[from] = static_cast<std::int16_t>(from);
  depth[from] = 1;
  while (head < tail) {
    const int node = search.queue[head++];
    if (depth[node] >= max_nodes) return 0;
    for (int e = graph.first[node]; e < graph.first[node + 1]; ++e) {
      const int next = graph.target[e];
      if (search.parent[next] >= 0) continue;
      search.parent[next] = static_cast<std::int16_t>(node);
      depth[next] = static_cast<std::uint8_t>(depth[node] + 1);
      if (next == to) return depth[next];
      search.queue[tail++] = static_cast<std::uint16_t>(next);
    }
  }
  return 0;
}

void record_chain(const Search& search, int from, int to, int nodes,
                  Step& step) {
  // The path is read backwards from `to`; it is stored from its start.
  int at = to;
  const int kept = nodes < kMaxChain ? nodes : kMaxChain;
  step.chain_length = kept;
  for (int k = nodes - 1; k >= 0; --k) {
    if (k < kMaxChain) {
      step.chain[k] =
          Node{static_cast<std::uint8_t>(at / 18),
               static_cast<std::uint8_t>((at / 2) % 9 + 1), (at & 1) != 0};
    }
    if (at == from) break;
    at = search.parent[at];
  }
}

// The easiest chain that ends in its start's opposite, of rating below
// `best`; offered to the sink.
void find_chains(const Grid& g, bool one_digit, int base, Sink& sink) {
  static thread_local Graph graph;
  static thread_local Search search;
  build(g, one_digit, graph);
  int best = 1000;
  for (int cell = 0; cell < 81; ++cell) {
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest);
      for (const bool assume_on : {true, false}) {
        const int from = node_of(cell, d, assume_on);
        const int to = node_of(cell, d, !assume_on);
        const int nodes = shortest(graph, from, to, 250, search);
        if (nodes == 0) continue;
        const int rating = base + length_modifier(nodes);
        if (rating >= best) continue;
        best = rating;
        Step step;
        step.rating = rating;
        step.digits = static_cast<DigitSet>(1U << d);
        add(step.cells, cell);
        if (assume_on) {
          step.removed[cell] = step.digits;
        } else {
          step.cell = cell;
          step.digit = d;
        }
        record_chain(search, from, to, nodes, step);
        if (sink.offer(step)) return;
      }
    }
  }
}

}  // namespace

void find_x_chain(const Grid& g, Sink& sink) {
  find_chains(g, true, 66, sink);
}

void find_forcing_chain(const Grid& g, Sink& sink) {
  find_chains(g, false, 70, sink);
}

}  // namespace logic
