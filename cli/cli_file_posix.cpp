// The system's calls on POSIX systems (cli_platform.h).
#include "cli_platform.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include "qif_messages.h"

namespace {

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

void OnInterrupt(int signal) {
  if (g_tempActive)
    unlink(g_tempName);
  if (g_noteArmed)
    (void)!write(STDERR_FILENO, g_note, strlen(g_note));
  _exit(128 + signal);
}

const int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// An existing target must be a regular file the user may write: a device,
// a FIFO or a socket would be replaced by a plain file, and rename ignores
// a read-only mode. Root may write any file, so a mode without the owner's
// write bit is refused as such, as the dialog refuses a read-only file.
// stat does not open, so it never waits on a FIFO.
int CheckTarget(const char *target, struct stat *st, int *exists,
                char *reason) {
  *exists = stat(target, st) == 0;
  if (!*exists)
    return errno == ENOENT ? 1 : Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  if (S_ISDIR(st->st_mode))
    return Fail(reason, MSG_UNABLE_TO_SAVE, EISDIR);
  if (!S_ISREG(st->st_mode))
    return FailWith(reason, MSG_UNABLE_TO_SAVE, "not a regular file");
  if (faccessat(AT_FDCWD, target, W_OK, AT_EACCESS) != 0)
    return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  if (!(st->st_mode & S_IWUSR))
    return Fail(reason, MSG_UNABLE_TO_SAVE, EACCES);
  return 1;
}

#if defined(__linux__)
int FailAttribute(char *reason, const char *name, int error) {
  snprintf(reason, kReasonSize, "%s: cannot keep the attribute %s: %s",
           MSG_UNABLE_TO_SAVE, name, strerror(error));
  return 0;
}

int CopyAttribute(int fd, const char *target, const char *name, char *reason) {
  ssize_t size = getxattr(target, name, nullptr, 0);
  if (size < 0)
    return FailAttribute(reason, name, errno);
  char *value = static_cast<char *>(malloc(size > 0 ? size : 1));
  if (!value)
    return FailAttribute(reason, name, ENOMEM);
  size = getxattr(target, name, value, size);
  int ok = size >= 0 && fsetxattr(fd, name, value, size, 0) == 0;
  int error = errno;
  free(value);
  return ok ? 1 : FailAttribute(reason, name, error);
}

// An attribute the new file got from its folder (the folder's default ACL
// as its own) and the target lacks: kept, it would give access the file
// never gave.
int DropAttribute(int fd, const char *target, const char *name, char *reason) {
  if (getxattr(target, name, nullptr, 0) >= 0)
    return 1;
  if (errno != ENODATA)
    return FailAttribute(reason, name, errno);
  return fremovexattr(fd, name) == 0 || errno == ENODATA
             ? 1
             : FailAttribute(reason, name, errno);
}

// The extended attribute names of fd, or of path when fd < 0, one after
// another, each closed by a NUL; *names is malloc'd (free it), null when
// there are none. A file system without any (ENOTSUP) has none.
int ListAttributes(int fd, const char *path, char **names, ssize_t *size,
                   char *reason) {
  *names = nullptr;
  *size = fd >= 0 ? flistxattr(fd, nullptr, 0) : listxattr(path, nullptr, 0);
  if (*size < 0 && (errno == ENOTSUP || errno == ENOSYS))
    *size = 0;
  if (*size <= 0)
    return *size == 0 ? 1 : Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  *names = static_cast<char *>(malloc(*size));
  if (!*names)
    return Fail(reason, MSG_UNABLE_TO_SAVE, ENOMEM);
  *size =
      fd >= 0 ? flistxattr(fd, *names, *size) : listxattr(path, *names, *size);
  return *size >= 0 ? 1 : Fail(reason, MSG_UNABLE_TO_SAVE, errno);
}

// The new file's attributes are its folder's, not the target's.
int DropExtraAttributes(int fd, const char *target, char *reason) {
  char *names;
  ssize_t size;
  int ok = ListAttributes(fd, nullptr, &names, &size, reason);
  for (ssize_t at = 0; ok && at < size; at += strlen(names + at) + 1)
    ok = DropAttribute(fd, target, names + at, reason);
  free(names);
  return ok;
}

// Every extended attribute of the target, the POSIX ACL among them.
int CopyAttributes(int fd, const char *target, char *reason) {
  char *names;
  ssize_t size;
  int ok = ListAttributes(-1, target, &names, &size, reason);
  for (ssize_t at = 0; ok && at < size; at += strlen(names + at) + 1)
    ok = CopyAttribute(fd, target, names + at, reason);
  free(names);
  return ok;
}
#else
int DropExtraAttributes(int, const char *, char *) { return 1; }
int CopyAttributes(int, const char *, char *) { return 1; }
#endif

// The target's owner and group, where the system allows it: only root
// may give a file away, but its owner may still give it a group it is in.
// A set-user-ID or set-group-ID bit whose owner or group could not be kept
// is dropped from *mode: it would now run as the user converting.
int KeepOwner(int fd, const struct stat *st, mode_t *mode, char *reason) {
  *mode = st->st_mode & 07777;
  if ((st->st_uid == geteuid() && st->st_gid == getegid()) ||
      fchown(fd, st->st_uid, st->st_gid) == 0)
    return 1;
  if (errno != EPERM)
    return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  *mode &= ~S_ISUID;
  if (fchown(fd, static_cast<uid_t>(-1), st->st_gid) == 0)
    return 1;
  if (errno != EPERM)
    return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  *mode &= ~S_ISGID;
  return 1;
}

// The replacement takes the target's metadata once its data is written,
// as a write clears the set-user-ID and set-group-ID bits and the file
// capabilities: the owner (a change of owner clears them too), then
// exactly the target's extended attributes, none of those the folder gave
// the new file, then the mode, then the attributes (an ACL sets the group
// bits of the mode itself). A new file gets the usual mode.
int TakeOverMetadata(int fd, const char *target, char *reason) {
  struct stat st;
  if (stat(target, &st) != 0) {
    if (errno != ENOENT)
      return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
    mode_t mask = umask(0);
    umask(mask);
    (void)!fchmod(fd, 0666 & ~mask);
    return 1;
  }
  mode_t mode;
  if (!KeepOwner(fd, &st, &mode, reason) ||
      !DropExtraAttributes(fd, target, reason))
    return 0;
  if (fchmod(fd, mode) != 0)
    return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  return CopyAttributes(fd, target, reason);
}

FileState StateOf(const struct stat *st) {
  FileState state;
  state.identity.volume = static_cast<unsigned long long>(st->st_dev);
  state.identity.index = static_cast<unsigned long long>(st->st_ino);
  state.size = st->st_size;
#if defined(__APPLE__)
  state.lastWrite =
      st->st_mtimespec.tv_sec * 1000000000LL + st->st_mtimespec.tv_nsec;
#else
  state.lastWrite = st->st_mtim.tv_sec * 1000000000LL + st->st_mtim.tv_nsec;
#endif
#if defined(__APPLE__)
  state.lastChange =
      st->st_ctimespec.tv_sec * 1000000000LL + st->st_ctimespec.tv_nsec;
#else
  state.lastChange = st->st_ctim.tv_sec * 1000000000LL + st->st_ctim.tv_nsec;
#endif
  return state;
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

void *RunThreadStart(void *context) {
  ThreadStart *start = static_cast<ThreadStart *>(context);
  start->job(start->argument);
  return nullptr;
}

} // namespace

void BlockInterrupt(int block) {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kCleanupSignals)
    sigaddset(&set, signal);
  pthread_sigmask(block ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void UseBinaryStream(FILE *) {}

// O_NONBLOCK: a FIFO opens at once instead of waiting for a writer, and is
// then refused as not a regular file.
int OpenPlatformInput(const char *path, InputFile *file, char *reason) {
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0)
    return Fail(reason, MSG_UNABLE_TO_OPEN, errno);
  struct stat st;
  int ok = fstat(fd, &st) == 0 ? CheckReadable(&st, reason)
                               : Fail(reason, MSG_UNABLE_TO_OPEN, errno);
  if (!ok) {
    close(fd);
    return 0;
  }
  memset(file, 0, sizeof *file);
  file->handle = fd;
  file->size = st.st_size;
  file->path = path;
  file->opened = StateOf(&st);
  return 1;
}

int ReadPlatformInput(InputFile *file, long long offset, unsigned char *buffer,
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

void ClosePlatformInput(InputFile *file) {
  close(static_cast<int>(file->handle));
}

int CreatePlatformOutput(const char *path, OutputFile *file, char *reason) {
  struct stat st;
  file->handle = -1;
  if (!ResolveTarget(path, file->target, reason) ||
      !CheckTarget(file->target, &st, &file->replaces, reason) ||
      !MakeTempName(file->target, file->temp, reason))
    return 0;
  int fd = mkstemp(file->temp);
  if (fd < 0)
    return Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  file->handle = fd;
  return 1;
}

int WritePlatformOutput(OutputFile *file, long long offset,
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

// fsync before the rename: the write-out started piece by piece leaves it
// little to wait for.
int FinishPlatformOutput(OutputFile *file, char *reason) {
  int fd = static_cast<int>(file->handle);
  file->handle = -1;
  int ok = TakeOverMetadata(fd, file->target, reason);
  if (ok && fsync(fd) != 0)
    ok = Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  if (close(fd) != 0 && ok)
    ok = Fail(reason, MSG_UNABLE_TO_SAVE, errno);
  return ok;
}

int MovePlatformOutput(OutputFile *file, char *reason) {
  if (rename(file->temp, file->target) == 0)
    return 1;
  int error = errno;
  unlink(file->temp);
  return Fail(reason, MSG_UNABLE_TO_SAVE, error);
}

void RemovePlatformTemp(OutputFile *file) {
  if (file->handle >= 0)
    close(static_cast<int>(file->handle));
  file->handle = -1;
  unlink(file->temp);
}

void InstallInterruptCleanup(void) {
  signal(SIGPIPE, SIG_IGN);
  for (int signal : kCleanupSignals) {
    struct sigaction action, old;
    memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int other : kCleanupSignals)
      sigaddset(&action.sa_mask, other);
    // A signal ignored by whoever started us (nohup) stays ignored.
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
      sigaction(signal, &action, nullptr);
  }
}

int LookAtFile(const char *path, FileState *state) {
  struct stat st;
  if (stat(path, &st) != 0)
    return 0;
  *state = StateOf(&st);
  return 1;
}

// Terminals here take the bytes as they come, once escaped.
void WritePlatformLine(FILE *stream, const char *text) { fputs(text, stream); }

int StartPlatformThread(ThreadStart *start, intptr_t *thread) {
  pthread_t started;
  static_assert(sizeof started <= sizeof *thread, "a thread fits");
  if (pthread_create(&started, nullptr, RunThreadStart, start) != 0)
    return 0;
  memcpy(thread, &started, sizeof started);
  return 1;
}

void JoinPlatformThread(intptr_t thread) {
  pthread_t started;
  memcpy(&started, &thread, sizeof started);
  pthread_join(started, nullptr);
}
