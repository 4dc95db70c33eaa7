// What both systems share: "-" as standard input or output, the temporary
// file and the note kept for the interrupt handler, the checks built on
// LookAtFile, the lines printed and the second thread. Each system's own
// calls are behind cli_platform.h.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cli_escape.h"
#include "cli_file.h"
#include "cli_platform.h"
#include "cli_stdio.h"

volatile sig_atomic_t g_tempActive = 0;
char g_tempName[kCliPathSize];
volatile sig_atomic_t g_noteArmed = 0;
char *g_note = nullptr;

namespace {

void RememberTemp(const char *temp) {
  strcpy(g_tempName, temp);
  g_tempActive = 1;
}

void ForgetTemp() { g_tempActive = 0; }

// Takes the escaped note from the caller, the interrupt held off.
void ArmNote(char *note) {
  g_noteArmed = 0;
  free(g_note);
  g_note = note;
  g_noteArmed = note != nullptr;
}

// A file done has its note armed; one not done leaves the last file's.
void ArmNoteIfDone(int done, char *note) {
  if (done)
    ArmNote(note);
  else
    free(note);
}

char *EscapeNote(const char *note) {
  return EscapeLine(note, static_cast<int>(strlen(note)));
}

} // namespace

int FailWith(char *reason, const char *what, const char *why) {
  snprintf(reason, kReasonSize, "%s: %s", what, why);
  return 0;
}

int Fail(char *reason, const char *what, int error) {
  return FailWith(reason, what, strerror(error));
}

int OpenInputFile(const char *path, InputFile *file, char *reason) {
  if (!IsStandardStream(path))
    return OpenPlatformInput(path, file, reason);
  UseBinaryStream(stdin);
  return ReadStandardInput(file, reason);
}

int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, char *reason) {
  if (!file->memory)
    return ReadPlatformInput(file, offset, buffer, capacity, got, reason);
  ReadInputMemory(file, offset, buffer, capacity, got);
  return 1;
}

void CloseInputFile(InputFile *file) {
  if (!file->standard)
    ClosePlatformInput(file);
  free(file->memory);
  file->memory = nullptr;
}

// An interrupt waits until the temporary file is known.
int CreateOutputFile(const char *path, long long size, OutputFile *file,
                     char *reason) {
  if (IsStandardStream(path)) {
    UseBinaryStream(stdout);
    return CreateOutputMemory(file, size, reason);
  }
  memset(file, 0, sizeof *file);
  file->given = path;
  BlockInterrupt(1);
  int ok = CreatePlatformOutput(path, file, reason);
  if (ok)
    RememberTemp(file->temp);
  BlockInterrupt(0);
  return ok;
}

int WriteOutputFile(OutputFile *file, long long offset,
                    const unsigned char *data, int size, char *reason) {
  if (file->memory)
    return WriteOutputMemory(file, offset, data, size, reason);
  return WritePlatformOutput(file, offset, data, size, reason);
}

// Metadata and flush come before the rename, so that after a crash the
// target holds either its old content or the whole new one. The source is
// looked at last, just before the rename. An interrupt during the rename
// waits for it, then finds the note armed.
int CommitOutputFile(OutputFile *file, InputFile *source, long long read,
                     const char *note, char *reason) {
  char *escaped = EscapeNote(note);
  int ok;
  if (file->memory) {
    CloseInputFile(source);
    ok = CommitOutputMemory(file, reason);
    BlockInterrupt(1);
  } else {
    ok = FinishPlatformOutput(file, reason) &&
         CheckInputUnchanged(source, read, reason);
    CloseInputFile(source);
    BlockInterrupt(1);
    if (ok)
      ok = MovePlatformOutput(file, reason);
    else
      RemovePlatformTemp(file);
    ForgetTemp();
  }
  ArmNoteIfDone(ok, escaped);
  BlockInterrupt(0);
  return ok;
}

void SayConverted(void) {
  BlockInterrupt(1);
  if (g_noteArmed)
    WritePlatformLine(stderr, g_note);
  ArmNote(nullptr);
  BlockInterrupt(0);
}

void DiscardOutputFile(OutputFile *file) {
  if (file->memory) {
    DiscardOutputMemory(file);
    return;
  }
  BlockInterrupt(1);
  RemovePlatformTemp(file);
  ForgetTemp();
  BlockInterrupt(0);
}

int CheckInputUnchanged(const InputFile *source, long long read, char *reason) {
  if (source->standard)
    return 1;
  const FileState &opened = source->opened;
  FileState now;
  if (LookAtFile(source->path, &now) &&
      now.identity.volume == opened.identity.volume &&
      now.identity.index == opened.identity.index && now.size == opened.size &&
      now.lastWrite == opened.lastWrite &&
      now.lastChange == opened.lastChange && read == opened.size)
    return 1;
  snprintf(reason, kReasonSize,
           "%s changed while it was being converted; nothing was written",
           source->path);
  return 0;
}

int GetFileIdentity(const char *path, FileIdentity *identity) {
  FileState state;
  if (IsStandardStream(path) || !LookAtFile(path, &state))
    return 0;
  *identity = state.identity;
  return 1;
}

void PrintCli(FILE *stream, const char *format, ...) {
  va_list args;
  va_start(args, format);
  char *line = FormatEscapedLine(format, args);
  va_end(args);
  if (line)
    WritePlatformLine(stream, line);
  free(line);
}

void RunSideBySide(void (*job)(void *), void *first, void *second) {
  ThreadStart start = {job, second};
  intptr_t thread = 0;
  int started = StartPlatformThread(&start, &thread);
  job(first);
  if (started)
    JoinPlatformThread(thread);
  else
    job(second);
}
