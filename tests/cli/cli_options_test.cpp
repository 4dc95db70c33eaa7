// The command line of kestrom-cli, read without touching any file.
#include <gtest/gtest.h>

#include <stdlib.h>

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
  std::string suffix;
  std::string error;
};

// Standard input is a terminal unless piped; versionControl is
// VERSION_CONTROL's value, or null for none.
Parsed Parse(std::vector<std::string> args, int piped = 0,
             const char *versionControl = nullptr) {
  if (versionControl)
    setenv("VERSION_CONTROL", versionControl, 1);
  else
    unsetenv("VERSION_CONTROL");
  args.insert(args.begin(), "kestrom-cli");
  std::vector<char *> argv;
  for (std::string &a : args)
    argv.push_back(&a[0]);
  Parsed parsed;
  char error[256] = "";
  parsed.ok = ParseCliOptions(static_cast<int>(argv.size()), argv.data(),
                              !piped, &parsed.options, error, sizeof error);
  for (int i = 0; parsed.ok && i < parsed.options.fileCount; ++i)
    parsed.files.push_back(parsed.options.files[i]);
  parsed.output =
      parsed.ok && parsed.options.output ? parsed.options.output : "<none>";
  parsed.suffix = parsed.ok ? parsed.options.backup.suffix : "";
  parsed.options.output = nullptr;
  parsed.options.files = nullptr;
  parsed.options.backup.suffix = nullptr;
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

// A failure names the row instead of printing its bytes.
void PrintTo(const GoodCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Cli, GoodUsage, ::testing::ValuesIn(kGoodCases),
                         [](const ::testing::TestParamInfo<GoodCase> &info) {
                           return std::string(info.param.name);
                         });

// The files and the backup, in short: "a.qif existing ~".
struct ShortCase {
  const char *name;
  std::vector<std::string> args;
  int piped;                  // standard input is no terminal
  const char *versionControl; // null: none
  const char *read;
};

class ShortUsage : public ::testing::TestWithParam<ShortCase> {};

TEST_P(ShortUsage, IsRead) {
  const ShortCase &c = GetParam();
  Parsed p = Parse(c.args, c.piped, c.versionControl);
  ASSERT_TRUE(p.ok) << p.error;
  const char *kControls[] = {"none", "simple", "existing", "numbered"};
  std::string read;
  for (const std::string &file : p.files)
    read += file + " ";
  EXPECT_EQ(c.read,
            read + kControls[p.options.backup.control] + " " + p.suffix);
}

// No FILE and a file or pipe on standard input: it is read, as "-". The
// backup options as cp reads them: existing by default, the environment's
// choice, an abbreviation, a suffix that asks for backups, one that cannot
// end a name.
const ShortCase kShortCases[] = {
    {"PipedInputAlone", {}, 1, nullptr, "- none ~"},
    {"PipedInputToOutput", {"-o", "x"}, 1, nullptr, "- none ~"},
    {"PipedInputWithAFile", {"a.qif"}, 1, nullptr, "a.qif none ~"},
    {"BackupDefault", {"-b", "a"}, 0, nullptr, "a existing ~"},
    {"BackupFromEnvironment", {"--backup", "a"}, 0, "t", "a numbered ~"},
    {"BackupGivenOverEnvironment",
     {"--backup=nev", "a"},
     0,
     "nil",
     "a simple ~"},
    {"BackupOff", {"--backup=none", "a"}, 0, nullptr, "a none ~"},
    {"SuffixAlone", {"-S", ".orig", "a"}, 0, nullptr, "a existing .orig"},
    {"SuffixWithASlash", {"--suffix=x/y", "a"}, 0, nullptr, "a existing ~"},
    {"EmptyEnvironment", {"-b", "a"}, 0, "", "a existing ~"},
};

void PrintTo(const ShortCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Cli, ShortUsage, ::testing::ValuesIn(kShortCases),
                         [](const ::testing::TestParamInfo<ShortCase> &info) {
                           return std::string(info.param.name);
                         });

struct BadCase {
  const char *name;
  std::vector<std::string> args;
  const char *error;
  const char *versionControl = nullptr;
};

class BadUsage : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadUsage, IsRefusedWithItsReason) {
  const BadCase &c = GetParam();
  Parsed p = Parse(c.args, 0, c.versionControl);
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(std::string(c.error), p.error);
}

const BadCase kBadCases[] = {
    {"Nothing", {}, "no input files"},
    {"OptionsOnly", {"--yes"}, "no input files"},
    {"UnknownLong", {"--bogus=1", "a.qif"}, "unrecognized option '--bogus=1'"},
    // Letters after one dash are a bundle, as in other tools: -y -e -s.
    {"SingleDashYes", {"-yes", "a.qif"}, "invalid option -- 'e'"},
    {"LongOutputWithoutName",
     {"a.qif", "--output"},
     "option '--output' requires an argument"},
    {"BundleEndingInOutput",
     {"a.qif", "-yo"},
     "option requires an argument -- 'o'"},
    {"ValueForAFlag",
     {"--yes=1", "a.qif"},
     "option '--yes' doesn't allow an argument"},
    {"ValueForAnAbbreviatedFlag",
     {"--ch=1", "a.qif"},
     "option '--check' doesn't allow an argument"},
    {"Ambiguous",
     {"--ver", "a.qif"},
     "option '--ver' is ambiguous; possibilities: '--verbose' '--version'"},
    {"UnknownAfterHelp",
     {"--help", "--bogus"},
     "unrecognized option '--bogus'"},
    {"OutputWithoutName",
     {"a.qif", "-o"},
     "option requires an argument -- 'o'"},
    {"OutputTwice", {"-o", "x", "-o", "y", "a.qif"}, "-o given twice"},
    {"EmptyOutputName",
     {"--output=", "a.qif"},
     "option '--output' requires an argument"},
    {"EmptyShortOutputName",
     {"-o", "", "a.qif"},
     "option requires an argument -- 'o'"},
    {"BackupAmbiguous",
     {"--backup=n", "a"},
     "ambiguous argument 'n' for '--backup'; valid arguments are 'none', "
     "'off', 'simple', 'never', 'existing', 'nil', 'numbered', 't'"},
    {"BackupFromABadEnvironment",
     {"-S~", "a"},
     "invalid argument 'x' for 'VERSION_CONTROL'; valid arguments are "
     "'none', 'off', 'simple', 'never', 'existing', 'nil', 'numbered', 't'",
     "x"},
    {"OutputWithTwoFiles",
     {"-o", "x", "a.qif", "b.qif"},
     "-o takes exactly one input file"},
    {"OutputWithCheck",
     {"--check", "-o", "x", "a.qif"},
     "-o cannot be used with --check"},
};

void PrintTo(const BadCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Cli, BadUsage, ::testing::ValuesIn(kBadCases),
                         [](const ::testing::TestParamInfo<BadCase> &info) {
                           return std::string(info.param.name);
                         });

} // namespace
