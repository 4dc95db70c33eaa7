// The questions asked before converting: when a file's dates already look
// day-first, when some dates are in no form the program converts, and when
// the file may be no QIF file.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

void AnsweredYes(const E2eSetup &setup) {
  printf("-- the question answered yes converts every date\n");
  Session session;
  if (OpenNewFile(setup, "yes.qif", Bytes(kDayFirst), &session) &&
      SaveAnswering(session, IDYES))
    CheckEndsWithCode0(&session, "after yes");
  CheckFileBytes(session.path, Bytes(kDayFirstConverted));
  FinishSession(&session);
}

// A no must leave the content as loaded: the second Save converts from the
// start, so any half-converted remnant would show in the bytes written.
void AnsweredNoThenAskedAgain(const E2eSetup &setup) {
  printf("-- no writes nothing and keeps the dialog; Save asks again\n");
  Session session;
  if (OpenNewFile(setup, "no.qif", Bytes(kDayFirst), &session) &&
      SaveAnswering(session, IDNO) && CheckStillOpen(session, "after no")) {
    CheckFileBytes(session.path, Bytes(kDayFirst));
    if (SaveAnswering(session, IDYES))
      CheckEndsWithCode0(&session, "after the second Save");
  }
  CheckFileBytes(session.path, Bytes(kDayFirstConverted));
  FinishSession(&session);
}

void DeclinedSaveAsKeepsNewName(const E2eSetup &setup) {
  printf("-- a declined Save As keeps the new name; Save writes there\n");
  std::string second = JoinPath(setup.work, "second.qif");
  Session session;
  if (OpenNewFile(setup, "first.qif", Bytes(kDayFirst), &session) &&
      SaveAsTo(session, second) &&
      AnswerMessage(session, kQuestionText, "Save", IDNO) &&
      CheckStillOpen(session, "after no")) {
    CheckShownName(session, "second.qif");
    Check(!FileExists(second), "a declined Save As created the file");
    if (SaveAnswering(session, IDYES))
      CheckEndsWithCode0(&session, "after Save");
  }
  CheckFileBytes(session.path, Bytes(kDayFirst));
  CheckFileBytes(second, Bytes(kDayFirstConverted));
  FinishSession(&session);
}

struct OtherQuestion {
  const char *what;
  const char *content;
  const char *question;
  int answer;
  const char *after; // the file once the program has ended
};

const OtherQuestion kOtherQuestions[] = {
    {"a date in no form it converts", "!Type:Bank\nD12/25/99\nPx\n^\nD1/5\n^\n",
     "Line 5 holds a date that this program does not convert: D1/5\n\nThe "
     "other dates are converted, and dates like this one stay as they "
     "are.\n\nAre you sure you want to convert it?",
     IDYES, "!Type:Bank\nD25/12/99\nMx\n^\nD1/5\n^\n"},
    {"no QIF mark", "D12/25/99\nPx\n",
     "This file has no line such as !Type:Bank and no ^, so it may not be a "
     "QIF file.\n\nAre you sure you want to convert it?",
     IDNO, "D12/25/99\nPx\n"},
};

// Yes converts and writes; No writes nothing and keeps the dialog open
// until Cancel.
void AskedAbout(const E2eSetup &setup, const OtherQuestion &q) {
  printf("-- %s asks first; %s\n", q.what,
         q.answer == IDYES ? "yes converts" : "no writes nothing");
  Session session;
  if (OpenNewFile(setup, "other.qif", q.content, &session)) {
    PressButton(session, kSaveId);
    if (AnswerMessage(session, q.question, "Save", q.answer) &&
        q.answer == IDNO && CheckStillOpen(session, "after no"))
      PressButton(session, IDCANCEL);
    CheckEndsWithCode0(&session, q.what);
  }
  CheckFileBytes(session.path, q.after);
  FinishSession(&session);
}

} // namespace

void RunQuestionScenarios(const E2eSetup &setup) {
  AnsweredYes(setup);
  AnsweredNoThenAskedAgain(setup);
  DeclinedSaveAsKeepsNewName(setup);
  for (const OtherQuestion &q : kOtherQuestions)
    AskedAbout(setup, q);
}
