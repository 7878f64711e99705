// vortel against an independent solution counter, on random puzzles.
//
// Each puzzle is a random valid grid with a random number of givens
// removed. A deliberately simple bitmask backtracker, written here and
// sharing nothing with the solver, enumerates the completions in row-major
// order. The built vortel must report the same count with -c, print the
// smallest completion as its first solution, and with -S list every
// solution in exactly that order.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Grid = std::array<int, 81>;  // 0 = empty

// Enumerates completions of `grid` in row-major, digit-ascending order,
// stopping after `limit` of them.
class SimpleCounter {
 public:
  explicit SimpleCounter(std::size_t limit) : limit_(limit) {}

  std::vector<Grid> solve(Grid grid) {
    solutions_.clear();
    rows_.fill(0);
    cols_.fill(0);
    boxes_.fill(0);
    for (int i = 0; i < 81; ++i) {
      if (grid[i] == 0) continue;
      const unsigned bit = 1U << grid[i];
      if ((rows_[i / 9] | cols_[i % 9] | boxes_[box(i)]) & bit) return {};
      rows_[i / 9] |= bit;
      cols_[i % 9] |= bit;
      boxes_[box(i)] |= bit;
    }
    fill(grid, 0);
    return solutions_;
  }

 private:
  static int box(int i) { return (i / 27) * 3 + (i % 9) / 3; }

  void fill(Grid& grid, int from) {
    if (solutions_.size() >= limit_) return;
    int i = from;
    while (i < 81 && grid[i] != 0) ++i;
    if (i == 81) {
      solutions_.push_back(grid);
      return;
    }
    for (int d = 1; d <= 9; ++d) {
      const unsigned bit = 1U << d;
      if ((rows_[i / 9] | cols_[i % 9] | boxes_[box(i)]) & bit) continue;
      grid[i] = d;
      rows_[i / 9] |= bit;
      cols_[i % 9] |= bit;
      boxes_[box(i)] |= bit;
      fill(grid, i + 1);
      rows_[i / 9] &= ~bit;
      cols_[i % 9] &= ~bit;
      boxes_[box(i)] &= ~bit;
      grid[i] = 0;
    }
  }

  std::size_t limit_;
  std::vector<Grid> solutions_;
  std::array<unsigned, 9> rows_{}, cols_{}, boxes_{};
};

// A random valid grid: a fixed pattern under random relabelling of digits,
// shuffles of rows within bands, of bands, of columns within stacks, of
// stacks, and transposition.
Grid random_grid(std::mt19937& rng) {
  std::array<int, 9> digits = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::shuffle(digits.begin(), digits.end(), rng);
  auto shuffled_lines = [&rng]() {
    std::array<int, 3> bands = {0, 1, 2};
    std::shuffle(bands.begin(), bands.end(), rng);
    std::array<int, 9> lines{};
    for (int b = 0; b < 3; ++b) {
      std::array<int, 3> inner = {0, 1, 2};
      std::shuffle(inner.begin(), inner.end(), rng);
      for (int k = 0; k < 3; ++k) lines[3 * b + k] = 3 * bands[b] + inner[k];
    }
    return lines;
  };
  const std::array<int, 9> rows = shuffled_lines();
  const std::array<int, 9> cols = shuffled_lines();
  const bool transpose = rng() % 2 == 0;
  Grid grid{};
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      const int pr = rows[r];
      const int pc = cols[c];
      const int pattern = (pr * 3 + pr / 3 + pc) % 9;
      grid[transpose ? 9 * c + r : 9 * r + c] = digits[pattern];
    }
  }
  return grid;
}

struct VortelRun {
  int status = -1;
  std::string out;
};

