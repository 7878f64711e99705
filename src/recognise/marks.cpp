// How a line draws its cells, beyond the usual marks: the empty cells
// drawn with a mark of the line's own, the rows of a grid of pencil marks,
// and the rows a mistyped cell damaged, which are rows of their grid all
// the same and never text.
#include "recognise/characters.h"
#include "recognise/parts.h"

namespace recognise::parts {

namespace {

// What may stand for an empty cell besides the usual marks: the letter o
// (not letters read for digits by mistake, such as l for 1 or S for 5), a
// tilde, an at sign, a dot, a circle or a square drawn as such.
bool may_mark(std::uint32_t c) {
  return c == 'o' || c == 'O' || c == '~' || c == '@' || c == 0xB7 ||
         c == 0x2022 || c == 0x25CB || c == 0x25A1 || c == 0x25E6;
}

// A line whose empty cells are drawn with a mark of its own (a letter such
// as 'o', a symbol), used for every empty cell of the line: that mark, or
// 0 when there is none or more than one.
std::uint32_t own_mark(const std::uint32_t* cp, int n) {
  std::uint32_t mark = 0;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t c = cp[i];
    if (is_given(c) || is_decoration(c)) continue;
    if (!may_mark(c) || (mark != 0 && c != mark)) return 0;
    mark = c;
  }
  return mark;
}

}  // namespace

// Nine groups of digits apart, each digit once in its group, some groups
// of several: a row of a grid of pencil marks, each cell's candidates.
bool candidate_row(const std::uint32_t* cp, int n) {
  int groups = 0;
  int longest = 0;
  int length = 0;
  unsigned seen = 0;
  for (int i = 0; i <= n; ++i) {
    if (i < n && is_cell(cp[i])) {
      if (!is_given(cp[i])) return false;
      const unsigned bit = 1U << (cp[i] - '0');
      if ((seen & bit) != 0) return false;
      seen |= bit;
      ++length;
      continue;
    }
    if (length > 0) ++groups;
    if (length > longest) longest = length;
    length = 0;
    seen = 0;
  }
  return groups == 9 && longest >= 2;
}

// Where the first nine cells of a row stand on its line.
void cell_columns(const std::uint32_t* cp, int n, int from, GridEntry& row) {
  int found = 0;
  for (int i = from; i < n && found < 9; ++i) {
    if (is_cell(cp[i])) row.columns[found++] = static_cast<std::int16_t>(i);
  }
}

// A line inside a grid that holds digits where the grid's cells stand,
// though it is no row: a damaged row, not text. Returns the column (from
// 0) of its first character there that is no cell, or -1.
int cells_where_rows_have_them(const Recogniser& r, const std::uint32_t* cp,
                               int n) {
  const GridEntry* first = nullptr;
  for (int i = 0; i < r.entry_count && first == nullptr; ++i) {
    const GridEntry& entry = r.entries[i];
    if (!entry.rule && !entry.pending && entry.shape.length >= 0) {
      first = &entry;
    }
  }
  if (first == nullptr) return -1;
  int standing = 0;
  int digits = 0;
  int stray = -1;
  for (const std::int16_t at : first->columns) {
    if (at >= n || is_blank(cp[at]) || is_decoration(cp[at])) continue;
    ++standing;
    digits += is_given(cp[at]) ? 1 : 0;
    if (stray < 0 && !is_cell(cp[at])) stray = at;
  }
  return standing >= 5 && digits > 0 ? stray : -1;
}

// Reads the line's own mark as '.' when that makes a row or a list line of
// 81 cells; else leaves the line as it is. Returns whether it did.
bool read_own_mark(std::uint32_t* cp, int n) {
  const std::uint32_t mark = own_mark(cp, n);
  if (mark == 0) return false;
  int cells = 0;
  for (int i = 0; i < n; ++i) cells += is_cell(cp[i]) || cp[i] == mark ? 1 : 0;
  if (cells != 9 && cells != 81) return false;
  for (int i = 0; i < n; ++i) {
    if (cp[i] == mark) cp[i] = '.';
  }
  return true;
}

// A row of nine cells with one of them mistyped as a letter or a symbol
// ("1 . . | . l . | . . 9"): that character's column (from 0), or -1.
int stray_in_row(std::uint32_t* cp, int n, int from) {
  int stray = -1;
  int cells = 0;
  for (int i = from; i < n; ++i) {
    if (is_cell(cp[i])) {
      ++cells;
    } else if (!is_decoration(cp[i])) {
      if (stray >= 0 || cp[i] >= kNotUtf8 || is_control(cp[i])) return -1;
      stray = i;
    }
  }
  if (cells == 8 || stray < 0) return cells == 8 ? stray : -1;
  // A fixed-width row with the stray in a cell's place.
  const std::uint32_t c = cp[stray];
  cp[stray] = ' ';
  std::uint8_t row[9];
  const bool fixed = parts::fixed_width_row(cp + from, n - from, row);
  cp[stray] = c;
  return fixed ? stray : -1;
}

// A list puzzle among text, its 81 cells side by side with a mark of its
// own for the empty ones ("Gioco 3: 12o3oooo4..."): that mark read as '.'
// within those cells only, so that a label keeps its letters.
void own_mark_run(std::uint32_t* cp, int n) {
  int start = 0;
  while (start < n) {
    std::uint32_t mark = 0;
    int i = start;
    int givens = 0;
    for (; i < n; ++i) {
      const std::uint32_t c = cp[i];
      if (is_given(c)) {
        ++givens;
      } else if (mark == 0 && may_mark(c)) {
        mark = c;
      } else if (c != mark) {
        break;
      }
    }
    const bool bounded = start == 0 || !may_mark(cp[start - 1]);
    if (i - start == 81 && mark != 0 && givens > 0 && bounded) {
      for (int k = start; k < i; ++k) {
        if (cp[k] == mark) cp[k] = '.';
      }
      return;
    }
    start = i > start ? i : start + 1;
  }
}

}  // namespace recognise::parts
