// The plain board operations of the solver, each the State operation it
// names run on a board of its own (derive the masks, run, hand back the
// board), in a namespace of their own: they are the tests' wrappers, not
// the solver's. The program runs only propagate on a plain board; the tests and
// fuzz targets compare these, one step at a time, with the plain reference
// implementation in tests/reference/.
#ifndef VORTEL_TESTS_SUPPORT_BOARD_OPERATIONS_H_
#define VORTEL_TESTS_SUPPORT_BOARD_OPERATIONS_H_

#include <cstdint>

#include "solver/board.h"
#include "solver/propagate.h"

namespace support {

using solver::Board;

/// The candidate product of cell (r, c) computed from scratch by the
/// solver (candidate_digits): the product of the codes of the digits that
/// no determined cell of its row, column or box holds; 1 (the empty
/// product) when all nine are present. The board is not modified.
std::int32_t compute_candidates(const Board& board, int r, int c);

/// Divides every undetermined cell of row r that carries `code` by it, in
/// column order, with cascades (eliminate_digit_in_row).
void eliminate_in_row(Board& board, int r, std::int32_t code,
                      std::int32_t& unknown);

/// As eliminate_in_row, over column c in row order.
void eliminate_in_column(Board& board, int c, std::int32_t code,
                         std::int32_t& unknown);

/// As eliminate_in_row, over the box of cell (r, c), rows outer and columns
/// inner.
void eliminate_in_box(Board& board, int r, int c, std::int32_t code,
                      std::int32_t& unknown);

/// candidate_pass on a board.
void candidate_pass(Board& board, std::int32_t& unknown);

/// hidden_single_at_cell for cell (r, c).
int hidden_single(Board& board, int r, int c, std::int32_t& unknown);

/// hidden_single_sweep on a board.
std::int32_t hidden_single_sweep(Board& board, std::int32_t& unknown);

}  // namespace support

#endif  // VORTEL_TESTS_SUPPORT_BOARD_OPERATIONS_H_