VortelRun run_vortel(const Grid& puzzle, const std::string& options) {
  const std::string path = testing::TempDir() + "vortel_property.txt";
  std::FILE* f = std::fopen(path.c_str(), "w");
  for (int i = 0; i < 81; ++i) {
    if (puzzle[i] != 0) std::fprintf(f, "%d %d %d\n", i / 9 + 1, i % 9 + 1, puzzle[i]);
  }
  std::fclose(f);
  const std::string command =
      std::string(VORTEL_BINARY) + " " + path + " " + options + " </dev/null";
  VortelRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    run.out.append(buffer, got);
  }
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::remove(path.c_str());
  return run;
}

// The board printed under each occurrence of `title`, as a Grid.
std::vector<Grid> boards_after(const std::string& out, const std::string& title) {
  std::vector<Grid> boards;
  std::size_t pos = 0;
  while ((pos = out.find("\n" + title + "\n\n", pos)) != std::string::npos) {
    pos += title.size() + 3;
    Grid g{};
    int cell = 0;
    while (cell < 81 && pos < out.size()) {
      const char ch = out[pos++];
      if (ch >= '1' && ch <= '9') g[cell++] = ch - '0';
      if (ch == '-') g[cell++] = 0;
    }
    boards.push_back(g);
  }
  return boards;
}

long reported_count(const std::string& out) {
  const std::string key = "Il problema ammette ";
  const std::size_t pos = out.find(key);
  return pos == std::string::npos ? -1 : std::stol(out.substr(pos + key.size()));
}

TEST(SearchPropertyTest, MatchesAnIndependentCounter) {
  std::mt19937 rng(20261207);
  SimpleCounter counter(20000);
  int with_search = 0;
  int without_solution = 0;
  for (int trial = 0; trial < 300; ++trial) {
    Grid puzzle = random_grid(rng);
    // Between 30 and 53 holes; now and then a wrong given on top, which
    // usually leaves no solution at all.
    const int holes = 30 + static_cast<int>(rng() % 24);
    std::array<int, 81> order{};
    for (int i = 0; i < 81; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), rng);
    for (int k = 0; k < holes; ++k) puzzle[order[k]] = 0;
    if (trial % 10 == 9) {
      const int cell = order[0];
      puzzle[cell] = 1 + static_cast<int>(rng() % 9);
    }
    const std::vector<Grid> expected = counter.solve(puzzle);
    if (expected.size() >= 20000) continue;  // too many to enumerate here
    SCOPED_TRACE("trial " + std::to_string(trial));

    const VortelRun counted = run_vortel(puzzle, "-c");
    if (expected.empty()) {
      ++without_solution;
      // Either logic or the search finds the contradiction.
      EXPECT_TRUE(counted.status == 2 || counted.status == 4 || counted.status == 1);
      if (counted.status == 4) {
        EXPECT_NE(counted.out.find("Problema proposto privo di soluzioni!"),
                  std::string::npos);
      }
      continue;
    }
    EXPECT_EQ(reported_count(counted.out), static_cast<long>(expected.size()));
    const bool searched = counted.status == 4;
    if (searched) ++with_search;
    EXPECT_EQ(counted.status, expected.size() == 1 && !searched ? 0 : 4);
    const std::vector<Grid> first = boards_after(
        counted.out, searched ? "Prima soluzione trovata"
                              : "Tabella risolta con solo processo matematico");
    ASSERT_EQ(first.size(), 1U);
    EXPECT_EQ(first[0], expected[0]);

    if (searched && expected.size() <= 50) {
      const VortelRun listed = run_vortel(puzzle, "-S");
      std::vector<Grid> all;
      for (std::size_t n = 1; n <= expected.size(); ++n) {
        const std::vector<Grid> one =
            boards_after(listed.out, "Soluzione N. " + std::to_string(n));
        ASSERT_EQ(one.size(), 1U) << n;
        all.push_back(one[0]);
      }
      EXPECT_EQ(all, expected);
      EXPECT_EQ(listed.status, 4);
    }
  }
  // The sample must exercise the search and the no-solution path.
  EXPECT_GT(with_search, 50);
  EXPECT_GT(without_solution, 5);
}

}  // namespace
