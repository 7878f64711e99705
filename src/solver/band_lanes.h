// Taking cells away from eight digits' sets of one band at once, with the
// x86-64 baseline's 128-bit lanes (SSE2): the deductions' commonest
// operation (band_deductions.inc). The paths of the order-free core with
// wider lanes have their own (unique.cpp).
#ifndef VORTEL_SOLVER_BAND_LANES_H_
#define VORTEL_SOLVER_BAND_LANES_H_

#include <emmintrin.h>

#include <cstdint>

namespace solver {

/// Takes `cells` away from digits[0..7]; returns the digits that lost any
/// (bit e for digits[e]).
inline unsigned clear_eight_sse2(std::uint32_t* digits, std::uint32_t cells) {
  const __m128i mask = _mm_set1_epi32(static_cast<int>(cells));
  auto* low_at = reinterpret_cast<__m128i*>(digits);
  auto* high_at = reinterpret_cast<__m128i*>(digits + 4);
  const __m128i low = _mm_loadu_si128(low_at);
  const __m128i high = _mm_loadu_si128(high_at);
  _mm_storeu_si128(low_at, _mm_andnot_si128(mask, low));
  _mm_storeu_si128(high_at, _mm_andnot_si128(mask, high));
  // A lane that lost nothing compares equal to zero.
  const __m128i zero = _mm_setzero_si128();
  const auto kept_low = static_cast<unsigned>(_mm_movemask_ps(
      _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(low, mask), zero))));
  const auto kept_high = static_cast<unsigned>(_mm_movemask_ps(
      _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(high, mask), zero))));
  return ~(kept_low | kept_high << 4) & 0xFFU;
}

}  // namespace solver

#endif  // VORTEL_SOLVER_BAND_LANES_H_
