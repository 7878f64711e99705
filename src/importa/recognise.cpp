// The recogniser. The bytes are cut into lines at LF, CR LF or a lone CR,
// and each line is decoded from UTF-8 (a byte that is not UTF-8 stays a
// character of its own, which only a text line may hold). Characters are:
//  - cells: the digits 1-9 (givens) and the empty-cell marks . 0 _ x X * - ?
//  - decoration: blank, tab, | : , + = and the box-drawing characters
//    U+2500-U+257F;
//  - letters: ASCII letters other than x and X, and the letters of the
//    Latin, Greek, Cyrillic, Hebrew, Arabic, CJK and Hangul blocks;
//  - anything else.
// Each line is then, in this order:
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

namespace importa {

namespace {

constexpr std::uint32_t kNotUtf8 = 0x110000;  // + the byte
constexpr std::uint32_t kCellMarker = 1;      // a cell, in a shape
constexpr int kLongRun = 60;  // cells in a run that must have been a puzzle

// --- characters -----------------------------------------------------------

bool is_blank(std::uint32_t c) {
  return c == ' ' || c == '\t';
}

bool is_given(std::uint32_t c) {
  return c >= '1' && c <= '9';
}

// The empty-cell marks, each with a bit of its own for Recogniser::marks.
int empty_mark_bit(std::uint32_t c) {
  switch (c) {
  case '.':
    return 0;
  case '0':
    return 1;
  case '_':
    return 2;
  case 'x':
    return 3;
  case 'X':
    return 4;
  case '*':
    return 5;
  case '-':
    return 6;
  case '?':
    return 7;
  default:
    return -1;
  }
}

bool is_cell(std::uint32_t c) {
  return is_given(c) || empty_mark_bit(c) >= 0;
}

// Marks that people also draw rules with.
bool is_rule_mark(std::uint32_t c) {
  return c == '-' || c == '*' || c == '_';
}

bool is_decoration(std::uint32_t c) {
  return is_blank(c) || c == '|' || c == ':' || c == ',' || c == '+' ||
         c == '=' || (c >= 0x2500 && c <= 0x257F);
}

bool is_letter(std::uint32_t c) {
  if (c == 'x' || c == 'X') return false;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  if (c >= 0xC0 && c <= 0x24F) return c != 0xD7 && c != 0xF7;
  return (c >= 0x370 && c <= 0x6FF) || (c >= 0x1E00 && c <= 0x1FFF) ||
         (c >= 0x3040 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF);
}

bool is_control(std::uint32_t c) {
  return (c < 0x20 && c != '\t') || c == 0x7F;
}

// Decodes `n` bytes into code points; a byte that does not start a
// well-formed sequence becomes kNotUtf8 + byte. Returns the count.
int decode(const unsigned char* s, std::size_t n, std::uint32_t* out) {
  int count = 0;
  std::size_t i = 0;
  while (i < n) {
    const unsigned b = s[i];
    // The length of the sequence that the lead byte announces, and the
    // least code point that needs that length (shorter forms are invalid).
    std::size_t extra = 0;
    std::uint32_t least = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      least = 0x10000;
    } else if (b >= 0x80) {
      out[count++] = kNotUtf8 + b;
      ++i;
      continue;
    }
    std::uint32_t c = extra == 0 ? b : b & (0x7FU >> (extra + 1));
    bool good = true;
    for (std::size_t k = 1; good && k <= extra; ++k) {
      good = i + k < n && (s[i + k] & 0xC0) == 0x80;
      if (good) c = (c << 6) | (s[i + k] & 0x3F);
    }
    if (good && extra > 0 &&
        (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
      good = false;
    }
    if (!good) {
      out[count++] = kNotUtf8 + b;
      ++i;
      continue;
    }
    out[count++] = c;
    i += extra + 1;
  }
  return count;
}

// --- the line as a whole --------------------------------------------------

struct Run {
  int start = -1;  // the first cell
  int end = -1;    // one past the last
};

// The first run of exactly 81 cells, side by side or one blank apart, that
// no other cell touches. `longest` gets the longest run of either kind.
Run find_list_run(const std::uint32_t* cp, int n, int& longest) {
  Run best;
  longest = 0;
  for (int i = 0; i < n;) {
    if (!is_cell(cp[i])) {
      ++i;
      continue;
    }
    int j = i;
    while (j < n && is_cell(cp[j])) ++j;
    if (j - i > longest) longest = j - i;
    if (j - i == 81 && best.start < 0) best = {i, j};
    i = j;
  }
  auto alone = [&](int i) {
    return is_cell(cp[i]) && (i == 0 || !is_cell(cp[i - 1])) &&
           (i + 1 == n || !is_cell(cp[i + 1]));
  };
  for (int i = 0; i < n; ++i) {
    if (!alone(i)) continue;
    int j = i;
    int length = 1;
    while (j + 2 < n && is_blank(cp[j + 1]) && alone(j + 2)) {
      j += 2;
      ++length;
    }
    if (length > longest) longest = length;
    if (length == 81 && (best.start < 0 || i < best.start)) best = {i, j + 1};
    i = j;
  }
  return best;
}

// Where the longest run of cells starts (for a refusal's column).
int longest_run_start(const std::uint32_t* cp, int n) {
  int start = 0;
  int best = 0;
  for (int i = 0; i < n;) {
    int j = i;
    while (j < n &&
           (is_cell(cp[j]) || (is_blank(cp[j]) && j > i && j + 1 < n &&
                               is_cell(cp[j + 1]) && !is_blank(cp[j - 1])))) {
      ++j;
    }
    if (j - i > best) {
      best = j - i;
      start = i;
    }
    i = j > i ? j : i + 1;
  }
  return start;
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

// Drawn alike, or too long to tell.
bool same_shape(const Shape& a, const Shape& b) {
  if (a.length > kMaxShape || b.length > kMaxShape) return true;
  if (a.length != b.length) return false;
  for (int i = 0; i < a.length; ++i) {
    if (a.text[i] != b.text[i]) return false;
  }
  return true;
}

// "r c d": three single digits 1-9 with blanks between them, nothing else.
bool looks_like_triple(const std::uint32_t* cp, int n) {
  int digits = 0;
  for (int i = 0; i < n; ++i) {
    if (is_blank(cp[i])) continue;
    if (!is_given(cp[i]) || (i + 1 < n && !is_blank(cp[i + 1]))) return false;
    ++digits;
  }
  return digits == 3;
}

// --- the recogniser -------------------------------------------------------

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

void emit_puzzle(Recogniser& r, const Puzzle& puzzle, const Sink& sink) {
  ++r.puzzles;
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
  clear_grid(r);
  emit_puzzle(r, puzzle, sink);
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
  refusal.count = static_cast<int>(entry.mark);
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
    refusal.count = static_cast<int>(cp[run.start]);
    return refuse(refusal, Problem::kAmbiguousLine, number, run.start + 1);
  }
  if (!end_grid(r, number, run.start + 1, sink, refusal)) return false;
  emit_puzzle(r, puzzle, sink);
  return true;
}

// A line of cells and decoration only.
bool cell_line(Recogniser& r, const std::uint32_t* cp, int n, long number,
               const Sink& sink, Refusal& refusal) {
  GridEntry row;
  row.line = number;
  int count = 0;
  int digits = 0;
  unsigned marks = 0;
  std::uint32_t rule_mark = 0;  // the rule-drawing mark, if only one
  bool drawn = true;            // only rule-drawing marks
  bool one_mark = true;         // and only one of them
  for (int i = 0; i < n; ++i) {
    const std::uint32_t c = cp[i];
    if (!is_cell(c)) continue;
    if (count == 0) row.column = i + 1;
    if (is_given(c)) {
      ++digits;
      if (count < 9)
        row.cells[static_cast<unsigned>(count)] =
            static_cast<std::uint8_t>(c - '0');
    } else {
      marks |= 1U << empty_mark_bit(c);
    }
    drawn = drawn && is_rule_mark(c);
    one_mark = one_mark && (rule_mark == 0 || rule_mark == c);
    rule_mark = c;
    ++count;
  }
  if (count == 0) return true;  // a rule of decoration alone
  if (count == 3 && looks_like_triple(cp, n)) {
    if (r.puzzles != 0 || rows_of(r) != 0) {
      refusal.count = 3;
      return refuse(refusal, Problem::kWrongCellCount, number, row.column);
    }
    clear_grid(r);
    return triple_line(r, cp, n, number, refusal);
  }
  if (drawn) {
    if (count == 81 && one_mark) {
      refusal.count = static_cast<int>(rule_mark);
      return refuse(refusal, Problem::kAmbiguousLine, number, row.column);
    }
    if (count != 9 || !one_mark) return true;  // a rule
    row.mark = rule_mark;
    shape_of(cp, n, row.shape);
    return ambiguous_line(r, row, sink, refusal);
  }
  if (count == 81) {
    Run whole{0, n};
    return list_puzzle(r, cp, n, whole, number, sink, refusal);
  }
  if (count != 9) {
    refusal.count = count;
    return refuse(refusal, Problem::kWrongCellCount, number, row.column);
  }
  Shape shape;
  shape_of(cp, n, shape);
  return grid_row(r, row, marks, shape, sink, refusal);
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
  int first = -1;
  int other = -1;  // the first character that is neither cell nor decoration
  bool letters = false;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t c = cp[i];
    if (is_control(c)) {
      refusal.character = c;
      return refuse(refusal, Problem::kNotText, number, i + 1);
    }
    if (first < 0 && !is_blank(c)) first = i;
    if (is_letter(c)) letters = true;
    if (other < 0 && !is_cell(c) && !is_decoration(c)) other = i;
  }
  if (first < 0) return true;  // blank
  if (r.triples) return triple_line(r, cp, n, number, refusal);

