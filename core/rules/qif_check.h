// What converting a file would do, counted without changing a byte. The
// counts follow the conversion's own rules, so kestrom-cli's --check and the
// page never promise what the conversion will not do.
#ifndef KESTROM_CORE_QIF_CHECK_H
#define KESTROM_CORE_QIF_CHECK_H

#include "qif_lines.h"
#include "qif_rules.h"

struct QifCheckCounts {
  int datesExchanged;     // dates either rule converts
  int shortFormDates;     // those of them the short-form rule converts
  int lettersExchanged;   // line-start M and P
  int datesLeftAlone;     // dates that no rule converts (ReadsAsQifDate)
  int datesYearFirst;     // year-first dates, kept as written
  int dayFirstLine;       // line of the first date with a month pair over
                          // 12, or of !Option:DMY; 0 when there is none
  int dayFirstMonth;      // that date's month, 13 to 99; 0 for the header
  int firstLeftAloneLine; // line of the first date left alone, or 0
  int recordMarks;        // lines that start with '^' or with '!' and a
                          // letter: none, and it is no QIF file
  int monthFirstHeaders;  // !Option:MDY lines, to become !Option:DMY
  int dayFirstHeaders;    // !Option:DMY lines, to become !Option:MDY
  int binaryLine;         // line of the first IsQifBinaryByte, or 0: no
                          // QIF file either
  int binaryByte;         // that byte
  int lineEnds;           // line ends counted so far: numbers the next
                          // piece's lines
  QifPlace place;         // where the next piece starts
};

// Is told of each date the rules leave alone: its line number, from 1
// (lines end at LF, CR LF or CR), and the offset of its line in the piece.
typedef void (*QifLeftAloneFn)(void *context, int line, int offset);

// Adds to counts, zeroed before a file's first piece, what converting the
// piece would do. A file counted piece by piece, as FindQifPieceEnd cuts
// it, counts as it does whole: a piece ends at a line start or at the
// file's end, so a Ctrl-Z that ends a piece ends the file. leftAlone may be
// null.
void CountQifPiece(const unsigned char *data, int size,
                   QifLeftAloneFn leftAlone, void *context,
                   QifCheckCounts *counts);

// The same, and converts the piece as ConvertQifPiece does, in the same
// walk: kestrom-cli's way, as it decides on each piece before it writes it.
// counts->place is where the piece's walk starts, as it is for the counts.
void CountAndConvertQifPiece(unsigned char *data, int size,
                             QifCheckCounts *counts);

// The decision on a file, taken from its counts alone, the same way for the
// dialog, the page and kestrom-cli: 0 to convert it, kQifRefuse never to,
// or else the reasons to ask first (a No to any leaves it as it is).
enum {
  kQifAskDayFirst = 1,  // a month over 12, or !Option:DMY
  kQifAskLeftAlone = 2, // dates that no rule converts
  kQifAskNoMark = 4,    // no line such as !Type:Bank, and no ^
  kQifRefuse = 8        // binary data
};

// Returns the decision on counts. complete is 0 while pieces of the file
// are still to be counted, as only then can a file be known to have no QIF
// mark; an empty file has none, and nothing to ask about, so pass 0 for it.
int DecideQifConversion(const QifCheckCounts *counts, int complete);

// Adds the counts of a later part of a file, counted on its own from a
// line start, to those of the part just before it.
void AddQifCounts(QifCheckCounts *total, const QifCheckCounts *later);

// Returns the length of the line that starts at offset, up to its CR or LF.
int QifLineLength(const unsigned char *data, int size, int offset);

#endif
