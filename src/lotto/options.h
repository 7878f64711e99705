// vortel-lotto's command line.
#ifndef VORTEL_LOTTO_OPTIONS_H_
#define VORTEL_LOTTO_OPTIONS_H_

#include <cstdint>

#include "canon/canon.h"
#include "lotto/answer.h"
#include "lotto/format.h"

namespace lotto {

struct Settings {
  Question mode = Question::kSolve;
  std::int64_t limit = 2;  // --conta: where counting stops, 0 for none
  Style style;
  Columns columns;  // the fields asked beside the question's
  canon::Definition definition = canon::Definition::kMinlex;  // --canonica=
  int threads = 0;  // 0: every online CPU
  bool quiet = false;
  const char* const* names = nullptr;  // the inputs, in order
  int name_count = 0;
};

enum class Parse {
  kRun,
  kHelp,
  kVersion,
  kBad,  // `message` and `argument` say why
};

struct ParseResult {
  Parse parse = Parse::kRun;
  const char* message = nullptr;
  const char* argument = nullptr;
};

/// Reads the arguments into `settings`; prints nothing. The names are
/// those of argv itself, which outlives the run.
ParseResult parse_options(int argc, char** argv, Settings& settings);

/// The text of --help.
extern const char* const kUsage;

}  // namespace lotto

#endif  // VORTEL_LOTTO_OPTIONS_H_
