// The puzzle recogniser of vortel-importa: the forms it reads, and where it
// refuses.
#include "importa/recognise.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using importa::Problem;
using importa::Puzzle;

struct Result {
  std::vector<std::string> puzzles;  // 81 characters, '.' for empty
  importa::Refusal refusal;
  bool good = false;
};

void collect(const Puzzle& puzzle, void* context) {
  std::string text;
  for (std::uint8_t d : puzzle)
    text += d == 0 ? '.' : static_cast<char>('0' + d);
  static_cast<Result*>(context)->puzzles.push_back(text);
}

Result recognise(const std::string& input) {
  Result result;
  importa::Recogniser r;
  std::size_t start = 0;
  result.good = true;
  while (result.good && start < input.size()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    result.good = importa::feed_line(r, input.data() + start, end - start,
                                     collect, &result, result.refusal);
    start = end + 1;
  }
  if (result.good) result.good = importa::finish(r, result.refusal);
  return result;
}

const std::string kPuzzle =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

// The same puzzle in the forms people share, each read back exactly.
TEST(RecogniseTest, EveryFormReadsTheSamePuzzle) {
  std::string grid;       // plain rows
  std::string decorated;  // bars, rules, zeros for empty cells
  std::string printed;    // as vortel prints a board, with its title
  for (int r = 0; r < 9; ++r) {
    std::string row = kPuzzle.substr(static_cast<std::size_t>(9 * r), 9);
    grid += row + "\n";
    std::string bars, board;
    for (int c = 0; c < 9; ++c) {
      const char ch = row[static_cast<std::size_t>(c)];
      bars += std::string(c % 3 == 0 && c > 0 ? " | " : " ") +
              (ch == '.' ? '0' : ch);
      board += std::string(c % 3 == 0 ? "   " : " ") + (ch == '.' ? '-' : ch);
    }
    decorated += bars + "\r\n" +
                 (r % 3 == 2 && r < 8 ? "-------+-------+-------\r\n" : "");
    printed += board + "\n" + (r % 3 == 2 ? "\n" : "");
  }
  std::string spaced;
  for (char ch : kPuzzle)
    spaced += std::string(1, ch == '.' ? '_' : ch) + "\t ";
  const std::vector<std::string> forms = {
      kPuzzle,
      "\xEF\xBB\xBF" + kPuzzle + "\r\n",
      spaced,
      grid,
      "+=======+\n" + decorated + "+=======+\n",
      "\nTabella iniziale\nCaselle incognite: 64\n\n" + printed,
  };
  for (const std::string& form : forms) {
    const Result result = recognise(form);
    ASSERT_TRUE(result.good) << form;
    EXPECT_EQ(result.puzzles, std::vector<std::string>{kPuzzle}) << form;
  }
}

// Many puzzles: lines with comments and blank lines between them, and
// boards one after another, as an -S file holds them.
TEST(RecogniseTest, ManyPuzzlesInInputOrder) {
  const std::string empty(81, '.');
  Result lines = recognise("# two\n" + kPuzzle + "\n\n" + empty + "\n");
  EXPECT_TRUE(lines.good);
  EXPECT_EQ(lines.puzzles, (std::vector<std::string>{kPuzzle, empty}));

  std::string boards;
  for (int n = 1; n <= 3; ++n) {
    boards += "\nSoluzione N. " + std::to_string(n) + "\n\n";
    for (int r = 0; r < 9; ++r) {
      boards += "   - - -   - - -   - - -\n";  // nine open cells
      if (r % 3 == 2) boards += "\n";
    }
  }
  Result three = recognise(boards);
  EXPECT_TRUE(three.good);
  EXPECT_EQ(three.puzzles, (std::vector<std::string>(3, empty)));
}

// Each refusal says what and where (line, column).
TEST(RecogniseTest, RefusalsSayWhereAndWhy) {
  struct Case {
    std::string input;
    Problem problem;
    long line, column;
    int count;
  };
  const std::vector<Case> cases = {
      {"# x\n123456789\n12345x789\n", Problem::kBadCharacter, 3, 6, 0},
      {"12345678\n", Problem::kWrongCellCount, 1, 1, 8},
      {"  1 2 3 4 5 6 7 8 9 1\n", Problem::kWrongCellCount, 1, 3, 10},
      {kPuzzle + "1\n", Problem::kWrongCellCount, 1, 1, 82},
      {"123456789\n123456789\n\nTitolo\n", Problem::kGridCutShort, 4, 1, 2},
      {"123456789\n" + kPuzzle + "\n", Problem::kGridCutShort, 2, 1, 1},
      {"123456789\n123456789\n123456789", Problem::kGridCutShort, 4, 1, 3},
      {"# nothing\n\nTabella iniziale\n------\n", Problem::kNoPuzzle, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const Result result = recognise(c.input);
    ASSERT_FALSE(result.good) << c.input;
    EXPECT_EQ(result.refusal.problem, c.problem) << c.input;
    EXPECT_EQ(result.refusal.line, c.line) << c.input;
    EXPECT_EQ(result.refusal.column, c.column) << c.input;
    if (c.problem != Problem::kBadCharacter &&
        c.problem != Problem::kNoPuzzle) {
      EXPECT_EQ(result.refusal.count, c.count) << c.input;
    }
  }
  EXPECT_EQ(recognise("12345x789\n").refusal.character, 'x');
}

}  // namespace
