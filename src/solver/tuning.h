// The solver's tuning: every threshold that decides which technique runs
// where, each with the reason for its value. None changes what is found or
// its order, only how fast; the figures behind them are in bench/README.md.
#ifndef VORTEL_SOLVER_TUNING_H_
#define VORTEL_SOLVER_TUNING_H_

#include <cstdint>

namespace solver {

// --- the ordered search ------------------------------------------------------

/// From this many open cells down, a surviving trial's subtree is listed
/// with the lister's small-problem steps instead of State trials: each step
/// is several times cheaper, and near the bottom of the tree, where most of
/// the trials of a puzzle of many solutions are, the hidden singles that
/// only States find prune little. Above about 40 the States' hidden singles
/// save more trials than the cheaper steps gain. At most kMaxSmallCells
/// (small_problem.h), as ordered_search.cpp asserts.
inline constexpr std::int32_t kListSmallOpen = 40;

/// The oracle (find_completion over Bands, asked whether a trial has any
/// completion) is first asked after this many trials of one
/// search: never on the puzzles that need only a few, early enough on the
/// others, where a subtree without solutions could take thousands.
inline constexpr std::int64_t kOracleAfterTrials = 8;

/// Once this many answers have come back, the oracle is asked only while
/// at least one answer in kOraclePrunesOneIn has pruned: each question
/// costs a search of its own, and where solutions abound (-S on a puzzle of
/// many) the answers are all "yes".
inline constexpr std::int64_t kOracleTrialAnswers = 32;
inline constexpr std::int64_t kOraclePrunesOneIn = 4;

// --- the first solution ---------------------------------------------------

/// first_in_order first tries the ordered search itself over Bands, for
/// this many branchings: where it reaches a completion with little
/// backtracking (about half of forum_hardest) that is the answer, without
/// a question for each smaller digit; where it does not, the branchings
/// are lost. 32 took forum_hardest from 48 to 35 µs a puzzle and left the
/// others as they were; 8 left more puzzles slower than the ordered search
/// of fcc7be1, 64 and more cost hard_for_search more.
inline constexpr std::int64_t kDiveBudget = 32;

// --- the counter -------------------------------------------------------------

/// The counter's memo: a direct-mapped table of 2^kMemoBits entries
/// (2.5 MB in all, its pages paid for as they are first touched) for
/// sub-problems of kMemoMinCells to kMemoMaxCells open cells. Smaller ones
/// cost less to count than to look up; larger ones rarely recur.
inline constexpr unsigned kMemoBits = 15;
inline constexpr int kMemoMinCells = 4;
inline constexpr int kMemoMaxCells = 32;

/// The table is taken only after this many branchings, so that a count
/// that ends in well under a millisecond never pays for its pages.
inline constexpr std::int64_t kMemoAfterBranchings = 20000;

/// The memo's hash: a multiplicative hash seeded by the number of open
/// cells with the golden ratio's 64-bit fraction, each key word mixed in by
/// a multiplication with an odd constant of good avalanche (MurmurHash3's
/// finaliser constant) and a shift that folds the high bits down.
inline constexpr std::uint64_t kMemoHashSeed = 0x9E3779B97F4A7C15ULL;
inline constexpr std::uint64_t kMemoHashMultiplier = 0xFF51AFD7ED558CCDULL;
inline constexpr unsigned kMemoHashShift = 29;

}  // namespace solver

#endif  // VORTEL_SOLVER_TUNING_H_
