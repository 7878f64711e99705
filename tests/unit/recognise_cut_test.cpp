// Inputs cut anywhere (a file that starts mid-grid, a piece of a split, a
// file cut short) never yield a puzzle that is not in them: every puzzle
// read from a cut collection is one of its puzzles, whatever the form, and
// the rest is refused. Also the empty-cell marks a line may choose and the
// grids of pencil marks, each one damaged entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "recognise/recognise.h"

namespace {

const std::string kPuzzle =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
const std::string kSolution =
    "417369825632158947958724316825437169791586432346912758289643571573291684164875293";

// The puzzle and its solution with the digits relabelled: another puzzle.
std::string relabel(const std::string& cells, const std::string& digits) {
  std::string out = cells;
  for (char& c : out) {
    if (c >= '1' && c <= '9') c = digits[static_cast<unsigned>(c - '1')];
  }
  return out;
}

std::string row(const std::string& p, int r) {
  return p.substr(9 * static_cast<std::size_t>(r), 9);
}

std::string spaced(const std::string& cells, const std::string& bar) {
  std::string out;
  for (int c = 0; c < 9; ++c) {
    if (c > 0) out += c % 3 == 0 ? " " + bar + " " : " ";
    out += cells[static_cast<unsigned>(c)];
  }
  return out;
}

// Nine rows, each drawn by `line`, with `rule` after rows 3 and 6.
template <typename Line>
std::string rows_of(Line line, const std::string& rule) {
  std::string out;
  for (int r = 0; r < 9; ++r) {
    out += line(r) + "\n";
    if (r == 2 || r == 5) out += rule;
  }
  return out;
}

std::string framed(const std::string& p) {
  const std::string ascii = "+-------+-------+-------+\n";
  return ascii +
         rows_of([&](int r) { return "| " + spaced(row(p, r), "|") + " |"; },
                 ascii) +
         ascii + "\n";
}

std::string fixed_row(const std::string& p, int r) {
  std::string cells = row(p, r);
  for (char& c : cells) c = c == '.' ? ' ' : c;
  return "|" + cells.substr(0, 3) + "|" + cells.substr(3, 3) + "|" +
         cells.substr(6, 3) + "|";
}

std::string draw(int form, const std::string& p, const std::string& s) {
  switch (form) {
  case 0:  // bare rows, a blank line after each grid
    return rows_of([&](int r) { return row(p, r); }, "") + "\n";
  case 1:  // bands apart, two blank lines after each grid
    return rows_of([&](int r) { return spaced(row(p, r), "|"); }, "\n") +
           "\n\n";
  case 2:  // framed, the solution framed after it
    return framed(p) + framed(s);
  case 3:  // box drawing, frames touching
    return "┌───────┬───────┬───────┐\n" +
           rows_of([&](int r) { return "│ " + spaced(row(p, r), "│") + " │"; },
                   "├───────┼───────┼───────┤\n") +
           "└───────┴───────┴───────┘\n";
  case 4:  // labelled rows, grids touching
    return rows_of(
        [&](int r) {
          return std::string(1, static_cast<char>('A' + r)) + " " +
                 spaced(row(p, r), "|");
        },
        "");
  case 5:  // a title, then rows labelled Riga 1: ...
    return "Gioco difficile\n" +
           rows_of(
               [&](int r) {
                 return "Riga " + std::to_string(r + 1) + ": " +
                        spaced(row(p, r), "|");
               },
               "") +
           "\n";
  case 6:  // fixed width, a blank for an empty cell
    return "+---+---+---+\n" +
           rows_of([&](int r) { return fixed_row(p, r); }, "+---+---+---+\n") +
           "+---+---+---+\n\n";
  default:  // CSV: the puzzle, its solution
    return p + "," + s + "\n";
  }
}
constexpr int kForms = 8;

struct Reading {
  std::vector<std::string> puzzles;
};

void note(const base::Puzzle& puzzle, void* context) {
  std::string cells;
  for (const std::uint8_t d : puzzle.cell) {
    cells += d == 0 ? '.' : static_cast<char>('0' + d);
  }
  static_cast<Reading*>(context)->puzzles.push_back(cells);
}

bool go_on(const recognise::Refusal&, void*) {
  return true;
}

std::vector<std::string> read_all(const std::string& input) {
  Reading run;
  auto r = std::make_unique<recognise::Recogniser>();
  recognise::start(*r, go_on);
  recognise::Refusal refusal;
  recognise::feed(*r, input.data(), input.size(), note, &run, refusal);
  recognise::finish(*r, note, &run, refusal);
  return run.puzzles;
}

// The puzzles read from a piece are the input's, or, first and only where
// the piece starts right at it, a solution.
void expect_own(const std::string& piece, const std::set<std::string>& puzzles,
                const std::set<std::string>& solutions, int form) {
  // Three digits apart, alone, are a file of vortel's triples.
  if (piece.size() <= 6 && piece.size() >= 5 && piece[1] == ' ') return;
  const std::vector<std::string> read = read_all(piece);
  for (std::size_t i = 0; i < read.size(); ++i) {
    const bool own = puzzles.count(read[i]) != 0 ||
                     (i == 0 && solutions.count(read[i]) != 0);
    ASSERT_TRUE(own) << "form " << form << ", a puzzle not in:\n" << piece;
  }
}

// The puzzles drawn wholly after a cut at the start are all read, last.
void expect_whole(const std::string& text, std::size_t start,
                  const std::vector<std::size_t>& blocks,
                  const std::vector<std::string>& drawn, int form) {
  std::vector<std::string> whole;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    if (blocks[b] >= start) whole.push_back(drawn[b]);
  }
  const std::vector<std::string> read = read_all(text.substr(start));
  ASSERT_GE(read.size(), whole.size()) << "form " << form << ":\n"
                                       << text.substr(start);
  EXPECT_TRUE(std::equal(whole.begin(), whole.end(),
                         read.end() - static_cast<long>(whole.size())))
      << "form " << form << ", a puzzle lost after the cut:\n"
      << text.substr(start);
}

