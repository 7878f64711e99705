// Hidden singles and the propagation loop.
//
// On a State the three tests of a cell are answered for all digits at
// once. For each unit, the digits that exactly one undetermined cell
// carries (determined cells carry none) are collected with the usual
// once/twice accumulation; a digit of cell X passes the row test exactly
// when it is in that set for X's row, and likewise for the column and the
// box. The plain rule tries X's digits in increasing order and, for each,
// the row, column and box tests; so the digit chosen is the lowest one of
// X's candidates in any of its three sets, and the unit whose test fires is
// the first of row, column, box whose set has it.
//
// The sweep keeps these sets per unit and recomputes one only when it is
// needed and its unit has changed (State::changed), so a placement costs
// the units its cascade touched, not all 27.
#include "solver/propagate.h"

#include "solver/candidates.h"
#include "solver/state.h"

namespace solver {

namespace {

// The digits carried by exactly one of the nine cells.
Mask unit_singles(const State& s, const std::uint8_t* cells) {
  unsigned once = 0;
  unsigned twice = 0;
  for (int k = 0; k < 9; ++k) {
    const unsigned m = s.cand[cells[k]];
    twice |= once & m;
    once |= m;
  }
  return static_cast<Mask>(once & ~twice);
}

// Per-unit singles (index: the `changed` bit of the unit), valid where the
// bit of `valid` is set.
struct UnitSingles {
  std::array<Mask, 27> of_unit;
  std::uint32_t valid = 0;
};

Mask singles_of(const State& s, UnitSingles& singles, unsigned unit) {
  if ((singles.valid >> unit & 1U) == 0) {
    const std::array<std::array<std::uint8_t, 9>, 9>& cells =
        unit < 9    ? kRowCells
        : unit < 18 ? kColCells
                    : kBoxCells;
    singles.of_unit[unit] = unit_singles(s, cells[unit % 9].data());
    singles.valid |= 1U << unit;
  }
  return singles.of_unit[unit];
}

// hidden_single for the undetermined cell i, with the unit singles kept up
// to date by the caller.
int hidden_single_at(State& s, int i, UnitSingles& singles,
                     std::int32_t& unknown) {
  singles.valid &= ~s.changed;
  s.changed = 0;
  const unsigned u = static_cast<unsigned>(i);
  const int r = kRowOf[u];
  const int c = kColOf[u];
  const int b = kBoxOf[u];
  const Mask in_row = singles_of(s, singles, static_cast<unsigned>(r));
  const Mask in_col = singles_of(s, singles, 9U + static_cast<unsigned>(c));
  const Mask in_box = singles_of(s, singles, 18U + static_cast<unsigned>(b));
  const Mask unique = static_cast<Mask>(s.cand[u] & (in_row | in_col | in_box));
  if (unique == 0) return 0;
  const int digit = lowest_digit(unique);
  const Mask bit = digit_bit(digit);
  s.board[u] = kCodeTable[static_cast<unsigned>(digit)];
  mark_determined(s, i, digit);
  // The unit in which the digit was unique has no other carrier of it; the
  // other two lose it.
  if ((in_row & bit) != 0) {
    eliminate_in_column(s, c, digit, unknown);
    eliminate_in_box(s, b, digit, unknown);
  } else if ((in_col & bit) != 0) {
    eliminate_in_row(s, r, digit, unknown);
    eliminate_in_box(s, b, digit, unknown);
  } else {
    eliminate_in_row(s, r, digit, unknown);
    eliminate_in_column(s, c, digit, unknown);
  }
  --unknown;
  return 1;
}

}  // namespace

int hidden_single(State& s, int i, std::int32_t& unknown) {
  UnitSingles singles;
  return hidden_single_at(s, i, singles, unknown);
}

namespace {

std::int32_t sweep(State& s, UnitSingles& singles, std::int32_t& unknown) {
  std::int32_t found = 0;
  for (int i = 0; i < kCells; ++i) {
    if (is_determined(s.board[static_cast<unsigned>(i)])) continue;
    found += hidden_single_at(s, i, singles, unknown);
  }
  return found;
}

}  // namespace

std::int32_t hidden_single_sweep(State& s, std::int32_t& unknown) {
  UnitSingles singles;
  return sweep(s, singles, unknown);
}

void propagate(State& s, std::int32_t& unknown) {
  candidate_pass(s, unknown);
  // The unit singles outlive each sweep: the next sweep recomputes only
  // the units that the last placements changed.
  UnitSingles singles;
  while (sweep(s, singles, unknown) != 0 && unknown != 0) {
  }
}

namespace {

// Runs a State operation on a plain board: derive the masks, run it, hand
// back the board.
template <typename Operation>
auto on_board(Board& board, Operation operation) {
  State s;
  s.board = board;
  derive_masks(s);
  const auto result = operation(s);
  board = s.board;
  return result;
}

}  // namespace

int hidden_single(Board& board, int r, int c, std::int32_t& unknown) {
  return on_board(board, [&](State& s) {
    return hidden_single(s, cell_index(r, c), unknown);
  });
}

std::int32_t hidden_single_sweep(Board& board, std::int32_t& unknown) {
  return on_board(board,
                  [&](State& s) { return hidden_single_sweep(s, unknown); });
}

void propagate(Board& board, std::int32_t& unknown) {
  on_board(board, [&](State& s) {
    propagate(s, unknown);
    return 0;
  });
}

}  // namespace solver
