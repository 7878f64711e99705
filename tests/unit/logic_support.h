// What the rating ladder's tests share: a puzzle written as 81 characters
// ('1'-'9' a digit, anything else an empty cell), and the grid a puzzle's
// path has reached after a number of steps.
#ifndef VORTEL_TESTS_UNIT_LOGIC_SUPPORT_H_
#define VORTEL_TESTS_UNIT_LOGIC_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "logic/grid.h"
#include "logic/ladder.h"
#include "logic/solution.h"

namespace test {

inline base::Puzzle digits_of(const char* text) {
  base::Puzzle p{};
  for (int i = 0; i < 81; ++i) {
    const char c = text[i];
    p.cell[i] = c >= '1' && c <= '9' ? static_cast<std::uint8_t>(c - '0') : 0;
  }
  return p;
}

inline base::Puzzle digits_of(const std::string& text) {
  return digits_of(text.c_str());
}

// The grid after the first `steps` steps of the puzzle's path.
inline logic::Grid after(const char* puzzle, int steps) {
  logic::Grid g = logic::make_grid(digits_of(puzzle));
  for (int s = 0; s < steps; ++s) {
    logic::Step step;
    EXPECT_TRUE(logic::next_step(g, logic::kAllTechniques, step));
    logic::apply(g, step);
  }
  return g;
}

}  // namespace test

#endif  // VORTEL_TESTS_UNIT_LOGIC_SUPPORT_H_
