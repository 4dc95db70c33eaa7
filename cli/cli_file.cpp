// What both systems share, on each system's own calls (cli_platform.h) and
// on standard input and output kept in memory (cli_stdio.h).
#include "cli_file.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cli_backup.h"
#include "cli_escape.h"
#include "cli_interrupt.h"
#include "cli_platform.h"
#include "cli_stdio.h"
#include "qif_messages.h"

namespace {

// Chooses the name of an existing target's backup. It may not name the
// source, whose content would be lost under it, nor another FILE of the
// run: the same path, or the file the path names now (through a link,
// another spelling), whether done before or still to come.
int ChooseBackup(OutputFile *file, const InputFile *source,
                 const BackupChoice *choice, const NamedFile *run, int count,
                 Failure *failure) {
  long long highest = 0;
  if (choice->control != kBackupSimple &&
      !HighestPlatformBackup(file, &highest, failure))
    return 0;
  if (choice->control == kBackupNumbered ||
      (choice->control == kBackupExisting && highest > 0))
    file->backupNumber = highest + 1;
  if (!MakeBackupName(file->target, choice->suffix, file->backupNumber,
                      file->backup, kCliPathSize))
    return Fail(failure, CLI_CANNOT_NAME_BACKUP, nullptr, ENAMETOOLONG);
  FileState state;
  int exists = LookAtFile(file->backup, &state);
  if (exists && !source->standard &&
      SameIdentity(&state.identity, &source->opened.identity))
    return FailBecause(failure, CLI_CANNOT_BACK_UP, file->backup,
                       CLI_BACKUP_IS_INPUT);
  for (int i = 0; i < count; ++i)
    if (run[i].path != source->path &&
        (strcmp(run[i].path, file->backup) == 0 ||
         (exists && run[i].known &&
          SameIdentity(&run[i].identity, &state.identity)))) {
      FailBecause(failure, CLI_CANNOT_BACK_UP, file->backup,
                  CLI_BACKUP_IS_A_FILE);
      failure->other = run[i].path;
      return 0;
    }
  return 1;
}

// Makes the target's backup. A numbered backup whose name was taken since
// the folder was read takes the next number, as often as it is taken.
int MakeBackup(OutputFile *file, Failure *failure) {
  for (int tries = 0; tries < 100; ++tries) {
    int taken = 0;
    if (BackUpPlatformTarget(file, file->backupNumber > 0, &taken, failure))
      return 1;
    if (!taken || !MakeBackupName(file->target, "", file->backupNumber + 1,
                                  file->backup, kCliPathSize))
      return 0;
    ++file->backupNumber;
  }
  return 0;
}

// A file that ends before the size it had when opened was changed since.
int ReadFromFile(InputFile *file, long long offset, unsigned char *buffer,
                 int capacity, int *got, Failure *failure) {
  if (!ReadPlatformInput(file, offset, buffer, capacity, got, failure))
    return 0;
  return *got == capacity || offset + *got >= file->size ||
         FailBecause(failure, CLI_CHANGED, nullptr, nullptr);
}

int FileUnchanged(const InputFile *source, long long read, Failure *failure) {
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

// The interrupt is held off from before the backup until the note is added.
int DeliverFile(OutputFile *file, long long, Failure *failure) {
  BlockInterrupt(1);
  int ok = !file->backup[0] || MakeBackup(file, failure);
  if (ok)
    ok = MovePlatformOutput(file, failure); // which cleans up after itself
  else
    RemovePlatformTemp(file);
  ForgetTemp();
  return ok;
}

// Writes the content to standard output before the interrupt is held off:
// a reader that stops reading must not hold off an interrupt too.
int DeliverToStandardOutput(OutputFile *file, long long length,
                            Failure *failure) {
  int ok = CommitOutputMemory(file, length, failure);
  BlockInterrupt(1);
  return ok;
}

int NothingToFinish(OutputFile *, Failure *) { return 1; }

void DiscardFile(OutputFile *file) {
  BlockInterrupt(1);
  RemovePlatformTemp(file);
  ForgetTemp();
  BlockInterrupt(0);
}

const InputWays kFromFile = {ReadFromFile, FileUnchanged, ClosePlatformInput};
const OutputWays kToFile = {WritePlatformOutput, FinishPlatformOutput,
                            DeliverFile, DiscardFile};
const OutputWays kToStandardOutput = {WriteOutputMemory, NothingToFinish,
                                      DeliverToStandardOutput,
                                      DiscardOutputMemory};

} // namespace

int OpenInputFile(const char *path, InputFile *file, Failure *failure) {
  failure->path = path;
  if (IsStandardStream(path)) {
    UseBinaryStream(stdin);
    return ReadStandardInput(file, failure);
  }
  int ok = OpenPlatformInput(path, file, failure);
  file->ways = &kFromFile;
  return ok;
}

int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, Failure *failure) {
  failure->path = file->path;
  return file->ways->read(file, offset, buffer, capacity, got, failure);
}

void CloseInputFile(InputFile *file) { file->ways->close(file); }

int CheckInputUnchanged(const InputFile *file, long long read,
                        Failure *failure) {
  return file->ways->unchanged(file, read, failure);
}

// An interrupt waits until the temporary file is known.
int CreateOutputFile(const char *path, const InputFile *source,
                     const BackupChoice *backup, const NamedFile *run,
                     int count, OutputFile *file, Failure *failure) {
  failure->path = path;
  if (IsStandardStream(path)) {
    UseBinaryStream(stdout);
    int ok = CreateOutputMemory(file, source->size, failure);
    file->ways = &kToStandardOutput;
    return ok;
  }
  memset(file, 0, sizeof *file);
  file->ways = &kToFile;
  file->given = path;
  BlockInterrupt(1);
  int ok = CreatePlatformOutput(path, file, failure);
  if (ok)
    RememberTemp(file->folder, file->temp + file->nameAt);
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
  return file->ways->write(file, offset, data, size, failure);
}

// Metadata and flush come before the rename, so that after a crash the
// target holds either its old content or the whole new one. The note is
// written after the backup, which may have taken a later number.
int CommitOutputFile(OutputFile *file, InputFile *source, long long read,
                     void (*say)(const OutputFile *file, const void *context,
                                 char *note, int size),
                     const void *context, Failure *failure) {
  failure->path = file->given;
  int ok = file->ways->finish(file, failure) &&
           CheckInputUnchanged(source, read, failure);
  CloseInputFile(source);
  if (!ok) {
    file->ways->discard(file);
    return 0;
  }
  ok = file->ways->deliver(file, read, failure);
  if (ok) {
    char note[3 * kCliPathSize + 256];
    say(file, context, note, sizeof note);
    AddNote(EscapeLine(note, static_cast<int>(strlen(note))));
  }
  BlockInterrupt(0);
  return ok;
}

void SayConverted(void) {
  BlockInterrupt(1);
  if (g_interrupt.notesLength)
    WritePlatformLine(stderr, g_interrupt.notes);
  ForgetNotes();
  BlockInterrupt(0);
}

void DiscardOutputFile(OutputFile *file) { file->ways->discard(file); }

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

int PrintFailure(const Failure *failure) {
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
  return 0;
}
