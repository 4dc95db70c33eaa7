// File names in any script: picked in the Open dialog, shown, saved in
// place and by Save As; and a name too long for the program's buffers.
// Kestrom and this driver both run with UTF-8 as their ANSI code page.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

const char *const kScriptNames[] = {
    "выписка за май.qif",     // Cyrillic: outside any Western code page
    "wyciąg źdźbło żółć.qif", // Polish: outside Western European
    "銀行明細 2026.qif",      // CJK
};

void PickAndSave(const E2eSetup &setup, const char *name) {
  printf("-- \"%s\" opens, shows its name and saves in place\n", name);
  Session session;
  if (OpenNewFile(setup, name, Bytes(kMonthFirst), &session) &&
      CheckShownName(session, name)) {
    PressButton(session, kSaveId);
    CheckEndsWithCode0(&session, "after Save");
  }
  CheckFileBytes(session.path, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

void SaveAsToScriptName(const E2eSetup &setup) {
  const char name[] = "счёт Łódź 明細.qif";
  printf("-- Save As to \"%s\"\n", name);
  std::string target = JoinPath(setup.work, name);
  Session session;
  if (OpenNewFile(setup, "plain.qif", Bytes(kMonthFirst), &session) &&
      SaveAsTo(session, target))
    CheckEndsWithCode0(&session, "after Save As");
  CheckFileBytes(session.path, Bytes(kMonthFirst));
  CheckFileBytes(target, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

// Three bytes a character in UTF-8: about 130 characters, which the file
// dialogs take, but some 400 bytes, which the program's 260-byte path
// buffers cannot hold. Folders stay under the file system's 255-byte limit.
std::string TooLongFolder(const E2eSetup &setup) {
  std::string folder = setup.work;
  while (folder.size() <= 300)
    folder += "\\長い名前のフォルダ長い名前のフォルダ";
  return folder;
}

void OpenTooLongName(const E2eSetup &setup) {
  printf("-- a picked name too long for the buffer: \"Unable to open file\"\n");
  Session session;
  std::string path = JoinPath(TooLongFolder(setup), "明細.qif");
  if (Check(MakeFolders(path.substr(0, path.rfind('\\'))),
            "cannot make the long folder") &&
      WriteBytes(path, Bytes(kMonthFirst)) &&
      PickAtStart(setup, path, &session) &&
      AnswerMessage(session, "Unable to open file", "Kestrom", IDOK))
    CheckEndsWithCode0(&session, "after the failed open");
  CheckFileBytes(path, Bytes(kMonthFirst));
  FinishSession(&session);
}

// The dialog stays open, and a Save As to a shorter name still writes.
void SaveAsTooLongName(const E2eSetup &setup) {
  printf("-- Save As to a name too long: \"Unable to Save file\", stays\n");
  std::string folder = TooLongFolder(setup);
  std::string tooLong = JoinPath(folder, "新しい明細.qif");
  std::string shorter = JoinPath(setup.work, "shorter.qif");
  Session session;
  if (Check(MakeFolders(folder), "cannot make the long folder") &&
      OpenNewFile(setup, "long_source.qif", Bytes(kMonthFirst), &session) &&
      SaveAsTo(session, tooLong) &&
      AnswerMessage(session, "Unable to Save file", "Save", IDOK) &&
      CheckStillOpen(session, "after the failed Save As") &&
      CheckShownName(session, "long_source.qif") && SaveAsTo(session, shorter))
    CheckEndsWithCode0(&session, "after Save As");
  Check(!FileExists(tooLong), "a file was written at the too-long name");
  CheckFileBytes(session.path, Bytes(kMonthFirst));
  CheckFileBytes(shorter, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

} // namespace

void RunNameScenarios(const E2eSetup &setup) {
  if (!CheckDriverUsesUtf8())
    return;
  for (const char *name : kScriptNames)
    PickAndSave(setup, name);
  SaveAsToScriptName(setup);
  OpenTooLongName(setup);
  SaveAsTooLongName(setup);
}
