// What kestrom-cli prints about a file is made safe for a terminal: names
// and line excerpts come from the user's files, and a control byte among
// them (an ESC sequence) could hide or forge what follows.
#pragma once

#include <stdarg.h>

// Returns a copy of size bytes of text, malloc'd (free it), or null without
// memory, with every control a terminal acts on escaped but a closing LF:
// the C0 controls and DEL as \t, \n, \r or \xHH (\x1b); a C1 control
// (U+0080 to U+009F) and a bidirectional override or isolate (U+202A to
// U+202E, U+2066 to U+2069), which reorder what follows on the line, as
// \xHH for each of their UTF-8 bytes (\xe2\x80\xae); and a byte 0x80 to
// 0x9F outside any UTF-8 character, which a terminal in an 8-bit code page
// takes as a C1 control (0x9B starts a sequence as ESC [ does).
char *EscapeLine(const char *text, int size);

// Formats as vsnprintf does, then escapes the text as EscapeLine does.
char *FormatEscapedLine(const char *format, va_list args);
