// The ladder's techniques, one by one: a state of a real puzzle's path
// where the technique is the easiest step, with the step expected to the
// letter; and grids where it must not fire.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include "logic/ladder.h"
#include "logic/notation.h"
#include "logic/solution.h"
#include "logic/techniques.h"
#include "logic_support.h"

namespace {

using logic::Grid;
using logic::Step;

std::string text_of(const Step& step) {
  char buffer[2048];
  logic::Text t{buffer, sizeof buffer};
  logic::write_step(t, step);
  return std::string(buffer, t.length);
}

using test::after;

int row_of_slug(const char* slug) {
  int size = 0;
  const logic::Technique* table = logic::ladder(size);
  for (int t = 0; t < size; ++t) {
    if (std::strcmp(table[t].slug, slug) == 0) return t;
  }
  return -1;
}

struct Example {
  const char* slug;
  const char* puzzle;
  int steps;
  const char* expected;
};

// Each technique the first time it is the easiest step on the path of a
// puzzle of the 17-clue or top1465 sets.
constexpr Example kExamples[] = {
    {"full-house",
     ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
     27, "Full House: c9 => r6c9=8"},
    {"hidden-single-box",
     ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
     7, "Hidden Single (box): 6 in b5 => r5c4=6"},
    {"hidden-single-line",
     ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
     0, "Hidden Single (column): 2 in c9 => r1c9=2"},
    {"direct-pointing",
     ".................1..2.34........2.4..1....3...5.6..........5.....4...27..86.1....",
     21, "Direct Pointing: 6 in r45c9 (r137c9<>6) => r7c7=6"},
    {"direct-hidden-pair",
     ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
     6,
     "Direct Hidden Pair: 2,3 in r8c47 (r8c47<>1, r8c4<>4, r8c47<>5, r8c47<>6) => r8c6=6"},
    {"naked-single",
     ".................1..2.34........5.2..6.....7..8.6........1..9.8..3.....67.4......",
     4, "Naked Single: r3c7 => r3c7=5"},
    {"direct-hidden-triple",
     ".................1..2.34........5.2..6.....7..8.6........1..9.8..3.....67.4......",
     16,
     "Direct Hidden Triplet: 3,4,5 in r124c2 (r124c2<>7, r124c2<>9) => r3c2=7"},
    {"pointing",
     ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
     32, "Locked Candidates (pointing): 1 in b6 => r9c7<>1"},
    {"claiming",
     "................12..3.45...............1...6..45...3.......46..1...7....2.8....9.",
     41, "Locked Candidates (claiming): 9 in r2 => r1c5<>9"},
    {"naked-pair",
     "................12..3..4...........5....4.36.78..1.........5..4.1...3....2.....8.",
     44, "Naked Pair: 6,7 in r3c29 => r3c5<>6, r3c5<>7"},
    {"x-wing",
     "................12..3..4................435..16..2..7.........8.....94..71.6.....",
     11, "X-Wing: 1 in c67/r47 => r4c459,r7c5<>1"},
    {"hidden-pair",
     ".................1..2.34.................245.16.........47..5...3.1...76.8.......",
     20, "Hidden Pair: 2,4 in r4c12 => r4c1<>3, r4c12<>5, r4c1<>8, r4c12<>9"},
    {"naked-triple",
     "................12..3.45.......674...18....2..9..........1........8..3..4.......6",
     37, "Naked Triplet: 4,5,6 in r8c269 => r8c8<>4, r8c8<>5"},
    {"swordfish",
     "........1.......23..4..5...........2.....6....35.7.......3.......81..4..6.7....5.",
     46, "Swordfish: 9 in c568/r148 => r4c7<>9"},
    {"hidden-triple",
     "3.7..4.2....1..5..9............3..9..5.8......4.6...........8.12...7..........6..",
     10, "Hidden Triplet: 1,6,8 in r8c236 => r8c26<>3, r8c3<>4, r8c6<>5"},
    {"xy-wing",
     "................12....345..............1..67..23............2.8..5.....36.4..5...",
     47, "XY-Wing: 1,7,9 in r14c3,r3c1 (pivot r1c3) => r6c1<>1"},
    {"xyz-wing",
     "................12..3.45...............1...6..45...3.......46..1...7....2.8....9.",
     39, "XYZ-Wing: 5,8,9 in r1c17,r2c2 (pivot r1c1) => r1c2<>5"},
    {"unique-rectangle",
     "................12..3..4...........5....4.36.78..1.........5..4.1...3....2.....8.",
     45, "Unique Rectangle type 1: 5,9 in r13c58 => r1c5<>5, r1c5<>9"},
    {"naked-quad",
     ".23..6.....67....3.8....5......9.......8...4....2379.55..9..3.2.....2..8.7.....5.",
     6, "Naked Quad: 1,4,6,8 in r4c2,r6c123 => r45c13<>1, r45c1<>6, r4c13<>8"},
    {"bug",
     "................12..3..4...........5....4.36.78..1.........5..4.1...3....2.....8.",
     53, "Bivalue Universal Grave (BUG type 2): 7 in r8c37,r9c4 => r8c4<>7"},
    {"aligned-pair-exclusion",
     "........5.4.....7..761.43...85.6...........51.6.2.......2.....9...4.8.....37...1.",
     38, "Aligned Pair Exclusion: 1,2,3,5,9 in r12c1 => r1c1<>2"},
    {"aligned-triple-exclusion",
     "38.6.......9.......2..3.51......5....3..1..6....4......17.5..8.......9.......7.32",
     18, "Aligned Triplet Exclusion: 2,3,7,8,9 in r345c4 => r4c4<>8"},
    {"x-chain",
     "................12....345..............1..67..23............2.8..5.....36.4..5...",
     46,
     "Turbot Fish: r3c1=7 -> r3c4<>7 -> r2c6=7 -> r6c6<>7 -> r6c1=7 -> r3c1<>7 => r3c1<>7"},
    {"forcing-chain",
     "................12..3.45.................63.417.2........1...7..8.......3.4...6..",
     44,
     "Forcing Chain: r1c1=5 -> r1c1<>8 -> r2c3=8 -> r2c5<>8 -> r7c5=8 -> r7c5<>5 -> r7c1=5 -> r1c1<>5 => r1c1<>5"},
    {"unique-loop",
     "..............1..2..3.4..5......26....7....4..8.7.9.......6..7..2.......19.......",
     46, "Unique Loop type 2: 3,5 in r4c25,r5c29,r6c59 => r4c8,r5c6<>8"},
    {"x-cycle",
     "..............1..2..3.4..5........3..1...6...7....2.4....53.....2....1.8.8.......",
     50,
     "Bidirectional X-Cycle: r3c6=9 -> r3c9<>9 -> r5c9=9 -> r5c5<>9 -> r8c5=9 -> r9c6<>9 -> r3c6=9 => r8c4<>9"},
    {"y-cycle",
     "................12..3.45.................63.417.2........1...7..8.......3.4...6..",
     49,
     "Bidirectional Y-Cycle: r5c8=5 -> r5c1<>5 -> r5c1=8 -> r1c1<>8 -> r1c1=9 -> r1c2<>9 -> r1c2=5 -> r1c7<>5 -> r1c7=8 -> r6c7<>8 -> r6c7=9 -> r5c8<>9 -> r5c8=5 => r5c3<>5, r6c89<>9"},
    {"cycle",
     "................12..3.45.................63.417.2........1...7..8.......3.4...6..",
     46,
     "Bidirectional Cycle: r1c1=8 -> r1c7<>8 -> r6c7=8 -> r6c9<>8 -> r7c9=8 -> r7c9<>9 -> r7c1=9 -> r1c1<>9 -> r1c1=8 => r5c1<>9"},
    {"nishio",
     "...9.31..6.7....8.2.........5....4......6..2..1.......8...7.......3..5.....4....9",
     29, "Nishio Forcing Chain: r8c9=1 (length 11) => r8c9<>1"},
    {"multiple-forcing-chain",
     "4...3.......6..8..........1....5..9..8....6...7.2........1.27..5.3....4.9........",
     24,
     "Multiple Forcing Chain: r5c3=9 | r5c4=9 | r5c6=9 (length 14) => r1c6<>9"},
    {"dynamic-forcing-chain",
     "4...3.......6..8..........1....5..9..8....6...7.2........1.27..5.3....4.9........",
     28, "Dynamic Forcing Chain: r3c7=2 (length 18) => r3c7<>2"},
    // The 97th puzzle of bench_top1465: the first step of the path that
    // takes a pattern inside a branch.
    {"dynamic-forcing-chain-plus",
     "..1.875...34..26..9...5....8.......4.....186.....7.9...8.......2..6......1......2",
     27, "Dynamic Forcing Chain (+): r2c5=1 | r2c5=9 (length 6) => r7c5<>1"},
};

TEST(LadderTest, EachTechniqueIsTheEasiestStepWhereExpected) {
  for (const Example& e : kExamples) {
    SCOPED_TRACE(e.slug);
    const Grid g = after(e.puzzle, e.steps);
    Step step;
    ASSERT_TRUE(logic::next_step(g, logic::kAllTechniques, step));
    EXPECT_EQ(step.technique, row_of_slug(e.slug));
    EXPECT_EQ(text_of(step), e.expected);
    // Its rating is the technique's own, but for the techniques whose
    // steps rate by their make.
    int size = 0;
    EXPECT_GE(step.rating, logic::ladder(size)[step.technique].rating);
  }
}

// The multiple chains' level holds cell and region chains only: here an
// assumption, r1c6=9, contradicts itself in as few nodes as the region
// chains' conclusion, and is left to the dynamic chains.
TEST(LadderTest, TheMultipleChainsTakeNoContradictionOfOneAssumption) {
  const Grid g = after(
      "4...3.......6..8..........1....5..9..8....6...7.2........1.27..5.3....4."
      "9........",
      24);
  auto round = std::make_unique<logic::Round>();
  logic::Sink sink = logic::sink_for(logic::row_of("multiple-forcing-chain"));
  sink.round = round.get();
  logic::find_forcing_chains(g, sink);
  ASSERT_TRUE(sink.found);
  EXPECT_EQ(sink.best.rating, 83);
  for (int k = 0; k < round->size; ++k) {
    EXPECT_GE(round->steps[k].chain_length, 2) << text_of(round->steps[k]);
  }
}

TEST(LadderTest, EveryTechniqueHasAnExample) {
  int size = 0;
  const logic::Technique* table = logic::ladder(size);
  for (int t = 0; t < size; ++t) {
    bool found = false;
    for (const Example& e : kExamples)
      found = found || row_of_slug(e.slug) == t;
    // The nested chains have theirs in logic_nested_test.cpp (AI
    // Escargot's first nested step; the deeper levels, never the easiest
    // step of a path, alone on a grid of their own).
    for (const char* other :
         {"direct-claiming", "jellyfish", "hidden-quad", "nested-forcing-chain",
          "nested-forcing-chain-2", "nested-forcing-chain-3"}) {
      found = found || std::strcmp(table[t].slug, other) == 0;
    }
    EXPECT_TRUE(found) << table[t].slug;
  }
}

std::string hint_of(const Step& step, bool cells) {
  char buffer[512];
  logic::Text t{buffer, sizeof buffer};
  logic::write_hint(t, step, cells);
  return std::string(buffer, t.length);
}

std::string result_of(const Step& step) {
  char buffer[2048];
  logic::Text t{buffer, sizeof buffer};
  logic::append_result(t, step);
  return std::string(buffer, t.length);
}

// A graded hint names the technique and where to look, then the cells (or
// a chain's assumptions), never what the step places or removes.
TEST(LadderTest, HintsNameTheTechniqueAndWhereButNotTheResult) {
  const std::pair<const char*, const char*> kAreas[] = {
      {"full-house", "cerca un Full House in c9"},
      {"hidden-single-line", "cerca un Hidden Single del 2 in c9"},
      {"direct-hidden-pair", "cerca un Direct Hidden Pair in r8"},
      {"pointing", "cerca dei Locked Candidates (pointing) dell'1 in b6"},
      {"naked-pair", "cerca un Naked Pair in r3"},
      {"swordfish", "cerca uno Swordfish sul 9"},
      {"xy-wing", "cerca un XY-Wing sull'1"},
      {"unique-rectangle",
       "cerca un Unique Rectangle di tipo 1 sulle cifre 5,9"},
      {"bug", "cerca un Bivalue Universal Grave (BUG di tipo 2)"},
      {"aligned-pair-exclusion", "cerca un Aligned Pair Exclusion in c1"},
      {"y-cycle", "cerca un Bidirectional Y-Cycle da r5c8"},
      {"dynamic-forcing-chain", "cerca una Dynamic Forcing Chain da r3c7"},
      {"dynamic-forcing-chain-plus",
       "cerca una Dynamic Forcing Chain (+) dalle cifre di r2c5"},
  };
  int checked = 0;
  for (const Example& e : kExamples) {
    SCOPED_TRACE(e.slug);
    const Grid g = after(e.puzzle, e.steps);
    Step step;
    ASSERT_TRUE(logic::next_step(g, logic::kAllTechniques, step));
    const std::string area = hint_of(step, false);
    const std::string cells = hint_of(step, true);
    EXPECT_EQ(cells.compare(0, area.size(), area), 0) << cells;
    EXPECT_GT(cells.size(), area.size());
    EXPECT_EQ(cells.find(result_of(step)), std::string::npos) << cells;
    for (const auto& [slug, expected] : kAreas) {
      if (std::strcmp(slug, e.slug) != 0) continue;
      EXPECT_EQ(area, expected);
      ++checked;
    }
  }
  EXPECT_EQ(checked, static_cast<int>(std::size(kAreas)));
  // The level 2 of the chains of many branches gives their assumptions.
  const Grid g = after(kExamples[std::size(kExamples) - 1].puzzle,
                       kExamples[std::size(kExamples) - 1].steps);
  Step step;
  ASSERT_TRUE(logic::next_step(g, logic::kAllTechniques, step));
  EXPECT_EQ(hint_of(step, true),
            "cerca una Dynamic Forcing Chain (+) dalle cifre di r2c5, con"
            " le ipotesi r2c5=1, r2c5=9");
}

// An X-Chain of two strong links (six nodes, the candidate removed at both
// ends) is named as players name it; a longer one keeps its name.
TEST(LadderTest, ATwoStrongLinkChainIsATurbotFish) {
  Step step;
  step.technique = row_of_slug("x-chain");
  const int cells[] = {18, 21, 14, 50, 45, 18, 40, 41, 42};
  for (int k = 0; k < 8; ++k) {
    step.chain[k] =
        logic::Node{static_cast<std::uint8_t>(cells[k]), 7, k % 2 == 0};
  }
  const auto name = [&step](int length) {
    step.chain_length = length;
    char buffer[128];
    logic::Text t{buffer, sizeof buffer};
    logic::append_name(t, step);
    return std::string(buffer, t.length);
  };
  EXPECT_EQ(name(6), "Turbot Fish");
  EXPECT_EQ(name(8), "X-Chain");
  step.chain[0].on = false;  // a placement: no elimination pattern
  EXPECT_EQ(name(6), "X-Chain");
}

std::string exclusions_of(const Example& e) {
  const Grid g = after(e.puzzle, e.steps);
  Step step;
  EXPECT_TRUE(logic::next_step(g, logic::kAllTechniques, step));
  static char buffer[8192];
  logic::Text t{buffer, sizeof buffer};
  EXPECT_EQ(logic::write_exclusions(t, g, step, "[", "]\n"), 1);
  return std::string(buffer, t.length);
}

// Each combination of a removed candidate with the other cells' digits,
// told where it is first excluded: a digit repeated, or the cell left
// without digits.
TEST(LadderTest, ExclusionsNameWhatExcludesEachCombination) {
  const Example* pair = nullptr;
  const Example* triple = nullptr;
  for (const Example& e : kExamples) {
    if (std::strcmp(e.slug, "aligned-pair-exclusion") == 0) pair = &e;
    if (std::strcmp(e.slug, "aligned-triple-exclusion") == 0) triple = &e;
  }
  ASSERT_NE(pair, nullptr);
  ASSERT_NE(triple, nullptr);
  EXPECT_EQ(exclusions_of(*pair),
            "[se r1c1=2: con r2c1=2 una cifra ripetuta; con r2c1=3 r1c2 (2,3)"
            " resta vuota; con r2c1=5 r3c1 (2,5) resta vuota; con r2c1=9 r5c1"
            " (2,9) resta vuota => r1c1<>2]\n");
  // A pair of the triple excluded by itself is told without the third.
  EXPECT_EQ(exclusions_of(*triple),
            "[se r4c4=8: con r3c4=7 e r5c4=2 r5c6 (2,8) resta vuota; con r3c4=7"
            " e r5c4=7 una cifra ripetuta; con r3c4=7 e r5c4=8 una cifra"
            " ripetuta; con r3c4=8 una cifra ripetuta; con r3c4=9 r9c4 (8,9)"
            " resta vuota => r4c4<>8]\n");
}

}  // namespace
