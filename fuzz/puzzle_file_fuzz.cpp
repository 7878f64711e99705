// Fuzz target: the puzzle-file reader on arbitrary bytes. It must return a
// board or a format error, never crash, and a loaded board must hold only
// load markers and codes, with the unknown count in step.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "front/puzzle_file.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::rewind(file);
  solver::Board board;
  std::int32_t unknown = -1;
  const front::LoadStatus status = front::read_puzzle(file, board, unknown);
  std::fclose(file);
  if (status == front::LoadStatus::kReadError) std::abort();
  if (status == front::LoadStatus::kOk) {
    if (unknown != solver::count_unknown(board)) std::abort();
    for (std::int32_t v : board) {
      const bool code = v >= 5 && v <= solver::kMaxCode &&
                        solver::kDigitTable[static_cast<unsigned>(v)] != 0;
      if (v != solver::kLoadMarker && !code) std::abort();
    }
  }
  return 0;
}
