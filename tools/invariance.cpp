// Rates puzzles in many orientations and counts the ratings that differ: a
// rating must depend only on the puzzle's structure, not on how its digits
// are labelled or its rows, columns, bands and stacks ordered, nor on its
// transposition.
//
//   vortel_invariance FILE [PUZZLES] [VARIANTS] [SEED]
//   vortel_invariance --generate COUNT [VARIANTS] [SEED]
//
// FILE: the first PUZZLES puzzles (all: 0) of a file, a puzzle the first 81
// characters of a line, each rated as it stands and in VARIANTS random
// orientations (default 10). --generate: COUNT random minimal puzzles made
// here. Prints every difference, then the counts; exit status 0 (1: the
// file or the output failed).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "logic/ladder.h"
#include "logic/solution.h"
#include "random_minimal.h"
#include "symmetry.h"

namespace {

base::Puzzle digits_of(const std::string& text) {
  base::Puzzle p{};
  for (int i = 0; i < 81; ++i) {
    const char c = text[static_cast<std::size_t>(i)];
    p.cell[i] = c >= '1' && c <= '9' ? static_cast<std::uint8_t>(c - '0') : 0;
  }
  return p;
}

// ER/EP/ED in tenths as one number; -1 when the puzzle has no single
// solution, -2 when the path stuck.
long rating_of(const std::string& puzzle) {
  const base::Puzzle digits = digits_of(puzzle);
  base::Puzzle solution{};
  if (logic::solve(digits, solution) != logic::Solutions::kOne) return -1;
  logic::RateOptions options;
  options.workspace = &logic::thread_workspace();
  const logic::Rating r =
      logic::rate(logic::make_grid(digits), solution, options);
  if (r.outcome != logic::Outcome::kSolved || r.unsound != 0) return -2;
  return (static_cast<long>(r.er) * 1000 + r.ep) * 1000 + r.ed;
}

void print_rating(long code) {
  if (code < 0) {
    std::printf("%s", code == -1 ? "unsolvable" : "stuck");
    return;
  }
  const long er = code / 1000000;
  const long ep = code / 1000 % 1000;
  const long ed = code % 1000;
  std::printf("ED=%ld.%ld/%ld.%ld/%ld.%ld", er / 10, er % 10, ep / 10, ep % 10,
              ed / 10, ed % 10);
}

// A random minimal puzzle, as text.
std::string generated(std::mt19937& rng) {
  const base::Puzzle p = random_minimal(rng);
  std::string text(81, '.');
  for (int i = 0; i < 81; ++i) {
    if (p.cell[i] != 0)
      text[static_cast<std::size_t>(i)] = static_cast<char>('0' + p.cell[i]);
  }
  return text;
}

// The puzzles of the file (the first `wanted`, all: 0); false when it
// cannot be read.
bool read_puzzles(const char* path, long wanted,
                  std::vector<std::string>& puzzles) {
  std::ifstream in(path);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    if (wanted > 0 && static_cast<long>(puzzles.size()) >= wanted) break;
    if (line.size() >= 81) puzzles.push_back(line.substr(0, 81));
  }
  return true;
}

// Rates each puzzle and its variants; prints each difference and the
// counts.
void compare(const std::vector<std::string>& puzzles, int variants,
             std::mt19937& rng) {
  long rated = 0;
  long differ = 0;
  long puzzles_differ = 0;
  for (const std::string& puzzle : puzzles) {
    const long base = rating_of(puzzle);
    bool any = false;
    for (int v = 0; v < variants; ++v) {
      const std::string other =
          test::transformed(puzzle, test::random_symmetry(rng));
      const long code = rating_of(other);
      ++rated;
      if (code == base) continue;
      ++differ;
      any = true;
      std::printf("%s ", puzzle.c_str());
      print_rating(base);
      std::printf(" %s ", other.c_str());
      print_rating(code);
      std::printf("\n");
    }
    if (any) ++puzzles_differ;
  }
  std::printf(
      "puzzles %zu, orientations rated %ld, differing %ld (puzzles %ld)\n",
      puzzles.size(), rated, differ, puzzles_differ);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: vortel_invariance FILE [PUZZLES] [VARIANTS] [SEED]\n"
                 "       vortel_invariance --generate COUNT [VARIANTS] "
                 "[SEED]\n");
    return 2;
  }
  const bool generate = std::string(argv[1]) == "--generate";
  const long wanted = argc > 2 ? std::atol(argv[2]) : 0;
  const int variants = argc > 3 ? std::atoi(argv[3]) : 10;
  const unsigned seed =
      argc > 4 ? static_cast<unsigned>(std::atol(argv[4])) : 2026U;
  std::mt19937 rng(seed);
  std::vector<std::string> puzzles;
  if (generate) {
    for (long i = 0; i < wanted; ++i) puzzles.push_back(generated(rng));
  } else if (!read_puzzles(argv[1], wanted, puzzles)) {
    std::fprintf(stderr, "vortel_invariance: cannot read %s\n", argv[1]);
    return 1;
  }
  compare(puzzles, variants, rng);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
