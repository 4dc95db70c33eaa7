// Where a file can be cut into pieces that convert as the whole would.
#pragma once

// Returns the largest end below size at which data, which begins at a line
// start, can be cut: a line start, as the rules read lines, with no date
// window of six bytes from a line-start D reaching past it. Converting the
// pieces one by one then gives the same bytes as converting the whole. The
// last byte is not taken as a line end: an LF may follow a CR there.
// Returns 0 when data holds no such place.
int FindQifPieceEnd(const unsigned char *data, int size);

// Returns the first place in data, which may begin in the middle of a line,
// where a file can be cut as above: the start of a line that follows a line
// of five bytes or more lying wholly in data; 0 when there is none. A large
// file is split there into two halves, converted side by side.
int FindQifSplit(const unsigned char *data, int size);
