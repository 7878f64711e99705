// The rating ladder over the bundled puzzle sets, in-process, one thread:
// the whole rating of a puzzle (the solution from the engine, then the
// path), per puzzle. Not a test: numbers only.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "logic/ladder.h"
#include "logic/solution.h"

namespace {

std::vector<base::Puzzle> load_set(const std::string& name) {
  std::ifstream in(std::string(VORTEL_BENCH_DATA) + "/" + name);
  std::vector<base::Puzzle> puzzles;
  for (std::string line; std::getline(in, line);) {
    if (line.size() < 81) continue;
    base::Puzzle p{};
    for (int i = 0; i < 81; ++i) {
      const char ch = line[static_cast<std::size_t>(i)];
      p.cell[i] =
          ch >= '1' && ch <= '9' ? static_cast<std::uint8_t>(ch - '0') : 0;
    }
    puzzles.push_back(p);
  }
  return puzzles;
}

void rate_set(benchmark::State& state, const char* name) {
  const std::vector<base::Puzzle> puzzles = load_set(name);
  std::size_t i = 0;
  int above = 0;
  for (auto _ : state) {
    const base::Puzzle& p = puzzles[i++ % puzzles.size()];
    base::Puzzle solution{};
    if (logic::solve(p, solution) != logic::Solutions::kOne) continue;
    const logic::Rating r = logic::rate(logic::make_grid(p), solution, {});
    above += r.outcome == logic::Outcome::kSolved ? 0 : 1;
    benchmark::DoNotOptimize(r.er);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["above_ladder"] =
      benchmark::Counter(above, benchmark::Counter::kAvgIterations);
}

void BM_rate_17clue(benchmark::State& state) {
  rate_set(state, "bench_17clue.txt");
}
void BM_rate_top1465(benchmark::State& state) {
  rate_set(state, "bench_top1465.txt");
}

// The hardest sets, which the nested chains rate: seconds a puzzle, so a
// sample (the first 20 of each) once, with the median and the slowest.
void rate_hardest(benchmark::State& state, const char* name) {
  const std::vector<base::Puzzle> puzzles = load_set(name);
  std::vector<double> seconds;
  std::size_t i = 0;
  int above = 0;
  for (auto _ : state) {
    const base::Puzzle& p = puzzles[i++ % puzzles.size()];
    const std::clock_t start = std::clock();
    base::Puzzle solution{};
    if (logic::solve(p, solution) != logic::Solutions::kOne) continue;
    const logic::Rating r = logic::rate(logic::make_grid(p), solution, {});
    above += r.outcome == logic::Outcome::kSolved ? 0 : 1;
    benchmark::DoNotOptimize(r.er);
    seconds.push_back(static_cast<double>(std::clock() - start) /
                      CLOCKS_PER_SEC);
  }
  std::sort(seconds.begin(), seconds.end());
  state.counters["above_ladder"] = above;
  if (seconds.empty()) return;
  state.counters["median_s"] = seconds[seconds.size() / 2];
  state.counters["max_s"] = seconds.back();
}

void BM_rate_hardest_1106(benchmark::State& state) {
  rate_hardest(state, "bench_forum_hardest_1106.txt");
}
void BM_rate_hardest_11plus(benchmark::State& state) {
  rate_hardest(state, "bench_forum_hardest_1905_11plus.txt");
}

BENCHMARK(BM_rate_17clue)->Unit(benchmark::kMicrosecond)->Iterations(3000);
BENCHMARK(BM_rate_top1465)->Unit(benchmark::kMicrosecond)->Iterations(600);
BENCHMARK(BM_rate_hardest_1106)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_rate_hardest_11plus)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace
