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

struct Reading {
  const Stream* stream;
  recognise::Recogniser* r;
  Entry entry;  // the next entry's number and input
  bool stopped;
  std::int64_t offset;  // bytes of the inputs before the current read
  std::size_t at;       // the current line's start in the current read
  std::size_t used;     // a fast line: its bytes, known before its emit call
};

bool deliver(Reading& reading) {
  if (!reading.stream->deliver(reading.entry, reading.stream->context)) {
    reading.stopped = true;
  }
  ++reading.entry.number;
  return !reading.stopped;
}

void take_puzzle(const base::Puzzle& puzzle, void* context) {
  Reading& reading = *static_cast<Reading*>(context);
  if (reading.stopped) return;
  const recognise::Recogniser& r = *reading.r;
  reading.entry.kind = EntryKind::kPuzzle;
  reading.entry.line = r.emitted_line;
  reading.entry.puzzle = puzzle;
  int length = r.emitted_label_length;
  length = length < 0 ? 0
                      : (length > recognise::kMaxLabel ? recognise::kMaxLabel
                                                       : length);
  std::memcpy(reading.entry.label, r.emitted_label,
              static_cast<std::size_t>(length));
  reading.entry.label_length = length;
  deliver(reading);
  reading.entry.label_length = 0;
}

bool take_refusal(const recognise::Refusal& refusal, void* context) {
  Reading& reading = *static_cast<Reading*>(context);
  if (reading.stopped) return false;
  if (refusal.problem == recognise::Problem::kNoPuzzle &&
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
  const recognise::Recogniser* r = reading.r;
  reading.entry.line = r == nullptr ? 0 : r->line + (r->length > 0 ? 1 : 0);
  reading.entry.error = error;
  deliver(reading);
}

// A fast line's puzzle: the input read up to its line end.
void take_fast_puzzle(const base::Puzzle& puzzle, void* context) {
  Reading& reading = *static_cast<Reading*>(context);
  reading.entry.consumed =
      reading.offset + static_cast<std::int64_t>(reading.at + reading.used);
  take_puzzle(puzzle, context);
}

// The bytes of one read: fast lines taken directly, anything else fed to
// the recogniser up to the next line end.
void take_bytes(Reading& reading, const char* data, std::size_t size) {
  recognise::Recogniser& r = *reading.r;
  recognise::Refusal refusal;
  std::size_t& at = reading.at;
  at = 0;
  while (at < size && !reading.stopped) {
    if (reading.stream->fast_path &&
        recognise::take_fast_line(r, data + at, size - at, take_fast_puzzle,
                                  &reading, reading.used)) {
      at += reading.used;
      continue;
    }
    const void* end = std::memchr(data + at, '\n', size - at);
    const std::size_t upto =
        end == nullptr
            ? size
            : static_cast<std::size_t>(static_cast<const char*>(end) - data) +
                  1;
    reading.entry.consumed = reading.offset + static_cast<std::int64_t>(upto);
    recognise::feed(r, data + at, upto - at, take_puzzle, &reading, refusal);
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
  recognise::Refusal refusal;
  recognise::finish(*reading.r, take_puzzle, &reading, refusal);
}

bool read_named(Reading& reading, const char* name, char* buffer) {
  const bool standard = name == nullptr || std::strcmp(name, "-") == 0;
  const int fd = standard ? STDIN_FILENO : open(name, O_RDONLY | O_CLOEXEC);
  // Value-initialised in place: the recogniser is too large for a stack.
  recognise::Recogniser& r = *new (reading.r) recognise::Recogniser{};
  recognise::start(r, take_refusal);
  if (fd < 0) {
    take_unreadable(reading, errno);
  } else {
    read_input(reading, fd, buffer);
    if (!standard) close(fd);
  }
  return !reading.stopped;
}

}  // namespace

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
  void* memory = std::malloc(sizeof(recognise::Recogniser));
  recognise::Recogniser* r =
      memory == nullptr ? nullptr : new (memory) recognise::Recogniser{};
  Reading reading{&stream, r, Entry{}, false, 0, 0, 0};
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
