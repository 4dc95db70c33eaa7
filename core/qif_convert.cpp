#include "qif_convert.h"

#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#define KESTROM_LF_BLOCKS 1
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#define KESTROM_LF_BLOCKS 1
#endif

namespace {

inline void SwapDatePairs(unsigned char *data, int i) {
  unsigned char m1 = data[i + 1], m2 = data[i + 2];
  data[i + 1] = data[i + 4];
  data[i + 2] = data[i + 5];
  data[i + 4] = m1;
  data[i + 5] = m2;
}

// What a walk needs to know at each line start. confirm is null for the
// question-free walk.
struct Walk {
  unsigned char *data;
  int size;
  int rules;
  QifConfirmFn confirm;
  void *context;
  int asked;
};

// The question comes at most once per pass. Whether it is still to come is
// tested before the month: converting day-first content back, the month
// test is a coin toss the CPU cannot foresee, the asked flag is not.
inline int MayAsk(const Walk *walk) { return walk->confirm && !walk->asked; }

// Returns 0 when the user declined.
int AskDayFirst(Walk *walk) {
  if (!walk->confirm(walk->context))
    return 0;
  walk->asked = 1;
  return 1;
}

// Kept out of line: in the bank's own exports no date needs it.
__attribute__((noinline)) int ApplyShortFormAt(Walk *walk, int i) {
  QifShortDate date;
  if (!FindQifShortDate(walk->data, walk->size, i, &date))
    return 1;
  if (MayAsk(walk) && date.month > 12 && !AskDayFirst(walk))
    return 0;
  SwapQifShortDate(walk->data, i, &date);
  return 1;
}

// The rules at one line start. They change only digits, spaces, date
// separators and the letters M and P, never an LF, so the line starts a
// walk finds stay the same however many bytes it has already changed.
// Returns 0 only when the user declined the question at this line.
inline int ApplyRulesAt(Walk *walk, int i) {
  unsigned char *data = walk->data;
  unsigned char c = data[i];
  if (c == 'D') {
    if (!HasQifDateDigits(data, walk->size, i))
      return walk->rules & kQifShortFormRule ? ApplyShortFormAt(walk, i) : 1;
    if (MayAsk(walk) && QifMonthLooksLikeDay(data, i) && !AskDayFirst(walk))
      return 0;
    SwapDatePairs(data, i);
  } else if (c == 'M' || c == 'P') {
    data[i] = c == 'M' ? 'P' : 'M';
  }
  return 1;
}

#if defined(__SSE2__)
// One bit for each of the 64 bytes at data, set where the byte is an LF.
inline unsigned long long LineFeedBits(const unsigned char *data) {
  const __m128i lf = _mm_set1_epi8('\n');
  unsigned long long bits = 0;
  for (int k = 0; k < 4; ++k) {
    __m128i block =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + 16 * k));
    unsigned found =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
    bits |= static_cast<unsigned long long>(found) << (16 * k);
  }
  return bits;
}
#elif defined(__wasm_simd128__)
// The same 64-bit LF mask from WebAssembly's 128-bit lanes, for the page.
inline unsigned long long LineFeedBits(const unsigned char *data) {
  const v128_t lf = wasm_i8x16_splat('\n');
  unsigned long long bits = 0;
  for (int k = 0; k < 4; ++k) {
    v128_t block = wasm_v128_load(data + 16 * k);
    unsigned found = wasm_i8x16_bitmask(wasm_i8x16_eq(block, lf));
    bits |= static_cast<unsigned long long>(found) << (16 * k);
  }
  return bits;
}
#endif

// Visits every line start below end in order: position 0 and each byte
// after an LF. Returns -1 when all were visited, else the line start where
// the user declined. QIF lines are about ten bytes long, so a call per line
// costs more than the rules themselves: where the CPU allows it, LFs are
// found 64 bytes at a time, which also leaves the inner loop (a branch the
// CPU cannot foresee) once per six lines or so rather than once per line.
int WalkLineStarts(Walk *walk, int end) {
  const unsigned char *data = walk->data;
  if (end <= 0)
    return -1;
  if (!ApplyRulesAt(walk, 0))
    return 0;
  int pos = 0;
#if defined(KESTROM_LF_BLOCKS)
  // The last byte of end - 1 cannot start a line below end, so only bytes
  // below end - 1 are searched for LFs.
  for (; pos + 64 <= end - 1; pos += 64) {
    unsigned long long lineFeeds = LineFeedBits(data + pos);
    while (lineFeeds) {
      int start = pos + __builtin_ctzll(lineFeeds) + 1;
      lineFeeds &= lineFeeds - 1;
      if (!ApplyRulesAt(walk, start))
        return start;
    }
  }
#endif
  for (;;) {
    const void *lfByte = memchr(data + pos, '\n', end - 1 - pos);
    if (!lfByte)
      return -1;
    int start =
        static_cast<int>(static_cast<const unsigned char *>(lfByte) - data) + 1;
    if (!ApplyRulesAt(walk, start))
      return start;
    pos = start;
  }
}

} // namespace

int ConvertQifBytes(unsigned char *data, int size, int rules,
                    QifConfirmFn confirm, void *context) {
  Walk walk = {data, size, rules, confirm, context, 0};
  int declinedAt = WalkLineStarts(&walk, size);
  if (declinedAt < 0)
    return 1;
  ExchangeQifBytes(data, size, declinedAt, rules);
  return 0;
}

void ExchangeQifBytes(unsigned char *data, int size, int end, int rules) {
  Walk walk = {data, size, rules, nullptr, nullptr, 0};
  WalkLineStarts(&walk, end < size ? end : size);
}
