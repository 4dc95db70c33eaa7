#include "qif_document.h"

#include "qif_messages.h"
#include "split_path.h"

QifDocumentState QifDocument;

namespace {

// Lengths that do not fit the document's signed 32-bit size, with room for
// the two zero bytes after the content, are refused before any allocation.
const LONGLONG kLargestContent = 0x7FFFFFFF - 2;

// Reads exactly length bytes, or fails: a short read must never pass for a
// whole file, or a later Save would cut the user's file short.
int ReadWhole(HANDLE file, unsigned char *block, DWORD length) {
  DWORD got = 0;
  return ReadFile(file, block, length, &got, nullptr) && got == length;
}

int LoadOpenFile(HWND owner, HANDLE file) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file, &length) || length.QuadPart < 1) {
    ShowWarning(owner, MSG_FILE_EMPTY, KESTROM_CAPTION);
    return 0;
  }
  if (length.QuadPart > kLargestContent) {
    ShowWarning(owner, MSG_UNABLE_TO_LOAD, KESTROM_CAPTION);
    return 0;
  }
  DWORD size = static_cast<DWORD>(length.QuadPart);
  void *block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, SIZE_T(size) + 2);
  if (!block) {
    ShowWarning(owner, MSG_UNABLE_TO_LOAD, KESTROM_CAPTION);
    return 0;
  }
  QifDocument.data = static_cast<unsigned char *>(block);
  if (!ReadWhole(file, QifDocument.data, size)) {
    ReleaseQifDocument();
    ShowWarning(owner, MSG_UNABLE_TO_LOAD, KESTROM_CAPTION);
    return 0;
  }
  QifDocument.size = static_cast<int>(size);
  return 1;
}

} // namespace

void ReleaseQifDocument() {
  if (QifDocument.data)
    GlobalFree(QifDocument.data);
  QifDocument.data = nullptr;
  QifDocument.size = 0;
}

// Opened with CreateFileA rather than OpenFile: OpenFile's OFSTRUCT holds
// only 128 bytes, and a deep folder's perfectly good export would fail to
// open. Sharing read and write is what OpenFile's compatibility mode grants,
// so a file another program holds open unshared is still refused.
int LoadQifFile(HWND owner) {
  HANDLE file = CreateFileA(QifDocument.path, GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ShowWarning(owner, MSG_UNABLE_TO_OPEN, KESTROM_CAPTION);
    return 0;
  }
  int loaded = LoadOpenFile(owner, file);
  CloseHandle(file);
  return loaded;
}

namespace {

// Writes the whole content to a file opened for writing and closes it. The
// flush makes "saved" mean on the disk, not in a cache that a failing device
// or a power cut can still lose, since the program ends at once after a save.
int WriteAndClose(HANDLE file) {
  DWORD written = 0;
  BOOL wrote = WriteFile(file, QifDocument.data, DWORD(QifDocument.size),
                         &written, nullptr);
  BOOL flushed = wrote && FlushFileBuffers(file);
  BOOL closed = CloseHandle(file);
  return flushed && closed && written == DWORD(QifDocument.size);
}

int WriteWhole(const char *path, DWORD disposition) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return file != INVALID_HANDLE_VALUE && WriteAndClose(file);
}

int Exists(const char *path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Refused before anything is written, as the old in-place write refused
// them: a read-only file (a rename would replace it all the same, and Wine
// as root would write into it), a file the user may not write, and one that
// another program holds open.
int MayReplace(const char *path, DWORD attributes) {
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
    return 0;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  CloseHandle(file);
  return 1;
}

// The new content goes to kstXXXX.tmp beside the file, which
// GetTempFileNameA creates. A folder that refuses new files sets *denied;
// Wine then still returns a number, for a file it never made. A folder too
// deep for the temporary name fails without it.
int MakeTempFile(const char *folder, char *temp, int *denied) {
  *denied = 0;
  if (lstrlenA(folder) > MAX_PATH - 14)
    return 0;
  SetLastError(0);
  UINT made = GetTempFileNameA(*folder ? folder : ".", "kst", 0, temp);
  DWORD error = GetLastError();
  if (made && Exists(temp))
    return 1;
  *denied = error == ERROR_ACCESS_DENIED;
  return 0;
}

// The written file takes the target's place. On Windows ReplaceFileA keeps
// the old file's ACL, creation time and streams; its hidden and system
// attributes are set here as well, as Wine's ReplaceFileA keeps none, and
// the archive bit is set for the changed content. Without a backup name,
// ERROR_UNABLE_TO_MOVE_REPLACEMENT means the old file is gone and the new
// one still has its temporary name: it is moved into place.
int PutInPlace(const char *temp, const char *target, int exists,
               DWORD attributes) {
  if (!exists)
    return MoveFileExA(temp, target, MOVEFILE_WRITE_THROUGH);
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  SetFileAttributesA(temp, (attributes & kept) | FILE_ATTRIBUTE_ARCHIVE);
  if (ReplaceFileA(target, temp, nullptr, 0, nullptr, nullptr))
    return 1;
  return GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
         MoveFileExA(temp, target, MOVEFILE_WRITE_THROUGH);
}

// The content is written whole to a temporary file, which then replaces the
// target, so a failed or interrupted save leaves the old file as it was.
// Only where the folder refuses new files is the file written in place. The
// temporary file is removed after a failure, unless it holds the only copy.
int SaveQifFile() {
  const char *target = QifDocument.path;
  DWORD attributes = GetFileAttributesA(target);
  int exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && !MayReplace(target, attributes))
    return 0;
  char folder[MAX_PATH], name[MAX_PATH], temp[MAX_PATH];
  lstrcpynA(folder, target, MAX_PATH);
  SplitPath(folder, name);
  int denied = 0;
  if (!MakeTempFile(folder, temp, &denied))
    return denied && WriteWhole(target, CREATE_ALWAYS);
  int saved = WriteWhole(temp, OPEN_EXISTING) &&
              PutInPlace(temp, target, exists, attributes);
  if (!saved && (!exists || Exists(target)))
    DeleteFileA(temp);
  return saved;
}

} // namespace

// Any failure on the way, a full disk or a dropped network share included,
// is a failed save: the caller keeps the dialog open so the user can save
// again somewhere else.
int WriteQifFile(HWND owner) {
  if (SaveQifFile())
    return 1;
  ShowWarning(owner, MSG_UNABLE_TO_SAVE, SAVE_CAPTION);
  return 0;
}
