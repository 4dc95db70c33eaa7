#include <string.h>

// Only the pass's tail calls this, for the last few bytes after its 64-byte
// blocks, so a plain loop is enough.
extern "C" void *memchr(const void *data, int c, size_t n) {
  const unsigned char *p = static_cast<const unsigned char *>(data);
  for (size_t i = 0; i < n; ++i)
    if (p[i] == static_cast<unsigned char>(c))
      return const_cast<unsigned char *>(p + i);
  return nullptr;
}
