// kestrom_make_qif SIZE_BYTES OUTFILE [lf|crlf]
// Writes SIZE_BYTES of generated export content (the same bytes the
// benchmarks use) to OUTFILE, for timing the programs on a real file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "qif_generator.h"

namespace {

// The content size must fit the document's signed 32-bit byte count.
int ParseSize(const char *text, size_t *size) {
  char *end = nullptr;
  unsigned long long value = strtoull(text, &end, 10);
  if (text[0] < '0' || text[0] > '9' || *end != '\0' || value < 1 ||
      value > 0x7FFFFFFFull)
    return 0;
  *size = static_cast<size_t>(value);
  return 1;
}

int ParseLineEnd(const char *text, QifLineEnd *lineEnd) {
  if (strcmp(text, "lf") == 0)
    *lineEnd = kQifLf;
  else if (strcmp(text, "crlf") == 0)
    *lineEnd = kQifCrLf;
  else
    return 0;
  return 1;
}

} // namespace

int main(int argc, char **argv) {
  size_t size = 0;
  QifLineEnd lineEnd = kQifLf;
  if ((argc != 3 && argc != 4) || !ParseSize(argv[1], &size) ||
      (argc == 4 && !ParseLineEnd(argv[3], &lineEnd))) {
    fprintf(stderr,
            "usage: kestrom_make_qif SIZE_BYTES OUTFILE [lf|crlf]\n"
            "  SIZE_BYTES from 1 to 2147483647; line ends LF unless crlf\n");
    return 2;
  }
  return WriteQifContentFile(argv[2], size, lineEnd, 1) ? 0 : 1;
}
