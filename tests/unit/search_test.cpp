// The search: its out-of-memory path and its trial counts.
#include "solver/search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "front/exit_status.h"
#include "front/report.h"
#include "solver/propagate.h"
#include "solver/state.h"
#include "test_boards.h"

namespace {

solver::State* no_memory() {
  return nullptr;
}

// The first pool board cannot be had: the run reports it on standard
// output and ends with status 3.
TEST(SearchDeathTest, OutOfMemory) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string log = testing::TempDir() + "vortel_oom_stdout.txt";
  solver::Board board;
  board.fill(solver::kAllCandidates);
  EXPECT_EXIT(
      {
        if (std::freopen(log.c_str(), "w", stdout) == nullptr) std::abort();
        solver::g_search_seams.allocate_board = no_memory;
        front::iterative_process(board, 81);
      },
      testing::ExitedWithCode(front::kExitFormatOrMemory), "");
  std::FILE* f = std::fopen(log.c_str(), "r");
  ASSERT_NE(f, nullptr);
  char text[128] = {};
  const std::size_t got = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  std::remove(log.c_str());
  EXPECT_EQ(std::string(text, got),
            "Processo iterativo in corso ...\n"
            "\nSpazio di memoria insufficiente\n");
}

}  // namespace

namespace {

long g_found = 0;

bool count_one(const solver::Board& /*solution*/) {
  ++g_found;
  return true;
}

// The trial counts and solution counts of well-known puzzles: the search
// branches on the first open cell in row-major order, so these numbers are
// a property of its rules that any change to the solver must keep.
TEST(SearchTest, TrialAndSolutionCountsOfKnownPuzzles) {
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
    const long solutions = std::stol(text.substr(first_colon + 1));
    const std::string trials = text.substr(second_colon + 1);
    solver::Board board = test::board_from_string(puzzle);
    std::int32_t unknown = solver::count_unknown(board);
    solver::propagate(board, unknown);
    g_found = 0;
    solver::g_search_seams.trial_count = 0;
    if (unknown == 0) {
      g_found = 1;
    } else {
      solver::search(board, 0, unknown, {count_one});
    }
    EXPECT_EQ(g_found, solutions) << puzzle;
    if (trials.size() > 1) {
      EXPECT_EQ(solver::g_search_seams.trial_count, std::stol(trials))
          << puzzle;
    }
    ++checked;
  }
  std::fclose(corpus);
  EXPECT_EQ(checked, 14);
}

}  // namespace
