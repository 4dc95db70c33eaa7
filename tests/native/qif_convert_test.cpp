#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "confirm_script.h"
#include "qif_convert.h"

namespace {

std::vector<unsigned char> Bytes(const std::string &s) {
  return std::vector<unsigned char>(s.begin(), s.end());
}

std::string Text(const std::vector<unsigned char> &v) {
  return std::string(v.begin(), v.end());
}

struct ConvertCase {
  const char *name;
  std::string before;
  std::string after;
  const char *answers; // scripted replies to the question
  int questions;       // how many times it must be asked
  int result;
  int rules = kQifTwoDigitRule; // the dialog's; kestrom-cli's and the page's
                                // take the short forms too
};

class ConvertTable : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTable, ConvertsAsTheRulesSay) {
  const ConvertCase &c = GetParam();
  std::vector<unsigned char> data = Bytes(c.before);
  ConfirmScript script = {c.answers, 0};
  int result = ConvertQifBytes(data.data(), static_cast<int>(data.size()),
                               c.rules, ScriptedConfirm, &script);
  EXPECT_EQ(c.result, result);
  EXPECT_EQ(c.after, Text(data));
  EXPECT_EQ(c.questions, script.asked);
}

const ConvertCase kConvertCases[] = {
    {"MonthFirstDate", "D12/25/99\n", "D25/12/99\n", "", 0, 1},
    {"AskedOnceAtFirstHighMonth", "D13/01/00\nD14/02/00\n",
     "D01/13/00\nD02/14/00\n", "y", 1, 1},
    {"DeclineLeavesContentAsLoaded", "D01/02/00\nPx\nD13/01/00\n",
     "D01/02/00\nPx\nD13/01/00\n", "n", 1, 0},
    {"MonthTwentyAsks", "D20/01/00\n", "D01/20/00\n", "y", 1, 1},
    {"DayOverTwelveDoesNotAsk", "D12/13/00\nD00/13/00\n",
     "D13/12/00\nD13/00/00\n", "", 0, 1},
    {"UnpaddedDatesLeftAlone", "D1/5/99\nD 1/ 5/99\nD12/3/99\n",
     "D1/5/99\nD 1/ 5/99\nD12/3/99\n", "", 0, 1},
    {"AnySeparator", "D12-25-99\nD12.25'99\n", "D25-12-99\nD25.12'99\n", "", 0,
     1},
    {"DigitSeparator", "D12345", "D45312", "", 0, 1},
    {"LineFeedSeparator", "D12\n34", "D34\n12", "", 0, 1},
    {"PayeeAndMemoExchanged", "PJohn Smith\nMRent\n", "MJohn Smith\nPRent\n",
     "", 0, 1},
    {"LoneLetter", "P", "M", "", 0, 1},
    {"LowerCaseIgnored", "d12/25/99\nmtext\nptext\n",
     "d12/25/99\nmtext\nptext\n", "", 0, 1},
    {"LastLineExactlySixBytes", "x\nD12/31", "x\nD31/12", "", 0, 1},
    {"LastLineFiveBytes", "x\nD12/3", "x\nD12/3", "", 0, 1},
    {"FirstByteLetter", "Mfirst\n", "Pfirst\n", "", 0, 1},
    {"CarriageReturnOnlyIsNoLineStart", "xM\rMabc", "xM\rMabc", "", 0, 1},
    {"CrLfLinesLikeLf", "D01/31/10\r\nPShop\r\nMNote\r\n",
     "D31/01/10\r\nMShop\r\nPNote\r\n", "", 0, 1},
    {"HighByteStopsDate", "D1\xb2/25/99\n", "D1\xb2/25/99\n", "", 0, 1},
    {"ShortContentLettersOnly", "P\nM\nD", "M\nP\nD", "", 0, 1},
    {"YearNeverTouched", "D03/04/1999\n", "D04/03/1999\n", "", 0, 1},
    {"LetterNotAtLineStart", "xP\nyM\n", "xP\nyM\n", "", 0, 1},
    {"DeclineAtFirstLine", "D13/01/00\nPx\n", "D13/01/00\nPx\n", "n", 1, 0},
    {"QuestionOncePerPassAfterYes", "D13/01/00\nD01/02/00\nD31/12/00\n",
     "D01/13/00\nD02/01/00\nD12/31/00\n", "y", 1, 1},
    {"ShortForms",
     "D1/10/06\nD6/ 3/17\nD5/23' 5\nD12/3/99\nD 1/ 5/99\nD2/14'2020\nD1.5.99",
     "D10/1/06\nD 3/6/17\nD23/5' 5\nD3/12/99\nD 5/ 1/99\nD14/2'2020\nD5.1.99",
     "", 0, 1, kQifEveryDateRules},
    {"ShortFormsCrLfHyphensAndTwoDigitDates",
     "D1-5-99\r\nD10/5-1\r\nD12/25/99\r\nD12345\r\n",
     "D5-1-99\r\nD5/10-1\r\nD25/12/99\r\nD12345\r\n", "", 0, 1,
     kQifEveryDateRules},
    // The every-date rules: lines that end at a CR alone, a byte-order
    // mark, lists whose D lines are descriptions, and a two-digit date
    // only with a separator between month and day.
    {"CarriageReturnAloneEndsLines", "!Type:Bank\rD01/31/10\rPShop\rMNote\r^\r",
     "!Type:Bank\rD31/01/10\rMShop\rPNote\r^\r", "", 0, 1, kQifEveryDateRules},
    {"ByteOrderMarkSkipped", "\357\273\277D12/25/99\nPx\n",
     "\357\273\277D25/12/99\nMx\n", "", 0, 1, kQifEveryDateRules},
    {"YearFirstAndOtherSeparatorsLeftAlone",
     "D20070122\nD12'25'99\nD12 25 99\n", "D20070122\nD12'25'99\nD12 25 99\n",
     "", 0, 1, kQifEveryDateRules},
    {"DescriptionsInAccountCategoryAndClassLists",
     "!Account\nD12/25 savings\n^\n!Type:Bank\nD12/25/99\n^\n!type:CAT  \n"
     "D12/25 "
     "gifts\nPx\n!Option:AutoSwitch\nD01/02/03\n!Type:Class\r\nD1/2/3\r\n",
     "!Account\nD12/25 savings\n^\n!Type:Bank\nD25/12/99\n^\n!type:CAT  \n"
     "D12/25 "
     "gifts\nPx\n!Option:AutoSwitch\nD01/02/03\n!Type:Class\r\nD1/2/3\r\n",
     "", 0, 1, kQifEveryDateRules},
    {"DialogKeepsItsLinesAndSeparators",
     "\xEF\xBB\xBFPx\rPy\n!Account\nD12/25/99\nD20070122\n",
     "\xEF\xBB\xBFPx\rPy\n!Account\nD25/12/99\nD70020122\n", "y", 1, 1},
    {"NoShortForms", // text after Y, no Y, 3-digit field, 5-digit year, S1 '
     "D1/5/99 x\nD1/5\nD123/4/5\nD1/5/12345\nD1'5/99\nD2014-12-31\n",
     "D1/5/99 x\nD1/5\nD123/4/5\nD1/5/12345\nD1'5/99\nD2014-12-31\n", "", 0, 1,
     kQifEveryDateRules},
    {"ShortFormEndsTheContent", "x\nD1/5/9", "x\nD5/1/9", "", 0, 1,
     kQifEveryDateRules},
    {"ShortMonthOverTwelveAsksOnceForBothRules", "D13/3/3\nD25/01/99\n",
     "D3/13/3\nD01/25/99\n", "y", 1, 1, kQifEveryDateRules},
    {"ShortMonthDeclinedUndoesEarlierLines", "D1/2/3\nPx\nD13/3/3\n",
     "D1/2/3\nPx\nD13/3/3\n", "n", 1, 0, kQifEveryDateRules},
    // Lists keep their P, M and D lines; !Clear: and !Option: end no block.
    {"ListsKeepEveryLine",
     "!Account\nPa\n!Clear:AutoSwitch\nMb\n!Type:Payee\nPSafeway\n^\n"
     "!Type:Security\nD12/25/99\n!Type:Tag\nMc\n!Type:Budget \nPd\n"
     "!Type:Memorized\nPe\nMf\n!Type:Oth A\nD1/ 1/10\nPg\n",
     "!Account\nPa\n!Clear:AutoSwitch\nMb\n!Type:Payee\nPSafeway\n^\n"
     "!Type:Security\nD12/25/99\n!Type:Tag\nMc\n!Type:Budget \nPd\n"
     "!Type:Memorized\nMe\nPf\n!Type:Oth A\nD 1/1/10\nMg\n",
     "", 0, 1, kQifEveryDateRules},
    {"PriceDates",
     "\"X\",1,\"12/13/05\"\n!Type:Prices\n\"INTU\",55.4,\"12/13/05\",55.5\r\n"
     "\"W\",19,\"1/ 5'26\"\n\"Q\",\"2\",\"10.11.05\"\n\"Y\",3,\"2014-12-31\"\n"
     "\"Z\",4,\"12/13/05 x\"\n\"N\",5,12/13/05\nD12/25/99\nPx\n^\n",
     "\"X\",1,\"12/13/05\"\n!Type:Prices\n\"INTU\",55.4,\"13/12/05\",55.5\r\n"
     "\"W\",19,\" 5/1'26\"\n\"Q\",\"2\",\"11.10.05\"\n\"Y\",3,\"2014-12-31\"\n"
     "\"Z\",4,\"13/12/05 x\"\n\"N\",5,12/13/05\nD12/25/99\nPx\n^\n",
     "", 0, 1, kQifEveryDateRules},
    {"PriceDateOverTwelveAsks", "!Type:Prices\n\"X\",1,\"25/12/05\"\n",
     "!Type:Prices\n\"X\",1,\"12/25/05\"\n", "y", 1, 1, kQifEveryDateRules},
    {"MonthFirstHeaderRewritten", "!Option:MDY\n!option:mdy \r\nD12/25/99\n",
     "!Option:DMY\n!option:dmy \r\nD25/12/99\n", "", 0, 1, kQifEveryDateRules},
    {"DayFirstHeaderAsks", "!Option:DMY\nD25/12/99\n",
     "!Option:MDY\nD12/25/99\n", "y", 1, 1, kQifEveryDateRules},
};

