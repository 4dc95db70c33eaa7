// The page's way into the conversion pass. The page copies the file's bytes
// into the module's memory from KestromContent() on (growing the memory to
// fit) and runs the same ConvertQifBytes as kestrom-cli, with the
// every-date rules, and the same counts as its --check.
#include "qif_check.h"
#include "qif_convert.h"
#include "qif_messages.h"

#define KESTROM_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Where the linker ends the module's static data and stack: the content
// lives above it.
extern "C" unsigned char __heap_base;

namespace {

// The page cannot answer while the pass runs, so the answer is decided
// before the call: a first run answers no, and when it was asked, the page
// puts the question and runs again with the user's answer.
int AnswerGiven(void *context) { return *static_cast<int *>(context); }

// What KestromCount reports, as the page reads it: ten counts, then the
// line number, offset and length of each of the first few dates left alone
// (the page lists ten and says how many more).
const int kListedDates = 10;
struct CountReport {
  int datesExchanged;
  int payeeMemoExchanged;
  int datesLeftAlone;
  int dayFirstLine;  // 0 when no date or header asks the question
  int recordMarks;   // none: not a QIF file
  int dayFirstMonth; // 0 when the header asks it
  int monthFirstHeaders;
  int dayFirstHeaders;
  int binaryLine; // not 0: not a QIF file, for binaryByte on that line
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

// 1 when the whole content was converted; 0 when the question came up and
// answerYes was 0, the content then being exactly as before the call.
KESTROM_EXPORT(KestromConvert) int KestromConvert(int size, int answerYes) {
  return ConvertQifBytes(&__heap_base, size, kQifEveryDateRules, AnswerGiven,
                         &answerYes);
}

// Counts what converting the content would do, changing no byte.
KESTROM_EXPORT(KestromCount) const CountReport *KestromCount(int size) {
  QifCheckCounts counts = {};
  Listing listing = {size, &g_report};
  g_report.listed = 0;
  CountQifPiece(&__heap_base, size, kQifEveryDateRules, ListLeftAlone, &listing,
                &counts);
  g_report.datesExchanged = counts.datesExchanged;
  g_report.payeeMemoExchanged = counts.lettersExchanged;
  g_report.datesLeftAlone = counts.datesLeftAlone;
  g_report.dayFirstLine = counts.dayFirstLine;
  g_report.recordMarks = counts.recordMarks;
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
                               "isNotQif\0" MSG_IS_NOT_QIF "\0"
                               "holdsBinaryData\0" MSG_HOLDS_BINARY_DATA "\0"
                               "oneFileAtATime\0" MSG_ONE_FILE_AT_A_TIME "\0";
  return kTexts;
}
