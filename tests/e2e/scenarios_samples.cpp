// Real exports from other programs, each opened in the dialog and saved
// with Yes to every question: the dialog must write what kestrom-cli.exe
// --yes writes, and ask exactly where kestrom-cli.exe without --yes
// refuses. kestrom-cli.exe is run here on each sample for the expected
// bytes, so no copy of a sample is kept with the tests.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "e2e_scenarios.h"

namespace {

// Runs kestrom-cli.exe with the arguments in folder; returns its exit
// code, or -1 when it did not run or end.
int RunCli(const E2eSetup &setup, const std::string &arguments) {
  Program cli;
  DWORD code = 0;
  if (!Check(StartProgramWith(setup.cli.c_str(), arguments.c_str(),
                              setup.work.c_str(), &cli),
             "kestrom-cli.exe did not start"))
    return -1;
  int ended = WaitForExit(&cli, kWindowTimeout, &code);
  EndProgram(&cli);
  return Check(ended, "kestrom-cli.exe %s did not end", arguments.c_str())
             ? int(code)
             : -1;
}

// What kestrom-cli.exe writes for the sample, and whether it needed --yes.
int ConvertWithCli(const E2eSetup &setup, const char *name,
                   std::string *expected, int *neededYes) {
  std::string out = JoinPath(setup.work, "cli.qif");
  std::string arguments = std::string("-o cli.qif \"") + name + "\"";
  int code = RunCli(setup, arguments);
  *neededYes = code == 1;
  if (*neededYes)
    code = RunCli(setup, "--yes " + arguments);
  return Check(code == 0, "kestrom-cli.exe --yes refused %s (%d)", name,
               code) &&
         Check(ReadBytes(out, expected), "no %s", out.c_str()) &&
         Check(DeleteFileA(out.c_str()), "cannot delete %s", out.c_str());
}

// Presses Save and answers Yes to every box until the program ends;
// returns how many questions came. A warning is no question: it is
// reported, and Cancel then ends the run.
int SaveWithYesToAll(Session *session) {
  PressButton(*session, kSaveId);
  int asked = 0;
  for (HWND box;
       (box = WaitForProgramWindow(&session->program,
                                   {nullptr, session->main, kMessageText, 0},
                                   kReactionTimeout)) != nullptr;) {
    std::string text = TextOf(GetDlgItem(box, kMessageText));
    HWND yes = GetDlgItem(box, IDYES);
    Check(TextOf(box) == "Save", "a box captioned \"%s\"", TextOf(box).c_str());
    if (!Check(yes != nullptr, "a box that asks nothing: \"%s\"",
               text.c_str())) {
      PostClick(GetDlgItem(box, IDOK));
      WaitForWindowGone(box, kReactionTimeout);
      PressButton(*session, IDCANCEL);
      break;
    }
    ++asked;
    PostClick(yes);
    if (!Check(WaitForWindowGone(box, kReactionTimeout),
               "the box \"%s\" stayed after Yes", text.c_str()))
      break;
  }
  return asked;
}

void SaveSample(const E2eSetup &setup, const char *name) {
  std::string bytes, expected;
  int neededYes = 0;
  if (!Check(ReadBytes(JoinPath(setup.samples, name), &bytes), "cannot read %s",
             name))
    return;
  Session session;
  if (!PlaceFile(setup, name, bytes, &session) ||
      !ConvertWithCli(setup, name, &expected, &neededYes))
    return;
  printf("-- %s: the dialog writes what kestrom-cli.exe --yes writes, %s\n",
         name, neededYes ? "asking first" : "asking nothing");
  if (OpenInKestrom(setup, session.path, &session)) {
    int asked = SaveWithYesToAll(&session);
    Check((asked > 0) == neededYes, "%s: %d question(s); kestrom-cli.exe %s",
          name, asked, neededYes ? "needs --yes" : "converts it at once");
    CheckEndsWithCode0(&session, name);
  }
  CheckFileBytes(session.path, expected);
  FinishSession(&session);
}

std::vector<std::string> SampleNames(const std::string &folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(JoinPath(folder, "*.qif").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do
    names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

} // namespace

// A machine without the samples skips the group, saying so in one line.
void RunSampleScenarios(const E2eSetup &setup) {
  std::vector<std::string> names = SampleNames(setup.samples);
  if (names.empty()) {
    printf("samples: skipped: no QIF samples in %s (the CMake cache variable "
           "KESTROM_QIF_SAMPLES names the folder)\n",
           setup.samples.c_str());
    fflush(stdout);
    exit(77);
  }
  for (const std::string &name : names)
    SaveSample(setup, name.c_str());
}
