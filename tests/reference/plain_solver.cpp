// The plain reference implementation: see plain_solver.h.
#include "plain_solver.h"

#include <vector>

using solver::cell_index;
using solver::is_determined;
using solver::kCodeTable;
using solver::kDigitTable;

namespace plain {
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
    if (is_determined(in_row)) seen[kDigitTable[in_row]] = true;
    const std::int32_t in_col = at(board, i, c);
    if (is_determined(in_col)) seen[kDigitTable[in_col]] = true;
  }
  const int r0 = r - r % 3;
  const int c0 = c - c % 3;
  for (int rr = r0; rr < r0 + 3; ++rr) {
    for (int cc = c0; cc < c0 + 3; ++cc) {
      const std::int32_t v = at(board, rr, cc);
      if (is_determined(v)) seen[kDigitTable[v]] = true;
    }
  }
  std::int32_t product = 1;
  for (int d = 1; d <= 9; ++d) {
    if (!seen[d]) product *= kCodeTable[d];
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

}  // namespace plain

namespace plain {
namespace {

// True when some undetermined cell among the given indices, other than
// `self`, can still take `code`.
bool taken_elsewhere(const Board& board, const int (&cells)[9], int self,
                     std::int32_t code) {
  for (int index : cells) {
    if (index == self) continue;
    const std::int32_t v = board[index];
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
  std::int32_t& cell = board[self];
  std::int32_t p = cell;
  for (int i = 1; i <= 9 && p > 1; ++i) {
    const std::int32_t k = kCodeTable[i];
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

}  // namespace plain

namespace plain {
namespace {

// Counts the digits of the determined cells among nine indices. A repeated
// digit 1..9 is a contradiction; so is any empty product (digit 0), since
// such a cell would otherwise pass as determined and be printed blank in a
// "solved" board.
bool unit_repeats(const Board& board, const int (&cells)[9]) {
  int count[10] = {};
  for (int index : cells) {
    const std::int32_t v = board[index];
    if (is_determined(v)) ++count[kDigitTable[v]];
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

}  // namespace plain

namespace plain {
namespace {

void search(const Board& parent, int start, std::vector<Board>& found,
            std::size_t limit, std::int64_t& trials) {
  int k = start;
  while (is_determined(parent[k])) ++k;
  std::int32_t p = parent[k];
  for (int i = 1; i <= 9 && p > 1; ++i) {
    const std::int32_t code = kCodeTable[i];
    if (p % code != 0) continue;
    p /= code;
    ++trials;
    Board work = parent;
    std::int32_t unknown = solver::count_unknown(work);
    work[k] = code;
    --unknown;
    propagate(work, unknown);
    if (check_consistency(work) != 0) continue;
    if (unknown != 0) {
      search(work, k + 1, found, limit, trials);
    } else {
      found.push_back(work);
    }
    if (found.size() >= limit) return;
  }
}

}  // namespace

std::vector<Board> solutions(const Board& loaded, std::size_t limit,
                             std::int64_t* trials) {
  std::int64_t made = 0;
  if (trials != nullptr) *trials = 0;
  Board board = loaded;
  std::int32_t unknown = solver::count_unknown(board);
  propagate(board, unknown);
  if (check_consistency(board) != 0) return {};
  if (unknown == 0) return {board};
  std::vector<Board> found;
  search(board, 0, found, limit, made);
  if (trials != nullptr) *trials = made;
  return found;
}

}  // namespace plain
