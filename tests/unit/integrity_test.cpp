// The executable's checksum trailer.
#include "front/integrity.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> sample_image(std::size_t size) {
  std::vector<unsigned char> image(size);
  for (std::size_t i = 0; i < size; ++i) {
    image[i] = static_cast<unsigned char>((i * 131 + 7) % 251);
  }
  return image;
}

std::vector<unsigned char> stamped(std::vector<unsigned char> image) {
  unsigned char trailer[front::kTrailerSize];
  front::make_trailer(image.data(), image.size(), trailer);
  image.insert(image.end(), trailer, trailer + sizeof trailer);
  return image;
}

TEST(IntegrityTest, StampedImagesPass) {
  for (std::size_t size : {0U, 1U, 7U, 8U, 9U, 4096U, 100001U}) {
    const std::vector<unsigned char> image = stamped(sample_image(size));
    EXPECT_TRUE(front::image_is_intact(image.data(), image.size())) << size;
  }
}

// Every single-byte change, in the body or the trailer, is caught.
TEST(IntegrityTest, AnyChangedByteFails) {
  const std::vector<unsigned char> good = stamped(sample_image(203));
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (unsigned delta : {1U, 0x80U}) {
      std::vector<unsigned char> bad = good;
      bad[i] = static_cast<unsigned char>(bad[i] ^ delta);
      EXPECT_FALSE(front::image_is_intact(bad.data(), bad.size())) << i;
    }
  }
}

TEST(IntegrityTest, TruncatedOrExtendedImagesFail) {
  std::vector<unsigned char> image = stamped(sample_image(1000));
  image.push_back(0);
  EXPECT_FALSE(front::image_is_intact(image.data(), image.size()));
  image.pop_back();
  image.pop_back();
  EXPECT_FALSE(front::image_is_intact(image.data(), image.size()));
  EXPECT_FALSE(front::image_is_intact(image.data(), 10));
  const std::vector<unsigned char> bare = sample_image(1000);
  EXPECT_FALSE(front::image_is_intact(bare.data(), bare.size()));
}

}  // namespace
