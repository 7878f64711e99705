// Hidden singles and the propagation loop: the "processo matematico".
#ifndef VORTEL_SOLVER_PROPAGATE_H_
#define VORTEL_SOLVER_PROPAGATE_H_

#include <cstdint>

#include "solver/board.h"
#include "solver/state.h"

namespace solver {

/// For the undetermined cell with index `cell` (0..80): tries its
/// candidates in increasing digit order and, for each, the row, then the
/// column, then the box test. The first candidate that no other
/// undetermined cell of that unit carries is stored; it is eliminated from
/// the other two units (with cascades) and `unknown` is lowered. Returns 1
/// if the cell was determined, else 0.
int hidden_single_at_cell(State& s, int cell, std::int32_t& unknown);

/// Runs hidden_single_at_cell on each cell that is undetermined when the
/// row-major sweep reaches it. Returns how many cells it determined itself
/// (cells determined by the cascades are counted only in `unknown`).
std::int32_t hidden_single_sweep(State& s, std::int32_t& unknown);

/// One candidate pass, then hidden-single sweeps until one determines
/// nothing or no cell is left open. Reports no contradiction: callers run
/// check_consistency afterwards.
void propagate(State& s, std::int32_t& unknown);

/// propagate on a plain board, as the mathematical process runs it.
void propagate(Board& board, std::int32_t& unknown);

/// propagate for the search's trial, with candidate_pass_after_assignment
/// in place of the full pass. Precondition: before the assignment of
/// `digit` to the open cell k the state was propagated
/// (state_is_propagated).
void propagate_after_assignment(State& s, int k, Digit digit,
                                std::int32_t& unknown);

/// One trial over States, as the ordered search and the counter make
/// them: `work` becomes `parent` with its open cell `cell` set to `digit`
/// and propagated, `unknown` (the parent's open cells on entry) its open
/// cells. False when the trial fails: a conflict, or a unit that can no
/// longer be completed. The same precondition as
/// propagate_after_assignment.
inline bool try_digit(const State& parent, State& work, int cell, Digit digit,
                      std::int32_t& unknown) {
  work = parent;
  work.board[static_cast<unsigned>(cell)] = code_of(digit);
  mark_determined(work, cell, digit);
  --unknown;
  propagate_after_assignment(work, cell, digit, unknown);
  return !work.conflict && !work.dead;
}

}  // namespace solver

#endif  // VORTEL_SOLVER_PROPAGATE_H_
