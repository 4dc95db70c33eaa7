// Where the conversion rules may change a byte at all: the letter of a line
// that starts with M or P, and the four digit places of a line-start date
// with six bytes to spare. Tests hold every pass to this.
#ifndef KESTROM_TESTS_QIF_RULE_PLACES_H
#define KESTROM_TESTS_QIF_RULE_PLACES_H

#include <vector>

inline std::vector<bool> RulePlaces(const std::vector<unsigned char> &b) {
  std::vector<bool> allowed(b.size(), false);
  for (size_t i = 0; i < b.size(); ++i) {
    if (i != 0 && b[i - 1] != '\n')
      continue;
    if (b[i] == 'M' || b[i] == 'P')
      allowed[i] = true;
    if (b[i] == 'D' && b.size() - i >= 6)
      for (size_t k : {1, 2, 4, 5})
        allowed[i + k] = true;
  }
  return allowed;
}

#endif
