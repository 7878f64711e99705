// The techniques on grids made for them: every cell open with every digit,
// then a pattern carved out by removing candidates. What must fire, with
// its exact step, and the near misses that must not.
#include <gtest/gtest.h>

#include <string>

#include "logic/ladder.h"
#include "logic/notation.h"
#include "logic/propagation.h"
#include "logic/techniques.h"

namespace {

using logic::Grid;
using logic::Sink;
using logic::Step;

Grid open_grid() {
  Grid g;
  for (auto& c : g.candidates) c = logic::kAllDigits;
  return g;
}

// Removes digit d from row r outside the columns in `keep` (a 9-bit set).
void keep_in_row(Grid& g, int d, int r, unsigned keep) {
  for (int c = 0; c < 9; ++c) {
    if (!((keep >> c) & 1U)) g.candidates[9 * r + c] &= ~(1U << d);
  }
}

std::string easiest(const Grid& g) {
  Step step;
  if (!logic::next_step(g, logic::kAllTechniques, step)) return "none";
  char buffer[2048];
  logic::Text t{buffer, sizeof buffer};
  logic::write_step(t, step);
  return std::string(buffer, t.length);
}

bool fires(logic::Finder find, const Grid& g) {
  Sink sink;
  find(g, sink);
  return sink.found;
}

TEST(LadderPatternTest, NothingFiresOnTheOpenGrid) {
  EXPECT_EQ(easiest(open_grid()), "none");
}

TEST(LadderPatternTest, Jellyfish) {
  Grid g = open_grid();
  for (const int r : {0, 2, 4, 6}) keep_in_row(g, 5, r, 0x55);  // c1357
  EXPECT_EQ(easiest(g), "Jellyfish: 5 in r1357/c1357 => r24689c1357<>5");
  // A fifth column in one of the rows: no fish of any size.
  g.candidates[1] |= 1U << 5;
  EXPECT_FALSE(fires(logic::find_jellyfish, g));
  EXPECT_FALSE(fires(logic::find_swordfish, g));
}

TEST(LadderPatternTest, HiddenQuad) {
  Grid g = open_grid();
  for (int d = 1; d <= 4; ++d) keep_in_row(g, d, 0, 0x0F);  // c1234
  EXPECT_EQ(easiest(g),
            "Hidden Quad: 1,2,3,4 in r1c1234 => r1c1234<>5, r1c1234<>6, "
            "r1c1234<>7, r1c1234<>8, r1c1234<>9");
  // Three of the digits only: no quad.
  g = open_grid();
  for (int d = 1; d <= 3; ++d) keep_in_row(g, d, 0, 0x0F);
  EXPECT_FALSE(fires(logic::find_hidden_quad, g));
}

// Row 1 holds two naked pairs, 1,2 in r1c14 and 3,4 in r1c23. Both the
// ladder and a branch search the same table, each in its own order: the
// ladder takes the set whose cells, as a 9-bit number, are the lower (c23),
// a branch the first in lexicographic order (c14).
TEST(LadderPatternTest, TwoPairsInOneRowEachSearchTakesItsOwn) {
  Grid g = open_grid();
  g.candidates[0] = g.candidates[3] = 0x6;
  g.candidates[1] = g.candidates[2] = 0x18;
  Sink sink;
  logic::find_naked_pair(g, sink);
  ASSERT_TRUE(sink.found);
  EXPECT_EQ(sink.best.digits, 0x18);
  EXPECT_EQ(sink.best.removed[4], 0x18);

  static logic::Propagation p;
  const logic::Context c{&g, logic::Mode::kDynamicPlus, logic::places_of(g)};
  ASSERT_TRUE(logic::has_patterns(c, p));
  EXPECT_NE(p.derived[logic::node_of(4, 1, false)], 0);
  EXPECT_EQ(p.derived[logic::node_of(4, 3, false)], 0);
}

// A fish's base lines have two places each in the ladder: a row with one
// is a hidden single, looked at before, and no X-Wing with another row.
TEST(LadderPatternTest, NoFishOnALineOfOnePlace) {
  Grid g = open_grid();
  keep_in_row(g, 5, 0, 0x1);  // r1c1
  keep_in_row(g, 5, 1, 0x3);  // r2c12
  EXPECT_FALSE(fires(logic::find_x_wing, g));
  g.candidates[1] |= 1U << 5;  // r1c12: an X-Wing
  EXPECT_TRUE(fires(logic::find_x_wing, g));
}

TEST(LadderPatternTest, DirectPointingLooksForItsSingleInBoxesOnly) {
  // 1 of b1 on row 1; column 4 has its 1 in r1c4 and r5c4 only. Pointing
  // takes r1c4: column 4's single r5c4 is not the box single a direct
  // pointing needs, so the easiest step is the plain pointing.
  Grid g = open_grid();
  for (const int cell : {9, 10, 11, 18, 19, 20}) g.candidates[cell] &= ~2U;
  for (int r = 1; r < 9; ++r) {
    if (r != 4) g.candidates[9 * r + 3] &= ~2U;
  }
  EXPECT_FALSE(fires(logic::find_direct_pointing, g));
  EXPECT_EQ(easiest(g),
            "Locked Candidates (pointing): 1 in b1 => r1c456789<>1");
  // With box 2's 1 left in row 1 and r2c4 alone, the same pointing leaves
  // a box single: direct.
  for (const int cell : {12, 13, 14, 21, 22, 23}) g.candidates[cell] &= ~2U;
  g.candidates[12] |= 2U;
  EXPECT_TRUE(fires(logic::find_direct_pointing, g));
}

TEST(LadderPatternTest, UniqueRectangleNeedsTwoBoxes) {
  Grid g = open_grid();
  // r1c1, r1c2, r4c1 hold 1,2; r4c2 holds 1,2,3: type 1 in boxes 1 and 4.
  for (const int cell : {0, 1, 27}) g.candidates[cell] = 0x6;
  g.candidates[28] = 0xE;
  Sink sink = logic::sink_for(logic::row_of("unique-rectangle"));
  logic::find_unique_rectangle(g, sink);
  ASSERT_TRUE(sink.found);
  EXPECT_EQ(sink.best.removed[28], 0x6);
  EXPECT_EQ(sink.best.rating, 45);
  // The same corners spread over four boxes: r1c1, r1c4, r4c1, r4c4.
  Grid four = open_grid();
  for (const int cell : {0, 3, 27}) four.candidates[cell] = 0x6;
  four.candidates[30] = 0xE;
  EXPECT_FALSE(fires(logic::find_unique_rectangle, four));
}

TEST(LadderPatternTest, XyWingNeedsThreeDigits) {
  Grid g = open_grid();
  g.candidates[0] = 0x6;   // r1c1 pivot 1,2
  g.candidates[5] = 0xA;   // r1c6 1,3
  g.candidates[18] = 0xC;  // r3c1 2,3
  Sink sink;
  logic::find_xy_wing(g, sink);
  ASSERT_TRUE(sink.found);
  // r3c1 and r1c6 both see r1c2, r1c3 (box and row) and r3c4..6 (row, box).
  EXPECT_EQ(sink.best.removed[1], 0x8);
  EXPECT_EQ(sink.best.removed[23], 0x8);
  EXPECT_EQ(sink.best.removed[40], 0);
  // The pincers sharing the pivot's digit 1 instead: no wing.
  g.candidates[18] = 0xA;
  EXPECT_FALSE(fires(logic::find_xy_wing, g));
}

TEST(LadderPatternTest, AlignedTripleExclusion) {
  // r1c123 hold 1,2,4 / 1,2 / 1,3; r2c1 sees all three. With r1c1=1 the
  // others are 2 and 3, with r1c1=2 they are 1 and 3: either way r2c1 (2,3
  // or 1,2,3) is left empty.
  for (const logic::DigitSet peer : {0xC, 0xE}) {
    Grid g = open_grid();
    g.candidates[0] = 0x16;
    g.candidates[1] = 0x6;
    g.candidates[2] = 0xA;
    g.candidates[9] = peer;
    Sink sink;
    logic::find_aligned_triple_exclusion(g, sink);
    ASSERT_TRUE(sink.found) << peer;
    EXPECT_EQ(sink.best.removed[0], 0x6);
    EXPECT_EQ(sink.best.removed[1], 0);
    EXPECT_EQ(sink.best.removed[2], 0);
    EXPECT_EQ(count(sink.best.cells), 3);
    // A digit of the peer that no cell of the triple has: it cannot empty.
    g.candidates[9] = static_cast<logic::DigitSet>(peer | 0x20);
    EXPECT_FALSE(fires(logic::find_aligned_triple_exclusion, g)) << peer;
  }
  // The cell of 1,2,4 in r2c7 instead: it sees neither r1c2 nor r1c3, and
  // r2c7=1 with r1c2=1 and r1c3=3 leaves r2c1 its 2. Whatever the other
  // cells of b1 and r1 lose, r2c7 keeps its digits.
  Grid g = open_grid();
  g.candidates[15] = 0x16;
  g.candidates[1] = 0x6;
  g.candidates[2] = 0xA;
  g.candidates[9] = 0xC;
  for (int round = 0; round < 40; ++round) {
    Sink sink;
    logic::find_aligned_triple_exclusion(g, sink);
    if (!sink.found) break;
    ASSERT_EQ(sink.best.removed[15], 0) << easiest(g);
    logic::apply(g, sink.best);
  }
  EXPECT_EQ(g.candidates[15], 0x16);
}

TEST(LadderPatternTest, LengthModifierFollowsTheGeometricLadder) {
  // Nodes less two against the thresholds 4, 6, 8, 12, 16, 24.
  const int expected[][2] = {{6, 0},  {7, 1},  {8, 1},  {9, 2},
                             {10, 2}, {11, 3}, {14, 3}, {15, 4},
                             {18, 4}, {19, 5}, {26, 5}, {27, 6}};
  for (const auto& [nodes, added] : expected) {
    EXPECT_EQ(logic::length_modifier(nodes), added) << nodes;
  }
}

}  // namespace

