// Standard input and output as kestrom-cli's files: "-" reads the whole of
// standard input into memory, and a conversion for standard output is kept
// in memory until it is complete. The shared file layer (cli_file.h) makes
// them one more kind of input and output.
#ifndef KESTROM_CLI_CLI_STDIO_H
#define KESTROM_CLI_CLI_STDIO_H

#include "cli_failure.h"
#include "cli_file_types.h"

// Whether path is "-", which as a FILE or as -o's OUT names standard input
// or output.
int IsStandardStream(const char *path);

// Reads the whole of standard input into file.
int ReadStandardInput(InputFile *file, Failure *failure);

// Copies what standard input held from offset on into buffer.
int ReadInputMemory(InputFile *file, long long offset, unsigned char *buffer,
                    int capacity, int *got, Failure *failure);

// Standard input is read whole at the start, so it cannot change after.
int InputMemoryUnchanged(const InputFile *file, long long read,
                         Failure *failure);

void CloseInputMemory(InputFile *file);

// Makes room for size bytes of content for standard output.
int CreateOutputMemory(OutputFile *file, long long size, Failure *failure);

int WriteOutputMemory(OutputFile *file, long long offset,
                      const unsigned char *data, int size, Failure *failure);

// Writes the first length bytes of the content to standard output (all
// of it, once the whole file was read) and frees it.
int CommitOutputMemory(OutputFile *file, long long length, Failure *failure);

void DiscardOutputMemory(OutputFile *file);

// Flushes standard output once a file is done, so that a reader gone
// (EPIPE) or a full disk stops the run there, and at the end of the run:
// a report or a content that never reached its reader is a failure.
// Returns 0 with failure filled in, with the error the write met, the first
// time it fails; a content that could not be written was reported with its
// file already, with the first error, which a second try would only blur.
int FlushStandardOutput(Failure *failure);

// Keeps the error of a write to standard output that failed (the first).
void KeepOutputError(int error);

#endif
