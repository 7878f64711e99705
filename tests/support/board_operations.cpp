// The plain board operations, made of the State operations.
#include "board_operations.h"

#include "solver/candidates.h"

namespace solver {

namespace {

// A plain board's elimination: the code 1 of the empty product divides
// every cell without changing it, so only real codes need the work.
template <typename Eliminate>
void eliminate_on_board(Board& board, std::int32_t code, Eliminate eliminate) {
  if (code == kEmptyProduct) return;
  on_board(board, [&](State& s) {
    eliminate(s, digit_of_code(code));
    return 0;
  });
}

}  // namespace

std::int32_t compute_candidates(const Board& board, int r, int c) {
  Mask seen = 0;
  const int b = kBoxOf[static_cast<unsigned>(cell_index(r, c))];
  for (int k = 0; k < 9; ++k) {
    const std::int32_t values[3] = {
        board[static_cast<unsigned>(cell_index(r, k))],
        board[static_cast<unsigned>(cell_index(k, c))],
        board[kBoxCells[static_cast<unsigned>(b)][static_cast<unsigned>(k)]]};
    for (std::int32_t v : values) {
      if (is_determined(v)) {
        seen |= digit_bit(digit_of_code(v));
      }
    }
  }
  return kProductOfMask[static_cast<unsigned>(~seen & kAllDigits) >> 1];
}

void eliminate_in_row(Board& board, int r, std::int32_t code,
                      std::int32_t& unknown) {
  eliminate_on_board(board, code, [&](State& s, Digit digit) {
    eliminate_digit_in_row(s, r, digit, unknown);
  });
}

void eliminate_in_column(Board& board, int c, std::int32_t code,
                         std::int32_t& unknown) {
  eliminate_on_board(board, code, [&](State& s, Digit digit) {
    eliminate_digit_in_column(s, c, digit, unknown);
  });
}

void eliminate_in_box(Board& board, int r, int c, std::int32_t code,
                      std::int32_t& unknown) {
  eliminate_on_board(board, code, [&](State& s, Digit digit) {
    eliminate_digit_in_box(s, kBoxOf[static_cast<unsigned>(cell_index(r, c))],
                           digit, unknown);
  });
}

void candidate_pass(Board& board, std::int32_t& unknown) {
  on_board(board, [&](State& s) {
    candidate_pass(s, unknown);
    return 0;
  });
}

int hidden_single(Board& board, int r, int c, std::int32_t& unknown) {
  return on_board(board, [&](State& s) {
    return hidden_single_at_cell(s, cell_index(r, c), unknown);
  });
}

std::int32_t hidden_single_sweep(Board& board, std::int32_t& unknown) {
  return on_board(board,
                  [&](State& s) { return hidden_single_sweep(s, unknown); });
}

}  // namespace solver
