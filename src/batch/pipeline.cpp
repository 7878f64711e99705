// The run's threads. The main thread reads and fills batches; each worker
// takes the oldest filled batch, answers its entries, and then, if no one
// else is writing, writes every batch that is done in sequence from the
// next one due. A ring of slots holds the batches in flight: batch s lives
// in slot s % slot_count, so the reader, finding its slot still in use,
// waits, and the memory stays bounded.
#include "batch/pipeline.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace batch {

namespace {

volatile std::sig_atomic_t g_signal = 0;  // the signal caught, 0 if none

// The first signal asks for an orderly end: the batch being written is
// finished, so that only whole lines go out. That write may wait for ever
// on a reader that stopped reading; a second signal then ends the process
// at once, by that signal.
void catch_signal(int signal_number) {
  if (g_signal != 0) {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
    raise(signal_number);  // delivered as the handler returns
    return;
  }
  g_signal = signal_number;
}

enum class SlotState { kEmpty, kFilled, kWorking, kDone };

struct Slot {
  std::int64_t sequence = -1;
  SlotState state = SlotState::kEmpty;
  int count = 0;
  Entry entries[kMaxBatch];
  unsigned char kinds[kMaxBatch] = {};
  char* text = nullptr;
  std::size_t length = 0;
  std::size_t capacity = 0;
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
  bool stop = false;  // a failed write or a signal: write nothing more
  Outcome outcome;
};

Slot& slot_of(Shared& s, std::int64_t sequence) {
  return s.slots[sequence % s.slot_count];
}

// Writes all of `size` bytes to standard output, waiting while a
// non-blocking one is full. Returns 0 or the errno of the failure.
int write_all(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t done = write(STDOUT_FILENO, data, size);
    if (done >= 0) {
      data += done;
      size -= static_cast<std::size_t>(done);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd out = {STDOUT_FILENO, POLLOUT, 0};
      poll(&out, 1, -1);
    } else if (errno != EINTR) {
      return errno;
    }
  }
  return 0;
}

// Appends `size` bytes to the slot's text.
bool append(Slot& slot, const char* data, std::size_t size) {
  if (slot.length + size > slot.capacity) {
    std::size_t capacity = slot.capacity == 0 ? 65536 : slot.capacity;
    while (capacity < slot.length + size) capacity *= 2;
    void* grown = std::realloc(slot.text, capacity);
    if (grown == nullptr) return false;
    slot.text = static_cast<char*>(grown);
    slot.capacity = capacity;
  }
  std::memcpy(slot.text + slot.length, data, size);
  slot.length += size;
  return true;
}

// Answers every entry of the slot. False when memory ran out.
bool answer_slot(const Job& job, Slot& slot, char* scratch) {
  slot.length = 0;
  for (int i = 0; i < slot.count; ++i) {
    int kind = 0;
    std::size_t size = job.answer(slot.entries[i], scratch, job.answer_room,
                                  kind, job.context);
    if (size > job.answer_room - 1) size = job.answer_room - 1;
    slot.kinds[i] = static_cast<unsigned char>(kind);
    if (!append(slot, scratch, size)) return false;
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
    const int error = g_signal != 0 ? 0 : write_all(slot.text, slot.length);
    held.lock();
    s.writing = false;
    if (g_signal != 0 || error != 0) {
      s.stop = true;
      s.outcome.write_error = error;
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

}  // namespace

void install_signals() {
  struct sigaction action = {};
  action.sa_handler = catch_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a waiting read returns at once
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

Outcome run(const Job& job) {
  Shared s;
  s.job = &job;
  s.batch = job.batch < 1 ? 1 : (job.batch > kMaxBatch ? kMaxBatch : job.batch);
  const int threads = job.threads > 0 ? job.threads : online_cpus();
  s.slot_count = 2 * static_cast<std::int64_t>(threads) + 2;
  s.slots = new (std::nothrow) Slot[static_cast<std::size_t>(s.slot_count)];
  if (s.slots == nullptr) {
    s.outcome.no_memory = true;
    return s.outcome;
  }
  if (job.header != nullptr) {
    s.outcome.write_error = write_all(job.header, std::strlen(job.header));
    if (s.outcome.write_error != 0) {
      delete[] s.slots;
      return s.outcome;
    }
  }
  // The workers leave the signals to the reader, whose waits they break.
  sigset_t signals;
  sigset_t previous;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, &previous);
  std::thread* workers =
      new (std::nothrow) std::thread[static_cast<std::size_t>(threads)];
  for (int i = 0; i < threads && workers != nullptr; ++i) {
    workers[i] = std::thread(work, std::ref(s));
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  Filling filling{&s, nullptr};
  const Stream stream{deliver_entry, input_pauses, &filling, job.fast_path};
  if (workers != nullptr && read_inputs(job.names, job.name_count, stream)) {
    hand_over(filling);
  }
  if (g_signal == 0) wait_for_writers(s);
  if (g_signal != 0) end_by_signal(s);
  for (int i = 0; i < threads && workers != nullptr; ++i) workers[i].join();
  if (workers == nullptr) s.outcome.no_memory = true;
  delete[] workers;
  for (std::int64_t i = 0; i < s.slot_count; ++i) std::free(s.slots[i].text);
  delete[] s.slots;
  return s.outcome;
}

}  // namespace batch
