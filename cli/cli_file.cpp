// What both systems share: "-" as standard input or output, the temporary
// file and the notes kept for the interrupt handler, the backup's name,
// the checks built on LookAtFile, the lines printed and the second thread. Each
// system's own calls are behind cli_platform.h.
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cli_backup.h"
#include "cli_escape.h"
#include "cli_file.h"
#include "cli_platform.h"
#include "cli_stdio.h"
#include "qif_messages.h"

volatile sig_atomic_t g_tempActive = 0;
volatile sig_atomic_t g_tempFolder = -1;
char g_tempName[kCliPathSize];
char *g_notes = nullptr;
volatile sig_atomic_t g_notesLength = 0;

namespace {

void RememberTemp(const OutputFile *file) {
  strcpy(g_tempName, file->temp + file->nameAt);
  g_tempFolder = static_cast<sig_atomic_t>(file->folder);
  g_tempActive = 1;
}

void ForgetTemp() { g_tempActive = 0; }

// Adds the escaped note of a file done to those not yet said (kept with a
// closing NUL), the interrupt held off: the handler sees the list before or
// after, never in between. Without the memory, the file goes unsaid.
void AddNote(char *note) {
  if (!note)
    return;
  size_t length = strlen(note);
  char *grown = static_cast<char *>(
      realloc(g_notes, static_cast<size_t>(g_notesLength) + length + 1));
  if (grown) {
    memcpy(grown + g_notesLength, note, length + 1);
    g_notes = grown;
    g_notesLength += static_cast<sig_atomic_t>(length);
  }
  free(note);
}

char *EscapeNote(const char *note) {
  return EscapeLine(note, static_cast<int>(strlen(note)));
}

// The backup of an existing target: its name, one that does not name the
// source, whose content would be lost under it.
int ChooseBackup(OutputFile *file, const InputFile *source,
                 const BackupChoice *choice, char *reason) {
  long long highest = 0;
  if (choice->control != kBackupSimple &&
      !HighestPlatformBackup(file, &highest, reason))
    return 0;
  if (!MakeBackupName(file->target, choice, highest, file->backup,
                      kCliPathSize))
    return Fail(reason, CLI_CANNOT_NAME_BACKUP, ENAMETOOLONG);
  FileState state;
  if (!source->standard && LookAtFile(file->backup, &state) &&
      state.identity.volume == source->opened.identity.volume &&
      state.identity.index == source->opened.identity.index) {
    char what[kCliPathSize + 256];
    snprintf(what, sizeof what, CLI_CANNOT_BACK_UP, file->backup);
    return FailWith(reason, what, CLI_BACKUP_IS_INPUT);
  }
  return 1;
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
int CreateOutputFile(const char *path, const InputFile *source,
                     const BackupChoice *backup, OutputFile *file,
                     char *reason) {
  if (IsStandardStream(path)) {
    UseBinaryStream(stdout);
    return CreateOutputMemory(file, source->size, reason);
  }
  memset(file, 0, sizeof *file);
  file->given = path;
  BlockInterrupt(1);
  int ok = CreatePlatformOutput(path, file, reason);
  if (ok)
    RememberTemp(file);
  BlockInterrupt(0);
  if (ok && file->replaces && backup->control != kBackupNone &&
      !ChooseBackup(file, source, backup, reason)) {
    DiscardOutputFile(file);
    return 0;
  }
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
// looked at last, then the backup is made, just before the rename. An
// interrupt during them waits, then finds the file's note among the others.
int CommitOutputFile(OutputFile *file, InputFile *source, long long read,
                     const char *note, char *reason) {
  char *escaped = EscapeNote(note);
  int ok;
  if (file->memory) {
    CloseInputFile(source);
    ok = CommitOutputMemory(file, reason);
    BlockInterrupt(1);
  } else {
    ok = FinishPlatformOutput(file, reason);
    if (ok && !CheckInputUnchanged(source, read, reason)) {
      file->failedPath = source->path;
      ok = 0;
    }
    CloseInputFile(source);
    BlockInterrupt(1);
    if (ok && file->backup[0])
      ok = BackUpPlatformTarget(file, reason);
    if (ok)
      ok = MovePlatformOutput(file, reason);
    else
      RemovePlatformTemp(file);
    ForgetTemp();
  }
  if (ok)
    AddNote(escaped);
  else
    free(escaped);
  BlockInterrupt(0);
  return ok;
}

void SayConverted(void) {
  BlockInterrupt(1);
  if (g_notesLength)
    WritePlatformLine(stderr, g_notes);
  g_notesLength = 0;
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
  snprintf(reason, kReasonSize, "%s", CLI_CHANGED);
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
