// The shared fixtures' expected files, written by hand, against the core's
// conversion: the dialog's Save (the two-digit rule) and kestrom-cli and the
// page (both rules) are compared with the same expected files, so all must
// agree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_files.h"
#include "confirm_script.h"
#include "qif_check.h"
#include "qif_convert.h"

namespace {

struct FixtureCase {
  int rules;
  const char *name;
  const char *input;
  const char *expected;
  const char *answers; // scripted replies to the question
  int questions;
  int result;
};

class FixtureTable : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixtureTable, CoreConversionEqualsExpectedFile) {
  const FixtureCase &c = GetParam();
  std::string before = ReadBytes(FixturePath(c.input));
  std::string expected = ReadBytes(FixturePath(c.expected));
  ASSERT_NE("<missing>", before);
  ASSERT_NE("<missing>", expected);
  std::vector<unsigned char> data(before.begin(), before.end());
  ConfirmScript script = {c.answers, 0};
  int result = ConvertQifBytes(data.data(), static_cast<int>(data.size()),
                               c.rules, ScriptedConfirm, &script);
  EXPECT_EQ(c.result, result);
  EXPECT_EQ(c.questions, script.asked);
  EXPECT_EQ(expected, std::string(data.begin(), data.end()));
}

#define DIALOG kQifTwoDigitRule,
#define BOTH kQifEveryDateRules,
const FixtureCase kFixtureCases[] = {
    {DIALOG "MonthFirstCrLf", "bank_mdy_crlf.qif", "bank_mdy_crlf.expected.qif",
     "", 0, 1},
    {BOTH "MonthFirstCrLfEveryDate", "bank_mdy_crlf.qif",
     "bank_mdy_crlf.every-date.qif", "", 0, 1},
    {DIALOG "ShortFormsLeftToTheOthers", "short_forms.qif",
     "short_forms.expected.qif", "", 0, 1},
    {BOTH "ShortFormsEveryDate", "short_forms.qif",
     "short_forms.every-date.qif", "", 0, 1},
    {DIALOG "AccountsNoFinalLineEnd", "accounts_lf_noeol.qif",
     "accounts_lf_noeol.expected.qif", "", 0, 1},
    {BOTH "YearFirstLeftAlone", "year_first.qif", "year_first.every-date.qif",
     "", 0, 1},
    {BOTH "CrOnlyWithAccountList", "cr_only_accounts.qif",
     "cr_only_accounts.every-date.qif", "", 0, 1},
    {DIALOG "CrOnlyLeftToTheOthers", "cr_only_accounts.qif",
     "cr_only_accounts.qif", "", 0, 1},
    {BOTH "ByteOrderMarkAndAccount", "bom_accounts.qif",
     "bom_accounts.every-date.qif", "", 0, 1},
    {DIALOG "ByteOrderMarkAndAccountAsEver", "bom_accounts.qif",
     "bom_accounts.expected.qif", "", 0, 1},
    {BOTH "FullExport", "full_export.qif", "full_export.every-date.qif", "", 0,
     1},
    {DIALOG "DayFirstAnsweredYes", "bank_dayfirst.qif", "bank_dayfirst.yes.qif",
     "y", 1, 1},
    {DIALOG "DayFirstAnsweredNo", "bank_dayfirst.qif", "bank_dayfirst.qif", "n",
     1, 0},
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
                static_cast<int>(bytes.size()), kQifEveryDateRules, CollectLine,
                &lines, &counts);
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
                static_cast<int>(bytes.size()), kQifEveryDateRules, nullptr,
                nullptr, &counts);
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
                static_cast<int>(bytes.size()), kQifEveryDateRules, nullptr,
                nullptr, &counts);
  EXPECT_EQ(3, counts.datesExchanged);
  EXPECT_EQ(5, counts.lettersExchanged);
  EXPECT_EQ(7, counts.dayFirstLine);
  EXPECT_EQ(25, counts.dayFirstMonth);
}

} // namespace
