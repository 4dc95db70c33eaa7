// Where the conversion rules may change a byte at all: the letter of a line
// that starts with M or P, the four digit places of a line-start date with
// six bytes to spare, a short form's two fields and the separator between
// them, a price's line and the M and D of a header. Tests hold every pass
// to this.
#pragma once

#include <vector>

#include "qif_reference.h"

inline std::vector<bool> RulePlaces(const std::vector<unsigned char> &b) {
  std::vector<bool> allowed(b.size(), false);
  int size = static_cast<int>(b.size());
  for (int i = 0; i < size; ++i) {
    if (!ReferenceLineStart(b.data(), size, i))
      continue;
    if (b[i] == 'M' || b[i] == 'P')
      allowed[i] = true;
    if (b[i] == 'D' && size - i >= 6)
      for (int k : {1, 2, 4, 5})
        allowed[i + k] = true;
    if (b[i] == 'D')
      for (int k = ReferenceShortFormSpan(b.data(), size, i); k > 0; --k)
        allowed[i + k] = true;
    for (int k = i + 1; b[i] == '"' && k < size && b[k] != '\n' && b[k] != '\r';
         ++k)
      allowed[k] = true;
    if (b[i] == '!' && size - i > 9)
      allowed[i + 8] = allowed[i + 9] = true;
  }
  return allowed;
}
