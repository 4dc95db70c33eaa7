// Drives the real kestrom.exe through one group of scenarios, as a person
// at the screen would, and checks the files it leaves behind.
// Usage: e2e_driver GROUP KESTROM_EXE WORK_FOLDER FIXTURES_FOLDER
//        [KESTROM_CLI_EXE SAMPLES_FOLDER]
// The full-disk group finds its small file system in KESTROM_FULL_DISK_DIR.
// Exit code 0 when every check passed, 1 otherwise.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "e2e_scenarios.h"

namespace {

struct Group {
  const char *name;
  void (*run)(const E2eSetup &setup);
};

const Group kGroups[] = {
    {"road", RunRoadScenarios},
    {"fixtures", RunFixtureScenarios},
    {"question", RunQuestionScenarios},
    {"close", RunCloseScenarios},
    {"keyboard", RunKeyboardScenarios},
    {"load_failures", RunLoadFailureScenarios},
    {"save_failures", RunSaveFailureScenarios},
    {"full_disk", RunFullDiskScenario},
    {"layout", RunLayoutScenarios},
    {"names", RunNameScenarios},
    {"command_line", RunCommandLineScenarios},
    {"size_limit", RunSizeLimitScenario},
    {"killed_save", RunKilledSaveScenario},
    {"ordinary_user", RunOrdinaryUserScenarios},
    {"samples", RunSampleScenarios},
};

const Group *FindGroup(const char *name) {
  for (const Group &group : kGroups)
    if (strcmp(group.name, name) == 0)
      return &group;
  return nullptr;
}

// Under Wine the handle in the standard-output slot has been seen closed
// part-way through a group (right after a click on the dialog's close box),
// and with it every later line of the report, the closing line that passes
// the test included. The C runtime keeps writing to the handle it took at
// start-up; the slot gets a copy, so whatever closes the slot's handle
// closes the copy.
void GuardStandardOutput() {
  HANDLE process = GetCurrentProcess(), copy = nullptr;
  if (DuplicateHandle(process, GetStdHandle(STD_OUTPUT_HANDLE), process, &copy,
                      0, FALSE, DUPLICATE_SAME_ACCESS))
    SetStdHandle(STD_OUTPUT_HANDLE, copy);
}

} // namespace

int main(int argc, char **argv) {
  const Group *group = argc >= 5 ? FindGroup(argv[1]) : nullptr;
  if (!group) {
    fprintf(stderr, "usage: e2e_driver GROUP KESTROM_EXE WORK_FOLDER "
                    "FIXTURES_FOLDER\n");
    return 2;
  }
  GuardStandardOutput();
  E2eSetup setup;
  setup.kestrom = WindowsPath(argv[2]);
  setup.work = JoinPath(WindowsPath(argv[3]), group->name);
  setup.fixtures = WindowsPath(argv[4]);
  setup.cli = WindowsPath(argc >= 7 ? argv[5] : "");
  setup.samples = WindowsPath(argc >= 7 ? argv[6] : "");
  const char *fullDisk = getenv("KESTROM_FULL_DISK_DIR");
  setup.fullDisk = fullDisk ? fullDisk : "";
  if (!Check(MakeFolders(setup.work) && EmptyFolder(setup.work),
             "cannot prepare the folder %s", setup.work.c_str()))
    return 1;
  group->run(setup);
  printf("%s: %d failed check(s)\n", group->name, FailureCount());
  return FailureCount() ? 1 : 0;
}
