// The recogniser. Each line is one of:
//  - blank, or a comment (its first non-blank character is '#'): skipped;
//  - text (its first non-blank character is a letter): a title such as
//    vortel's "Tabella iniziale", "Caselle incognite: 48" or "Soluzione
//    N. 3", or any other message; skipped between grids;
//  - a rule: only '-', '=', '+', '|' and blanks, with a '=' or two dashes
//    side by side, or no dash at all; skipped. (A line such as
//    "   - - -   - - -   - - -", vortel's row of nine open cells, has
//    lone dashes: it is a row of cells.)
//  - cells: digits 1-9 for givens, any of ". 0 - _ *" for an empty cell,
//    with blanks, tabs, '|', '+' and ':' between them ignored. Nine cells
//    make a grid row, and nine rows (blank lines and rules between them
//    allowed) a puzzle; 81 cells are a puzzle on their own.
#include "importa/recognise.h"

namespace importa {

namespace {

bool is_blank(unsigned char c) {
  return c == ' ' || c == '\t';
}

bool is_letter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_rule_character(unsigned char c) {
  return c == '-' || c == '=' || c == '+' || c == '|' || is_blank(c);
}

bool is_decoration(unsigned char c) {
  return is_blank(c) || c == '|' || c == '+' || c == ':';
}

bool is_empty_mark(unsigned char c) {
  return c == '.' || c == '0' || c == '-' || c == '_' || c == '*';
}

bool is_rule(const unsigned char* text, std::size_t length) {
  bool dash = false;
  bool heavy = false;  // '=' or two dashes side by side
  for (std::size_t i = 0; i < length; ++i) {
    if (!is_rule_character(text[i])) return false;
    if (text[i] == '=') heavy = true;
    if (text[i] == '-') {
      if (i > 0 && text[i - 1] == '-') heavy = true;
      dash = true;
    }
  }
  return heavy || !dash;
}

bool refuse(Refusal& refusal, Problem problem, long line, long column) {
  refusal.problem = problem;
  refusal.line = line;
  refusal.column = column;
  return false;
}

}  // namespace

bool feed_line(Recogniser& r, const char* line_text, std::size_t length,
               Emit emit, void* context, Refusal& refusal) {
  const auto* text = reinterpret_cast<const unsigned char*>(line_text);
  ++r.line;
  long column_base = 1;  // the column of text[0]
  if (r.line == 1 && length >= 3 && text[0] == 0xEF && text[1] == 0xBB &&
      text[2] == 0xBF) {
    text += 3;
    length -= 3;
    column_base = 4;
  }
  if (length > 0 && text[length - 1] == '\r') --length;

  std::size_t first = 0;
  while (first < length && is_blank(text[first])) ++first;
  if (first == length || text[first] == '#') return true;
  if (is_letter(text[first])) {
    if (r.rows == 0) return true;
    refusal.count = r.rows;
    return refuse(refusal, Problem::kGridCutShort, r.line,
                  column_base + static_cast<long>(first));
  }
  if (is_rule(text, length)) return true;

  Puzzle cells{};
  int count = 0;
  long first_cell = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char c = text[i];
    if (is_decoration(c)) continue;
    const long column = column_base + static_cast<long>(i);
    std::uint8_t digit;
    if (c >= '1' && c <= '9') {
      digit = static_cast<std::uint8_t>(c - '0');
    } else if (is_empty_mark(c)) {
      digit = 0;
    } else {
      refusal.character = c;
      return refuse(refusal, Problem::kBadCharacter, r.line, column);
    }
    if (count == 0) first_cell = column;
    if (count < 81) cells[static_cast<unsigned>(count)] = digit;
    ++count;
  }
  if (count == 0) return true;  // decoration alone
  if (count == 81) {
    if (r.rows != 0) {
      refusal.count = r.rows;
      return refuse(refusal, Problem::kGridCutShort, r.line, first_cell);
    }
    ++r.puzzles;
    emit(cells, context);
    return true;
  }
  if (count != 9) {
    refusal.count = count;
    return refuse(refusal, Problem::kWrongCellCount, r.line, first_cell);
  }
  for (unsigned c = 0; c < 9; ++c) {
    r.grid[static_cast<unsigned>(9 * r.rows) + c] = cells[c];
  }
  if (++r.rows == 9) {
    r.rows = 0;
    ++r.puzzles;
    emit(r.grid, context);
  }
  return true;
}

bool finish(const Recogniser& r, Refusal& refusal) {
  if (r.rows != 0) {
    refusal.count = r.rows;
    return refuse(refusal, Problem::kGridCutShort, r.line + 1, 1);
  }
  if (r.puzzles == 0) return refuse(refusal, Problem::kNoPuzzle, 0, 0);
  return true;
}

}  // namespace importa
