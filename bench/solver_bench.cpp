// Microbenchmarks of the solver's hot operations over the bundled puzzle
// sets, and of whole searches (reported per trial). Not a test: numbers
// only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../tests/reference/plain_solver.h"
#include "board_operations.h"
#include "solver/candidates.h"
#include "solver/consistency.h"
#include "solver/count.h"
#include "solver/propagate.h"
#include "solver/seams.h"
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
                             "bench_top1465.txt",
                             "bench_forum_hardest_1106.txt"};

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
  on_loaded_boards<support::candidate_pass>(state);
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

bool go_on(const Board& /*solution*/, void* /*context*/) {
  return true;
}

// Whole searches visiting every solution of each puzzle of a set, with the
// real search. Reported per trial.
void BM_search_count_all(benchmark::State& state) {
  const std::vector<Board> boards = propagated(load_set(kSets[state.range(0)]));
  const solver::SolutionReporter reporter = {go_on, nullptr};
  std::int64_t trials = 0;
  for (auto _ : state) {
    solver::SearchSeams seams;
    for (const Board& board : boards) {
      solver::search(board, solver::count_unknown(board), reporter, &seams);
    }
    trials += seams.trials;
  }
  state.counters["trials_per_s"] = benchmark::Counter(
      static_cast<double>(trials), benchmark::Counter::kIsRate);
  state.counters["us_per_trial"] = benchmark::Counter(
      static_cast<double>(trials) * 1e-6,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetLabel(kSets[state.range(0)]);
}
BENCHMARK(BM_search_count_all)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

bool stop_at_first(const Board& /*solution*/, void* /*context*/) {
  return false;
}

// The first solution of every puzzle of a set that logic alone does not
// solve, as the default mode finds it: time and trials per puzzle.
void BM_first_solution(benchmark::State& state) {
  const std::vector<Board> boards = propagated(load_set(kSets[state.range(0)]));
  std::int64_t trials = 0;
  std::int64_t steps = 0;
  std::int64_t band_steps = 0;
  for (auto _ : state) {
    solver::SearchSeams seams;
    for (const Board& board : boards) {
      solver::search(board, solver::count_unknown(board),
                     {stop_at_first, nullptr}, &seams);
    }
    trials = seams.trials;
    steps = seams.small_steps;
    band_steps = seams.band_steps;
  }
  const double n = static_cast<double>(boards.size());
  state.counters["us_per_puzzle"] = benchmark::Counter(
      n * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                    benchmark::Counter::kInvert);
  state.counters["trials_per_puzzle"] = static_cast<double>(trials) / n;
  state.counters["small_steps_per_puzzle"] = static_cast<double>(steps) / n;
  state.counters["band_steps_per_puzzle"] = static_cast<double>(band_steps) / n;
  state.SetLabel(kSets[state.range(0)]);
}
BENCHMARK(BM_first_solution)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The same with the plain reference implementation of the search (no
// pruning, no derived masks): what the search cost before it was made fast
// and before it pruned. Its trial counts are the plain search's own.
void BM_plain_first_solution(benchmark::State& state) {
  const std::vector<Board> loaded = load_set(kSets[state.range(0)]);
  std::vector<Board> boards;
  for (const Board& board : loaded) {
    Board b = board;
    std::int32_t unknown = solver::count_unknown(b);
    solver::propagate(b, unknown);
    if (unknown > 0 && solver::check_consistency(b) == 0)
      boards.push_back(board);
  }
  std::int64_t trials = 0;
  for (auto _ : state) {
    trials = 0;
    for (const Board& board : boards) {
      std::int64_t made = 0;
      benchmark::DoNotOptimize(plain::solutions(board, 1, &made));
      trials += made;
    }
  }
  const double n = static_cast<double>(boards.size());
  state.counters["us_per_puzzle"] = benchmark::Counter(
      n * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                    benchmark::Counter::kInvert);
  state.counters["trials_per_puzzle"] = static_cast<double>(trials) / n;
  state.SetLabel(kSets[state.range(0)]);
}
BENCHMARK(BM_plain_first_solution)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

// The multi-solution puzzles (bench/data/multi_solution_counts.tsv) by
// their line: the count mode's counter, and the ordered search visiting
// every solution (the -S path, and the way the count mode counted before
// its counter; no pruning fires on these puzzles, so its trials are the
// earlier search's).
std::vector<std::pair<Board, long>> multi_puzzles() {
  std::ifstream in(std::string(VORTEL_BENCH_DATA) +
                   "/multi_solution_counts.tsv");
  std::vector<std::pair<Board, long>> puzzles;
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    const std::string puzzle = line.substr(line.rfind('\t') + 1);
    Board board;
    for (int i = 0; i < 81; ++i) {
      const char ch = puzzle[static_cast<unsigned>(i)];
      board[static_cast<unsigned>(i)] = (ch >= '1' && ch <= '9')
                                            ? solver::kCodeTable[ch - '0']
                                            : solver::kLoadMarker;
    }
    std::int32_t unknown = solver::count_unknown(board);
    solver::propagate(board, unknown);
    puzzles.emplace_back(board, std::stol(line));
  }
  return puzzles;
}

void no_milestone(std::int64_t /*count*/, void* /*context*/) {}

void BM_count(benchmark::State& state) {
  const auto [board, expected] =
      multi_puzzles()[static_cast<std::size_t>(state.range(0))];
  std::int64_t count = 0;
  std::int64_t steps = 0;
  for (auto _ : state) {
    solver::SearchSeams seams;
    solver::count_solutions(board, solver::count_unknown(board),
                            {10000, no_milestone, nullptr}, count, &seams);
    steps = seams.small_steps;
  }
  if (count != expected) state.SkipWithError("miscounted");
  state.counters["solutions"] = static_cast<double>(count);
  state.counters["small_steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_count)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);

void BM_ordered_all(benchmark::State& state) {
  const auto [board, expected] =
      multi_puzzles()[static_cast<std::size_t>(state.range(0))];
  solver::SearchSeams seams;
  for (auto _ : state) {
    seams = solver::SearchSeams{};
    solver::search(board, solver::count_unknown(board), {go_on, nullptr},
                   &seams);
  }
  state.counters["solutions"] = static_cast<double>(expected);
  state.counters["trials"] = static_cast<double>(seams.trials);
  state.counters["small_steps"] = static_cast<double>(seams.small_steps);
}
BENCHMARK(BM_ordered_all)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);

}  // namespace
