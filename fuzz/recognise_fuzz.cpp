// Fuzz target: vortel-importa's recogniser on arbitrary bytes, fed in two
// pieces as a stream would feed it. Any input either converts into puzzles
// of digits 0-9, or is refused with a reason and, unless no puzzle was
// found at all, a position inside the input. What a conversion writes reads
// back as the same puzzles: each puzzle's triple file gives that puzzle,
// and the puzzles as 81-character lines give the same list. And no cell is
// lost: in an accepted input, every line with a run of nine cells or more
// lies within the lines of a puzzle written (from its first line to the
// line that completed it), is a comment, or is a row of nine givens (a
// solution's row, or a header of column numbers).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "recognise/characters.h"
#include "recognise/recognise.h"

namespace {

using Puzzles = std::vector<base::Puzzle>;

struct Span {
  long first;  // the puzzle's first line
  long last;   // the line that completed it
};

struct Collected {
  Puzzles puzzles;
  std::vector<Span> spans;
  const recognise::Recogniser* r = nullptr;
};

void keep(const base::Puzzle& puzzle, void* context) {
  for (std::uint8_t d : puzzle.cell) {
    if (d > 9) std::abort();
  }
  auto& collected = *static_cast<Collected*>(context);
  collected.puzzles.push_back(puzzle);
  collected.spans.push_back({collected.r->emitted_line, collected.r->line + 1});
}

bool convert(const std::string& input, std::size_t split, Collected& out,
             recognise::Refusal& refusal) {
  auto r = std::make_unique<recognise::Recogniser>();
  out.r = r.get();
  split = split < input.size() ? split : input.size();
  return recognise::feed(*r, input.data(), split, keep, &out, refusal) &&
         recognise::feed(*r, input.data() + split, input.size() - split, keep,
                         &out, refusal) &&
         recognise::finish(*r, keep, &out, refusal);
}

bool convert(const std::string& input, std::size_t split, Puzzles& puzzles,
             recognise::Refusal& refusal) {
  Collected out;
  const bool good = convert(input, split, out, refusal);
  puzzles = out.puzzles;
  return good;
}

// The longest run of cells on a line, counted across decoration and
// brackets, and whether the line is nine givens and decoration only.
struct LineCells {
  int longest = 0;
  bool givens_row = false;
  bool comment = false;
};

LineCells cells_of(const std::string& line, bool first) {
  std::vector<std::uint32_t> cp(line.size() + 1);
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
  std::size_t size = line.size();
  if (first && size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB &&
      bytes[2] == 0xBF) {
    bytes += 3;
    size -= 3;
  }
  const int n = recognise::decode(bytes, size, cp.data());
  LineCells cells;
  int at = 0;
  while (at < n && recognise::is_blank(cp[static_cast<std::size_t>(at)])) ++at;
  cells.comment = at < n && cp[static_cast<std::size_t>(at)] == '#';
  int run = 0;
  int all = 0;
  int givens = 0;
  bool only = true;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t c = cp[static_cast<std::size_t>(i)];
    if (recognise::is_cell(c)) {
      ++all;
      givens += recognise::is_given(c) ? 1 : 0;
      if (++run > cells.longest) cells.longest = run;
      continue;
    }
    const bool joins = recognise::is_decoration(c) || c == '(' || c == ')' ||
                       c == '[' || c == ']' || c == '{' || c == '}';
    only = only && recognise::is_decoration(c);
    if (!joins) run = 0;
  }
  cells.givens_row = only && all == 9 && givens == 9;
  return cells;
}

void check_conservation(const std::string& input,
                        const std::vector<Span>& spans) {
  long number = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= input.size(); ++i) {
    const bool end = i == input.size();
    if (!end && input[i] != '\n' && input[i] != '\r') continue;
    const std::string line = input.substr(start, i - start);
    if (!end && input[i] == '\r' && i + 1 < input.size() &&
        input[i + 1] == '\n') {
      ++i;
    }
    start = i + 1;
    if (end && line.empty()) break;
    ++number;
    const LineCells cells = cells_of(line, number == 1);
    if (cells.longest < 9 || cells.comment || cells.givens_row) continue;
    bool covered = false;
    for (const Span& span : spans) {
      covered = covered || (number >= span.first && number <= span.last);
    }
    if (!covered) std::abort();
  }
}

// What vortel-importa writes for one puzzle.
std::string triples(const base::Puzzle& puzzle) {
  std::string text;
  for (unsigned i = 0; i < 81; ++i) {
    if (puzzle.cell[i] == 0) continue;
    text += static_cast<char>('1' + i / 9);
    text += ' ';
    text += static_cast<char>('1' + i % 9);
    text += ' ';
    text += static_cast<char>('0' + puzzle.cell[i]);
    text += '\n';
  }
  return text;
}

void check_round_trip(const Puzzles& puzzles) {
  std::string lines;
  for (std::size_t p = 0; p < puzzles.size(); ++p) {
    for (std::uint8_t d : puzzles[p].cell)
      lines += d == 0 ? '.' : static_cast<char>('0' + d);
    lines += '\n';
    if (p < 4 && puzzles[p] != base::Puzzle{}) {
      Puzzles again;
      recognise::Refusal refusal;
      if (!convert(triples(puzzles[p]), 0, again, refusal) ||
          again.size() != 1 || again[0] != puzzles[p]) {
        std::abort();
      }
    }
  }
  Puzzles again;
  recognise::Refusal refusal;
  if (!convert(lines, lines.size() / 2, again, refusal) || again != puzzles)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  Collected collected;
  recognise::Refusal refusal;
  if (convert(input, size / 3, collected, refusal)) {
    if (collected.puzzles.empty()) std::abort();
    check_round_trip(collected.puzzles);
    check_conservation(input, collected.spans);
    return 0;
  }
  const Puzzles& puzzles = collected.puzzles;
  if (refusal.problem == recognise::Problem::kNone) std::abort();
  if (refusal.problem == recognise::Problem::kNoPuzzle) {
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
