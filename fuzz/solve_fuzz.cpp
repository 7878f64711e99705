// Fuzz target: the three ways vortel finds solutions against the plain
// reference implementation, on puzzles with a bounded number of solutions.
// Byte i (i < 81) of the input says what happens to cell i of a fixed
// solved grid: an even byte keeps the cell's digit, an odd one empties it,
// and a byte from 0xF0 up gives the cell digit (byte % 9) + 1 instead, so
// that puzzles with no, one and many solutions all come up. When the plain
// reference finds at most kLimit solutions:
//  - the ordered search lists exactly them, in the same order;
//  - the counter counts them;
//  - the lister, on the propagated board when few enough cells are open,
//    lists them in the same order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "../tests/reference/plain_solver.h"
#include "fuzz_target.h"
#include "solver/consistency.h"
#include "solver/count.h"
#include "solver/lister.h"
#include "solver/propagate.h"
#include "solver/search.h"

namespace {

constexpr std::size_t kLimit = 300;
// At most this many empty cells: the plain reference takes exponential time
// to prove that a nearly empty board with a wrong digit has no solution,
// and one slow input would stall the fuzzer.
constexpr int kMaxHoles = 45;

constexpr char kSolved[] =
    "534678912672195348198342567859761423426853791713924856961537284287419635"
    "345286179";

std::vector<solver::Board> g_found;

bool keep(const solver::Board& solution, void* /*context*/) {
  g_found.push_back(solution);
  return g_found.size() <= kLimit;
}

void ignore(std::int64_t /*count*/, void* /*context*/) {}

int holes_of(const std::uint8_t* data, std::size_t size) {
  int holes = 0;
  for (std::size_t i = 0; i < size && i < 81; ++i) {
    holes += (data[i] & 1U) != 0 && data[i] < 0xF0 ? 1 : 0;
  }
  return holes;
}

solver::Board puzzle_of(const std::uint8_t* data, std::size_t size) {
  solver::Board board;
  for (unsigned i = 0; i < 81; ++i) {
    const unsigned byte = i < size ? data[i] : 0;
    int digit = kSolved[i] - '0';
    if (byte >= 0xF0) digit = static_cast<int>(byte % 9) + 1;
    board[i] = (byte & 1U) != 0 && byte < 0xF0
                   ? solver::kLoadMarker
                   : solver::kCodeTable[static_cast<unsigned>(digit)];
  }
  return board;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (holes_of(data, size) > kMaxHoles) return 0;
  const solver::Board loaded = puzzle_of(data, size);
  const std::vector<solver::Board> expected =
      plain::solutions(loaded, kLimit + 1);
  if (expected.size() > kLimit) return 0;
  solver::Board board = loaded;
  if (solver::check_consistency(board) != 0) return 0;
  std::int32_t unknown = solver::count_unknown(board);
  solver::propagate(board, unknown);
  if (solver::check_consistency(board) != 0 || unknown == 0) return 0;

  g_found.clear();
  std::int32_t shared = unknown;
  solver::search(board, shared, {keep, nullptr});
  if (g_found != expected) std::abort();

  std::int64_t count = -1;
  if (solver::count_solutions(board, unknown, {10, ignore, nullptr}, count) !=
          solver::SearchEnd::kExhausted ||
      count != static_cast<std::int64_t>(expected.size())) {
    std::abort();
  }

  if (unknown <= solver::kMaxSmallCells) {
    solver::State state;
    state.board = board;
    solver::derive_masks(state);
    g_found.clear();
    std::int64_t steps = 0;
    solver::list_completions(state, {keep, nullptr}, steps);
    if (g_found != expected) std::abort();
  }
  return 0;
}
