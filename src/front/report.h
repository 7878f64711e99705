// The front end of the "processo iterativo": the clock behind the elapsed
// times, the solution counter, what each mode does with a solution, and the
// closing report.
#ifndef VORTEL_FRONT_REPORT_H_
#define VORTEL_FRONT_REPORT_H_

#include <cstdint>

#include "solver/board.h"
#include "solver/seams.h"

namespace front {

/// Complete boards found so far. 64 bits, so that no count can wrap.
extern std::int64_t g_solution_count;

/// Seconds of wall-clock time accumulated by update_cpu_time.
extern double g_elapsed_total;

/// Takes the first clock reading and clears the elapsed-time total.
void start_clock();

/// Adds the milliseconds elapsed since the previous reading to the total.
void update_cpu_time();

/// Announces the search, runs it on `board` (propagated, consistent, with
/// `unknown` open cells) and reports each solution as the run's mode asks:
/// the first solution (status 0), every solution to the sink, or the count
/// with progress lines. Ends the process: with the closing report and
/// status 4 when the search ran to its end, with the out-of-memory message
/// and status 3 when a work board could not be had. `seams` are the
/// solver's test seams (solver/seams.h); the program passes none.
[[noreturn]] void iterative_process(const solver::Board& board,
                                    std::int32_t unknown,
                                    solver::SearchSeams* seams = nullptr);

}  // namespace front

#endif  // VORTEL_FRONT_REPORT_H_
