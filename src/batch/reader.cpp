// Reading the inputs: large reads, the fast path tried at each line start
// where the recogniser stands between puzzles, the recogniser fed the rest
// a line at a time.
#include "batch/reader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace batch {

namespace {

constexpr std::size_t kReadSize = 1 << 20;

// The cell bytes of the fast path and their digits (0: empty), -1 for any
// other byte.
constexpr std::array<signed char, 256> make_fast_cells() {
  std::array<signed char, 256> table{};
  for (auto& entry : table) entry = -1;
  for (int d = 1; d <= 9; ++d)
    table[static_cast<unsigned>('0' + d)] = static_cast<signed char>(d);
  table['.'] = 0;
  table['0'] = 0;
  return table;
}
constexpr std::array<signed char, 256> kFastCells = make_fast_cells();

struct Reading {
  const Stream* stream;
  importa::Recogniser* r;
  Entry entry;  // the next entry's number and input
  bool stopped;
  std::int64_t offset;  // bytes of the inputs before the current read
};

bool deliver(Reading& reading) {
  if (!reading.stream->deliver(reading.entry, reading.stream->context)) {
    reading.stopped = true;
  }
  ++reading.entry.number;
  return !reading.stopped;
}

void take_puzzle(const importa::Puzzle& puzzle, void* context) {
  Reading& reading = *static_cast<Reading*>(context);
  if (reading.stopped) return;
  const importa::Recogniser& r = *reading.r;
  reading.entry.kind = EntryKind::kPuzzle;
  reading.entry.line = r.emitted_line;
  reading.entry.puzzle = puzzle;
  int length = r.emitted_label_length;
  length = length < 0
               ? 0
               : (length > importa::kMaxLabel ? importa::kMaxLabel : length);
  std::memcpy(reading.entry.label, r.emitted_label,
              static_cast<std::size_t>(length));
  reading.entry.label_length = length;
  deliver(reading);
  reading.entry.label_length = 0;
}

bool take_refusal(const importa::Refusal& refusal, void* context) {
  Reading& reading = *static_cast<Reading*>(context);
  if (reading.stopped) return false;
  if (refusal.problem == importa::Problem::kNoPuzzle &&
      !reading.stream->report_empty) {
    return true;
  }
  reading.entry.kind = EntryKind::kDamaged;
  reading.entry.line = refusal.line;
  reading.entry.puzzle = {};
  reading.entry.refusal = refusal;
  return deliver(reading);
}

void take_unreadable(Reading& reading, int error) {
  reading.entry.kind = EntryKind::kUnreadable;
  reading.entry.puzzle = {};
  const importa::Recogniser* r = reading.r;
  reading.entry.line = r == nullptr ? 0 : r->line + (r->length > 0 ? 1 : 0);
  reading.entry.error = error;
  deliver(reading);
}

// Between puzzles, with no line begun: where a fast line may stand.
bool between_puzzles(const importa::Recogniser& r) {
  return r.length == 0 && !r.swallow_lf && !r.skipping && r.entry_count == 0 &&
         !r.triples;
}

// The bytes of one read: fast lines taken directly, anything else fed to
// the recogniser up to the next line end.
void take_bytes(Reading& reading, const char* data, std::size_t size) {
  importa::Recogniser& r = *reading.r;
  importa::Refusal refusal;
  importa::Puzzle fast;
  std::size_t at = 0;
  while (at < size && !reading.stopped) {
    std::size_t used = 0;
    if (reading.stream->fast_path && between_puzzles(r) &&
        fast_line(data + at, size - at, fast, used)) {
      reading.entry.puzzle = fast;
      // What the recogniser keeps of a puzzle it emits: a grid that follows
      // with only blank or rule lines between and solves it is its
      // solution, not a puzzle.
      r.emitted_line = ++r.line;
      ++r.puzzles;
      r.last = fast;
      r.last_open = true;
      reading.entry.kind = EntryKind::kPuzzle;
      reading.entry.line = r.line;
      reading.entry.consumed =
          reading.offset + static_cast<std::int64_t>(at + used);
      deliver(reading);
      at += used;
      continue;
    }
    const void* end = std::memchr(data + at, '\n', size - at);
    const std::size_t upto =
        end == nullptr
            ? size
            : static_cast<std::size_t>(static_cast<const char*>(end) - data) +
                  1;
    reading.entry.consumed = reading.offset + static_cast<std::int64_t>(upto);
    importa::feed(r, data + at, upto - at, take_puzzle, &reading, refusal);
    at = upto;
  }
  reading.offset += static_cast<std::int64_t>(size);
  reading.entry.consumed = reading.offset;
}

// The input waits: the caller hands on what it has. False to stop.
bool pause(Reading& reading) {
  if (!reading.stream->idle(reading.stream->context)) reading.stopped = true;
  return !reading.stopped;
}

// Reads one open input to its end. Each read follows a wait for input
// that the stream's wake descriptor breaks, so that neither a signal that
// comes just before the read nor a non-blocking input (EAGAIN) stops it.
void read_input(Reading& reading, int fd, char* buffer) {
  for (;;) {
    pollfd wait[2] = {{fd, POLLIN, 0}, {reading.stream->wake, POLLIN, 0}};
    if (poll(wait, 2, -1) < 0 && errno != EINTR) {
      take_unreadable(reading, errno);
      return;
    }
    if (wait[1].revents != 0) {
      reading.stopped = true;
      return;
    }
    const ssize_t got = wait[0].revents == 0 ? -1 : read(fd, buffer, kReadSize);
    if (got < 0 && (wait[0].revents == 0 || errno == EINTR || errno == EAGAIN ||
                    errno == EWOULDBLOCK)) {
      if (!pause(reading)) return;
      continue;
    }
    if (got < 0) {
      take_unreadable(reading, errno);
      return;
    }
    if (got == 0) break;
    take_bytes(reading, buffer, static_cast<std::size_t>(got));
    if (reading.stopped) return;
    if (static_cast<std::size_t>(got) < kReadSize && !pause(reading)) return;
  }
  importa::Refusal refusal;
  importa::finish(*reading.r, take_puzzle, &reading, refusal);
}

bool read_named(Reading& reading, const char* name, char* buffer) {
  const bool standard = name == nullptr || std::strcmp(name, "-") == 0;
  const int fd = standard ? STDIN_FILENO : open(name, O_RDONLY | O_CLOEXEC);
  // Value-initialised in place: the recogniser is too large for a stack.
  importa::Recogniser& r = *new (reading.r) importa::Recogniser{};
  r.on_refusal = take_refusal;
  if (fd < 0) {
    take_unreadable(reading, errno);
  } else {
    read_input(reading, fd, buffer);
    if (!standard) close(fd);
  }
  return !reading.stopped;
}

}  // namespace

