// The run's threads. The main thread reads and fills batches; each worker
// takes the oldest filled batch, answers its entries, and then, if no one
// else is writing, writes every batch that is done in sequence from the
// next one due. A ring of slots holds the batches in flight: batch s lives
// in slot s % slot_count, so the reader, finding its slot still in use,
// waits, and the memory stays bounded.
#include "batch/pipeline.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace batch {

namespace {

// The stop signal caught, 0 if none: written by the handler, read by every
// thread. A lock-free atomic is safe in a handler and between threads.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

// A pipe that becomes readable when a stop signal comes, and stays so: each
// wait of the run (for input, for room in the output) watches it too, so
// that none outlasts the signal whatever thread it is in. -1: none could be
// made (the waits are then broken by the signal itself, on the main thread).
int g_wake_read = -1;
int g_wake_write = -1;

// The signals whose default action ends the process, apart from SIGKILL,
// SIGPIPE (a gone reader ends a filter), SIGXFSZ (ignored: the write that
// passes the limit fails and says so) and the faults of the program itself;
// the real-time ones are added from SIGRTMIN to SIGRTMAX, which the C
// library decides.
constexpr int kStopSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGUSR1, SIGUSR2,
                                SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGVTALRM,
                                SIGPROF, SIGIO,   SIGPWR};

void stop_set(sigset_t& set) {
  sigemptyset(&set);
  for (const int number : kStopSignals) sigaddset(&set, number);
  for (int number = SIGRTMIN; number <= SIGRTMAX; ++number)
    sigaddset(&set, number);
}

// The first signal asks for a prompt end: the waits are broken through the
// wake pipe, no batch is written further than its last whole line, and the
// process ends by that signal. A second one ends the process at once: it
// is left for a write that no wait can see (a terminal stopped by ^S).
void catch_signal(int signal_number) {
  const int saved_errno = errno;
  int none = 0;
  if (g_signal.compare_exchange_strong(none, signal_number)) {
    const char byte = 0;
    if (g_wake_write >= 0 && write(g_wake_write, &byte, 1) < 0) {
      // Full already: it is readable, which is all it is for.
    }
  } else {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
    raise(signal_number);  // delivered as the handler returns
  }
  errno = saved_errno;
}

enum class SlotState { kEmpty, kFilled, kWorking, kDone };

// Text that grows as it is appended to.
struct Buffer {
  char* text = nullptr;
  std::size_t length = 0;
  std::size_t capacity = 0;
};

struct Slot {
  std::int64_t sequence = -1;
  SlotState state = SlotState::kEmpty;
  int count = 0;
  Entry entries[kMaxBatch];
  unsigned char kinds[kMaxBatch] = {};
  std::size_t ends[kMaxBatch] = {};  // where each entry's text ends
  Buffer out;
};

struct Shared {
  const Job* job = nullptr;
  int batch = kMaxBatch;  // entries a batch
  std::mutex lock;
  std::condition_variable changed;  // any slot changed state
  Slot* slots = nullptr;
  std::int64_t slot_count = 0;
  std::int64_t next_fill = 0;   // the batch the reader fills
  std::int64_t next_work = 0;   // the batch the next worker takes
  std::int64_t next_write = 0;  // the batch due to be written
  bool writing = false;         // a worker is writing
  bool input_done = false;
  bool stop = false;         // a failed write or a signal: write nothing more
  bool file_output = false;  // standard output is a file (see write_all)
  // Job::ordered's output: the batch being written, rewritten, and one
  // entry's room. Only the writer uses them, one at a time.
  Buffer rewritten;
  char* rewritten_entry = nullptr;
  Outcome outcome;
};

Slot& slot_of(Shared& s, std::int64_t sequence) {
  return s.slots[sequence % s.slot_count];
}

// What write_all returns when a stop signal came first.
constexpr int kStopped = -1;

// Waits until standard output (not a file) can take a write, or a stop
// signal comes. Returns 0 when it can, kStopped, or the errno of a failed
// wait.
int wait_for_room() {
  for (;;) {
    if (g_signal.load() != 0) return kStopped;
    pollfd wait[2] = {{STDOUT_FILENO, POLLOUT, 0}, {g_wake_read, POLLIN, 0}};
    if (poll(wait, 2, -1) < 0 && errno != EINTR) return errno;
    if (wait[1].revents != 0 || g_signal.load() != 0) return kStopped;
    if (wait[0].revents != 0) return 0;
  }
}

