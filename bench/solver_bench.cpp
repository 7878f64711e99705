// Microbenchmarks of the solver's hot operations over the bundled puzzle
// sets, and of whole searches (reported per trial). Not a test: numbers
// only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "solver/candidates.h"
#include "solver/consistency.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "solver/state.h"

namespace {

using solver::Board;

std::vector<Board> load_set(const std::string& name) {
  std::ifstream in(std::string(VORTEL_BENCH_DATA) + "/" + name);
  std::vector<Board> boards;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 81) continue;
    Board board;
    for (int i = 0; i < 81; ++i) {
      const char ch = line[i];
      board[i] = (ch >= '1' && ch <= '9') ? solver::kCodeTable[ch - '0']
                                          : solver::kLoadMarker;
    }
    boards.push_back(board);
  }
  return boards;
}

// Each set as the search meets it: propagated once, open cells left.
std::vector<Board> propagated(const std::vector<Board>& loaded) {
  std::vector<Board> boards;
  for (Board board : loaded) {
    std::int32_t unknown = solver::count_unknown(board);
    solver::propagate(board, unknown);
    if (unknown > 0 && solver::check_consistency(board) == 0) {
      boards.push_back(board);
    }
  }
  return boards;
}

const char* const kSets[] = {"hard_for_search.txt", "bench_17clue.txt",
                             "bench_top1465.txt"};

// One operation on each loaded puzzle of a set in turn.
template <void (*Operation)(Board&, std::int32_t&)>
void on_loaded_boards(benchmark::State& state) {
  const std::vector<Board> boards = load_set(kSets[state.range(0)]);
  std::size_t i = 0;
  for (auto _ : state) {
    Board board = boards[i++ % boards.size()];
    std::int32_t unknown = solver::count_unknown(board);
    Operation(board, unknown);
    benchmark::DoNotOptimize(board);
  }
  state.SetLabel(kSets[state.range(0)]);
}

void BM_candidate_pass(benchmark::State& state) {
  on_loaded_boards<solver::candidate_pass>(state);
}
BENCHMARK(BM_candidate_pass)->DenseRange(0, 2);

void BM_propagate(benchmark::State& state) {
  on_loaded_boards<solver::propagate>(state);
}
BENCHMARK(BM_propagate)->DenseRange(0, 2);

void BM_check_consistency(benchmark::State& state) {
  const std::vector<Board> boards = propagated(load_set(kSets[state.range(0)]));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        solver::check_consistency(boards[i++ % boards.size()]));
  }
  state.SetLabel(kSets[state.range(0)]);
}
BENCHMARK(BM_check_consistency)->DenseRange(0, 2);

// One search trial as the search makes it: copy the parent (board and
// masks), assign the first candidate of the first open cell, propagate
// from that assignment, read the conflict flag.
void BM_search_trial(benchmark::State& state) {
  std::vector<solver::State> parents;
  for (const Board& board : propagated(load_set(kSets[state.range(0)]))) {
    solver::State parent;
    parent.board = board;
    solver::derive_masks(parent);
    parents.push_back(parent);
  }
  solver::State work;
  std::size_t i = 0;
  for (auto _ : state) {
    const solver::State& parent = parents[i++ % parents.size()];
    int k = 0;
    while (solver::is_determined(parent.board[k])) ++k;
    const solver::Digit digit = solver::lowest_digit(parent.cand[k]);
    work = parent;
    std::int32_t unknown = solver::count_unknown(work.board) - 1;
    work.board[k] = solver::code_of(digit);
    solver::mark_determined(work, k, digit);
    solver::propagate_after_assignment(work, k, digit, unknown);
    benchmark::DoNotOptimize(work.conflict);
  }
  state.SetLabel(kSets[state.range(0)]);
}
BENCHMARK(BM_search_trial)->DenseRange(0, 2);

bool go_on(const Board& /*solution*/) {
  return true;
}

// Whole searches visiting every solution of each puzzle of a set, with the
// real search. Reported per trial.
void BM_search_count_all(benchmark::State& state) {
  const std::vector<Board> boards = propagated(load_set(kSets[state.range(0)]));
  const solver::SolutionReporter reporter = {go_on};
  std::int64_t trials = 0;
  for (auto _ : state) {
    solver::g_search_seams.trial_count = 0;
    for (const Board& board : boards) {
      std::int32_t unknown = solver::count_unknown(board);
      solver::search(board, 0, unknown, reporter);
    }
    trials += solver::g_search_seams.trial_count;
  }
  state.counters["trials_per_s"] = benchmark::Counter(
      static_cast<double>(trials), benchmark::Counter::kIsRate);
  state.counters["us_per_trial"] = benchmark::Counter(
      static_cast<double>(trials) * 1e-6,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetLabel(kSets[state.range(0)]);
}
BENCHMARK(BM_search_count_all)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
