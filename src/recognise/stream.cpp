// The recogniser's stream: the bytes cut into lines, and each line,
// classified by its characters (characters.h), sent on. A line is, in this
// order:
//  1. blank: between grids nothing, inside a grid the end of a band;
//  2. a line of a file of vortel's triples, once its first line was one;
//  3. a comment: '#' first, unless a number and a blank, ':' or ')' follow
//     it and then the cells of a list puzzle ("#12 <81 cells>");
//  4. a grid row with a label (A-I, R1, Riga 1:) before its nine cells;
//  5. a line of cells and decoration only: nothing but decoration is a
//     rule; 60 cells or more are list puzzles (list_line.cpp); nine cells
//     a grid row; three single digits apart ("1 2 3") open a file of
//     vortel's triples; a line drawn only with '-', '*' or '_' marks is a
//     rule unless it has exactly nine of one of them, when it may be a row
//     of nine empty cells or a rule: the grid decides (grid.cpp);
//  6. any other line: list puzzles with labels and the rest of the line
//     around them, or text; either way every run of nine cells or more on
//     it must be a puzzle's (list_line.cpp).
// Anything else is refused where it stands. Every cell of an input that is
// read whole is thus in a puzzle, a comment, a solution, a column header
// or a label.
#include "recognise/characters.h"
#include "recognise/parts.h"
#include "recognise/recognise.h"

