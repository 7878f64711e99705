// Grids of nine rows of nine cells. The grid in progress is a list of
// entries: its rows, the rule and blank lines between them, and lines of
// nine '-', '*' or '_' marks that may be a row of empty cells or a rule
// (pending until the grid's rows tell). Its frame is checked as it comes:
// a rule or blank line between rows must end a band (three or six rows
// before it), so that a grid with a row too many or too few is refused at
// the line that shows it instead of being completed with the next grid's
// rows. A first row reading 1 2 3 4 5 6 7 8 9 drawn otherwise than the
// row after it is a header of column numbers, not a row. The frame's own
// rules, which close the cuts of an input, are in frame.cpp.
#include "recognise/characters.h"
#include "recognise/parts.h"

namespace recognise::parts {

namespace {

constexpr std::uint32_t kCellMarker = 1;  // a cell, in a shape

// Drawn alike, or too long to tell.
bool same_shape(const Shape& a, const Shape& b) {
  if (a.length > kMaxShape || b.length > kMaxShape) return true;
  if (a.length != b.length) return false;
  for (int i = 0; i < a.length; ++i) {
    if (a.text[i] != b.text[i]) return false;
  }
  return true;
}

int lines_of(const Recogniser& r) {  // rows and pending lines
  int lines = 0;
  for (int i = 0; i < r.entry_count; ++i) lines += r.entries[i].rule ? 0 : 1;
  return lines;
}

bool is_header(const GridEntry& row) {
  for (unsigned c = 0; c < 9; ++c) {
    if (row.cells[c] != c + 1) return false;
  }
  return true;
}

void emit_grid(Recogniser& r, const Sink& sink) {
  if (r.damaged) {  // already reported; a full grid after it may solve it
    keep_fragment(r, r.entry_count);
    clear_grid(r);
    return;
  }
  Puzzle puzzle{};
  unsigned at = 0;
  long line = 0;
  for (int i = 0; i < r.entry_count; ++i) {
    const GridEntry& entry = r.entries[i];
    if (entry.rule) continue;
    if (line == 0 && is_header(entry) && r.suspect_line == 0) {
      // Column numbers taken for the first row, if rows are left over.
      r.suspect_line = entry.line;
      r.suspect_column = entry.column;
      r.suspect = Problem::kHeaderRow;
    }
    if (line == 0) line = entry.line;
    for (unsigned c = 0; c < 9; ++c) puzzle.cell[at++] = entry.cells[c];
    r.previous_end = entry.line;
  }
  r.previous_shape = r.row_shape;
  r.previous_marks = r.marks;
  clear_grid(r);
  if (r.last_open && solves(puzzle, r.last)) return;  // its solution
  if (completes_fragment(r, puzzle)) return;
  emit_puzzle(r, puzzle, line, sink);
}

// Decides the pending lines that the grid's rows now explain: drawn
// otherwise than its rows, a rule; drawn alike with the mark its rows use
// for an empty cell, a row; alike with another mark, a rule.
void resolve_pending(Recogniser& r) {
  if (r.row_shape.length < 0) return;  // no row yet
  for (int i = 0; i < r.entry_count; ++i) {
    GridEntry& entry = r.entries[i];
    if (!entry.pending) continue;
    const bool row = same_shape(entry.shape, r.row_shape) &&
                     ((r.marks >> empty_mark_bit(entry.mark)) & 1U) != 0;
    const bool rule = !same_shape(entry.shape, r.row_shape) || r.marks != 0;
    if (row || rule) entry.pending = false;
    entry.rule = !row && rule;
    if (entry.rule) {
      entry.look = look_of(entry.shape);
      entry.lines = 1;
    } else if (row) {
      entry.marks = 1U << empty_mark_bit(entry.mark);
    }
  }
}

bool refuse_ambiguous(const GridEntry& entry, Refusal& refusal) {
  refusal.character = entry.mark;
  return refuse(refusal, Problem::kAmbiguousLine, entry.line, entry.column);
}

// After an entry: emits the grid when its nine rows are there. Nine rows
// with lines still pending, or more than nine once pending lines became
// rows, could be split into grids in two ways: refused at the first line
// that could be read both ways.
bool check_full(Recogniser& r, const Sink& sink, Refusal& refusal) {
  if (!check_frame(r, refusal)) return false;
  const int rows = rows_of(r);
  if (rows < 9) return true;
  if (rows == 9 && rows == lines_of(r)) {
    emit_grid(r, sink);
    return true;
  }
  for (int i = 0; i < r.entry_count; ++i) {
    if (r.entries[i].pending) return refuse_ambiguous(r.entries[i], refusal);
  }
  return refuse_ambiguous(r.entries[0], refusal);  // not reached
}

bool add_entry(Recogniser& r, const GridEntry& entry, Refusal& refusal) {
  if (r.entry_count == kMaxEntries) {
    return refuse_ambiguous(r.entries[0], refusal);
  }
  r.entries[r.entry_count++] = entry;
  return true;
}

const GridEntry* last_row(const Recogniser& r) {
  for (int i = r.entry_count - 1; i >= 0; --i) {
    if (!r.entries[i].rule && !r.entries[i].pending) return &r.entries[i];
  }
  return nullptr;
}

// What a new row says of the rows before it: a header of column numbers
// goes; a row repeated on the next line, or a label on some rows only,
// refuses the grid.
bool check_row(Recogniser& r, const GridEntry& row, const Shape& shape,
               Refusal& refusal) {
  if (rows_of(r) == 1 && r.entries[0].header) {
    GridEntry& first = r.entries[0];
    if (first.labelled != row.labelled || !same_shape(first.shape, shape)) {
      clear_grid(r);
      return true;
    }
    first.header = false;
  }
  const GridEntry* before = last_row(r);
  if (before == nullptr || r.damaged) return true;
  if (before->line + 1 == row.line && before->cells == row.cells &&
      row.cells != std::array<std::uint8_t, 9>{} && r.suspect_line == 0) {
    r.suspect_line = row.line;
    r.suspect_column = row.column;
    r.suspect = Problem::kRepeatedRow;
  }
  if (row.labelled && row.place == 1) {  // the rows before were cut short
    refusal.count = rows_of(r);
    return refuse_grid(r, Problem::kGridCutShort, row.line, row.column,
                       refusal);
  }
  if (before->labelled != row.labelled) {
    r.row_refused = true;
    return refuse(refusal, Problem::kRowLabels, row.line, row.column);
  }
  return true;
}

}  // namespace

// A grid refused: at the repeated row, if one came before, since that is
// what broke it.
bool refuse_grid(const Recogniser& r, Problem problem, long line, long column,
                 Refusal& refusal) {
  if (problem == Problem::kGridCutShort) refusal.cut_by = line;
  if (r.suspect_line != 0) {
    return refuse(refusal, r.suspect, r.suspect_line, r.suspect_column);
  }
  return refuse(refusal, problem, line, column);
}

void shape_of(const std::uint32_t* cp, int n, Shape& shape) {
  shape.length = 0;
  for (int i = 0; i < n; ++i) {
    if (is_blank(cp[i])) continue;
    if (shape.length == kMaxShape) {
      shape.length = kMaxShape + 1;
      return;
    }
    shape.text[shape.length++] = is_cell(cp[i]) ? kCellMarker : cp[i];
  }
}

void clear_grid(Recogniser& r) {
  r.entry_count = 0;
  r.row_shape.length = -1;
  r.marks = 0;
  r.damaged = false;
  r.fixed_width = false;
  r.keep_from = -1;
}

void damaged_row(Recogniser& r, long line) {
  if (r.entry_count == kMaxEntries) clear_grid(r);
  GridEntry row;
  row.line = line;
  row.column = 1;
  r.entries[r.entry_count++] = row;
  r.damaged = true;
}

bool recheck(Recogniser& r, const Sink& sink, Refusal& refusal) {
  return check_full(r, sink, refusal);
}

int rows_of(const Recogniser& r) {
  int rows = 0;
  for (int i = 0; i < r.entry_count; ++i) {
    rows += r.entries[i].pending || r.entries[i].rule ? 0 : 1;
  }
  return rows;
}

bool grid_begun(const Recogniser& r) {
  return r.entry_count > 0;
}

namespace {

// A labelled row names its place: the first row starts a grid (the one in
// progress was cut short), any other must come where it says.
bool check_place(Recogniser& r, const GridEntry& row, Refusal& refusal) {
  const int rows = rows_of(r);
  if (row.place == 1 && rows > 0) {
    if (r.damaged) {
      clear_grid(r);
      return true;
    }
    refusal.count = rows;
    return refuse_grid(r, Problem::kGridCutShort, row.line, row.column,
                       refusal);
  }
  if (row.place == rows + 1) return true;
  refusal.count = row.place;
  refusal.character = static_cast<std::uint32_t>(rows + 1);
  r.row_refused = true;
  return refuse(refusal, Problem::kRowOutOfPlace, row.line, row.column);
}

}  // namespace

bool grid_row(Recogniser& r, const GridEntry& row, unsigned marks,
              const Shape& shape, const Sink& sink, Refusal& refusal) {
  if (!check_row(r, row, shape, refusal)) return false;
  if (row.labelled && !check_place(r, row, refusal)) return false;
  GridEntry entry = row;
  entry.shape = shape;
  entry.marks = marks;
  if (r.entry_count == 0 && is_header(row)) entry.header = true;
  if (!add_entry(r, entry, refusal)) return false;
  if (r.row_shape.length < 0 && !entry.header) r.row_shape = shape;
  r.marks |= marks;
  resolve_pending(r);
  return check_full(r, sink, refusal);
}

// Decided at once when the grid's rows already tell (see resolve_pending),
// else kept pending until they do.
bool ambiguous_line(Recogniser& r, GridEntry line, const Sink& sink,
                    Refusal& refusal) {
  const unsigned mark = 1U << empty_mark_bit(line.mark);
  if (r.entry_count == 0 && line.line == r.previous_end + 1 &&
      (r.previous_marks & mark) != 0 &&
      same_shape(line.shape, r.previous_shape)) {
    return grid_row(r, line, mark, line.shape, sink, refusal);  // a 10th row
  }
  line.pending = true;
  if (!add_entry(r, line, refusal)) return false;
  resolve_pending(r);
  return check_full(r, sink, refusal);
}

bool grid_break(Recogniser& r, long line, long column, std::uint64_t look,
                Refusal& refusal) {
  if (!grid_begun(r)) return true;
  GridEntry& last = r.entries[r.entry_count - 1];
  if (last.rule) {  // one more line of the same separator
    last.look = last.look * 1099511628211ULL + look;
    ++last.lines;
    return check_frame(r, refusal);
  }
  GridEntry rule;
  rule.rule = true;
  rule.line = line;
  rule.column = column;
  rule.look = look;
  rule.lines = 1;
  if (!add_entry(r, rule, refusal)) return false;
  return check_frame(r, refusal);
}

// Pending lines with no row around them were rules; with rows, they are
// rows if that makes the nine, since read as rules the grid would be cut
// short.
bool end_grid(Recogniser& r, long line, long column, const Sink& sink,
              Refusal& refusal) {
  const int rows = rows_of(r);
  const int lines = lines_of(r);
  if (r.damaged) keep_fragment(r, r.entry_count);
  if (r.damaged || lines == 0 || (rows == 0 && lines < 9)) {
    clear_grid(r);
    r.suspect_line = 0;
    return true;
  }
  if (lines == 9) {
    for (int i = 0; i < r.entry_count; ++i) {
      r.entries[i].pending = false;
      r.entries[i].header = false;
    }
    if (!check_frame(r, refusal)) return false;
    emit_grid(r, sink);
    r.suspect_line = 0;
    return true;
  }
  refusal.count = rows;
  keep_fragment(r, r.entry_count);
  return refuse_grid(r, Problem::kGridCutShort, line, column, refusal);
}

}  // namespace recognise::parts
