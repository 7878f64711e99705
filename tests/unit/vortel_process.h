// Helpers for tests that make random puzzles and run the built vortel on
// them.
#ifndef VORTEL_TESTS_UNIT_VORTEL_PROCESS_H_
#define VORTEL_TESTS_UNIT_VORTEL_PROCESS_H_

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace test {

using Grid = std::array<int, 81>;  // digits, 0 = empty

// A random valid grid: a fixed pattern under random relabelling of digits,
// shuffles of rows within bands, of bands, of columns within stacks, of
// stacks, and transposition.
inline Grid random_grid(std::mt19937& rng) {
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

inline VortelRun run_vortel(const Grid& puzzle, const std::string& options) {
  // One file per process: ctest runs tests in parallel processes.
  const std::string path =
      testing::TempDir() + "vortel_puzzle_" + std::to_string(getpid()) + ".txt";
  std::FILE* f = std::fopen(path.c_str(), "w");
  for (int i = 0; i < 81; ++i) {
    if (puzzle[i] != 0)
      std::fprintf(f, "%d %d %d\n", i / 9 + 1, i % 9 + 1, puzzle[i]);
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
inline std::vector<Grid> boards_after(const std::string& out,
                                      const std::string& title) {
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

inline long reported_count(const std::string& out) {
  const std::string key = "Il problema ammette ";
  const std::size_t pos = out.find(key);
  return pos == std::string::npos ? -1
                                  : std::stol(out.substr(pos + key.size()));
}

/// A random puzzle: a random grid with `holes` givens removed.
inline Grid random_puzzle(std::mt19937& rng, int holes) {
  Grid puzzle = random_grid(rng);
  std::array<int, 81> order{};
  for (int i = 0; i < 81; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), rng);
  for (int k = 0; k < holes; ++k) puzzle[order[k]] = 0;
  return puzzle;
}

/// The whole content of a file ("" when it cannot be read).
inline std::string slurp(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::string text;
  if (f == nullptr) return text;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    text.append(buffer, got);
  }
  std::fclose(f);
  return text;
}

namespace detail {

inline long count_from(Grid& grid, std::array<unsigned, 27>& used, int from,
                       long limit, long found) {
  int i = from;
  while (i < 81 && grid[i] != 0) ++i;
  if (i == 81) return found + 1;
  const int box = 18 + (i / 27) * 3 + (i % 9) / 3;
  const unsigned taken = used[i / 9] | used[9 + i % 9] | used[box];
  for (int d = 1; d <= 9 && found < limit; ++d) {
    const unsigned bit = 1U << d;
    if (taken & bit) continue;
    grid[i] = d;
    used[i / 9] |= bit;
    used[9 + i % 9] |= bit;
    used[box] |= bit;
    found = count_from(grid, used, i + 1, limit, found);
    used[i / 9] &= ~bit;
    used[9 + i % 9] &= ~bit;
    used[box] &= ~bit;
    grid[i] = 0;
  }
  return found;
}

}  // namespace detail

/// The number of completions of `grid` (0 if its givens clash), counted by
/// plain backtracking with digit masks, stopping at `limit`.
inline long count_completions(Grid grid, long limit) {
  std::array<unsigned, 27> used{};
  for (int i = 0; i < 81; ++i) {
    if (grid[i] == 0) continue;
    const unsigned bit = 1U << grid[i];
    const int units[3] = {i / 9, 9 + i % 9, 18 + (i / 27) * 3 + (i % 9) / 3};
    for (int u : units) {
      if (used[u] & bit) return 0;
      used[u] |= bit;
    }
  }
  return detail::count_from(grid, used, 0, limit, 0);
}

}  // namespace test

#endif  // VORTEL_TESTS_UNIT_VORTEL_PROCESS_H_
