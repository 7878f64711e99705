// The canonical form per puzzle and per grid, both definitions, over the
// bundled sets and over puzzles made here (random minimal ones, 30 to 40
// givens, full grids); and the plain reference's agreement on a sample.
// Not a test: numbers only ("per_puzzle" is CPU time per puzzle,
// "per_second" puzzles or grids a second on one core).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../tests/reference/canon_reference.h"
#include "../tests/support/random_minimal.h"
#include "canon/canon.h"
#include "logic/solution.h"

namespace {

using Set = std::vector<base::Puzzle>;

Set load(const std::string& name) {
  std::ifstream in(std::string(VORTEL_BENCH_DATA) + "/" + name);
  Set set;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 81) continue;
    base::Puzzle p{};
    for (int i = 0; i < 81; ++i) {
      const char c = line[static_cast<std::size_t>(i)];
      p.cell[i] = c >= '1' && c <= '9' ? static_cast<std::uint8_t>(c - '0') : 0;
    }
    set.push_back(p);
  }
  return set;
}

// The solutions of the 17-clue and top1465 puzzles: 600 grids.
const Set& grids() {
  static const Set set = [] {
    Set out;
    for (const char* name : {"bench_17clue.txt", "bench_top1465.txt"}) {
      for (const base::Puzzle& p : load(name)) {
        base::Puzzle s{};
        if (logic::solve(p, s) == logic::Solutions::kOne) out.push_back(s);
      }
    }
    return out;
  }();
  return set;
}

// 30 to 40 cells of each grid kept at random.
const Set& dense() {
  static const Set set = [] {
    std::mt19937 rng(30);
    Set out;
    for (const base::Puzzle& g : grids()) {
      int order[81];
      for (int i = 0; i < 81; ++i) order[i] = i;
      std::shuffle(order, order + 81, rng);
      base::Puzzle p{};
      const int keep = 30 + static_cast<int>(rng() % 11);
      for (int i = 0; i < keep; ++i) p.cell[order[i]] = g.cell[order[i]];
      out.push_back(p);
    }
    return out;
  }();
  return set;
}

const Set& minimal_set() {
  static const Set set = [] {
    std::mt19937 rng(34);
    Set out;
    for (int i = 0; i < 300; ++i) out.push_back(random_minimal(rng));
    return out;
  }();
  return set;
}

void run(benchmark::State& state, const Set& set, canon::Definition d) {
  unsigned sink = 0;
  for (auto _ : state) {
    for (const base::Puzzle& p : set) {
      sink += canon::canonical_form(p, d).form.cell[80];
    }
  }
  benchmark::DoNotOptimize(sink);
  const auto n = static_cast<double>(set.size() * state.iterations());
  state.counters["per_puzzle"] = benchmark::Counter(
      n, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["per_second"] =
      benchmark::Counter(n, benchmark::Counter::kIsRate);
}

void canon_form(benchmark::State& state, const char* which,
                canon::Definition d) {
  const std::string w = which;
  static const Set seventeen = load("bench_17clue.txt");
  static const Set top = load("bench_top1465.txt");
  const Set& set = w == "17clue"    ? seventeen
                   : w == "top1465" ? top
                   : w == "minimal" ? minimal_set()
                   : w == "30plus"  ? dense()
                                    : grids();
  run(state, set, d);
}

void canon_automorphisms(benchmark::State& state) {
  long sink = 0;
  for (auto _ : state) {
    for (const base::Puzzle& g : grids()) sink += canon::automorphisms(g);
  }
  benchmark::DoNotOptimize(sink);
  state.counters["per_second"] = benchmark::Counter(
      static_cast<double>(grids().size() * state.iterations()),
      benchmark::Counter::kIsRate);
}

// The plain reference on the first puzzles of each made set and a few of
// the bundled ones: "differ" counts the forms that are not the
// reference's (0 expected), "per_puzzle" the time per form of both.
void reference_agreement(benchmark::State& state) {
  Set sample;
  for (const Set* set : {&minimal_set(), &dense(), &grids()}) {
    sample.insert(sample.end(), set->begin(), set->begin() + 10);
  }
  const Set top = load("bench_top1465.txt");
  sample.insert(sample.end(), top.begin() + 100, top.begin() + 110);
  long differ = 0;
  for (auto _ : state) {
    for (const base::Puzzle& p : sample) {
      for (const canon::Definition d :
           {canon::Definition::kMinlex, canon::Definition::kPattern}) {
        differ +=
            canon::canonical_form(p, d).form == plain::canonical_form(p, d).form
                ? 0
                : 1;
      }
    }
  }
  state.counters["differ"] = static_cast<double>(differ);
  state.counters["per_puzzle"] = benchmark::Counter(
      static_cast<double>(2 * sample.size() * state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK_CAPTURE(canon_form, minlex_17clue, "17clue",
                  canon::Definition::kMinlex);
BENCHMARK_CAPTURE(canon_form, minlex_minimal, "minimal",
                  canon::Definition::kMinlex);
BENCHMARK_CAPTURE(canon_form, minlex_top1465, "top1465",
                  canon::Definition::kMinlex);
BENCHMARK_CAPTURE(canon_form, minlex_30plus, "30plus",
                  canon::Definition::kMinlex);
BENCHMARK_CAPTURE(canon_form, minlex_grids, "grids",
                  canon::Definition::kMinlex);
BENCHMARK_CAPTURE(canon_form, pattern_17clue, "17clue",
                  canon::Definition::kPattern);
BENCHMARK_CAPTURE(canon_form, pattern_minimal, "minimal",
                  canon::Definition::kPattern);
BENCHMARK_CAPTURE(canon_form, pattern_top1465, "top1465",
                  canon::Definition::kPattern);
BENCHMARK_CAPTURE(canon_form, pattern_30plus, "30plus",
                  canon::Definition::kPattern);
BENCHMARK(canon_automorphisms);
BENCHMARK(reference_agreement)->Iterations(1)->Unit(benchmark::kMillisecond);
