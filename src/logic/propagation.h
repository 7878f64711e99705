// The propagation of one assumption through the grid it leaves, which the
// forcing chains of many branches (forcing.cpp) are searched with.
//
// A node is a candidate taken as true or false: node 2 * (9 * cell + d - 1)
// for false, plus one for true. An assumption (a node) is propagated: a
// digit true in a cell makes its other digits and the digit in its peers
// false; a digit false leaves a cell with one digit, or a unit with one
// place, and that digit is true there: read from the grid as the assumption
// left it (dynamic), as it stands (multiple), or for one digit only
// (Nishio). In the dynamic mode with patterns, when those singles stall,
// the simpler eliminations of the ladder are looked for in the grid the
// assumption left (locked candidates, naked and hidden sets to four, X-Wing,
// Swordfish and Jellyfish), and what they remove is false too, each removal
// a node whose parents are the removals the pattern needed; then the
// singles go on.
//
// In the nested modes, when the patterns stall too, each candidate of the
// grid left is assumed true and false in turn and propagated one level down
// from there (nested.cpp); an assumption that meets a contradiction is
// false, a node whose parents are the nodes of the outer propagation the
// inner chain used, and whose weight is the inner chain's size.
//
// A contradiction (nothing left in a cell or unit, a candidate both true
// and false) stops the propagation. A node's parents are the nodes that
// forced it, kept in a pool that each node's list is a slice of.
//
// The queue is drained layer by layer (a layer: the nodes the one before
// derived). A node that several nodes of a layer force, or that is a single
// of its cell and of a unit, is derived once: the way with the shallowest
// depth, then the fewest parents, then the smallest sum of the parents'
// keys (Context::key), which do not depend on how the grid is turned. The
// contradictions one layer meets are all kept, and the one resting on the
// fewest nodes wins (then the smallest sum of keys). So the conclusions'
// sizes, and the chains' ratings, are the same in every orientation, but
// for ties of keys (candidates alike to the refinement).
#ifndef VORTEL_LOGIC_PROPAGATION_H_
#define VORTEL_LOGIC_PROPAGATION_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "logic/grid.h"
#include "logic/step.h"

