// What both file layers share, built on the LookAtFile each has: whether
// a path names the file opened, and which file a path names.
#include <stdio.h>

#include "cli_file.h"

int CheckInputUnchanged(const InputFile *source, long long read, char *reason) {
  if (source->standard)
    return 1;
  const FileState &opened = source->opened;
  FileState now;
  if (LookAtFile(source->path, &now) &&
      now.identity.volume == opened.identity.volume &&
      now.identity.index == opened.identity.index && now.size == opened.size &&
      now.lastWrite == opened.lastWrite &&
      now.lastChange == opened.lastChange && read == opened.size)
    return 1;
  snprintf(reason, kReasonSize,
           "%s changed while it was being converted; nothing was written",
           source->path);
  return 0;
}

int GetFileIdentity(const char *path, FileIdentity *identity) {
  FileState state;
  if (IsStandardStream(path) || !LookAtFile(path, &state))
    return 0;
  *identity = state.identity;
  return 1;
}
