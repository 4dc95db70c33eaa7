#include "qif_check.h"

namespace {

// Line numbers are needed only for the few dates reported, so line ends are
// counted up to such a date when one turns up, the rest as the walk passes.
struct Counting {
  const unsigned char *data;
  int size;
  QifLeftAloneFn leftAlone;
  void *context;
  QifCheckCounts *counts;
  int countedTo;      // line ends before this offset are in counts->lineEnds
  int lineEndsBefore; // those before the piece
  // The same bytes as data, converted as they are counted, or null. A rule
  // changes its line only after it is counted.
  unsigned char *converted;
};

int LineAt(Counting *c, int offset) {
  c->counts->lineEnds +=
      CountQifLineEnds(c->data, c->countedTo, offset, c->size);
  c->countedTo = offset;
  return c->counts->lineEnds + 1;
}

// Notes the first date whose month is over 12, or day-first header (month 0).
void NoteDayFirst(Counting *c, int i, int month) {
  if (c->counts->dayFirstLine)
    return;
  c->counts->dayFirstMonth = month;
  c->counts->dayFirstLine = LineAt(c, i);
}

// Counts a date the two-digit rule does not take, after at and up to limit on
// the line at line: a short form, a year-first date, or one no rule takes.
void NoteOtherDate(Counting *c, int at, int limit, int line) {
  QifShortDate date;
  if (FindQifShortDate(c->data, limit, at, &date)) {
    if (c->converted)
      SwapQifShortDate(c->converted, at, &date);
    ++c->counts->datesExchanged;
    ++c->counts->shortFormDates;
    if (date.month > 12)
      NoteDayFirst(c, line, date.month);
  } else if (IsQifYearFirstDate(c->data, limit, at)) {
    ++c->counts->datesYearFirst;
  } else if (ReadsAsQifDate(c->data, limit, at)) {
    int number = LineAt(c, line);
    if (++c->counts->datesLeftAlone == 1)
      c->counts->firstLeftAloneLine = number;
    if (c->leftAlone)
      c->leftAlone(c->context, number, line);
  }
}

inline void CountDate(Counting *c, int at, int limit, int line) {
  const unsigned char *data = c->data;
  if (!IsQifTwoDigitDate(data, limit, at)) {
    NoteOtherDate(c, at, limit, line);
    return;
  }
  ++c->counts->datesExchanged;
  if (QifMonthLooksLikeDay(data, at))
    NoteDayFirst(c, line, (data[at + 1] - '0') * 10 + (data[at + 2] - '0'));
  if (c->converted)
    SwapQifDatePairs(c->converted, at);
}

// Counts a '!' line, which is a QIF header when a letter follows: a
// README's image line ![...] is none.
void CountBang(Counting *c, int i) {
  unsigned char next = i + 1 < c->size ? c->data[i + 1] | 0x20 : 0;
  QifCheckCounts *counts = c->counts;
  counts->recordMarks += next >= 'a' && next <= 'z';
  counts->place.block = QifBlockAfter(c->data, c->size, i, counts->place.block);
  int order = QifDateOrderAt(c->data, c->size, i);
  if (order && c->converted)
    SwapQifDateOrder(c->converted, i);
  counts->monthFirstHeaders += order == kQifMonthFirstHeader;
  if (order == kQifDayFirstHeader) {
    ++counts->dayFirstHeaders;
    NoteDayFirst(c, i, 0);
  }
}

void CountPrice(Counting *c, int i) {
  int end = 0, quote = FindQifPriceDate(c->data, c->size, i, &end);
  if (quote)
    CountDate(c, quote, end, i);
}

void ExchangeLetter(Counting *c, int i) {
  ++c->counts->lettersExchanged;
  if (c->converted)
    c->converted[i] ^= 'M' ^ 'P';
}

void CountLineStart(Counting *c, int i) {
  unsigned char b = c->data[i];
  int block = c->counts->place.block;
  if (b == 'D' && block == kQifTransactions)
    CountDate(c, i, c->size, i);
  else if ((b == 'M' || b == 'P') && block == kQifTransactions)
    ExchangeLetter(c, i);
  else if (b == '!')
    CountBang(c, i);
  else if (b == '^')
    ++c->counts->recordMarks;
  else if (b == '"' && block == kQifPrices)
    CountPrice(c, i);
}

// Notes the first control byte from from on. Only one is ever noted, so its
// line is counted apart from the dates' lines.
void NoteBinaryByte(Counting *c, int from) {
  int at = FindQifBinaryByte(c->data, from, c->size);
  if (at < 0)
    return;
  c->counts->binaryByte = c->data[at];
  c->counts->binaryLine =
      c->lineEndsBefore + CountQifLineEnds(c->data, 0, at, c->size) + 1;
}

// Counts 64 positions at a time and returns where the tail begins. Among
// transactions the masks count '^', M and P, and only line-start D bytes are
// looked at one by one; 64 bytes with a '!' line, or a list's, go line by line.
int CountBlocks([[maybe_unused]] Counting *c, int pos) {
#if defined(KESTROM_LINE_BLOCKS)
  const unsigned char *data = c->data;
  QifCheckCounts *counts = c->counts;
  for (; c->size - pos > 64; pos += 64) {
    if (!counts->binaryLine && QifHasBinaryByte(data + pos))
      NoteBinaryByte(c, pos);
    unsigned long long starts = QifLineEndBits(data + pos);
    const unsigned char *next = data + pos + 1;
    unsigned long long marks = starts & QifByteBits(next, '^');
    counts->recordMarks += QifBitCount(marks);
    unsigned long long oneByOne = starts & ~marks;
    if (counts->place.block == kQifTransactions &&
        !(starts & QifByteBits(next, '!'))) {
      unsigned long long letters =
          starts & (QifByteBits(next, 'M') | QifByteBits(next, 'P'));
      counts->lettersExchanged += QifBitCount(letters);
      for (; c->converted && letters; letters &= letters - 1)
        c->converted[pos + 1 + __builtin_ctzll(letters)] ^= 'M' ^ 'P';
      oneByOne = starts & QifByteBits(next, 'D');
    }
    for (; oneByOne; oneByOne &= oneByOne - 1)
      CountLineStart(c, pos + 1 + __builtin_ctzll(oneByOne));
    // A date's line number may have counted the first of them already.
    int counted = c->countedTo - pos;
    if (counted < 64)
      counts->lineEnds += QifBitCount(starts >> counted);
    c->countedTo = pos + 64;
  }
#endif
  return pos;
}

void WalkPiece(Counting c) {
  const unsigned char *data = c.data;
  int size = c.size;
  QifCheckCounts *counts = c.counts;
  int first = FirstQifLineStart(data, size, &counts->place);
  counts->place.pastStart = 1;
  if (first < size)
    CountLineStart(&c, first);
  int pos = CountBlocks(&c, 0);
  if (!counts->binaryLine)
    NoteBinaryByte(&c, pos);
  for (int start; (start = NextQifLineStart(data, pos, size, size)) >= 0;
       pos = start)
    CountLineStart(&c, start);
  LineAt(&c, size); // the next piece's lines are numbered on from here
}

} // namespace

