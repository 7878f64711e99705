// Candidate products and the elimination cascade.
//
// The work is done on a State (see state.h): a cell carries a code exactly
// when its candidate mask has the digit's bit, and the quotient is taken by
// an exact multiplicative inverse, so an elimination costs a bit test per
// cell instead of a division.
#include "solver/candidates.h"

namespace solver {

namespace {

void cascade(State& s, unsigned u, std::int32_t& unknown);

// The part of an elimination that touches a cell known to carry `digit`
// (the unit loops test the candidate bit inline and call this only on a
// hit): remove the digit, and cascade if a single code is left. Kept small
// and inline; the rarer cascade is a call of its own.
inline void remove_carried(State& s, unsigned u, Digit digit,
                           std::int32_t& unknown) {
  set_mask(s, u, static_cast<Mask>(s.cand[u] & ~digit_bit(digit)));
  s.changed |= kUnitBits[u];
  std::int32_t& cell = s.board[u];
  cell = divide_exactly(cell, digit);
  if (is_determined(cell)) cascade(s, u, unknown);
}

// The three unit loops. Each visits its nine cells in order and reads a
// cell's mask when it reaches it, so cells changed by an earlier cascade
// are seen with their new values. Most cells do not carry the digit: where
// a unit's cells lie side by side in memory (a row's nine, a box's three
// runs of three; a column's nine in the column-major copy), four masks are
// read as one word and ANDed with the digit in every lane, and only the
// lanes that carry it are visited, in order. A cascade started from one
// lane can only remove bits, so a lane found empty stays empty; a later
// lane is tested again before its removal, since the cascade may have
// taken the digit from it already.
inline void eliminate_in_lanes(State& s, std::uint64_t hits, unsigned first,
                               unsigned step, Digit digit,
                               std::int32_t& unknown) {
  const Mask bit = digit_bit(digit);
  // Each lane holds at most the one digit bit: clearing the lowest set bit
  // clears the lowest carrying lane.
  for (; hits != 0; hits &= hits - 1) {
    const unsigned lane = static_cast<unsigned>(__builtin_ctzll(hits)) / 16;
    const unsigned u = first + lane * step;
    if ((s.cand[u] & bit) != 0) remove_carried(s, u, digit, unknown);
  }
}

inline void eliminate_row_cells(State& s, unsigned r, Digit digit,
                                std::int32_t& unknown) {
  const std::uint64_t lanes = in_four_lanes(digit_bit(digit));
  const unsigned first = 9 * r;
  eliminate_in_lanes(s, four_masks(s.cand, first) & lanes, first, 1, digit,
                     unknown);
  eliminate_in_lanes(s, four_masks(s.cand, first + 4) & lanes, first + 4, 1,
                     digit, unknown);
  if ((s.cand[first + 8] & digit_bit(digit)) != 0) {
    remove_carried(s, first + 8, digit, unknown);
  }
}

inline void eliminate_column_cells(State& s, unsigned c, Digit digit,
                                   std::int32_t& unknown) {
  const std::uint64_t lanes = in_four_lanes(digit_bit(digit));
  // Rows 0-3 and 4-7 of the column, read from the column-major copy.
  eliminate_in_lanes(s, four_masks(s.cand_by_column, 9 * c) & lanes, c, 9,
                     digit, unknown);
  eliminate_in_lanes(s, four_masks(s.cand_by_column, 9 * c + 4) & lanes, 36 + c,
                     9, digit, unknown);
  if ((s.cand[72 + c] & digit_bit(digit)) != 0) {
    remove_carried(s, 72 + c, digit, unknown);
  }
}

inline void eliminate_box_cells(State& s, unsigned b, Digit digit,
                                std::int32_t& unknown) {
  // Three of the four lanes: the fourth cell lies outside the box.
  const std::uint64_t lanes = in_four_lanes(digit_bit(digit)) & kThreeLanes;
  const unsigned first = kBoxFirst[b];
  eliminate_in_lanes(s, four_masks(s.cand, first) & lanes, first, 1, digit,
                     unknown);
  eliminate_in_lanes(s, four_masks(s.cand, first + 9) & lanes, first + 9, 1,
                     digit, unknown);
  eliminate_in_lanes(s, four_masks(s.cand, first + 18) & lanes, first + 18, 1,
                     digit, unknown);
}

// Cell u has just been left with a single code: it holds that digit now,
// which is eliminated from its row, its column and its box, in that order;
// the cell is counted off afterwards.
[[gnu::noinline]] void cascade(State& s, unsigned u, std::int32_t& unknown) {
  // A product of distinct codes divided by one of them: a single code.
  const Digit v = digit_of_code(s.board[u]);
  mark_determined(s, static_cast<int>(u), v);
  eliminate_row_cells(s, kRowOf[u], v, unknown);
  eliminate_column_cells(s, kColOf[u], v, unknown);
  eliminate_box_cells(s, kBoxOf[u], v, unknown);
  --unknown;
}

}  // namespace

void eliminate_digit_in_row(State& s, int row, Digit digit,
                            std::int32_t& unknown) {
  VORTEL_ASSERT_STATE(s);
  eliminate_row_cells(s, static_cast<unsigned>(row), digit, unknown);
  VORTEL_ASSERT_STATE(s);
}

void eliminate_digit_in_column(State& s, int column, Digit digit,
                               std::int32_t& unknown) {
  VORTEL_ASSERT_STATE(s);
  eliminate_column_cells(s, static_cast<unsigned>(column), digit, unknown);
  VORTEL_ASSERT_STATE(s);
}

void eliminate_digit_in_box(State& s, int box, Digit digit,
                            std::int32_t& unknown) {
  VORTEL_ASSERT_STATE(s);
  eliminate_box_cells(s, static_cast<unsigned>(box), digit, unknown);
  VORTEL_ASSERT_STATE(s);
}

void candidate_pass(State& s, std::int32_t& unknown) {
  VORTEL_ASSERT_STATE(s);
  for (int i = 0; i < kCells; ++i) {
    const unsigned u = static_cast<unsigned>(i);
    std::int32_t& cell = s.board[u];
    if (is_determined(cell)) continue;
    const Mask m = candidate_digits(s, u);
    cell = kProductOfMask[m >> 1];
    if (!is_determined(cell)) {
      set_mask(s, u, m);
      continue;
    }
    if (m == 0) {
      // The empty product: eliminating code 1 would change nothing.
      set_mask(s, u, 0);
      s.conflict = true;
    } else {
      const Digit v = lowest_digit(m);
      mark_determined(s, i, v);
      eliminate_row_cells(s, kRowOf[u], v, unknown);
      eliminate_column_cells(s, kColOf[u], v, unknown);
      eliminate_box_cells(s, kBoxOf[u], v, unknown);
    }
    --unknown;
  }
  VORTEL_ASSERT_STATE(s);
}

void candidate_pass_after_assignment(State& s, int k, Digit digit,
                                     std::int32_t& unknown) {
  VORTEL_ASSERT_STATE(s);
  const Mask bit = digit_bit(digit);
  for (std::uint8_t u : kPeers[static_cast<unsigned>(k)]) {
    if ((s.cand[u] & bit) != 0) remove_carried(s, u, digit, unknown);
  }
  VORTEL_ASSERT_STATE(s);
}

}  // namespace solver
