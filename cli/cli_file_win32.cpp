// The file layer on Windows, with ANSI paths as everywhere in the program.
#include "cli_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cli_escape.h"
#include "cli_stdio.h"
#include "qif_messages.h"
#include "split_path.h"

namespace {

// what, then the system's words without their closing full stop.
int Fail(char *reason, const char *what, DWORD error) {
  char text[256];
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, text, sizeof text, nullptr);
  while (length > 0 && strchr("\r\n .", text[length - 1]))
    --length;
  if (length == 0)
    snprintf(reason, kReasonSize, "%s: error %lu", what, error);
  else
    snprintf(reason, kReasonSize, "%s: %.*s", what, static_cast<int>(length),
             text);
  return 0;
}

int FailWith(char *reason, const char *what, const char *why) {
  snprintf(reason, kReasonSize, "%s: %s", what, why);
  return 0;
}

HANDLE HandleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED At(long long offset) {
  OVERLAPPED at;
  memset(&at, 0, sizeof at);
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

long long FromFileTime(const FILETIME &time) {
  return static_cast<long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

FileState StateOf(const BY_HANDLE_FILE_INFORMATION *info,
                  const FILE_BASIC_INFO *basic) {
  FileState state;
  state.identity.volume = info->dwVolumeSerialNumber;
  state.identity.index = static_cast<unsigned long long>(info->nFileIndexHigh)
                             << 32 |
                         info->nFileIndexLow;
  state.size =
      static_cast<long long>(info->nFileSizeHigh) << 32 | info->nFileSizeLow;
  state.lastWrite = FromFileTime(info->ftLastWriteTime);
  state.lastChange = basic->ChangeTime.QuadPart;
  return state;
}

// The state of an open file; the change time is in FileBasicInfo alone.
int GetFileState(HANDLE handle, FileState *state) {
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandle(handle, &info) ||
      !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic,
                                    sizeof basic))
    return 0;
  *state = StateOf(&info, &basic);
  return 1;
}

// The file path names now, a link followed, opened to read its attributes
// alone (FileBasicInfo needs that much): a file held open by others still
// answers, and backup semantics let a folder answer too.
HANDLE OpenToLookAt(const char *path) {
  return CreateFileA(path, FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                     nullptr);
}

int CheckReadable(HANDLE file, LARGE_INTEGER *size, char *reason) {
  if (GetFileType(file) != FILE_TYPE_DISK)
    return FailWith(reason, MSG_UNABLE_TO_OPEN, "not a regular file");
  if (!GetFileSizeEx(file, size))
    return Fail(reason, MSG_UNABLE_TO_OPEN, GetLastError());
  if (size->QuadPart == 0) {
    snprintf(reason, kReasonSize, "%s", MSG_FILE_EMPTY);
    return 0;
  }
  // Counts and line numbers are ints, as in the dialog.
  if (size->QuadPart >= INT_MAX)
    return Fail(reason, MSG_UNABLE_TO_LOAD, ERROR_FILE_TOO_LARGE);
  return 1;
}

// The length of the folder part of path, with its closing separator, for
// the temporary file: MoveFileExA replaces a file atomically only within
// one volume.
size_t FolderLength(const char *path) {
  size_t length = 0;
  for (size_t i = 0; path[i]; ++i)
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
      length = i + 1;
  return length;
}

struct ThreadStart {
  void (*job)(void *);
  void *argument;
};

DWORD WINAPI RunThreadStart(LPVOID context) {
  ThreadStart *start = static_cast<ThreadStart *>(context);
  start->job(start->argument);
  return 0;
}

// The console behind stream, or null when it goes to a file or a pipe.
HANDLE ConsoleOf(FILE *stream) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode;
  return GetConsoleMode(handle, &mode) ? handle : nullptr;
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

// The temporary file being written, and the note of the last file
// converted and not yet reported, for the console control handler, which
// runs on a thread of its own: the lock keeps it from looking while the
// file is made, moved or removed, or the note changes.
CRITICAL_SECTION g_tempLock;
int g_tempActive = 0;
char g_tempName[kCliPathSize];
char *g_note = nullptr;

