// The counts kestrom-cli, the page and the dialog take a file's decision
// from: the rules' edge cases, the decision on them, and agreement with
// what the core's conversion actually changes on random content.
#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "qif_check.h"
#include "qif_convert.h"
#include "qif_reference.h"

namespace {

struct LeftAlone {
  int line;
  int offset;
  bool operator==(const LeftAlone &o) const {
    return line == o.line && offset == o.offset;
  }
};

void CollectLeftAlone(void *context, int line, int offset) {
  static_cast<std::vector<LeftAlone> *>(context)->push_back({line, offset});
}

QifCheckCounts Count(const std::string &s, std::vector<LeftAlone> *found) {
  QifCheckCounts counts = {};
  CountQifPiece(reinterpret_cast<const unsigned char *>(s.data()),
                static_cast<int>(s.size()), CollectLeftAlone, found, &counts);
  return counts;
}

// Counted and converted in one walk, as kestrom-cli does it, s must give
// the same counts as counted alone and the bytes the conversion gives.
void ExpectOneWalkAgrees(const std::string &s, const QifCheckCounts &counts) {
  std::string both = s, converted = s;
  QifCheckCounts bothCounts = {};
  int size = static_cast<int>(s.size());
  CountAndConvertQifPiece(reinterpret_cast<unsigned char *>(&both[0]), size,
                          &bothCounts);
  ConvertQifBytes(reinterpret_cast<unsigned char *>(&converted[0]), size);
  EXPECT_EQ(converted, both);
  EXPECT_EQ(0, memcmp(&counts, &bothCounts, sizeof counts));
}

struct CheckCase {
  const char *name;
  std::string content;
  int dates;
  int letters;
  std::vector<int> leftAloneLines;
  int dayFirstLine;
  int dayFirstMonth;
  int shortForms = 0; // of the dates
  int recordMarks = 0;
  int binaryLine = 0;
  int headers = 0; // !Option:MDY, and 10 for each !Option:DMY
  int yearFirst = 0;
};

class CheckTable : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckTable, CountsAsTheConversionRulesSay) {
  const CheckCase &c = GetParam();
  std::vector<LeftAlone> found;
  QifCheckCounts counts = Count(c.content, &found);
  EXPECT_EQ(c.dates, counts.datesExchanged);
  EXPECT_EQ(c.shortForms, counts.shortFormDates);
  EXPECT_EQ(c.letters, counts.lettersExchanged);
  std::vector<int> lines;
  for (const LeftAlone &f : found)
    lines.push_back(f.line);
  EXPECT_EQ(c.leftAloneLines, lines);
  EXPECT_EQ(static_cast<int>(lines.size()), counts.datesLeftAlone);
  EXPECT_EQ(lines.empty() ? 0 : lines[0], counts.firstLeftAloneLine);
  EXPECT_EQ(c.dayFirstLine, counts.dayFirstLine);
  EXPECT_EQ(c.dayFirstMonth, counts.dayFirstMonth);
  EXPECT_EQ(c.recordMarks, counts.recordMarks);
  EXPECT_EQ(c.binaryLine, counts.binaryLine);
  EXPECT_EQ(c.headers, counts.monthFirstHeaders + 10 * counts.dayFirstHeaders);
  EXPECT_EQ(c.yearFirst, counts.datesYearFirst);
  ExpectOneWalkAgrees(c.content, counts);
}

// Longer than one sixteen-byte block, so the block walk meets each rule.
const std::string kLongMixed = "!Type:Bank\nD12/25/99\nPJohn Smith\nMRent\n"
                               "D6/1/94\nD1/ 5/99\nd10/10/10\nxM\n^\n"
                               "D25/12/99\nD13/01/00\nD2014-12-32\nPx";

const CheckCase kCheckCases[] = {
    {"MonthFirstDate", "D12/25/99\n", 1, 0, {}, 0, 0},
    {"PayeeAndMemo", "PJohn Smith\nMRent\n", 0, 2, {}, 0, 0},
    {"ShortForms", "D1/5/99\nD 1/ 5/99\nD12/3/99\n", 3, 0, {}, 0, 0, 3},
    {"DatesNoRuleConverts",
     "D2014-12-32\nD1/5\nD1/5/99 x\n",
     0,
     0,
     {1, 2, 3},
     0,
     0},
    {"DescriptionIsNoDate",
     "!Account\nDEveryday account\nD2 accounts\n^\n",
     0,
     0,
     {},
     0,
     0,
     0,
     2},
    // clang-format off
    {"DigitsOnlyLeftAlone", "D12345", 0, 0, {1}, 0, 0},
    {"DigitsToTheLineEndLeftAlone", "D12\n34", 0, 0, {1}, 0, 0},
    // Year-first: 1900 to 2099, months 1 to 12, days 1 to 31, one separator
    // twice or none, blanks around.
    {"YearFirstKept", "^\nD20070122\nD 070122\nD123\nD2007012x\n"
     "D2007-01-22\nD \t1900/1/2 \r\nD2099.12.31\nD2007-01/22\nD2007-13-01\n"
     "D1899-01-01\nD2100-1-1\nD2007-1-32\nD2007-0-1\nD20071322\n"
     "D2007-1\nD2007--1\n!Type:Prices\n\"A\",1,\" 2005-12-25\"\n",
     0, 0, {3, 4, 9, 10, 11, 12, 13, 14, 15, 16, 17}, 0, 0, 0, 2, 0, 0, 5},
    {"DescriptionsNeitherCountedNorListed", "!Account\nD4673-1737\nD12/25 x\n"
     "^\n!Type:Bank\nD12/25/99\n!type:cat \r\nD12/25 y\r\n!Option:A\nD1/5\n",
     1, 0, {}, 0, 0, 0, 5},
    {"ByteOrderMarkSkipped", "\357\273\277D12/25/99\nPx\n", 1, 1, {}, 0, 0},
    // clang-format on
    {"LastLineExactlySixBytes", "x\nD12/31", 1, 0, {}, 0, 0},
    {"LastLineFiveBytes", "x\nD12/3", 0, 0, {2}, 0, 0},
    {"LoneD", "D", 0, 0, {}, 0, 0},
    {"EmptyDateLine", "D\r\nPx", 0, 1, {}, 0, 0},
    // clang-format off
    {"CarriageReturnAloneEndsALine", "xM\rMabc\rD1/5\r", 0, 1, {3}, 0, 0},
    {"CrLfAcrossTheBlockEdge", std::string(63, 'x') + "\r\nD1/5\n", 0, 0, {2},
     0, 0},
    // clang-format on
    {"CrLfLinesLikeLf", "D01/31/10\r\nPShop\r\nMNote\r\n", 1, 2, {}, 0, 0},
    {"HighByteIsNoDate", "D1\xb2/25/99\n", 0, 0, {}, 0, 0},
    {"LowerCaseIgnored", "d12/25/99\nmtext\nptext\n", 0, 0, {}, 0, 0},
    {"FirstDayFirstDateNamed",
     "D01/02/00\nPx\nD13/01/00\nD25/01/00\n",
     3,
     1,
     {},
     3,
     13},
    {"ShortMonthOverTwelveNamed", "D1/2/3\nD13/3/3\n", 2, 0, {}, 2, 13, 2},
    {"MonthTwelveIsMonthFirst", "D12/31/99\nD00/13/00\n", 2, 0, {}, 0, 0},
    {"LetterAtFirstByte", "Mfirst", 0, 1, {}, 0, 0},
    {"LetterNotAtLineStart", "xP\nyM\n", 0, 0, {}, 0, 0},
    {"Empty", "", 0, 0, {}, 0, 0},
    {"LongMixed", kLongMixed, 5, 3, {12}, 10, 25, 2, 2},
    // clang-format off
    {"ImageLineIsNoHeader", "![The dialog](d.png)\n!\nPlus\n", 0, 1, {}, 0, 0},
    {"RecordMarksOnlyAtLineStarts", "x!\n!Option:A\n^^\n y^", 0, 0, {}, 0, 0,
     0, 2},
    // Lists and prices, past one 64-byte block so the block walk meets them.
    {"ListsAndPrices", "!Type:Payee\nPSafeway\nMx\nD12/25/99\n!Type:Prices\n"
     "\"A\",1,\"12/25/05\"\n\"B\",2,\"1/ 5'26\"\n\"C\",3,\"1/5\"\nPy\n"
     "\"D\",4,\"13/12/05\"\n!Type:Bank\nPz\n\"E\",5,\"2005-12-25\"\n",
     3, 1, {8}, 10, 13, 1, 3},
    {"DateOrderHeaders", "!Option:MDY\nD12/25/99\n!option:dmy \r\n", 1, 0, {},
     3, 0, 0, 2, 0, 11},
    // Control bytes other than TAB, LF and CR, bar one Ctrl-Z at the end.
    {"NulIsBinary", std::string("^\nPx\r\n\t\x7f\0", 9), 0, 1, {}, 0, 0, 0, 1,
     3},
    {"FinalCtrlZAllowed", "^\nPx\n\x1a", 0, 1, {}, 0, 0, 0, 1, 0},
    {"TwoCtrlZsAreBinary", "^\r\x1a\x1a", 0, 0, {}, 0, 0, 0, 1, 2},
    {"ControlByteInTheBlockWalk", "^" + std::string(70, '\n') + "\x1b\x1f",
     0, 0, {}, 0, 0, 0, 1, 71},
    {"ControlByteAtABlockEnd", std::string(63, 'x') + "\x0c", 0, 0, {}, 0, 0,
     0, 0, 1},
    // clang-format on
};

