// A rating depends only on the puzzle's structure: relabelling the digits,
// permuting bands, stacks, and the rows and columns within them, and
// transposing leave ER, EP and ED as they are. The puzzles of
// invariance_ties.txt rated differently by orientation when the path took
// the first of equal steps, or the first of equally short loops.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "logic/ladder.h"
#include "logic/solution.h"
#include "logic/techniques.h"
#include "logic_support.h"
#include "symmetry.h"

namespace {

struct Ends {
  int er = -1;
  int ep = -1;
  int ed = -1;
  bool operator==(const Ends&) const = default;
};

Ends ends_of(const std::string& puzzle) {
  const base::Puzzle digits = test::digits_of(puzzle);
  base::Puzzle solution{};
  EXPECT_EQ(logic::solve(digits, solution), logic::Solutions::kOne) << puzzle;
  const logic::Rating r = logic::rate(logic::make_grid(digits), solution, {});
  EXPECT_EQ(r.outcome, logic::Outcome::kSolved) << puzzle;
  EXPECT_EQ(r.unsound, 0) << puzzle;
  return {r.er, r.ep, r.ed};
}

std::vector<std::string> puzzles_of(const char* path, std::size_t stride) {
  std::ifstream in(path);
  std::vector<std::string> puzzles;
  std::size_t k = 0;
  for (std::string line; std::getline(in, line); ++k) {
    if (line.size() >= 81 && k % stride == 0)
      puzzles.push_back(line.substr(0, 81));
  }
  return puzzles;
}

// Each puzzle in `turns` seeded random orientations rates as it stands.
void expect_alike(const std::vector<std::string>& puzzles, int turns,
                  unsigned seed) {
  std::mt19937 rng(seed);
  for (const std::string& puzzle : puzzles) {
    const Ends base = ends_of(puzzle);
    for (int k = 0; k < turns; ++k) {
      const std::string turned =
          test::transformed(puzzle, test::random_symmetry(rng));
      const Ends other = ends_of(turned);
      EXPECT_TRUE(other == base)
          << puzzle << " " << base.er << "/" << base.ep << "/" << base.ed
          << " turned " << turned << " " << other.er << "/" << other.ep << "/"
          << other.ed;
    }
  }
}

TEST(LadderInvarianceTest, TiesAndLoopsRateAlikeInEveryOrientation) {
  const std::vector<std::string> puzzles =
      puzzles_of(VORTEL_TEST_DATA "/invariance_ties.txt", 1);
  ASSERT_EQ(puzzles.size(), 5U);
  expect_alike(puzzles, 12, 2026);
  // The rectangles that break each other: the path takes the harder one;
  // those of one round that do not are taken together.
  EXPECT_EQ(ends_of(puzzles[3]).er, 66);
  EXPECT_EQ(ends_of(puzzles[2]).er, 71);
}

TEST(LadderInvarianceTest, SeventeenClueSampleRatesAlikeInEveryOrientation) {
  expect_alike(puzzles_of(VORTEL_TEST_DATA "/bench_17clue.txt", 6), 3, 17);
}

// Forcing chains of many branches: a node that several nodes of one layer
// force kept the first the queue met, and a propagation the first
// contradiction, so a conclusion's size (its rating) followed the cells'
// order. Each pair is one puzzle turned, once rated 9.1 and 9.0, 8.7 and
// 8.8, 8.4 and 8.3; and 7.7 and 7.8, where a unit loses its last places in
// one layer and the conflict met depended on which went last.
TEST(LadderInvarianceTest, ForcingChainsRateAlikeInEveryOrientation) {
  const char* const pairs[][2] = {
      {"4...3.......6..8..........1....5..9..8....6...7.2........1.27..5.3....4."
       "9........",
       "....6......3....214..79......8....5..2...........4.7..6.....9....5..8..."
       ".....3.1."},
      {"38.6.......9.......2..3.51......5....3..1..6....4......17.5..8.......9.."
       ".....7.32",
       ".......6...4.8..32..7...9...26.3...49.......1.3............7.1...3.4..."
       "7.8.5....."},
      {"....6..8...3...2.69....5.....2518.9..14......7....3...2........4...9.1.."
       "..9..7..5",
       "..382.6......1....82...7..3..75.6..4.3.1...9....4......1....8....4...9.."
       "...3...5."},
      {".1.....8....75.....39...6........8.6.9..2.4..6.1....9.......2....2149."
       "381...3....",
       "9.......3.1..3..597....94......78.4.1...4.8....8...3..4........5.72...1."
       "8..6....."},
  };
  for (const auto& pair : pairs) {
    const Ends one = ends_of(pair[0]);
    const Ends other = ends_of(pair[1]);
    EXPECT_GE(one.er, 77) << pair[0];
    EXPECT_TRUE(one == other)
        << pair[0] << " " << one.er << " against " << other.er;
  }
}

// A grid (not from a puzzle) whose first band is all 1 and 2, a tangle of
// row-and-column paths that close into no loop of use, and whose last band
// holds a unique loop of six cells, r7c14, r8c47, r9c17, with a 3 in r9c1
// (type 1). The search followed the first band's paths until it gave up,
// 20,000 cells in, and never came to the loop; in the grid transposed it
// came to it first.
logic::Grid tangle(bool transpose) {
  logic::Grid g;
  const auto at = [transpose](int r, int c) {
    return transpose ? 9 * c + r : 9 * r + c;
  };
  for (logic::DigitSet& c : g.candidates) c = 0x3F8;  // 3 to 9
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 9; ++c) g.candidates[at(r, c)] = 0x6;  // 1 and 2
  }
  const int loop[6][2] = {{6, 0}, {6, 3}, {7, 3}, {7, 6}, {8, 6}, {8, 0}};
  for (const auto& cell : loop) g.candidates[at(cell[0], cell[1])] = 0x6;
  g.candidates[at(8, 0)] = 0xE;  // 1, 2 and 3
  return g;
}

TEST(LadderInvarianceTest, AUniqueLoopIsFoundHoweverManyPathsComeFirst) {
  for (const bool transpose : {false, true}) {
    const logic::Grid g = tangle(transpose);
    logic::Sink sink = logic::sink_for(logic::row_of("unique-loop"));
    sink.collect_all = true;
    logic::find_unique_loop(g, sink);
    ASSERT_TRUE(sink.found) << transpose;
    EXPECT_EQ(sink.best.rating, 45);
    EXPECT_EQ(sink.best.removed[transpose ? 8 : 72], 0x6) << transpose;
  }
}

TEST(LadderInvarianceTest, AnOrientationKeepsTheSolutionCount) {
  // The orientations are the puzzle's own symmetries: transposing twice,
  // or any change, keeps one solution.
  std::mt19937 rng(5);
  const std::string puzzle =
      puzzles_of(VORTEL_TEST_DATA "/bench_17clue.txt", 1).front();
  test::Symmetry flip;
  for (int i = 0; i < 9; ++i) flip.rows[i] = flip.columns[i] = i;
  for (int d = 1; d <= 9; ++d) flip.relabel[d] = d;
  flip.transpose = true;
  EXPECT_EQ(test::transformed(test::transformed(puzzle, flip), flip), puzzle);
  const std::string turned =
      test::transformed(puzzle, test::random_symmetry(rng));
  base::Puzzle solution{};
  EXPECT_EQ(logic::solve(test::digits_of(turned), solution),
            logic::Solutions::kOne);
}

}  // namespace
