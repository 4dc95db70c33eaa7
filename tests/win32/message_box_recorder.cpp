#include "message_box_recorder.h"

std::vector<RecordedBox> g_recordedBoxes;

namespace {

std::vector<int> scriptedResults;
size_t nextResult;

int WINAPI RecordingMessageBox(HWND owner, LPCSTR text, LPCSTR caption,
                               UINT flags) {
  g_recordedBoxes.push_back(
      {owner, text ? text : "", caption ? caption : "", flags});
  return nextResult < scriptedResults.size() ? scriptedResults[nextResult++]
                                             : IDOK;
}

} // namespace

// Calls to an imported function go through its import pointer. Defining that
// pointer here makes the linker take ours and never pull MessageBoxA's from
// the import library: a link-time replacement that leaves the program's own
// ShowWarning and AskYesNo untouched.
typedef int(WINAPI *MessageBoxFn)(HWND, LPCSTR, LPCSTR, UINT);
#ifdef _WIN64
#define MESSAGE_BOX_IMPORT "__imp_MessageBoxA"
#else
#define MESSAGE_BOX_IMPORT "__imp__MessageBoxA@16" // stdcall's decoration
#endif
extern "C" {
MessageBoxFn g_messageBoxImport __asm__(MESSAGE_BOX_IMPORT) =
    RecordingMessageBox;
}

void ScriptBoxResults(const std::vector<int> &results) {
  scriptedResults = results;
  nextResult = 0;
}

void ResetRecorder() {
  g_recordedBoxes.clear();
  ScriptBoxResults({});
}
