// The canonical form by a depth-first search over the output cells in
// row-major order, pruned against the smallest string found so far.
//
// The search builds the output string cell by cell, in the order the
// comparison reads it, and decides the parts of the transform only when a
// cell needs them:
// - the orientation: the puzzle as it is, then its transposition, as two
//   starts of the same search sharing the best string, so that the second
//   start is cut by what the first one found;
// - at an output row, its input row: any row of an unused band when the
//   row opens a band, else a row left in the current band. Each candidate
//   row's smallest string is computed first without branching (row_key);
//   when no digit is twice in a row that key is exact, and only the rows
//   whose key ties the smallest are searched (the first row of the form
//   is thus chosen by its givens before any branch); otherwise all, the
//   smallest keys first;
// - the columns: a column that is empty in every row placed so far is not
//   yet bound to a position. Empty cells sort first, so in each row the
//   stacks empty so far and empty in this row keep the first stack slots
//   (still unbound), and within a slot the columns empty so far and in
//   this row keep its first positions; only the columns holding a given
//   are bound, at the positions after them, and the search branches over
//   which one goes where. A stack empty in every placed row thus costs no
//   branch until a row puts a given in it;
// - the digits: relabelled by first appearance as the cells are produced
//   (an unseen digit takes the next label), so every branch carries its
//   own relabelling and compares cell by cell.
// Each produced cell is compared with the best string: larger cuts the
// branch at once, smaller makes the branch the new best from this cell on
// (`valid`, the length of the best string still standing, drops to the
// cell), equal goes on. Branches that tie to the end are the transforms
// that give the same form: counted, they are the automorphisms.
//
// The pattern form has a search of its own (pattern_searched, below the
// grids' one): the smallest pattern first, over groups of columns that the
// pattern cannot tell apart, then the digits ordered within those groups.
#include "canon/canon.h"

#include <climits>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace canon {
namespace {

constexpr std::uint8_t kUnbound = 0xFF;

// The columns of each stack as a 9-bit mask.
constexpr std::uint16_t kStackColumns[3] = {0x007, 0x038, 0x1C0};

// The number of set bits of a 9-bit mask, from a table: the target has no
// population-count instruction by default, and the pattern form counts the
// givens of a stack for every candidate row.
struct Popcounts {
  std::uint8_t n[512];
};

constexpr Popcounts make_popcounts() {
  Popcounts t{};
  for (unsigned x = 0; x < 512; ++x)
    t.n[x] = static_cast<std::uint8_t>(base::bits(x));
  return t;
}

constexpr Popcounts kPopcounts = make_popcounts();

inline int popcount9(unsigned x) {
  return kPopcounts.n[x & 0x1FFU];
}

int factorial(int n) {
  int f = 1;
  for (int i = 2; i <= n; ++i) f *= i;
  return f;
}

// A partial transform along one branch: plain bytes, copied at each step.
struct State {
  std::uint8_t row_of[9];      // output row -> input row (placed rows)
  std::uint8_t pos_col[9];     // output column -> input column or kUnbound
  std::uint8_t slot_stack[3];  // output stack slot -> input stack or kUnbound
  std::uint8_t label[10];      // digit -> label, 0 while unseen
  std::uint8_t next_label;     // the label an unseen digit takes
  std::uint8_t unbound_slots;  // slots 0.. below this stay unbound this row
  std::uint8_t pending;        // stacks to bind to a slot in this row
  std::uint16_t placed;        // input columns bound to a position
  std::uint16_t used_rows;     // input rows placed
  std::uint32_t weight;        // transforms a leaf stands for (counting)
};

struct Search {
  std::uint8_t grid[81];       // the puzzle in the current orientation
  std::uint16_t row_mask[9];   // the columns holding a given, per row
  unsigned empty_rows = 0;     // the rows without a given
  bool distinct_rows = false;  // no digit twice in a row: row keys exact
  bool transposed = false;
  std::uint8_t best[81];         // the best string's comparison values
  int valid = 0;                 // best[0..valid) is standing
  bool leaf_done = false;        // the standing best has reached a leaf
  long count = 0;                // transforms giving the best string
  State best_state;              // the branch of one of them: its
  bool best_transposed = false;  // transform is made once, at the end
};

// Compares value `v` of cell `i` with the best string: false cuts the
// branch; true goes on (the best string takes `v` when it is smaller or
// when the best no longer stands this far).
inline bool judge(Search& s, int i, std::uint8_t v) {
  if (i < s.valid) {
    if (v > s.best[i]) return false;
    if (v == s.best[i]) return true;
  }
  s.best[i] = v;
  s.valid = i + 1;
  s.leaf_done = false;
  return true;
}

// The label of digit `d` on this branch (0 for an empty cell), taking the
// next label when `d` is unseen.
inline std::uint8_t label_of(State& st, std::uint8_t d) {
  if (d == 0) return 0;
  if (st.label[d] == 0) st.label[d] = st.next_label++;
  return st.label[d];
}

// The branch's transform with the columns and stacks still unbound (empty
// in every row) given their positions in order, and the digits the puzzle
// lacks given the labels left, in order.
Transform transform_of(bool transposed, const State& st) {
  State full = st;
  std::uint8_t free_stacks = 0x7;
  for (const std::uint8_t t : full.slot_stack) {
    if (t != kUnbound)
      free_stacks = static_cast<std::uint8_t>(free_stacks & ~(1U << t));
  }
  for (std::uint8_t& t : full.slot_stack) {
    if (t != kUnbound) continue;
    t = static_cast<std::uint8_t>(__builtin_ctz(free_stacks));
    free_stacks = static_cast<std::uint8_t>(free_stacks & (free_stacks - 1));
  }
  for (int p = 0; p < 9; ++p) {
    if (full.pos_col[p] != kUnbound) continue;
    const unsigned left = kStackColumns[full.slot_stack[p / 3]] & ~full.placed;
    full.pos_col[p] = static_cast<std::uint8_t>(__builtin_ctz(left));
    full.placed =
        static_cast<std::uint16_t>(full.placed | (1U << full.pos_col[p]));
  }
  Transform t{};
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      const int from = transposed ? full.pos_col[c] * 9 + full.row_of[r]
                                  : full.row_of[r] * 9 + full.pos_col[c];
      t.cell_from[r * 9 + c] = static_cast<std::uint8_t>(from);
    }
  }
  for (int d = 1; d <= 9; ++d) {
    t.digit_to[d] = full.label[d] != 0 ? full.label[d] : full.next_label++;
  }
  return t;
}

