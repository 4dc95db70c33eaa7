// What kestrom-cli prints about a file is made safe for a terminal: names
// and line excerpts come from the user's files, and a control byte among
// them (an ESC sequence) could hide or forge what follows.
#ifndef KESTROM_CLI_CLI_ESCAPE_H
#define KESTROM_CLI_CLI_ESCAPE_H

#include <stdarg.h>

// Copies size bytes of text to out, each byte below 0x20 and 0x7F written
// as \t, \n, \r or \xHH (\x1b); all other bytes stay as they are. out
// needs room for 4 * size + 1 bytes. Returns the length written.
int EscapeControlBytes(const char *text, int size, char *out);

// vsnprintf into a new buffer, then every control byte escaped but a
// closing LF: one message line, as it goes to the terminal. Returns the
// malloc'd text (free it), or null without memory.
char *FormatEscapedLine(const char *format, va_list args);

#endif
