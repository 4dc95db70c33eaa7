// The command line, read without touching any file.
#pragma once

#include "cli_backup.h"

struct CliOptions {
  int yes;             // convert files that look day-first too
  int check;           // report only, write nothing
  int help;            // --help wins over everything else
  int version;         // --version
  int verbose;         // one line per file done
  const char *output;  // -o OUT, or null for in place
  BackupChoice backup; // of each file replaced; kBackupNone by default
  char *const *files;  // the FILE arguments, in order: the end of argv
  int fileCount;
};

// Reads argv; options and FILEs may come in any order, and "--" ends the
// options. With no FILE, standard input ("-") is read unless
// inputIsTerminal. Returns 1, or 0 with a one-line reason in error for bad
// usage, in getopt's words where getopt has them.
int ParseCliOptions(int argc, char **argv, int inputIsTerminal,
                    CliOptions *options, char *error, int errorSize);