// A failure names the row instead of printing its bytes.
void PrintTo(const CheckCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Rules, CheckTable, ::testing::ValuesIn(kCheckCases),
                         [](const ::testing::TestParamInfo<CheckCase> &info) {
                           return std::string(info.param.name);
                         });

struct DecideCase {
  const char *name;
  std::string content;
  int verdict;      // counted whole
  int verdictSoFar; // while pieces may follow
};

class DecideTable : public ::testing::TestWithParam<DecideCase> {};

TEST_P(DecideTable, DecidesFromTheCounts) {
  const DecideCase &c = GetParam();
  std::vector<LeftAlone> found;
  QifCheckCounts counts = Count(c.content, &found);
  EXPECT_EQ(c.verdict, DecideQifConversion(&counts, 1));
  EXPECT_EQ(c.verdictSoFar, DecideQifConversion(&counts, 0));
}

const int kDay = kQifAskDayFirst, kAlone = kQifAskLeftAlone,
          kNoMark = kQifAskNoMark;

const DecideCase kDecideCases[] = {
    {"MonthFirstConverts", "!Type:Bank\nD12/25/99\nD1/5/99\n^\n", 0, 0},
    {"MonthOverTwelveAsks", "!Type:Bank\nD01/02/00\nPx\nD13/01/00\n", kDay,
     kDay},
    {"DayFirstHeaderAsks", "!Type:Bank\n!Option:DMY\n", kDay, kDay},
    {"DigitSeparatorAsks", "!Type:Bank\nD12345\n", kAlone, kAlone},
    {"LineFeedSeparatorAsks", "!Type:Bank\nD12\n34", kAlone, kAlone},
    {"YearFirstNoReason", "!Type:Bank\nD20070122\nD2007-01-22\n", 0, 0},
    {"NoMarkKnownAtTheEnd", "D12/25/99\nPx\n", kNoMark, 0},
    {"EveryReason", "D13/1/5\nD1/5\n", kDay | kAlone | kNoMark, kDay | kAlone},
    {"BinaryRefusedWhateverElse",
     std::string("D13/1/5\nD1/5\n\x89PNG\r\n\x1a\n\0", 22), kQifRefuse,
     kQifRefuse},
    {"EmptyHasNoMarkToAskAbout", "", kNoMark, 0},
};

void PrintTo(const DecideCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Verdicts, DecideTable,
                         ::testing::ValuesIn(kDecideCases),
                         [](const ::testing::TestParamInfo<DecideCase> &info) {
                           return std::string(info.param.name);
                         });

