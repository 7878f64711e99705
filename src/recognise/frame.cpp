// A grid's frame: its bands separated after rows 3 and 6 by lines drawn
// alike, or not at all. An input cut inside a grid (a file that starts
// mid-grid, a piece of a split) leaves rows that would otherwise join the
// next grid's; the frame shows where one grid ends and the next begins: a
// separator after six rows not split after three ends the grid there; a
// grid split after three rows whose seventh row follows the sixth without
// a separator, or with one drawn otherwise, ended at the larger of the two
// separators. The rows before that end are refused; the rows after it are
// read on as a grid of their own. The rows of a grid refused as cut short
// are kept a while, so that the full grid after them, their solution, is
// not read as a puzzle.
#include "recognise/parts.h"

namespace recognise::parts {

namespace {

// The rule and blank lines between two rows.
struct Separator {
  int after = 0;      // the rows before it
  int first = 0;      // its first entry
  int next_row = -1;  // the entry of the row after it; -1 while none came
  std::uint64_t look = 0;
  int lines = 0;
};

struct Frame {
  Separator at[kMaxEntries];
  int count = 0;
};

// The grid's separators, up to the first line whose reading is not
// decided yet.
void frame_of(const Recogniser& r, Frame& frame) {
  int rows = 0;
  bool open = false;
  for (int i = 0; i < r.entry_count; ++i) {
    const GridEntry& entry = r.entries[i];
    if (entry.pending || entry.header) return;
    if (!entry.rule) {
      if (open) frame.at[frame.count - 1].next_row = i;
      open = false;
      ++rows;
      continue;
    }
    if (!open) {
      Separator& added = frame.at[frame.count++];
      added = Separator{};
      added.after = rows;
      added.first = i;
      open = true;
    }
    Separator& separator = frame.at[frame.count - 1];
    separator.look = separator.look * 1099511628211ULL + entry.look;
    separator.lines += entry.lines;
  }
}

// The grid ends before entry `keep` (the whole grid, for -1): refused,
// and the entries from `keep` on are read on when the refusal is passed
// over. What is left of a damaged grid goes without a word.
bool cut(Recogniser& r, int keep, Problem problem, long line, long column,
         Refusal& refusal) {
  if (r.damaged) {
    keep_entries(r, keep);
    return check_frame(r, refusal);
  }
  keep_fragment(r, keep < 0 ? r.entry_count : keep);
  r.keep_from = keep;
  return refuse_grid(r, problem, line, column, refusal);
}

}  // namespace

// Every rule or blank line between rows ends a band, and the grid's bands
// are separated alike or not at all.
bool check_frame(Recogniser& r, Refusal& refusal) {
  Frame local_frame;
  frame_of(r, local_frame);
  const Separator* three = nullptr;
  const Separator* six = nullptr;
  const int rows = rows_of(r);
  for (int k = 0; k < local_frame.count; ++k) {
    const Separator& separator = local_frame.at[k];
    if (separator.after == 0 || separator.after == 9) continue;
    const GridEntry& first = r.entries[separator.first];
    if (separator.after != 3 && separator.after != 6) {
      refusal.count = separator.after;
      return cut(r, separator.next_row, Problem::kBandBroken, first.line,
                 first.column, refusal);
    }
    (separator.after == 3 ? three : six) = &separator;
  }
  if (six != nullptr && three == nullptr) {
    refusal.count = 6;
    return cut(r, six->next_row, Problem::kGridCutShort,
               r.entries[six->first].line, r.entries[six->first].column,
               refusal);
  }
  const bool unlike = six != nullptr && six->next_row >= 0 &&
                      (six->look != three->look || six->lines != three->lines);
  if (three != nullptr && rows >= 7 && (six == nullptr || unlike)) {
    const Separator* end =
        six != nullptr && six->lines >= three->lines ? six : three;
    refusal.count = end->after;
    return cut(r, end->next_row, Problem::kGridCutShort,
               r.entries[end->first].line, r.entries[end->first].column,
               refusal);
  }
  return true;
}

// Keeps the rows of entries [0, end) of a grid refused as cut short.
void keep_fragment(Recogniser& r, int end) {
  r.fragment_rows = 0;
  for (int i = 0; i < end && r.fragment_rows < 9; ++i) {
    const GridEntry& entry = r.entries[i];
    if (entry.rule || entry.pending || entry.header) continue;
    for (unsigned c = 0; c < 9; ++c) {
      r.fragment.cell[9 * r.fragment_rows + static_cast<int>(c)] =
          entry.cells[c];
    }
    ++r.fragment_rows;
  }
}

// A full grid that agrees with the fragment kept, as its first or its last
// rows.
bool completes_fragment(const Recogniser& r, const Puzzle& grid) {
  const int rows = r.fragment_rows;
  if (rows == 0 || !is_full(grid)) return false;
  bool head = true;
  bool tail = true;
  int givens = 0;  // with none, any grid would agree
  for (unsigned i = 0; i < static_cast<unsigned>(9 * rows); ++i) {
    const unsigned given = r.fragment.cell[i];
    givens += given != 0 ? 1 : 0;
    head = head && (given == 0 || given == grid.cell[i]);
    tail = tail && (given == 0 ||
                    given == grid.cell[81 - 9 * rows + static_cast<int>(i)]);
  }
  return givens > 0 && (head || tail);
}

void keep_entries(Recogniser& r, int from) {
  if (from < 0 || from >= r.entry_count) {
    clear_grid(r);
    return;
  }
  const int kept = r.entry_count - from;
  for (int i = 0; i < kept; ++i) r.entries[i] = r.entries[from + i];
  clear_grid(r);
  r.entry_count = kept;
  r.suspect_line = 0;
  for (int i = 0; i < kept; ++i) {
    const GridEntry& entry = r.entries[i];
    if (entry.rule || entry.pending || entry.header) continue;
    if (r.row_shape.length < 0) r.row_shape = entry.shape;
    r.marks |= entry.marks;
  }
}

std::uint64_t look_of(const Shape& shape) {
  std::uint64_t look = 14695981039346656037ULL;
  for (int i = 0; i < shape.length && i < kMaxShape; ++i) {
    look = (look ^ shape.text[i]) * 1099511628211ULL;
  }
  return look == kBlankLook ? look + 1 : look;
}

}  // namespace recognise::parts
