// The conversion of a bare byte buffer, once its counts (qif_check.h) allow it.
#pragma once

#include "qif_lines.h"

// Rewrites every line-start date month-first to day-first (MM/DD/YY and
// short forms such as M/D/YY) and exchanges the line letters M and P of
// transactions, in place. Converting the result again gives back the input.
void ConvertQifBytes(unsigned char *data, int size);

// The same for one piece of a file, cut where a line starts: the walk starts
// at place and leaves in it where it stands at the piece's end.
void ConvertQifPiece(unsigned char *data, int size, QifPlace *place);

// The same rules at every line start before end alone.
void ExchangeQifBytes(unsigned char *data, int size, int end);
