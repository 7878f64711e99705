// Candidates and the elimination cascade (naked singles), on a State.
//
// Every operation modifies the state's board in place, exactly as the
// arithmetic on candidate products would (a cell's value divided by the
// code of each digit it loses), and lowers the caller's unknown count by
// one for each cell it turns from undetermined into determined, cascades
// included. None allocates or does I/O. They take a Digit where the plain
// board operations take a cell code, and a row, column or box index; the
// names say so, so that one cannot be called for the other.
#ifndef VORTEL_SOLVER_CANDIDATES_H_
#define VORTEL_SOLVER_CANDIDATES_H_

#include <cstdint>

#include "solver/state.h"

namespace solver {

/// Removes `digit` from every undetermined cell of the row that carries it,
/// in column order. A cell left with a single digit cascades: that digit
/// is eliminated from its row, its column and its box, in that order, and
/// only then is `unknown` lowered. Determined cells are never touched.
void eliminate_digit_in_row(State& s, int row, Digit digit,
                            std::int32_t& unknown);

/// As eliminate_digit_in_row, over a column in row order.
void eliminate_digit_in_column(State& s, int column, Digit digit,
                               std::int32_t& unknown);

/// As eliminate_digit_in_row, over box `box` (0..8), rows outer and columns
/// inner.
void eliminate_digit_in_box(State& s, int box, Digit digit,
                            std::int32_t& unknown);

/// The digits that no determined cell of cell u's row, column or box
/// holds: its candidates computed from scratch, as candidate_pass gives
/// them.
inline Mask candidate_digits(const State& s, unsigned u) {
  return static_cast<Mask>(
      ~(s.rows[kRowOf[u]] | s.cols[kColOf[u]] | s.boxes[kBoxOf[u]]) &
      kAllDigits);
}

/// Gives every undetermined cell, in row-major order, its candidates from
/// scratch (the digits that no determined cell of its row, column or box
/// holds); a cell left with one digit (or none: the empty product) is
/// stored, eliminated from its row, column and box, and counted off. Cells
/// determined earlier in the same pass are skipped.
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

}  // namespace solver

#endif  // VORTEL_SOLVER_CANDIDATES_H_
