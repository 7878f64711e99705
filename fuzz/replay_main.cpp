// Without libFuzzer: feeds each file named on the command line to the fuzz
// target once, so that the committed corpus runs as a regression test under
// any compiler.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "fuzz_target.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::FILE* file = std::fopen(argv[i], "rb");
    if (file == nullptr) {
      std::perror(argv[i]);
      return 1;
    }
    std::vector<std::uint8_t> bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF) {
      bytes.push_back(static_cast<std::uint8_t>(c));
    }
    std::fclose(file);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("replayed %d inputs\n", argc - 1);
  return 0;
}