// Takes the escaped note from the caller, under the lock.
void ArmNote(char *note) {
  free(g_note);
  g_note = note;
}

// A file done has its note armed; one not done leaves the last file's.
void ArmNoteIfDone(int done, char *note) {
  if (done)
    ArmNote(note);
  else
    free(note);
}

char *EscapeNote(const char *note) {
  return EscapeLine(note, static_cast<int>(strlen(note)));
}

// The note, from the handler's thread, straight to the standard error
// handle: the C runtime's stream is the main thread's.
void WriteNoteFromHandler(void) {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode, written;
  if (GetConsoleMode(handle, &mode))
    WriteToConsole(handle, g_note);
  else
    WriteFile(handle, g_note, static_cast<DWORD>(strlen(g_note)), &written,
              nullptr);
}

void RememberTemp(const char *temp) {
  strcpy(g_tempName, temp);
  g_tempActive = 1;
}

// Removes the temporary file, if it is still there, and forgets it.
void RemoveTemp(const char *temp) {
  EnterCriticalSection(&g_tempLock);
  if (GetFileAttributesA(temp) != INVALID_FILE_ATTRIBUTES)
    DeleteFileA(temp);
  g_tempActive = 0;
  LeaveCriticalSection(&g_tempLock);
}

// Ctrl+C and Ctrl+Break as SIGINT, a closed console or the end of the
// session as SIGTERM. The file is shared for deletion, so it goes even
// while another thread writes it. TerminateProcess, as _exit on POSIX:
// the other threads may hold the C runtime's locks.
BOOL WINAPI OnConsoleControl(DWORD event) {
  EnterCriticalSection(&g_tempLock);
  if (g_tempActive)
    DeleteFileA(g_tempName);
  if (g_note)
    WriteNoteFromHandler();
  TerminateProcess(GetCurrentProcess(),
                   event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130
                                                                      : 143);
  return TRUE;
}

// The lock exists before main: a handler may run as soon as it is set.
struct TempLockStart {
  TempLockStart() { InitializeCriticalSection(&g_tempLock); }
} g_tempLockStart;

