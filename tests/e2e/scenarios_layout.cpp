// What the user sees: the dialog centred on the screen, its six controls
// with the template's classes, identifiers, styles and texts. The caption
// is how every scenario finds the dialog.
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"
#include "screen_pixels.h"

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
    {"Edit", kFileNameId, 0x58810001, "layout.qif"},
    {"Button", kSaveId, 0x50010001, "&Save"},
    {"Button", kSaveAsId, 0x50010000, "Save &As..."},
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
  Session session;
  if (OpenNewFile(setup, "layout.qif", Bytes(kMonthFirst), &session)) {
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
    PressButton(session, IDCANCEL);
    CheckEndsWithCode0(&session, "after Cancel");
  }
  CheckFileBytes(session.path, Bytes(kMonthFirst));
  FinishSession(&session);
}

// The icon as the program's own resource draws it here, at one size.
struct IconImage {
  int side;
  Pixels colour;
  Pixels mask;
};

int LoadProgramIcon(const E2eSetup &setup, IconImage *image) {
  HMODULE module =
      LoadLibraryExA(setup.kestrom.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!Check(module != nullptr, "cannot read the resources of kestrom.exe"))
    return 0;
  HICON icon = static_cast<HICON>(
      LoadImageA(module, MAKEINTRESOURCEA(101), IMAGE_ICON, 32, 32, 0));
  int drawn =
      icon && RenderIcon(icon, image->side, &image->colour, &image->mask);
  if (icon)
    DestroyIcon(icon);
  FreeLibrary(module);
  int opaque = 0;
  for (DWORD pixel : image->mask.rgb)
    opaque += pixel == 0;
  // A blank image would be found anywhere.
  return Check(drawn && opaque > image->side * image->side / 4,
               "icon 101 does not draw at %d pixels", image->side);
}

// Painting follows the show a little later: look until it is there.
int WaitForIcon(const RECT &area, const IconImage &image) {
  DWORD start = GetTickCount();
  Pixels screen;
  do {
    if (CaptureScreen(area, &screen) &&
        ContainsIcon(screen, image.colour, image.mask))
      return 1;
    Sleep(50);
  } while (GetTickCount() - start < kReactionTimeout);
  return 0;
}

// The icon control shows icon 101, drawn here to fill its client area
// inside the sunken edge; the caption shows it small, as the window's small
// icon.
void IconsAsDrawn(const E2eSetup &setup) {
  printf("-- the icon in the dialog and in its caption\n");
  Session session;
  if (OpenNewFile(setup, "icons.qif", Bytes(kMonthFirst), &session)) {
    HWND iconControl = GetWindow(session.main, GW_CHILD);
    RECT client, caption;
    GetClientRect(iconControl, &client);
    MapWindowPoints(iconControl, nullptr, reinterpret_cast<POINT *>(&client),
                    2);
    GetWindowRect(session.main, &caption);
    caption.bottom = caption.top + GetSystemMetrics(SM_CYCAPTION) +
                     2 * GetSystemMetrics(SM_CYDLGFRAME);
    IconImage large = {client.right - client.left, {}, {}};
    IconImage small = {GetSystemMetrics(SM_CXSMICON), {}, {}};
    if (LoadProgramIcon(setup, &large))
      Check(WaitForIcon(client, large),
            "the icon control does not show icon 101");
    if (LoadProgramIcon(setup, &small))
      Check(WaitForIcon(caption, small), "the caption does not show icon 101");
    PressButton(session, IDCANCEL);
    CheckEndsWithCode0(&session, "after Cancel");
  }
  FinishSession(&session);
}

} // namespace

void RunLayoutScenarios(const E2eSetup &setup) {
  DialogAsDrawn(setup);
  IconsAsDrawn(setup);
}
