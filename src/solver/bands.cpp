// Deductions and searches over Bands (see bands.h for the encoding).
#include "solver/bands.h"

#include <cassert>
#include <cstring>

#include "solver/state.h"

namespace solver {

namespace {

constexpr std::uint32_t kRowCells = 0x1FF;       // row 0 of a band
constexpr std::uint32_t kBoxCells = 0x1C0E07;    // box 0 of a band
constexpr std::uint32_t kColumnCells = 0x40201;  // column 0 of a band
constexpr std::uint32_t kAllColumns = 0x1FF;     // the nine columns as bits

// The cells of the nine columns of `columns` (bit c: column c) in a band.
constexpr std::uint32_t spread(std::uint32_t columns) {
  return columns | columns << 9 | columns << 18;
}

// The columns where a band's cell set has a cell.
constexpr std::uint32_t fold(std::uint32_t cells) {
  return (cells | cells >> 9 | cells >> 18) & kAllColumns;
}

// A 3x3 relation as nine bits, bit 3 * x + y for the pair (x, y): the
// union of the permutation matrices (x -> y one to one) inside it. Empty
// when none fits. The six permutations are closed under transposition, so
// the table serves a band (row, box) and a stack (band, column) alike.
constexpr std::array<std::uint16_t, 512> kMatchings = [] {
  constexpr unsigned kPermutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                            {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  std::array<std::uint16_t, 512> table{};
  for (unsigned pairs = 0; pairs < 512; ++pairs) {
    for (const auto& perm : kPermutations) {
      unsigned bits = 0;
      for (unsigned x = 0; x < 3; ++x) bits |= 1U << (3 * x + perm[x]);
      if ((bits & pairs) == bits)
        table[pairs] |= static_cast<std::uint16_t>(bits);
    }
  }
  return table;
}();

// For a band's cell set: its non-empty row-box segments (bit 3 * row +
// box) -> the cells of the segments that belong to a matching; 0 when
// none does. Indexed by the segments; the cells are spread out here so
// that a look-up masks the band at once.
constexpr std::array<std::uint32_t, 512> kBandKeep = [] {
  std::array<std::uint32_t, 512> table{};
  for (unsigned segments = 0; segments < 512; ++segments) {
    const unsigned keep = kMatchings[segments];
    for (unsigned s = 0; s < 9; ++s) {
      if ((keep >> s) & 1U)
        table[segments] |= 7U << (9 * (s / 3) + 3 * (s % 3));
    }
  }
  return table;
}();

// The non-empty three-cell segments of one row (nine bits) as three bits.
constexpr std::array<std::uint8_t, 512> kRowSegments = [] {
  std::array<std::uint8_t, 512> table{};
  for (unsigned row = 0; row < 512; ++row) {
    for (unsigned k = 0; k < 3; ++k) {
      if ((row >> (3 * k)) & 7U)
        table[row] |= static_cast<std::uint8_t>(1U << k);
    }
  }
  return table;
}();

// The other cells of a band cell's row and box.
constexpr std::array<std::uint32_t, 27> kBandPeers = [] {
  std::array<std::uint32_t, 27> peers{};
  for (unsigned p = 0; p < 27; ++p) {
    const std::uint32_t row = kRowCells << (9 * (p / 9));
    const std::uint32_t box = kBoxCells << (3 * ((p % 9) / 3));
    peers[p] = (row | box) & ~(1U << p);
  }
  return peers;
}();

// The number of set bits of a word, without the popcount instruction
// that the baseline processor lacks.
int count_bits(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

// What is left to look at, from the cheapest to the dearest: the bands of
// a digit whose cells changed (bit 16 * b + d for digit d + 1's band b),
// then the digits whose columns may tell something (bit d), then the
// cells for naked singles, which every change may call for.
struct Work {
  std::uint64_t bands;
  unsigned digits;
};

// Every digit's every band, and every digit: the work of a new board.
constexpr Work kEverything = {0x1FF01FF01FFULL, 0x1FF};

// Work's bit of digit d's band b.
constexpr std::uint64_t band_bit(unsigned d, unsigned b) {
  return std::uint64_t{1} << (16 * b + d);
}

// The digits that may stand at cell p of band b, as a set of nine bits.
unsigned digits_at(const Bands& g, unsigned b, unsigned p) {
  unsigned digits = 0;
  for (unsigned d = 0; d < 9; ++d) digits |= ((g.where[b][d] >> p) & 1U) << d;
  return digits;
}

// A band cell's column, as that column's cells in any band.
constexpr std::array<std::uint32_t, 27> kBandColumn = [] {
  std::array<std::uint32_t, 27> column{};
  for (unsigned p = 0; p < 27; ++p) column[p] = kColumnCells << (p % 9);
  return column;
}();

// Four digits' sets of one band side by side, so that taking cells away
// from all nine digits of a band is three operations, not nine.
using Lanes = std::uint32_t __attribute__((vector_size(16)));

// Takes `cells` away from the nine digits of a band; returns the digits
// that lost any (bit e for digit e + 1).
std::uint64_t clear_cells(std::array<std::uint32_t, 9>& digits,
                          std::uint32_t cells) {
  Lanes low;
  Lanes high;
  std::memcpy(&low, &digits[0], sizeof low);
  std::memcpy(&high, &digits[4], sizeof high);
  const Lanes lost_low = low & cells;
  const Lanes lost_high = high & cells;
  low ^= lost_low;
  high ^= lost_high;
  std::memcpy(&digits[0], &low, sizeof low);
  std::memcpy(&digits[4], &high, sizeof high);
  const Lanes bits =
      (reinterpret_cast<Lanes>(lost_low != 0) & Lanes{1, 2, 4, 8}) |
      (reinterpret_cast<Lanes>(lost_high != 0) & Lanes{16, 32, 64, 128});
  const std::uint32_t lost_last = digits[8] & cells;
  digits[8] ^= lost_last;
  return bits[0] | bits[1] | bits[2] | bits[3] |
         static_cast<std::uint64_t>(lost_last != 0) << 8;
}

// Places digit d on the open cells `cells` of band b, no two of them in
// one row, box or column, and none with a peer in the band that may hold
// d: the other digits leave them, and d leaves their columns in the other
// two bands.
void place_apart(Bands& g, unsigned d, unsigned b, std::uint32_t cells,
                 Work& work) {
  std::array<std::uint32_t, 9>& here = g.where[b];
  std::uint64_t changed = clear_cells(here, cells);
  here[d] |= cells;  // d's own, taken away with the others'
  changed = (changed & ~(std::uint64_t{1} << d)) << (16 * b);
  const std::uint32_t columns = spread(fold(cells));
  const unsigned b1 = b == 2 ? 0 : b + 1;
  const unsigned b2 = b == 0 ? 2 : b - 1;
  std::uint32_t& there1 = g.where[b1][d];
  std::uint32_t& there2 = g.where[b2][d];
  if ((there1 & columns) != 0) changed |= band_bit(d, b1);
  if ((there2 & columns) != 0) changed |= band_bit(d, b2);
  there1 &= ~columns;
  there2 &= ~columns;
  g.open[b] &= ~cells;
  work.bands |= changed;
}

// Places digit d on the open cells `cells` of band b at once: d leaves
// their peers, the other digits leave them. False when two of them are
// peers, or d may no longer stand on one of them: a unit would hold d
// twice, or a cell or unit whose only way out was one of them has none.
// Out of line, as the naked-single sweep is: the band loop of settle, which
// runs far more often, then stays in registers.
__attribute__((noinline)) bool place(Bands& g, unsigned d, unsigned b,
                                     std::uint32_t cells, Work& work) {
  std::uint32_t& own = g.where[b][d];
  if ((cells & ~own) != 0) return false;
  // Two cells of one band in one column are in one box too.
  std::uint32_t peers = 0;
  for (std::uint32_t rest = cells; rest != 0; rest &= rest - 1) {
    peers |= kBandPeers[static_cast<unsigned>(__builtin_ctz(rest))];
  }
  if ((peers & cells) != 0) return false;
  if ((own & peers) != 0) {
    own &= ~peers;
    work.bands |= band_bit(d, b);
  }
  place_apart(g, d, b, cells, work);
  return true;
}

// The cells of `cells` alone in their row, for a band set with a cell in
// every row (so that taking one from each row borrows from none other).
std::uint32_t alone_in_row(std::uint32_t cells) {
  const std::uint32_t several = cells & (cells - kColumnCells);
  std::uint32_t shared = 0;
  for (unsigned r = 0; r < 27; r += 9) {
    if ((several >> r) & kRowCells) shared |= kRowCells << r;
  }
  return cells & ~shared;
}

// Digit d in band b: its matching of rows with boxes, then its hidden
// singles in rows (a box's only cell is its row's too, once the matching
// holds). False when a row or box is left without a place for it.
bool settle_band(Bands& g, unsigned d, unsigned b, Work& work) {
  const std::uint32_t cells = g.where[b][d];
  if ((cells & g.open[b]) == 0) return true;  // placed in the whole band
  const unsigned segments = unsigned{kRowSegments[cells & kRowCells]} |
                            unsigned{kRowSegments[(cells >> 9) & kRowCells]}
                                << 3 |
                            unsigned{kRowSegments[cells >> 18]} << 6;
  const std::uint32_t kept = cells & kBandKeep[segments];
  if (kept == 0) return false;
  g.where[b][d] = kept;
  work.digits |= 1U << d;
  // After the matching, a row's only cell is its box's only one too, and
  // two of them share no column: the matching puts them in two boxes.
  const std::uint32_t singles = alone_in_row(kept) & g.open[b];
  if (singles != 0) place_apart(g, d, b, singles, work);
  return true;
}

// Digit d over the columns: each stack's matching of bands with columns,
// then its hidden singles in columns. False when a column or box is left
// without a place for it.
bool settle_columns(Bands& g, unsigned d, Work& work) {
  std::array<std::uint32_t, 3> x = {g.where[0][d], g.where[1][d],
                                    g.where[2][d]};
  if (((x[0] & g.open[0]) | (x[1] & g.open[1]) | (x[2] & g.open[2])) == 0) {
    return true;  // placed in all nine boxes
  }
  // Stacks: bit 3 * band + column-in-stack of each stack's relation.
  const std::uint32_t f0 = fold(x[0]);
  const std::uint32_t f1 = fold(x[1]);
  const std::uint32_t f2 = fold(x[2]);
  std::uint32_t keep0 = 0;
  std::uint32_t keep1 = 0;
  std::uint32_t keep2 = 0;
  for (unsigned s = 0; s < 9; s += 3) {
    const unsigned pairs =
        ((f0 >> s) & 7U) | ((f1 >> s) & 7U) << 3 | ((f2 >> s) & 7U) << 6;
    const unsigned keep = kMatchings[pairs];
    if (keep == 0) return false;
    keep0 |= (keep & 7U) << s;
    keep1 |= ((keep >> 3) & 7U) << s;
    keep2 |= ((keep >> 6) & 7U) << s;
  }
  const std::uint32_t kept0 = x[0] & spread(keep0);
  const std::uint32_t kept1 = x[1] & spread(keep1);
  const std::uint32_t kept2 = x[2] & spread(keep2);
  work.bands |= (static_cast<std::uint64_t>(kept0 != x[0]) |
                 static_cast<std::uint64_t>(kept1 != x[1]) << 16 |
                 static_cast<std::uint64_t>(kept2 != x[2]) << 32)
                << d;
  x = {kept0, kept1, kept2};
  g.where[0][d] = kept0;
  g.where[1][d] = kept1;
  g.where[2][d] = kept2;
  // A column's only cell: the column is in one band only, and in one row
  // of it.
  std::uint32_t several = 0;
  std::array<std::uint32_t, 3> columns;
  for (unsigned b = 0; b < 3; ++b) {
    const std::uint32_t c = x[b];
    columns[b] = fold(c);
    several |= (c & c >> 9) | (c & c >> 18) | (c >> 9 & c >> 18);
  }
  several |= (columns[0] & columns[1]) | (columns[0] & columns[2]) |
             (columns[1] & columns[2]);
  const std::uint32_t alone = spread(~several & kAllColumns);
  for (unsigned b = 0; b < 3; ++b) {
    const std::uint32_t cells = x[b] & alone & g.open[b];
    if (cells != 0 && !place(g, d, b, cells, work)) return false;
  }
  return true;
}

// Naked singles: open cells with one digit left are placed. False when a
// cell has none.
__attribute__((noinline)) bool settle_cells(Bands& g, Work& work) {
  for (unsigned b = 0; b < 3; ++b) {
    std::uint32_t one = 0;
    std::uint32_t two = 0;
    std::uint32_t three = 0;
    for (unsigned d = 0; d < 9; ++d) {
      const std::uint32_t x = g.where[b][d];
      three |= two & x;
      two |= one & x;
      one |= x;
    }
    if ((one | ~0x7FFFFFFU) != ~0U) return false;  // a cell with no digit
    g.pairs[b] = g.open[b] & two & ~three;
    const std::uint32_t singles = g.open[b] & ~two;
    if (singles == 0) continue;
    for (unsigned d = 0; d < 9; ++d) {
      const std::uint32_t cells = singles & g.where[b][d];
      if (cells != 0 && !place(g, d, b, cells, work)) return false;
    }
  }
  return true;
}

// Every deduction until none applies; false when no completion exists.
bool settle(Bands& g, Work work) {
  for (;;) {
    if (work.bands != 0) {
      const unsigned i = static_cast<unsigned>(__builtin_ctzll(work.bands));
      work.bands &= work.bands - 1;
      if (!settle_band(g, i & 15U, i >> 4, work)) return false;
    } else if (work.digits != 0) {
      const unsigned d = static_cast<unsigned>(__builtin_ctz(work.digits));
      work.digits &= work.digits - 1;
      if (!settle_columns(g, d, work)) return false;
    } else {
      if (!settle_cells(g, work)) return false;
      if ((work.bands | work.digits) == 0) return true;
    }
  }
}

bool is_complete(const Bands& g) {
  return (g.open[0] | g.open[1] | g.open[2]) == 0;
}

void write_board(const Bands& g, Board& out) {
  for (unsigned d = 0; d < 9; ++d) {
    const std::int32_t code = kCodeTable[d + 1];
    for (unsigned b = 0; b < 3; ++b) {
      for (std::uint32_t cells = g.where[b][d]; cells != 0;
           cells &= cells - 1) {
        out[27 * b + static_cast<unsigned>(__builtin_ctz(cells))] = code;
      }
    }
  }
}

// The open cell to branch on (sets `band` and `cell`): of the cells with
// two digits, the one with the most open peers, whose branches take the
// most candidates away; the first with fewest digits when none has two.
// Against the first two-digit cell in scanning order it halves to thirds
// the branchings of a search (bench/README.md).
void choose_cell(const Bands& g, unsigned& band, unsigned& cell) {
  int best = -1;
  bool found = false;
  for (unsigned b = 0; b < 3; ++b) {
    for (std::uint32_t pairs = g.pairs[b]; pairs != 0; pairs &= pairs - 1) {
      const unsigned p = static_cast<unsigned>(__builtin_ctz(pairs));
      // The open peers: those of the band, and those of the column in the
      // other two bands (moved apart so that no two overlap).
      const std::uint32_t column = kBandColumn[p];
      const int score =
          count_bits((g.open[b] & kBandPeers[p]) |
                     std::uint64_t{(g.open[(b + 1) % 3] & column) |
                                   (g.open[(b + 2) % 3] & column) << 1}
                         << 27);
      if (score > best) {
        best = score;
        band = b;
        cell = p;
        found = true;
      }
    }
  }
  if (found) return;
  int fewest = 10;
  for (unsigned b = 0; b < 3; ++b) {
    for (std::uint32_t cells = g.open[b]; cells != 0; cells &= cells - 1) {
      const unsigned p = static_cast<unsigned>(__builtin_ctz(cells));
      const int n = count_bits(digits_at(g, b, p));
      if (n < fewest) {
        fewest = n;
        band = b;
        cell = p;
      }
    }
  }
}

// The digit index (0..8) of a determined cell's code.
unsigned digit_index(std::int32_t code) {
  return static_cast<unsigned>(kDigitTable[static_cast<unsigned>(code)]) - 1;
}

// A search for up to `limit` completions; the first is written to `first`.
// `steps` counts its branchings.
struct Finding {
  int limit;
  int found;
  Board* first;
  std::int64_t steps;
};

// Whether the search may stop: `limit` completions found below `g`.
bool find_below(const Bands& g, Finding& f) {
  if (is_complete(g)) {
    if (f.found == 0) write_board(g, *f.first);
    return ++f.found >= f.limit;
  }
  unsigned b = 0;
  unsigned p = 0;
  choose_cell(g, b, p);
  for (unsigned digits = digits_at(g, b, p); digits != 0;
       digits &= digits - 1) {
    ++f.steps;
    Bands child = g;
    Work work = {0, 0};
    if (place(child, static_cast<unsigned>(__builtin_ctz(digits)), b, 1U << p,
              work) &&
        settle(child, work) && find_below(child, f)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool make_bands(const Board& board, Bands& g) {
  for (auto& band : g.where) band = {};
  g.open = {0, 0, 0};
  std::array<std::array<std::uint32_t, 9>, 3> placed = {};
  for (unsigned i = 0; i < kCells; ++i) {
    const unsigned b = i / 27;
    const std::uint32_t bit = 1U << (i % 27);
    if (is_determined(board[i])) {
      const unsigned d = digit_index(board[i]);
      placed[b][d] |= bit;
      continue;
    }
    g.open[b] |= bit;
    for (Mask m = mask_of(board[i]); m != 0;
         m = static_cast<Mask>(m & (m - 1))) {
      g.where[b][static_cast<unsigned>(__builtin_ctz(m)) - 1] |= bit;
    }
  }
  // Each determined cell's digit leaves its peers (a propagated board has
  // done so already). Two of them in one unit take each other away, and
  // the deductions then find the unit without the digit.
  for (unsigned d = 0; d < 9; ++d) {
    std::array<std::uint32_t, 3> peers = {0, 0, 0};
    std::array<std::uint32_t, 3> columns = {0, 0, 0};
    for (unsigned b = 0; b < 3; ++b) {
      for (std::uint32_t cells = placed[b][d]; cells != 0; cells &= cells - 1) {
        const unsigned p = static_cast<unsigned>(__builtin_ctz(cells));
        peers[b] |= kBandPeers[p];
        columns[b] |= kBandColumn[p];
      }
    }
    for (unsigned b = 0; b < 3; ++b) {
      const std::uint32_t elsewhere =
          columns[(b + 1) % 3] | columns[(b + 2) % 3];
      g.where[b][d] = (g.where[b][d] | placed[b][d]) & ~peers[b] & ~elsewhere;
    }
  }
  return settle(g, kEverything);
}

bool find_completion(const Bands& g, Board& completion, std::int64_t& steps) {
  Finding f = {1, 0, &completion, 0};
  find_below(g, f);
  steps += f.steps;
  return f.found == 1;
}

bool has_two_completions(const Bands& g, std::int64_t& steps) {
  Board scratch;
  Finding f = {2, 0, &scratch, 0};
  find_below(g, f);
  steps += f.steps;
  return f.found == 2;
}

namespace {

// The ordered search itself over Bands: the first open cell in row-major
// order, its digits upwards, no question asked. Its first completion is
// the smallest; it gives up after `budget` branchings.
enum class Dive { kFound, kNone, kGaveUp };

// Where the ordered search stood when it gave up: at each level, the cell
// it branched on (board index) and the digit it was trying (0..8). Every
// smaller digit there was shown to have no completion below the cells
// before it, so the descent need not ask about them while it follows the
// same cells and digits.
struct DivePath {
  std::int64_t steps;  // branchings, of the dive and of the descent after it
  unsigned depth;
  std::array<std::uint8_t, kCells> cell;
  std::array<std::uint8_t, kCells> digit;
};

Dive dive(const Bands& g, Board& first, std::int64_t& budget, DivePath& path) {
  unsigned b = 0;
  while (b < 3 && g.open[b] == 0) ++b;
  if (b == 3) {
    write_board(g, first);
    return Dive::kFound;
  }
  const unsigned p = static_cast<unsigned>(__builtin_ctz(g.open[b]));
  const unsigned level = path.depth++;
  path.cell[level] = static_cast<std::uint8_t>(27 * b + p);
  for (unsigned digits = digits_at(g, b, p); digits != 0;
       digits &= digits - 1) {
    const unsigned d = static_cast<unsigned>(__builtin_ctz(digits));
    path.digit[level] = static_cast<std::uint8_t>(d);
    if (--budget < 0) return Dive::kGaveUp;
    ++path.steps;
    Bands child = g;
    Work work = {0, 0};
    if (!place(child, d, b, 1U << p, work) || !settle(child, work)) continue;
    const Dive below = dive(child, first, budget, path);
    if (below != Dive::kNone) return below;
  }
  path.depth = level;
  return Dive::kNone;
}

// The descent's step at the open cell i of g: g takes the smallest digit
// of `digits` that has a completion, and that digit (0..8) is returned; 9
// when none has. A digit below the known completion's (`first`, when
// `known`) is put to find_completion, whose "yes" becomes the known
// completion; the known completion's own digit needs no question.
unsigned take_smallest(Bands& g, unsigned i, unsigned digits, Board& first,
                       bool& known, std::int64_t& steps) {
  const unsigned b = i / 27;
  const unsigned p = i % 27;
  const unsigned known_digit = known ? digit_index(first[i]) : 9;
  for (; digits != 0; digits &= digits - 1) {
    const unsigned d = static_cast<unsigned>(__builtin_ctz(digits));
    ++steps;
    Bands child = g;
    Work work = {0, 0};
    const bool settled =
        place(child, d, b, 1U << p, work) && settle(child, work);
    if (d == known_digit) {
      assert(settled && "the known completion lost");
      g = child;  // the known completion is one of the child's
      return d;
    }
    if (settled && find_completion(child, first, steps)) {
      known = true;
      g = child;
      return d;
    }
  }
  return 9;
}

}  // namespace

bool first_in_order(const Bands& root, Board& first, std::int64_t budget,
                    std::int64_t& steps) {
  DivePath path;
  path.steps = 0;
  path.depth = 0;
  const Dive quick = dive(root, first, budget, path);
  steps += path.steps;
  if (quick != Dive::kGaveUp) return quick == Dive::kFound;
  Bands g = root;
  bool known = false;  // `first` holds a completion of g
  unsigned level = 0;  // the next level of `path`, while the descent follows it
  for (unsigned i = 0; i < kCells; ++i) {
    if (((g.open[i / 27] >> (i % 27)) & 1U) == 0) continue;
    const bool on_path = level < path.depth && path.cell[level] == i;
    // The digits below the one the ordered search reached here have none.
    const unsigned shown_none = on_path ? (1U << path.digit[level]) - 1 : 0;
    const unsigned taken = take_smallest(
        g, i, digits_at(g, i / 27, i % 27) & ~shown_none, first, known, steps);
    if (taken == 9) return false;  // only at the first open cell
    level = on_path && taken == path.digit[level] ? level + 1 : kCells;
  }
  write_board(g, first);  // no cell of g is open now
  return true;
}

}  // namespace solver