TEST(CheckLineNumbers, CountOnAcrossPieces) {
  QifCheckCounts counts = {};
  std::vector<LeftAlone> found;
  const std::string first = "Px\nQy\n";
  const std::string second = "D1/5\nD6-1";
  CountQifPiece(reinterpret_cast<const unsigned char *>(first.data()),
                static_cast<int>(first.size()), CollectLeftAlone, &found,
                &counts);
  CountQifPiece(reinterpret_cast<const unsigned char *>(second.data()),
                static_cast<int>(second.size()), CollectLeftAlone, &found,
                &counts);
  EXPECT_EQ((std::vector<LeftAlone>{{3, 0}, {4, 5}}), found);
  EXPECT_EQ(3, counts.lineEnds);
}

TEST(CheckLineNumbers, AddedCountsNumberTheLaterPartAfterTheEarlier) {
  QifCheckCounts total = {};
  total.lineEnds = 10;
  total.datesExchanged = 2;
  QifCheckCounts later = {};
  later.datesExchanged = 1;
  later.datesLeftAlone = 2;
  later.datesYearFirst = 4;
  later.firstLeftAloneLine = 3;
  later.dayFirstLine = 4;
  later.dayFirstMonth = 31;
  later.lineEnds = 5;
  AddQifCounts(&total, &later);
  EXPECT_EQ(3, total.datesExchanged);
  EXPECT_EQ(2, total.datesLeftAlone);
  EXPECT_EQ(4, total.datesYearFirst);
  EXPECT_EQ(13, total.firstLeftAloneLine);
  EXPECT_EQ(14, total.dayFirstLine);
  EXPECT_EQ(31, total.dayFirstMonth);
  EXPECT_EQ(15, total.lineEnds);
  // What the earlier part found first stays first.
  QifCheckCounts again = later;
  AddQifCounts(&total, &again);
  EXPECT_EQ(13, total.firstLeftAloneLine);
  EXPECT_EQ(14, total.dayFirstLine);
}

TEST(CheckLineLength, StopsBeforeCrLfOrTheEnd) {
  const unsigned char text[] = "D6/1/94\r\nD1/5/99\nD12";
  EXPECT_EQ(7, QifLineLength(text, 20, 0));
  EXPECT_EQ(7, QifLineLength(text, 20, 9));
  EXPECT_EQ(3, QifLineLength(text, 20, 17));
}

// Random content rich in line starts, D, M, P and digits. No digit equals
// the digit two or three places before it, so every date exchange changes
// a byte of its line and the core's output shows exactly where it worked.
std::string RandomContent(std::mt19937 *rng, int size) {
  static const char kBytes[] = "DDDMP\n\n\n\r/ x\xb2/-.'";
  static const char *const kYearFirst[] = {"\nD2007-1-22", "\nD 19991231 ",
                                           "\nD2100.1.1", "\nD2007/01-22"};
  std::string s;
  for (int i = 0; i < size; ++i) {
    int pick = static_cast<int>((*rng)() % 28);
    if (pick == 27) {
      s += kYearFirst[(*rng)() % 4];
      continue;
    }
    if (pick < 17) {
      s += kBytes[pick];
      continue;
    }
    char digit = static_cast<char>('0' + (*rng)() % 10);
    size_t n = s.size();
    while ((n >= 3 && s[n - 3] == digit) || (n >= 2 && s[n - 2] == digit))
      digit = digit == '9' ? '0' : static_cast<char>(digit + 1);
    s += digit;
  }
  return s;
}

