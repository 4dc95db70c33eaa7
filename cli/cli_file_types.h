// What the file layer keeps about the files of a run. The platform layer
// (cli_platform.h) fills these in.
#pragma once

#include <stdint.h>

#include "cli_failure.h"

enum { kCliPathSize = 4096 };

// Device and inode, or volume serial number and file index.
struct FileIdentity {
  unsigned long long volume;
  unsigned long long index;
};

inline int SameIdentity(const FileIdentity *one, const FileIdentity *other) {
  return one->volume == other->volume && one->index == other->index;
}

// A file as found at one moment, its times in nanoseconds on POSIX and as
// FILETIMEs on Windows. Any program may set the last write back, but not the
// last change, which every write, rename or change of attributes moves.
struct FileState {
  FileIdentity identity;
  long long size;
  long long lastWrite;
  long long lastChange;
};

// A FILE of the run and the file it names now; known is 0 when none.
struct NamedFile {
  const char *path;
  FileIdentity identity;
  int known;
};

struct InputFile;
struct OutputFile;

// How one kind of input is read: a file on the disk, or standard input,
// which is read whole at the start.
struct InputWays {
  // As ReadInputFile (cli_file.h).
  int (*read)(InputFile *file, long long offset, unsigned char *buffer,
              int capacity, int *got, Failure *failure);
  // As CheckInputUnchanged (cli_file.h).
  int (*unchanged)(const InputFile *file, long long read, Failure *failure);
  void (*close)(InputFile *file);
};

struct InputFile {
  const InputWays *ways;
  intptr_t handle;
  long long size; // as found when opened
  const char *path;
  FileState opened;      // to tell whether the file changed meanwhile
  unsigned char *memory; // standard input, read whole
  int standard;          // standard input, not a file
};

// How one kind of output takes the content: a temporary file renamed over
// the target, or standard output, written once the content is whole.
struct OutputWays {
  int (*write)(OutputFile *file, long long offset, const unsigned char *data,
               int size, Failure *failure);
  // The metadata and the flush, before the input is looked at a last time.
  int (*finish)(OutputFile *file, Failure *failure);
  // The backup and the rename, or the first length bytes to standard output,
  // once the input is found unchanged. It returns with the interrupt held
  // off, so that the note joins the others before an interrupt looks.
  int (*deliver)(OutputFile *file, long long length, Failure *failure);
  // Removes what was made, leaving the target as it was.
  void (*discard)(OutputFile *file);
};

struct Replacement; // core/win32/replace_file.h

struct OutputFile {
  const OutputWays *ways;
  intptr_t handle;
  // POSIX: the target's folder, opened once, through which the temporary
  // file is made, renamed and removed, so that a folder moved away
  // meanwhile keeps no stray file. -1 on Windows, where paths are used.
  intptr_t folder;
  char target[kCliPathSize];
  char temp[kCliPathSize];
  char backup[kCliPathSize]; // empty when none is made
  long long backupNumber;    // its N when numbered, else 0
  // Where the names in folder start in target, temp and backup; 0 on Windows.
  int nameAt;
  const char *given; // the path as the user gave it
  int replaces;      // the target existed when the temporary file was made
  // Standard output: the content, written only once it is whole, so that
  // a refused file writes nothing.
  unsigned char *memory;
  long long size;
  Replacement *replace; // Windows: the replacement under way
};
