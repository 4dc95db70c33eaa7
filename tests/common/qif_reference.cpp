#include "qif_reference.h"

#include <ctype.h>

#include <string>
#include <utility>

namespace {

bool Digit(unsigned char c) { return c >= '0' && c <= '9'; }

// The date is the text after i (a D line's D, or the quote before a price's
// date) up to size or the line's end.
bool TwoDigitDate(const unsigned char *data, int size, int i) {
  return size - i >= 6 && Digit(data[i + 1]) && Digit(data[i + 2]) &&
         Digit(data[i + 4]) && Digit(data[i + 5]) &&
         std::string("/-.").find(static_cast<char>(data[i + 3])) !=
             std::string::npos;
}

// "7", "12" or " 7".
bool Field(const std::string &s) {
  return (s.size() == 1 && Digit(s[0])) ||
         (s.size() == 2 && (Digit(s[0]) || s[0] == ' ') && Digit(s[1]));
}

bool Year(std::string s) {
  if (!s.empty() && s[0] == ' ')
    s.erase(0, 1);
  if (s.empty() || s.size() > 4)
    return false;
  for (char c : s)
    if (!Digit(c))
      return false;
  return true;
}

// The text after the 'D' up to the line's CR or LF, or the content's end.
std::string RestOfLine(const unsigned char *data, int size, int i) {
  std::string rest;
  for (int k = i + 1; k < size && data[k] != '\r' && data[k] != '\n'; ++k)
    rest += static_cast<char>(data[k]);
  return rest;
}

// Every way of reading the line as D F1 S1 F2 S2 Y is tried; returns the
// length of F1 S1 F2 (the part that is rewritten) and F1's length, or 0.
int ShortForm(const unsigned char *data, int size, int i, int *firstLength,
              int *month) {
  if (TwoDigitDate(data, size, i))
    return 0;
  std::string rest = RestOfLine(data, size, i);
  for (int a = 1; a <= 2; ++a) {
    for (int b = 1; b <= 2; ++b) {
      if (static_cast<int>(rest.size()) < a + b + 3)
        continue;
      std::string f1 = rest.substr(0, a), f2 = rest.substr(a + 1, b);
      char s1 = rest[a], s2 = rest[a + 1 + b];
      if (Field(f1) && Field(f2) &&
          std::string("/-.").find(s1) != std::string::npos &&
          std::string("/-.'").find(s2) != std::string::npos &&
          Year(rest.substr(a + b + 2))) {
        *firstLength = a;
        *month = std::stoi(f1);
        return a + b + 1;
      }
    }
  }
  return 0;
}

// The line at i as a header: lower case, without the blanks at its end.
std::string Header(const unsigned char *data, int size, int i) {
  std::string line;
  for (int k = i; k < size && data[k] != '\r' && data[k] != '\n'; ++k)
    line += static_cast<char>(tolower(data[k]));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
    line.pop_back();
  return line;
}

enum Block { kTransactions, kList, kPrices };

// Lists: nothing in them is converted. Prices: only their dates are.
// Returns 1 for !Option:MDY, 2 for !Option:DMY, else 0.
int ReadHeader(const unsigned char *data, int size, int i, Block *block) {
  std::string h = Header(data, size, i);
  bool list = h == "!account";
  for (const char *type :
       {"cat", "class", "payee", "security", "budget", "tag"})
    list = list || h == std::string("!type:") + type;
  if (list)
    *block = kList;
  else if (h.compare(0, 6, "!type:") == 0)
    *block = h == "!type:prices" ? kPrices : kTransactions;
  return h == "!option:mdy" ? 1 : h == "!option:dmy" ? 2 : 0;
}

// "SYMBOL",PRICE,"DATE"...: sets *open and *close to the quotes around DATE.
bool PriceDate(const unsigned char *data, int size, int i, int *open,
               int *close) {
  std::string line = static_cast<char>(data[i]) + RestOfLine(data, size, i);
  size_t symbolEnd = line[0] == '"' ? line.find('"', 1) : std::string::npos;
  if (symbolEnd == std::string::npos || line.compare(symbolEnd, 2, "\",") != 0)
    return false;
  size_t priceEnd = line.find(',', symbolEnd + 2);
  if (priceEnd == std::string::npos || line.compare(priceEnd, 2, ",\"") != 0)
    return false;
  size_t dateEnd = line.find('"', priceEnd + 2);
  if (dateEnd == std::string::npos)
    return false;
  *open = i + static_cast<int>(priceEnd) + 1;
  *close = i + static_cast<int>(dateEnd);
  return true;
}

// One position of the walk; returns true where the content looks
// day-first: a month over 12, or !Option:DMY.
bool Step(unsigned char *data, int size, int i, Block *block) {
  if (!ReferenceLineStart(data, size, i))
    return false;
  int order = data[i] == '!' ? ReadHeader(data, size, i, block) : 0;
  // A list is no transaction: only a price's date, between its quotes, is
  // converted there, as the rest of a D line is. at is its D or quote.
  int month = -1, firstLength = 0, span = 0, at = i, end = size;
  bool list = *block != kTransactions;
  bool date = list ? *block == kPrices && PriceDate(data, size, i, &at, &end)
                   : data[i] == 'D';
  if (date && TwoDigitDate(data, end, at))
    month = (data[at + 1] - '0') * 10 + (data[at + 2] - '0');
  else if (date && (span = ShortForm(data, end, at, &firstLength, &month)) == 0)
    month = -1;
  if (order)
    std::swap(data[i + 8], data[i + 9]);
  if (span) {
    std::string part(data + at + 1, data + at + 1 + span);
    std::string swapped = part.substr(firstLength + 1) + part[firstLength] +
                          part.substr(0, firstLength);
    swapped.copy(reinterpret_cast<char *>(data + at + 1), span);
  } else if (month >= 0) {
    std::swap(data[at + 1], data[at + 4]);
    std::swap(data[at + 2], data[at + 5]);
  }
  if (data[i] == 'M' && !list)
    data[i] = 'P';
  else if (data[i] == 'P' && !list)
    data[i] = 'M';
  return month > 12 || order == 2;
}

} // namespace

bool ReferenceLineStart(const unsigned char *data, int size, int i) {
  bool mark =
      size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
  if (i < 3 && mark)
    return false;
  return i == 0 || (mark && i == 3) || data[i - 1] == '\n' ||
         (data[i - 1] == '\r' && data[i] != '\n');
}

int ReferenceShortFormSpan(const unsigned char *data, int size, int i) {
  int firstLength = 0, month = 0;
  return ShortForm(data, size, i, &firstLength, &month);
}

bool ReferenceConvert(unsigned char *data, int size) {
  return ReferenceExchange(data, size, size);
}

bool ReferenceExchange(unsigned char *data, int size, int end) {
  bool dayFirst = false;
  Block block = kTransactions;
  for (int i = 0; i < end && i < size; ++i)
    dayFirst = Step(data, size, i, &block) || dayFirst;
  return dayFirst;
}
