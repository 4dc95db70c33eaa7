// The tests the conversion makes at a line-start 'D', shared by everything
// that must agree with it: the pass itself and the command-line tool's
// --check counts.
#ifndef KESTROM_CORE_QIF_RULES_H
#define KESTROM_CORE_QIF_RULES_H

// Only the ASCII digits count; no byte above 0x7F does.
inline int IsQifDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// True when the date line at i has the four digits the exchange needs, with
// the six bytes from the 'D' within size. The separator at i+3 is not looked
// at.
inline int HasQifDateDigits(const unsigned char *data, int size, int i) {
  return size - i >= 6 && IsQifDigit(data[i + 1]) && IsQifDigit(data[i + 2]) &&
         IsQifDigit(data[i + 4]) && IsQifDigit(data[i + 5]);
}

// A month pair of 13 to 99 suggests the dates are already day-first. Only
// meaningful where HasQifDateDigits holds.
inline int QifMonthLooksLikeDay(const unsigned char *data, int i) {
  return data[i + 1] >= '2' || (data[i + 1] == '1' && data[i + 2] >= '3');
}

#endif
