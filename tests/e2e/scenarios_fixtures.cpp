// The shared hand-written fixtures saved through the dialog: what the
// dialog writes must equal what every other front end is checked against,
// and what it would convert otherwise it must refuse to save at all.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

struct Fixture {
  const char *input;
  const char *expected; // null: Save and Save As refuse it
  int asks;             // the question comes and is answered yes
  int refusedAt;        // the line the refusal names
};

const Fixture kFixtures[] = {
    {"bank_dayfirst.qif", "bank_dayfirst.yes.qif", 1, 0},
    {"accounts_lf_noeol.qif", "accounts_lf_noeol.expected.qif", 0, 0},
    // Short forms (line 14 D6/1/94), CR-alone line ends and a full export
    // would be left half converted or garbled.
    {"bank_mdy_crlf.qif", nullptr, 0, 14},
    {"short_forms.qif", nullptr, 0, 2},
    {"cr_only_accounts.qif", nullptr, 0, 17},
    {"full_export.qif", nullptr, 0, 1},
};

// Refused by Save As and then by Save, the dialog staying open for each.
int Refused(const Session &session, const Fixture &fixture) {
  char text[256];
  snprintf(text, sizeof text,
           "Unable to Save file\n\nLine %d is not written the way the bank "
           "writes its exports, so this program cannot convert the file "
           "correctly. kestrom.html and kestrom-cli convert this file.",
           fixture.refusedAt);
  if (!AnswerMessage(session, text, "Save", IDOK))
    return 0;
  PressButton(session, kSaveId);
  int again = AnswerMessage(session, text, "Save", IDOK);
  PressButton(session, IDCANCEL);
  return again;
}

void SaveCopyOf(const E2eSetup &setup, const Fixture &fixture) {
  printf("-- %s saved as a copy through the dialog\n", fixture.input);
  std::string source = JoinPath(setup.fixtures, fixture.input), bytes;
  if (!Check(ReadBytes(source, &bytes), "cannot read %s", source.c_str()))
    return;
  Session session;
  std::string copy =
      JoinPath(setup.work, fixture.expected ? fixture.expected : "refused.qif");
  if (OpenNewFile(setup, fixture.input, bytes, &session) &&
      SaveAsTo(session, copy) &&
      (!fixture.asks || AnswerMessage(session, kQuestionText, "Save", IDYES)) &&
      (fixture.expected || Refused(session, fixture)))
    CheckEndsWithCode0(&session, "after Save As");
  CheckFileBytes(session.path, bytes);
  if (fixture.expected)
    CheckFileSame(copy, JoinPath(setup.fixtures, fixture.expected));
  else
    Check(!FileExists(copy), "a refused Save As wrote %s", copy.c_str());
  FinishSession(&session);
}

} // namespace

void RunFixtureScenarios(const E2eSetup &setup) {
  for (const Fixture &fixture : kFixtures)
    SaveCopyOf(setup, fixture);
}