// Every form cut at every line and at random bytes, at its start alone and
// at both ends.
TEST(RecogniseCutTest, ACutInputYieldsOnlyItsOwnPuzzles) {
  const std::vector<std::string> digits = {"123456789", "987654321",
                                           "357912468", "246813579"};
  std::mt19937 random(7);
  long cuts = 0;
  for (int form = 0; form < kForms; ++form) {
    std::set<std::string> puzzles;
    std::set<std::string> solutions;
    std::string text;
    std::vector<std::size_t> blocks;  // where each puzzle's drawing starts
    std::vector<std::string> drawn;
    for (const std::string& d : digits) {
      puzzles.insert(relabel(kPuzzle, d));
      solutions.insert(relabel(kSolution, d));
      blocks.push_back(text.size());
      drawn.push_back(relabel(kPuzzle, d));
      text += draw(form, relabel(kPuzzle, d), relabel(kSolution, d));
    }
    std::vector<std::size_t> starts = {0};
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') starts.push_back(i + 1);
    }
    for (int k = 0; k < 7200; ++k) starts.push_back(random() % text.size());
    for (const std::size_t start : starts) {
      if (cuts % 16 == 0) expect_whole(text, start, blocks, drawn, form);
      const std::size_t end = start + random() % (text.size() - start + 1);
      for (const std::size_t stop : {text.size(), end}) {
        expect_own(text.substr(start, stop - start), puzzles, solutions, form);
        ++cuts;
      }
    }
  }
  EXPECT_GT(cuts, 100000);
}

// One damaged grid is one refusal, and the grids after it are read.
struct Count {
  int refusals = 0;
  Reading run;
};

Count read_counting(const std::string& text) {
  Count count;
  auto r = std::make_unique<recognise::Recogniser>();
  recognise::start(*r, [](const recognise::Refusal&, void* context) {
    ++static_cast<Count*>(context)->refusals;
    return true;
  });
  const auto take = [](const base::Puzzle& p, void* context) {
    note(p, &static_cast<Count*>(context)->run);
  };
  recognise::Refusal refusal;
  recognise::feed(*r, text.data(), text.size(), take, &count, refusal);
  recognise::finish(*r, take, &count, refusal);
  return count;
}

TEST(RecogniseCutTest, ADamagedGridIsOneEntry) {
  std::string text;
  for (int copy = 0; copy < 3; ++copy) text += draw(1, kPuzzle, kSolution);
  const std::size_t row5 = text.find(spaced(row(kPuzzle, 4), "|"));
  text.erase(row5, 2);  // row 5 loses a cell
  const Count count = read_counting(text);
  EXPECT_EQ(count.refusals, 1);
  EXPECT_EQ(count.run.puzzles, std::vector<std::string>(2, kPuzzle));
  // A row mistyped with a letter is a damaged row, not text.
  std::string typo = draw(0, kPuzzle, kSolution) + draw(0, kPuzzle, kSolution);
  typo.replace(10, 9, ".3..l....");
  const Count typed = read_counting(typo);
  EXPECT_EQ(typed.refusals, 1);
  EXPECT_EQ(typed.run.puzzles, std::vector<std::string>{kPuzzle});
}

