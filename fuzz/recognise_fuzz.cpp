// Fuzz target: vortel-importa's recogniser on arbitrary bytes, fed line by
// line as the program feeds it. Any input either converts into puzzles of
// digits 0-9, or is refused with a reason and, unless no puzzle was found
// at all, a position inside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_target.h"
#include "importa/recognise.h"

namespace {

void check_puzzle(const importa::Puzzle& puzzle, void* context) {
  for (std::uint8_t d : puzzle) {
    if (d > 9) std::abort();
  }
  ++*static_cast<long*>(context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  importa::Recogniser r;
  importa::Refusal refusal;
  long puzzles = 0;
  long lines = 0;
  bool good = true;
  std::size_t start = 0;
  while (good && start < size) {
    std::size_t end = start;
    while (end < size && text[end] != '\n') ++end;
    ++lines;
    good = importa::feed_line(r, text + start, end - start, check_puzzle,
                              &puzzles, refusal);
    start = end + 1;
  }
  if (good) good = importa::finish(r, refusal);
  if (good) {
    if (puzzles == 0 || puzzles != r.puzzles) std::abort();
    return 0;
  }
  if (refusal.problem == importa::Problem::kNone) std::abort();
  if (refusal.problem == importa::Problem::kNoPuzzle) {
    if (puzzles != 0) std::abort();
    return 0;
  }
  // The end of a grid cut short is the line after the last.
  if (refusal.line < 1 || refusal.line > lines + 1 || refusal.column < 1) {
    std::abort();
  }
  return 0;
}
