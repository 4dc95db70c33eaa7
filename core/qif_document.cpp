#include "qif_document.h"

#include "qif_lines.h"
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

// A picture or a program renamed .qif is refused as it loads: the rules
// would change bytes in it that are no dates or letters. The warning names
// the byte and its line, as a stray one in a real export needs finding.
int IsTextContent(HWND owner) {
  int at = FindQifBinaryByte(QifDocument.data, 0, QifDocument.size);
  if (at < 0)
    return 1;
  char text[256];
  wsprintfA(text, MSG_UNABLE_TO_LOAD "\n\n" MSG_BINARY_DATA,
            QifDocument.data[at],
            QifLineNumber(QifDocument.data, QifDocument.size, at));
  ReleaseQifDocument();
  ShowWarning(owner, text, KESTROM_CAPTION);
  return 0;
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
  return IsTextContent(owner);
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

// The file a save replaces, as it was found before anything was written.
struct SaveTarget {
  char path[MAX_PATH]; // the file itself, any symbolic link followed
  int exists;
  DWORD attributes;
  FILETIME created;
};

// The file an existing target really is. Through a symbolic link the file
// the link names is replaced, and the link stays a link.
int FindFinalPath(HANDLE file, SaveTarget *target) {
  char final[MAX_PATH + 8];
  DWORD length = GetFinalPathNameByHandleA(file, final, sizeof final,
                                           FILE_NAME_NORMALIZED);
  if (length == 0 || length >= sizeof final)
    return 0;
  DropLongPathPrefix(final);
  if (lstrlenA(final) >= MAX_PATH)
    return 0;
  lstrcpyA(target->path, final);
  return 1;
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

// A path that opens nothing is a new file: where its folder is missing or
// closed, creating the temporary file fails.
int FindTarget(const char *path, SaveTarget *target) {
  lstrcpynA(target->path, path, MAX_PATH);
  target->exists = 0;
  HANDLE file =
      CreateFileA(path, FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  BY_HANDLE_FILE_INFORMATION info;
  int found =
      GetFileInformationByHandle(file, &info) && FindFinalPath(file, target);
  CloseHandle(file);
  if (!found)
    return 0;
  target->exists = 1;
  target->attributes = info.dwFileAttributes;
  target->created = info.ftCreationTime;
  return MayReplace(target->path, info.dwFileAttributes);
}

// number-th temporary name beside the target: kstXXXX.tmp, or where the
// path has no room for that, as many hex digits as fit, so that every file
// that could be loaded can be saved. Returns how many names there are.
unsigned MakeTempName(const char *target, unsigned number, char *temp) {
  int folder = lstrlenA(target);
  while (folder > 0 && target[folder - 1] != '\\' && target[folder - 1] != ':')
    --folder;
  int room = MAX_PATH - 1 - folder;
  int digits = room < 4 ? room : 4;
  char *at = temp + folder;
  lstrcpynA(temp, target, folder + 1);
  if (room >= 11)
    at = lstrcpyA(at, "kst") + 3;
  for (int i = digits - 1; i >= 0; --i, number >>= 4)
    at[i] = "0123456789ABCDEF"[number & 15];
  lstrcpyA(at + digits, room >= 11 ? ".tmp" : "");
  return 1u << 4 * digits;
}

// Creates a temporary file of this save's own: CREATE_NEW never opens a
// file that is already there, whoever made it. A folder that refuses new
// files sets *denied.
HANDLE CreateTempFile(const char *target, char *temp, int *denied) {
  *denied = 0;
  unsigned first = GetTickCount() ^ (GetCurrentProcessId() << 8);
  for (unsigned tried = 0, names = 1; tried < names; ++tried) {
    names = MakeTempName(target, first + tried, temp);
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE)
      return file;
    // Access is also denied for a folder or a file being deleted there.
    int taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                (error == ERROR_ACCESS_DENIED &&
                 GetFileAttributesA(temp) != INVALID_FILE_ATTRIBUTES);
    if (!taken) {
      *denied = error == ERROR_ACCESS_DENIED;
      break;
    }
  }
  return INVALID_HANDLE_VALUE;
}

// Writes the whole content and closes the file. The flush makes "saved"
// mean on the disk, not in a cache that a failing device or a power cut can
// still lose, since the program ends at once after a save. The replaced
// file's creation time is kept, as on Windows a replaced file's is.
int WriteTempFile(HANDLE file, const SaveTarget *target) {
  DWORD written = 0;
  BOOL wrote = WriteFile(file, QifDocument.data, DWORD(QifDocument.size),
                         &written, nullptr) &&
               written == DWORD(QifDocument.size);
  BOOL kept =
      !target->exists || SetFileTime(file, &target->created, nullptr, nullptr);
  BOOL flushed = wrote && kept && FlushFileBuffers(file);
  return CloseHandle(file) && flushed;
}

// Wine keeps permissions as Unix modes, and a descriptor set on a file
// comes back as a mode that lets the group write and everyone run it (0600
// turns into 0770): there the new file keeps the mode every new file gets.
int PermissionsAreUnixModes() {
  HMODULE system = GetModuleHandleA("ntdll.dll");
  return system && GetProcAddress(system, "wine_get_version");
}

// Who may read and change the file stays as it was. A volume that keeps no
// permissions has none to give.
int CarrySecurity(const char *from, const char *to) {
  const SECURITY_INFORMATION kWhat = DACL_SECURITY_INFORMATION;
  DWORD need = 0;
  if (PermissionsAreUnixModes())
    return 1;
  GetFileSecurityA(from, kWhat, nullptr, 0, &need);
  if (need == 0)
    return 1;
  void *descriptor = GlobalAlloc(GMEM_FIXED, need);
  int carried = descriptor &&
                GetFileSecurityA(from, kWhat, descriptor, need, &need) &&
                SetFileSecurityA(to, kWhat, descriptor);
  if (descriptor)
    GlobalFree(descriptor);
  return carried;
}

// The hidden and system attributes stay, and the archive bit marks the
// changed content.
int CarryOver(const SaveTarget *target, const char *temp) {
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  return !target->exists ||
         (SetFileAttributesA(temp, (target->attributes & kept) |
                                       FILE_ATTRIBUTE_ARCHIVE) &&
          CarrySecurity(target->path, temp));
}

// One rename: at every moment the target's name holds the old file or the
// new one, whenever the program is stopped. An indexer or a virus scanner
// that opens the new file for a moment makes it fail, so it is tried again
// for about a second. A new file never replaces one that appeared meanwhile.
int MoveIntoPlace(const char *temp, const SaveTarget *target) {
  DWORD flags = MOVEFILE_WRITE_THROUGH;
  if (target->exists)
    flags |= MOVEFILE_REPLACE_EXISTING;
  for (int tries = 1;; ++tries) {
    if (MoveFileExA(temp, target->path, flags))
      return 1;
    DWORD error = GetLastError();
    if (tries == 10 ||
        (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
      return 0;
    Sleep(100);
  }
}

OVERLAPPED At(DWORD offset) {
  OVERLAPPED at;
  ZeroMemory(&at, sizeof at);
  at.Offset = offset;
  return at;
}

int ReadAt(HANDLE file, DWORD offset, void *bytes, DWORD count) {
  OVERLAPPED at = At(offset);
  DWORD got = 0;
  return ReadFile(file, bytes, count, &got, &at) && got == count;
}

int WriteAt(HANDLE file, DWORD offset, const void *bytes, DWORD count) {
  OVERLAPPED at = At(offset);
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

// Where the folder refuses new files, the file is written over where it is,
// without truncating it first. Its bytes are read beforehand, so that a
// write failing part-way can put them back; *changed tells when even that
// failed.
int WriteOver(HANDLE file, int *changed) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file, &length) || length.QuadPart > kLargestContent)
    return 0;
  DWORD size = DWORD(length.QuadPart);
  void *block = GlobalAlloc(GMEM_FIXED, size ? size : 1);
  unsigned char *old = static_cast<unsigned char *>(block);
  int saved = 0;
  if (old && ReadAt(file, 0, old, size)) {
    saved = WriteAt(file, 0, QifDocument.data, DWORD(QifDocument.size)) &&
            EndAt(file, DWORD(QifDocument.size));
    *changed = !saved && !PutBack(file, old, size);
  }
  if (block)
    GlobalFree(block);
  return saved;
}

int WriteInPlace(const char *path, int *changed) {
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  int saved = WriteOver(file, changed);
  return CloseHandle(file) && saved;
}

// The content is written whole to a temporary file, which then takes the
// target's place, so a failed or interrupted save leaves the old file as it
// was. Only where the folder refuses new files is the file written in
// place.
int SaveQifFile(int *changed) {
  SaveTarget target;
  if (!FindTarget(QifDocument.path, &target))
    return 0;
  char temp[MAX_PATH];
  int denied = 0;
  HANDLE file = CreateTempFile(target.path, temp, &denied);
  if (file == INVALID_HANDLE_VALUE)
    return denied && target.exists && WriteInPlace(target.path, changed);
  int saved = WriteTempFile(file, &target) && CarryOver(&target, temp) &&
              MoveIntoPlace(temp, &target);
  if (!saved)
    DeleteFileA(temp);
  return saved;
}

} // namespace

// Any failure on the way, a full disk or a dropped network share included,
// is a failed save: the caller keeps the dialog open so the user can save
// again somewhere else. The warning says so when the file itself could not
// be put back as it was.
int WriteQifFile(HWND owner) {
  int changed = 0;
  if (SaveQifFile(&changed))
    return 1;
  ShowWarning(owner,
              changed ? MSG_UNABLE_TO_SAVE "\n\nThe file could not be put "
                                           "back as it was: part of it may "
                                           "already be converted."
                      : MSG_UNABLE_TO_SAVE,
              SAVE_CAPTION);
  return 0;
}
