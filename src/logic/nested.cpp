// The inner chains of the nested modes: once the singles and the patterns
// of a branch stall, every candidate of the grid it left is assumed true,
// then false, and propagated one level down from there (propagate_within);
// an assumption that meets a contradiction is false, and its opposite is
// derived in the branch.
//
// The inner propagation takes the branch's nodes as given, with no parents
// and no weight, so that its contradiction's ancestors split in two: the
// given nodes it used, which become the conclusion's parents in the
// branch, and the inner propagation's own nodes. The conclusion weighs all
// of these, every node the inner propagation derived before it met the
// contradiction (each with its own weight, each counted twice), not only
// the contradiction's chains: the inner assumption is followed blind, and what
// a reader must follow to find its contradiction is what makes the step hard. A
// branch's size thus counts every inner search it rests on, and grows
// with each level.
//
// All the inner conclusions of one look are derived before the singles go
// on: each rests only on nodes the branch had, so the order does not
// matter, and one look serves them all.
#include "logic/propagation.h"

namespace logic {

namespace {

// Each inner node counts twice: once as the inner search derives it
// blind, once as the refutation is read back into the branch. Once only,
// the forum's 11+ list read 10.7 to 10.9 (it is 11 and above on the
// scale), and AI Escargot 10.8 against 10.5.
constexpr int kInnerCount = 2;

// The premises of one look known to meet no contradiction one level
// down, so not propagated again: every node of a plain dynamic inner
// propagation that met none. Its singles are read again at every removal,
// and what they read only shrinks, so a node y that x's propagation
// derives propagates within x's: y's own propagation derives nothing x's
// does not, and meets no contradiction either. A refutation found later in
// the look derives the opposite of its premise into the branch, unapplied;
// that premise was not in the set (else it had not been propagated), so no
// propagation of the set derived it, none can meet the new node as a
// contradiction, and none derives more than before: the set stays true.
// A premise skipped so is refuted by nothing, as it would have been, and
// the rating and the path are those of the whole look.
bool has(const NodeSet& s, int node) {
  return ((s.word[node >> 6] >> (node & 63)) & 1U) != 0;
}

void add(NodeSet& s, int node) {
  s.word[node >> 6] |= std::uint64_t{1} << (node & 63);
}

bool within(const NodeSet& a, const NodeSet& b) {
  std::uint64_t out = 0;
  for (int k = 0; k < (kNodes + 63) / 64; ++k) out |= a.word[k] & ~b.word[k];
  return out == 0;
}

// A first-level look may start from what a branch of the same search that
// stalled for good with more nodes (S', unbounded, no contradiction, no
// derivation refused) knew: from a grid S whose nodes are all in S', a
// plain dynamic propagation derives nothing outside S' and the
// propagation of the same premise in S' (the singles it reads in S are
// read at the same removals in S', which S' has all made), so every node
// of S' and every premise S''s last look found free of contradiction
// meets none from S either. Each such propagation's nodes are in the same
// union, so the set stays true as the look goes on (above).
void seed(const Stalls& stalls, const NodeSet& nodes, NodeSet& consistent) {
  for (int e = 0; e < stalls.count; ++e) {
    if (!within(nodes, stalls.nodes[e])) continue;
    for (int k = 0; k < (kNodes + 63) / 64; ++k) {
      consistent.word[k] |=
          stalls.nodes[e].word[k] | stalls.consistent[e].word[k];
    }
  }
}

void keep_stall(Stalls& stalls, const NodeSet& nodes,
                const NodeSet& consistent) {
  if (stalls.count == Stalls::kMax) return;
  stalls.nodes[stalls.count] = nodes;
  stalls.consistent[stalls.count] = consistent;
  ++stalls.count;
}

// The given nodes the inner contradiction of q rests on, into `parents`
// (false when there are more than a node may have).
bool given_parents(const Propagation& outer, const Propagation& q,
                   std::uint8_t (&seen)[kNodes], int* parents, int& n) {
  ancestors(q, q.contradiction, q.contradiction_size, seen);
  n = 0;
  for (int k = 0; k < outer.tail; ++k) {
    const int node = outer.queue[k];
    if (seen[node] == 0) continue;
    if (n == kMaxNestedParents) return false;
    parents[n++] = node;
  }
  return true;
}

// The assumption `premise`, propagated one level down from p; its opposite
// derived in p when it meets a contradiction.
bool refute(const Context& inner, const Context& c, Propagation& p,
            Propagation& q, int premise) {
  propagate_within(inner, p, q, premise);
  if (q.contradiction_size == 0) return false;
  std::uint8_t seen[kNodes];
  int size = 0;  // the inner propagation's weight (the given ones are not in
                 // its queue)
  for (int k = 0; k < q.tail; ++k) size += q.weight[q.queue[k]];
  size *= kInnerCount;
  int parents[kMaxNestedParents];
  int n = 0;
  if (!given_parents(p, q, seen, parents, n)) return false;
  derive(c, p, premise ^ 1, parents, n, size < 65535 ? size : 65535);
  return p.derived[premise ^ 1] != 0;
}

}  // namespace

namespace {

// What one look at a stalled branch carries from premise to premise.
struct Look {
  Context inner;
  Propagation* q;
  NodeSet consistent;
  bool plain;  // the inner propagations plain dynamic ones
  bool found;
};

// The premise's inner propagation, unless known to meet no contradiction;
// true when the look ends (the budget spent, or the branch contradicted).
// A premise skipped spends the budget as one propagated: where the deeper
// levels give up stays where it was.
bool look_at(const Context& c, Propagation& p, Look& look, int premise) {
  if (c.budget != nullptr && (*c.budget)-- <= 0) return true;
  if (has(look.consistent, premise)) return false;
  Propagation& q = *look.q;
  if (refute(look.inner, c, p, q, premise)) {
    look.found = true;
  } else if (look.plain && q.contradiction_size == 0) {
    for (int k = 0; k < q.tail; ++k) add(look.consistent, q.queue[k]);
  }
  if (p.contradiction_size == 0) return false;
  look.found = true;
  return true;
}

}  // namespace

bool derive_nested(const Context& c, Propagation& p) {
  const int level = nesting_of(c.mode);
  if (level == 0 || c.nested == nullptr) return false;
  Look look{c, &c.nested[level - 1], NodeSet{}, false, false};
  look.inner.mode = mode_below(c.mode);
  // Unbounded: a refutation weighs its whole inner propagation, which a
  // bound on the outer size must not cut short (the same refutation would
  // weigh less under a tighter bound).
  look.inner.max_depth = 0;
  look.plain = look.inner.mode == Mode::kDynamic;
  // The first level's looks use the stalls of their search; one kept must
  // have left no node underived (a grid that could hold a single not read).
  const bool stalls = look.plain && c.stalls != nullptr && c.budget == nullptr;
  NodeSet nodes{};
  if (stalls) {
    for (int k = 0; k < p.tail; ++k) add(nodes, p.queue[k]);
    seed(*c.stalls, nodes, look.consistent);
  }
  for (int cell = 0; cell < 81; ++cell) {
    if (p.assigned[cell] != 0) continue;
    for (DigitSet rest = p.g.candidates[cell]; rest != 0; rest &= rest - 1) {
      const int d = lowest_digit(rest);
      for (const bool on : {true, false}) {
        const int premise = node_of(cell, d, on);
        if (p.derived[premise] != 0 || p.derived[premise ^ 1] != 0) continue;
        if (look_at(c, p, look, premise)) return look.found;
      }
    }
  }
  if (stalls && !look.found && !p.cut) {
    keep_stall(*c.stalls, nodes, look.consistent);
  }
  return look.found;
}

}  // namespace logic
