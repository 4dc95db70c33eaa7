// Random contents biased toward the bytes the rules look at, checked against
// the invariants that real faults break: length, the positions allowed to
// change, undo, declines at every point, and agreement with the plain walk,
// for the dialog's two-digit rule alone and for the every-date rules (lines
// that end at a CR alone, a byte-order mark, lists, prices and headers).
#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "confirm_script.h"
#include "qif_convert.h"
#include "qif_reference.h"
#include "qif_rule_places.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// A date line or price built from parts, mostly valid short-form parts, so
// that short forms, near misses and two-digit dates all turn up often.
void AppendDateLine(std::mt19937 &rng, Bytes *content) {
  static const char *const kFields[] = {"1", "12", " 3", "13", "123", "", " "};
  static const char *const kSeparators[] = {"/", "-", ".", "'", " "};
  static const char *const kYears[] = {"9", "99", " 5", "2020", "12345", ""};
  static const char *const kEnds[] = {"\n", "\r\n", "\r", "", "x\n"};
  auto pick = [&rng](auto &list) {
    return list[rng() % (sizeof list / sizeof list[0])];
  };
  static const char *const kOpenings[] = {"D", "D", "\n\"X\",1.5,\"",
                                          "\r\"\",,\""};
  const char *opening = pick(kOpenings);
  std::string line = std::string(opening) + pick(kFields) + pick(kSeparators) +
                     pick(kFields) + pick(kSeparators) + pick(kYears) +
                     (*opening == '"' ? "\",2" : "") + pick(kEnds);
  content->insert(content->end(), line.begin(), line.end());
}

// Headers that open and close lists and price lists, date orders, and
// others that change nothing.
void AppendHeader(std::mt19937 &rng, Bytes *content) {
  static const char *const kHeaders[] = {
      "!Account\n",    "!Type:Cat\r",          "!type:CLASS \t\r\n",
      "!Type:Bank\n",  "!Option:AutoSwitch\r", "!Clear:AutoSwitch\n",
      "!Account:x\n",  "!Type:Catx\n",         "!Type:Invst\r\n",
      "!Type:Payee\n", "!type:PRICES \r\n",    "!Type:Prices\r",
      "!Option:MDY\n", "!option:dmy \r",       "!Type: \n"};
  const char *header = kHeaders[rng() % (sizeof kHeaders / sizeof *kHeaders)];
  content->push_back('\n');
  content->insert(content->end(), header, header + strlen(header));
}

Bytes RandomContent(std::mt19937 &rng) {
  static const unsigned char kAlphabet[] = {
      'D', 'D', 'M', 'P',  '0', '1', '2',  '3',  '9',  '\n', '\n', '\r',
      '/', '-', '.', '\'', ' ', 'x', 0x00, 0xB2, 0xFF, '"',  ','};
  // Up to a few hundred bytes: past the line finder's block size.
  std::uniform_int_distribution<int> length(0, 300);
  std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 1);
  Bytes content;
  if (rng() % 8 == 0)
    content = {0xEF, 0xBB, 0xBF};
  for (int n = length(rng); static_cast<int>(content.size()) < n;) {
    if (rng() % 8 == 0)
      AppendDateLine(rng, &content);
    else if (rng() % 24 == 0)
      AppendHeader(rng, &content);
    else
      content.push_back(kAlphabet[pick(rng)]);
  }
  return content;
}

int Size(const Bytes &b) { return static_cast<int>(b.size()); }

class ConvertProperties : public ::testing::TestWithParam<int> {
protected:
  std::mt19937 rng{20261208};
  static const int kRounds = 20000;
  const int rules = GetParam();
};

INSTANTIATE_TEST_SUITE_P(Rules, ConvertProperties,
                         ::testing::Values(kQifTwoDigitRule,
                                           kQifEveryDateRules),
                         [](const ::testing::TestParamInfo<int> &info) {
                           return std::string(info.param == kQifEveryDateRules
                                                  ? "EveryDateRules"
                                                  : "TwoDigitRule");
                         });

