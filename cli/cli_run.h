// The work on the FILE arguments and what the user is told about them.
#pragma once

#include "cli_options.h"

// Converts, or with --check reports on, each FILE in options->files once:
// a FILE that names the same file as an earlier one (the same path again,
// a link, another spelling) is skipped with a note. Returns the exit
// status: 0, or 1 when some FILE was refused or failed.
int RunEachFileOnce(const CliOptions *options);
