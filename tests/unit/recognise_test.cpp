// The puzzle recogniser of vortel-importa: the forms it reads, how it
// decides lines that could be read two ways, and where it refuses.
#include "recognise/recognise.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using base::Puzzle;
using recognise::Problem;

struct Result {
  std::vector<std::string> puzzles;  // 81 characters, '.' for empty
  recognise::Refusal refusal;
  bool good = false;
};

void collect(const Puzzle& puzzle, void* context) {
  std::string text;
  for (std::uint8_t d : puzzle.cell)
    text += d == 0 ? '.' : static_cast<char>('0' + d);
  static_cast<Result*>(context)->puzzles.push_back(text);
}

// Feeds the input in pieces of `piece` bytes (0: all at once).
Result recognise(const std::string& input, std::size_t piece = 0) {
  Result result;
  auto r = std::make_unique<recognise::Recogniser>();
  result.good = true;
  const std::size_t step = piece == 0 ? input.size() + 1 : piece;
  for (std::size_t at = 0; result.good && at < input.size(); at += step) {
    const std::size_t size = std::min(step, input.size() - at);
    result.good = recognise::feed(*r, input.data() + at, size, collect, &result,
                                  result.refusal);
  }
  if (result.good)
    result.good = recognise::finish(*r, collect, &result, result.refusal);
  return result;
}

const std::string kPuzzle =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
const std::string kSolution =
    "417369825632158947958724316825437169791586432346912758289643571573291684164875293";

// The puzzle drawn as a grid: each row through `row`, `rule` after rows 3
// and 6 (none if empty), `border` above and below.
std::string draw(const std::string& puzzle, char empty,
                 std::string (*row)(const std::string& cells),
                 const std::string& rule, const std::string& border = "") {
  std::string out = border.empty() ? "" : border + "\n";
  for (int r = 0; r < 9; ++r) {
    std::string cells = puzzle.substr(9 * static_cast<std::size_t>(r), 9);
    for (char& c : cells) c = c == '.' ? empty : c;
    out += row(cells) + "\n";
    if ((r == 2 || r == 5) && !rule.empty()) out += rule + "\n";
  }
  return out + (border.empty() ? "" : border + "\n");
}

std::string spaced(const std::string& cells) {
  std::string out;
  for (char c : cells) out += std::string(out.empty() ? "" : " ") + c;
  return out;
}

std::string boxed(const std::string& cells) {  // 5 3 . | . 7 . | . . .
  std::string out;
  for (int c = 0; c < 9; ++c) {
    out += std::string(c == 0       ? ""
                       : c % 3 == 0 ? " | "
                                    : " ") +
           cells[static_cast<std::size_t>(c)];
  }
  return out;
}

std::string printed(const std::string& cells) {  // as vortel prints a board
  std::string out;
  for (int c = 0; c < 9; ++c) {
    out += std::string(c % 3 == 0 ? "   " : " ") +
           cells[static_cast<std::size_t>(c)];
  }
  return out;
}

std::string light(const std::string& cells) {  // │ 5 3 . │ . 7 . │ . . . │
  std::string out = "\u2502";
  for (int c = 0; c < 9; ++c) {
    out += std::string(" ") + cells[static_cast<std::size_t>(c)];
    if (c % 3 == 2) out += " \u2502";
  }
  return out;
}

std::string barred(const std::string& cells) {  // |53.|.7.|...|
  std::string out;
  for (int c = 0; c < 9; ++c) {
    if (c % 3 == 0) out += '|';
    out += cells[static_cast<std::size_t>(c)];
  }
  return out + '|';
}

std::string bare(const std::string& cells) {
  return cells;
}

// Every form of the list above, and of the grids, reads back the puzzle.
TEST(RecogniseTest, EveryFormReadsTheSamePuzzle) {
  const std::vector<std::string> forms = {
      kPuzzle,
      "\xEF\xBB\xBF" + kPuzzle + "\r\n",
      "Golden Nugget: " + kPuzzle + "\n",
      "1) " + kPuzzle + " ED=10.5/1.2/1.2\n",
      "#12 " + kPuzzle + "\t# hardest\n",
      kPuzzle + ";1;ED=11.9\n",
      "quizzes,solutions\n" + kPuzzle + "," + kSolution + "\n",
      spaced(kPuzzle) + " 42\n",
      draw(kPuzzle, '.', bare, ""),
      draw(kPuzzle, '0', boxed, "------+-------+------", "*-----------*"),
      draw(kPuzzle, '.', boxed, "- - - + - - - + - - -"),
      draw(kPuzzle, '-', boxed, "- - - + - - - + - - -",
           "- - - - - - - - - - - -"),
      draw(kPuzzle, '_', bare, "", "=========="),
      draw(kPuzzle, '.', barred, "|---+---+---|", "|---+---+---|"),
      draw(
          kPuzzle, 'x', light,
          "\u251C\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u253C\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u253C\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2524",
          "\u2554\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2566\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2566\u2550\u2550\u2550\u2550\u2550\u2550\u2550\u2557"),
      "[Puzzle]\n\u00C8 difficile\n" + draw(kPuzzle, '-', printed, ""),
      "\nTabella iniziale\nCaselle incognite: 64\n\n" +
          draw(kPuzzle, '-', printed, ""),
      draw(kPuzzle, '?', spaced, "").substr(0) + "\r",
  };
  for (const std::string& form : forms) {
    for (std::size_t piece : {0, 1, 7}) {
      const Result result = recognise(form, piece);
      ASSERT_TRUE(result.good) << form << "line " << result.refusal.line;
      EXPECT_EQ(result.puzzles, std::vector<std::string>{kPuzzle}) << form;
    }
  }
}

