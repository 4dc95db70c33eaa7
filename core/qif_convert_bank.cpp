// The dialog's conversion: the bank's two-digit dates and the payee/memo
// letters at lines that start after an LF, nothing more. A file of its own,
// so that kestrom.exe links this walk alone and not the every-date one.
#include "qif_convert.h"

#include "qif_walk.h"

int ConvertBankQifBytes(unsigned char *data, int size, QifConfirmFn confirm,
                        void *context) {
  Walk walk = {data, size, kQifTwoDigitRule, confirm, context, 0, {0, 0}};
  int declinedAt = WalkFrom(&walk, size, 0, 0);
  if (declinedAt < 0)
    return 1;
  ExchangeBankQifBytes(data, size, declinedAt);
  return 0;
}

void ExchangeBankQifBytes(unsigned char *data, int size, int end) {
  Walk walk = {data, size, kQifTwoDigitRule, nullptr, nullptr, 0, {0, 0}};
  WalkFrom(&walk, end < size ? end : size, 0, 0);
}