// The two-digit rule alone is the dialog's, run through its own entry
// points; the every-date rules through the general ones.
int Convert(unsigned char *data, int size, int rules, QifConfirmFn confirm,
            void *context) {
  return rules == kQifTwoDigitRule
             ? ConvertBankQifBytes(data, size, confirm, context)
             : ConvertQifBytes(data, size, rules, confirm, context);
}

void Exchange(unsigned char *data, int size, int end, int rules) {
  if (rules == kQifTwoDigitRule)
    ExchangeBankQifBytes(data, size, end);
  else
    ExchangeQifBytes(data, size, end, rules);
}

TEST_P(ConvertProperties, MatchesPlainWalkAndChangesOnlyAllowedBytes) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes fast = input, plain = input;
    ConfirmScript a = {"y", 0}, b = {"y", 0};
    ASSERT_EQ(1, Convert(fast.data(), Size(fast), rules, ScriptedConfirm, &a));
    ASSERT_EQ(1, ReferenceConvert(plain.data(), Size(plain), rules,
                                  ScriptedConfirm, &b));
    ASSERT_EQ(plain, fast) << "round " << round;
    ASSERT_EQ(a.asked, b.asked);
    ASSERT_LE(a.asked, 1);
    std::vector<bool> allowed = RulePlaces(input, rules);
    for (size_t i = 0; i < input.size(); ++i) {
      if (!allowed[i]) {
        ASSERT_EQ(input[i], fast[i]) << "round " << round << " at " << i;
      }
    }
  }
}

TEST_P(ConvertProperties, ConvertingTwiceGivesBackTheInput) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes data = input;
    ConfirmScript first = {"y", 0}, second = {"y", 0};
    Convert(data.data(), Size(data), rules, ScriptedConfirm, &first);
    Convert(data.data(), Size(data), rules, ScriptedConfirm, &second);
    ASSERT_EQ(input, data) << "round " << round;
  }
}

TEST_P(ConvertProperties, ExchangeOverWholeContentUndoesConvert) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes data = input;
    ConfirmScript script = {"y", 0};
    Convert(data.data(), Size(data), rules, ScriptedConfirm, &script);
    Exchange(data.data(), Size(data), Size(data), rules);
    ASSERT_EQ(input, data) << "round " << round;
  }
}

TEST_P(ConvertProperties, DeclineLeavesContentAsLoaded) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes data = input;
    ConfirmScript script = {"n", 0};
    int result =
        Convert(data.data(), Size(data), rules, ScriptedConfirm, &script);
    if (script.asked == 0) {
      ASSERT_EQ(1, result);
      continue;
    }
    ASSERT_EQ(0, result);
    ASSERT_EQ(input, data) << "round " << round;
  }
}

// Undoing a walk cut short at any line start gives back the input, which is
// what a decline at that line relies on.
TEST_P(ConvertProperties, PartialExchangeUndoesAtEveryEnd) {
  for (int round = 0; round < kRounds / 10; ++round) {
    const Bytes input = RandomContent(rng);
    for (int end = 0; end <= Size(input); ++end) {
      Bytes data = input;
      Exchange(data.data(), Size(data), end, rules);
      Bytes plain = input;
      ReferenceExchange(plain.data(), Size(plain), end, rules);
      ASSERT_EQ(plain, data) << "round " << round << " end " << end;
      Exchange(data.data(), Size(data), end, rules);
      ASSERT_EQ(input, data) << "round " << round << " end " << end;
    }
  }
}

// Long inputs reach the sixteen-byte line finder and its tail.
TEST_P(ConvertProperties, LongContentMatchesPlainWalk) {
  for (int round = 0; round < 200; ++round) {
    Bytes input;
    std::uniform_int_distribution<int> pieces(1, 80);
    for (int n = pieces(rng); n > 0; --n) {
      Bytes piece = RandomContent(rng);
      input.insert(input.end(), piece.begin(), piece.end());
    }
    Bytes fast = input, plain = input;
    ConfirmScript a = {"y", 0}, b = {"y", 0};
    Convert(fast.data(), Size(fast), rules, ScriptedConfirm, &a);
    ReferenceConvert(plain.data(), Size(plain), rules, ScriptedConfirm, &b);
    ASSERT_EQ(plain, fast) << "round " << round;
  }
}

} // namespace
