// kestrom-cli: the dialog's conversion for batches and scripts.
#include <stdio.h>

#include "cli_file.h"
#include "cli_options.h"
#include "cli_platform.h"
#include "cli_run.h"
#include "cli_stdio.h"
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

const char kUsage[] =
    "Usage: kestrom-cli [OPTION]... [FILE]...\n"
    "Converts QIF exports: every date month-first becomes day-first\n"
    "(D12/25/99 becomes D25/12/99, D6/1/94 becomes D1/6/94), and payee (P)\n"
    "and memo (M) lines exchange their letters. Each FILE is rewritten in\n"
    "place; its length and every other byte stay as they were. A FILE of -\n"
    "is standard input, converted to standard output; with no FILE,\n"
    "standard input is read unless it is a terminal.\n"
    "\n"
    "  -o, --output=OUT  write the result to OUT instead (one FILE only);\n"
    "                    - is standard output\n"
    "  -b                make a backup of each file replaced\n"
    "      --backup[=CONTROL]\n"
    "                    the same, CONTROL saying how (below)\n"
    "  -S, --suffix=SUFFIX\n"
    "                    the suffix of a simple backup (default ~); makes\n"
    "                    backups too\n"
    "  -y, --yes         convert even when the dates look day-first already\n"
    "                    (a month over 12, !Option:DMY), some dates cannot\n"
    "                    be converted (D1/5, D12345), or the file may be no\n"
    "                    QIF file (no !Type: header, no ^); without it such\n"
    "                    a file is refused and left as it is\n"
    "      --check       write nothing; report per file the dates and\n"
    "                    payee/memo lines that would change, the header\n"
    "                    !Option:MDY rewritten, the year-first dates kept,\n"
    "                    the dates that cannot be converted, with their\n"
    "                    line numbers\n"
    "  -v, --verbose     say on stderr what was done with each file\n"
    "  -h, --help        show this help and exit\n"
    "      --version     show the version and exit\n"
    "\n"
    "The backup is made before the file is replaced, in its folder, and\n"
    "keeps its content and metadata. CONTROL, or VERSION_CONTROL when it\n"
    "is not given, is one of:\n"
    "  none, off       no backups\n"
    "  numbered, t     FILE.~1~, FILE.~2~ and so on\n"
    "  existing, nil   numbered if numbered backups exist, else simple\n"
    "                  (the default)\n"
    "  simple, never   FILE and the suffix: -S, SIMPLE_BACKUP_SUFFIX or ~\n"
    "\n"
    "Dates with one-digit or space-padded fields (D6/1/94, D 1/ 5/99,\n"
    "D2/14'2020) are converted too, as the Kestrom dialog and page do;\n"
    "year-first dates (D2007-01-22, D20070122) stay as they are. Lines may\n"
    "end with LF, CR LF or a CR alone. Lists (accounts, categories,\n"
    "classes, payees, securities, budgets, tags) stay as they are; the\n"
    "dates of a price list (\"INTU\",55.40,\"12/13/05\") are converted as D\n"
    "lines are, and !Option:MDY becomes !Option:DMY. A file holding a\n"
    "control byte other than TAB, LF and CR is no QIF file and is never\n"
    "converted, not even with --yes; an empty file is nothing to convert.\n"
    "A file is never half converted without --yes. A file is\n"
    "replaced only once its new content is complete: on any failure the\n"
    "original stays untouched. Convert each file once: a second run would\n"
    "swap its dates back (it is usually refused, as the dates then look\n"
    "day-first; -b keeps the original).\n"
    "\n"
    "The replacement keeps the file's mode, owner and group and, on Linux,\n"
    "its ACL and extended attributes (one you may not set is left out, with\n"
    "a note); a file whose owner and group it could not keep is refused. If\n"
    "another program changes the file while it converts, nothing is\n"
    "written. Only regular files you may write are replaced. A refused\n"
    "file writes nothing to standard output.\n"
    "\n"
    "Exit status:\n"
    "  0  every FILE converted (with --check: every FILE would convert)\n"
    "  1  some FILE was refused or failed, or the report could not be\n"
    "     written; the other FILEs were still done\n"
    "  2  bad usage\n"
    "  128+N  ended by signal N (129 SIGHUP, 130 SIGINT, 143 SIGTERM and\n"
    "     the others that end a program); every FILE converted is named\n"
    "     on stderr, the one being converted is left as it was\n"
    "\n"
    "Examples: kestrom-cli --check export-*.qif && kestrom-cli export-*.qif\n"
    "          kestrom-cli --yes -o fixed.qif export.qif\n"
    "          kestrom-cli -b export.qif\n"
    "          kestrom-cli <export.qif >fixed.qif\n"
    "\n"
    "Report problems on the Kestrom project's issue tracker, where its\n"
    "source and releases are published.\n";

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
    fputs(options.help ? kUsage : kVersion, stdout);
  } else {
    InstallInterruptCleanup();
    status = RunEachFileOnce(&options);
  }
  return FinishOutput(status);
}
