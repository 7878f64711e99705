// Fuzz target: the batch programs' reader (batch/reader.h) on arbitrary
// bytes. Its oracle is conservation: nothing is lost, nothing invented.
// - The bytes, read from a pipe in pieces of many sizes with the fast path
//   for lines of 81 cells on, give the very entries (kind, number, line,
//   puzzle, label, refusal) that the recogniser alone gives on the whole input
//   read at once: a puzzle is one of the input's puzzles, in its place, and
//   no piece boundary moves or drops one.
// - Every entry is a puzzle or a refusal with its reason; numbers run from
//   1 without a gap; no input read from memory is unreadable.
// - Each puzzle's givens come from the input: no digit is given more often
//   than the input holds it.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "batch/reader.h"
#include "fuzz_target.h"

namespace {

// The file the whole input is written to for the recogniser's reading,
// open and already unlinked, so that no run leaves it behind; the reader
// opens it again as /dev/fd/N.
int scratch_file() {
  static const int fd = [] {
    char path[] = "/tmp/batch_reader_fuzz_XXXXXX";
    const int made = mkstemp(path);
    if (made < 0) std::abort();
    unlink(path);
    return made;
  }();
  return fd;
}

struct Feed {
  std::vector<batch::Entry> entries;
  // The pipe's writing end and what is still to go into it (none: a file).
  int write_end = -1;
  const std::uint8_t* rest = nullptr;
  std::size_t left = 0;
  std::uint32_t seed = 0;
};

bool keep(const batch::Entry& entry, void* context) {
  static_cast<Feed*>(context)->entries.push_back(entry);
  return true;
}

// The reader has taken all it was given: the next piece, of 1 to 200
// bytes, or the end of the input.
bool next_piece(void* context) {
  Feed& feed = *static_cast<Feed*>(context);
  if (feed.write_end < 0) return true;
  if (feed.left == 0) {
    close(feed.write_end);
    feed.write_end = -1;
    return true;
  }
  feed.seed = feed.seed * 1103515245U + 12345U;
  std::size_t piece = 1 + (feed.seed >> 16) % 200;
  if (piece > feed.left) piece = feed.left;
  if (write(feed.write_end, feed.rest, piece) != static_cast<ssize_t>(piece))
    std::abort();
  feed.rest += piece;
  feed.left -= piece;
  return true;
}

std::vector<batch::Entry> read_whole(const std::uint8_t* data,
                                     std::size_t size) {
  const int fd = scratch_file();
  if (ftruncate(fd, 0) != 0 ||
      pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
    std::abort();
  }
  char name[32];
  std::snprintf(name, sizeof name, "/dev/fd/%d", fd);
  const char* names[] = {name};
  Feed feed;
  batch::Stream stream{keep, next_piece, &feed, false};
  if (!batch::read_inputs(names, 1, stream)) std::abort();
  return feed.entries;
}

std::vector<batch::Entry> read_in_pieces(const std::uint8_t* data,
                                         std::size_t size) {
  int ends[2];
  if (pipe(ends) != 0) std::abort();
  Feed feed;
  feed.write_end = ends[1];
  feed.rest = data;
  feed.left = size;
  feed.seed = static_cast<std::uint32_t>(size) * 2654435761U +
              (size > 0 ? data[0] : 0U);
  next_piece(&feed);  // the first piece is there before the first read
  char name[32];
  std::snprintf(name, sizeof name, "/dev/fd/%d", ends[0]);
  const char* names[] = {name};
  batch::Stream stream{keep, next_piece, &feed, true};
  if (!batch::read_inputs(names, 1, stream)) std::abort();
  if (feed.write_end >= 0) close(feed.write_end);
  close(ends[0]);
  return feed.entries;
}

bool same(const batch::Entry& a, const batch::Entry& b) {
  return a.number == b.number && a.input == b.input && a.line == b.line &&
         a.kind == b.kind && a.puzzle == b.puzzle &&
         a.label_length == b.label_length &&
         std::memcmp(a.label, b.label,
                     static_cast<std::size_t>(a.label_length)) == 0 &&
         (a.kind != batch::EntryKind::kDamaged ||
          (a.refusal.problem == b.refusal.problem &&
           a.refusal.line == b.refusal.line &&
           a.refusal.column == b.refusal.column));
}

// No digit given more often than the input holds it.
void check_givens(const base::Puzzle& puzzle, const std::size_t* held) {
  std::size_t given[10] = {};
  for (const std::uint8_t d : puzzle.cell) {
    if (d > 9) std::abort();
    ++given[d];
  }
  for (int d = 1; d <= 9; ++d) {
    if (given[d] > held[d]) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::vector<batch::Entry> whole = read_whole(data, size);
  const std::vector<batch::Entry> pieces = read_in_pieces(data, size);
  if (whole.size() != pieces.size()) std::abort();
  std::size_t held[10] = {};
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] >= '1' && data[i] <= '9') ++held[data[i] - '0'];
  }
  for (std::size_t i = 0; i < whole.size(); ++i) {
    const batch::Entry& entry = whole[i];
    if (!same(entry, pieces[i])) std::abort();
    if (entry.number != static_cast<std::int64_t>(i) + 1) std::abort();
    if (entry.kind == batch::EntryKind::kUnreadable) std::abort();
    if (entry.kind == batch::EntryKind::kDamaged) {
      if (entry.refusal.problem == recognise::Problem::kNone) std::abort();
      continue;
    }
    check_givens(entry.puzzle, held);
  }
  return 0;
}