// Every row of the middle of three puzzles damaged in turn (a cell lost,
// a cell doubled, a cell typed as a letter), in every grid form: one
// refusal, and the two others read.
TEST(RecogniseCutTest, EveryDamagedRowIsOneEntry) {
  const std::string other = relabel(kPuzzle, "987654321");
  const std::string other_solution = relabel(kSolution, "987654321");
  for (int form = 0; form < kForms - 1; ++form) {
    const std::string middle = draw(form, kPuzzle, kSolution);
    std::vector<std::size_t> rows;  // where each line with a given starts
    for (std::size_t at = 0; at < middle.size();) {
      const std::size_t end = middle.find('\n', at);
      const std::size_t digit = middle.find_first_of("123456789", at);
      const bool solution = form == 2 && at > middle.size() / 2;
      if (digit < end && !solution && middle.compare(at, 5, "Riga ") != 0 &&
          !(form == 4 && middle[at] >= 'A' && middle[at] <= 'I')) {
        rows.push_back(digit);
      }
      at = end + 1;
    }
    for (const std::size_t at : rows) {
      for (const std::string& typo :
           {std::string(""), std::string("22"), std::string("l")}) {
        std::string damaged = middle;
        damaged.replace(at, 1, typo);
        const Count count =
            read_counting(draw(form, other, other_solution) + damaged +
                          draw(form, other, other_solution));
        EXPECT_EQ(count.refusals, 1) << damaged;
        EXPECT_EQ(count.run.puzzles, std::vector<std::string>(2, other))
            << damaged;
      }
    }
  }
}

// The end of a puzzle cut before its solution in a CSV line: refused as a
// cut line, the solution not read as a puzzle.
TEST(RecogniseCutTest, ACsvLineCutBeforeItsSolution) {
  for (const std::string& head : {std::string(","), std::string("...,")}) {
    std::string text = head;
    for (const std::string& part :
         {kSolution, std::string("\n"), kPuzzle, std::string(","), kSolution}) {
      text += part;
    }
    const Count count = read_counting(text);
    EXPECT_EQ(count.refusals, 1) << head;
    EXPECT_EQ(count.run.puzzles, std::vector<std::string>{kPuzzle});
  }
  recognise::Refusal cut;
  cut.problem = recognise::Problem::kCutLine;
  char text[200];
  recognise::describe_refusal(cut, text, sizeof text);
  EXPECT_EQ(std::string(text).rfind("riga tagliata", 0), 0U);
}

// Empty cells drawn with a mark of the line's own; a grid of pencil marks
// refused once, the puzzle after it read.
TEST(RecogniseCutTest, OwnMarksAndPencilMarks) {
  std::string o_line = kPuzzle;
  for (char& c : o_line) c = c == '.' ? 'o' : c;
  std::string o_grid;
  for (int r = 0; r < 9; ++r)
    o_grid += "| " + spaced(row(o_line, r), "|") + " |\n";
  EXPECT_EQ(read_all(o_line + "\n\n" + o_grid + "\nPagina 12 di 30\n" +
                     "Gioco 3: " + o_line + "\n"),
            std::vector<std::string>(3, kPuzzle));
  // Drawn in fixed width, a blank for an empty cell (a row of blanks
  // too), with or without the outer bars.
  std::string fixed = "+---+---+---+\n";
  std::string blank_row = kPuzzle;
  blank_row.replace(45, 9, ".........");
  const std::string open = blank_row;
  for (const std::string* p : {&kPuzzle, &open}) {
    std::string bare;
    for (int r = 0; r < 9; ++r) {
      std::string cells = row(*p, r);
      for (char& c : cells) c = c == '.' ? ' ' : c;
      const std::string boxes[3] = {cells.substr(0, 3), cells.substr(3, 3),
                                    cells.substr(6, 3)};
      fixed += "|" + boxes[0] + "|" + boxes[1] + "|" + boxes[2] + "|\n";
      bare += boxes[0] + "|" + boxes[1] + "|" + boxes[2] + "\n";
      if (r % 3 == 2) fixed += "+---+---+---+\n";
    }
    fixed += "\n" + bare + "\n";
  }
  EXPECT_EQ(read_all(fixed),
            (std::vector<std::string>{kPuzzle, kPuzzle, open, open}));
  std::string pencil;
  for (int r = 0; r < 9; ++r) {
    pencil += "| 1589 2457 145 | 13 6 237 | 2389 3789 2378 |\n";
    if (r == 2 || r == 5) pencil += "\n";
  }
  const Count pencil_read = read_counting(pencil + "\n" + kPuzzle + "\n");
  EXPECT_EQ(pencil_read.refusals, 1);
  EXPECT_EQ(pencil_read.run.puzzles, std::vector<std::string>{kPuzzle});
}

}  // namespace
