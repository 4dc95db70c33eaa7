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

// The FILE of the run, other than source, that the backup would replace:
// the same path, or the file it names now (through a link, another
// spelling), whether done before or still to come. Null when none.
const char *FileBackedUpOver(const char *backup, const InputFile *source,
                             const NamedFile *run, int count) {
  FileState state;
  int exists = LookAtFile(backup, &state);
  for (int i = 0; i < count; ++i)
    if (run[i].path != source->path &&
        (strcmp(run[i].path, backup) == 0 ||
         (exists && run[i].known &&
          SameIdentity(&run[i].identity, &state.identity))))
      return run[i].path;
  return nullptr;
}

// The backup of an existing target: its name, one that does not name the
// source, whose content would be lost under it, nor another FILE of the
// run.
int ChooseBackup(OutputFile *file, const InputFile *source,
                 const BackupChoice *choice, const NamedFile *run, int count,
                 Failure *failure) {
  long long highest = 0;
  if (choice->control != kBackupSimple &&
      !HighestPlatformBackup(file, &highest, failure))
    return 0;
  if (!MakeBackupName(file->target, choice, highest, file->backup,
                      kCliPathSize))
    return Fail(failure, CLI_CANNOT_NAME_BACKUP, nullptr, ENAMETOOLONG);
  if (choice->control == kBackupNumbered ||
      (choice->control == kBackupExisting && highest > 0))
    file->backupNumber = highest + 1;
  FileState state;
  if (!source->standard && LookAtFile(file->backup, &state) &&
      SameIdentity(&state.identity, &source->opened.identity))
    return FailBecause(failure, CLI_CANNOT_BACK_UP, file->backup,
                       CLI_BACKUP_IS_INPUT);
  const char *other = FileBackedUpOver(file->backup, source, run, count);
  if (!other)
    return 1;
  FailBecause(failure, CLI_CANNOT_BACK_UP, file->backup, CLI_BACKUP_IS_A_FILE);
  failure->other = other;
  return 0;
}

// A numbered backup whose name was taken since the folder was read takes
// the next number, as often as it is taken; the note then names it.
int MakeBackup(OutputFile *file, Failure *failure) {
  const BackupChoice numbered = {kBackupNumbered, nullptr};
  for (int tries = 0; tries < 100; ++tries) {
    int taken = 0;
    if (BackUpPlatformTarget(file, file->backupNumber > 0, &taken, failure))
      return 1;
    if (!taken || !MakeBackupName(file->target, &numbered, file->backupNumber,
                                  file->backup, kCliPathSize))
      return 0;
    ++file->backupNumber;
  }
  return 0;
}

// The note names the backup as it was chosen; one that took a later
// number names that one instead.
char *NoteBackup(char *note, const char *chosen, const OutputFile *file) {
  const char *at = note ? strstr(note, chosen) : nullptr;
  if (!at || strcmp(chosen, file->backup) == 0)
    return note;
  size_t before = static_cast<size_t>(at - note);
  char *named =
      static_cast<char *>(malloc(strlen(note) + strlen(file->backup) + 1));
  if (named)
    sprintf(named, "%.*s%s%s", static_cast<int>(before), note, file->backup,
            at + strlen(chosen));
  free(note);
  return named;
}

} // namespace

int OpenInputFile(const char *path, InputFile *file, Failure *failure) {
  failure->path = path;
  if (!IsStandardStream(path))
    return OpenPlatformInput(path, file, failure);
  UseBinaryStream(stdin);
  return ReadStandardInput(file, failure);
}

int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, Failure *failure) {
  failure->path = file->path;
  if (file->memory) {
    ReadInputMemory(file, offset, buffer, capacity, got);
    return 1;
  }
  if (!ReadPlatformInput(file, offset, buffer, capacity, got, failure))
    return 0;
  return *got == capacity || offset + *got >= file->size ||
         FailBecause(failure, CLI_CHANGED, nullptr, nullptr);
}

