// vortel-lotto's parts: the reader's fast path against the recogniser, the
// entries of damaged and unreadable input, each mode's answer against the
// plain reference search, --minimo against removing each given, and the
// escaping of the output forms.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "batch/reader.h"
#include "lotto/answer.h"
#include "lotto/format.h"

namespace {

using base::Puzzle;
using recognise::Problem;

std::vector<std::string> sample(const char* name) {
  std::ifstream in(std::string(VORTEL_TEST_DATA) + "/lotto/" + name);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line.substr(0, 81));
  return lines;
}

Puzzle puzzle_of(const std::string& text) {
  Puzzle p{};
  for (unsigned i = 0; i < 81; ++i) {
    p.cell[i] = text[i] >= '1' && text[i] <= '9'
                    ? static_cast<std::uint8_t>(text[i] - '0')
                    : 0;
  }
  return p;
}

solver::Board loaded(const Puzzle& p) {
  solver::Board board;
  for (unsigned i = 0; i < 81; ++i) {
    board[i] =
        p.cell[i] != 0 ? solver::kCodeTable[p.cell[i]] : solver::kLoadMarker;
  }
  return board;
}

Puzzle digits(const solver::Board& board) {
  Puzzle p{};
  for (unsigned i = 0; i < 81; ++i) {
    p.cell[i] = static_cast<std::uint8_t>(
        solver::kDigitTable[static_cast<unsigned>(board[i])]);
  }
  return p;
}

// Puzzles with none, one, two and many solutions, conflicts and
// contradictions: the samples with givens removed, added or changed.
std::vector<Puzzle> varied_puzzles(std::size_t count, unsigned seed) {
  std::vector<std::string> base = sample("bench_17clue.txt");
  for (const std::string& p : sample("bench_top1465.txt")) base.push_back(p);
  std::mt19937 rng(seed);
  std::vector<Puzzle> out;
  while (out.size() < count) {
    Puzzle p = puzzle_of(base[rng() % base.size()]);
    const unsigned change = rng() % 4;
    for (unsigned k = 0; k < change; ++k) {
      const unsigned i = rng() % 81;
      p.cell[i] =
          (rng() % 3 == 0) ? static_cast<std::uint8_t>(1 + rng() % 9) : 0;
    }
    out.push_back(p);
  }
  return out;
}

TEST(AnswerTest, EveryModeAgreesWithThePlainSearch) {
  int kinds[5] = {};  // conflict, by logic, none, one, several
  for (const Puzzle& p : varied_puzzles(120, 25)) {
    const solver::Board board = loaded(p);
    const std::vector<solver::Board> plain = plain::solutions(board, 6);
    const std::size_t n = plain.size();
    lotto::Answer solve, check, count;
    lotto::answer(p, lotto::Question::kSolve, 0, solve);
    lotto::answer(p, lotto::Question::kCheck, 0, check);
    lotto::answer(p, lotto::Question::kCount, 5, count);
    const bool conflict = plain::check_consistency(board) != 0;
    solver::Board propagated = board;
    std::int32_t unknown = solver::count_unknown(board);
    plain::propagate(propagated, unknown);
    const bool by_logic =
        !conflict && plain::check_consistency(propagated) != 0;
    ++kinds[conflict ? 0 : by_logic ? 1 : n == 0 ? 2 : n == 1 ? 3 : 4];
    if (conflict) {
      EXPECT_EQ(solve.verdict, lotto::Verdict::kConflict);
      EXPECT_EQ(check.verdict, lotto::Verdict::kConflict);
      continue;
    }
    EXPECT_EQ(count.count, static_cast<std::int64_t>(n < 5 ? n : 5));
    EXPECT_EQ(count.at_least, n >= 5);
    if (n == 0) {
      EXPECT_EQ(solve.verdict, lotto::Verdict::kNone);
      EXPECT_EQ(check.verdict, lotto::Verdict::kNone);
      EXPECT_EQ(solve.by_logic, by_logic);
      continue;
    }
    EXPECT_EQ(solve.verdict, lotto::Verdict::kSolved);
    EXPECT_EQ(solve.first, digits(plain[0]));
    EXPECT_EQ(check.first, digits(plain[0]));
    EXPECT_EQ(check.verdict,
              n == 1 ? lotto::Verdict::kUnique : lotto::Verdict::kMultiple);
    if (n > 1) {
      EXPECT_EQ(check.second, digits(plain[1]));
    }
  }
  for (int kind : kinds) EXPECT_GT(kind, 0) << "a kind of puzzle is missing";
}

