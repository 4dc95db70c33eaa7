#include "replace_file.h"

#include "split_path.h"

namespace {

// Records why the replacement stopped. Returns 0.
int Stop(Replacement *replace, DWORD error, ReplaceStop stop = kReplaceFailed) {
  replace->stop = stop;
  replace->error = error;
  return 0;
}

// Returns the length of text's first bytes in UTF-16 units, as the path
// limit counts them; the manifests make the ANSI code page UTF-8.
int WideLength(const char *text, int bytes) {
  return bytes ? MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0) : 0;
}

// Returns the length of path's folder part, with its closing separator.
int FolderLength(const char *path) {
  int length = 0;
  for (int i = 0; path[i]; ++i)
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
      length = i + 1;
  return length;
}

// Writes to temp the first folder bytes of path and kstXXXX.tmp, with
// number's last hex digits. With less room than that, the name is as many
// hex digits as fit, so that every file the dialog loads can be saved.
void MakeTempName(const char *path, int folder, int room, unsigned number,
                  char *temp) {
  int digits = room < 4 ? room : 4;
  int named = room >= 11;
  lstrcpynA(temp, path, folder + 1);
  char *at = temp + folder;
  if (named)
    at = lstrcpyA(at, "kst") + 3;
  for (int i = digits - 1; i >= 0; --i, number >>= 4)
    at[i] = "0123456789ABCDEF"[number & 15];
  lstrcpyA(at + digits, named ? ".tmp" : "");
}

// Makes the target the full path of the name given, its last part spelled
// as the folder lists it, so that the rename keeps the name's case.
int UseNameGiven(const char *path, Replacement *replace) {
  char *name = nullptr;
  DWORD length =
      GetFullPathNameA(path, kReplacePathSize, replace->target, &name);
  if (length == 0 || length >= kReplacePathSize)
    return Stop(replace, ERROR_FILENAME_EXCED_RANGE);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
    if (name && lstrlenA(found.cFileName) == lstrlenA(name))
      lstrcpyA(name, found.cFileName);
  }
  return 1;
}

// Finds the file that an existing target really is, through any link. Where
// a volume gives no final path (RAM disks, some shares), a name that is no
// link or junction is the file itself.
int FindFinalPath(HANDLE file, const char *path, Replacement *replace) {
  DWORD length = GetFinalPathNameByHandleA(
      file, replace->target, kReplacePathSize, FILE_NAME_NORMALIZED);
  DWORD error = GetLastError();
  if (length == 0 && error != ERROR_MORE_DATA &&
      error != ERROR_NOT_ENOUGH_MEMORY) {
    DWORD named = GetFileAttributesA(path);
    return named != INVALID_FILE_ATTRIBUTES &&
                   !(named & FILE_ATTRIBUTE_REPARSE_POINT)
               ? UseNameGiven(path, replace)
               : Stop(replace, error);
  }
  if (length > 0 && length < kReplacePathSize) {
    DropLongPathPrefix(replace->target);
    if (WideLength(replace->target, lstrlenA(replace->target)) < MAX_PATH)
      return 1;
  }
  return Stop(replace, ERROR_FILENAME_EXCED_RANGE, kReplaceTooLong);
}

// Checks an existing target and notes its attributes. A device (NUL, CON)
// or a pipe would become a plain file. A read-only file is refused, although
// a rename would replace it.
int LookAtTarget(HANDLE file, const char *path, Replacement *replace) {
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file) != FILE_TYPE_DISK)
    return Stop(replace, ERROR_ACCESS_DENIED, kReplaceIsDevice);
  if (!GetFileInformationByHandle(file, &info))
    return Stop(replace, GetLastError());
  replace->attributes = info.dwFileAttributes;
  replace->created = info.ftCreationTime;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return Stop(replace, ERROR_ACCESS_DENIED, kReplaceIsFolder);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    return Stop(replace, ERROR_ACCESS_DENIED);
  return FindFinalPath(file, path, replace);
}

// Checks that the user may write and delete the target (the rename deletes
// it) and that no other program holds it.
int MayWrite(Replacement *replace, int callerReads) {
  HANDLE file = CreateFileA(replace->target, GENERIC_WRITE | DELETE,
                            callerReads ? FILE_SHARE_READ : 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return Stop(replace, GetLastError());
  CloseHandle(file);
  return 1;
}

// Takes a name that opens nothing (error says why) as a new file, unless the
// folder lists it: a dangling link, which the rename would make a plain file.
int FindNewTarget(const char *path, DWORD error, Replacement *replace) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  DWORD searched = GetLastError();
  if (search != INVALID_HANDLE_VALUE)
    FindClose(search);
  else if (searched == ERROR_FILE_NOT_FOUND || searched == ERROR_PATH_NOT_FOUND)
    return UseNameGiven(path, replace);
  return Stop(replace, error);
}

