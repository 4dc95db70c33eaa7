// The system's calls on Windows (cli_platform.h), on ANSI paths like the
// rest of the program; a file is replaced as the dialog does (replace_file.h).
#include "cli_platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cli_backup.h"
#include "cli_interrupt.h"
#include "qif_messages.h"
#include "replace_file.h"

namespace {

// How many temporary names are tried before a folder counts as full of
// them: a batch should not stall on each of its files there.
const unsigned kTempNameTries = 4096;

// Records what failed with a Windows error code, GetLastError's. Returns 0.
int FailWindows(Failure *failure, const char *what, const char *name,
                DWORD error) {
  Fail(failure, what, name, static_cast<int>(error));
  failure->windowsError = 1;
  return 0;
}

HANDLE HandleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The change time is in FileBasicInfo alone.
int GetFileState(HANDLE handle, FileState *state) {
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandle(handle, &info) ||
      !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic,
                                    sizeof basic))
    return 0;
  state->identity.volume = info.dwVolumeSerialNumber;
  state->identity.index = static_cast<unsigned long long>(info.nFileIndexHigh)
                              << 32 |
                          info.nFileIndexLow;
  state->size =
      static_cast<long long>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  state->lastWrite = static_cast<long long>(info.ftLastWriteTime.dwHighDateTime)
                         << 32 |
                     info.ftLastWriteTime.dwLowDateTime;
  state->lastChange = basic.ChangeTime.QuadPart;
  return 1;
}

// Finds the file path names now, a link followed unless flags say not.
// Opened to read its attributes alone, a file that others hold open still
// answers, and with backup semantics a folder answers too.
int LookAt(const char *path, DWORD flags, FileState *state) {
  HANDLE handle = CreateFileA(
      path, FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return 0;
  int ok = GetFileState(handle, state);
  CloseHandle(handle);
  return ok;
}

// Records why a replacement stopped. Returns 0.
int FailAsReplaceSays(Failure *failure, const Replacement *replace) {
  switch (replace->stop) {
  case kReplaceIsFolder:
    return FailBecause(failure, CLI_CANNOT_WRITE, nullptr, CLI_IS_A_FOLDER);
  case kReplaceIsDevice:
    return FailBecause(failure, CLI_CANNOT_WRITE, nullptr, CLI_NOT_A_FILE);
  case kReplaceTempKept:
    return FailWindows(failure, CLI_CONVERTED_KEPT_AS, replace->temp,
                       replace->error);
  case kReplaceNotEncrypted:
    return FailBecause(failure, CLI_CANNOT_WRITE, nullptr, CLI_NOT_ENCRYPTED);
  default:
    return FailWindows(failure, CLI_CANNOT_WRITE, nullptr, replace->error);
  }
}

// True when handle is a console, not a file, a pipe or NUL.
int IsConsole(HANDLE handle) {
  DWORD mode;
  return GetConsoleMode(handle, &mode) != 0;
}

// Writes text to a console whole, in UTF-16.
void WriteToConsole(HANDLE console, const char *text) {
  int length = static_cast<int>(strlen(text));
  int count = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  WCHAR *wide = static_cast<WCHAR *>(malloc((count + 1) * sizeof(WCHAR)));
  if (wide) {
    MultiByteToWideChar(CP_ACP, 0, text, length, wide, count);
    DWORD written;
    WriteConsoleW(console, wide, static_cast<DWORD>(count), &written, nullptr);
  }
  free(wide);
}

// Keeps the console control handler, on a thread of its own, from looking
// while the interrupt state changes; ready before any handler can run.
SRWLOCK g_interruptLock = SRWLOCK_INIT;

// True when found starts with name as the file system compares names,
// regardless of case (Export.qif.~1~ is a backup of export.qif).
int SameNameStart(const char *found, const char *name) {
  WCHAR wide[2][MAX_PATH];
  int length = static_cast<int>(strlen(name));
  if (static_cast<int>(strlen(found)) < length)
    return 0;
  int counts[2] = {
      MultiByteToWideChar(CP_ACP, 0, found, length, wide[0], MAX_PATH),
      MultiByteToWideChar(CP_ACP, 0, name, length, wide[1], MAX_PATH)};
  return counts[0] > 0 && CompareStringOrdinal(wide[0], counts[0], wide[1],
                                               counts[1], TRUE) == CSTR_EQUAL;
}

const char *NameIn(const char *path) {
  const char *name = path;
  for (const char *at = path; *at; ++at)
    if (*at == '\\' || *at == '/' || *at == ':')
      name = at + 1;
  return name;
}

// True for the errors of a volume without hard links (FAT, some network
// shares); a copy would meet any other error (no room, no right) as well.
int LinksRefused(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_TOO_MANY_LINKS || error == ERROR_NOT_SAME_DEVICE;
}

// Makes a hard link under a fresh name; one that is taken fails it.
int LinkAtName(const char *name, void *target) {
  return CreateHardLinkA(name, static_cast<const char *>(target), nullptr);
}

// Copies the target under a fresh name. A copy that failed part-way (no
// room) is removed; a name that is taken is not.
int CopyAtName(const char *name, void *target) {
  if (CopyFileA(static_cast<const char *>(target), name, TRUE))
    return 1;
  DWORD error = GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
      error != ERROR_ACCESS_DENIED)
    DeleteFileA(name);
  SetLastError(error);
  return 0;
}

