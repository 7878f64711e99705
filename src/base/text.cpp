#include "base/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace base {

namespace {

// The room left before the byte kept for a NUL or a line end.
std::size_t room_left(const Text& t) {
  return !t.cut && t.length + 1 < t.size ? t.size - 1 - t.length : 0;
}

// Adds the bytes whole or not at all: an escape or a character is never
// cut in two, and nothing follows a piece that did not fit.
void add_whole(Text& t, const char* bytes, std::size_t count) {
  if (count > room_left(t) || t.size == 0) {
    t.cut = true;
    return;
  }
  std::memcpy(t.data + t.length, bytes, count);
  t.length += count;
  t.data[t.length] = '\0';
}

}  // namespace

void add_bytes(Text& t, const char* bytes, std::size_t count) {
  if (t.size == 0) return;
  const std::size_t room = room_left(t);
  if (count > room) {
    count = room;
    t.cut = true;
  }
  std::memcpy(t.data + t.length, bytes, count);
  t.length += count;
  t.data[t.length] = '\0';
}

void add(Text& t, const char* s) {
  add_bytes(t, s, std::strlen(s));
}

void add_char(Text& t, char c) {
  add_bytes(t, &c, 1);
}

void add_number(Text& t, long long value) {
  char digits[24];
  std::size_t n = 0;
  const bool negative = value < 0;
  unsigned long long rest = negative
                                ? 0ULL - static_cast<unsigned long long>(value)
                                : static_cast<unsigned long long>(value);
  do {
    digits[sizeof digits - 1 - n++] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (negative) digits[sizeof digits - 1 - n++] = '-';
  add_whole(t, digits + sizeof digits - n, n);
}

void add_format(Text& t, const char* format, ...) {
  va_list args;
  va_start(args, format);
  add_vformat(t, format, args);
  va_end(args);
}

void add_vformat(Text& t, const char* format, va_list args) {
  const std::size_t room = room_left(t);
  if (room == 0) return;
  const int n = std::vsnprintf(t.data + t.length, room + 1, format, args);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) > room) t.cut = true;
  t.length +=
      static_cast<std::size_t>(n) < room ? static_cast<std::size_t>(n) : room;
}

std::size_t utf8_length(const unsigned char* p, std::size_t count) {
  if (count == 0) return 0;
  if (p[0] < 0x80) return 1;
  std::size_t length = 0;
  unsigned low = 0x80;  // the range of the second byte
  unsigned high = 0xBF;
  if (p[0] >= 0xC2 && p[0] <= 0xDF) {
    length = 2;
  } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
    length = 3;
    low = p[0] == 0xE0 ? 0xA0 : 0x80;
    high = p[0] == 0xED ? 0x9F : 0xBF;
  } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
    length = 4;
    low = p[0] == 0xF0 ? 0x90 : 0x80;
    high = p[0] == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (count < length || p[1] < low || p[1] > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  }
  return length;
}

void add_json_string(Text& t, const char* s, std::size_t count) {
  static const char kHex[] = "0123456789abcdef";
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  add_whole(t, "\"", 1);
  for (std::size_t at = 0; at < count;) {
    const unsigned c = p[at];
    const std::size_t length = utf8_length(p + at, count - at);
    if (length == 0) {
      add_whole(t, "\\ufffd", 6);
    } else if (c == '"' || c == '\\') {
      const char escaped[2] = {'\\', static_cast<char>(c)};
      add_whole(t, escaped, 2);
    } else if (c < 0x20 || c == 0x7F) {
      const char escaped[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
      add_whole(t, escaped, 6);
    } else {
      add_whole(t, s + at, length);
    }
    at += length == 0 ? 1 : length;
  }
  add_whole(t, "\"", 1);
}

void add_tsv_string(Text& t, const char* s, std::size_t count) {
  for (std::size_t at = 0; at < count; ++at) {
    const auto c = static_cast<unsigned char>(s[at]);
    add_char(t, c < 0x20 || c == 0x7F ? ' ' : s[at]);
  }
}

}  // namespace base