int FindTarget(const char *path, int callerReads, Replacement *replace) {
  if (lstrlenA(path) >= kReplacePathSize)
    return Stop(replace, ERROR_FILENAME_EXCED_RANGE);
  HANDLE file =
      CreateFileA(path, FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return FindNewTarget(path, GetLastError(), replace);
  replace->exists = 1;
  int found = LookAtTarget(file, path, replace);
  CloseHandle(file);
  return found && MayWrite(replace, callerReads);
}

// True under Wine, which keeps permissions as Unix modes: a descriptor set
// on a file turns 0600 into 0770, so there a new file keeps the usual mode.
int PermissionsAreUnixModes() {
  HMODULE system = GetModuleHandleA("ntdll.dll");
  return system && GetProcAddress(system, "wine_get_version");
}

// Compresses the temporary file as it is written, as the file system would
// compress a compressed target's own new data.
int Compress(Replacement *replace) {
  USHORT format = COMPRESSION_FORMAT_DEFAULT;
  DWORD returned = 0;
  return DeviceIoControl(replace->file, FSCTL_SET_COMPRESSION, &format,
                         sizeof format, nullptr, 0, &returned, nullptr) ||
         Stop(replace, GetLastError());
}

// Gives the temporary file the target's hidden, system and not-indexed
// attributes and its permissions; the archive bit marks the new content.
int CarryOver(Replacement *replace) {
  const DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  DWORD kept = (replace->attributes & kKept) | FILE_ATTRIBUTE_ARCHIVE;
  return (SetFileAttributesA(replace->temp, kept) ||
          Stop(replace, GetLastError())) &&
         CarryPermissions(replace, replace->temp);
}

// Reads the target's permissions into *descriptor, for the caller to
// GlobalFree. It is null under Wine and on a volume that keeps none.
int ReadPermissions(Replacement *replace, void **descriptor) {
  const SECURITY_INFORMATION kWhat = DACL_SECURITY_INFORMATION;
  DWORD need = 0;
  *descriptor = nullptr;
  if (PermissionsAreUnixModes() ||
      GetFileSecurityA(replace->target, kWhat, nullptr, 0, &need))
    return 1;
  DWORD error = GetLastError();
  if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
    return 1;
  if (error != ERROR_INSUFFICIENT_BUFFER)
    return Stop(replace, error);
  *descriptor = GlobalAlloc(GMEM_FIXED, need);
  return (*descriptor != nullptr &&
          GetFileSecurityA(replace->target, kWhat, *descriptor, need, &need)) ||
         Stop(replace, GetLastError());
}

// How a new file is made: readable too, as compression needs that, and
// shared for deletion only.
struct NewFile {
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
  HANDLE file = INVALID_HANDLE_VALUE;
};

int CreateNewFile(const char *name, void *context) {
  NewFile *made = static_cast<NewFile *>(context);
  made->file =
      CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                  &made->security, CREATE_NEW, made->attributes, nullptr);
  return made->file != INVALID_HANDLE_VALUE;
}

// Creates the temporary file with the target's permissions, so that nobody
// may read it who may not read the target, and encrypted as the target is.
// A volume that cannot encrypt it does not get the content in the clear.
int CreateReplacementFile(Replacement *replace, unsigned maxNames) {
  NewFile made;
  void **descriptor = &made.security.lpSecurityDescriptor;
  const DWORD kEncrypted = FILE_ATTRIBUTE_ENCRYPTED;
  if (replace->exists && !ReadPermissions(replace, descriptor))
    return 0;
  if (replace->exists && (replace->attributes & kEncrypted))
    made.attributes = kEncrypted;
  int created = MakeUnderOwnName(replace->target, maxNames, replace->temp,
                                 CreateNewFile, &made, &replace->error);
  if (*descriptor)
    GlobalFree(*descriptor);
  if (!created) {
    replace->temp[0] = '\0'; // the last name tried is another's
    return Stop(replace, replace->error,
                replace->error == ERROR_ACCESS_DENIED ? kReplaceNoNewFiles
                                                      : kReplaceFailed);
  }
  replace->file = made.file;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(made.file, &info))
    return Stop(replace, GetLastError());
  if ((made.attributes & kEncrypted) && !(info.dwFileAttributes & kEncrypted))
    return Stop(replace, ERROR_ENCRYPTION_FAILED, kReplaceNotEncrypted);
  return !replace->exists ||
         !(replace->attributes & FILE_ATTRIBUTE_COMPRESSED) ||
         Compress(replace);
}

} // namespace

