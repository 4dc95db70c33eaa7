// Each system's own calls for the shared file layer (cli_file.h), which
// says what most of them do: the comments here say only what differs.
// cli_file_posix.cpp and cli_file_win32.cpp each define exactly these.
#pragma once

#include <stdio.h>

#include "cli_failure.h"
#include "cli_file_types.h"

// Holds off the interrupt handler (block 1) until it is let go (block 0).
void BlockInterrupt(int block);
// From now on a signal from outside that would end the program, or on
// Windows a console's Ctrl+C, Ctrl+Break or close, removes the temporary
// file and prints the notes not yet said (cli_interrupt.h). It then ends
// the program as the signal would have; on Windows with 130 for Ctrl+C and
// Ctrl+Break, else 143. A signal ignored when the run started stays
// ignored. SIGPIPE and SIGXFSZ are ignored, so that the write fails instead.
void InstallInterruptCleanup(void);

int StandardInputIsTerminal(void);
// Makes a standard stream carry bytes, not text (Windows turns CR LF to LF).
void UseBinaryStream(FILE *stream);
// Writes one escaped line to stream, as PrintCli says.
void WritePlatformLine(FILE *stream, const char *text);
// Writes the system's words for failure's error, with no full stop.
void SystemWords(const Failure *failure, char *words, int size);

// As GetFileIdentity, for a path that is not "-", with the size and times.
int LookAtFile(const char *path, FileState *state);
// OpenInputFile, ReadInputFile and CloseInputFile for a file on the disk.
int OpenPlatformInput(const char *path, InputFile *file, Failure *failure);
int ReadPlatformInput(InputFile *file, long long offset, unsigned char *buffer,
                      int capacity, int *got, Failure *failure);
void ClosePlatformInput(InputFile *file);

// Finds the target, checks it as CreateOutputFile says and makes the
// temporary file beside it. The caller holds the interrupt off.
int CreatePlatformOutput(const char *path, OutputFile *file, Failure *failure);
// Finds the highest N of the target's backups TARGET.~N~, 0 for none.
int HighestPlatformBackup(const OutputFile *file, long long *highest,
                          Failure *failure);
// Makes file->backup the target as it is now: a hard link, or where links
// are refused a copy with its metadata, renamed into place from a temporary
// name. A numbered backup replaces no file; *taken says its name was taken.
int BackUpPlatformTarget(OutputFile *file, int numbered, int *taken,
                         Failure *failure);
// As WriteOutputFile.
int WritePlatformOutput(OutputFile *file, long long offset,
                        const unsigned char *data, int size, Failure *failure);
// Gives the temporary file the target's metadata, flushes and closes it.
int FinishPlatformOutput(OutputFile *file, Failure *failure);
// Renames the finished file over the target. On failure the temporary file
// is gone, or failure says where it is kept.
int MovePlatformOutput(OutputFile *file, Failure *failure);
// Closes the temporary file, if still open, and removes it.
void RemovePlatformTemp(OutputFile *file);

// Runs job(second) on a new thread and job(first) on this one, and returns
// when both are done; without a thread, one after the other.
void RunSideBySide(void (*job)(void *), void *first, void *second);
