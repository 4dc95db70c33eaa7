// The conversion rules over a bare byte buffer. Nothing here knows about
// windows, files or the document: the dialog, the command-line tool, the
// browser page (as WebAssembly), the benchmarks and the fuzzer all share
// this one walk. It asks nothing: whether a file is converted at all is
// decided first, from its counts (qif_check.h).
#ifndef KESTROM_CORE_QIF_CONVERT_H
#define KESTROM_CORE_QIF_CONVERT_H

#include "qif_lines.h"

// Rewrites every line-start date month-first to day-first (MM/DD/YY and
// the short forms such as M/D/YY, in transactions and price lists) and
// exchanges the line letters M and P of transactions, in place, in one
// forward walk. Converting the result again gives back the input.
void ConvertQifBytes(unsigned char *data, int size);

// The same for one piece of a file, cut where kestrom-cli's cutter allows:
// the walk starts at place, and place is then where it stands at the
// piece's end, for the next piece.
void ConvertQifPiece(unsigned char *data, int size, QifPlace *place);

// The same rules at every line start before end alone.
void ExchangeQifBytes(unsigned char *data, int size, int end);

#endif
