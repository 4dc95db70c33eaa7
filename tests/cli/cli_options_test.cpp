// The command line of kestrom-cli, read without touching any file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_options.h"

namespace {

// What was read, copied out of argv, which lives only inside Parse.
struct Parsed {
  int ok;
  CliOptions options;
  std::string output; // "<none>" without -o
  std::vector<std::string> files;
  std::string error;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "kestrom-cli");
  std::vector<char *> argv;
  for (std::string &a : args)
    argv.push_back(&a[0]);
  Parsed parsed;
  char error[256] = "";
  parsed.ok = ParseCliOptions(static_cast<int>(argv.size()), argv.data(),
                              &parsed.options, error, sizeof error);
  for (int i = 0; parsed.ok && i < parsed.options.fileCount; ++i)
    parsed.files.push_back(parsed.options.files[i]);
  parsed.output =
      parsed.ok && parsed.options.output ? parsed.options.output : "<none>";
  parsed.options.output = nullptr;
  parsed.options.files = nullptr;
  parsed.error = error;
  return parsed;
}

struct GoodCase {
  const char *name;
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
  EXPECT_EQ(std::string(c.output ? c.output : "<none>"), p.output);
  EXPECT_EQ(c.files, p.files);
}

const GoodCase kGoodCases[] = {
    {"OneFile", {"a.qif"}, 0, 0, 0, 0, nullptr, {"a.qif"}},
    {"YesBeforeFiles",
     {"--yes", "a.qif", "b.qif"},
     1,
     0,
     0,
     0,
     nullptr,
     {"a.qif", "b.qif"}},
    {"ShortYesAfterFile", {"a.qif", "-y"}, 1, 0, 0, 0, nullptr, {"a.qif"}},
    {"CheckBetweenFiles",
     {"a.qif", "--check", "b.qif"},
     0,
     1,
     0,
     0,
     nullptr,
     {"a.qif", "b.qif"}},
    {"OutputShort",
     {"-o", "out.qif", "in.qif"},
     0,
     0,
     0,
     0,
     "out.qif",
     {"in.qif"}},
    {"OutputLongAmongOthers",
     {"in.qif", "--output", "out.qif", "--yes"},
     1,
     0,
     0,
     0,
     "out.qif",
     {"in.qif"}},
    {"DoubleDashEndsOptions",
     {"--", "-odd.qif", "--yes"},
     0,
     0,
     0,
     0,
     nullptr,
     {"-odd.qif", "--yes"}},
    {"LoneDashIsAFile", {"-"}, 0, 0, 0, 0, nullptr, {"-"}},
    {"OutputNameAttached", {"in.qif", "-o-"}, 0, 0, 0, 0, "-", {"in.qif"}},
    {"Help", {"--help"}, 0, 0, 1, 0, nullptr, {}},
    {"Version", {"--version"}, 0, 0, 0, 1, nullptr, {}},
    {"CheckWithYes",
     {"--check", "--yes", "x.qif"},
     1,
     1,
     0,
     0,
     nullptr,
     {"x.qif"}},
};

INSTANTIATE_TEST_SUITE_P(Cli, GoodUsage, ::testing::ValuesIn(kGoodCases),
                         [](const ::testing::TestParamInfo<GoodCase> &info) {
                           return std::string(info.param.name);
                         });

struct BadCase {
  const char *name;
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

const BadCase kBadCases[] = {
    {"Nothing", {}, "no input files"},
    {"OptionsOnly", {"--yes"}, "no input files"},
    {"UnknownLong", {"--bogus", "a.qif"}, "unknown option '--bogus'"},
    // Letters after one dash are a bundle, as in other tools: -y -e -s.
    {"SingleDashYes", {"-yes", "a.qif"}, "unknown option '-e'"},
    {"LongOutputWithoutName",
     {"a.qif", "--output"},
     "--output needs a file name"},
    {"BundleEndingInOutput", {"a.qif", "-yo"}, "-o needs a file name"},
    {"ValueForAFlag", {"--yes=1", "a.qif"}, "unknown option '--yes=1'"},
    {"UnknownAfterHelp", {"--help", "--bogus"}, "unknown option '--bogus'"},
    {"OutputWithoutName", {"a.qif", "-o"}, "-o needs a file name"},
    {"OutputTwice", {"-o", "x", "-o", "y", "a.qif"}, "-o given twice"},
    {"EmptyOutputName", {"--output=", "a.qif"}, "--output needs a file name"},
    {"EmptyShortOutputName", {"-o", "", "a.qif"}, "-o needs a file name"},
    {"OutputWithTwoFiles",
     {"-o", "x", "a.qif", "b.qif"},
     "-o takes exactly one input file"},
    {"OutputWithCheck",
     {"--check", "-o", "x", "a.qif"},
     "-o cannot be used with --check"},
};

INSTANTIATE_TEST_SUITE_P(Cli, BadUsage, ::testing::ValuesIn(kBadCases),
                         [](const ::testing::TestParamInfo<BadCase> &info) {
                           return std::string(info.param.name);
                         });

} // namespace
