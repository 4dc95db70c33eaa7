#include "qif_reference.h"

#include <ctype.h>

#include <string>

namespace {

bool Digit(unsigned char c) { return c >= '0' && c <= '9'; }

bool AnyExport(int rules) { return rules & kQifAnyExportRule; }

bool TwoDigitDate(const unsigned char *data, int size, int i, int rules) {
  return data[i] == 'D' && size - i >= 6 && Digit(data[i + 1]) &&
         Digit(data[i + 2]) && Digit(data[i + 4]) && Digit(data[i + 5]) &&
         (!AnyExport(rules) || std::string("/-.").find(static_cast<char>(
                                   data[i + 3])) != std::string::npos);
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
int ShortForm(const unsigned char *data, int size, int i, int rules,
              int *firstLength, int *month) {
  if (data[i] != 'D' || TwoDigitDate(data, size, i, rules))
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

// Account, category and class lists: their D lines are descriptions.
void ReadHeader(const unsigned char *data, int size, int i,
                bool *descriptions) {
  std::string header = Header(data, size, i);
  if (header == "!account" || header == "!type:cat" || header == "!type:class")
    *descriptions = true;
  else if (header.compare(0, 6, "!type:") == 0)
    *descriptions = false;
}

// One position of the walk; returns false when the question was declined.
bool Step(unsigned char *data, int size, int i, int rules, QifConfirmFn confirm,
          void *context, bool *asked, bool *descriptions) {
  if (!ReferenceLineStart(data, size, i, rules))
    return true;
  if (data[i] == '!' && AnyExport(rules))
    ReadHeader(data, size, i, descriptions);
  int month = -1, firstLength = 0, span = 0;
  // A description is no date: only the letter rule applies to its line.
  if (!*descriptions && TwoDigitDate(data, size, i, rules))
    month = (data[i + 1] - '0') * 10 + (data[i + 2] - '0');
  else if (!*descriptions && (rules & kQifShortFormRule) &&
           (span = ShortForm(data, size, i, rules, &firstLength, &month)) == 0)
    month = -1;
  if (month >= 0 && confirm && month > 12 && !*asked) {
    if (!confirm(context))
      return false;
    *asked = true;
  }
  if (span) {
    std::string part(data + i + 1, data + i + 1 + span);
    std::string swapped = part.substr(firstLength + 1) + part[firstLength] +
                          part.substr(0, firstLength);
    swapped.copy(reinterpret_cast<char *>(data + i + 1), span);
  } else if (month >= 0) {
    unsigned char m1 = data[i + 1], m2 = data[i + 2];
    data[i + 1] = data[i + 4];
    data[i + 2] = data[i + 5];
    data[i + 4] = m1;
    data[i + 5] = m2;
  }
  if (data[i] == 'M')
    data[i] = 'P';
  else if (data[i] == 'P')
    data[i] = 'M';
  return true;
}

} // namespace

bool ReferenceLineStart(const unsigned char *data, int size, int i, int rules) {
  if (!AnyExport(rules))
    return i == 0 || data[i - 1] == '\n';
  bool mark =
      size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
  if (i < 3 && mark)
    return false;
  return i == 0 || (mark && i == 3) || data[i - 1] == '\n' ||
         (data[i - 1] == '\r' && data[i] != '\n');
}

int ReferenceShortFormSpan(const unsigned char *data, int size, int i,
                           int rules) {
  int firstLength = 0, month = 0;
  return ShortForm(data, size, i, rules, &firstLength, &month);
}

int ReferenceConvert(unsigned char *data, int size, int rules,
                     QifConfirmFn confirm, void *context) {
  bool asked = false, descriptions = false;
  for (int i = 0; i < size; ++i) {
    if (!Step(data, size, i, rules, confirm, context, &asked, &descriptions)) {
      ReferenceExchange(data, size, i, rules);
      return 0;
    }
  }
  return 1;
}

void ReferenceExchange(unsigned char *data, int size, int end, int rules) {
  bool asked = false, descriptions = false;
  for (int i = 0; i < end && i < size; ++i)
    Step(data, size, i, rules, nullptr, nullptr, &asked, &descriptions);
}