// The transforms a leaf stands for: the orders of the stacks and columns
// that are empty everywhere, the relabellings of the digits absent.
long leaf_weight(const State& st) {
  long w = st.weight;
  int unbound_stacks = 0;
  for (int k = 0; k < 3; ++k) {
    if (st.slot_stack[k] == kUnbound) {
      ++unbound_stacks;
      w *= 6;
    } else {
      w *= factorial(popcount9(kStackColumns[st.slot_stack[k]] & ~st.placed));
    }
  }
  return w * factorial(unbound_stacks) * factorial(10 - st.next_label);
}

void leaf(Search& s, const State& st) {
  if (!s.leaf_done) {
    s.best_state = st;
    s.best_transposed = s.transposed;
    s.count = 0;
  }
  s.leaf_done = true;
  s.count += leaf_weight(st);
}

void next_row(Search& s, const State& st, int r);

void cell(Search& s, const State& st, int r, int p);

// Output stack slot k, unbound so far: three empty cells while stacks
// empty in this row are left, else each stack with a given in this row.
void unbound_slot(Search& s, const State& st, int r, int p) {
  const int k = p / 3;
  if (k < st.unbound_slots) {
    const int i = r * 9 + p;
    if (!judge(s, i, 0) || !judge(s, i + 1, 0) || !judge(s, i + 2, 0)) return;
    cell(s, st, r, p + 3);
    return;
  }
  for (unsigned left = st.pending; left != 0; left &= left - 1) {
    const auto t = static_cast<std::uint8_t>(__builtin_ctz(left));
    State n = st;
    n.slot_stack[k] = t;
    n.pending = static_cast<std::uint8_t>(n.pending & ~(1U << t));
    cell(s, n, r, p);
  }
}

// The cell of input column `col` placed at output position p.
void bound_cell(Search& s, State& n, int r, int p, int col) {
  const std::uint8_t d = s.grid[n.row_of[r] * 9 + col];
  if (judge(s, r * 9 + p, label_of(n, d))) cell(s, n, r, p + 1);
}

void cell(Search& s, const State& st, int r, int p) {
  // Bound positions holding an empty cell or a digit already labelled
  // change nothing in the branch: compared in a loop, without a copy.
  const int first = 9 * st.row_of[r];
  const std::uint8_t* cells = s.grid + first;
  for (; p < 9 && st.pos_col[p] != kUnbound; ++p) {
    const std::uint8_t d = cells[st.pos_col[p]];
    if (d != 0 && st.label[d] == 0) break;
    if (!judge(s, r * 9 + p, st.label[d])) return;
  }
  if (p == 9) {
    next_row(s, st, r + 1);
    return;
  }
  const std::uint8_t stack = st.slot_stack[p / 3];
  if (stack == kUnbound) {
    unbound_slot(s, st, r, p);
    return;
  }
  if (st.pos_col[p] != kUnbound) {
    State n = st;
    bound_cell(s, n, r, p, st.pos_col[p]);
    return;
  }
  // A position still unbound: its slot's columns empty in every row so
  // far. Those empty in this row too keep the first positions.
  const unsigned given = s.row_mask[st.row_of[r]];
  const unsigned unplaced = kStackColumns[stack] & ~st.placed;
  if (p % 3 < popcount9(unplaced & ~given)) {
    if (judge(s, r * 9 + p, 0)) cell(s, st, r, p + 1);
    return;
  }
  for (unsigned left = unplaced & given; left != 0; left &= left - 1) {
    const int col = __builtin_ctz(left);
    State n = st;
    n.pos_col[p] = static_cast<std::uint8_t>(col);
    n.placed = static_cast<std::uint16_t>(n.placed | (1U << col));
    bound_cell(s, n, r, p, col);
  }
}

// Starts output row r with input row `row`: the unbound stacks empty in it
// keep the first slots, the others are bound in this row.
void start_row(Search& s, const State& st, int r, int row, std::uint32_t ties) {
  State n = st;
  n.row_of[r] = static_cast<std::uint8_t>(row);
  n.used_rows = static_cast<std::uint16_t>(n.used_rows | (1U << row));
  n.weight *= ties;
  unsigned free_stacks = 0;
  for (int t = 0; t < 3; ++t) {
    bool bound = false;
    for (const std::uint8_t b : n.slot_stack) bound = bound || b == t;
    if (!bound) free_stacks |= 1U << t;
  }
  unsigned empty = 0;
  for (unsigned left = free_stacks; left != 0; left &= left - 1) {
    const int t = __builtin_ctz(left);
    if ((s.row_mask[row] & kStackColumns[t]) == 0) empty |= 1U << t;
  }
  n.unbound_slots = static_cast<std::uint8_t>(popcount9(empty));
  n.pending = static_cast<std::uint8_t>(free_stacks & ~empty);
  cell(s, n, r, 0);
}

// The input rows output row r may take: a row of an unused band when r
// opens a band, else a row left in the current band.
unsigned candidate_rows(const State& st, int r) {
  if (r % 3 != 0) {
    const int band = st.row_of[r - 1] / 3;
    return (0x7U << (3 * band)) & ~st.used_rows;
  }
  return 0x1FFU & ~st.used_rows;
}

// Sorts a few items in place (at most nine here), by `less`.
template <class T, class Less>
void insertion_sort(T* a, int n, Less less) {
  for (int i = 1; i < n; ++i) {
    const T item = a[i];
    int j = i;
    for (; j > 0 && less(item, a[j - 1]); --j) a[j] = a[j - 1];
    a[j] = item;
  }
}

// Sorts three values in place, ascending.
inline void sort3(std::uint8_t* v) {
  if (v[0] > v[1]) std::swap(v[0], v[1]);
  if (v[1] > v[2]) std::swap(v[1], v[2]);
  if (v[0] > v[1]) std::swap(v[0], v[1]);
}

// The smallest string input row `row` can give as the next output row,
// without branching: in the unbound slots each stack's values ascending
// and the stacks in the order of those blocks, in a bound slot its unbound
// positions' values ascending, then its bound ones. An unseen digit counts
// as 10 while sorting: every unseen digit takes a label above every seen
// one, and two strings that agree so far have seen the same number of
// them; they take their labels in order at the end. The row's smallest
// string, exact when no digit is twice in the row; only an order for the
// others.
template <class Value>
void unbound_key(const State& st, const Value& value, std::uint8_t* key);

// Each digit's value in a minlex row key: 0 for an empty cell, the label
// of a digit seen, 10 for one unseen.
void key_values(const State& st, std::uint8_t* values) {
  values[0] = 0;
  for (int d = 1; d <= 9; ++d)
    values[d] = st.label[d] != 0 ? st.label[d] : std::uint8_t{10};
}

