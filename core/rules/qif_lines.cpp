#include "qif_lines.h"

namespace {

unsigned char QifLower(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

int QifLineOpensWith(const unsigned char *data, int length, int i,
                     const char *word) {
  for (int k = 0; word[k]; ++k)
    if (k >= length || QifLower(data[i + k]) != word[k])
      return 0;
  return 1;
}

// Returns the header's length without its line end and the blanks before.
int QifHeaderLength(const unsigned char *data, int size, int i) {
  int end = i + QifLineLength(data, size, i);
  while (end > i && (data[end - 1] == ' ' || data[end - 1] == '\t'))
    --end;
  return end - i;
}

int IsQifHeader(const unsigned char *data, int length, int i,
                const char *word) {
  int k = 0;
  while (word[k])
    ++k;
  return length == k && QifLineOpensWith(data, length, i, word);
}

// Returns where a field ends before its line does: the first stop byte from
// p on, or -1 when a CR, an LF or size comes first.
int QifFieldEnd(const unsigned char *data, int size, int p,
                unsigned char stop) {
  while (p < size && data[p] != stop && data[p] != '\n' && data[p] != '\r')
    ++p;
  return p < size && data[p] == stop ? p : -1;
}

} // namespace

int QifBlockAfter(const unsigned char *data, int size, int i, int block) {
  static const char *const kLists[] = {
      "!account",       "!type:cat",    "!type:class", "!type:payee",
      "!type:security", "!type:budget", "!type:tag"};
  int length = QifHeaderLength(data, size, i);
  for (const char *list : kLists)
    if (IsQifHeader(data, length, i, list))
      return kQifList;
  if (IsQifHeader(data, length, i, "!type:prices"))
    return kQifPrices;
  return QifLineOpensWith(data, length, i, "!type:") ? kQifTransactions : block;
}

int QifDateOrderAt(const unsigned char *data, int size, int i) {
  int length = QifHeaderLength(data, size, i);
  if (IsQifHeader(data, length, i, "!option:mdy"))
    return kQifMonthFirstHeader;
  return IsQifHeader(data, length, i, "!option:dmy") ? kQifDayFirstHeader
                                                     : kQifNoDateOrder;
}

int FindQifPriceDate(const unsigned char *data, int size, int i, int *end) {
  if (data[i] != '"')
    return 0;
  int p = QifFieldEnd(data, size, i + 1, '"');
  if (p < 0 || p + 1 >= size || data[p + 1] != ',')
    return 0;
  p = QifFieldEnd(data, size, p + 2, ',');
  if (p < 0 || p + 1 >= size || data[p + 1] != '"')
    return 0;
  *end = QifFieldEnd(data, size, p + 2, '"');
  return *end < 0 ? 0 : p + 1;
}
