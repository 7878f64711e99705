// The fast path for the commonest line of all: exactly 81 cells ('1'-'9',
// '.' or '0') and a line end, between puzzles. It reads such a line without
// decoding it character by character and emits its puzzle through
// emit_puzzle, as the stream would: a list line's label is its own text
// around the cells, here none, so the pending label of a comment line goes
// with no puzzle; and the rows of a grid cut short before it are forgotten.
#include <array>

#include "recognise/parts.h"
#include "recognise/recognise.h"

namespace recognise {

namespace {

// The cell bytes of the fast path and their digits (0: empty), -1 for any
// other byte.
constexpr std::array<signed char, 256> make_fast_cells() {
  std::array<signed char, 256> table{};
  for (auto& entry : table) entry = -1;
  for (int d = 1; d <= 9; ++d)
    table[static_cast<unsigned>('0' + d)] = static_cast<signed char>(d);
  table['.'] = 0;
  table['0'] = 0;
  return table;
}
constexpr std::array<signed char, 256> kFastCells = make_fast_cells();

// Between puzzles, with no line begun: where the stream would read the
// line as a list puzzle and nothing else.
bool between_puzzles(const Recogniser& r) {
  return r.length == 0 && !r.swallow_lf && !r.skipping && r.entry_count == 0 &&
         !r.triples;
}

// The 81 cells and the line end at `line`: the puzzle and the bytes used.
bool fast_cells(const char* line, std::size_t size, Puzzle& puzzle,
                std::size_t& used) {
  if (size < 82) return false;
  if (line[81] == '\n') {
    used = 82;
  } else if (size >= 83 && line[81] == '\r' && line[82] == '\n') {
    used = 83;
  } else {
    return false;
  }
  unsigned bad = 0;
  for (unsigned i = 0; i < 81; ++i) {
    const signed char digit = kFastCells[static_cast<unsigned char>(line[i])];
    bad |= static_cast<unsigned>(digit) >> 8;
    puzzle.cell[i] = static_cast<std::uint8_t>(digit);
  }
  return bad == 0;
}

}  // namespace

bool take_fast_line(Recogniser& r, const char* data, std::size_t size,
                    Emit emit, void* context, std::size_t& used) {
  Puzzle puzzle;
  if (!between_puzzles(r) || !fast_cells(data, size, puzzle, used))
    return false;
  r.label_length = 0;
  parts::emit_puzzle(r, puzzle, ++r.line, parts::Sink{emit, context});
  return true;
}

void start(Recogniser& r,
           bool (*on_refusal)(const Refusal& refusal, void* context)) {
  r.on_refusal = on_refusal;
}

}  // namespace recognise
