#include "cli_escape.h"

#include <stdio.h>
#include <stdlib.h>

int EscapeControlBytes(const char *text, int size, char *out) {
  static const char kHex[] = "0123456789abcdef";
  int length = 0;
  for (int i = 0; i < size; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != 0x7F) {
      out[length++] = static_cast<char>(c);
      continue;
    }
    out[length++] = '\\';
    if (c == '\t' || c == '\n' || c == '\r') {
      out[length++] = c == '\t' ? 't' : c == '\n' ? 'n' : 'r';
      continue;
    }
    out[length++] = 'x';
    out[length++] = kHex[c >> 4];
    out[length++] = kHex[c & 15];
  }
  out[length] = '\0';
  return length;
}

char *FormatEscapedLine(const char *format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  int size = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (size < 0)
    return nullptr;
  char *text = static_cast<char *>(malloc(static_cast<size_t>(size) + 1));
  char *line = static_cast<char *>(malloc(4 * static_cast<size_t>(size) + 2));
  if (text && line) {
    vsnprintf(text, static_cast<size_t>(size) + 1, format, args);
    int closed = size > 0 && text[size - 1] == '\n';
    int length = EscapeControlBytes(text, size - closed, line);
    if (closed) {
      line[length++] = '\n';
      line[length] = '\0';
    }
  } else {
    free(line);
    line = nullptr;
  }
  free(text);
  return line;
}
