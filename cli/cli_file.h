// The shared file layer: a file read front to back, and a replacement
// written to a temporary file beside its target and renamed over it; "-"
// is standard input or output, the same to its callers. cli_file.cpp holds
// what is the same everywhere, on each system's own calls (cli_platform.h)
// and on standard input and output kept in memory (cli_stdio.h). A call
// that fails fills in failure (cli_failure.h), the file it is about
// included.
#ifndef KESTROM_CLI_CLI_FILE_H
#define KESTROM_CLI_CLI_FILE_H

#include <stdio.h>

#include "cli_failure.h"
#include "cli_file_types.h"

struct BackupChoice; // cli_backup.h

// Opens a regular file of under 2 GiB, without waiting on a FIFO or a
// device; "-" reads standard input whole.
int OpenInputFile(const char *path, InputFile *file, Failure *failure);

// Reads from offset until buffer is full or the file ends; *got is 0 at
// the end. A file that ends before the size it had when opened was
// changed meanwhile: that fails. Two threads may read one file at once.
int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, Failure *failure);

void CloseInputFile(InputFile *file);

// Whether the file path names now is the one opened, as it was then (the
// same identity, size, last write and last change), and read bytes of it
// were read, all of them. Otherwise another program changed it while it
// converted: failure says so. The file is still open, so no new file can
// have been given its identity.
int CheckInputUnchanged(const InputFile *file, long long read,
                        Failure *failure);

// Creates the temporary file in path's folder, for the converted source.
// Refuses a target that exists and is not a regular file, or that the user
// may not write, or that is read-only (no owner write bit), even for root,
// or whose owner and group the replacement could not keep. A symbolic link
// is followed: the file it names is replaced and the link stays. "-" is
// standard output. An existing target is to be backed up as backup says
// (cli_backup.h): its backup's name is chosen now, and refused should it
// name the source or another of the run's files (count of them), which
// it would destroy.
int CreateOutputFile(const char *path, const InputFile *source,
                     const BackupChoice *backup, const NamedFile *run,
                     int count, OutputFile *file, Failure *failure);

// Writes at offset. Two threads may write one file at once.
int WriteOutputFile(OutputFile *file, long long offset,
                    const unsigned char *data, int size, Failure *failure);

// Gives the temporary file the target's owner, mode and extended
// attributes, closes it, makes the target's backup, if one was chosen,
// and renames the temporary file over the target, once source is found
// the same file as when opened (CheckInputUnchanged); for standard output
// it writes the content there after the same check. source is closed
// once that check is done, whatever comes of it: until then no new file
// can be given its identity. On failure the target is untouched and the
// temporary file is gone, unless a failed rename left nothing under the
// target's name: then the temporary file, the only copy, stays, and
// failure says where.
//
// note is the line that says the file is converted. Once the rename has
// begun the file is done: its note joins those of the files done before
// it that SayConverted has not printed, and an interrupt from then on
// prints them all on stderr before it ends the run. A run stopped by a
// signal so never leaves a converted file unsaid.
int CommitOutputFile(OutputFile *file, InputFile *source, long long read,
                     const char *note, Failure *failure);

// Prints the notes of the files committed and not yet said, now, and
// takes them from the interrupt handler, so that each is said once.
void SayConverted(void);

// Closes and removes the temporary file; the target is never touched.
void DiscardOutputFile(OutputFile *file);

// The identity of the file path names now, a link followed. Returns 0,
// saying nothing, when there is none to be had (no such file, or "-").
int GetFileIdentity(const char *path, FileIdentity *identity);

// fprintf to stdout or stderr of one line, its control bytes escaped
// (cli_escape.h). A Windows console is written in UTF-16, so that names in
// any script show whole whatever its code page; elsewhere the bytes go out
// as they are.
void PrintCli(FILE *stream, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// Says on stderr, in one line, what failed and why: "kestrom-cli: PATH:
// WHAT: WHY", with the system's words for the error where the program has
// no reason of its own.
void PrintFailure(const Failure *failure);

#endif