// `values`: key_values, made once a node.
void row_key(const Search& s, const State& st, const std::uint8_t* values,
             int row, std::uint8_t* key) {
  const int first = row * 9;
  const std::uint8_t* cells = s.grid + first;
  const auto value = [&](int col) -> std::uint8_t {
    return values[cells[col]];
  };
  if (st.placed == 0x1FF) {
    for (int c = 0; c < 9; ++c) key[c] = value(st.pos_col[c]);
  } else {
    unbound_key(st, value, key);
  }
  // The unseen digits' labels, in the order they are met.
  std::uint8_t next = st.next_label;
  for (int i = 0; i < 9; ++i) {
    if (key[i] == 10) key[i] = next++;
  }
}

template <class Value>
void unbound_key(const State& st, const Value& value, std::uint8_t* key) {
  struct Block {
    std::uint8_t v[3];
  } blocks[3];
  int unbound = 0;
  for (int t = 0; t < 3; ++t) {
    if (st.slot_stack[0] == t || st.slot_stack[1] == t || st.slot_stack[2] == t)
      continue;
    for (int j = 0; j < 3; ++j) blocks[unbound].v[j] = value(t * 3 + j);
    sort3(blocks[unbound++].v);
  }
  insertion_sort(blocks, unbound, [](const Block& x, const Block& y) {
    return x.v[0] != y.v[0]   ? x.v[0] < y.v[0]
           : x.v[1] != y.v[1] ? x.v[1] < y.v[1]
                              : x.v[2] < y.v[2];
  });
  std::memcpy(key, blocks, static_cast<std::size_t>(unbound) * 3);
  for (int k = unbound; k < 3; ++k) {
    const int at = 3 * k;
    std::uint8_t* out = key + at;
    const unsigned cols = kStackColumns[st.slot_stack[k]];
    int j = 0;
    for (unsigned left = cols & ~st.placed; left != 0; left &= left - 1) {
      out[j++] = value(__builtin_ctz(left));
    }
    insertion_sort(out, j,
                   [](std::uint8_t x, std::uint8_t y) { return x < y; });
    for (; j < 3; ++j) out[j] = value(st.pos_col[3 * k + j]);
  }
}

struct Candidate {
  std::uint8_t key[9];  // row_key's bytes (minlex only)
  std::uint8_t row;
  std::uint32_t ties;
  std::uint64_t rank;  // the key packed, five bits a value, position 0
                       // highest
};

// The candidate's key and rank: row_key's bytes packed.
void candidate_key(const Search& s, const State& st, const std::uint8_t* values,
                   int row, Candidate& c) {
  row_key(s, st, values, row, c.key);
  std::uint64_t rank = 0;
  for (const std::uint8_t v : c.key) rank = rank << 5 | v;
  c.rank = rank;
}

// Output row r from a candidate when every column is bound and its key is
// exact: the key is the row's string, compared as it stands; the digits
// it shows first are labelled in order.
void bound_row(Search& s, const State& st, int r, const Candidate& c) {
  for (int p = 0; p < 9; ++p) {
    if (!judge(s, r * 9 + p, c.key[p])) return;
  }
  State n = st;
  n.row_of[r] = c.row;
  n.used_rows = static_cast<std::uint16_t>(n.used_rows | (1U << c.row));
  n.weight *= c.ties;
  const int first = 9 * c.row;
  for (int p = 0; p < 9; ++p) label_of(n, s.grid[first + n.pos_col[p]]);
  next_row(s, n, r + 1);
}

void next_row(Search& s, const State& st, int r) {
  if (r == 9) {
    leaf(s, st);
    return;
  }
  const unsigned rows = candidate_rows(st, r);
  // Of the empty rows of a band only the first, its subtree standing for
  // all of them (they are interchangeable).
  Candidate c[9];
  int n = 0;
  unsigned empty_seen = 0;
  std::uint8_t values[10];
  key_values(st, values);
  for (unsigned left = rows; left != 0; left &= left - 1) {
    const int row = __builtin_ctz(left);
    std::uint32_t ties = 1;
    if (s.row_mask[row] == 0) {
      const unsigned band = 0x7U << (3 * (row / 3));
      if ((empty_seen & band) != 0) continue;
      empty_seen |= band;
      ties = static_cast<std::uint32_t>(popcount9(band & rows & s.empty_rows));
    }
    candidate_key(s, st, values, row, c[n]);
    c[n].row = static_cast<std::uint8_t>(row);
    c[n++].ties = ties;
  }
  // With exact keys a candidate whose key is above the smallest can give
  // no smallest string: only the ties are searched. Otherwise all, the
  // smallest keys first, so that the best string is found first and the
  // others are cut at their first larger cell.
  if (s.distinct_rows) {
    int least = 0;
    for (int i = 1; i < n; ++i) {
      if (c[i].rank < c[least].rank) least = i;
    }
    for (int i = 0; i < n; ++i) {
      if (c[least].rank < c[i].rank) continue;
      if (st.placed == 0x1FF) {
        bound_row(s, st, r, c[i]);
      } else {
        start_row(s, st, r, c[i].row, c[i].ties);
      }
    }
    return;
  }
  insertion_sort(c, n, [](const Candidate& x, const Candidate& y) {
    return x.rank < y.rank;
  });
  for (int i = 0; i < n; ++i) start_row(s, st, r, c[i].row, c[i].ties);
}

void search(Search& s, const base::Puzzle& puzzle, bool transposed) {
  s.transposed = transposed;
  s.empty_rows = 0;
  for (int r = 0; r < 9; ++r) {
    s.row_mask[r] = 0;
    for (int c = 0; c < 9; ++c) {
      const std::uint8_t d =
          transposed ? puzzle.cell[c * 9 + r] : puzzle.cell[r * 9 + c];
      s.grid[r * 9 + c] = d;
      if (d != 0)
        s.row_mask[r] = static_cast<std::uint16_t>(s.row_mask[r] | (1U << c));
    }
    if (s.row_mask[r] == 0) s.empty_rows |= 1U << r;
  }
  s.distinct_rows = true;
  for (int r = 0; r < 9; ++r) {
    unsigned seen = 0;
    for (int c = 0; c < 9; ++c) {
      const unsigned bit = 1U << s.grid[r * 9 + c];
      if ((seen & bit & ~1U) != 0) s.distinct_rows = false;
      seen |= bit;
    }
  }
  State st{};
  std::memset(st.pos_col, kUnbound, sizeof st.pos_col);
  std::memset(st.slot_stack, kUnbound, sizeof st.slot_stack);
  st.next_label = 1;
  st.unbound_slots = 3;
  st.weight = 1;
  next_row(s, st, 0);
}

