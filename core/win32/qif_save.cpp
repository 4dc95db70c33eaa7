#include "qif_document.h"
#include "qif_messages.h"
#include "replace_file.h"

namespace {

int ReadAt(HANDLE file, DWORD offset, void *bytes, DWORD count) {
  OVERLAPPED at = OffsetAt(offset);
  DWORD got = 0;
  return ReadFile(file, bytes, count, &got, &at) && got == count;
}

int WriteAt(HANDLE file, DWORD offset, const void *bytes, DWORD count) {
  OVERLAPPED at = OffsetAt(offset);
  DWORD written = 0;
  return WriteFile(file, bytes, count, &written, &at) && written == count;
}

int EndAt(HANDLE file, DWORD length) {
  return SetFilePointer(file, LONG(length), nullptr, FILE_BEGIN) == length &&
         SetEndOfFile(file) && FlushFileBuffers(file);
}

// Writes back the old bytes where the file now differs from them, and only
// there: a write stopped by a size limit would stop again past the point
// the failed one reached.
int PutBack(HANDLE file, const unsigned char *old, DWORD length) {
  unsigned char now[16384];
  int ok = 1;
  for (DWORD start = 0; start < length; start += sizeof now) {
    DWORD count = length - start < sizeof now ? length - start : sizeof now;
    DWORD first = 0, end = count;
    if (ReadAt(file, start, now, count)) {
      while (first < count && now[first] == old[start + first])
        ++first;
      while (end > first && now[end - 1] == old[start + end - 1])
        --end;
    }
    if (first < end)
      ok &= WriteAt(file, start + first, old + start + first, end - first);
  }
  return ok && EndAt(file, length);
}

// Keeps the original's bytes in the temporary folder, named in copy.
int KeepCopy(const unsigned char *old, DWORD size, char *copy) {
  char folder[kReplacePathSize];
  DWORD length = GetTempPathA(sizeof folder, folder);
  HANDLE file = length && length < sizeof folder
                    ? CreateOwnTempFile(folder, copy)
                    : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  int kept = WriteAt(file, 0, old, size) && FlushFileBuffers(file);
  kept = CloseHandle(file) && kept;
  if (!kept)
    DeleteFileA(copy);
  return kept;
}

// Writes the content over the open file, its old bytes copied aside first.
// A failed write puts the old bytes back and drops the copy; only when even
// that fails is the copy kept, and *changed set.
int WriteOver(HANDLE file, char *copy, int *changed) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file, &length) || length.QuadPart > MAXLONG)
    return 0;
  DWORD size = DWORD(length.QuadPart);
  unsigned char *old =
      static_cast<unsigned char *>(GlobalAlloc(GMEM_FIXED, size ? size : 1));
  int saved = 0;
  if (old && ReadAt(file, 0, old, size) && KeepCopy(old, size, copy)) {
    saved = WriteAt(file, 0, QifDocument.data, DWORD(QifDocument.size)) &&
            EndAt(file, DWORD(QifDocument.size));
    *changed = !saved && !PutBack(file, old, size);
    if (!*changed)
      DeleteFileA(copy);
  }
  if (old)
    GlobalFree(old);
  return saved;
}

// Writes over the file through the name given, which opens even a link
// too long to follow.
int WriteInPlace(char *copy, int *changed) {
  HANDLE file =
      CreateFileA(QifDocument.path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  int saved = WriteOver(file, copy, changed);
  return CloseHandle(file) && saved;
}

int WriteReplacement(Replacement *replace) {
  if (WriteAt(replace->file, 0, QifDocument.data, DWORD(QifDocument.size)) &&
      FinishReplacement(replace))
    return MoveReplacement(replace);
  DiscardReplacement(replace);
  return 0;
}

// Warns that the file is not saved, adding note and path unless note is null.
void WarnUnsaved(HWND owner, const char *note, const char *path) {
  char text[kReplacePathSize + 256];
  lstrcpyA(text, MSG_UNABLE_TO_SAVE);
  if (note)
    lstrcatA(lstrcatA(lstrcatA(lstrcatA(text, "\n\n"), note), path), ".");
  ShowWarning(owner, text, SAVE_CAPTION);
}

} // namespace

int WriteQifFile(HWND owner) {
  Replacement replace;
  char copy[kReplacePathSize];
  int changed = 0;
  if (BeginReplacement(QifDocument.path, 0, 0, &replace)) {
    if (WriteReplacement(&replace))
      return 1;
  } else if ((replace.stop == kReplaceNoNewFiles ||
              replace.stop == kReplaceTooLong) &&
             WriteInPlace(copy, &changed)) {
    return 1;
  }
  if (changed)
    WarnUnsaved(owner, MSG_NOT_PUT_BACK "\n\n" MSG_ORIGINAL_KEPT_IN, copy);
  else if (replace.stop == kReplaceTempKept)
    WarnUnsaved(owner, MSG_CONVERTED_KEPT_AS, replace.temp);
  else
    WarnUnsaved(owner, nullptr, nullptr);
  return 0;
}
