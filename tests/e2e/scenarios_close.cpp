// Ways out without writing: Cancel, the close box, Alt+F4, and cancelling
// the Open dialog at start-up.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

const char kUntouched[] = "D12/25/99\r\nPCorner Store\r\n^\r\n";

// Looks for the close box along the caption, asking the window itself what
// each point is, so no frame metrics are guessed.
int FindCloseBox(HWND window, POINT *point) {
  RECT rect;
  GetWindowRect(window, &rect);
  for (int y = rect.top + 2; y < rect.top + 40; y += 2)
    for (int x = rect.right - 2; x > rect.right - 60; x -= 2) {
      DWORD_PTR hit = 0;
      if (SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y),
                              SMTO_ABORTIFHUNG, 5000, &hit) &&
          hit == HTCLOSE) {
        point->x = x;
        point->y = y;
        return 1;
      }
    }
  return 0;
}

int PressCancelButton(const Session &session) {
  PostClick(GetDlgItem(session.main, IDCANCEL));
  return 1;
}

// A real click, so the system turns it into SC_CLOSE as it does for a
// person's mouse.
int ClickCloseBox(const Session &session) {
  POINT point = {0, 0};
  if (!Check(FindCloseBox(session.main, &point), "the dialog has no close box"))
    return 0;
  return ClickAt(point.x, point.y);
}

int PressAltF4(const Session &session) {
  return PressKeys(session.main, "alt+F4");
}

struct WayOut {
  const char *what;
  int (*take)(const Session &session);
};

const WayOut kWaysOut[] = {
    {"the Cancel button", PressCancelButton},
    {"the close box", ClickCloseBox},
    {"Alt+F4", PressAltF4},
};

void EndsWithoutWriting(const E2eSetup &setup, const WayOut &way) {
  printf("-- %s ends the program and writes nothing\n", way.what);
  std::string path = JoinPath(setup.work, "keep.qif");
  if (!WriteBytes(path, kUntouched))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session) && way.take(session))
    CheckEndsWithCode0(&session, way.what);
  CheckFileBytes(path, kUntouched);
  FinishSession(&session);
}

// A cancelled Open dialog is no failure: no box, exit code 0.
void CancelledOpen(const E2eSetup &setup) {
  printf("-- cancelling the Open dialog ends the program silently\n");
  Session session;
  if (!StartKestrom(setup, &session))
    return;
  HWND open = WaitForProgramWindow(&session.program, {"Open", nullptr, 0, 0},
                                   kWindowTimeout);
  if (Check(open != nullptr, "no Open dialog at start-up")) {
    HWND main = GetWindow(open, GW_OWNER);
    PostClick(GetDlgItem(open, IDCANCEL));
    HWND box = WaitForProgramWindow(
        &session.program, {nullptr, main, kMessageText, 0}, kReactionTimeout);
    Check(box == nullptr, "a message box appeared after the cancelled Open");
    CheckEndsWithCode0(&session, "after the cancelled Open");
  }
  FinishSession(&session);
}

} // namespace

void RunCloseScenarios(const E2eSetup &setup) {
  for (const WayOut &way : kWaysOut)
    EndsWithoutWriting(setup, way);
  CancelledOpen(setup);
}
