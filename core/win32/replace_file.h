// How both programs replace a file on Windows. The new content goes to a
// temporary file beside the target, which then takes the target's place in
// one rename, so the target's name always holds the old file or the whole
// new one. The caller writes the temporary file between BeginReplacement
// and FinishReplacement.
#ifndef KESTROM_CORE_REPLACE_FILE_H
#define KESTROM_CORE_REPLACE_FILE_H

#include <windows.h>

// Room for any path the ANSI calls take: MAX_PATH UTF-16 units of up to
// three UTF-8 bytes each, and the \\?\ before a final path.
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

// Finds the file that path names, checks that it may be replaced, and
// creates the temporary file. Returns 1, or 0 with stop and error set and
// nothing made. A symbolic link is followed, so the file it names is
// replaced and the link stays. The target must not be read-only, a folder
// or a device, and no other program may hold it open; callerReads says the
// caller itself holds it open for reading. The temporary file is open for
// writing, shared for deletion only, and has the target's permissions,
// encryption and compression. At most maxNames temporary names are tried
// (0: all there are).
int BeginReplacement(const char *path, unsigned maxNames, int callerReads,
                     Replacement *replace);

// Flushes and closes the temporary file and gives it the target's creation
// time, its hidden, system and not-indexed attributes and its permissions.
// Returns 1, or 0; DiscardReplacement then removes the temporary file.
int FinishReplacement(Replacement *replace);

// Renames the temporary file over the target, trying again for about a
// second while another program (an indexer, a virus scanner) holds a file.
// On failure the temporary file is removed, unless the target's name holds
// nothing: then it is kept, stop is kReplaceTempKept and the caller says
// where it is.
int MoveReplacement(Replacement *replace);

// Closes the temporary file, if still open, and removes it.
void DiscardReplacement(Replacement *replace);

// Gives the file at to the target's permissions, who may read and change
// it; Wine keeps Unix modes instead. Returns 1, or 0 with stop and error
// set.
int CarryPermissions(Replacement *replace, const char *to);

// Makes something under a new name of this run's own, kstXXXX.tmp, in the
// folder of path. make(name, context) returns 1, or 0 with the system's
// error; it never replaces a file, so a name that is taken is passed over.
// Returns 1 with the name in temp, or 0 with *error and *denied set as for
// CreateOwnTempFile.
typedef int (*MakeAtName)(const char *name, void *context);
int MakeUnderOwnName(const char *path, unsigned maxNames, char *temp,
                     MakeAtName make, void *context, DWORD *error, int *denied);

// Creates kstXXXX.tmp, a file of this run's own, in the folder of path,
// which is the part up to its last separator ("C:\Temp\" names the folder
// itself). In a deep folder the name is shortened to fit. CREATE_NEW never
// opens a file that is already there. On failure *error is the system's
// error, and *denied says the folder refuses new files.
HANDLE CreateOwnTempFile(const char *path, unsigned maxNames, char *temp,
                         DWORD *error, int *denied);

// Returns an OVERLAPPED that reads or writes at offset.
OVERLAPPED OffsetAt(long long offset);

#endif
