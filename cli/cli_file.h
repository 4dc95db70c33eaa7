// The shared file layer: a file read front to back, and a replacement
// written beside its target and renamed over it; "-" is standard input or
// output. A call that fails fills in failure, the file it is about included.
#pragma once

#include <stdio.h>

#include "cli_failure.h"
#include "cli_file_types.h"

struct BackupChoice; // cli_backup.h

// Opens a regular file of under 2 GiB, without waiting on a FIFO or a
// device; "-" reads standard input whole.
int OpenInputFile(const char *path, InputFile *file, Failure *failure);

// Reads from offset until buffer is full or the file ends; *got is 0 at
// the end. A file shorter than when it was opened fails as changed. Two
// threads may read one file at once.
int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, Failure *failure);

void CloseInputFile(InputFile *file);

// Returns 1 when the path still names the file opened, unchanged, and all
// of it was read; otherwise failure says that another program changed it.
int CheckInputUnchanged(const InputFile *file, long long read,
                        Failure *failure);

// Creates the temporary file beside the target path, or for "-" a buffer
// for standard output. It refuses a target that is not a regular file,
// that the user may not write or that has no owner write bit, or whose
// owner and group could not be kept; a symbolic link is followed. The
// backup of an existing target is named now, and refused when it would
// replace the source or another of the run's count FILEs.
int CreateOutputFile(const char *path, const InputFile *source,
                     const BackupChoice *backup, const NamedFile *run,
                     int count, OutputFile *file, Failure *failure);

// Writes at offset. Two threads may write one file at once.
int WriteOutputFile(OutputFile *file, long long offset,
                    const unsigned char *data, int size, Failure *failure);

// Gives the temporary file the target's metadata, then, once source is
// found unchanged, makes the backup and renames the file over the target,
// or writes the content to standard output. It closes source, whatever
// comes of it. On failure the target is as it was, and the temporary file
// is gone unless it is the only copy left, which failure names. Once the
// rename has begun, say writes to note, of size bytes, the line that says
// what was done, which is kept for SayConverted or an interrupt to print.
int CommitOutputFile(OutputFile *file, InputFile *source, long long read,
                     void (*say)(const OutputFile *file, const void *context,
                                 char *note, int size),
                     const void *context, Failure *failure);

// Prints on stderr the notes of the files committed and not yet said.
void SayConverted(void);

// Closes and removes the temporary file; the target is never touched.
void DiscardOutputFile(OutputFile *file);

// Returns 0, saying nothing, when path names no file now (or is "-");
// otherwise it writes the identity of the file, a link followed.
int GetFileIdentity(const char *path, FileIdentity *identity);

// Prints one line to stdout or stderr as fprintf does, its control bytes
// escaped (cli_escape.h), in UTF-16 to a Windows console.
void PrintCli(FILE *stream, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// Says on stderr, in one line, what failed and why: "kestrom-cli: PATH:
// WHAT: WHY". Returns 0, so that a function that fails can return it.
int PrintFailure(const Failure *failure);