int CarryPermissions(Replacement *replace, const char *to) {
  void *descriptor;
  int carried = ReadPermissions(replace, &descriptor) &&
                (!descriptor ||
                 SetFileSecurityA(to, DACL_SECURITY_INFORMATION, descriptor) ||
                 Stop(replace, GetLastError()));
  if (descriptor)
    GlobalFree(descriptor);
  return carried;
}

// Names are tried from a place of this run's own, in odd steps that reach
// every name before any comes back.
int MakeUnderOwnName(const char *path, unsigned maxNames, char *temp,
                     MakeAtName make, void *context, DWORD *error) {
  const unsigned kStep = 40503;
  int folder = FolderLength(path);
  int room = MAX_PATH - 1 - WideLength(path, folder);
  *error = ERROR_FILENAME_EXCED_RANGE;
  if (room < 1 || folder + int(sizeof "kst0000.tmp") > kReplacePathSize)
    return 0;
  unsigned names = 1u << 4 * (room < 4 ? room : 4);
  if (maxNames == 0 || maxNames > names)
    maxNames = names;
  unsigned number = GetCurrentProcessId() * kStep + GetTickCount();
  for (unsigned tried = 0; tried < maxNames; ++tried) {
    MakeTempName(path, folder, room, number += kStep, temp);
    if (make(temp, context))
      return 1;
    *error = GetLastError();
    // Access is also denied for a folder or a file being deleted there.
    int taken = *error == ERROR_FILE_EXISTS || *error == ERROR_ALREADY_EXISTS ||
                (*error == ERROR_ACCESS_DENIED &&
                 GetFileAttributesA(temp) != INVALID_FILE_ATTRIBUTES);
    if (!taken)
      return 0;
    *error = ERROR_FILE_EXISTS;
  }
  return 0;
}

HANDLE CreateOwnTempFile(const char *path, char *temp) {
  NewFile made;
  DWORD error;
  MakeUnderOwnName(path, 0, temp, CreateNewFile, &made, &error);
  return made.file;
}

int BeginReplacement(const char *path, unsigned maxNames, int callerReads,
                     Replacement *replace) {
  replace->file = INVALID_HANDLE_VALUE;
  replace->exists = 0;
  replace->temp[0] = '\0';
  replace->stop = kReplaceFailed;
  if (FindTarget(path, callerReads, replace) &&
      CreateReplacementFile(replace, maxNames))
    return 1;
  DiscardReplacement(replace);
  return 0;
}

// The creation time is set before the flush, so that it is on the disk
// with the content: on Windows a replaced file keeps its own.
int FinishReplacement(Replacement *replace) {
  HANDLE file = replace->file;
  replace->file = INVALID_HANDLE_VALUE;
  int done = ((!replace->exists ||
               SetFileTime(file, &replace->created, nullptr, nullptr)) &&
              FlushFileBuffers(file)) ||
             Stop(replace, GetLastError());
  int closed = CloseHandle(file) || Stop(replace, GetLastError());
  return done && closed && (!replace->exists || CarryOver(replace));
}

// The rename is retried for a second while another program holds a file. A
// new file never replaces one that appeared meanwhile.
int MoveReplacement(Replacement *replace) {
  DWORD flags = MOVEFILE_WRITE_THROUGH |
                (replace->exists ? MOVEFILE_REPLACE_EXISTING : 0);
  DWORD error;
  for (int tries = 1;; ++tries) {
    if (MoveFileExA(replace->temp, replace->target, flags))
      return 1;
    error = GetLastError();
    if (tries == 10 ||
        (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
      break;
    Sleep(100);
  }
  if (replace->exists &&
      GetFileAttributesA(replace->target) == INVALID_FILE_ATTRIBUTES &&
      GetLastError() == ERROR_FILE_NOT_FOUND)
    return Stop(replace, error, kReplaceTempKept);
  DeleteFileA(replace->temp);
  return Stop(replace, error);
}

void DiscardReplacement(Replacement *replace) {
  if (replace->file != INVALID_HANDLE_VALUE)
    CloseHandle(replace->file);
  replace->file = INVALID_HANDLE_VALUE;
  DeleteFileA(replace->temp);
}

OVERLAPPED OffsetAt(long long offset) {
  OVERLAPPED at = {};
  at.Offset = DWORD(offset);
  at.OffsetHigh = DWORD(offset >> 32);
  return at;
}
