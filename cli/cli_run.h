// The work on one FILE argument and what the user is told about it.
#ifndef KESTROM_CLI_CLI_RUN_H
#define KESTROM_CLI_CLI_RUN_H

#include "cli_file.h"
#include "cli_options.h"

// Converts path and writes the result to options->output, or over path,
// its backup replacing none of the run's count FILEs. Returns 1 when
// written, 0 when refused or failed (reported on stderr).
int ConvertOneFile(const char *path, const CliOptions *options,
                   const NamedFile *run, int runCount);

// Reports on stdout what converting path would do. Returns 1 when it
// would be converted, 0 when it would be refused or cannot be read.
int CheckOneFile(const char *path, const CliOptions *options);

// Converts, or with --check reports on, each FILE in options->files once:
// a FILE that names the same file as an earlier one (the same path again,
// a link, another spelling) is skipped with a note. Returns the exit
// status: 0, or 1 when some FILE was refused or failed.
int RunEachFileOnce(const CliOptions *options);

#endif