// The bytes of `data` that one piece takes: the lines that end within
// PIPE_BUF, or PIPE_BUF of a longer line.
std::size_t piece_of(const char* data, std::size_t size) {
  if (size <= PIPE_BUF) return size;
  const char* end = data + PIPE_BUF;
  while (end > data && end[-1] != '\n') --end;
  return end > data ? static_cast<std::size_t>(end - data) : PIPE_BUF;
}

// Writes all of `size` bytes (whole lines) to standard output, waiting while
// it cannot take more. Returns 0, the errno of a failed write, or kStopped
// when a stop signal came: what is written then ends with a whole line.
// A file takes each write whole, and a signal does not cut one short. Any
// other output (a pipe, a terminal, a socket) is written a piece at a time,
// each of whole lines and at most PIPE_BUF bytes, after a wait for room
// that the wake pipe breaks: a pipe takes such a piece whole or not at all,
// so a reader that has stopped reading leaves no line cut. (A line longer
// than PIPE_BUF is written in pieces of its own, and can be cut there.)
int write_all(const char* data, std::size_t size, bool file) {
  while (size > 0) {
    std::size_t piece = size;
    if (!file) {
      if (const int waited = wait_for_room(); waited != 0) return waited;
      piece = piece_of(data, size);
    }
    const ssize_t done = write(STDOUT_FILENO, data, piece);
    if (done >= 0) {
      data += done;
      size -= static_cast<std::size_t>(done);
    } else if (file && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A file need not wait for room; a device can.
      pollfd out = {STDOUT_FILENO, POLLOUT, 0};
      poll(&out, 1, -1);
    } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      return errno;
    }
  }
  return 0;
}

// Appends `size` bytes to the buffer.
bool append(Buffer& b, const char* data, std::size_t size) {
  if (b.length + size > b.capacity) {
    std::size_t capacity = b.capacity == 0 ? 65536 : b.capacity;
    while (capacity < b.length + size) capacity *= 2;
    void* grown = std::realloc(b.text, capacity);
    if (grown == nullptr) return false;
    b.text = static_cast<char*>(grown);
    b.capacity = capacity;
  }
  std::memcpy(b.text + b.length, data, size);
  b.length += size;
  return true;
}

// Answers every entry of the slot. False when memory ran out.
bool answer_slot(const Job& job, Slot& slot, char* scratch) {
  slot.out.length = 0;
  for (int i = 0; i < slot.count; ++i) {
    int kind = 0;
    std::size_t size = job.answer(slot.entries[i], scratch, job.answer_room,
                                  kind, job.context);
    if (size > job.answer_room - 1) size = job.answer_room - 1;
    slot.kinds[i] = static_cast<unsigned char>(kind);
    if (!append(slot.out, scratch, size)) return false;
    slot.ends[i] = slot.out.length;
  }
  return true;
}

// The slot's text through Job::ordered, entry by entry in order, into
// s.rewritten. False when memory ran out.
bool rewrite_slot(Shared& s, const Slot& slot) {
  const Job& job = *s.job;
  if (s.rewritten_entry == nullptr) {
    s.rewritten_entry = static_cast<char*>(std::malloc(job.answer_room));
    if (s.rewritten_entry == nullptr) return false;
  }
  s.rewritten.length = 0;
  std::size_t begin = 0;
  for (int i = 0; i < slot.count; ++i) {
    std::size_t size = job.ordered(slot.entries[i], slot.out.text + begin,
                                   slot.ends[i] - begin, s.rewritten_entry,
                                   job.answer_room, job.context);
    if (size == SIZE_MAX) return false;
    if (size > job.answer_room) size = job.answer_room;
    if (!append(s.rewritten, s.rewritten_entry, size)) return false;
    begin = slot.ends[i];
  }
  return true;
}

// With the lock held: writes, in sequence, every batch that is done, while
// no one else writes. The lock is let go during each write.
void write_ready(Shared& s, std::unique_lock<std::mutex>& held) {
  while (!s.writing && !s.stop && s.next_write < s.next_work) {
    Slot& slot = slot_of(s, s.next_write);
    if (slot.state != SlotState::kDone) return;
    s.writing = true;
    held.unlock();
    const bool rewritten = s.job->ordered == nullptr || rewrite_slot(s, slot);
    const Buffer& out = s.job->ordered != nullptr ? s.rewritten : slot.out;
    const int error = !rewritten || g_signal.load() != 0
                          ? kStopped
                          : write_all(out.text, out.length, s.file_output);
    held.lock();
    s.writing = false;
    if (!rewritten) s.outcome.no_memory = true;
    if (error != 0) {
      s.stop = true;
      if (error != kStopped) s.outcome.write_error = error;
      s.changed.notify_all();
      return;
    }
    s.outcome.entries += slot.count;
    for (int i = 0; i < slot.count; ++i) ++s.outcome.kinds[slot.kinds[i]];
    slot.state = SlotState::kEmpty;
    ++s.next_write;
    if (s.job->written != nullptr) {
      s.job->written(s.outcome.entries, slot.entries[slot.count - 1].consumed,
                     s.job->context);
    }
    s.changed.notify_all();
  }
}

