// The puzzle file reader: text-mode bytes, the integer scanner, the triples.
#include "front/puzzle_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_boards.h"

namespace {

using front::LoadStatus;

struct Loaded {
  LoadStatus status;
  solver::Board board;
  std::int32_t unknown;
};

Loaded load(const std::string& bytes) {
  Loaded loaded{};
  std::FILE* file = std::tmpfile();
  EXPECT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  loaded.status = front::read_puzzle(file, loaded.board, loaded.unknown);
  std::fclose(file);
  return loaded;
}

TEST(PuzzleFileTest, Accepted) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string digits;  // the loaded givens, '.' elsewhere
  };
  const std::string none(81, '.');
  auto with = [&](std::initializer_list<std::pair<int, char>> cells) {
    std::string d = none;
    for (auto [index, digit] : cells) d[static_cast<unsigned>(index)] = digit;
    return d;
  };
  const Case cases[] = {
      {"empty file", "", none},
      {"only white space", " \t\n\v\f\r\n  \n", none},
      {"one triple", "1 5 9\n", with({{4, '9'}})},
      {"no final newline", "9 9 1", with({{80, '1'}})},
      {"two triples on a line", "1 1 1 2 2 2\n", with({{0, '1'}, {10, '2'}})},
      {"a triple over three lines", "3\n4\n5\n", with({{21, '5'}})},
      {"CR LF line ends", "1 1 1\r\n2 2 2\r\n", with({{0, '1'}, {10, '2'}})},
      {"CR inside a number is dropped", "1 1\r 7\r", with({{0, '7'}})},
      {"CR joins digits", "1 1 \r7 2 1\r 3", with({{0, '7'}, {9, '3'}})},
      {"Ctrl-Z ends the data", "1 1 1\n\x1Agarbage 0 0", with({{0, '1'}})},
      {"Ctrl-Z right after a number", "1 1 4\x1A", with({{0, '4'}})},
      {"explicit plus signs", "+1 +2 +3", with({{1, '3'}})},
      {"no blanks between signed items", "1+2+3", with({{1, '3'}})},
      {"leading zeros", "0001 002 0000000000000000009", with({{1, '9'}})},
      {"same cell twice keeps the later", "5 5 1\n5 5 8\n", with({{40, '8'}})},
  };
  for (const Case& c : cases) {
    const Loaded loaded = load(c.bytes);
    EXPECT_EQ(loaded.status, LoadStatus::kOk) << c.name;
    EXPECT_EQ(test::board_to_string(loaded.board), c.digits) << c.name;
    EXPECT_EQ(loaded.unknown, solver::count_unknown(loaded.board)) << c.name;
    for (std::int32_t v : loaded.board) {
      EXPECT_TRUE(v == solver::kLoadMarker || v <= solver::kMaxCode) << c.name;
    }
  }
}

TEST(PuzzleFileTest, FullGridLeavesNothingUnknown) {
  std::string bytes;
  for (int i = 0; i < 81; ++i) {
    bytes += std::to_string(i / 9 + 1) + " " + std::to_string(i % 9 + 1) + " " +
             test::kSolvedGrid[i] + "\n";
  }
  const Loaded loaded = load(bytes);
  EXPECT_EQ(loaded.status, LoadStatus::kOk);
  EXPECT_EQ(loaded.unknown, 0);
  EXPECT_EQ(test::board_to_string(loaded.board), test::kSolvedGrid);
}

TEST(PuzzleFileTest, Rejected) {
  const std::string cases[] = {
      "1 1",         // ends inside a triple
      "1 1 1\n2 2",  // a good triple, then two lone numbers
      "5 5 0",       // digit 0
      "1 1 10",      // digit 10
      "0 1 1",       // row 0
      "1 10 1",      // column 10
      "-1 1 1",      // negative
      "one",         // a word
      "1 1 1 x",     // trailing garbage after a triple
      "1 1 1x",      // garbage glued to a number
      "1 1 - 5",     // a sign followed by a blank
      "1 1 5 +",     // a lone sign as the last thing in the file
      "1 1 5 -",
      "1 1 4294967297",  // 2^32 + 1: its low 32 bits would read as 1
      "1 1 99999999999999999999999",
      "1 1 -2147483649",
      "1,1,1",  // no other separators
      "# comment\n1 1 1",
      std::string("1 1 1 \0 2 2 2", 13),  // NUL is not white space
      "1 1 \x1A 1",  // Ctrl-Z ends the data inside a triple
  };
  for (const std::string& bytes : cases) {
    EXPECT_EQ(load(bytes).status, LoadStatus::kBadFormat) << bytes;
  }
  // The range limit of the scanner itself: the largest 32-bit values are
  // numbers (and then out of range), not overflow.
  EXPECT_EQ(load("1 1 2147483647").status, LoadStatus::kBadFormat);
  EXPECT_EQ(load("1 1 -2147483648").status, LoadStatus::kBadFormat);
}

}  // namespace

namespace {

// On Linux a directory opens for reading but cannot be read: that is an
// open failure, not an empty puzzle.
TEST(PuzzleFileTest, DirectoryIsUnreadable) {
  std::FILE* dir = std::fopen("/", "r");
  ASSERT_NE(dir, nullptr);
  solver::Board board;
  std::int32_t unknown = 0;
  EXPECT_EQ(front::read_puzzle(dir, board, unknown), LoadStatus::kReadError);
  std::fclose(dir);
}

}  // namespace
