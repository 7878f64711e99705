// The -S listing of a puzzle with more than 10,000 solutions, to a file and
// to the screen, byte for byte against text built here from the plain
// reference search and a plain board printer: the listing is judged by an
// independent derivation, not by a record of vortel's own earlier output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../reference/plain_solver.h"
#include "test_boards.h"
#include "vortel_process.h"

namespace {

using solver::Board;

// "\n<title>\n\n" and the board in vortel's layout: each cell " d" (or
// " -"), two more blanks before columns 0, 3 and 6, a blank line after
// each band of three rows.
std::string printed(const std::string& title, const Board& board) {
  std::string text = "\n" + title + "\n\n";
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      const std::int32_t v = board[static_cast<unsigned>(9 * r + c)];
      text += c % 3 == 0 ? "   " : " ";
      text += v >= 5 && v <= 23
                  ? static_cast<char>(
                        '0' + solver::kDigitTable[static_cast<unsigned>(v)])
                  : '-';
    }
    text += r % 3 == 2 ? "\n\n" : "\n";
  }
  return text;
}

using test::slurp;

TEST(ListingTest, OverTenThousandSolutionsMatchThePlainSearch) {
  const std::string puzzle_text = slurp(VORTEL_EXAMPLES "/many.txt");
  Board loaded;
  loaded.fill(solver::kLoadMarker);
  std::istringstream triples(puzzle_text);
  int r, c, d;
  while (triples >> r >> c >> d) {
    loaded[static_cast<unsigned>(9 * (r - 1) + c - 1)] =
        solver::kCodeTable[static_cast<unsigned>(d)];
  }
  Board after = loaded;
  std::int32_t unknown = solver::count_unknown(after);
  const std::int32_t loaded_unknown = unknown;
  plain::propagate(after, unknown);
  const std::vector<Board> solutions = plain::solutions(loaded, 20000);
  ASSERT_EQ(solutions.size(), 10883U);

  const std::string first_phase = printed(
      "Tabella iniziale\nCaselle incognite: " + std::to_string(loaded_unknown),
      loaded);
  const std::string second_phase =
      printed("Tabella ottenuta con processo matematico\nCaselle incognite: " +
                  std::to_string(unknown),
              after);
  const std::string phases =
      first_phase + "Processo matematico in corso ...\n" + second_phase;
  std::string listing;
  for (std::size_t n = 0; n < solutions.size(); ++n) {
    listing += printed("Soluzione N. " + std::to_string(n + 1), solutions[n]);
  }
  const std::string banner =
      "Programma: VORTEL - Versione: 1.0\n"
      "Autori: il gruppo di sviluppo di VORTEL - Contatto: vortel@example.org\n";

  const std::string dir =
      testing::TempDir() + "vortel_listing_" + std::to_string(getpid()) + "/";
  ASSERT_EQ(std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str()), 0);
  std::ofstream(dir + "p.txt") << puzzle_text;
  const auto run = [&dir](const std::string& args) {
    const std::string command = "cd " + dir + " && " VORTEL_BINARY " p.txt " +
                                args + " > stdout.txt; echo $? > status.txt";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::string out = slurp(dir + "stdout.txt");
    // The elapsed time, exactly as "%.2f" prints it.
    out = std::regex_replace(
        out, std::regex("Tempo di cpu = (0|[1-9][0-9]*)\\.[0-9]{2} s"),
        "Tempo di cpu = @ s");
    return out + "status " + slurp(dir + "status.txt");
  };

  // To a file: the file holds the phases and the listing; the screen the
  // phases, one progress line at 10000 and the elapsed time.
  EXPECT_EQ(run("-S out.txt"),
            banner + phases + "Processo iterativo in corso ...\n" +
                "Soluzioni trovate: 10000\rTempo di cpu = @ s\n\nstatus 4\n");
  EXPECT_TRUE(slurp(dir + "out.txt") == first_phase + second_phase + listing)
      << "the -S file differs from the plain search's listing";

  // To the screen: the listing in place, and no progress line among it.
  EXPECT_TRUE(run("-S") == banner + phases +
                               "Processo iterativo in corso ...\n" + listing +
                               "Tempo di cpu = @ s\n\nstatus 4\n")
      << "the -S listing on the screen differs from the plain search's";
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
