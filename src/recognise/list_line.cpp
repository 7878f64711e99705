// List lines, and the accounting of every cell of a line that is not a
// grid row. A list puzzle is 81 cells laid out regularly: side by side,
// one blank apart, in nine groups of nine, or with wider gaps between
// boxes and rows (the gap before each cell depends only on whether it
// starts a row of the puzzle, a box, or neither). Text before it is a
// label; after it a blank, tab, ',' or ';' starts the rest of the line,
// which may hold a second puzzle (or the first one's solution, which is
// not a puzzle). Every other run of nine or more cells on the line, counted
// across decoration and brackets, refuses the input: a label or a rating
// never holds cells of a puzzle, and a damaged puzzle (a cell lost or
// doubled) is never passed over for the run beside it.
#include "recognise/characters.h"
#include "recognise/parts.h"

namespace recognise::parts {

namespace {

constexpr int kRowRun = 9;    // the fewest cells that may be a puzzle's
constexpr int kLongRun = 60;  // from here to kMaxRun: a damaged puzzle
constexpr int kMaxRun = 100;
constexpr int kPuzzleCells = 81;
constexpr int kSixteenCells = 256;  // a 16x16 puzzle on a line

// Characters that join cells into one run when a line's cells are
// counted: decoration and brackets.
bool joins(std::uint32_t c) {
  return is_decoration(c) || c == '(' || c == ')' || c == '[' || c == ']' ||
         c == '{' || c == '}';
}

// Up to 81 cells from a cell at `start`, with blanks and decoration other
// than ',' between them.
struct Take {
  int end = 0;  // one past the last cell taken
  int count = 0;
  bool touching = false;  // a cell right after the 81st
  bool regular = true;    // laid out as a list puzzle is
  int row_gap_at = -1;    // the gap between rows: where its first one is
  int row_gap_length = 0;
};

// The gap before cell k (1-80) by what the cell starts: 2 a row, 1 a box,
// 0 neither.
int gap_class(int k) {
  if (k % 9 == 0) return 2;
  return k % 3 == 0 ? 1 : 0;
}

bool same_gap(const std::uint32_t* cp, int a, int b, int length) {
  for (int i = 0; i < length; ++i) {
    if (cp[a + i] != cp[b + i]) return false;
  }
  return true;
}

Take take_cells(const std::uint32_t* cp, int n, int start) {
  Take take;
  int gap_at[3] = {-1, -1, -1};  // where each class's first gap starts
  int gap_length[3] = {0, 0, 0};
  for (int i = start; i < n && take.count < kPuzzleCells; ++i) {
    if (!is_cell(cp[i])) {
      if (!is_decoration(cp[i]) || cp[i] == ',') break;
      continue;
    }
    if (take.count > 0) {
      const int k = gap_class(take.count);
      const int length = i - take.end;
      if (gap_at[k] < 0) {
        gap_at[k] = take.end;
        gap_length[k] = length;
      } else if (gap_length[k] != length ||
                 !same_gap(cp, gap_at[k], take.end, length)) {
        take.regular = false;
      }
    }
    ++take.count;
    take.end = i + 1;
  }
  take.touching =
      take.count == kPuzzleCells && take.end < n && is_cell(cp[take.end]);
  // Spaced cells going on past the 81st (the gap between rows, then a
  // lone cell) are a cell too many, not a number after the puzzle.
  const int after = take.end + gap_length[2];
  if (take.count == kPuzzleCells && gap_length[0] > 0 && gap_at[2] >= 0 &&
      after < n && same_gap(cp, gap_at[2], take.end, gap_length[2]) &&
      is_cell(cp[after]) && (after + 1 == n || !is_cell(cp[after + 1]))) {
    take.touching = true;
  }
  take.row_gap_at = gap_at[2];
  take.row_gap_length = gap_length[2];
  return take;
}

// A run of cells counted across decoration and brackets.
struct CellRun {
  int start = -1;
  int end = -1;  // one past its last cell
  int count = 0;
};

bool refuse_run(const CellRun& run, long number, Refusal& refusal) {
  refusal.count = run.count;
  const bool damaged = run.count >= kLongRun && run.count <= kMaxRun;
  return refuse(refusal,
                damaged ? Problem::kBadListLine : Problem::kCellsInText, number,
                run.start + 1);
}

// A character not allowed where it stands; a byte that is not UTF-8
// makes the input not text.
bool refuse_character(std::uint32_t c, long number, long column,
                      Refusal& refusal) {
  if (c >= kNotUtf8) {
    refusal.byte = static_cast<int>(c - kNotUtf8);
    return refuse(refusal, Problem::kNotText, number, column);
  }
  refusal.character = c;
  return refuse(refusal, Problem::kBadCharacter, number, column);
}

// Two runs that one stray character splits into a puzzle's 80 cells:
// that character is what is wrong (a letter O for a 0, a stray quote).
bool refuse_split(const std::uint32_t* cp, const CellRun& before, long number,
                  Refusal& refusal) {
  const std::uint32_t c = cp[before.end];
  return refuse_character(c, number, before.end + 1, refusal);
}

// Characters [from, to) of a line are no puzzle's: they may not hold a
// run of nine cells or more.
bool account(const std::uint32_t* cp, int from, int to, long number,
             Refusal& refusal) {
  CellRun before;
  CellRun run;
  for (int i = from; i <= to; ++i) {
    if (i < to && is_cell(cp[i])) {
      if (run.count++ == 0) run.start = i;
      run.end = i + 1;
      continue;
    }
    if ((i < to && joins(cp[i])) || run.count == 0) continue;
    if (before.count > 0 && before.end + 1 == run.start &&
        before.count + run.count == kPuzzleCells - 1) {
      return refuse_split(cp, before, number, refusal);
    }
    if (before.count >= kRowRun) return refuse_run(before, number, refusal);
    before = run;
    run = CellRun{};
  }
  if (before.count >= kRowRun) return refuse_run(before, number, refusal);
  return true;
}

bool is_sixteen_letter(std::uint32_t c) {
  return (c >= 'A' && c <= 'G') || (c >= 'a' && c <= 'g');
}

// 256 cells and letters A-G on a line: a 16x16 puzzle.
bool looks_sixteen(const std::uint32_t* cp, int n, int from) {
  int count = 0;
  for (int i = from; i < n; ++i) {
    if (is_cell(cp[i]) || is_sixteen_letter(cp[i])) {
      ++count;
    } else if (!is_decoration(cp[i])) {
      return false;
    }
  }
  return count == kSixteenCells;
}

// The label of a list puzzle whose cells are [start, end): the text before
// them, or else the text after them and after the solution beside them.
void list_label(Recogniser& r, const std::uint32_t* cp, int n, int start,
                int end) {
  int from = 0;
  while (from < start && is_blank(cp[from])) ++from;
  if (from < start) {
    keep_label(r, cp, 0, start);
    return;
  }
  int at = end;
  while (at < n && !is_cell(cp[at]) && (is_decoration(cp[at]) || cp[at] == ';'))
    ++at;
  if (at < n && is_cell(cp[at])) {
    const Take next = take_cells(cp, n, at);
    if (next.count == kPuzzleCells && !next.touching) at = next.end;
  }
  while (at < n && (is_blank(cp[at]) || cp[at] == '#')) ++at;
  keep_label(r, cp, at, n);
}

// A full grid in a field of its own whose line starts with the end of a
// field cut short: nothing, or up to eight cells that agree with the end
// of the grid, before a ',' or ';'. What a cut inside a puzzle, before its
// solution, leaves: that solution is no puzzle of the input.
bool field_cut_before(const std::uint32_t* cp, int start, const Puzzle& grid) {
  constexpr int kFewest = 9;  // from here, the cells refuse the line anyway
  int at = start;
  while (at > 0 && is_blank(cp[at - 1])) --at;
  if (at == 0 || (cp[at - 1] != ',' && cp[at - 1] != ';')) return false;
  const int field = at - 1;
  if (field >= kFewest) return false;
  bool empty = field == 0;
  for (int i = 0; i < field; ++i) {
    const std::uint32_t c = cp[i];
    if (!is_cell(c)) return false;
    const int digit = is_given(c) ? static_cast<int>(c - '0') : 0;
    empty = empty || digit == 0;
    if (digit != 0 && digit != grid.cell[81 - field + i]) {
      return false;
    }
  }
  return empty;
}

// The puzzle of cells [start, end): emitted, unless it is the solution of
// the puzzle before it on the line.
bool list_puzzle(Recogniser& r, const std::uint32_t* cp, int n, int start,
                 int end, long number, bool second, const Sink& sink,
                 Refusal& refusal) {
  Puzzle puzzle{};
  bool drawn = true;  // only rule-drawing marks: a rule as much as a puzzle
  unsigned count = 0;
  for (int i = start; i < end; ++i) {
    if (!is_cell(cp[i])) continue;
    drawn = drawn && is_rule_mark(cp[i]);
    puzzle.cell[count++] =
        is_given(cp[i]) ? static_cast<std::uint8_t>(cp[i] - '0') : 0;
  }
  if (drawn) {
    refusal.character = cp[start];
    return refuse(refusal, Problem::kAmbiguousLine, number, start + 1);
  }
  if (!second && !end_grid(r, number, start + 1, sink, refusal)) return false;
  if (!second && is_full(puzzle) && field_cut_before(cp, start, puzzle)) {
    refusal.count = 81;
    return refuse(refusal, Problem::kCutLine, number, 1);
  }
  if (!second) list_label(r, cp, n, start, end);
  if (second && r.last_open && solves(puzzle, r.last)) return true;
  emit_puzzle(r, puzzle, number, sink);
  return true;
}

bool ends_cells(std::uint32_t c) {
  return is_decoration(c) || c == ';';
}

// The layout going on before the first cell of a take (a cell, then the
// gap between rows): the take starts inside a longer run.
bool goes_back(const std::uint32_t* cp, int from, int start, const Take& take) {
  const int before = start - take.row_gap_length - 1;
  return take.row_gap_length > 0 && before >= from && is_cell(cp[before]) &&
         same_gap(cp, take.row_gap_at, before + 1, take.row_gap_length);
}

int first_cell(const std::uint32_t* cp, int n, int from) {
  for (int i = from; i < n; ++i) {
    if (is_cell(cp[i])) return i;
  }
  return from;
}

// A line without a list puzzle: refused for what it holds, or text.
bool no_puzzle(Recogniser& r, const std::uint32_t* cp, int n,
               const LineKind& kind, long number, const Sink& sink,
               Refusal& refusal) {
  if (looks_sixteen(cp, n, kind.from)) {
    refusal.count = 16;
    return refuse(refusal, Problem::kOtherSize, number, kind.from + 1);
  }
  if (kind.cells >= 0 && (kind.cells < kLongRun || kind.cells > kMaxRun)) {
    refusal.count = kind.cells;
    return refuse(refusal, Problem::kWrongCellCount, number,
                  first_cell(cp, n, kind.from) + 1);
  }
  if (kind.stray >= 0) {
    const std::uint32_t c = cp[kind.stray];
    return refuse_character(c, number, kind.stray + 1, refusal);
  }
  if (!account(cp, kind.from, n, number, refusal)) return false;
  r.last_open = false;
  if (!end_grid(r, number, kind.from + 1, sink, refusal)) return false;
  keep_label(r, cp, 0, n);  // text: the title of a grid that may follow
  r.fragment_rows = 0;
  return true;
}

// A row's label from `i`: a letter A-I, or R or Riga and a digit 1-9.
// Returns where it ends, or -1.
int row_label_word(const std::uint32_t* cp, int n, int i) {
  if (i + 1 < n &&
      ((cp[i] >= 'A' && cp[i] <= 'I') || (cp[i] >= 'a' && cp[i] <= 'i'))) {
    return i + 1;
  }
  if (i == n || (cp[i] != 'R' && cp[i] != 'r')) return -1;
  ++i;
  if (i + 2 < n && cp[i] == 'i' && cp[i + 1] == 'g' && cp[i + 2] == 'a') {
    i += 3;  // Riga 1
    while (i < n && is_blank(cp[i])) ++i;
  }
  return i < n && is_given(cp[i]) ? i + 1 : -1;
}

}  // namespace

bool list_line(Recogniser& r, const std::uint32_t* cp, int n,
               const LineKind& kind, long number, const Sink& sink,
               Refusal& refusal) {
  int done = kind.from;  // the characters before it are accounted for
  bool any = false;
  for (int i = kind.from; i < n; ++i) {
    if (!is_cell(cp[i]) || (i > kind.from && is_cell(cp[i - 1]))) continue;
    const Take take = take_cells(cp, n, i);
    if (take.count != kPuzzleCells || take.touching || !take.regular ||
        goes_back(cp, kind.from, i, take)) {
      continue;
    }
    if (take.end < n && !ends_cells(cp[take.end])) {
      return refuse(refusal, Problem::kListTrailer, number, take.end + 1);
    }
    if (!account(cp, done, i, number, refusal) ||
        !list_puzzle(r, cp, n, i, take.end, number, any, sink, refusal)) {
      return false;
    }
    any = true;
    done = take.end;
    i = take.end - 1;
  }
  if (any) return account(cp, done, n, number, refusal);
  return no_puzzle(r, cp, n, kind, number, sink, refusal);
}

int row_label_place(const std::uint32_t* cp, int n) {
  int i = 0;
  while (i < n && is_blank(cp[i])) ++i;
  const int end = row_label_word(cp, n, i);
  if (end < 0) return 0;
  const std::uint32_t c = cp[end - 1];
  if (is_given(c)) return static_cast<int>(c - '0');
  return static_cast<int>((c | 0x20U) - 'a') + 1;
}

int row_label_end(const std::uint32_t* cp, int n) {
  int i = 0;
  while (i < n && is_blank(cp[i])) ++i;
  i = row_label_word(cp, n, i);
  if (i < 0) return -1;
  if (i < n && (cp[i] == ':' || cp[i] == ')' || cp[i] == '|')) return i + 1;
  return i < n && is_blank(cp[i]) ? i : -1;
}

}  // namespace recognise::parts
