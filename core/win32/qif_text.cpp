#include "qif_check.h"
#include "qif_convert.h"
#include "qif_document.h"
#include "qif_messages.h"

namespace {

// The longest part of a date's line a question shows.
const int kShownDate = 40;

void NoteFirstLeftAlone(void *first, int, int offset) {
  int *at = static_cast<int *>(first);
  if (*at < 0)
    *at = offset;
}

int AskLeftAlone(HWND owner, const QifCheckCounts *counts, int at) {
  char date[kShownDate + 1], text[sizeof MSG_ASK_LEFT_ALONE + kShownDate + 16];
  int length = QifLineLength(QifDocument.data, QifDocument.size, at);
  lstrcpynA(date, reinterpret_cast<const char *>(QifDocument.data + at),
            (length < kShownDate ? length : kShownDate) + 1);
  wsprintfA(text, MSG_ASK_LEFT_ALONE, counts->firstLeftAloneLine, date);
  return AskYesNo(owner, text, SAVE_CAPTION);
}

} // namespace

int DecideQifDocument(QifCheckCounts *counts, int *firstLeftAlone) {
  *counts = QifCheckCounts{};
  *firstLeftAlone = -1;
  CountQifPiece(QifDocument.data, QifDocument.size, NoteFirstLeftAlone,
                firstLeftAlone, counts);
  return DecideQifConversion(counts, 1);
}

int ConfirmConversion(HWND owner) {
  return AskYesNo(owner, MSG_CONFIRM_CONVERSION, SAVE_CAPTION);
}

// Every question comes before a byte changes. A file with binary data never
// loads.
int ConvertQifText(HWND owner) {
  QifCheckCounts counts;
  int at;
  int verdict = DecideQifDocument(&counts, &at);
  if ((verdict & kQifRefuse) ||
      ((verdict & kQifAskNoMark) &&
       !AskYesNo(owner, MSG_ASK_NO_QIF_MARK, SAVE_CAPTION)) ||
      ((verdict & kQifAskDayFirst) && !ConfirmConversion(owner)) ||
      ((verdict & kQifAskLeftAlone) && !AskLeftAlone(owner, &counts, at)))
    return 0;
  ExchangeQifFields(QifDocument.size);
  return 1;
}

void ExchangeQifFields(int end) {
  ExchangeQifBytes(QifDocument.data, QifDocument.size, end);
}
