// The conversion written as plainly as possible: position by position, as
// the rules read. The fast pass must agree with it byte for byte.
#ifndef KESTROM_TESTS_QIF_REFERENCE_H
#define KESTROM_TESTS_QIF_REFERENCE_H

#include "qif_convert.h"

int ReferenceConvert(unsigned char *data, int size, int rules,
                     QifConfirmFn confirm, void *context);
void ReferenceExchange(unsigned char *data, int size, int end, int rules);

// Whether a line starts at i: after an LF, and under the any-export rule
// after a CR alone and after a byte-order mark at the start.
bool ReferenceLineStart(const unsigned char *data, int size, int i, int rules);

// How many bytes after the line-start 'D' at i the short-form rule may
// rewrite (F1 S1 F2), or 0 when the line is no short form.
int ReferenceShortFormSpan(const unsigned char *data, int size, int i,
                           int rules);

#endif
