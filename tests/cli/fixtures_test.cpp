// The shared fixtures' expected files, written by hand, against the core's
// decision and conversion, which the dialog's Save, kestrom-cli and the
// page all take: each is compared with the same expected files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_files.h"
#include "qif_check.h"
#include "qif_convert.h"

namespace {

struct FixtureCase {
  const char *name;
  const char *input;
  const char *expected; // what a Save writes, every question answered Yes
  int verdict;          // DecideQifConversion's
};

class FixtureTable : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixtureTable, CoreConversionEqualsExpectedFile) {
  const FixtureCase &c = GetParam();
  std::string before = ReadBytes(FixturePath(c.input));
  std::string expected = ReadBytes(FixturePath(c.expected));
  ASSERT_NE("<missing>", before);
  ASSERT_NE("<missing>", expected);
  std::vector<unsigned char> data(before.begin(), before.end());
  int size = static_cast<int>(data.size());
  QifCheckCounts counts = {};
  CountQifPiece(data.data(), size, nullptr, nullptr, &counts);
  EXPECT_EQ(c.verdict, DecideQifConversion(&counts, 1));
  ConvertQifBytes(data.data(), size);
  EXPECT_EQ(expected, std::string(data.begin(), data.end()));
}

const FixtureCase kFixtureCases[] = {
    {"MonthFirstCrLf", "bank_mdy_crlf.qif", "bank_mdy_crlf.every-date.qif", 0},
    {"ShortForms", "short_forms.qif", "short_forms.every-date.qif", 0},
    {"AccountsNoFinalLineEnd", "accounts_lf_noeol.qif",
     "accounts_lf_noeol.every-date.qif", 0},
    {"YearFirstKept", "year_first.qif", "year_first.every-date.qif", 0},
    {"CrOnlyWithAccountList", "cr_only_accounts.qif",
     "cr_only_accounts.every-date.qif", 0},
    {"ByteOrderMarkAndAccount", "bom_accounts.qif",
     "bom_accounts.every-date.qif", 0},
    {"FullExport", "full_export.qif", "full_export.every-date.qif", 0},
    {"DayFirstAnsweredYes", "bank_dayfirst.qif", "bank_dayfirst.yes.qif",
     kQifAskDayFirst},
};

// A failure names the row instead of printing its bytes.
void PrintTo(const FixtureCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureTable,
                         ::testing::ValuesIn(kFixtureCases),
                         [](const ::testing::TestParamInfo<FixtureCase> &info) {
                           return std::string(info.param.name);
                         });

void CollectLine(void *context, int line, int) {
  static_cast<std::vector<int> *>(context)->push_back(line);
}

TEST(FixtureCounts, MixedDatesFixtureReportsWhatTheConversionDoes) {
  std::string bytes = ReadBytes(FixturePath("bank_mdy_crlf.qif"));
  ASSERT_NE("<missing>", bytes);
  std::vector<int> lines;
  QifCheckCounts counts = {};
  CountQifPiece(reinterpret_cast<const unsigned char *>(bytes.data()),
                static_cast<int>(bytes.size()), CollectLine, &lines, &counts);
  EXPECT_EQ(6, counts.datesExchanged);
  EXPECT_EQ(2, counts.shortFormDates);
  EXPECT_EQ(11, counts.lettersExchanged);
  EXPECT_EQ(0, counts.datesLeftAlone);
  EXPECT_EQ(std::vector<int>{}, lines);
  EXPECT_EQ(0, counts.dayFirstMonth);
  EXPECT_EQ(40, counts.lineEnds);
}

TEST(FixtureCounts, CrOnlyFixtureCountsItsLinesButNoDescription) {
  std::string bytes = ReadBytes(FixturePath("cr_only_accounts.qif"));
  ASSERT_NE("<missing>", bytes);
  QifCheckCounts counts = {};
  CountQifPiece(reinterpret_cast<const unsigned char *>(bytes.data()),
                static_cast<int>(bytes.size()), nullptr, nullptr, &counts);
  EXPECT_EQ(2, counts.datesExchanged);
  EXPECT_EQ(1, counts.shortFormDates);
  EXPECT_EQ(3, counts.lettersExchanged);
  EXPECT_EQ(0, counts.datesLeftAlone);
  EXPECT_EQ(10, counts.recordMarks);
  EXPECT_EQ(25, counts.lineEnds);
}

TEST(FixtureCounts, DayFirstFixtureNamesTheLineTheQuestionComesAt) {
  std::string bytes = ReadBytes(FixturePath("bank_dayfirst.qif"));
  ASSERT_NE("<missing>", bytes);
  QifCheckCounts counts = {};
  CountQifPiece(reinterpret_cast<const unsigned char *>(bytes.data()),
                static_cast<int>(bytes.size()), nullptr, nullptr, &counts);
  EXPECT_EQ(3, counts.datesExchanged);
  EXPECT_EQ(5, counts.lettersExchanged);
  EXPECT_EQ(7, counts.dayFirstLine);
  EXPECT_EQ(25, counts.dayFirstMonth);
}

} // namespace
