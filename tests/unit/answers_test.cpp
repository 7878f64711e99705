// What vortel-lotto and vortel-valuta share in their lines: strings that
// keep a line whole and its JSON valid whatever bytes they carry, the
// leading columns, one word for one situation in both programs, and the
// progress line's text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "answers/arguments.h"
#include "answers/progress.h"
#include "answers/vocabulary.h"
#include "base/text.h"
#include "logic_support.h"
#include "lotto/answer.h"
#include "lotto/format.h"
#include "valuta/process.h"

namespace {

std::string json(const std::string& s) {
  char buffer[1024];
  base::Text t{buffer, sizeof buffer};
  base::add_json_string(t, s.data(), s.size());
  return {buffer, t.length};
}

TEST(AnswersTextTest, StringsAreValidJsonAndKeepATableLineWhole) {
  EXPECT_EQ(json("caff\xe8.txt"), "\"caff\\ufffd.txt\"");
  EXPECT_EQ(json("a\x1f"
                 "b\x7f\t\n"),
            "\"a\\u001fb\\u007f\\u0009\\u000a\"");
  EXPECT_EQ(json("#1 \"Extreme\" \\ (15040)"),
            "\"#1 \\\"Extreme\\\" \\\\ (15040)\"");
  EXPECT_EQ(json("\xe2\x82\xac \xe2\x82"), "\"\xe2\x82\xac \\ufffd\\ufffd\"");
  // A cut text stops before an escape that does not fit, never inside it.
  char small[8];
  base::Text t{small, sizeof small};
  base::add_json_string(t, "ab\x01z", 4);
  EXPECT_EQ(std::string(small, t.length), "\"ab");
  char line[64];
  base::Text tsv{line, sizeof line};
  base::add_tsv_string(tsv, "a\tb\nc\rd\x1f\x7f", 9);
  EXPECT_EQ(std::string(line, tsv.length), "a b c d  ");
}

constexpr const char* kPuzzle =
    "1.......353.......7....3...475312986.1.586...6..7...3.3.6.7.2....19......"
    "9726.354";

TEST(AnswersColumnsTest, ALabelNeverBreaksTheLineOrItsColumns) {
  batch::Entry entry;
  entry.number = 12;
  entry.input = 1;
  entry.line = 7;
  entry.puzzle = {};
  for (unsigned i = 0; i < 81; ++i) {
    entry.puzzle.cell[i] =
        static_cast<std::uint8_t>(kPuzzle[i] == '.' ? 0 : kPuzzle[i] - '0');
  }
  const char* label = "Golden\tNugget \"7\"\r\n";
  std::memcpy(entry.label, label, std::strlen(label));
  entry.label_length = static_cast<int>(std::strlen(label));
  const char* names[] = {"a.txt", "-"};
  lotto::Style style;
  style.names = names;
  style.name_count = 2;
  lotto::Answer answer;
  lotto::answer(entry.puzzle, lotto::Question::kCheck, 2, answer);
  char out[4096];
  char header[256];
  for (const bool filter : {false, true}) {
    style.filter = filter;
    style.json = false;
    const std::string tsv(
        out, lotto::format_line(entry, answer, style, out, sizeof out));
    const std::string start = filter ? "" : "12\t-\t7\t";
    EXPECT_EQ(tsv.substr(0, tsv.find(kPuzzle)),
              start + "Golden Nugget \"7\"  \t");
    style.filter = false;
    lotto::header_line(style, header, sizeof header);
    EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\t') + (filter ? 3 : 0),
              std::count(header, header + std::strlen(header), '\t'));
    EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\n'), 1);
  }
  style.json = true;
  const std::string line(
      out, lotto::format_line(entry, answer, style, out, sizeof out));
  EXPECT_EQ(line.substr(0, line.find(",\"stato\"")),
            std::string("{\"numero\":12,\"archivio\":\"-\",\"riga\":7,"
                        "\"etichetta\":\"Golden\\u0009Nugget "
                        "\\\"7\\\"\\u000d\\u000a\",\"gioco\":\"") +
                kPuzzle + "\"");
}

// The word in the stato column of vortel-valuta's line for the puzzle.
std::string valuta_word(const char* puzzle) {
  static char buffer[1 << 16];
  logic::Text t{buffer, sizeof buffer};
  const valuta::Options options;
  if (puzzle == nullptr) {
    valuta::append_unreadable("x", options, "", t);
  } else {
    valuta::process(test::digits_of(puzzle), options, t);
  }
  std::string line(buffer, t.length);
  line.pop_back();
  return line.substr(line.rfind('\t') + 1);
}

std::string lotto_word(const char* puzzle) {
  if (puzzle == nullptr) return lotto::status_word(lotto::kKindDamaged);
  lotto::Answer answer;
  lotto::answer(test::digits_of(puzzle), lotto::Question::kCheck, 2, answer);
  return lotto::status_word(static_cast<int>(answer.verdict));
}

