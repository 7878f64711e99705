// The dynamic forcing chains whose branches take the simpler patterns too:
// a state where a pattern inside a branch makes the chain shorter than any
// plain dynamic chain, and the bounds the search keeps to.
#include <gtest/gtest.h>

#include <string>

#include "logic/ladder.h"
#include "logic/notation.h"
#include "logic/propagation.h"
#include "logic/solution.h"
#include "logic/techniques.h"
#include "logic_support.h"
#include "valuta/options.h"
#include "valuta/process.h"

namespace {

using logic::DigitSet;
using logic::Grid;
using logic::Sink;
using logic::Step;

using test::digits_of;

using test::after;

std::string sentence_of(const Step& step) {
  char buffer[2048];
  logic::Text t{buffer, sizeof buffer};
  logic::write_sentence(t, step);
  return std::string(buffer, t.length);
}

// The 97th puzzle of bench_top1465, after 27 steps: found by following
// the paths of that set for the first step of the technique. The plain
// dynamic chains find nothing rated 9.0 or less there.
constexpr const char* kDynamicPlusPuzzle =
    "..1.875...34..26..9...5....8.......4.....186.....7.9...8.......2..6......1......2";

// Runs the forcing chains of the ladder's line `slug` into the sink, as
// the ladder would after the lines before it.
void find_as(const char* slug, const Grid& g, Sink& sink) {
  const Sink line = logic::sink_for(logic::row_of(slug));
  ASSERT_GE(line.technique, 0) << slug;
  sink.technique = line.technique;
  sink.floor = line.floor;
  sink.mode = line.mode;
  logic::find_forcing_chains(g, sink);
}

TEST(DynamicPlusTest, APatternInABranchMakesTheChainShorter) {
  const Grid g = after(kDynamicPlusPuzzle, 27);
  Sink plain;
  find_as("dynamic-forcing-chain", g, plain);
  EXPECT_TRUE(!plain.found || plain.best.rating > 90);

  Sink sink = plain;
  find_as("dynamic-forcing-chain-plus", g, sink);
  EXPECT_EQ(sink.best.rating, 90);
  EXPECT_EQ(sink.best.nodes, 6);
  EXPECT_EQ(sink.best.removed[9 * 6 + 4], 1U << 1);  // r7c5<>1

  base::Puzzle solution{};
  ASSERT_EQ(logic::solve(digits_of(kDynamicPlusPuzzle), solution),
            logic::Solutions::kOne);
  EXPECT_TRUE(logic::is_sound(sink.best, solution));
}

TEST(DynamicPlusTest, ToldAsAChainOfBranchesThatUsesPatterns) {
  const Grid g = after(kDynamicPlusPuzzle, 27);
  Step step;
  ASSERT_TRUE(logic::next_step(g, logic::kAllTechniques, step));
  EXPECT_EQ(
      sentence_of(step),
      "ognuna delle ipotesi r2c5=1 r2c5=9 porta allo stesso risultato"
      " (6 nodi nelle 2 catene), seguendo ogni ipotesi anche con intersezioni, insiemi"
      " nudi e nascosti e pesci: r7c5<>1");
}

// Where a plain dynamic chain already rates at the base of the new rung or
// below, the search has nothing to offer (the dynamic example of the
// ladder's tests: 4...3... after 28 steps).
TEST(DynamicPlusTest, NothingBelowAStepAlreadyAtItsBase) {
  const Grid g = after(
      "4...3.......6..8..........1....5..9..8....6...7.2........1.27..5.3....4.9........",
      28);
  Sink sink;
  find_as("dynamic-forcing-chain", g, sink);
  ASSERT_TRUE(sink.found);
  ASSERT_LE(sink.best.rating, 90);
  const int offered = sink.offered;
  find_as("dynamic-forcing-chain-plus", g, sink);
  EXPECT_EQ(sink.offered, offered);
  Step step;
  ASSERT_TRUE(logic::next_step(g, logic::kAllTechniques, step));
  int size = 0;
  EXPECT_STRNE(logic::ladder(size)[step.technique].slug,
               "dynamic-forcing-chain-plus");
}

// Forum-hardest puzzles: one the new rung rates to the end, one whose
// path stalled before any step and was reported as above the rung, now
// rated to the end by the nested chains, never lower than the rung.
TEST(DynamicPlusTest, HardestPuzzlesRatedToTheEndOrAboveTheRung) {
  struct Case {
    const char* puzzle;
    const char* rating;
  };
  const Case cases[] = {
      {"..3.9....1...4..36..8..21...4..8..73...9................4.7..686........7.....5.4",
       "\tED=9.7/9.7/2.6\t"},
      {"........8..3...4...9..2..6.....79.......612...6.5.2.7...8...5...1.....2.4.5.....3",
       "\tED=10.9/1.2/1.2\t"},
  };
  for (const Case& c : cases) {
    static char buffer[valuta::kMaxText];
    logic::Text t{buffer, sizeof buffer};
    const valuta::Options options;
    valuta::process(digits_of(c.puzzle), options, t);
    const std::string line(buffer, t.length);
    EXPECT_NE(line.find(c.rating), std::string::npos) << line;
    EXPECT_EQ(line.find("passo-errato"), std::string::npos) << line;
  }
}

void expect_same_nodes(const logic::Propagation& a,
                       const logic::Propagation& b) {
  ASSERT_EQ(a.tail, b.tail);
  for (int k = 0; k < a.tail; ++k) {
    const int node = a.queue[k];
    ASSERT_EQ(b.queue[k], node);
    ASSERT_EQ(b.parent_count[node], a.parent_count[node]);
    for (int j = 0; j < a.parent_count[node]; ++j) {
      EXPECT_EQ(b.pool[b.first_parent[node] + j],
                a.pool[a.first_parent[node] + j]);
    }
  }
}

struct Branches {
  logic::Propagation plus;
  logic::Propagation plain;
  logic::Propagation again;
  logic::PropagationCache cache;
};

// One assumption true in the solution; true when the patterns took it
// further than the singles.
bool check_true_premise(const logic::Context& c, const base::Puzzle& solution,
                        int premise, Branches& b) {
  logic::Context dynamic = c;
  dynamic.mode = logic::Mode::kDynamic;
  logic::propagate_cached(c, b.cache, b.plus, premise);
  logic::propagate(dynamic, b.plain, premise);
  EXPECT_EQ(b.plus.contradiction_size, 0);
  for (int k = 0; k < b.plus.tail; ++k) {
    const int node = b.plus.queue[k];
    const int at = logic::cell_of_node(node);
    EXPECT_EQ(solution.cell[at] == logic::digit_of_node(node), (node & 1) != 0);
  }
  for (int k = 0; k < b.plain.tail; ++k) {
    EXPECT_NE(b.plus.derived[b.plain.queue[k]], 0);
  }
  logic::propagate_cached(c, b.cache, b.again, premise);
  expect_same_nodes(b.plus, b.again);
  return b.plus.tail > b.plain.tail;
}

// What an assumption that holds in the solution makes true or false holds
// too: no contradiction, every node derived agrees with the solution; the
// patterns only add to what the singles derive; and the search's cache
// gives back each propagation as it was made. Over every candidate of the
// example's state and of the first forum-hardest puzzle's.
TEST(DynamicPlusTest, TrueAssumptionsPropagateOnlyTruths) {
  const char* forum =
      "........8..3...4...9..2..6.....79.......612...6.5.2.7...8...5...1.....2.4.5.....3";
  const struct {
    const char* puzzle;
    int steps;
  } states[] = {{kDynamicPlusPuzzle, 27}, {forum, 1}};
  static Branches b;
  for (const auto& state : states) {
    const Grid g = after(state.puzzle, state.steps);
    base::Puzzle solution{};
    ASSERT_EQ(logic::solve(digits_of(state.puzzle), solution),
              logic::Solutions::kOne);
    logic::Context c{&g, logic::Mode::kDynamicPlus, logic::places_of(g)};
    c.start_has_patterns = false;  // the ladder found nothing simpler there
    logic::clear(b.cache);
    int further = 0;
    for (int cell = 0; cell < 81; ++cell) {
      for (DigitSet rest = g.candidates[cell]; rest != 0; rest &= rest - 1) {
        const int d = logic::lowest_digit(rest);
        const int premise = logic::node_of(cell, d, solution.cell[cell] == d);
        further += check_true_premise(c, solution, premise, b) ? 1 : 0;
      }
    }
    EXPECT_GT(further, 0);  // some assumption went further with patterns
  }
}

}  // namespace
