// Ways out without writing: Cancel, the close box, Alt+F4, and cancelling
// the Open dialog at start-up.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

const char kUntouched[] = "D12/25/99\r\nPCorner Store\r\n^\r\n";

int PressCancelButton(const Session &session) {
  PostClick(GetDlgItem(session.main, IDCANCEL));
  return 1;
}

// A real click, so the system turns it into SC_CLOSE as it does for a
// person's mouse.
int ClickOnCloseBox(const Session &session) {
  return Check(ClickCloseBox(session.main), "cannot click the close box");
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
    {"the close box", ClickOnCloseBox},
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
