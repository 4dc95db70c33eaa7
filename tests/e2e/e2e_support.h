// What every scenario needs: checks that count failures, scratch files, and
// the steps a user takes with Kestrom (pick a file, answer a box, Save As).
#pragma once

#include <string>

#include "win_automation.h"

const char kMainTitle[] = "Validate ZARN QIF Export File Dates";
// The question before converting a file whose dates look day-first.
extern const char kQuestionText[];
// A message box's text is a static control with this id.
const int kMessageText = 0xFFFF;

// Set by main from the command line and the environment, in Windows form.
struct E2eSetup {
  std::string kestrom;  // the program under test
  std::string work;     // this scenario's scratch folder, emptied at start
  std::string fixtures; // the shared hand-written QIF fixtures
  std::string fullDisk; // a small tmpfs, for the full-disk scenario
  std::string cli;      // kestrom-cli.exe, for the samples
  std::string samples;  // real exports from other programs
};

// Prints the failure and counts it; returns ok so callers can stop early.
int Check(int ok, const char *format, ...);
int FailureCount();
// Names in any script reach kestrom.exe only through a driver whose code
// page is UTF-8 (its manifest): checked before such scenarios run.
int CheckDriverUsesUtf8();

// "/a/b" as Wine sees it from Windows: "Z:\a\b". Other paths pass as given.
std::string WindowsPath(const char *path);
std::string JoinPath(const std::string &folder, const char *name);
int MakeFolders(const std::string &path);
int EmptyFolder(const std::string &path);
int WriteBytes(const std::string &path, const std::string &bytes);
int ReadBytes(const std::string &path, std::string *bytes);
int FileExists(const std::string &path);
// Runs a Unix command line whose paths are given as Wine shows them (Z:\a
// as /a), as a person would with ln and rm: Wine follows a link, and
// deleting one from Windows deletes the file it names. Returns when path
// exists, or no longer does.
int RunOnUnixFiles(std::string command, const std::string &path, int exists);
// Fails with the first differing offset when the file is not exactly bytes.
int CheckFileBytes(const std::string &path, const std::string &bytes);
int CheckFileSame(const std::string &path, const std::string &expectedPath);

std::string TextOf(HWND window);
int WaitForText(HWND window, const std::string &text, DWORD timeoutMs);
// The edit inside a common file dialog's file-name box.
HWND FileNameEdit(HWND fileDialog);

// Kestrom's steps. Each returns 1 when it got as far as it says, and has
// already reported a failure through Check when it did not.
const int kFileNameId = 1001;
const int kSaveId = 1002;
const int kSaveAsId = 1003;

struct Session {
  Program program;
  HWND main;
  std::string path; // the file the run started with
};

// Writes bytes to name (folders included) in the scratch folder; the
// session, not started yet, remembers the path.
int PlaceFile(const E2eSetup &setup, const char *name, const std::string &bytes,
              Session *session);
// The same, then opened in Kestrom with its dialog visible.
int OpenNewFile(const E2eSetup &setup, const char *name,
                const std::string &bytes, Session *session);

int StartKestrom(const E2eSetup &setup, Session *session);
// Puts the path in a file dialog's name box and presses its OK button.
int ChooseFile(HWND fileDialog, const std::string &path);
// Starts Kestrom and waits for its Open dialog; session->main is the main
// dialog, still hidden.
HWND StartAtOpenDialog(const E2eSetup &setup, Session *session);
// The same, then picks the path there.
int PickAtStart(const E2eSetup &setup, const std::string &path,
                Session *session);
// 1 when the main dialog has become visible.
int WaitForMainDialog(const Session &session);
// PickAtStart, then 1 when the main dialog is visible.
int OpenInKestrom(const E2eSetup &setup, const std::string &path,
                  Session *session);
// Waits for a message box owned by the main dialog, checks its words and
// presses the button with the given id.
int AnswerMessage(const Session &session, const char *text, const char *caption,
                  int button);
void PressButton(const Session &session, int id);
// Presses Save and answers the question that must come with IDYES or IDNO.
int SaveAnswering(const Session &session, int answer);
// Presses Save As and waits for its dialog.
HWND OpenSaveAs(const Session &session);
int SaveAsTo(const Session &session, const std::string &path);
// The main dialog's file-name box shows name.
int CheckShownName(const Session &session, const char *name);
// The program ends, by itself, with exit code 0.
int CheckEndsWithCode0(Session *session, const char *what);
int CheckStillOpen(const Session &session, const char *what);
// Sees that the program is gone, ending it if a scenario left it running.
void FinishSession(Session *session);
