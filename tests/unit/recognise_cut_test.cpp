// Inputs cut anywhere (a file that starts mid-grid, a piece of a split, a
// file cut short) never yield a puzzle that is not in them: every puzzle
// read from a cut collection is one of its puzzles, whatever the form, and
// the rest is refused. Also the empty-cell marks a line may choose and the
// grids of pencil marks, each one damaged entry.
#include <gtest/gtest.h>

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
  return p.substr(static_cast<std::size_t>(9 * r), 9);
}

std::string spaced(const std::string& cells, const std::string& bar) {
  std::string out;
  for (int c = 0; c < 9; ++c) {
    if (c > 0) out += c % 3 == 0 ? " " + bar + " " : " ";
    out += cells[static_cast<unsigned>(c)];
  }
  return out;
}

std::string draw(int form, const std::string& p, const std::string& s) {
  std::string out;
  const std::string ascii = "+-------+-------+-------+\n";
  switch (form) {
  case 0:  // bare rows, a blank line after each grid
    for (int r = 0; r < 9; ++r) out += row(p, r) + "\n";
    return out + "\n";
  case 1:  // bands apart, two blank lines after each grid
    for (int r = 0; r < 9; ++r) {
      out += spaced(row(p, r), "|") + "\n";
      if (r == 2 || r == 5) out += "\n";
    }
    return out + "\n\n";
  case 2:  // framed, the solution framed after it
    for (const std::string* g : {&p, &s}) {
      out += ascii;
      for (int r = 0; r < 9; ++r) {
        out += "| " + spaced(row(*g, r), "|") + " |\n";
        if (r % 3 == 2) out += ascii;
      }
      out += "\n";
    }
    return out;
  case 3:  // box drawing, frames touching
    out += "┌───────┬───────┬───────┐\n";
    for (int r = 0; r < 9; ++r) {
      out += "│ " + spaced(row(p, r), "│") + " │\n";
      if (r == 2 || r == 5) out += "├───────┼───────┼───────┤\n";
    }
    return out + "└───────┴───────┴───────┘\n";
  case 4:  // labelled rows, grids touching
    for (int r = 0; r < 9; ++r) {
      out += std::string(1, static_cast<char>('A' + r)) + " " +
             spaced(row(p, r), "|") + "\n";
    }
    return out;
  case 5:  // a title, then rows labelled Riga 1: ...
    out = "Gioco difficile\n";
    for (int r = 0; r < 9; ++r) {
      out += "Riga " + std::to_string(r + 1) + ": " + spaced(row(p, r), "|") +
             "\n";
    }
    return out + "\n";
  default:  // CSV: the puzzle, its solution
    return p + "," + s + "\n";
  }
}
constexpr int kForms = 7;

struct Reading {
  std::vector<std::string> puzzles;
};

void note(const recognise::Puzzle& puzzle, void* context) {
  std::string cells;
  for (const std::uint8_t d : puzzle) {
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

// Every cut of every form: the puzzles read are the input's, or, first
// and only where the cut starts right at it, a solution.
TEST(RecogniseCutTest, ACutInputYieldsOnlyItsOwnPuzzles) {
  const std::vector<std::string> digits = {"123456789", "987654321",
                                           "357912468", "246813579"};
  std::mt19937 random(7);
  long cuts = 0;
  for (int form = 0; form < kForms; ++form) {
    std::set<std::string> puzzles;
    std::set<std::string> solutions;
    std::string text;
    for (const std::string& d : digits) {
      const std::string p = relabel(kPuzzle, d);
      const std::string s = relabel(kSolution, d);
      puzzles.insert(p);
      solutions.insert(s);
      text += draw(form, p, s);
    }
    std::vector<std::size_t> starts = {0};
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') starts.push_back(i + 1);
    }
    for (int k = 0; k < 7200; ++k) starts.push_back(random() % text.size());
    for (const std::size_t start : starts) {
      const std::size_t end =
          start + random() % (text.size() - start + 1);  // cut at both ends
      for (const std::size_t stop : {text.size(), end}) {
        const std::string piece = text.substr(start, stop - start);
        // Three digits apart, alone, are a file of vortel's triples.
        if (piece.size() <= 6 && piece.size() >= 5 && piece[1] == ' ') continue;
        const std::vector<std::string> read = read_all(piece);
        ++cuts;
        for (std::size_t i = 0; i < read.size(); ++i) {
          const bool own = puzzles.count(read[i]) != 0 ||
                           (i == 0 && solutions.count(read[i]) != 0);
          ASSERT_TRUE(own) << "form " << form << ", a puzzle not in:\n"
                           << piece;
        }
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
  const auto take = [](const recognise::Puzzle& p, void* context) {
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
  std::string pencil;
  for (int r = 0; r < 9; ++r) {
    pencil += "| 1589 2457 145 | 13 6 237 | 2389 3789 2378 |\n";
    if (r == 2 || r == 5) pencil += "\n";
  }
  EXPECT_EQ(read_all(pencil + "\n" + kPuzzle + "\n"),
            std::vector<std::string>{kPuzzle});
}

}  // namespace
