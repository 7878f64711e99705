// The rule that every cell of an input is accounted for: each line with a
// run of nine cells or more is read into a puzzle, recognised as no
// puzzle (a comment, a solution, a header, a label), or refused where it
// stands. Grouped by the part of the rule each case checks.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "recognise/recognise.h"

namespace {

using recognise::Problem;

const std::string kPuzzle =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
const std::string kSolution =
    "417369825632158947958724316825437169791586432346912758289643571573291684164875293";
const std::string kOther =
    "..53.....8......2..7..1.5..4....53...1..7...6..32...8..6.5....9..4....3......97..";

struct Result {
  std::vector<std::string> puzzles;
  recognise::Refusal refusal;
  bool good = false;
};

void collect(const base::Puzzle& puzzle, void* context) {
  std::string text;
  for (std::uint8_t d : puzzle.cell)
    text += d == 0 ? '.' : static_cast<char>('0' + d);
  static_cast<Result*>(context)->puzzles.push_back(text);
}

Result read(const std::string& input) {
  Result result;
  auto r = std::make_unique<recognise::Recogniser>();
  result.good = recognise::feed(*r, input.data(), input.size(), collect,
                                &result, result.refusal) &&
                recognise::finish(*r, collect, &result, result.refusal);
  return result;
}

std::string groups(const std::string& cells) {  // nine groups of nine
  std::string out;
  for (std::size_t g = 0; g < 9; ++g) {
    if (g > 0) out += ' ';
    out.append(cells, 9 * g, 9);
  }
  return out;
}

std::string spaced(const std::string& cells) {
  std::string out;
  for (char c : cells) {
    if (!out.empty()) out += ' ';
    out += c;
  }
  return out;
}

std::string rows(const std::string& cells, const std::string& before = "") {
  std::string out;
  for (std::size_t row = 0; row < 9; ++row) {
    if (!before.empty()) {
      out += before[row];
      out += ' ';
    }
    out += spaced(cells.substr(9 * row, 9));
    out += '\n';
  }
  return out;
}

// The text with `line` put in at byte `at` (a line start).
std::string put_in(const std::string& text, std::size_t at,
                   const std::string& line) {
  std::string out(text, 0, at);
  out.append(line);
  out.append(text, at, std::string::npos);
  return out;
}

struct Refused {
  std::string input;
  Problem problem;
  long line, column;
};

void expect_refused(const std::vector<Refused>& cases) {
  for (const Refused& c : cases) {
    const Result result = read(c.input);
    EXPECT_FALSE(result.good) << c.input;
    EXPECT_EQ(result.refusal.problem, c.problem) << c.input;
    EXPECT_EQ(result.refusal.line, c.line) << c.input;
    EXPECT_EQ(result.refusal.column, c.column) << c.input;
  }
}

// Labels never hide cells: a labelled line reads in every layout the bare
// line does, and a label holding cells of its own is no label.
TEST(RecogniseRuleTest, LabelsNeverHideCells) {
  for (const char* label :
       {"", "Golden Nugget: ", "12: ", "Puzzle 2: ", "1) ", "#12 "}) {
    for (const std::string& body :
         {kPuzzle, groups(kPuzzle), spaced(kPuzzle)}) {
      const std::string line = std::string(label) + body + " 4.5\n";
      EXPECT_EQ(read(line).puzzles, std::vector<std::string>{kPuzzle}) << line;
    }
  }
  expect_refused({
      {"Sudoku x" + kPuzzle + "\n", Problem::kBadListLine, 1, 8},
      {"Codice 123456789\n" + kPuzzle + "\n", Problem::kCellsInText, 1, 8},
      {"Puzzle 2 " + spaced(kPuzzle) + "\n", Problem::kBadListLine, 1, 8},
  });
  // A line starting with '#' is a comment, a puzzle glued to it included.
  EXPECT_EQ(read("#" + kPuzzle + "\n# " + kOther + "\n" + kOther).puzzles,
            std::vector<std::string>{kOther});
  const std::string zeros =
      "9000000601003009400502000080080000317000980000020"
      "030000290600000007402000300000000";
  EXPECT_EQ(read("#" + zeros + " " + kSolution + "\n" + kOther).puzzles,
            std::vector<std::string>{kOther});
}

// A line is one puzzle or none; a second run of 81 is a second puzzle, or
// the first one's solution; a damaged run is never passed over.
TEST(RecogniseRuleTest, ALineHoldsWholePuzzlesOnly) {
  EXPECT_EQ(read(kPuzzle + " " + kOther + "\n").puzzles,
            (std::vector<std::string>{kPuzzle, kOther}));
  EXPECT_EQ(read(kPuzzle + "," + kSolution + "\n").puzzles,
            std::vector<std::string>{kPuzzle});
  EXPECT_EQ(read(spaced(kPuzzle) + " " + kSolution + "\n").puzzles,
            std::vector<std::string>{kPuzzle});
  std::string letter = kPuzzle;
  letter[20] = 'O';  // a letter O typed for an empty cell
  expect_refused({
      {kPuzzle.substr(1) + " " + kOther + "\n", Problem::kBadListLine, 1, 1},
      {kPuzzle + " " + kOther + "5\n", Problem::kBadListLine, 1, 83},
      {"Gioco: " + kPuzzle + kPuzzle.substr(0, 5) + " nome\n",
       Problem::kBadListLine, 1, 8},
      {"Gioco: " + spaced(kPuzzle) + " 4\n", Problem::kBadListLine, 1, 8},
      {"Gioco: " + letter + " nome\n", Problem::kBadCharacter, 1, 28},
  });
  EXPECT_EQ(read("Gioco: " + letter + "\n").refusal.character,
            std::uint32_t{'O'});
}

// A grid is checked against its own frame, and rows never move from one
// grid to another across a blank line or a rule.
TEST(RecogniseRuleTest, GridsKeepToTheirFrame) {
  const std::string full = rows(kPuzzle);
  constexpr std::size_t kRow = 18;  // the bytes of a row of rows()
  const std::string short_band = put_in(full, 2 * kRow, "------+------\n");
  const std::string blank_inside = put_in(full, 5 * kRow, "\n");
  const std::string doubled =
      put_in(full, 4 * kRow, full.substr(4 * kRow, kRow));
  expect_refused({
      {short_band, Problem::kBandBroken, 3, 1},
      {blank_inside, Problem::kBandBroken, 6, 1},
      {doubled + "\nTitolo\n", Problem::kRepeatedRow, 6, 1},
      {rows(kPuzzle, "ABCDEFGH "), Problem::kRowLabels, 9, 3},
  });
  const std::string banded =
      put_in(put_in(full, 6 * kRow, "\n"), 3 * kRow, "\n");
  EXPECT_EQ(read(banded).puzzles, std::vector<std::string>{kPuzzle});
}

// What is positively not a puzzle: a solution as the next grid, column
// numbers over a grid, labels on every row.
TEST(RecogniseRuleTest, SolutionsHeadersAndRowLabelsAreNoPuzzles) {
  EXPECT_EQ(read(kPuzzle + "\n\n" + rows(kSolution)).puzzles,
            std::vector<std::string>{kPuzzle});
  EXPECT_EQ(read(rows(kPuzzle) + "\n" + rows(kSolution)).puzzles,
            std::vector<std::string>{kPuzzle});
  // With a title between, the grid is a puzzle of its own.
  EXPECT_EQ(read(kPuzzle + "\nSoluzione\n" + rows(kSolution)).puzzles,
            (std::vector<std::string>{kPuzzle, kSolution}));
  EXPECT_EQ(read("  1 2 3 4 5 6 7 8 9\n" + rows(kPuzzle, "ABCDEFGHI")).puzzles,
            std::vector<std::string>{kPuzzle});
  EXPECT_EQ(read(rows(kPuzzle, "123456789")).good, false);  // 10 cells a row
  std::string riga;
  for (int row = 0; row < 9; ++row) {
    riga += "Riga " + std::to_string(row + 1) + ": " +
            spaced(kPuzzle.substr(9 * static_cast<std::size_t>(row), 9)) + "\n";
  }
  EXPECT_EQ(read(riga).puzzles, std::vector<std::string>{kPuzzle});
  // A header drawn like the rows is a row, and the row left over after
  // the grid points back at it.
  expect_refused({{spaced("123456789") + "\n" + rows(kPuzzle) + "\nTitolo\n",
                   Problem::kHeaderRow, 1, 1}});
  // Invisible characters are named by code point.
  EXPECT_EQ(read("Titolo\n\xEF\xBB\xBF"
                 "1 2 3 4 5 6 7 8 9\n")
                .refusal.character,
            0xFEFFU);
  EXPECT_EQ(read("1\u00A02 3 4 5 6 7 8 9\n").refusal.character, 0xA0U);
  // A header that is the first row, drawn like the others, stays a row.
  const std::string first = "123456789" + kPuzzle.substr(9);
  EXPECT_EQ(read(rows(first)).puzzles, std::vector<std::string>{first});
}

// Other sizes, and files that only begin like vortel's triples.
TEST(RecogniseRuleTest, OtherSizesAndFormatsAreRefusedAsWhatTheyAre) {
  std::string sixteen;
  for (int i = 0; i < 256; ++i) sixteen += "1234567.9ABCDEFG"[i % 16];
  expect_refused({
      {sixteen + "\n", Problem::kOtherSize, 1, 1},
      {"1 2 3 4 5 6\n", Problem::kWrongCellCount, 1, 1},
      {"1 1 4\n5\t3\t\t\t7\t\n6\t\t\t1\t9\t5\n", Problem::kNotTriples, 3, 1},
      {"1 1 4\n1 1 10\n1 2 3\n", Problem::kTripleFile, 2, 1},
      {std::string(70000, '\0'), Problem::kNotText, 1, 1},
      {std::string("12\0", 3), Problem::kNotText, 1, 3},
  });
}

// A CR LF file counts its lines as any other.
TEST(RecogniseRuleTest, RefusalInCrLfFileNamesItsLine) {
  expect_refused({
      {"Titolo\r\n\r\n" + kPuzzle + "\r\n" + kPuzzle.substr(2) + "\r\n",
       Problem::kBadListLine, 4, 1},
      {"a\rb\r\n123456789\r\n12345678\r\n", Problem::kWrongCellCount, 4, 1},
  });
}

}  // namespace
