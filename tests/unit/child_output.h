// Standard output of a death-test child, sent to a file and read back by
// the parent.
#ifndef VORTEL_TESTS_UNIT_CHILD_OUTPUT_H_
#define VORTEL_TESTS_UNIT_CHILD_OUTPUT_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace test {

/// The longest a death-test child may run: every one ends in milliseconds.
inline constexpr int kChildSeconds = 30;

/// In the child, first: ends it with status 124 if it is still running
/// after kChildSeconds, so that a hang fails its test at once instead of
/// holding the whole suite until the preset's time limit. A thread of its
/// own, since the code under test catches every timer signal while it
/// writes an output file.
inline void end_child_if_it_hangs() {
  std::thread([] {
    std::this_thread::sleep_for(std::chrono::seconds(kChildSeconds));
    std::_Exit(124);
  }).detach();
}

/// The scratch file `name` of the test process `owner`: named by its
/// process id, so that two test runs at once (two builds' suites, or
/// parallel CTest entries) never share one. A death-test child is a child
/// of the test process, so both find the file by the parent's id.
inline std::string scratch_path(const std::string& name, pid_t owner) {
  return testing::TempDir() + std::to_string(owner) + "_" + name;
}

/// In the child: standard output goes to the file `name` of the test
/// scratch directory.
inline void redirect_stdout(const std::string& name) {
  const std::string path = scratch_path(name, getppid());
  if (std::freopen(path.c_str(), "w", stdout) == nullptr) std::abort();
}

/// In the parent: what the child printed to the file `name`, which is
/// then removed.
inline std::string stdout_of_child(const std::string& name) {
  const std::string path = scratch_path(name, getpid());
  std::string text;
  if (std::FILE* f = std::fopen(path.c_str(), "r")) {
    char buffer[512];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
      text.append(buffer, got);
    }
    std::fclose(f);
  }
  std::remove(path.c_str());
  return text;
}

}  // namespace test

#endif  // VORTEL_TESTS_UNIT_CHILD_OUTPUT_H_
