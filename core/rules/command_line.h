// Reading the arguments of a Windows command line, by the rules the
// system's own splitter follows. Pure text work.
#pragma once

// Reads the argument at or after *line and moves *line past it. Spaces and
// tabs separate arguments outside double quotes; inside them "" is a quote.
// Before a quote, 2n backslashes give n and the quote opens or closes
// quoting, and 2n+1 give n and a literal quote; other backslashes are plain.
// The argument and its NUL go to arg (null to skip) when they fit in size
// bytes; one that does not fit comes back empty, never cut short. Returns
// its length, or -1 and an empty arg when the line holds no more arguments.
int NextArgument(const char **line, char *arg, int size);

// Copies the first argument to first as NextArgument does, and returns the
// number of arguments: 0, 1, or 2 for two or more.
int FirstArgument(const char *line, char *first, int size);