int IsLineEnd(const std::string &s, size_t i) {
  return s[i] == '\n' ||
         (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n'));
}

int IsLineStart(const std::string &s, size_t i) {
  return i == 0 || IsLineEnd(s, i - 1);
}

int IsDigit(char c) { return c >= '0' && c <= '9'; }

// The tests for a year-first date and for a date no rule converts, read
// off the words that define them. Year-first: blanks aside, YYYY S M S D
// with the same separator, or YYYYMMDD, in the years 1900 to 2099.
bool InRange(int year, int month, int day) {
  return year >= 1900 && year <= 2099 && month >= 1 && month <= 12 &&
         day >= 1 && day <= 31;
}

int IsYearFirst(const std::string &s, size_t i) {
  size_t end = s.find_first_of("\r\n", i);
  std::string text =
      s.substr(i + 1, end == std::string::npos ? end : end - i - 1);
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return 0;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  if (text.size() == 8 &&
      text.find_first_not_of("0123456789") == std::string::npos)
    return InRange(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
                   std::stoi(text.substr(6, 2)));
  for (char separator : {'-', '/', '.'}) {
    size_t one = text.find(separator), two = text.find(separator, one + 1);
    if (one != 4 || two == std::string::npos || two - one < 2 ||
        two - one > 3 || text.size() - two < 2 || text.size() - two > 3)
      continue;
    std::string parts = text.substr(0, 4) +
                        text.substr(one + 1, two - one - 1) +
                        text.substr(two + 1);
    if (parts.find_first_not_of("0123456789") == std::string::npos)
      return InRange(std::stoi(text.substr(0, 4)),
                     std::stoi(text.substr(one + 1)),
                     std::stoi(text.substr(two + 1)));
  }
  return 0;
}

// Left alone: an optional space, digits, and a date separator, or only
// digits to the line's end.
int ReadsAsDate(const std::string &s, size_t i) {
  size_t p = i + 1;
  if (p < s.size() && s[p] == ' ')
    ++p;
  size_t digits = p;
  while (p < s.size() && IsDigit(s[p]))
    ++p;
  if (p == digits)
    return 0;
  return p == s.size() || s[p] == '\r' || s[p] == '\n' || strchr("/-.'", s[p]);
}

int TwoDigitPlaces(const std::string &s, size_t i) {
  return s.size() - i >= 6 && IsDigit(s[i + 1]) && IsDigit(s[i + 2]) &&
         IsDigit(s[i + 4]) && IsDigit(s[i + 5]);
}

bool LooksDayFirstToReference(const std::string &s) {
  std::vector<unsigned char> data(s.begin(), s.end());
  return ReferenceConvert(data.data(), static_cast<int>(data.size()));
}

TEST(CheckAgreesWithConversion, OnRandomContent) {
  std::mt19937 rng(20240501);
  for (int round = 0; round < 3000; ++round) {
    std::string in = RandomContent(&rng, static_cast<int>(rng() % 200));
    std::string out = in;
    ConvertQifBytes(reinterpret_cast<unsigned char *>(&out[0]),
                    static_cast<int>(out.size()));
    int dates = 0, shortForms = 0, letters = 0, lineEnds = 0, yearFirst = 0;
    std::vector<LeftAlone> expectedLeftAlone;
    for (size_t i = 0; i < in.size(); ++i) {
      if (IsLineEnd(in, i))
        ++lineEnds;
      if ((in[i] == 'M' || in[i] == 'P') && out[i] != in[i])
        ++letters;
      if (in[i] != 'D' || !IsLineStart(in, i))
        continue;
      // A converted date changes some byte of its line: no digit equals
      // the one three places before it.
      size_t lineEnd = in.find_first_of("\r\n", i);
      lineEnd = lineEnd == std::string::npos ? in.size() : lineEnd;
      if (in.compare(i + 1, lineEnd - i - 1, out, i + 1, lineEnd - i - 1)) {
        ++dates;
        shortForms += !TwoDigitPlaces(in, i);
      } else if (IsYearFirst(in, i)) {
        ++yearFirst;
      } else if (ReadsAsDate(in, i)) {
        expectedLeftAlone.push_back({lineEnds + 1, static_cast<int>(i)});
      }
    }
    std::vector<LeftAlone> found;
    QifCheckCounts counts = Count(in, &found);
    ASSERT_EQ(letters, counts.lettersExchanged) << round;
    ASSERT_EQ(dates, counts.datesExchanged) << round;
    ASSERT_EQ(shortForms, counts.shortFormDates) << round;
    ASSERT_EQ(expectedLeftAlone, found) << round;
    ASSERT_EQ(lineEnds, counts.lineEnds) << round;
    ASSERT_EQ(yearFirst, counts.datesYearFirst) << round;
    ASSERT_EQ(LooksDayFirstToReference(in), counts.dayFirstLine != 0) << round;
    ExpectOneWalkAgrees(in, counts);
    ASSERT_FALSE(HasFailure()) << round;
  }
}

} // namespace
