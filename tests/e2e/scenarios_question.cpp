// The question asked when a file's dates already look day-first.
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

} // namespace

void RunQuestionScenarios(const E2eSetup &setup) {
  AnsweredYes(setup);
  AnsweredNoThenAskedAgain(setup);
  DeclinedSaveAsKeepsNewName(setup);
}
