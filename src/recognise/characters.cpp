// Characters and the scans of a line.
#include "recognise/characters.h"

namespace recognise {

bool is_blank(std::uint32_t c) {
  return c == ' ' || c == '\t';
}

bool is_given(std::uint32_t c) {
  return c >= '1' && c <= '9';
}

// The empty-cell marks, each with a bit of its own for Recogniser::marks.
int empty_mark_bit(std::uint32_t c) {
  switch (c) {
  case '.':
    return 0;
  case '0':
    return 1;
  case '_':
    return 2;
  case 'x':
    return 3;
  case 'X':
    return 4;
  case '*':
    return 5;
  case '-':
    return 6;
  case '?':
    return 7;
  default:
    return -1;
  }
}

bool is_cell(std::uint32_t c) {
  return is_given(c) || empty_mark_bit(c) >= 0;
}

// Marks that people also draw rules with.
bool is_rule_mark(std::uint32_t c) {
  return c == '-' || c == '*' || c == '_';
}

bool is_decoration(std::uint32_t c) {
  return is_blank(c) || c == '|' || c == ':' || c == ',' || c == '+' ||
         c == '=' || (c >= 0x2500 && c <= 0x257F);
}

bool is_letter(std::uint32_t c) {
  if (c == 'x' || c == 'X') return false;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  if (c >= 0xC0 && c <= 0x24F) return c != 0xD7 && c != 0xF7;
  return (c >= 0x370 && c <= 0x6FF) || (c >= 0x1E00 && c <= 0x1FFF) ||
         (c >= 0x3040 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF);
}

bool is_control(std::uint32_t c) {
  return (c < 0x20 && c != '\t') || c == 0x7F;
}

int decode(const unsigned char* s, std::size_t n, std::uint32_t* out) {
  int count = 0;
  std::size_t i = 0;
  while (i < n) {
    const unsigned b = s[i];
    // The length of the sequence that the lead byte announces, and the
    // least code point that needs that length (shorter forms are invalid).
    std::size_t extra = 0;
    std::uint32_t least = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      least = 0x10000;
    } else if (b >= 0x80) {
      out[count++] = kNotUtf8 + b;
      ++i;
      continue;
    }
    std::uint32_t c = extra == 0 ? b : b & (0x7FU >> (extra + 1));
    bool good = true;
    for (std::size_t k = 1; good && k <= extra; ++k) {
      good = i + k < n && (s[i + k] & 0xC0) == 0x80;
      if (good) c = (c << 6) | (s[i + k] & 0x3F);
    }
    if (good && extra > 0 &&
        (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
      good = false;
    }
    if (!good) {
      out[count++] = kNotUtf8 + b;
      ++i;
      continue;
    }
    out[count++] = c;
    i += extra + 1;
  }
  return count;
}

bool looks_like_triple(const std::uint32_t* cp, int n) {
  int digits = 0;
  for (int i = 0; i < n; ++i) {
    if (is_blank(cp[i])) continue;
    if (!is_given(cp[i]) || (i + 1 < n && !is_blank(cp[i + 1]))) return false;
    ++digits;
  }
  return digits == 3;
}

LineScan scan_line(const std::uint32_t* cp, int n) {
  LineScan scan;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t c = cp[i];
    if (is_control(c) && scan.control < 0) scan.control = i;
    if (scan.first < 0 && !is_blank(c)) scan.first = i;
    scan.letters = scan.letters || is_letter(c);
    if (scan.other < 0 && !is_cell(c) && !is_decoration(c)) scan.other = i;
  }
  return scan;
}

CellScan scan_cells(const std::uint32_t* cp, int n) {
  CellScan scan;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t c = cp[i];
    if (!is_cell(c)) continue;
    if (scan.count == 0) scan.first = i;
    if (is_given(c)) {
      ++scan.digits;
      if (scan.count < 9)
        scan.row[scan.count] = static_cast<std::uint8_t>(c - '0');
    } else {
      scan.marks |= 1U << empty_mark_bit(c);
    }
    scan.drawn = scan.drawn && is_rule_mark(c);
    scan.one_mark =
        scan.one_mark && (scan.rule_mark == 0 || scan.rule_mark == c);
    scan.rule_mark = c;
    ++scan.count;
  }
  return scan;
}

}  // namespace recognise
