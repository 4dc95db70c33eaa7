#include "cli_stdio.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "qif_messages.h"

namespace {

// Set once a failed write to standard output was reported: a content's, as
// its file's failure, or another, by FlushStandardOutput, which ends the run.
int g_outputReported = 0;

// The first error a write to standard output met, kept at the write: the
// C library drops its buffer then, and a later flush finds nothing to say.
int g_outputError = 0;

int ReadInputMemory(InputFile *file, long long offset, unsigned char *buffer,
                    int capacity, int *got, Failure *) {
  long long left = offset < file->size ? file->size - offset : 0;
  int length = left < capacity ? static_cast<int>(left) : capacity;
  memcpy(buffer, file->memory + offset, length);
  *got = length;
  return 1;
}

// Standard input is read whole at the start, so it cannot change after.
int InputMemoryUnchanged(const InputFile *, long long, Failure *) { return 1; }

void CloseInputMemory(InputFile *file) {
  free(file->memory);
  file->memory = nullptr;
}

const InputWays kFromStandardInput = {ReadInputMemory, InputMemoryUnchanged,
                                      CloseInputMemory};

} // namespace

int IsStandardStream(const char *path) { return strcmp(path, "-") == 0; }

int ReadStandardInput(InputFile *file, Failure *failure) {
  long long capacity = 1 << 16, length = 0;
  unsigned char *buffer = static_cast<unsigned char *>(malloc(capacity));
  for (;;) {
    if (!buffer)
      return Fail(failure, CLI_CANNOT_READ, nullptr, ENOMEM);
    size_t got = fread(buffer + length, 1, capacity - length, stdin);
    length += static_cast<long long>(got);
    if (got == 0 || length >= INT_MAX)
      break;
    if (length == capacity) {
      capacity *= 2;
      unsigned char *grown =
          static_cast<unsigned char *>(realloc(buffer, capacity));
      if (!grown)
        free(buffer);
      buffer = grown;
    }
  }
  int error = length >= INT_MAX ? EFBIG : ferror(stdin) ? errno : 0;
  if (error) {
    free(buffer);
    return Fail(failure, CLI_CANNOT_READ, nullptr, error);
  }
  memset(file, 0, sizeof *file);
  file->path = "-";
  file->standard = 1;
  file->ways = &kFromStandardInput;
  file->memory = buffer;
  file->size = length;
  return 1;
}

int CreateOutputMemory(OutputFile *file, long long size, Failure *failure) {
  memset(file, 0, sizeof *file);
  strcpy(file->target, "-");
  file->given = "-";
  file->memory = static_cast<unsigned char *>(calloc(size > 0 ? size : 1, 1));
  file->size = size;
  return file->memory ? 1 : Fail(failure, CLI_CANNOT_WRITE, nullptr, ENOMEM);
}

int WriteOutputMemory(OutputFile *file, long long offset,
                      const unsigned char *data, int size, Failure *failure) {
  if (offset < 0 || offset + size > file->size)
    return Fail(failure, CLI_CANNOT_WRITE, nullptr, EFBIG);
  memcpy(file->memory + offset, data, size);
  return 1;
}

int CommitOutputMemory(OutputFile *file, long long length, Failure *failure) {
  size_t size = static_cast<size_t>(length < file->size ? length : file->size);
  int ok = fwrite(file->memory, 1, size, stdout) == size && fflush(stdout) == 0;
  int error = errno;
  DiscardOutputMemory(file);
  if (ok)
    return 1;
  g_outputReported = 1;
  return Fail(failure, CLI_CANNOT_WRITE, nullptr, error);
}

void DiscardOutputMemory(OutputFile *file) {
  free(file->memory);
  file->memory = nullptr;
}

void KeepOutputError(int error) {
  if (!g_outputError)
    g_outputError = error;
}

int FlushStandardOutput(Failure *failure) {
  if (g_outputReported)
    return 1;
  if (fflush(stdout) != 0)
    KeepOutputError(errno);
  if (!ferror(stdout))
    return 1;
  g_outputReported = 1;
  failure->path = nullptr;
  return Fail(failure, CLI_CANNOT_WRITE_OUTPUT, nullptr,
              g_outputError ? g_outputError : EIO);
}
