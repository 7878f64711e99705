// The solution counter.
//
// Two phases. While more than 64 cells are open, the counter branches on
// the open cell with the fewest candidates (the first such in row-major
// order) over full States, with the search's trial (propagate_after_
// assignment) and its dead-end tests. From 64 open cells down it copies the
// open cells into a small problem of their own: their candidate masks,
// indexed 0..n-1 in row-major order, with each cell's open peers as a
// 64-bit set. There a trial is an assignment with naked-single propagation
// only, over a copy of 64 masks and one word; cheaper than a State trial by
// far, and exact: after a propagation every open cell's mask is the set of
// digits that no determined peer holds, and each unit then has as many
// open cells as missing digits, so the completions of the board are
// exactly the assignments in which peers differ.
//
// The same small form, with each unit's needed digits beside it, answers
// the ordered search's question "has this board any completion?"
// (has_completion): there hidden singles and dead units matter, since an
// answer "no" must exhaust its subtree, and they are cheap on digit sets.
//
// Such a small problem depends only on which cells are open and on their
// masks, so its count can be remembered: different branches above often
// leave the same sub-problem below (the choices in one band leave another
// band with the same few possibilities). A direct-mapped table of 2^15
// entries keyed by (cell index, mask) of every open cell remembers the
// counts of sub-problems of 4 to 32 open cells; the key is stored whole
// and compared whole, so a hit is exact.
#include "solver/count.h"

#include <array>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "solver/search.h"
#include "solver/state.h"