// A failure names the row instead of printing its bytes.
void PrintTo(const ConvertCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Rules, ConvertTable,
                         ::testing::ValuesIn(kConvertCases),
                         [](const ::testing::TestParamInfo<ConvertCase> &info) {
                           return std::string(info.param.name);
                         });

TEST(ConvertQifBytes, EmptyContentIsConverted) {
  ConfirmScript script = {"", 0};
  unsigned char none = 0;
  EXPECT_EQ(1, ConvertQifBytes(&none, 0, kQifEveryDateRules, ScriptedConfirm,
                               &script));
  EXPECT_EQ(0, script.asked);
}

TEST(ConvertQifBytes, TrailingZeroBytesAreNotContent) {
  // The loaded block has two zero bytes after the content; the walk must
  // stop at size and leave them alone.
  std::vector<unsigned char> block = Bytes(std::string("x\nD12/3\0\0", 9));
  ConfirmScript script = {"", 0};
  EXPECT_EQ(1, ConvertQifBytes(block.data(), 7, kQifEveryDateRules,
                               ScriptedConfirm, &script));
  EXPECT_EQ(std::string("x\nD12/3\0\0", 9), Text(block));
}

// The dialog's Save compares its rules with the every-date rules, on a
// copy: the line where they would first write different bytes, or 0.
TEST(FindQifRuleDifference, NamesTheFirstLineTheDialogWouldGetWrong) {
  const std::pair<std::string, int> kCases[] = {
      {"!Type:Bank\r\nD12/25/99\r\nPShop\r\nD13/01/00\r\n^\r\n", 0},
      {"!Type:Bank\nD12/29/10\nD1/ 1/10\n", 3},
      {"!Type:Bank\rD12/25/99\rPx\r", 2}};
  for (const auto &c : kCases) {
    std::vector<unsigned char> data = Bytes(c.first), copy(data.size());
    int size = static_cast<int>(data.size());
    int at = FindQifRuleDifference(data.data(), size, copy.data());
    EXPECT_EQ(c.second, at < 0 ? 0 : QifLineNumber(data.data(), size, at));
    EXPECT_EQ(c.first, Text(data));
  }
}

TEST(ExchangeQifBytes, StopsBeforeEnd) {
  std::vector<unsigned char> data = Bytes("PA\nPB\nD12/25/99\n");
  ExchangeQifBytes(data.data(), static_cast<int>(data.size()), 3,
                   kQifTwoDigitRule);
  EXPECT_EQ("MA\nPB\nD12/25/99\n", Text(data));
}

TEST(ExchangeQifBytes, NeverAsksAndConvertsHighMonths) {
  std::vector<unsigned char> data = Bytes("D31/12/99\nMx\n");
  ExchangeQifBytes(data.data(), static_cast<int>(data.size()),
                   static_cast<int>(data.size()), kQifTwoDigitRule);
  EXPECT_EQ("D12/31/99\nPx\n", Text(data));
}

} // namespace
