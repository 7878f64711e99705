// The first solution over Bands, and the search's order of events: make
// the Bands, find the first solution, report it, ask whether a second
// exists, and only then go on in order.
#include "solver/search.h"

#include <array>
#include <cassert>

#include "solver/band_tables.h"
#include "solver/bands.h"
#include "solver/completion.h"
#include "solver/consistency.h"
#include "solver/digits.h"
#include "solver/ordered_search.h"
#include "solver/propagate.h"
#include "solver/tuning.h"

namespace solver {

namespace {

// The ordered search itself over Bands: the first open cell in row-major
// order, its digits upwards, no question asked. Its first completion is
// the smallest; it gives up after `budget` branchings.
enum class Dive { kFound, kNone, kGaveUp };

// Where the ordered search stood when it gave up: at each level, the cell
// it branched on (board index) and the digit it was trying. Every smaller
// digit there was shown to have no completion below the cells before it,
// so the descent need not ask about them while it follows the same cells
// and digits.
struct DivePath {
  std::int64_t steps;  // branchings, of the dive and of the descent after it
  unsigned depth;
  std::array<std::uint8_t, kCells> cell;
  std::array<std::uint8_t, kCells> digit;  // BandDigit values
};

Dive dive(const Bands& bands, Board& first, std::int64_t& budget,
          DivePath& path) {
  unsigned b = 0;
  while (b < 3 && bands.open[b] == 0) ++b;
  if (b == 3) {
    write_board(bands, first);
    return Dive::kFound;
  }
  const unsigned p = static_cast<unsigned>(__builtin_ctz(bands.open[b]));
  const unsigned level = path.depth++;
  path.cell[level] = static_cast<std::uint8_t>(27 * b + p);
  for (unsigned digits = digits_at(bands, b, p); digits != 0;
       digits &= digits - 1) {
    const BandDigit d = static_cast<unsigned>(__builtin_ctz(digits));
    path.digit[level] = static_cast<std::uint8_t>(d);
    if (--budget < 0) return Dive::kGaveUp;
    ++path.steps;
    Bands child = bands;
    if (!place_and_deduce(child, d, b, p)) continue;
    const Dive below = dive(child, first, budget, path);
    if (below != Dive::kNone) return below;
  }
  path.depth = level;
  return Dive::kNone;
}

// The Bands index of a determined cell's digit.
BandDigit band_digit(std::int32_t code) {
  return index_of(digit_of_code(code)) - 1;
}

// The descent's step at the open cell i of `bands`: they take the smallest
// digit of `digits` that has a completion, and that digit is returned;
// kNoBandDigit when none has. A digit below the known completion's
// (`first`, when `known`) is put to find_completion, whose "yes" becomes
// the known completion; the known completion's own digit needs no
// question.
BandDigit take_smallest(Bands& bands, unsigned i, unsigned digits, Board& first,
                        bool& known, std::int64_t& steps) {
  const unsigned b = i / 27;
  const unsigned p = i % 27;
  const BandDigit known_digit = known ? band_digit(first[i]) : kNoBandDigit;
  for (; digits != 0; digits &= digits - 1) {
    const BandDigit d = static_cast<unsigned>(__builtin_ctz(digits));
    ++steps;
    Bands child = bands;
    const bool settled = place_and_deduce(child, d, b, p);
    if (d == known_digit) {
      assert(settled && "the known completion lost");
      bands = child;  // the known completion is one of the child's
      return d;
    }
    if (settled && find_completion(child, first, steps)) {
      known = true;
      bands = child;
      return d;
    }
  }
  return kNoBandDigit;
}

// True when propagating `board` again would change nothing: the search's
// precondition. Used in assertions only.
[[maybe_unused]] bool is_propagated_board(const Board& board,
                                          std::int32_t unknown) {
  Board again = board;
  std::int32_t unknown_again = unknown;
  propagate(again, unknown_again);
  return again == board && unknown_again == unknown &&
         unknown == count_unknown(board);
}

}  // namespace

bool first_in_order(const Bands& root, Board& first, std::int64_t budget,
                    std::int64_t& steps) {
  DivePath path;
  path.steps = 0;
  path.depth = 0;
  const Dive quick = dive(root, first, budget, path);
  steps += path.steps;
  if (quick != Dive::kGaveUp) return quick == Dive::kFound;
  Bands bands = root;
  bool known = false;  // `first` holds a completion of `bands`
  unsigned level = 0;  // the next level of `path`, while the descent follows it
  for (unsigned i = 0; i < kCells; ++i) {
    if (((bands.open[i / 27] >> (i % 27)) & 1U) == 0) continue;
    const bool on_path = level < path.depth && path.cell[level] == i;
    // The digits below the one the ordered search reached here have none.
    const unsigned shown_none = on_path ? (1U << path.digit[level]) - 1 : 0;
    const BandDigit taken =
        take_smallest(bands, i, digits_at(bands, i / 27, i % 27) & ~shown_none,
                      first, known, steps);
    if (taken == kNoBandDigit) return false;  // only at the first open cell
    level = on_path && taken == path.digit[level] ? level + 1 : kCells;
  }
  write_board(bands, first);  // no cell of `bands` is open now
  return true;
}

// The first solution comes from first_in_order over Bands: its proofs
// that a smaller digit has no completion search the most constrained cells
// first, where the ordered search would wander row by row. A listing that
// goes on past the first solution asks Bands whether a second exists (most
// puzzles have one solution, and the ordered search would take far longer
// to show it), and only then continues with the ordered search.
SearchEnd search(const Board& parent, std::int32_t unknown,
                 const SolutionReporter& reporter, SearchSeams* seams) {
  assert(check_consistency(parent) == 0 && "search from an inconsistent board");
  assert(unknown > 0 && is_propagated_board(parent, unknown) &&
         "search from an unpropagated board");
  std::int64_t band_steps = 0;
  Bands bands;
  Board first;
  SearchEnd end = SearchEnd::kExhausted;
  if (make_bands(parent, bands) &&
      first_in_order(bands, first, kDiveBudget, band_steps)) {
    if (!reporter.on_solution(first, reporter.context)) {
      end = SearchEnd::kStopped;
    } else if (has_two_completions(bands, band_steps)) {
      end = search_in_order(parent, unknown, first, reporter, seams);
    }
  }
  if (seams != nullptr) seams->band_steps += band_steps;
  return end;
}

}  // namespace solver
