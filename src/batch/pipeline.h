// A batch run: the entries of the inputs (reader.h), answered by worker
// threads, their answers written to standard output strictly in input
// order, each batch as soon as it and all before it are done. The memory
// is bounded whatever the input's size: the reader waits while a fixed
// number of batches are in flight.
//
// Every signal whose default action ends the process (install_signals)
// ends the run promptly, by that same signal, with only whole lines
// written: no further batch is written, and a write that waits on a reader
// that stopped reading gives up its bytes not yet written, at a line's end.
// A standard output whose reader has gone ends the process by SIGPIPE, as
// any filter; when SIGPIPE is ignored or blocked, the failed write ends the
// run and is reported in the outcome, as any other write error (a file-size
// limit among them: SIGXFSZ is ignored).
#ifndef VORTEL_BATCH_PIPELINE_H_
#define VORTEL_BATCH_PIPELINE_H_

#include <cstddef>
#include <cstdint>

#include "batch/reader.h"

namespace batch {

inline constexpr int kMaxKinds = 16;

/// The most entries a batch holds.
inline constexpr int kMaxBatch = 256;

/// The room an answer has by default (Job::answer_room): its text is cut
/// there.
inline constexpr std::size_t kAnswerRoom = 65536;

/// Writes the answer to `entry` (whole lines) into `text`, at most `room`
/// bytes, and returns its length; sets `kind` (0 .. kMaxKinds - 1), which
/// the run counts. Called from the worker threads, many at once.
using AnswerFunction = std::size_t (*)(const Entry& entry, char* text,
                                       std::size_t room, int& kind,
                                       void* context);

/// Rewrites, in input order, the answer `text` (`length` bytes, as the
/// answer function wrote it: with Job::ordered it may carry more than
/// lines, what the worker found for this pass, which the two agree on) of
/// `entry` into `out` (at most `room` bytes, whole lines, what is written)
/// and returns the length written; SIZE_MAX when memory runs out
/// (the run then ends for want of it, nothing of that batch written).
/// Called for each entry in turn, one call at a time, before its batch is
/// written: what depends on the entries before (a duplicate seen) is found
/// here, the same whatever the threads.
using OrderedFunction = std::size_t (*)(const Entry& entry, const char* text,
                                        std::size_t length, char* out,
                                        std::size_t room, void* context);

struct Job {
  const char* const* names = nullptr;  // the inputs (none: standard input)
  int name_count = 0;
  /// Workers; 0: one per online CPU (at most 1024). When fewer can be
  /// started, the run goes on with those and says so on standard error;
  /// when none, it ends for want of memory.
  int threads = 0;
  const char* program = "";  // the name the notes on standard error begin with
  AnswerFunction answer = nullptr;
  void* context = nullptr;
  const char* header = nullptr;  // written first, when not null
  /// Called after each batch written, with the number of entries written
  /// so far and the input bytes read up to the last of them (Entry::
  /// consumed), by the thread that wrote it (one at a time).
  void (*written)(std::int64_t entries, std::int64_t consumed,
                  void* context) = nullptr;
  bool fast_path = true;     // see Stream
  bool report_empty = true;  // see Stream
  /// Entries a batch (1 .. kMaxBatch): many for answers of microseconds,
  /// so that the threads seldom meet; a few for answers of milliseconds,
  /// so that a short input is still shared among all the threads.
  int batch = kMaxBatch;
  /// The room of each answer's text, in bytes: the answer function is
  /// handed that much, and never more is written of one entry.
  std::size_t answer_room = kAnswerRoom;
  /// Optional: each answer passes through it, in input order.
  OrderedFunction ordered = nullptr;
};

struct Outcome {
  std::int64_t entries = 0;  // entries read, answered and written
  std::int64_t kinds[kMaxKinds] = {};
  int write_error = 0;  // errno of a failed write to standard output
  bool no_memory = false;
};

/// Catches, for run, every signal whose default action ends the process
/// (apart from SIGKILL, SIGPIPE and the program's own faults) unless whoever
/// started the run ignored it, and ignores SIGXFSZ. Call once, before run.
void install_signals();

/// Runs `job` to its end. Returns after the last answer was written, or
/// after a failed write or a want of memory (the entries past it are then
/// not answered). A caught signal does not return: the process ends by it.
Outcome run(const Job& job);

}  // namespace batch

#endif  // VORTEL_BATCH_PIPELINE_H_
