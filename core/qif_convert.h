// The conversion rules over a bare byte buffer. Nothing here knows about
// windows, files or the document: the dialog, the command-line tool, the
// browser page (as WebAssembly), the benchmarks and the fuzzer all share
// these two walks.
#ifndef KESTROM_CORE_QIF_CONVERT_H
#define KESTROM_CORE_QIF_CONVERT_H

#include "qif_lines.h"
#include "qif_rules.h"

// Asked at most once per pass, when a date's month pair is over 12.
// Returns 1 to go on, 0 to stop and leave the content as it was.
typedef int (*QifConfirmFn)(void *context);

// Rewrites every line-start date MM?DD into DD?MM (with kQifShortFormRule
// in rules, the short forms M/D/Y too) and exchanges the line letters M and
// P, in place, in one forward walk. Returns 1 when the whole content was
// converted, 0 when confirm declined; the content is then exactly as before
// the call.
int ConvertQifBytes(unsigned char *data, int size, int rules,
                    QifConfirmFn confirm, void *context);

// The same for one piece of a file, cut where kestrom-cli's cutter allows:
// the walk starts at place, and when it returns 1, place is where it
// stands at the piece's end, for the next piece.
int ConvertQifPiece(unsigned char *data, int size, int rules,
                    QifConfirmFn confirm, void *context, QifPlace *place);

// The same rules at every line start before end, with no question. Run over
// what a pass with the same rules converted, it gives back the bytes the
// pass started from.
void ExchangeQifBytes(unsigned char *data, int size, int end, int rules);

// ConvertQifBytes and ExchangeQifBytes with kQifTwoDigitRule alone, the
// dialog's rules, linked without the every-date walk.
int ConvertBankQifBytes(unsigned char *data, int size, QifConfirmFn confirm,
                        void *context);
void ExchangeBankQifBytes(unsigned char *data, int size, int end);

// Where the dialog's rules and the every-date rules, each answered yes,
// would write different bytes: the first such offset, or -1 when they
// agree. copy is size bytes to work in; data is left as it was.
int FindQifRuleDifference(unsigned char *data, int size, unsigned char *copy);

#endif
