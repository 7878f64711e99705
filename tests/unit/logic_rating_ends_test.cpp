// Where a rating stops and what it may use, as vortel-valuta's user sees
// it: --fino's limit, the bound of a path stuck with techniques denied,
// the uniqueness techniques left out by "-unicita", and a hint on a solved
// grid.
#include <gtest/gtest.h>

#include <string>

#include "logic/ladder.h"
#include "logic/notation.h"
#include "logic_support.h"
#include "valuta/options.h"
#include "valuta/process.h"

namespace {

// The first 17-clue puzzle: ED=2.6/1.5/1.5, its hardest step a pointing.
constexpr const char* kPointing =
    ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...";
// A 17-clue puzzle whose path takes a unique loop (ED=4.6/1.2/1.2).
constexpr const char* kLoop =
    "..............1..2..3.4..5......26....7....4..8.7.9.......6..7..2.......19.......";

// vortel-valuta's line for the puzzle, with the technique list given
// (nullptr: all) and the limit in tenths (0: none); `status` its exit code.
std::string line_of(const char* puzzle, const char* techniques, int limit,
                    int& status) {
  valuta::Options options;
  if (techniques != nullptr) {
    EXPECT_TRUE(valuta::parse_techniques(techniques, options.allowed));
  }
  options.limit = limit;
  static char buffer[1 << 14];
  logic::Text t{buffer, sizeof buffer};
  status = valuta::process(test::digits_of(puzzle), options, t);
  return std::string(buffer, t.length);
}

TEST(RatingEndsTest, ALimitStopsOnlyAbove) {
  int status = -1;
  // Rated exactly at the limit: rated whole.
  std::string line = line_of(kPointing, nullptr, 26, status);
  EXPECT_EQ(status, valuta::kExitOk);
  EXPECT_NE(line.find("\tED=2.6/1.5/1.5\t"), std::string::npos) << line;
  // Just below: stopped, its rating a bound.
  line = line_of(kPointing, nullptr, 25, status);
  EXPECT_NE(line.find("\tED>2.5"), std::string::npos) << line;
}

TEST(RatingEndsTest, AStuckPathIsBoundByTheTechniquesBeforeTheFirstGap) {
  // Singles in boxes and X-Wings, what lies between denied: the path is
  // stuck at once, above 1.2 (what is built without a gap), not above the
  // X-Wing's 3.2.
  int status = -1;
  const std::string line =
      line_of(kPointing, "full-house,hidden-single-box,x-wing", 0, status);
  EXPECT_NE(line.find("\tED>1.2/>1.2/>1.2\t"), std::string::npos) << line;
}

TEST(RatingEndsTest, DenyingUniquenessDeniesTheUniqueLoop) {
  int status = -1;
  std::string line = line_of(kLoop, nullptr, 0, status);
  EXPECT_NE(line.find("unique-loop:"), std::string::npos) << line;
  line = line_of(kLoop, "-unicita", 0, status);
  EXPECT_EQ(line.find("unique-"), std::string::npos) << line;
  EXPECT_EQ(line.find("\tED=4.6/"), std::string::npos) << line;
}

TEST(RatingEndsTest, AHintOnASolvedGridIsNoFault) {
  valuta::Options options;
  options.mode = valuta::Report::kHint;
  static char buffer[4096];
  logic::Text t{buffer, sizeof buffer};
  const base::Puzzle full = test::digits_of(
      "953168742862734951417952836746893125281645397395271468138529674574386"
      "219629417583");
  EXPECT_EQ(valuta::process(full, options, t), valuta::kExitOk);
  EXPECT_NE(std::string(buffer, t.length).find("già risolto"),
            std::string::npos);
}

}  // namespace
