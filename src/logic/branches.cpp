// The branches of a forcing chain of many, told so that a person can check
// them by eye. The step keeps only its assumptions; each is propagated
// again from the grid the step was found in, in the same mode, and what
// the conclusion rests on is listed in the order it was forced: each node
// follows from the grid and the nodes before it (a single in a cell or a
// unit, or, with patterns, one of the simpler patterns). A node a nested
// chain refuted the opposite of is told with its inner chain's assumption
// and size: "r4c5<>3 [se r4c5=3 => contraddizione, 12 nodi]".
#include <new>

#include "logic/ladder.h"
#include "logic/notation.h"
#include "logic/propagation.h"

namespace logic {

namespace {

// The propagation mode of a technique of many branches, a column of its
// ladder line; kNone for the other techniques.
Mode mode_of(const Step& step) {
  if (step.nodes == 0 || step.chain_length == 0 || step.technique < 0) {
    return Mode::kNone;
  }
  int size = 0;
  return ladder(size)[step.technique].mode;
}

void append_node(Text& t, int node) {
  append_format(t, "r%dc%d%s%d", cell_of_node(node) / 9 + 1,
                cell_of_node(node) % 9 + 1, (node & 1) != 0 ? "=" : "<>",
                digit_of_node(node));
}

int conclusion_of(const Step& step) {
  if (step.cell >= 0) return node_of(step.cell, step.digit, true);
  for (int cell = 0; cell < 81; ++cell) {
    if (step.removed[cell] != 0) {
      return node_of(cell, lowest_digit(step.removed[cell]), false);
    }
  }
  return -1;
}

// What the propagation ran into: a candidate made both true and false, a
// cell left without digits, or a digit left without a place in a unit.
void append_contradiction(Text& t, const Propagation& p) {
  append(t, "contraddizione (");
  const int first = p.contradiction[0];
  const int cell = cell_of_node(first);
  const int d = digit_of_node(first);
  if (p.conflict) {
    append_node(t, first);
    append(t, " e ");
    append_node(t, first ^ 1);
  } else if (p.g.candidates[cell] == 0) {
    append_format(t, "r%dc%d senza cifre", cell / 9 + 1, cell % 9 + 1);
  } else {
    const Geometry& geo = geometry();
    for (const int u : geo.cell_units[cell]) {
      bool place = false;
      for (const int other : geo.unit_cells[u]) {
        place = place || carries(p.g.candidates[other], d);
      }
      if (place) continue;
      append_format(t, "nessun posto per %s%d in ",
                    d == 1 || d == 8 ? "l'" : "il ", d);
      append_unit(t, u);
      break;
    }
  }
  append(t, ")");
}

// One branch: "se r1c6=9: r1c5<>9, r2c4=9, ... => r7c6<>9", or for an
// assumption that contradicts itself "... => contraddizione: ...". False
// when the propagation does not reach the conclusion (never: it is the
// one the step was found with).
bool write_branch(Text& t, const Context& c, Propagation& p, int premise,
                  int conclusion) {
  propagate(c, p, premise);
  std::uint8_t seen[kNodes];
  const bool contradiction = p.contradiction_size != 0;
  if (contradiction) {
    ancestors(p, p.contradiction, p.contradiction_size, seen);
  } else if (p.derived[conclusion] != 0) {
    ancestors(p, &conclusion, 1, seen);
  } else {
    return false;
  }
  // The nodes the line shows: the assumption, those listed and the
  // conclusion (a contradiction has none of its own: what it rests on is
  // listed). The branches' counts add
  // up to the length of a step with one conclusion; a contradiction's
  // length counts each chain whole, and exceeds them.
  int shown = contradiction ? 1 : 2;
  for (int k = 1; k < p.tail; ++k) {
    const int node = p.queue[k];
    shown += seen[node] != 0 && (contradiction || node != conclusion) ? 1 : 0;
  }
  append(t, "se ");
  append_node(t, premise);
  append_format(t, " (%d nodi):", shown);
  const char* separator = " ";
  for (int k = 1; k < p.tail; ++k) {
    const int node = p.queue[k];
    if (seen[node] == 0 || (!contradiction && node == conclusion)) continue;
    append(t, separator);
    append_node(t, node);
    if (p.weight[node] > 1) {
      append(t, " [se ");
      append_node(t, node ^ 1);
      append_format(t, " => contraddizione, %d nodi]", p.weight[node]);
    }
    separator = ", ";
  }
  append(t, " => ");
  if (!contradiction) {
    append_node(t, conclusion);
    return true;
  }
  append_contradiction(t, p);
  return true;
}

}  // namespace

int write_branches(Text& t, const Grid& before, const Step& step,
                   const char* open, const char* close) {
  const Mode mode = mode_of(step);
  if (mode == Mode::kNone) return 0;
  const int conclusion = conclusion_of(step);
  if (conclusion < 0) return 0;
  Context c{&before, mode, places_of(before)};
  auto* p = new (std::nothrow) Propagation[1 + kMaxNesting];
  if (p == nullptr) return 0;
  c.nested = p + 1;
  // The same ways to each node as the search took.
  std::uint32_t keys[kNodes];
  candidate_keys(before, keys);
  c.key = keys;
  c.start_has_patterns = uses_patterns(mode) && has_patterns(c, *p);
  // With patterns, the search bounds the nodes' depth by what the step may
  // rest on, which decides the patterns a branch uses; told with the same
  // bound, a branch lists the nodes the step is rated by.
  if (uses_patterns(mode)) c.max_depth = step.nodes - 1;
  int written = 0;
  for (int k = 0; k < step.chain_length; ++k) {
    const Node& n = step.chain[k];
    const int premise = node_of(n.cell, n.digit, n.on);
    Text branch = t;
    append(branch, open);
    if (!write_branch(branch, c, *p, premise, conclusion)) continue;
    append(branch, close);
    t.length = branch.length;
    ++written;
  }
  delete[] p;
  return written;
}

}  // namespace logic
