// The executable's integrity trailer: a checksum of the program's own bytes
// appended after linking by the stamping tool and verified at start-up.
//
// Layout of the trailer, the last 16 bytes of the file: the 8-byte magic
// word "VRTLSUM1", then the 64-bit checksum (little-endian) of every byte
// before the trailer.
#ifndef VORTEL_FRONT_INTEGRITY_H_
#define VORTEL_FRONT_INTEGRITY_H_

#include <cstddef>
#include <cstdint>

namespace front {

inline constexpr std::size_t kTrailerSize = 16;
inline constexpr char kTrailerMagic[9] = "VRTLSUM1";

/// 64-bit checksum of `size` bytes. Every step is a bijection of the state
/// for a fixed input word, so changing any single word of the input always
/// changes the result.
std::uint64_t image_checksum(const unsigned char* data, std::size_t size);

/// Writes the trailer for the `size` bytes at `data` into `trailer`.
void make_trailer(const unsigned char* data, std::size_t size,
                  unsigned char (&trailer)[kTrailerSize]);

/// True when the last 16 of `size` bytes are a trailer matching the rest.
bool image_is_intact(const unsigned char* data, std::size_t size);

}  // namespace front

#endif  // VORTEL_FRONT_INTEGRITY_H_
