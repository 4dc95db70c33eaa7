// The shared hand-written fixtures saved through the dialog: what the
// dialog writes must equal what every other front end is checked against.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

struct Fixture {
  const char *input;
  const char *expected;
  int asks; // the question comes and is answered yes
};

const Fixture kFixtures[] = {
    {"bank_mdy_crlf.qif", "bank_mdy_crlf.expected.qif", 0},
    {"bank_dayfirst.qif", "bank_dayfirst.yes.qif", 1},
    {"accounts_lf_noeol.qif", "accounts_lf_noeol.expected.qif", 0},
    // The dialog keeps to the two-digit dates: short forms stay as they are.
    {"short_forms.qif", "short_forms.expected.qif", 0},
};

void SaveCopyOf(const E2eSetup &setup, const Fixture &fixture) {
  printf("-- %s saved as a copy through the dialog\n", fixture.input);
  std::string source = JoinPath(setup.fixtures, fixture.input), bytes;
  if (!Check(ReadBytes(source, &bytes), "cannot read %s", source.c_str()))
    return;
  Session session;
  std::string copy = JoinPath(setup.work, fixture.expected);
  if (OpenNewFile(setup, fixture.input, bytes, &session) &&
      SaveAsTo(session, copy) &&
      (!fixture.asks || AnswerMessage(session, kQuestionText, "Save", IDYES)))
    CheckEndsWithCode0(&session, "after Save As");
  CheckFileBytes(session.path, bytes);
  CheckFileSame(copy, JoinPath(setup.fixtures, fixture.expected));
  FinishSession(&session);
}

} // namespace

void RunFixtureScenarios(const E2eSetup &setup) {
  for (const Fixture &fixture : kFixtures)
    SaveCopyOf(setup, fixture);
}
