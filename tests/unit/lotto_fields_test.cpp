// vortel-lotto's fields beside the question's: the options that ask for
// them, the set of forms behind --doppioni, and the batch pipeline's
// ordered pass that marks the duplicates (in input order whatever the
// threads; a want of memory there ends the run with nothing of its batch).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "batch/pipeline.h"
#include "lotto/duplicates.h"
#include "lotto/options.h"

namespace {

struct Parsed {
  lotto::ParseResult result;
  lotto::Settings settings;
  // argv and its strings, which the settings' names point into
  std::vector<std::string> args;
  std::vector<char*> argv;
};

void parse(Parsed& p, std::vector<std::string> args) {
  static char program[] = "vortel-lotto";
  p.args = std::move(args);
  p.argv = {program};
  for (std::string& arg : p.args) p.argv.push_back(arg.data());
  p.result = lotto::parse_options(static_cast<int>(p.argv.size()),
                                  p.argv.data(), p.settings);
}

TEST(LottoFieldsTest, OptionsAskForTheFields) {
  Parsed p;
  parse(p, {"--canonica", "a.txt", "--automorfismi", "--doppioni"});
  ASSERT_EQ(p.result.parse, lotto::Parse::kRun);
  EXPECT_TRUE(p.settings.columns.form && p.settings.columns.automorphisms &&
              p.settings.columns.duplicate);
  EXPECT_EQ(p.settings.definition, canon::Definition::kMinlex);
  Parsed schema;
  parse(schema, {"--canonica=minlex", "--canonica=schema", "--filtro"});
  ASSERT_EQ(schema.result.parse, lotto::Parse::kRun);
  EXPECT_EQ(schema.settings.definition, canon::Definition::kPattern);
  EXPECT_FALSE(schema.settings.columns.duplicate);
  // A value apart is a file's name, as after --conta.
  Parsed apart;
  parse(apart, {"--canonica", "schema"});
  ASSERT_EQ(apart.result.parse, lotto::Parse::kRun);
  EXPECT_EQ(apart.settings.definition, canon::Definition::kMinlex);
  ASSERT_EQ(apart.settings.name_count, 1);
  EXPECT_STREQ(apart.settings.names[0], "schema");
}

TEST(LottoFieldsTest, BadValuesAndADuplicateMarkInAFilterAreRefused) {
  for (const char* bad :
       {"--canonica=", "--canonica=Minlex", "--canonica=schemaa", "--canonicaa",
        "--doppioni=1", "--automorfismi=si"}) {
    Parsed p;
    parse(p, {bad});
    EXPECT_EQ(p.result.parse, lotto::Parse::kBad) << bad;
  }
  for (const auto& order :
       {std::vector<std::string>{"--doppioni", "--filtro"},
        std::vector<std::string>{"--filtro", "--doppioni"}}) {
    Parsed p;
    parse(p, order);
    ASSERT_EQ(p.result.parse, lotto::Parse::kBad);
    EXPECT_STREQ(p.result.argument, "--filtro");
  }
}

base::Puzzle form_of(std::uint32_t n) {
  base::Puzzle p{};
  for (int i = 0; i < 81; ++i) {
    p.cell[i] = static_cast<std::uint8_t>((n >> (i % 30)) % 10);
  }
  return p;
}

// Past several doublings of the table and blocks of records: every form
// found with the numero it came with, none taken for another.
TEST(LottoFieldsTest, SeenFormsKeepTheirFirstNumero) {
  lotto::Seen seen;
  std::int64_t first = -1;
  constexpr std::uint32_t kForms = 20000;
  for (std::uint32_t n = 0; n < kForms; ++n) {
    ASSERT_TRUE(lotto::seen_before(seen, form_of(3 * n), n + 1, first));
    ASSERT_EQ(first, 0) << n;
  }
  for (std::uint32_t n = 0; n < kForms; ++n) {
    ASSERT_TRUE(lotto::seen_before(seen, form_of(3 * n), kForms + n, first));
    ASSERT_EQ(first, n + 1);
  }
  ASSERT_TRUE(lotto::seen_before(seen, form_of(1), 7, first));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(seen.distinct, kForms + 1);
  lotto::forget(seen);
  EXPECT_EQ(seen.distinct, 0);
}

// The pipeline writing into a file in place of standard output.
struct Captured {
  batch::Outcome outcome;
  std::string text;
};

Captured run_captured(batch::Job& job, const std::string& input) {
  char in_name[] = "/tmp/lotto_fields_in_XXXXXX";
  char out_name[] = "/tmp/lotto_fields_out_XXXXXX";
  const int in = mkstemp(in_name);
  const int out = mkstemp(out_name);
  EXPECT_EQ(write(in, input.data(), input.size()),
            static_cast<ssize_t>(input.size()));
  close(in);
  const char* names[] = {in_name};
  job.names = names;
  job.name_count = 1;
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  dup2(out, STDOUT_FILENO);
  Captured c;
  c.outcome = batch::run(job);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  const off_t size = lseek(out, 0, SEEK_END);
  c.text.resize(static_cast<std::size_t>(size));
  EXPECT_EQ(pread(out, c.text.data(), c.text.size(), 0), size);
  close(out);
  std::remove(in_name);
  std::remove(out_name);
  return c;
}

// The answer: a note (the entry's numero as text, then '|') and a line.
std::size_t note_and_line(const batch::Entry& entry, char* text,
                          std::size_t room, int& kind, void*) {
  kind = 0;
  return static_cast<std::size_t>(std::snprintf(
      text, room, "%lld|line\n", static_cast<long long>(entry.number)));
}

struct Order {
  std::int64_t last = 0;
  bool in_order = true;
  std::int64_t fail_at = 0;  // the entry whose pass runs out of memory
};

std::size_t mark_order(const batch::Entry& entry, const char* text,
                       std::size_t length, char* out, std::size_t room,
                       void* context) {
  Order& order = *static_cast<Order*>(context);
  order.in_order = order.in_order && entry.number == order.last + 1 &&
                   std::atoll(text) == entry.number;
  order.last = entry.number;
  if (entry.number == order.fail_at) return SIZE_MAX;
  const char* line = static_cast<const char*>(std::memchr(text, '|', length));
  const auto rest = static_cast<std::size_t>(text + length - line - 1);
  return static_cast<std::size_t>(
      std::snprintf(out, room, "%lld %.*s", static_cast<long long>(order.last),
                    static_cast<int>(rest), line + 1));
}

TEST(LottoFieldsTest, OrderedPassSeesEveryEntryInOrderAndItsNote) {
  std::string input;
  for (int i = 0; i < 2000; ++i) input += std::string(81, '.') + "\n";
  for (const int threads : {1, 4}) {
    Order order;
    batch::Job job;
    job.threads = threads;
    job.answer = note_and_line;
    job.ordered = mark_order;
    job.context = &order;
    job.batch = 7;  // many batches, answered out of order
    const Captured c = run_captured(job, input);
    EXPECT_TRUE(order.in_order);
    EXPECT_EQ(c.outcome.entries, 2000);
    std::string expected;
    for (int i = 1; i <= 2000; ++i) {
      expected += std::to_string(i) + " line\n";
    }
    EXPECT_EQ(c.text, expected) << threads;
  }
}

TEST(LottoFieldsTest, OrderedPassOutOfMemoryEndsTheRunBeforeItsBatch) {
  std::string input;
  for (int i = 0; i < 100; ++i) input += std::string(81, '.') + "\n";
  Order order;
  order.fail_at = 30;
  batch::Job job;
  job.threads = 3;
  job.answer = note_and_line;
  job.ordered = mark_order;
  job.context = &order;
  job.batch = 10;
  const Captured c = run_captured(job, input);
  EXPECT_TRUE(c.outcome.no_memory);
  EXPECT_EQ(c.outcome.entries, 20);  // the batches before the one that failed
  std::string expected;
  for (int i = 1; i <= 20; ++i) expected += std::to_string(i) + " line\n";
  EXPECT_EQ(c.text, expected);
}

}  // namespace
