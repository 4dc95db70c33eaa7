#include "cli_escape.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Returns the length of the well-formed UTF-8 character at text (2 to 4
// bytes) and writes its code point, or returns 0 when none starts there.
// An overlong form, a surrogate or a cut sequence is no character, and a
// terminal reading UTF-8 shows its bytes as replacement characters.
int DecodeUtf8(const unsigned char *text, int left, unsigned *point) {
  static const unsigned kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  unsigned c = text[0];
  int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
  if (length == 0 || c >= 0xF8 || length > left)
    return 0;
  unsigned value = c & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80)
      return 0;
    value = value << 6 | (text[i] & 0x3F);
  }
  if (value < kLeast[length] || value > 0x10FFFF ||
      (value >= 0xD800 && value <= 0xDFFF))
    return 0;
  *point = value;
  return length;
}

int IsHiddenControl(unsigned point) {
  return (point >= 0x80 && point <= 0x9F) ||
         (point >= 0x202A && point <= 0x202E) ||
         (point >= 0x2066 && point <= 0x2069);
}

// Writes text escaped to out, which has room for 4 * size + 1 bytes, and
// returns the length written.
int EscapeControlBytes(const char *text, int size, char *out) {
  const unsigned char *bytes = reinterpret_cast<const unsigned char *>(text);
  int length = 0;
  for (int i = 0; i < size;) {
    unsigned char c = bytes[i];
    unsigned point = 0;
    int character = c >= 0x80 ? DecodeUtf8(bytes + i, size - i, &point) : 0;
    if (character > 0) {
      int hidden = IsHiddenControl(point);
      for (int end = i + character; i < end; ++i) {
        if (hidden)
          length += snprintf(out + length, 5, "\\x%02x", bytes[i]);
        else
          out[length++] = text[i];
      }
      continue;
    }
    ++i;
    if ((c >= 0x20 && c < 0x7F) || c >= 0xA0) {
      out[length++] = static_cast<char>(c);
    } else if (c == '\t' || c == '\n' || c == '\r') {
      out[length++] = '\\';
      out[length++] = c == '\t' ? 't' : c == '\n' ? 'n' : 'r';
    } else {
      length += snprintf(out + length, 5, "\\x%02x", c);
    }
  }
  out[length] = '\0';
  return length;
}

} // namespace

char *EscapeLine(const char *text, int size) {
  char *line = static_cast<char *>(malloc(4 * static_cast<size_t>(size) + 2));
  if (!line)
    return nullptr;
  int closed = size > 0 && text[size - 1] == '\n';
  int length = EscapeControlBytes(text, size - closed, line);
  if (closed)
    strcpy(line + length, "\n");
  return line;
}

char *FormatEscapedLine(const char *format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  int size = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (size < 0)
    return nullptr;
  char *text = static_cast<char *>(malloc(static_cast<size_t>(size) + 1));
  if (!text)
    return nullptr;
  vsnprintf(text, static_cast<size_t>(size) + 1, format, args);
  char *line = EscapeLine(text, size);
  free(text);
  return line;
}
