// A puzzle's label: the text a person wrote beside it, kept so that an
// answer can be joined back to its puzzle. Written back to UTF-8 from the
// line's characters; a byte that was not UTF-8 becomes U+FFFD and a tab a
// blank, so that the label never breaks a line or a column of the output.
#include "recognise/characters.h"
#include "recognise/parts.h"

namespace recognise::parts {

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

bool trimmed_at_end(std::uint32_t c) {
  return is_blank(c) || c == ':' || c == ',' || c == ';' || c == '|' ||
         c == '=';
}

bool trimmed_at_start(std::uint32_t c) {
  return is_blank(c) || c == ',' || c == ';' || c == '|';
}

// The UTF-8 bytes of one character: how many (1-4).
int encode(std::uint32_t c, char* out) {
  if (c >= kNotUtf8 || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c == '\t') c = ' ';
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

}  // namespace

void keep_label(Recogniser& r, const std::uint32_t* cp, int from, int to) {
  while (from < to && trimmed_at_start(cp[from])) ++from;
  while (to > from && trimmed_at_end(cp[to - 1])) --to;
  int length = 0;
  for (int i = from; i < to; ++i) {
    char bytes[4];
    const int size = encode(cp[i], bytes);
    if (length + size > kMaxLabel) break;  // cut at a character's boundary
    for (int b = 0; b < size; ++b) r.label[length++] = bytes[b];
  }
  r.label_length = length;
}

void keep_comment(Recogniser& r, const std::uint32_t* cp, int n, int first) {
  keep_label(r, cp, first + 1, n);  // past the '#'
}

}  // namespace recognise::parts