namespace {

// An eight-cell unique loop on 1 and 2, two cells in each box it meets:
// r1c1-r1c4-r2c4-r2c7-r4c7-r4c8-r3c8-r3c1; r3c1 holds a 3 as well, so it
// is not 1 or 2 (type 1), rated 0.1 above the six-cell loop's base. No
// other cell carries 1 or 2.
TEST(LadderPatternTest, AnEightCellUniqueLoopRatesAboveTheBase) {
  Grid g = open_grid();
  for (auto& c : g.candidates) c &= static_cast<logic::DigitSet>(~0x6U);
  for (const int cell : {0, 3, 12, 15, 33, 34, 25, 18}) {
    g.candidates[cell] = 0x6;
  }
  g.candidates[18] = 0xE;
  Sink sink = logic::sink_for(logic::row_of("unique-loop"));
  logic::find_unique_loop(g, sink);
  ASSERT_TRUE(sink.found);
  char buffer[512];
  logic::Text t{buffer, sizeof buffer};
  logic::write_step(t, sink.best);
  EXPECT_EQ(sink.best.rating, sink.floor + 1) << std::string(buffer, t.length);
  EXPECT_EQ(sink.best.removed[18], 0x6);
  EXPECT_EQ(count(sink.best.cells), 8);
}

}  // namespace

