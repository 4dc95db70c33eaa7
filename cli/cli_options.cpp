#include "cli_options.h"

#include <getopt.h>
#include <stdio.h>
#include <string.h>

namespace {

int Refuse(char *error, int errorSize, const char *reason) {
  snprintf(error, errorSize, "%s", reason);
  return 0;
}

// reason holds one %s for the argument at fault.
int FailAt(char *error, int errorSize, const char *reason, const char *arg) {
  snprintf(error, errorSize, reason, arg);
  return 0;
}

// Long options have values of their own, above any letter, so that an
// error names the option as it was written.
enum { kYes = 256, kCheck, kOutput, kVerbose, kHelp, kVersion };

const char kShortOptions[] = ":hvyo:";

const struct option kLongOptions[] = {
    {"yes", no_argument, nullptr, kYes},
    {"check", no_argument, nullptr, kCheck},
    {"output", required_argument, nullptr, kOutput},
    {"verbose", no_argument, nullptr, kVerbose},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

// What getopt_long found wrong: a letter (optopt), or else a long option,
// which is the argument it just passed.
int FailOption(int found, char **argv, char *error, int errorSize) {
  char letter[3] = {'-', static_cast<char>(optopt), '\0'};
  const char *arg = optopt > 0 && optopt < 256 ? letter : argv[optind - 1];
  if (found == ':')
    return FailAt(error, errorSize, "%s needs a file name", arg);
  return FailAt(error, errorSize, "unknown option '%s'", arg);
}

int TakeOption(int found, CliOptions *options) {
  switch (found) {
  case 'y':
  case kYes:
    options->yes = 1;
    return 1;
  case kCheck:
    options->check = 1;
    return 1;
  case 'v':
  case kVerbose:
    options->verbose = 1;
    return 1;
  case 'h':
  case kHelp:
    options->help = 1;
    return 1;
  case kVersion:
    options->version = 1;
    return 1;
  }
  return 0;
}

// The combinations that cannot mean anything sensible.
int CheckCombination(const CliOptions *options, char *error, int errorSize) {
  if (options->help || options->version)
    return 1;
  if (options->fileCount == 0)
    return Refuse(error, errorSize, "no input files");
  if (options->output && options->fileCount > 1)
    return Refuse(error, errorSize, "-o takes exactly one input file");
  if (options->output && options->check)
    return Refuse(error, errorSize, "-o cannot be used with --check");
  return 1;
}

} // namespace

// getopt_long, as in other tools: -yo OUT, --output=OUT, options after
// the files (argv is put in order), "--" to end them, and "-" a file.
int ParseCliOptions(int argc, char **argv, CliOptions *options, char *error,
                    int errorSize) {
  memset(options, 0, sizeof *options);
  optind = 0; // from the start, even when called before
  opterr = 0; // its messages are ours
  int found;
  while ((found = getopt_long(argc, argv, kShortOptions, kLongOptions,
                              nullptr)) != -1) {
    int output = found == 'o' || found == kOutput;
    if (output && options->output)
      return Refuse(error, errorSize, "-o given twice");
    // --output= names no file, rather than one called "".
    if (output && !*optarg)
      return Refuse(error, errorSize,
                    found == 'o' ? "-o needs a file name"
                                 : "--output needs a file name");
    if (output)
      options->output = optarg;
    else if (!TakeOption(found, options))
      return FailOption(found, argv, error, errorSize);
  }
  options->files = argv + optind;
  options->fileCount = argc - optind;
  return CheckCombination(options, error, errorSize);
}
