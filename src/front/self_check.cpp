// The self-check of the running program.
#include "front/self_check.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "front/integrity.h"

// The slot, in the constant data (so inside a read-only segment). The
// stamping tool finds it by its magic and fills in the checksum; the magic
// appears nowhere else in the program. Reads go through a laundered
// pointer, so the compiler cannot fold the stamped value to the zeros it
// was compiled with.
extern const unsigned char kIntegritySlot[front::kSlotSize];
const unsigned char kIntegritySlot[front::kSlotSize] = {'V', 'R', 'T', 'L',
                                                        'S', 'U', 'M', '2'};

// Reads whole mapped segments, which AddressSanitizer may keep poisoned in
// part (see integrity.cpp).
#define VORTEL_READS_WHOLE_SEGMENTS __attribute__((no_sanitize_address))

namespace front {

namespace {

// More loadable segments than any linker makes: refused.
constexpr std::size_t kMaxSegments = 16;

// The loadable segments of the main program, as mapped. The first object
// that dl_iterate_phdr reports is the main program, also when the dynamic
// loader was started by hand with the program as its argument.
struct MappedImage {
  ImageSegment segments[kMaxSegments];
  bool code[kMaxSegments] = {};  // the segment is executable
  std::size_t count = 0;
  std::uint64_t slot_offset = 0;
  std::uint64_t load_bias = 0;
  bool slot_found = false;
};

int collect_segments(dl_phdr_info* info, std::size_t /*size*/, void* data) {
  auto* image = static_cast<MappedImage*>(data);
  const unsigned char* slot = kIntegritySlot;
  asm("" : "+r"(slot));  // the launder: see kIntegritySlot
  const auto slot_address = reinterpret_cast<std::uintptr_t>(slot);
  for (ElfW(Half) p = 0; p < info->dlpi_phnum; ++p) {
    const ElfW(Phdr)& header = info->dlpi_phdr[p];
    if (header.p_type != PT_LOAD) continue;
    if (image->count == sizeof image->segments / sizeof image->segments[0]) {
      image->slot_found = false;  // more than any linker makes: refuse
      return 1;
    }
    const std::uintptr_t start = info->dlpi_addr + header.p_vaddr;
    // The loader reports where it mapped the program as an integer.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    const auto* bytes = reinterpret_cast<const unsigned char*>(start);
    const bool writable = (header.p_flags & PF_W) != 0;
    image->code[image->count] = (header.p_flags & PF_X) != 0;
    image->segments[image->count++] = {bytes, header.p_offset, header.p_filesz,
                                       header.p_vaddr, writable};
    image->load_bias = info->dlpi_addr;
    if (!writable && slot_address >= start &&
        slot_address < start + header.p_filesz) {
      image->slot_offset = header.p_offset + (slot_address - start);
      image->slot_found = true;
    }
  }
  return 1;  // the main program only
}

// The x86-64 breakpoint instruction, int3.
constexpr unsigned char kBreakpoint = 0xCC;

// The mapped read-only segments differ from the file's bytes `file`
// (`size` of them) only where the mapped byte is a breakpoint in code;
// `from_file` gets the image with the read-only segments taken from the file.
VORTEL_READS_WHOLE_SEGMENTS bool only_breakpoints(const MappedImage& image,
                                                  const unsigned char* file,
                                                  std::uint64_t size,
                                                  ImageSegment* from_file) {
  for (std::size_t s = 0; s < image.count; ++s) {
    const ImageSegment& mapped = image.segments[s];
    from_file[s] = mapped;
    if (mapped.writable) continue;
    if (mapped.file_offset > size || mapped.size > size - mapped.file_offset) {
      return false;
    }
    const unsigned char* original = file + mapped.file_offset;
    // Breakpoints go into code only: constant data must be as built.
    const bool code = image.code[s];
    for (std::size_t i = 0; i < mapped.size; ++i) {
      if (mapped.bytes[i] != original[i] &&
          !(code && mapped.bytes[i] == kBreakpoint)) {
        return false;
      }
    }
    from_file[s].bytes = original;
  }
  return true;
}

// The verdict when the mapped image does not match: see self_check.h.
// The whole file open at `fd`, read into memory that the caller frees;
// null when it cannot be read. Read, not mapped: a system-wide probe puts
// its breakpoints into every executable mapping of the file, this one
// included, but never into the file itself.
unsigned char* read_whole(int fd, std::uint64_t& size) {
  struct stat status {};
  if (fstat(fd, &status) != 0 || status.st_size <= 0) return nullptr;
  size = static_cast<std::uint64_t>(status.st_size);
  auto* bytes = static_cast<unsigned char*>(std::malloc(size));
  std::uint64_t done = 0;
  while (bytes != nullptr && done < size) {
    const ssize_t got =
        pread(fd, bytes + done, size - done, static_cast<off_t>(done));
    if (got > 0) {
      done += static_cast<std::uint64_t>(got);
    } else if (got == 0 || errno != EINTR) {
      std::free(bytes);
      bytes = nullptr;
    }
  }
  return bytes;
}

bool intact_but_for_breakpoints(const MappedImage& image) {
  const int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::uint64_t size = 0;
  unsigned char* file = read_whole(fd, size);
  close(fd);
  if (file == nullptr) return false;
  ImageSegment from_file[kMaxSegments];
  const bool intact = only_breakpoints(image, file, size, from_file) &&
                      image_is_intact(from_file, image.count, image.slot_offset,
                                      image.load_bias);
  std::free(file);
  return intact;
}

}  // namespace

bool program_is_intact() {
  MappedImage image;
  dl_iterate_phdr(collect_segments, &image);
  if (!image.slot_found) return false;
  return image_is_intact(image.segments, image.count, image.slot_offset,
                         image.load_bias) ||
         intact_but_for_breakpoints(image);
}

}  // namespace front