namespace {

std::string text_of(const Step& step) {
  if (step.technique < 0) return "none";
  char buffer[512];
  logic::Text t{buffer, sizeof buffer};
  logic::write_step(t, step);
  return std::string(buffer, t.length);
}

Step first_step(logic::Finder find, const char* slug, const Grid& g) {
  Sink sink = logic::sink_for(logic::row_of(slug));
  find(g, sink);
  return sink.found ? sink.best : Step{};
}

// Unique rectangle r1c12/r4c12 on 1,2, the roof r1c1 with a 3, r1c2 with a
// 4. In row 1, 1 has no place but the roof and r1c89, and 5 and 6 none but
// r1c89: at most one roof cell takes the 1 (both would take 1 and 2, the
// deadly pattern), so r1c89 take two of 1, 5, 6 (type 3, hidden triple).
TEST(LadderPatternTest, UniqueRectangleTypeThreeWithAHiddenSet) {
  Grid g = open_grid();
  for (const int cell : {27, 28}) g.candidates[cell] = 0x6;
  g.candidates[0] = 0xE;
  g.candidates[1] = 0x16;
  for (int c = 2; c < 7; ++c) g.candidates[c] &= ~0x62U;
  const Step step =
      first_step(logic::find_unique_rectangle, "unique-rectangle", g);
  EXPECT_EQ(step.type, 3);
  EXPECT_EQ(step.rating, 47);  // the naked triple's rating
  EXPECT_EQ(step.removed[7], 0x39C);
  EXPECT_EQ(step.removed[8], 0x39C);
  // A 5 back in r1c7: the three digits have three cells besides the roof.
  g.candidates[6] |= 0x20U;
  EXPECT_FALSE(fires(logic::find_unique_rectangle, g));
}

// A BUG: the rest solved, three unique rectangles on rows 1 and 4, on 1,2
// in c12, 3,4 in c45, 5,6 in c78, with r1c1 and r1c4 (or r1c2) holding an
// extra digit each.
Grid grave(int a, logic::DigitSet extra_a, int b, logic::DigitSet extra_b) {
  Grid g;
  for (int cell = 0; cell < 81; ++cell) g.digit[cell] = 9;
  const int rows[] = {0, 27};
  for (const int r : rows) {
    for (const int c : {0, 1, 3, 4, 6, 7}) {
      g.digit[r + c] = 0;
      g.candidates[r + c] = static_cast<logic::DigitSet>(c < 2   ? 0x6
                                                         : c < 5 ? 0x18
                                                                 : 0x60);
    }
  }
  g.candidates[a] |= extra_a;
  g.candidates[b] |= extra_b;
  return g;
}

TEST(LadderPatternTest, BugTypesThreeAndFour) {
  // r1c1 1,2+5 and r1c4 3,4+6: one holds its extra digit, 5 or 6, so with
  // r1c7 (5,6) they make a naked pair in row 1 (type 3).
  Grid g = grave(0, 0x20, 3, 0x40);
  Step step = first_step(logic::find_bug, "bug", g);
  EXPECT_EQ(text_of(step),
            "Bivalue Universal Grave (BUG type 3): 5,6 in r1c14 => r1c8<>5, "
            "r1c8<>6");
  EXPECT_EQ(step.rating, 58);
  // r1c1 1,2+5 and r1c2 1,2+6: 1 has no other place in row 1, so one
  // holds 1 and the other its extra digit: 2 goes from both (type 4).
  g = grave(0, 0x20, 1, 0x40);
  step = first_step(logic::find_bug, "bug", g);
  EXPECT_EQ(step.type, 4);
  EXPECT_EQ(step.rating, 57);
  EXPECT_EQ(step.removed[0], 0x4);
  EXPECT_EQ(step.removed[1], 0x4);
  // r1c1 and r4c4: the two share no unit, neither type applies.
  EXPECT_FALSE(fires(logic::find_bug, grave(0, 0x20, 30, 0x40)));
}

TEST(LadderPatternTest, BugOfOneCellWithTwoExtraDigits) {
  // r1c1 1,2+5,6 alone: it holds 5 or 6, so it loses 1 and 2 (type 1, the
  // base), below the type 3 its naked pair with r1c78 would make.
  const Step step = first_step(logic::find_bug, "bug", grave(0, 0x60, 0, 0));
  EXPECT_EQ(text_of(step),
            "Bivalue Universal Grave (BUG+2): 5,6 in r1c1 => r1c1<>1, r1c1<>2");
  EXPECT_EQ(step.rating, 56);
  EXPECT_EQ(step.cell, -1);
}

}  // namespace

namespace {

// The eight-cell loop on 1 and 2 above, with r1c1 holding a 3 and r1c4 a
// 4: one of them holds its extra digit, so with r1c9 (3,4) they make a
// naked pair in row 1 (type 3), rated 0.1 for the length and 0.1 for the
// pair's other cell.
TEST(LadderPatternTest, UniqueLoopTypeThree) {
  Grid g = open_grid();
  for (auto& c : g.candidates) c &= static_cast<logic::DigitSet>(~0x6U);
  for (const int cell : {0, 3, 12, 15, 33, 34, 25, 18}) {
    g.candidates[cell] = 0x6;
  }
  g.candidates[0] = 0xE;
  g.candidates[3] = 0x16;
  g.candidates[8] = 0x18;
  const Step step = first_step(logic::find_unique_loop, "unique-loop", g);
  EXPECT_EQ(step.type, 3);
  EXPECT_EQ(step.rating, 47);
  EXPECT_EQ(step.removed[1], 0x18);
  EXPECT_EQ(step.removed[8], 0);
  // r1c9 with a 5 as well: no set.
  g.candidates[8] |= 0x20U;
  EXPECT_FALSE(fires(logic::find_unique_loop, g));
}

}  // namespace
