// Where a line starts and which block it stands in, decided here alone for
// the pass, the counts and kestrom-cli's cutter.
#pragma once

#include "qif_rules.h"

// The blocks of a file, each from a !Type: or !Account line to the next.
// Transactions are converted; in a list (accounts, categories, payees...) a
// D line is a description, so nothing is; in a price list only the dates.
enum { kQifTransactions = 0, kQifList = 1, kQifPrices = 2 };

// Where a walk stands between the pieces of one file; zeroed at its start.
struct QifPlace {
  int pastStart; // a byte-order mark counts only at the file's start
  int block;     // kQifTransactions, kQifList or kQifPrices
};

// True when a line ends at data[p]: an LF, or a CR that no LF follows, as
// classic Mac exports end their lines. A piece ends where a line does.
inline int IsQifLineEnd(const unsigned char *data, int size, int p) {
  return data[p] == '\n' ||
         (data[p] == '\r' && (p + 1 == size || data[p + 1] != '\n'));
}

// Returns the first line start after from and below end, or -1.
inline int NextQifLineStart(const unsigned char *data, int from, int end,
                            int size) {
  for (int p = from; p < end - 1; ++p)
    if (IsQifLineEnd(data, size, p))
      return p + 1;
  return -1;
}

// The compiler's own bit count calls a library function where the CPU may
// lack the instruction, and that call cost a fifth of the counts' time.
inline int QifBitCount(unsigned long long x) {
  x -= (x >> 1) & 0x5555555555555555ULL;
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

// KESTROM_LINE_BLOCKS tells the walks that this build reads 64 bytes at a
// time: SSE2 natively, SIMD128 in the page.
#if defined(__SSE2__)
#include <emmintrin.h>
#define KESTROM_LINE_BLOCKS 1

// Returns one bit for each of the 16 bytes at data, set where it is byte.
inline unsigned QifByteBits16(const unsigned char *data, char byte) {
  __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(byte)));
}

// True when one of the 64 bytes at data is a CR that no LF follows.
inline int QifHasCrAlone(const unsigned char *data) {
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  __m128i alone = _mm_setzero_si128();
  for (int k = 0; k < 4; ++k) {
    const unsigned char *at = data + 16 * k;
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + 1));
    alone = _mm_or_si128(alone, _mm_andnot_si128(_mm_cmpeq_epi8(next, lf),
                                                 _mm_cmpeq_epi8(block, cr)));
  }
  return _mm_movemask_epi8(alone) != 0;
}

// True when one of the 64 bytes at data is IsQifBinaryByte's: x <= 0x1F
// unsigned, and neither LF nor TAB or CR (x | 4 is 13 for those two alone).
inline int QifHasBinaryByte(const unsigned char *data) {
  const __m128i top = _mm_set1_epi8(0x1F), four = _mm_set1_epi8(4);
  const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
  __m128i found = _mm_setzero_si128();
  for (int k = 0; k < 4; ++k) {
    __m128i x =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + 16 * k));
    __m128i low = _mm_cmpeq_epi8(_mm_max_epu8(x, top), top);
    __m128i text = _mm_or_si128(_mm_cmpeq_epi8(x, lf),
                                _mm_cmpeq_epi8(_mm_or_si128(x, four), cr));
    found = _mm_or_si128(found, _mm_andnot_si128(text, low));
  }
  return _mm_movemask_epi8(found) != 0;
}
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#define KESTROM_LINE_BLOCKS 1

inline unsigned QifByteBits16(const unsigned char *data, char byte) {
  v128_t block = wasm_v128_load(data);
  return wasm_i8x16_bitmask(wasm_i8x16_eq(block, wasm_i8x16_splat(byte)));
}

inline int QifHasBinaryByte(const unsigned char *data) {
  const v128_t top = wasm_i8x16_splat(0x1F), four = wasm_i8x16_splat(4);
  const v128_t lf = wasm_i8x16_splat('\n'), cr = wasm_i8x16_splat('\r');
  v128_t found = wasm_i8x16_splat(0);
  for (int k = 0; k < 4; ++k) {
    v128_t x = wasm_v128_load(data + 16 * k);
    v128_t text = wasm_v128_or(wasm_i8x16_eq(x, lf),
                               wasm_i8x16_eq(wasm_v128_or(x, four), cr));
    found = wasm_v128_or(found, wasm_v128_andnot(wasm_u8x16_le(x, top), text));
  }
  return wasm_v128_any_true(found);
}
#endif

