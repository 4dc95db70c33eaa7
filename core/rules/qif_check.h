// What converting would do, counted by the same rules without changing a byte.
#pragma once

#include "qif_lines.h"

struct QifCheckCounts {
  int datesExchanged;     // dates either rule converts
  int shortFormDates;     // those of them the short-form rule converts
  int lettersExchanged;   // line-start M and P
  int datesLeftAlone;     // dates that no rule converts (ReadsAsQifDate)
  int datesYearFirst;     // year-first dates, kept as written
  int dayFirstLine;       // first line with a month over 12 or DMY header, or 0
  int dayFirstMonth;      // that date's month, 13 to 99; 0 for the header
  int firstLeftAloneLine; // line of the first date left alone, or 0
  int recordMarks;        // lines that open with '^', or with '!' and a letter
  int monthFirstHeaders;  // !Option:MDY lines, to become !Option:DMY
  int dayFirstHeaders;    // !Option:DMY lines, to become !Option:MDY
  int binaryLine;         // line of the first IsQifBinaryByte, or 0
  int binaryByte;         // that byte
  int lineEnds;           // line ends counted, to number the next piece's lines
  QifPlace place;         // where the next piece starts
};

// Is told of each date the rules leave alone: its line number, from 1, and
// the offset of its line in the piece.
typedef void (*QifLeftAloneFn)(void *context, int line, int offset);

// Adds to counts, zeroed before a file's first piece, what converting the
// piece would do. A piece ends where a line does, or at the file's end, and
// a file counts the same in pieces as whole. leftAlone may be null.
void CountQifPiece(const unsigned char *data, int size,
                   QifLeftAloneFn leftAlone, void *context,
                   QifCheckCounts *counts);

// The same, and converts the piece as ConvertQifPiece does, in the same
// walk, for kestrom-cli, which decides on each piece before it writes it.
void CountAndConvertQifPiece(unsigned char *data, int size,
                             QifCheckCounts *counts);

// The decision on a file, the same for the dialog, the page and kestrom-cli:
// 0 to convert it, kQifRefuse never to, or else the reasons to ask first.
enum {
  kQifAskDayFirst = 1,  // a month over 12, or !Option:DMY
  kQifAskLeftAlone = 2, // dates that no rule converts
  kQifAskNoMark = 4,    // no line such as !Type:Bank, and no ^
  kQifRefuse = 8        // binary data
};

// Returns the decision on counts. complete is 0 while pieces are still to be
// counted, as only a whole file can lack a QIF mark, and for an empty file.
int DecideQifConversion(const QifCheckCounts *counts, int complete);

// Adds the counts of a later part of a file, counted on its own from a line
// start, to those of the part just before it.
void AddQifCounts(QifCheckCounts *total, const QifCheckCounts *later);
