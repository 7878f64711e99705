// The board and its cell encoding, shared by every solving phase.
//
// Glossary of the encoding. Each of the 81 cells is one signed 32-bit value:
//  - cell code: a determined cell holds the code of its digit, taken from
//    kCodeTable (1..9 -> 5, 6, 7, 9, 11, 13, 17, 19, 23). Any product of two
//    or more distinct codes is at least 5 * 6 = 30.
//  - candidate product: an undetermined cell holds the product of the codes
//    of the digits it may still take. Membership is "value % code == 0",
//    removal is "value / code"; only 6 carries the factor 2 and only 9 the
//    factor 3 twice, so this holds for the two non-prime codes too. The
//    product of all nine codes, 2,007,835,830, fits in an int32_t.
//  - load marker: 999999 (3^3 * 7 * 11 * 13 * 37) marks a freshly loaded
//    empty cell whose candidates are not computed yet. Dividing it by codes
//    never brings it to 23 or below, so it stays undetermined until the
//    candidate pass replaces it.
//  - empty product: 1, an undetermined cell whose candidates have all gone.
//    It is not above 23 and so counts as determined, with digit 0.
// The one test every phase uses: a cell is determined iff its value <= 23.
#ifndef VORTEL_SOLVER_BOARD_H_
#define VORTEL_SOLVER_BOARD_H_

#include <array>
#include <cstdint>

namespace solver {

inline constexpr int kCells = 81;
using Board = std::array<std::int32_t, kCells>;

inline constexpr std::int32_t kMaxCode = 23;
inline constexpr std::int32_t kLoadMarker = 999999;
inline constexpr std::int32_t kEmptyProduct = 1;
inline constexpr std::int32_t kAllCandidates = 2007835830;

/// Digit (index 1..9) to cell code; entry 0 is never looked up.
inline constexpr std::array<std::int32_t, 10> kCodeTable = {0,  5,  6,  7,  9,
                                                            11, 13, 17, 19, 23};

/// Cell value 0..23 to digit: the digit of a code, 0 for anything else
/// (the empty product included).
inline constexpr std::array<std::int32_t, 24> kDigitTable = {
    0, 0, 0, 0, 0, 1, 2, 3, 0, 4, 0, 5, 0, 6, 0, 0, 0, 7, 0, 8, 0, 0, 0, 9};

/// True when the cell value stands for a determined cell (a code or the
/// empty product).
inline constexpr bool is_determined(std::int32_t value) {
  return value <= kMaxCode;
}

/// Index of cell (r, c), both 0..8, in row-major order.
inline constexpr int cell_index(int r, int c) {
  return 9 * r + c;
}

/// 81 minus the number of determined cells (empty products count as
/// determined).
std::int32_t count_unknown(const Board& board);

}  // namespace solver

#endif  // VORTEL_SOLVER_BOARD_H_