// An existing target must be a file on a disk, not a device (NUL, CON) or
// a pipe, and not read-only: the dialog refuses that too.
int CheckTarget(const BY_HANDLE_FILE_INFORMATION *info, char *reason) {
  if (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return FailWith(reason, MSG_UNABLE_TO_SAVE, "it is a folder");
  if (info->dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    return Fail(reason, MSG_UNABLE_TO_SAVE, ERROR_ACCESS_DENIED);
  return 1;
}

// The file an existing target is, found through any symbolic link, so that
// the file is replaced and the link stays a link, as on POSIX systems.
int ResolveTarget(const char *path, OutputFile *file, char *reason) {
  // The system judges the length itself: in UTF-8 a character of a name
  // takes up to four bytes, so MAX_PATH bytes would be too few.
  if (strlen(path) >= kCliPathSize)
    return Fail(reason, MSG_UNABLE_TO_SAVE, ERROR_FILENAME_EXCED_RANGE);
  strcpy(file->target, path);
  HANDLE handle = OpenToLookAt(path);
  if (handle == INVALID_HANDLE_VALUE)
    return 1; // a new file; a missing folder fails when the file is made
  BY_HANDLE_FILE_INFORMATION info;
  int ok = GetFileType(handle) != FILE_TYPE_DISK
               ? FailWith(reason, MSG_UNABLE_TO_SAVE, "not a regular file")
           : GetFileInformationByHandle(handle, &info)
               ? CheckTarget(&info, reason)
               : Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
  char final[kCliPathSize];
  DWORD length = ok ? GetFinalPathNameByHandleA(handle, final, sizeof final,
                                                FILE_NAME_NORMALIZED)
                    : 0;
  if (ok && (length == 0 || length >= sizeof final))
    ok = Fail(reason, MSG_UNABLE_TO_SAVE,
              length ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
  CloseHandle(handle);
  if (!ok)
    return 0;
  DropLongPathPrefix(final);
  // A full path also for ReplaceFileA, which Wine gets wrong with a
  // relative one.
  strcpy(file->target, final);
  file->replaces = 1;
  return 1;
}

// The temporary file beside target, kstXXXX.tmp, created empty under a
// name no file has: CREATE_NEW never opens one that exists, so another
// program's file, or one an earlier run left, is never truncated nor moved
// over the target. Names are tried from a place of this run's own, in
// steps that reach all 65536 before any comes back; after kTries taken the
// folder is full of them, and the reason says so (The file exists). Any
// other failure is the folder's answer (Access denied) and ends the
// search. Shared for deletion, so that an interrupt can remove it while
// open.
HANDLE CreateTempFile(const char *target, char *temp, DWORD *error) {
  const DWORD kTries = 4096, kStep = 40503; // odd: a full cycle mod 65536
  size_t folder = FolderLength(target);
  if (folder + sizeof "kst0000.tmp" > kCliPathSize) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return INVALID_HANDLE_VALUE;
  }
  memcpy(temp, target, folder);
  DWORD name = GetCurrentProcessId() * kStep + GetTickCount();
  *error = ERROR_FILE_EXISTS;
  for (DWORD i = 0; i < kTries && *error == ERROR_FILE_EXISTS; ++i) {
    name += kStep;
    snprintf(temp + folder, kCliPathSize - folder, "kst%04lX.tmp",
             static_cast<unsigned long>(name & 0xFFFF));
    HANDLE handle = CreateFileA(temp, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
      return handle;
    *error = GetLastError();
    if (*error == ERROR_ALREADY_EXISTS)
      *error = ERROR_FILE_EXISTS;
  }
  return INVALID_HANDLE_VALUE;
}

// ReplaceFileA keeps what the file it replaces had: attributes, ACL,
// creation time, other streams. MoveFileExA only puts a new file where
// none was, and fails if one has appeared since.
int MoveIntoPlace(OutputFile *file, char *reason) {
  int ok = file->replaces
               ? ReplaceFileA(file->target, file->temp, nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               : MoveFileExA(file->temp, file->target, 0);
  return ok ? 1 : Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
}

} // namespace

int OpenInputFile(const char *path, InputFile *file, char *reason) {
  if (IsStandardStream(path)) {
    _setmode(_fileno(stdin), _O_BINARY);
    return ReadStandardInput(file, reason);
  }
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return FailWith(reason, MSG_UNABLE_TO_OPEN, "it is a folder");
  HANDLE handle =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return Fail(reason, MSG_UNABLE_TO_OPEN, GetLastError());
  LARGE_INTEGER size;
  FileState state;
  if (!CheckReadable(handle, &size, reason) ||
      (!GetFileState(handle, &state) &&
       !Fail(reason, MSG_UNABLE_TO_OPEN, GetLastError()))) {
    CloseHandle(handle);
    return 0;
  }
  memset(file, 0, sizeof *file);
  file->handle = reinterpret_cast<intptr_t>(handle);
  file->size = size.QuadPart;
  file->path = path;
  file->opened = state;
  return 1;
}

int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, char *reason) {
  if (file->memory) {
    ReadInputMemory(file, offset, buffer, capacity, got);
    return 1;
  }
  int done = 0;
  while (done < capacity) {
    OVERLAPPED at = At(offset + done);
    DWORD read = 0;
    if (!ReadFile(HandleOf(file->handle), buffer + done,
                  static_cast<DWORD>(capacity - done), &read, &at)) {
      DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF)
        break;
      return Fail(reason, MSG_UNABLE_TO_LOAD, error);
    }
    if (read == 0)
      break;
    done += static_cast<int>(read);
  }
  *got = done;
  return 1;
}

void CloseInputFile(InputFile *file) {
  if (!file->standard)
    CloseHandle(HandleOf(file->handle));
  free(file->memory);
  file->memory = nullptr;
}

int CreateOutputFile(const char *path, long long size, OutputFile *file,
                     char *reason) {
  if (IsStandardStream(path)) {
    _setmode(_fileno(stdout), _O_BINARY);
    return CreateOutputMemory(file, size, reason);
  }
  memset(file, 0, sizeof *file);
  file->given = path;
  if (!ResolveTarget(path, file, reason))
    return 0;
  // An interrupt waits until the file is known.
  EnterCriticalSection(&g_tempLock);
  DWORD error = 0;
  HANDLE handle = CreateTempFile(file->target, file->temp, &error);
  if (handle != INVALID_HANDLE_VALUE)
    RememberTemp(file->temp);
  LeaveCriticalSection(&g_tempLock);
  if (handle == INVALID_HANDLE_VALUE)
    return Fail(reason, MSG_UNABLE_TO_SAVE, error);
  file->handle = reinterpret_cast<intptr_t>(handle);
  return 1;
}

int WriteOutputFile(OutputFile *file, long long offset,
                    const unsigned char *data, int size, char *reason) {
  if (file->memory)
    return WriteOutputMemory(file, offset, data, size, reason);
  int done = 0;
  while (done < size) {
    OVERLAPPED at = At(offset + done);
    DWORD written = 0;
    if (!WriteFile(HandleOf(file->handle), data + done,
                   static_cast<DWORD>(size - done), &written, &at))
      return Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
    done += static_cast<int>(written);
  }
  return 1;
}

// Flushed before the move, so that after a crash the target holds either
// its old content or the whole new one. The source is looked at last,
// just before the move. An interrupt during the move waits for it, then
// finds the note armed.
int CommitOutputFile(OutputFile *file, InputFile *source, long long read,
                     const char *note, char *reason) {
  char *escaped = EscapeNote(note);
  if (file->memory) {
    CloseInputFile(source);
    int ok = CommitOutputMemory(file, reason);
    EnterCriticalSection(&g_tempLock);
    ArmNoteIfDone(ok, escaped);
    LeaveCriticalSection(&g_tempLock);
    return ok;
  }
  HANDLE handle = HandleOf(file->handle);
  int ok = FlushFileBuffers(handle)
               ? 1
               : Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
  if (!CloseHandle(handle) && ok)
    ok = Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
  if (ok)
    ok = CheckInputUnchanged(source, read, reason);
  CloseInputFile(source);
  EnterCriticalSection(&g_tempLock);
  if (ok)
    ok = MoveIntoPlace(file, reason);
  ArmNoteIfDone(ok, escaped);
  LeaveCriticalSection(&g_tempLock);
  RemoveTemp(file->temp);
  return ok;
}

void SayConverted(void) {
  EnterCriticalSection(&g_tempLock);
  if (g_note)
    PrintCli(stderr, "%s", g_note);
  ArmNote(nullptr);
  LeaveCriticalSection(&g_tempLock);
}

void DiscardOutputFile(OutputFile *file) {
  if (file->memory) {
    DiscardOutputMemory(file);
    return;
  }
  CloseHandle(HandleOf(file->handle));
  RemoveTemp(file->temp);
}

void InstallInterruptCleanup(void) {
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

int LookAtFile(const char *path, FileState *state) {
  HANDLE handle = OpenToLookAt(path);
  if (handle == INVALID_HANDLE_VALUE)
    return 0;
  int ok = GetFileState(handle, state);
  CloseHandle(handle);
  return ok;
}

// Names and the system's words are in the ANSI code page (UTF-8 with the
// manifest). A console shows them whole only as UTF-16: bytes would be
// read in its own code page, and the C runtime may pass them on one at
// a time.
void PrintCli(FILE *stream, const char *format, ...) {
  va_list args;
  va_start(args, format);
  char *text = FormatEscapedLine(format, args);
  va_end(args);
  if (!text)
    return;
  HANDLE console = ConsoleOf(stream);
  if (console) {
    fflush(stream);
    WriteToConsole(console, text);
  } else {
    fputs(text, stream);
  }
  free(text);
}

void RunSideBySide(void (*job)(void *), void *first, void *second) {
  ThreadStart start = {job, second};
  HANDLE thread = CreateThread(nullptr, 0, RunThreadStart, &start, 0, nullptr);
  job(first);
  if (!thread) {
    job(second);
    return;
  }
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}