// ---------------------------------------------------------------------
// Valid full grids. Row 0 of every image is 123456789 (nine digits, each
// new), so the search above would tie on all 1,296 column orders before
// row 1 tells them apart. Here the label of a digit is one more than the
// output position of its column in output row 0, and the column order is
// built while output row 1 is produced: output cell (1, c) holds the label
// of the digit at input column x = pos_col[c] of row r1, that is one more
// than the output position of column t, where row r0 has that digit. When
// t has no position yet, the smallest it can take is the first free
// position of its stack's slot (or of the next free slot, which its stack
// then takes); any other would make cell (1, c) larger, so it is taken at
// once and the search branches only where a position is reached before any
// cell claimed it. Rows r0 and r1 lie in one band, so t is never in the
// stack of x. Once row 1 is done every position is bound: row 2 is the band's
// last row, and rows 3 to 8 follow from column 0, whose labels all differ
// (the band whose row has the smallest first cell, its rows in the order of
// their first cells, then the other band's). The only choice left is slot
// 0 of row 1: its stack and the order of its three columns. A stack whose
// three digits lie in one stack of row r0 ("pure") starts row 1 with
// 4 5 6, any other with 4 5 7 at best; so when some start has a pure
// stack only pure stacks are tried, and a mixed stack only in the orders
// whose first two columns' digits lie together. After slot 0 every claim
// is forced: at most 36 starts (orientation, band, r0, r1) times a few
// slot-0 orders, each a straight run of claims cut at its first cell above
// the best string.
//
// Most of those orders tie on row 1's first cells (4 5 7 with no pure
// stack, 4 5 6 7 8 9 with one), and the claims that tell them apart are a
// chain of dependent loads each. So the cells that follow the tie are
// first computed for every start and order in closed form from sigma (the
// column of row r0 holding the digit of each column of row r1) applied
// two or three times (mixed_prefix, pure_prefix): the least over all
// starts is a bound, and only the starts and orders that reach it are
// claimed; the others could give no smallest row 1. The claims of those
// left produce the same cells again, so the string, the transforms and
// the count of ties are those of the search without the bound.

struct GridState {
  std::uint8_t row_of[9];
  std::uint8_t pos_col[9];     // output position -> input column
  std::uint8_t col_pos[9];     // input column -> output position
  std::uint8_t stack_slot[3];  // input stack -> output slot
  std::uint8_t slot_stack[3];
  std::uint8_t fill[3];       // the positions of each slot bound (a prefix)
  std::uint8_t next_slot;     // the slots below are bound to stacks
  std::uint8_t first_stacks;  // the stacks slot 0 may take
};

struct GridSearch {
  Search s;
  std::uint8_t grids[2][81];        // the grid and its transposition
  std::uint8_t col_of[2][9][10];    // col_of[o][row][digit]: its column
  bool pure_start = false;          // some start has a pure stack
  std::uint8_t sigma[9];            // the start's column of row r0 holding
                                    // the digit of each column of row r1
  int least_prefix = 0;             // the smallest start_prefix of all starts
  int start_least[2][9][9];         // [o][r0][r1]: the smallest of a start
  std::uint8_t sigmas[2][9][9][9];  // [o][r0][r1]: that start's sigma
};

// The orders of a stack's three columns.
constexpr std::uint8_t kOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                        {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};

// The column of row r0 holding the digit of each column of row r1.
void start_sigma(const GridSearch& gs, int o, int r0, int r1,
                 std::uint8_t* sigma) {
  for (int x = 0; x < 9; ++x) {
    sigma[x] = gs.col_of[o][r0][gs.grids[o][r1 * 9 + x]];
  }
}

// Cells 3 and 4 of output row 1 (as 16 * cell 3 + cell 4) when no start
// has a pure stack and slot 0 takes columns x[0..2] of row r1 in that
// order, x[0] and x[1] with their digits in one stack A of row r0, x[2]
// with its digit in the other, B. Cells 0 to 2 are then 4 5 7 in every
// start (A takes slot 1, B slot 2), so these two cells rank the starts
// before any claim. Position 3 holds column sigma(x[0]), which lies in A;
// its digit lies in r0's column sigma(sigma(x[0])), outside A: in slot 0
// (its position there, 1 to 3), or the column of B bound at position 6
// (7), or the next free position of slot 2 (8, then 9).
int mixed_prefix(const std::uint8_t* sigma, const std::uint8_t* x) {
  int key = 0;
  int fill = 1;  // the positions of slot 2 bound
  for (int j = 0; j < 2; ++j) {
    const int t = sigma[sigma[x[j]]];
    int v = 7;
    if (t / 3 == x[0] / 3) {
      v = t == x[0] ? 1 : t == x[1] ? 2 : 3;
    } else if (t != sigma[x[2]]) {
      v = 6 + ++fill;
    }
    key = key * 16 + v;
  }
  return key;
}

// Cells 6 to 8 of output row 1 (as 256 * cell 6 + 16 * cell 7 + cell 8)
// when slot 0 takes the columns x[0..2] of a pure stack s of row r1 in
// that order. The digits of s lie in one stack of r0, which takes slot 1
// (cells 0 to 2: 4 5 6), those of that stack in a third, slot 2 (cells 3
// to 5: 7 8 9), and those of the third in s: cell 6 + j holds one more
// than the position in slot 0 of column sigma(sigma(sigma(x[j]))). The
// whole row is thus known before any claim.
int pure_prefix(const std::uint8_t* sigma, const std::uint8_t* x) {
  int key = 0;
  for (int j = 0; j < 3; ++j) {
    const int t = sigma[sigma[sigma[x[j]]]];
    key = key * 16 + (t == x[0] ? 1 : t == x[1] ? 2 : 3);
  }
  return key;
}

// The slot-0 orders first_slot tries: with a pure stack in some start only
// pure stacks, in every order; else the orders whose first two columns'
// digits lie in one stack of row r0.
inline bool tried_order(bool pure_start, const std::uint8_t* sigma,
                        const std::uint8_t* x) {
  const bool two = sigma[x[0]] / 3 == sigma[x[1]] / 3;
  return two && (!pure_start || sigma[x[1]] / 3 == sigma[x[2]] / 3);
}

// The part of output row 1 that ranks the tried slot-0 orders, all alike
// before it: pure_prefix or mixed_prefix.
inline int start_prefix(bool pure_start, const std::uint8_t* sigma,
                        const std::uint8_t* x) {
  return pure_start ? pure_prefix(sigma, x) : mixed_prefix(sigma, x);
}