TEST(AnswersVocabularyTest, OneSituationHasOneWordInBothPrograms) {
  const std::string none =
      std::string("12345678.........9") + std::string(63, '.');
  const std::string repeated = "11" + std::string(79, '.');
  const char* shared[] = {
      kPuzzle,           // several solutions
      none.c_str(),      // none: r1c9 has no candidate
      repeated.c_str(),  // givens that repeat a digit
      nullptr,           // no puzzle
  };
  const char* expected[] = {"multipla", "nessuna", "cifre-ripetute",
                            "illeggibile"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(lotto_word(shared[i]), expected[i]);
    EXPECT_EQ(valuta_word(shared[i]), expected[i]);
  }
  std::set<std::string> words;
  for (int s = 0; s < answers::kStatuses; ++s) {
    words.insert(answers::status_word(static_cast<answers::Status>(s)));
  }
  EXPECT_EQ(words.size(), static_cast<std::size_t>(answers::kStatuses));
}

TEST(AnswersProgressTest, TheLineSaysWhatIsKnown) {
  char text[256];
  answers::progress_text(text, sizeof text, "p", 10, 2500, 10000, 2.0);
  EXPECT_STREQ(text,
               "p: 2.5/10.0 kB (25%), 10 giochi, 5 al secondo, mancano 0:06");
  answers::progress_text(text, sizeof text, "p", 1, 0, -1, 0.5);
  EXPECT_STREQ(text, "p: 1 gioco, 2 al secondo");
  answers::progress_text(text, sizeof text, "p", 9, 3000000000, 4000000000,
                         3723.0 * 3);
  EXPECT_STREQ(text,
               "p: 3.0/4.0 GB (75%), 9 giochi, 0 al secondo, mancano 1:02:03");
}

}  // namespace

namespace {

struct Taken {
  std::vector<std::string> options;
};

bool take_all(int /*argc*/, char** argv, int& i, void* context) {
  auto& taken = *static_cast<Taken*>(context);
  taken.options.emplace_back(argv[i]);
  return std::strcmp(argv[i], "--stop") != 0;
}

}  // namespace

// Options anywhere before "--", "-" a name, everything after "--" a name,
// the names moved to the front of argv's tail in order; the walk stops
// where an option says so.
TEST(AnswersArgumentsTest, OptionsAnywhereBeforeTheEndOfOptions) {
  std::string words[] = {"prog",  "a.txt", "-q",  "-",  "--json",
                         "b.txt", "--",    "-j4", "--", "c.txt"};
  char* argv[10];
  for (int i = 0; i < 10; ++i) argv[i] = words[i].data();
  Taken taken;
  char** names = nullptr;
  int count = 0;
  ASSERT_TRUE(
      answers::walk_arguments(10, argv, take_all, &taken, names, count));
  EXPECT_EQ(taken.options, (std::vector<std::string>{"-q", "--json"}));
  ASSERT_EQ(count, 6);
  const std::vector<std::string> got(names, names + count);
  EXPECT_EQ(got, (std::vector<std::string>{"a.txt", "-", "b.txt", "-j4", "--",
                                           "c.txt"}));
  std::string stop[] = {"prog", "x", "--stop", "y"};
  char* stop_argv[] = {stop[0].data(), stop[1].data(), stop[2].data(),
                       stop[3].data()};
  Taken stopped;
  EXPECT_FALSE(
      answers::walk_arguments(4, stop_argv, take_all, &stopped, names, count));
}

// -jN and -j N; from 1 to 1024 threads, digits only, never an overflow.
TEST(AnswersArgumentsTest, ThreadCounts) {
  for (const char* good : {"1", "4", "1024", "0004", "000000000000000000001"}) {
    int n = 0;
    EXPECT_TRUE(answers::parse_threads(good, n)) << good;
    EXPECT_EQ(n, std::atoi(good)) << good;
  }
  for (const char* bad : {"", "0", "1025", "10240", "-1", "+4", "4x", " 4",
                          "99999999999999999999999"}) {
    int n = 0;
    EXPECT_FALSE(answers::parse_threads(bad, n)) << bad;
  }
  std::string words[] = {"prog", "-j8", "-j", "3", "-j"};
  char* argv[] = {words[0].data(), words[1].data(), words[2].data(),
                  words[3].data(), words[4].data()};
  int i = 1;
  EXPECT_STREQ(answers::threads_value(5, argv, i), "8");
  EXPECT_EQ(i, 1);
  i = 2;
  EXPECT_STREQ(answers::threads_value(5, argv, i), "3");
  EXPECT_EQ(i, 3);
  i = 4;
  EXPECT_EQ(answers::threads_value(5, argv, i), nullptr);
}
