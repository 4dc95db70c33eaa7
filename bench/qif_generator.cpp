#include "qif_generator.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <vector>

namespace {

const char *const kPayees[] = {
    "Corner Store",          "City Power & Light", "Northside Pharmacy",
    "Hill Street Garage",    "J. Smith",           "Transfer to Savings",
    "Riverside Supermarket", "Cafe Olga",          "Payroll Deposit",
    "Interest Paid",         "Mortgage Bank",      "Rail Card Top-up"};
const char *const kMemos[] = {
    "Weekly shopping", "Invoice 20417",  "Rent",   "Thank you",
    "Card 4421",       "Standing order", "Refund", "Lunch with team"};
const char *const kCategories[] = {
    "Groceries", "Utilities:Electric", "Medical",   "Auto:Fuel", "Dining",
    "Salary",    "Mortgage Int",       "[Savings]", "Travel"};
const char *const kAccountTypes[] = {"Bank", "CCard", "Cash"};

template <typename T, size_t N> size_t Count(T (&)[N]) { return N; }

// Writes into a fixed buffer and silently stops at its end, so the caller
// can produce records without checking room after every line.
struct Sink {
  unsigned char *out;
  size_t size;
  size_t pos;
  QifLineEnd lineEnd;
  unsigned state; // xorshift32; never zero
  unsigned shortFormPercent;
};

unsigned NextRandom(Sink *sink) {
  unsigned x = sink->state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  sink->state = x;
  return x;
}

unsigned Below(Sink *sink, unsigned limit) { return NextRandom(sink) % limit; }
int Chance(Sink *sink, unsigned percent) { return Below(sink, 100) < percent; }

void PutText(Sink *sink, const char *text) {
  size_t length = strlen(text);
  size_t room = sink->size - sink->pos;
  if (length > room)
    length = room;
  memcpy(sink->out + sink->pos, text, length);
  sink->pos += length;
}

void PutLine(Sink *sink, const char *text) {
  PutText(sink, text);
  PutText(sink, sink->lineEnd == kQifCrLf ? "\r\n" : "\n");
}

void PutField(Sink *sink, char letter, const char *text) {
  char line[96];
  snprintf(line, sizeof line, "%c%s", letter, text);
  PutLine(sink, line);
}

void PutAmount(Sink *sink, char letter) {
  int cents = Below(sink, 250000);
  char line[32];
  if (cents >= 100000)
    snprintf(line, sizeof line, "%c%s%d,%03d.%02d", letter,
             Chance(sink, 80) ? "-" : "", cents / 100000, cents / 100 % 1000,
             cents % 100);
  else
    snprintf(line, sizeof line, "%c%s%d.%02d", letter,
             Chance(sink, 80) ? "-" : "", cents / 100, cents % 100);
  PutLine(sink, line);
}

// Fields below 10 written with one digit, or padded with a space.
void PutShortDate(Sink *sink, int month, int day, int year) {
  static const char *const kForms[] = {"D%d/%d/%02d", "D%2d/%2d/%02d",
                                       "D%d/%d'%d", "D%d.%d.%02d"};
  int form = Below(sink, Count(kForms));
  char line[32];
  snprintf(line, sizeof line, kForms[form], month, day,
           form == 2 ? 1990 + year : (year + 90) % 100);
  PutLine(sink, line);
}

// Month-first, as the bank writes it; the year in the forms exports use.
void PutDate(Sink *sink) {
  int month = 1 + Below(sink, 12), day = 1 + Below(sink, 28);
  int year = Below(sink, 30);
  char line[32];
  if (sink->shortFormPercent && Chance(sink, sink->shortFormPercent)) {
    PutShortDate(sink, month, day, year);
    return;
  }
  if (Chance(sink, 3))
    snprintf(line, sizeof line, "D%d/%d/%02d", month, day, (year + 90) % 100);
  else if (Chance(sink, 20))
    snprintf(line, sizeof line, "D%02d/%02d'%02d", month, day, year % 10);
  else if (Chance(sink, 10))
    snprintf(line, sizeof line, "D%02d/%02d/%d", month, day, 1990 + year);
  else
    snprintf(line, sizeof line, "D%02d/%02d/%02d", month, day,
             (year + 90) % 100);
  PutLine(sink, line);
}

void PutSplits(Sink *sink) {
  int parts = 2 + Below(sink, 2);
  for (int k = 0; k < parts; ++k) {
    PutField(sink, 'S', kCategories[Below(sink, Count(kCategories))]);
    if (Chance(sink, 50))
      PutField(sink, 'E', kMemos[Below(sink, Count(kMemos))]);
    PutAmount(sink, '$');
  }
}

void PutTransaction(Sink *sink) {
  PutDate(sink);
  PutAmount(sink, 'T');
  if (Chance(sink, 30))
    PutLine(sink, Chance(sink, 50) ? "CX" : "C*");
  if (Chance(sink, 20)) {
    char number[16];
    snprintf(number, sizeof number, "N%d", 1000 + Below(sink, 9000));
    PutLine(sink, number);
  }
  if (Chance(sink, 95))
    PutField(sink, 'P', kPayees[Below(sink, Count(kPayees))]);
  if (Chance(sink, 60))
    PutField(sink, 'M', kMemos[Below(sink, Count(kMemos))]);
  if (Chance(sink, 80))
    PutField(sink, 'L', kCategories[Below(sink, Count(kCategories))]);
  if (Chance(sink, 15))
    PutSplits(sink);
  PutLine(sink, "^");
}

// An account block followed by its type header, as multi-account exports
// are laid out.
void PutAccountHeader(Sink *sink, int account) {
  const char *type = kAccountTypes[account % Count(kAccountTypes)];
  char line[32];
  PutLine(sink, "!Account");
  snprintf(line, sizeof line, "NAccount %d", account + 1);
  PutLine(sink, line);
  PutField(sink, 'T', type);
  PutLine(sink, "^");
  snprintf(line, sizeof line, "!Type:%s", type);
  PutLine(sink, line);
}

} // namespace

void FillQifContent(unsigned char *out, size_t size, QifLineEnd lineEnd,
                    unsigned seed) {
  FillQifContentWithShortForms(out, size, lineEnd, seed, 0);
}

void FillQifContentWithShortForms(unsigned char *out, size_t size,
                                  QifLineEnd lineEnd, unsigned seed,
                                  unsigned shortFormPercent) {
  Sink sink = {
      out, size, 0, lineEnd, seed * 2654435761u | 1u, shortFormPercent};
  PutLine(&sink, "!Type:Bank");
  for (int record = 1; sink.pos < sink.size; ++record) {
    if (record % 400 == 0)
      PutAccountHeader(&sink, record / 400);
    PutTransaction(&sink);
  }
}

int WriteQifContentFile(const char *path, size_t size, QifLineEnd lineEnd,
                        unsigned seed) {
  std::vector<unsigned char> content(size);
  FillQifContent(content.data(), size, lineEnd, seed);
  FILE *file = fopen(path, "wb");
  if (!file) {
    fprintf(stderr, "cannot create %s: %s\n", path, strerror(errno));
    return 0;
  }
  size_t written = fwrite(content.data(), 1, size, file);
  int closed = fclose(file) == 0;
  if (written != size || !closed) {
    fprintf(stderr, "cannot write %s: %s\n", path, strerror(errno));
    return 0;
  }
  return 1;
}
