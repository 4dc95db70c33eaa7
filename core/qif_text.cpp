// The conversion applied to the loaded document, with the question shown as
// a real message box.
#include "qif_convert.h"
#include "qif_document.h"
#include "qif_messages.h"

namespace {

int ConfirmWithOwner(void *owner) {
  return ConfirmConversion(static_cast<HWND>(owner));
}

} // namespace

int ConfirmConversion(HWND owner) {
  return AskYesNo(owner, MSG_CONFIRM_CONVERSION, SAVE_CAPTION);
}

// The dialog converts the bank's own two-digit dates only, exactly as it
// always has; the short forms are kestrom-cli's and the page's.
int ConvertQifText(HWND owner) {
  return ConvertBankQifBytes(QifDocument.data, QifDocument.size,
                             ConfirmWithOwner, owner);
}

void ExchangeQifFields(int end) {
  ExchangeBankQifBytes(QifDocument.data, QifDocument.size, end);
}

// A file that kestrom-cli and the page would convert otherwise (a short
// date, CR-alone line ends, a list, a price list, the date-order header)
// would be left garbled or half converted by the dialog's rules: Save
// refuses it before asking anything, and says where and what converts it.
int CheckWholeConversion(HWND owner) {
  void *copy = GlobalAlloc(GMEM_FIXED, SIZE_T(QifDocument.size));
  if (!copy) {
    ShowWarning(owner, MSG_UNABLE_TO_SAVE "\n\n" MSG_NO_ROOM_TO_CHECK,
                SAVE_CAPTION);
    return 0;
  }
  int at = FindQifRuleDifference(QifDocument.data, QifDocument.size,
                                 static_cast<unsigned char *>(copy));
  GlobalFree(copy);
  if (at < 0)
    return 1;
  char text[512];
  wsprintfA(text, MSG_UNABLE_TO_SAVE "\n\n" MSG_NOT_AS_THE_BANK_WRITES,
            QifLineNumber(QifDocument.data, QifDocument.size, at));
  ShowWarning(owner, text, SAVE_CAPTION);
  return 0;
}
