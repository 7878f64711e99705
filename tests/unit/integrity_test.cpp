// The verdict of the self-check on synthetic images: what counts, what does
// not, and where the slot must be.
#include "front/integrity.h"

#include <elf.h>
#include <gtest/gtest.h>

#include <cstddef>
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
