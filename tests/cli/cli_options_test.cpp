// The command line of kestrom-cli, read without touching any file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_options.h"

namespace {

struct Parsed {
  int ok;
  CliOptions options;
  std::vector<std::string> files;
  std::string error;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "kestrom-cli");
  std::vector<char *> argv;
  for (std::string &a : args)
    argv.push_back(&a[0]);
  std::vector<const char *> files(argv.size());
  Parsed parsed;
  char error[256] = "";
  parsed.ok =
      ParseCliOptions(static_cast<int>(argv.size()), argv.data(), files.data(),
                      &parsed.options, error, sizeof error);
  for (int i = 0; parsed.ok && i < parsed.options.fileCount; ++i)
    parsed.files.push_back(parsed.options.files[i]);
  parsed.error = error;
  return parsed;
}

struct GoodCase {
  std::vector<std::string> args;
  int yes, check, help, version;
  const char *output; // null for none
  std::vector<std::string> files;
};

class GoodUsage : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GoodUsage, IsRead) {
  const GoodCase &c = GetParam();
  Parsed p = Parse(c.args);
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(c.yes, p.options.yes);
  EXPECT_EQ(c.check, p.options.check);
  EXPECT_EQ(c.help, p.options.help);
  EXPECT_EQ(c.version, p.options.version);
  EXPECT_EQ(std::string(c.output ? c.output : "<none>"),
            std::string(p.options.output ? p.options.output : "<none>"));
  EXPECT_EQ(c.files, p.files);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, GoodUsage,
    ::testing::Values(
        GoodCase{{"a.qif"}, 0, 0, 0, 0, nullptr, {"a.qif"}},
        GoodCase{{"--yes", "a.qif", "b.qif"},
                 1,
                 0,
                 0,
                 0,
                 nullptr,
                 {"a.qif", "b.qif"}},
        GoodCase{{"a.qif", "-y"}, 1, 0, 0, 0, nullptr, {"a.qif"}},
        GoodCase{{"a.qif", "--check", "b.qif"},
                 0,
                 1,
                 0,
                 0,
                 nullptr,
                 {"a.qif", "b.qif"}},
        GoodCase{
            {"-o", "out.qif", "in.qif"}, 0, 0, 0, 0, "out.qif", {"in.qif"}},
        GoodCase{{"in.qif", "--output", "out.qif", "--yes"},
                 1,
                 0,
                 0,
                 0,
                 "out.qif",
                 {"in.qif"}},
        GoodCase{{"--", "-odd.qif", "--yes"},
                 0,
                 0,
                 0,
                 0,
                 nullptr,
                 {"-odd.qif", "--yes"}},
        GoodCase{{"-"}, 0, 0, 0, 0, nullptr, {"-"}},
        GoodCase{{"--help"}, 0, 0, 1, 0, nullptr, {}},
        GoodCase{{"--version"}, 0, 0, 0, 1, nullptr, {}},
        GoodCase{
            {"--check", "--yes", "x.qif"}, 1, 1, 0, 0, nullptr, {"x.qif"}}));

struct BadCase {
  std::vector<std::string> args;
  const char *error;
};

class BadUsage : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadUsage, IsRefusedWithItsReason) {
  const BadCase &c = GetParam();
  Parsed p = Parse(c.args);
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(std::string(c.error), p.error);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BadUsage,
    ::testing::Values(
        BadCase{{}, "no input files"}, BadCase{{"--yes"}, "no input files"},
        BadCase{{"--bogus", "a.qif"}, "unknown option '--bogus'"},
        BadCase{{"-yes", "a.qif"}, "unknown option '-yes'"},
        BadCase{{"--help", "--bogus"}, "unknown option '--bogus'"},
        BadCase{{"a.qif", "-o"}, "-o needs a file name"},
        BadCase{{"-o", "x", "-o", "y", "a.qif"}, "-o given twice"},
        BadCase{{"-o", "x", "a.qif", "b.qif"},
                "-o takes exactly one input file"},
        BadCase{{"--check", "-o", "x", "a.qif"},
                "-o cannot be used with --check"}));

} // namespace