void work(Shared& s) {
  char* scratch = static_cast<char*>(std::malloc(s.job->answer_room));
  std::unique_lock<std::mutex> held(s.lock);
  for (;;) {
    s.changed.wait(held, [&s] {
      return s.stop ||
             (s.next_work < s.next_fill &&
              slot_of(s, s.next_work).state == SlotState::kFilled) ||
             (s.input_done && s.next_work == s.next_fill);
    });
    if (s.stop || s.next_work == s.next_fill) break;
    Slot& slot = slot_of(s, s.next_work++);
    slot.state = SlotState::kWorking;
    held.unlock();
    const bool answered =
        scratch != nullptr && answer_slot(*s.job, slot, scratch);
    held.lock();
    if (!answered) {
      s.outcome.no_memory = true;
      s.stop = true;
      s.changed.notify_all();
      break;
    }
    slot.state = SlotState::kDone;
    write_ready(s, held);
  }
  std::free(scratch);
}

void* work_thread(void* shared) {
  work(*static_cast<Shared*>(shared));
  return nullptr;
}

// The reader's side. The batch being filled is next_fill's; it is handed
// to the workers when full or when the input pauses.
struct Filling {
  Shared* s;
  Slot* slot;  // null: none begun
};

// The process ends by the caught signal, once no batch is being written.
[[noreturn]] void end_by_signal(Shared& s) {
  std::unique_lock<std::mutex> held(s.lock);
  s.stop = true;
  s.changed.wait(held, [&s] { return !s.writing; });
  const int signal_number = g_signal;
  std::signal(signal_number, SIG_DFL);
  sigset_t caught;
  sigemptyset(&caught);
  sigaddset(&caught, signal_number);
  pthread_sigmask(SIG_UNBLOCK, &caught, nullptr);
  raise(signal_number);
  std::_Exit(128 + signal_number);  // not reached: the signal ends it
}

void hand_over(Filling& f) {
  if (f.slot == nullptr || f.slot->count == 0) return;
  const std::lock_guard<std::mutex> hold(f.s->lock);
  f.slot->state = SlotState::kFilled;
  ++f.s->next_fill;
  f.slot = nullptr;
  f.s->changed.notify_all();
}

// Waits for the slot of the next batch to be free. False when the run
// stops first.
bool begin_batch(Filling& f) {
  Shared& s = *f.s;
  std::unique_lock<std::mutex> held(s.lock);
  Slot& slot = slot_of(s, s.next_fill);
  while (slot.state != SlotState::kEmpty && !s.stop) {
    if (g_signal != 0) return false;
    s.changed.wait_for(held, std::chrono::milliseconds(50));
  }
  if (s.stop) return false;
  slot.sequence = s.next_fill;
  slot.count = 0;
  f.slot = &slot;
  return true;
}

bool deliver_entry(const Entry& entry, void* context) {
  Filling& f = *static_cast<Filling*>(context);
  if (g_signal != 0) return false;
  if (entry.kind == EntryKind::kUnreadable && entry.error == ENOMEM) {
    // Not the input's fault: the run ends for want of memory.
    const std::lock_guard<std::mutex> hold(f.s->lock);
    f.s->outcome.no_memory = true;
    return false;
  }
  if (f.slot == nullptr && !begin_batch(f)) return false;
  f.slot->entries[f.slot->count++] = entry;
  if (f.slot->count >= f.s->batch) hand_over(f);
  return true;
}

bool input_pauses(void* context) {
  hand_over(*static_cast<Filling*>(context));
  return g_signal == 0;
}

// Waits until every batch handed over is written or the run stopped.
void wait_for_writers(Shared& s) {
  std::unique_lock<std::mutex> held(s.lock);
  s.input_done = true;
  s.changed.notify_all();
  while (!s.stop && s.next_write < s.next_fill) {
    if (g_signal != 0) return;
    s.changed.wait_for(held, std::chrono::milliseconds(50));
  }
  s.stop = true;
  s.changed.notify_all();
}

