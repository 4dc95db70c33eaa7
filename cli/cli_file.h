// The thin platform layer: a file read front to back, and a replacement
// written to a temporary file beside its target and renamed over it.
// cli_file_posix.cpp and cli_file_win32.cpp implement it; CMake picks one.
// On failure, reason receives one line for the user that ends with the
// system's own words.
#ifndef KESTROM_CLI_CLI_FILE_H
#define KESTROM_CLI_CLI_FILE_H

#include <stdint.h>
#include <stdio.h>

enum { kReasonSize = 512, kCliPathSize = 4096 };

struct InputFile {
  intptr_t handle;
  long long size; // as found when opened
};

struct OutputFile {
  intptr_t handle;
  char target[kCliPathSize];
  char temp[kCliPathSize];
};

// Opens a regular, non-empty file of under 2 GiB.
int OpenInputFile(const char *path, InputFile *file, char *reason);

// Reads from offset until buffer is full or the file ends; *got is 0 at
// the end. Two threads may read one file at once.
int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, char *reason);

void CloseInputFile(InputFile *file);

// Creates the temporary file in path's folder.
int CreateOutputFile(const char *path, OutputFile *file, char *reason);

// Writes at offset. Two threads may write one file at once.
int WriteOutputFile(OutputFile *file, long long offset,
                    const unsigned char *data, int size, char *reason);

// Closes the temporary file and renames it over the target. On failure the
// target is untouched and the temporary file is gone.
int CommitOutputFile(OutputFile *file, char *reason);

// Closes and removes the temporary file; the target is never touched.
void DiscardOutputFile(OutputFile *file);

// What tells one file from another, whichever path names it: device and
// inode, or volume serial number and file index.
struct FileIdentity {
  unsigned long long volume;
  unsigned long long index;
};

// The identity of the file path names now, a link followed. Returns 0,
// saying nothing, when there is none to be had (no such file).
int GetFileIdentity(const char *path, FileIdentity *identity);

// fprintf to stdout or stderr. A Windows console is written in UTF-16, so
// that names in any script show whole whatever its code page; elsewhere
// the bytes go out as they are.
void PrintCli(FILE *stream, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// Runs job(second) on a new thread and job(first) on this one, and returns
// when both are done; without a thread, one after the other.
void RunSideBySide(void (*job)(void *), void *first, void *second);

#endif
