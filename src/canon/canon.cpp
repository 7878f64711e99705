// The canonical form the plain way: every one of the 3,359,232 geometric
// transforms is tried, each with its relabelling by first appearance, and
// the smallest string is kept. Nothing is pruned but the comparison
// itself, which stops at the first cell that differs from the best so
// far. Slow (a good part of a second for a puzzle) and plainly right.
//
// A transform is a pair of line arrangements and a transposition: output
// cell (r, c) takes the cell (rows[r], cols[c]) of the puzzle, or of its
// transpose. An arrangement of the nine lines is an order of the three
// bands (or stacks) and an order of the three lines inside each of them:
// 6 * 6^3 = 1296 arrangements.
#include "canon/canon.h"

namespace canon {

namespace {

constexpr int kArrangements = 1296;

constexpr std::uint8_t kOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                        {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};

// The input line each of the nine output lines takes.
struct Lines {
  std::uint8_t from[9];
};

struct Arrangements {
  Lines all[kArrangements];
};

Arrangements make_arrangements() {
  Arrangements a{};
  int k = 0;
  for (const auto& bands : kOrders) {
    for (const auto& first : kOrders) {
      for (const auto& second : kOrders) {
        for (const auto& third : kOrders) {
          const std::uint8_t* inside[3] = {first, second, third};
          for (int b = 0; b < 3; ++b) {
            for (int j = 0; j < 3; ++j) {
              a.all[k].from[3 * b + j] =
                  static_cast<std::uint8_t>(3 * bands[b] + inside[b][j]);
            }
          }
          ++k;
        }
      }
    }
  }
  return a;
}

// A transformed board as it is read: output cell i is the input cell at()
// names, in the board `g` (the puzzle or its transpose).
struct View {
  const std::uint8_t* g;
  const Lines* rows;
  const Lines* cols;
};

int source(const View& v, int i) {
  return 9 * v.rows->from[i / 9] + v.cols->from[i % 9];
}

std::uint8_t at(const View& v, int i) {
  return v.g[source(v, i)];
}

// The digits of the view, relabelled by first appearance.
void relabelled(const View& view, std::uint8_t out[81],
                std::uint8_t label[10]) {
  for (int d = 0; d < 10; ++d) label[d] = 0;
  std::uint8_t next = 0;
  for (int i = 0; i < 81; ++i) {
    const std::uint8_t v = at(view, i);
    if (v != 0 && label[v] == 0) label[v] = ++next;
    out[i] = label[v];
  }
}

// Whether the relabelled string of the view is smaller than `best`
// (kMinlex), stopping at the first cell that differs.
bool digits_smaller(const View& view, const std::uint8_t best[81]) {
  std::uint8_t label[10] = {};
  std::uint8_t next = 0;
  for (int i = 0; i < 81; ++i) {
    const std::uint8_t v = at(view, i);
    if (v != 0 && label[v] == 0) label[v] = ++next;
    if (label[v] != best[i]) return label[v] < best[i];
  }
  return false;
}

// Whether the relabelled string of the view is `self`, stopping at the
// first cell that differs.
bool same_digits(const View& view, const std::uint8_t self[81]) {
  std::uint8_t label[10] = {};
  std::uint8_t next = 0;
  for (int i = 0; i < 81; ++i) {
    const std::uint8_t v = at(view, i);
    if (v != 0 && label[v] == 0) label[v] = ++next;
    if (label[v] != self[i]) return false;
  }
  return true;
}

// -1, 0 or 1 as the pattern of givens of the view is smaller, the same
// or larger than that of `best`.
int pattern_order(const View& view, const std::uint8_t best[81]) {
  for (int i = 0; i < 81; ++i) {
    const bool given = at(view, i) != 0;
    if (given != (best[i] != 0)) return given ? 1 : -1;
  }
  return 0;
}

bool smaller(const View& view, const std::uint8_t best[81],
             Definition definition) {
  if (definition == Definition::kPattern) {
    const int order = pattern_order(view, best);
    if (order != 0) return order < 0;
  }
  return digits_smaller(view, best);
}

struct Boards {
  std::uint8_t plain[81];
  std::uint8_t transposed[81];
};

Boards boards_of(const base::Puzzle& p) {
  Boards b{};
  for (int i = 0; i < 81; ++i) {
    b.plain[i] = p.cell[i];
    b.transposed[i] = p.cell[9 * (i % 9) + i / 9];
  }
  return b;
}

// The transform of the view (`transposed`: its board is the transpose)
// with the relabelling `label`, the digits absent given the labels left in
// order.
Transform transform_of(const View& view, bool transposed,
                       const std::uint8_t label[10]) {
  Transform t{};
  for (int i = 0; i < 81; ++i) {
    const int c = source(view, i);
    t.cell_from[i] =
        static_cast<std::uint8_t>(transposed ? 9 * (c % 9) + c / 9 : c);
  }
  std::uint8_t next = 0;
  for (int d = 1; d <= 9; ++d) next = label[d] > next ? label[d] : next;
  t.digit_to[0] = 0;
  for (int d = 1; d <= 9; ++d) {
    t.digit_to[d] = label[d] != 0 ? label[d] : ++next;
  }
  return t;
}

int factorial(int n) {
  return n <= 1 ? 1 : n * factorial(n - 1);
}

}  // namespace

Form canonical_form(const base::Puzzle& puzzle, Definition definition) {
  static const Arrangements lines = make_arrangements();
  const Boards boards = boards_of(puzzle);
  // A full grid has one pattern in every transform: the two definitions
  // agree, and the pattern need not be compared.
  bool full = true;
  for (const std::uint8_t digit : puzzle.cell) full = full && digit != 0;
  if (full) definition = Definition::kMinlex;
  Form best{};
  bool have = false;
  for (int t = 0; t < 2; ++t) {
    const std::uint8_t* g = t == 0 ? boards.plain : boards.transposed;
    for (const Lines& rows : lines.all) {
      for (const Lines& cols : lines.all) {
        const View view{g, &rows, &cols};
        if (have && !smaller(view, best.form.cell, definition)) continue;
        std::uint8_t label[10];
        relabelled(view, best.form.cell, label);
        best.transform = transform_of(view, t == 1, label);
        have = true;
      }
    }
  }
  return best;
}

int automorphisms(const base::Puzzle& grid) {
  static const Arrangements lines = make_arrangements();
  const Boards boards = boards_of(grid);
  const Lines& identity = lines.all[0];
  std::uint8_t self[81];
  std::uint8_t label[10];
  relabelled({boards.plain, &identity, &identity}, self, label);
  int absent = 0;
  for (int d = 1; d <= 9; ++d) absent += label[d] == 0 ? 1 : 0;
  int count = 0;
  for (int t = 0; t < 2; ++t) {
    const std::uint8_t* g = t == 0 ? boards.plain : boards.transposed;
    for (const Lines& rows : lines.all) {
      for (const Lines& cols : lines.all) {
        const View view{g, &rows, &cols};
        count += same_digits(view, self) ? 1 : 0;
      }
    }
  }
  // Each geometric automorphism takes every order of the absent digits.
  return count * factorial(absent);
}

base::Puzzle apply(const Transform& t, const base::Puzzle& p) {
  base::Puzzle out{};
  for (int i = 0; i < 81; ++i) out.cell[i] = t.digit_to[p.cell[t.cell_from[i]]];
  return out;
}

}  // namespace canon
