// The contradiction test.
#include "solver/consistency.h"

#include "solver/digits.h"
#include "solver/units.h"

namespace solver {

// One pass over the cells, keeping for each row, column and box the digits
// seen so far: a digit already present in one of the cell's units is a
// repeat. Any empty product is a contradiction too, since such a cell
// would otherwise pass as determined and be printed blank in a "solved"
// board. Only the 0/1 verdict is reported, so the order in which units are
// examined does not matter.
int check_consistency(const Board& board) {
  std::array<Mask, 9> rows{};
  std::array<Mask, 9> cols{};
  std::array<Mask, 9> boxes{};
  for (unsigned i = 0; i < kCells; ++i) {
    const std::int32_t value = board[i];
    if (!is_determined(value)) continue;
    const Digit digit = digit_of_code(value);
    if (index_of(digit) == 0) return 1;
    const Mask bit = digit_bit(digit);
    Mask& row = rows[kRowOf[i]];
    Mask& col = cols[kColOf[i]];
    Mask& box = boxes[kBoxOf[i]];
    if (((row | col | box) & bit) != 0) return 1;
    row |= bit;
    col |= bit;
    box |= bit;
  }
  return 0;
}

}  // namespace solver
