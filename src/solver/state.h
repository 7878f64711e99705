// Bookkeeping kept beside a board so that the solver's operations run
// without division and without re-scanning units. It is derived data only:
// every operation still leaves the board's 81 values exactly as the plain
// arithmetic on candidate products would.
//
// Digit sets are 16-bit masks with bit d (1..9) for digit d; bit 0 unused.
//  - cand[i]: for an undetermined cell, the digits whose codes divide its
//    value, so "value % code == 0" becomes a bit test. For a candidate
//    product that is its candidate set; for the load marker 999999 it is
//    {3, 4, 5, 6} (codes 7, 9, 11, 13), and because 999999 holds each of
//    those factors once (and 3 only three times, so 9 divides it once), the
//    mask stays exact as codes are divided out. Zero for determined cells,
//    so a unit's OR of masks covers exactly its undetermined cells.
//  - rows, cols, boxes: the digits held by the determined cells of each
//    unit (the empty product holds none). compute_candidates for a cell is
//    the product of the codes outside the union of its three unit masks.
//  - conflict: set once a unit holds a digit twice or a cell holds the
//    empty product, i.e. exactly when check_consistency would report 1;
//    every cell that becomes determined passes through mark_determined,
//    which compares its digit with those its units already hold.
//  - changed: one bit per unit (rows 0-8, columns 9-17, boxes 18-26) whose
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

namespace solver {

using Mask = std::uint16_t;

/// Digits 1..9 as a mask.
inline constexpr Mask kAllDigits = 0x3FE;

/// A digit 1..9 as the fast core handles it: a type of its own, because
/// the board's cell codes (5, 6, 7, 9, 11, ... 23) are plain int32_t values
/// too, and a code passed where a digit is meant would quietly remove the
/// wrong digit (or none: there is no digit 23). Neither converts to the
/// other implicitly.
enum class Digit : std::uint8_t {};

/// The digit 1..9 held by a value taken from a digit table or a mask.
inline constexpr Digit make_digit(int digit) {
  return static_cast<Digit>(digit);
}
inline constexpr unsigned index_of(Digit digit) {
  return static_cast<unsigned>(digit);
}
/// The cell code of a digit (kCodeTable).
inline constexpr std::int32_t code_of(Digit digit) {
  return kCodeTable[index_of(digit)];
}
/// The digit of a determined cell's code, or of the empty product (which
/// yields no digit: Digit 0).
inline constexpr Digit digit_of_code(std::int32_t code) {
  return make_digit(kDigitTable[static_cast<unsigned>(code)]);
}

inline constexpr Mask digit_bit(Digit digit) {
  return static_cast<Mask>(1U << index_of(digit));
}

/// The number of set bits, without the C runtime's helper (the target has
/// no population-count instruction by default, and the helper would add a
/// library to the program's start).
inline int bit_count(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

/// The lowest digit in a non-empty mask.
inline Digit lowest_digit(Mask mask) {
  return make_digit(__builtin_ctz(mask));
}

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

/// Row, column and box of each cell, and the cells of each box in the
/// solver's scanning order (rows outer, columns inner).
extern const std::array<std::uint8_t, kCells> kRowOf;
extern const std::array<std::uint8_t, kCells> kColOf;
extern const std::array<std::uint8_t, kCells> kBoxOf;
extern const std::array<std::array<std::uint8_t, 9>, 9> kBoxCells;
/// Each cell's place in the column-major order (cell (r, c) -> 9 * c + r).
extern const std::array<std::uint8_t, kCells> kColumnMajor;
/// The first (top-left) cell of each box.
extern const std::array<std::uint8_t, 9> kBoxFirst;
/// The 20 cells sharing a row, column or box with each cell, ascending.
extern const std::array<std::array<std::uint8_t, 20>, kCells> kPeers;

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

/// The `changed` bits of the three units of each cell.
extern const std::array<std::uint32_t, kCells> kUnitsOf;

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
  s.changed |= kUnitsOf[u];
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

// The operations of candidates.h and propagate.h on a State. They differ
// from the Board operations in what they are given: a Digit instead of a
// cell code, a box index or a cell index instead of (row, column); the
// names say so, so that one cannot be called for the other.
void eliminate_digit_in_row(State& s, int row, Digit digit,
                            std::int32_t& unknown);
void eliminate_digit_in_column(State& s, int column, Digit digit,
                               std::int32_t& unknown);
void eliminate_digit_in_box(State& s, int box, Digit digit,
                            std::int32_t& unknown);
void candidate_pass(State& s, std::int32_t& unknown);

/// candidate_pass for a board that was propagated and has since had one
/// open cell, k, set to `digit` (the search's trial), with the same result.
/// After a propagation every open cell's mask is exactly the digits that
/// none of its determined peers holds: the pass made it so and every later
/// placement removed its digit from all its peers, except a hidden single's
/// digit from the unit where no other cell carried it. Recomputing from
/// scratch would therefore change only k's peers that carry `digit`; the
/// pass meets them in row-major order, so they are visited in that order
/// and lose the digit exactly as an elimination would (cascades included).
/// Precondition: before the assignment the state was propagated
/// (state_is_propagated).
void candidate_pass_after_assignment(State& s, int k, Digit digit,
                                     std::int32_t& unknown);
/// hidden_single for the open cell with index `cell` (0..80).
int hidden_single_at_cell(State& s, int cell, std::int32_t& unknown);
std::int32_t hidden_single_sweep(State& s, std::int32_t& unknown);
void propagate(State& s, std::int32_t& unknown);

/// propagate for the search's trial, with candidate_pass_after_assignment
/// in place of the full pass; the same precondition.
void propagate_after_assignment(State& s, int k, Digit digit,
                                std::int32_t& unknown);

}  // namespace solver

#endif  // VORTEL_SOLVER_STATE_H_
