#include "qif_check.h"

#include "qif_lines.h"
#include "qif_rules.h"

namespace {

// Line numbers are needed only for the few dates that are reported, so
// line ends are counted up to such a date when one turns up, and up to the
// end of the piece once it has been walked.
struct Counting {
  const unsigned char *data;
  int size;
  int rules;
  int crEnds;
  QifLeftAloneFn leftAlone;
  void *context;
  QifCheckCounts *counts;
  int countedTo; // line ends before this offset are in counts->lineEnds
};

int LineAt(Counting *c, int offset) {
  c->counts->lineEnds +=
      CountQifLineEnds(c->data, c->countedTo, offset, c->size, c->crEnds);
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
  if (!ReadsAsQifDate(c->data, c->size, i, c->rules))
    return;
  int line = LineAt(c, i);
  if (++c->counts->datesLeftAlone == 1)
    c->counts->firstLeftAloneLine = line;
  if (c->leftAlone)
    c->leftAlone(c->context, line, i);
}

inline void CountDateLine(Counting *c, int i) {
  const unsigned char *data = c->data;
  if (c->counts->place.descriptions)
    return;
  if (!IsQifTwoDigitDate(data, c->size, i, c->rules)) {
    NoteOtherDate(c, i);
    return;
  }
  ++c->counts->datesExchanged;
  if (QifMonthLooksLikeDay(data, i))
    NoteDayFirst(c, i, (data[i + 1] - '0') * 10 + (data[i + 2] - '0'));
}

// A '!' line: a QIF header when a letter follows (!Type:Bank, !Account; a
// README's image line ![...] is none), and under the any-export rule maybe
// one that opens or closes a block of descriptions.
void CountBang(Counting *c, int i) {
  unsigned char next = i + 1 < c->size ? c->data[i + 1] | 0x20 : 0;
  c->counts->recordMarks += next >= 'a' && next <= 'z';
  if (c->rules & kQifAnyExportRule)
    c->counts->place.descriptions = QifDescriptionsAfter(
        c->data, c->size, i, c->counts->place.descriptions);
}

void CountLineStart(Counting *c, int i) {
  unsigned char b = c->data[i];
  if (b == 'D')
    CountDateLine(c, i);
  else if (b == 'M' || b == 'P')
    ++c->counts->lettersExchanged;
  else if (b == '!')
    CountBang(c, i);
  else if (b == '^')
    ++c->counts->recordMarks;
}

#if defined(KESTROM_LINE_BLOCKS)
// 64 positions at a time: the line ends in them (QifLineEndBits) mark the
// line starts one byte on. Letters and '^' are counted from the masks, and
// only line-start D and '!' bytes, about one line in six, are looked at one
// by one. Returns where the byte-by-byte tail begins.
int CountBlocks(Counting *c, int pos) {
  const unsigned char *data = c->data;
  QifCheckCounts *counts = c->counts;
  for (; c->size - pos > 64; pos += 64) {
    unsigned long long starts = QifLineEndBits(data + pos, c->crEnds);
    const unsigned char *next = data + pos + 1;
    unsigned long long letters =
        QifByteBits(next, 'M') | QifByteBits(next, 'P');
    counts->lettersExchanged += __builtin_popcountll(starts & letters);
    counts->recordMarks +=
        __builtin_popcountll(starts & QifByteBits(next, '^'));
    unsigned long long oneByOne =
        starts & (QifByteBits(next, 'D') | QifByteBits(next, '!'));
    for (; oneByOne; oneByOne &= oneByOne - 1)
      CountLineStart(c, pos + 1 + __builtin_ctzll(oneByOne));
  }
  return pos;
}
#else
int CountBlocks(Counting *, int pos) { return pos; }
#endif

} // namespace

void CountQifPiece(const unsigned char *data, int size, int rules,
                   QifLeftAloneFn leftAlone, void *context,
                   QifCheckCounts *counts) {
  Counting c = {data,      size,    rules,  QifCrEndsLines(rules),
                leftAlone, context, counts, 0};
  int first = FirstQifLineStart(data, size, rules, &counts->place);
  counts->place.pastStart = 1;
  if (first < size)
    CountLineStart(&c, first);
  int pos = CountBlocks(&c, 0);
  for (int start;
       (start = NextQifLineStart(data, pos, size, size, c.crEnds)) >= 0;
       pos = start)
    CountLineStart(&c, start);
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
  total->place = later->place;
}

int QifLineLength(const unsigned char *data, int size, int offset) {
  int end = offset;
  while (end < size && data[end] != '\n' && data[end] != '\r')
    ++end;
  return end - offset;
}
