// Random contents biased toward the bytes the rules look at, checked against
// the invariants that real faults break: length, the positions allowed to
// change, undo, and agreement with the plain walk (lines that end at a CR
// alone, a byte-order mark, lists, prices and headers).
#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

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

class ConvertProperties : public ::testing::Test {
protected:
  std::mt19937 rng{20261208};
  static const int kRounds = 20000;
};

TEST_F(ConvertProperties, MatchesPlainWalkAndChangesOnlyAllowedBytes) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes fast = input, plain = input;
    ConvertQifBytes(fast.data(), Size(fast));
    ReferenceConvert(plain.data(), Size(plain));
    ASSERT_EQ(plain, fast) << "round " << round;
    std::vector<bool> allowed = RulePlaces(input);
    for (size_t i = 0; i < input.size(); ++i) {
      if (!allowed[i]) {
        ASSERT_EQ(input[i], fast[i]) << "round " << round << " at " << i;
      }
    }
  }
}

// So the dialog gives back the content as loaded after a failed write.
TEST_F(ConvertProperties, ConvertingTwiceGivesBackTheInput) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes data = input;
    ConvertQifBytes(data.data(), Size(data));
    ConvertQifBytes(data.data(), Size(data));
    ASSERT_EQ(input, data) << "round " << round;
  }
}

// A walk cut short at any end agrees with the plain walk and is its own
// inverse: the line finder's last bytes before end.
TEST_F(ConvertProperties, PartialExchangeAtEveryEnd) {
  for (int round = 0; round < kRounds / 10; ++round) {
    const Bytes input = RandomContent(rng);
    for (int end = 0; end <= Size(input); ++end) {
      Bytes data = input;
      ExchangeQifBytes(data.data(), Size(data), end);
      Bytes plain = input;
      ReferenceExchange(plain.data(), Size(plain), end);
      ASSERT_EQ(plain, data) << "round " << round << " end " << end;
      ExchangeQifBytes(data.data(), Size(data), end);
      ASSERT_EQ(input, data) << "round " << round << " end " << end;
    }
  }
}

// Long inputs reach the 64-byte line finder and its tail.
TEST_F(ConvertProperties, LongContentMatchesPlainWalk) {
  for (int round = 0; round < 200; ++round) {
    Bytes input;
    std::uniform_int_distribution<int> pieces(1, 80);
    for (int n = pieces(rng); n > 0; --n) {
      Bytes piece = RandomContent(rng);
      input.insert(input.end(), piece.begin(), piece.end());
    }
    Bytes fast = input, plain = input;
    ConvertQifBytes(fast.data(), Size(fast));
    ReferenceConvert(plain.data(), Size(plain));
    ASSERT_EQ(plain, fast) << "round " << round;
  }
}

} // namespace
