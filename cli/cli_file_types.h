// What the file layer keeps about the files of a run: which file a path
// names, an input being read and an output being written. The platform
// layer (cli_platform.h) fills these in; the shared layer (cli_file.h)
// chooses how each kind of input and output is read and written.
#ifndef KESTROM_CLI_CLI_FILE_TYPES_H
#define KESTROM_CLI_CLI_FILE_TYPES_H

#include <stdint.h>

#include "cli_failure.h"

enum { kCliPathSize = 4096 };

// What tells one file from another, whichever path names it: device and
// inode, or volume serial number and file index.
struct FileIdentity {
  unsigned long long volume;
  unsigned long long index;
};

inline int SameIdentity(const FileIdentity *one, const FileIdentity *other) {
  return one->volume == other->volume && one->index == other->index;
}

// A file as found at one moment: which file, its size, its last write and
// its last change (nanoseconds on POSIX, FILETIMEs on Windows). Any
// program may set the last write back, but no user can set the change
// time, and every write, rename or change of its attributes moves it.
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
// which is read whole at the start. Each function that fails fills in
// failure.
struct InputWays {
  // Reads from offset until buffer is full or the input ends; *got is 0
  // at the end.
  int (*read)(InputFile *file, long long offset, unsigned char *buffer,
              int capacity, int *got, Failure *failure);
  // Whether the input is still as it was opened, read bytes of it read.
  int (*unchanged)(const InputFile *file, long long read, Failure *failure);
  void (*close)(InputFile *file);
};

struct InputFile {
  const InputWays *ways;
  intptr_t handle;
  long long size; // as found when opened
  const char *path;
  // As found when opened, to tell whether another program changed the
  // file while it converted.
  FileState opened;
  unsigned char *memory; // standard input, read whole
  int standard;          // standard input, not a file
};

// How one kind of output takes the content: a temporary file beside the
// target, renamed over it, or standard output, which gets the content
// only once it is whole.
struct OutputWays {
  int (*write)(OutputFile *file, long long offset, const unsigned char *data,
               int size, Failure *failure);
  // Before the input is looked at a last time: the metadata and the flush.
  int (*finish)(OutputFile *file, Failure *failure);
  // Once the input is found unchanged: the backup and the rename, or the
  // first length bytes to standard output. It returns with the interrupt
  // held off, so that the file's note joins the others before an interrupt
  // can look (cli_interrupt.h).
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
  // meanwhile keeps no stray file; -1 on Windows, where paths are used.
  intptr_t folder;
  char target[kCliPathSize];
  char temp[kCliPathSize];
  char backup[kCliPathSize]; // empty when none is made
  long long backupNumber;    // its N when numbered, else 0
  // Where the names used with folder start in target, temp and backup (0
  // without a folder: whole paths).
  int nameAt;
  const char *given; // the path as the user gave it
  int replaces;      // the target existed when the temporary file was made
  // Standard output: the content is kept here and written only once it is
  // complete, so that a refused file writes nothing.
  unsigned char *memory;
  long long size;
  Replacement *replace; // Windows: the replacement under way
};

#endif
