// Files the program cannot read or write: an empty file, a file another
// program holds open, a full disk. Loads end the program; saves keep it
// open for another try.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

const char kUnableToSave[] = "Unable to Save file";

// How another program holds a file: open, sharing nothing.
HANDLE HoldUnshared(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "cannot hold %s open", path.c_str());
  return file;
}

void Release(HANDLE file) {
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
}

void RefusedLoad(const E2eSetup &setup, const char *name,
                 const std::string &bytes, int hold, const char *message) {
  printf("-- %s: \"%s\", then the program ends\n", name, message);
  Session session;
  if (!PlaceFile(setup, name, bytes, &session))
    return;
  HANDLE held = hold ? HoldUnshared(session.path) : INVALID_HANDLE_VALUE;
  if (PickAtStart(setup, session.path, &session) &&
      AnswerMessage(session, message, "Kestrom", IDOK))
    CheckEndsWithCode0(&session, message);
  Release(held);
  CheckFileBytes(session.path, bytes);
  FinishSession(&session);
}

// After the failed write the content must be as loaded again: the Save As
// converts it once more, and only a clean restore gives the first-save bytes.
void SaveOntoHeldFile(const E2eSetup &setup) {
  printf("-- Save onto a held file fails and stays; Save As elsewhere\n");
  std::string elsewhere = JoinPath(setup.work, "elsewhere.qif");
  Session session;
  if (OpenNewFile(setup, "held.qif", Bytes(kMonthFirst), &session)) {
    HANDLE held = HoldUnshared(session.path);
    PressButton(session, kSaveId);
    int warned = AnswerMessage(session, kUnableToSave, "Save", IDOK);
    Release(held);
    if (warned && CheckStillOpen(session, "after the failed Save") &&
        SaveAsTo(session, elsewhere))
      CheckEndsWithCode0(&session, "after Save As");
  }
  CheckFileBytes(session.path, Bytes(kMonthFirst));
  CheckFileBytes(elsewhere, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

// The same with the question: a failed write after yes restores the
// content, and the next Save asks again.
void SaveAfterYesOntoHeldFile(const E2eSetup &setup) {
  printf("-- a failed Save after yes; the next Save asks again\n");
  Session session;
  if (OpenNewFile(setup, "held_dayfirst.qif", Bytes(kDayFirst), &session)) {
    HANDLE held = HoldUnshared(session.path);
    int warned = SaveAnswering(session, IDYES) &&
                 AnswerMessage(session, kUnableToSave, "Save", IDOK);
    Release(held);
    if (warned && CheckStillOpen(session, "after the failed Save")) {
      CheckFileBytes(session.path, Bytes(kDayFirst));
      if (SaveAnswering(session, IDYES))
        CheckEndsWithCode0(&session, "after the second Save");
    }
  }
  CheckFileBytes(session.path, Bytes(kDayFirstConverted));
  FinishSession(&session);
}

} // namespace

void RunLoadFailureScenarios(const E2eSetup &setup) {
  RefusedLoad(setup, "empty.qif", "", 0, "The file is empty");
  RefusedLoad(setup, "held.qif", Bytes(kMonthFirst), 1, "Unable to open file");
  RefusedLoad(setup, "picture.qif", std::string("\x89PNG\r\n\x1a\n\0\r^", 11),
              0,
              "Unable to load file\n\nThis is not a QIF file: it holds binary "
              "data (byte 0x1A on line 2).");
}

void RunSaveFailureScenarios(const E2eSetup &setup) {
  SaveOntoHeldFile(setup);
  SaveAfterYesOntoHeldFile(setup);
}

// The folder given is a small file system the test script mounted: the
// create succeeds there and the write runs out of room.
void RunFullDiskScenario(const E2eSetup &setup) {
  printf("-- Save As onto a full disk fails and stays; Save As elsewhere\n");
  if (!Check(!setup.fullDisk.empty(), "no full-disk folder given"))
    return;
  std::string input, expected;
  while (input.size() < 64 * 1024) {
    input += "D12/25/99\r\nT-1.00\r\nPCorner Store\r\nMGroceries\r\n^\r\n";
    expected += "D25/12/99\r\nT-1.00\r\nMCorner Store\r\nPGroceries\r\n^\r\n";
  }
  std::string full = JoinPath(setup.fullDisk, "full.qif");
  std::string saved = JoinPath(setup.work, "saved.qif");
  Session session;
  if (OpenNewFile(setup, "large.qif", input, &session) &&
      SaveAsTo(session, full) &&
      AnswerMessage(session, kUnableToSave, "Save", IDOK) &&
      CheckStillOpen(session, "after the failed Save As")) {
    CheckShownName(session, "full.qif");
    if (SaveAsTo(session, saved))
      CheckEndsWithCode0(&session, "after Save As");
  }
  CheckFileBytes(session.path, input);
  CheckFileBytes(saved, expected);
  FinishSession(&session);
}
