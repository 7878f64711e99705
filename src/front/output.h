// Board printing and output routing: the sink of -s/-S and the title
// buffer.
#ifndef VORTEL_FRONT_OUTPUT_H_
#define VORTEL_FRONT_OUTPUT_H_

#include <cstddef>
#include <cstdio>

#include "solver/board.h"

namespace front {

/// Where -s/-S send boards: the output file, standard output when no name
/// was given, or null when neither option was given.
extern std::FILE* g_sink;

/// The title printed above the next board; every use overwrites it.
inline constexpr std::size_t kTitleSize = 128;
extern char g_title[kTitleSize];

/// The output file's stdio buffer.
inline constexpr int kSinkBufferSize = 1 << 16;

/// Formats the title buffer with a printf format.
[[gnu::format(printf, 1, 2)]] void set_title(const char* format, ...);

/// Sets the title buffer to exactly what "Soluzione N. %ld" formats.
void set_solution_title(long number);

/// Opens the sink when -s or -S was given. A named output file is created
/// exclusively, so a file that appeared since start-up is never emptied;
/// failure prints the open-failure message and ends with status 2.
void open_sink();

/// Size of a formatted board: nine lines of 24 characters and a newline,
/// plus the blank line after each band of three rows.
inline constexpr std::size_t kBoardTextSize = 9 * 25 + 3;

/// Writes the layout of `board` into `out` (kBoardTextSize bytes, no
/// terminator): a digit for each code, '-' for anything else.
void format_board(const solver::Board& board, char* out);

/// Prints "\n<title>\n\n" and the board to `stream`, in one write.
void print_board(std::FILE* stream, const solver::Board& board,
                 const char* title);

/// Prints the board under g_title to the sink (when -s/-S was given) and to
/// the screen (unless the sink is the screen), so that the screen gets it
/// exactly once.
void show_board(const solver::Board& board);

}  // namespace front

#endif  // VORTEL_FRONT_OUTPUT_H_
