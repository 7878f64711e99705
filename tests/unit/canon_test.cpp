// The canonical form against the plain reference that tries every
// geometric transform, its invariance under random transforms, and the
// automorphism counts of grids built to have them.
#include "canon/canon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "../reference/canon_reference.h"
#include "logic/solution.h"
#include "logic_support.h"

namespace {

using canon::Definition;

std::vector<base::Puzzle> read_set(const std::string& path) {
  std::ifstream in(path);
  std::vector<base::Puzzle> puzzles;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() >= 81) puzzles.push_back(test::digits_of(line));
  }
  return puzzles;
}

std::vector<base::Puzzle> seventeen() {
  return read_set(std::string(VORTEL_TEST_DATA) + "/bench_17clue.txt");
}

std::vector<base::Puzzle> top() {
  return read_set(std::string(VORTEL_BENCH_DATA) + "/bench_top1465.txt");
}

base::Puzzle solution_of(const base::Puzzle& p) {
  base::Puzzle s{};
  EXPECT_EQ(logic::solve(p, s), logic::Solutions::kOne);
  return s;
}

// A random transform of the board: transposed or not, bands, rows within
// them, stacks, columns within them, and the digits, all shuffled.
canon::Transform random_transform(std::mt19937& rng) {
  int rows[9], cols[9], digits[10];
  for (int* order : {rows, cols}) {
    int groups[3] = {0, 1, 2};
    std::shuffle(groups, groups + 3, rng);
    for (int g = 0; g < 3; ++g) {
      int within[3] = {0, 1, 2};
      std::shuffle(within, within + 3, rng);
      for (int i = 0; i < 3; ++i) order[g * 3 + i] = groups[g] * 3 + within[i];
    }
  }
  for (int d = 0; d < 10; ++d) digits[d] = d;
  std::shuffle(digits + 1, digits + 10, rng);
  const bool transposed = rng() % 2 == 1;
  canon::Transform t{};
  for (int i = 0; i < 81; ++i) {
    const int r = rows[i / 9], c = cols[i % 9];
    t.cell_from[i] =
        static_cast<std::uint8_t>(transposed ? c * 9 + r : r * 9 + c);
  }
  for (int d = 0; d < 10; ++d)
    t.digit_to[d] = static_cast<std::uint8_t>(digits[d]);
  return t;
}

// `count` cells of `grid` kept at random, the others emptied.
base::Puzzle kept(const base::Puzzle& grid, int count, std::mt19937& rng) {
  int order[81];
  for (int i = 0; i < 81; ++i) order[i] = i;
  std::shuffle(order, order + 81, rng);
  base::Puzzle p{};
  for (int i = 0; i < count; ++i) p.cell[order[i]] = grid.cell[order[i]];
  return p;
}

// The puzzles compared with the reference: 17 givens, hard ones, 30 to 40
// givens, and random digits in random cells (rows and columns repeat
// digits: the form is defined for any board).
std::vector<base::Puzzle> reference_sample() {
  std::mt19937 rng(34);
  const std::vector<base::Puzzle> few = seventeen();
  const std::vector<base::Puzzle> hard = top();
  std::vector<base::Puzzle> sample(few.begin(), few.begin() + 8);
  sample.insert(sample.end(), hard.begin(), hard.begin() + 8);
  for (int i = 0; i < 6; ++i) {
    sample.push_back(kept(solution_of(few[100 + static_cast<std::size_t>(i)]),
                          30 + 2 * i, rng));
  }
  for (int i = 0; i < 4; ++i) {
    base::Puzzle p{};
    for (int n = 0; n < 12 + 6 * i; ++n) {
      p.cell[rng() % 81] = static_cast<std::uint8_t>(rng() % 10);
    }
    sample.push_back(p);
  }
  return sample;
}

TEST(CanonTest, FormsAreTheReferencesAndTheirTransformsYieldThem) {
  for (const base::Puzzle& p : reference_sample()) {
    for (const Definition d : {Definition::kMinlex, Definition::kPattern}) {
      const canon::Form fast = canon::canonical_form(p, d);
      const canon::Form plain = plain::canonical_form(p, d);
      EXPECT_TRUE(fast.form == plain.form);
      EXPECT_TRUE(canon::apply(fast.transform, p) == fast.form);
    }
  }
}

// Puzzles whose givens fill, in each stack, a block of rows by columns,
// so that the columns of a stack share their given pattern in every row
// and only the digits order them, some by digits seen in other stacks
// (with a digit twice in a row, the digits tie too): the pattern form
// against the reference.
TEST(CanonTest, ColumnsOnePatternApartAreOrderedByTheirDigits) {
  const base::Puzzle grid = solution_of(seventeen()[3]);
  const unsigned rows[3][3] = {
      {0x0DB, 0x1A5, 0x0F3}, {0x1B6, 0x0DB, 0x15B}, {0x0F3, 0x1C7, 0x0DB}};
  const unsigned cols[3] = {0x1B3, 0x0E7, 0x16D};
  for (int k = 0; k < 3; ++k) {
    base::Puzzle p{};
    for (int i = 0; i < 81; ++i) {
      const unsigned in_rows = rows[k][i % 9 / 3] >> (i / 9);
      if ((in_rows & (cols[k] >> (i % 9)) & 1U) != 0) p.cell[i] = grid.cell[i];
    }
    if (k == 2) p.cell[1] = p.cell[0];
    const canon::Form fast = canon::canonical_form(p, Definition::kPattern);
    EXPECT_TRUE(fast.form ==
                plain::canonical_form(p, Definition::kPattern).form);
    EXPECT_TRUE(canon::apply(fast.transform, p) == fast.form);
  }
}