TEST(AnswerTest, MinimalAgreesWithRemovingEachGiven) {
  std::mt19937 rng(7);
  const std::vector<std::string> base = sample("bench_17clue.txt");
  int redundant_seen = 0;
  for (int t = 0; t < 24; ++t) {
    Puzzle p = puzzle_of(base[static_cast<std::size_t>(t) % base.size()]);
    lotto::Answer full;
    lotto::answer(p, lotto::Question::kCheck, 0, full);
    ASSERT_EQ(full.verdict, lotto::Verdict::kUnique);
    // Givens added from the solution: some of them, or of the others, can
    // then go.
    for (unsigned k = 0, extra = rng() % 8; k < extra; ++k) {
      const unsigned i = rng() % 81;
      p.cell[i] = full.first.cell[i];
    }
    lotto::Answer minimal;
    lotto::answer(p, lotto::Question::kMinimal, 0, minimal);
    for (unsigned i = 0; i < 81; ++i) {
      if (p.cell[i] == 0) continue;
      Puzzle without = p;
      without.cell[i] = 0;
      const bool unique = plain::solutions(loaded(without), 2).size() == 1;
      const bool marked = base::has(minimal.redundant, static_cast<int>(i));
      EXPECT_EQ(marked, unique) << "puzzle " << t << " cell " << i;
      redundant_seen += unique;
    }
    EXPECT_EQ(minimal.verdict, !base::empty(minimal.redundant)
                                   ? lotto::Verdict::kNotMinimal
                                   : lotto::Verdict::kMinimal);
  }
  EXPECT_GT(redundant_seen, 0);
}

// Entries as a test keeps them: everything the reader says of each.
struct Collected {
  std::vector<batch::Entry> entries;
};

bool collect(const batch::Entry& entry, void* context) {
  static_cast<Collected*>(context)->entries.push_back(entry);
  return true;
}

bool no_pause(void* /*context*/) {
  return true;
}

std::string write_temporary(const std::string& bytes) {
  char name[] = "/tmp/lotto_test_XXXXXX";
  const int fd = mkstemp(name);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(write(fd, bytes.data(), bytes.size()),
            static_cast<ssize_t>(bytes.size()));
  close(fd);
  return name;
}

std::vector<batch::Entry> read_files(const std::vector<std::string>& names,
                                     bool fast) {
  std::vector<const char*> pointers;
  pointers.reserve(names.size());
  for (const std::string& name : names) pointers.push_back(name.c_str());
  Collected collected;
  const batch::Stream stream{collect, no_pause, &collected, fast};
  EXPECT_TRUE(batch::read_inputs(pointers.data(),
                                 static_cast<int>(pointers.size()), stream));
  return collected.entries;
}

std::string random_input(std::mt19937& rng) {
  const std::vector<std::string> base = sample("bench_top1465.txt");
  static const char* const kEnds[] = {"\n", "\r\n", "\r"};
  std::string text = rng() % 5 == 0 ? "\xEF\xBB\xBF" : "";
  for (int line = 0; line < 200; ++line) {
    std::string p = base[rng() % base.size()];
    const unsigned form = rng() % 12;
    if (form == 0) p += " # commento";
    if (form == 1) p.insert(0, "Gioco: ");
    if (form == 2) p = p.substr(0, 80);  // damaged
    if (form == 3) p[rng() % 81] = static_cast<char>('a' + rng() % 3);
    if (form == 4) p = "";                                  // blank
    if (form == 5) p.replace(0, 9, "1 2 3 4 5 6 7 8 9");    // cut short
    if (form == 6) p = p.substr(0, 9);                      // a grid row
    if (form == 7) p = "# Titolo " + std::to_string(line);  // a label alone
    text += p;
    text += kEnds[rng() % 10 == 0 ? rng() % 3 : 0];
  }
  if (rng() % 2 == 0) text += base[0];  // no line end at the end
  return text;
}

bool same_entry(const batch::Entry& a, const batch::Entry& b) {
  return a.number == b.number && a.input == b.input && a.line == b.line &&
         a.kind == b.kind && a.puzzle == b.puzzle &&
         a.refusal.problem == b.refusal.problem &&
         a.refusal.line == b.refusal.line &&
         a.refusal.column == b.refusal.column &&
         std::string(a.label, static_cast<std::size_t>(a.label_length)) ==
             std::string(b.label, static_cast<std::size_t>(b.label_length));
}

