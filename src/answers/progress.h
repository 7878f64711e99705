// The progress line of a batch run on a terminal: how far the run has got,
// redrawn in place at most four times a second on standard error, and
// cleared before anything else is written there. Nothing is drawn when
// standard error is not a terminal (a log file gets the summary alone), nor
// when the answers go to the terminal themselves.
//
// With inputs of known size (regular files) the line shows the bytes read
// of the total, the share done, the puzzles answered, their rate and the
// time left; for a pipe, the puzzles answered and their rate.
#ifndef VORTEL_ANSWERS_PROGRESS_H_
#define VORTEL_ANSWERS_PROGRESS_H_

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace answers {

struct Progress {
  const char* program = "";
  bool terminal = false;    // standard error is a terminal: draw at all
  std::int64_t total = -1;  // the inputs' bytes, -1 when not known
  double start = 0;         // seconds (monotonic) at the run's start
  double drawn_at = -1;     // when the line was last drawn
  bool shown = false;       // the line is on the screen
  std::mutex lock;          // the line and every message between redraws
};

/// Seconds on the monotonic clock.
double seconds_now();

/// The sum of the inputs' sizes when every one is a regular file
/// (standard input for none or "-"), -1 otherwise. A name that cannot be
/// looked at counts nothing: the run reports it as an entry.
std::int64_t input_size(const char* const* names, int count);

/// Starts the clock; `show` false (a quiet run), standard error not a
/// terminal or standard output one: nothing will be drawn.
void begin_progress(Progress& p, const char* program, const char* const* names,
                    int count, bool show);

/// The line's text, without "\r" or an erase: `done` puzzles answered,
/// `consumed` bytes of `total` (-1: unknown) read, `elapsed` seconds.
void progress_text(char* out, std::size_t size, const char* program,
                   std::int64_t done, std::int64_t consumed, std::int64_t total,
                   double elapsed);

/// Redraws the line, unless it was drawn less than a quarter of a second
/// ago. For Job::written: called by the thread that writes the output.
void update_progress(Progress& p, std::int64_t done, std::int64_t consumed);

/// Writes `line` (its line end included) to standard error in one piece,
/// clearing the progress line first: from any thread.
void progress_message(Progress& p, const char* line);

/// Clears the line, before the summary.
void end_progress(Progress& p);

}  // namespace answers

#endif  // VORTEL_ANSWERS_PROGRESS_H_
