// The canonical forms a run has met, each with the numero of the entry that
// brought it first: what --doppioni looks up. Only the ordered pass of the
// run (batch::Job::ordered) uses it, one call at a time.
//
// Memory: a record of 96 bytes for each distinct form (the 81 cells and
// the numero, kept in blocks of 4096 records that never move), and a hash
// table of 4-byte indices kept at most half full: 8 to 16 bytes more for
// each form, 24 while the table doubles. So at most 120 bytes for each
// distinct puzzle, beside a block begun; nothing for a repeated one.
#ifndef VORTEL_LOTTO_DUPLICATES_H_
#define VORTEL_LOTTO_DUPLICATES_H_

#include <cstddef>
#include <cstdint>

#include "base/cells.h"

namespace lotto {

struct FormRecord {
  std::int64_t first;  // the numero of the entry that brought it
  base::Puzzle form;
};

struct FormBlock {
  FormRecord* records;
};

struct Seen {
  FormBlock* blocks = nullptr;
  std::size_t block_count = 0;
  std::size_t block_room = 0;      // the pointers `blocks` has room for
  std::uint32_t* slots = nullptr;  // 1 + a record's index; 0: free
  std::size_t slot_count = 0;      // a power of two, or 0
  std::int64_t distinct = 0;
};

/// Looks `form` up: `first` becomes the numero it was first met with, or 0
/// when it is new, and then it is kept with `number`. False when memory
/// runs out (the form is not kept then; the others are).
bool seen_before(Seen& seen, const base::Puzzle& form, std::int64_t number,
                 std::int64_t& first);

/// Gives the memory back; `seen` is then empty.
void forget(Seen& seen);

}  // namespace lotto

#endif  // VORTEL_LOTTO_DUPLICATES_H_