// The smallest start_prefix of one start over its slot-0 orders.
int least_in_start(bool pure_start, const std::uint8_t* sigma) {
  int least = INT_MAX;
  for (int stack = 0; stack < 3; ++stack) {
    for (const auto& order : kOrders) {
      const std::uint8_t x[3] = {
          static_cast<std::uint8_t>(stack * 3 + order[0]),
          static_cast<std::uint8_t>(stack * 3 + order[1]),
          static_cast<std::uint8_t>(stack * 3 + order[2])};
      if (!tried_order(pure_start, sigma, x)) continue;
      const int key = start_prefix(pure_start, sigma, x);
      if (key < least) least = key;
    }
  }
  return least;
}

// The smallest start_prefix over every start and slot-0 order, and each
// start's own.
int least_start_prefix(GridSearch& gs) {
  int least = INT_MAX;
  for (int o = 0; o < 2; ++o) {
    for (int r0 = 0; r0 < 9; ++r0) {
      for (int r1 = r0 / 3 * 3; r1 < r0 / 3 * 3 + 3; ++r1) {
        if (r1 == r0) continue;
        const int key = least_in_start(gs.pure_start, gs.sigmas[o][r0][r1]);
        gs.start_least[o][r0][r1] = key;
        if (key < least) least = key;
      }
    }
  }
  return least;
}

// The stacks of row r1 whose three digits lie in one stack of row r0: with
// such a stack in slot 0, output row 1 begins 4 5 6; any other start or
// slot 0 begins 4 5 7 at best (two of the three, then the third in the
// other slot).
unsigned pure_stacks(const std::uint8_t* sigma) {
  unsigned mask = 0;
  for (int stack = 0; stack < 3; ++stack) {
    unsigned targets = 0;
    for (int c = stack * 3; c < stack * 3 + 3; ++c) {
      targets |= 1U << (sigma[c] / 3);
    }
    if ((targets & (targets - 1)) == 0) mask |= 1U << stack;
  }
  return mask;
}

// Every start's sigma, made once for the ranking and the search, and
// whether some start has a pure stack.
void make_sigmas(GridSearch& gs) {
  for (int o = 0; o < 2; ++o) {
    for (int r0 = 0; r0 < 9; ++r0) {
      for (int r1 = r0 / 3 * 3; r1 < r0 / 3 * 3 + 3; ++r1) {
        if (r1 == r0) continue;
        std::uint8_t* sigma = gs.sigmas[o][r0][r1];
        start_sigma(gs, o, r0, r1, sigma);
        if (pure_stacks(sigma) != 0) gs.pure_start = true;
      }
    }
  }
}

bool valid_grid(const base::Puzzle& p) {
  for (int u = 0; u < 9; ++u) {
    unsigned row = 0, col = 0, box = 0;
    for (int i = 0; i < 9; ++i) {
      const int br = u / 3 * 3 + i / 3, bc = u % 3 * 3 + i % 3;
      row |= 1U << p.cell[u * 9 + i];
      col |= 1U << p.cell[i * 9 + u];
      box |= 1U << p.cell[br * 9 + bc];
    }
    if (row != 0x3FE || col != 0x3FE || box != 0x3FE) return false;
  }
  return true;
}

inline void bind_column(GridState& g, int slot, int col) {
  const int p = slot * 3 + g.fill[slot]++;
  g.pos_col[p] = static_cast<std::uint8_t>(col);
  g.col_pos[col] = static_cast<std::uint8_t>(p);
}

inline void bind_slot(GridState& g, int stack) {
  g.stack_slot[stack] = g.next_slot;
  g.slot_stack[g.next_slot++] = static_cast<std::uint8_t>(stack);
}

// The label of digit d: one more than the position of its column in row 0.
inline std::uint8_t grid_label(const GridSearch& gs, const GridState& g,
                               int d) {
  return static_cast<std::uint8_t>(
      g.col_pos[gs.col_of[gs.s.transposed][g.row_of[0]][d]] + 1);
}

bool judge_row(GridSearch& gs, const GridState& g, int r, int row) {
  for (int c = 0; c < 9; ++c) {
    const std::uint8_t d = gs.s.grid[row * 9 + g.pos_col[c]];
    if (!judge(gs.s, r * 9 + c, grid_label(gs, g, d))) return false;
  }
  return true;
}

// Rows 2 to 8 once every column is bound, and the leaf.
void grid_rest(GridSearch& gs, GridState& g) {
  const int band = g.row_of[0] / 3;
  g.row_of[2] = static_cast<std::uint8_t>(band * 3 + 3 - g.row_of[0] % 3 -
                                          g.row_of[1] % 3);
  if (!judge_row(gs, g, 2, g.row_of[2])) return;
  // The rows below, by the label of their first cell: the band of the
  // smallest first, then the other.
  std::uint8_t by_first[10];
  std::memset(by_first, kUnbound, sizeof by_first);
  for (int row = 0; row < 9; ++row) {
    if (row / 3 == band) continue;
    by_first[grid_label(gs, g, gs.s.grid[row * 9 + g.pos_col[0]])] =
        static_cast<std::uint8_t>(row);
  }
  int first_band = 0;
  for (int v = 9; v >= 1; --v) {
    if (by_first[v] != kUnbound) first_band = by_first[v] / 3;
  }
  int r = 3;
  for (const int b : {first_band, 3 - band - first_band}) {
    for (int v = 1; v <= 9; ++v) {
      const int row = by_first[v];
      if (row == kUnbound || row / 3 != b) continue;
      g.row_of[r] = static_cast<std::uint8_t>(row);
      if (!judge_row(gs, g, r++, row)) return;
    }
  }
  State st{};
  std::memcpy(st.row_of, g.row_of, 9);
  std::memcpy(st.pos_col, g.pos_col, 9);
  std::memcpy(st.slot_stack, g.slot_stack, 3);
  st.placed = 0x1FF;
  for (int d = 1; d <= 9; ++d) st.label[d] = grid_label(gs, g, d);
  st.next_label = 10;
  st.weight = 1;
  leaf(gs.s, st);
}

// Output cell (1, c), its column bound: the column t where row r0 has
// its digit takes the first free position of its slot if it has none;
// compared with the best string.
bool claim(GridSearch& gs, GridState& g, int c) {
  const int t = gs.sigma[g.pos_col[c]];
  if (g.col_pos[t] == kUnbound) {
    if (g.stack_slot[t / 3] == kUnbound) bind_slot(g, t / 3);
    bind_column(g, g.stack_slot[t / 3], t);
  }
  return judge(gs.s, 9 + c, static_cast<std::uint8_t>(g.col_pos[t] + 1));
}

