// Standard output of a death-test child, sent to a file and read back by
// the parent.
#ifndef VORTEL_TESTS_UNIT_CHILD_OUTPUT_H_
#define VORTEL_TESTS_UNIT_CHILD_OUTPUT_H_

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace test {

/// In the child: standard output goes to the file `name` of the test
/// scratch directory.
inline void redirect_stdout(const std::string& name) {
  const std::string path = testing::TempDir() + name;
  if (std::freopen(path.c_str(), "w", stdout) == nullptr) std::abort();
}

/// In the parent: what the child printed to the file `name`, which is
/// then removed.
inline std::string stdout_of_child(const std::string& name) {
  const std::string path = testing::TempDir() + name;
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
