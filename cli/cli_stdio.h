// Standard input and output as kestrom-cli's files: "-" reads the whole of
// standard input into memory, and a conversion for standard output is kept
// in memory until it is complete. The shared file layer (cli_file.h) makes
// them one more kind of input and output.
#pragma once

#include "cli_failure.h"
#include "cli_file_types.h"

// Whether path is "-": standard input as a FILE, standard output as OUT.
int IsStandardStream(const char *path);

// Reads the whole of standard input, up to 2 GiB, into file's memory.
int ReadStandardInput(InputFile *file, Failure *failure);

// Makes room for size bytes of content for standard output.
int CreateOutputMemory(OutputFile *file, long long size, Failure *failure);

int WriteOutputMemory(OutputFile *file, long long offset,
                      const unsigned char *data, int size, Failure *failure);

// Writes the first length bytes of the content to standard output (all
// of it, once the whole file was read) and frees it.
int CommitOutputMemory(OutputFile *file, long long length, Failure *failure);

void DiscardOutputMemory(OutputFile *file);

// Flushes standard output. Returns 0 with failure filled in the first time
// a write to it has failed, unless that was a content's write, which its
// file reported already.
int FlushStandardOutput(Failure *failure);

// Keeps the error of a write to standard output that failed (the first).
void KeepOutputError(int error);
