// The file layer on Windows, with ANSI paths as everywhere in the program.
#include "cli_file.h"

#include <windows.h>

#include <io.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "qif_messages.h"

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

// The folder part of path, "." when it has none, for the temporary file:
// MoveFileExA replaces a file atomically only within one volume.
void FolderOf(const char *path, char *folder) {
  size_t length = 0;
  for (size_t i = 0; path[i]; ++i)
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
      length = i + 1;
  if (length == 0) {
    strcpy(folder, ".");
    return;
  }
  memcpy(folder, path, length);
  folder[length] = '\0';
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

} // namespace

int OpenInputFile(const char *path, InputFile *file, char *reason) {
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
  if (!CheckReadable(handle, &size, reason)) {
    CloseHandle(handle);
    return 0;
  }
  file->handle = reinterpret_cast<intptr_t>(handle);
  file->size = size.QuadPart;
  return 1;
}

int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, char *reason) {
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

void CloseInputFile(InputFile *file) { CloseHandle(HandleOf(file->handle)); }

int CreateOutputFile(const char *path, OutputFile *file, char *reason) {
  // The system judges the length itself: in UTF-8 a character of a name
  // takes up to four bytes, so MAX_PATH bytes would be too few.
  if (strlen(path) >= kCliPathSize)
    return Fail(reason, MSG_UNABLE_TO_SAVE, ERROR_FILENAME_EXCED_RANGE);
  strcpy(file->target, path);
  char folder[kCliPathSize];
  FolderOf(path, folder);
  // Creates the file, empty, under a name no other file has.
  if (!GetTempFileNameA(folder, "kst", 0, file->temp))
    return Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
  HANDLE handle =
      CreateFileA(file->temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    DeleteFileA(file->temp);
    return Fail(reason, MSG_UNABLE_TO_SAVE, error);
  }
  file->handle = reinterpret_cast<intptr_t>(handle);
  return 1;
}

int WriteOutputFile(OutputFile *file, long long offset,
                    const unsigned char *data, int size, char *reason) {
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
// its old content or the whole new one.
int CommitOutputFile(OutputFile *file, char *reason) {
  HANDLE handle = HandleOf(file->handle);
  int ok = FlushFileBuffers(handle)
               ? 1
               : Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
  if (!CloseHandle(handle) && ok)
    ok = Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
  if (ok && !MoveFileExA(file->temp, file->target, MOVEFILE_REPLACE_EXISTING))
    ok = Fail(reason, MSG_UNABLE_TO_SAVE, GetLastError());
  if (!ok)
    DeleteFileA(file->temp);
  return ok;
}

void DiscardOutputFile(OutputFile *file) {
  CloseHandle(HandleOf(file->handle));
  DeleteFileA(file->temp);
}

int GetFileIdentity(const char *path, FileIdentity *identity) {
  // No access asked for, so a file held open by others still answers;
  // backup semantics let a folder answer too.
  HANDLE handle = CreateFileA(
      path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return 0;
  BY_HANDLE_FILE_INFORMATION info;
  int ok = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!ok)
    return 0;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = static_cast<unsigned long long>(info.nFileIndexHigh) << 32 |
                    info.nFileIndexLow;
  return 1;
}

// Names and the system's words are in the ANSI code page (UTF-8 with the
// manifest). A console shows them whole only as UTF-16: bytes would be
// read in its own code page, and the C runtime may pass them on one at
// a time.
void PrintCli(FILE *stream, const char *format, ...) {
  va_list args;
  va_start(args, format);
  HANDLE console = ConsoleOf(stream);
  if (!console) {
    vfprintf(stream, format, args);
    va_end(args);
    return;
  }
  char text[2 * kCliPathSize];
  int length = vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length < 0)
    return;
  if (length >= static_cast<int>(sizeof text))
    length = sizeof text - 1;
  WCHAR wide[2 * kCliPathSize];
  int count =
      MultiByteToWideChar(CP_ACP, 0, text, length, wide, 2 * kCliPathSize);
  DWORD written;
  fflush(stream);
  WriteConsoleW(console, wide, static_cast<DWORD>(count), &written, nullptr);
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
