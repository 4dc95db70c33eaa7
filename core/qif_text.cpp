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
