// The search and the counter: the out-of-memory path, and the known
// puzzles against the plain reference search.
#include "solver/search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "child_output.h"
#include "front/exit_status.h"
#include "front/options.h"
#include "front/output.h"
#include "front/report.h"
#include "solver/count.h"
#include "solver/propagate.h"
#include "solver/seams.h"
#include "solver/state.h"
#include "test_boards.h"

namespace {

solver::State* no_memory() {
  return nullptr;
}

void* no_counter_memory(std::size_t /*size*/) {
  return nullptr;
}

// Runs the iterative process on the empty board in a death-test child with
// `seams` whose allocator fails: the run must end with status 3. Returns
// what the child wrote on standard output.
std::string shown_short_of_memory(const char* file, solver::SearchSeams seams) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  solver::Board board;
  board.fill(solver::kAllCandidates);
  EXPECT_EXIT(
      {
        test::end_child_if_it_hangs();
        test::redirect_stdout(file);
        front::iterative_process(board, 81, &seams);
      },
      testing::ExitedWithCode(front::kExitFormatOrMemory), "");
  return test::stdout_of_child(file);
}

// The first pool board cannot be had. The first solution needs none; a
// listing goes on with the ordered search, which does: the run reports the
// lack of memory after the first solution, with status 3.
TEST(SearchDeathTest, OutOfMemory) {
  front::g_settings.all = true;
  front::g_sink = stdout;
  solver::SearchSeams seams;
  seams.allocate_board = no_memory;
  const std::string shown =
      shown_short_of_memory("vortel_oom_stdout.txt", seams);
  front::g_settings.all = false;
  front::g_sink = nullptr;
  EXPECT_TRUE(shown.starts_with("Processo iterativo in corso ...\n")) << shown;
  EXPECT_TRUE(shown.ends_with("\n\n\nSpazio di memoria insufficiente\n"))
      << shown;
  EXPECT_EQ(shown.find("   1 2 3   4 5 6   7 8 9\n"),
            shown.rfind("   1 2 3   4 5 6   7 8 9\n"))
      << "one board only: " << shown;
}

// The counter's memory cannot be had: the count mode shows the first
// solution, then reports the lack of memory with status 3, never a count
// or "no solutions".
TEST(SearchDeathTest, CounterOutOfMemory) {
  front::g_settings.count = true;
  solver::SearchSeams seams;
  seams.allocate_counter = no_counter_memory;
  const std::string shown =
      shown_short_of_memory("vortel_count_oom_stdout.txt", seams);
  front::g_settings.count = false;
  EXPECT_TRUE(shown.starts_with(
      "Processo iterativo in corso ...\n\nPrima soluzione trovata\n\n"
      "   1 2 3   4 5 6   7 8 9\n"))
      << shown;
  EXPECT_TRUE(shown.ends_with("\n\n\nSpazio di memoria insufficiente\n"))
      << shown;
  EXPECT_EQ(shown.find("privo di soluzioni"), std::string::npos) << shown;
}

}  // namespace

namespace {

std::vector<solver::Board> g_listed;

bool list_one(const solver::Board& solution, void* /*context*/) {
  g_listed.push_back(solution);
  return true;
}

void ignore_milestone(std::int64_t /*count*/, void* /*context*/) {}

// Well-known puzzles. The plain reference search must make exactly the
// recorded number of trials (a property of its rules: first open cell in
// row-major order, digits upwards, full propagation after each trial).
// vortel's search prunes what provably holds no solution, so it must list
// the same solutions in the same order with at most as many trials, and
// its counter must count them.
TEST(SearchTest, KnownPuzzlesAgainstThePlainSearchAndItsTrialCounts) {
  std::FILE* corpus = std::fopen(VORTEL_TEST_DATA "/search_corpus.txt", "r");
  ASSERT_NE(corpus, nullptr);
  char line[256];
  int checked = 0;
  while (std::fgets(line, sizeof line, corpus) != nullptr) {
    if (line[0] == '#') continue;
    const std::string text(line);
    const std::size_t first_colon = text.find(':');
    const std::size_t second_colon = text.find(':', first_colon + 1);
    const std::string puzzle = text.substr(0, first_colon);
    const std::size_t solutions = std::stoul(text.substr(first_colon + 1));
    const std::string trials = text.substr(second_colon + 1);
    const solver::Board loaded = test::board_from_string(puzzle);
    std::int64_t plain_trials = 0;
    const std::vector<solver::Board> expected =
        plain::solutions(loaded, 1000000, &plain_trials);
    EXPECT_EQ(expected.size(), solutions) << puzzle;
    if (trials.size() > 1) {
      EXPECT_EQ(plain_trials, std::stol(trials)) << puzzle;
    }
    solver::Board board = loaded;
    std::int32_t unknown = solver::count_unknown(board);
    solver::propagate(board, unknown);
    if (unknown > 0) {
      g_listed.clear();
      solver::SearchSeams seams;
      solver::search(board, unknown, {list_one, nullptr}, &seams);
      EXPECT_EQ(g_listed, expected) << puzzle;
      EXPECT_LE(seams.trials, plain_trials) << puzzle;
      EXPECT_EQ(test::count_of(board, solver::count_unknown(board),
                               {10000, ignore_milestone, nullptr}),
                static_cast<std::int64_t>(solutions))
          << puzzle;
    }
    ++checked;
  }
  std::fclose(corpus);
  EXPECT_EQ(checked, 14);
}

}  // namespace

namespace {

std::vector<std::int64_t> g_told;

void tell(std::int64_t count, void* /*context*/) {
  g_told.push_back(count);
}

// A remembered sub-count added in one go tells every multiple it passes,
// in order, as counting one by one would.
TEST(CountTest, OneAdditionTellsEveryMilestoneItPasses) {
  const solver::CountObserver observer{10000, tell, nullptr};
  solver::CountProgress progress{&observer, 0, observer.every};
  g_told.clear();
  solver::add_to_count(progress, 9999);
  solver::add_to_count(progress, 25002);  // 35001: passes three
  solver::add_to_count(progress, 1);
  EXPECT_EQ(progress.total, 35002);
  EXPECT_EQ(g_told, (std::vector<std::int64_t>{10000, 20000, 30000}));
}

// Positions with the same candidates in different cells are different
// sub-problems: their memo keys differ. The same cells and candidates give
// the same key whatever else the problem holds.
TEST(CountTest, MemoKeyTellsCellsApart) {
  solver::SmallProblem top{};
  solver::SmallProblem bottom{};
  solver::SmallState position{};
  position.open = 0b11;
  position.avail[0] = 0b0110;  // digits 1 and 2
  position.avail[1] = 0b0110;
  top.cells = bottom.cells = 2;
  top.cell[0] = 0;
  top.cell[1] = 1;
  bottom.cell[0] = 72;
  bottom.cell[1] = 73;
  EXPECT_NE(solver::memo_key(top, position),
            solver::memo_key(bottom, position));
  solver::SmallState other = position;
  other.avail[1] = 0b1010;  // digits 1 and 3
  EXPECT_NE(solver::memo_key(top, position), solver::memo_key(top, other));
  solver::SmallProblem same = top;
  same.peers[0] = 0b10;
  EXPECT_EQ(solver::memo_key(top, position), solver::memo_key(same, position));
}

}  // namespace
