// The self-check: a checksum of the bytes that the loader maps from the
// executable (code, constant data and the initial writable data), stored
// inside the read-only image by the build and compared at start-up with
// the bytes as they are in memory. No file is read and /proc is not needed, so
// the check works in chroots and minimal containers, through links, through the
// dynamic loader and for an execute-only binary.
//
// What counts: every PT_LOAD segment, in program header order, each as its
// file offset, its size and its p_filesz bytes; the program is linked for
// immediate binding with its relocated data made read-only after
// relocation (-z relro -z now), so that no table of the writable segment
// is filled lazily, behind the check's back.
// Bytes the loader does not map (symbols, debug information, the section
// table, anything appended) are not part of the program, so stripping does
// not alter it. Within the mapped bytes, three places count as zero:
//  - the 8 checksum bytes of the slot, which cannot hold their own sum;
//  - the ELF header's section-table fields (e_shoff, e_shentsize, e_shnum,
//    e_shstrndx), which strip rewrites and the loader never reads;
//  - the descriptor of the GNU build-id note (found through the PT_NOTE
//    program headers), an identifier that debuginfo tools rewrite and that
//    no instruction of the program reads.
// The writable segment is checked as the loader left it, before any
// constructor runs: its file bytes count, except the words that the loader
// itself rewrites from data that counts, which count as zero wherever they
// are read:
//  - the target word of every dynamic relocation (the relocation tables
//    are read-only; a RELA relocation ignores what the file holds there);
//  - the value of each DT_DEBUG entry of the dynamic section, where the
//    loader leaves its debugger rendezvous;
// and the dynamic section's address entries that the C library's loader
// moves by the load address in place (DT_HASH, DT_PLTGOT, DT_STRTAB,
// DT_SYMTAB, DT_RELA, DT_REL, DT_JMPREL, DT_VERSYM, DT_GNU_HASH, DT_RELR:
// the last entry of each) count as the file holds them, the load address
// taken off again. Everything else there, the initialised data and the
// constructor tables' entries not relocated included, counts as it is.
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

/// One loadable segment: its bytes (mapped or in the file), its offset in
/// the file, its size in the file, its link address, and whether it is the
/// writable one.
struct ImageSegment {
  const unsigned char* bytes;
  std::uint64_t file_offset;
  std::size_t size;
  std::uint64_t address = 0;
  bool writable = false;
};

/// The 64-bit checksum of the segments, with the bytes described above
/// counted as zero; `slot_offset` is the slot's file offset, `load_bias`
/// the load address when the bytes are the mapped ones (0 for the file).
/// Any change to a single byte that counts changes the result.
std::uint64_t image_checksum(const ImageSegment* segments, std::size_t count,
                             std::uint64_t slot_offset,
                             std::uint64_t load_bias = 0);

/// The verdict on an image: intact when the slot lies inside one of the
/// read-only segments and holds the checksum of them all.
bool image_is_intact(const ImageSegment* segments, std::size_t count,
                     std::uint64_t slot_offset, std::uint64_t load_bias = 0);

}  // namespace front

#endif  // VORTEL_FRONT_INTEGRITY_H_