// Returns the first byte from from on that makes the content binary, or
// -1. A Ctrl-Z as the last byte is allowed, as DOS tools end files with it.
inline int FindQifBinaryByte(const unsigned char *data, int from, int size) {
  int p = from;
#if defined(KESTROM_LINE_BLOCKS)
  while (p + 64 <= size && !QifHasBinaryByte(data + p))
    p += 64;
#endif
  for (; p < size; ++p)
    if (IsQifBinaryByte(data[p]) && !(data[p] == 0x1A && p == size - 1))
      return p;
  return -1;
}

#if defined(KESTROM_LINE_BLOCKS)
// Returns one bit for each of the 64 bytes at data, set where it is byte.
inline unsigned long long QifByteBits(const unsigned char *data, char byte) {
  unsigned long long bits = 0;
  for (int k = 0; k < 4; ++k)
    bits |= static_cast<unsigned long long>(QifByteBits16(data + 16 * k, byte))
            << (16 * k);
  return bits;
}

// Returns IsQifLineEnd for the 64 bytes at data, bit k for data[k]; it
// reads data[64] too. QIF lines are about ten bytes long, so a call per line
// would cost more than the rules at it.
inline unsigned long long QifLineEndBits(const unsigned char *data) {
  unsigned long long lineFeeds = QifByteBits(data, '\n');
#if defined(__SSE2__)
  // Most blocks have no CR alone. Natively this test costs less than the
  // mask of the CRs it spares; in WebAssembly it costs more.
  if (!QifHasCrAlone(data))
    return lineFeeds;
#endif
  unsigned long long lfNext =
      lineFeeds >> 1 | static_cast<unsigned long long>(data[64] == '\n') << 63;
  return lineFeeds | (QifByteBits(data, '\r') & ~lfNext);
}
#endif

// Returns where the first line starts: 3 after a UTF-8 byte-order mark, or 0.
inline int FirstQifLineStart(const unsigned char *data, int size,
                             const QifPlace *place) {
  int mark = !place->pastStart && size >= 3 && data[0] == 0xEF &&
             data[1] == 0xBB && data[2] == 0xBF;
  return mark ? 3 : 0;
}

// Returns the length of the line that starts at offset, up to its CR or LF.
inline int QifLineLength(const unsigned char *data, int size, int offset) {
  int end = offset;
  while (end < size && data[end] != '\n' && data[end] != '\r')
    ++end;
  return end - offset;
}

// Header and price lines are rare, so these are kept out of line.

// Returns the block after the '!' line at i, in any case: a new one after
// !Account or !Type:, and the same one after any other (!Option:).
int QifBlockAfter(const unsigned char *data, int size, int i, int block);

// Returns the date order that the '!' line at i gives: !Option:MDY
// (month-first), !Option:DMY, or neither.
enum { kQifNoDateOrder = 0, kQifMonthFirstHeader = 1, kQifDayFirstHeader = 2 };
int QifDateOrderAt(const unsigned char *data, int size, int i);

// Reads a price list's line, "SYMBOL",PRICE,"DATE": returns the position of
// the quote before DATE and sets *end to the one after it, or returns 0.
// The quotes play the parts of a date line's D and line end.
int FindQifPriceDate(const unsigned char *data, int size, int i, int *end);

// Makes the date-order header at i trade its M and D.
inline void SwapQifDateOrder(unsigned char *data, int i) {
  unsigned char m = data[i + 8];
  data[i + 8] = data[i + 9];
  data[i + 9] = m;
}

// Returns the number of line ends at positions from to to - 1.
inline int CountQifLineEnds(const unsigned char *data, int from, int to,
                            int size) {
  int count = 0, p = from;
#if defined(KESTROM_LINE_BLOCKS)
  for (; p + 64 <= to && p + 64 < size; p += 64)
    count += QifBitCount(QifLineEndBits(data + p));
#endif
  for (; p < to; ++p)
    count += IsQifLineEnd(data, size, p);
  return count;
}
