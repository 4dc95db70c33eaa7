// The file layer on POSIX systems.
#include "cli_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "qif_messages.h"

namespace {

int Fail(char *reason, const char *what, int error) {
  snprintf(reason, kReasonSize, "%s: %s", what, strerror(error));
  return 0;
}

int FailWith(char *reason, const char *what, const char *why) {
  snprintf(reason, kReasonSize, "%s: %s", what, why);
  return 0;
}

int CheckReadable(const struct stat *st, char *reason) {
  if (S_ISDIR(st->st_mode))
    return Fail(reason, MSG_UNABLE_TO_OPEN, EISDIR);
  if (!S_ISREG(st->st_mode))
    return FailWith(reason, MSG_UNABLE_TO_OPEN, "not a regular file");
  if (st->st_size == 0) {
    snprintf(reason, kReasonSize, "%s", MSG_FILE_EMPTY);
    return 0;
  }
  // Counts and line numbers are ints, as in the dialog.
  if (st->st_size >= INT_MAX)
    return Fail(reason, MSG_UNABLE_TO_LOAD, EFBIG);
  return 1;
}

// A symbolic link is followed, so the file it names is replaced and the
// link stays a link.
int ResolveTarget(const char *path, char *target, char *reason) {
  char resolved[PATH_MAX];
  struct stat st;
  if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
    if (!realpath(path, resolved))
      return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
    path = resolved;
  }
  if (strlen(path) >= kCliPathSize)
    return Fail(reason, MSG_UNABLE_TO_SAVE, ENAMETOOLONG);
  strcpy(target, path);
  return 1;
}

// Beside the target, because rename is atomic only within one file system.
int MakeTempName(const char *target, char *temp, char *reason) {
  static const char kTempName[] = ".kestrom-XXXXXX";
  const char *slash = strrchr(target, '/');
  size_t folderLength = slash ? static_cast<size_t>(slash - target) + 1 : 0;
  if (folderLength + sizeof kTempName > kCliPathSize)
    return Fail(reason, MSG_UNABLE_TO_SAVE, ENAMETOOLONG);
  memcpy(temp, target, folderLength);
  memcpy(temp + folderLength, kTempName, sizeof kTempName);
  return 1;
}

// The replacement keeps the permissions (and, where allowed, the owner) of
// the file it replaces; a new file gets the usual ones.
void TakeOverMode(int fd, const char *target) {
  struct stat st;
  if (stat(target, &st) == 0) {
    (void)!fchmod(fd, st.st_mode & 07777);
    if (st.st_uid != geteuid() || st.st_gid != getegid())
      (void)!fchown(fd, st.st_uid, st.st_gid); // only root may; fine if not
    return;
  }
  mode_t mask = umask(0);
  umask(mask);
  (void)!fchmod(fd, 0666 & ~mask);
}

// Has the disk start on a piece as soon as it is written, while the rest
// converts. Otherwise it all happens at the end, inside the rename that
// replaces the target (ext4 writes the new data out first).
void StartWriteOut(int fd, long long offset, int size) {
#if defined(__linux__)
  sync_file_range(fd, offset, size, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd, (void)offset, (void)size;
#endif
}

} // namespace

int OpenInputFile(const char *path, InputFile *file, char *reason) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return Fail(reason, MSG_UNABLE_TO_OPEN, errno);
  struct stat st;
  int ok = fstat(fd, &st) == 0 ? CheckReadable(&st, reason)
                               : Fail(reason, MSG_UNABLE_TO_OPEN, errno);
  if (!ok) {
    close(fd);
    return 0;
  }
  file->handle = fd;
  file->size = st.st_size;
  return 1;
}

int ReadInputFile(InputFile *file, long long offset, unsigned char *buffer,
                  int capacity, int *got, char *reason) {
  int fd = static_cast<int>(file->handle);
  int done = 0;
  while (done < capacity) {
    ssize_t n = pread(fd, buffer + done, static_cast<size_t>(capacity - done),
                      static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return Fail(reason, MSG_UNABLE_TO_LOAD, errno);
    if (n == 0)
      break;
    done += static_cast<int>(n);
  }
  *got = done;
  return 1;
}

void CloseInputFile(InputFile *file) { close(static_cast<int>(file->handle)); }

int CreateOutputFile(const char *path, OutputFile *file, char *reason) {
  if (!ResolveTarget(path, file->target, reason) ||
      !MakeTempName(file->target, file->temp, reason))
    return 0;
  int fd = mkstemp(file->temp);
  if (fd < 0)
    return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  TakeOverMode(fd, file->target);
  file->handle = fd;
  return 1;
}

int WriteOutputFile(OutputFile *file, long long offset,
                    const unsigned char *data, int size, char *reason) {
  int fd = static_cast<int>(file->handle);
  int done = 0;
  while (done < size) {
    ssize_t n = pwrite(fd, data + done, static_cast<size_t>(size - done),
                       static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
    done += static_cast<int>(n);
  }
  StartWriteOut(fd, offset, size);
  return 1;
}

// fsync before the rename: after a crash the target then holds either its
// old content or the whole new one, never an empty or partial file. The
// write-out started piece by piece leaves it little to wait for.
int CommitOutputFile(OutputFile *file, char *reason) {
  int fd = static_cast<int>(file->handle);
  int ok = fsync(fd) == 0 ? 1 : Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  if (close(fd) != 0 && ok)
    ok = Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  if (ok && rename(file->temp, file->target) != 0)
    ok = Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  if (!ok)
    unlink(file->temp);
  return ok;
}

void DiscardOutputFile(OutputFile *file) {
  close(static_cast<int>(file->handle));
  unlink(file->temp);
}

int GetFileIdentity(const char *path, FileIdentity *identity) {
  struct stat st;
  if (stat(path, &st) != 0)
    return 0;
  identity->volume = static_cast<unsigned long long>(st.st_dev);
  identity->index = static_cast<unsigned long long>(st.st_ino);
  return 1;
}

// Terminals here take the bytes as they come.
void PrintCli(FILE *stream, const char *format, ...) {
  va_list args;
  va_start(args, format);
  vfprintf(stream, format, args);
  va_end(args);
}

namespace {

struct ThreadStart {
  void (*job)(void *);
  void *argument;
};

void *RunThreadStart(void *context) {
  ThreadStart *start = static_cast<ThreadStart *>(context);
  start->job(start->argument);
  return nullptr;
}

} // namespace

void RunSideBySide(void (*job)(void *), void *first, void *second) {
  ThreadStart start = {job, second};
  pthread_t thread;
  int started = pthread_create(&thread, nullptr, RunThreadStart, &start) == 0;
  job(first);
  if (started)
    pthread_join(thread, nullptr);
  else
    job(second);
}
