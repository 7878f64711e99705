#include "logic/ladder.h"

#include <cassert>
#include <cstring>
#include <memory>
#include <new>

#include "logic/propagation.h"
#include "logic/techniques.h"

namespace logic {

namespace {

// The ladder, one line a technique, by its lowest rating. Techniques whose
// steps rate more than that (rectangles, BUG, chains) offer their easiest
// step; next_step asks the techniques after them only while those could
// still rate lower.
constexpr Technique kLadder[] = {
    {"Full House", "full-house", 10, false, find_full_house, Kind::kFullHouse,
     Mode::kNone},
    {"Hidden Single (box)", "hidden-single-box", 12, false,
     find_hidden_single_box, Kind::kHiddenSingle, Mode::kNone},
    {"Hidden Single (row/column)", "hidden-single-line", 15, false,
     find_hidden_single_line, Kind::kHiddenSingle, Mode::kNone},
    {"Direct Pointing", "direct-pointing", 17, false, find_direct_pointing,
     Kind::kDirect, Mode::kNone},
    {"Direct Claiming", "direct-claiming", 19, false, find_direct_claiming,
     Kind::kDirect, Mode::kNone},
    {"Direct Hidden Pair", "direct-hidden-pair", 20, false,
     find_direct_hidden_pair, Kind::kDirect, Mode::kNone},
    {"Naked Single", "naked-single", 23, false, find_naked_single,
     Kind::kNakedSingle, Mode::kNone},
    {"Direct Hidden Triplet", "direct-hidden-triple", 25, false,
     find_direct_hidden_triple, Kind::kDirect, Mode::kNone},
    {"Locked Candidates (pointing)", "pointing", 26, false, find_pointing,
     Kind::kLocked, Mode::kNone},
    {"Locked Candidates (claiming)", "claiming", 28, false, find_claiming,
     Kind::kLocked, Mode::kNone},
    {"Naked Pair", "naked-pair", 30, false, find_naked_pair, Kind::kNakedSet,
     Mode::kNone},
    {"X-Wing", "x-wing", 32, false, find_x_wing, Kind::kFish, Mode::kNone},
    {"Hidden Pair", "hidden-pair", 34, false, find_hidden_pair,
     Kind::kHiddenSet, Mode::kNone},
    {"Naked Triplet", "naked-triple", 36, false, find_naked_triple,
     Kind::kNakedSet, Mode::kNone},
    {"Swordfish", "swordfish", 38, false, find_swordfish, Kind::kFish,
     Mode::kNone},
    {"Hidden Triplet", "hidden-triple", 40, false, find_hidden_triple,
     Kind::kHiddenSet, Mode::kNone},
    {"XY-Wing", "xy-wing", 42, false, find_xy_wing, Kind::kWing, Mode::kNone},
    {"XYZ-Wing", "xyz-wing", 44, false, find_xyz_wing, Kind::kWing,
     Mode::kNone},
    {"Unique Rectangle", "unique-rectangle", 45, true, find_unique_rectangle,
     Kind::kRectangle, Mode::kNone},
    {"Unique Loop", "unique-loop", 45, true, find_unique_loop, Kind::kRectangle,
     Mode::kNone},
    {"Naked Quad", "naked-quad", 50, false, find_naked_quad, Kind::kNakedSet,
     Mode::kNone},
    {"Jellyfish", "jellyfish", 52, false, find_jellyfish, Kind::kFish,
     Mode::kNone},
    {"Hidden Quad", "hidden-quad", 54, false, find_hidden_quad,
     Kind::kHiddenSet, Mode::kNone},
    {"Bivalue Universal Grave", "bug", 56, true, find_bug, Kind::kGrave,
     Mode::kNone},
    {"Aligned Pair Exclusion", "aligned-pair-exclusion", 62, false,
     find_aligned_pair_exclusion, Kind::kExclusion, Mode::kNone},
    {"Bidirectional X-Cycle", "x-cycle", 65, false, find_x_cycle, Kind::kChain,
     Mode::kNone},
    {"X-Chain", "x-chain", 66, false, find_x_chain, Kind::kChain, Mode::kNone},
    {"Bidirectional Y-Cycle", "y-cycle", 66, false, find_y_cycle, Kind::kChain,
     Mode::kNone},
    {"Bidirectional Cycle", "cycle", 70, false, find_cycle, Kind::kChain,
     Mode::kNone},
    {"Forcing Chain", "forcing-chain", 70, false, find_forcing_chain,
     Kind::kChain, Mode::kNone},
    {"Aligned Triplet Exclusion", "aligned-triple-exclusion", 75, false,
     find_aligned_triple_exclusion, Kind::kExclusion, Mode::kNone},
    {"Nishio Forcing Chain", "nishio", 75, false, find_forcing_chains,
     Kind::kChain, Mode::kNishio},
    {"Multiple Forcing Chain", "multiple-forcing-chain", 80, false,
     find_forcing_chains, Kind::kChain, Mode::kStatic},
    {"Dynamic Forcing Chain", "dynamic-forcing-chain", 85, false,
     find_forcing_chains, Kind::kChain, Mode::kDynamic},
    {"Dynamic Forcing Chain (+)", "dynamic-forcing-chain-plus", 90, false,
     find_forcing_chains, Kind::kChainWithPatterns, Mode::kDynamicPlus},
    {"Nested Forcing Chain", "nested-forcing-chain", 95, false,
     find_forcing_chains, Kind::kNestedChain, Mode::kNested1},
    {"Nested Forcing Chain (2 levels)", "nested-forcing-chain-2", 100, false,
     find_forcing_chains, Kind::kNestedChain, Mode::kNested2},
    {"Nested Forcing Chain (3 levels)", "nested-forcing-chain-3", 105, false,
     find_forcing_chains, Kind::kNestedChain, Mode::kNested3},
};

constexpr int kLadderSize = sizeof(kLadder) / sizeof(kLadder[0]);
static_assert(kLadderSize <= kMaxTechniques);

}  // namespace

const Technique* ladder(int& size) {
  size = kLadderSize;
  return kLadder;
}

int row_of(const char* slug) {
  for (int t = 0; t < kLadderSize; ++t) {
    if (std::strcmp(kLadder[t].slug, slug) == 0) return t;
  }
  return -1;
}

namespace {

void enter(Sink& sink, int t) {
  sink.technique = t;
  sink.floor = kLadder[t].rating;
  sink.mode = kLadder[t].mode;
  sink.uniqueness = kLadder[t].uniqueness;
}

}  // namespace

Sink sink_for(int row) {
  Sink sink;
  enter(sink, row);
  return sink;
}

Workspace& thread_workspace() {
  thread_local Workspace work;
  return work;
}

bool next_step(const Grid& g, TechniqueMask allowed, Step& step,
               Workspace* work) {
  Sink sink;
  sink.work = work;
  for (int t = 0; t < kLadderSize; ++t) {
    if (!((allowed >> t) & 1U)) continue;
    if (sink.found && sink.best.rating <= kLadder[t].rating) break;
    enter(sink, t);
    kLadder[t].find(g, sink);
  }
  if (sink.found) step = sink.best;
  return sink.found;
}

// Why a round. Of several steps of the lowest rating, the one a scan meets
// first depends on the order of the cells and digits, so on how the puzzle
// is turned; and the choice can matter: a rectangle's eliminations may
// solve a corner of another rectangle, which is then no pattern any more,
// and what it removed needs a harder step. The set of all steps of the
// lowest rating depends only on the grid's structure, when each finder
// offers every step it rates (none stops at the first, none gives up
// after a budget): relabelling digits, permuting rows, columns, bands and
// stacks, or transposing maps that set onto the turned grid's own. So the
// path applies it whole, and every grid along it is the turned image of
// the other puzzle's; ER, EP and ED follow.
bool next_round(const Grid& g, TechniqueMask allowed, Round& round,
                Workspace* work) {
  restart(round);
  Sink sink;
  sink.work = work;
  sink.round = &round;
  for (int t = 0; t < kLadderSize; ++t) {
    if (!((allowed >> t) & 1U)) continue;
    // A technique of the same base may still offer a step of the rating.
    if (sink.found && sink.best.rating < kLadder[t].rating) break;
    enter(sink, t);
    kLadder[t].find(g, sink);
  }
  return sink.found;
}

bool is_sound(const Step& step, const Puzzle& solution) {
  if (step.cell >= 0 && solution.cell[step.cell] != step.digit) return false;
  for (int cell = 0; cell < 81; ++cell) {
    if ((step.removed[cell] >> solution.cell[cell]) & 1U) return false;
  }
  return true;
}

namespace {

void record(Rating& r, const Step& step, bool& placed) {
  ++r.steps;
  ++r.counts[step.technique];
  if (step.rating > r.er) {
    r.er = step.rating;
    r.hardest = step.technique;
  }
  if (r.steps == 1) r.ed = r.er;
  if (!placed && step.cell >= 0) {
    placed = true;
    r.ep = r.er;
  }
}

// Whether step a changes what step b rests on, when b assumes the puzzle
// has one solution: its deadly pattern's cells (a BUG's: the whole grid).
// Another step leaves the patterns of the other techniques standing (their
// eliminations only grow with the grid's), but a rectangle whose corner
// loses a digit or is placed is no pattern any more.
bool breaks(const Step& a, const Step& b) {
  if (!kLadder[b.technique].uniqueness) return false;
  if (kLadder[b.technique].kind == Kind::kGrave) return true;
  if (a.cell >= 0 && has(b.cells, a.cell)) return true;
  for (int cell = 0; cell < 81; ++cell) {
    if (a.removed[cell] != 0 && has(b.cells, cell)) return true;
  }
  return false;
}

bool has_conflict(const Round& round) {
  for (int i = 0; i < round.size; ++i) {
    for (int j = 0; j < round.size; ++j) {
      if (i != j && breaks(round.steps[i], round.steps[j])) return true;
    }
  }
  return false;
}

Rating rate_path(Grid g, const Puzzle& solution, const RateOptions& options,
                 Round& round, Rating r, bool placed);

// A round whose steps break each other's patterns cannot be applied
// whole: the path takes one of them, and which one may matter. Each is
// followed to the end, and the path takes the one whose rating comes out
// hardest, ER first, then EP: a rule that, like the round, does not
// depend on the order the steps were found in.
int hardest_choice(const Grid& g, const Round& round, const Puzzle& solution,
                   const RateOptions& options, const Rating& r, bool placed) {
  RateOptions quiet = options;
  quiet.on_step = nullptr;
  // Each level of a choice has a round of its own.
  std::unique_ptr<Round> own(new (std::nothrow) Round);
  if (!own) {
    options.workspace->out_of_memory = true;
    return 0;
  }
  int choice = 0;
  long best = -1;
  for (int k = 0; k < round.size; ++k) {
    const Step& step = round.steps[k];
    if (!is_sound(step, solution)) return k;  // rate() reports it
    Rating branch = r;
    bool branch_placed = placed;
    record(branch, step, branch_placed);
    Grid next = g;
    apply(next, step);
    branch = rate_path(next, solution, quiet, *own, branch, branch_placed);
    // A path that stops or sticks is harder than one that ends; then ER,
    // then EP.
    const long unsolved = branch.outcome == Outcome::kSolved ? 0 : 1;
    const long key = (unsolved * 1000 + branch.er) * 1000 + branch.ep;
    if (key > best) {
      best = key;
      choice = k;
    }
  }
  return choice;
}

// The path from g on, the rating so far in r.
Rating rate_path(Grid g, const Puzzle& solution, const RateOptions& options,
                 Round& round, Rating r, bool placed) {
  Workspace* work = options.workspace;
  while (g.open > 0) {
    if (!next_round(g, options.allowed, round, work)) {
      r.outcome = Outcome::kStuck;
      break;
    }
    if (round.size > 1 && has_conflict(round)) {
      const int k = hardest_choice(g, round, solution, options, r, placed);
      round.steps[0] = round.steps[k];
      round.size = 1;
    }
    // Every step of the round is told in the grid it was found in.
    const Grid found_in = g;
    for (int k = 0; k < round.size && r.unsound == 0; ++k) {
      const Step& step = round.steps[k];
      if (!is_sound(step, solution)) {
        assert(!"a step disagrees with the solution");
        ++r.unsound;
        r.outcome = Outcome::kStuck;
        break;
      }
      if (options.on_step != nullptr) {
        options.on_step(found_in, step, options.context);
      }
      record(r, step, placed);
      apply(g, step);
      // Above the limit, the round stops at its first step that leaves
      // the grid open, as a path of single steps would.
      if (options.limit > 0 && r.er > options.limit && g.open > 0) {
        r.outcome = Outcome::kStopped;
        break;
      }
    }
    if (r.unsound != 0 || r.outcome == Outcome::kStopped) break;
  }
  return r;
}

}  // namespace

Rating rate(Grid g, const Puzzle& solution, const RateOptions& options) {
  Workspace own;  // when the caller has none: one for the whole path
  RateOptions with_work = options;
  if (with_work.workspace == nullptr) with_work.workspace = &own;
  Workspace& work = *with_work.workspace;
  work.out_of_memory = false;
  if (!work.round) work.round.reset(new (std::nothrow) Round);
  if (!work.round) {
    Rating r;
    r.outcome = Outcome::kStuck;
    r.no_memory = true;
    return r;
  }
  Rating r = rate_path(g, solution, with_work, *work.round, Rating{}, false);
  r.no_memory = work.out_of_memory;
  return r;
}

}  // namespace logic
