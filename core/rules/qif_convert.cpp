#include "qif_convert.h"

namespace {

// The walk's steps at a line start are inlined into its loop, whatever the
// build optimises for: the loop is the whole cost of a Save.
#define KESTROM_IN_LOOP inline __attribute__((always_inline))

struct Walk {
  unsigned char *data;
  int size;
  QifPlace place;
};

// Applies the short-form rule to the text after at, up to limit. It is kept
// out of line, as no date in the bank's own exports needs it.
__attribute__((noinline)) void ApplyShortFormAt(Walk *walk, int at, int limit) {
  QifShortDate date;
  if (FindQifShortDate(walk->data, limit, at, &date))
    SwapQifShortDate(walk->data, at, &date);
}

// Applies the date rules after at, a date line's D or a price date's quote.
KESTROM_IN_LOOP void ApplyDateAt(Walk *walk, int at, int limit) {
  if (IsQifTwoDigitDate(walk->data, limit, at))
    SwapQifDatePairs(walk->data, at);
  else
    ApplyShortFormAt(walk, at, limit);
}

// Applies the rules to a '!' line, or to a line that opens with a quote,
// which in a price list is a price. Such lines are rare.
__attribute__((noinline)) void ApplyHeaderOrPriceAt(Walk *walk, int i) {
  unsigned char *data = walk->data;
  if (data[i] == '"') {
    int end = 0, quote = walk->place.block == kQifPrices
                             ? FindQifPriceDate(data, walk->size, i, &end)
                             : 0;
    if (quote)
      ApplyDateAt(walk, quote, end);
    return;
  }
  walk->place.block = QifBlockAfter(data, walk->size, i, walk->place.block);
  if (QifDateOrderAt(data, walk->size, i))
    SwapQifDateOrder(data, i);
}

// Applies the rules at one line start. They never change a line end, a
// block's header or a price's quotes and commas, so the line starts and
// blocks a walk finds stay the same however many bytes it has changed.
KESTROM_IN_LOOP void ApplyRulesAt(Walk *walk, int i) {
  unsigned char *data = walk->data;
  unsigned char c = data[i];
  if (c == 'D') {
    if (!walk->place.block)
      ApplyDateAt(walk, i, walk->size);
  } else if (c == 'M' || c == 'P') {
    if (!walk->place.block)
      data[i] = c == 'M' ? 'P' : 'M';
  } else if (c == '!' || c == '"') {
    ApplyHeaderOrPriceAt(walk, i);
  }
}

// Visits every line start below end in order. The line ends are found 64
// bytes at a time, which also leaves the inner loop, a branch the CPU cannot
// foresee, once per six lines or so rather than once per line.
void WalkFrom(Walk *walk, int end) {
  const unsigned char *data = walk->data;
  int first = FirstQifLineStart(data, walk->size, &walk->place);
  walk->place.pastStart = 1;
  if (end <= first)
    return;
  ApplyRulesAt(walk, first);
  int pos = 0;
#if defined(KESTROM_LINE_BLOCKS)
  // The last byte of end - 1 cannot start a line below end, so only bytes
  // below end - 1 are searched for line ends.
  for (; pos + 64 <= end - 1; pos += 64) {
    unsigned long long lineEnds = QifLineEndBits(data + pos);
    while (lineEnds) {
      ApplyRulesAt(walk, pos + __builtin_ctzll(lineEnds) + 1);
      lineEnds &= lineEnds - 1;
    }
  }
#endif
  for (int start; (start = NextQifLineStart(data, pos, end, walk->size)) >= 0;
       pos = start)
    ApplyRulesAt(walk, start);
}

} // namespace

void ConvertQifPiece(unsigned char *data, int size, QifPlace *place) {
  Walk walk = {data, size, *place};
  WalkFrom(&walk, size);
  *place = walk.place;
}

void ConvertQifBytes(unsigned char *data, int size) {
  ExchangeQifBytes(data, size, size);
}

void ExchangeQifBytes(unsigned char *data, int size, int end) {
  Walk walk = {data, size, {0, 0}};
  WalkFrom(&walk, end < size ? end : size);
}
