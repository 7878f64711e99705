// The self-check: a checksum of the bytes that the loader maps read-only
// from the executable (code and constant data), stored inside that image
// by the build and compared at start-up with the bytes as they are in
// memory. No file is read and /proc is not needed, so the check works in
// chroots and minimal containers, through links, through the dynamic
// loader and for an execute-only binary.
//
// What counts: every PT_LOAD segment without write permission, in program
// header order, each as its file offset, its size and its p_filesz bytes.
// Bytes the loader does not map (symbols, debug information, the section
// table, anything appended) are not part of the program, so stripping does
// not alter it. Within the mapped bytes, three places count as zero:
//  - the 8 checksum bytes of the slot, which cannot hold their own sum;
//  - the ELF header's section-table fields (e_shoff, e_shentsize, e_shnum,
//    e_shstrndx), which strip rewrites and the loader never reads;
//  - the descriptor of the GNU build-id note (found through the PT_NOTE
//    program headers), an identifier that debuginfo tools rewrite and that
//    no instruction of the program reads.
// The slot is 16 constant bytes: the 8-byte magic kSlotMagic, which lets
// the stamping tool find it in the file, then the 64-bit checksum,
// little-endian, zero until stamped.
#ifndef VORTEL_FRONT_INTEGRITY_H_
#define VORTEL_FRONT_INTEGRITY_H_

#include <cstddef>
#include <cstdint>

namespace front {

inline constexpr std::size_t kSlotSize = 16;
inline constexpr std::size_t kSlotSumOffset = 8;

/// One read-only loadable segment: its bytes (mapped or in the file), its
/// offset in the file and its size in the file.
struct ImageSegment {
  const unsigned char* bytes;
  std::uint64_t file_offset;
  std::size_t size;
};

/// The 64-bit checksum of the segments, with the bytes described above
/// counted as zero; `slot_offset` is the slot's file offset. Any change to
/// a single byte that counts changes the result.
std::uint64_t image_checksum(const ImageSegment* segments, std::size_t count,
                             std::uint64_t slot_offset);

/// The verdict on an image: intact when the slot lies inside one of the
/// segments and holds the checksum of them all.
bool image_is_intact(const ImageSegment* segments, std::size_t count,
                     std::uint64_t slot_offset);

/// The verdict on this process's own program, from its mapped segments
/// (found through its program headers) and its slot.
bool program_is_intact();

}  // namespace front

#endif  // VORTEL_FRONT_INTEGRITY_H_
