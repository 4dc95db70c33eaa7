// Saving: the road of one file, Save As to a new or an existing file, deep
// folders, and a file reached through a symbolic link.
#include <stdio.h>
#include <string.h>

#include "e2e_scenarios.h"

namespace {

const char kOverwriteText[] = "already exists";

// name, within the scratch folder, in a folder whose full path is exactly
// length characters. The program's path buffers hold 260 bytes: at 247 the
// temporary name kstXXXX.tmp just fits beside d.qif, at 252 it does not.
std::string DeepName(const E2eSetup &setup, size_t length, const char *name) {
  const std::string folderName = "folders-with-long-names-inside";
  std::string folder = setup.work;
  while (folder.size() < length) {
    size_t left = length - folder.size() - 1;
    folder += "\\" + folderName.substr(0, left > 30 ? 24 : left);
  }
  return folder.substr(setup.work.size() + 1) + "\\" + name;
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

// A link export-link.qif to the file named (its path may be too long for
// the driver's own calls, so ln and mv make them): Save converts that file
// and the link still leads there; a link to no file stays one, Save As
// onto it refused.
struct LinkCase {
  const char *what;
  size_t depth; // its folder, a full path this long; or 0, in bank
  int missing;  // the link names no file
};

const LinkCase kLinks[] = {
    {"Save through a symbolic link converts the file it names", 0, 0},
    {"the same through a link to a path of 275 characters", 264, 0},
    {"Save As onto a link to a missing file is refused", 0, 1},
};

void SaveThroughLink(const E2eSetup &setup, const LinkCase &c) {
  printf("-- %s\n", c.what);
  std::string named = c.depth ? DeepName(setup, c.depth, "export.qif")
                              : std::string("bank\\export.qif");
  std::string link = JoinPath(setup.work, "export-link.qif");
  std::string folder = named.substr(0, named.rfind('\\'));
  Session session;
  if (WriteBytes(JoinPath(setup.work, "source.qif"), Bytes(kMonthFirst)) &&
      RunOnUnixFiles(
          "/bin/sh -c \"cd " + setup.work + " && mkdir -p " + folder +
              (c.missing ? "" : " && mv source.qif " + named) + " && ln -s " +
              named + " export-link.qif\"",
          c.missing ? JoinPath(setup.work, "source.qif") : link, 1) &&
      OpenInKestrom(setup,
                    c.missing ? JoinPath(setup.work, "source.qif") : link,
                    &session)) {
    if (!c.missing)
      PressButton(session, kSaveId);
    if (c.missing && SaveAsTo(session, link) &&
        AnswerMessage(session, "Unable to Save file", "Save", IDOK) &&
        CheckStillOpen(session, "after the refused Save As"))
      PressButton(session, IDCANCEL);
    CheckEndsWithCode0(&session, "after Save, or Cancel");
  }
  if (c.missing)
    Check(!FileExists(JoinPath(setup.work, named.c_str())),
          "Save As made the file the link names");
  else
    CheckFileBytes(link, Bytes(kMonthFirstConverted));
  // Once the named file is gone, a link that stayed one leads nowhere.
  RunOnUnixFiles("/bin/rm -f " + setup.work + "\\" + named, link, 0);
  RunOnUnixFiles("/bin/rm " + link, link, 0);
  // Folders too deep for the driver's calls go the same way.
  std::string top =
      JoinPath(setup.work, named.substr(0, named.find('\\')).c_str());
  if (c.depth)
    RunOnUnixFiles("/bin/rm -r " + top, top, 0);
  FinishSession(&session);
}

} // namespace

void RunRoadScenarios(const E2eSetup &setup) {
  SaveInPlace(setup, "export.qif");
  SaveAsNewPath(setup);
  SaveAsOverExistingFile(setup, 0);
  SaveAsOverExistingFile(setup, FILE_ATTRIBUTE_HIDDEN);
  SaveInPlace(setup, DeepName(setup, 150, "deep.qif"));
  SaveInPlace(setup, DeepName(setup, 247, "d.qif"));
  SaveInPlace(setup, DeepName(setup, 252, "d.qif"));
  for (const LinkCase &c : kLinks)
    SaveThroughLink(setup, c);
}
