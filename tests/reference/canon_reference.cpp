#include "canon_reference.h"

#include <cstdint>
#include <initializer_list>

namespace plain {
namespace {

// The 1,296 orders of nine lines that keep the three groups of three:
// the groups permuted, and the lines within each group.
struct Orders {
  std::uint8_t line[1296][9];
};

Orders all_orders() {
  static const int kPerm3[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                   {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  Orders o{};
  int n = 0;
  for (const auto& groups : kPerm3) {
    for (const auto& a : kPerm3) {
      for (const auto& b : kPerm3) {
        for (const auto& c : kPerm3) {
          const int* within[3] = {a, b, c};
          for (int g = 0; g < 3; ++g) {
            for (int i = 0; i < 3; ++i) {
              o.line[n][g * 3 + i] =
                  static_cast<std::uint8_t>(groups[g] * 3 + within[g][i]);
            }
          }
          ++n;
        }
      }
    }
  }
  return o;
}

// The input cell of output cell (r, c) under one geometric transform.
int from_cell(bool transposed, const std::uint8_t* rows,
              const std::uint8_t* cols, int r, int c) {
  return transposed ? cols[c] * 9 + rows[r] : rows[r] * 9 + cols[c];
}

// The relabelled image of `p` under one geometric transform: the digits
// in order of first appearance, the absent ones after, in digit order.
canon::Transform transform_of(const base::Puzzle& p, bool transposed,
                              const std::uint8_t* rows,
                              const std::uint8_t* cols) {
  canon::Transform t{};
  std::uint8_t next = 1;
  for (int i = 0; i < 81; ++i) {
    const int from = from_cell(transposed, rows, cols, i / 9, i % 9);
    t.cell_from[i] = static_cast<std::uint8_t>(from);
    const std::uint8_t d = p.cell[from];
    if (d != 0 && t.digit_to[d] == 0) t.digit_to[d] = next++;
  }
  for (int d = 1; d <= 9; ++d) {
    if (t.digit_to[d] == 0) t.digit_to[d] = next++;
  }
  return t;
}

// -1, 0, 1 as the image of `p` under the transform compares with `best`,
// the given pattern alone when `pattern`; stops at the first difference.
int compare(const base::Puzzle& p, bool transposed, const std::uint8_t* rows,
            const std::uint8_t* cols, const base::Puzzle& best, bool pattern) {
  std::uint8_t label[10] = {};
  std::uint8_t next = 1;
  for (int i = 0; i < 81; ++i) {
    const std::uint8_t d =
        p.cell[from_cell(transposed, rows, cols, i / 9, i % 9)];
    std::uint8_t v = 0;
    if (d != 0) {
      if (label[d] == 0) label[d] = next++;
      v = pattern ? 1 : label[d];
    }
    const std::uint8_t b = pattern ? (best.cell[i] != 0) : best.cell[i];
    if (v != b) return v < b ? -1 : 1;
  }
  return 0;
}

}  // namespace

canon::Form canonical_form(const base::Puzzle& puzzle,
                           canon::Definition definition) {
  static const Orders kOrders = all_orders();
  const bool pattern = definition == canon::Definition::kPattern;
  canon::Form best{};
  bool found = false;
  for (const bool transposed : {false, true}) {
    for (const auto& rows : kOrders.line) {
      for (const auto& cols : kOrders.line) {
        int order = -1;
        if (found) {
          order = compare(puzzle, transposed, rows, cols, best.form, pattern);
          if (order == 0 && pattern) {
            order = compare(puzzle, transposed, rows, cols, best.form, false);
          }
        }
        if (order >= 0) continue;
        best.transform = transform_of(puzzle, transposed, rows, cols);
        best.form = canon::apply(best.transform, puzzle);
        found = true;
      }
    }
  }
  return best;
}

namespace {

// Whether some relabelling maps the image of `grid` under one geometric
// transform onto `grid`: each digit of the image to the grid's digit in
// the same cell, one to one, an empty cell onto an empty cell.
bool fixes(const base::Puzzle& grid, bool transposed, const std::uint8_t* rows,
           const std::uint8_t* cols) {
  std::uint8_t to[10] = {};
  std::uint8_t from[10] = {};
  for (int i = 0; i < 81; ++i) {
    const std::uint8_t d =
        grid.cell[from_cell(transposed, rows, cols, i / 9, i % 9)];
    const std::uint8_t g = grid.cell[i];
    if ((d == 0) != (g == 0)) return false;
    if (d == 0) continue;
    if (to[d] == 0 && from[g] == 0) {
      to[d] = g;
      from[g] = d;
    }
    if (to[d] != g || from[g] != d) return false;
  }
  return true;
}

}  // namespace

long automorphisms(const base::Puzzle& grid) {
  static const Orders kOrders = all_orders();
  int present = 0;
  for (int d = 1; d <= 9; ++d) {
    bool seen = false;
    for (const std::uint8_t c : grid.cell) seen = seen || c == d;
    present += seen ? 1 : 0;
  }
  long free_relabellings = 1;
  for (int i = 2; i <= 9 - present; ++i) free_relabellings *= i;
  long count = 0;
  for (const bool transposed : {false, true}) {
    for (const auto& rows : kOrders.line) {
      for (const auto& cols : kOrders.line) {
        if (fixes(grid, transposed, rows, cols)) count += free_relabellings;
      }
    }
  }
  return count;
}

}  // namespace plain