namespace recognise {

namespace parts {

bool refuse(Refusal& refusal, Problem problem, long line, long column) {
  refusal.problem = problem;
  refusal.line = line;
  refusal.column = column;
  return false;
}

void emit_puzzle(Recogniser& r, const Puzzle& puzzle, long line,
                 const Sink& sink) {
  ++r.puzzles;
  r.fragment_rows = 0;
  r.emitted_line = line;
  for (int i = 0; i < r.label_length; ++i) r.emitted_label[i] = r.label[i];
  r.emitted_label_length = r.label_length;
  r.label_length = 0;
  r.last = puzzle;
  r.last_open = true;
  sink.emit(puzzle, sink.context);
}

bool is_full(const Puzzle& puzzle) {
  for (const std::uint8_t digit : puzzle.cell) {
    if (digit == 0) return false;
  }
  return true;
}

bool solves(const Puzzle& solution, const Puzzle& puzzle) {
  unsigned seen[27] = {};  // the digits of each row, column and box
  for (unsigned i = 0; i < 81; ++i) {
    const unsigned d = solution.cell[i];
    if (d == 0 || (puzzle.cell[i] != 0 && puzzle.cell[i] != d)) return false;
    const unsigned bit = 1U << d;
    const unsigned row = i / 9;
    const unsigned column = i % 9;
    const unsigned units[3] = {row, 9 + column,
                               18 + 3 * (row / 3) + column / 3};
    for (unsigned unit : units) {
      if ((seen[unit] & bit) != 0) return false;
      seen[unit] |= bit;
    }
  }
  return true;
}

}  // namespace parts

namespace {

using parts::candidate_row;
using parts::cell_columns;
using parts::cells_where_rows_have_them;
using parts::own_mark_run;
using parts::read_own_mark;
using parts::refuse;
using parts::Sink;
using parts::stray_in_row;

// Three integers apart, each with an optional sign: what a line of a
// triple file is, written well or not.
bool three_integers(const std::uint32_t* cp, int n) {
  int numbers = 0;
  for (int i = 0; i < n;) {
    if (is_blank(cp[i])) {
      ++i;
      continue;
    }
    if (cp[i] == '+' || cp[i] == '-') ++i;
    const int digits_from = i;
    while (i < n && cp[i] >= '0' && cp[i] <= '9') ++i;
    if (i == digits_from || (i < n && !is_blank(cp[i]))) return false;
    ++numbers;
  }
  return numbers == 3;
}

// A line of vortel's triple files, as vortel-importa writes them: "r c d",
// cells in row-major order. A file whose lines are all triples, written
// otherwise, is one for vortel as it is; a line that is no triple means
// the file is not one at all.
bool triple_line(Recogniser& r, const std::uint32_t* cp, int n, long number,
                 Refusal& refusal) {
  const bool canonical = n == 5 && is_given(cp[0]) && cp[1] == ' ' &&
                         is_given(cp[2]) && cp[3] == ' ' && is_given(cp[4]);
  const int cell = canonical ? 9 * static_cast<int>(cp[0] - '1') +
                                   static_cast<int>(cp[2] - '1')
                             : -1;
  if (!canonical || cell <= r.last_cell) {
    // Three integers: refused at the end as a file for vortel as it is,
    // unless a line that is none shows it is not one.
    if (!three_integers(cp, n)) {
      return refuse(refusal, Problem::kNotTriples, number, 1);
    }
    if (r.triples_doubt == 0) r.triples_doubt = number;
    return true;
  }
  if (!r.triples) r.triples_from = number;
  r.triples = true;
  r.last_cell = cell;
  r.triple_puzzle.cell[cell] = static_cast<std::uint8_t>(cp[4] - '0');
  return true;
}

// The first line of a file of vortel's triples: only where no puzzle and
// no grid row came before it.
bool first_triple(Recogniser& r, const std::uint32_t* cp, int n, long number,
                  long column, Refusal& refusal) {
  if (r.puzzles != 0 || parts::rows_of(r) != 0) {
    refusal.count = 3;
    return refuse(refusal, Problem::kWrongCellCount, number, column);
  }
  parts::clear_grid(r);
  return triple_line(r, cp, n, number, refusal);
}

// A line of digits, blanks and bars: a row drawn in fixed width, or a row
// of such a grid drawn wrong; `done` says whether it was either.
bool fixed_line(Recogniser& r, const std::uint32_t* cp, int n, int from,
                GridEntry& row, const CellScan& cells, const Sink& sink,
                Refusal& refusal, bool& done) {
  done = false;
  if (cells.count != cells.digits || cells.count >= 9) return true;
  const parts::Fixed fixed = parts::fixed_width(r, cp, n, from, row);
  done = fixed != parts::Fixed::kNone;
  if (fixed == parts::Fixed::kRow) {
    row.column = from + 1;
    Shape shape;
    parts::shape_of(cp + from, n - from, shape);
    r.fixed_width = true;
    return parts::grid_row(r, row, 0, shape, sink, refusal);
  }
  if (fixed == parts::Fixed::kDamaged) {
    refusal.count = cells.count;  // a row of the grid, drawn wrong
    r.row_refused = true;
    return refuse(refusal, Problem::kWrongCellCount, row.line, from + 1);
  }
  return true;
}

// A line of cells and decoration only, from character `from` (past a row
// label, when `labelled`).
bool cell_line(Recogniser& r, const std::uint32_t* cp, int n, int from,
               bool labelled, long number, const Sink& sink, Refusal& refusal) {
  const CellScan cells = scan_cells(cp + from, n - from);
  GridEntry row;
  row.line = number;
  row.labelled = labelled;
  if (labelled) {
    row.place = static_cast<std::uint8_t>(parts::row_label_place(cp, n));
  }
  bool done = false;
  const bool good = fixed_line(r, cp, n, from, row, cells, sink, refusal, done);
  if (done) return good;
  if (cells.count == 0) {
    Shape rule;
    parts::shape_of(cp, n, rule);
    return parts::grid_break(r, number, 1, parts::look_of(rule), refusal);
  }
  row.column = from + cells.first + 1;
  for (unsigned c = 0; c < 9; ++c) row.cells[c] = cells.row[c];
  if (cells.count == 3 && !labelled && looks_like_triple(cp, n)) {
    return first_triple(r, cp, n, number, row.column, refusal);
  }
  if (cells.drawn && !labelled) {
    if (cells.count == 81 && cells.one_mark) {
      refusal.character = cells.rule_mark;
      return refuse(refusal, Problem::kAmbiguousLine, number, row.column);
    }
    if (cells.count != 9 || !cells.one_mark) {
      Shape rule;
      parts::shape_of(cp, n, rule);
      return parts::grid_break(r, number, row.column, parts::look_of(rule),
                               refusal);
    }
    row.mark = cells.rule_mark;
    parts::shape_of(cp, n, row.shape);
    return parts::ambiguous_line(r, row, sink, refusal);
  }
  if (cells.count != 9 && cells.count != 81 &&
      candidate_row(cp + from, n - from)) {
    r.row_refused = true;
    return refuse(refusal, Problem::kCandidateGrid, number, row.column);
  }
  if (cells.count >= 60 && !labelled) {
    parts::LineKind kind;
    kind.cells = cells.count;
    return parts::list_line(r, cp, n, kind, number, sink, refusal);
  }
  cell_columns(cp, n, from, row);
  if (cells.count != 9) {
    refusal.count = cells.count;
    r.row_refused = true;
    return refuse(refusal, Problem::kWrongCellCount, number, row.column);
  }
  Shape shape;
  parts::shape_of(cp + from, n - from, shape);
  return parts::grid_row(r, row, cells.marks, shape, sink, refusal);
}

// "#12 " before a list puzzle: where its cells start, or -1 for a comment.
// The number is shorter than a run of nine cells: "#<81 digits> ..." is a
// puzzle commented out, whatever follows it.
int hash_label_end(const std::uint32_t* cp, int n, int first) {
  constexpr int kLongestNumber = 8;
  int i = first + 1;
  while (i < n && cp[i] >= '0' && cp[i] <= '9') ++i;
  if (i == first + 1 || i > first + 1 + kLongestNumber || i == n) return -1;
  if (!is_blank(cp[i]) && cp[i] != ':' && cp[i] != ')') return -1;
  ++i;
  while (i < n && is_blank(cp[i])) ++i;
  return i < n && is_cell(cp[i]) ? i : -1;
}

// Only cells and decoration from `from` on.
bool cells_from(const std::uint32_t* cp, int n, int from) {
  for (int i = from; i < n; ++i) {
    if (!is_cell(cp[i]) && !is_decoration(cp[i])) return false;
  }
  return true;
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
  if (scan.first < 0) {
    return parts::grid_break(r, number, 1, parts::kBlankLook, refusal);
  }
  if (r.triples) return triple_line(r, cp, n, number, refusal);
  if (cp[scan.first] == '#') {
    const int from = hash_label_end(cp, n, scan.first);
    if (from < 0) {
      r.last_open = false;
      r.fragment_rows = 0;
      parts::keep_comment(r, cp, n, scan.first);
      return true;  // a comment
    }
    parts::LineKind kind;
    kind.from = from;
    return parts::list_line(r, cp, n, kind, number, sink, refusal);
  }
  const int label = parts::row_label_end(cp, n);
  // A labelled row, or one with a cell too many or too few while a grid
  // is being read: a row of it, damaged.
  if (label >= 0 && cells_from(cp, n, label)) {
    const int cells = scan_cells(cp + label, n - label).count;
    const bool first = parts::row_label_place(cp, n) == 1;
    if (cells == 9 ||
        (cells > 0 && cells < 60 && (first || parts::grid_begun(r)))) {
      return cell_line(r, cp, n, label, true, number, sink, refusal);
    }
  }
  if ((scan.other < 0 && !scan.letters) || read_own_mark(cp, n)) {
    return cell_line(r, cp, n, 0, false, number, sink, refusal);
  }
  own_mark_run(cp, n);
  int stray = cells_where_rows_have_them(r, cp, n);
  if (stray < 0) stray = stray_in_row(cp, n, label < 0 ? 0 : label);
  if (stray >= 0) {
    r.row_refused = true;
    refusal.character = cp[stray];
    return refuse(refusal, Problem::kBadCharacter, number, stray + 1);
  }
  parts::LineKind kind;
  if (!scan.letters && cp[scan.first] != '[') kind.stray = scan.other;
  return parts::list_line(r, cp, n, kind, number, sink, refusal);
}

// Forgets the grid in progress and a file of triples begun: what a refusal
// that the caller passes over leaves behind.
void forget(Recogniser& r) {
  parts::clear_grid(r);
  r.last_open = false;
  r.suspect_line = 0;
  r.triples = false;
  r.triples_doubt = 0;
  r.last_cell = -1;
  r.triple_puzzle = Puzzle{};
}

// What a refusal passed over leaves of the grid in progress.
enum class Left {
  kNothing,  // forgotten
  kGrid,     // rows read on: the grid is to be checked anew
};

// A refusal: the end of the input, unless the caller's on_refusal passes
// over it. Inside a damaged grid, already reported, it is not reported
// again. Returns false when the input ends here.
bool pass_over(Recogniser& r, const Sink& sink, const Refusal& refusal,
               Left& left) {
  left = Left::kNothing;
  if (r.on_refusal == nullptr) return false;
  const bool row = r.row_refused && !r.triples;
  r.row_refused = false;
  if (!r.damaged || !row) {
    if (!r.on_refusal(refusal, sink.context)) return false;
    ++r.passed_over;
  }
  if (r.keep_from >= 0) {
    parts::keep_entries(r, r.keep_from);
    left = Left::kGrid;
    return true;
  }
  if (row) {  // the grid goes on, damaged, so that its rows stay in it
    r.last_open = false;
    r.suspect_line = 0;
    parts::damaged_row(r, refusal.line);
    left = Left::kGrid;
    return true;
  }
  forget(r);
  return true;
}

// The line assembled: taken, and after a refusal passed over, taken anew
// when only the grid before it was refused.
bool next_line(Recogniser& r, const Sink& sink, Refusal& refusal) {
  bool taken = take_line(r, sink, refusal, r.decoded);
  while (!taken) {
    Left left = Left::kNothing;
    if (!pass_over(r, sink, refusal, left)) return false;
    const bool anew = refusal.cut_by != 0 && refusal.cut_by == r.line;
    refusal = Refusal{};
    if (left == Left::kGrid) {
      taken = parts::recheck(r, sink, refusal);
    } else if (anew) {
      --r.line;
      taken = take_line(r, sink, refusal, r.decoded);
    } else {
      taken = true;
    }
  }
  return true;
}

// A line end: the line taken, or the end of one passed over.
bool end_of_line(Recogniser& r, const Sink& sink, Refusal& refusal) {
  if (r.skipping) {
    r.skipping = false;
    ++r.line;
  } else if (!next_line(r, sink, refusal)) {
    return false;
  }
  r.length = 0;
  return true;
}

// A line refused before its end: the rest of it is passed over, if the
// caller goes on.
bool refuse_rest(Recogniser& r, const Sink& sink, const Refusal& refusal) {
  // Inside a grid: one of its rows.
  r.row_refused = !r.damaged && parts::rows_of(r) > 0;
  Left left = Left::kNothing;
  if (!pass_over(r, sink, refusal, left)) return false;
  while (left == Left::kGrid) {
    Refusal again;
    if (parts::recheck(r, sink, again)) break;
    if (!pass_over(r, sink, again, left)) return false;
  }
  r.skipping = true;
  r.length = 0;
  return true;
}

// A byte of a line.
bool add_byte(Recogniser& r, char b, const Sink& sink, Refusal& refusal) {
  if (b == '\0') {  // not text, however long the line
    const int before = decode(reinterpret_cast<const unsigned char*>(r.text),
                              r.length, r.decoded);
    int at = 0;  // the first character that is not text, the NUL at last
    while (at < before && !is_control(r.decoded[at])) ++at;
    refusal.character = at < before ? r.decoded[at] : 0;
    refuse(refusal, Problem::kNotText, r.line + 1, at + 1);
    return refuse_rest(r, sink, refusal);
  }
  if (r.length == kMaxLine) {
    refuse(refusal, Problem::kLineTooLong, r.line + 1, 1);
    return refuse_rest(r, sink, refusal);
  }
  r.text[r.length++] = b;
  return true;
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
      if (!end_of_line(r, sink, refusal)) return false;
    } else if (!r.skipping && !add_byte(r, b, sink, refusal)) {
      return false;
    }
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
  if (r.triples && r.triples_doubt != 0) {
    refuse(refusal, Problem::kTripleFile, r.triples_doubt, 1);
    Left left = Left::kNothing;
    if (!pass_over(r, sink, refusal, left)) return false;
  }
  if (r.triples) {
    r.triples = false;
    parts::emit_puzzle(r, r.triple_puzzle, r.triples_from, sink);
    return true;
  }
  Left left = Left::kNothing;
  if (!parts::end_grid(r, r.line + 1, 1, sink, refusal) &&
      !pass_over(r, sink, refusal, left)) {
    return false;
  }
  // An input whose every entry was damaged has had each reported: that
  // it holds no puzzle is no news.
  if (r.puzzles == 0 && r.passed_over == 0) {
    refuse(refusal, Problem::kNoPuzzle, 0, 0);
    return pass_over(r, sink, refusal, left);
  }
  return true;
}

}  // namespace recognise
