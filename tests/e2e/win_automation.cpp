#include "win_automation.h"

#include <stdio.h>
#include <string.h>

namespace {

const DWORD kPollInterval = 20;
const DWORD kMessageTimeout = 5000;

int StartCommandLine(const char *application, char *commandLine,
                     const char *folder, PROCESS_INFORMATION *info) {
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  memset(info, 0, sizeof *info);
  return CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, 0,
                        nullptr, folder, &startup, info) != 0;
}

struct WindowSearch {
  DWORD processId;
  const WindowQuery *query;
  HWND found;
};

int TitleMatches(HWND window, const char *title) {
  if (!title)
    return 1;
  char text[512];
  return ReadText(window, text, sizeof text) && strcmp(text, title) == 0;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  WindowSearch *search = reinterpret_cast<WindowSearch *>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const WindowQuery *query = search->query;
  if (processId != search->processId ||
      (!query->evenHidden && !IsWindowVisible(window)))
    return TRUE;
  if (query->owner && GetWindow(window, GW_OWNER) != query->owner)
    return TRUE;
  if (query->childId && !GetDlgItem(window, query->childId))
    return TRUE;
  if (!TitleMatches(window, query->title))
    return TRUE;
  search->found = window;
  return FALSE;
}

// Scans the top of the window, asking the window itself what each point is,
// so no frame metrics are guessed.
int FindHitPoint(HWND window, int hit, POINT *point) {
  RECT rect;
  if (!GetWindowRect(window, &rect))
    return 0;
  for (int y = rect.top + 2; y < rect.top + 40; y += 2)
    for (int x = rect.right - 2; x > rect.left; x -= 2) {
      DWORD_PTR answer = 0;
      if (SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y),
                              SMTO_ABORTIFHUNG, kMessageTimeout, &answer) &&
          int(answer) == hit) {
        point->x = x;
        point->y = y;
        return 1;
      }
    }
  return 0;
}

// Wine's own export: where a Windows path lives on the Unix side.
int UnixPath(const char *windowsPath, char *unixPath, size_t size) {
  typedef char *(CDECL * ToUnix)(LPCWSTR);
  FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                "wine_get_unix_file_name");
  ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void *>(proc));
  WCHAR wide[MAX_PATH];
  if (!toUnix ||
      !MultiByteToWideChar(CP_ACP, 0, windowsPath, -1, wide, MAX_PATH))
    return 0;
  char *converted = toUnix(wide);
  if (!converted)
    return 0;
  snprintf(unixPath, size, "%s", converted);
  HeapFree(GetProcessHeap(), 0, converted);
  return 1;
}

// A file that a shell creates once xdotool has finished.
int PrepareMarker(char *marker, char *unixMarker, size_t size) {
  char folder[MAX_PATH];
  if (!GetTempPathA(sizeof folder, folder))
    return 0;
  snprintf(marker, MAX_PATH, "%skestrom_e2e_input_%lu.done", folder,
           GetCurrentProcessId());
  DeleteFileA(marker);
  return UnixPath(marker, unixMarker, size);
}

int WaitForFile(const char *path, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start >= timeoutMs)
      return 0;
    Sleep(kPollInterval);
  }
  DeleteFileA(path);
  return 1;
}

// The X window behind a top-level window, which Wine's X driver records on
// it; 0 where there is none.
unsigned long XWindowOf(HWND window) {
  return static_cast<unsigned long>(
      reinterpret_cast<ULONG_PTR>(GetPropA(window, "__wine_x11_whole_window")));
}

// xdotool is a native program: Wine starts it from its Unix path but hands
// back no process handle, so a marker file tells when it has finished; a
// second run overlapping the first would mix their modifier keys. Screen
// coordinates are the X server's: Wine's screen starts at the root's origin.
//
// Given an X window, the actions first wait (about two seconds at most)
// for the X server to give it the input focus. Wine shows and activates a
// window before the X server has moved the focus to it; a key sent in
// between reaches the window before, the focus events that follow arrive
// out of order and leave no window active, and the next key is lost. A
// window whose activation never moved the X focus (keys then go to the
// window under the pointer) costs the wait and is typed into anyway.
int RunXdotool(int x, int y, const char *actions, unsigned long xWindow) {
  char marker[MAX_PATH], unixMarker[MAX_PATH];
  if (!PrepareMarker(marker, unixMarker, sizeof unixMarker)) {
    printf("cannot place the input marker file\n");
    return 0;
  }
  char focusWait[160] = "";
  if (xWindow)
    snprintf(focusWait, sizeof focusWait,
             "n=0; until test $(/usr/bin/xdotool getwindowfocus -f) = %lu || "
             "test $n = 100; do sleep 0.02; n=$((n+1)); done; ",
             xWindow);
  char commandLine[1024];
  snprintf(
      commandLine, sizeof commandLine,
      "/bin/sh -c \"/usr/bin/xdotool mousemove %d %d && %s/usr/bin/xdotool "
      "%s && : > '%s'\"",
      x, y, focusWait, actions, unixMarker);
  PROCESS_INFORMATION info;
  if (!StartCommandLine(nullptr, commandLine, nullptr, &info)) {
    printf("cannot start xdotool (error %lu)\n", GetLastError());
    return 0;
  }
  if (info.hProcess)
    CloseHandle(info.hProcess);
  if (info.hThread)
    CloseHandle(info.hThread);
  if (WaitForFile(marker, kReactionTimeout))
    return 1;
  printf("xdotool did not finish: %s\n", actions);
  return 0;
}

