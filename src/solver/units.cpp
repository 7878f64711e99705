// The board's geometry tables.
#include "solver/units.h"

namespace solver {

namespace {

// The cells of each box, rows outer and columns inner.
constexpr std::array<std::array<std::uint8_t, 9>, 9> make_box_cells() {
  std::array<std::array<std::uint8_t, 9>, 9> cells{};
  for (int b = 0; b < 9; ++b) {
    for (int k = 0; k < 9; ++k) {
      const int r = (b / 3) * 3 + k / 3;
      const int c = (b % 3) * 3 + k % 3;
      cells[static_cast<unsigned>(b)][static_cast<unsigned>(k)] =
          static_cast<std::uint8_t>(cell_index(r, c));
    }
  }
  return cells;
}

constexpr std::array<std::array<std::uint8_t, 20>, kCells> make_peers() {
  std::array<std::array<std::uint8_t, 20>, kCells> peers{};
  for (int i = 0; i < kCells; ++i) {
    unsigned n = 0;
    for (int j = 0; j < kCells; ++j) {
      const bool same_row = i / 9 == j / 9;
      const bool same_col = i % 9 == j % 9;
      const bool same_box = i / 27 == j / 27 && (i % 9) / 3 == (j % 9) / 3;
      if (j != i && (same_row || same_col || same_box)) {
        peers[static_cast<unsigned>(i)][n++] = static_cast<std::uint8_t>(j);
      }
    }
  }
  return peers;
}

}  // namespace

const std::array<std::array<std::uint8_t, 9>, 9> kBoxCells = make_box_cells();
const std::array<std::array<std::uint8_t, 20>, kCells> kPeers = make_peers();

const std::array<std::uint8_t, kCells> kColumnMajor = [] {
  std::array<std::uint8_t, kCells> order{};
  for (unsigned i = 0; i < kCells; ++i) {
    order[i] = static_cast<std::uint8_t>(9 * (i % 9) + i / 9);
  }
  return order;
}();

const std::array<std::uint8_t, 9> kBoxFirst = {0, 3, 6, 27, 30, 33, 54, 57, 60};

}  // namespace solver
