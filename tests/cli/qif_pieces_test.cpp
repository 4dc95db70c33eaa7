// Cutting a file into pieces and halves must never change what the
// conversion or the counts come to.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "qif_check.h"
#include "qif_convert.h"
#include "qif_pieces.h"

namespace {

int PieceEnd(const std::string &s) {
  return FindQifPieceEnd(reinterpret_cast<const unsigned char *>(s.data()),
                         static_cast<int>(s.size()));
}

int Split(const std::string &s) {
  return FindQifSplit(reinterpret_cast<const unsigned char *>(s.data()),
                      static_cast<int>(s.size()));
}

TEST(PieceEnd, CutsAfterTheLastLfThatEndsALineOfFiveBytesOrMore) {
  EXPECT_EQ(0, PieceEnd(""));
  EXPECT_EQ(0, PieceEnd("no line end"));
  EXPECT_EQ(0, PieceEnd("abcd\n"));
  // The last byte ends no piece: were it a CR, an LF might follow.
  EXPECT_EQ(0, PieceEnd("abcde\n"));
  EXPECT_EQ(6, PieceEnd("abcde\nx"));
  // A CR alone ends a line as well; a CR LF is cut after its LF.
  EXPECT_EQ(7, PieceEnd("abcdef\rPx"));
  EXPECT_EQ(8, PieceEnd("abcdef\r\nPx"));
  EXPECT_EQ(0, PieceEnd("abcdef\r"));
  EXPECT_EQ(18, PieceEnd("PJohn Smith\nMRent\n^\nD12/2"));
  // "D12" + LF + "34" is one date: no cut may fall inside it.
  EXPECT_EQ(0, PieceEnd("D12\n34\n"));
  EXPECT_EQ(7, PieceEnd("T-1.00\nD12\n34"));
}

TEST(Split, FirstCutAfterALineWhollyInTheWindow) {
  EXPECT_EQ(0, Split(""));
  EXPECT_EQ(0, Split("nt Smith\n")); // the line's start is not in view
  EXPECT_EQ(16, Split("ent\nPJohn Smith\nM"));
  EXPECT_EQ(11, Split("\nab\ncdefgh\nx"));
  EXPECT_EQ(10, Split("ab\rcdefgh\rx"));
  EXPECT_EQ(0, Split("x\nD12\n34\n"));
}

std::string RandomContent(std::mt19937 *rng, int size) {
  static const char kBytes[] = "DDMP\n\n\r/ x0123456789-.'";
  std::string s;
  for (int i = 0; i < size; ++i)
    s += kBytes[(*rng)() % (sizeof kBytes - 1)];
  return s;
}

std::string ExchangeWhole(std::string s) {
  ConvertQifBytes(reinterpret_cast<unsigned char *>(&s[0]),
                  static_cast<int>(s.size()));
  return s;
}

void CollectLine(void *context, int line, int) {
  static_cast<std::vector<int> *>(context)->push_back(line);
}

struct Walked {
  std::string converted;
  QifCheckCounts counts;
  std::vector<int> leftAloneLines;
};

// Streams s through a buffer of the given capacity the way kestrom-cli
// does: cut where FindQifPieceEnd allows, grow when it finds no place,
// and take all that is left at the end.
Walked WalkInPieces(const std::string &s, size_t capacity) {
  Walked walked = {"", {}, {}};
  size_t start = 0;
  while (start < s.size()) {
    size_t filled = std::min(capacity, s.size() - start);
    bool ended = start + filled == s.size();
    std::string piece = s.substr(start, filled);
    int length = ended ? static_cast<int>(filled) : PieceEnd(piece);
    if (length == 0) {
      capacity *= 2;
      continue;
    }
    piece.resize(length);
    CountQifPiece(reinterpret_cast<const unsigned char *>(piece.data()), length,
                  CollectLine, &walked.leftAloneLines, &walked.counts);
    walked.converted += ExchangeWhole(piece);
    start += length;
  }
  return walked;
}

Walked WalkWhole(const std::string &s) {
  Walked walked = {ExchangeWhole(s), {}, {}};
  CountQifPiece(reinterpret_cast<const unsigned char *>(s.data()),
                static_cast<int>(s.size()), CollectLine, &walked.leftAloneLines,
                &walked.counts);
  return walked;
}

void ExpectSameCounts(const QifCheckCounts &a, const QifCheckCounts &b,
                      int round) {
  EXPECT_EQ(a.datesExchanged, b.datesExchanged) << round;
  EXPECT_EQ(a.shortFormDates, b.shortFormDates) << round;
  EXPECT_EQ(a.lettersExchanged, b.lettersExchanged) << round;
  EXPECT_EQ(a.datesLeftAlone, b.datesLeftAlone) << round;
  EXPECT_EQ(a.datesYearFirst, b.datesYearFirst) << round;
  EXPECT_EQ(a.firstLeftAloneLine, b.firstLeftAloneLine) << round;
  EXPECT_EQ(a.dayFirstLine, b.dayFirstLine) << round;
  EXPECT_EQ(a.dayFirstMonth, b.dayFirstMonth) << round;
  EXPECT_EQ(a.recordMarks, b.recordMarks) << round;
  EXPECT_EQ(a.lineEnds, b.lineEnds) << round;
}

TEST(Pieces, ConvertAndCountAsTheWholeFile) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string s = RandomContent(&rng, static_cast<int>(rng() % 300));
    Walked whole = WalkWhole(s);
    Walked pieces = WalkInPieces(s, 1 + rng() % 40);
    ASSERT_EQ(whole.converted, pieces.converted) << round;
    EXPECT_EQ(whole.leftAloneLines, pieces.leftAloneLines) << round;
    ExpectSameCounts(whole.counts, pieces.counts, round);
  }
}

TEST(Halves, ConvertAndCountAsTheWholeFile) {
  std::mt19937 rng(11);
  int split = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string s = RandomContent(&rng, 20 + static_cast<int>(rng() % 300));
    size_t middle = rng() % s.size();
    int cut = Split(s.substr(middle, 1 + rng() % 60));
    if (cut == 0)
      continue;
    ++split;
    std::string first = s.substr(0, middle + cut);
    std::string second = s.substr(middle + cut);
    Walked whole = WalkWhole(s);
    Walked a = WalkWhole(first);
    Walked b = WalkWhole(second);
    ASSERT_EQ(whole.converted, a.converted + b.converted) << round;
    AddQifCounts(&a.counts, &b.counts);
    ExpectSameCounts(whole.counts, a.counts, round);
  }
  EXPECT_GT(split, 500); // the windows found a place to cut often enough
}

} // namespace
