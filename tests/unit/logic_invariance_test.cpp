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
  const logic::Digits digits = test::digits_of(puzzle);
  logic::Digits solution{};
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
  logic::Digits solution{};
  EXPECT_EQ(logic::solve(test::digits_of(turned), solution),
            logic::Solutions::kOne);
}

}  // namespace
