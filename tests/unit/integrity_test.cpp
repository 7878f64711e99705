// The verdict of the self-check on synthetic images: what counts, what does
// not, and where the slot must be.
#include "front/integrity.h"

#include <elf.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Two segments like a linker's: the first starts at file offset 0 (so it
// holds the ELF header), the second holds the slot at `kSlot`.
struct Image {
  std::vector<unsigned char> header = std::vector<unsigned char>(3001);
  std::vector<unsigned char> code = std::vector<unsigned char>(12347);
  static constexpr std::uint64_t kCodeOffset = 8192;
  static constexpr std::uint64_t kSlot = kCodeOffset + 4000;

  Image() {
    for (std::size_t i = 0; i < header.size(); ++i) {
      header[i] = static_cast<unsigned char>((i * 131 + 7) % 251);
    }
    for (std::size_t i = 0; i < code.size(); ++i) {
      code[i] = static_cast<unsigned char>((i * 37 + 11) % 253);
    }
  }
  std::vector<front::ImageSegment> segments() const {
    return {{header.data(), 0, header.size()},
            {code.data(), kCodeOffset, code.size()}};
  }
  unsigned char* sum_bytes() {
    return code.data() + (kSlot - kCodeOffset) + front::kSlotSumOffset;
  }
  void stamp() {
    const auto s = segments();
    const std::uint64_t sum = front::image_checksum(s.data(), s.size(), kSlot);
    for (int i = 0; i < 8; ++i) {
      sum_bytes()[i] = static_cast<unsigned char>(sum >> (8 * i));
    }
  }
  bool intact(std::uint64_t slot = kSlot) const {
    const auto s = segments();
    return front::image_is_intact(s.data(), s.size(), slot);
  }
};

TEST(IntegrityTest, StampedImagePassesAndStampingAgainChangesNothing) {
  Image image;
  EXPECT_FALSE(image.intact());  // never stamped
  image.stamp();
  EXPECT_TRUE(image.intact());
  const std::vector<unsigned char> once = image.code;
  image.stamp();
  EXPECT_EQ(image.code, once);
}

// Every byte that counts is guarded, the stored checksum included; the
// section-table fields of the ELF header, which strip rewrites, are not.
TEST(IntegrityTest, EveryCountedByteIsGuardedAndOnlyThose) {
  Image image;
  image.stamp();
  const auto is_section_field = [](std::size_t i) {
    return (i >= offsetof(Elf64_Ehdr, e_shoff) &&
            i < offsetof(Elf64_Ehdr, e_flags)) ||
           (i >= offsetof(Elf64_Ehdr, e_shentsize) && i < sizeof(Elf64_Ehdr));
  };
  for (std::size_t i = 0; i < image.header.size(); ++i) {
    image.header[i] ^= 0x40;
    EXPECT_EQ(image.intact(), is_section_field(i)) << "header byte " << i;
    image.header[i] ^= 0x40;
  }
  for (std::size_t i = 0; i < image.code.size(); ++i) {
    image.code[i] ^= 0x01;
    EXPECT_FALSE(image.intact()) << "code byte " << i;
    image.code[i] ^= 0x01;
  }
  EXPECT_TRUE(image.intact());
}

TEST(IntegrityTest, SlotOutsideTheReadOnlyImageFails) {
  Image image;
  image.stamp();
  EXPECT_FALSE(image.intact(Image::kCodeOffset + image.code.size() - 8));
  EXPECT_FALSE(image.intact(5000));          // between the two segments
  image.code.resize(image.code.size() - 1);  // a shorter segment
  EXPECT_FALSE(image.intact());
}

}  // namespace

namespace {

// A small linked image with a writable segment, as a linker lays it out:
// the read-only segment holds the ELF header, one program header (the
// dynamic section's), a relocation table and the slot; the writable
// segment, linked at another address than its file offset, holds three
// words that relocations name (the last one of type NONE) and the dynamic
// section.
struct LinkedImage {
  static constexpr std::uint64_t kWritableOffset = 0x1000;
  static constexpr std::uint64_t kWritableAddress = 0x2000;
  static constexpr std::uint64_t kDynamic = 0x40;  // in the writable segment
  static constexpr std::uint64_t kRelocations = 0x200;
  static constexpr std::uint64_t kSlot = 0x300;
  static constexpr std::uint64_t kBias = 0x555555554000;
  std::vector<unsigned char> read_only = std::vector<unsigned char>(0x400);
  std::vector<unsigned char> writable = std::vector<unsigned char>(0x100);

