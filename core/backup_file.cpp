#include "replace_file.h"

namespace {

int Failed(Replacement *replace) {
  replace->stop = kReplaceFailed;
  replace->error = GetLastError();
  return 0;
}

// A volume without hard links (FAT, some network shares) says so; any
// other error (no room, no right) a copy would meet as well.
int LinksRefused(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_TOO_MANY_LINKS || error == ERROR_NOT_SAME_DEVICE;
}

// A hard link and a copy are made straight under a fresh name: neither
// call replaces a file, so a name taken fails it, harmlessly.
int LinkAtName(const char *name, void *target) {
  return CreateHardLinkA(name, static_cast<const char *>(target), nullptr);
}

// A copy that failed part-way (no room) is removed; a name taken is not.
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

// CopyFile keeps the attributes and the last write, not the permissions
// nor the flush.
int FinishCopy(Replacement *replace, const char *temp) {
  if (!CarryPermissions(replace, temp))
    return 0;
  HANDLE copy = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  int flushed = copy != INVALID_HANDLE_VALUE && FlushFileBuffers(copy);
  if (!flushed)
    Failed(replace);
  if (copy != INVALID_HANDLE_VALUE)
    CloseHandle(copy);
  return flushed;
}

// The file a name is itself, a link not followed: a backup's name that is
// already a hard link to the target keeps the original as it is.
int SameFile(const char *name, const char *other) {
  BY_HANDLE_FILE_INFORMATION info[2];
  const char *names[2] = {name, other};
  for (int i = 0; i < 2; ++i) {
    HANDLE file = CreateFileA(
        names[i], FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return 0;
    BOOL got = GetFileInformationByHandle(file, &info[i]);
    CloseHandle(file);
    if (!got)
      return 0;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
         info[0].nFileIndexLow == info[1].nFileIndexLow;
}

} // namespace

// Each failure keeps the error of the call that failed.
int BackUpTarget(Replacement *replace, const char *backup, int numbered,
                 int *taken) {
  char temp[kReplacePathSize];
  int denied;
  *taken = 0;
  replace->stop = kReplaceFailed;
  if (SameFile(backup, replace->target))
    return 1;
  int made = MakeUnderOwnName(replace->target, 0, temp, LinkAtName,
                              replace->target, &replace->error, &denied);
  if (!made && LinksRefused(replace->error)) {
    made = MakeUnderOwnName(replace->target, 0, temp, CopyAtName,
                            replace->target, &replace->error, &denied);
    if (made && !FinishCopy(replace, temp)) {
      DeleteFileA(temp);
      made = 0;
    }
  }
  if (!made)
    return 0;
  DWORD flags = MOVEFILE_WRITE_THROUGH;
  if (!numbered)
    flags |= MOVEFILE_REPLACE_EXISTING;
  if (MoveFileExA(temp, backup, flags))
    return 1;
  Failed(replace);
  *taken = numbered && (replace->error == ERROR_ALREADY_EXISTS ||
                        replace->error == ERROR_FILE_EXISTS);
  DeleteFileA(temp);
  return 0;
}
