// Backtracking search over pool boards that carry their derived masks.
#include "solver/search.h"

#include <cassert>
#include <cstdlib>

#include "solver/consistency.h"
#include "solver/propagate.h"
#include "solver/state.h"

namespace solver {

std::array<State*, kCells> g_pool = {};

namespace {

State* allocate_board() {
  return static_cast<State*>(std::malloc(sizeof(State)));
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
    if (unknown != 0) {
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

}  // namespace

SearchSeams g_search_seams = {allocate_board, 0};

SearchEnd search(const Board& parent, int start, std::int32_t& unknown,
                 const SolutionReporter& reporter) {
  assert(check_consistency(parent) == 0 && "search from an inconsistent board");
  assert(unknown > 0 && is_propagated_board(parent, unknown) &&
         "search from an unpropagated board");
  g_root.board = parent;
  derive_masks(g_root);
  unknown = count_unknown(parent);
  SearchEnd end = SearchEnd::kExhausted;
  search_state(g_root, start, unknown, reporter, end);
  return end;
}

}  // namespace solver
