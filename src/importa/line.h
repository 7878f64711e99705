// The one-line form of a puzzle, the common exchange form of collections:
// its 81 cells in row-major order (the digit, '.' for an empty cell), then
// a blank and its label when it has one, then the line end.
#ifndef VORTEL_IMPORTA_LINE_H_
#define VORTEL_IMPORTA_LINE_H_

#include <cstddef>

#include "recognise/recognise.h"

namespace importa {

using base::Puzzle;
using recognise::kMaxLabel;

/// The longest line: the cells, a blank, the longest label, the line end.
inline constexpr std::size_t kMaxPuzzleLine = 81 + 1 + kMaxLabel + 1;

/// Writes the puzzle's line into `out` (room for kMaxPuzzleLine bytes) and
/// returns its length. A control character in the label (a line end would
/// split the puzzle from its label, and a reader would take the rest for
/// another entry) is written as a blank; a label longer than kMaxLabel is
/// cut there.
std::size_t format_line(const Puzzle& puzzle, const char* label,
                        int label_length, char* out);

}  // namespace importa

#endif  // VORTEL_IMPORTA_LINE_H_
