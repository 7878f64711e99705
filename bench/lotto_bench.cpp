// vortel-lotto's answers in-process, per puzzle: --verifica (proof of
// uniqueness) and --risolvi (the first solution, as vortel prints it), from
// the givens as the program gets them; beside them the engine's first
// solution as vortel's search makes it from the propagated board. Numbers
// only, no judgement.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "lotto/answer.h"
#include "solver/bands.h"
#include "solver/completion.h"
#include "solver/consistency.h"
#include "solver/propagate.h"
#include "solver/search.h"
#include "solver/unique.h"

namespace {

const char* const kSets[] = {"bench_17clue.txt", "bench_top1465.txt",
                             "bench_forum_hardest_1106.txt"};

std::vector<base::Puzzle> load_set(const char* name) {
  std::ifstream in(std::string(VORTEL_BENCH_DATA) + "/" + name);
  std::vector<base::Puzzle> puzzles;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 81) continue;
    base::Puzzle p{};
    for (unsigned i = 0; i < 81; ++i) {
      p.cell[i] = line[i] >= '1' && line[i] <= '9'
                      ? static_cast<std::uint8_t>(line[i] - '0')
                      : 0;
    }
    puzzles.push_back(p);
  }
  return puzzles;
}

void per_puzzle(benchmark::State& state, std::size_t puzzles) {
  state.counters["us_per_puzzle"] =
      benchmark::Counter(static_cast<double>(puzzles) * 1e-6,
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
  state.SetLabel(kSets[state.range(0)]);
}

template <lotto::Question kQuestion>
void BM_lotto(benchmark::State& state) {
  const std::vector<base::Puzzle> puzzles = load_set(kSets[state.range(0)]);
  lotto::Answer answer;
  for (auto _ : state) {
    for (const base::Puzzle& p : puzzles) {
      lotto::answer(p, kQuestion, 2, answer);
      benchmark::DoNotOptimize(answer.verdict);
    }
  }
  per_puzzle(state, puzzles.size());
}
BENCHMARK(BM_lotto<lotto::Question::kCheck>)
    ->Name("BM_lotto_verifica")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_lotto<lotto::Question::kSolve>)
    ->Name("BM_lotto_risolvi")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond);

bool stop_at_first(const solver::Board& /*solution*/, void* /*context*/) {
  return false;
}

// The engine's own figure: vortel's way to its first solution, from the
// loaded board: the mathematical process, then the search where the
// process leaves open cells.
void BM_engine_first_solution(benchmark::State& state) {
  std::vector<solver::Board> boards;
  for (const base::Puzzle& p : load_set(kSets[state.range(0)])) {
    solver::Board board;
    for (unsigned i = 0; i < 81; ++i) {
      board[i] =
          p.cell[i] != 0 ? solver::kCodeTable[p.cell[i]] : solver::kLoadMarker;
    }
    boards.push_back(board);
  }
  for (auto _ : state) {
    for (const solver::Board& loaded : boards) {
      solver::Board board = loaded;
      std::int32_t unknown = solver::count_unknown(board);
      solver::propagate(board, unknown);
      if (unknown > 0 && solver::check_consistency(board) == 0) {
        solver::search(board, unknown, {stop_at_first, nullptr});
      }
      benchmark::DoNotOptimize(board);
    }
  }
  per_puzzle(state, boards.size());
}
BENCHMARK(BM_engine_first_solution)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond);

// The givens as the order-free searches take them: empty cells open to
// every digit.
std::vector<solver::Board> open_boards(const char* name) {
  std::vector<solver::Board> boards;
  for (const base::Puzzle& p : load_set(name)) {
    solver::Board board;
    for (unsigned i = 0; i < 81; ++i) {
      board[i] = p.cell[i] != 0 ? solver::kCodeTable[p.cell[i]]
                                : solver::kAllCandidates;
    }
    boards.push_back(board);
  }
  return boards;
}

// The proof of uniqueness alone (up to two solutions), on the core's path
// range(1) (solver::CorePath); a path the machine lacks is skipped.
void BM_core_two(benchmark::State& state) {
  const auto path = static_cast<solver::CorePath>(state.range(1));
  if (!solver::core_path_runs(path)) {
    state.SkipWithError("this machine lacks the path's instructions");
    return;
  }
  const std::vector<solver::Board> boards = open_boards(kSets[state.range(0)]);
  solver::Board first;
  for (auto _ : state) {
    for (const solver::Board& board : boards) {
      benchmark::DoNotOptimize(solver::core_count(board, 2, first, path));
    }
  }
  per_puzzle(state, boards.size());
  state.SetLabel(std::string(kSets[state.range(0)]) + " " +
                 solver::core_path_name(path));
}
BENCHMARK(BM_core_two)
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond);

// The same proof with the engine's order-free search of the base build
// (completion.h), as vortel-lotto made it before the core.
void BM_bands_two(benchmark::State& state) {
  const std::vector<solver::Board> boards = open_boards(kSets[state.range(0)]);
  solver::Board first;
  std::int64_t steps = 0;
  for (auto _ : state) {
    for (const solver::Board& board : boards) {
      solver::Bands bands;
      if (solver::make_bands(board, bands)) {
        benchmark::DoNotOptimize(
            solver::count_completions(bands, 2, first, steps));
      }
    }
  }
  per_puzzle(state, boards.size());
}
BENCHMARK(BM_bands_two)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The core against the engine's order-free search (completion.h) on a
// million random boards, on every path the machine runs: the count up to
// three, and the solution when there is one. The boards are the solutions
// of the 17-clue set cut to 17..40 random givens (one solution or many),
// one in four with a given changed (often none, or clashing givens).
void BM_core_agrees_on_random(benchmark::State& state) {
  std::vector<solver::Board> grids;
  for (const solver::Board& board : open_boards(kSets[0])) {
    solver::Board solution;
    if (solver::core_count(board, 1, solution) == 1) grids.push_back(solution);
  }
  std::mt19937 rng(35);
  long boards = 0;
  long differ = 0;
  long by_count[4] = {0, 0, 0, 0};
  for (auto _ : state) {
    for (long n = 0; n < 1000000; ++n) {
      const solver::Board& grid = grids[rng() % grids.size()];
      solver::Board board;
      const unsigned givens = 17 + rng() % 24;
      for (unsigned i = 0; i < 81; ++i) {
        board[i] = rng() % 81 < givens ? grid[i] : solver::kAllCandidates;
      }
      if (rng() % 4 == 0) {
        const unsigned cell = rng() % 81;
        board[cell] = solver::kCodeTable[1 + rng() % 9];
      }
      solver::Board old_first;
      std::int64_t steps = 0;
      solver::Bands bands;
      const std::int64_t old_count =
          solver::make_bands(board, bands)
              ? solver::count_completions(bands, 3, old_first, steps)
              : 0;
      ++by_count[old_count];
      for (unsigned path = 0; path < solver::kCorePaths; ++path) {
        const auto core_path = static_cast<solver::CorePath>(path);
        if (!solver::core_path_runs(core_path)) continue;
        solver::Board first;
        std::int64_t count = solver::core_count(board, 3, first, core_path);
        if (count < 0) count = 0;
        if (count != old_count || (count == 1 && first != old_first)) ++differ;
      }
      ++boards;
    }
  }
  state.counters["boards"] = static_cast<double>(boards);
  state.counters["differ"] = static_cast<double>(differ);
  for (int k = 0; k < 4; ++k) {
    state.counters["count_" + std::to_string(k)] =
        static_cast<double>(by_count[k]);
  }
}
BENCHMARK(BM_core_agrees_on_random)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
