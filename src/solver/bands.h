// The board by digit and band, for the searches that only need to know
// whether completions exist and which: the first solution's, and the
// ordered search's question whether a trial has any completion.
//
// where[b][d] holds, for digit d + 1, the cells of band b (rows 3b..3b+2)
// where it may still stand, placed ones included: bit p is the band's cell
// p = 9 * (row - 3b) + column, so board cell i is bit i % 27 of band i / 27.
// open[b] holds the band's cells not yet placed. A placed cell keeps one
// digit's bit, and that digit's bit is cleared from every peer.
//
// A digit stands once in each row and once in each box of a band: its
// places there are one of the six matchings of the band's three rows with
// its three boxes. So the nine row-box segments (three cells each) of a
// digit's band can be masked, with one table look-up, to those that belong
// to a matching of non-empty segments; this is every pointing and
// claiming deduction of the band at once. The same holds for a stack's
// columns and boxes. With hidden singles of rows, columns and boxes and
// naked singles of cells, each a few word operations a band, a position
// costs a small fraction of a State trial, and it deduces more.
//
// Every deduction holds in every completion, so a search over Bands finds
// exactly the completions of the board it was made from.
#ifndef VORTEL_SOLVER_BANDS_H_
#define VORTEL_SOLVER_BANDS_H_

#include <array>
#include <cstdint>

#include "solver/board.h"

namespace solver {

struct Bands {
  std::array<std::array<std::uint32_t, 9>, 3> where;
  std::array<std::uint32_t, 3> open;
  // The open cells with two digits left, as the last round of deductions
  // found them: where the searches branch.
  std::array<std::uint32_t, 3> pairs;
};

/// The Bands of a conflict-free board: each undetermined cell may hold the
/// digits of its candidate mask (mask_of), each determined cell its digit.
/// The deductions are then made; false when they find that no completion
/// exists.
bool make_bands(const Board& board, Bands& g);

/// Whether `g` has a completion, searched for by branching on an open cell
/// of two digits (or of the fewest) with the most open peers; the first one
/// found is written to `completion`. Each search over Bands adds its
/// branchings (one placement and its deductions each) to `steps`.
bool find_completion(const Bands& g, Board& completion, std::int64_t& steps);

/// Whether `g` has more than one completion: a search for two, with the
/// same branching as find_completion.
bool has_two_completions(const Bands& g, std::int64_t& steps);

/// The smallest completion of `root` in row-major order, digits upwards, into
/// `first`; false when there is none. First the ordered search itself, for
/// at most `budget` branchings: its first completion is the smallest. Then,
/// told which digits that search showed to have no completion, a descent: each
/// open cell in turn takes the smallest digit that still has a completion; the
/// digits below the one of the last completion found are each put to
/// find_completion, and a "yes" gives the new completion, so the descent never
/// backtracks. Every completion it meets agrees with the cells already taken,
/// and a digit below the one taken has none: the result is the smallest.
bool first_in_order(const Bands& root, Board& first, std::int64_t budget,
                    std::int64_t& steps);

}  // namespace solver

#endif  // VORTEL_SOLVER_BANDS_H_
