// Recognising puzzles in the forms people share them in: lists of one
// puzzle per line (with labels, ratings and comments around the 81 cells),
// grids of nine rows of nine cells drawn with any decoration (vortel's own
// board printing and Unicode box drawing included), and vortel's own
// triple files. Pure: it is fed the input's bytes in pieces of any size and
// hands back each puzzle as it is completed. Its memory is fixed: one line
// of at most kMaxLine bytes and the grid in progress.
#ifndef VORTEL_RECOGNISE_RECOGNISE_H_
#define VORTEL_RECOGNISE_RECOGNISE_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/cells.h"

namespace recognise {

/// The recogniser hands on each puzzle as the program's one puzzle type.
using base::Puzzle;

/// The longest line read, in bytes; a longer one is refused.
inline constexpr std::size_t kMaxLine = 65536;

/// The longest label kept with a puzzle, in bytes; a longer one is cut at
/// a character's boundary.
inline constexpr int kMaxLabel = 200;

enum class Problem {
  kNone,
  kNotText,         // a NUL, a control character, or bytes that are not UTF-8
  kBadCharacter,    // not a cell, a letter or decoration, on a line of cells
  kWrongCellCount,  // a line of cells that are neither 9 nor 81
  kBadListLine,     // a line with text and a run of cells that is not 81 long
  kListTrailer,     // the 81 cells followed by text without a separator
  kGridCutShort,    // fewer than nine rows before something else, or the end
  kAmbiguousLine,   // a row of nine empty cells or a rule: context can't tell
  kTripleFile,      // a file of vortel's triples not as vortel-importa writes
  kLineTooLong,     // longer than kMaxLine bytes
  kNoPuzzle,        // the input holds no puzzle at all
  kCellsInText,     // a text line holding a run of nine or more cells
  kBandBroken,      // a rule or blank line inside a grid, not between bands
  kRepeatedRow,     // a grid row repeated on the next line
  kRowLabels,       // some rows of a grid labelled and some not
  kNotTriples,      // a line that is not a triple in a file begun with them
  kOtherSize,       // a puzzle of another size than 9x9 (16x16, 6x6)
  kHeaderRow,       // 1 2 3 4 5 6 7 8 9 read as a row, and the grid broken
  kCandidateGrid,   // a grid of pencil marks: cells holding several digits
  kRowOutOfPlace,   // a labelled row where another row should stand
  kCutLine,         // a full grid after a field cut short: a line cut
};

/// Why and where the input was refused. Lines and columns count from 1;
/// columns count characters (a UTF-8 sequence is one), one past the last
/// for a line's end; a byte-order mark is not counted.
struct Refusal {
  Problem problem = Problem::kNone;
  long line = 0;
  long column = 0;
  // kBadCharacter: the character's code point; kAmbiguousLine: the mark
  // the line is drawn with; kNotText: the control character, when `byte`
  // is -1.
  std::uint32_t character = 0;
  // kNotText: a byte that starts no UTF-8 sequence, -1 for none.
  int byte = -1;
  // kWrongCellCount, kBadListLine, kCellsInText: cells on the line or in
  // the run; kGridCutShort, kBandBroken: rows read; kOtherSize: the size.
  int count = 0;
  // A grid cut short by a line that is no part of it: that line, whatever
  // line the refusal points at (a repeated row, a header). A caller that
  // passes over the refusal has that line read anew, so that no puzzle on
  // it is lost with the grid.
  long cut_by = 0;
};

/// The refusal in Italian, as vortel-importa prints it after
/// "vortel-importa: FILE: riga L, colonna C: " (kNoPuzzle: after
/// "vortel-importa: FILE: "), without that prefix and without a line end.
/// Like snprintf: writes at most `size` bytes, the terminating NUL
/// included, and returns the length of the whole text.
std::size_t describe_refusal(const Refusal& refusal, char* out,
                             std::size_t size);

/// Room for the longest refusal's text and its NUL: describe_refusal
/// writes each whole into a buffer of this size before it cuts it to the
/// caller's.
inline constexpr std::size_t kRefusalRoom = 512;

/// Called with each puzzle completed, in input order.
using Emit = void (*)(const Puzzle& puzzle, void* context);

inline constexpr int kMaxShape = 128;  // characters of a shape kept

/// A line's shape: its characters with every cell replaced by one marker
/// and trailing blanks cut, so that two lines drawn alike compare equal.
struct Shape {
  std::uint32_t text[kMaxShape]{};
  int length = -1;  // -1: none yet; kMaxShape + 1: too long to tell apart
};

/// One entry of the grid in progress: a row, a rule or blank line between
/// rows, or a line of nine rule-drawing marks ('-', '*' or '_') whose
/// reading waits for the grid's context.
struct GridEntry {
  std::array<std::uint8_t, 9> cells{};
  bool pending = false;
  bool rule = false;       // a rule or a blank line: bands end here
  bool labelled = false;   // a row that carries a label (A, R1, Riga 1:)
  std::uint8_t place = 0;  // labelled: the row its label names, 1-9
  bool header = false;     // 1 2 3 4 5 6 7 8 9 first: maybe column numbers
  std::uint32_t mark = 0;  // pending: the mark it is drawn with
  long line = 0;
  long column = 0;               // pending: its first mark
  Shape shape;                   // how it is drawn
  unsigned marks = 0;            // a row: the empty-cell marks it uses
  std::uint64_t look = 0;        // a rule: how it is drawn (1: blank)
  int lines = 0;                 // a rule: the lines it stands for
  std::int16_t columns[9] = {};  // a row: where its cells stand
};

// Nine rows, nine lines pending, a rule before each and one after, and the
// lines of a separator beyond the first counted in it.
inline constexpr int kMaxEntries = 32;

/// The recogniser's whole state. Value-initialise it to start.
struct Recogniser {
  // The line being assembled.
  char text[kMaxLine];
  std::size_t length = 0;
  bool swallow_lf = false;  // the last line ended in CR: a LF next is its end
  bool skipping = false;    // a line too long, refused and being passed over
  long line = 0;            // lines completed so far
  std::uint32_t decoded[kMaxLine];  // the line's characters
  // The grid in progress.
  GridEntry entries[kMaxEntries];
  int entry_count = 0;
  Shape row_shape;     // the shape of its first row
  unsigned marks = 0;  // the empty-cell marks its rows use, a bit each
  // The grid in progress is the rest of a damaged one, already reported:
  // its rows are passed over as they come and it is never emitted, so that
  // a damaged puzzle is one entry and no row of it joins the next grid.
  bool damaged = false;
  // The grid in progress has rows drawn in fixed width, a blank for an
  // empty cell: a line of bars and blanks alone is a row of it.
  bool fixed_width = false;
  // Set with a refusal of the first rows of the grid in progress, when
  // the rows after them start a grid of their own: the entries from here
  // on are kept when the refusal is passed over. -1: none.
  int keep_from = -1;
  // Set with a refusal of the line being read when that line is a row of
  // the grid (a row with a cell too many or too few, a stray character, or
  // pencil marks): passed over, it is a row of a damaged grid.
  bool row_refused = false;
  // The puzzle last emitted, while only blank and rule lines followed it:
  // a grid that is its solution is not a puzzle of its own.
  Puzzle last{};
  bool last_open = false;
  // The rows of a grid refused as cut short, while only blank and rule
  // lines followed: a full grid next that agrees with them, as the first or
  // the last rows, is the cut puzzle's solution, not a puzzle.
  Puzzle fragment{};
  int fragment_rows = 0;
  // A row repeated on the next line, or a header of column numbers taken
  // for a row (drawn like the rows): what a refusal of the grid, or of the
  // rows left over after it, points at.
  long suspect_line = 0;
  long suspect_column = 0;
  Problem suspect = Problem::kNone;
  // The grid last emitted: how its rows were drawn, the empty-cell marks
  // they used, and the line of its last row. A line of nine marks right
  // after it, drawn like its rows, is a row too many, not a rule.
  Shape previous_shape;
  unsigned previous_marks = 0;
  long previous_end = 0;
  // A file of triples, read as one puzzle.
  bool triples = false;
  int last_cell = -1;
  long triples_from = 0;   // the line of the first triple
  long triples_doubt = 0;  // the first triple not as vortel-importa writes
  Puzzle triple_puzzle{};
  // The label for the next puzzle: the last text or comment line since the
  // puzzle before it (a grid's title), or a list line's own text.
  char label[kMaxLabel]{};
  int label_length = 0;
  long puzzles = 0;      // puzzles emitted
  long passed_over = 0;  // refusals passed over (see on_refusal)
  // During an Emit call: the line (from 1) where the puzzle being emitted
  // starts, its list line or its grid's first row.
  long emitted_line = 0;
  // During an Emit call: the puzzle's label, UTF-8 without a line end or a
  // tab (a list line's text around its cells, or the last text or comment
  // line before a grid), emitted_label_length bytes, 0 for none.
  char emitted_label[kMaxLabel]{};
  int emitted_label_length = 0;
  // Unset (vortel-importa): feed and finish return false at the first
  // refusal. Set, it is called with each refusal and the context of the
  // feed or finish call; when it returns true the input goes on: the
  // damaged entry (the refused line, with the grid in progress) is dropped,
  // the grid state forgotten, and reading resumes at the next line. A grid
  // cut short by a line is dropped without that line, which is read anew.
  bool (*on_refusal)(const Refusal& refusal, void* context) = nullptr;
};

/// Takes the next `size` bytes of the input. Returns false, with `refusal`
/// filled in, at the first line that cannot be part of any puzzle; the
/// recogniser must not be fed again after that.
bool feed(Recogniser& r, const char* data, std::size_t size, Emit emit,
          void* context, Refusal& refusal);

/// At the start of a line between puzzles, a line of exactly 81 cells
/// ('1'-'9', '.' or '0') and its line end (LF or CR LF) read at once: its
/// puzzle emitted as feed would emit it, `used` (its bytes) set before the
/// emit call. False, with nothing read, anywhere else: feed reads on.
bool take_fast_line(Recogniser& r, const char* data, std::size_t size,
                    Emit emit, void* context, std::size_t& used);

/// Sets the call made with each refusal (see on_refusal) on a recogniser
/// value-initialised a moment before.
void start(Recogniser& r,
           bool (*on_refusal)(const Refusal& refusal, void* context));

/// The input has ended: reads its last line and completes what it can.
/// Returns false when a grid was left unfinished or no puzzle was found.
bool finish(Recogniser& r, Emit emit, void* context, Refusal& refusal);

}  // namespace recognise

#endif  // VORTEL_RECOGNISE_RECOGNISE_H_
