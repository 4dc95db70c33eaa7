// The page's way into the conversion pass. The page copies the file's bytes
// into the module's memory from KestromContent() on (growing the memory to
// fit) and runs the same ConvertQifBytes as the dialog and kestrom-cli.
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

} // namespace

KESTROM_EXPORT(KestromContent) unsigned char *KestromContent() {
  return &__heap_base;
}

// 1 when the whole content was converted; 0 when the question came up and
// answerYes was 0, the content then being exactly as before the call.
KESTROM_EXPORT(KestromConvert) int KestromConvert(int size, int answerYes) {
  return ConvertQifBytes(&__heap_base, size, kQifTwoDigitRule, AnswerGiven,
                         &answerYes);
}

// The program's own texts, so the page says exactly what the dialog says.
KESTROM_EXPORT(KestromText) const char *KestromText(int which) {
  static const char *const kTexts[] = {KESTROM_CAPTION, SAVE_CAPTION,
                                       MSG_FILE_EMPTY, MSG_UNABLE_TO_LOAD,
                                       MSG_CONFIRM_CONVERSION};
  return which >= 0 && which < 5 ? kTexts[which] : "";
}
