// How a search hands over its solutions and how it ends: the types shared
// by the ordered search, the lister, the counter and their callers.
#ifndef VORTEL_SOLVER_SOLUTION_REPORT_H_
#define VORTEL_SOLVER_SOLUTION_REPORT_H_

#include "solver/board.h"

namespace solver {

/// What a search does with each solution it finds.
struct SolutionReporter {
  /// Called with each complete board, in the search's order (see search),
  /// and `context`. Returns true to go on searching, false to end the
  /// search there.
  bool (*on_solution)(const Board& solution, void* context);
  /// The caller's own state, handed back untouched: a search keeps none of
  /// its caller's state anywhere else, so searches on several threads
  /// each report to their own.
  void* context;
};

/// How a search (or a count) ended.
enum class SearchEnd {
  kExhausted,    // every branch tried
  kStopped,      // the reporter asked to stop
  kOutOfMemory,  // a board or the counter could not be allocated
};

}  // namespace solver

#endif  // VORTEL_SOLVER_SOLUTION_REPORT_H_