TEST(ReaderTest, FastPathReadsAsTheRecogniser) {
  std::mt19937 rng(2026);
  for (int round = 0; round < 30; ++round) {
    const std::vector<std::string> names = {write_temporary(random_input(rng)),
                                            write_temporary(random_input(rng))};
    const std::vector<batch::Entry> fast = read_files(names, true);
    const std::vector<batch::Entry> slow = read_files(names, false);
    ASSERT_EQ(fast.size(), slow.size()) << "round " << round;
    // How far the reading has got: never back, never past the inputs.
    std::int64_t total = 0;
    for (const std::string& name : names) {
      std::ifstream in(name, std::ios::binary | std::ios::ate);
      total += static_cast<std::int64_t>(in.tellg());
    }
    for (std::size_t i = 0; i < fast.size(); ++i) {
      EXPECT_LE(fast[i].consumed, total);
      if (i > 0) {
        EXPECT_GE(fast[i].consumed, fast[i - 1].consumed);
      }
    }
    for (std::size_t i = 0; i < fast.size(); ++i) {
      EXPECT_TRUE(same_entry(fast[i], slow[i]))
          << "round " << round << " entry " << i << ": " << fast[i].line << " "
          << slow[i].line << " " << int(fast[i].kind) << " "
          << int(slow[i].kind);
    }
    for (const std::string& name : names) std::remove(name.c_str());
  }
}

TEST(ReaderTest, ASolutionGridAfterAFastLineIsNoPuzzle) {
  // The grid that solves the line before it, with a blank line or a rule
  // between, is that puzzle's solution; a grid that does not solve it is
  // a puzzle.
  const std::string p =
      ".................1.....2.3......3.2...1.4......5....6..3......4.7..8..."
      "962...7...";
  const std::string solution =
      "953168742862734951417952836746893125281645397395271468138529674574386"
      "219629417583";
  std::string grid;
  for (std::size_t row = 0; row < 9; ++row)
    grid += solution.substr(row * 9, 9) + "\n";
  std::string other = grid;
  other[0] = '.';
  const std::string text =
      p + "\n\n" + grid + p + "\r\n=========\r\n" + grid + p + "\n\n" + other;
  const std::string name = write_temporary(text);
  const std::vector<batch::Entry> fast = read_files({name}, true);
  const std::vector<batch::Entry> slow = read_files({name}, false);
  ASSERT_EQ(fast.size(), 4U);
  ASSERT_EQ(slow.size(), 4U);
  for (std::size_t i = 0; i < fast.size(); ++i) {
    EXPECT_TRUE(same_entry(fast[i], slow[i])) << "entry " << i;
    EXPECT_EQ(fast[i].kind, batch::EntryKind::kPuzzle) << "entry " << i;
  }
  EXPECT_EQ(fast[3].line, 25);  // the grid that is a puzzle
  std::remove(name.c_str());
}

TEST(ReaderTest, AFastLineTakesThePendingLabelAndEndsACutGrid) {
  // A comment line alone is the label of a grid right after it; a list line
  // of 81 cells has its own label (its text, here none), and the comment
  // goes with no puzzle: not with the grid after the line either. The
  // rows of a grid cut short are forgotten at a fast line: a grid after it
  // that agrees with them is a puzzle, not the cut one's solution.
  const std::string p = sample("bench_17clue.txt")[0];
  const std::string solution =
      "953168742862734951417952836746893125281645397395271468138529674574386"
      "219629417583";
  std::string grid;
  for (std::size_t row = 0; row < 9; ++row)
    grid += solution.substr(row * 9, 9) + "\n";
  std::string other = grid;
  other[0] = '.';
  const std::string text = "# Titolo\n" + p + "\n" + other + "\n" +
                           grid.substr(0, 30) + "Fine\n" + p + "\n\n" + grid;
  const std::string name = write_temporary(text);
  const std::vector<batch::Entry> fast = read_files({name}, true);
  const std::vector<batch::Entry> slow = read_files({name}, false);
  ASSERT_EQ(fast.size(), slow.size());
  for (std::size_t i = 0; i < fast.size(); ++i)
    EXPECT_TRUE(same_entry(fast[i], slow[i])) << "entry " << i;
  ASSERT_GE(fast.size(), 2U);
  EXPECT_EQ(fast[0].label_length, 0);
  EXPECT_EQ(fast[1].label_length, 0);
  std::remove(name.c_str());
}

