#include "qif_convert.h"

#include "qif_walk.h"

namespace {

int WalkLineStarts(Walk *walk, int end) {
  int shortForms = walk->rules & kQifShortFormRule;
  return walk->rules & kQifAnyExportRule ? WalkFrom(walk, end, 1, shortForms)
                                         : WalkFrom(walk, end, 0, shortForms);
}

} // namespace

int ConvertQifPiece(unsigned char *data, int size, int rules,
                    QifConfirmFn confirm, void *context, QifPlace *place) {
  Walk walk = {data, size, rules, confirm, context, 0, *place};
  int declinedAt = WalkLineStarts(&walk, size);
  if (declinedAt >= 0) {
    Walk undo = {data, size, rules, nullptr, nullptr, 0, *place};
    WalkLineStarts(&undo, declinedAt);
    return 0;
  }
  *place = walk.place;
  return 1;
}

int ConvertQifBytes(unsigned char *data, int size, int rules,
                    QifConfirmFn confirm, void *context) {
  QifPlace start = {0, 0};
  return ConvertQifPiece(data, size, rules, confirm, context, &start);
}

void ExchangeQifBytes(unsigned char *data, int size, int end, int rules) {
  Walk walk = {data, size, rules, nullptr, nullptr, 0, {0, 0}};
  WalkLineStarts(&walk, end < size ? end : size);
}
