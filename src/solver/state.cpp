// Tables and helpers of the derived bookkeeping.
#include "solver/state.h"

#include "solver/consistency.h"

namespace solver {

namespace {

constexpr std::array<std::int32_t, 512> make_products() {
  std::array<std::int32_t, 512> products{};
  for (unsigned index = 0; index < 512; ++index) {
    std::int32_t product = 1;
    for (unsigned d = 1; d <= 9; ++d) {
      if ((index >> (d - 1)) & 1U) product *= kCodeTable[d];
    }
    products[index] = product;
  }
  return products;
}

// Inverse of an odd number modulo 2^32 by Newton's iteration (each step
// doubles the number of correct low bits; 5 steps from 3 bits give 96).
constexpr std::uint32_t inverse_mod_2_32(std::uint32_t odd) {
  std::uint32_t x = odd;
  for (int i = 0; i < 5; ++i) x *= 2U - odd * x;
  return x;
}

constexpr std::array<ExactDivisor, 10> make_divisors() {
  std::array<ExactDivisor, 10> divisors{};
  for (unsigned d = 1; d <= 9; ++d) {
    std::uint32_t odd = static_cast<std::uint32_t>(kCodeTable[d]);
    unsigned shift = 0;
    while (odd % 2 == 0) {
      odd /= 2;
      ++shift;
    }
    divisors[d] = {shift, inverse_mod_2_32(odd), 0xFFFFFFFFU / odd};
  }
  return divisors;
}

static_assert(make_products()[511] == kAllCandidates);
static_assert(inverse_mod_2_32(23) * 23U == 1U);

}  // namespace

const std::array<std::int32_t, 512> kProductOfMask = make_products();
const std::array<ExactDivisor, 10> kExactDivisors = make_divisors();

Mask mask_of(std::int32_t value) {
  if (is_determined(value)) return 0;
  Mask mask = 0;
  // The divisibility test without division (see ExactDivisor): this runs
  // for every open cell of the board the search starts from.
  const std::uint32_t v = static_cast<std::uint32_t>(value);
  for (int d = 1; d <= 9; ++d) {
    const ExactDivisor& divisor = kExactDivisors[static_cast<unsigned>(d)];
    if ((v & ((1U << divisor.shift) - 1)) == 0 &&
        (v >> divisor.shift) * divisor.inverse <= divisor.limit) {
      mask |= digit_bit(make_digit(d));
    }
  }
  return mask;
}

void derive_masks(State& s) {
  s.changed = 0;
  s.conflict = false;
  s.dead = false;
  s.cand.fill(0);
  s.cand_by_column.fill(0);
  s.rows.fill(0);
  s.cols.fill(0);
  s.boxes.fill(0);
  for (int i = 0; i < kCells; ++i) {
    const std::int32_t value = s.board[static_cast<unsigned>(i)];
    set_mask(s, static_cast<unsigned>(i), mask_of(value));
    if (is_determined(value)) {
      const Digit digit = digit_of_code(value);
      if (index_of(digit) != 0) {
        mark_determined(s, i, digit);
      } else {
        s.conflict = true;  // the empty product
      }
    }
  }
}

bool state_is_consistent_with_board(const State& s) {
  std::array<Mask, 9> rows{};
  std::array<Mask, 9> cols{};
  std::array<Mask, 9> boxes{};
  for (unsigned i = 0; i < kCells; ++i) {
    const std::int32_t value = s.board[i];
    const Mask mask = mask_of(value);
    if (s.cand[i] != mask || s.cand_by_column[kColumnMajor[i]] != mask) {
      return false;
    }
    if (is_determined(value)) {
      const Mask bit = digit_bit(digit_of_code(value));
      rows[kRowOf[i]] |= bit;
      cols[kColOf[i]] |= bit;
      boxes[kBoxOf[i]] |= bit;
    }
  }
  for (unsigned pad = kCells; pad < kCells + 3; ++pad) {
    if (s.cand[pad] != 0 || s.cand_by_column[pad] != 0) return false;
  }
  // The empty product's "digit" 0 sets bit 0, which no unit mask holds.
  for (unsigned unit = 0; unit < 9; ++unit) {
    if (s.rows[unit] != (rows[unit] & kAllDigits) ||
        s.cols[unit] != (cols[unit] & kAllDigits) ||
        s.boxes[unit] != (boxes[unit] & kAllDigits)) {
      return false;
    }
  }
  return s.conflict == (check_consistency(s.board) != 0);
}

bool state_is_propagated(const State& s) {
  if (s.conflict) return false;
  std::array<Mask, kUnitCount> once{};
  std::array<Mask, kUnitCount> twice{};
  for (unsigned i = 0; i < kCells; ++i) {
    const Mask mask = s.cand[i];
    if (is_determined(s.board[i])) continue;
    const Mask lacking = static_cast<Mask>(
        ~(s.rows[kRowOf[i]] | s.cols[kColOf[i]] | s.boxes[kBoxOf[i]]) &
        kAllDigits);
    if (mask != lacking) return false;
    for (unsigned unit : kUnits[i]) {
      twice[unit] |= static_cast<Mask>(once[unit] & mask);
      once[unit] |= mask;
    }
  }
  for (unsigned unit = 0; unit < kUnitCount; ++unit) {
    if ((once[unit] & ~twice[unit]) != 0) return false;
  }
  return true;
}

}  // namespace solver
