// The checksum of a program image, shared by the stamping tool and the
// self-check of the running program.
#include "front/integrity.h"

#include <elf.h>

namespace front {

namespace {

constexpr std::uint64_t kSeed = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kMultiplier = 0xFF51AFD7ED558CCDULL;

// One absorption step: xor with the word, multiply by an odd constant and
// fold the high half down. Each is invertible for a fixed word, so a
// change to one word always changes that lane's state.
constexpr std::uint64_t absorb(std::uint64_t h, std::uint64_t word) {
  h = (h ^ word) * kMultiplier;
  return h ^ (h >> 32);
}

// The checksum reads whole mapped segments, the padding between the
// program's constants included, which AddressSanitizer keeps poisoned as
// red zones around each global: the functions that read them are not
// instrumented (nor do they call the intercepted memcpy).
#define VORTEL_READS_WHOLE_SEGMENTS __attribute__((no_sanitize_address))

// Byte ranges [begin, end) of file offsets that count as zero.
constexpr std::size_t kHoles = 4;
struct Hole {
  std::uint64_t begin;
  std::uint64_t end;
};

// The bytes of the word at file offset `at` that lie in no hole.
std::uint64_t keep_mask(std::uint64_t at, const Hole* holes, std::size_t n) {
  std::uint64_t keep = ~std::uint64_t{0};
  for (std::size_t h = 0; h < n; ++h) {
    for (std::uint64_t b = 0; b < 8; ++b) {
      if (at + b >= holes[h].begin && at + b < holes[h].end) {
        keep &= ~(std::uint64_t{0xFF} << (8 * b));
      }
    }
  }
  return keep;
}

VORTEL_READS_WHOLE_SEGMENTS std::uint64_t load_le(const unsigned char* p,
                                                  int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// The image's bytes at file offset `at`, `size` of them, when one segment
// holds them all; null otherwise.
const unsigned char* bytes_at(const ImageSegment* segments, std::size_t count,
                              std::uint64_t at, std::uint64_t size) {
  for (std::size_t s = 0; s < count; ++s) {
    const ImageSegment& segment = segments[s];
    if (at >= segment.file_offset && size <= segment.size &&
        at - segment.file_offset <= segment.size - size) {
      return segment.bytes + (at - segment.file_offset);
    }
  }
  return nullptr;
}

// The image's ELF header, when it is a 64-bit ELF image; null otherwise.
VORTEL_READS_WHOLE_SEGMENTS const unsigned char* elf_header(
    const ImageSegment* segments, std::size_t count) {
  const unsigned char* header =
      bytes_at(segments, count, 0, sizeof(Elf64_Ehdr));
  if (header == nullptr || header[EI_MAG0] != ELFMAG0 ||
      header[EI_MAG1] != ELFMAG1 || header[EI_MAG2] != ELFMAG2 ||
      header[EI_MAG3] != ELFMAG3 || header[EI_CLASS] != ELFCLASS64) {
    return nullptr;
  }
  return header;
}

// The first program header of type `type` at index `index` or later, with
// `index` left at it; null when there is none (or no ELF header). Every
// field is read from the image itself, so the stamping tool and the
// running program find the same bytes.
VORTEL_READS_WHOLE_SEGMENTS const unsigned char* program_header(
    const ImageSegment* segments, std::size_t count, std::uint32_t type,
    std::uint64_t& index) {
  const unsigned char* header = elf_header(segments, count);
  if (header == nullptr) return nullptr;
  const std::uint64_t phoff =
      load_le(header + offsetof(Elf64_Ehdr, e_phoff), 8);
  const std::uint64_t phentsize =
      load_le(header + offsetof(Elf64_Ehdr, e_phentsize), 2);
  const std::uint64_t phnum =
      load_le(header + offsetof(Elf64_Ehdr, e_phnum), 2);
  for (; index < phnum; ++index) {
    const unsigned char* ph = bytes_at(
        segments, count, phoff + index * phentsize, sizeof(Elf64_Phdr));
    if (ph != nullptr &&
        load_le(ph + offsetof(Elf64_Phdr, p_type), 4) == type) {
      return ph;
    }
  }
  return nullptr;
}

// The descriptor of the GNU build-id note, found through the PT_NOTE
// program headers; an empty hole when the image has none (or is no 64-bit
// ELF image).
VORTEL_READS_WHOLE_SEGMENTS Hole build_id_hole(const ImageSegment* segments,
                                               std::size_t count) {
  for (std::uint64_t p = 0;; ++p) {
    const unsigned char* ph = program_header(segments, count, PT_NOTE, p);
    if (ph == nullptr) return {0, 0};
    const std::uint64_t at = load_le(ph + offsetof(Elf64_Phdr, p_offset), 8);
    const std::uint64_t size = load_le(ph + offsetof(Elf64_Phdr, p_filesz), 8);
    const unsigned char* notes = bytes_at(segments, count, at, size);
    // Each note: name size, descriptor size, type, then the name and the
    // descriptor, each padded to 4 bytes.
    for (std::uint64_t n = 0; notes != nullptr && n + 12 <= size;) {
      const std::uint64_t namesz = load_le(notes + n, 4);
      const std::uint64_t descsz = load_le(notes + n + 4, 4);
      const std::uint64_t type = load_le(notes + n + 8, 4);
      const std::uint64_t desc = n + 12 + ((namesz + 3) & ~std::uint64_t{3});
      if (desc > size || descsz > size - desc) break;
      if (type == NT_GNU_BUILD_ID && namesz == 4 && notes[n + 12] == 'G' &&
          notes[n + 13] == 'N' && notes[n + 14] == 'U' && notes[n + 15] == 0) {
        return {at + desc, at + desc + descsz};
      }
      n = desc + ((descsz + 3) & ~std::uint64_t{3});
    }
  }
}

// The writable segment's sum: each 8-byte word's share, a word's share
// depending on its index and its value alone, so that the words the loader
// rewrites can have their share replaced afterwards, one by one, without a
// copy of the segment. Injective in the word for each index, so a change
// to one word always changes the sum.
constexpr std::uint64_t share(std::uint64_t index, std::uint64_t word) {
  return absorb(kSeed + index * kMultiplier, word);
}

struct WritableSum {
  const ImageSegment& segment;
  std::uint64_t sum = 0;

  // The word at `address`; false when the segment's file bytes do not
  // hold an aligned word there.
  VORTEL_READS_WHOLE_SEGMENTS bool word_at(std::uint64_t address,
                                           std::uint64_t& word) const {
    const std::uint64_t at = address - segment.address;
    if (address < segment.address || at % 8 != 0 || at >= segment.size) {
      return false;
    }
    word =
        at + 8 <= segment.size
            ? load_le(segment.bytes + at, 8)
            : load_le(segment.bytes + at, static_cast<int>(segment.size - at));
    return true;
  }
  // The word at `address` counts as `value`.
  void count_as(std::uint64_t address, std::uint64_t value) {
    std::uint64_t word;
    if (!word_at(address, word)) return;
    const std::uint64_t index = (address - segment.address) / 8;
    sum += share(index, value) - share(index, word);
  }
};

// Where the two relocation tables (the general one and the one of the
// library-function table) are, as link addresses, and their sizes.
struct RelocationTables {
  std::uint64_t address[2] = {};
  std::uint64_t size[2] = {};
};

// The entries whose address the C library's loader moves in place by the
// load address (the last entry of each tag, the one it keeps).
constexpr bool moved_by_loader(std::uint64_t tag) {
  return tag == DT_HASH || tag == DT_PLTGOT || tag == DT_STRTAB ||
         tag == DT_SYMTAB || tag == DT_RELA || tag == DT_REL ||
         tag == DT_JMPREL || tag == DT_VERSYM || tag == DT_GNU_HASH ||
         tag == DT_RELR;
}

// Counts the dynamic section as the loader read it: DT_DEBUG values as
// zero, the entries it moved by the load address moved back (see
// integrity.h). Returns the relocation tables' places, read from the same
// entries.
VORTEL_READS_WHOLE_SEGMENTS RelocationTables
count_dynamic(WritableSum& sum, const ImageSegment* segments, std::size_t count,
              std::uint64_t load_bias) {
  RelocationTables tables;
  std::uint64_t p = 0;
  const unsigned char* ph = program_header(segments, count, PT_DYNAMIC, p);
  if (ph == nullptr) return tables;
  const std::uint64_t start = load_le(ph + offsetof(Elf64_Phdr, p_vaddr), 8);
  const std::uint64_t entries =
      load_le(ph + offsetof(Elf64_Phdr, p_filesz), 8) / sizeof(Elf64_Dyn);
  for (std::uint64_t e = 0; e < entries; ++e) {
    const std::uint64_t at = start + e * sizeof(Elf64_Dyn);
    std::uint64_t tag;
    std::uint64_t value;
    if (!sum.word_at(at, tag) || !sum.word_at(at + 8, value)) break;
    bool last = true;  // the loader keeps the last entry of each tag
    for (std::uint64_t later = e + 1; later < entries && last; ++later) {
      std::uint64_t other;
      last = !sum.word_at(start + later * sizeof(Elf64_Dyn), other) ||
             other != tag;
    }
    if (tag == DT_DEBUG) {
      sum.count_as(at + 8, 0);
    } else if (last && moved_by_loader(tag)) {
      value -= load_bias;
      sum.count_as(at + 8, value);
    }
    if (tag == DT_RELA) tables.address[0] = value;
    if (tag == DT_RELASZ) tables.size[0] = value;
    if (tag == DT_JMPREL) tables.address[1] = value;
    if (tag == DT_PLTRELSZ) tables.size[1] = value;
  }
  return tables;
}

// The image's bytes at link address `address`, `size` of them, when one
// segment holds them all; null otherwise.
const unsigned char* bytes_at_address(const ImageSegment* segments,
                                      std::size_t count, std::uint64_t address,
                                      std::uint64_t size) {
  for (std::size_t s = 0; s < count; ++s) {
    const ImageSegment& segment = segments[s];
    if (address >= segment.address && size <= segment.size &&
        address - segment.address <= segment.size - size) {
      return segment.bytes + (address - segment.address);
    }
  }
  return nullptr;
}

// The sum of the writable segment `segment`, the words the loader
// rewrites counted as described in integrity.h.
VORTEL_READS_WHOLE_SEGMENTS std::uint64_t writable_sum(
    const ImageSegment& segment, const ImageSegment* segments,
    std::size_t count, std::uint64_t load_bias) {
  WritableSum sum{segment};
  for (std::uint64_t at = 0; at < segment.size; at += 8) {
    std::uint64_t word = 0;
    sum.word_at(segment.address + at, word);
    sum.sum += share(at / 8, word);
  }
  const RelocationTables tables =
      count_dynamic(sum, segments, count, load_bias);
  for (int t = 0; t < 2; ++t) {
    const unsigned char* table =
        bytes_at_address(segments, count, tables.address[t], tables.size[t]);
    for (std::uint64_t r = 0; table != nullptr && r < tables.size[t];
         r += sizeof(Elf64_Rela)) {
      const std::uint64_t info =
          load_le(table + r + offsetof(Elf64_Rela, r_info), 8);
      if (ELF64_R_TYPE(info) == R_X86_64_NONE) continue;
      sum.count_as(load_le(table + r + offsetof(Elf64_Rela, r_offset), 8), 0);
    }
  }
  return sum.sum;
}

}  // namespace

VORTEL_READS_WHOLE_SEGMENTS std::uint64_t image_checksum(
    const ImageSegment* segments, std::size_t count, std::uint64_t slot_offset,
    std::uint64_t load_bias) {
  const Hole holes[kHoles] = {
      {offsetof(Elf64_Ehdr, e_shoff), offsetof(Elf64_Ehdr, e_flags)},
      {offsetof(Elf64_Ehdr, e_shentsize), sizeof(Elf64_Ehdr)},
      {slot_offset + kSlotSumOffset, slot_offset + kSlotSize},
      build_id_hole(segments, count)};
  // Four independent lanes, word i of a segment going to lane i mod 4, so
  // that the multiplications do not wait on each other.
  std::uint64_t lane[4] = {kSeed, kSeed + 1, kSeed + 2, kSeed + 3};
  for (std::size_t s = 0; s < count; ++s) {
    const ImageSegment& segment = segments[s];
    lane[0] = absorb(lane[0], segment.file_offset);
    lane[1] = absorb(lane[1], segment.size);
    if (segment.writable) {
      lane[2] =
          absorb(lane[2], writable_sum(segment, segments, count, load_bias));
      continue;
    }
    const std::uint64_t first = segment.file_offset;
    for (std::size_t i = 0; i < segment.size; i += 8) {
      std::uint64_t word;
      if (i + 8 <= segment.size) {
        word = load_le(segment.bytes + i, 8);
      } else {
        unsigned char tail[8] = {};
        for (std::size_t b = i; b < segment.size; ++b) {
          tail[b - i] = segment.bytes[b];
        }
        word = load_le(tail, 8);
      }
      const std::uint64_t at = first + i;
      for (const Hole& hole : holes) {
        if (at < hole.end && at + 8 > hole.begin) {
          word &= keep_mask(at, holes, kHoles);
          break;
        }
      }
      std::uint64_t& h = lane[(i / 8) % 4];
      h = absorb(h, word);
    }
  }
  std::uint64_t sum = absorb(lane[0], lane[1]);
  sum = absorb(sum, lane[2]);
  sum = absorb(sum, lane[3]);
  return absorb(sum, kSeed);
}

VORTEL_READS_WHOLE_SEGMENTS bool image_is_intact(const ImageSegment* segments,
                                                 std::size_t count,
                                                 std::uint64_t slot_offset,
                                                 std::uint64_t load_bias) {
  for (std::size_t s = 0; s < count; ++s) {
    const ImageSegment& segment = segments[s];
    if (!segment.writable && slot_offset >= segment.file_offset &&
        slot_offset + kSlotSize <= segment.file_offset + segment.size) {
      const unsigned char* slot =
          segment.bytes + (slot_offset - segment.file_offset);
      return load_le(slot + kSlotSumOffset, 8) ==
             image_checksum(segments, count, slot_offset, load_bias);
    }
  }
  return false;  // no slot in the read-only image: not a stamped program
}

}  // namespace front
