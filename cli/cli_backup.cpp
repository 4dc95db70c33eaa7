#include "cli_backup.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct ControlWord {
  const char *word;
  int control;
};

const ControlWord kControlWords[] = {
    {"none", kBackupNone},         {"off", kBackupNone},
    {"simple", kBackupSimple},     {"never", kBackupSimple},
    {"existing", kBackupExisting}, {"nil", kBackupExisting},
    {"numbered", kBackupNumbered}, {"t", kBackupNumbered},
};

int IsUsableSuffix(const char *suffix) {
  return suffix && *suffix && !strchr(suffix, '/');
}

} // namespace

int ReadBackupControl(const char *word, int *control, int *ambiguous) {
  size_t length = strlen(word);
  int found = -1;
  *ambiguous = 0;
  for (const ControlWord &candidate : kControlWords) {
    if (strcmp(candidate.word, word) == 0) {
      *control = candidate.control;
      return 1;
    }
    if (strncmp(candidate.word, word, length) != 0)
      continue;
    if (found >= 0 && found != candidate.control)
      *ambiguous = 1;
    found = candidate.control;
  }
  if (found < 0 || *ambiguous)
    return 0;
  *control = found;
  return 1;
}

const char *ChooseBackupSuffix(const char *given) {
  if (IsUsableSuffix(given))
    return given;
  const char *variable = getenv("SIMPLE_BACKUP_SUFFIX");
  return IsUsableSuffix(variable) ? variable : "~";
}

long long BackupNumber(const char *name, const char *base) {
  size_t length = strlen(base);
  if (strncmp(name, base, length) != 0 || strncmp(name + length, ".~", 2))
    return 0;
  const char *digits = name + length + 2;
  if (*digits < '1' || *digits > '9')
    return 0;
  long long number = 0;
  for (; *digits >= '0' && *digits <= '9'; ++digits) {
    if (number > 100000000000000LL)
      return 0;
    number = number * 10 + (*digits - '0');
  }
  return strcmp(digits, "~") == 0 ? number : 0;
}

int MakeBackupName(const char *target, const char *suffix, long long number,
                   char *name, int size) {
  int length = number > 0 ? snprintf(name, size, "%s.~%lld~", target, number)
                          : snprintf(name, size, "%s%s", target, suffix);
  return length >= 0 && length < size;
}
