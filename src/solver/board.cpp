// Counting of undetermined cells; the tables live in the header.
#include "solver/board.h"

std::int32_t solver::count_unknown(const Board& board) {
  std::int32_t unknown = kCells;
  for (std::int32_t value : board) {
    if (is_determined(value)) --unknown;
  }
  return unknown;
}
