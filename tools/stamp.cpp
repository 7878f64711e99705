// Build-time tool: stores the integrity checksum in the slot of a linked
// vortel (see src/front/integrity.h). The slot is found by its magic in
// the read-only loadable segments, where it must stand exactly once. The
// checksum bytes themselves do not count, so stamping again is harmless.
#include <elf.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "front/integrity.h"

namespace {

constexpr unsigned char kSlotMagic[8] = {'V', 'R', 'T', 'L',
                                         'S', 'U', 'M', '2'};

int fail(const char* path, const char* why) {
  std::fprintf(stderr, "vortel_stamp: %s: %s\n", path, why);
  return 1;
}

// The read-only loadable segments of the image and the file offsets where
// the slot's magic stands in them. Null when the image is no 64-bit
// little-endian ELF executable (or a segment lies beyond its end).
const char* find_segments(const std::vector<unsigned char>& image,
                          std::vector<front::ImageSegment>& segments,
                          std::vector<std::uint64_t>& slots) {
  Elf64_Ehdr header;
  if (image.size() < sizeof header) return "not an ELF file";
  std::memcpy(&header, image.data(), sizeof header);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_ident[EI_DATA] != ELFDATA2LSB ||
      header.e_phentsize != sizeof(Elf64_Phdr) ||
      header.e_phoff + std::uint64_t{header.e_phnum} * sizeof(Elf64_Phdr) >
          image.size()) {
    return "not a 64-bit little-endian ELF executable";
  }
  for (unsigned p = 0; p < header.e_phnum; ++p) {
    Elf64_Phdr ph;
    std::memcpy(&ph, image.data() + header.e_phoff + p * sizeof ph, sizeof ph);
    if (ph.p_type != PT_LOAD) continue;
    if (ph.p_offset + ph.p_filesz > image.size()) {
      return "segment beyond the end of the file";
    }
    const bool writable = (ph.p_flags & PF_W) != 0;
    segments.push_back({image.data() + ph.p_offset, ph.p_offset,
                        static_cast<std::size_t>(ph.p_filesz), ph.p_vaddr,
                        writable});
    if (writable) continue;  // the slot is in the read-only image
    for (std::uint64_t at = 0; at + front::kSlotSize <= ph.p_filesz; ++at) {
      if (std::memcmp(image.data() + ph.p_offset + at, kSlotMagic,
                      sizeof kSlotMagic) == 0) {
        slots.push_back(ph.p_offset + at);
      }
    }
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vortel_stamp EXECUTABLE\n");
    return 2;
  }
  const char* path = argv[1];
  std::FILE* file = std::fopen(path, "r+b");
  if (file == nullptr) {
    std::perror(path);
    return 1;
  }
  std::vector<unsigned char> image;
  unsigned char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    image.insert(image.end(), chunk, chunk + got);
  }
  if (std::ferror(file) != 0) return fail(path, "read error");
  std::vector<front::ImageSegment> segments;
  std::vector<std::uint64_t> slots;
  if (const char* why = find_segments(image, segments, slots)) {
    return fail(path, why);
  }
  if (slots.size() != 1) {
    return fail(path, "the integrity slot must appear exactly once");
  }
  const std::uint64_t sum =
      front::image_checksum(segments.data(), segments.size(), slots[0]);
  unsigned char stored[8];
  for (int i = 0; i < 8; ++i) {
    stored[i] = static_cast<unsigned char>(sum >> (8 * i));
  }
  if (std::fseek(file, static_cast<long>(slots[0] + front::kSlotSumOffset),
                 SEEK_SET) != 0 ||
      std::fwrite(stored, 1, sizeof stored, file) != sizeof stored ||
      std::fclose(file) != 0) {
    std::perror(path);
    return 1;
  }
  return 0;
}
