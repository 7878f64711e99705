// Hidden singles and the propagation loop.
//
// On a State the three tests of a cell are answered for all digits at
// once. For each unit, the digits that exactly one undetermined cell
// carries (determined cells carry none) are collected with the usual
// once/twice accumulation; a digit of cell X passes the row test exactly
// when it is in that set for X's row, and likewise for the column and the
// box. hidden_single_at_cell tries X's digits in increasing order and, for
// each, the row, column and box tests; so the digit chosen is the lowest of
// X's candidates in any of its three sets, and the unit whose test fires is
// the first of row, column, box whose set has it.
//
// The sweep keeps these sets per unit and recomputes one only when its
// unit has changed (State::changed), so a placement costs the units its
// cascade touched, not all 27. A cell can only have a hidden single if one
// of its units has a non-empty set, so the sweep visits just the cells of
// such units, in row-major order; a sweep that finds nothing (the last of
// every propagation) costs little more than a look at the 27 sets.
#include "solver/propagate.h"

#include "base/cells.h"
#include "solver/candidates.h"

namespace solver {

namespace {

// The digits carried by exactly one of a unit's nine cells, by the
// once/twice accumulation: `twice` gains what `once` already had. A unit's
// cells are read four masks at a time (four_masks; a column from the
// column-major copy) and accumulated lane by lane; the four lanes are then
// folded into one, each fold adding to `twice` what both halves had once.
struct UnitDigits {
  Mask singles;  // carried by exactly one cell
  Mask carried;  // carried by at least one cell
};

UnitDigits fold_lanes(std::uint64_t once, std::uint64_t twice) {
  twice |= (twice >> 32) | (once & (once >> 32));
  once |= once >> 32;
  twice |= (twice >> 16) | (once & (once >> 16));
  once |= once >> 16;
  return {static_cast<Mask>(once & ~twice & 0xFFFF),
          static_cast<Mask>(once & 0xFFFF)};
}

// Nine consecutive masks of one of the two arrays: a row of cand, or a
// column of cand_by_column.
UnitDigits line_singles(const std::array<Mask, kCells + 3>& masks,
                        unsigned first) {
  const std::uint64_t a = four_masks(masks, first);
  const std::uint64_t b = four_masks(masks, first + 4);
  const std::uint64_t c = masks[first + 8];
  const std::uint64_t twice = (a & b) | ((a | b) & c);
  return fold_lanes(a | b | c, twice);
}

UnitDigits box_singles(const State& s, unsigned b) {
  const unsigned first = kBoxFirst[b];
  const std::uint64_t x = four_masks(s.cand, first) & kThreeLanes;
  const std::uint64_t y = four_masks(s.cand, first + 9) & kThreeLanes;
  const std::uint64_t z = four_masks(s.cand, first + 18) & kThreeLanes;
  const std::uint64_t twice = (x & y) | ((x | y) & z);
  return fold_lanes(x | y | z, twice);
}

// Per-unit singles (index: the `changed` bit of the unit), valid where the
// bit of `valid` is set; `present` has the bits of the units whose set is
// not empty.
struct UnitSingles {
  std::array<Mask, kUnitCount> of_unit{};
  std::uint32_t valid = 0;
  std::uint32_t present = 0;
};

// The units that hold a cell at or after index `from` (0..80): a sweep that
// has reached `from` need not look at the others again.
constexpr std::array<std::uint32_t, kCells> make_units_from() {
  std::array<std::uint32_t, kCells> units{};
  for (unsigned from = 0; from < kCells; ++from) {
    for (unsigned i = from; i < kCells; ++i) {
      units[from] |= kUnitBits[i];
    }
  }
  return units;
}

constexpr std::array<std::uint32_t, kCells> kUnitsFrom = make_units_from();

// Brings the singles of the given units up to date with the state,
// recomputing only those changed since they were last computed.
void refresh(State& s, UnitSingles& singles, std::uint32_t units) {
  singles.valid &= ~s.changed;
  s.changed = 0;
  const std::uint32_t stale = ~singles.valid & units;
  // One loop per kind of unit (rows, columns, boxes: see units.h), and
  // `present` updated without a branch.
  // A unit in which some digit is neither held nor carried can never be
  // completed: the board is dead (see State::dead). Digits only ever leave
  // the candidates, so a unit found so stays so.
  Mask missing = 0;
  const auto store = [&singles, &missing](unsigned unit, UnitDigits found,
                                          Mask held) {
    singles.of_unit[unit] = found.singles;
    const std::uint32_t bit = 1U << unit;
    singles.present =
        (singles.present & ~bit) | (found.singles != 0 ? bit : 0U);
    missing |= static_cast<Mask>(~(found.carried | held) & kAllDigits);
  };
  for (std::uint32_t rows = stale & 0x1FFU; rows != 0; rows &= rows - 1) {
    const unsigned r = static_cast<unsigned>(__builtin_ctz(rows));
    store(row_unit(r), line_singles(s.cand, 9 * r), s.rows[r]);
  }
  for (std::uint32_t cols = (stale >> kFirstColumnUnit) & 0x1FFU; cols != 0;
       cols &= cols - 1) {
    const unsigned c = static_cast<unsigned>(__builtin_ctz(cols));
    store(column_unit(c), line_singles(s.cand_by_column, 9 * c), s.cols[c]);
  }
  for (std::uint32_t boxes = stale >> kFirstBoxUnit; boxes != 0;
       boxes &= boxes - 1) {
    const unsigned b = static_cast<unsigned>(__builtin_ctz(boxes));
    store(box_unit(b), box_singles(s, b), s.boxes[b]);
  }
  s.dead |= missing != 0;
  singles.valid |= units;
}

using base::CellSet;

constexpr std::array<CellSet, kUnitCount> make_unit_sets() {
  std::array<CellSet, kUnitCount> sets{};
  for (unsigned i = 0; i < kCells; ++i) {
    for (unsigned unit : kUnits[i]) base::add(sets[unit], static_cast<int>(i));
  }
  return sets;
}

constexpr std::array<CellSet, kUnitCount> kUnitSets = make_unit_sets();

// The digits that are hidden singles of cell u under `singles`.
Mask hidden_digits(const State& s, const UnitSingles& singles, unsigned u) {
  const std::array<std::uint8_t, 3>& units = kUnits[u];
  return static_cast<Mask>(s.cand[u] & (singles.of_unit[units[0]] |
                                        singles.of_unit[units[1]] |
                                        singles.of_unit[units[2]]));
}

// The first cell at or after `from` that has a hidden single, or -1. The
// singles of the units that hold cells from `from` on must be up to date.
int next_hidden_single(const State& s, const UnitSingles& singles, int from) {
  CellSet cells;
  for (std::uint32_t units =
           singles.present & kUnitsFrom[static_cast<unsigned>(from)];
       units != 0; units &= units - 1) {
    cells = cells | kUnitSets[static_cast<unsigned>(__builtin_ctz(units))];
  }
  if (from >= 64) {
    cells.low = 0;
    cells.high &= ~std::uint64_t{0} << (from - 64);
  } else if (from > 0) {
    cells.low &= ~std::uint64_t{0} << from;
  }
  for (; cells.low != 0; cells.low &= cells.low - 1) {
    const unsigned u = static_cast<unsigned>(__builtin_ctzll(cells.low));
    if (hidden_digits(s, singles, u) != 0) return static_cast<int>(u);
  }
  for (; cells.high != 0; cells.high &= cells.high - 1) {
    const unsigned u = 64U + static_cast<unsigned>(__builtin_ctzll(cells.high));
    if (hidden_digits(s, singles, u) != 0) return static_cast<int>(u);
  }
  return -1;
}

// Places the hidden single of cell i, if it has one under the current
// singles (which the caller has refreshed). Returns 1 if it placed one.
int place_hidden_single(State& s, int i, const UnitSingles& singles,
                        std::int32_t& unknown) {
  const unsigned u = static_cast<unsigned>(i);
  const int r = kRowOf[u];
  const int c = kColOf[u];
  const int b = kBoxOf[u];
  const Mask unique = hidden_digits(s, singles, u);
  if (unique == 0) return 0;
  const Digit digit = lowest_digit(unique);
  const Mask bit = digit_bit(digit);
  s.board[u] = code_of(digit);
  mark_determined(s, i, digit);
  // The unit in which the digit was unique has no other carrier of it; the
  // other two lose it.
  if ((singles.of_unit[row_unit(static_cast<unsigned>(r))] & bit) != 0) {
    eliminate_digit_in_column(s, c, digit, unknown);
    eliminate_digit_in_box(s, b, digit, unknown);
  } else if ((singles.of_unit[column_unit(static_cast<unsigned>(c))] & bit) !=
             0) {
    eliminate_digit_in_row(s, r, digit, unknown);
    eliminate_digit_in_box(s, b, digit, unknown);
  } else {
    eliminate_digit_in_row(s, r, digit, unknown);
    eliminate_digit_in_column(s, c, digit, unknown);
  }
  --unknown;
  return 1;
}

// One sweep: each placement changes the state that later cells are judged
// by, so the singles are refreshed after each.
std::int32_t sweep(State& s, UnitSingles& singles, std::int32_t& unknown) {
  std::int32_t found = 0;
  for (int from = 0; from < kCells;) {
    refresh(s, singles, kUnitsFrom[static_cast<unsigned>(from)]);
    const int i = next_hidden_single(s, singles, from);
    if (i < 0) break;
    found += place_hidden_single(s, i, singles, unknown);
    from = i + 1;
  }
  return found;
}

}  // namespace

int hidden_single_at_cell(State& s, int cell, std::int32_t& unknown) {
  VORTEL_ASSERT_STATE(s);
  UnitSingles singles;
  refresh(s, singles, kAllUnits);
  const int placed = place_hidden_single(s, cell, singles, unknown);
  VORTEL_ASSERT_STATE(s);
  return placed;
}

std::int32_t hidden_single_sweep(State& s, std::int32_t& unknown) {
  VORTEL_ASSERT_STATE(s);
  UnitSingles singles;
  const std::int32_t found = sweep(s, singles, unknown);
  VORTEL_ASSERT_STATE(s);
  return found;
}

namespace {

// The sweeps that follow the candidate pass, starting from `singles`. They
// outlive each sweep: the next one recomputes only the units the last
// placements changed.
void sweep_until_stable(State& s, UnitSingles& singles, std::int32_t& unknown) {
  while (sweep(s, singles, unknown) != 0 && unknown != 0) {
  }
}

}  // namespace

void propagate(State& s, std::int32_t& unknown) {
  candidate_pass(s, unknown);
  UnitSingles singles;  // none known yet
  sweep_until_stable(s, singles, unknown);
  VORTEL_ASSERT_STATE(s);
}

void propagate_after_assignment(State& s, int k, Digit digit,
                                std::int32_t& unknown) {
  // A propagation ends with a sweep that found nothing, which means that no
  // unit had a digit carried by exactly one cell: every unit's singles were
  // empty, and only the units changed since (the assignment, and what
  // follows from it below) need computing again.
  s.changed = kUnitBits[static_cast<unsigned>(k)];
  UnitSingles singles;
  singles.valid = kAllUnits;
  singles.present = 0;
  candidate_pass_after_assignment(s, k, digit, unknown);
  sweep_until_stable(s, singles, unknown);
  VORTEL_ASSERT_STATE(s);
}

void propagate(Board& board, std::int32_t& unknown) {
  on_board(board, [&](State& s) {
    propagate(s, unknown);
    return 0;
  });
}

}  // namespace solver
