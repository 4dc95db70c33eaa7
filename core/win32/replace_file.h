// Replacing a file on Windows, as both programs save: the new content goes
// to a temporary file of the save's own beside the target, which then takes
// the target's place in one rename, so that at every moment the target's
// name holds the old file or the whole new one. The caller writes the
// temporary file itself (kestrom-cli from two threads at offsets), between
// BeginReplacement and FinishReplacement.
#ifndef KESTROM_CORE_REPLACE_FILE_H
#define KESTROM_CORE_REPLACE_FILE_H

#include <windows.h>

// Room for any path the ANSI calls take (MAX_PATH UTF-16 units, up to three
// bytes each in UTF-8), with the \\?\ the system puts before a final path.
enum { kReplacePathSize = 1024 };

// Why a replacement stopped, where the system's error alone does not say.
enum ReplaceStop {
  kReplaceFailed,     // error says why
  kReplaceIsFolder,   // the target is a folder
  kReplaceIsDevice,   // a device or a pipe, not a file on a disk
  kReplaceNoNewFiles, // the folder refuses new files (error: access denied)
  // The file a link names has a path too long for the ANSI calls; the name
  // given still opens it.
  kReplaceTooLong,
  // The rename failed and the target's name holds nothing: the temporary
  // file, the only copy, is kept.
  kReplaceTempKept,
  // The target is encrypted, and its volume made the temporary file plain.
  kReplaceNotEncrypted,
};

struct Replacement {
  char target[kReplacePathSize]; // the file replaced, any link followed
  char temp[kReplacePathSize];   // the temporary file beside it
  HANDLE file;                   // the temporary file, until finished
  int exists;                    // the target was there at the start
  DWORD attributes;              // the target's, when it exists
  FILETIME created;
  ReplaceStop stop; // set when a step returns 0
  DWORD error;
};

// Finds the file path names (a symbolic link followed: the file it names is
// replaced and the link stays a link), checks that it may be replaced (not
// read-only, a folder or a device, writable and deletable, not held open
// by another program; callerReads: the caller holds it open for reading
// itself, sharing deletion), and creates the temporary file, open for
// writing and shared for deletion only, with the target's permissions,
// encryption and compression. Tries at most maxNames temporary names (0: all
// there are). Returns 1, or 0 with stop and error set and nothing made.
int BeginReplacement(const char *path, unsigned maxNames, int callerReads,
                     Replacement *replace);

// Flushes and closes the temporary file and gives it what the target had:
// its creation time, hidden, system and not-indexed attributes and, on
// Windows, who may read and change it. Returns 1, or 0 (DiscardReplacement
// then removes the temporary file).
int FinishReplacement(Replacement *replace);

// The one rename over the target, tried again for about a second while
// another program (an indexer, a virus scanner) holds a file. On failure
// the temporary file is removed, unless the target's name holds nothing:
// then it is kept (stop is kReplaceTempKept) and the caller says where.
int MoveReplacement(Replacement *replace);

// Closes the temporary file, if still open, and removes it.
void DiscardReplacement(Replacement *replace);

// Gives the file to the permissions of the target: who may read and
// change it (not under Wine, which keeps Unix modes). Returns 1, or 0 with
// stop and error set.
int CarryPermissions(Replacement *replace, const char *to);

// Makes something under a name of this save's own, kstXXXX.tmp, in the
// folder of path: make(name, context) returns 1, or 0 with the system's
// error, and never replaces a file, so that a name taken is passed over.
// Returns 1 with the name in temp, or 0 with *error and *denied as
// CreateOwnTempFile says.
typedef int (*MakeAtName)(const char *name, void *context);
int MakeUnderOwnName(const char *path, unsigned maxNames, char *temp,
                     MakeAtName make, void *context, DWORD *error, int *denied);

// Creates kstXXXX.tmp, a file of this save's own, in the folder of path
// (the part up to its last separator: "C:\Temp\" names the folder itself),
// its name shortened to fit a deep folder. CREATE_NEW never opens a file
// that is already there, whoever made it. On failure *error is the system's
// and *denied tells a folder that refuses new files.
HANDLE CreateOwnTempFile(const char *path, unsigned maxNames, char *temp,
                         DWORD *error, int *denied);

// An OVERLAPPED that reads or writes at offset.
OVERLAPPED OffsetAt(long long offset);

#endif
