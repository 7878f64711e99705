// Fuzz target: vortel-importa's recogniser on arbitrary bytes, fed in two
// pieces as a stream would feed it. Any input either converts into puzzles
// of digits 0-9, or is refused with a reason and, unless no puzzle was
// found at all, a position inside the input. What a conversion writes reads
// back as the same puzzles: each puzzle's triple file gives that puzzle,
// and the puzzles as 81-character lines give the same list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "importa/recognise.h"

namespace {

using Puzzles = std::vector<importa::Puzzle>;

void keep(const importa::Puzzle& puzzle, void* context) {
  for (std::uint8_t d : puzzle) {
    if (d > 9) std::abort();
  }
  static_cast<Puzzles*>(context)->push_back(puzzle);
}

bool convert(const std::string& input, std::size_t split, Puzzles& puzzles,
             importa::Refusal& refusal) {
  auto r = std::make_unique<importa::Recogniser>();
  split = split < input.size() ? split : input.size();
  return importa::feed(*r, input.data(), split, keep, &puzzles, refusal) &&
         importa::feed(*r, input.data() + split, input.size() - split, keep,
                       &puzzles, refusal) &&
         importa::finish(*r, keep, &puzzles, refusal);
}

// What vortel-importa writes for one puzzle.
std::string triples(const importa::Puzzle& puzzle) {
  std::string text;
  for (unsigned i = 0; i < 81; ++i) {
    if (puzzle[i] == 0) continue;
    text += static_cast<char>('1' + i / 9);
    text += ' ';
    text += static_cast<char>('1' + i % 9);
    text += ' ';
    text += static_cast<char>('0' + puzzle[i]);
    text += '\n';
  }
  return text;
}

void check_round_trip(const Puzzles& puzzles) {
  std::string lines;
  for (std::size_t p = 0; p < puzzles.size(); ++p) {
    for (std::uint8_t d : puzzles[p])
      lines += d == 0 ? '.' : static_cast<char>('0' + d);
    lines += '\n';
    if (p < 4 && puzzles[p] != importa::Puzzle{}) {
      Puzzles again;
      importa::Refusal refusal;
      if (!convert(triples(puzzles[p]), 0, again, refusal) ||
          again.size() != 1 || again[0] != puzzles[p]) {
        std::abort();
      }
    }
  }
  Puzzles again;
  importa::Refusal refusal;
  if (!convert(lines, lines.size() / 2, again, refusal) || again != puzzles)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  Puzzles puzzles;
  importa::Refusal refusal;
  if (convert(input, size / 3, puzzles, refusal)) {
    if (puzzles.empty()) std::abort();
    check_round_trip(puzzles);
    return 0;
  }
  if (refusal.problem == importa::Problem::kNone) std::abort();
  if (refusal.problem == importa::Problem::kNoPuzzle) {
    if (!puzzles.empty()) std::abort();
    return 0;
  }
  // Lines end at LF, CR LF or CR; the end of a grid cut short is the line
  // after the last. A column is at most one past the line's last byte.
  long lines = 1;
  std::size_t longest = 0;
  std::size_t length = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' || data[i] == '\r') {
      if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
      ++lines;
      length = 0;
    } else if (++length > longest) {
      longest = length;
    }
  }
  if (refusal.line < 1 || refusal.line > lines + 1 || refusal.column < 1 ||
      refusal.column > static_cast<long>(longest) + 1) {
    std::abort();
  }
  return 0;
}
