// The file layer: a file read front to back, and a replacement written to
// a temporary file beside its target and renamed over it; "-" is standard
// input or output. cli_file.cpp holds what is the same everywhere, on the
// system's own calls (cli_platform.h) in cli_file_posix.cpp or
// cli_file_win32.cpp, which CMake picks. A call that fails fills in
// failure (cli_failure.h), the file it is about included.
#ifndef KESTROM_CLI_CLI_FILE_H
#define KESTROM_CLI_CLI_FILE_H

#include <stdint.h>
#include <stdio.h>

#include "cli_failure.h"

enum { kCliPathSize = 4096 };

// What tells one file from another, whichever path names it: device and
// inode, or volume serial number and file index.
struct FileIdentity {
  unsigned long long volume;
  unsigned long long index;
};

// A file as found at one moment: which file, its size, its last write and
// its last change (nanoseconds on POSIX, FILETIMEs on Windows). Any
// program may set the last write back; the change time no user can set,
// and every write, rename or change of its attributes moves it.
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

// "-" as a FILE or as -o's OUT: standard input or output.
int IsStandardStream(const char *path);

struct InputFile {
  intptr_t handle;
  long long size; // as found when opened
  const char *path;
  // As found when opened, to tell whether another program changed the
  // file while it converted.
  FileState opened;
  unsigned char *memory; // standard input, read whole
  int standard;          // standard input, not a file
};

struct Replacement;  // core/replace_file.h
struct BackupChoice; // cli_backup.h

struct OutputFile {
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
  // complete, so that a refused file writes nothing. Null for a file.
  unsigned char *memory;
  long long size;
  Replacement *replace; // Windows: the replacement under way
};

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

// The file path names now, a link followed. Returns 0, saying nothing,
// when there is none to be had (no such file). Each system has its own;
// the checks built on it are shared.
int LookAtFile(const char *path, FileState *state);

int SameIdentity(const FileIdentity *one, const FileIdentity *other);

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

// From now on every signal from outside whose default is to end the
// program (SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM,
// SIGVTALRM, SIGPROF, SIGXCPU and, on Linux, SIGPOLL, SIGPWR, SIGSTKFLT
// and the real-time signals), or on Windows a console's Ctrl+C,
// Ctrl+Break or close, removes the temporary file being written, prints
// the notes of the files converted and not yet reported
// (CommitOutputFile), then ends the program as the signal would have (on
// Windows with 130 for Ctrl+C and Ctrl+Break, else 143). A signal ignored
// when the run started stays ignored. SIGPIPE and SIGXFSZ are ignored: a
// closed pipe, or a file grown past the size limit (ulimit -f), is a write
// that fails, reported as any other.
void InstallInterruptCleanup(void);

// Whether standard input is a terminal (a console on Windows), which a
// user types at, rather than a file or a pipe to read.
int StandardInputIsTerminal(void);

// Runs job(second) on a new thread and job(first) on this one, and returns
// when both are done; without a thread, one after the other.
void RunSideBySide(void (*job)(void *), void *first, void *second);

#endif
