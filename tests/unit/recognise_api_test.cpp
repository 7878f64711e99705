// The recogniser as other programs use it: where each puzzle starts, going
// on past a damaged entry, and the words of a refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "recognise/recognise.h"

namespace {

using recognise::Problem;

const std::string kPuzzle =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

struct Reading {
  recognise::Recogniser* r = nullptr;
  std::vector<long> lines;                   // emitted_line of each puzzle
  std::vector<std::string> labels;           // emitted_label of each puzzle
  std::vector<recognise::Refusal> refusals;  // those passed over
  bool good = false;
};

void note(const base::Puzzle&, void* context) {
  auto& run = *static_cast<Reading*>(context);
  run.lines.push_back(run.r->emitted_line);
  run.labels.emplace_back(
      run.r->emitted_label,
      static_cast<std::size_t>(run.r->emitted_label_length));
}

bool pass_over(const recognise::Refusal& refusal, void* context) {
  static_cast<Reading*>(context)->refusals.push_back(refusal);
  return true;
}

Reading read_all(const std::string& input, bool go_on) {
  Reading run;
  auto r = std::make_unique<recognise::Recogniser>();
  run.r = r.get();
  if (go_on) recognise::start(*r, pass_over);
  recognise::Refusal refusal;
  run.good =
      recognise::feed(*r, input.data(), input.size(), note, &run, refusal) &&
      recognise::finish(*r, note, &run, refusal);
  return run;
}

std::string grid(const std::string& puzzle) {
  std::string out;
  for (std::size_t row = 0; row < 9; ++row)
    out += puzzle.substr(9 * row, 9) + "\n";
  return out;
}

TEST(RecogniserApiTest, EmittedLineIsWhereEachPuzzleStarts) {
  const std::string input =
      "# titolo\n" + kPuzzle + "\n\n+---+\n" + grid(kPuzzle) + "1 1 4\n";
  const Reading run = read_all(kPuzzle + "\r\n\r\n" + grid(kPuzzle), false);
  ASSERT_TRUE(run.good);
  EXPECT_EQ(run.lines, (std::vector<long>{1, 3}));
  const Reading triples = read_all("\n1 1 4\n1 2 3\n", false);
  ASSERT_TRUE(triples.good);
  EXPECT_EQ(triples.lines, std::vector<long>{2});
}

// A list line's label is its own text, before the cells or else after them
// and their solution; a grid's is the last text or comment line before it.
TEST(RecogniserApiTest, EachPuzzleKeepsItsLabel) {
  const std::string solution =
      "417369825632158947958724316825437169791586432346912758289643571573291684164875293";
  const std::string input = "Golden Nugget: " + kPuzzle + "\n" + kPuzzle +
                            " ED=10.5/1.2/1.2\n" + kPuzzle + "," + solution +
                            ",#1 Extreme (15040)\n" + kPuzzle + "\n" +
                            "# Raccolta\n# Quarto\tgioco\n\n" + grid(kPuzzle) +
                            "\n" + grid(kPuzzle) + "Pagina 3\n";
  const Reading run = read_all(input, false);
  ASSERT_TRUE(run.good);
  EXPECT_EQ(run.labels, (std::vector<std::string>{
                            "Golden Nugget", "ED=10.5/1.2/1.2",
                            "#1 Extreme (15040)", "", "Quarto gioco", ""}));
}

// A label longer than kMaxLabel bytes is cut at a character's boundary:
// the two- and three-byte characters that would cross it are left out
// whole, so that the label stays UTF-8.
TEST(RecogniserApiTest, ALongLabelIsCutBetweenCharacters) {
  for (const std::string wide : {"\xC3\xA8", "\xE2\x82\xAC"}) {
    for (int ascii = recognise::kMaxLabel - 3; ascii < recognise::kMaxLabel;
         ++ascii) {
      std::string label(static_cast<std::size_t>(ascii), 'a');
      for (int i = 0; i < 3; ++i) label += wide;
      std::string line = label;
      line += ": " + kPuzzle + "\n";
      const Reading run = read_all(line, false);
      ASSERT_TRUE(run.good);
      ASSERT_EQ(run.labels.size(), 1U);
      const std::size_t whole =
          (static_cast<std::size_t>(recognise::kMaxLabel - ascii)) /
          wide.size();
      std::string kept(static_cast<std::size_t>(ascii), 'a');
      for (std::size_t i = 0; i < whole && i < 3; ++i) kept += wide;
      EXPECT_EQ(run.labels[0], kept) << ascii << " " << wide.size();
    }
  }
}

// Each damaged entry is reported once and the entries around it are read:
// a bad line, a grid cut short by a list line (the list line is read), a
// line too long, a grid cut short by the end.
TEST(RecogniserApiTest, RefusalPassedOverDropsOnlyTheDamagedEntry) {
  const std::string input = kPuzzle + "\n" + kPuzzle.substr(1) + "\n" +
                            grid(kPuzzle).substr(0, 30) + kPuzzle + "\n" +
                            std::string(recognise::kMaxLine + 5, '1') + "\n" +
                            kPuzzle + "\n123456789\n";
  const Reading stop = read_all(input, false);
  EXPECT_FALSE(stop.good);
  EXPECT_EQ(stop.lines, std::vector<long>{1});
  const Reading run = read_all(input, true);
  ASSERT_TRUE(run.good);
  EXPECT_EQ(run.lines, (std::vector<long>{1, 6, 8}));
  ASSERT_EQ(run.refusals.size(), 4U);
  EXPECT_EQ(run.refusals[0].line, 2);
  EXPECT_EQ(run.refusals[1].problem, Problem::kGridCutShort);
  EXPECT_EQ(run.refusals[1].line, 6);
  EXPECT_EQ(run.refusals[2].problem, Problem::kLineTooLong);
  EXPECT_EQ(run.refusals[2].line, 7);
  EXPECT_EQ(run.refusals[3].problem, Problem::kGridCutShort);
  EXPECT_EQ(run.refusals[3].line, 10);
}

TEST(RecogniserApiTest, DescribeRefusalIsSnprintfLike) {
  recognise::Refusal refusal;
  refusal.problem = Problem::kGridCutShort;
  refusal.count = 1;
  char text[256];
  const std::size_t length =
      recognise::describe_refusal(refusal, text, sizeof text);
  EXPECT_STREQ(text, "tabella interrotta dopo 1 riga su 9");
  EXPECT_EQ(length, std::string(text).size());
  char small[8];
  EXPECT_EQ(recognise::describe_refusal(refusal, small, sizeof small), length);
  EXPECT_STREQ(small, "tabella");
  refusal.count = 2;
  recognise::describe_refusal(refusal, text, sizeof text);
  EXPECT_STREQ(text, "tabella interrotta dopo 2 righe su 9");
  refusal.problem = Problem::kBadCharacter;
  refusal.character = 0xFEFF;
  recognise::describe_refusal(refusal, text, sizeof text);
  EXPECT_EQ(std::string(text).rfind("carattere U+FEFF (BOM) non ammesso", 0),
            0U);
  refusal.character = 0xA0;
  recognise::describe_refusal(refusal, text, sizeof text);
  EXPECT_EQ(std::string(text).rfind(
                "carattere U+00A0 (spazio non separabile) non ammesso", 0),
            0U);
  EXPECT_EQ(recognise::describe_refusal(refusal, nullptr, 0),
            std::string(text).size());
}

// Every refusal is written whole before it is cut to the caller's buffer:
// none may come near the room kept for that, whatever its numbers and
// character, or the length returned would be the cut one.
TEST(RecogniserApiTest, EveryRefusalFitsTheRoomKeptForIt) {
  const std::uint32_t characters[] = {0x200C, 0xFF10, 0x10FFFF, 0x41};
  const int counts[] = {-2147483647 - 1, 4, 81};
  std::size_t longest = 0;
  for (int p = 0; p <= static_cast<int>(Problem::kCutLine); ++p) {
    for (const std::uint32_t c : characters) {
      for (const int count : counts) {
        recognise::Refusal refusal;
        refusal.problem = static_cast<Problem>(p);
        refusal.character = c;
        refusal.count = count;
        char text[2 * recognise::kRefusalRoom];
        const std::size_t length =
            recognise::describe_refusal(refusal, text, sizeof text);
        EXPECT_EQ(length, std::string(text).size()) << p;
        EXPECT_GT(length, 0U) << p;
        longest = std::max(longest, length);
      }
    }
  }
  EXPECT_LT(longest + 64, recognise::kRefusalRoom) << longest;
}

}  // namespace
