// Hidden singles and the propagation loop.
#include "solver/propagate.h"

#include "solver/candidates.h"

namespace solver {
namespace {

// True when some undetermined cell among the given indices, other than
// `self`, can still take `code`.
bool taken_elsewhere(const Board& board, const int (&cells)[9], int self,
                     std::int32_t code) {
  for (int index : cells) {
    if (index == self) continue;
    const std::int32_t v = board[static_cast<unsigned>(index)];
    if (!is_determined(v) && v % code == 0) return true;
  }
  return false;
}

}  // namespace

int hidden_single(Board& board, int r, int c, std::int32_t& unknown) {
  const int self = cell_index(r, c);
  int row[9];
  int column[9];
  int box[9];
  const int r0 = r - r % 3;
  const int c0 = c - c % 3;
  for (int i = 0; i < 9; ++i) {
    row[i] = cell_index(r, i);
    column[i] = cell_index(i, c);
    box[i] = cell_index(r0 + i / 3, c0 + i % 3);
  }
  std::int32_t& cell = board[static_cast<unsigned>(self)];
  std::int32_t p = cell;
  for (int i = 1; i <= 9 && p > 1; ++i) {
    const std::int32_t k = kCodeTable[static_cast<unsigned>(i)];
    if (p % k != 0) continue;
    p /= k;
    if (!taken_elsewhere(board, row, self, k)) {
      cell = k;
      eliminate_in_column(board, c, k, unknown);
      eliminate_in_box(board, r, c, k, unknown);
    } else if (!taken_elsewhere(board, column, self, k)) {
      cell = k;
      eliminate_in_row(board, r, k, unknown);
      eliminate_in_box(board, r, c, k, unknown);
    } else if (!taken_elsewhere(board, box, self, k)) {
      cell = k;
      eliminate_in_row(board, r, k, unknown);
      eliminate_in_column(board, c, k, unknown);
    } else {
      continue;
    }
    --unknown;
    return 1;
  }
  return 0;
}

std::int32_t hidden_single_sweep(Board& board, std::int32_t& unknown) {
  std::int32_t found = 0;
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      if (!is_determined(board[static_cast<unsigned>(cell_index(r, c))])) {
        found += hidden_single(board, r, c, unknown);
      }
    }
  }
  return found;
}

void propagate(Board& board, std::int32_t& unknown) {
  candidate_pass(board, unknown);
  while (hidden_single_sweep(board, unknown) != 0 && unknown != 0) {
  }
}

}  // namespace solver
