// The page's way into the conversion pass. The page copies the file's bytes
// into the module's memory from KestromContent() on (growing the memory to
// fit), counts them and takes the decision as kestrom-cli and the dialog
// do, asks what the decision says to, and runs the same ConvertQifBytes.
#include "qif_check.h"
#include "qif_convert.h"
#include "qif_messages.h"

#define KESTROM_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Where the linker ends the module's static data and stack: the content
// lives above it.
extern "C" unsigned char __heap_base;

namespace {

// What KestromCount reports, as the page reads it: the decision
// (DecideQifConversion) and ten counts, then the line number, offset and
// length of each of the first few dates left alone (the page lists ten and
// says how many more).
const int kListedDates = 10;
struct CountReport {
  int verdict;
  int datesExchanged;
  int payeeMemoExchanged;
  int datesLeftAlone;
  int dayFirstLine; // 0 when no date or header looks day-first
  int datesYearFirst;
  int dayFirstMonth; // 0 when the header looks day-first
  int monthFirstHeaders;
  int dayFirstHeaders;
  int binaryLine; // not 0: refused, for binaryByte on that line
  int binaryByte;
  int listed;
  int dates[kListedDates][3];
};

struct Listing {
  int size;
  CountReport *report;
};

void ListLeftAlone(void *context, int line, int offset) {
  Listing *listing = static_cast<Listing *>(context);
  CountReport *report = listing->report;
  if (report->listed == kListedDates)
    return;
  int *date = report->dates[report->listed++];
  date[0] = line;
  date[1] = offset;
  date[2] = QifLineLength(&__heap_base, listing->size, offset);
}

CountReport g_report;

} // namespace

KESTROM_EXPORT(KestromContent) unsigned char *KestromContent() {
  return &__heap_base;
}

KESTROM_EXPORT(KestromConvert) void KestromConvert(int size) {
  ConvertQifBytes(&__heap_base, size);
}

// Counts what converting the content would do, changing no byte, and what
// to do with it. The page takes no empty file.
KESTROM_EXPORT(KestromCount) const CountReport *KestromCount(int size) {
  QifCheckCounts counts = {};
  Listing listing = {size, &g_report};
  g_report.listed = 0;
  CountQifPiece(&__heap_base, size, ListLeftAlone, &listing, &counts);
  g_report.verdict = DecideQifConversion(&counts, 1);
  g_report.datesExchanged = counts.datesExchanged;
  g_report.payeeMemoExchanged = counts.lettersExchanged;
  g_report.datesLeftAlone = counts.datesLeftAlone;
  g_report.dayFirstLine = counts.dayFirstLine;
  g_report.datesYearFirst = counts.datesYearFirst;
  g_report.dayFirstMonth = counts.dayFirstMonth;
  g_report.monthFirstHeaders = counts.monthFirstHeaders;
  g_report.dayFirstHeaders = counts.dayFirstHeaders;
  g_report.binaryLine = counts.binaryLine;
  g_report.binaryByte = counts.binaryByte;
  return &g_report;
}

// The program's own texts by name, so the page says exactly what the
// dialog and kestrom-cli say: a name, a NUL, its text, a NUL, and so on up
// to an empty name.
KESTROM_EXPORT(KestromTexts) const char *KestromTexts() {
  static const char kTexts[] = "kestrom\0" KESTROM_CAPTION "\0"
                               "save\0" SAVE_CAPTION "\0"
                               "empty\0" MSG_FILE_EMPTY "\0"
                               "unableToLoad\0" MSG_UNABLE_TO_LOAD "\0"
                               "confirm\0" MSG_CONFIRM_CONVERSION "\0"
                               "askLeftAlone\0" MSG_ASK_LEFT_ALONE "\0"
                               "askNoMark\0" MSG_ASK_NO_QIF_MARK "\0"
                               "yearFirstOne\0" MSG_YEAR_FIRST_ONE "\0"
                               "yearFirstMany\0" MSG_YEAR_FIRST_MANY "\0"
                               "holdsBinaryData\0" MSG_HOLDS_BINARY_DATA "\0"
                               "oneFileAtATime\0" MSG_ONE_FILE_AT_A_TIME "\0";
  return kTexts;
}
