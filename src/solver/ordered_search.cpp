// The ordered backtracking over work boards that carry their derived
// masks.
#include "solver/ordered_search.h"

#include <array>
#include <cassert>
#include <cstdlib>

#include "solver/bands.h"
#include "solver/completion.h"
#include "solver/consistency.h"
#include "solver/lister.h"
#include "solver/propagate.h"
#include "solver/small_problem.h"
#include "solver/state.h"
#include "solver/tuning.h"

namespace solver {

static_assert(kListSmallOpen <= kMaxSmallCells,
              "the lister takes at most kMaxSmallCells open cells");

namespace {

// Past kOracleAfterTrials trials of one search, each trial that survives
// propagation is first asked whether it has any completion at all (the
// order-free search over Bands, find_completion); a subtree that has none is
// skipped whole, where the row-major order could wander in it for thousands of
// trials. The answer is exact, so nothing the search reports changes. The
// question is kept only while it pays (see tuning.h).
//
// Each "yes" comes with a complete board, and a trial whose determined
// cells all agree with the last such board has that board as a completion
// too (propagation only deduces what every completion agrees with): it
// needs no question. Along the path to the first solution that spares
// asking again at every level.
struct Oracle {
  std::int64_t trials;  // trials of this search so far
  std::int64_t asked;
  std::int64_t pruned;
  bool known;  // `completion` holds the last "yes"'s board
  Board completion;
};

// Everything one search works with, passed down by reference: nothing of
// it outlives the call or is seen by another.
struct OrderedSearch {
  const SolutionReporter* reporter;  // the caller's
  // The ordered search's first solution was reported already, by
  // first_in_order: it is passed over. Debug builds check that the two
  // searches agree on it.
  bool pass_over;
  Board reported;
  Oracle oracle;
  // One work board per cell index, allocated the first time the search
  // branches on that index and released when the search ends.
  std::array<State*, kCells> pool;
  State* (*allocate_board)();
  std::int64_t trials;
  std::int64_t small_steps;
  std::int64_t band_steps;
  SearchEnd end;
  State root;  // the one board that has no masks yet
};

State* allocate_board() {
  return static_cast<State*>(std::malloc(sizeof(State)));
}

// True when every determined cell of `work` agrees with the last known
// completion.
bool completion_known(const Oracle& oracle, const State& work) {
  if (!oracle.known) return false;
  for (unsigned i = 0; i < kCells; ++i) {
    if (is_determined(work.board[i]) && work.board[i] != oracle.completion[i]) {
      return false;
    }
  }
  return true;
}

// Whether the subtree of the trial `work` may be skipped: it has no
// completion.
bool holds_no_solution(OrderedSearch& search, const State& work) {
  Oracle& oracle = search.oracle;
  if (oracle.trials < kOracleAfterTrials) return false;
  if (oracle.asked >= kOracleTrialAnswers &&
      oracle.pruned * kOraclePrunesOneIn < oracle.asked) {
    return false;
  }
  if (completion_known(oracle, work)) return false;
  ++oracle.asked;
  Bands bands;
  if (make_bands(work.board, bands) &&
      find_completion(bands, oracle.completion, search.band_steps)) {
    oracle.known = true;
    return false;
  }
  ++oracle.pruned;
  return true;
}

// Hands a solution of the ordered search to the caller, except the first,
// which was reported already.
bool report_in_order(const Board& solution, void* context) {
  OrderedSearch& search = *static_cast<OrderedSearch*>(context);
  if (search.pass_over) {
    assert(solution == search.reported &&
           "the two searches' first solutions differ");
    search.pass_over = false;
    return true;
  }
  return search.reporter->on_solution(solution, search.reporter->context);
}

// The search proper. `unknown` equals the number of open cells of `parent`
// on entry (every caller keeps the count in step with its board), so each
// trial starts from that figure instead of counting the copy again.
// Returns false when the search must end (stopped, or out of memory).
bool search_state(OrderedSearch& search, const State& parent, int start,
                  std::int32_t& unknown) {
  assert(state_is_propagated(parent) && "search from an unpropagated board");
  int k = start;
  while (is_determined(parent.board[static_cast<unsigned>(k)])) ++k;
  State*& slot = search.pool[static_cast<unsigned>(k)];
  if (slot == nullptr) {
    slot = search.allocate_board();
    if (slot == nullptr) {
      search.end = SearchEnd::kOutOfMemory;
      return false;
    }
  }
  State& work = *slot;
  const std::int32_t parent_unknown = unknown;
  // The candidates of cell k, in increasing digit order: the digits whose
  // codes divide its candidate product.
  Mask candidates = parent.cand[static_cast<unsigned>(k)];
  while (candidates != 0) {
    const Digit digit = lowest_digit(candidates);
    candidates = static_cast<Mask>(candidates & (candidates - 1));
    ++search.trials;
    ++search.oracle.trials;
    unknown = parent_unknown;
    const bool survives = try_digit(parent, work, k, digit, unknown);
    // The state's conflict flag is check_consistency's verdict, kept up to
    // date as cells became determined, so the board need not be scanned.
    assert(work.conflict == (check_consistency(work.board) != 0) &&
           "conflict flag out of step with the board");
    assert(unknown == count_unknown(work.board) &&
           "unknown count out of step with the board");
    if (!survives) continue;
    if (unknown != 0 && holds_no_solution(search, work)) continue;
    if (unknown != 0 && unknown <= kListSmallOpen) {
      const SearchEnd listed = list_completions(
          work, {report_in_order, &search}, search.small_steps);
      if (listed != SearchEnd::kExhausted) {
        search.end = listed;
        return false;
      }
    } else if (unknown != 0) {
      if (!search_state(search, work, k + 1, unknown)) return false;
    } else if (!report_in_order(work.board, &search)) {
      search.end = SearchEnd::kStopped;
      return false;
    }
  }
  return true;
}

// The ordered search from `parent`, passing over its first solution.
void run(OrderedSearch& search, const Board& parent, std::int32_t unknown) {
  search.oracle.trials = 0;
  search.oracle.asked = 0;
  search.oracle.pruned = 0;
  search.oracle.known = false;
  search.pool.fill(nullptr);
  search.root.board = parent;
  derive_masks(search.root);
  search.end = SearchEnd::kExhausted;
  search_state(search, search.root, 0, unknown);
  for (State* board : search.pool) std::free(board);
}

}  // namespace

SearchEnd search_in_order(const Board& parent, std::int32_t unknown,
                          const Board& first, const SolutionReporter& reporter,
                          SearchSeams* seams) {
  OrderedSearch search;
  search.reporter = &reporter;
  search.pass_over = true;
  search.reported = first;
  search.allocate_board = seams != nullptr && seams->allocate_board
                              ? seams->allocate_board
                              : allocate_board;
  search.trials = 0;
  search.small_steps = 0;
  search.band_steps = 0;
  run(search, parent, unknown);
  if (seams != nullptr) {
    seams->trials += search.trials;
    seams->small_steps += search.small_steps;
    seams->band_steps += search.band_steps;
  }
  return search.end;
}

}  // namespace solver
