// A text written into a fixed buffer: the one text builder of the
// programs' lines and messages (the answer lines, the ladder's notation,
// the recogniser's refusals). And the two ways a string field is made
// safe: a tab-separated line keeps its columns and its line end whatever a
// field holds, and a JSON string is valid JSON whatever bytes it was given.
#ifndef VORTEL_BASE_TEXT_H_
#define VORTEL_BASE_TEXT_H_

#include <cstdarg>
#include <cstddef>

namespace base {

/// A text being written into `data`: at most `size - 1` bytes are kept,
/// always followed by a NUL (the byte left for it may take a line end
/// instead), what does not fit is cut, and an escape or a UTF-8 sequence
/// is never cut in two.
struct Text {
  char* data;
  std::size_t size;
  std::size_t length = 0;
  bool cut = false;  // something did not fit: nothing more is added
};

void add_bytes(Text& t, const char* bytes, std::size_t count);
void add(Text& t, const char* s);
void add_char(Text& t, char c);
void add_number(Text& t, long long value);
[[gnu::format(printf, 2, 3)]] void add_format(Text& t, const char* format, ...);
[[gnu::format(printf, 2, 0)]] void add_vformat(Text& t, const char* format,
                                               va_list args);

/// `count` bytes as a JSON string, quotes included. Every byte that is not
/// part of well-formed UTF-8 becomes U+FFFD (a JSON string is Unicode: a
/// file name in another encoding, a cut sequence); `"` and `\` are escaped,
/// and every control character (U+0000-U+001F, U+007F) is written as an
/// escape, so that a line of JSON is one line whatever it carries.
void add_json_string(Text& t, const char* s, std::size_t count);

/// `count` bytes as one field of a tab-separated line: a control character
/// (a tab, a line end, any other below U+0020, U+007F) becomes a blank, so
/// that no field can break the line or shift the columns after it.
void add_tsv_string(Text& t, const char* s, std::size_t count);

/// The length of the well-formed UTF-8 sequence at `p` of the `count`
/// bytes there (1 to 4), or 0 when none begins there: overlong forms,
/// surrogates, code points above U+10FFFF and cut sequences are not
/// well-formed.
std::size_t utf8_length(const unsigned char* p, std::size_t count);

}  // namespace base

#endif  // VORTEL_BASE_TEXT_H_
