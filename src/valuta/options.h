// vortel-valuta's command line.
#ifndef VORTEL_VALUTA_OPTIONS_H_
#define VORTEL_VALUTA_OPTIONS_H_

#include "logic/ladder.h"

namespace valuta {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;    // bad command line, input refused
inline constexpr int kExitFile = 2;     // a file unreadable, a failed write
inline constexpr int kExitUnrated = 3;  // a puzzle without one solution

/// What each puzzle's line reports (the mode options): its rating, the
/// steps of its solving path, or a hint for its next step.
enum class Report { kRate, kSteps, kHint };

struct Options {
  Report mode = Report::kRate;
  bool json = false;
  // --suggerimento=N: 1 the technique and where, 2 and its cells, 3 the
  // whole step (plain --suggerimento).
  int hint_level = 3;
  bool candidates = false;        // --candidati: the grid before each step
  const char* svg_dir = nullptr;  // --svg=DIR: each step drawn (none: null)
  logic::TechniqueMask allowed = logic::kAllTechniques;
  int limit = 0;    // --fino, in tenths (0: none)
  int threads = 0;  // -j (0: one per online CPU)
  bool help = false;
  bool version = false;
  const char* const* files = nullptr;  // the input files ("-": stdin)
  int file_count = 0;
};

/// Parses the arguments; false, with the reason printed to standard error,
/// when they are not valid.
bool parse_options(int argc, char** argv, Options& options);

/// Parses a technique list: names (or "unicita") allowed, or "-name"
/// denied; with any name allowed, only the names given are. False when a
/// name is unknown.
bool parse_techniques(const char* list, logic::TechniqueMask& mask);

/// Parses a rating such as 6.2 into tenths; false when it is not one.
bool parse_rating(const char* text, int& tenths);

}  // namespace valuta

#endif  // VORTEL_VALUTA_OPTIONS_H_
