// Ways out without writing: Cancel, the close box, Alt+F4, and cancelling
// the Open dialog at start-up.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

const char kUntouched[] = "D12/25/99\r\nPCorner Store\r\n^\r\n";

int PressCancelButton(const Session &session) {
  PressButton(session, IDCANCEL);
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
  Session session;
  if (OpenNewFile(setup, "keep.qif", kUntouched, &session) && way.take(session))
    CheckEndsWithCode0(&session, way.what);
  CheckFileBytes(session.path, kUntouched);
  FinishSession(&session);
}

// A cancelled Open dialog is no failure: no box, exit code 0.
void CancelledOpen(const E2eSetup &setup) {
  printf("-- cancelling the Open dialog ends the program silently\n");
  Session session;
  HWND open = StartAtOpenDialog(setup, &session);
  if (open) {
    PostClick(GetDlgItem(open, IDCANCEL));
    HWND box = WaitForProgramWindow(&session.program,
                                    {nullptr, session.main, kMessageText, 0},
                                    kReactionTimeout);
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
