// The nested forcing chains: a branch that, once its singles and patterns
// stall, refutes an assumption of the grid it left by a chain one level
// down; the weight such a refutation adds to the size; and the deeper
// levels, looked for only when nothing below found a step.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "logic/ladder.h"
#include "logic/notation.h"
#include "logic/propagation.h"
#include "logic/solution.h"
#include "logic/techniques.h"
#include "logic_support.h"

namespace {

using logic::Grid;
using logic::Sink;
using logic::Step;

constexpr const char* kEscargot =
    "1....7.9..3..2...8..96..5....53..9...1..8...26....4...3......1..4......7.."
    "7...3..";

// Walks the puzzle's path up to its first step of the ladder line `slug`
// (at most `limit` steps), leaving the grid before it.
bool walk_to(const char* puzzle, const char* slug, int limit, Grid& g,
             Step& step) {
  g = logic::make_grid(test::digits_of(puzzle));
  const int row = logic::row_of(slug);
  for (int s = 0; s < limit; ++s) {
    if (!logic::next_step(g, logic::kAllTechniques, step)) return false;
    if (step.technique == row) return true;
    logic::apply(g, step);
  }
  return false;
}

void find_as(const char* slug, const Grid& g, Sink& sink) {
  const Sink line = logic::sink_for(logic::row_of(slug));
  sink.technique = line.technique;
  sink.floor = line.floor;
  sink.mode = line.mode;
  logic::find_forcing_chains(g, sink);
}

bool sound(const char* puzzle, const Step& step) {
  base::Puzzle solution{};
  return logic::solve(test::digits_of(puzzle), solution) ==
             logic::Solutions::kOne &&
         logic::is_sound(step, solution);
}

// AI Escargot's path reaches its first nested step after 8 steps: an
// assumption whose branch, once its singles and patterns stall, refutes
// assumptions of its own by plain dynamic chains, and meets a
// contradiction. The dynamic chains with patterns find nothing there.
TEST(NestedTest, TheFirstLevelRefutesInsideABranch) {
  Grid g;
  Step step;
  ASSERT_TRUE(walk_to(kEscargot, "nested-forcing-chain", 20, g, step));
  EXPECT_EQ(step.rating, 107);
  EXPECT_EQ(step.rating, 95 + logic::length_modifier(step.nodes));
  EXPECT_TRUE(sound(kEscargot, step));
  Sink plus;
  find_as("dynamic-forcing-chain-plus", g, plus);
  EXPECT_FALSE(plus.found);

  // The branch tells each inner refutation it rests on, and the size
  // counts their weight: more than the branch's own nodes.
  char buffer[65536];
  logic::Text t{buffer, sizeof buffer};
  ASSERT_EQ(logic::write_branches(t, g, step, "\n", ""), step.chain_length);
  const std::string told(buffer, t.length);
  EXPECT_NE(told.find(" => contraddizione, "), std::string::npos) << told;
  int nodes = 1;
  for (const char c : told) nodes += c == ',' ? 1 : 0;
  EXPECT_GT(step.nodes, nodes) << told;
}

// The deeper levels cost a level's whole propagation for each inner
// assumption: once a line below found a step, they are not looked for.
TEST(NestedTest, TheDeeperLevelsOnlyWhenNothingBelowFound) {
  Grid g;
  Step step;
  ASSERT_TRUE(walk_to(kEscargot, "nested-forcing-chain", 20, g, step));
  Sink below;
  find_as("nested-forcing-chain", g, below);
  ASSERT_TRUE(below.found);
  for (const char* slug :
       {"nested-forcing-chain-2", "nested-forcing-chain-3"}) {
    Sink deeper = below;
    find_as(slug, g, deeper);
    EXPECT_EQ(deeper.offered, below.offered) << slug;
  }
}

// Alone, each deeper level finds a sound step, rated from its own base: a
// solved grid with its first box open (a few candidates, so that even the
// third level's inner propagations are cheap).
TEST(NestedTest, EachDeeperLevelRatesFromItsBase) {
  base::Puzzle solution{};
  ASSERT_EQ(logic::solve(test::digits_of(kEscargot), solution),
            logic::Solutions::kOne);
  base::Puzzle open = solution;
  for (const int cell : {0, 1, 2, 9, 10, 11, 18, 19, 20}) open.cell[cell] = 0;
  const Grid g = logic::make_grid(open);
  const struct {
    const char* slug;
    int base;
  } kLevels[] = {{"nested-forcing-chain", 95},
                 {"nested-forcing-chain-2", 100},
                 {"nested-forcing-chain-3", 105}};
  for (const auto& level : kLevels) {
    Sink alone;
    find_as(level.slug, g, alone);
    ASSERT_TRUE(alone.found) << level.slug;
    EXPECT_EQ(alone.best.rating,
              level.base + logic::length_modifier(alone.best.nodes))
        << level.slug;
    EXPECT_TRUE(logic::is_sound(alone.best, solution)) << level.slug;
  }
}

// Whether every node `inner` derived is derived in `wide`.
bool inside(const logic::Propagation& inner, const logic::Propagation& wide) {
  for (int k = 0; k < inner.tail; ++k) {
    if (wide.derived[inner.queue[k]] == 0) return false;
  }
  return true;
}

// Each node y of `wide` that is a premise in the stalled grid of p,
// propagated plainly from there into q: it must meet no contradiction and
// derive only nodes of `wide`. The count checked, -1 at the first failure.
int within_wide(const logic::Context& inner, const logic::Propagation& p,
                const logic::Propagation& wide, logic::Propagation& q,
                int from) {
  int checked = 0;
  for (int k = from; k < wide.tail; ++k) {
    const int y = wide.queue[k];
    if (p.derived[y] != 0 || p.derived[y ^ 1] != 0) continue;
    logic::propagate_within(inner, p, q, y);
    if (q.contradiction_size != 0 || !inside(q, wide)) {
      ADD_FAILURE() << "node " << y;
      return -1;
    }
    ++checked;
  }
  return checked;
}

struct Branch {
  Grid g;
  logic::Context outer;
  logic::Context inner;
  std::unique_ptr<logic::Branches> work;
};

// The branches of AI Escargot's grid before its first nested step: with
// patterns, unbounded; and their inner chains, plain.
void escargot_branches(Branch& b) {
  Step step;
  ASSERT_TRUE(walk_to(kEscargot, "nested-forcing-chain", 20, b.g, step));
  b.outer =
      logic::Context{&b.g, logic::Mode::kDynamicPlus, logic::places_of(b.g)};
  b.inner = b.outer;
  b.inner.mode = logic::Mode::kDynamic;
  b.work = std::make_unique<logic::Branches>();
}

// A look at a stalled branch does not propagate again an inner premise
// that a plain dynamic propagation of the same look derived without a
// contradiction: its own propagation derives nothing more and meets no
// contradiction either. Checked on the nodes of such propagations from
// the stalled branches of a true premise in every other cell.
TEST(NestedTest, APlainPropagationsNodesMeetNoContradictionOfTheirOwn) {
  Branch b;
  escargot_branches(b);
  logic::Propagation& p = b.work->branch[0];
  logic::Propagation& q = b.work->branch[1];
  int checked = 0;
  for (int premise = 1; premise < logic::kNodes && checked < 2000;
       premise += 38) {
    if (!logic::carries(b.g.candidates[logic::cell_of_node(premise)],
                        logic::digit_of_node(premise))) {
      continue;
    }
    logic::propagate(b.outer, p, premise);
    if (p.contradiction_size != 0) continue;
    for (int x = 0; x < logic::kNodes && checked < 2000; ++x) {
      if (p.derived[x] != 0 || p.derived[x ^ 1] != 0 ||
          !logic::carries(p.g.candidates[logic::cell_of_node(x)],
                          logic::digit_of_node(x))) {
        continue;
      }
      logic::propagate_within(b.inner, p, q, x);
      if (q.contradiction_size != 0) continue;
      const logic::Propagation wide = q;
      const int n = within_wide(b.inner, p, wide, b.work->branch[2], 1);
      ASSERT_GE(n, 0) << "premise " << x;
      checked += n;
    }
  }
  EXPECT_GT(checked, 100);
}

// A look at a branch's stalled grid S may take from a stalled branch S'
// that holds all of S's nodes: every node of S' meets no contradiction
// from S, and derives only nodes of S'. Checked for each true premise's
// branch (S') against the branches of the eliminations it makes in its
// own cell (S) that lie inside it.
TEST(NestedTest, AStalledBranchAnswersForTheBranchesInsideIt) {
  Branch b;
  escargot_branches(b);
  logic::Propagation& wide = b.work->branch[0];
  logic::Propagation& p = b.work->branch[1];
  int checked = 0;
  for (int node = 1; node < logic::kNodes && checked < 3000; node += 2) {
    const int cell = logic::cell_of_node(node);
    if (!logic::carries(b.g.candidates[cell], logic::digit_of_node(node))) {
      continue;
    }
    logic::propagate(b.outer, wide, node);
    if (wide.contradiction_size != 0 || wide.cut) continue;
    for (logic::DigitSet rest = b.g.candidates[cell]; rest != 0;
         rest &= rest - 1) {
      const int off = logic::node_of(cell, logic::lowest_digit(rest), false);
      if (off == (node ^ 1)) continue;
      logic::propagate(b.outer, p, off);
      if (p.contradiction_size != 0 || !inside(p, wide)) continue;
      const int n = within_wide(b.inner, p, wide, b.work->branch[2], 0);
      ASSERT_GE(n, 0) << "premise " << node << " inside " << off;
      checked += n;
    }
  }
  EXPECT_GT(checked, 100);
}

}  // namespace