// Gives a copy what CopyFile does not: the permissions and the flush; it
// keeps the attributes and the last write itself.
int FinishCopy(const OutputFile *file, const char *temp, Failure *failure) {
  if (!CarryPermissions(file->replace, temp))
    return FailWindows(failure, CLI_CANNOT_BACK_UP, file->backup,
                       file->replace->error);
  HANDLE copy = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  int flushed = copy != INVALID_HANDLE_VALUE && FlushFileBuffers(copy);
  if (!flushed)
    FailWindows(failure, CLI_CANNOT_BACK_UP, file->backup, GetLastError());
  if (copy != INVALID_HANDLE_VALUE)
    CloseHandle(copy);
  return flushed;
}

// True when name, a link not followed, is the file other is. A backup's
// name that is already a hard link to the target keeps the original.
int SameFile(const char *name, const char *other) {
  FileState one, two;
  return LookAt(name, FILE_FLAG_OPEN_REPARSE_POINT, &one) &&
         LookAt(other, FILE_FLAG_OPEN_REPARSE_POINT, &two) &&
         SameIdentity(&one.identity, &two.identity);
}

// The temporary file is shared for deletion, so it goes even while another
// thread writes it. The other threads may hold the C runtime's locks, so the
// notes go straight to the handle and TerminateProcess ends the run.
BOOL WINAPI OnConsoleControl(DWORD event) {
  AcquireSRWLockExclusive(&g_interruptLock);
  if (g_interrupt.tempActive)
    DeleteFileA(g_interrupt.tempName);
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written;
  if (g_interrupt.notesLength && IsConsole(error))
    WriteToConsole(error, g_interrupt.notes);
  else if (g_interrupt.notesLength)
    WriteFile(error, g_interrupt.notes,
              static_cast<DWORD>(g_interrupt.notesLength), &written, nullptr);
  UINT status = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 143;
  TerminateProcess(GetCurrentProcess(), status);
  return TRUE;
}

struct SideJob {
  void (*job)(void *);
  void *argument;
};

DWORD WINAPI RunSideJob(LPVOID context) {
  SideJob *side = static_cast<SideJob *>(context);
  side->job(side->argument);
  return 0;
}

} // namespace

void BlockInterrupt(int block) {
  if (block)
    AcquireSRWLockExclusive(&g_interruptLock);
  else
    ReleaseSRWLockExclusive(&g_interruptLock);
}

// The system's words for a Windows error code are FormatMessage's, or
// "error N" where it has none.
void SystemWords(const Failure *failure, char *words, int size) {
  if (!failure->windowsError) {
    snprintf(words, static_cast<size_t>(size), "%s", strerror(failure->error));
    return;
  }
  DWORD error = static_cast<DWORD>(failure->error);
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, words, static_cast<DWORD>(size), nullptr);
  while (length > 0 && strchr("\r\n .", words[length - 1]))
    --length;
  words[length] = '\0';
  if (length == 0)
    snprintf(words, static_cast<size_t>(size), "error %lu", error);
}

void UseBinaryStream(FILE *stream) { _setmode(_fileno(stream), _O_BINARY); }

int OpenPlatformInput(const char *path, InputFile *file, Failure *failure) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return FailBecause(failure, CLI_CANNOT_OPEN, nullptr, CLI_IS_A_FOLDER);
  HANDLE handle =
      CreateFileA(path, GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return FailWindows(failure, CLI_CANNOT_OPEN, nullptr, GetLastError());
  FileState state;
  int ok = GetFileType(handle) == FILE_TYPE_DISK ||
           FailBecause(failure, CLI_CANNOT_OPEN, nullptr, CLI_NOT_A_FILE);
  ok = ok && (GetFileState(handle, &state) ||
              FailWindows(failure, CLI_CANNOT_OPEN, nullptr, GetLastError()));
  // Counts and line numbers are ints, as in the dialog.
  if (ok && state.size >= INT_MAX)
    ok = FailWindows(failure, CLI_CANNOT_READ, nullptr, ERROR_FILE_TOO_LARGE);
  if (!ok) {
    CloseHandle(handle);
    return 0;
  }
  memset(file, 0, sizeof *file);
  file->handle = reinterpret_cast<intptr_t>(handle);
  file->size = state.size;
  file->path = path;
  file->opened = state;
  return 1;
}

int ReadPlatformInput(InputFile *file, long long offset, unsigned char *buffer,
                      int capacity, int *got, Failure *failure) {
  int done = 0;
  while (done < capacity) {
    OVERLAPPED at = OffsetAt(offset + done);
    DWORD read = 0;
    if (!ReadFile(HandleOf(file->handle), buffer + done,
                  static_cast<DWORD>(capacity - done), &read, &at)) {
      DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF)
        break;
      return FailWindows(failure, CLI_CANNOT_READ, nullptr, error);
    }
    if (read == 0)
      break;
    done += static_cast<int>(read);
  }
  *got = done;
  return 1;
}

