// The stream of a batch run's entries: the puzzles of the named inputs (or
// of standard input), in input order, each one an entry; what cannot be
// read is an entry too, so that nothing is dropped in silence. Every form
// vortel-importa reads is read, through its recogniser; a line of exactly
// 81 cells ('1'-'9', '.', '0') between puzzles, the usual form of large
// collections, is taken without it. The memory is fixed: one read buffer
// and the recogniser.
#ifndef VORTEL_BATCH_READER_H_
#define VORTEL_BATCH_READER_H_

#include <cstdint>

#include "recognise/recognise.h"

namespace batch {

enum class EntryKind {
  kPuzzle,
  kDamaged,     // refused by the recogniser: `refusal` says why and where
  kUnreadable,  // the input could not be opened or read: `error` is errno
};

struct Entry {
  std::int64_t number = 0;  // from 1, across all the inputs
  int input = 0;            // which input (index into the names given)
  long line = 0;            // the line where it starts, from 1 (0: none)
  EntryKind kind = EntryKind::kPuzzle;
  base::Puzzle puzzle{};       // kPuzzle
  recognise::Refusal refusal;  // kDamaged
  int error = 0;               // kUnreadable
  // kPuzzle: its label (a list line's text around its cells, the comment
  // before a grid), UTF-8 without a tab or a line end; empty for none.
  char label[recognise::kMaxLabel] = {};
  int label_length = 0;
  // The bytes of all the inputs read up to this entry's end: how far the
  // run has got, against the inputs' sizes.
  std::int64_t consumed = 0;
};

/// Where the entries go. `deliver` is called with each one in input order
/// and returns false to stop the reading (an interrupted run). `idle` is
/// called when the input has given all it has for now (a pipe or a
/// terminal that would make the reader wait), so that the entries read so
/// far need not wait for more, and when a signal broke a wait for input;
/// it too returns false to stop the reading.
struct Stream {
  bool (*deliver)(const Entry& entry, void* context);
  bool (*idle)(void* context);
  void* context;
  bool fast_path = true;  // tests turn it off to compare with the recogniser
  /// A descriptor that becomes readable when the reading is to stop: each
  /// wait for input watches it too (-1: none).
  int wake = -1;
  /// Whether an input without a single puzzle (nothing but comments or
  /// blank lines) is an entry, a refusal. A filter's input cut into pieces
  /// holds such pieces, which are to give nothing.
  bool report_empty = true;
};

/// Reads `count` inputs named by `names` in turn ("-" is standard input;
/// no names at all: standard input). Returns false when `deliver` stopped
/// it; an input that cannot be opened or read is a kUnreadable entry and
/// the others are read all the same (memory for the reading that cannot be
/// had is one too, with the error ENOMEM). An input with nothing to read
/// for now (a pipe or a terminal, blocking or not) is waited on.
bool read_inputs(const char* const* names, int count, const Stream& stream);

/// The first of the inputs (as read_inputs takes them) that is the file
/// standard output writes to (the same device and inode, a regular file),
/// as named ("-" for standard input); null for none. A run that read it
/// would read its own answers, and with an output appended to, for ever.
const char* input_is_output(const char* const* names, int count);

}  // namespace batch

#endif  // VORTEL_BATCH_READER_H_
