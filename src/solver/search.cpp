// Backtracking search over pool boards that carry their derived masks.
#include "solver/search.h"

#include <cassert>

#include "solver/bands.h"
#include "solver/consistency.h"
#include "solver/lister.h"
#include "solver/propagate.h"
#include "solver/seams.h"
#include "solver/state.h"
#include "solver/tuning.h"

namespace solver {

std::array<State*, kCells> g_pool = {};

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
Oracle g_oracle = {0, 0, 0, false, {}};

// True when every determined cell of `work` agrees with the last known
// completion.
bool completion_known(const State& work) {
  if (!g_oracle.known) return false;
  for (unsigned i = 0; i < kCells; ++i) {
    if (is_determined(work.board[i]) &&
        work.board[i] != g_oracle.completion[i]) {
      return false;
    }
  }
  return true;
}

// Whether the subtree of the trial `work` may be skipped: it has no
// completion.
bool holds_no_solution(const State& work) {
  if (g_oracle.trials < kOracleAfterTrials) return false;
  if (g_oracle.asked >= kOracleTrialAnswers &&
      g_oracle.pruned * kOraclePrunesOneIn < g_oracle.asked) {
    return false;
  }
  if (completion_known(work)) return false;
  ++g_oracle.asked;
  Bands bands;
  if (make_bands(work.board, bands) &&
      find_completion(bands, g_oracle.completion)) {
    g_oracle.known = true;
    return false;
  }
  ++g_oracle.pruned;
  return true;
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

// The search proper. `unknown` equals the number of open cells of `parent`
// on entry (every caller keeps the count in step with its board), so each
// trial starts from that figure instead of counting the copy again.
// Returns false when the search must end (stopped, or out of memory).
bool search_state(const State& parent, int start, std::int32_t& unknown,
                  const SolutionReporter& reporter, SearchEnd& end) {
  assert(state_is_propagated(parent) && "search from an unpropagated board");
  int k = start;
  while (is_determined(parent.board[static_cast<unsigned>(k)])) ++k;
  State*& slot = g_pool[static_cast<unsigned>(k)];
  if (slot == nullptr) {
    slot = g_search_seams.allocate_board();
    if (slot == nullptr) {
      end = SearchEnd::kOutOfMemory;
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
    ++g_search_seams.trial_count;
    ++g_oracle.trials;
    work = parent;
    unknown = parent_unknown;
    work.board[static_cast<unsigned>(k)] = code_of(digit);
    mark_determined(work, k, digit);
    --unknown;
    propagate_after_assignment(work, k, digit, unknown);
    // The state's conflict flag is check_consistency's verdict, kept up to
    // date as cells became determined, so the board need not be scanned.
    assert(work.conflict == (check_consistency(work.board) != 0) &&
           "conflict flag out of step with the board");
    assert(unknown == count_unknown(work.board) &&
           "unknown count out of step with the board");
    if (work.conflict || work.dead) continue;
    if (unknown != 0 && holds_no_solution(work)) continue;
    if (unknown != 0 && unknown <= kListSmallOpen) {
      const SearchEnd listed = list_completions(work, reporter);
      if (listed != SearchEnd::kExhausted) {
        end = listed;
        return false;
      }
    } else if (unknown != 0) {
      if (!search_state(work, k + 1, unknown, reporter, end)) return false;
    } else if (!reporter.on_solution(work.board)) {
      end = SearchEnd::kStopped;
      return false;
    }
  }
  return true;
}

// The root of the search: the one board that has no masks yet.
State g_root;

// A listing goes on after the first solution with the ordered search,
// whose first solution was reported already: it is passed over. Debug
// builds check that the two searches agree on it.
bool (*g_listing)(const Board& solution) = nullptr;
bool g_pass_over = false;
Board g_reported;

bool list_after_first(const Board& solution) {
  if (g_pass_over) {
    assert(solution == g_reported &&
           "the two searches' first solutions differ");
    g_pass_over = false;
    return true;
  }
  return g_listing(solution);
}

SearchEnd search_in_order(const Board& parent, int start, std::int32_t& unknown,
                          const SolutionReporter& reporter) {
  g_oracle.trials = 0;
  g_oracle.asked = 0;
  g_oracle.pruned = 0;
  g_oracle.known = false;
  g_root.board = parent;
  derive_masks(g_root);
  unknown = count_unknown(parent);
  SearchEnd end = SearchEnd::kExhausted;
  search_state(g_root, start, unknown, reporter, end);
  return end;
}

}  // namespace

// The first solution comes from first_in_order over Bands: its proofs
// that a smaller digit has no completion search the most constrained cells
// first, where the ordered search would wander row by row. A listing that
// goes on past the first solution asks Bands whether a second exists (most
// puzzles have one solution, and the ordered search would take far longer
// to show it), and only then continues with the ordered search.
SearchEnd search(const Board& parent, int start, std::int32_t& unknown,
                 const SolutionReporter& reporter) {
  assert(check_consistency(parent) == 0 && "search from an inconsistent board");
  assert(unknown > 0 && is_propagated_board(parent, unknown) &&
         "search from an unpropagated board");
  Bands bands;
  Board first;
  if (!make_bands(parent, bands) ||
      !first_in_order(bands, first, kDiveBudget)) {
    return SearchEnd::kExhausted;
  }
  if (!reporter.on_solution(first)) return SearchEnd::kStopped;
  if (!has_two_completions(bands)) return SearchEnd::kExhausted;
  g_listing = reporter.on_solution;
  g_pass_over = true;
  g_reported = first;
  return search_in_order(parent, start, unknown, {list_after_first});
}

}  // namespace solver
