// vortel-valuta's front end: its command line, and the text it writes for
// an entry that is no puzzle and for a grid that needs no step.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "logic/notation.h"
#include "logic_support.h"
#include "valuta/options.h"
#include "valuta/process.h"

namespace {

struct Parsed {
  bool good = false;
  valuta::Options options;
  std::vector<std::string> files;
};

Parsed parse(std::vector<std::string> args) {
  static char program[] = "vortel-valuta";
  std::vector<char*> argv{program};
  for (std::string& arg : args) argv.push_back(arg.data());
  Parsed parsed;
  parsed.good = valuta::parse_options(static_cast<int>(argv.size()),
                                      argv.data(), parsed.options);
  for (int i = 0; parsed.good && i < parsed.options.file_count; ++i) {
    parsed.files.emplace_back(parsed.options.files[i]);
  }
  return parsed;
}

TEST(ValutaOptionsTest, OptionsStandAnywhereBeforeTheDoubleDash) {
  const Parsed p = parse({"a.txt", "--json", "-", "-j3", "b.txt", "--fino",
                          "6.2", "--", "--passi", "-j"});
  ASSERT_TRUE(p.good);
  EXPECT_TRUE(p.options.json);
  EXPECT_EQ(p.options.threads, 3);
  EXPECT_EQ(p.options.limit, 62);
  EXPECT_EQ(p.options.mode, valuta::Report::kRate);
  EXPECT_EQ(p.files,
            (std::vector<std::string>{"a.txt", "-", "b.txt", "--passi", "-j"}));
}

TEST(ValutaOptionsTest, RefusesWhatWouldBeTakenInSilence) {
  // Two modes at once, an empty technique list, a thread count or a
  // limit out of range, an option without its value.
  const std::vector<std::vector<std::string>> bad = {
      {"--passi", "--suggerimento"},
      {"--suggerimento", "a", "--passi"},
      {"--tecniche="},
      {"--tecniche", ""},
      {"-j0"},
      {"-j", "1025"},
      {"--fino=0"},
      {"--fino=6.25"},
      {"a.txt", "-j"},
      {"--jsonx"}};
  for (const auto& args : bad) {
    EXPECT_FALSE(parse(args).good) << args[0] << " " << args[1 % args.size()];
  }
  EXPECT_TRUE(parse({"--passi", "--passi"}).good);
}

TEST(ValutaOptionsTest, HintLevelWithASpaceAsWithAnEqualsSign) {
  // "--suggerimento 2" as the valued options take theirs; a next argument
  // that is no level stays a file, so a bare --suggerimento keeps level 3.
  const Parsed spaced = parse({"--suggerimento", "2", "a.txt"});
  ASSERT_TRUE(spaced.good);
  EXPECT_EQ(spaced.options.mode, valuta::Report::kHint);
  EXPECT_EQ(spaced.options.hint_level, 2);
  EXPECT_EQ(spaced.files, (std::vector<std::string>{"a.txt"}));
  const Parsed bare = parse({"--suggerimento", "4", "--", "2"});
  ASSERT_TRUE(bare.good);
  EXPECT_EQ(bare.options.hint_level, 3);
  EXPECT_EQ(bare.files, (std::vector<std::string>{"4", "2"}));
  EXPECT_EQ(parse({"--suggerimento=1", "1"}).options.hint_level, 1);
  EXPECT_FALSE(parse({"--suggerimento=1", "--suggerimento", "2"}).good);
}

// The length of the well-formed UTF-8 sequence at line[i], or 0.
std::size_t sequence_at(const std::string& line, std::size_t i) {
  const auto c = static_cast<unsigned char>(line[i]);
  const int more = c < 0x80                 ? 0
                   : c >= 0xC2 && c <= 0xDF ? 1
                   : c >= 0xE0 && c <= 0xEF ? 2
                   : c >= 0xF0 && c <= 0xF4 ? 3
                                            : -1;
  if (more < 0 || i + static_cast<std::size_t>(more) >= line.size()) return 0;
  std::uint32_t code = more == 0 ? c : c & (0x3FU >> more);
  for (int k = 1; k <= more; ++k) {
    const auto b = static_cast<unsigned char>(line[i + k]);
    if ((b & 0xC0U) != 0x80U) return 0;
    code = code << 6 | (b & 0x3FU);
  }
  const std::uint32_t least[4] = {0, 0x80, 0x800, 0x10000};
  const bool good = code >= least[more] && code <= 0x10FFFF &&
                    (code < 0xD800 || code > 0xDFFF);
  return good ? static_cast<std::size_t>(more) + 1 : 0;
}

// What a JSON reader needs of a line's bytes: well-formed UTF-8, and no
// control character but the final newline.
bool is_json_text(const std::string& line) {
  for (std::size_t i = 0; i < line.size();) {
    if (static_cast<unsigned char>(line[i]) < 0x20) {
      return line[i] == '\n' && i + 1 == line.size();
    }
    const std::size_t length = sequence_at(line, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string unreadable(const char* detail, valuta::Report mode) {
  static char buffer[4096];
  logic::Text t{buffer, sizeof buffer};
  valuta::Options options;
  options.json = true;
  options.mode = mode;
  valuta::append_unreadable(detail, options, "{\"gioco\":null", t);
  return std::string(buffer, t.length);
}

TEST(ValutaOutputTest, DetailsAreValidJsonWhateverTheBytesOfANameAre) {
  // A name in Latin-1, a cut UTF-8 sequence, a surrogate, quotes and
  // control characters.
  const std::string detail =
      "caff\xe8.txt \xe2\x82 \xed\xa0\x80 \"a\\b\"\t\x01 \xe2\x82\xac: x";
  for (const valuta::Report mode :
       {valuta::Report::kRate, valuta::Report::kHint}) {
    const std::string line = unreadable(detail.c_str(), mode);
    EXPECT_TRUE(is_json_text(line)) << line;
    EXPECT_NE(line.find("caff\\ufffd.txt \\ufffd\\ufffd \\ufffd\\ufffd\\ufffd"
                        " \\\"a\\\\b\\\"\\u0009\\u0001 \xe2\x82\xac: x"),
              std::string::npos)
        << line;
  }
}

TEST(ValutaOutputTest, AFullGridIsRatedZeroWithoutBounds) {
  // A vortel board read back gives its solution too: no step is needed,
  // and no part of its rating is a bound.
  const base::Puzzle full = test::digits_of(
      "953168742862734951417952836746893125281645397395271468138529674574386"
      "219629417583");
  static char buffer[4096];
  for (const bool json : {false, true}) {
    logic::Text t{buffer, sizeof buffer};
    valuta::Options options;
    options.json = json;
    EXPECT_EQ(valuta::process(full, options, t), valuta::kExitOk);
    const std::string line(buffer, t.length);
    EXPECT_NE(line.find("ED=0.0/0.0/0.0"), std::string::npos) << line;
    EXPECT_EQ(line.find('>'), std::string::npos) << line;
    if (json) {
      EXPECT_NE(line.find("\"er\":0.0,\"ep\":0.0,\"ed\":0.0"),
                std::string::npos)
          << line;
    }
  }
}

}  // namespace
