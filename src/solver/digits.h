// Digits and digit sets as the fast core handles them.
//
// Digit sets are 16-bit masks with bit d (1..9) for digit d; bit 0 unused.
#ifndef VORTEL_SOLVER_DIGITS_H_
#define VORTEL_SOLVER_DIGITS_H_

#include <cstdint>

#include "solver/board.h"

namespace solver {

using Mask = std::uint16_t;

/// Digits 1..9 as a mask.
inline constexpr Mask kAllDigits = 0x3FE;

/// A digit 1..9 as the fast core handles it: a type of its own, because
/// the board's cell codes (5, 6, 7, 9, 11, ... 23) are plain int32_t values
/// too, and a code passed where a digit is meant would quietly remove the
/// wrong digit (or none: there is no digit 23). Neither converts to the
/// other implicitly.
enum class Digit : std::uint8_t {};

/// The digit 1..9 held by a value taken from a digit table or a mask.
inline constexpr Digit make_digit(int digit) {
  return static_cast<Digit>(digit);
}

inline constexpr unsigned index_of(Digit digit) {
  return static_cast<unsigned>(digit);
}

/// The cell code of a digit (kCodeTable).
inline constexpr std::int32_t code_of(Digit digit) {
  return kCodeTable[index_of(digit)];
}

/// The digit of a determined cell's code, or of the empty product (which
/// yields no digit: Digit 0).
inline constexpr Digit digit_of_code(std::int32_t code) {
  return make_digit(kDigitTable[static_cast<unsigned>(code)]);
}

inline constexpr Mask digit_bit(Digit digit) {
  return static_cast<Mask>(1U << index_of(digit));
}

/// The number of set bits, without the C runtime's helper (the target has
/// no population-count instruction by default, and the helper would add a
/// library to the program's start).
inline int bit_count(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

/// The lowest digit in a non-empty mask.
inline Digit lowest_digit(Mask mask) {
  return make_digit(__builtin_ctz(mask));
}

}  // namespace solver

#endif  // VORTEL_SOLVER_DIGITS_H_
