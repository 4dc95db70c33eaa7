// The conversion written as plainly as possible: position by position, as
// the rules read. The fast pass must agree with it byte for byte.
#ifndef KESTROM_TESTS_QIF_REFERENCE_H
#define KESTROM_TESTS_QIF_REFERENCE_H

#include "qif_convert.h"

int ReferenceConvert(unsigned char *data, int size, QifConfirmFn confirm,
                     void *context);
void ReferenceExchange(unsigned char *data, int size, int end);

#endif
