// What each system gives the shared file layer (cli_file.h): its own
// calls, and no more. cli_file_posix.cpp and cli_file_win32.cpp each
// define every function here and nothing else; CMake picks one. Each
// function that fails fills in failure (cli_failure.h).
#ifndef KESTROM_CLI_CLI_PLATFORM_H
#define KESTROM_CLI_CLI_PLATFORM_H

#include <stdint.h>
#include <stdio.h>

#include "cli_failure.h"
#include "cli_file_types.h"

// Holds off the interrupt handler (block 1) until let go (block 0): the
// signals blocked, or on Windows the lock its thread waits on taken.
void BlockInterrupt(int block);

// From now on every signal from outside whose default is to end the
// program (SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM,
// SIGVTALRM, SIGPROF, SIGXCPU and, on Linux, SIGPOLL, SIGPWR, SIGSTKFLT
// and the real-time signals), or on Windows a console's Ctrl+C,
// Ctrl+Break or close, removes the temporary file being written and
// prints the notes of the files converted and not yet said
// (cli_interrupt.h). It then ends the program as the signal would have (on
// Windows with 130 for Ctrl+C and Ctrl+Break, else 143). A signal ignored
// when the run started stays ignored. SIGPIPE and SIGXFSZ are ignored: a
// closed pipe, or a file grown past the size limit (ulimit -f), is a write
// that fails, reported as any other.
void InstallInterruptCleanup(void);

// Whether standard input is a terminal (a console on Windows), which a
// user types at, rather than a file or a pipe to read.
int StandardInputIsTerminal(void);

// Writes the system's words for failure's error, without a closing full
// stop, to words.
void SystemWords(const Failure *failure, char *words, int size);

// Makes standard input or output carry bytes, not text (Windows turns
// CR LF into LF).
void UseBinaryStream(FILE *stream);

// Writes one escaped line to stream, as the system shows it best.
void WritePlatformLine(FILE *stream, const char *text);

// Finds the file path names now, a link followed. Returns 0, saying
// nothing, when there is none to be had (no such file).
int LookAtFile(const char *path, FileState *state);

// Opens a regular file of under 2 GiB, without waiting on a FIFO or a
// device.
int OpenPlatformInput(const char *path, InputFile *file, Failure *failure);
// Reads from offset until buffer is full or the file ends. Two threads may
// read one file at once.
int ReadPlatformInput(InputFile *file, long long offset, unsigned char *buffer,
                      int capacity, int *got, Failure *failure);
void ClosePlatformInput(InputFile *file);

// Finds the target, checks it and makes the temporary file beside it. The
// caller holds the interrupt off.
int CreatePlatformOutput(const char *path, OutputFile *file, Failure *failure);
// Finds the highest N of the target's numbered backups (TARGET.~N~) in its
// folder, 0 when it has none.
int HighestPlatformBackup(const OutputFile *file, long long *highest,
                          Failure *failure);
// Makes file->backup the target as it is now: a second name of it (a hard
// link), or where links are refused a copy with its metadata, made under a
// temporary name, then renamed into place, the folder flushed. A numbered
// backup never replaces a file: *taken says that its name was taken.
int BackUpPlatformTarget(OutputFile *file, int numbered, int *taken,
                         Failure *failure);
// Writes at offset. Two threads may write one file at once.
int WritePlatformOutput(OutputFile *file, long long offset,
                        const unsigned char *data, int size, Failure *failure);
// Gives the temporary file the target's metadata, flushes and closes it.
int FinishPlatformOutput(OutputFile *file, Failure *failure);
// Renames the finished file over the target. On failure it has removed
// the temporary file, or said in failure where it is kept.
int MovePlatformOutput(OutputFile *file, Failure *failure);
// Closes the temporary file, if still open, and removes it.
void RemovePlatformTemp(OutputFile *file);

// Runs job(second) on a new thread and job(first) on this one, and returns
// when both are done; without a thread, one after the other.
void RunSideBySide(void (*job)(void *), void *first, void *second);

#endif
