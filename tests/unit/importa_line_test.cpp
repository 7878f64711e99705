// The one-line form of a puzzle: the cells, then the label after a blank.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "importa/line.h"

namespace {

std::string line_of(const base::Puzzle& puzzle, const char* label, int length) {
  char text[importa::kMaxPuzzleLine];
  const std::size_t size = importa::format_line(puzzle, label, length, text);
  EXPECT_LE(size, sizeof text);
  return std::string(text, size);
}

base::Puzzle corners() {
  base::Puzzle puzzle{};
  puzzle.cell[0] = 1;
  puzzle.cell[8] = 9;
  puzzle.cell[80] = 5;
  return puzzle;
}

const std::string kCells = "1.......9" + std::string(71, '.') + "5";

TEST(ImportaLineTest, CellsThenTheLabelAfterOneBlank) {
  EXPECT_EQ(line_of(corners(), nullptr, 0), kCells + "\n");
  EXPECT_EQ(line_of(corners(), "#1 Extreme (15040)", 18),
            kCells + " #1 Extreme (15040)\n");
  // UTF-8 passes as it is; only the length given counts.
  EXPECT_EQ(line_of(corners(), "Più difficile!!", 14),
            kCells + " Più difficile\n");
}

TEST(ImportaLineTest, TheLabelNeverEndsTheLine) {
  // A line end or a tab inside the label would split the puzzle from it
  // and leave a line a reader takes for another entry.
  EXPECT_EQ(line_of(corners(), "a\nb\rc\td", 7), kCells + " a b c d\n");
  std::string longest(recognise::kMaxLabel + 50, 'x');
  const std::string line =
      line_of(corners(), longest.c_str(), static_cast<int>(longest.size()));
  EXPECT_EQ(line.size(), importa::kMaxPuzzleLine);
  EXPECT_EQ(line.back(), '\n');
}

}  // namespace
