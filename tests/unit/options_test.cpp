// Option parsing and its order rules.
#include "front/options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "front/puzzle_file.h"

namespace {

using front::OptionStatus;

struct Parsed {
  front::OptionResult result;
  front::RunSettings settings;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), {"vortel", "p.txt"});
  Parsed parsed;
  parsed.settings.output_name = "stale";  // parse_options must reset it
  parsed.result = front::parse_options(static_cast<int>(args.size()),
                                       args.data(), parsed.settings);
  return parsed;
}

TEST(OptionsTest, Outcomes) {
  struct Case {
    std::vector<const char*> args;
    OptionStatus status;
    int bad_index;
  };
  const Case cases[] = {
      {{}, OptionStatus::kOk, 0},
      {{"-x"}, OptionStatus::kIllegal, 2},
      {{"-c", "-x"}, OptionStatus::kIllegal, 3},
      {{"-C"}, OptionStatus::kIllegal, 2},  // case-sensitive
      {{"--"}, OptionStatus::kIllegal, 2},
      {{"-d"}, OptionStatus::kUsage, 0},
      {{"-c", "-s", "out"}, OptionStatus::kUsage, 0},
      {{"-S", "-s"}, OptionStatus::kUsage, 0},
      {{"-c", "-S"}, OptionStatus::kUsage, 0},
      {{"-s", "-S"}, OptionStatus::kUsage, 0},
      {{"-s", "out", "-c"}, OptionStatus::kOk, 0},
      {{"-S", "out", "-c"}, OptionStatus::kOk, 0},
      {{"-s", "-s"}, OptionStatus::kOk, 0},
  };
  for (const Case& c : cases) {
    const Parsed parsed = parse(c.args);
    EXPECT_EQ(parsed.result.status, c.status) << c.args.size();
    if (c.status == OptionStatus::kIllegal) {
      EXPECT_EQ(parsed.result.bad_index, c.bad_index);
    }
  }
}

TEST(OptionsTest, FlagsAndNames) {
  Parsed p = parse({"-s", "out", "-c"});
  EXPECT_TRUE(p.settings.count && p.settings.first && !p.settings.all);
  EXPECT_STREQ(p.settings.output_name, "out");

  // "-c" begins with '-', so -s takes no name; then -c is an option.
  p = parse({"-s", "-c"});
  EXPECT_TRUE(p.settings.first && p.settings.count);
  EXPECT_STREQ(p.settings.output_name, "");

  // A later name replaces an earlier one; a later bare -S keeps it.
  p = parse({"-S", "a", "-S", "b", "-S"});
  EXPECT_STREQ(p.settings.output_name, "b");
  EXPECT_TRUE(p.settings.all);

  // An empty argument is taken as the (empty) name.
  p = parse({"-s", "a", "-s", ""});
  EXPECT_STREQ(p.settings.output_name, "");
}

TEST(OptionsTest, Directory) {
  struct Case {
    std::vector<const char*> args;
    const char* directory;
    bool count;
  };
  const Case cases[] = {
      {{"-d", "data"}, "data/", false},
      {{"-d", "data/"}, "data/", false},
      {{"-d", ""}, "/", false},
      {{"-d", "-c"}, "-c/", false},  // whatever follows -d is the directory
      {{"-d", "a", "-d", "b"}, "b/", false},
      {{"-d", "x", "-c"}, "x/", true},
  };
  for (const Case& c : cases) {
    const Parsed p = parse(c.args);
    EXPECT_EQ(p.result.status, OptionStatus::kOk);
    char* path = front::puzzle_path(p.settings, "p.txt");
    EXPECT_EQ(std::string(path), std::string(c.directory) + "p.txt");
    std::free(path);
    EXPECT_EQ(p.settings.count, c.count);
  }
  // Long names are kept whole.
  const std::string longname(20000, 'd');
  const Parsed p = parse({"-d", longname.c_str(), "-S", longname.c_str()});
  char* path = front::puzzle_path(p.settings, "p.txt");
  EXPECT_EQ(std::string(path), longname + "/p.txt");
  std::free(path);
  EXPECT_EQ(std::string(p.settings.output_name), longname);
  // Without -d the path is the file name alone.
  path = front::puzzle_path(parse({}).settings, "p.txt");
  EXPECT_STREQ(path, "p.txt");
  std::free(path);
}

TEST(OptionsTest, OutputExists) {
  char dir_template[] = "/tmp/vortel-options-XXXXXX";
  ASSERT_NE(mkdtemp(dir_template), nullptr);
  const std::string dir = dir_template;
  const std::string file = dir + "/present";
  std::FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(front::output_exists(file.c_str()));
  EXPECT_FALSE(front::output_exists((dir + "/absent").c_str()));
  EXPECT_FALSE(front::output_exists(dir.c_str()));  // a directory
  std::remove(file.c_str());
  std::remove(dir.c_str());
}

}  // namespace
