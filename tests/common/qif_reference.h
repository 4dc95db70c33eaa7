// The conversion written as plainly as possible: position by position, as
// the rules read. The fast pass must agree with it byte for byte.
#pragma once

#include "qif_convert.h"

// Both return true when the content looks day-first: a date with a month
// over 12, or !Option:DMY, where the program asks before converting.
bool ReferenceConvert(unsigned char *data, int size);
bool ReferenceExchange(unsigned char *data, int size, int end);

// Whether a line starts at i: after an LF, a CR alone and a byte-order
// mark at the start.
bool ReferenceLineStart(const unsigned char *data, int size, int i);

// How many bytes after the line-start 'D' at i the short-form rule may
// rewrite (F1 S1 F2), or 0 when the line is no short form.
int ReferenceShortFormSpan(const unsigned char *data, int size, int i);
