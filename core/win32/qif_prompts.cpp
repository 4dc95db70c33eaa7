#include "qif_document.h"

void ShowWarning(HWND owner, const char *text, const char *caption) {
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONWARNING);
}

// Only an explicit Yes counts: a box closed any other way means no.
int AskYesNo(HWND owner, const char *text, const char *caption) {
  return MessageBoxA(owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