void CountQifPiece(const unsigned char *data, int size,
                   QifLeftAloneFn leftAlone, void *context,
                   QifCheckCounts *counts) {
  WalkPiece(
      {data, size, leftAlone, context, counts, 0, counts->lineEnds, nullptr});
}

void CountAndConvertQifPiece(unsigned char *data, int size,
                             QifCheckCounts *counts) {
  WalkPiece({data, size, nullptr, nullptr, counts, 0, counts->lineEnds, data});
}

void AddQifCounts(QifCheckCounts *total, const QifCheckCounts *later) {
  if (!total->dayFirstLine && later->dayFirstLine) {
    total->dayFirstMonth = later->dayFirstMonth;
    total->dayFirstLine = total->lineEnds + later->dayFirstLine;
  }
  if (!total->datesLeftAlone && later->datesLeftAlone)
    total->firstLeftAloneLine = total->lineEnds + later->firstLeftAloneLine;
  if (!total->binaryLine && later->binaryLine) {
    total->binaryByte = later->binaryByte;
    total->binaryLine = total->lineEnds + later->binaryLine;
  }
  total->monthFirstHeaders += later->monthFirstHeaders;
  total->dayFirstHeaders += later->dayFirstHeaders;
  total->datesExchanged += later->datesExchanged;
  total->shortFormDates += later->shortFormDates;
  total->lettersExchanged += later->lettersExchanged;
  total->recordMarks += later->recordMarks;
  total->datesLeftAlone += later->datesLeftAlone;
  total->datesYearFirst += later->datesYearFirst;
  total->lineEnds += later->lineEnds;
  total->place = later->place;
}

int DecideQifConversion(const QifCheckCounts *counts, int complete) {
  if (counts->binaryLine)
    return kQifRefuse;
  return (counts->dayFirstLine ? kQifAskDayFirst : 0) |
         (counts->datesLeftAlone ? kQifAskLeftAlone : 0) |
         (complete && !counts->recordMarks ? kQifAskNoMark : 0);
}
