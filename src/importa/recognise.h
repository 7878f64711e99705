// Recognising puzzles in the forms people share them in: one puzzle per
// line of 81 cells, or grids of nine rows of nine cells with any
// decoration (vortel's own board printing included). Pure: it sees one
// line at a time and hands back each puzzle as it is completed.
#ifndef VORTEL_IMPORTA_RECOGNISE_H_
#define VORTEL_IMPORTA_RECOGNISE_H_

#include <array>
#include <cstddef>
#include <cstdint>

namespace importa {

/// A puzzle: the digit of each cell in row-major order, 0 for an empty one.
using Puzzle = std::array<std::uint8_t, 81>;

enum class Problem {
  kNone,
  kBadCharacter,    // neither a digit, an empty-cell mark nor decoration
  kWrongCellCount,  // a line whose cells are neither 9 nor 81
  kGridCutShort,    // fewer than nine rows before something else, or the end
  kNoPuzzle,        // the input holds no puzzle at all
};

/// Why and where the input was refused. Lines and columns count from 1;
/// columns count bytes, the line's end included (one past its last byte).
struct Refusal {
  Problem problem = Problem::kNone;
  long line = 0;
  long column = 0;
  unsigned char character = 0;  // kBadCharacter: the byte
  int count = 0;  // kWrongCellCount: cells on the line; kGridCutShort: rows
};

/// Called with each puzzle completed, in input order.
using Emit = void (*)(const Puzzle& puzzle, void* context);

/// The recogniser's state between lines: the rows of a grid begun.
struct Recogniser {
  Puzzle grid{};
  int rows = 0;
  long line = 0;  // lines seen so far
  long puzzles = 0;
};

/// Takes the next line of the input, without its line feed; a final
/// carriage return is dropped, and a UTF-8 byte-order mark opening the
/// first line is skipped. Returns false, with `refusal` filled in, when
/// the line cannot be part of any puzzle.
bool feed_line(Recogniser& r, const char* text, std::size_t length, Emit emit,
               void* context, Refusal& refusal);

/// The input has ended. Returns false when a grid was left unfinished or
/// no puzzle was found at all.
bool finish(const Recogniser& r, Refusal& refusal);

}  // namespace importa

#endif  // VORTEL_IMPORTA_RECOGNISE_H_
