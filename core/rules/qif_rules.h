// The tests the conversion makes at a line-start 'D', shared by the pass
// and the counts, which must agree with it.
#pragma once

// True for a control byte other than TAB, LF and CR: no text file has one.
inline int IsQifBinaryByte(unsigned char c) {
  return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// True for an ASCII digit; no byte above 0x7F counts as one.
inline int IsQifDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// True when the date line at i has digits at i+1, i+2, i+4 and i+5.
inline int HasQifDateDigits(const unsigned char *data, int size, int i) {
  return size - i >= 6 && IsQifDigit(data[i + 1]) && IsQifDigit(data[i + 2]) &&
         IsQifDigit(data[i + 4]) && IsQifDigit(data[i + 5]);
}

inline int IsQifFieldSeparator(unsigned char c) {
  return c == '/' || c == '-' || c == '.';
}

// True for a two-digit date, MM?DD, with '/', '-' or '.' between month and
// day: D20070122, read as month 20 and day 01, came out garbled.
inline int IsQifTwoDigitDate(const unsigned char *data, int size, int i) {
  return HasQifDateDigits(data, size, i) && IsQifFieldSeparator(data[i + 3]);
}

// The two-digit rule's exchange: MM?DD becomes DD?MM.
inline void SwapQifDatePairs(unsigned char *data, int i) {
  unsigned char m1 = data[i + 1], m2 = data[i + 2];
  data[i + 1] = data[i + 4];
  data[i + 2] = data[i + 5];
  data[i + 4] = m1;
  data[i + 5] = m2;
}

// True for a month pair of 13 to 99: the dates may be day-first already.
inline int QifMonthLooksLikeDay(const unsigned char *data, int i) {
  return data[i + 1] >= '2' || (data[i + 1] == '1' && data[i + 2] >= '3');
}

// Where a short-form date line's fields lie: D F1 S1 F2 S2 Y and nothing
// more up to its CR or LF. F1 and F2 are one digit, two, or a space and a
// digit; S1 is '/', '-' or '.', S2 the same or '\''; Y is one to four
// digits, after at most one space. A line the two-digit rule takes is none.
struct QifShortDate {
  int firstLength;  // bytes of F1, which starts at i + 1
  int secondLength; // bytes of F2, which starts at i + firstLength + 2
  int month;        // F1's value, a space ignored
};

// Returns the length of the field at p, 1 or 2, or 0 when there is none.
inline int QifShortField(const unsigned char *p, const unsigned char *end) {
  if (p < end && *p == ' ')
    return p + 1 < end && IsQifDigit(p[1]) ? 2 : 0;
  if (p >= end || !IsQifDigit(*p))
    return 0;
  return p + 1 < end && IsQifDigit(p[1]) ? 2 : 1;
}

// True for any separator a date writes: those between fields, and the
// apostrophe that may stand before the year (D2/14'2020).
inline int IsQifDateSeparator(unsigned char c) {
  return IsQifFieldSeparator(c) || c == '\'';
}

inline int EndsQifDate(const unsigned char *data, int limit, int p) {
  return p == limit || data[p] == '\r' || data[p] == '\n';
}

// True when the line-start 'D' at i is a short-form date; fills date.
inline int FindQifShortDate(const unsigned char *data, int size, int i,
                            QifShortDate *date) {
  if (HasQifDateDigits(data, size, i))
    return 0;
  const unsigned char *end = data + size;
  const unsigned char *p = data + i + 1;
  int first = QifShortField(p, end);
  if (!first || p + first >= end || !IsQifFieldSeparator(p[first]))
    return 0;
  const unsigned char *q = p + first + 1;
  int second = QifShortField(q, end);
  if (!second || q + second >= end || !IsQifDateSeparator(q[second]))
    return 0;
  const unsigned char *year = q + second + 1;
  if (year < end && *year == ' ')
    ++year;
  int digits = 0;
  while (digits < 5 && year + digits < end && IsQifDigit(year[digits]))
    ++digits;
  if (digits < 1 || digits > 4 ||
      !EndsQifDate(data, size, static_cast<int>(year + digits - data)))
    return 0;
  date->firstLength = first;
  date->secondLength = second;
  date->month = first == 2 && p[0] != ' ' ? (p[0] - '0') * 10 + (p[1] - '0')
                                          : p[first - 1] - '0';
  return 1;
}

// Makes the two fields trade places: D F2 S1 F1 S2 Y. Run twice, it gives
// back the line it started from.
inline void SwapQifShortDate(unsigned char *data, int i,
                             const QifShortDate *date) {
  unsigned char was[5];
  int first = date->firstLength, second = date->secondLength;
  for (int k = 0; k < first + 1 + second; ++k)
    was[k] = data[i + 1 + k];
  unsigned char *out = data + i + 1;
  for (int k = 0; k < second; ++k)
    *out++ = was[first + 1 + k];
  *out++ = was[first];
  for (int k = 0; k < first; ++k)
    *out++ = was[k];
}

// True when the line-start 'D' at i reads as a date: an optional space,
// digits, then a separator or the line's end. One that no rule converts
// (D1/5, D12345) is a date left alone; D2 accounts is no date.
inline int ReadsAsQifDate(const unsigned char *data, int size, int i) {
  int p = i + 1;
  if (p < size && data[p] == ' ')
    ++p;
  int digitsFrom = p;
  while (p < size && IsQifDigit(data[p]))
    ++p;
  return p > digitsFrom &&
         (EndsQifDate(data, size, p) || IsQifDateSeparator(data[p]));
}

// Reads up to most digits at *p and moves *p past them. Returns the number
// they make, or -1 when there is no digit there.
inline int ReadQifNumber(const unsigned char *data, int limit, int *p,
                         int most) {
  int value = 0, digits = 0;
  for (; digits < most && *p < limit && IsQifDigit(data[*p]); ++digits)
    value = value * 10 + (data[(*p)++] - '0');
  return digits ? value : -1;
}

inline int SkipQifBlanks(const unsigned char *data, int limit, int p) {
  while (p < limit && (data[p] == ' ' || data[p] == '\t'))
    ++p;
  return p;
}

// True for a year-first date, blanks around it aside: YYYY-M-D with one or
// two digits for month and day and the same separator twice, or YYYYMMDD;
// a year of 1900 to 2099, a month of 1 to 12, a day of 1 to 31. Such a date
// reads the same in either order and is kept as written.
inline int IsQifYearFirstDate(const unsigned char *data, int limit, int at) {
  int p = SkipQifBlanks(data, limit, at + 1), from = p;
  int year = ReadQifNumber(data, limit, &p, 8), month, day;
  if (p - from == 8) {
    month = year / 100 % 100;
    day = year % 100;
    year /= 10000;
  } else {
    if (p - from != 4 || p == limit || !IsQifFieldSeparator(data[p]))
      return 0;
    unsigned char separator = data[p++];
    month = ReadQifNumber(data, limit, &p, 2);
    if (p == limit || data[p++] != separator)
      return 0;
    day = ReadQifNumber(data, limit, &p, 2);
  }
  return EndsQifDate(data, limit, SkipQifBlanks(data, limit, p)) &&
         year >= 1900 && year <= 2099 && month >= 1 && month <= 12 &&
         day >= 1 && day <= 31;
}
