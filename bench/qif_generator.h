// Deterministic content that looks like a bank's QIF export: account headers,
// transactions with date, amount, payee, memo, category and split lines, and
// the '^' that ends each record. Dates are month-first with months 01 to 12,
// so converting the content as generated never raises the question; a few
// percent are written unpadded (D1/5/99), which only the short-form rule
// converts.
#ifndef KESTROM_BENCH_QIF_GENERATOR_H
#define KESTROM_BENCH_QIF_GENERATOR_H

#include <stddef.h>

enum QifLineEnd { kQifLf, kQifCrLf };

// Fills out[0, size) completely; the last record is cut off where the
// buffer ends, as a real file could be. The same size, line end and seed
// always give the same bytes.
void FillQifContent(unsigned char *out, size_t size, QifLineEnd lineEnd,
                    unsigned seed);

// The same with about shortFormPercent of the dates in the short forms other
// exports write (D6/1/94, D 6/ 1/94, D6/1'2024, D6.1.94), for timing the
// short-form rule where it does the most work.
void FillQifContentWithShortForms(unsigned char *out, size_t size,
                                  QifLineEnd lineEnd, unsigned seed,
                                  unsigned shortFormPercent);

// Writes size bytes of such content to path. Returns 1 on success, 0 when
// the file cannot be written (the reason is printed to stderr).
int WriteQifContentFile(const char *path, size_t size, QifLineEnd lineEnd,
                        unsigned seed);

#endif
