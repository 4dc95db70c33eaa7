// The system's calls on POSIX systems (cli_platform.h).
#include "cli_platform.h"

#include <dirent.h>
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
#include <acl/libacl.h>
#include <attr/error_context.h>
#include <attr/libattr.h>
#endif
#if defined(__APPLE__)
#include <sys/random.h>
#endif

#include "cli_backup.h"
#include "cli_escape.h"
#include "cli_interrupt.h"
#include "qif_messages.h"

namespace {

// Fails with what for a folder or a device.
int CheckRegular(const struct stat *st, const char *what, Failure *failure) {
  if (S_ISDIR(st->st_mode))
    return Fail(failure, what, nullptr, EISDIR);
  return S_ISREG(st->st_mode) ||
         FailBecause(failure, what, nullptr, CLI_NOT_A_FILE);
}

// Writes to resolved the path of the file fd names, as the kernel knows it.
int PathOfOpenFile(int fd, const char *path, char *resolved) {
#if defined(__linux__)
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t length = readlink(link, resolved, PATH_MAX - 1);
  if (length > 0 && resolved[0] == '/') {
    resolved[length] = '\0';
    return 1;
  }
#elif defined(__APPLE__)
  if (fcntl(fd, F_GETPATH, resolved) == 0)
    return 1;
#endif
  return realpath(path, resolved) != nullptr; // no /proc mounted
}

// Writes to target the file path names, a symbolic link followed by the
// kernel's open, so that a link it refuses (fs.protected_symlinks) fails.
int ResolveTarget(const char *path, char *target, Failure *failure) {
  struct stat st;
  char resolved[PATH_MAX];
  if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
#if defined(O_PATH)
    int fd = open(path, O_PATH | O_CLOEXEC);
#else
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
#endif
    int found = fd >= 0 && PathOfOpenFile(fd, path, resolved);
    int error = errno;
    if (fd >= 0)
      close(fd);
    if (!found)
      return Fail(failure, CLI_CANNOT_WRITE, nullptr, error);
    path = resolved;
  }
  if (strlen(path) >= kCliPathSize)
    return Fail(failure, CLI_CANNOT_WRITE, nullptr, ENAMETOOLONG);
  strcpy(target, path);
  return 1;
}

// The temporary files' names: hidden, and random, so that another
// program's file of that name is never opened.
const char kTempPrefix[] = ".kestrom-";
const int kTempNameSize = sizeof kTempPrefix + 6;
const int kTempNameTries = 100;

// Where the kernel has no getentropy (before 3.17), rand's names still
// differ from one try to the next, and a name that is taken is never used.
void MakeRandomName(char *name) {
  static const char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[6];
  if (getentropy(random, sizeof random) != 0)
    for (unsigned char &byte : random)
      byte = static_cast<unsigned char>(rand());
  memcpy(name, kTempPrefix, sizeof kTempPrefix - 1);
  for (int i = 0; i < 6; ++i)
    name[sizeof kTempPrefix - 1 + i] = kLetters[random[i] % 62];
  name[kTempNameSize - 1] = '\0';
}

