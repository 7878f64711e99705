// The ladder: the techniques in order of rating, and the rating of a
// puzzle as the path that always takes the easiest steps: each round of it
// applies every step of the lowest rating the grid offers.
//
// ER is the highest step rating on the path, EP the highest up to its
// first placement, ED the rating of its first step.
#ifndef VORTEL_LOGIC_LADDER_H_
#define VORTEL_LOGIC_LADDER_H_

#include <array>
#include <cstdint>

#include "logic/grid.h"
#include "logic/step.h"

namespace logic {

/// How a technique's steps are told (notation.cpp).
enum class Kind {
  kFullHouse,
  kHiddenSingle,
  kNakedSingle,
  kDirect,
  kLocked,
  kNakedSet,
  kHiddenSet,
  kFish,
  kWing,
  kRectangle,
  kGrave,
  kExclusion,
  kChain,
  kChainWithPatterns,  // a forcing chain whose branches use patterns too
  kNestedChain,        // ... and, nested, forcing chains of their own
};

struct Technique {
  const char* name;  // as people read it in a step
  const char* slug;  // as --tecniche names it
  int rating;        // the lowest rating of its steps, in tenths: the base
                     // its finder adds its modifiers to
  bool uniqueness;   // assumes the puzzle has one solution
  Finder find;
  Kind kind;
  Mode mode;  // the propagation of a chain of many branches (else kNone)
};

inline constexpr int kMaxTechniques = 64;

/// The ladder, easiest first.
const Technique* ladder(int& size);

/// The ladder's row of the technique named `slug` (-1: none), and a sink
/// for its finder alone, as the ladder sets one up.
int row_of(const char* slug);
Sink sink_for(int row);

/// A set of the ladder's rows, bit t for row t.
using TechniqueMask = std::uint64_t;
inline constexpr TechniqueMask kAllTechniques = ~TechniqueMask{0};

/// The easiest step the allowed techniques find (the first of equal ones),
/// or false when none applies; the finders use `work` when given.
bool next_step(const Grid& g, TechniqueMask allowed, Step& step,
               Workspace* work = nullptr);

/// Every step of the lowest rating the allowed techniques find, gathered
/// in `round` (ladder.cpp: why a round, not one step), or false when none
/// applies.
bool next_round(const Grid& g, TechniqueMask allowed, Round& round,
                Workspace* work = nullptr);

/// The calling thread's own workspace (propagation.h), made on first use
/// and kept for the thread's life: a worker that rates puzzle after puzzle
/// hands it to every rating.
Workspace& thread_workspace();

/// Whether the step agrees with the solution: its digit placed where the
/// solution has it, no digit removed that the solution has there.
bool is_sound(const Step& step, const Puzzle& solution);

enum class Outcome {
  kSolved,   // the path reached the end
  kStuck,    // no technique applies: the puzzle is above the ladder built
  kStopped,  // above the limit given: not rated further
};

struct Rating {
  int er = 0;  // tenths
  int ep = 0;
  int ed = 0;
  Outcome outcome = Outcome::kSolved;
  int hardest = -1;  // ladder row of the step that set er
  int counts[kMaxTechniques]{};
  int steps = 0;
  int unsound = 0;  // steps that disagreed with the solution: a fault
  // Memory ran out on the way: the path may have stopped short of a step
  // that exists, so the rating is no rating.
  bool no_memory = false;
};

struct RateOptions {
  TechniqueMask allowed = kAllTechniques;
  int limit = 0;  // tenths; stop once a step rates above it (0: none)
  // Called with each step before it is applied, if set, with the grid its
  // round was found in.
  void (*on_step)(const Grid& before, const Step& step, void* ctx) = nullptr;
  void* context = nullptr;
  // Reused by the finders; null: one for this rating alone.
  Workspace* workspace = nullptr;
};

/// Rates the grid along the easiest path, each step checked against
/// `solution` (a Debug build asserts; `unsound` counts them).
Rating rate(Grid g, const Puzzle& solution, const RateOptions& options);

}  // namespace logic

#endif  // VORTEL_LOGIC_LADDER_H_
