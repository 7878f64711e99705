// Open addressing with linear probing over indices into the records: the
// table holds 4 bytes a slot and the records never move, so that doubling
// the table copies only the indices and a record's address stays good.
#include "lotto/duplicates.h"

#include <cstdlib>
#include <cstring>

namespace lotto {

namespace {

constexpr std::size_t kBlock = 4096;  // records in a block
static_assert(sizeof(FormRecord) == 96);

// FNV-1a over the cells, its high half folded into the low one: the table
// takes the low bits.
std::size_t hash_of(const base::Puzzle& form) {
  std::uint64_t h = 14695981039346656037ULL;
  for (const std::uint8_t cell : form.cell) {
    h = (h ^ cell) * 1099511628211ULL;
  }
  return static_cast<std::size_t>(h ^ (h >> 32));
}

FormRecord& record(const Seen& seen, std::size_t index) {
  return seen.blocks[index / kBlock].records[index % kBlock];
}

// The slot of `form`, or the free slot where it would go.
std::size_t find_slot(const Seen& seen, const base::Puzzle& form) {
  const std::size_t mask = seen.slot_count - 1;
  std::size_t i = hash_of(form) & mask;
  while (seen.slots[i] != 0 && !(record(seen, seen.slots[i] - 1).form == form))
    i = (i + 1) & mask;
  return i;
}

// Room for one more form: the table below half full, a record free.
bool make_room(Seen& seen) {
  const auto count = static_cast<std::size_t>(seen.distinct);
  if (count >= UINT32_MAX - 1) return false;  // the indices' bound
  if (2 * (count + 1) > seen.slot_count) {
    const std::size_t grown = seen.slot_count == 0 ? 1024 : 2 * seen.slot_count;
    auto* slots =
        static_cast<std::uint32_t*>(std::calloc(grown, sizeof(std::uint32_t)));
    if (slots == nullptr) return false;
    Seen wider = seen;
    wider.slots = slots;
    wider.slot_count = grown;
    for (std::size_t i = 0; i < seen.slot_count; ++i) {
      const std::uint32_t held = seen.slots[i];
      if (held != 0)
        slots[find_slot(wider, record(seen, held - 1).form)] = held;
    }
    std::free(seen.slots);
    seen.slots = slots;
    seen.slot_count = grown;
  }
  if (count < seen.block_count * kBlock) return true;
  if (seen.block_count == seen.block_room) {
    const std::size_t room = seen.block_room == 0 ? 64 : 2 * seen.block_room;
    void* grown = std::realloc(seen.blocks, room * sizeof(FormBlock));
    if (grown == nullptr) return false;
    seen.blocks = static_cast<FormBlock*>(grown);
    seen.block_room = room;
  }
  auto* block =
      static_cast<FormRecord*>(std::malloc(kBlock * sizeof(FormRecord)));
  if (block == nullptr) return false;
  seen.blocks[seen.block_count++] = {block};
  return true;
}

}  // namespace

bool seen_before(Seen& seen, const base::Puzzle& form, std::int64_t number,
                 std::int64_t& first) {
  first = 0;
  if (seen.slot_count != 0) {
    const std::uint32_t held = seen.slots[find_slot(seen, form)];
    if (held != 0) {
      first = record(seen, held - 1).first;
      return true;
    }
  }
  if (!make_room(seen)) return false;
  const auto index = static_cast<std::size_t>(seen.distinct);
  FormRecord& kept = record(seen, index);
  kept.first = number;
  kept.form = form;
  seen.slots[find_slot(seen, form)] = static_cast<std::uint32_t>(index + 1);
  ++seen.distinct;
  return true;
}

void forget(Seen& seen) {
  for (std::size_t i = 0; i < seen.block_count; ++i)
    std::free(seen.blocks[i].records);
  std::free(seen.blocks);
  std::free(seen.slots);
  seen = Seen{};
}

}  // namespace lotto
