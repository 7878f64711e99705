// A standard output whose reader has gone: vortel may end as any filter
// does (by SIGPIPE), but the output file keeps every board written before.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "vortel_process.h"

namespace {

using test::slurp;

TEST(StreamsTest, ClosedPipeLeavesTheOutputFileWhole) {
  const std::string dir =
      testing::TempDir() + "vortel_pipe_" + std::to_string(getpid());
  ASSERT_EQ(
      std::system(("rm -rf " + dir + " && mkdir -p " + dir +
                   " && cp " VORTEL_EXAMPLES "/many.txt " + dir + "/p.txt")
                      .c_str()),
      0);
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);  // the reader is gone before vortel writes a byte
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGPIPE, SIG_DFL);  // as a shell would start it
    if (chdir(dir.c_str()) != 0 || dup2(ends[1], 1) != 1) _exit(120);
    execl(VORTEL_BINARY, VORTEL_BINARY, "p.txt", "-s", "out.txt", "-c",
          static_cast<char*>(nullptr));
    _exit(121);
  }
  close(ends[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
  // The loaded board and the board after the mathematical process.
  EXPECT_EQ(
      slurp(dir + "/out.txt"),
      slurp(VORTEL_CASES
            "/write-stdout-closed-file-keeps-its-boards/creates/out.txt"));
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
