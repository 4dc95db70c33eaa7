// Stands in for MessageBoxA in the Win32 tests, so the real ShowWarning and
// AskYesNo run but no box ever appears. Each call is recorded with its
// owner, text, caption and flags, and answered from a script.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RecordedBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT flags;
};

extern std::vector<RecordedBox> g_recordedBoxes;

// The results the next boxes return, in order (IDYES, IDNO, ...); once the
// script is used up every box returns IDOK.
void ScriptBoxResults(const std::vector<int> &results);
void ResetRecorder();