// Lines of nine '-' are rows or rules as the grid's own rows decide.
TEST(RecogniseTest, DashLinesReadAsTheirGridSays) {
  std::string open_row = kPuzzle;  // its fifth row wholly empty
  open_row.replace(36, 9, ".........");
  // '-' for empty cells and the same drawing: the empty row is a row; the
  // band rules, drawn with '+', are rules.
  EXPECT_EQ(
      recognise(draw(open_row, '-', boxed, "- - - + - - - + - - -")).puzzles,
      std::vector<std::string>{open_row});
  EXPECT_EQ(recognise(draw(open_row, '-', bare, "")).puzzles,
            std::vector<std::string>{open_row});
  // Drawn like the rows but with another empty-cell mark: rules, even
  // before the first row.
  EXPECT_EQ(
      recognise(draw(kPuzzle, '.', bare, "---------", "---------")).puzzles,
      std::vector<std::string>{kPuzzle});
  // An empty puzzle as vortel prints it, between titles: nine rows.
  const std::string empty(81, '.');
  std::string boards;
  for (int n = 1; n <= 3; ++n) {
    boards += "\nSoluzione N. " + std::to_string(n) + "\n\n" +
              draw(empty, '-', printed, "");
  }
  EXPECT_EQ(recognise(boards).puzzles, std::vector<std::string>(3, empty));
  // A full grid whose rules are drawn exactly like its rows: no row tells
  // what '-' means, and both readings make nine rows.
  const Result full =
      recognise(draw(kSolution, '.', spaced, "- - - - - - - - -") +
                draw(kSolution, '.', spaced, ""));
  EXPECT_FALSE(full.good);
  EXPECT_EQ(full.refusal.problem, Problem::kAmbiguousLine);
  EXPECT_EQ(full.refusal.line, 4);
  EXPECT_EQ(full.refusal.column, 1);
}

// Many puzzles, in input order, in mixed forms; text between them skipped.
TEST(RecogniseTest, ManyPuzzlesInInputOrder) {
  const std::string empty(81, '.');
  const Result result = recognise(
      "# two\n" + kPuzzle + "\n\nTitolo\n" + empty + "\n" + "[Puzzle 3]\n" +
      draw(kSolution, '.', boxed, "------+-------+------") + "[Puzzle 4]\n" +
      kPuzzle);
  EXPECT_TRUE(result.good);
  EXPECT_EQ(result.puzzles,
            (std::vector<std::string>{kPuzzle, empty, kSolution, kPuzzle}));
  // A commented-out puzzle stays out; "#3 <puzzle>" is a label.
  EXPECT_EQ(recognise("# " + empty + "\n#3 " + kPuzzle + "\n").puzzles,
            std::vector<std::string>{kPuzzle});
}

// A file of vortel's triples, as vortel-importa writes it, is one puzzle.
TEST(RecogniseTest, TripleFileIsOnePuzzle) {
  const Result result = recognise("1 1 4\n1 7 8\n9 9 1\n");
  ASSERT_TRUE(result.good);
  std::string expected(81, '.');
  expected[0] = '4';
  expected[6] = '8';
  expected[80] = '1';
  EXPECT_EQ(result.puzzles, std::vector<std::string>{expected});
}