int online_cpus() {
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n < 1 ? 1 : (n > 1024 ? 1024 : static_cast<int>(n));
}

// Starts up to `threads` workers; returns how many started, having said
// on standard error why the others did not.
int start_workers(Shared& s, pthread_t* workers, int threads) {
  if (workers == nullptr) return 0;
  // The workers leave the signals to the main thread, whose waits they
  // break.
  sigset_t stops;
  sigset_t previous;
  stop_set(stops);
  pthread_sigmask(SIG_BLOCK, &stops, &previous);
  int started = 0;
  int error = 0;
  while (started < threads &&
         (error = pthread_create(&workers[started], nullptr, work_thread,
                                 &s)) == 0) {
    ++started;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (started > 0 && started < threads) {
    std::fprintf(stderr, "%s: %d thread avviati su %d: %s\n", s.job->program,
                 started, threads, std::strerror(error));
  }
  return started;
}

// The ring of slots for the workers there are (none: the run ends for want
// of memory). No worker looks at it before the first batch is filled.
void make_ring(Shared& s, int workers) {
  const std::lock_guard<std::mutex> hold(s.lock);
  s.slot_count = 2 * static_cast<std::int64_t>(workers) + 2;
  if (workers > 0) {
    s.slots = new (std::nothrow) Slot[static_cast<std::size_t>(s.slot_count)];
  }
  if (s.slots == nullptr) {
    s.outcome.no_memory = true;
    s.stop = true;
    s.changed.notify_all();
  }
}

}  // namespace

void install_signals() {
  int ends[2];
  if (pipe(ends) == 0) {
    // Above the standard descriptors, even when one was closed at the start.
    g_wake_read = fcntl(ends[0], F_DUPFD_CLOEXEC, 3);
    g_wake_write = fcntl(ends[1], F_DUPFD_CLOEXEC, 3);
    close(ends[0]);
    close(ends[1]);
    if (g_wake_write >= 0) fcntl(g_wake_write, F_SETFL, O_NONBLOCK);
  }
  struct sigaction action = {};
  action.sa_handler = catch_signal;
  stop_set(action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a waiting read returns at once
  sigset_t stops;
  stop_set(stops);
  for (int number = 1; number <= SIGRTMAX; ++number) {
    if (sigismember(&stops, number) != 1) continue;
    // One ignored by whoever started the run stays ignored; one a
    // sanitizer's runtime caught is left to it.
    struct sigaction before = {};
    if (sigaction(number, nullptr, &before) == 0 &&
        before.sa_handler == SIG_DFL) {
      sigaction(number, &action, nullptr);
    }
  }
  std::signal(SIGXFSZ, SIG_IGN);
}

Outcome run(const Job& job) {
  Shared s;
  s.job = &job;
  s.batch = job.batch < 1 ? 1 : (job.batch > kMaxBatch ? kMaxBatch : job.batch);
  struct stat out {};
  s.file_output = fstat(STDOUT_FILENO, &out) == 0 &&
                  (S_ISREG(out.st_mode) || S_ISBLK(out.st_mode));
  if (job.header != nullptr) {
    const int error =
        write_all(job.header, std::strlen(job.header), s.file_output);
    if (error == kStopped) end_by_signal(s);
    s.outcome.write_error = error;
    if (error != 0) return s.outcome;
  }
  const int threads = job.threads > 0 ? job.threads : online_cpus();
  auto* workers =
      new (std::nothrow) pthread_t[static_cast<std::size_t>(threads)];
  const int started = start_workers(s, workers, threads);
  make_ring(s, started);
  if (s.slots != nullptr) {
    Filling filling{&s, nullptr};
    Stream stream{deliver_entry, input_pauses, &filling, job.fast_path};
    stream.wake = g_wake_read;
    stream.report_empty = job.report_empty;
    read_inputs(job.names, job.name_count, stream);
    if (g_signal == 0) hand_over(filling);
    if (g_signal == 0) wait_for_writers(s);
    if (g_signal != 0) end_by_signal(s);
  }
  for (int i = 0; i < started; ++i) pthread_join(workers[i], nullptr);
  delete[] workers;
  if (s.slots != nullptr) {
    for (std::int64_t i = 0; i < s.slot_count; ++i)
      std::free(s.slots[i].out.text);
  }
  delete[] s.slots;
  std::free(s.rewritten.text);
  std::free(s.rewritten_entry);
  return s.outcome;
}

}  // namespace batch
