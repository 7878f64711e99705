#include "answers/arguments.h"

#include <cstring>

namespace answers {

bool walk_arguments(int argc, char** argv, TakeOption take, void* context,
                    char**& names, int& count) {
  // A name is moved no further forward than its own place, so the names
  // can share argv with the arguments still to be read.
  names = argv + 1;
  count = 0;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    char* arg = argv[i];
    if (!options_end && std::strcmp(arg, "--") == 0) {
      options_end = true;
    } else if (!options_end && arg[0] == '-' && arg[1] != '\0') {
      if (!take(argc, argv, i, context)) return false;
    } else {
      names[count++] = arg;
    }
  }
  return true;
}

const char* threads_value(int argc, char** argv, int& i) {
  const char* arg = argv[i];
  if (arg[2] != '\0') return arg + 2;
  return i + 1 < argc ? argv[++i] : nullptr;
}

bool parse_threads(const char* text, int& threads) {
  int n = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    // Past 1024 the count is refused whatever follows: no overflow.
    if (*p < '0' || *p > '9' || n > 1024) return false;
    n = 10 * n + (*p - '0');
  }
  threads = n;
  return n >= 1 && n <= 1024;
}

}  // namespace answers
