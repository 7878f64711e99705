// The plain reference implementation of the solver's operations, kept only
// for tests: the optimised solver in src/solver must leave every cell value
// and unknown count exactly as these do, operation by operation.
#ifndef VORTEL_TESTS_REFERENCE_PLAIN_SOLVER_H_
#define VORTEL_TESTS_REFERENCE_PLAIN_SOLVER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/board.h"

namespace plain {

using solver::Board;

std::int32_t compute_candidates(const Board& board, int r, int c);
void eliminate_in_row(Board& board, int r, std::int32_t code,
                      std::int32_t& unknown);
void eliminate_in_column(Board& board, int c, std::int32_t code,
                         std::int32_t& unknown);
void eliminate_in_box(Board& board, int r, int c, std::int32_t code,
                      std::int32_t& unknown);
void candidate_pass(Board& board, std::int32_t& unknown);
int hidden_single(Board& board, int r, int c, std::int32_t& unknown);
std::int32_t hidden_single_sweep(Board& board, std::int32_t& unknown);
void propagate(Board& board, std::int32_t& unknown);
int check_consistency(const Board& board);

/// The boards the search reports, in its order, for a freshly loaded board
/// (propagated and checked first); at most `limit` of them. When `trials`
/// is given it receives the number of trials made (one board copy and one
/// propagation each).
std::vector<Board> solutions(const Board& loaded, std::size_t limit,
                             std::int64_t* trials = nullptr);

}  // namespace plain

#endif  // VORTEL_TESTS_REFERENCE_PLAIN_SOLVER_H_
