#include "cli_options.h"

#include <stdio.h>
#include <string.h>

namespace {

int Fail(char *error, int errorSize, const char *reason) {
  snprintf(error, errorSize, "%s", reason);
  return 0;
}

// reason holds one %s for the argument at fault.
int FailAt(char *error, int errorSize, const char *reason, const char *arg) {
  snprintf(error, errorSize, reason, arg);
  return 0;
}

// Flags that take no value. Returns 1 when arg was one of them.
int TakeFlag(const char *arg, CliOptions *options) {
  if (!strcmp(arg, "-y") || !strcmp(arg, "--yes"))
    options->yes = 1;
  else if (!strcmp(arg, "--check"))
    options->check = 1;
  else if (!strcmp(arg, "-h") || !strcmp(arg, "--help"))
    options->help = 1;
  else if (!strcmp(arg, "--version"))
    options->version = 1;
  else
    return 0;
  return 1;
}

// The combinations that cannot mean anything sensible.
int CheckCombination(const CliOptions *options, char *error, int errorSize) {
  if (options->help || options->version)
    return 1;
  if (options->fileCount == 0)
    return Fail(error, errorSize, "no input files");
  if (options->output && options->fileCount > 1)
    return Fail(error, errorSize, "-o takes exactly one input file");
  if (options->output && options->check)
    return Fail(error, errorSize, "-o cannot be used with --check");
  return 1;
}

} // namespace

int ParseCliOptions(int argc, char **argv, const char **files,
                    CliOptions *options, char *error, int errorSize) {
  memset(options, 0, sizeof *options);
  options->files = files;
  int optionsEnded = 0;
  for (int i = 1; i < argc; ++i) {
    const char *arg = argv[i];
    if (optionsEnded || arg[0] != '-' || arg[1] == '\0') {
      files[options->fileCount++] = arg;
    } else if (!strcmp(arg, "--")) {
      optionsEnded = 1;
    } else if (!strcmp(arg, "-o") || !strcmp(arg, "--output")) {
      if (i + 1 >= argc)
        return FailAt(error, errorSize, "%s needs a file name", arg);
      if (options->output)
        return FailAt(error, errorSize, "%s given twice", arg);
      options->output = argv[++i];
    } else if (!TakeFlag(arg, options)) {
      return FailAt(error, errorSize, "unknown option '%s'", arg);
    }
  }
  return CheckCombination(options, error, errorSize);
}
