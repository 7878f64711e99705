#include "logic/solution.h"

#include "logic/grid.h"
#include "solver/bands.h"
#include "solver/board.h"
#include "solver/completion.h"

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
  solver::Bands bands{};
  solver::Board found{};
  std::int64_t steps = 0;  // the searches' branchings, not needed here
  if (!solver::make_bands(board, bands) ||
      !solver::find_completion(bands, found, steps)) {
    return Solutions::kNone;
  }
  if (solver::has_two_completions(bands, steps)) return Solutions::kMany;
  for (unsigned cell = 0; cell < 81; ++cell) {
    solution.cell[cell] = static_cast<std::uint8_t>(
        solver::kDigitTable[static_cast<unsigned>(found[cell])]);
  }
  return Solutions::kOne;
}

}  // namespace logic