TEST(ReaderTest, EachRefusalIsAnEntryAtItsLine) {
  const std::string p = sample("bench_17clue.txt")[0];
  const std::string rule = "- - - + - - - + - - -";
  const std::string text =
      p + "\n"                                    // 1
      + "1 2 ! 4\n"                               // 2 bad character
      + "1 2 3\n"                                 // 3 neither 9 nor 81
      + "Gioco " + p + "7\n"                      // 4 run of 82
      + p + "#\n"                                 // 5 no separator
      + std::string("ab\x01\n")                   // 6 control character
      + "1 2 3 4 5 6 7 8 9\n1 2 3 4 5 6 7 8 9\n"  // 7-8 a repeated row ...
      + p + "\n"  // 9 ... cuts the grid short, and is read anew
      + std::string(81, '-') + "\n"     // 10 a rule or a puzzle
      + std::string(70000, '1') + "\n"  // 11 too long
      + p + "\n";                       // 12
  const std::string name = write_temporary(text);
  const std::string empty = write_temporary("# nothing\n");
  // Damaged and nothing else: its entry says so, and "no puzzle" would be
  // a second report of the same line.
  const std::string damaged = write_temporary("123\n");
  const std::vector<batch::Entry> entries =
      read_files({name, "/nonexistent/lotto", empty, damaged}, true);
  using K = batch::EntryKind;
  const std::vector<std::tuple<K, long, Problem>> expected = {
      {K::kPuzzle, 1, Problem::kNone},
      {K::kDamaged, 2, Problem::kBadCharacter},
      {K::kDamaged, 3, Problem::kWrongCellCount},
      {K::kDamaged, 4, Problem::kBadListLine},
      {K::kDamaged, 5, Problem::kListTrailer},
      {K::kDamaged, 6, Problem::kNotText},
      {K::kDamaged, 8, Problem::kRepeatedRow},
      {K::kPuzzle, 9, Problem::kNone},
      {K::kDamaged, 10, Problem::kAmbiguousLine},
      {K::kDamaged, 11, Problem::kLineTooLong},
      {K::kPuzzle, 12, Problem::kNone},
      {K::kUnreadable, 0, Problem::kNone},
      {K::kDamaged, 0, Problem::kNoPuzzle},
      {K::kDamaged, 1, Problem::kWrongCellCount},
  };
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& [kind, line, problem] = expected[i];
    EXPECT_EQ(entries[i].number, static_cast<std::int64_t>(i + 1));
    EXPECT_EQ(entries[i].kind, kind) << "entry " << i;
    EXPECT_EQ(entries[i].line, line) << "entry " << i;
    if (kind == K::kDamaged) {
      EXPECT_EQ(entries[i].refusal.problem, problem) << "entry " << i;
    }
  }
  EXPECT_EQ(entries[11].input, 1);
  EXPECT_EQ(entries[12].input, 2);
  std::remove(name.c_str());
  std::remove(empty.c_str());
  std::remove(damaged.c_str());
}

TEST(FormatTest, FieldsAreEscapedForEachForm) {
  const char* names[] = {"a\tb\"c\\.txt"};
  batch::Entry entry;
  entry.kind = batch::EntryKind::kDamaged;
  entry.refusal.problem = Problem::kWrongCellCount;
  entry.refusal.line = 3;
  entry.refusal.column = 1;
  entry.refusal.count = 5;
  lotto::Answer answer;
  char out[1024];
  lotto::Style style;
  style.names = names;
  style.name_count = 1;
  std::string tsv(out,
                  lotto::format_line(entry, answer, style, out, sizeof out));
  EXPECT_EQ(tsv.find("a b\"c\\.txt: riga 3, colonna 1: riga di 5 caselle"),
            tsv.rfind('\t') + 1)
      << tsv;
  style.json = true;
  std::string json(out,
                   lotto::format_line(entry, answer, style, out, sizeof out));
  EXPECT_NE(json.find("\"dettaglio\":\"a\\u0009b\\\"c\\\\.txt: riga 3"),
            std::string::npos)
      << json;
  EXPECT_EQ(json.back(), '\n');
  // A line never passes its room, and still ends whole.
  EXPECT_EQ(lotto::format_line(entry, answer, style, out, 40), 40U);
  EXPECT_EQ(out[39], '\n');
}

}  // namespace
