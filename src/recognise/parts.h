// The recogniser's parts, one file each: the stream of lines with the
// triple files (stream.cpp), the grids (grid.cpp) and the list lines
// with the accounting of every cell (list_line.cpp). Not for other users.
#ifndef VORTEL_RECOGNISE_PARTS_H_
#define VORTEL_RECOGNISE_PARTS_H_

#include <cstdint>

#include "recognise/recognise.h"

namespace recognise::parts {

struct Sink {
  Emit emit;
  void* context;
};

/// Fills in the refusal's kind and place; returns false.
bool refuse(Refusal& refusal, Problem problem, long line, long column);

/// Hands a puzzle on, starting at `line`.
void emit_puzzle(Recogniser& r, const Puzzle& puzzle, long line,
                 const Sink& sink);

/// Keeps characters [from, to) of a line, trimmed of blanks and of the
/// separators around them, as the label of the next puzzle emitted.
void keep_label(Recogniser& r, const std::uint32_t* cp, int from, int to);
/// A comment line whose '#' is at `first`: its text is the label.
void keep_comment(Recogniser& r, const std::uint32_t* cp, int n, int first);

/// No empty cell.
bool is_full(const Puzzle& puzzle);

/// A complete, valid grid that agrees with every given of `puzzle`.
bool solves(const Puzzle& solution, const Puzzle& puzzle);

// ---- grids (grid.cpp) ----

/// A line's shape, for comparing how two lines are drawn.
void shape_of(const std::uint32_t* cp, int n, Shape& shape);
void clear_grid(Recogniser& r);
/// Rows read of the grid in progress (pending lines not counted).
int rows_of(const Recogniser& r);
/// Whether a grid is in progress: a row or a pending line read.
bool grid_begun(const Recogniser& r);
/// A row of nine cells, `marks` its empty-cell marks.
bool grid_row(Recogniser& r, const GridEntry& row, unsigned marks,
              const Shape& shape, const Sink& sink, Refusal& refusal);
/// Nine '-', '*' or '_' marks and decoration: a row or a rule.
bool ambiguous_line(Recogniser& r, GridEntry line, const Sink& sink,
                    Refusal& refusal);
/// Refuses the grid in progress: at the repeated row or header taken for
/// a row, if one came before, since that is what broke it.
bool refuse_grid(const Recogniser& r, Problem problem, long line, long column,
                 Refusal& refusal);
/// The grid's frame so far (frame.cpp): refuses what breaks it, and marks
/// the rows that start the next grid (Recogniser::keep_from).
bool check_frame(Recogniser& r, Refusal& refusal);
/// Keeps the rows of entries [0, end) of a grid refused as cut short.
void keep_fragment(Recogniser& r, int end);
/// A full grid that agrees with the rows kept, as their first or last rows.
bool completes_fragment(const Recogniser& r, const Puzzle& grid);

/// How a blank line looks, for comparing separators.
inline constexpr std::uint64_t kBlankLook = 1;
/// How a rule line looks, from its shape.
std::uint64_t look_of(const Shape& shape);
/// A rule or blank line, drawn as `look`: inside a grid, the end of a band.
bool grid_break(Recogniser& r, long line, long column, std::uint64_t look,
                Refusal& refusal);
/// Keeps the grid's entries from `from` on as a grid of its own (-1:
/// none), after a refusal of those before them.
void keep_entries(Recogniser& r, int from);
/// A refused line that is a row of the grid in progress: the grid goes on
/// as a damaged one, already reported.
void damaged_row(Recogniser& r, long line);
/// Checks the grid in progress anew (after keep_entries or damaged_row):
/// refuses it, or emits it when whole.
bool recheck(Recogniser& r, const Sink& sink, Refusal& refusal);
/// Something that is not part of a grid at (line, column): a grid begun
/// must be whole by then.
bool end_grid(Recogniser& r, long line, long column, const Sink& sink,
              Refusal& refusal);

// ---- how a line draws its cells (marks.cpp) ----

/// Nine groups of digits apart, some of several: a row of pencil marks.
bool candidate_row(const std::uint32_t* cp, int n);
/// Where the first nine cells of a row stand on its line, from `from`.
void cell_columns(const std::uint32_t* cp, int n, int from, GridEntry& row);
/// A line inside a grid with digits where the grid's cells stand: the
/// column (from 0) of its first character there that is no cell, or -1.
int cells_where_rows_have_them(const Recogniser& r, const std::uint32_t* cp,
                               int n);
/// The line's own mark for empty cells read as '.' when that makes a row
/// or a list line of 81 cells; returns whether it did.
bool read_own_mark(std::uint32_t* cp, int n);
/// A row of nine cells (from `from`) with one mistyped as a letter or a
/// symbol: that character's column, or -1.
int stray_in_row(std::uint32_t* cp, int n, int from);
/// A list puzzle among text drawn with a mark of its own: the mark read as
/// '.' within its cells only.
void own_mark_run(std::uint32_t* cp, int n);

// ---- grids drawn in fixed width (fixed.cpp) ----

/// A row of digits and blanks in fixed width: fills `cells` (nine).
bool fixed_width_row(const std::uint32_t* cp, int n, std::uint8_t* cells);

enum class Fixed {
  kNone,     // not drawn in fixed width
  kRow,      // a row: its cells in `row`
  kDamaged,  // a line of a fixed-width grid that is no row
};

/// A line of digits, blanks and bars from `from`, as the grid in progress
/// reads it.
Fixed fixed_width(const Recogniser& r, const std::uint32_t* cp, int n, int from,
                  GridEntry& row);

// ---- list lines and the cells of text lines (list_line.cpp) ----

/// What the dispatcher knows of a line given to list_line.
struct LineKind {
  int from = 0;    // the first character to read (past a '#' label)
  int cells = -1;  // only cells and decoration: how many cells; else -1
  int stray = -1;  // a line that cannot be text: its first character
                   // that is neither cell nor decoration; else -1
};

/// A line that is not only cells and decoration, or holds more cells than
/// a row: its list puzzles are emitted. A line with none is text, which
/// ends a grid, if it may be text and holds no run of nine cells or more;
/// any other cell of the line refuses the input.
bool list_line(Recogniser& r, const std::uint32_t* cp, int n,
               const LineKind& kind, long number, const Sink& sink,
               Refusal& refusal);

/// A row with a label (A-I, R1, Riga 1:) before its nine cells: where the
/// cells start, or -1 when the line is not such a row.
int row_label_end(const std::uint32_t* cp, int n);
/// The row (1-9) that a row label names.
int row_label_place(const std::uint32_t* cp, int n);

}  // namespace recognise::parts

#endif  // VORTEL_RECOGNISE_PARTS_H_
