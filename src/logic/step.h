// A step of the solving path: what a technique found, what it places or
// eliminates, and what it is made of (for the notation).
//
// Ratings are kept in tenths (2.6 is 26), so that they compare exactly.
#ifndef VORTEL_LOGIC_STEP_H_
#define VORTEL_LOGIC_STEP_H_

#include <array>
#include <cstdint>

#include "logic/grid.h"

namespace logic {

/// A chain's node: a candidate (cell, digit) taken as true ("on") or false.
struct Node {
  std::uint8_t cell = 0;
  std::uint8_t digit = 0;
  bool on = false;
};

inline constexpr int kMaxChain = 64;

struct Step {
  int technique = -1;  // the ladder's row that found it
  int rating = 0;      // tenths
  // A placement (cell = -1: none), and eliminations: the digits removed
  // from each cell (a direct form has both).
  int cell = -1;
  int digit = 0;
  DigitSet removed[81]{};
  // What the step is made of, for the notation: the pattern's digits, its
  // cells, the units it lives in (bit u), and for a direct form the unit of
  // the single it leads to.
  DigitSet digits = 0;
  CellSet cells;
  std::uint32_t units = 0;
  int single_unit = -1;
  // For the names people give a pattern: a uniqueness pattern's type (a
  // unique rectangle's 1-4, a unique loop's 1-2, a BUG's 1 for "BUG+1" and
  // 2-4 for its other types; 0: none) and a wing's pivot cell (-1: none).
  int type = 0;
  int pivot = -1;
  // A chain, from its start to the end that makes the deduction; for the
  // forcing chains of many branches, their assumptions. `nodes`: the size
  // the chain is rated by.
  int chain_length = 0;
  int nodes = 0;
  Node chain[kMaxChain]{};
};

/// Whether the step eliminates anything.
bool eliminates(const Step& step);

/// Applies a step to the grid: its placement and its eliminations.
void apply(Grid& g, const Step& step);

/// How an assumption is propagated by the forcing chains of many branches
/// (propagation.h): singles read from the grid as the assumption left it
/// (dynamic), as it stands (static, the multiple chains), for one digit
/// only (Nishio), or dynamic with the simpler patterns too; nested: dynamic
/// with patterns, and once those stall, the assumptions of the grid left
/// that contradict themselves one level down (kNested1 looks with plain
/// dynamic chains, kNested2 with kNested1, kNested3 with kNested2). kNone: a
/// technique that propagates nothing.
enum class Mode {
  kNone,
  kNishio,
  kStatic,
  kDynamic,
  kDynamicPlus,
  kNested1,
  kNested2,
  kNested3
};

struct Workspace;  // propagation.h

// Room for one step for each candidate and cell, and as many again for the
// uniqueness steps kept whatever they add (a grid has a few dozen at most).
inline constexpr int kMaxRound = 2 * (81 + 9 * 81);

/// A round of the path: every step of the lowest rating a grid offers,
/// applied together. Which of several equal steps a scan meets first
/// depends on the cells' order, so on how the puzzle is turned; the set of
/// them all does not, when every finder offers every step it rates. A step
/// is kept when it places or removes something the round's steps before it
/// do not (at most one for each candidate and cell), or assumes one
/// solution: the union of what they do is the round's, whichever came
/// first. About 680 KB.
struct Round {
  int size = 0;
  std::uint8_t placed[81]{};  // the digit the round places in each cell
  DigitSet removed[81]{};
  Step steps[kMaxRound];
};

/// Empties the round.
void restart(Round& round);

/// Keeps the step in the round when it does something new there, or
/// always (`every`): a step that assumes one solution may break another's
/// pattern, and the path then chooses among them all (ladder.cpp).
void gather(Round& round, const Step& step, bool every);

/// Where a technique hands the steps it finds. The ladder wants the easiest
/// step of all: the sink keeps the lowest rated one offered (the first of
/// equal ones), and `offer` answers true when the technique may stop,
/// because nothing it could still find would rate lower. With a round, the
/// sink gathers every step of the lowest rating, and a technique never
/// stops early: one of equal rating may still come.
struct Sink {
  Step best;
  bool found = false;
  int technique = -1;  // stamped on the steps offered
  // The ladder's line of the technique running: the lowest rating it can
  // give (the base its steps add their modifiers to) and its mode.
  int floor = 0;
  Mode mode = Mode::kNone;
  // What the finders reuse, owned by the caller (null: each finder that
  // needs room makes its own for the call).
  Workspace* work = nullptr;
  bool collect_all = false;  // listing every step: never stop early
  Round* round = nullptr;    // gathering the lowest rated steps (null: not)
  bool uniqueness = false;   // the technique assumes one solution
  int offered = 0;

  bool offer(Step& step) {
    step.technique = technique;
    ++offered;
    if (!found || step.rating < best.rating) {
      best = step;
      found = true;
      if (round != nullptr) restart(*round);
    }
    if (round != nullptr) {
      if (step.rating == best.rating) gather(*round, step, uniqueness);
      return false;
    }
    return !collect_all && best.rating <= floor;
  }
};

/// A technique: looks at the grid and offers the steps it finds.
using Finder = void (*)(const Grid& g, Sink& sink);

}  // namespace logic

#endif  // VORTEL_LOGIC_STEP_H_
