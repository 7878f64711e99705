// The characters of the recogniser's input and what a line is made of.
//
// The bytes are cut into lines at LF, CR LF or a lone CR, and each line is
// decoded from UTF-8; a byte that is not UTF-8 stays a character of its own
// (kNotUtf8 + the byte), which only a text line may hold. Characters are:
//  - cells: the digits 1-9 (givens) and the empty-cell marks . 0 _ x X * - ?
//  - decoration: blank, tab, | : , + = and the box-drawing characters
//    U+2500-U+257F;
//  - letters: ASCII letters other than x and X, and the letters of the
//    Latin, Greek, Cyrillic, Hebrew, Arabic, CJK and Hangul blocks;
//  - anything else.
#ifndef VORTEL_RECOGNISE_CHARACTERS_H_
#define VORTEL_RECOGNISE_CHARACTERS_H_

#include <cstddef>
#include <cstdint>

namespace recognise {

/// A byte that does not start a well-formed UTF-8 sequence: this + the byte.
inline constexpr std::uint32_t kNotUtf8 = 0x110000;

bool is_blank(std::uint32_t c);
bool is_given(std::uint32_t c);
/// The bit of an empty-cell mark (0..7), or -1 for any other character.
int empty_mark_bit(std::uint32_t c);
bool is_cell(std::uint32_t c);
/// An empty-cell mark that people also draw rules with: '-', '*', '_'.
bool is_rule_mark(std::uint32_t c);
bool is_decoration(std::uint32_t c);
bool is_letter(std::uint32_t c);
/// A control character other than tab: not text.
bool is_control(std::uint32_t c);

/// Decodes `n` bytes into code points; returns how many.
int decode(const unsigned char* s, std::size_t n, std::uint32_t* out);

/// "r c d": three single digits 1-9 with blanks between them, nothing else.
bool looks_like_triple(const std::uint32_t* cp, int n);

/// What a line holds, in one look at its characters.
struct LineScan {
  int first = -1;        // the first character that is not blank
  int other = -1;        // the first that is neither cell nor decoration
  int control = -1;      // the first control character
  bool letters = false;  // any letter
};
LineScan scan_line(const std::uint32_t* cp, int n);

/// The cells of a line made only of cells and decoration.
struct CellScan {
  int count = 0;                // cells
  int digits = 0;               // givens among them
  int first = -1;               // where the first cell is
  unsigned marks = 0;           // the empty-cell marks used, a bit each
  std::uint32_t rule_mark = 0;  // the last rule-drawing mark seen
  bool drawn = true;            // only rule-drawing marks
  bool one_mark = true;         // and only one of them
  std::uint8_t row[9] = {};     // the first nine cells' digits, 0 if empty
};
CellScan scan_cells(const std::uint32_t* cp, int n);

}  // namespace recognise

#endif  // VORTEL_RECOGNISE_CHARACTERS_H_
