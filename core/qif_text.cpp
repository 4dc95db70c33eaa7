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

int ConvertQifText(HWND owner) {
  return ConvertQifBytes(QifDocument.data, QifDocument.size, ConfirmWithOwner,
                         owner);
}

void ExchangeQifFields(int end) {
  ExchangeQifBytes(QifDocument.data, QifDocument.size, end);
}
