// Random contents biased toward the bytes the rules look at, checked against
// the invariants that real faults break: length, the positions allowed to
// change, undo, declines at every point, and agreement with the plain walk.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "confirm_script.h"
#include "qif_convert.h"
#include "qif_reference.h"
#include "qif_rule_places.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes RandomContent(std::mt19937 &rng) {
  static const unsigned char kAlphabet[] = {'D', 'D', 'M', 'P',  '0',  '1',
                                            '2', '3', '9', '\n', '\n', '\r',
                                            '/', '-', 'x', 0x00, 0xB2, 0xFF};
  // Up to a few hundred bytes: past the line finder's block size.
  std::uniform_int_distribution<int> length(0, 300);
  std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 1);
  Bytes content(length(rng));
  for (unsigned char &c : content)
    c = kAlphabet[pick(rng)];
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
    ConfirmScript a = {"y", 0}, b = {"y", 0};
    ASSERT_EQ(1, ConvertQifBytes(fast.data(), Size(fast), ScriptedConfirm, &a));
    ASSERT_EQ(1,
              ReferenceConvert(plain.data(), Size(plain), ScriptedConfirm, &b));
    ASSERT_EQ(plain, fast) << "round " << round;
    ASSERT_EQ(a.asked, b.asked);
    ASSERT_LE(a.asked, 1);
    std::vector<bool> allowed = RulePlaces(input);
    for (size_t i = 0; i < input.size(); ++i) {
      if (!allowed[i]) {
        ASSERT_EQ(input[i], fast[i]) << "round " << round << " at " << i;
      }
    }
  }
}

TEST_F(ConvertProperties, ConvertingTwiceGivesBackTheInput) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes data = input;
    ConfirmScript first = {"y", 0}, second = {"y", 0};
    ConvertQifBytes(data.data(), Size(data), ScriptedConfirm, &first);
    ConvertQifBytes(data.data(), Size(data), ScriptedConfirm, &second);
    ASSERT_EQ(input, data) << "round " << round;
  }
}

TEST_F(ConvertProperties, ExchangeOverWholeContentUndoesConvert) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes data = input;
    ConfirmScript script = {"y", 0};
    ConvertQifBytes(data.data(), Size(data), ScriptedConfirm, &script);
    ExchangeQifBytes(data.data(), Size(data), Size(data));
    ASSERT_EQ(input, data) << "round " << round;
  }
}

TEST_F(ConvertProperties, DeclineLeavesContentAsLoaded) {
  for (int round = 0; round < kRounds; ++round) {
    const Bytes input = RandomContent(rng);
    Bytes data = input;
    ConfirmScript script = {"n", 0};
    int result =
        ConvertQifBytes(data.data(), Size(data), ScriptedConfirm, &script);
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
TEST_F(ConvertProperties, PartialExchangeUndoesAtEveryEnd) {
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

// Long inputs reach the sixteen-byte line finder and its tail.
TEST_F(ConvertProperties, LongContentMatchesPlainWalk) {
  for (int round = 0; round < 200; ++round) {
    Bytes input;
    std::uniform_int_distribution<int> pieces(1, 80);
    for (int n = pieces(rng); n > 0; --n) {
      Bytes piece = RandomContent(rng);
      input.insert(input.end(), piece.begin(), piece.end());
    }
    Bytes fast = input, plain = input;
    ConfirmScript a = {"y", 0}, b = {"y", 0};
    ConvertQifBytes(fast.data(), Size(fast), ScriptedConfirm, &a);
    ReferenceConvert(plain.data(), Size(plain), ScriptedConfirm, &b);
    ASSERT_EQ(plain, fast) << "round " << round;
  }
}

} // namespace
