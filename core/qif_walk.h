// The walk over a content's line starts that both conversion entry points
// share: kestrom-cli's and the page's every-date walk (qif_convert.cpp) and
// the dialog's own (qif_convert_bank.cpp), kept in files of their own so
// that kestrom.exe links only the walk it runs.
#ifndef KESTROM_CORE_QIF_WALK_H
#define KESTROM_CORE_QIF_WALK_H

#include "qif_convert.h"
#include "qif_lines.h"

namespace {

inline void SwapDatePairs(unsigned char *data, int i) {
  unsigned char m1 = data[i + 1], m2 = data[i + 2];
  data[i + 1] = data[i + 4];
  data[i + 2] = data[i + 5];
  data[i + 4] = m1;
  data[i + 5] = m2;
}

// What a walk needs to know at each line start. confirm is null for the
// question-free walk.
struct Walk {
  unsigned char *data;
  int size;
  int rules;
  QifConfirmFn confirm;
  void *context;
  int asked;
  QifPlace place; // where the walk stands, updated as it goes
};

// Inlined with anyExport a constant, so that the dialog's walk is compiled
// without a test it never needs and the every-date walk without a test of
// its rules at every line.
#define KESTROM_SPECIALISED inline __attribute__((always_inline))

// The question comes at most once per pass. Whether it is still to come is
// tested before the month: converting day-first content back, the month
// test is a coin toss the CPU cannot foresee, the asked flag is not.
inline int MayAsk(const Walk *walk) { return walk->confirm && !walk->asked; }

// Returns 0 when the user declined.
inline int AskDayFirst(Walk *walk) {
  if (!walk->confirm(walk->context))
    return 0;
  walk->asked = 1;
  return 1;
}

// Kept out of line: in the bank's own exports no date needs it. The date
// is the text after at, up to limit or its line's end.
inline __attribute__((noinline)) int ApplyShortFormAt(Walk *walk, int at,
                                                      int limit) {
  QifShortDate date;
  if (!FindQifShortDate(walk->data, limit, at, &date))
    return 1;
  if (MayAsk(walk) && date.month > 12 && !AskDayFirst(walk))
    return 0;
  SwapQifShortDate(walk->data, at, &date);
  return 1;
}

// The date rules over the text after at (a date line's D, or the quote
// before a price's date) up to limit. Returns 0 only when the user
// declined the question here.
KESTROM_SPECIALISED int ApplyDateAt(Walk *walk, int at, int limit,
                                    int anyExport, int shortForms) {
  unsigned char *data = walk->data;
  int rules = anyExport ? kQifAnyExportRule : 0; // all the test reads
  if (!IsQifTwoDigitDate(data, limit, at, rules))
    return shortForms ? ApplyShortFormAt(walk, at, limit) : 1;
  if (MayAsk(walk) && QifMonthLooksLikeDay(data, at) && !AskDayFirst(walk))
    return 0;
  SwapDatePairs(data, at);
  return 1;
}

// A '!' line, or a line that opens with a quote, which only in a price
// list is a price. Rare, so kept out of the loop.
inline __attribute__((noinline)) int ApplyHeaderOrPriceAt(Walk *walk, int i,
                                                          int shortForms) {
  unsigned char *data = walk->data;
  if (data[i] == '"') {
    int end = 0, quote = walk->place.block == kQifPrices
                             ? FindQifPriceDate(data, walk->size, i, &end)
                             : 0;
    return !quote || ApplyDateAt(walk, quote, end, 1, shortForms);
  }
  walk->place.block = QifBlockAfter(data, walk->size, i, walk->place.block);
  int order = QifDateOrderAt(data, walk->size, i);
  if (order == kQifDayFirstHeader && MayAsk(walk) && !AskDayFirst(walk))
    return 0;
  if (order)
    SwapQifDateOrder(data, i);
  return 1;
}

// The rules at one line start. They change only a date's digits, spaces
// and separators, the letter M or P that opens a line and the M and D of a
// date-order header, never a line end, a block's header or a price's
// quotes and commas, so the line starts and blocks a walk finds stay the
// same however many bytes it has already changed. Returns 0 only when the
// user declined the question at this line.
KESTROM_SPECIALISED int ApplyRulesAt(Walk *walk, int i, int anyExport,
                                     int shortForms) {
  unsigned char *data = walk->data;
  unsigned char c = data[i];
  if (c == 'D') {
    if (anyExport && walk->place.block)
      return 1;
    return ApplyDateAt(walk, i, walk->size, anyExport, shortForms);
  } else if (c == 'M' || c == 'P') {
    if (!(anyExport && walk->place.block))
      data[i] = c == 'M' ? 'P' : 'M';
  } else if (anyExport && (c == '!' || c == '"')) {
    return ApplyHeaderOrPriceAt(walk, i, shortForms);
  }
  return 1;
}

// Visits every line start below end in order (QifLineEndBits, then
// NextQifLineStart for the last bytes). Returns -1 when all were visited,
// else the line start where the user declined. The line ends are found 64
// bytes at a time, which also leaves the inner loop (a branch the CPU
// cannot foresee) once per six lines or so rather than once per line.
KESTROM_SPECIALISED int WalkFrom(Walk *walk, int end, int anyExport,
                                 int shortForms) {
  const unsigned char *data = walk->data;
  int first = FirstQifLineStart(data, walk->size, walk->rules, &walk->place);
  walk->place.pastStart = 1;
  if (end <= first)
    return -1;
  if (!ApplyRulesAt(walk, first, anyExport, shortForms))
    return first;
  int pos = 0;
  int crEnds = anyExport;
#if defined(KESTROM_LINE_BLOCKS)
  // The last byte of end - 1 cannot start a line below end, so only bytes
  // below end - 1 are searched for line ends.
  for (; pos + 64 <= end - 1; pos += 64) {
    unsigned long long lineEnds = QifLineEndBits(data + pos, crEnds);
    while (lineEnds) {
      int start = pos + __builtin_ctzll(lineEnds) + 1;
      lineEnds &= lineEnds - 1;
      if (!ApplyRulesAt(walk, start, anyExport, shortForms))
        return start;
    }
  }
#endif
  for (;;) {
    int start = NextQifLineStart(data, pos, end, walk->size, crEnds);
    if (start < 0)
      return -1;
    if (!ApplyRulesAt(walk, start, anyExport, shortForms))
      return start;
    pos = start;
  }
}

} // namespace

#endif
