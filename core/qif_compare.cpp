// The dialog's check before it converts: its own rules against those of
// kestrom-cli and the page. A file of its own, so that kestrom.exe links
// the every-date walk only for this and nothing else of qif_convert.cpp.
#include <string.h>

#include "qif_convert.h"
#include "qif_walk.h"

int FindQifRuleDifference(unsigned char *data, int size, unsigned char *copy) {
  memcpy(copy, data, size);
  Walk every = {copy, size, kQifEveryDateRules, nullptr, nullptr, 0, {0, 0}};
  WalkFrom(&every, size, 1, 1);
  ExchangeBankQifBytes(data, size, size);
  int at = 0;
  while (at < size && data[at] == copy[at])
    ++at;
  ExchangeBankQifBytes(data, size, size);
  return at < size ? at : -1;
}