  template <typename T>
  static void put(std::vector<unsigned char>& bytes, std::uint64_t at, T v) {
    std::memcpy(bytes.data() + at, &v, sizeof v);
  }
  static std::uint64_t word(const std::vector<unsigned char>& bytes,
                            std::uint64_t at) {
    std::uint64_t v;
    std::memcpy(&v, bytes.data() + at, sizeof v);
    return v;
  }
  // The byte offset, in the writable segment, of entry `e`'s value.
  static constexpr std::uint64_t value_of(int e) {
    return kDynamic + 16 * static_cast<std::uint64_t>(e) + 8;
  }

  LinkedImage() {
    for (std::size_t i = 0; i < writable.size(); ++i) {
      writable[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    Elf64_Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = ELFCLASS64;
    header.e_phoff = sizeof header;
    header.e_phentsize = sizeof(Elf64_Phdr);
    header.e_phnum = 1;
    put(read_only, 0, header);
    Elf64_Phdr dynamic{};
    dynamic.p_type = PT_DYNAMIC;
    dynamic.p_vaddr = kWritableAddress + kDynamic;
    dynamic.p_filesz = 5 * sizeof(Elf64_Dyn);
    put(read_only, sizeof header, dynamic);
    const std::uint64_t types[3] = {R_X86_64_RELATIVE, R_X86_64_GLOB_DAT,
                                    R_X86_64_NONE};
    for (std::uint64_t r = 0; r < 3; ++r) {
      put(read_only, kRelocations + r * sizeof(Elf64_Rela),
          Elf64_Rela{kWritableAddress + 8 * r, types[r], 0});
    }
    const Elf64_Dyn entries[5] = {{DT_RELA, {kRelocations}},
                                  {DT_RELASZ, {3 * sizeof(Elf64_Rela)}},
                                  {DT_STRTAB, {0x180}},
                                  {DT_DEBUG, {0}},
                                  {DT_NULL, {0}}};
    for (int e = 0; e < 5; ++e) {
      put(writable, kDynamic + 16 * static_cast<std::uint64_t>(e), entries[e]);
    }
    const auto s = segments();
    put(read_only, kSlot + front::kSlotSumOffset,
        front::image_checksum(s.data(), s.size(), kSlot));
  }
  std::vector<front::ImageSegment> segments() const {
    return {{read_only.data(), 0, read_only.size(), 0, false},
            {writable.data(), kWritableOffset, writable.size(),
             kWritableAddress, true}};
  }
  bool intact(std::uint64_t bias = 0) const {
    const auto s = segments();
    return front::image_is_intact(s.data(), s.size(), kSlot, bias);
  }
  // As the loader leaves it: relocation targets and DT_DEBUG's value
  // written, the values of DT_RELA and DT_STRTAB moved by the load address.
  void load() {
    put(writable, 0, kBias + 0x123);
    put(writable, 8, std::uint64_t{0x7F0012345678});
    put(writable, value_of(3), std::uint64_t{0x7F00AAAA0000});
    put(writable, value_of(0), word(writable, value_of(0)) + kBias);
    put(writable, value_of(2), word(writable, value_of(2)) + kBias);
  }
};

// The writable segment counts as the loader left it: the words it writes
// from counted data do not count, anything else does, and the entries it
// moves by the load address count moved back.
TEST(IntegrityTest, WritableSegmentCountsAsTheLoaderLeftIt) {
  LinkedImage image;
  EXPECT_TRUE(image.intact());
  image.load();
  EXPECT_TRUE(image.intact(LinkedImage::kBias));
  EXPECT_FALSE(image.intact());  // the moved entries, not moved back

  const LinkedImage loaded = image;
  // Every byte but those of the two relocated words and DT_DEBUG's value.
  for (std::size_t i = 16; i < image.writable.size(); ++i) {
    if (i >= LinkedImage::value_of(3) && i < LinkedImage::value_of(3) + 8) {
      continue;
    }
    image.writable[i] ^= 0x10;
    EXPECT_FALSE(image.intact(LinkedImage::kBias)) << "writable byte " << i;
    image.writable = loaded.writable;
  }
  // The relocation table and the program header count as read-only bytes.
  image.read_only[LinkedImage::kRelocations] ^= 0x08;
  EXPECT_FALSE(image.intact(LinkedImage::kBias));
  image.read_only = loaded.read_only;
  image.read_only[sizeof(Elf64_Ehdr) + offsetof(Elf64_Phdr, p_vaddr)] ^= 0x10;
  EXPECT_FALSE(image.intact(LinkedImage::kBias));
}

}  // namespace
