// The one-line form of a puzzle: see line.h.
#include "importa/line.h"

namespace importa {

std::size_t format_line(const Puzzle& puzzle, const char* label,
                        int label_length, char* out) {
  std::size_t size = 0;
  for (const std::uint8_t digit : puzzle.cell) {
    out[size++] = digit == 0 ? '.' : static_cast<char>('0' + digit);
  }
  if (label_length > kMaxLabel) label_length = kMaxLabel;
  if (label != nullptr && label_length > 0) {
    out[size++] = ' ';
    for (int i = 0; i < label_length; ++i) {
      const auto byte = static_cast<unsigned char>(label[i]);
      out[size++] = byte < 0x20 || byte == 0x7f ? ' ' : label[i];
    }
  }
  out[size++] = '\n';
  return size;
}

}  // namespace importa