bool fast_line(const char* line, std::size_t size, importa::Puzzle& puzzle,
               std::size_t& used) {
  if (size < 82) return false;
  if (line[81] == '\n') {
    used = 82;
  } else if (size >= 83 && line[81] == '\r' && line[82] == '\n') {
    used = 83;
  } else {
    return false;
  }
  unsigned bad = 0;
  for (unsigned i = 0; i < 81; ++i) {
    const signed char digit = kFastCells[static_cast<unsigned char>(line[i])];
    bad |= static_cast<unsigned>(digit) >> 8;
    puzzle[i] = static_cast<std::uint8_t>(digit);
  }
  return bad == 0;
}

const char* input_is_output(const char* const* names, int count) {
  struct stat out {};
  if (fstat(STDOUT_FILENO, &out) != 0 || !S_ISREG(out.st_mode)) return nullptr;
  for (int i = 0; i < (count == 0 ? 1 : count); ++i) {
    const char* name = count == 0 ? "-" : names[i];
    struct stat in {};
    const int got = std::strcmp(name, "-") == 0 ? fstat(STDIN_FILENO, &in)
                                                : stat(name, &in);
    if (got == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
      return name;
  }
  return nullptr;
}

bool read_inputs(const char* const* names, int count, const Stream& stream) {
  auto* buffer = static_cast<char*>(std::malloc(kReadSize));
  void* memory = std::malloc(sizeof(importa::Recogniser));
  importa::Recogniser* r =
      memory == nullptr ? nullptr : new (memory) importa::Recogniser{};
  Reading reading{&stream, r, Entry{}, false, 0};
  reading.entry.number = 1;
  if (buffer == nullptr || r == nullptr) {
    take_unreadable(reading, ENOMEM);
  } else if (count == 0) {
    read_named(reading, nullptr, buffer);
  } else {
    for (int i = 0; i < count && !reading.stopped; ++i) {
      reading.entry.input = i;
      read_named(reading, names[i], buffer);
    }
  }
  std::free(buffer);
  std::free(memory);
  return !reading.stopped;
}

}  // namespace batch
