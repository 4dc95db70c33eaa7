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

// Short forms, CR-alone line ends, a byte-order mark, lists, price dates,
// the date-order header and year-first dates.
const Fixture kFixtures[] = {
    {"bank_dayfirst.qif", "bank_dayfirst.yes.qif", 1},
    {"accounts_lf_noeol.qif", "accounts_lf_noeol.every-date.qif", 0},
    {"bank_mdy_crlf.qif", "bank_mdy_crlf.every-date.qif", 0},
    {"short_forms.qif", "short_forms.every-date.qif", 0},
    {"cr_only_accounts.qif", "cr_only_accounts.every-date.qif", 0},
    {"full_export.qif", "full_export.every-date.qif", 0},
    {"bom_accounts.qif", "bom_accounts.every-date.qif", 0},
    {"year_first.qif", "year_first.every-date.qif", 0},
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
