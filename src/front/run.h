// The run sequence, from the integrity check to the hand-over to the search.
#ifndef VORTEL_FRONT_RUN_H_
#define VORTEL_FRONT_RUN_H_

namespace front {

/// Acts on the self-check's verdict on the running program (see
/// integrity.h), taken at start-up: when it is not intact, prints the
/// alteration message and ends with status 3.
void verify_integrity(bool intact);

/// Shows the loaded board, checks the givens, runs the mathematical process,
/// checks again, and reports the puzzle solved or hands the partly solved
/// board to the search. Never returns.
[[noreturn]] void run_sequence();

}  // namespace front

#endif  // VORTEL_FRONT_RUN_H_
