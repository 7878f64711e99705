// The solver called from many threads at once: the first solution, the
// count (with its milestones) and the ordered listing of different puzzles
// on eight threads, over and over, each answer compared with the one the
// same call gave on one thread. Under ThreadSanitizer (the tsan preset)
// any state the calls share shows as a race.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "logic_support.h"
#include "solver/count.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "test_boards.h"
#include "valuta/process.h"

namespace {

using solver::Board;

enum class Job { kFirst, kCount, kList };

// One call's answer: the solutions reported (the first, or the listing up
// to kListLimit), the count and its milestones.
struct Answer {
  std::vector<Board> solutions;
  std::int64_t count = -1;
  std::vector<std::int64_t> milestones;
  solver::SearchEnd end = solver::SearchEnd::kExhausted;

  bool operator==(const Answer&) const = default;
};

struct Task {
  Job job;
  Board board;  // propagated, with open cells
  std::int32_t unknown;
};

constexpr std::size_t kListLimit = 300;

bool keep_first(const Board& solution, void* context) {
  static_cast<Answer*>(context)->solutions.push_back(solution);
  return false;
}

bool keep_until_limit(const Board& solution, void* context) {
  std::vector<Board>& listed = static_cast<Answer*>(context)->solutions;
  listed.push_back(solution);
  return listed.size() < kListLimit;
}

void note_milestone(std::int64_t count, void* context) {
  static_cast<Answer*>(context)->milestones.push_back(count);
}

Answer run(const Task& task) {
  Answer answer;
  switch (task.job) {
  case Job::kFirst:
    answer.end =
        solver::search(task.board, task.unknown, {keep_first, &answer});
    break;
  case Job::kCount:
    answer.end =
        solver::count_solutions(task.board, task.unknown,
                                {1000, note_milestone, &answer}, answer.count);
    break;
  case Job::kList:
    answer.end =
        solver::search(task.board, task.unknown, {keep_until_limit, &answer});
    break;
  }
  return answer;
}

std::vector<std::string> puzzle_lines(const std::string& file, std::size_t n) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  std::string line;
  while (lines.size() < n && std::getline(in, line)) {
    if (line.size() >= 81 && line[0] != '#')
      lines.push_back(line.substr(0, 81));
  }
  return lines;
}

// Hard puzzles for the first solution and the listing (which proves them
// unique), puzzles of hundreds to thousands of solutions for all three.
std::vector<Task> tasks() {
  std::vector<std::string> hard =
      puzzle_lines(VORTEL_BENCH_DATA "/hard_for_search.txt", 12);
  for (const std::string& line :
       puzzle_lines(VORTEL_BENCH_DATA "/bench_forum_hardest_1106.txt", 12)) {
    hard.push_back(line);
  }
  std::vector<std::string> many;
  std::ifstream counts(VORTEL_BENCH_DATA "/multi_solution_counts.tsv");
  std::string line;
  while (std::getline(counts, line)) {
    std::istringstream fields(line);
    long count = 0, target = 0, clues = 0;
    std::string puzzle;
    if (fields >> count >> target >> clues >> puzzle && count <= 20000) {
      many.push_back(puzzle);
    }
  }
  std::vector<Task> all;
  const auto add = [&all](Job job, const std::string& text) {
    Task task{job, test::board_from_string(text), 0};
    task.unknown = solver::count_unknown(task.board);
    solver::propagate(task.board, task.unknown);
    if (task.unknown > 0) all.push_back(task);
  };
  for (const std::string& text : hard) {
    add(Job::kFirst, text);
    add(Job::kList, text);
  }
  for (const std::string& text : many) {
    add(Job::kFirst, text);
    add(Job::kCount, text);
    add(Job::kList, text);
  }
  return all;
}

TEST(ThreadsTest, EightThreadsAnswerAsOneDoes) {
  const std::vector<Task> all = tasks();
  ASSERT_GE(all.size(), 60U);
  std::vector<Answer> expected;
  expected.reserve(all.size());
  for (const Task& task : all) expected.push_back(run(task));
  for (std::size_t i = 0; i < all.size(); ++i) {
    ASSERT_TRUE(all[i].job == Job::kCount ? expected[i].count > 1
                                          : !expected[i].solutions.empty());
  }

  constexpr int kThreads = 8;
  constexpr int kRounds = 3;
  // Each thread goes through every task from its own starting point, so
  // that different puzzles and different jobs run side by side.
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  threads.reserve(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&all, &expected, &mismatches, t] {
      const std::size_t n = all.size();
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t k = 0; k < n; ++k) {
          const std::size_t i =
              (k + static_cast<std::size_t>(t) * n / kThreads +
               static_cast<std::size_t>(round)) %
              n;
          if (!(run(all[i]) == expected[i])) ++mismatches[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  }
}

// The rating ladder, as vortel-valuta's workers call it: each puzzle's
// whole path, told step by step, on four threads at once equals the one
// told on one thread. Puzzles whose paths go through every family of
// techniques, forcing chains included, and some it cannot finish.
TEST(ThreadsTest, RatingPathsOnFourThreadsAsOnOne) {
  std::vector<std::string> puzzles =
      puzzle_lines(VORTEL_BENCH_DATA "/bench_top1465.txt", 6);
  for (const std::string& line :
       puzzle_lines(VORTEL_BENCH_DATA "/bench_forum_hardest_1106.txt", 4)) {
    puzzles.push_back(line);
  }
  valuta::Options options;
  options.mode = valuta::Report::kSteps;
  const auto told = [&options](const std::string& text) {
    std::string out(1 << 20, '\0');
    logic::Text t{out.data(), out.size()};
    valuta::process(test::digits_of(text), options, t);
    out.resize(t.length);
    return out;
  };
  std::vector<std::string> expected;
  expected.reserve(puzzles.size());
  for (const std::string& p : puzzles) expected.push_back(told(p));
  ASSERT_NE(expected[0].find("Forcing Chain"), std::string::npos);

  constexpr int kThreads = 4;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  threads.reserve(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t k = 0; k < puzzles.size(); ++k) {
        const std::size_t i =
            (k + static_cast<std::size_t>(t) * 3) % puzzles.size();
        if (told(puzzles[i]) != expected[i]) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  }
}

}  // namespace
