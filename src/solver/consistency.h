// The contradiction test: a digit repeated within a row, column or box.
#ifndef VORTEL_SOLVER_CONSISTENCY_H_
#define VORTEL_SOLVER_CONSISTENCY_H_

#include "solver/board.h"

namespace solver {

/// 1 if some row, column or box holds the same digit in two determined
/// cells, or if any cell holds the empty product (a cell no digit fits is a
/// contradiction too); 0 otherwise. The board is not modified.
int check_consistency(const Board& board);

}  // namespace solver

#endif  // VORTEL_SOLVER_CONSISTENCY_H_