void CloseInputFile(InputFile *file) {
  if (!file->standard)
    ClosePlatformInput(file);
  free(file->memory);
  file->memory = nullptr;
}

// An interrupt waits until the temporary file is known.
int CreateOutputFile(const char *path, const InputFile *source,
                     const BackupChoice *backup, const NamedFile *run,
                     int count, OutputFile *file, Failure *failure) {
  failure->path = path;
  if (IsStandardStream(path)) {
    UseBinaryStream(stdout);
    return CreateOutputMemory(file, source->size, failure);
  }
  memset(file, 0, sizeof *file);
  file->given = path;
  BlockInterrupt(1);
  int ok = CreatePlatformOutput(path, file, failure);
  if (ok)
    RememberTemp(file);
  BlockInterrupt(0);
  if (ok && file->replaces && backup->control != kBackupNone &&
      !ChooseBackup(file, source, backup, run, count, failure)) {
    DiscardOutputFile(file);
    return 0;
  }
  return ok;
}

int WriteOutputFile(OutputFile *file, long long offset,
                    const unsigned char *data, int size, Failure *failure) {
  failure->path = file->target;
  if (file->memory)
    return WriteOutputMemory(file, offset, data, size, failure);
  return WritePlatformOutput(file, offset, data, size, failure);
}

// Metadata and flush come before the rename, so that after a crash the
// target holds either its old content or the whole new one. The source is
// looked at last, then the backup is made, just before the rename. An
// interrupt during them waits, then finds the file's note among the others.
// Standard output gets the content only once the source is found unchanged.
int CommitOutputFile(OutputFile *file, InputFile *source, long long read,
                     const char *note, Failure *failure) {
  char *escaped = EscapeNote(note);
  failure->path = file->given;
  int ok = (file->memory || FinishPlatformOutput(file, failure)) &&
           CheckInputUnchanged(source, read, failure);
  CloseInputFile(source);
  if (file->memory) {
    ok = ok ? CommitOutputMemory(file, read, failure)
            : (DiscardOutputMemory(file), 0);
    BlockInterrupt(1);
  } else {
    BlockInterrupt(1);
    char chosen[kCliPathSize];
    strcpy(chosen, file->backup);
    if (ok && file->backup[0] && (ok = MakeBackup(file, failure)))
      escaped = NoteBackup(escaped, chosen, file);
    if (ok)
      ok = MovePlatformOutput(file, failure);
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

int CheckInputUnchanged(const InputFile *source, long long read,
                        Failure *failure) {
  if (source->standard)
    return 1;
  const FileState &opened = source->opened;
  FileState now;
  if (LookAtFile(source->path, &now) &&
      SameIdentity(&now.identity, &opened.identity) &&
      now.size == opened.size && now.lastWrite == opened.lastWrite &&
      now.lastChange == opened.lastChange && read == opened.size)
    return 1;
  failure->path = source->path;
  return FailBecause(failure, CLI_CHANGED, nullptr, nullptr);
}

int SameIdentity(const FileIdentity *one, const FileIdentity *other) {
  return one->volume == other->volume && one->index == other->index;
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
  if (stream == stdout && ferror(stdout))
    KeepOutputError(errno);
  free(line);
}

// The record's names stand where its texts have a %s.
void PrintFailure(const Failure *failure) {
  char what[kCliPathSize + 256], why[kCliPathSize + 256] = "";
  snprintf(what, sizeof what, failure->what,
           failure->name ? failure->name : failure->detail);
  if (failure->why)
    snprintf(why, sizeof why, failure->why, failure->other);
  else if (failure->error)
    SystemWords(failure, why, sizeof why);
  const char *path = failure->path;
  PrintCli(stderr, "kestrom-cli: %s%s%s%s%s\n", path ? path : "",
           path ? ": " : "", what, why[0] ? ": " : "", why);
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