void ClosePlatformInput(InputFile *file) {
  CloseHandle(HandleOf(file->handle));
}

// The input stays open while the file converts, shared for deletion, so
// the check that nobody else holds the target lets readers be.
int CreatePlatformOutput(const char *path, OutputFile *file, Failure *failure) {
  Replacement *replace =
      static_cast<Replacement *>(malloc(sizeof(Replacement)));
  if (!replace)
    return FailWindows(failure, CLI_CANNOT_WRITE, nullptr,
                       ERROR_NOT_ENOUGH_MEMORY);
  if (!BeginReplacement(path, kTempNameTries, 1, replace)) {
    FailAsReplaceSays(failure, replace);
    free(replace);
    return 0;
  }
  strcpy(file->target, replace->target);
  strcpy(file->temp, replace->temp);
  file->folder = -1;
  file->replaces = replace->exists;
  file->handle = reinterpret_cast<intptr_t>(replace->file);
  file->replace = replace;
  return 1;
}

int WritePlatformOutput(OutputFile *file, long long offset,
                        const unsigned char *data, int size, Failure *failure) {
  int done = 0;
  while (done < size) {
    OVERLAPPED at = OffsetAt(offset + done);
    DWORD written = 0;
    if (!WriteFile(HandleOf(file->handle), data + done,
                   static_cast<DWORD>(size - done), &written, &at))
      return FailWindows(failure, CLI_CANNOT_WRITE, nullptr, GetLastError());
    done += static_cast<int>(written);
  }
  return 1;
}

int FinishPlatformOutput(OutputFile *file, Failure *failure) {
  return FinishReplacement(file->replace) ||
         FailAsReplaceSays(failure, file->replace);
}

int MovePlatformOutput(OutputFile *file, Failure *failure) {
  int moved = MoveReplacement(file->replace) ||
              FailAsReplaceSays(failure, file->replace);
  free(file->replace);
  file->replace = nullptr;
  return moved;
}

void RemovePlatformTemp(OutputFile *file) {
  DiscardReplacement(file->replace);
  free(file->replace);
  file->replace = nullptr;
}

void InstallInterruptCleanup(void) {
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

// Not _isatty, which takes NUL for a terminal.
int StandardInputIsTerminal(void) {
  return IsConsole(GetStdHandle(STD_INPUT_HANDLE));
}

int HighestPlatformBackup(const OutputFile *file, long long *highest,
                          Failure *failure) {
  char pattern[kCliPathSize + 8];
  snprintf(pattern, sizeof pattern, "%s.~*~", file->target);
  *highest = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND ||
           FailWindows(failure, CLI_CANNOT_NAME_BACKUP, nullptr,
                       GetLastError());
  const char *name = NameIn(file->target);
  do {
    long long number = SameNameStart(found.cFileName, name)
                           ? BackupNumber(found.cFileName + strlen(name), "")
                           : 0;
    *highest = number > *highest ? number : *highest;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return 1;
}

// Runs between FinishReplacement and MoveReplacement.
int BackUpPlatformTarget(OutputFile *file, int numbered, int *taken,
                         Failure *failure) {
  char *target = file->replace->target;
  char temp[kReplacePathSize];
  DWORD error;
  *taken = 0;
  if (SameFile(file->backup, target))
    return 1;
  int made = MakeUnderOwnName(target, 0, temp, LinkAtName, target, &error);
  if (!made && LinksRefused(error)) {
    made = MakeUnderOwnName(target, 0, temp, CopyAtName, target, &error);
    if (made && !FinishCopy(file, temp, failure)) {
      DeleteFileA(temp);
      return 0;
    }
  }
  if (!made)
    return FailWindows(failure, CLI_CANNOT_BACK_UP, file->backup, error);
  DWORD replace = numbered ? 0 : MOVEFILE_REPLACE_EXISTING;
  if (MoveFileExA(temp, file->backup, MOVEFILE_WRITE_THROUGH | replace))
    return 1;
  error = GetLastError();
  *taken =
      numbered && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS);
  DeleteFileA(temp);
  return FailWindows(failure, CLI_CANNOT_BACK_UP, file->backup, error);
}

int LookAtFile(const char *path, FileState *state) {
  return LookAt(path, 0, state);
}

// Names and the system's words are in the ANSI code page (UTF-8 with the
// manifest). A console shows them whole only as UTF-16: it would read bytes
// in its own code page, and the C runtime may pass them on one at a time.
void WritePlatformLine(FILE *stream, const char *text) {
  HANDLE handle = HandleOf(_get_osfhandle(_fileno(stream)));
  if (IsConsole(handle)) {
    fflush(stream);
    WriteToConsole(handle, text);
  } else {
    fputs(text, stream);
  }
}

void RunSideBySide(void (*job)(void *), void *first, void *second) {
  SideJob side = {job, second};
  HANDLE thread = CreateThread(nullptr, 0, RunSideJob, &side, 0, nullptr);
  job(first);
  if (!thread) {
    job(second);
    return;
  }
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}
