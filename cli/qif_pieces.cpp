#include "qif_pieces.h"

#include "qif_lines.h"

namespace {

// Lines are at most a few hundred bytes long, so the last place to cut is
// nearly always found this near the end of a piece.
const int kTailWindow = 4096;

// A line of at least five bytes before its line end holds no line start
// within five bytes of that end, so no date window crosses it. lineStart
// is -1 until the first line start in view is found.
int FindCut(const unsigned char *data, int from, int size, int lineStart,
            int wantLast) {
  int cut = 0;
  for (int start; (start = NextQifLineStart(data, from, size, size)) >= 0;
       from = lineStart = start) {
    if (lineStart < 0 || start - 1 - lineStart < 5)
      continue;
    cut = start;
    if (!wantLast)
      break;
  }
  return cut;
}

} // namespace

int FindQifPieceEnd(const unsigned char *data, int size) {
  int cut =
      size > kTailWindow ? FindCut(data, size - kTailWindow, size, -1, 1) : 0;
  return cut ? cut : FindCut(data, 0, size, 0, 1);
}

int FindQifSplit(const unsigned char *data, int size) {
  return FindCut(data, 0, size, -1, 0);
}
