// Real keystrokes through the X server: Enter, Esc, Tab and the mnemonics,
// and a whole run done from the keyboard.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

// A mistake in one step must not leave the next waiting on a dead program.
int KeyMovesFocus(const Session &session, const char *keys, int id) {
  HWND expected = GetDlgItem(session.main, id);
  if (!PressKeys(session.main, keys))
    return 0;
  if (WaitForFocus(session.main, expected, kReactionTimeout))
    return 1;
  HWND focus = FocusOf(session.main);
  return Check(0, "%s moved the focus to id %d, expected %d", keys,
               focus ? GetDlgCtrlID(focus) : 0, id);
}

// A key that ends the run, and the file it leaves.
struct EndingKey {
  const char *keys;
  const char *what;
  const char *leaves;
};

const EndingKey kEndingKeys[] = {
    {"Return", "Enter presses Save", kMonthFirstConverted},
    {"Escape", "Esc ends the program and writes nothing", kMonthFirst},
};

void KeyEndsTheRun(const E2eSetup &setup, const EndingKey &key) {
  printf("-- %s\n", key.what);
  Session session;
  if (OpenNewFile(setup, "key.qif", Bytes(kMonthFirst), &session) &&
      PressKeys(session.main, key.keys))
    CheckEndsWithCode0(&session, key.keys);
  CheckFileBytes(session.path, Bytes(key.leaves));
  FinishSession(&session);
}

// The disabled name box and the statics take no focus: Tab cycles through
// the three buttons only, in both directions.
void TabVisitsTheButtons(const E2eSetup &setup) {
  printf("-- Tab visits Save, Save As and Cancel only\n");
  Session session;
  if (OpenNewFile(setup, "tab.qif", Bytes(kMonthFirst), &session)) {
    HWND focus = FocusOf(session.main);
    Check(focus == GetDlgItem(session.main, kSaveId),
          "the focus starts on id %d, not on Save",
          focus ? GetDlgCtrlID(focus) : 0);
    if (KeyMovesFocus(session, "Tab", kSaveAsId) &&
        KeyMovesFocus(session, "Tab", IDCANCEL) &&
        KeyMovesFocus(session, "Tab", kSaveId) &&
        KeyMovesFocus(session, "shift+Tab", IDCANCEL) &&
        KeyMovesFocus(session, "shift+Tab", kSaveAsId) &&
        PressKeys(session.main, "Escape"))
      CheckEndsWithCode0(&session, "after Esc");
  }
  CheckFileBytes(session.path, Bytes(kMonthFirst));
  FinishSession(&session);
}

// Typed path, Alt+A for Save As, Esc to leave it, Alt+S to save: no mouse.
void KeyboardOnlyRun(const E2eSetup &setup) {
  printf("-- a whole run from the keyboard\n");
  Session session;
  if (!PlaceFile(setup, "typed.qif", Bytes(kMonthFirst), &session))
    return;
  const std::string &path = session.path;
  HWND open = StartAtOpenDialog(setup, &session);
  if (open && TypeText(open, path.c_str()) &&
      Check(WaitForText(FileNameEdit(open), path, kReactionTimeout),
            "the typed path did not arrive in the Open dialog") &&
      PressKeys(open, "Return")) {
    if (WaitForMainDialog(session) && PressKeys(session.main, "alt+a")) {
      HWND saveAs = WaitForProgramWindow(
          &session.program, {"Save As", session.main, 0, 0}, kReactionTimeout);
      if (Check(saveAs != nullptr, "Alt+A did not open Save As") &&
          PressKeys(saveAs, "Escape") &&
          Check(WaitForWindowGone(saveAs, kReactionTimeout),
                "Esc did not close Save As") &&
          CheckStillOpen(session, "after leaving Save As") &&
          PressKeys(session.main, "alt+s"))
        CheckEndsWithCode0(&session, "after Alt+S");
    }
  }
  CheckFileBytes(path, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

} // namespace

void RunKeyboardScenarios(const E2eSetup &setup) {
  for (const EndingKey &key : kEndingKeys)
    KeyEndsTheRun(setup, key);
  TabVisitsTheButtons(setup);
  KeyboardOnlyRun(setup);
}
