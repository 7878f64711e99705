// The ratings of the shared sets, pinned: tests/data/ratings_pinned.txt
// holds, a puzzle a line, what the ladder gives it (ER/EP/ED in tenths,
// whether the path reached the end, the hardest technique and the steps
// of each technique). Any change of a rating or of a path must come as a
// reviewed change of that file: run these tests with VORTEL_PIN_WRITE=FILE
// to write the lines anew (a file a set), and compare.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "logic/ladder.h"
#include "logic/solution.h"
#include "logic_support.h"

namespace {

// "puzzle\t45/12/12\tsolved\tUnique Rectangle\tfull-house:3 ...".
std::string pinned_line(const std::string& puzzle) {
  const base::Puzzle digits = test::digits_of(puzzle);
  base::Puzzle solution{};
  if (logic::solve(digits, solution) != logic::Solutions::kOne) {
    return puzzle + "\tno single solution";
  }
  const logic::Rating r = logic::rate(logic::make_grid(digits), solution, {});
  int size = 0;
  const logic::Technique* table = logic::ladder(size);
  std::string line = puzzle;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "\t%d/%d/%d\t%s\t", r.er, r.ep, r.ed,
                r.outcome == logic::Outcome::kSolved ? "solved" : "stuck");
  line += buffer;
  line += r.hardest >= 0 ? table[r.hardest].name : "-";
  line += "\t";
  for (int t = 0; t < size; ++t) {
    if (r.counts[t] == 0) continue;
    std::snprintf(buffer, sizeof buffer, "%s%s:%d",
                  line.back() == '\t' ? "" : " ", table[t].slug, r.counts[t]);
    line += buffer;
  }
  if (r.unsound != 0) line += "\tunsound";
  return line;
}

std::vector<std::string> lines_of(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The first `n` puzzles of a set (its first 81 characters a line).
void add_puzzles(const std::string& path, std::size_t n,
                 std::vector<std::string>& puzzles) {
  std::ifstream in(path);
  std::size_t taken = 0;
  for (std::string line; taken < n && std::getline(in, line);) {
    if (line.size() < 81) continue;
    puzzles.push_back(line.substr(0, 81));
    ++taken;
  }
}

// The puzzles of one set, from line `first` of the pinned file on. With
// VORTEL_PIN_WRITE set, their lines go to that file's slice (FILE.first).
// `sparse`: a set whose puzzles take seconds each (the nested chains), of
// which one in ten is compared (one in fifty under the sanitizers); every
// one when the lines are written.
void check_set(const std::string& path, std::size_t n, std::size_t first,
               bool sparse = false) {
  // Every puzzle in a Release build; one in five under the sanitizers.
#ifdef NDEBUG
  std::size_t stride = 1;
#else
  std::size_t stride = 5;
#endif
  if (sparse) stride *= 10;
  if (std::getenv("VORTEL_PIN_WRITE") != nullptr) stride = 1;
  std::vector<std::string> puzzles;
  add_puzzles(path, n, puzzles);
  ASSERT_EQ(puzzles.size(), n) << path;
  std::vector<std::string> got(n);
  for (std::size_t i = 0; i < n; i += stride) {
    got[i] = pinned_line(puzzles[i]);
  }

  if (const char* out = std::getenv("VORTEL_PIN_WRITE")) {
    const std::string name = std::string(out) + "." + std::to_string(first);
    std::FILE* f = std::fopen(name.c_str(), "w");
    ASSERT_NE(f, nullptr) << name;
    for (const std::string& line : got) std::fprintf(f, "%s\n", line.c_str());
    ASSERT_EQ(std::fclose(f), 0);
  }
  const std::vector<std::string> expected =
      lines_of(VORTEL_TEST_DATA "/ratings_pinned.txt");
  ASSERT_GE(expected.size(), first + n);
  int differ = 0;
  for (std::size_t i = 0; i < n && differ < 10; i += stride) {
    EXPECT_EQ(got[i], expected[first + i]) << "line " << first + i + 1;
    if (got[i] != expected[first + i]) ++differ;
  }
}

// The file's lines: 17-clue 1-300, top1465 301-600, forum hardest 601-700.
TEST(LadderPinnedTest, SeventeenClueRateAsRecorded) {
  check_set(VORTEL_TEST_DATA "/bench_17clue.txt", 300, 0);
}

TEST(LadderPinnedTest, Top1465RateAsRecorded) {
  check_set(VORTEL_BENCH_DATA "/bench_top1465.txt", 300, 300);
}

TEST(LadderPinnedTest, ForumHardestRateAsRecorded) {
  check_set(VORTEL_BENCH_DATA "/bench_forum_hardest_1106.txt", 100, 600, true);
}

}  // namespace
