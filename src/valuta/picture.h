// The path drawn (--svg=DIR): one SVG picture a step, as players draw a
// grid (givens in black, placed digits in blue, candidates small in a 3×3
// layout, the pattern's cells filled, removed candidates circled in red,
// the placement in green, a chain's links with arrows: strong solid, weak
// dashed), and an HTML page that shows the path in order.
//
// The layout on disk: DIR/index.html, and for each puzzle a folder named by
// its entry number (DIR/0001/passo-001.svg, ...). A folder a puzzle, not a
// prefix: the input is a stream, so whether there will be a second puzzle
// is not known when the first is drawn, and one layout serves both; a
// puzzle's pictures stay together and keep the same short names.
//
// Each worker draws its own puzzles into their own folders, so the threads
// never write one file; a puzzle's part of the index is kept in its folder
// (passi.html, with paths from DIR) until the run ends and write_index
// joins the parts in input order.
#ifndef VORTEL_VALUTA_PICTURE_H_
#define VORTEL_VALUTA_PICTURE_H_

#include <cstdio>

#include "logic/notation.h"
#include "logic/solution.h"

namespace valuta {

/// What could not be written: the path and the errno (0: all written).
struct PictureError {
  int error = 0;
  char path[4096] = {};
};

/// One puzzle's pictures being written.
struct Album {
  const char* dir = nullptr;
  long long number = 0;
  std::FILE* page = nullptr;  // the puzzle's part of the index
  int steps = 0;              // the pictures written
  PictureError* problem = nullptr;
};

/// Creates DIR (and its parents) if missing and checks that a file can be
/// written in it; false, with `problem` filled in, when not.
bool prepare_directory(const char* dir, PictureError& problem);

/// The step numbered `n`, found in `before`, as an SVG picture of the grid
/// (`puzzle`: the givens, drawn apart from the digits placed since).
void append_svg(logic::Text& t, const base::Puzzle& puzzle,
                const logic::Grid& before, const logic::Step& step, int n);

/// Opens the puzzle's folder and its part of the index, headed by the
/// puzzle's digits. False (the first failure kept in `*album.problem`)
/// when they cannot be written; later calls then do nothing.
bool open_album(Album& album, const base::Puzzle& puzzle);

/// Writes the step's picture and its line in the index.
void add_picture(Album& album, const base::Puzzle& puzzle,
                 const logic::Grid& before, const logic::Step& step, int n);

/// Ends the puzzle's part of the index with `result` (its rating, or why
/// it has none) and closes it. Pictures numbered past the last step, left
/// by an earlier run into the same folder, are removed: the folder holds
/// this path alone.
void close_album(Album& album, const char* result);

/// Writes DIR/index.html from the parts of the puzzles numbered 1 to
/// `last` (a number without a part, an entry that was no puzzle, is
/// passed over), removing each part once copied. False, with `problem`
/// filled in, when it cannot be written.
bool write_index(const char* dir, long long last, PictureError& problem);

}  // namespace valuta

#endif  // VORTEL_VALUTA_PICTURE_H_
