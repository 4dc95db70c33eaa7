// The question asked when a file's dates already look day-first.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

void AnsweredYes(const E2eSetup &setup) {
  printf("-- the question answered yes converts every date\n");
  std::string path = JoinPath(setup.work, "yes.qif");
  if (!WriteBytes(path, Bytes(kDayFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session)) {
    PostClick(GetDlgItem(session.main, 1002));
    if (AnswerMessage(session, kQuestionText, "Save", IDYES))
      CheckEndsWithCode0(&session, "after yes");
  }
  CheckFileBytes(path, Bytes(kDayFirstConverted));
  FinishSession(&session);
}

// A no must leave the content as loaded: the second Save converts from the
// start, so any half-converted remnant would show in the bytes written.
void AnsweredNoThenAskedAgain(const E2eSetup &setup) {
  printf("-- no writes nothing and keeps the dialog; Save asks again\n");
  std::string path = JoinPath(setup.work, "no.qif");
  if (!WriteBytes(path, Bytes(kDayFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session)) {
    PostClick(GetDlgItem(session.main, 1002));
    if (AnswerMessage(session, kQuestionText, "Save", IDNO) &&
        CheckStillOpen(session, "after no")) {
      CheckFileBytes(path, Bytes(kDayFirst));
      PostClick(GetDlgItem(session.main, 1002));
      if (AnswerMessage(session, kQuestionText, "Save", IDYES))
        CheckEndsWithCode0(&session, "after the second Save");
    }
  }
  CheckFileBytes(path, Bytes(kDayFirstConverted));
  FinishSession(&session);
}

void DeclinedSaveAsKeepsNewName(const E2eSetup &setup) {
  printf("-- a declined Save As keeps the new name; Save writes there\n");
  std::string path = JoinPath(setup.work, "first.qif");
  std::string second = JoinPath(setup.work, "second.qif");
  if (!WriteBytes(path, Bytes(kDayFirst)))
    return;
  Session session;
  if (OpenInKestrom(setup, path, &session) && SaveAsTo(session, second) &&
      AnswerMessage(session, kQuestionText, "Save", IDNO) &&
      CheckStillOpen(session, "after no")) {
    Check(ShownName(session) == "second.qif", "the dialog shows \"%s\"",
          ShownName(session).c_str());
    Check(!FileExists(second), "a declined Save As created the file");
    PostClick(GetDlgItem(session.main, 1002));
    if (AnswerMessage(session, kQuestionText, "Save", IDYES))
      CheckEndsWithCode0(&session, "after Save");
  }
  CheckFileBytes(path, Bytes(kDayFirst));
  CheckFileBytes(second, Bytes(kDayFirstConverted));
  FinishSession(&session);
}

} // namespace

void RunQuestionScenarios(const E2eSetup &setup) {
  AnsweredYes(setup);
  AnsweredNoThenAskedAgain(setup);
  DeclinedSaveAsKeepsNewName(setup);
}
