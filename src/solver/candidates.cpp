// Candidate products and the elimination cascade.
#include "solver/candidates.h"

namespace solver {
namespace {

// Removes `code` from one cell if it is undetermined and carries it; a cell
// left with a single code cascades into its three units. Shared by the
// three unit eliminations so that the cascade order is written once.
void eliminate_at(Board& board, int r, int c, std::int32_t code,
                  std::int32_t& unknown) {
  std::int32_t& cell = board[static_cast<unsigned>(cell_index(r, c))];
  if (is_determined(cell) || cell % code != 0) return;
  cell /= code;
  if (!is_determined(cell)) return;
  const std::int32_t v = cell;
  eliminate_in_row(board, r, v, unknown);
  eliminate_in_column(board, c, v, unknown);
  eliminate_in_box(board, r, c, v, unknown);
  --unknown;
}

inline std::int32_t at(const Board& board, int r, int c) {
  return board[static_cast<unsigned>(cell_index(r, c))];
}

}  // namespace

std::int32_t compute_candidates(const Board& board, int r, int c) {
  bool seen[10] = {};
  for (int i = 0; i < 9; ++i) {
    const std::int32_t in_row = at(board, r, i);
    if (is_determined(in_row))
      seen[kDigitTable[static_cast<unsigned>(in_row)]] = true;
    const std::int32_t in_col = at(board, i, c);
    if (is_determined(in_col))
      seen[kDigitTable[static_cast<unsigned>(in_col)]] = true;
  }
  const int r0 = r - r % 3;
  const int c0 = c - c % 3;
  for (int rr = r0; rr < r0 + 3; ++rr) {
    for (int cc = c0; cc < c0 + 3; ++cc) {
      const std::int32_t v = at(board, rr, cc);
      if (is_determined(v)) seen[kDigitTable[static_cast<unsigned>(v)]] = true;
    }
  }
  std::int32_t product = 1;
  for (int d = 1; d <= 9; ++d) {
    if (!seen[d]) product *= kCodeTable[static_cast<unsigned>(d)];
  }
  return product;
}

void eliminate_in_row(Board& board, int r, std::int32_t code,
                      std::int32_t& unknown) {
  for (int c = 0; c < 9; ++c) eliminate_at(board, r, c, code, unknown);
}

void eliminate_in_column(Board& board, int c, std::int32_t code,
                         std::int32_t& unknown) {
  for (int r = 0; r < 9; ++r) eliminate_at(board, r, c, code, unknown);
}

void eliminate_in_box(Board& board, int r, int c, std::int32_t code,
                      std::int32_t& unknown) {
  const int r0 = r - r % 3;
  const int c0 = c - c % 3;
  for (int rr = r0; rr < r0 + 3; ++rr) {
    for (int cc = c0; cc < c0 + 3; ++cc) {
      eliminate_at(board, rr, cc, code, unknown);
    }
  }
}

void candidate_pass(Board& board, std::int32_t& unknown) {
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      std::int32_t& cell = board[static_cast<unsigned>(cell_index(r, c))];
      if (is_determined(cell)) continue;
      cell = compute_candidates(board, r, c);
      if (!is_determined(cell)) continue;
      const std::int32_t v = cell;
      eliminate_in_row(board, r, v, unknown);
      eliminate_in_column(board, c, v, unknown);
      eliminate_in_box(board, r, c, v, unknown);
      --unknown;
    }
  }
}

}  // namespace solver
