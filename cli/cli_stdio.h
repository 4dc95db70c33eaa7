// Standard input and output as kestrom-cli's files: "-" reads the whole of
// standard input into memory, and a conversion for standard output is kept
// in memory until it is complete. Shared by both file layers.
#ifndef KESTROM_CLI_CLI_STDIO_H
#define KESTROM_CLI_CLI_STDIO_H

#include "cli_file.h"

int ReadStandardInput(InputFile *file, char *reason);

void ReadInputMemory(const InputFile *file, long long offset,
                     unsigned char *buffer, int capacity, int *got);

int CreateOutputMemory(OutputFile *file, long long size, char *reason);

int WriteOutputMemory(OutputFile *file, long long offset,
                      const unsigned char *data, int size, char *reason);

// Writes the whole content to standard output and frees it.
int CommitOutputMemory(OutputFile *file, char *reason);

void DiscardOutputMemory(OutputFile *file);

// Flushes standard output at the end of the run: a report or a content
// that could not be written (a full disk, a closed pipe) is a failure.
// Returns 0 with the reason only for a failure not yet reported: a content
// that could not be written was reported with its file, with the first
// reason, which a second try would only blur (EIO).
int FinishStandardOutput(char *reason);

#endif
