// Grids drawn in fixed width, a blank for an empty cell: each row's three
// boxes between bars, every box as wide as the others ("|4  |   |8 5|",
// boxes of three; "|4 . .|" without the dots, boxes of five, cells a blank
// apart; "| 4     |", boxes of seven). The outer bars may be left out; then
// every box is whole, its blanks included, so that a row cut after a bar
// is no row.
#include <cstddef>

#include "recognise/characters.h"
#include "recognise/parts.h"

namespace recognise::parts {

namespace {

bool is_bar(std::uint32_t c) {
  return c == '|' || c == 0x2502 || c == 0x2503 || c == 0x2551;
}

int bars_of(const std::uint32_t* cp, int n) {
  int bars = 0;
  for (int i = 0; i < n; ++i) bars += is_bar(cp[i]) ? 1 : 0;
  return bars;
}

// A line of bars and blanks alone is a rule only when rule characters draw
// it too ("+---+"); "|  |   |   |" inside such a grid is a row drawn wrong.
bool rule_like(const std::uint32_t* cp, int n) {
  for (int i = 0; i < n; ++i) {
    if (!is_blank(cp[i]) && !is_bar(cp[i])) return true;
  }
  return bars_of(cp, n) == 0;
}

// Where the three boxes start, and their width.
struct Boxes {
  int from[3] = {};
  int width = 0;
};

// The bars of a line of digits, blanks and bars, four (the outer ones too)
// or two.
bool find_boxes(const std::uint32_t* cp, int n, Boxes& boxes) {
  int bars[4];
  int count = 0;
  int last = -1;  // the last character that is not blank
  for (int i = 0; i < n; ++i) {
    if (is_bar(cp[i])) {
      if (count == 4) return false;
      bars[count++] = i;
    } else if (!is_blank(cp[i]) && !is_given(cp[i])) {
      return false;
    }
    if (!is_blank(cp[i])) last = i;
  }
  if (count == 4) {
    for (int i = 0; i < bars[0]; ++i) {
      if (!is_blank(cp[i])) return false;
    }
    for (int b = 0; b < 3; ++b) boxes.from[b] = bars[b] + 1;
    boxes.width = bars[1] - bars[0] - 1;
    return bars[3] == last && bars[3] - bars[2] - 1 == boxes.width &&
           bars[2] - bars[1] - 1 == boxes.width;
  }
  if (count != 2) return false;
  boxes.from[0] = 0;
  boxes.from[1] = bars[0] + 1;
  boxes.from[2] = bars[1] + 1;
  boxes.width = bars[0];
  return bars[1] - bars[0] - 1 == boxes.width &&
         n - boxes.from[2] == boxes.width;
}

// The three cells of a box of `width` from `from`: false when a blank is
// not where one should be.
bool read_box(const std::uint32_t* cp, int from, int width,
              std::uint8_t* cells) {
  const int step = width == 3 ? 1 : 2;
  const int first = width == 7 ? 1 : 0;
  for (int k = 0; k < width; ++k) {
    const std::uint32_t c = cp[from + k];
    const int cell = (k - first) / step;
    if (k < first || (k - first) % step != 0 || cell >= 3) {
      if (!is_blank(c)) return false;
      continue;
    }
    cells[cell] = is_given(c) ? static_cast<std::uint8_t>(c - '0') : 0;
  }
  return true;
}

}  // namespace

bool fixed_width_row(const std::uint32_t* cp, int n, std::uint8_t* cells) {
  Boxes boxes;
  if (!find_boxes(cp, n, boxes)) return false;
  if (boxes.width != 3 && boxes.width != 5 && boxes.width != 7) return false;
  for (int b = 0; b < 3; ++b) {
    if (!read_box(cp, boxes.from[b], boxes.width,
                  &cells[static_cast<std::ptrdiff_t>(3) * b]))
      return false;
  }
  return true;
}

Fixed fixed_width(const Recogniser& r, const std::uint32_t* cp, int n, int from,
                  GridEntry& row) {
  const int cells = n - from;
  const bool any = bars_of(cp + from, cells) > 0;
  if (any && fixed_width_row(cp + from, cells, row.cells.data())) {
    for (const std::uint8_t digit : row.cells) {
      if (digit != 0 || r.fixed_width) return Fixed::kRow;
    }
  }
  if (r.fixed_width && bars_of(cp + from, cells) >= 2 &&
      (scan_cells(cp + from, cells).count > 0 || !rule_like(cp, n))) {
    return Fixed::kDamaged;
  }
  return Fixed::kNone;
}

}  // namespace recognise::parts