int WaitForForeground(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetForegroundWindow() != window) {
    if (GetTickCount() - start >= timeoutMs)
      return 0;
    Sleep(kPollInterval);
  }
  return 1;
}

// Without a window manager, closing a modal dialog does not always hand
// activation back to its owner; a person would click the owner's caption,
// and so do we before typing into a window that is not active.
int ActivateForInput(HWND window) {
  if (WaitForForeground(window, 500))
    return 1;
  POINT caption;
  if (!FindHitPoint(window, HTCAPTION, &caption) ||
      !RunXdotool(caption.x, caption.y, "click 1", 0) ||
      !WaitForForeground(window, kReactionTimeout)) {
    printf("cannot make the window active for typing\n");
    return 0;
  }
  return 1;
}

// Keyboard input goes to the X window under the pointer: there is no window
// manager to give focus otherwise.
int RunXdotoolOver(HWND window, const char *actions) {
  RECT rect;
  if (!ActivateForInput(window) || !GetWindowRect(window, &rect))
    return 0;
  return RunXdotool((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2,
                    actions, XWindowOf(window));
}

HWND FindProgramWindow(const Program *program, const WindowQuery &query) {
  WindowSearch search = {program->id, &query, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

} // namespace

int StartProgram(const char *exePath, Program *program) {
  return StartProgramWith(exePath, "", nullptr, program);
}

int StartProgramWith(const char *exePath, const char *arguments,
                     const char *folder, Program *program) {
  char commandLine[2048];
  snprintf(commandLine, sizeof commandLine, "\"%s\"%s%s", exePath,
           *arguments ? " " : "", arguments);
  PROCESS_INFORMATION info;
  int started = StartCommandLine(exePath, commandLine, folder, &info);
  DWORD error = GetLastError();
  // On a busy machine Wine can lose the new process before it has started,
  // and says ERROR_INTERNAL_ERROR. Nothing of the program ran, so that start
  // is tried once more; a program that did start is never started again.
  if (!started && error == ERROR_INTERNAL_ERROR) {
    printf("retry: Wine could not start %s (error %lu); starting it again\n",
           exePath, error);
    started = StartCommandLine(exePath, commandLine, folder, &info);
    error = GetLastError();
  }
  if (!started) {
    printf("cannot start %s (error %lu)\n", exePath, error);
    program->process = nullptr;
    program->id = 0;
    return 0;
  }
  CloseHandle(info.hThread);
  program->process = info.hProcess;
  program->id = info.dwProcessId;
  return 1;
}

int IsRunning(const Program *program) {
  return program->process &&
         WaitForSingleObject(program->process, 0) == WAIT_TIMEOUT;
}

int WaitForExit(const Program *program, DWORD timeoutMs, DWORD *exitCode) {
  if (!program->process ||
      WaitForSingleObject(program->process, timeoutMs) != WAIT_OBJECT_0)
    return 0;
  return GetExitCodeProcess(program->process, exitCode) != 0;
}

void EndProgram(Program *program) {
  if (!program->process)
    return;
  if (IsRunning(program)) {
    TerminateProcess(program->process, 1);
    WaitForSingleObject(program->process, kReactionTimeout);
  }
  CloseHandle(program->process);
  program->process = nullptr;
}

HWND WaitForProgramWindow(const Program *program, const WindowQuery &query,
                          DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindProgramWindow(program, query);
    if (window || !IsRunning(program))
      return window;
    if (GetTickCount() - start >= timeoutMs)
      return nullptr;
    Sleep(kPollInterval);
  }
}

int WaitForWindowGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start >= timeoutMs)
      return 0;
    Sleep(kPollInterval);
  }
  return 1;
}

int ReadText(HWND window, char *text, int size) {
  DWORD_PTR length = 0;
  text[0] = '\0';
  if (!SendMessageTimeoutA(window, WM_GETTEXT, WPARAM(size),
                           reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           kMessageTimeout, &length))
    return 0;
  text[length < DWORD_PTR(size) ? length : DWORD_PTR(size) - 1] = '\0';
  return 1;
}

int WriteText(HWND window, const char *text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             kMessageTimeout, &result) &&
         result;
}

void PostClick(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

HWND FocusOf(HWND window) {
  GUITHREADINFO info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (!thread || !GetGUIThreadInfo(thread, &info))
    return nullptr;
  return info.hwndFocus;
}

int WaitForFocus(HWND window, HWND expected, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (FocusOf(window) != expected) {
    if (GetTickCount() - start >= timeoutMs)
      return 0;
    Sleep(kPollInterval);
  }
  return 1;
}

int PressKeys(HWND window, const char *keys) {
  char actions[256];
  snprintf(actions, sizeof actions, "key --delay 30 %s", keys);
  return RunXdotoolOver(window, actions);
}

// The text is one single-quoted shell word: paths hold no quotes, and Wine
// passes backslashes through to a native program untouched.
int TypeText(HWND window, const char *text) {
  char actions[MAX_PATH + 64];
  snprintf(actions, sizeof actions, "type --delay 5 '%s'", text);
  return RunXdotoolOver(window, actions);
}

int ClickCloseBox(HWND window) {
  POINT point = {0, 0};
  return FindHitPoint(window, HTCLOSE, &point) &&
         RunXdotool(point.x, point.y, "click 1", 0);
}
