// What the user sees: the dialog centred on the screen, its six controls
// with the template's classes, identifiers, styles and texts. The caption
// is how every scenario finds the dialog.
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"

namespace {

struct ControlLook {
  const char *className;
  int id;
  LONG style;
  const char *text; // null: not compared (the icon)
};

const char kDescription[] =
    "This process converts the dates of a QIF file from MM/DD/YY format to "
    "DD/MM/YY format and swaps Memo and Payee fields for correct operation "
    "in Microsoft Money and Quicken products.";

// In z-order, which is the template's order and the tab order.
const ControlLook kControls[] = {
    {"Static", 0xFFFF, 0x50800803, nullptr},
    {"Static", 0xFFFF, 0x50020000, kDescription},
    {"Edit", 1001, 0x58810001, "layout.qif"},
    {"Button", 1002, 0x50010001, "&Save"},
    {"Button", 1003, 0x50010000, "Save &As..."},
    {"Button", IDCANCEL, 0x50010000, "Cancel"},
};

void CheckControl(HWND control, const ControlLook &look, int index) {
  char className[64] = "";
  GetClassNameA(control, className, sizeof className);
  Check(lstrcmpiA(className, look.className) == 0,
        "control %d has class %s, expected %s", index, className,
        look.className);
  Check(GetDlgCtrlID(control) == look.id, "control %d has id %d, expected %d",
        index, GetDlgCtrlID(control), look.id);
  // In a DS_3DLOOK dialog the system draws a control's WS_BORDER as a
  // sunken client edge and reports it that way; every control also gets
  // WS_EX_NOPARENTNOTIFY from the dialog manager.
  LONG style = GetWindowLongA(control, GWL_STYLE);
  LONG extended = GetWindowLongA(control, GWL_EXSTYLE);
  LONG border = (extended & WS_EX_CLIENTEDGE) ? WS_BORDER : 0;
  Check((style | border) == look.style &&
            (extended & ~(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY)) == 0 &&
            (!border || !(style & WS_BORDER)),
        "control %d has style 0x%08lX, extended 0x%08lX; expected 0x%08lX",
        index, style, extended, look.style);
  if (look.text)
    Check(TextOf(control) == look.text, "control %d says \"%s\"", index,
          TextOf(control).c_str());
}

void CheckControls(HWND dialog) {
  HWND control = GetWindow(dialog, GW_CHILD);
  int count = 0;
  for (; control; control = GetWindow(control, GW_HWNDNEXT), ++count)
    if (count < int(sizeof kControls / sizeof kControls[0]))
      CheckControl(control, kControls[count], count);
  Check(count == 6, "the dialog has %d controls, expected 6", count);
}

void CheckCentred(HWND dialog) {
  RECT rect;
  GetWindowRect(dialog, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  Check(rect.left == x && rect.top == y,
        "the %dx%d dialog is at %ld,%ld; centred is %d,%d", width, height,
        rect.left, rect.top, x, y);
}

void DialogAsDrawn(const E2eSetup &setup) {
  printf("-- the dialog: centred, caption, style, six controls\n");
  std::string path = JoinPath(setup.work, "layout.qif");
  if (!WriteBytes(path, Bytes(kMonthFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session)) {
    CheckCentred(session.main);
    // The template's style plus what the system adds to every shown
    // top-level window; the extended bits are those a modal frame and a
    // dialog always get, so a stray one from the template would show.
    LONG style = GetWindowLongA(session.main, GWL_STYLE);
    Check(style == LONG(0x80C808C4 | WS_VISIBLE | WS_CLIPSIBLINGS),
          "the dialog's style is 0x%08lX", style);
    LONG extended = GetWindowLongA(session.main, GWL_EXSTYLE);
    Check(extended ==
              (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT),
          "the dialog's extended style is 0x%08lX", extended);
    CheckControls(session.main);
    PostClick(GetDlgItem(session.main, IDCANCEL));
    CheckEndsWithCode0(&session, "after Cancel");
  }
  CheckFileBytes(path, Bytes(kMonthFirst));
  FinishSession(&session);
}

} // namespace

void RunLayoutScenarios(const E2eSetup &setup) { DialogAsDrawn(setup); }
