// The plain board operations, made of the State operations.
#include "board_operations.h"

#include "solver/candidates.h"

namespace support {

using solver::Digit;
using solver::State;

namespace {

// A plain board's elimination: the code 1 of the empty product divides
// every cell without changing it, so only real codes need the work.
template <typename Eliminate>
void eliminate_on_board(Board& board, std::int32_t code, Eliminate eliminate) {
  if (code == solver::kEmptyProduct) return;
  solver::on_board(board, [&](State& s) {
    eliminate(s, solver::digit_of_code(code));
    return 0;
  });
}

}  // namespace

std::int32_t compute_candidates(const Board& board, int r, int c) {
  Board copy = board;
  return solver::on_board(copy, [&](State& s) {
    const auto cell = static_cast<unsigned>(solver::cell_index(r, c));
    return solver::kProductOfMask[solver::candidate_digits(s, cell) >> 1];
  });
}

void eliminate_in_row(Board& board, int r, std::int32_t code,
                      std::int32_t& unknown) {
  eliminate_on_board(board, code, [&](State& s, Digit digit) {
    solver::eliminate_digit_in_row(s, r, digit, unknown);
  });
}

void eliminate_in_column(Board& board, int c, std::int32_t code,
                         std::int32_t& unknown) {
  eliminate_on_board(board, code, [&](State& s, Digit digit) {
    solver::eliminate_digit_in_column(s, c, digit, unknown);
  });
}

void eliminate_in_box(Board& board, int r, int c, std::int32_t code,
                      std::int32_t& unknown) {
  eliminate_on_board(board, code, [&](State& s, Digit digit) {
    solver::eliminate_digit_in_box(
        s, solver::kBoxOf[static_cast<unsigned>(solver::cell_index(r, c))],
        digit, unknown);
  });
}

void candidate_pass(Board& board, std::int32_t& unknown) {
  solver::on_board(board, [&](State& s) {
    solver::candidate_pass(s, unknown);
    return 0;
  });
}

int hidden_single(Board& board, int r, int c, std::int32_t& unknown) {
  return solver::on_board(board, [&](State& s) {
    return solver::hidden_single_at_cell(s, solver::cell_index(r, c), unknown);
  });
}

std::int32_t hidden_single_sweep(Board& board, std::int32_t& unknown) {
  return solver::on_board(
      board, [&](State& s) { return solver::hidden_single_sweep(s, unknown); });
}

}  // namespace support