// Output row 1 from position c on.
void grid_row1(GridSearch& gs, const GridState& from, int c) {
  GridState g = from;
  // Claimed positions in a loop; a position no cell has claimed yet (not
  // met after slot 0 in a valid grid) branches over what may take it.
  for (; c < 9 && g.pos_col[c] != kUnbound; ++c) {
    if (!claim(gs, g, c)) return;
  }
  if (c == 9) {
    grid_rest(gs, g);
    return;
  }
  const int slot = c / 3;
  if (slot == g.next_slot) {
    for (int stack = 0; stack < 3; ++stack) {
      if (g.stack_slot[stack] != kUnbound) continue;
      GridState n = g;
      bind_slot(n, stack);
      grid_row1(gs, n, c);
    }
    return;
  }
  for (int col = g.slot_stack[slot] * 3, end = col + 3; col < end; ++col) {
    if (g.col_pos[col] != kUnbound) continue;
    GridState n = g;
    bind_column(n, slot, col);
    grid_row1(gs, n, c);
  }
}

// Slot 0 of output row 1 with each allowed stack in each of its six
// column orders, straight (the claims of its three cells made in turn),
// then the search from position 3.
void first_slot(GridSearch& gs, const GridState& start) {
  for (int stack = 0; stack < 3; ++stack) {
    if (((start.first_stacks >> stack) & 1U) == 0) continue;
    // The stack of row r0 where each column's digit lies: with the three
    // in two stacks, cell (1, 1) is 5 only when its column's digit lies
    // with the first's (else 7), so only those orders.
    int target[3];
    for (int j = 0; j < 3; ++j) target[j] = gs.sigma[stack * 3 + j] / 3;
    const bool pure = target[0] == target[1] && target[1] == target[2];
    for (const auto& order : kOrders) {
      if (!pure && target[order[0]] != target[order[1]]) continue;
      const std::uint8_t x[3] = {
          static_cast<std::uint8_t>(stack * 3 + order[0]),
          static_cast<std::uint8_t>(stack * 3 + order[1]),
          static_cast<std::uint8_t>(stack * 3 + order[2])};
      if (start_prefix(gs.pure_start, gs.sigma, x) > gs.least_prefix) continue;
      GridState g = start;
      bind_slot(g, stack);
      bool going = true;
      for (int c = 0; c < 3 && going; ++c) {
        bind_column(g, 0, stack * 3 + order[c]);
        going = claim(gs, g, c);
      }
      if (going) grid_row1(gs, g, 3);
    }
  }
}

void grid_search(GridSearch& gs, bool transposed) {
  gs.s.transposed = transposed;
  std::memcpy(gs.s.grid, gs.grids[transposed], 81);
  for (int r0 = 0; r0 < 9; ++r0) {
    for (int r1 = r0 / 3 * 3; r1 < r0 / 3 * 3 + 3; ++r1) {
      if (r1 == r0 || gs.start_least[transposed][r0][r1] > gs.least_prefix)
        continue;
      GridState g{};
      std::memset(&g, kUnbound, sizeof g);
      g.row_of[0] = static_cast<std::uint8_t>(r0);
      g.row_of[1] = static_cast<std::uint8_t>(r1);
      g.fill[0] = g.fill[1] = g.fill[2] = 0;
      g.next_slot = 0;
      g.first_stacks = static_cast<std::uint8_t>(
          gs.pure_start ? pure_stacks(gs.sigmas[transposed][r0][r1]) : 0x7U);
      if (g.first_stacks == 0) continue;
      std::memcpy(gs.sigma, gs.sigmas[transposed][r0][r1], 9);
      first_slot(gs, g);
    }
  }
}

Search grid_searched(const base::Puzzle& grid) {
  GridSearch gs;
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      const std::uint8_t d = grid.cell[r * 9 + c];
      gs.grids[0][r * 9 + c] = d;
      gs.grids[1][c * 9 + r] = d;
      gs.col_of[0][r][d] = static_cast<std::uint8_t>(c);
      gs.col_of[1][c][d] = static_cast<std::uint8_t>(r);
    }
  }
  make_sigmas(gs);
  gs.least_prefix = least_start_prefix(gs);
  // Row 0 of every image is 123456789.
  for (int c = 0; c < 9; ++c) judge(gs.s, c, static_cast<std::uint8_t>(c + 1));
  grid_search(gs, false);
  grid_search(gs, true);
  return gs.s;
}

// ---------------------------------------------------------------------
// The pattern form in two phases. The pattern does not see which column
// is which, only which cells hold a given, so columns whose given pattern
// is the same in every row placed so far are interchangeable for it. The
// first phase keeps them so: each bound slot's positions are cut into
// groups of such columns (in any order within a group), and a row splits a
// group into its columns empty in the row (the first positions, since an
// empty cell sorts first) and those holding a given (the last ones). A
// stack empty in every placed row stays unbound as before; a row with
// givens in unbound stacks binds them to the last unbound slots, fewest
// givens first (the search branches only over stacks tied on their
// count). So a row's pattern follows from the row alone, its key is exact,
// and the first phase branches over rows (only those tying the smallest
// key) and tied stacks, never over columns. At a leaf the columns of a
// group have one pattern in all nine rows; the second phase orders them by
// the digits: in the first row where a group holds givens it takes, at
// each position, the column whose digit has the smallest label (an unseen
// digit the next label), branching only on ties, compared cell by cell
// with the best leaf's digits.

struct PatState {
  std::uint8_t row_of[9];
  std::uint8_t pos_col[9];     // bound slots: position -> input column
  std::uint8_t slot_stack[3];  // kUnbound for the slots 0.. below `unbound`
  std::uint8_t unbound;        // the slots below stay unbound
  std::uint16_t used_rows;
  std::uint16_t starts;  // bit p: a group of interchangeable columns
                         // begins at position p
};

struct PatSearch {
  std::uint8_t grid[81];
  std::uint16_t row_mask[9];
  bool transposed = false;
  std::uint16_t best_rows[9];  // the best pattern, row by row (9 bits)
  int rows_valid = 0;          // best_rows[0..rows_valid) is standing
  std::uint8_t best_digits[81];
  int digits_valid = 0;   // best_digits[0..digits_valid) is standing
  bool improved = false;  // the digits branch wrote the best digits
  State best_state;
  bool best_transposed = false;
};

// The end of the group that begins at or before position p.
inline int group_end(const PatState& st, int p) {
  int e = p + 1;
  while (e % 3 != 0 && ((st.starts >> e) & 1U) == 0) ++e;
  return e;
}

// A node's groups as column masks, made once for all its candidate rows.
struct PatFrame {
  std::uint16_t cols[9];  // the input columns of each group
  std::uint8_t shift[9];  // the key's shift of the group's last position
  std::uint16_t free[3];  // the columns of each unbound stack
  std::uint8_t groups;
  std::uint8_t unbound;
};

