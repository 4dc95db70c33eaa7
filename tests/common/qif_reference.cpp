#include "qif_reference.h"

namespace {

bool Digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool LineStart(const unsigned char *data, int i) {
  return i == 0 || data[i - 1] == '\n';
}

// One position of the walk; returns false when the question was declined.
bool Step(unsigned char *data, int size, int i, QifConfirmFn confirm,
          void *context, bool *asked) {
  if (!LineStart(data, i))
    return true;
  if (data[i] == 'D' && size - i >= 6 && Digit(data[i + 1]) &&
      Digit(data[i + 2]) && Digit(data[i + 4]) && Digit(data[i + 5])) {
    int month = (data[i + 1] - '0') * 10 + (data[i + 2] - '0');
    if (confirm && month > 12 && !*asked) {
      if (!confirm(context))
        return false;
      *asked = true;
    }
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

int ReferenceConvert(unsigned char *data, int size, QifConfirmFn confirm,
                     void *context) {
  bool asked = false;
  for (int i = 0; i < size; ++i) {
    if (!Step(data, size, i, confirm, context, &asked)) {
      ReferenceExchange(data, size, i);
      return 0;
    }
  }
  return 1;
}

void ReferenceExchange(unsigned char *data, int size, int end) {
  bool asked = false;
  for (int i = 0; i < end && i < size; ++i)
    Step(data, size, i, nullptr, nullptr, &asked);
}
