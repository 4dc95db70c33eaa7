#include "qif_check.h"

#include "qif_rules.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// Adds the sixteen byte counters, which must not have wrapped past 255.
int SumByteCounters(__m128i counters) {
  __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
  return _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
}

__m128i Equal(__m128i block, char byte) {
  return _mm_cmpeq_epi8(block, _mm_set1_epi8(byte));
}

int CountLineFeeds(const unsigned char *data, int size) {
  int count = 0;
  int pos = 0;
  while (size - pos >= 16) {
    __m128i counters = _mm_setzero_si128();
    for (int run = 0; run < 255 && size - pos >= 16; ++run, pos += 16) {
      __m128i block =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos));
      counters = _mm_sub_epi8(counters, Equal(block, '\n'));
    }
    count += SumByteCounters(counters);
  }
  for (; pos < size; ++pos)
    count += data[pos] == '\n';
  return count;
}
#else
int CountLineFeeds(const unsigned char *data, int size) {
  int count = 0;
  for (int pos = 0; pos < size; ++pos)
    count += data[pos] == '\n';
  return count;
}
#endif

// Line numbers are needed only for the few dates that are reported, so
// LFs are counted up to such a date when one turns up, and up to the end
// of the piece once it has been walked.
struct Counting {
  const unsigned char *data;
  int size;
  int rules;
  QifLeftAloneFn leftAlone;
  void *context;
  QifCheckCounts *counts;
  int countedTo; // LFs before this offset are in counts->lineEnds
};

int LineAt(Counting *c, int offset) {
  c->counts->lineEnds +=
      CountLineFeeds(c->data + c->countedTo, offset - c->countedTo);
  c->countedTo = offset;
  return c->counts->lineEnds + 1;
}

// A date whose month suggests the file is day-first already; only the
// first is kept. Rare, so kept out of the loop that counts the common dates.
void NoteDayFirst(Counting *c, int i, int month) {
  QifCheckCounts *counts = c->counts;
  if (counts->dayFirstMonth == 0) {
    counts->dayFirstMonth = month;
    counts->dayFirstLine = LineAt(c, i);
  }
}

// A date line the two-digit rule does not take: a short form, a date no
// rule takes, or no date at all.
void NoteOtherDate(Counting *c, int i) {
  QifShortDate date;
  if ((c->rules & kQifShortFormRule) &&
      FindQifShortDate(c->data, c->size, i, &date)) {
    ++c->counts->datesExchanged;
    ++c->counts->shortFormDates;
    if (date.month > 12)
      NoteDayFirst(c, i, date.month);
    return;
  }
  if (!ReadsAsQifDate(c->data, c->size, i))
    return;
  int line = LineAt(c, i);
  if (++c->counts->datesLeftAlone == 1)
    c->counts->firstLeftAloneLine = line;
  if (c->leftAlone)
    c->leftAlone(c->context, line, i);
}

inline void CountDateLine(Counting *c, int i) {
  const unsigned char *data = c->data;
  if (!HasQifDateDigits(data, c->size, i)) {
    NoteOtherDate(c, i);
    return;
  }
  ++c->counts->datesExchanged;
  if (QifMonthLooksLikeDay(data, i))
    NoteDayFirst(c, i, (data[i + 1] - '0') * 10 + (data[i + 2] - '0'));
}

void CountLineStart(Counting *c, int i) {
  unsigned char b = c->data[i];
  if (b == 'D')
    CountDateLine(c, i);
  else if (b == 'M' || b == 'P')
    ++c->counts->lettersExchanged;
  else if (b == '!' || b == '^')
    ++c->counts->recordMarks;
}

// Byte by byte from position from; a line starts at 0 and after each LF.
void CountTail(Counting *c, int from) {
  for (int i = from; i < c->size; ++i)
    if (i == 0 || c->data[i - 1] == '\n')
      CountLineStart(c, i);
}

#if defined(__SSE2__)
// Sixteen positions at a time: a position starts a line when the byte
// before it is an LF. Letters are summed in byte counters, and only
// line-start D bytes, about one line in six, are looked at one by one.
// Returns where the byte-by-byte tail begins.
int CountBlocks(Counting *c) {
  const unsigned char *data = c->data;
  if (c->size < 17)
    return 0;
  CountLineStart(c, 0); // it has no byte before it
  int pos = 1;
  while (c->size - pos >= 16) {
    __m128i letters = _mm_setzero_si128();
    __m128i marks = _mm_setzero_si128();
    for (int run = 0; run < 255 && c->size - pos >= 16; ++run, pos += 16) {
      __m128i block =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos));
      __m128i before =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos - 1));
      __m128i starts = Equal(before, '\n');
      __m128i isLetter = _mm_or_si128(Equal(block, 'M'), Equal(block, 'P'));
      letters = _mm_sub_epi8(letters, _mm_and_si128(starts, isLetter));
      __m128i isMark = _mm_or_si128(Equal(block, '!'), Equal(block, '^'));
      marks = _mm_sub_epi8(marks, _mm_and_si128(starts, isMark));
      unsigned dates = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(starts, Equal(block, 'D'))));
      for (; dates; dates &= dates - 1)
        CountDateLine(c, pos + __builtin_ctz(dates));
    }
    c->counts->lettersExchanged += SumByteCounters(letters);
    c->counts->recordMarks += SumByteCounters(marks);
  }
  return pos;
}
#else
int CountBlocks(Counting *) { return 0; }
#endif

} // namespace

void CountQifPiece(const unsigned char *data, int size, int rules,
                   QifLeftAloneFn leftAlone, void *context,
                   QifCheckCounts *counts) {
  Counting c = {data, size, rules, leftAlone, context, counts, 0};
  CountTail(&c, CountBlocks(&c));
  LineAt(&c, size); // the next piece's lines are numbered on from here
}

void AddQifCounts(QifCheckCounts *total, const QifCheckCounts *later) {
  if (!total->dayFirstMonth && later->dayFirstMonth) {
    total->dayFirstMonth = later->dayFirstMonth;
    total->dayFirstLine = total->lineEnds + later->dayFirstLine;
  }
  if (!total->datesLeftAlone && later->datesLeftAlone)
    total->firstLeftAloneLine = total->lineEnds + later->firstLeftAloneLine;
  total->datesExchanged += later->datesExchanged;
  total->shortFormDates += later->shortFormDates;
  total->lettersExchanged += later->lettersExchanged;
  total->recordMarks += later->recordMarks;
  total->datesLeftAlone += later->datesLeftAlone;
  total->lineEnds += later->lineEnds;
}

int QifLineLength(const unsigned char *data, int size, int offset) {
  int end = offset;
  while (end < size && data[end] != '\n')
    ++end;
  if (end > offset && data[end - 1] == '\r')
    --end;
  return end - offset;
}
