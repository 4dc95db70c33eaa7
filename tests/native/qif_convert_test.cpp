#include <gtest/gtest.h>

#include <string>
#include <vector>

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
};

class ConvertTable : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTable, ConvertsAsTheRulesSay) {
  const ConvertCase &c = GetParam();
  std::vector<unsigned char> data = Bytes(c.before);
  ConvertQifBytes(data.data(), static_cast<int>(data.size()));
  EXPECT_EQ(c.after, Text(data));
}

// Whether a file is converted at all, and what is asked first, is decided
// from its counts (qif_check_test.cpp); the pass converts what it is given.
const ConvertCase kConvertCases[] = {
    {"MonthFirstDate", "D12/25/99\n", "D25/12/99\n"},
    {"HighMonthsConvertedToo", "D13/01/00\nD14/02/00\nD20/01/00\n",
     "D01/13/00\nD02/14/00\nD01/20/00\n"},
    {"DayOverTwelve", "D12/13/00\nD00/13/00\n", "D13/12/00\nD13/00/00\n"},
    {"AnySeparator", "D12-25-99\nD12.25'99\n", "D25-12-99\nD25.12'99\n"},
    {"DigitSeparatorLeftAlone", "D12345", "D12345"},
    {"LineFeedSeparatorLeftAlone", "D12\n34", "D12\n34"},
    {"PayeeAndMemoExchanged", "PJohn Smith\nMRent\n", "MJohn Smith\nPRent\n"},
    {"LoneLetter", "P", "M"},
    {"LowerCaseIgnored", "d12/25/99\nmtext\nptext\n",
     "d12/25/99\nmtext\nptext\n"},
    {"LastLineExactlySixBytes", "x\nD12/31", "x\nD31/12"},
    {"LastLineFiveBytes", "x\nD12/3", "x\nD12/3"},
    {"FirstByteLetter", "Mfirst\n", "Pfirst\n"},
    {"CrLfLinesLikeLf", "D01/31/10\r\nPShop\r\nMNote\r\n",
     "D31/01/10\r\nMShop\r\nPNote\r\n"},
    {"HighByteStopsDate", "D1\xb2/25/99\n", "D1\xb2/25/99\n"},
    {"ShortContentLettersOnly", "P\nM\nD", "M\nP\nD"},
    {"YearNeverTouched", "D03/04/1999\n", "D04/03/1999\n"},
    {"LetterNotAtLineStart", "xP\nyM\n", "xP\nyM\n"},
    {"ShortForms",
     "D1/10/06\nD6/ 3/17\nD5/23' 5\nD12/3/99\nD 1/ 5/99\nD2/14'2020\nD1.5.99\n"
     "D1/5/99\nD13/3/3",
     "D10/1/06\nD 3/6/17\nD23/5' 5\nD3/12/99\nD 5/ 1/99\nD14/2'2020\nD5.1.99\n"
     "D5/1/99\nD3/13/3"},
    {"ShortFormsCrLfHyphensAndTwoDigitDates",
     "D1-5-99\r\nD10/5-1\r\nD12/25/99\r\nD12345\r\n",
     "D5-1-99\r\nD5/10-1\r\nD25/12/99\r\nD12345\r\n"},
    // Lines that end at a CR alone, a byte-order mark, lists whose D lines
    // are descriptions, and a two-digit date only with a separator between
    // month and day.
    {"CarriageReturnAloneEndsLines",
     "!Type:Bank\rD01/31/10\rPShop\rMNote\r^\rxM\rMabc",
     "!Type:Bank\rD31/01/10\rMShop\rPNote\r^\rxM\rPabc"},
    {"ByteOrderMarkSkipped", "\357\273\277D12/25/99\nPx\n",
     "\357\273\277D25/12/99\nMx\n"},
    {"YearFirstAndOtherSeparatorsLeftAlone",
     "D20070122\nD2007-1-22\nD12'25'99\nD12 25 99\n",
     "D20070122\nD2007-1-22\nD12'25'99\nD12 25 99\n"},
    {"DescriptionsInAccountCategoryAndClassLists",
     "!Account\nD12/25 savings\n^\n!Type:Bank\nD12/25/99\n^\n!type:CAT  \n"
     "D12/25 "
     "gifts\nPx\n!Option:AutoSwitch\nD01/02/03\n!Type:Class\r\nD1/2/3\r\n",
     "!Account\nD12/25 savings\n^\n!Type:Bank\nD25/12/99\n^\n!type:CAT  \n"
     "D12/25 "
     "gifts\nPx\n!Option:AutoSwitch\nD01/02/03\n!Type:Class\r\nD1/2/3\r\n"},
    {"NoShortForms", // text after Y, no Y, 3-digit field, 5-digit year, S1 '
     "D1/5/99 x\nD1/5\nD123/4/5\nD1/5/12345\nD1'5/99\nD2014-12-31\n",
     "D1/5/99 x\nD1/5\nD123/4/5\nD1/5/12345\nD1'5/99\nD2014-12-31\n"},
    {"ShortFormEndsTheContent", "x\nD1/5/9", "x\nD5/1/9"},
    // Lists keep their P, M and D lines; !Clear: and !Option: end no block.
    {"ListsKeepEveryLine",
     "!Account\nPa\n!Clear:AutoSwitch\nMb\n!Type:Payee\nPSafeway\n^\n"
     "!Type:Security\nD12/25/99\n!Type:Tag\nMc\n!Type:Budget \nPd\n"
     "!Type:Memorized\nPe\nMf\n!Type:Oth A\nD1/ 1/10\nPg\n",
     "!Account\nPa\n!Clear:AutoSwitch\nMb\n!Type:Payee\nPSafeway\n^\n"
     "!Type:Security\nD12/25/99\n!Type:Tag\nMc\n!Type:Budget \nPd\n"
     "!Type:Memorized\nMe\nPf\n!Type:Oth A\nD 1/1/10\nMg\n"},
    {"PriceDates",
     "\"X\",1,\"12/13/05\"\n!Type:Prices\n\"INTU\",55.4,\"12/13/05\",55.5\r\n"
     "\"W\",19,\"1/ 5'26\"\n\"Q\",\"2\",\"10.11.05\"\n\"Y\",3,\"2014-12-31\"\n"
     "\"Z\",4,\"12/13/05 "
     "x\"\n\"N\",5,12/13/05\n\"O\",6,\"25/12/05\"\nD12/25/99\n"
     "Px\n^\n",
     "\"X\",1,\"12/13/05\"\n!Type:Prices\n\"INTU\",55.4,\"13/12/05\",55.5\r\n"
     "\"W\",19,\" 5/1'26\"\n\"Q\",\"2\",\"11.10.05\"\n\"Y\",3,\"2014-12-31\"\n"
     "\"Z\",4,\"13/12/05 "
     "x\"\n\"N\",5,12/13/05\n\"O\",6,\"12/25/05\"\nD12/25/99\n"
     "Px\n^\n"},
    {"DateOrderHeadersRewritten",
     "!Option:MDY\n!option:mdy \r\nD12/25/99\n!Option:DMY\n",
     "!Option:DMY\n!option:dmy \r\nD25/12/99\n!Option:MDY\n"},
};

// A failure names the row instead of printing its bytes.
void PrintTo(const ConvertCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Rules, ConvertTable,
                         ::testing::ValuesIn(kConvertCases),
                         [](const ::testing::TestParamInfo<ConvertCase> &info) {
                           return std::string(info.param.name);
                         });

TEST(ConvertQifBytes, TrailingZeroBytesAreNotContent) {
  // The loaded block has two zero bytes after the content; the walk must
  // stop at size and leave them alone.
  std::vector<unsigned char> block = Bytes(std::string("x\nD12/3\0\0", 9));
  ConvertQifBytes(block.data(), 7);
  EXPECT_EQ(std::string("x\nD12/3\0\0", 9), Text(block));
}

TEST(ExchangeQifBytes, StopsBeforeEnd) {
  std::vector<unsigned char> data = Bytes("PA\nPB\nD12/25/99\n");
  ExchangeQifBytes(data.data(), static_cast<int>(data.size()), 3);
  EXPECT_EQ("MA\nPB\nD12/25/99\n", Text(data));
}

} // namespace
