// The one string.h function the conversion pass calls, for a module built
// without a C library. Defined in web/memchr.cpp.
#ifndef KESTROM_WEB_STRING_H
#define KESTROM_WEB_STRING_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif
void *memchr(const void *data, int c, size_t n);
#ifdef __cplusplus
}
#endif

#endif
