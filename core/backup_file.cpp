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

// CopyFile keeps the attributes and the last write, not the permissions
// nor the flush.
int CopyWithMetadata(Replacement *replace, const char *temp) {
  if (!CopyFileA(replace->target, temp, TRUE) ||
      !CarryPermissions(replace, temp))
    return replace->stop == kReplaceFailed && replace->error ? 0
                                                             : Failed(replace);
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

// The temporary name is one the save makes its own first, then frees for
// the link: CreateHardLink never replaces a file, so a name taken
// meanwhile fails it, harmlessly.
int BackUpTarget(Replacement *replace, const char *backup) {
  char temp[kReplacePathSize];
  int denied;
  replace->error = 0;
  if (SameFile(backup, replace->target))
    return 1;
  HANDLE reserved =
      CreateOwnTempFile(replace->target, 0, temp, &replace->error, &denied);
  if (reserved == INVALID_HANDLE_VALUE) {
    replace->stop = kReplaceFailed;
    return 0;
  }
  CloseHandle(reserved);
  int made =
      DeleteFileA(temp) && CreateHardLinkA(temp, replace->target, nullptr);
  if (!made && LinksRefused(GetLastError()))
    made = CopyWithMetadata(replace, temp);
  else if (!made)
    Failed(replace);
  if (made && !MoveFileExA(temp, backup,
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    made = Failed(replace);
  if (!made)
    DeleteFileA(temp);
  return made;
}
