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
int AskDayFirst(Walk *walk) {
  if (!walk->confirm(walk->context))
    return 0;
  walk->asked = 1;
  return 1;
}

// Kept out of line: in the bank's own exports no date needs it.
__attribute__((noinline)) int ApplyShortFormAt(Walk *walk, int i) {
  QifShortDate date;
  if (!FindQifShortDate(walk->data, walk->size, i, &date))
    return 1;
  if (MayAsk(walk) && date.month > 12 && !AskDayFirst(walk))
    return 0;
  SwapQifShortDate(walk->data, i, &date);
  return 1;
}

// The rules at one line start. They change only digits, spaces, date
// separators and the letters M and P, never a line end or a '!' line, so
// the line starts and blocks a walk finds stay the same however many bytes
// it has already changed. Returns 0 only when the user declined the
// question at this line.
KESTROM_SPECIALISED int ApplyRulesAt(Walk *walk, int i, int anyExport) {
  unsigned char *data = walk->data;
  unsigned char c = data[i];
  if (c == 'D') {
    if (anyExport && walk->place.descriptions)
      return 1;
    int rules = anyExport ? kQifAnyExportRule : 0; // all the test reads
    if (!IsQifTwoDigitDate(data, walk->size, i, rules))
      return walk->rules & kQifShortFormRule ? ApplyShortFormAt(walk, i) : 1;
    if (MayAsk(walk) && QifMonthLooksLikeDay(data, i) && !AskDayFirst(walk))
      return 0;
    SwapDatePairs(data, i);
  } else if (c == 'M' || c == 'P') {
    data[i] = c == 'M' ? 'P' : 'M';
  } else if (anyExport && c == '!') {
    walk->place.descriptions =
        QifDescriptionsAfter(data, walk->size, i, walk->place.descriptions);
  }
  return 1;
}

// Visits every line start below end in order (QifLineEndBits, then
// NextQifLineStart for the last bytes). Returns -1 when all were visited,
// else the line start where the user declined. The line ends are found 64
// bytes at a time, which also leaves the inner loop (a branch the CPU
// cannot foresee) once per six lines or so rather than once per line.
KESTROM_SPECIALISED int WalkFrom(Walk *walk, int end, int anyExport) {
  const unsigned char *data = walk->data;
  int first = FirstQifLineStart(data, walk->size, walk->rules, &walk->place);
  walk->place.pastStart = 1;
  if (end <= first)
    return -1;
  if (!ApplyRulesAt(walk, first, anyExport))
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
      if (!ApplyRulesAt(walk, start, anyExport))
        return start;
    }
  }
#endif
  for (;;) {
    int start = NextQifLineStart(data, pos, end, walk->size, crEnds);
    if (start < 0)
      return -1;
    if (!ApplyRulesAt(walk, start, anyExport))
      return start;
    pos = start;
  }
}

int WalkLineStarts(Walk *walk, int end) {
  return walk->rules & kQifAnyExportRule ? WalkFrom(walk, end, 1)
                                         : WalkFrom(walk, end, 0);
}

} // namespace

int ConvertQifPiece(unsigned char *data, int size, int rules,
                    QifConfirmFn confirm, void *context, QifPlace *place) {
  Walk walk = {data, size, rules, confirm, context, 0, *place};
  int declinedAt = WalkLineStarts(&walk, size);
  if (declinedAt >= 0) {
    Walk undo = {data, size, rules, nullptr, nullptr, 0, *place};
    WalkLineStarts(&undo, declinedAt);
    return 0;
  }
  *place = walk.place;
  return 1;
}

int ConvertQifBytes(unsigned char *data, int size, int rules,
                    QifConfirmFn confirm, void *context) {
  QifPlace start = {0, 0};
  return ConvertQifPiece(data, size, rules, confirm, context, &start);
}

void ExchangeQifBytes(unsigned char *data, int size, int end, int rules) {
  Walk walk = {data, size, rules, nullptr, nullptr, 0, {0, 0}};
  WalkLineStarts(&walk, end < size ? end : size);
}
