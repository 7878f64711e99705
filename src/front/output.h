// Board printing and output routing: the sink of -s/-S, the title buffer,
// and the single way out of the process.
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

/// Ends the run with an output-file write error (message, status 2) if the
/// sink has failed; returns otherwise. Lets a long -S run stop at once when
/// the disk fills instead of searching on with nothing written.
void check_sink();

/// The only exit of the process. Flushes and checks the output file and
/// standard output: a failed write turns the status into 2 with a message
/// (on standard output for the file, on standard error for standard output
/// itself), so a truncated result never ends as a success.
[[noreturn]] void end_run(int status);

}  // namespace front

#endif  // VORTEL_FRONT_OUTPUT_H_
