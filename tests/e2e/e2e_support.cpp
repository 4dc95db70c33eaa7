#include "e2e_support.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

int g_failures;

// The common file dialogs' file-name box; its text lives in an inner edit.
const int kFileNameBox = 1148;

} // namespace

HWND FileNameEdit(HWND fileDialog) {
  HWND box = GetDlgItem(fileDialog, kFileNameBox);
  if (!box)
    return nullptr;
  HWND inner = FindWindowExA(box, nullptr, "Edit", nullptr);
  return inner ? inner : box;
}

std::string TextOf(HWND window) {
  char text[1024];
  ReadText(window, text, sizeof text);
  return text;
}

int WaitForText(HWND window, const std::string &text, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (TextOf(window) != text) {
    if (GetTickCount() - start >= timeoutMs)
      return 0;
    Sleep(20);
  }
  return 1;
}

int Check(int ok, const char *format, ...) {
  if (ok)
    return 1;
  ++g_failures;
  va_list args;
  va_start(args, format);
  printf("FAILED: ");
  vprintf(format, args);
  printf("\n");
  va_end(args);
  fflush(stdout);
  return 0;
}

int CheckDriverUsesUtf8() {
  return Check(GetACP() == CP_UTF8, "the driver's code page is %u, not UTF-8",
               GetACP());
}

int FailureCount() { return g_failures; }

std::string WindowsPath(const char *path) {
  std::string result = path;
  if (result.empty() || result[0] != '/')
    return result;
  for (char &c : result)
    if (c == '/')
      c = '\\';
  return "Z:" + result;
}

std::string JoinPath(const std::string &folder, const char *name) {
  return folder + "\\" + name;
}