PatFrame pat_frame(const PatState& st) {
  PatFrame f{};
  for (int p = 3 * st.unbound; p < 9;) {
    const int e = group_end(st, p);
    unsigned cols = 0;
    for (int q = p; q < e; ++q) cols |= 1U << st.pos_col[q];
    f.cols[f.groups] = static_cast<std::uint16_t>(cols);
    f.shift[f.groups++] = static_cast<std::uint8_t>(9 - e);
    p = e;
  }
  for (int t = 0; t < 3; ++t) {
    if (st.slot_stack[0] == t || st.slot_stack[1] == t || st.slot_stack[2] == t)
      continue;
    f.free[f.unbound++] = kStackColumns[t];
  }
  return f;
}

// The exact pattern of input row `row` as output row of the frame's node:
// nine bits, output position 0 the highest. A group with g givens in the
// row gives its last g positions; the unbound stacks, ascending by their
// givens, fill the unbound slots.
unsigned pat_key(const PatSearch& s, const PatFrame& f, int row) {
  const unsigned mask = s.row_mask[row];
  unsigned key = 0;
  for (int k = 0; k < f.groups; ++k)
    key |= ((1U << popcount9(mask & f.cols[k])) - 1) << f.shift[k];
  unsigned counts[3];
  for (int k = 0; k < f.unbound; ++k)
    counts[k] = static_cast<unsigned>(popcount9(mask & f.free[k]));
  insertion_sort(counts, f.unbound,
                 [](unsigned x, unsigned y) { return x < y; });
  for (int k = 0; k < f.unbound; ++k)
    key |= ((1U << counts[k]) - 1) << (6 - 3 * k);
  return key;
}

// Splits every bound group by the givens of `row`: empty columns first.
void split_groups(const PatSearch& s, PatState& st, int row) {
  const unsigned mask = s.row_mask[row];
  for (int p = 3 * st.unbound; p < 9;) {
    const int e = group_end(st, p);
    std::uint8_t cols[3];
    int n = 0;
    for (int q = p; q < e; ++q)
      if (((mask >> st.pos_col[q]) & 1U) == 0) cols[n++] = st.pos_col[q];
    const int empties = n;
    for (int q = p; q < e; ++q)
      if (((mask >> st.pos_col[q]) & 1U) != 0) cols[n++] = st.pos_col[q];
    std::memcpy(st.pos_col + p, cols, static_cast<std::size_t>(n));
    if (empties != 0 && empties != n)
      st.starts = static_cast<std::uint16_t>(st.starts | 1U << (p + empties));
    p = e;
  }
}

// Binds stack t to slot k: its columns empty in `row` first.
void bind_pat_stack(const PatSearch& s, PatState& st, int k, int t, int row) {
  const unsigned mask = s.row_mask[row];
  st.slot_stack[k] = static_cast<std::uint8_t>(t);
  int p = 3 * k;
  for (int c = 3 * t; c < 3 * t + 3; ++c)
    if (((mask >> c) & 1U) == 0) st.pos_col[p++] = static_cast<std::uint8_t>(c);
  const int boundary = p;
  for (int c = 3 * t; c < 3 * t + 3; ++c)
    if (((mask >> c) & 1U) != 0) st.pos_col[p++] = static_cast<std::uint8_t>(c);
  st.starts = static_cast<std::uint16_t>(st.starts | 1U << (3 * k));
  if (boundary != 3 * k && boundary != 3 * k + 3)
    st.starts = static_cast<std::uint16_t>(st.starts | 1U << boundary);
}

void pat_next_row(PatSearch& s, const PatState& st, int r);

// Output row r taken by input row `row` (its key already judged): the
// groups split, then the unbound stacks with givens bound, in each order
// that keeps their counts ascending.
void pat_take_row(PatSearch& s, const PatState& st, int r, int row) {
  PatState n = st;
  n.row_of[r] = static_cast<std::uint8_t>(row);
  n.used_rows = static_cast<std::uint16_t>(n.used_rows | 1U << row);
  split_groups(s, n, row);
  int stacks[3];
  int m = 0;
  for (int t = 0; t < 3; ++t) {
    const bool bound =
        n.slot_stack[0] == t || n.slot_stack[1] == t || n.slot_stack[2] == t;
    if (!bound && (s.row_mask[row] & kStackColumns[t]) != 0) stacks[m++] = t;
  }
  if (m == 0) {
    pat_next_row(s, n, r + 1);
    return;
  }
  const int first = n.unbound - m;
  for (const auto& order : kOrders) {
    // The orders of the first m entries, the rest left ascending.
    bool ascending = m == 3 || order[m] < order[2] || m == 2;
    for (int j = 0; j < m; ++j) {
      if (order[j] >= m) ascending = false;
      if (!ascending || j == 0) continue;
      const unsigned mask = s.row_mask[row];
      ascending = popcount9(mask & kStackColumns[stacks[order[j - 1]]]) <=
                  popcount9(mask & kStackColumns[stacks[order[j]]]);
    }
    if (!ascending) continue;
    PatState b = n;
    for (int j = 0; j < m; ++j)
      bind_pat_stack(s, b, first + j, stacks[order[j]], row);
    b.unbound = static_cast<std::uint8_t>(first);
    pat_next_row(s, b, r + 1);
  }
}

// Compares a row key with the best pattern's row r: false cuts the
// branch; a smaller key makes the branch the best from row r on.
inline bool pat_judge(PatSearch& s, int r, unsigned key) {
  if (r < s.rows_valid) {
    if (key > s.best_rows[r]) return false;
    if (key == s.best_rows[r]) return true;
  }
  s.best_rows[r] = static_cast<std::uint16_t>(key);
  s.rows_valid = r + 1;
  s.digits_valid = 0;
  return true;
}

// The second phase's branch: positions fixed (a prefix of each group in
// the rows where the group holds givens) and the labels.
struct DigitState {
  std::uint8_t pos_col[9];
  std::uint16_t fixed;  // positions whose column is decided
  std::uint8_t label[10];
  std::uint8_t next_label;
};

inline bool digit_judge(PatSearch& s, int i, std::uint8_t v) {
  if (i < s.digits_valid) {
    if (v > s.best_digits[i]) return false;
    if (v == s.best_digits[i]) return true;
  }
  s.best_digits[i] = v;
  s.digits_valid = i + 1;
  s.improved = true;
  return true;
}

