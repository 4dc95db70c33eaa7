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

void EnterPressesSave(const E2eSetup &setup) {
  printf("-- Enter presses Save\n");
  std::string path = JoinPath(setup.work, "enter.qif");
  if (!WriteBytes(path, Bytes(kMonthFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session) && PressKeys(session.main, "Return"))
    CheckEndsWithCode0(&session, "after Enter");
  CheckFileBytes(path, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

void EscapeCancels(const E2eSetup &setup) {
  printf("-- Esc ends the program and writes nothing\n");
  std::string path = JoinPath(setup.work, "escape.qif");
  if (!WriteBytes(path, Bytes(kMonthFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session) && PressKeys(session.main, "Escape"))
    CheckEndsWithCode0(&session, "after Esc");
  CheckFileBytes(path, Bytes(kMonthFirst));
  FinishSession(&session);
}

// The disabled name box and the statics take no focus: Tab cycles through
// the three buttons only, in both directions.
void TabVisitsTheButtons(const E2eSetup &setup) {
  printf("-- Tab visits Save, Save As and Cancel only\n");
  std::string path = JoinPath(setup.work, "tab.qif");
  if (!WriteBytes(path, Bytes(kMonthFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session)) {
    HWND focus = FocusOf(session.main);
    Check(focus == GetDlgItem(session.main, 1002),
          "the focus starts on id %d, not on Save",
          focus ? GetDlgCtrlID(focus) : 0);
    if (KeyMovesFocus(session, "Tab", 1003) &&
        KeyMovesFocus(session, "Tab", IDCANCEL) &&
        KeyMovesFocus(session, "Tab", 1002) &&
        KeyMovesFocus(session, "shift+Tab", IDCANCEL) &&
        KeyMovesFocus(session, "shift+Tab", 1003) &&
        PressKeys(session.main, "Escape"))
      CheckEndsWithCode0(&session, "after Esc");
  }
  CheckFileBytes(path, Bytes(kMonthFirst));
  FinishSession(&session);
}

// Typed path, Alt+A for Save As, Esc to leave it, Alt+S to save: no mouse.
void KeyboardOnlyRun(const E2eSetup &setup) {
  printf("-- a whole run from the keyboard\n");
  std::string path = JoinPath(setup.work, "typed.qif");
  if (!WriteBytes(path, Bytes(kMonthFirst)))
    return;
  Session session;
  if (!StartKestrom(setup, &session))
    return;
  HWND open = WaitForProgramWindow(&session.program, {"Open", nullptr, 0, 0},
                                   kWindowTimeout);
  if (Check(open != nullptr, "no Open dialog at start-up") &&
      TypeText(open, path.c_str()) &&
      Check(WaitForText(FileNameEdit(open), path, kReactionTimeout),
            "the typed path did not arrive in the Open dialog") &&
      PressKeys(open, "Return")) {
    session.main = WaitForProgramWindow(
        &session.program, {MAIN_TITLE, nullptr, 0, 0}, kWindowTimeout);
    if (Check(session.main != nullptr, "no main dialog after Enter") &&
        PressKeys(session.main, "alt+a")) {
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
  EnterPressesSave(setup);
  EscapeCancels(setup);
  TabVisitsTheButtons(setup);
  KeyboardOnlyRun(setup);
}
