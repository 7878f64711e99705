// Fuzz target: option parsing on any argument vector (the input split at
// NUL bytes). It never runs a search; it checks that the result obeys the
// command line's rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "front/options.h"
#include "front/puzzle_file.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::vector<std::string> words = {"vortel"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  words.push_back(current);
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  front::RunSettings settings;
  const front::OptionResult result = front::parse_options(
      static_cast<int>(argv.size()), argv.data(), settings);
  switch (result.status) {
  case front::OptionStatus::kOk:
    if (settings.directory != nullptr) {
      // The path is the directory, a '/' if it lacks one, then the name.
      char* path = front::puzzle_path(settings, "p");
      const std::size_t length = std::strlen(path);
      if (length < 2 || std::strcmp(path + length - 2, "/p") != 0 ||
          std::strncmp(path, settings.directory,
                       std::strlen(settings.directory)) != 0) {
        std::abort();
      }
      std::free(path);
    }
    // Whichever of -s and -S comes second is refused.
    if (settings.first && settings.all) std::abort();
    break;
  case front::OptionStatus::kIllegal:
    if (result.bad_index < 2 ||
        static_cast<std::size_t>(result.bad_index) >= argv.size()) {
      std::abort();
    }
    break;
  case front::OptionStatus::kUsage:
    break;
  }
  return 0;
}
