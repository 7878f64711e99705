// Candidate products and the elimination cascade (naked singles).
//
// Every operation modifies the board in place and lowers the caller's
// unknown count by one for each cell it turns from undetermined into
// determined, cascades included. None allocates or does I/O.
#ifndef VORTEL_SOLVER_CANDIDATES_H_
#define VORTEL_SOLVER_CANDIDATES_H_

#include <cstdint>

#include "solver/board.h"

namespace solver {

/// The candidate product of cell (r, c) computed from scratch: the product
/// of the codes of the digits that no determined cell of its row, column or
/// box holds; 1 (the empty product) when all nine are present. The board is
/// not modified.
std::int32_t compute_candidates(const Board& board, int r, int c);

/// Divides every undetermined cell of row r that carries `code` by it, in
/// column order. A cell left with a single code v cascades: v is eliminated
/// from its row, its column and its box, in that order, and only then is
/// `unknown` lowered. Determined cells are never touched.
void eliminate_in_row(Board& board, int r, std::int32_t code,
                      std::int32_t& unknown);

/// As eliminate_in_row, over column c in row order.
void eliminate_in_column(Board& board, int c, std::int32_t code,
                         std::int32_t& unknown);

/// As eliminate_in_row, over the box of cell (r, c), rows outer and columns
/// inner.
void eliminate_in_box(Board& board, int r, int c, std::int32_t code,
                      std::int32_t& unknown);

/// Gives every undetermined cell, in row-major order, its candidate product
/// from scratch; a cell left with one code (or none: the empty product) is
/// stored, eliminated from its row, column and box, and counted off.
/// Cells determined earlier in the same pass are skipped.
void candidate_pass(Board& board, std::int32_t& unknown);

}  // namespace solver

#endif  // VORTEL_SOLVER_CANDIDATES_H_