void digit_leaf(PatSearch& s, const PatState& st, const DigitState& d) {
  if (!s.improved) return;
  s.improved = false;
  State b{};
  std::memcpy(b.row_of, st.row_of, 9);
  std::memset(b.pos_col, kUnbound, 9);
  std::memcpy(b.slot_stack, st.slot_stack, 3);
  for (int p = 3 * st.unbound; p < 9; ++p) {
    b.pos_col[p] = d.pos_col[p];
    b.placed = static_cast<std::uint16_t>(b.placed | 1U << d.pos_col[p]);
  }
  std::memcpy(b.label, d.label, 10);
  b.next_label = d.next_label;
  s.best_state = b;
  s.best_transposed = s.transposed;
}

void digit_cell(PatSearch& s, const PatState& st, DigitState& d, int i);

// Position p of output row r, unfixed, its group holding givens in this
// row: each of the group's columns left whose digit's label is smallest.
void digit_choose(PatSearch& s, const PatState& st, const DigitState& d,
                  int i) {
  const int p = i % 9;
  const int e = group_end(st, p);
  const std::uint8_t* cells = s.grid + std::ptrdiff_t{9} * st.row_of[i / 9];
  std::uint8_t least = 0xFF;
  for (int q = p; q < e; ++q) {
    const std::uint8_t digit = cells[d.pos_col[q]];
    const std::uint8_t v = d.label[digit] != 0 ? d.label[digit] : d.next_label;
    if (v < least) least = v;
  }
  if (!digit_judge(s, i, least)) return;
  for (int q = p; q < e; ++q) {
    const std::uint8_t digit = cells[d.pos_col[q]];
    const std::uint8_t v = d.label[digit] != 0 ? d.label[digit] : d.next_label;
    if (v != least) continue;
    DigitState n = d;
    std::swap(n.pos_col[p], n.pos_col[q]);
    n.fixed = static_cast<std::uint16_t>(n.fixed | 1U << p);
    if (n.label[digit] == 0) n.label[digit] = n.next_label++;
    digit_cell(s, st, n, i + 1);
  }
}

// The digits from output cell i on, in row-major order.
void digit_cell(PatSearch& s, const PatState& st, DigitState& d, int i) {
  for (; i < 81; ++i) {
    const int p = i % 9;
    if (p < 3 * st.unbound) {
      if (!digit_judge(s, i, 0)) return;
      continue;
    }
    const std::uint8_t digit = s.grid[9 * st.row_of[i / 9] + d.pos_col[p]];
    if (digit != 0 && ((d.fixed >> p) & 1) == 0) {
      digit_choose(s, st, d, i);
      return;
    }
    if (digit != 0 && d.label[digit] == 0) d.label[digit] = d.next_label++;
    if (!digit_judge(s, i, d.label[digit])) return;
  }
  digit_leaf(s, st, d);
}

// A leaf of the first phase: its pattern ties the best (or is the new
// best); the second phase orders its groups by the digits.
void pat_leaf(PatSearch& s, const PatState& st) {
  DigitState d{};
  std::memcpy(d.pos_col, st.pos_col, 9);
  d.next_label = 1;
  for (int p = 3 * st.unbound; p < 9;) {
    const int e = group_end(st, p);
    if (e == p + 1) d.fixed = static_cast<std::uint16_t>(d.fixed | 1U << p);
    p = e;
  }
  s.improved = s.digits_valid == 0;
  digit_cell(s, st, d, 0);
}

void pat_next_row(PatSearch& s, const PatState& st, int r) {
  if (r == 9) {
    pat_leaf(s, st);
    return;
  }
  unsigned rows = 0x1FFU & ~st.used_rows;
  if (r % 3 != 0) rows &= 0x7U << (3 * (st.row_of[r - 1] / 3));
  const PatFrame frame = pat_frame(st);
  unsigned keys[9];
  unsigned least = 0x200;
  unsigned empty_seen = 0;
  for (unsigned left = rows; left != 0; left &= left - 1) {
    const int row = __builtin_ctz(left);
    keys[row] = 0x200;
    if (s.row_mask[row] == 0) {
      // The empty rows of a band are interchangeable: the first stands
      // for all.
      const unsigned band = 0x7U << (3 * (row / 3));
      if ((empty_seen & band) != 0) continue;
      empty_seen |= band;
    }
    keys[row] = pat_key(s, frame, row);
    if (keys[row] < least) least = keys[row];
  }
  if (!pat_judge(s, r, least)) return;
  for (unsigned left = rows; left != 0; left &= left - 1) {
    const int row = __builtin_ctz(left);
    if (keys[row] == least) pat_take_row(s, st, r, row);
  }
}

void pat_search(PatSearch& s, const base::Puzzle& puzzle, bool transposed) {
  s.transposed = transposed;
  for (int r = 0; r < 9; ++r) {
    s.row_mask[r] = 0;
    for (int c = 0; c < 9; ++c) {
      const std::uint8_t d =
          transposed ? puzzle.cell[c * 9 + r] : puzzle.cell[r * 9 + c];
      s.grid[r * 9 + c] = d;
      if (d != 0)
        s.row_mask[r] = static_cast<std::uint16_t>(s.row_mask[r] | (1U << c));
    }
  }
  PatState st{};
  std::memset(st.slot_stack, kUnbound, sizeof st.slot_stack);
  st.unbound = 3;
  pat_next_row(s, st, 0);
}

Search pattern_searched(const base::Puzzle& puzzle) {
  PatSearch ps;
  pat_search(ps, puzzle, false);
  pat_search(ps, puzzle, true);
  Search s;
  s.best_state = ps.best_state;
  s.best_transposed = ps.best_transposed;
  return s;
}

Search searched(const base::Puzzle& puzzle, Definition definition) {
  // A full grid's pattern has no choice in it: both forms are the same.
  if (valid_grid(puzzle)) return grid_searched(puzzle);
  if (definition == Definition::kPattern) return pattern_searched(puzzle);
  Search s;
  search(s, puzzle, false);
  search(s, puzzle, true);
  return s;
}

}  // namespace

Form canonical_form(const base::Puzzle& puzzle, Definition definition) {
  const Search s = searched(puzzle, definition);
  const Transform t = transform_of(s.best_transposed, s.best_state);
  return Form{apply(t, puzzle), t};
}

int automorphisms(const base::Puzzle& grid) {
  const long count = searched(grid, Definition::kMinlex).count;
  return count <= INT_MAX ? static_cast<int>(count) : -1;
}

base::Puzzle apply(const Transform& t, const base::Puzzle& p) {
  base::Puzzle out{};
  for (int i = 0; i < 81; ++i) out.cell[i] = t.digit_to[p.cell[t.cell_from[i]]];
  return out;
}

}  // namespace canon