TEST(CanonTest, RandomTransformsOfAPuzzleGiveOneForm) {
  std::mt19937 rng(7);
  std::vector<base::Puzzle> puzzles = seventeen();
  const std::vector<base::Puzzle> hard = top();
  puzzles.insert(puzzles.end(), hard.begin(), hard.end());
  for (const base::Puzzle& p : puzzles) {
    const canon::Transform t = random_transform(rng);
    for (const Definition d : {Definition::kMinlex, Definition::kPattern}) {
      const base::Puzzle form = canon::canonical_form(p, d).form;
      const canon::Form moved = canon::canonical_form(canon::apply(t, p), d);
      EXPECT_TRUE(moved.form == form);
    }
  }
}

// Full grids take a search of their own: the solutions of the 17-clue set
// under random transforms give one form each, with a transform that yields
// it, the first few the reference's.
TEST(CanonTest, GridFormsAreTheReferencesAndInvariant) {
  std::mt19937 rng(21);
  const std::vector<base::Puzzle> few = seventeen();
  for (std::size_t i = 0; i < few.size(); ++i) {
    const base::Puzzle grid = solution_of(few[i]);
    const base::Puzzle form = canon::canonical_form(grid).form;
    if (i < 6) {
      EXPECT_TRUE(form ==
                  plain::canonical_form(grid, Definition::kMinlex).form);
    }
    const base::Puzzle moved = canon::apply(random_transform(rng), grid);
    const canon::Form f = canon::canonical_form(moved);
    EXPECT_TRUE(f.form == form);
    EXPECT_TRUE(canon::apply(f.transform, moved) == f.form);
  }
}

TEST(CanonTest, TheSeventeenGivenSetHasThreeHundredDistinctForms) {
  std::set<std::string> forms;
  for (const base::Puzzle& p : seventeen()) {
    const base::Puzzle form = canon::canonical_form(p).form;
    forms.insert(std::string(form.cell, form.cell + 81));
  }
  EXPECT_EQ(forms.size(), 300U);
}

// The smallest valid grid in row-major order: each cell the smallest digit
// that leaves the grid completable, found by plain backtracking.
bool fill_smallest(base::Puzzle& g, int i) {
  if (i == 81) return true;
  for (std::uint8_t d = 1; d <= 9; ++d) {
    bool clash = false;
    for (int j = 0; j < i; ++j) {
      const bool peer = j / 9 == i / 9 || j % 9 == i % 9 ||
                        (j / 27 == i / 27 && j % 9 / 3 == i % 9 / 3);
      clash = clash || (peer && g.cell[j] == d);
    }
    g.cell[i] = d;
    if (!clash && fill_smallest(g, i + 1)) return true;
  }
  g.cell[i] = 0;
  return false;
}

TEST(CanonTest, TheSmallestValidGridIsItsOwnForm) {
  base::Puzzle smallest{};
  ASSERT_TRUE(fill_smallest(smallest, 0));
  EXPECT_TRUE(canon::canonical_form(smallest).form == smallest);
  EXPECT_TRUE(canon::canonical_form(smallest, Definition::kPattern).form ==
              smallest);
  std::mt19937 rng(3);
  const base::Puzzle moved = canon::apply(random_transform(rng), smallest);
  EXPECT_TRUE(canon::canonical_form(moved).form == smallest);
}

TEST(CanonTest, AutomorphismCountsAreTheReferences) {
  // A grid of digits (r1 + c2, r2 + c1) over the rows (band r1, row r2)
  // and columns (stack c1, column c2), coordinates mod 3: 648
  // automorphisms. A grid of digits quadratic in the same coordinates,
  // found among such grids: 162. The smallest valid grid: 3. A random
  // grid: 1.
  std::mt19937 rng(11);
  base::Puzzle linear{};
  for (int i = 0; i < 81; ++i) {
    const int r = i / 9, c = i % 9;
    linear.cell[i] = static_cast<std::uint8_t>(1 + 3 * ((r / 3 + c % 3) % 3) +
                                               (r % 3 + c / 3) % 3);
  }
  base::Puzzle smallest{};
  ASSERT_TRUE(fill_smallest(smallest, 0));
  const base::Puzzle random_grid =
      canon::apply(random_transform(rng), solution_of(seventeen()[5]));
  const struct {
    base::Puzzle grid;
    long count;
  } cases[] = {{linear, 648},
               {test::digits_of("123789456978645312564231897285417963741396528"
                                "639852174357168249816924735492573681"),
                162},
               {smallest, 3},
               {random_grid, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(plain::automorphisms(c.grid), c.count);
    EXPECT_EQ(canon::automorphisms(c.grid), c.count);
    EXPECT_EQ(canon::automorphisms(canon::apply(random_transform(rng), c.grid)),
              c.count);
  }
  // With empty cells: the 648 grid without its 1s and 2s (the two digits
  // absent relabelled freely), then two of its rows alone (seven empty
  // rows, interchangeable), and the empty board, whose count does not fit
  // an int.
  base::Puzzle sparse = linear;
  for (std::uint8_t& d : sparse.cell) d = d <= 2 ? 0 : d;
  base::Puzzle two_rows{};
  for (int c = 0; c < 9; ++c) {
    two_rows.cell[c] = linear.cell[c];
    two_rows.cell[36 + c] = linear.cell[36 + c];
  }
  for (const base::Puzzle& p : {sparse, two_rows}) {
    EXPECT_EQ(canon::automorphisms(p), plain::automorphisms(p));
  }
  EXPECT_EQ(canon::automorphisms(base::Puzzle{}), -1);
}

}  // namespace
