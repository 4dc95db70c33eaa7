#include "split_path.h"

#include <string.h>

void SplitPath(char *path, char *name) {
  // The buffers hold at most kPathBufferSize bytes; a path that lost its
  // terminator is treated as ending at the buffer's end rather than read on.
  size_t length = strnlen(path, kPathBufferSize - 1);
  size_t k = length;
  while (k > 0 && path[k - 1] != ':' && path[k - 1] != '\\')
    --k;
  memcpy(name, path + k, length - k);
  name[length - k] = '\0';
  path[k] = '\0';

  // Byte-wise on purpose: the test is on the one character before the
  // separator, which keeps roots, doubled separators and dot folders intact.
  if (k > 1 && path[k - 1] == '\\' && path[k - 2] != ':' &&
      path[k - 2] != '\\' && path[k - 2] != '.')
    path[k - 1] = '\0';
}

void DropLongPathPrefix(char *path) {
  if (strncmp(path, "\\\\?\\UNC\\", 8) == 0)
    memmove(path + 2, path + 8, strlen(path + 8) + 1);
  else if (strncmp(path, "\\\\?\\", 4) == 0)
    memmove(path, path + 4, strlen(path + 4) + 1);
}
