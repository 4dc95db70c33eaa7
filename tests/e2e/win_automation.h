// Driving another process's windows from outside, as a person at the screen
// would: find what is visible, read what it says, press its buttons, type.
// Every wait is a bounded poll, never a fixed sleep.
#pragma once

#include <windows.h>

struct Program {
  HANDLE process;
  DWORD id;
};

// Generous: a cold Wine prefix takes seconds to show a first window.
const DWORD kWindowTimeout = 30000;
// What a running program needs to react to a click or a key.
const DWORD kReactionTimeout = 10000;

int StartProgram(const char *exePath, Program *program);
// The same with arguments (as a command line says them, quotes and all) and
// a current folder (null: the driver's own).
int StartProgramWith(const char *exePath, const char *arguments,
                     const char *folder, Program *program);
int IsRunning(const Program *program);
// 1 when the program ended within timeoutMs; its exit code goes to exitCode.
int WaitForExit(const Program *program, DWORD timeoutMs, DWORD *exitCode);
// Leaves no process behind, so the next scenario finds no stale window.
void EndProgram(Program *program);

// Which top-level window of a program to look for. The title is matched
// exactly; a null title, a null owner or a child id of 0 match any. Hidden
// windows count only when asked for: a dialog exists, hidden, while it
// initialises.
struct WindowQuery {
  const char *title;
  HWND owner;
  int childId;
  int evenHidden;
};

// Gives up when the program ends: nothing more will appear.
HWND WaitForProgramWindow(const Program *program, const WindowQuery &query,
                          DWORD timeoutMs);
// 1 when the window is gone or hidden within timeoutMs.
int WaitForWindowGone(HWND window, DWORD timeoutMs);

// Text through WM_GETTEXT: another process's edit keeps its text where
// GetWindowTextA cannot see it.
int ReadText(HWND window, char *text, int size);
int WriteText(HWND window, const char *text);
// Posted, never sent: the handler may run a modal box that would block us.
void PostClick(HWND button);

// The window with the keyboard focus in the thread that owns window.
HWND FocusOf(HWND window);
int WaitForFocus(HWND window, HWND expected, DWORD timeoutMs);

// Real keystrokes through the X server (xdotool key syntax, e.g. "Tab",
// "shift+Tab", "Return"), with the pointer moved over window first; a
// window that is not active is clicked on its caption first.
int PressKeys(HWND window, const char *keys);
// Types text as keystrokes into the window under the pointer.
int TypeText(HWND window, const char *text);
// A real left click on the window's close box.
int ClickCloseBox(HWND window);
