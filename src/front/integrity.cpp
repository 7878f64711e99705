// Checksum of the executable image, shared with the stamping tool.
#include "front/integrity.h"

#include <cstring>

namespace front {

namespace {

constexpr std::uint64_t kSeed = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kMultiplier = 0xFF51AFD7ED558CCDULL;

// One absorption step: xor with the word, multiply by an odd constant and
// fold the high half down. Each is invertible for a fixed word.
constexpr std::uint64_t absorb(std::uint64_t h, std::uint64_t word) {
  h = (h ^ word) * kMultiplier;
  return h ^ (h >> 32);
}

std::uint64_t load_le64(const unsigned char* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

std::uint64_t image_checksum(const unsigned char* data, std::size_t size) {
  std::uint64_t h = kSeed ^ size;
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) h = absorb(h, load_le64(data + i));
  if (i < size) {
    unsigned char tail[8] = {};
    std::memcpy(tail, data + i, size - i);
    h = absorb(h, load_le64(tail));
  }
  return absorb(h, kSeed);
}

void make_trailer(const unsigned char* data, std::size_t size,
                  unsigned char (&trailer)[kTrailerSize]) {
  std::memcpy(trailer, kTrailerMagic, 8);
  const std::uint64_t sum = image_checksum(data, size);
  for (int i = 0; i < 8; ++i) {
    trailer[8 + i] = static_cast<unsigned char>(sum >> (8 * i));
  }
}

bool image_is_intact(const unsigned char* data, std::size_t size) {
  if (size < kTrailerSize) return false;
  const std::size_t body = size - kTrailerSize;
  unsigned char expected[kTrailerSize];
  make_trailer(data, body, expected);
  return std::memcmp(expected, data + body, kTrailerSize) == 0;
}

}  // namespace front
