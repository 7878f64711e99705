// The order-free core: whether a board has no completion, one, or more
// (up to a limit), and the first completion it finds. It answers what
// does not depend on vortel's search order, so it branches where the
// board is most constrained and may run on whatever instructions the
// machine has: its code is compiled once for each path below, all in
// the one program, and the path is chosen once, at the first call.
//
// A path changes the speed, never an answer: every path makes the same
// deductions (band_deductions.inc) and the same branchings, so their
// counts and first completions are equal.
#ifndef VORTEL_SOLVER_UNIQUE_H_
#define VORTEL_SOLVER_UNIQUE_H_

#include <cstdint>

#include "solver/board.h"

namespace solver {

/// The instruction sets the core is compiled for.
enum class CorePath : unsigned {
  kBase,    // the x86-64 baseline (SSE2), what the rest of the program uses
  kV2,      // with POPCNT, LZCNT, BMI1, BMI2 and SSE4.2
  kAvx2,    // the same with AVX and AVX2
  kAvx512,  // the same with AVX-512 F, BW and VL
};
inline constexpr unsigned kCorePaths = 4;

/// The path's name as VORTEL_ISA takes it: base, v2, avx2, avx512.
const char* core_path_name(CorePath path);

/// Whether this machine (its processor and its system) runs the path.
bool core_path_runs(CorePath path);

/// The path the core takes: the one VORTEL_ISA names, or the widest this
/// machine runs. Chosen at the first call, once for the whole process
/// (thread-safe). A VORTEL_ISA that names no path, or one the machine does
/// not run, is told once on the standard error, and the widest path the
/// machine runs is taken instead: the answers are the same on every path.
CorePath core_path();

/// The completions of `board` (determined cells as their codes, open
/// cells as candidate masks, as make_bands takes it), counted up to
/// `limit`; the first one found is written to `first`. -1 when the
/// deductions refuse the board before any branching (make_bands false:
/// givens that repeat a digit, or an early contradiction). `path` must be
/// one the machine runs.
std::int64_t core_count(const Board& board, std::int64_t limit, Board& first,
                        CorePath path);

/// core_count on the path core_path() chose.
std::int64_t core_count(const Board& board, std::int64_t limit, Board& first);

}  // namespace solver

#endif  // VORTEL_SOLVER_UNIQUE_H_
