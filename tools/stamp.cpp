// Build-time tool: appends the integrity trailer to the linked executable.
// A file that already carries a valid trailer is left as it is, so running
// the tool twice is harmless.
#include <cstdio>
#include <vector>

#include "front/integrity.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vortel_stamp EXECUTABLE\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::vector<unsigned char> image;
  unsigned char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    image.insert(image.end(), chunk, chunk + got);
  }
  const bool read_failed = std::ferror(file) != 0;
  std::fclose(file);
  if (read_failed) {
    std::fprintf(stderr, "%s: read error\n", argv[1]);
    return 1;
  }
  if (front::image_is_intact(image.data(), image.size())) return 0;
  unsigned char trailer[front::kTrailerSize];
  front::make_trailer(image.data(), image.size(), trailer);
  file = std::fopen(argv[1], "ab");
  if (file == nullptr ||
      std::fwrite(trailer, 1, sizeof trailer, file) != sizeof trailer ||
      std::fclose(file) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
