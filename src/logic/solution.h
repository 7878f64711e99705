// The puzzle's solutions, from the engine: whether it has none, one or more,
// and the one it has.
#ifndef VORTEL_LOGIC_SOLUTION_H_
#define VORTEL_LOGIC_SOLUTION_H_

#include "logic/grid.h"

namespace logic {

enum class Solutions { kNone, kOne, kMany };

/// The cells of the first pair of givens that repeat a digit in a unit, or
/// false when there is none.
bool find_repeat(const Puzzle& puzzle, int& a, int& b);

/// How many solutions the puzzle has (none, one, more), and the solution
/// when it has one. Givens that repeat a digit have none.
Solutions solve(const Puzzle& puzzle, Puzzle& solution);

}  // namespace logic

#endif  // VORTEL_LOGIC_SOLUTION_H_
