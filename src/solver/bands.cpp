// Deductions and searches over Bands (see bands.h for the encoding).
#include "solver/bands.h"

#include <cassert>

#include "solver/seams.h"
#include "solver/state.h"

namespace solver {

namespace {

constexpr std::uint32_t kRowCells = 0x1FF;      // row 0 of a band
constexpr std::uint32_t kBoxCells = 0x1C0E07;   // box 0 of a band
constexpr std::uint32_t kColumnCells = 0x40201;  // column 0 of a band
constexpr std::uint32_t kAllColumns = 0x1FF;    // the nine columns as bits

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
      if ((bits & pairs) == bits) table[pairs] |= static_cast<std::uint16_t>(bits);
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
      if ((keep >> s) & 1U) table[segments] |= 7U << (9 * (s / 3) + 3 * (s % 3));
    }
  }
  return table;
}();

// The non-empty three-cell segments of one row (nine bits) as three bits.
constexpr std::array<std::uint8_t, 512> kRowSegments = [] {
  std::array<std::uint8_t, 512> table{};
  for (unsigned row = 0; row < 512; ++row) {
    for (unsigned k = 0; k < 3; ++k) {
      if ((row >> (3 * k)) & 7U) table[row] |= static_cast<std::uint8_t>(1U << k);
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

constexpr bool is_single(std::uint32_t bits) {
  return bits != 0 && (bits & (bits - 1)) == 0;
}

// Digits as a set of nine bits (bit d for digit d + 1): those whose
// positions changed since the digit was last looked at.
using DigitSet = unsigned;

// The digits that may stand at cell p of band b.
DigitSet digits_at(const Bands& g, unsigned b, unsigned p) {
  DigitSet digits = 0;
  for (unsigned d = 0; d < 9; ++d) digits |= ((g.where[d][b] >> p) & 1U) << d;
  return digits;
}

// Places digit d at the open cell p of band b, whose bit d must still
// hold; the digits whose positions change join `dirty`.
void place(Bands& g, unsigned d, unsigned b, unsigned p, DigitSet& dirty) {
  const std::uint32_t bit = 1U << p;
  dirty |= digits_at(g, b, p) | 1U << d;
  for (unsigned e = 0; e < 9; ++e) g.where[e][b] &= ~bit;
  g.where[d][b] |= bit;
  g.where[d][b] &= ~kBandPeers[p];
  const std::uint32_t column = kColumnCells << (p % 9);
  g.where[d][(b + 1) % 3] &= ~column;
  g.where[d][(b + 2) % 3] &= ~column;
  g.open[b] &= ~bit;
}

// Places digit d on each open cell of `cells` in band b. A cell whose bit
// is gone by the time it comes (an earlier one of the same list took it
// away) was the only place of d in some unit: no completion.
bool place_all(Bands& g, unsigned d, unsigned b, std::uint32_t cells,
               DigitSet& dirty) {
  for (; cells != 0; cells &= cells - 1) {
    const unsigned p = static_cast<unsigned>(__builtin_ctz(cells));
    if (((g.where[d][b] >> p) & 1U) == 0) return false;
    place(g, d, b, p, dirty);
  }
  return true;
}

// The deductions of one digit: the band and stack matchings, then its
// hidden singles in rows, boxes and columns. False when it has no place
// left in some unit.
bool settle_digit(Bands& g, unsigned d, DigitSet& dirty) {
  std::array<std::uint32_t, 3>& x = g.where[d];
  for (unsigned b = 0; b < 3; ++b) {
    const std::uint32_t cells = x[b];
    const unsigned segments = kRowSegments[cells & kRowCells] |
                              kRowSegments[(cells >> 9) & kRowCells] << 3 |
                              kRowSegments[cells >> 18] << 6;
    const std::uint32_t keep = kBandKeep[segments];
    if (keep == 0) return false;
    x[b] = cells & keep;
  }
  // Stacks: bit 3 * band + column-in-stack of each stack's relation.
  const std::uint32_t f0 = fold(x[0]);
  const std::uint32_t f1 = fold(x[1]);
  const std::uint32_t f2 = fold(x[2]);
  std::uint32_t keep0 = 0;
  std::uint32_t keep1 = 0;
  std::uint32_t keep2 = 0;
  for (unsigned s = 0; s < 9; s += 3) {
    const unsigned pairs = ((f0 >> s) & 7U) | ((f1 >> s) & 7U) << 3 |
                           ((f2 >> s) & 7U) << 6;
    const unsigned keep = kMatchings[pairs];
    if (keep == 0) return false;
    keep0 |= (keep & 7U) << s;
    keep1 |= ((keep >> 3) & 7U) << s;
    keep2 |= ((keep >> 6) & 7U) << s;
  }
  x[0] &= spread(keep0);
  x[1] &= spread(keep1);
  x[2] &= spread(keep2);
  // Hidden singles. A column's only cell: the column is in one band only,
  // and in one row of it.
  std::array<std::uint32_t, 3> columns;
  std::uint32_t several = 0;
  for (unsigned b = 0; b < 3; ++b) {
    const std::uint32_t c = x[b];
    columns[b] = fold(c);
    several |= (c & c >> 9) | (c & c >> 18) | (c >> 9 & c >> 18);
  }
  several = (several | (columns[0] & columns[1]) | (columns[0] & columns[2]) |
             (columns[1] & columns[2])) &
            kAllColumns;
  const std::uint32_t alone_in_column = ~several & kAllColumns;
  std::array<std::uint32_t, 3> found;
  for (unsigned b = 0; b < 3; ++b) {
    const std::uint32_t c = x[b];
    std::uint32_t singles = c & spread(alone_in_column);
    for (unsigned k = 0; k < 3; ++k) {
      const std::uint32_t row = c & (kRowCells << (9 * k));
      const std::uint32_t box = c & (kBoxCells << (3 * k));
      if (is_single(row)) singles |= row;
      if (is_single(box)) singles |= box;
    }
    found[b] = singles & g.open[b];
  }
  for (unsigned b = 0; b < 3; ++b) {
    if (!place_all(g, d, b, found[b], dirty)) return false;
  }
  return true;
}

// Naked singles: open cells with one digit left are placed. False when a
// cell has none.
bool settle_cells(Bands& g, DigitSet& dirty) {
  for (unsigned b = 0; b < 3; ++b) {
    std::uint32_t one = 0;
    std::uint32_t two = 0;
    for (unsigned d = 0; d < 9; ++d) {
      two |= one & g.where[d][b];
      one |= g.where[d][b];
    }
    if ((one | ~0x7FFFFFFU) != ~0U) return false;  // a cell with no digit
    for (std::uint32_t singles = g.open[b] & ~two; singles != 0;
         singles &= singles - 1) {
      const unsigned p = static_cast<unsigned>(__builtin_ctz(singles));
      const DigitSet digits = digits_at(g, b, p);
      if (digits == 0) return false;  // its digit went to a peer meanwhile
      place(g, static_cast<unsigned>(__builtin_ctz(digits)), b, p, dirty);
    }
  }
  return true;
}

// Every deduction until none applies; false when no completion exists.
bool settle(Bands& g, DigitSet dirty) {
  for (;;) {
    while (dirty != 0) {
      const unsigned d = static_cast<unsigned>(__builtin_ctz(dirty));
      dirty &= dirty - 1;
      if (!settle_digit(g, d, dirty)) return false;
    }
    if (!settle_cells(g, dirty)) return false;
    if (dirty == 0) return true;
  }
}

bool is_complete(const Bands& g) {
  return (g.open[0] | g.open[1] | g.open[2]) == 0;
}

void write_board(const Bands& g, Board& out) {
  for (unsigned d = 0; d < 9; ++d) {
    const std::int32_t code = kCodeTable[d + 1];
    for (unsigned b = 0; b < 3; ++b) {
      for (std::uint32_t cells = g.where[d][b]; cells != 0; cells &= cells - 1) {
        out[27 * b + static_cast<unsigned>(__builtin_ctz(cells))] = code;
      }
    }
  }
}

// The open cell to branch on: the first with two digits, else the first
// with the fewest. Sets `band` and `cell`.
void choose_cell(const Bands& g, unsigned& band, unsigned& cell) {
  for (unsigned b = 0; b < 3; ++b) {
    std::uint32_t one = 0;
    std::uint32_t two = 0;
    std::uint32_t three = 0;
    for (unsigned d = 0; d < 9; ++d) {
      const std::uint32_t x = g.where[d][b];
      three |= two & x;
      two |= one & x;
      one |= x;
    }
    const std::uint32_t pairs = g.open[b] & two & ~three;
    if (pairs != 0) {
      band = b;
      cell = static_cast<unsigned>(__builtin_ctz(pairs));
      return;
    }
  }
  int fewest = 10;
  for (unsigned b = 0; b < 3; ++b) {
    for (std::uint32_t cells = g.open[b]; cells != 0; cells &= cells - 1) {
      const unsigned p = static_cast<unsigned>(__builtin_ctz(cells));
      const int n = __builtin_popcount(digits_at(g, b, p));
      if (n < fewest) {
        fewest = n;
        band = b;
        cell = p;
      }
    }
  }
}

struct Finding {
  int limit;
  int found;
  Board* first;
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
  for (DigitSet digits = digits_at(g, b, p); digits != 0;
       digits &= digits - 1) {
    ++g_search_seams.band_steps;
    Bands child = g;
    DigitSet dirty = 0;
    place(child, static_cast<unsigned>(__builtin_ctz(digits)), b, p, dirty);
    if (settle(child, dirty) && find_below(child, f)) return true;
  }
  return false;
}

}  // namespace

bool make_bands(const Board& board, Bands& g) {
  for (auto& digit : g.where) digit = {0, 0, 0};
  g.open = {0, 0, 0};
  for (unsigned i = 0; i < kCells; ++i) {
    const unsigned b = i / 27;
    const std::uint32_t bit = 1U << (i % 27);
    if (is_determined(board[i])) continue;
    g.open[b] |= bit;
    for (Mask m = mask_of(board[i]); m != 0; m = static_cast<Mask>(m & (m - 1))) {
      g.where[static_cast<unsigned>(__builtin_ctz(m)) - 1][b] |= bit;
    }
  }
  // The determined cells, placed over the open ones: each clears its digit
  // from its peers (a propagated board has done so already; a board that
  // has not is still searched exactly).
  DigitSet dirty = 0;
  for (unsigned i = 0; i < kCells; ++i) {
    if (!is_determined(board[i])) continue;
    const unsigned b = i / 27;
    const unsigned p = i % 27;
    const unsigned d = static_cast<unsigned>(kDigitTable[static_cast<unsigned>(board[i])]) - 1;
    g.where[d][b] |= 1U << p;
    g.open[b] |= 1U << p;
    place(g, d, b, p, dirty);
  }
  return settle(g, 0x1FF);
}

int find_completions(const Bands& g, int limit, Board& first) {
  Finding f = {limit, 0, &first};
  find_below(g, f);
  return f.found;
}

void first_in_order(const Bands& root, Board& known) {
  Bands g = root;
  Board other;
  for (unsigned i = 0; i < kCells; ++i) {
    const unsigned b = i / 27;
    const unsigned p = i % 27;
    if (((g.open[b] >> p) & 1U) == 0) continue;
    const unsigned known_digit =
        static_cast<unsigned>(kDigitTable[static_cast<unsigned>(known[i])]) - 1;
    for (DigitSet digits = digits_at(g, b, p); digits != 0;
         digits &= digits - 1) {
      const unsigned d = static_cast<unsigned>(__builtin_ctz(digits));
      Bands child = g;
      DigitSet dirty = 0;
      place(child, d, b, p, dirty);
      const bool settled = settle(child, dirty);
      if (d == known_digit) {
        assert(settled && "the known completion lost");
        g = child;  // the known completion is one of the child's
        break;
      }
      if (settled && find_completions(child, 1, other) == 1) {
        known = other;
        g = child;
        break;
      }
    }
  }
}

}  // namespace solver
