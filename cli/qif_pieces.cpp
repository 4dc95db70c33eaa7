#include "qif_pieces.h"

int FindQifPieceEnd(const unsigned char *data, int size) {
  // Walking back from the end, lineEnd is the LF that ends the line just
  // passed over. A line at least five bytes long before its LF holds no
  // line start within five bytes of that LF, so no window crosses it.
  int lineEnd = -1;
  for (int p = size - 1; p >= 0; --p) {
    if (data[p] != '\n')
      continue;
    if (lineEnd >= 0 && lineEnd - (p + 1) >= 5)
      return lineEnd + 1;
    lineEnd = p;
  }
  return lineEnd >= 5 ? lineEnd + 1 : 0;
}

int FindQifSplit(const unsigned char *data, int size) {
  int lineStart = -1; // unknown until the first LF
  for (int p = 0; p < size; ++p) {
    if (data[p] != '\n')
      continue;
    if (lineStart >= 0 && p - lineStart >= 5)
      return p + 1;
    lineStart = p + 1;
  }
  return 0;
}
