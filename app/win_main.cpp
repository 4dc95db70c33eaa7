// Start-up, the message loop and the single clean-up.
#include "app.h"
#include "command_line.h"
#include "dll_search.h"
#include "qif_document.h"
#include "qif_messages.h"
#include "resource.h"

HINSTANCE g_appInstance;
HICON g_appIcon;
HWND g_mainDialog;

namespace {

void SetWindowIcons(HWND window) {
  SendMessageA(window, WM_SETICON, ICON_BIG, LPARAM(g_appIcon));
  SendMessageA(window, WM_SETICON, ICON_SMALL, LPARAM(g_appIcon));
}

// IsDialogMessageA gives the modeless dialog its keyboard: Tab, Enter for
// the default button and Esc for Cancel. GetMessageA's -1 only means a bad
// argument; it ends the loop rather than spinning on it.
void RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(g_mainDialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

} // namespace

// The Open dialog runs inside CreateDialogParamA (from WM_INITDIALOG), while
// the main dialog is still hidden; a failed open has already posted Cancel,
// which the loop delivers. A file given on the command line (dropped on the
// exe, "Open with", "Send To") takes the Open dialog's place.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  LimitDllSearchToSystem32();
  char given[MAX_PATH];
  int files = FirstArgument(commandLine, given, MAX_PATH);
  if (files > 1) {
    ShowWarning(nullptr, MSG_START_WITH_ONE_FILE, KESTROM_CAPTION);
    return 0;
  }
  g_appInstance = instance;
  g_appIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APPICON));
  g_mainDialog =
      CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                         MainDialogProc, files ? LPARAM(given) : 0);
  if (!g_mainDialog)
    return 0;
  SetWindowIcons(g_mainDialog);
  ShowWindow(g_mainDialog, SW_SHOW);
  RunMessageLoop();
  DestroyWindow(g_mainDialog);
  ReleaseQifDocument();
  return 0;
}
