// The names of the backups made of a file before it is replaced, as cp,
// mv and install name theirs: FILE~ (the suffix), or FILE.~N~, one more
// than the highest N in the folder, which the caller lists.
#pragma once

enum BackupControl {
  kBackupNone,     // none, off
  kBackupSimple,   // simple, never: FILE~
  kBackupExisting, // existing, nil: numbered where numbered ones exist
  kBackupNumbered, // numbered, t: FILE.~N~
};

struct BackupChoice {
  int control;        // a BackupControl
  const char *suffix; // of a simple backup
};

// Reads a version-control word, or as cp does a prefix of words that all
// mean the same ("nu", not "n"). Returns 1, or 0 when it names none:
// *ambiguous is then 1 when it was the start of several.
int ReadBackupControl(const char *word, int *control, int *ambiguous);

// Returns the suffix of simple backups: the one given (by -S), else
// SIMPLE_BACKUP_SUFFIX, else "~"; one that is empty or holds a '/' counts
// as not given.
const char *ChooseBackupSuffix(const char *given);

// Returns N when name is base.~N~ (N decimal, not starting with 0), else 0.
long long BackupNumber(const char *name, const char *base);

// Writes to name the backup's path for target: target.~number~ when number
// is above 0, else target and suffix. Returns 0 when it does not fit in
// size bytes.
int MakeBackupName(const char *target, const char *suffix, long long number,
                   char *name, int size);
