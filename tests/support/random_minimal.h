// Random minimal puzzles for the tools and benchmarks that want puzzles
// nobody chose: givens added at random until the solution is unique, then
// each taken away again, in random order, that is not needed.
#ifndef VORTEL_TESTS_SUPPORT_RANDOM_MINIMAL_H_
#define VORTEL_TESTS_SUPPORT_RANDOM_MINIMAL_H_

#include <algorithm>
#include <cstdint>
#include <random>

#include "base/cells.h"
#include "logic/solution.h"

inline base::Puzzle random_minimal(std::mt19937& rng) {
  base::Puzzle p{};
  base::Puzzle solution{};
  for (;;) {
    const auto cell = static_cast<int>(rng() % 81);
    if (p.cell[cell] != 0) continue;
    p.cell[cell] = static_cast<std::uint8_t>(1 + rng() % 9);
    const logic::Solutions found = logic::solve(p, solution);
    if (found == logic::Solutions::kNone) p.cell[cell] = 0;
    if (found == logic::Solutions::kOne) break;
  }
  int order[81];
  for (int i = 0; i < 81; ++i) order[i] = i;
  std::shuffle(order, order + 81, rng);
  for (const int cell : order) {
    const std::uint8_t kept = p.cell[cell];
    if (kept == 0) continue;
    p.cell[cell] = 0;
    if (logic::solve(p, solution) != logic::Solutions::kOne) {
      p.cell[cell] = kept;
    }
  }
  return p;
}

#endif  // VORTEL_TESTS_SUPPORT_RANDOM_MINIMAL_H_
