// The recogniser: each line, classified by its characters (characters.h),
// is in this order:
//  1. a list line: it holds a run of exactly 81 cells, either side by side
//     or one by one with a single blank or tab between them, with no cell
//     touching the run on either side. What comes before is a label; after
//     a blank, tab, ',' or ';' the rest of the line (a name, a rating, a
//     solution) is ignored. A line whose first character is '#' and whose
//     second is not a digit is a comment even if it holds such a run ("#12
//     <81 cells>" is a label, "# <81 cells>" a puzzle commented out).
//  2. a comment ('#' first) or a text line (a letter, or '[' first): skipped
//     between grids; text ends a grid;
//  3. a line of cells and decoration only: nothing but decoration is a rule;
//     81 cells are a puzzle; nine cells a grid row; three single digits
//     apart ("1 2 3") open a file of vortel's triples; a line drawn only
//     with '-', '*' or '_' marks is a rule unless it has exactly nine of
//     one of them, when it may be a row of nine empty cells or a rule: the
//     grid decides (see ambiguous_line).
// Anything else is refused where it stands.
#include "importa/recognise.h"

#include "importa/characters.h"

namespace importa {

namespace {

constexpr int kLongRun = 60;  // cells in a run that must have been a puzzle
constexpr std::uint32_t kCellMarker = 1;  // a cell, in a shape

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

// Drawn alike, or too long to tell.
bool same_shape(const Shape& a, const Shape& b) {
  if (a.length > kMaxShape || b.length > kMaxShape) return true;
  if (a.length != b.length) return false;
  for (int i = 0; i < a.length; ++i) {
    if (a.text[i] != b.text[i]) return false;
  }
  return true;
}

bool refuse(Refusal& refusal, Problem problem, long line, long column) {
  refusal.problem = problem;
  refusal.line = line;
  refusal.column = column;
  return false;
}

struct Sink {
  Emit emit;
  void* context;
};

void emit_puzzle(Recogniser& r, const Puzzle& puzzle, long line,
                 const Sink& sink) {
  ++r.puzzles;
  r.emitted_line = line;
  sink.emit(puzzle, sink.context);
}

int rows_of(const Recogniser& r) {
  int rows = 0;
  for (int i = 0; i < r.entry_count; ++i) rows += r.entries[i].pending ? 0 : 1;
  return rows;
}

void clear_grid(Recogniser& r) {
  r.entry_count = 0;
  r.row_shape.length = -1;
  r.marks = 0;
}

// Emits the grid from its entries, pending lines read as empty rows.
void emit_grid(Recogniser& r, const Sink& sink) {
  Puzzle puzzle{};
  for (int i = 0; i < r.entry_count; ++i) {
    for (unsigned c = 0; c < 9; ++c) {
      puzzle[static_cast<unsigned>(9 * i) + c] = r.entries[i].cells[c];
    }
  }
  const long line = r.entries[0].line;
  clear_grid(r);
  emit_puzzle(r, puzzle, line, sink);
}

void remove_entry(Recogniser& r, int index) {
  for (int i = index + 1; i < r.entry_count; ++i)
    r.entries[i - 1] = r.entries[i];
  --r.entry_count;
}

// Decides the pending lines that the grid's rows now explain: drawn
// otherwise than its rows, a rule; drawn alike with the mark its rows use
// for an empty cell, a row; alike with another mark, a rule.
void resolve_pending(Recogniser& r) {
  if (r.row_shape.length < 0) return;  // no row yet
  for (int i = 0; i < r.entry_count;) {
    GridEntry& entry = r.entries[i];
    if (entry.pending) {
      if (!same_shape(entry.shape, r.row_shape)) {
        remove_entry(r, i);
        continue;
      }
      if ((r.marks >> empty_mark_bit(entry.mark)) & 1U) {
        entry.pending = false;
      } else if (r.marks != 0) {
        remove_entry(r, i);
        continue;
      }
    }
    ++i;
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
  const int rows = rows_of(r);
  if (rows < 9) return true;
  if (rows == 9 && rows == r.entry_count) {
    emit_grid(r, sink);
    return true;
  }
  for (int i = 0; i < r.entry_count; ++i) {
    if (r.entries[i].mark != 0) return refuse_ambiguous(r.entries[i], refusal);
  }
  return refuse_ambiguous(r.entries[0], refusal);  // not reached
}

// Something that is not part of a grid (text, a list puzzle, the end of the
// input) at (line, column): a grid begun must be whole by then. Pending
// lines with no row around them were rules; with rows, they are rows if
// that makes the nine, since read as rules the grid would be cut short.
bool end_grid(Recogniser& r, long line, long column, const Sink& sink,
              Refusal& refusal) {
  const int rows = rows_of(r);
  if (r.entry_count == 0 || (rows == 0 && r.entry_count < 9)) {
    clear_grid(r);
    return true;
  }
  if (r.entry_count == 9) {
    emit_grid(r, sink);
    return true;
  }
  refusal.count = rows;
  return refuse(refusal, Problem::kGridCutShort, line, column);
}

bool add_entry(Recogniser& r, const GridEntry& entry, Refusal& refusal) {
  if (r.entry_count == kMaxEntries) {
    return refuse_ambiguous(r.entries[0], refusal);
  }
  r.entries[r.entry_count++] = entry;
  return true;
}

bool grid_row(Recogniser& r, const GridEntry& row, unsigned marks,
              const Shape& shape, const Sink& sink, Refusal& refusal) {
  if (!add_entry(r, row, refusal)) return false;
  if (r.row_shape.length < 0) r.row_shape = shape;
  r.marks |= marks;
  resolve_pending(r);
  return check_full(r, sink, refusal);
}

// Nine '-', '*' or '_' marks and decoration: a row of nine empty cells, or
// a rule. Decided at once when the grid's rows already tell (see
// resolve_pending), else kept pending until they do.
bool ambiguous_line(Recogniser& r, GridEntry line, const Sink& sink,
                    Refusal& refusal) {
  line.pending = true;
  if (!add_entry(r, line, refusal)) return false;
  resolve_pending(r);
  return check_full(r, sink, refusal);
}

// A line of vortel's triple files, as vortel-importa writes them: "r c d",
// cells in row-major order.
bool triple_line(Recogniser& r, const std::uint32_t* cp, int n, long number,
                 Refusal& refusal) {
  const bool canonical = n == 5 && is_given(cp[0]) && cp[1] == ' ' &&
                         is_given(cp[2]) && cp[3] == ' ' && is_given(cp[4]);
  const int cell = canonical ? 9 * static_cast<int>(cp[0] - '1') +
                                   static_cast<int>(cp[2] - '1')
                             : -1;
  if (!canonical || cell <= r.last_cell) {
    return refuse(refusal, Problem::kTripleFile, number, 1);
  }
  if (!r.triples) r.triples_from = number;
  r.triples = true;
  r.last_cell = cell;
  r.triple_puzzle[static_cast<unsigned>(cell)] =
      static_cast<std::uint8_t>(cp[4] - '0');
  return true;
}

bool list_puzzle(Recogniser& r, const std::uint32_t* cp, int n, Run run,
                 long number, const Sink& sink, Refusal& refusal) {
  if (run.end < n) {
    const std::uint32_t next = cp[run.end];
    if (!is_blank(next) && next != ',' && next != ';') {
      return refuse(refusal, Problem::kListTrailer, number, run.end + 1);
    }
  }
  Puzzle puzzle{};
  bool drawn = true;  // only rule-drawing marks: a rule as much as a puzzle
  int count = 0;
  for (int i = run.start; i < run.end; ++i) {
    if (!is_cell(cp[i])) continue;
    drawn = drawn && is_rule_mark(cp[i]);
    puzzle[static_cast<unsigned>(count++)] =
        is_given(cp[i]) ? static_cast<std::uint8_t>(cp[i] - '0') : 0;
  }
  if (drawn) {
    refusal.character = cp[run.start];
    return refuse(refusal, Problem::kAmbiguousLine, number, run.start + 1);
  }
  if (!end_grid(r, number, run.start + 1, sink, refusal)) return false;
  emit_puzzle(r, puzzle, number, sink);
  return true;
}

// The first line of a file of vortel's triples: only where no puzzle and
// no grid row came before it.
bool first_triple(Recogniser& r, const std::uint32_t* cp, int n, long number,
                  long column, Refusal& refusal) {
  if (r.puzzles != 0 || rows_of(r) != 0) {
    refusal.count = 3;
    return refuse(refusal, Problem::kWrongCellCount, number, column);
  }
  clear_grid(r);
  return triple_line(r, cp, n, number, refusal);
}

// A line of cells and decoration only.
bool cell_line(Recogniser& r, const std::uint32_t* cp, int n, long number,
               const Sink& sink, Refusal& refusal) {
  const CellScan cells = scan_cells(cp, n);
  if (cells.count == 0) return true;  // a rule of decoration alone
  GridEntry row;
  row.line = number;
  row.column = cells.first + 1;
  for (unsigned c = 0; c < 9; ++c) row.cells[c] = cells.row[c];
  if (cells.count == 3 && looks_like_triple(cp, n)) {
    return first_triple(r, cp, n, number, row.column, refusal);
  }
  if (cells.drawn) {
    if (cells.count == 81 && cells.one_mark) {
      refusal.character = cells.rule_mark;
      return refuse(refusal, Problem::kAmbiguousLine, number, row.column);
    }
    if (cells.count != 9 || !cells.one_mark) return true;  // a rule
    row.mark = cells.rule_mark;
    shape_of(cp, n, row.shape);
    return ambiguous_line(r, row, sink, refusal);
  }
  if (cells.count == 81) {
    return list_puzzle(r, cp, n, Run{0, n}, number, sink, refusal);
  }
  if (cells.count != 9) {
    refusal.count = cells.count;
    return refuse(refusal, Problem::kWrongCellCount, number, row.column);
  }
  Shape shape;
  shape_of(cp, n, shape);
  return grid_row(r, row, cells.marks, shape, sink, refusal);
}

// A line with characters that are neither cells nor decoration, and no
// list puzzle: a comment or text (skipped, text ending a grid), else
// refused where its first such character stands.
bool other_line(Recogniser& r, const std::uint32_t* cp, int n, long number,
                const LineScan& scan, int longest, const Sink& sink,
                Refusal& refusal) {
  if (cp[scan.first] == '#') return true;
  const bool text = scan.letters || cp[scan.first] == '[';
  if (longest >= kLongRun) {
    refusal.count = longest;
    return refuse(refusal, Problem::kBadListLine, number,
                  longest_run_start(cp, n) + 1);
  }
  if (text) return end_grid(r, number, scan.first + 1, sink, refusal);
  const std::uint32_t c = cp[scan.other];
  refusal.character = c >= kNotUtf8 ? c - kNotUtf8 : c;
  return refuse(refusal,
                c >= kNotUtf8 ? Problem::kNotText : Problem::kBadCharacter,
                number, scan.other + 1);
}

bool take_line(Recogniser& r, const Sink& sink, Refusal& refusal,
               std::uint32_t* cp) {
  const long number = ++r.line;
  const auto* bytes = reinterpret_cast<const unsigned char*>(r.text);
  std::size_t size = r.length;
  if (number == 1 && size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB &&
      bytes[2] == 0xBF) {
    bytes += 3;
    size -= 3;
  }
  const int n = decode(bytes, size, cp);
  const LineScan scan = scan_line(cp, n);
  if (scan.control >= 0) {
    refusal.character = cp[scan.control];
    return refuse(refusal, Problem::kNotText, number, scan.control + 1);
  }
  if (scan.first < 0) return true;  // blank
  if (r.triples) return triple_line(r, cp, n, number, refusal);
  int longest = 0;
  const Run run = find_list_run(cp, n, longest);
  const bool comment = cp[scan.first] == '#' &&
                       !(scan.first + 1 < n && is_given(cp[scan.first + 1]));
  if (run.start >= 0 && !comment) {
    return list_puzzle(r, cp, n, run, number, sink, refusal);
  }
  if (scan.other >= 0 || scan.letters) {
    return other_line(r, cp, n, number, scan, longest, sink, refusal);
  }
  return cell_line(r, cp, n, number, sink, refusal);
}

// Forgets the grid in progress and a file of triples begun: what a refusal
// that the caller passes over leaves behind.
void forget(Recogniser& r) {
  clear_grid(r);
  r.triples = false;
  r.last_cell = -1;
  r.triple_puzzle = Puzzle{};
}

// A refusal: the end of the input, unless the caller's on_refusal passes
// over it. Returns true when reading goes on.
bool pass_over(Recogniser& r, const Sink& sink, const Refusal& refusal) {
  if (r.on_refusal == nullptr || !r.on_refusal(refusal, sink.context)) {
    return false;
  }
  forget(r);
  return true;
}

// The line assembled: taken, and after a refusal passed over, taken anew
// when only the grid before it was refused.
bool next_line(Recogniser& r, const Sink& sink, Refusal& refusal) {
  for (;;) {
    if (take_line(r, sink, refusal, r.decoded)) return true;
    if (!pass_over(r, sink, refusal)) return false;
    const bool anew =
        refusal.problem == Problem::kGridCutShort && refusal.line == r.line;
    if (!anew) return true;
    --r.line;
    refusal = Refusal{};
  }
}

}  // namespace

bool feed(Recogniser& r, const char* data, std::size_t size, Emit emit,
          void* context, Refusal& refusal) {
  const Sink sink{emit, context};
  for (std::size_t i = 0; i < size; ++i) {
    const char b = data[i];
    if (r.swallow_lf) {
      r.swallow_lf = false;
      if (b == '\n') continue;
    }
    if (b == '\n' || b == '\r') {
      r.swallow_lf = b == '\r';
      if (r.skipping) {
        r.skipping = false;
        ++r.line;
      } else if (!next_line(r, sink, refusal)) {
        return false;
      }
      r.length = 0;
      continue;
    }
    if (r.skipping) continue;
    if (r.length == kMaxLine) {
      refuse(refusal, Problem::kLineTooLong, r.line + 1, 1);
      if (!pass_over(r, sink, refusal)) return false;
      r.skipping = true;
      r.length = 0;
      continue;
    }
    r.text[r.length++] = b;
  }
  return true;
}

bool finish(Recogniser& r, Emit emit, void* context, Refusal& refusal) {
  const Sink sink{emit, context};
  if (r.skipping) {
    r.skipping = false;
    ++r.line;
  } else if (r.length > 0) {
    if (!next_line(r, sink, refusal)) return false;
  }
  r.length = 0;
  if (r.triples) {
    r.triples = false;
    emit_puzzle(r, r.triple_puzzle, r.triples_from, sink);
    return true;
  }
  if (!end_grid(r, r.line + 1, 1, sink, refusal) &&
      !pass_over(r, sink, refusal)) {
    return false;
  }
  if (r.puzzles == 0) {
    refuse(refusal, Problem::kNoPuzzle, 0, 0);
    return pass_over(r, sink, refusal);
  }
  return true;
}

}  // namespace importa