// Makes a file in folder under a new random name, written to name: a hard
// link to linked, or an empty file when linked is null. Returns the
// descriptor (0 for a link), or -1 with errno and name empty.
int MakeUnderTempName(int folder, const char *linked, char *name) {
  for (int tries = 0; tries < kTempNameTries; ++tries) {
    MakeRandomName(name);
    int made = linked ? linkat(folder, linked, folder, name, 0)
                      : openat(folder, name,
                               O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (made >= 0)
      return made;
    if (errno != EEXIST)
      break;
  }
  name[0] = '\0';
  return -1;
}

// Fills set with the signals from outside that end the program when nobody
// handles them; not a program error (SIGSEGV), whose state is not trusted.
void CleanupSignals(sigset_t *set) {
  static const int kSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM, SIGUSR1,
                                 SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU};
  sigemptyset(set);
  for (int signal : kSignals)
    sigaddset(set, signal);
#if defined(__linux__)
  static const int kLinuxSignals[] = {SIGPOLL, SIGPWR, SIGSTKFLT};
  for (int signal : kLinuxSignals)
    sigaddset(set, signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
    sigaddset(set, signal);
#endif
}

// Cleans up and says what was done, then ends the run as the signal would.
void OnInterrupt(int number) {
  if (g_interrupt.tempActive)
    unlinkat(g_interrupt.tempFolder, g_interrupt.tempName, 0);
  if (g_interrupt.notesLength)
    (void)!write(STDERR_FILENO, g_interrupt.notes,
                 static_cast<size_t>(g_interrupt.notesLength));
  signal(number, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, number);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(number);
  _exit(128 + number);
}

// Checks an existing target as CreateOutputFile says: rename would put a
// plain file in place of a device, a FIFO or a socket, and it ignores a
// read-only mode. stat does not open the file, so it never waits on a FIFO.
int CheckTarget(int folder, const char *name, struct stat *st, int *exists,
                Failure *failure) {
  *exists = fstatat(folder, name, st, 0) == 0;
  if (!*exists)
    return errno == ENOENT ? 1
                           : Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  if (!CheckRegular(st, CLI_CANNOT_WRITE, failure))
    return 0;
  if (faccessat(folder, name, W_OK, AT_EACCESS) != 0)
    return Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  if (!(st->st_mode & S_IWUSR))
    return Fail(failure, CLI_CANNOT_WRITE, nullptr, EACCES);
  return 1;
}

// Gives the new file the target's owner and group. Only root may give a
// file its owner, and an owner only a group it is in. A replacement that
// could not keep both would lock the owner out and let others in.
int KeepOwner(int fd, const struct stat *st, Failure *failure) {
  struct stat made;
  if ((fstat(fd, &made) == 0 && made.st_uid == st->st_uid &&
       made.st_gid == st->st_gid) ||
      fchown(fd, st->st_uid, st->st_gid) == 0)
    return 1;
  Fail(failure, CLI_OWNER_NOT_KEPT, nullptr, errno);
  snprintf(failure->detail, sizeof failure->detail, CLI_OWNER_AND_GROUP,
           static_cast<unsigned>(st->st_uid),
           static_cast<unsigned>(st->st_gid));
  return 0;
}

#if defined(__linux__)
// What libacl and libattr report, by way of the context they are given,
// while they copy: the attribute being copied, and the first failure.
struct CopyReport {
  error_context context; // first, as the libraries see only it
  const OutputFile *file;
  const char *name;
  int error;
  char failed[256];
};

// Tells libattr whether to copy an attribute, as /etc/xattr.conf says
// (security.evm and the like are not copied; ACLs are perm_copy_fd's),
// and keeps its name for the report.
int CheckAttribute(const char *name, error_context *context) {
  reinterpret_cast<CopyReport *>(context)->name = name;
  return attr_copy_check_permissions(name, context);
}

void NoteLeftOut(const char *path, const char *name, int error) {
  char text[kCliPathSize + 512];
  snprintf(text, sizeof text,
           "kestrom-cli: %s: note: " CLI_ATTRIBUTE_LEFT_OUT ": %s\n", path,
           name, strerror(error));
  char *line = EscapeLine(text, static_cast<int>(strlen(text)));
  if (line)
    fputs(line, stderr);
  free(line);
}

// An attribute the user may not set (security.*, set by root or the
// kernel) is left out with a note, as cp --preserve=all leaves it out; a
// file system without attributes has none. Any other failure fails the file.
void OnCopyFailure(error_context *context, const char *, ...) {
  CopyReport *report = reinterpret_cast<CopyReport *>(context);
  int error = errno;
  if (error == ENOTSUP || report->error)
    return;
  if (error == EPERM && report->name) {
    NoteLeftOut(report->file->given, report->name, error);
    return;
  }
  report->error = error ? error : EIO;
  snprintf(report->failed, sizeof report->failed, "%s",
           report->name ? report->name : "system.posix_acl_access");
}

// Copies the target's ACL, which replaces the one the folder's default ACL
// gave the new file, then its other extended attributes, by descriptor.
int CopyAttributes(int from, int to, const OutputFile *file, Failure *failure) {
  CopyReport report = {{OnCopyFailure, nullptr, nullptr}, file, nullptr, 0, ""};
  perm_copy_fd(file->target, from, file->temp, to, &report.context);
  attr_copy_fd(file->target, from, file->temp, to, CheckAttribute,
               &report.context);
  if (!report.error)
    return 1;
  Fail(failure, CLI_ATTRIBUTE_NOT_KEPT, nullptr, report.error);
  snprintf(failure->detail, sizeof failure->detail, "%s", report.failed);
  return 0;
}
#else
int CopyAttributes(int, int, const OutputFile *, Failure *) { return 1; }
#endif

// Gives fd the target's metadata after the data, as a write clears the
// set-ID bits and the capabilities. The owner goes first (its change clears
// them too), then the mode, then the ACL (which sets the mode's group bits).
int TakeOverMetadata(int fd, const OutputFile *file, Failure *failure) {
  int from = openat(static_cast<int>(file->folder), file->target + file->nameAt,
                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (from < 0) {
    if (errno != ENOENT)
      return Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
    // A new target gets the mode that open gives a new file.
    mode_t mask = umask(0);
    umask(mask);
    (void)!fchmod(fd, 0666 & ~mask);
    return 1;
  }
  struct stat st;
  int ok =
      fstat(from, &st) == 0 || Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  ok = ok && KeepOwner(fd, &st, failure);
  if (ok && fchmod(fd, st.st_mode & 07777) != 0)
    ok = Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  ok = ok && CopyAttributes(from, fd, file, failure);
  close(from);
  return ok;
}

// Opens the folder that holds the target, once. A folder that may be
// searched and written but not read still opens, as a handle for paths.
int OpenFolder(OutputFile *file, Failure *failure) {
  const char *slash = strrchr(file->target, '/');
  file->nameAt = slash ? static_cast<int>(slash - file->target) + 1 : 0;
  char path[kCliPathSize];
  snprintf(path, sizeof path, "%.*s", file->nameAt, file->target);
  const char *folder = file->nameAt ? path : ".";
  int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#if defined(O_PATH)
  if (fd < 0 && errno == EACCES)
    fd = open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
  if (fd < 0)
    return Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  file->folder = fd;
  return 1;
}

// True when the folder held is still the one the target's path names.
int FolderStillThere(const OutputFile *file) {
  char folder[kCliPathSize];
  snprintf(folder, sizeof folder, "%.*s", file->nameAt, file->target);
  struct stat held, named;
  return fstat(static_cast<int>(file->folder), &held) == 0 &&
         stat(file->nameAt ? folder : ".", &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Flushes the folder, so that what is made in it is on the disk. A folder
// held only to be searched cannot be flushed, and is left to the system.
int SyncFolder(int folder) {
  return fsync(folder) == 0 || errno == EBADF || errno == EINVAL;
}

// True for the errors of a volume without hard links (FAT, some network
// shares); a copy would meet any other error (no room, no right) as well.
int LinksRefused(int error) {
  return error == EPERM || error == EMLINK || error == EXDEV ||
         error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS;
}

int CopyBytes(int from, int to) {
  static const int kChunk = 1 << 16;
  unsigned char chunk[kChunk];
  for (;;) {
    ssize_t got = read(from, chunk, kChunk);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return got == 0;
    for (ssize_t done = 0; done < got;) {
      ssize_t put = write(to, chunk + done, static_cast<size_t>(got - done));
      if (put < 0 && errno != EINTR)
        return 0;
      done += put > 0 ? put : 0;
    }
  }
}

// A file's last access, last write and last change; macOS has other names.
void GetTimes(const struct stat *st, struct timespec times[3]) {
#if defined(__APPLE__)
  times[0] = st->st_atimespec;
  times[1] = st->st_mtimespec;
  times[2] = st->st_ctimespec;
#else
  times[0] = st->st_atim;
  times[1] = st->st_mtim;
  times[2] = st->st_ctim;
#endif
}

// Copies the target, with its metadata and times, to a new file under a
// random name in its folder, flushed. On failure the new file is gone.
int CopyUnderTempName(const OutputFile *file, char *temp, Failure *failure) {
  int folder = static_cast<int>(file->folder);
  int from = openat(folder, file->target + file->nameAt, O_RDONLY | O_CLOEXEC);
  int to = from >= 0 ? MakeUnderTempName(folder, nullptr, temp) : -1;
  struct stat st;
  struct timespec times[3];
  int ok = (to >= 0 && CopyBytes(from, to) && fstat(from, &st) == 0) ||
           Fail(failure, CLI_CANNOT_BACK_UP, file->backup, errno);
  ok = ok && TakeOverMetadata(to, file, failure);
  if (ok)
    GetTimes(&st, times);
  if (ok && (futimens(to, times) != 0 || fsync(to) != 0))
    ok = Fail(failure, CLI_CANNOT_BACK_UP, file->backup, errno);
  if (from >= 0)
    close(from);
  if (to >= 0 && close(to) != 0 && ok)
    ok = Fail(failure, CLI_CANNOT_BACK_UP, file->backup, errno);
  if (!ok && to >= 0)
    unlinkat(folder, temp, 0);
  return ok;
}

long long Nanoseconds(const struct timespec &time) {
  return time.tv_sec * 1000000000LL + time.tv_nsec;
}

FileState StateOf(const struct stat *st) {
  struct timespec times[3];
  GetTimes(st, times);
  return {{static_cast<unsigned long long>(st->st_dev),
           static_cast<unsigned long long>(st->st_ino)},
          st->st_size,
          Nanoseconds(times[1]),
          Nanoseconds(times[2])};
}

struct SideJob {
  void (*job)(void *);
  void *argument;
};

void *RunSideJob(void *context) {
  SideJob *side = static_cast<SideJob *>(context);
  side->job(side->argument);
  return nullptr;
}

} // namespace

void BlockInterrupt(int block) {
  sigset_t set;
  CleanupSignals(&set);
  pthread_sigmask(block ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void SystemWords(const Failure *failure, char *words, int size) {
  snprintf(words, static_cast<size_t>(size), "%s", strerror(failure->error));
}

void UseBinaryStream(FILE *) {}

// O_NONBLOCK: a FIFO opens at once instead of waiting for a writer, and is
// then refused as not a regular file.
int OpenPlatformInput(const char *path, InputFile *file, Failure *failure) {
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0)
    return Fail(failure, CLI_CANNOT_OPEN, nullptr, errno);
  struct stat st;
  int ok =
      fstat(fd, &st) == 0 || Fail(failure, CLI_CANNOT_OPEN, nullptr, errno);
  ok = ok && CheckRegular(&st, CLI_CANNOT_OPEN, failure);
  // Counts and line numbers are ints, as in the dialog.
  if (ok && st.st_size >= INT_MAX)
    ok = Fail(failure, CLI_CANNOT_READ, nullptr, EFBIG);
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
                      int capacity, int *got, Failure *failure) {
  int fd = static_cast<int>(file->handle);
  int done = 0;
  while (done < capacity) {
    ssize_t n = pread(fd, buffer + done, static_cast<size_t>(capacity - done),
                      static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return Fail(failure, CLI_CANNOT_READ, nullptr, errno);
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

// The owner and group are tried on the empty temporary file, so that a
// target is refused before anything is written.
int CreatePlatformOutput(const char *path, OutputFile *file, Failure *failure) {
  struct stat st;
  file->handle = -1;
  file->folder = -1;
  if (!ResolveTarget(path, file->target, failure) || !OpenFolder(file, failure))
    return 0;
  int folder = static_cast<int>(file->folder);
  memcpy(file->temp, file->target, file->nameAt);
  char *name = file->temp + file->nameAt;
  name[0] = '\0';
  int ok = file->nameAt + kTempNameSize <= kCliPathSize ||
           Fail(failure, CLI_CANNOT_WRITE, nullptr, ENAMETOOLONG);
  ok = ok && CheckTarget(folder, file->target + file->nameAt, &st,
                         &file->replaces, failure);
  if (ok)
    file->handle = MakeUnderTempName(folder, nullptr, name);
  if (ok && file->handle < 0)
    ok = Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  ok = ok && (!file->replaces ||
              KeepOwner(static_cast<int>(file->handle), &st, failure));
  if (!ok)
    RemovePlatformTemp(file);
  return ok;
}

int WritePlatformOutput(OutputFile *file, long long offset,
                        const unsigned char *data, int size, Failure *failure) {
  int fd = static_cast<int>(file->handle);
  int done = 0;
  while (done < size) {
    ssize_t n = pwrite(fd, data + done, static_cast<size_t>(size - done),
                       static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
    done += static_cast<int>(n);
  }
#if defined(__linux__)
  // The disk starts on a piece as soon as it is written, while the rest
  // converts. Otherwise it would all happen at the end, inside the rename
  // that replaces the target (ext4 writes the new data out first).
  sync_file_range(fd, offset, size, SYNC_FILE_RANGE_WRITE);
#endif
  return 1;
}

// fsync before the rename: the write-out started piece by piece leaves it
// little to wait for.
int FinishPlatformOutput(OutputFile *file, Failure *failure) {
  int fd = static_cast<int>(file->handle);
  file->handle = -1;
  int ok = TakeOverMetadata(fd, file, failure);
  if (ok && fsync(fd) != 0)
    ok = Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  if (close(fd) != 0 && ok)
    ok = Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  return ok;
}

int MovePlatformOutput(OutputFile *file, Failure *failure) {
  int folder = static_cast<int>(file->folder);
  int moved = FolderStillThere(file) ||
              FailBecause(failure, CLI_FOLDER_MOVED, nullptr, nullptr);
  if (moved && renameat(folder, file->temp + file->nameAt, folder,
                        file->target + file->nameAt) != 0)
    moved = Fail(failure, CLI_CANNOT_WRITE, nullptr, errno);
  if (moved)
    file->temp[file->nameAt] = '\0'; // nothing of it to remove
  // Until its folder is on the disk, a power cut can bring the old file back.
  if (moved && !SyncFolder(folder))
    moved = Fail(failure, CLI_NOT_FLUSHED, nullptr, errno);
  RemovePlatformTemp(file);
  return moved;
}

// Through the folder held: where the folder went, the file goes.
void RemovePlatformTemp(OutputFile *file) {
  if (file->handle >= 0)
    close(static_cast<int>(file->handle));
  file->handle = -1;
  if (file->folder < 0)
    return;
  if (file->temp[file->nameAt])
    unlinkat(static_cast<int>(file->folder), file->temp + file->nameAt, 0);
  close(static_cast<int>(file->folder));
  file->folder = -1;
}

int HighestPlatformBackup(const OutputFile *file, long long *highest,
                          Failure *failure) {
  int fd = openat(static_cast<int>(file->folder), ".",
                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR *folder = fd >= 0 ? fdopendir(fd) : nullptr;
  if (!folder) {
    int error = errno;
    if (fd >= 0)
      close(fd);
    return Fail(failure, CLI_CANNOT_NAME_BACKUP, nullptr, error);
  }
  *highest = 0;
  for (struct dirent *entry; (entry = readdir(folder));) {
    long long number = BackupNumber(entry->d_name, file->target + file->nameAt);
    *highest = number > *highest ? number : *highest;
  }
  closedir(folder);
  return 1;
}

// A numbered backup's name taken since the folder was read (by a run
// beside this one) fails with EEXIST. Where the file system has no such
// rename, a link never replaces either; else a plain rename is all there is.
int RenameBackup(int folder, const char *temp, const char *backup,
                 int numbered) {
  if (!numbered)
    return renameat(folder, temp, folder, backup) == 0;
#if defined(__linux__)
  if (renameat2(folder, temp, folder, backup, RENAME_NOREPLACE) == 0)
    return 1;
  if (errno != EINVAL)
    return 0;
#endif
  if (linkat(folder, temp, folder, backup, 0) == 0)
    return unlinkat(folder, temp, 0), 1;
  return LinksRefused(errno) && renameat(folder, temp, folder, backup) == 0;
}

// A simple backup replaces an older one of its name, unless that is a name
// of the target already (a hard link), which rename would leave as it is.
// Once renamed the backup is made, whatever the flush of its folder says.
int BackUpPlatformTarget(OutputFile *file, int numbered, int *taken,
                         Failure *failure) {
  int folder = static_cast<int>(file->folder);
  const char *name = file->backup + file->nameAt;
  struct stat backup, target;
  int older = fstatat(folder, name, &backup, AT_SYMLINK_NOFOLLOW) == 0;
  if (older && fstatat(folder, file->target + file->nameAt, &target, 0) == 0 &&
      backup.st_dev == target.st_dev && backup.st_ino == target.st_ino)
    return 1;
  char temp[kTempNameSize];
  if (MakeUnderTempName(folder, file->target + file->nameAt, temp) < 0) {
    if (!LinksRefused(errno))
      return Fail(failure, CLI_CANNOT_BACK_UP, file->backup, errno);
    if (!CopyUnderTempName(file, temp, failure))
      return 0;
  }
  if (!RenameBackup(folder, temp, name, numbered)) {
    int error = errno;
    unlinkat(folder, temp, 0);
    *taken = numbered && error == EEXIST;
    return Fail(failure, CLI_CANNOT_BACK_UP, file->backup, error);
  }
  return SyncFolder(folder) || Fail(failure,
                                    older ? CLI_BACKUP_OVER_OLDER_NOT_FLUSHED
                                          : CLI_BACKUP_NOT_FLUSHED,
                                    file->backup, errno);
}

void InstallInterruptCleanup(void) {
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  sigset_t cleanup;
  CleanupSignals(&cleanup);
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  action.sa_mask = cleanup;
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction old;
    // A signal ignored by whoever started us (nohup) stays ignored.
    if (sigismember(&cleanup, signal) == 1 &&
        sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
      sigaction(signal, &action, nullptr);
  }
}

int StandardInputIsTerminal(void) { return isatty(STDIN_FILENO); }

int LookAtFile(const char *path, FileState *state) {
  struct stat st;
  if (stat(path, &st) != 0)
    return 0;
  *state = StateOf(&st);
  return 1;
}

// Terminals here take the bytes as they come, once escaped.
void WritePlatformLine(FILE *stream, const char *text) { fputs(text, stream); }

void RunSideBySide(void (*job)(void *), void *first, void *second) {
  SideJob side = {job, second};
  pthread_t thread;
  int started = pthread_create(&thread, nullptr, RunSideJob, &side) == 0;
  job(first);
  if (started)
    pthread_join(thread, nullptr);
  else
    job(second);
}
