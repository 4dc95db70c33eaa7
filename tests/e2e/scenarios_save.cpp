// Saving: the road of one file, Save As to a new or an existing file, a
// deep folder, and the shared fixtures through the dialog.
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"

namespace {

const char kOverwriteText[] = "already exists";

void RoadOfOneFile(const E2eSetup &setup) {
  printf("-- Save converts the file in place and closes\n");
  std::string path = JoinPath(setup.work, "export.qif");
  if (!WriteBytes(path, Bytes(kMonthFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session)) {
    Check(ShownName(session) == "export.qif", "the dialog shows \"%s\"",
          ShownName(session).c_str());
    PostClick(GetDlgItem(session.main, 1002));
    CheckEndsWithCode0(&session, "after Save");
  }
  CheckFileBytes(path, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

// Save As starts in the file's own folder with its name: a bare name typed
// there lands next to the original, not in the current directory.
void SaveAsNewPath(const E2eSetup &setup) {
  printf("-- Save As writes the new file, leaves the original, closes\n");
  std::string path = JoinPath(setup.work, "original.qif");
  std::string copy = JoinPath(setup.work, "copy.qif");
  if (!WriteBytes(path, Bytes(kMonthFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session)) {
    HWND saveAs = OpenSaveAs(session);
    if (saveAs) {
      std::string offered = TextOf(FileNameEdit(saveAs));
      Check(offered == "original.qif", "Save As offers the name \"%s\"",
            offered.c_str());
      if (ChooseFile(saveAs, "copy.qif"))
        CheckEndsWithCode0(&session, "after Save As");
    }
  }
  CheckFileBytes(path, Bytes(kMonthFirst));
  CheckFileBytes(copy, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

// The overwrite prompt is the file dialog's own; it belongs to the Save As
// dialog, not to ours.
void SaveAsOverExistingFile(const E2eSetup &setup) {
  printf("-- Save As over an existing file asks first\n");
  std::string path = JoinPath(setup.work, "source.qif");
  std::string target = JoinPath(setup.work, "target.qif");
  if (!WriteBytes(path, Bytes(kMonthFirst)) ||
      !WriteBytes(target, "an older, longer file at the chosen path\r\n"
                          "that the conversion must fully replace\r\n"))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session)) {
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
  CheckFileBytes(path, Bytes(kMonthFirst));
  CheckFileBytes(target, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

// The program's path buffers hold 260 bytes; a folder of more than 150
// characters leaves a short name room in them.
void LongFolderPath(const E2eSetup &setup) {
  printf("-- a file in a folder whose path is over 150 characters\n");
  std::string folder = setup.work;
  while (folder.size() <= 150)
    folder = JoinPath(folder, "a folder with a long name");
  Check(folder.size() > 150 && folder.size() + 12 < MAX_PATH,
        "the folder path has %u characters", unsigned(folder.size()));
  std::string path = JoinPath(folder, "deep.qif");
  if (!MakeFolders(folder) || !WriteBytes(path, Bytes(kMonthFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session)) {
    Check(ShownName(session) == "deep.qif", "the dialog shows \"%s\"",
          ShownName(session).c_str());
    PostClick(GetDlgItem(session.main, 1002));
    CheckEndsWithCode0(&session, "after Save");
  }
  CheckFileBytes(path, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

} // namespace

void RunRoadScenarios(const E2eSetup &setup) {
  RoadOfOneFile(setup);
  SaveAsNewPath(setup);
  SaveAsOverExistingFile(setup);
  LongFolderPath(setup);
}
