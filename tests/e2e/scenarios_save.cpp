// Saving: the road of one file, Save As to a new or an existing file, and
// a deep folder.
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"

namespace {

const char kOverwriteText[] = "already exists";

// The program's path buffers hold 260 bytes: a folder of more than 150
// characters still leaves room for a name.
std::string DeepName(const E2eSetup &setup) {
  std::string folders;
  while (setup.work.size() + 1 + folders.size() <= 150)
    folders += "a folder with a long name\\";
  return folders + "deep.qif";
}

// Save in place, for a file in the scratch folder or far below it.
void SaveInPlace(const E2eSetup &setup, const std::string &name) {
  std::string shown = name.substr(name.rfind('\\') + 1);
  printf("-- Save converts %s in place and closes\n", name.c_str());
  Session session;
  if (OpenNewFile(setup, name.c_str(), Bytes(kMonthFirst), &session) &&
      CheckShownName(session, shown.c_str())) {
    PressButton(session, kSaveId);
    CheckEndsWithCode0(&session, "after Save");
  }
  CheckFileBytes(session.path, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

// Save As starts in the file's own folder with its name: a bare name typed
// there lands next to the original, not in the current directory.
void SaveAsNewPath(const E2eSetup &setup) {
  printf("-- Save As writes the new file, leaves the original, closes\n");
  std::string copy = JoinPath(setup.work, "copy.qif");
  Session session;
  if (OpenNewFile(setup, "original.qif", Bytes(kMonthFirst), &session)) {
    HWND saveAs = OpenSaveAs(session);
    if (saveAs) {
      std::string offered = TextOf(FileNameEdit(saveAs));
      Check(offered == "original.qif", "Save As offers the name \"%s\"",
            offered.c_str());
      if (ChooseFile(saveAs, "copy.qif"))
        CheckEndsWithCode0(&session, "after Save As");
    }
  }
  CheckFileBytes(session.path, Bytes(kMonthFirst));
  CheckFileBytes(copy, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

// The overwrite prompt is the file dialog's own; it belongs to the Save As
// dialog, not to ours. The file replaced keeps the attributes it had.
void SaveAsOverExistingFile(const E2eSetup &setup, DWORD attributes) {
  printf("-- Save As over an existing, longer file (attributes %lx) asks "
         "first\n",
         attributes);
  std::string target = JoinPath(setup.work, "target.qif");
  if (!WriteBytes(target, std::string(300, 'x')) ||
      (attributes && !Check(SetFileAttributesA(target.c_str(), attributes),
                            "cannot set the attributes of %s", target.c_str())))
    return;
  Session session;
  if (OpenNewFile(setup, "source.qif", Bytes(kMonthFirst), &session)) {
    HWND saveAs = OpenSaveAs(session);
    if (saveAs && ChooseFile(saveAs, target)) {
      HWND prompt = WaitForProgramWindow(
          &session.program, {nullptr, saveAs, 0, 0}, kReactionTimeout);
      if (Check(prompt != nullptr, "no overwrite prompt")) {
        std::string text = TextOf(GetDlgItem(prompt, kMessageText));
        Check(strstr(text.c_str(), kOverwriteText) != nullptr,
              "overwrite prompt says \"%s\"", text.c_str());
        PostClick(GetDlgItem(prompt, IDYES));
        CheckEndsWithCode0(&session, "after replacing the file");
      }
    }
  }
  CheckFileBytes(session.path, Bytes(kMonthFirst));
  CheckFileBytes(target, Bytes(kMonthFirstConverted));
  DWORD kept = GetFileAttributesA(target.c_str());
  Check((kept & attributes) == attributes && kept != INVALID_FILE_ATTRIBUTES,
        "%s has the attributes %lx, not %lx", target.c_str(), kept, attributes);
  FinishSession(&session);
}

} // namespace

void RunRoadScenarios(const E2eSetup &setup) {
  SaveInPlace(setup, "export.qif");
  SaveAsNewPath(setup);
  SaveAsOverExistingFile(setup, 0);
  SaveAsOverExistingFile(setup, FILE_ATTRIBUTE_HIDDEN);
  SaveInPlace(setup, DeepName(setup));
}