// Each refusal says what and where (line, column in characters).
TEST(RecogniseTest, RefusalsSayWhereAndWhy) {
  struct Case {
    std::string input;
    Problem problem;
    long line, column;
    int count;  // -1: not checked
  };
  const std::string row9 = "123456789\n";
  const std::string row9b = "456789123\n";
  const std::vector<Case> cases = {
      {"# x\n123456789\n12345/789\n", Problem::kBadCharacter, 3, 6, -1},
      {"\u2502 1 2 3 \u2022 5\n", Problem::kBadCharacter, 1, 9, -1},
      {"123\xB7"
       "56789\n",
       Problem::kNotText, 1, 4, -1},
      {std::string("\x1F\x8B\x08\x00", 4), Problem::kNotText, 1, 1, -1},
      {"12345678\n", Problem::kWrongCellCount, 1, 1, 8},
      {"  1 2 3 4 5 6 7 8 9 1\n", Problem::kWrongCellCount, 1, 3, 10},
      {kPuzzle + "1\n", Problem::kBadListLine, 1, 1, 82},
      {"\u00C8: " + kPuzzle.substr(1) + "\n", Problem::kBadListLine, 1, 4, 80},
      {kPuzzle + "#hard\n", Problem::kListTrailer, 1, 82, -1},
      {row9 + row9b + "Titolo\n", Problem::kGridCutShort, 3, 1, 2},
      {row9 + row9b + "\n" + row9, Problem::kBandBroken, 3, 1, 2},
      {row9 + kPuzzle + "\n", Problem::kGridCutShort, 2, 1, 1},
      {row9 + row9b + "123456789", Problem::kGridCutShort, 4, 1, 3},
      {"1 1 4\n1 2 3 \n", Problem::kTripleFile, 2, 1, -1},
      {"1 2 4\n1 1 3\n", Problem::kTripleFile, 2, 1, -1},
      {std::string(81, '-') + "\n", Problem::kAmbiguousLine, 1, 1, -1},
      {std::string(recognise::kMaxLine + 1, ' '), Problem::kLineTooLong, 1, 1,
       -1},
      {"# nothing\n\nTabella iniziale\n------\n", Problem::kNoPuzzle, 0, 0, -1},
  };
  for (const Case& c : cases) {
    const Result result = recognise(c.input);
    ASSERT_FALSE(result.good) << c.input;
    EXPECT_EQ(result.refusal.problem, c.problem) << c.input;
    EXPECT_EQ(result.refusal.line, c.line) << c.input;
    EXPECT_EQ(result.refusal.column, c.column) << c.input;
    if (c.count >= 0) {
      EXPECT_EQ(result.refusal.count, c.count) << c.input;
    }
  }
  EXPECT_EQ(recognise("\u2502 1 2 3 \u2022 5\n").refusal.character, 0x2022U);
  const recognise::Refusal not_utf8 = recognise("123\xB7 56789\n").refusal;
  EXPECT_EQ(not_utf8.byte, 0xB7);
  EXPECT_EQ(recognise(std::string("1\x01")).refusal.byte, -1);
  EXPECT_EQ(recognise(std::string("1\x01")).refusal.character, 1U);
  EXPECT_EQ(recognise(std::string(81, '-') + "\n").refusal.character,
            std::uint32_t{'-'});
}

// Random puzzles drawn in random forms, several to an input with random
// text between them, read back exactly and in order.
TEST(RecogniseTest, RandomFormsReadBackExactly) {
  std::mt19937 rng(20261208);
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(
        0, from.size() - 1)(rng)];
  };
  const std::string marks = ".0_xX*-?";
  const std::vector<std::string> labels = {"", "Golden Nugget: ", "1) ", "#12 ",
                                           "Gioco: "};
  const std::vector<std::string> trailers = {
      "", " nome", "\tED=10.5/1.2/1.2", " 42", " # commento", ";a;b", ",0"};
  const std::vector<std::string> between = {"", "\n", "# commento\n",
                                            "[Puzzle]\n", "\u00C8 difficile\n"};
  const std::vector<std::string> rules = {
      "",
      "------+-------+------",
      "- - - + - - - + - - -",
      "*-----------*",
      "=====================",
      "- - - - - - - - - - - -",
      "\u251C\u2500\u2500\u2500\u253C\u2500\u2500\u2500\u253C\u2500\u2500\u2500\u2524"};
  std::string (*const rows[])(const std::string&) = {bare,    spaced, boxed,
                                                     printed, light,  barred};
  for (int trial = 0; trial < 300; ++trial) {
    std::string input;
    std::vector<std::string> expected;
    const int count = std::uniform_int_distribution<int>(1, 5)(rng);
    for (int p = 0; p < count; ++p) {
      std::string puzzle(81, '.');
      for (char& c : puzzle) {
        if (std::uniform_int_distribution<int>(0, 9)(rng) < 3) {
          c = static_cast<char>('1' +
                                std::uniform_int_distribution<int>(0, 8)(rng));
        }
      }
      expected.push_back(puzzle);
      const char mark =
          marks[std::uniform_int_distribution<std::size_t>(0, 7)(rng)];
      std::string cells = puzzle;
      for (char& c : cells) c = c == '.' ? mark : c;
      input += pick(between);
      if (std::uniform_int_distribution<int>(0, 1)(rng) == 0) {
        const bool chain = std::uniform_int_distribution<int>(0, 3)(rng) == 0;
        input += pick(labels) + (chain ? spaced(cells) : cells) +
                 pick(trailers) + "\n";
      } else {
        const std::string rule = pick(rules);
        input += draw(puzzle, mark,
                      rows[std::uniform_int_distribution<int>(0, 5)(rng)], rule,
                      rule);
      }
    }
    const Result result =
        recognise(input, std::uniform_int_distribution<std::size_t>(0, 9)(rng));
    ASSERT_TRUE(result.good) << input << "\nline " << result.refusal.line
                             << " column " << result.refusal.column;
    ASSERT_EQ(result.puzzles, expected) << input;
  }
}

}  // namespace
