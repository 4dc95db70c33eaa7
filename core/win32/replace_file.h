// How both programs replace a file on Windows: the new content goes to a
// temporary file beside it, which then takes its place in one rename, so the
// file's name always holds the old file or the whole new one.
#pragma once

#include <windows.h>

// Room for any path the ANSI calls take: MAX_PATH UTF-16 units of up to
// three UTF-8 bytes each, and the \\?\ before a final path.
enum { kReplacePathSize = 1024 };

// Why a replacement stopped, where the system's error alone does not say.
enum ReplaceStop {
  kReplaceFailed,       // error says why
  kReplaceIsFolder,     // the target is a folder
  kReplaceIsDevice,     // a device or a pipe, not a file on a disk
  kReplaceNoNewFiles,   // the folder refuses new files (error: access denied)
  kReplaceTooLong,      // the link's path is too long for the ANSI calls
  kReplaceTempKept,     // the rename left nothing under the name; temp is kept
  kReplaceNotEncrypted, // the volume would not encrypt the temporary file
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

// Checks that the file path names, or the one a link there names, may be
// replaced (not read-only, a folder, a device or open in another program),
// and creates the temporary file. Returns 1, or 0 with stop and error set.
// callerReads says the caller holds the target open for reading; at most
// maxNames temporary names are tried (0: all there are).
int BeginReplacement(const char *path, unsigned maxNames, int callerReads,
                     Replacement *replace);

// Flushes and closes the temporary file and gives it the target's creation
// time, attributes and permissions. Returns 1, or 0 with stop and error set.
int FinishReplacement(Replacement *replace);

// Renames the temporary file over the target. Returns 1, or 0 with the
// temporary file removed, unless stop is kReplaceTempKept.
int MoveReplacement(Replacement *replace);

// Closes the temporary file, if still open, and removes it.
void DiscardReplacement(Replacement *replace);

// Gives the file named to the target's permissions. Returns 1, or 0 with
// stop and error set.
int CarryPermissions(Replacement *replace, const char *to);

// Calls make(name, context) with new names, kstXXXX.tmp, in the folder of
// path until it returns 1, passing over names that are taken. Returns 1
// with the name in temp, or 0 with the system's error in *error.
typedef int (*MakeAtName)(const char *name, void *context);
int MakeUnderOwnName(const char *path, unsigned maxNames, char *temp,
                     MakeAtName make, void *context, DWORD *error);

// Creates a new file in the folder of path, the part up to its last
// separator, named in temp. Returns its handle, or INVALID_HANDLE_VALUE.
HANDLE CreateOwnTempFile(const char *path, char *temp);

OVERLAPPED OffsetAt(long long offset);
