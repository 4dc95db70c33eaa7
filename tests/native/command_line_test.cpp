#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace {

std::vector<std::string> Split(const char *line) {
  std::vector<std::string> args;
  char arg[64];
  while (NextArgument(&line, arg, sizeof arg) >= 0)
    args.push_back(arg);
  return args;
}

struct SplitCase {
  const char *name;
  const char *line;
  std::vector<std::string> args;
};

class CommandLineTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineTable, SplitsAsWindowsDoes) {
  EXPECT_EQ(GetParam().args, Split(GetParam().line))
      << "line [" << GetParam().line << "]";
}

const SplitCase kSplitCases[] = {
    {"Empty", "", {}},
    {"BlanksAlone", " \t ", {}},
    {"OneName", "a.qif", {"a.qif"}},
    {"BlanksAround", "  a.qif\tb.qif  ", {"a.qif", "b.qif"}},
    {"QuotedSpaces",
     "\"C:\\My Files\\export 1.qif\"",
     {"C:\\My Files\\export 1.qif"}},
    {"UncPath", "\\\\server\\share\\x.qif", {"\\\\server\\share\\x.qif"}},
    {"BackslashesBeforeClosingQuote",
     "\"C:\\dir\\\\\" next",
     {"C:\\dir\\", "next"}},
    {"EscapedQuote", "a\\\\\\\"b", {"a\\\"b"}},
    {"DoubledQuoteInsideQuotes", "\"a\"\"b\" c", {"a\"b", "c"}},
    {"EmptyQuoted", "\"\" x", {"", "x"}},
    {"UnclosedQuote", "\"open to the end", {"open to the end"}},
    {"Utf8Name",
     "\"C:\\\xD0\xB2\xD1\x8B\xD0\xBF\xD0\xB8\xD1\x81\xD0\xBA\xD0\xB0 "
     "\xE6\x98\x8E\xE7\xB4\xB0.qif\"",
     {"C:\\\xD0\xB2\xD1\x8B\xD0\xBF\xD0\xB8\xD1\x81\xD0\xBA\xD0\xB0 "
      "\xE6\x98\x8E\xE7\xB4\xB0.qif"}},
};

// A failure names the row instead of printing its bytes.
void PrintTo(const SplitCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Lines, CommandLineTable,
                         ::testing::ValuesIn(kSplitCases),
                         [](const ::testing::TestParamInfo<SplitCase> &info) {
                           return std::string(info.param.name);
                         });

// A name cut to the buffer could be another, existing file.
TEST(CommandLine, AnArgumentThatDoesNotFitComesBackEmpty) {
  char arg[8];
  const char *line = "1234567 12345678 x";
  EXPECT_EQ(7, NextArgument(&line, arg, sizeof arg));
  EXPECT_STREQ("1234567", arg);
  EXPECT_EQ(8, NextArgument(&line, arg, sizeof arg));
  EXPECT_STREQ("", arg);
  EXPECT_EQ(1, NextArgument(&line, arg, sizeof arg));
  EXPECT_STREQ("x", arg);
}

} // namespace
