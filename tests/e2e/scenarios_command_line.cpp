// Started with a file on the command line, as dropping it on the exe,
// "Open with" and "Send To" do: no Open dialog, the rest as after picking.
#include <stdio.h>

#include "e2e_scenarios.h"

namespace {

const char kOneFileAtATime[] =
    "Kestrom converts one file at a time: start it with a single file.\n\n"
    "To convert several files at once, use kestrom-cli.";

// The main dialog exists, still hidden, while it loads the file.
int StartWith(const E2eSetup &setup, const std::string &arguments,
              Session *session) {
  session->main = nullptr;
  if (!Check(StartProgramWith(setup.kestrom.c_str(), arguments.c_str(),
                              setup.work.c_str(), &session->program),
             "kestrom.exe did not start with %s", arguments.c_str()))
    return 0;
  session->main = WaitForProgramWindow(
      &session->program, {kMainTitle, nullptr, 0, 1}, kWindowTimeout);
  return Check(session->main != nullptr, "no main dialog with %s",
               arguments.c_str());
}

struct Given {
  const char *name;
  int relative; // named relative to the current folder
};

const Given kGiven[] = {
    {"export with spaces.qif", 1},
    {"wyciąg 明細 выписка.qif", 0},
};

void LoadsGivenFile(const E2eSetup &setup, const Given &given) {
  printf("-- started with \"%s\"%s: no Open dialog, Save converts it\n",
         given.name, given.relative ? " (relative)" : "");
  Session session;
  if (!PlaceFile(setup, given.name, Bytes(kMonthFirst), &session))
    return;
  std::string argument =
      "\"" + (given.relative ? std::string(given.name) : session.path) + "\"";
  // Shown only once its creation has returned: an Open dialog would have
  // held it hidden.
  if (StartWith(setup, argument, &session) && WaitForMainDialog(session) &&
      CheckShownName(session, given.name)) {
    PressButton(session, kSaveId);
    CheckEndsWithCode0(&session, "after Save");
  }
  CheckFileBytes(session.path, Bytes(kMonthFirstConverted));
  FinishSession(&session);
}

// As a failed pick: the warning, then the end.
void MissingFile(const E2eSetup &setup) {
  printf("-- started with a missing file: \"Unable to open file\", ends\n");
  Session session;
  if (StartWith(setup, "missing.qif", &session) &&
      AnswerMessage(session, "Unable to open file", "Kestrom", IDOK))
    CheckEndsWithCode0(&session, "after the missing file");
  Check(!FileExists(JoinPath(setup.work, "missing.qif")),
        "the missing file was created");
  FinishSession(&session);
}

void TwoFiles(const E2eSetup &setup) {
  printf("-- started with two files: converts none, says so, ends\n");
  Session first, second;
  if (!PlaceFile(setup, "first.qif", Bytes(kMonthFirst), &first) ||
      !PlaceFile(setup, "second file.qif", Bytes(kMonthFirst), &second))
    return;
  Session session;
  session.main = nullptr;
  if (Check(StartProgramWith(setup.kestrom.c_str(),
                             "first.qif \"second file.qif\"",
                             setup.work.c_str(), &session.program),
            "kestrom.exe did not start") &&
      AnswerMessage(session, kOneFileAtATime, "Kestrom", IDOK))
    CheckEndsWithCode0(&session, "after two files");
  Check(!WaitForProgramWindow(&session.program, {kMainTitle, nullptr, 0, 1}, 0),
        "the main dialog was created");
  CheckFileBytes(first.path, Bytes(kMonthFirst));
  CheckFileBytes(second.path, Bytes(kMonthFirst));
  FinishSession(&session);
}

} // namespace

void RunCommandLineScenarios(const E2eSetup &setup) {
  if (!CheckDriverUsesUtf8())
    return;
  for (const Given &given : kGiven)
    LoadsGivenFile(setup, given);
  MissingFile(setup);
  TwoFiles(setup);
}
