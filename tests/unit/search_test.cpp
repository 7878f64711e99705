// The search: its out-of-memory path.
#include "solver/search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "front/exit_status.h"
#include "test_boards.h"

namespace {

solver::Board* no_memory() {
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
        solver::g_allocate_board = no_memory;
        std::int32_t unknown = 81;
        solver::search(board, 0, unknown);
      },
      testing::ExitedWithCode(front::kExitFormatOrMemory), "");
  std::FILE* f = std::fopen(log.c_str(), "r");
  ASSERT_NE(f, nullptr);
  char text[64] = {};
  const std::size_t got = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  std::remove(log.c_str());
  EXPECT_EQ(std::string(text, got), "\nSpazio di memoria insufficiente\n");
}

}  // namespace
