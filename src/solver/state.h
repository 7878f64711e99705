// Bookkeeping kept beside a board so that the solver's operations run
// without division and without re-scanning units. It is derived data only:
// every operation still leaves the board's 81 values exactly as the plain
// arithmetic on candidate products would.
//
// Digit sets are masks (digits.h).
//  - cand[i]: for an undetermined cell, the digits whose codes divide its
//    value, so "value % code == 0" becomes a bit test. For a candidate
//    product that is its candidate set; for the load marker 999999 it is
//    {3, 4, 5, 6} (codes 7, 9, 11, 13), and because 999999 holds each of
//    those factors once (and 3 only three times, so 9 divides it once), the
//    mask stays exact as codes are divided out. Zero for determined cells,
//    so a unit's OR of masks covers exactly its undetermined cells.
//  - rows, cols, boxes: the digits held by the determined cells of each
//    unit (the empty product holds none). A cell's candidates computed
//    from scratch (candidate_digits, candidates.h) are the digits outside
//    the union of its three unit masks.
//  - conflict: set once a unit holds a digit twice or a cell holds the
//    empty product, i.e. exactly when check_consistency would report 1;
//    every cell that becomes determined passes through mark_determined,
//    which compares its digit with those its units already hold.
//  - changed: one bit per unit (numbered as in units.h) whose
//    candidate masks may have changed since the bit was last cleared; the
//    hidden-single sweep uses it to recompute only what a placement touched.
// Invariants, kept by every operation on a State: the two kinds of mask
// and the conflict flag agree with `board` as just described
// (state_is_consistent_with_board says so, and Debug builds assert it at
// every State operation's entry and exit).
#ifndef VORTEL_SOLVER_STATE_H_
#define VORTEL_SOLVER_STATE_H_

#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "solver/board.h"
#include "solver/digits.h"
#include "solver/units.h"

namespace solver {

/// Product of the codes of the digits in a mask (index: mask >> 1). The
/// empty mask gives the empty product 1.
extern const std::array<std::int32_t, 512> kProductOfMask;

/// How to divide exactly by a code: shift out its factors of 2 (one, for
/// 6), then multiply by the inverse of its odd part modulo 2^32.
struct ExactDivisor {
  unsigned shift;
  std::uint32_t inverse;
  // The largest quotient: a value v with no bits below `shift` is a
  // multiple of the odd part exactly when (v >> shift) * inverse, modulo
  // 2^32, is at most this (the multiples map onto 0..limit one to one).
  std::uint32_t limit;
};
extern const std::array<ExactDivisor, 10> kExactDivisors;

/// value / code(digit) for a value that the code divides exactly, without
/// a division instruction.
inline std::int32_t divide_exactly(std::int32_t value, Digit digit) {
  const ExactDivisor& d = kExactDivisors[index_of(digit)];
  return static_cast<std::int32_t>(
      (static_cast<std::uint32_t>(value) >> d.shift) * d.inverse);
}

/// The candidate mask of a cell value: 0 if determined, else the digits
/// whose codes divide it.
Mask mask_of(std::int32_t value);

struct State {
  Board board;
  // Three zero masks after the 81 let any cell's mask be read as the first
  // of four (see four_masks).
  std::array<Mask, kCells + 3> cand;
  // The same masks in column-major order (cell (r, c) at 9 * c + r), so
  // that a column's cells lie side by side too. Written with cand, always.
  std::array<Mask, kCells + 3> cand_by_column;
  std::array<Mask, 9> rows;
  std::array<Mask, 9> cols;
  std::array<Mask, 9> boxes;
  std::uint32_t changed;
  bool conflict;
  // Set when a unit was found, during a hidden-single sweep, to have a digit
  // that none of its cells holds or carries: no completion of the board
  // exists, though no two cells clash yet. The search abandons such a
  // trial; the mathematical process itself does not look at it.
  bool dead;
};

/// Sets the candidate mask of cell u (in both orders).
inline void set_mask(State& s, unsigned u, Mask mask) {
  s.cand[u] = mask;
  s.cand_by_column[kColumnMajor[u]] = mask;
}

/// The masks at positions i to i + 3 of one of the two arrays as the four
/// 16-bit lanes of one word, so that one AND tells whether any of the four
/// carries a digit (lane order follows memory order; only "any lane" is
/// ever asked).
inline std::uint64_t four_masks(const std::array<Mask, kCells + 3>& masks,
                                unsigned i) {
  std::uint64_t lanes;
  std::memcpy(&lanes, &masks[i], sizeof lanes);
  return lanes;
}

/// The first three lanes of four_masks: the three cells of a box's row
/// (the fourth mask read belongs to the next box or to the padding).
inline constexpr std::uint64_t kThreeLanes = 0x0000FFFFFFFFFFFFULL;

/// A digit's bit repeated in each of the four lanes.
inline std::uint64_t in_four_lanes(Mask bit) {
  return bit * 0x0001000100010001ULL;
}

/// Fills in the masks of `state` from its board.
void derive_masks(State& state);

/// Records that cell i now holds `digit` in its three unit masks, noting a
/// conflict if one of them holds it already, and clears its candidate mask.
/// The caller has stored the digit's code in the board.
inline void mark_determined(State& s, int i, Digit digit) {
  const unsigned u = static_cast<unsigned>(i);
  const Mask bit = digit_bit(digit);
  Mask& row = s.rows[kRowOf[u]];
  Mask& col = s.cols[kColOf[u]];
  Mask& box = s.boxes[kBoxOf[u]];
  s.conflict |= ((row | col | box) & bit) != 0;
  row |= bit;
  col |= bit;
  box |= bit;
  set_mask(s, u, 0);
  s.changed |= kUnitBits[u];
}

/// Runs a State operation on a plain board: derives the masks, runs it and
/// hands back the board. The public operations on a Board are made of it.
template <typename Operation>
auto on_board(Board& board, Operation operation) {
  State s;
  s.board = board;
  derive_masks(s);
  const auto result = operation(s);
  board = s.board;
  return result;
}

/// True when the derived data of `s` agree with its board: every cand[i]
/// (and its column-major copy) is mask_of(board[i]), the three padding
/// masks are zero, each unit mask holds exactly the digits of the unit's
/// determined cells, and `conflict` is set exactly when a unit repeats a
/// digit or a cell holds the empty product. Every State operation keeps
/// this; Debug builds assert it at each one's entry and exit.
bool state_is_consistent_with_board(const State& s);

/// True when `s` is what a propagation leaves on a board without conflict:
/// every open cell's mask is exactly the digits that none of its units
/// holds, and no unit has a digit that exactly one of its cells carries
/// (the last hidden-single sweep found nothing). The search's trial
/// shortcuts (candidate_pass_after_assignment, propagate_after_assignment)
/// are exact only from such a state.
bool state_is_propagated(const State& s);

/// Asserts the State invariants in Debug builds; costs nothing with NDEBUG.
#define VORTEL_ASSERT_STATE(s)                          \
  assert(::solver::state_is_consistent_with_board(s) && \
         "State out of step with its board")

}  // namespace solver

#endif  // VORTEL_SOLVER_STATE_H_
