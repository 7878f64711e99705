// The order-free core, compiled for each path (unique.h). The headers come
// first, under the program's base target: their inline functions, kept
// out of line anywhere, must run on every machine. Then the deductions and
// the search are included once per path, each under its target and in a
// namespace of its own, so no path's code can stand in for another's.
#include "solver/unique.h"

#include <immintrin.h>
#include <pthread.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "solver/band_lanes.h"
#include "solver/band_tables.h"
#include "solver/bands.h"
#include "solver/digits.h"
#include "solver/state.h"

namespace solver {

namespace base_path {
namespace {
// No population-count instruction here, and the C runtime's helper would
// add a library to the program's start.
int count_bits(std::uint64_t x) {
  return bit_count(x);
}
unsigned band_segments(std::uint32_t cells) {
  return table_segments(cells);
}
unsigned clear_eight(std::uint32_t* digits, std::uint32_t cells) {
  return clear_eight_sse2(digits, cells);
}
#include "solver/band_deductions.inc"  // NOLINT(bugprone-suspicious-include)
#include "solver/unique_search.inc"    // NOLINT(bugprone-suspicious-include)
}  // namespace
}  // namespace base_path

#if defined(__clang__)
#pragma clang attribute push(                                \
    __attribute__((target("popcnt,lzcnt,bmi,bmi2,sse4.2"))), \
    apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("popcnt,lzcnt,bmi,bmi2,sse4.2")
#endif
namespace v2_path {
namespace {
int count_bits(std::uint64_t x) {
  return __builtin_popcountll(x);
}
// A segment's three cells folded onto its first, then the nine first
// cells (every third bit) gathered.
unsigned band_segments(std::uint32_t cells) {
  return _pext_u32(cells | cells >> 1 | cells >> 2, 0x1249249U);
}
unsigned clear_eight(std::uint32_t* digits, std::uint32_t cells) {
  return clear_eight_sse2(digits, cells);
}
#include "solver/band_deductions.inc"  // NOLINT(bugprone-suspicious-include)
#include "solver/unique_search.inc"    // NOLINT(bugprone-suspicious-include)
}  // namespace
}  // namespace v2_path
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(                                         \
    __attribute__((target("popcnt,lzcnt,bmi,bmi2,sse4.2,avx,avx2"))), \
    apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("popcnt,lzcnt,bmi,bmi2,sse4.2,avx,avx2")
#endif
namespace avx2_path {
namespace {
int count_bits(std::uint64_t x) {
  return __builtin_popcountll(x);
}
// A segment's three cells folded onto its first, then the nine first
// cells (every third bit) gathered.
unsigned band_segments(std::uint32_t cells) {
  return _pext_u32(cells | cells >> 1 | cells >> 2, 0x1249249U);
}
// The eight digits in one 256-bit vector.
unsigned clear_eight(std::uint32_t* digits, std::uint32_t cells) {
  const __m256i mask = _mm256_set1_epi32(static_cast<int>(cells));
  auto* at = reinterpret_cast<__m256i*>(digits);
  const __m256i all = _mm256_loadu_si256(at);
  _mm256_storeu_si256(at, _mm256_andnot_si256(mask, all));
  const auto kept = static_cast<unsigned>(
      _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(
          _mm256_and_si256(all, mask), _mm256_setzero_si256()))));
  return ~kept & 0xFFU;
}
#include "solver/band_deductions.inc"  // NOLINT(bugprone-suspicious-include)
#include "solver/unique_search.inc"    // NOLINT(bugprone-suspicious-include)
}  // namespace
}  // namespace avx2_path
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(                                                 \
    __attribute__((target(                                                    \
        "popcnt,lzcnt,bmi,bmi2,sse4.2,avx,avx2,avx512f,avx512bw,avx512vl"))), \
    apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target( \
    "popcnt,lzcnt,bmi,bmi2,sse4.2,avx,avx2,avx512f,avx512bw,avx512vl")
#endif
namespace avx512_path {
namespace {
int count_bits(std::uint64_t x) {
  return __builtin_popcountll(x);
}
// A segment's three cells folded onto its first, then the nine first
// cells (every third bit) gathered.
unsigned band_segments(std::uint32_t cells) {
  return _pext_u32(cells | cells >> 1 | cells >> 2, 0x1249249U);
}
// The eight digits in one 256-bit vector, the lanes that lose a cell
// straight from a mask register.
unsigned clear_eight(std::uint32_t* digits, std::uint32_t cells) {
  const __m256i mask = _mm256_set1_epi32(static_cast<int>(cells));
  auto* at = reinterpret_cast<__m256i*>(digits);
  const __m256i all = _mm256_loadu_si256(at);
  _mm256_storeu_si256(at, _mm256_andnot_si256(mask, all));
  return _mm256_test_epi32_mask(all, mask);
}
#include "solver/band_deductions.inc"  // NOLINT(bugprone-suspicious-include)
#include "solver/unique_search.inc"    // NOLINT(bugprone-suspicious-include)
}  // namespace
}  // namespace avx512_path
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace {

constexpr std::array<const char*, kCorePaths> kPathNames = {"base", "v2",
                                                            "avx2", "avx512"};

// The widest path this machine runs.
CorePath widest_path() {
  for (unsigned i = kCorePaths; i-- > 1;) {
    const auto path = static_cast<CorePath>(i);
    if (core_path_runs(path)) return path;
  }
  return CorePath::kBase;
}

// The path VORTEL_ISA names, or the widest one (see core_path).
CorePath chosen_path() {
  const char* wanted = std::getenv("VORTEL_ISA");
  if (wanted == nullptr || *wanted == '\0') return widest_path();
  for (unsigned i = 0; i < kCorePaths; ++i) {
    if (std::strcmp(wanted, kPathNames[i]) != 0) continue;
    const auto path = static_cast<CorePath>(i);
    if (core_path_runs(path)) return path;
    std::fprintf(stderr,
                 "VORTEL_ISA=%s: questo processore non ha le istruzioni "
                 "richieste; uso %s\n",
                 wanted, core_path_name(widest_path()));
    return widest_path();
  }
  std::fprintf(stderr,
               "VORTEL_ISA=%s: valore sconosciuto (base, v2, avx2, avx512); "
               "uso %s\n",
               wanted, core_path_name(widest_path()));
  return widest_path();
}

// The one choice of the process, made once under pthread_once (the C
// library's, so that the program needs no C++ runtime for it).
pthread_once_t g_path_once = PTHREAD_ONCE_INIT;
CorePath g_path = CorePath::kBase;

void choose_path_once() {
  g_path = chosen_path();
}

}  // namespace

const char* core_path_name(CorePath path) {
  return kPathNames[static_cast<unsigned>(path)];
}

bool core_path_runs(CorePath path) {
  // The built-in checks both the processor and that the system saves the
  // registers the instructions use.
  switch (path) {
  case CorePath::kBase:
    return true;
  case CorePath::kV2:
    return __builtin_cpu_supports("popcnt") &&
           __builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2");
  case CorePath::kAvx2:
    return core_path_runs(CorePath::kV2) && __builtin_cpu_supports("avx2");
  case CorePath::kAvx512:
    return core_path_runs(CorePath::kAvx2) &&
           __builtin_cpu_supports("avx512f") &&
           __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl");
  }
  return false;
}

CorePath core_path() {
  pthread_once(&g_path_once, choose_path_once);
  return g_path;
}

std::int64_t core_count(const Board& board, std::int64_t limit, Board& first,
                        CorePath path) {
  switch (path) {
  case CorePath::kV2:
    return v2_path::count_on_path(board, limit, first);
  case CorePath::kAvx2:
    return avx2_path::count_on_path(board, limit, first);
  case CorePath::kAvx512:
    return avx512_path::count_on_path(board, limit, first);
  case CorePath::kBase:
    break;
  }
  return base_path::count_on_path(board, limit, first);
}

std::int64_t core_count(const Board& board, std::int64_t limit, Board& first) {
  return core_count(board, limit, first, core_path());
}

}  // namespace solver