namespace logic {

inline constexpr int kNodes = 2 * 9 * 81;
// The parents a single can have (the other digits of a cell, the other
// places of a unit), and a pattern (a quad's cells or digits lose up to
// twenty candidates; a pattern needing more is not used).
inline constexpr int kMaxParents = 9;
inline constexpr int kMaxCause = 32;
// An inner chain's conclusion rests on at most this many outer nodes (a
// node's parent count is a byte); the pool leaves room for a few.
inline constexpr int kMaxNestedParents = 255;
inline constexpr int kParentPool = kNodes * kMaxParents;
// The contradictions one layer of a propagation keeps for the choice.
inline constexpr int kMaxMet = 64;

// The pattern techniques that look at units, in their order of trial:
// pointing, claiming, naked sets of 2 to 4, hidden sets of 2 to 4.
inline constexpr int kPointing = 0;
inline constexpr int kClaiming = 1;
inline constexpr int kNaked = 2;
inline constexpr int kHidden = 5;
inline constexpr int kPatternTechniques = 8;

// The nesting level of a mode (0: none) and whether it uses the patterns.
constexpr int nesting_of(Mode mode) {
  return mode == Mode::kNested1   ? 1
         : mode == Mode::kNested2 ? 2
         : mode == Mode::kNested3 ? 3
                                  : 0;
}
constexpr bool uses_patterns(Mode mode) {
  return mode == Mode::kDynamicPlus || nesting_of(mode) > 0;
}
// The mode a nested mode's inner chains propagate in: the first level's
// are plain dynamic chains (the patterns stay in the outer branches, where
// they cost one look per stall, not one per inner assumption).
constexpr Mode mode_below(Mode mode) {
  return mode == Mode::kNested3   ? Mode::kNested2
         : mode == Mode::kNested2 ? Mode::kNested1
                                  : Mode::kDynamic;
}
inline constexpr int kMaxNesting = 3;

constexpr int node_of(int cell, int d, bool on) {
  return 2 * (9 * cell + d - 1) + (on ? 1 : 0);
}
constexpr int cell_of_node(int node) {
  return node / 18;
}
constexpr int digit_of_node(int node) {
  return (node / 2) % 9 + 1;
}

// Places of each digit in each unit, and the digits placed there.
struct Places {
  std::uint8_t count[27][10];
  DigitSet settled[27];
};

Places places_of(const Grid& g);

struct Propagation {
  Grid g;                     // as the assumption leaves it
  std::uint8_t assigned[81];  // digit made true in each cell, 0 for none
  Places places;              // in g, the digits made true counted settled
  std::uint8_t derived[kNodes];
  // The heaviest path of parents from the assumption to each node, itself
  // included (capped at 255): a floor of the size any conclusion on it
  // rests on.
  std::uint8_t depth[kNodes];
  // What a node counts in a conclusion's size: 1, an inner chain's size
  // for a nested conclusion, 0 for the outer nodes an inner propagation
  // starts from.
  std::uint16_t weight[kNodes];
  std::uint8_t parent_count[kNodes];
  std::uint16_t first_parent[kNodes];  // into pool
  std::uint16_t pool[kParentPool];
  int pool_size = 0;
  std::uint16_t queue[kNodes];
  int head = 0;
  int tail = 0;
  // The pattern techniques' units (bit u) and fish digits (bit d) looked
  // at without a find and unchanged since, by technique (propagation.h's
  // kPointing...; fish by size - 2).
  std::uint32_t clean_units[kPatternTechniques];
  DigitSet clean_digits[3];
  // The nodes a contradiction rests on, when there is one.
  int contradiction[kMaxCause + 1];
  int contradiction_size = 0;
  bool conflict = false;  // [0] derived, the rest forced its opposite
  // The contradictions met in the layer being drained: the propagation
  // stops at the layer's end and keeps the one its rule prefers, so that
  // which of them the queue met first does not matter.
  int met[kMaxMet][kMaxCause + 1];
  int met_size[kMaxMet];
  std::uint8_t met_kind[kMaxMet];  // propagation.cpp's MetKind
  int met_count = 0;
  // Whether a node was left underived for the depth bound or the pool's
  // room (the grid may then hold a single nobody read).
  bool cut = false;
};

struct Stalls;  // below

struct Context {
  const Grid* start;
  Mode mode;
  Places places;  // in the grid as it stands
  // Nodes deeper than this are not derived (0: no bound): a search that
  // only wants conclusions resting on few nodes stops looking further.
  int max_depth = 0;
  // Whether the grid as it stands has a pattern that removes something
  // (a technique below left out): the dynamic mode with patterns then
  // looks for them everywhere, else only where an assumption changed the
  // grid.
  bool start_has_patterns = true;
  // The nested modes' scratch, one propagation a level below (level k
  // propagates its inner chains in nested[k - 1]).
  Propagation* nested = nullptr;
  // The inner propagations a search of the deeper levels may still make,
  // at every level below it (null: no bound); spent, the search gives up
  // with what it has found.
  std::int64_t* budget = nullptr;
  // Each node's key (candidate_keys), which breaks the ties between the
  // ways a node can be derived in one layer (null: the first met).
  const std::uint32_t* key = nullptr;
  // The first level's stalled branches of this search and what their last
  // look found (nested.cpp; null: none kept).
  Stalls* stalls = nullptr;
};

/// Keys for the nodes of g that depend only on the grid's structure, not
/// on how it is turned (the digits relabelled, rows, columns, bands and
/// stacks permuted, transposed): each candidate's key is refined from its
/// cell's, its row's and column's (taken as a pair without order) and its
/// box's candidates of the same digit, a few times over.
void candidate_keys(const Grid& g, std::uint32_t (&key)[kNodes]);

/// Propagates the assumption `premise` from c.start into p.
void propagate(const Context& c, Propagation& p, int premise);

/// The propagations of one search, kept by premise: a premise is looked at
/// by several of its searches (its contradiction, the cell's and each
/// unit's branches), and a propagation's nodes and parents take far less
/// room than the propagation. Bounded: once full, the rest is propagated
/// again when asked.
struct PropagationCache {
  std::vector<std::uint16_t> arena;
  int entry[kNodes];
};

void clear(PropagationCache& cache);

/// p as `propagate` leaves it but for p.g, p.assigned and p.places: from
/// the cache when there, else propagated and kept.
void propagate_cached(const Context& c, PropagationCache& cache, Propagation& p,
                      int premise);

/// A set of nodes, a bit each.
struct NodeSet {
  std::uint64_t word[(kNodes + 63) / 64];
};

/// The branches of one first-level search that stalled for good, unbounded:
/// each one's nodes, and those its last look at the stalled grid found to
/// meet no contradiction one level down (nested.cpp tells how a look at a
/// smaller grid uses them). Bounded: once full, no more are kept.
struct Stalls {
  static constexpr int kMax = 512;
  NodeSet nodes[kMax];
  NodeSet consistent[kMax];
  int count = 0;
};

/// The propagations of one forcing-chain search's branches, the count's
/// scratch and the cache: some 350 KB, and an arena of up to 4 MB. Each
/// propagation and count resets what it reads, and a search clears the
/// cache (keeping the arena's room), so one serves every search.
struct Branches {
  Propagation branch[9];
  Propagation nested[kMaxNesting];
  std::uint8_t seen[kNodes];
  std::uint32_t key[kNodes];
  PropagationCache cache;
  Stalls stalls;
};

/// What the finders reuse from step to step and puzzle to puzzle, so that
/// nothing large is allocated, regrown or put on the stack per step: owned
/// by whoever rates (a worker keeps one for all its puzzles), each part
/// made on first use.
struct Workspace {
  std::unique_ptr<Branches> branches;
  std::unique_ptr<Round> round;  // the path's rounds (ladder.h)
  // Set when a finder or the path could not have the memory it needed:
  // what it did not find is then no evidence of a harder puzzle.
  bool out_of_memory = false;
};

/// Derives `node` from its parents, unless already derived; a node whose
/// opposite is derived is a contradiction.
void derive(const Context& c, Propagation& p, int node, const int* parents,
            int n, int weight = 1);

/// Propagates `premise` (c's mode, one level below outer's) from the grid
/// the stalled propagation `outer` left, its nodes taken as given (weight
/// 0, no parents).
void propagate_within(const Context& c, const Propagation& outer,
                      Propagation& q, int premise);

/// In a nested mode: the candidates of the stalled grid p.g whose
/// assumption (true or false) meets a contradiction one level down, each
/// derived the other way. False when there is none.
bool derive_nested(const Context& c, Propagation& p);

/// In the dynamic mode with patterns: the first pattern that removes
/// something from the stalled grid p.g, its removals derived. False when
/// there is none.
bool derive_pattern(const Context& c, Propagation& p);

/// Whether c.start has a pattern that removes something (p is scratch).
bool has_patterns(const Context& c, Propagation& p);

/// The size of the distinct nodes the given ones rest on, themselves
/// included: the sum of their weights.
int ancestors(const Propagation& p, const int* nodes, int n,
              std::uint8_t (&seen)[kNodes]);

/// A contradiction's size: its chains counted one by one from the
/// assumption.
int contradiction_size(const Propagation& p, std::uint8_t (&seen)[kNodes]);

}  // namespace logic

#endif  // VORTEL_LOGIC_PROPAGATION_H_
