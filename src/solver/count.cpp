// The counter. Two phases: while more than kMaxSmallCells cells are open
// it branches on the open cell with the fewest candidates over full States,
// with the search's own trial and dead-end tests; from there down it
// counts the small form (small_problem.h), whose completions are exactly
// the board's, so every completion is counted once.
//
// A small problem's count depends only on which cells are open and on
// their candidates, so it can be remembered: different branches above
// often leave the same sub-problem below (the choices in one band leave
// another band with the same few possibilities). A direct-mapped table
// keyed by (cell index, mask) of every open cell remembers the counts of
// sub-problems of kMemoMinCells to kMemoMaxCells open cells; the key is
// stored whole and compared whole, so a hit is exact, and a hit adds its
// remembered count to the total as the branching would have.
#include "solver/count.h"

#include <cassert>
#include <cstdlib>
#include <limits>

#include "solver/propagate.h"

namespace solver {

namespace {

// A remembered count: the key and the number of open cells it covers.
struct MemoEntry {
  MemoKey key;
  std::uint32_t cells;
  std::int64_t count;
};

std::int64_t saturating_add(std::int64_t a, std::int64_t b) {
  std::int64_t sum;
  if (__builtin_add_overflow(a, b, &sum)) {
    return std::numeric_limits<std::int64_t>::max();
  }
  return sum;
}

// The levels of the first phase: it branches while more than
// kMaxSmallCells of the 81 cells are open, one cell a level.
constexpr unsigned kStateLevels = kCells - kMaxSmallCells;

// The counter's whole state, allocated for one count and set up by
// start_count; it owns its memo.
struct Counter {
  CountProgress progress;
  MemoEntry* memo;          // null until the count is long enough
  bool memo_wanted;         // take the table once it pays
  std::int64_t branchings;  // small-form branchings so far
  std::int64_t trials;      // assignments tried, both phases
  SmallProblem problem;     // the small form of the current subtree
  std::array<State, kStateLevels> level;  // one State per first-phase level
};

void start_count(Counter& counter, const CountObserver& observer) {
  counter.progress = {&observer, 0, observer.every};
  counter.memo = nullptr;
  counter.memo_wanted = true;
  counter.branchings = 0;
  counter.trials = 0;
}

// The table, empty; null if its memory cannot be had (the count goes on
// without it). Fresh from calloc it is all empty (cells 0 matches no key).
MemoEntry* memo_table() {
  return static_cast<MemoEntry*>(
      std::calloc(std::size_t{1} << kMemoBits, sizeof(MemoEntry)));
}

void* allocate_zeroed(std::size_t size) {
  return std::calloc(1, size);
}

// The open cell with the fewest candidates, the first such in row-major
// order: the cells are the bits of `open` (cell i) and of `open_above`
// (cell 64 + i), each with its mask in `masks`. An open cell has two
// candidates at least, so the first pair ends the look.
unsigned most_constrained(const Mask* masks, std::uint64_t open,
                          std::uint64_t open_above) {
  unsigned best = 0;
  int fewest = 10;
  for (unsigned base = 0; base < 128; base += 64, open = open_above) {
    for (; open != 0; open &= open - 1) {
      const unsigned i = base + static_cast<unsigned>(__builtin_ctzll(open));
      const int n = bit_count(masks[i]);
      if (n < fewest) {
        fewest = n;
        best = i;
        if (n == 2) return best;
      }
    }
  }
  return best;
}

std::int64_t count_position(Counter& counter, const SmallState& position);

// Branches on the open cell with the fewest candidates.
std::int64_t count_branches(Counter& counter, const SmallState& position) {
  ++counter.branchings;
  const unsigned best =
      most_constrained(position.avail.data(), position.open, 0);
  std::int64_t found = 0;
  for (Mask m = position.avail[best]; m != 0;
       m = static_cast<Mask>(m & (m - 1))) {
    ++counter.trials;
    SmallState child = position;
    if (!assign(counter.problem, child, static_cast<int>(best),
                static_cast<Mask>(m & -m))) {
      continue;
    }
    if (child.open == 0) {
      add_to_count(counter.progress, 1);
      found = saturating_add(found, 1);
    } else {
      found = saturating_add(found, count_position(counter, child));
    }
  }
  return found;
}

std::uint64_t memo_hash(const MemoKey& key, int cells) {
  std::uint64_t hash = kMemoHashSeed * static_cast<unsigned>(cells);
  for (std::uint64_t word : key) {
    hash = (hash ^ word) * kMemoHashMultiplier;
    hash ^= hash >> kMemoHashShift;
  }
  return hash;
}

std::int64_t count_position(Counter& counter, const SmallState& position) {
  const int cells = bit_count(position.open);
  if (counter.memo == nullptr && counter.memo_wanted &&
      counter.branchings >= kMemoAfterBranchings) {
    counter.memo = memo_table();
    counter.memo_wanted = false;
  }
  if (counter.memo == nullptr || cells < kMemoMinCells ||
      cells > kMemoMaxCells) {
    return count_branches(counter, position);
  }
  const MemoKey key = memo_key(counter.problem, position);
  MemoEntry& entry = counter.memo[memo_hash(key, cells) >> (64 - kMemoBits)];
  if (entry.cells == static_cast<std::uint32_t>(cells) && entry.key == key) {
    add_to_count(counter.progress, entry.count);
    return entry.count;
  }
  const std::int64_t found = count_branches(counter, position);
  entry = {key, static_cast<std::uint32_t>(cells), found};
  return found;
}

// The first phase, over States, while more than kMaxSmallCells are open.
void count_states(Counter& counter, const State& parent, std::int32_t unknown,
                  unsigned depth) {
  if (unknown <= kMaxSmallCells) {
    SmallState start;
    make_small_problem(parent, counter.problem, start);
    count_position(counter, start);
    return;
  }
  // The open cells of a State are those with a candidate mask.
  std::array<std::uint64_t, 2> open = {0, 0};
  for (unsigned i = 0; i < kCells; ++i) {
    if (parent.cand[i] != 0) open[i / 64] |= std::uint64_t{1} << (i % 64);
  }
  const int best =
      static_cast<int>(most_constrained(parent.cand.data(), open[0], open[1]));
  assert(depth < kStateLevels && "the first phase deeper than its levels");
  State& work = counter.level[depth];
  for (Mask m = parent.cand[static_cast<unsigned>(best)]; m != 0;
       m = static_cast<Mask>(m & (m - 1))) {
    ++counter.trials;
    std::int32_t left = unknown;
    if (!try_digit(parent, work, best, lowest_digit(m), left)) continue;
    if (left == 0) {
      add_to_count(counter.progress, 1);
    } else {
      count_states(counter, work, left, depth + 1);
    }
  }
}

}  // namespace

void add_to_count(CountProgress& progress, std::int64_t found) {
  progress.total = saturating_add(progress.total, found);
  if (progress.observer == nullptr) return;
  while (progress.total >= progress.next_milestone) {
    const std::int64_t reached = progress.next_milestone;
    progress.next_milestone =
        saturating_add(progress.next_milestone, progress.observer->every);
    progress.observer->milestone(reached, progress.observer->context);
    if (reached == std::numeric_limits<std::int64_t>::max()) break;
  }
}

MemoKey memo_key(const SmallProblem& problem, const SmallState& position) {
  MemoKey key{};
  unsigned n = 0;
  for (std::uint64_t open = position.open; open != 0; open &= open - 1, ++n) {
    const unsigned i = static_cast<unsigned>(__builtin_ctzll(open));
    const std::uint64_t word =
        (static_cast<std::uint64_t>(problem.cell[i]) << 9) |
        (position.avail[i] >> 1);
    key[n / 4] |= word << (16 * (n % 4));
  }
  return key;
}

SearchEnd count_solutions(const Board& board, std::int32_t unknown,
                          const CountObserver& observer, std::int64_t& count,
                          SearchSeams* seams) {
  void* (*allocate)(std::size_t) = seams != nullptr && seams->allocate_counter
                                       ? seams->allocate_counter
                                       : allocate_zeroed;
  Counter* counter = static_cast<Counter*>(allocate(sizeof(Counter)));
  if (counter == nullptr) return SearchEnd::kOutOfMemory;
  start_count(*counter, observer);
  State root;
  root.board = board;
  derive_masks(root);
  count_states(*counter, root, unknown, 0);
  if (seams != nullptr) seams->small_steps += counter->trials;
  count = counter->progress.total;
  std::free(counter->memo);
  std::free(counter);
  return SearchEnd::kExhausted;
}

}  // namespace solver
