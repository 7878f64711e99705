// Fuzz target: the whole mathematical process on any loaded puzzle. The
// first 81 bytes give the cells in the usual one-line notation: '1'..'9' a
// given digit, any other byte an empty cell.
// After propagate the unknown count must equal the count of open cells and
// no determined cell may have changed; check_consistency must not crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_target.h"
#include "solver/consistency.h"
#include "solver/propagate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  solver::Board board;
  board.fill(solver::kLoadMarker);
  for (std::size_t i = 0; i < size && i < 81; ++i) {
    if (data[i] >= '1' && data[i] <= '9') {
      board[i] = solver::kCodeTable[static_cast<unsigned>(data[i] - '0')];
    }
  }
  const solver::Board loaded = board;
  std::int32_t unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  if (unknown != solver::count_unknown(board)) std::abort();
  for (std::size_t i = 0; i < 81; ++i) {
    if (solver::is_determined(loaded[i]) && board[i] != loaded[i]) std::abort();
  }
  const int verdict = solver::check_consistency(board);
  // Propagating again from a consistent result changes nothing.
  if (verdict == 0) {
    const solver::Board once = board;
    solver::propagate(board, unknown);
    if (board != once) std::abort();
  }
  return 0;
}
