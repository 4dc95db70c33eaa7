// Why a step on a file failed. The call that failed fills in a Failure at
// once, while the system's error code is still its own, and the run puts it
// into words once, when it reports it (PrintFailure in cli_file.h).
#pragma once

struct Failure {
  const char *path; // the file the failure is about; null for none
  const char *what; // what failed, a CLI_ text; a %s in it stands for name
  const char *name; // the name that what gives, or null for detail
  // The program's own reason, a %s in it standing for other. Null gives
  // the system's words for error instead, or no reason when error is 0.
  const char *why;
  const char *other;
  int error;        // the system's error code
  int windowsError; // error is a Windows error code, not an errno value
  char detail[256]; // a name that nothing else keeps: an attribute's
};

// Records what failed, with the system's error code for it. Returns 0.
int Fail(Failure *failure, const char *what, const char *name, int error);

// Records what failed and the program's own reason for it. Returns 0.
int FailBecause(Failure *failure, const char *what, const char *name,
                const char *why);
