#include "cli_failure.h"

int Fail(Failure *failure, const char *what, const char *name, int error) {
  failure->what = what;
  failure->name = name;
  failure->why = nullptr;
  failure->other = nullptr;
  failure->error = error;
  failure->windowsError = 0;
  return 0;
}

int FailBecause(Failure *failure, const char *what, const char *name,
                const char *why) {
  Fail(failure, what, name, 0);
  failure->why = why;
  return 0;
}
