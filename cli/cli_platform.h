// What each system gives the shared file layer (cli_file.cpp): its own
// calls, and no more. cli_file_posix.cpp and cli_file_win32.cpp implement
// it; CMake picks one. Each that fails fills in failure (cli_failure.h).
#ifndef KESTROM_CLI_CLI_PLATFORM_H
#define KESTROM_CLI_CLI_PLATFORM_H

#include <signal.h>
#include <stdint.h>
#include <stdio.h>

#include "cli_failure.h"
#include "cli_file.h"

// The temporary file being written (its name in the folder held open, or
// on Windows its path), and the notes of the files converted and not yet
// reported, one line each, for the interrupt handler: each is complete
// before its flag or length is set, and all change only while the
// interrupt is held off.
extern volatile sig_atomic_t g_tempActive;
extern volatile sig_atomic_t g_tempFolder;
extern char g_tempName[kCliPathSize];
extern char *g_notes;
extern volatile sig_atomic_t g_notesLength;

// Holds off the interrupt handler (block 1) until let go (block 0): the
// signals blocked, or on Windows the lock its thread waits on taken.
void BlockInterrupt(int block);

// The system's words for failure's error, without a closing full stop.
void SystemWords(const Failure *failure, char *words, int size);

// Standard input or output as bytes, not text (Windows turns CR LF to LF).
void UseBinaryStream(FILE *stream);

int OpenPlatformInput(const char *path, InputFile *file, Failure *failure);
int ReadPlatformInput(InputFile *file, long long offset, unsigned char *buffer,
                      int capacity, int *got, Failure *failure);
void ClosePlatformInput(InputFile *file);

// Finds the target, checks it and makes the temporary file beside it,
// with the interrupt held off.
int CreatePlatformOutput(const char *path, OutputFile *file, Failure *failure);
// The highest N of the target's numbered backups (TARGET.~N~) in its
// folder, 0 when it has none.
int HighestPlatformBackup(const OutputFile *file, long long *highest,
                          Failure *failure);
// Makes file->backup the target as it is now: a second name of it (a hard
// link), or where links are refused a copy with its metadata; made under a
// temporary name, then renamed into place, the folder flushed. A numbered
// backup never replaces a file: *taken says that its name was taken.
int BackUpPlatformTarget(OutputFile *file, int numbered, int *taken,
                         Failure *failure);
int WritePlatformOutput(OutputFile *file, long long offset,
                        const unsigned char *data, int size, Failure *failure);
// Gives the temporary file the target's metadata, flushes and closes it.
int FinishPlatformOutput(OutputFile *file, Failure *failure);
// Renames the finished file over the target; on failure it has removed
// the temporary file, or said in failure where it is kept.
int MovePlatformOutput(OutputFile *file, Failure *failure);
// Closes the temporary file, if still open, and removes it.
void RemovePlatformTemp(OutputFile *file);

// One escaped line to stream, as the system shows it best.
void WritePlatformLine(FILE *stream, const char *text);

struct ThreadStart {
  void (*job)(void *);
  void *argument;
};

// Runs start's job on a new thread, which *thread then names; 0 when
// there is none to be had.
int StartPlatformThread(ThreadStart *start, intptr_t *thread);
void JoinPlatformThread(intptr_t thread);

#endif
