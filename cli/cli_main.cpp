// kestrom-cli: the dialog's conversion for batches and scripts.
#include <stdio.h>

#include "cli_file.h"
#include "cli_options.h"
#include "cli_platform.h"
#include "cli_run.h"
#include "cli_stdio.h"
#include "kestrom_cli_help.h"
#include "kestrom_version.h"
#ifdef _WIN32
#include "dll_search.h"

// The MinGW-w64 runtime expands wildcards in the arguments (export-*.qif),
// as the command prompt leaves that to each program. A quoted argument and
// one that matches nothing stay as they are.
extern "C" {
int _dowildcard = -1;
}
#endif

namespace {

// The GNU form: name and version, the copyright line of LICENSE, and the
// licence in one line.
const char kVersion[] =
    "kestrom-cli (Kestrom) " KESTROM_VERSION "\n" KESTROM_COPYRIGHT "\n"
    "This is free software under the MIT License; there is NO WARRANTY.\n";

int BadUsage(const char *error) {
  PrintCli(stderr, "kestrom-cli: %s\n", error);
  fputs("Try 'kestrom-cli --help' for more information.\n", stderr);
  return 2;
}

// Returns the exit status once standard output is flushed: a report, a help
// text or a content that never reached its reader is no success.
int FinishOutput(int status) {
  Failure failure;
  if (FlushStandardOutput(&failure))
    return status;
  PrintFailure(&failure);
  return status == 2 ? 2 : 1;
}

} // namespace

int main(int argc, char **argv) {
#ifdef _WIN32
  LimitDllSearchToSystem32();
#endif
  CliOptions options;
  char error[256];
  int status = 0;
  if (!ParseCliOptions(argc, argv, StandardInputIsTerminal(), &options, error,
                       sizeof error)) {
    status = BadUsage(error);
  } else if (options.help || options.version) {
    fputs(options.help ? KESTROM_CLI_HELP : kVersion, stdout);
  } else {
    InstallInterruptCleanup();
    status = RunEachFileOnce(&options);
  }
  return FinishOutput(status);
}
