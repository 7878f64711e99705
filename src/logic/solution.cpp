#include "logic/solution.h"

#include "logic/grid.h"
#include "solver/board.h"
#include "solver/unique.h"

namespace logic {

bool find_repeat(const Puzzle& puzzle, int& a, int& b) {
  const Geometry& geo = geometry();
  for (int u = 0; u < 27; ++u) {
    int at[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (const int cell : geo.unit_cells[u]) {
      const int d = puzzle.cell[cell];
      if (d == 0) continue;
      if (at[d] >= 0) {
        a = at[d];
        b = cell;
        return true;
      }
      at[d] = cell;
    }
  }
  return false;
}

Solutions solve(const Puzzle& puzzle, Puzzle& solution) {
  int a = 0;
  int b = 0;
  if (find_repeat(puzzle, a, b)) return Solutions::kNone;
  solver::Board board{};
  for (unsigned cell = 0; cell < 81; ++cell) {
    board[cell] = puzzle.cell[cell] != 0 ? solver::kCodeTable[puzzle.cell[cell]]
                                         : solver::kAllCandidates;
  }
  // One order-free search both proves the solution unique and gives it.
  solver::Board found{};
  const std::int64_t count = solver::core_count(board, 2, found);
  if (count <= 0) return Solutions::kNone;
  if (count >= 2) return Solutions::kMany;
  for (unsigned cell = 0; cell < 81; ++cell) {
    solution.cell[cell] = static_cast<std::uint8_t>(
        solver::kDigitTable[static_cast<unsigned>(found[cell])]);
  }
  return Solutions::kOne;
}

}  // namespace logic
