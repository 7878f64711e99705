// The order-free searches over Bands.
#include "solver/completion.h"

#include "solver/band_tables.h"
#include "solver/digits.h"

namespace solver {

namespace {

// The open cell to branch on (sets `band` and `cell`): of the cells with
// two digits, the one with the most open peers, whose branches take the
// most candidates away; the first with fewest digits when none has two.
// Against the first two-digit cell in scanning order it halves to thirds
// the branchings of a search (bench/README.md).
void choose_cell(const Bands& bands, unsigned& band, unsigned& cell) {
  int best = -1;
  bool found = false;
  for (unsigned b = 0; b < 3; ++b) {
    for (std::uint32_t pairs = bands.pairs[b]; pairs != 0; pairs &= pairs - 1) {
      const unsigned p = static_cast<unsigned>(__builtin_ctz(pairs));
      // The open peers: those of the band, and those of the column in the
      // other two bands (moved apart so that no two overlap).
      const std::uint32_t column = kBandColumn[p];
      const int score =
          bit_count((bands.open[b] & kBandPeers[p]) |
                    std::uint64_t{(bands.open[next_band(b)] & column) |
                                  (bands.open[previous_band(b)] & column) << 1}
                        << 27);
      if (score > best) {
        best = score;
        band = b;
        cell = p;
        found = true;
      }
    }
  }
  if (found) return;
  int fewest = 10;
  for (unsigned b = 0; b < 3; ++b) {
    for (std::uint32_t cells = bands.open[b]; cells != 0; cells &= cells - 1) {
      const unsigned p = static_cast<unsigned>(__builtin_ctz(cells));
      const int n = bit_count(digits_at(bands, b, p));
      if (n < fewest) {
        fewest = n;
        band = b;
        cell = p;
      }
    }
  }
}

// A search for up to `limit` completions; the first is written to `first`.
// `steps` counts its branchings.
struct Finding {
  std::int64_t limit;
  std::int64_t found;
  Board* first;
  std::int64_t steps;
};

// Whether the search may stop: `limit` completions found below `bands`.
bool find_below(const Bands& bands, Finding& f) {
  if (is_complete(bands)) {
    if (f.found == 0) write_board(bands, *f.first);
    return ++f.found >= f.limit;
  }
  unsigned b = 0;
  unsigned p = 0;
  choose_cell(bands, b, p);
  for (unsigned digits = digits_at(bands, b, p); digits != 0;
       digits &= digits - 1) {
    ++f.steps;
    Bands child = bands;
    if (place_and_deduce(child, static_cast<unsigned>(__builtin_ctz(digits)), b,
                         p) &&
        find_below(child, f)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool find_completion(const Bands& bands, Board& completion,
                     std::int64_t& steps) {
  Finding f = {1, 0, &completion, 0};
  find_below(bands, f);
  steps += f.steps;
  return f.found == 1;
}

bool has_two_completions(const Bands& bands, std::int64_t& steps) {
  Board scratch;
  Finding f = {2, 0, &scratch, 0};
  find_below(bands, f);
  steps += f.steps;
  return f.found == 2;
}

std::int64_t count_completions(const Bands& bands, std::int64_t limit,
                               Board& completion, std::int64_t& steps) {
  Finding f = {limit, 0, &completion, 0};
  if (limit > 0) find_below(bands, f);
  steps += f.steps;
  return f.found;
}

}  // namespace solver
