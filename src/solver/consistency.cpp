// The contradiction test.
#include "solver/consistency.h"

namespace solver {
namespace {

// Counts the digits of the determined cells among nine indices. A repeated
// digit 1..9 is a contradiction; so is any empty product (digit 0), since
// such a cell would otherwise pass as determined and be printed blank in a
// "solved" board.
bool unit_repeats(const Board& board, const int (&cells)[9]) {
  int count[10] = {};
  for (int index : cells) {
    const std::int32_t v = board[static_cast<unsigned>(index)];
    if (is_determined(v)) ++count[kDigitTable[static_cast<unsigned>(v)]];
  }
  if (count[0] > 0) return true;
  for (int d = 1; d <= 9; ++d) {
    if (count[d] > 1) return true;
  }
  return false;
}

}  // namespace

int check_consistency(const Board& board) {
  int cells[9];
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) cells[c] = cell_index(r, c);
    if (unit_repeats(board, cells)) return 1;
  }
  for (int c = 0; c < 9; ++c) {
    for (int r = 0; r < 9; ++r) cells[r] = cell_index(r, c);
    if (unit_repeats(board, cells)) return 1;
  }
  for (int r0 = 0; r0 < 9; r0 += 3) {
    for (int c0 = 0; c0 < 9; c0 += 3) {
      for (int i = 0; i < 9; ++i) cells[i] = cell_index(r0 + i / 3, c0 + i % 3);
      if (unit_repeats(board, cells)) return 1;
    }
  }
  return 0;
}

}  // namespace solver
