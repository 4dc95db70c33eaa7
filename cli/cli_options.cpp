#include "cli_options.h"

#include <getopt.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Writes reason to error and returns 0; reason may hold %s and %c for the
// arguments after it.
__attribute__((format(printf, 3, 4))) int Refuse(char *error, int errorSize,
                                                 const char *reason, ...) {
  va_list args;
  va_start(args, reason);
  vsnprintf(error, errorSize, reason, args);
  va_end(args);
  return 0;
}

// Long options have values of their own, above any letter, so that an
// error names the option as it was written.
enum {
  kYes = 256,
  kCheck,
  kOutput,
  kVerbose,
  kHelp,
  kVersion,
  kBackup,
  kSuffix
};

const char kShortOptions[] = ":hvyo:bS:";

const struct option kLongOptions[] = {
    {"yes", no_argument, nullptr, kYes},
    {"check", no_argument, nullptr, kCheck},
    {"output", required_argument, nullptr, kOutput},
    {"verbose", no_argument, nullptr, kVerbose},
    {"backup", optional_argument, nullptr, kBackup},
    {"suffix", required_argument, nullptr, kSuffix},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

// Standard input, the FILE when none is given and it is no terminal.
char g_standardInput[] = "-";
char *const g_standardInputOnly[] = {g_standardInput};

// Writes glibc's words for a long option that getopt_long did not take,
// whichever getopt_long the system has. optopt names the option it found,
// whose argument was missing or not allowed; it is 0 for a name that starts
// no option, or several.
int FailLongOption(const char *arg, char *error, int errorSize) {
  for (const struct option *o = kLongOptions; o->name; ++o)
    if (optopt == o->val)
      return Refuse(error, errorSize,
                    o->has_arg == no_argument
                        ? "option '--%s' doesn't allow an argument"
                        : "option '--%s' requires an argument",
                    o->name);
  size_t length = strcspn(arg + 2, "=");
  char possible[160] = "";
  int matches = 0;
  for (const struct option *o = kLongOptions; o->name; ++o) {
    if (strncmp(o->name, arg + 2, length) != 0)
      continue;
    size_t used = strlen(possible);
    snprintf(possible + used, sizeof possible - used, " '--%s'", o->name);
    ++matches;
  }
  if (matches < 2)
    return Refuse(error, errorSize, "unrecognized option '%s'", arg);
  return Refuse(error, errorSize,
                "option '%.*s' is ambiguous; possibilities:%s",
                static_cast<int>(length + 2), arg, possible);
}

// Writes what getopt_long found wrong: a letter (optopt), or else a long
// option, which is the argument it just passed.
int FailOption(int found, char **argv, char *error, int errorSize) {
  if (optopt > 0 && optopt < 256)
    return Refuse(error, errorSize,
                  found == ':' ? "option requires an argument -- '%c'"
                               : "invalid option -- '%c'",
                  optopt);
  return FailLongOption(argv[optind - 1], error, errorSize);
}

// Takes -b, --backup[=CONTROL], -S and --suffix=SUFFIX as cp reads them,
// once all options are read: a suffix alone asks for backups too, and
// without CONTROL VERSION_CONTROL says how they are made.
int TakeBackup(int asked, const char *control, const char *suffix,
               CliOptions *options, char *error, int errorSize) {
  options->backup.suffix = ChooseBackupSuffix(suffix);
  if (!asked || options->help || options->version)
    return 1;
  const char *from = "--backup";
  if (!control) {
    control = getenv("VERSION_CONTROL");
    from = "VERSION_CONTROL";
    options->backup.control = kBackupExisting;
    if (!control || !*control)
      return 1;
  }
  int ambiguous;
  if (ReadBackupControl(control, &options->backup.control, &ambiguous))
    return 1;
  return Refuse(error, errorSize,
                "%s argument '%s' for '%s'; valid arguments are 'none', "
                "'off', 'simple', 'never', 'existing', 'nil', 'numbered', 't'",
                ambiguous ? "ambiguous" : "invalid", control, from);
}

// Returns the flag that an option without an argument sets, or null.
int *FlagOf(int found, CliOptions *options) {
  switch (found) {
  case 'y':
  case kYes:
    return &options->yes;
  case kCheck:
    return &options->check;
  case 'v':
  case kVerbose:
    return &options->verbose;
  case 'h':
  case kHelp:
    return &options->help;
  case kVersion:
    return &options->version;
  }
  return nullptr;
}

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

// True when a Windows user asks for help with /?, as a console tool there
// answers it.
int AsksWindowsHelp([[maybe_unused]] int argc, [[maybe_unused]] char **argv) {
#ifdef _WIN32
  for (int i = 1; i < argc && strcmp(argv[i], "--") != 0; ++i)
    if (strcmp(argv[i], "/?") == 0)
      return 1;
#endif
  return 0;
}

// Takes -o OUT, which may be given once and must name a file ("--output="
// names none).
int TakeOutput(int found, CliOptions *options, char *error, int errorSize) {
  if (options->output)
    return Refuse(error, errorSize, "-o given twice");
  if (!*optarg)
    return Refuse(error, errorSize,
                  found == 'o' ? "option requires an argument -- 'o'"
                               : "option '--output' requires an argument");
  options->output = optarg;
  return 1;
}

} // namespace

int ParseCliOptions(int argc, char **argv, int inputIsTerminal,
                    CliOptions *options, char *error, int errorSize) {
  memset(options, 0, sizeof *options);
  if (AsksWindowsHelp(argc, argv)) {
    options->help = 1;
    return 1;
  }
  optind = 0; // from the start, even when called before
  opterr = 0; // its messages are ours
  int found, backup = 0;
  const char *control = nullptr, *suffix = nullptr;
  while ((found = getopt_long(argc, argv, kShortOptions, kLongOptions,
                              nullptr)) != -1) {
    if (found == 'o' || found == kOutput) {
      if (!TakeOutput(found, options, error, errorSize))
        return 0;
    } else if (found == 'b' || found == kBackup) {
      backup = 1;
      control = found == kBackup && optarg ? optarg : control;
    } else if (found == 'S' || found == kSuffix) {
      backup = 1;
      suffix = optarg;
    } else if (int *flag = FlagOf(found, options)) {
      *flag = 1;
    } else {
      return FailOption(found, argv, error, errorSize);
    }
  }
  options->files = argv + optind;
  options->fileCount = argc - optind;
  if (options->fileCount == 0 && !inputIsTerminal) {
    options->files = g_standardInputOnly;
    options->fileCount = 1;
  }
  return TakeBackup(backup, control, suffix, options, error, errorSize) &&
         CheckCombination(options, error, errorSize);
}
