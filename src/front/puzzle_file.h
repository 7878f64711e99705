// The puzzle file: (row, column, digit) triples of whitespace-separated
// decimal integers, loaded into the main board.
#ifndef VORTEL_FRONT_PUZZLE_FILE_H_
#define VORTEL_FRONT_PUZZLE_FILE_H_

#include <cstdint>
#include <cstdio>

#include "front/options.h"
#include "solver/board.h"

namespace front {

/// The path of the puzzle file: the directory of -d, with a '/' added when
/// it is empty or does not end in one, followed by `file_name`. Allocated
/// with std::malloc; null if memory runs out.
char* puzzle_path(const RunSettings& settings, const char* file_name);

enum class LoadStatus {
  kOk,         // the board and unknown count are set
  kBadFormat,  // incomplete triple, not a number, or a value outside 1..9
  kReadError,  // the stream could not be read (a directory, for one)
};

/// Reads triples from `file` as a text-mode stream: carriage returns are
/// dropped wherever they stand and the first Ctrl-Z (0x1A) ends the data.
/// Each item is optional white space (bytes 9-13 and 32), an optional sign
/// and at least one decimal digit, and must fit in 32 bits. Starts from 81
/// load markers and an unknown count of 81; a triple sets its cell to the
/// digit's code, and a cell given again keeps the later digit and is
/// counted once. On kBadFormat the board holds the triples read so far.
LoadStatus read_puzzle(std::FILE* file, solver::Board& board,
                       std::int32_t& unknown);

/// The main board and its unknown count, set by load_puzzle.
extern solver::Board g_board;
extern std::int32_t g_unknown;

/// Loads directory + `file_name` into g_board and g_unknown, or ends the run
/// with the open-failure message (status 2) or the format-error message
/// (status 3).
void load_puzzle(const char* file_name);

}  // namespace front

#endif  // VORTEL_FRONT_PUZZLE_FILE_H_