  int longest = 0;
  const Run run = find_list_run(cp, n, longest);
  const bool comment =
      cp[first] == '#' && !(first + 1 < n && is_given(cp[first + 1]));
  if (run.start >= 0 && !comment) {
    return list_puzzle(r, cp, n, run, number, sink, refusal);
  }
  if (cp[first] == '#') return true;
  const bool text = letters || cp[first] == '[';
  if (longest >= kLongRun && (text || other >= 0)) {
    refusal.count = longest;
    return refuse(refusal, Problem::kBadListLine, number,
                  longest_run_start(cp, n) + 1);
  }
  if (text) return end_grid(r, number, first + 1, sink, refusal);
  if (other >= 0) {
    refusal.character =
        cp[other] >= kNotUtf8 ? cp[other] - kNotUtf8 : cp[other];
    return refuse(
        refusal,
        cp[other] >= kNotUtf8 ? Problem::kNotText : Problem::kBadCharacter,
        number, other + 1);
  }
  return cell_line(r, cp, n, number, sink, refusal);
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
      if (!take_line(r, sink, refusal, r.decoded)) return false;
      r.length = 0;
      continue;
    }
    if (r.length == kMaxLine) {
      return refuse(refusal, Problem::kLineTooLong, r.line + 1, 1);
    }
    r.text[r.length++] = b;
  }
  return true;
}

bool finish(Recogniser& r, Emit emit, void* context, Refusal& refusal) {
  const Sink sink{emit, context};
  if (r.length > 0) {
    if (!take_line(r, sink, refusal, r.decoded)) return false;
    r.length = 0;
  }
  if (r.triples) {
    r.triples = false;
    emit_puzzle(r, r.triple_puzzle, sink);
    return true;
  }
  if (!end_grid(r, r.line + 1, 1, sink, refusal)) return false;
  if (r.puzzles == 0) return refuse(refusal, Problem::kNoPuzzle, 0, 0);
  return true;
}

}  // namespace importa