namespace solver {

namespace {

constexpr int kMaxLocal = 64;
constexpr int kMemoMinCells = 4;
constexpr int kMemoMaxCells = 32;
constexpr unsigned kMemoBits = 15;
// The table costs its pages as they are first touched (2.5 MB in all); a
// count that ends in well under a millisecond never pays for it.
constexpr std::int64_t kMemoAfterBranchings = 20000;

// The open cells of a small problem: bit i of `open` for local cell i, and
// its candidate mask (meaningful while open; a closed cell keeps its digit),
// with the same masks by digit, so that a placement visits only the peers
// that carry its digit.
struct Local {
  std::uint64_t open;
  // For each digit 1..9, the local cells whose mask has it (closed cells
  // may linger: every use is masked with `open`).
  std::array<std::uint64_t, 10> carry;
  std::array<Mask, kMaxLocal> avail;
};

// A remembered count: the key is one 16-bit word per open cell, (cell
// index << 9) | (mask >> 1), packed four to a 64-bit word.
struct MemoEntry {
  std::array<std::uint64_t, kMemoMaxCells / 4> key;
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

struct Counter {
  const CountObserver* observer;  // null: no milestones
  std::int64_t limit;             // stop once the total reaches it
  std::int64_t total;             // solutions counted so far, all phases
  std::int64_t next_milestone;    // the next multiple of observer->every
  MemoEntry* memo;                // null until the count is long enough
  bool memo_wanted;               // take the table once it pays
  std::int64_t branchings;        // small-problem branchings so far
  std::int64_t trials;            // assignments tried, both phases
  // The current small problem: each local cell's board index and open
  // peers (a set of local cells).
  std::array<std::uint8_t, kMaxLocal> cell;
  std::array<std::uint64_t, kMaxLocal> peers;
  unsigned local_cells;
  // The local cells of each unit (rows, columns, boxes), and the three
  // units of each local cell.
  std::array<std::uint64_t, 27> unit_cells;
  std::array<std::array<std::uint8_t, 3>, kMaxLocal> units_of;
  // Where the first complete board found over States is copied (the
  // oracle's answer), or null.
  Board* solution;
  // Open cells at or below which the small-problem search takes over.
  std::int32_t local_from;
  // One State per level of the first phase.
  std::array<State, kCells> level;
};

// Adds `found` solutions to the running count and tells the observer of
// every multiple of its period reached.
void add(Counter& k, std::int64_t found) {
  k.total = saturating_add(k.total, found);
  if (k.observer == nullptr) return;
  while (k.total >= k.next_milestone) {
    const std::int64_t reached = k.next_milestone;
    k.next_milestone = saturating_add(k.next_milestone, k.observer->every);
    k.observer->milestone(reached);
    if (reached == std::numeric_limits<std::int64_t>::max()) break;
  }
}

// Naked singles from the cells in `pending` (each holding one digit and
// still open); false when some open cell is left without a candidate. A
// cell waiting in `pending` holds one candidate and is still open, so a
// peer that settles on the same digit empties it and fails. With `need`,
// each unit's digits still needed are kept in step (see Strong).
bool settle(const Counter& k, Local& c, std::uint64_t pending,
            std::array<Mask, 27>* need) {
  while (pending != 0) {
    const unsigned x = static_cast<unsigned>(__builtin_ctzll(pending));
    pending &= pending - 1;
    const Mask digit = c.avail[x];
    c.open &= ~(std::uint64_t{1} << x);
    if (need != nullptr) {
      for (std::uint8_t u : k.units_of[x]) {
        (*need)[u] = static_cast<Mask>((*need)[u] & ~digit);
      }
    }
    std::uint64_t& carriers =
        c.carry[static_cast<unsigned>(__builtin_ctz(digit))];
    std::uint64_t hits = k.peers[x] & c.open & carriers;
    carriers &= ~hits;
    for (; hits != 0; hits &= hits - 1) {
      const unsigned j = static_cast<unsigned>(__builtin_ctzll(hits));
      const Mask a = static_cast<Mask>(c.avail[j] & ~digit);
      c.avail[j] = a;
      if (a == 0) return false;
      if ((a & (a - 1)) == 0) pending |= std::uint64_t{1} << j;
    }
  }
  return true;
}

// Sets local cell i to the single digit `bit` and propagates naked
// singles; false when some open cell is left without a candidate.
bool assign(const Counter& k, Local& c, int i, Mask bit) {
  c.avail[static_cast<unsigned>(i)] = bit;
  return settle(k, c, std::uint64_t{1} << i, nullptr);
}

// The open cell with the fewest candidates, the first such in row-major
// order (an open cell has at least two, so the first pair ends the look).
unsigned most_constrained(const Local& p) {
  unsigned best = 0;
  int fewest = 10;
  for (std::uint64_t open = p.open; open != 0; open &= open - 1) {
    const unsigned i = static_cast<unsigned>(__builtin_ctzll(open));
    const int n = bit_count(p.avail[i]);
    if (n < fewest) {
      fewest = n;
      best = i;
      if (n == 2) break;
    }
  }
  return best;
}

// The complete board of a small problem with no open cell: its digits
// written over `base` (the board it was made from) into `out`.
void write_completion(const Counter& k, const Local& p, const Board& base,
                      Board& out) {
  out = base;
  for (unsigned a = 0; a < k.local_cells; ++a) {
    out[k.cell[a]] = code_of(lowest_digit(p.avail[a]));
  }
}

std::int64_t count_local(Counter& k, const Local& p);

// Branches on the open cell with the fewest candidates.
std::int64_t count_branches(Counter& k, const Local& p) {
  ++k.branchings;
  const unsigned best = most_constrained(p);
  std::int64_t found = 0;
  for (Mask m = p.avail[best]; m != 0; m = static_cast<Mask>(m & (m - 1))) {
    ++k.trials;
    Local child = p;
    if (!assign(k, child, static_cast<int>(best), static_cast<Mask>(m & -m))) {
      continue;
    }
    if (child.open == 0) {
      add(k, 1);
      found = saturating_add(found, 1);
    } else {
      found = saturating_add(found, count_local(k, child));
    }
    // Only the question "is there one?" stops early; it never remembers.
    if (k.total >= k.limit) break;
  }
  return found;
}

MemoEntry* memo_table();

std::int64_t count_local(Counter& k, const Local& p) {
  const int cells = bit_count(p.open);
  if (k.memo == nullptr && k.memo_wanted &&
      k.branchings >= kMemoAfterBranchings) {
    k.memo = memo_table();
    k.memo_wanted = false;
  }
  if (k.memo == nullptr || cells < kMemoMinCells || cells > kMemoMaxCells) {
    return count_branches(k, p);
  }
  std::array<std::uint64_t, kMemoMaxCells / 4> key{};
  unsigned n = 0;
  for (std::uint64_t open = p.open; open != 0; open &= open - 1, ++n) {
    const unsigned i = static_cast<unsigned>(__builtin_ctzll(open));
    const std::uint64_t word =
        (static_cast<std::uint64_t>(k.cell[i]) << 9) | (p.avail[i] >> 1);
    key[n / 4] |= word << (16 * (n % 4));
  }
  std::uint64_t hash = 0x9E3779B97F4A7C15ULL * static_cast<unsigned>(cells);
  for (std::uint64_t word : key) {
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDULL;
    hash ^= hash >> 29;
  }
  MemoEntry& entry = k.memo[hash >> (64 - kMemoBits)];
  if (entry.cells == static_cast<std::uint32_t>(cells) && entry.key == key) {
    add(k, entry.count);
    return entry.count;
  }
  const std::int64_t found = count_branches(k, p);
  entry = {key, static_cast<std::uint32_t>(cells), found};
  return found;
}

// Makes the small problem of a propagated State's open cells (at most 64):
// the masks and digit sets in `p`, each local cell's board index and peers
// in `k`.
void make_local(Counter& k, const State& s, Local& p) {
  assert(state_is_propagated(s) &&
         "a small problem from an unpropagated state");
  p = Local{};
  unsigned n = 0;
  std::array<std::uint64_t, 27> unit{};
  for (unsigned i = 0; i < kCells; ++i) {
    if (s.cand[i] == 0) continue;
    const std::uint64_t bit = std::uint64_t{1} << n;
    unit[kRowOf[i]] |= bit;
    unit[9U + kColOf[i]] |= bit;
    unit[18U + kBoxOf[i]] |= bit;
    k.cell[n] = static_cast<std::uint8_t>(i);
    p.avail[n] = s.cand[i];
    for (Mask m = s.cand[i]; m != 0; m = static_cast<Mask>(m & (m - 1))) {
      p.carry[static_cast<unsigned>(__builtin_ctz(m))] |= bit;
    }
    ++n;
  }
  for (unsigned a = 0; a < n; ++a) {
    const unsigned i = k.cell[a];
    k.peers[a] =
        (unit[kRowOf[i]] | unit[9U + kColOf[i]] | unit[18U + kBoxOf[i]]) &
        ~(std::uint64_t{1} << a);
    k.units_of[a] = {kRowOf[i], static_cast<std::uint8_t>(9U + kColOf[i]),
                     static_cast<std::uint8_t>(18U + kBoxOf[i])};
  }
  k.unit_cells = unit;
  k.local_cells = n;
  p.open = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

std::int64_t count_open_cells(Counter& k, const State& s) {
  Local p;
  make_local(k, s, p);
  return count_local(k, p);
}

// Every completion of the small problem `p` in the search's order (the
// first open cell in row-major order, digits upwards: local cells are
// numbered in row-major order), each written over `base` into `out` and
// handed to the reporter. False when the reporter asked to stop.
bool list_in_order(Counter& k, const Local& p, const Board& base, Board& out,
                   const SolutionReporter& reporter) {
  const int x = __builtin_ctzll(p.open);
  for (Mask m = p.avail[static_cast<unsigned>(x)]; m != 0;
       m = static_cast<Mask>(m & (m - 1))) {
    ++g_search_seams.small_steps;
    Local child = p;
    if (!assign(k, child, x, static_cast<Mask>(m & -m))) continue;
    if (child.open != 0) {
      if (!list_in_order(k, child, base, out, reporter)) return false;
      continue;
    }
    write_completion(k, child, base, out);
    if (!reporter.on_solution(out)) return false;
  }
  return true;
}

// The first phase, over States, while more than 64 cells are open.
void count_states(Counter& k, const State& parent, std::int32_t unknown,
                  unsigned depth) {
  if (unknown <= k.local_from) {
    count_open_cells(k, parent);
    return;
  }
  int best = 0;
  int fewest = 10;
  for (int i = 0; i < kCells; ++i) {
    const Mask m = parent.cand[static_cast<unsigned>(i)];
    if (m == 0) continue;
    const int n = bit_count(m);
    if (n < fewest) {
      fewest = n;
      best = i;
      if (n == 2) break;
    }
  }
  State& work = k.level[depth];
  for (Mask m = parent.cand[static_cast<unsigned>(best)]; m != 0;
       m = static_cast<Mask>(m & (m - 1))) {
    const Digit digit = lowest_digit(m);
    ++k.trials;
    work = parent;
    std::int32_t left = unknown - 1;
    work.board[static_cast<unsigned>(best)] = code_of(digit);
    mark_determined(work, best, digit);
    propagate_after_assignment(work, best, digit, left);
    if (work.conflict || work.dead) continue;
    if (left == 0) {
      if (k.solution != nullptr && k.total == 0) *k.solution = work.board;
      add(k, 1);
    } else {
      count_states(k, work, left, depth + 1);
    }
    if (k.total >= k.limit) return;
  }
}

// The small form with the deductions that prove "no solution" quickly:
// besides naked singles, each unit's digits still needed, so that a digit
// carried by one open cell of a unit is placed there (a hidden single) and
// a digit carried by none ends the branch (a dead unit).
struct Strong {
  Local local;
  std::array<Mask, 27> need;
};

// Places cell i's digit `bit` and everything that follows from it; false
// when a cell or a unit is left without a way out.
bool assign_strong(const Counter& k, Strong& t, int i, Mask bit) {
  Local& c = t.local;
  const unsigned ui = static_cast<unsigned>(i);
  for (Mask other = static_cast<Mask>(c.avail[ui] & ~bit); other != 0;
       other = static_cast<Mask>(other & (other - 1))) {
    c.carry[static_cast<unsigned>(__builtin_ctz(other))] &=
        ~(std::uint64_t{1} << i);
  }
  c.avail[ui] = bit;
  std::uint64_t pending = std::uint64_t{1} << i;
  for (;;) {
    if (!settle(k, c, pending, &t.need)) return false;
    pending = 0;
    for (unsigned u = 0; u < 27; ++u) {
      const std::uint64_t cells = k.unit_cells[u] & c.open;
      for (Mask m = t.need[u]; m != 0; m = static_cast<Mask>(m & (m - 1))) {
        const unsigned d = static_cast<unsigned>(__builtin_ctz(m));
        const std::uint64_t carriers = c.carry[d] & cells;
        if (carriers == 0) return false;
        if ((carriers & (carriers - 1)) != 0) continue;
        const unsigned j = static_cast<unsigned>(__builtin_ctzll(carriers));
        const Mask only = static_cast<Mask>(1U << d);
        if (c.avail[j] == only) continue;       // a naked single already
        if ((pending >> j) & 1U) return false;  // two digits for one cell
        for (Mask o = static_cast<Mask>(c.avail[j] & ~only); o != 0;
             o = static_cast<Mask>(o & (o - 1))) {
          c.carry[static_cast<unsigned>(__builtin_ctz(o))] &=
              ~(std::uint64_t{1} << j);
        }
        c.avail[j] = only;
        pending |= std::uint64_t{1} << j;
      }
    }
    if (pending == 0) return true;
  }
}

// Whether the strong small problem has a completion; the first one found
// is written over `base` into `out`.
bool find_completion(Counter& k, const Strong& t, const Board& base,
                     Board& out) {
  const Local& p = t.local;
  if (p.open == 0) {
    write_completion(k, p, base, out);
    return true;
  }
  const unsigned best = most_constrained(p);
  for (Mask m = p.avail[best]; m != 0; m = static_cast<Mask>(m & (m - 1))) {
    ++k.trials;
    Strong child = t;
    if (assign_strong(k, child, static_cast<int>(best),
                      static_cast<Mask>(m & -m)) &&
        find_completion(k, child, base, out)) {
      return true;
    }
  }
  return false;
}

}  // namespace

namespace {

// The counters, allocated on first use: they are large, most runs never use
// them, and a program's start costs more the larger its zeroed data. (Plain
// pointers, not function-local statics, whose guarded initialisation would
// pull in the C++ runtime library.)
Counter* g_oracle_counter = nullptr;
Counter* g_list_counter = nullptr;
Counter* g_counter = nullptr;
MemoEntry* g_memo = nullptr;

Counter* new_counter() {
  return static_cast<Counter*>(std::calloc(1, sizeof(Counter)));
}

// The table, empty; null if its memory cannot be had (the count goes on
// without it).
MemoEntry* memo_table() {
  if (g_memo == nullptr) {
    // Fresh from calloc it is all empty (cells 0 matches no key).
    g_memo = static_cast<MemoEntry*>(
        std::calloc(std::size_t{1} << kMemoBits, sizeof(MemoEntry)));
  } else {
    std::memset(g_memo, 0, sizeof(MemoEntry) << kMemoBits);
  }
  return g_memo;
}

}  // namespace

bool has_completion(const State& s, std::int32_t unknown, Board& solution) {
  if (g_oracle_counter == nullptr) g_oracle_counter = new_counter();
  if (g_oracle_counter == nullptr) return true;  // no memory to ask
  Counter& counter = *g_oracle_counter;
  counter.observer = nullptr;
  counter.limit = 1;
  counter.total = 0;
  counter.memo = nullptr;
  counter.memo_wanted = false;
  counter.solution = &solution;
  if (unknown > kMaxLocal) {
    counter.local_from = 0;
    count_states(counter, s, unknown, 0);
    return counter.total > 0;
  }
  Strong t;
  make_local(counter, s, t.local);
  for (unsigned u = 0; u < 27; ++u) {
    Mask union_of = 0;
    for (std::uint64_t cells = counter.unit_cells[u]; cells != 0;
         cells &= cells - 1) {
      union_of |= t.local.avail[static_cast<unsigned>(__builtin_ctzll(cells))];
    }
    t.need[u] = union_of;
  }
  return find_completion(counter, t, s.board, solution);
}

SearchEnd list_completions(const State& s, const SolutionReporter& reporter) {
  if (g_list_counter == nullptr) g_list_counter = new_counter();
  if (g_list_counter == nullptr) return SearchEnd::kOutOfMemory;
  Counter& k = *g_list_counter;
  Board out;  // the solution handed to the reporter
  Local p;
  make_local(k, s, p);
  return list_in_order(k, p, s.board, out, reporter) ? SearchEnd::kExhausted
                                                     : SearchEnd::kStopped;
}

SearchEnd count_solutions(const Board& board, std::int32_t unknown,
                          const CountObserver& observer, std::int64_t& count) {
  // Process-wide: the counter is large (its States), and the table is
  // allocated once, on first use, and kept like the search's pool.
  if (g_counter == nullptr) {
    g_counter = static_cast<Counter*>(
        g_search_seams.allocate_counter(sizeof(Counter)));
  }
  if (g_counter == nullptr) return SearchEnd::kOutOfMemory;
  Counter& k = *g_counter;
  k.observer = &observer;
  k.limit = std::numeric_limits<std::int64_t>::max();
  k.local_from = kMaxLocal;
  k.total = 0;
  k.next_milestone = observer.every;
  k.memo = nullptr;
  k.memo_wanted = true;
  k.solution = nullptr;
  k.branchings = 0;
  k.trials = 0;
  State root;
  root.board = board;
  derive_masks(root);
  count_states(k, root, unknown, 0);
  g_search_seams.small_steps += k.trials;
  count = k.total;
  return SearchEnd::kExhausted;
}

}  // namespace solver
