// The changes of a puzzle that keep its solutions and its structure: the
// digits relabelled, the bands permuted and the rows within each band, the
// stacks and the columns within each stack, and the grid transposed. A
// rating that depends only on the puzzle's structure is the same for all.
#ifndef VORTEL_TESTS_SUPPORT_SYMMETRY_H_
#define VORTEL_TESTS_SUPPORT_SYMMETRY_H_

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

namespace test {

struct Symmetry {
  int relabel[10]{};  // digit d becomes relabel[d] (0 stays 0)
  int rows[9]{};      // row r of the result is row rows[r] of the puzzle
  int columns[9]{};
  bool transpose = false;
};

// Nine lines reordered: the three groups of three permuted, and the three
// lines of each group.
inline void shuffle_lines(std::mt19937& rng, int (&order)[9]) {
  int groups[3] = {0, 1, 2};
  std::shuffle(groups, groups + 3, rng);
  for (int k = 0; k < 3; ++k) {
    int lines[3] = {3 * groups[k], 3 * groups[k] + 1, 3 * groups[k] + 2};
    std::shuffle(lines, lines + 3, rng);
    for (int j = 0; j < 3; ++j) order[3 * k + j] = lines[j];
  }
}

inline Symmetry random_symmetry(std::mt19937& rng) {
  Symmetry s;
  int digits[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::shuffle(digits, digits + 9, rng);
  for (int d = 1; d <= 9; ++d) s.relabel[d] = digits[d - 1];
  shuffle_lines(rng, s.rows);
  shuffle_lines(rng, s.columns);
  s.transpose = (rng() & 1U) != 0;
  return s;
}

// The puzzle (81 characters, '1'-'9' a digit, anything else empty) changed
// by the symmetry, empty cells written '.'.
inline std::string transformed(const std::string& puzzle, const Symmetry& s) {
  std::string out(81, '.');
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      const char ch =
          puzzle[static_cast<std::size_t>(9 * s.rows[r] + s.columns[c])];
      const int d = ch >= '1' && ch <= '9' ? ch - '0' : 0;
      const int at = s.transpose ? 9 * c + r : 9 * r + c;
      out[static_cast<std::size_t>(at)] =
          d == 0 ? '.' : static_cast<char>('0' + s.relabel[d]);
    }
  }
  return out;
}

}  // namespace test

#endif  // VORTEL_TESTS_SUPPORT_SYMMETRY_H_