int MakeFolders(const std::string &path) {
  for (size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\')
      CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes what an earlier run left, so every run starts from known files.
int EmptyFolder(const std::string &path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(JoinPath(path, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return 1;
  int ok = 1;
  do {
    if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, ".."))
      continue;
    std::string inner = JoinPath(path, found.cFileName);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ok = EmptyFolder(inner) && RemoveDirectoryA(inner.c_str()) && ok;
    else
      ok = DeleteFileA(inner.c_str()) && ok;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return ok;
}

int WriteBytes(const std::string &path, const std::string &bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return Check(0, "cannot create %s", path.c_str());
  DWORD written = 0;
  BOOL ok =
      WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return Check(ok && written == bytes.size(), "cannot write %s", path.c_str());
}

int ReadBytes(const std::string &path, std::string *bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  DWORD size = GetFileSize(file, nullptr), got = 0;
  bytes->assign(size, '\0');
  BOOL ok = size == 0 || ReadFile(file, &(*bytes)[0], size, &got, nullptr);
  CloseHandle(file);
  return ok && got == size;
}

int FileExists(const std::string &path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int RunOnUnixFiles(std::string command, const std::string &path, int exists) {
  for (size_t at; (at = command.find("Z:\\")) != std::string::npos;)
    command.erase(at, 2);
  for (char &c : command)
    c = c == '\\' ? '/' : c;
  WinExec(command.c_str(), SW_HIDE);
  for (int tries = 0; tries < 100 && FileExists(path) != exists; ++tries)
    Sleep(50); // a Unix process's end is not waited for
  return Check(FileExists(path) == exists, "\"%s\" did not finish",
               command.c_str());
}

int CheckFileBytes(const std::string &path, const std::string &bytes) {
  std::string actual;
  if (!Check(ReadBytes(path, &actual), "cannot read %s", path.c_str()))
    return 0;
  size_t i = 0;
  while (i < actual.size() && i < bytes.size() && actual[i] == bytes[i])
    ++i;
  return Check(actual == bytes,
               "%s: %u bytes, expected %u; first difference at offset %u",
               path.c_str(), unsigned(actual.size()), unsigned(bytes.size()),
               unsigned(i));
}

int CheckFileSame(const std::string &path, const std::string &expectedPath) {
  std::string expected;
  if (!Check(ReadBytes(expectedPath, &expected), "cannot read %s",
             expectedPath.c_str()))
    return 0;
  return CheckFileBytes(path, expected);
}

int PlaceFile(const E2eSetup &setup, const char *name, const std::string &bytes,
              Session *session) {
  session->program.process = nullptr;
  session->main = nullptr;
  session->path = JoinPath(setup.work, name);
  std::string folder = session->path.substr(0, session->path.rfind('\\'));
  return Check(MakeFolders(folder), "cannot make %s", folder.c_str()) &&
         WriteBytes(session->path, bytes);
}

int OpenNewFile(const E2eSetup &setup, const char *name,
                const std::string &bytes, Session *session) {
  return PlaceFile(setup, name, bytes, session) &&
         OpenInKestrom(setup, session->path, session);
}

int StartKestrom(const E2eSetup &setup, Session *session) {
  session->main = nullptr;
  session->program.process = nullptr;
  return Check(StartProgram(setup.kestrom.c_str(), &session->program),
               "kestrom.exe did not start");
}

int ChooseFile(HWND fileDialog, const std::string &path) {
  HWND edit = FileNameEdit(fileDialog);
  HWND ok = GetDlgItem(fileDialog, IDOK);
  if (!Check(edit && ok, "the file dialog has no file-name box or OK"))
    return 0;
  if (!Check(WriteText(edit, path.c_str()), "cannot fill the file name"))
    return 0;
  PostClick(ok);
  return 1;
}

HWND StartAtOpenDialog(const E2eSetup &setup, Session *session) {
  if (!StartKestrom(setup, session))
    return nullptr;
  HWND open = WaitForProgramWindow(&session->program, {"Open", nullptr, 0, 0},
                                   kWindowTimeout);
  DWORD code = 0;
  if (!open && WaitForExit(&session->program, 0, &code)) {
    Check(0,
          "kestrom.exe ended with code %lu before its Open dialog showed "
          "(no X display?)",
          code);
    return nullptr;
  }
  if (!Check(open != nullptr, "no Open dialog at start-up"))
    return nullptr;
  // The Open dialog runs inside the main dialog's creation: its owner is the
  // main dialog, still hidden.
  session->main = GetWindow(open, GW_OWNER);
  Check(TextOf(session->main) == kMainTitle,
        "the Open dialog's owner is \"%s\", not the main dialog",
        TextOf(session->main).c_str());
  return open;
}

int PickAtStart(const E2eSetup &setup, const std::string &path,
                Session *session) {
  HWND open = StartAtOpenDialog(setup, session);
  return open && ChooseFile(open, path);
}

int WaitForMainDialog(const Session &session) {
  HWND shown = WaitForProgramWindow(
      &session.program, {kMainTitle, nullptr, 0, 0}, kWindowTimeout);
  return Check(shown != nullptr && shown == session.main,
               "the main dialog did not appear after the Open dialog");
}

int OpenInKestrom(const E2eSetup &setup, const std::string &path,
                  Session *session) {
  return PickAtStart(setup, path, session) && WaitForMainDialog(*session);
}

namespace {

int Offers(HWND box, int button) {
  HWND control = GetDlgItem(box, button);
  return control && IsWindowVisible(control);
}

// A warning offers OK alone; the question Yes and No alone.
void CheckButtons(HWND box, int button, const char *text) {
  int question = button == IDYES || button == IDNO;
  Check(Offers(box, IDOK) == !question && Offers(box, IDYES) == question &&
            Offers(box, IDNO) == question && !Offers(box, IDCANCEL),
        "message box \"%s\" offers the wrong buttons", text);
}

} // namespace

int AnswerMessage(const Session &session, const char *text, const char *caption,
                  int button) {
  HWND box = WaitForProgramWindow(&session.program,
                                  {nullptr, session.main, kMessageText, 0},
                                  kReactionTimeout);
  if (!Check(box != nullptr, "no message box \"%s\" appeared", text))
    return 0;
  std::string shownCaption = TextOf(box);
  std::string shownText = TextOf(GetDlgItem(box, kMessageText));
  Check(shownCaption == caption, "message box caption \"%s\", expected \"%s\"",
        shownCaption.c_str(), caption);
  Check(shownText == text, "message box text \"%s\", expected \"%s\"",
        shownText.c_str(), text);
  CheckButtons(box, button, text);
  HWND answer = GetDlgItem(box, button);
  if (!Check(answer != nullptr, "message box \"%s\" has no button %d", text,
             button))
    return 0;
  PostClick(answer);
  return Check(WaitForWindowGone(box, kReactionTimeout),
               "message box \"%s\" stayed after its button", text);
}

void PressButton(const Session &session, int id) {
  PostClick(GetDlgItem(session.main, id));
}

int SaveAnswering(const Session &session, int answer) {
  PressButton(session, kSaveId);
  return AnswerMessage(session, kQuestionText, "Save", answer);
}

HWND OpenSaveAs(const Session &session) {
  PressButton(session, kSaveAsId);
  HWND saveAs = WaitForProgramWindow(
      &session.program, {"Save As", session.main, 0, 0}, kWindowTimeout);
  Check(saveAs != nullptr, "Save As did not show its dialog");
  return saveAs;
}

int SaveAsTo(const Session &session, const std::string &path) {
  HWND saveAs = OpenSaveAs(session);
  return saveAs && ChooseFile(saveAs, path);
}

int CheckShownName(const Session &session, const char *name) {
  std::string shown = TextOf(GetDlgItem(session.main, kFileNameId));
  return Check(shown == name, "the dialog shows \"%s\", expected \"%s\"",
               shown.c_str(), name);
}

int CheckEndsWithCode0(Session *session, const char *what) {
  DWORD code = 0;
  if (!Check(WaitForExit(&session->program, kReactionTimeout, &code),
             "%s: the program did not end", what))
    return 0;
  return Check(code == 0, "%s: exit code %lu, expected 0", what, code);
}

int CheckStillOpen(const Session &session, const char *what) {
  return Check(IsRunning(&session.program) && IsWindowVisible(session.main),
               "%s: the program should still be running with its dialog", what);
}

void FinishSession(Session *session) {
  Check(!IsRunning(&session->program),
        "the scenario left the program running; ending it");
  EndProgram(&session->program);
}
