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
// Nodes are numbered as propagation.h numbers them. The rating is the
// base of the technique's line of the ladder plus the length modifier: 0.1 for
// each threshold of a geometric ladder (4, 6, 8, 12, 16, 24, ...) that the
// chain's length, its nodes less two, exceeds.
#include <cstdint>

#include "logic/propagation.h"
#include "logic/techniques.h"

namespace logic {

namespace {

constexpr int kMaxEdges = 81 * 9 * 32;

struct Graph {
  std::uint16_t first[kNodes + 1];
  std::uint16_t target[kMaxEdges];
};

// Which links a graph has: those on one digit (X-chains and X-cycles);
// the strong links of two-digit cells only, with every weak link (Y-cycles);
// or all.
enum class Links { kOneDigit, kBivalue, kAll };

// The links out of node (cell, d, on) that the graph has.
int links(const Grid& g, int cell, int d, bool on, Links kind,
          std::uint16_t* out) {
  const bool one_digit = kind == Links::kOneDigit;
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
    if (kind == Links::kBivalue) break;
    const CellSet places = positions(g, u, d);
    if (count(places) != 2) continue;
    CellSet rest = places;
    remove(rest, cell);
    const int other = first(rest);
    out[n++] = static_cast<std::uint16_t>(node_of(other, d, true));
  }
  return n;
}

void build(const Grid& g, Links kind, Graph& graph) {
  int edges = 0;
  for (int node = 0; node < kNodes; ++node) {
    graph.first[node] = static_cast<std::uint16_t>(edges);
    const int cell = cell_of_node(node);
    const int d = digit_of_node(node);
    if (((g.candidates[cell] >> d) & 1U) == 0) continue;
    edges += links(g, cell, d, (node & 1) != 0, kind, graph.target + edges);
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

// The breadth-first search of one chain: each node's parent on it.
struct Paths {
  std::int16_t parent[kNodes];
  std::uint16_t queue[kNodes];
  std::uint8_t depth[kNodes];  // in nodes, the start's 1; of nodes found
  int tail = 0;                // the nodes queued: found, but for `to`
};

// The shortest chain from `from` to `to` in nodes (0: none), its nodes
// left in search.parent; the link from `from` straight to `skip` is not
// taken (a loop must not close on the link it starts with).
int shortest(const Graph& graph, int from, int to, int max_nodes, Paths& search,
             int skip = -1) {
  for (std::int16_t& p : search.parent) p = -1;
  std::uint8_t* depth = search.depth;
  int head = 0;
  int& tail = search.tail;
  tail = 0;
  search.queue[tail++] = static_cast<std::uint16_t>(from);
  search.parent[from] = static_cast<std::int16_t>(from);
  depth[from] = 1;
  while (head < tail) {
    const int node = search.queue[head++];
    if (depth[node] >= max_nodes) return 0;
    for (int e = graph.first[node]; e < graph.first[node + 1]; ++e) {
      const int next = graph.target[e];
      if (search.parent[next] >= 0 || (node == from && next == skip)) {
        continue;
      }
      search.parent[next] = static_cast<std::int16_t>(node);
      depth[next] = static_cast<std::uint8_t>(depth[node] + 1);
      if (next == to) return depth[next];
      search.queue[tail++] = static_cast<std::uint16_t>(next);
    }
  }
  return 0;
}

void record_chain(const Paths& search, int from, int to, int nodes,
                  Step& step) {
  // The path is read backwards from `to`; it is stored from its start.
  int at = to;
  const int kept = nodes < kMaxChain ? nodes : kMaxChain;
  step.chain_length = kept;
  for (int k = nodes - 1; k >= 0; --k) {
    if (k < kMaxChain) {
      step.chain[k] =
          Node{static_cast<std::uint8_t>(cell_of_node(at)),
               static_cast<std::uint8_t>(digit_of_node(at)), (at & 1) != 0};
    }
    if (at == from) break;
    at = search.parent[at];
  }
}

// The chains that end in their start's opposite, each offered to the sink
// when it rates below every one offered before.
void find_chains(const Grid& g, Links kind, Sink& sink) {
  Graph graph;  // filled whole by build; the search resets what it reads
  Paths search;
  build(g, kind, graph);
  int lowest = 1000;  // the rating of the last step offered
  for (int cell = 0; cell < 81; ++cell) {
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest);
      for (const bool assume_on : {true, false}) {
        const int from = node_of(cell, d, assume_on);
        const int to = node_of(cell, d, !assume_on);
        const int nodes = shortest(graph, from, to, 250, search);
        if (nodes == 0) continue;
        const int rating = sink.floor + length_modifier(nodes);
        if (rating > lowest) continue;  // equal ones too: a round wants all
        lowest = rating;
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

// A weak link's eliminations in a loop: the link (x true, y false) has
// exactly one of its two candidates true, both ways round the loop; so a
// cell that sees both (same digit) loses the digit, and a cell holding both
// (two digits) loses its others. Added to `removed`; true when it adds.
bool link_removals(const Grid& g, const Node& x, const Node& y,
                   DigitSet (&removed)[81]) {
  bool adds = false;
  if (x.cell == y.cell) {
    const auto keep = static_cast<DigitSet>((1U << x.digit) | (1U << y.digit));
    const auto gone =
        static_cast<DigitSet>(g.candidates[x.cell] & ~keep & ~removed[x.cell]);
    removed[x.cell] |= gone;
    return gone != 0;
  }
  CellSet seen = geometry().peers[x.cell] & geometry().peers[y.cell];
  while (!empty(seen)) {
    const int cell = take_first(seen);
    if (carries(g.candidates[cell], x.digit) &&
        !carries(removed[cell], x.digit)) {
      removed[cell] |= static_cast<DigitSet>(1U << x.digit);
      adds = true;
    }
  }
  return adds;
}

// A loop's eliminations: those of each of its weak links.
bool loop_removals(const Grid& g, const Step& loop, Step& step) {
  bool removes = false;
  for (int k = 0; k + 1 < loop.chain_length; ++k) {
    const Node& x = loop.chain[k];
    const Node& y = loop.chain[k + 1];
    if (!x.on || y.on) continue;
    removes = link_removals(g, x, y, step.removed) || removes;
  }
  return removes;
}

// The nodes "false" that force candidate (cell, d) true: the cell's other
// digit when it has two, and the digit's other place in a unit that has two.
int strong_partners(const Grid& g, int cell, int d, Links kind, int* out) {
  int n = 0;
  const auto others = static_cast<DigitSet>(g.candidates[cell] & ~(1U << d));
  if (kind != Links::kOneDigit && digit_count(others) == 1) {
    out[n++] = node_of(cell, lowest_digit(others), false);
  }
  if (kind == Links::kBivalue) return n;
  for (const int u : geometry().cell_units[cell]) {
    CellSet places = positions(g, u, d);
    if (count(places) != 2) continue;
    remove(places, cell);
    out[n++] = node_of(first(places), d, false);
  }
  return n;
}

// What the cycles are searched with: the graph, the graph with every link
// reversed, a search ahead from a loop's start and one back from its end.
struct Cycles {
  Graph graph;
  Graph back;
  Paths ahead;
  Paths behind;
};

void reverse(const Graph& graph, Graph& back) {
  int at[kNodes + 1]{};  // the links into each node, then where they go
  const int edges = graph.first[kNodes];
  for (int e = 0; e < edges; ++e) ++at[graph.target[e]];
  int start = 0;
  for (int node = 0; node < kNodes; ++node) {
    back.first[node] = static_cast<std::uint16_t>(start);
    start += at[node];
    at[node] = back.first[node];
  }
  back.first[kNodes] = static_cast<std::uint16_t>(edges);
  for (int node = 0; node < kNodes; ++node) {
    for (int e = graph.first[node]; e < graph.first[node + 1]; ++e) {
      back.target[at[graph.target[e]]++] = static_cast<std::uint16_t>(node);
    }
  }
}

Node node_at(int node) {
  return Node{static_cast<std::uint8_t>(cell_of_node(node)),
              static_cast<std::uint8_t>(digit_of_node(node)), (node & 1) != 0};
}

// The loop of `nodes` nodes through the link u -> v: the way ahead from its
// start to u, then the way back from v to its end, closed on the start.
void loop_through(const Cycles& c, int u, int v, int nodes, Step& step) {
  int k = c.ahead.depth[u] - 1;
  for (int at = u; k >= 0; at = c.ahead.parent[at])
    step.chain[k--] = node_at(at);
  k = c.ahead.depth[u];
  for (int at = v; k < nodes; at = c.behind.parent[at]) {
    step.chain[k++] = node_at(at);
  }
  step.chain[nodes] = step.chain[0];
  step.chain_length = nodes + 1;
}

// Every shortest loop from `from` that closes on `partner` (c.ahead holds
// the search ahead, `nodes` long): one is offered for each weak link on
// some such loop that eliminates what the links before it did not. Which
// shortest way a search meets first depends on the order of the nodes;
// what all of them eliminate together does not. True: the sink wants no
// more; `offered` tells whether any was.
bool offer_loops(const Grid& g, Cycles& c, int from, int partner, int nodes,
                 Step& step, Sink& sink, bool& offered) {
  shortest(c.back, partner, from, nodes + 1, c.behind, from);
  DigitSet covered[81]{};
  for (int q = 0; q < c.ahead.tail; ++q) {
    const int u = c.ahead.queue[q];
    if ((u & 1) == 0) continue;  // a weak link starts true
    for (int e = c.graph.first[u]; e < c.graph.first[u + 1]; ++e) {
      const int v = c.graph.target[e];
      if (c.behind.parent[v] < 0 ||
          c.ahead.depth[u] + c.behind.depth[v] != nodes ||
          (u == from && v == partner) ||
          !link_removals(g, node_at(u), node_at(v), covered)) {
        continue;
      }
      for (DigitSet& gone : step.removed) gone = 0;
      loop_through(c, u, v, nodes, step);
      loop_removals(g, step, step);
      offered = true;
      if (sink.offer(step)) return true;
    }
  }
  return false;
}

// The easiest loops that bring a candidate back to itself, with
// eliminations, offered to the sink: chains from the candidate true to a
// node that forces it true, not by the link the chain starts with.
void find_cycles(const Grid& g, Links kind, Sink& sink) {
  Cycles c;  // filled whole by build; the searches reset what they read
  build(g, kind, c.graph);
  reverse(c.graph, c.back);
  int lowest = 1000;  // the rating of the last step offered
  for (int cell = 0; cell < 81; ++cell) {
    for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest);
      const int from = node_of(cell, d, true);
      int partners[4];
      const int n = strong_partners(g, cell, d, kind, partners);
      for (int k = 0; k < n; ++k) {
        const int nodes = shortest(c.graph, from, partners[k], kMaxChain - 1,
                                   c.ahead, partners[k]);
        if (nodes < 4) continue;
        const int rating = sink.floor + length_modifier(nodes);
        if (rating > lowest) continue;  // equal ones too: a round wants all
        Step step;
        step.rating = rating;
        step.digits = static_cast<DigitSet>(1U << d);
        add(step.cells, cell);
        bool offered = false;
        if (offer_loops(g, c, from, partners[k], nodes, step, sink, offered)) {
          return;
        }
        if (offered) lowest = rating;
      }
    }
  }
}

}  // namespace

void find_x_cycle(const Grid& g, Sink& sink) {
  find_cycles(g, Links::kOneDigit, sink);
}

void find_y_cycle(const Grid& g, Sink& sink) {
  find_cycles(g, Links::kBivalue, sink);
}

void find_cycle(const Grid& g, Sink& sink) {
  find_cycles(g, Links::kAll, sink);
}

void find_x_chain(const Grid& g, Sink& sink) {
  find_chains(g, Links::kOneDigit, sink);
}

void find_forcing_chain(const Grid& g, Sink& sink) {
  find_chains(g, Links::kAll, sink);
}

}  // namespace logic
