// kestrom-cli as a user meets it: the built program started as a child
// process on copies of the shared fixtures, with its exit status, its
// messages and every file in its folder checked afterwards.
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test_files.h"
#include "kestrom_version.h"
#include "qif_messages.h"
#include "qif_reference.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status; // exit code, 128 + the signal that ended it, or -1 for a hang
  std::string out;
  std::string err;
};

// The program under test: the one built with these tests, or another
// build of it named in KESTROM_CLI_UNDER_TEST (to see a test fail on an
// older build).
const char *CliPath() {
  const char *other = getenv("KESTROM_CLI_UNDER_TEST");
  return other && *other ? other : KESTROM_CLI_PATH;
}

std::string MakeFolder() {
  char name[] = "/tmp/kestrom-cli-test-XXXXXX";
  return mkdtemp(name) ? name : "";
}

std::vector<std::string> Listing(const std::string &folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry &entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

int CountLines(const std::string &text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string Repeat(const std::string &text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i)
    all += text;
  return all;
}

class CliProgram : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = MakeFolder();
    captures_ = MakeFolder();
    ASSERT_FALSE(folder_.empty() || captures_.empty());
  }

  void TearDown() override {
    if (!mounted_.empty())
      umount2(mounted_.c_str(), MNT_DETACH);
    if (terminal_ >= 0)
      close(terminal_);
    fs::remove_all(folder_);
    fs::remove_all(captures_);
  }

  std::string In(const std::string &name) const { return folder_ + "/" + name; }

  // Copies a fixture into the test's folder; returns the copy's path.
  std::string Copy(const std::string &fixture, const std::string &as) {
    std::string path = In(as);
    WriteBytes(path, ReadBytes(FixturePath(fixture)));
    return path;
  }

  // Starts the program, after prefix (setpriv), with stdin read from input
  // and stdout and stderr sent to files outside the folder under test.
  pid_t StartCli(const std::vector<std::string> &args,
                 const std::string &input = "/dev/null",
                 const std::string &output = "",
                 std::vector<std::string> all = {}) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    for (int fd : {1, 2})
      posix_spawn_file_actions_addopen(
          &actions, fd,
          (fd == 1 && !output.empty() ? output : Capture(fd)).c_str(),
          O_WRONLY | O_CREAT | O_TRUNC, 0600);
    all.push_back(CliPath());
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &a : all)
      argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ))
      pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }

  std::string Capture(int fd) const {
    return captures_ + (fd == 1 ? "/out" : "/err");
  }

  // Waits for the child; one still running after ten seconds hangs, and is
  // killed and reported as status -1.
  CliRun FinishCli(pid_t pid) {
    CliRun run = {-1, "", ""};
    int status = 0, waited = 0;
    while (pid && waitpid(pid, &status, WNOHANG) == 0 && ++waited < 10000)
      usleep(1000);
    if (pid && waited == 10000)
      kill(pid, SIGKILL), waitpid(pid, &status, 0);
    else if (pid && WIFEXITED(status))
      run.status = WEXITSTATUS(status);
    else if (pid && WIFSIGNALED(status))
      run.status = 128 + WTERMSIG(status);
    run.out = ReadBytes(Capture(1));
    run.err = WithoutSanitizerNotes(ReadBytes(Capture(2)));
    return run;
  }

  // Under AddressSanitizer, a signal that ends the run on the second
  // thread's stack can draw a warning of the sanitizer's own; it is not
  // the program's output.
  static std::string WithoutSanitizerNotes(std::string err) {
    const std::string note =
        "ASan is ignoring requested __asan_handle_no_return";
    size_t at = err.find(note);
    if (at == std::string::npos)
      return err;
    size_t start = err.rfind("==", err.rfind("==", at) - 1);
    size_t end = err.find("issues/189\n", at);
    if (start == std::string::npos || end == std::string::npos)
      return err;
    return err.erase(start, end + strlen("issues/189\n") - start);
  }

  CliRun RunCli(const std::vector<std::string> &args,
                const std::string &input = "/dev/null",
                const std::string &output = "") {
    return FinishCli(StartCli(args, input, output));
  }

  bool Writing() const {
    return Listing(folder_).at(0).rfind(".kestrom-", 0) == 0;
  }

  // Starts a conversion and stops it while its temporary file exists, so
  // that something can happen to the file in mid-run. Returns the stopped
  // child, or 0 when the run ended first.
  pid_t StartAndStopMidRun(const std::vector<std::string> &args) {
    pid_t pid = StartCli(args);
    for (int i = 0; pid && i < 20000 && !Writing(); ++i)
      usleep(100);
    kill(pid, SIGSTOP);
    if (Writing())
      return pid;
    kill(pid, SIGCONT), FinishCli(pid);
    return 0;
  }

  // Starts a conversion under strace, the system calls inject names held
  // for a second, and returns the program's pid once ready() (or after two
  // seconds). *tracer is strace's, whose status is the program's.
  pid_t StartHeld(const std::vector<std::string> &args, const char *inject,
                  const std::function<bool()> &ready, pid_t *tracer) {
    *tracer =
        StartCli(args, "/dev/null", "",
                 {"strace", "-fo/dev/null",
                  std::string("-einject=") + inject + ":delay_exit=1000000"});
    for (int i = 0; *tracer && i < 20000 && !ready(); ++i)
      usleep(100);
    std::string tracee = "/proc/" + std::to_string(*tracer) + "/task/" +
                         std::to_string(*tracer) + "/children";
    return atoi(ReadBytes(tracee).c_str());
  }

  // Held once the rename has begun: the temporary file made, then gone.
  pid_t StartHeldInRename(const std::vector<std::string> &args, pid_t *tracer) {
    bool made = false;
    return StartHeld(
        args, "rename,renameat,renameat2",
        [&] { return (made = made || Writing()) && !Writing(); }, tracer);
  }

  std::string folder_;
  std::string captures_;
  std::string mounted_;
  int terminal_ = -1;

  // A terminal to give the program as standard input: a new pty's end.
  std::string Terminal() {
    terminal_ = posix_openpt(O_RDWR | O_NOCTTY);
    return terminal_ >= 0 && grantpt(terminal_) == 0 && unlockpt(terminal_) == 0
               ? ptsname(terminal_)
               : "/dev/null";
  }
};

TEST_F(CliProgram, ConvertsEveryDateFormInPlace) {
  std::string bank = Copy("bank_mdy_crlf.qif", "bank.qif");
  std::string accounts = Copy("accounts_lf_noeol.qif", "accounts.qif");
  std::string shortForms = Copy("short_forms.qif", "short.qif");
  std::string crOnly = Copy("cr_only_accounts.qif", "cr.qif");
  std::string bom = Copy("bom_accounts.qif", "bom.qif");
  CliRun run = RunCli({bank, accounts, shortForms, crOnly, bom});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(ReadBytes(FixturePath("cr_only_accounts.every-date.qif")),
            ReadBytes(crOnly));
  EXPECT_EQ(ReadBytes(FixturePath("bom_accounts.every-date.qif")),
            ReadBytes(bom));
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")),
            ReadBytes(bank));
  EXPECT_EQ(ReadBytes(FixturePath("accounts_lf_noeol.every-date.qif")),
            ReadBytes(accounts));
  EXPECT_EQ(ReadBytes(FixturePath("short_forms.every-date.qif")),
            ReadBytes(shortForms));
  EXPECT_EQ((std::vector<std::string>{"accounts.qif", "bank.qif", "bom.qif",
                                      "cr.qif", "short.qif"}),
            Listing(folder_));
  EXPECT_EQ("", run.err);
  EXPECT_EQ("", run.out);
}

// "--check *.qif && kestrom-cli *.qif" must never half convert: a date no
// rule converts makes --check fail and the conversion refuse, listing it.
TEST_F(CliProgram, NeverHalfConvertsWithoutYes) {
  std::string content = ReadBytes(FixturePath("bank_mdy_crlf.qif")) +
                        "D12345\r\nPx\r\n^\r\nD1/5\r\n";
  std::string file = In("bank.qif");
  WriteBytes(file, content);
  CliRun check = RunCli({"--check", file});
  EXPECT_EQ(1, check.status);
  EXPECT_EQ(file + ":41: date that no rule converts: D12345\n" + file +
                ":44: date that no rule converts: D1/5\n" + file +
                ": 6 dates to convert and 12 payee/memo lines to exchange\n" +
                file +
                ":41: would not convert without --yes: 2 dates that no rule "
                "converts would leave it half converted\n",
            check.out);
  CliRun refused = RunCli({file});
  EXPECT_EQ(1, refused.status);
  EXPECT_EQ("kestrom-cli: " + file +
                ":41: date that no rule converts: D12345\n"
                "kestrom-cli: " +
                file +
                ":44: date that no rule converts: D1/5\n"
                "kestrom-cli: " +
                file +
                ":41: not converted without --yes: 2 dates that no rule "
                "converts would leave it half converted\n",
            refused.err);
  EXPECT_EQ(content, ReadBytes(file));
  EXPECT_EQ(std::vector<std::string>{"bank.qif"}, Listing(folder_));
  CliRun yes = RunCli({"--yes", file});
  EXPECT_EQ(0, yes.status) << yes.err;
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")) +
                "D12345\r\nMx\r\n^\r\nD1/5\r\n",
            ReadBytes(file));
  EXPECT_NE(std::string::npos,
            yes.err.find(":41: warning: 2 dates that no rule converts left "
                         "as they were, as --yes was given"));
}

// D20070122 is year-first, never month 20: read the same in either order,
// it is kept as written and asks nothing.
TEST_F(CliProgram, YearFirstDatesAreKeptWithoutAQuestion) {
  std::string file = Copy("year_first.qif", "year.qif");
  CliRun check = RunCli({"--check", file});
  EXPECT_EQ(0, check.status);
  EXPECT_EQ(file + ": 0 dates to convert and 3 payee/memo lines to exchange; "
                   "2 dates are year-first and stay as they are\n",
            check.out);
  CliRun run = RunCli({"-v", file});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kestrom-cli: " + file +
                ": converted in place: 0 dates and 3 payee/memo lines "
                "changed; 2 dates are year-first and stay as they are\n",
            run.err);
  EXPECT_EQ(ReadBytes(FixturePath("year_first.every-date.qif")),
            ReadBytes(file));
}

// No QIF header and no record end: a README, whose image line starts with
// '!' and whose "Plus ..." line the letter rule would turn into "Mlus ...".
TEST_F(CliProgram, NotAQifFileIsRefusedUntouchedUnlessYes) {
  const std::string content = "# Notes\n![The dialog](d.png)\nPlus one\n";
  std::string file = In("notes.md");
  WriteBytes(file, content);
  CliRun check = RunCli({"--check", file});
  EXPECT_EQ(1, check.status);
  EXPECT_NE(std::string::npos,
            check.out.find(": would not convert without --yes: not a QIF "
                           "file: no line holds a header such as !Type:Bank "
                           "or ends a record with ^\n"));
  CliRun refused = RunCli({file});
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos,
            refused.err.find(": not converted without --yes: not a QIF file"));
  EXPECT_EQ(content, ReadBytes(file));
  EXPECT_EQ(0, RunCli({"--yes", file}).status);
  EXPECT_EQ("# Notes\n![The dialog](d.png)\nMlus one\n", ReadBytes(file));
  // --yes answers questions; nothing converts binary data.
  // A CR, then '^'; a line starts with P, as the letter rule would see it.
  const std::string png("\x89PNG\r\n\x1a\nPLTE\0\r^\r", 16);
  WriteBytes(file, png);
  for (std::vector<std::string> args :
       {std::vector<std::string>{file}, {"--yes", file}}) {
    CliRun binary = RunCli(args);
    EXPECT_EQ(1, binary.status) << args[0];
    EXPECT_EQ("kestrom-cli: " + file +
                  ": not converted: not a QIF file: it holds binary data "
                  "(byte 0x1A on line 2)\n",
              binary.err);
    args.insert(args.begin(), "--check");
    CliRun check = RunCli(args);
    EXPECT_EQ(1, check.status) << args[1];
    EXPECT_EQ(file +
                  ": 0 dates to convert and 1 payee/memo line to exchange\n" +
                  file +
                  ": would not convert: not a QIF file: it holds binary data "
                  "(byte 0x1A on line 2)\n",
              check.out);
    EXPECT_EQ(png, ReadBytes(file));
  }
}

TEST_F(CliProgram, YesConvertsAFileThatLooksDayFirst) {
  std::string file = Copy("bank_dayfirst.qif", "dayfirst.qif");
  CliRun run = RunCli({"--yes", file});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(ReadBytes(FixturePath("bank_dayfirst.yes.qif")), ReadBytes(file));
  EXPECT_NE(std::string::npos,
            run.err.find(":7: note: converted as --yes was given: its dates "
                         "look day-first already (month 25)\n"));
}

TEST_F(CliProgram, RefusesAFileThatLooksDayFirst) {
  std::string file = Copy("bank_dayfirst.qif", "dayfirst.qif");
  struct stat before, after;
  ASSERT_EQ(0, stat(file.c_str(), &before));
  CliRun run = RunCli({file});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kestrom-cli: " + file +
                ":7: not converted without --yes: its dates look day-first "
                "already (month 25)\n",
            run.err);
  ASSERT_EQ(0, stat(file.c_str(), &after));
  EXPECT_EQ(before.st_ino, after.st_ino); // not replaced, not even by a copy
  EXPECT_EQ(ReadBytes(FixturePath("bank_dayfirst.qif")), ReadBytes(file));
  EXPECT_EQ(std::vector<std::string>{"dayfirst.qif"}, Listing(folder_));
}

TEST_F(CliProgram, OutputOptionWritesElsewhereAndLeavesTheInput) {
  std::string in = Copy("bank_mdy_crlf.qif", "in.qif");
  CliRun run = RunCli({"-o", In("out.qif"), in});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")),
            ReadBytes(In("out.qif")));
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.qif")), ReadBytes(in));
  EXPECT_EQ((std::vector<std::string>{"in.qif", "out.qif"}), Listing(folder_));
}

TEST_F(CliProgram, OneFailureDoesNotStopTheOthers) {
  std::string first = Copy("bank_mdy_crlf.qif", "a.qif");
  std::string refused = Copy("bank_dayfirst.qif", "b.qif");
  std::string last = Copy("accounts_lf_noeol.qif", "c.qif");
  CliRun run = RunCli({first, In("missing.qif"), refused, last});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")),
            ReadBytes(first));
  EXPECT_EQ(ReadBytes(FixturePath("bank_dayfirst.qif")), ReadBytes(refused));
  EXPECT_EQ(ReadBytes(FixturePath("accounts_lf_noeol.every-date.qif")),
            ReadBytes(last));
  EXPECT_NE(std::string::npos,
            run.err.find(In("missing.qif") +
                         ": cannot open: No such file or directory\n"));
  EXPECT_EQ((std::vector<std::string>{"a.qif", "b.qif", "c.qif"}),
            Listing(folder_));
}

TEST_F(CliProgram, CheckCountsBothRulesAndWritesNothing) {
  std::string file = Copy("bank_mdy_crlf.qif", "bank.qif");
  CliRun run = RunCli({"--check", file});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(file + ": 6 dates to convert and 11 payee/memo lines to exchange\n",
            run.out);
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.qif")), ReadBytes(file));
  EXPECT_EQ(std::vector<std::string>{"bank.qif"}, Listing(folder_));
  std::string full = Copy("full_export.qif", "full.qif");
  EXPECT_EQ(full + ": 4 dates to convert and 5 payee/memo lines to exchange, "
                   "and the header !Option:MDY to rewrite as !Option:DMY\n",
            RunCli({"--check", full}).out);
}

TEST_F(CliProgram, CheckSaysWhereADayFirstFileWouldBeRefused) {
  std::string file = Copy("bank_dayfirst.qif", "dayfirst.qif");
  CliRun refused = RunCli({"--check", file});
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos,
            refused.out.find(file + ":7: would not convert without --yes: its "
                                    "dates look day-first already (month "
                                    "25)\n"));
  CliRun allowed = RunCli({"--check", "--yes", file});
  EXPECT_EQ(0, allowed.status);
  EXPECT_EQ(ReadBytes(FixturePath("bank_dayfirst.qif")), ReadBytes(file));
  WriteBytes(file, "!Type:Bank\n!Option:DMY\n");
  EXPECT_NE(std::string::npos,
            RunCli({"--check", file})
                .out.find(":2: would not convert without --yes: its dates "
                          "look day-first already (!Option:DMY)\n"));
}

struct BadInput {
  const char *name;
  int status;
  const char *reason;
};

// An empty file is no failure: there is nothing to convert, as -v says.
TEST_F(CliProgram, BadInputGetsOneLineAndNoWrite) {
  WriteBytes(In("empty.qif"), "");
  fs::create_directory(In("folder.qif"));
  const BadInput cases[] = {
      {"missing.qif", 1, "cannot open: No such file or directory"},
      {"folder.qif", 1, "cannot open: Is a directory"},
      {"empty.qif", 0, "nothing to convert: the file is empty"},
  };
  for (const BadInput &c : cases) {
    CliRun run = RunCli({"-v", "--yes", In(c.name)});
    EXPECT_EQ(c.status, run.status) << c.name;
    EXPECT_EQ("kestrom-cli: " + In(c.name) + ": " + c.reason + "\n", run.err);
    EXPECT_EQ((std::vector<std::string>{"empty.qif", "folder.qif"}),
              Listing(folder_));
    EXPECT_EQ("", ReadBytes(In("empty.qif")));
  }
}

TEST_F(CliProgram, OutputIntoAMissingFolderFailsAndLeavesNoTrace) {
  std::string in = Copy("bank_mdy_crlf.qif", "in.qif");
  std::string out = In("no-such-folder/out.qif");
  CliRun run = RunCli({"-o", out, in});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kestrom-cli: " + out +
                ": cannot write: No such file or directory\n",
            run.err);
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.qif")), ReadBytes(in));
  EXPECT_EQ(std::vector<std::string>{"in.qif"}, Listing(folder_));
}

TEST_F(CliProgram, OutputOntoAFolderFailsAndRemovesItsTemporaryFile) {
  std::string in = Copy("bank_mdy_crlf.qif", "in.qif");
  fs::create_directory(In("taken"));
  CliRun run = RunCli({"-o", In("taken"), in});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kestrom-cli: " + In("taken") + ": cannot write: Is a directory\n",
            run.err);
  EXPECT_TRUE(fs::is_directory(In("taken")));
  EXPECT_TRUE(fs::is_empty(In("taken")));
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.qif")), ReadBytes(in));
  EXPECT_EQ((std::vector<std::string>{"in.qif", "taken"}), Listing(folder_));
}

TEST_F(CliProgram, FullDiskLeavesTheOriginalAndNoTemporaryFile) {
  std::string disk = In("disk");
  fs::create_directory(disk);
  // Four pages: a ten-kilobyte file fits, a second copy of it does not.
  if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << strerror(errno)
                 << "); the full-disk case needs root";
  mounted_ = disk;
  std::string content =
      Repeat(ReadBytes(FixturePath("bank_mdy_crlf.qif")), 25); // 9975 bytes
  std::string file = disk + "/export.qif";
  WriteBytes(file, content);
  ASSERT_EQ(content, ReadBytes(file));
  CliRun run = RunCli({file});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kestrom-cli: " + file +
                ": cannot write: No space left on device\n",
            run.err);
  EXPECT_EQ(content, ReadBytes(file));
  EXPECT_EQ(std::vector<std::string>{"export.qif"}, Listing(disk));
}

TEST_F(CliProgram, KeepsPermissionsAndFollowsASymbolicLink) {
  std::string file = Copy("bank_mdy_crlf.qif", "real.qif");
  ASSERT_EQ(0, chmod(file.c_str(), 0640));
  fs::create_symlink("real.qif", In("link.qif"));
  CliRun run = RunCli({In("link.qif")});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(fs::is_symlink(In("link.qif")));
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")),
            ReadBytes(file));
  struct stat st;
  ASSERT_EQ(0, stat(file.c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 07777);
  EXPECT_EQ((std::vector<std::string>{"link.qif", "real.qif"}),
            Listing(folder_));
}

// One row: the arguments, run in the folder that holds a.qif; the file
// replaced; a file there before (-o's target, an older backup); what must
// hold the bytes replaced ("" for none); the folder after; the calls strace
// fails with EPERM; the message of a refusal. Words split at spaces.
struct BackupCase {
  const char *args, *target, *there, *backup, *listing, *refused, *err;
};

std::vector<std::string> Words(const char *text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;)
    words.push_back(word);
  return words;
}

// -b and its kinds, as cp has them: the backup holds the bytes replaced,
// with the mode and times, and is the original file itself (a hard link)
// unless links are refused. A backup that would replace the input is
// refused before anything is written.
TEST_F(CliProgram, BackupsKeepWhatIsReplaced) {
  const bool traced = system("strace -o /dev/null true >/dev/null 2>&1") == 0;
  const char *kSelf = "kestrom-cli: a: cannot make the backup a.qif: it is "
                      "the file being converted\n";
  const BackupCase rows[] = {
      {"-b a.qif", "a.qif", "", "a.qif~", "a.qif a.qif~", "", ""},
      {"-b a.qif", "a.qif", "a.qif.~9~", "a.qif.~10~",
       "a.qif a.qif.~10~ a.qif.~9~", "", ""},
      {"--backup=t a.qif", "a.qif", "", "a.qif.~1~", "a.qif a.qif.~1~", "", ""},
      {"--suffix=.orig a.qif", "a.qif", "", "a.qif.orig", "a.qif a.qif.orig",
       "", ""},
      {"--backup=off a.qif", "a.qif", "", "", "a.qif", "", ""},
      {"-bo out.qif a.qif", "out.qif", "out.qif", "out.qif~",
       "a.qif out.qif out.qif~", "", ""},
      {"-bo new.qif a.qif", "new.qif", "", "", "a.qif new.qif", "", ""},
      {"-b a.qif", "a.qif", "", "a.qif~", "a.qif a.qif~", "link,linkat", ""},
      {"-bS.qif -o a a.qif", "a", "a", "", "a a.qif", "", kSelf},
  };
  for (const BackupCase &c : rows) {
    if (*c.refused && !traced)
      continue;
    fs::remove_all(folder_), fs::create_directory(folder_);
    WriteBytes(In("a.qif"), ReadBytes(FixturePath("bank_mdy_crlf.qif")));
    if (*c.there)
      WriteBytes(In(c.there), "old");
    std::string target = In(c.target), replaced = ReadBytes(target);
    struct stat before = {}, backup = {};
    chmod(target.c_str(), 0640), stat(target.c_str(), &before);
    std::vector<std::string> runner = {"env", "-C", folder_};
    if (*c.refused) // LeakSanitizer cannot work under strace
      runner.insert(runner.end(),
                    {"ASAN_OPTIONS=detect_leaks=0", "strace", "-fo/dev/null",
                     std::string("-einject=") + c.refused + ":error=EPERM"});
    CliRun run = FinishCli(StartCli(Words(c.args), "/dev/null", "", runner));
    EXPECT_EQ(*c.err ? 1 : 0, run.status) << c.args;
    EXPECT_EQ(c.err, run.err) << c.args;
    EXPECT_EQ(Words(c.listing), Listing(folder_)) << c.args;
    EXPECT_EQ(*c.err ? replaced
                     : ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")),
              ReadBytes(target));
    if (!*c.backup)
      continue;
    EXPECT_EQ(replaced, ReadBytes(In(c.backup))) << c.backup;
    ASSERT_EQ(0, stat(In(c.backup).c_str(), &backup)) << c.backup;
    EXPECT_EQ(before.st_mode, backup.st_mode) << c.backup;
    EXPECT_EQ(before.st_mtim.tv_nsec, backup.st_mtim.tv_nsec) << c.backup;
    EXPECT_EQ(!*c.refused, before.st_ino == backup.st_ino) << c.backup;
  }
}

// The same path again, another spelling or a symbolic link: converted
// once, not back again. A hard link keeps the old file, as the converted
// one replaces only the name given, so it is converted in its own right.
TEST_F(CliProgram, AFileNamedTwiceIsConvertedOnce) {
  std::string file = Copy("bank_mdy_crlf.qif", "bank.qif");
  fs::create_symlink("bank.qif", In("link.qif"));
  fs::create_hard_link(file, In("hard.qif"));
  CliRun run = RunCli({file, In("./bank.qif"), In("link.qif"), In("hard.qif")});
  EXPECT_EQ(0, run.status) << run.err;
  for (const char *name : {"bank.qif", "hard.qif"})
    EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")),
              ReadBytes(In(name)));
  EXPECT_NE(std::string::npos,
            run.err.find(In("link.qif") + ": note: skipped, the same file as " +
                         file + "\n"));
  EXPECT_EQ(2, CountLines(run.err)) << run.err; // 2 notes
}

// Large files are converted as two halves side by side; the result and the
// line numbers must be those of one walk over the whole file.
TEST_F(CliProgram, LargeFileConvertsAsOneWhole) {
  const int copies = 22000; // 40 lines and 399 bytes each: about 8.8 MB
  std::string in = In("large.qif");
  WriteBytes(in, Repeat(ReadBytes(FixturePath("bank_mdy_crlf.qif")), copies));
  CliRun run = RunCli({"-o", In("out.qif"), in});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(
      ReadBytes(In("out.qif")) ==
      Repeat(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")), copies));
  EXPECT_EQ("", run.err);
}

// Random lines dense with short forms, dates split by an LF, CR-only line
// ends and raw bytes, so that every place a large file is cut (each piece
// and the two halves) falls near one: the result must be a plain walk's.
TEST_F(CliProgram, LargeFileWithShortFormsEverywhereMatchesAPlainWalk) {
  static const char *const kLines[] = {"D1/5/99\n",
                                       "D 6/ 3/17\r\n",
                                       "D5/23' 5\n",
                                       "D12/3/99\n",
                                       "D12\n",
                                       "34\n",
                                       "D1.5.99\n",
                                       "D2014-12-31\n",
                                       "PA\xe9\n",
                                       "Mz\r",
                                       "\xff\x80\n",
                                       "D10-5-2\n",
                                       "D1/2/3\n",
                                       "T-1.00\n",
                                       "^\n",
                                       "D1/\xb2"
                                       "5/9\n"};
  std::string content;
  unsigned state = 12345;
  while (content.size() < (12u << 20)) {
    state = state * 1103515245u + 12345u;
    content += kLines[(state >> 16) % 16];
  }
  std::string in = In("large.qif");
  WriteBytes(in, content);
  CliRun run = RunCli({"--yes", "-o", In("out.qif"), in});
  EXPECT_EQ(0, run.status) << run.err;
  std::vector<unsigned char> plain(content.begin(), content.end());
  ReferenceConvert(plain.data(), static_cast<int>(plain.size()));
  EXPECT_TRUE(ReadBytes(In("out.qif")) ==
              std::string(plain.begin(), plain.end()));
}

TEST_F(CliProgram, LargeFileRefusedForADateNearItsEnd) {
  const int copies = 22000;
  std::string in = In("large.qif");
  std::string content =
      Repeat(ReadBytes(FixturePath("bank_mdy_crlf.qif")), copies) +
      ReadBytes(FixturePath("bank_dayfirst.qif"));
  WriteBytes(in, content);
  CliRun run = RunCli({in});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos,
            run.err.find(":" + std::to_string(40 * copies + 7) +
                         ": not converted without --yes: its dates look "
                         "day-first already"));
  EXPECT_TRUE(ReadBytes(in) == content);
  EXPECT_EQ(std::vector<std::string>{"large.qif"}, Listing(folder_));
}

// Lines of one or two bytes give no place to cut a piece: the buffer must
// grow until the file's end rather than cut a date in two. D1 is a date no
// rule converts.
TEST_F(CliProgram, FileWithoutAPlaceToCutConvertsWhole) {
  std::string in = In("short-lines.qif");
  WriteBytes(in, "^\n" + Repeat("P\nD1\n", 300000)); // 1.5 MB
  CliRun run = RunCli({"--yes", in});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(ReadBytes(in) == "^\n" + Repeat("M\nD1\n", 300000));
}

// Lines that end at a CR alone are cut into pieces and halves like any
// others; a list of accounts across the middle, whose D lines are
// descriptions, reaches the second half too.
TEST_F(CliProgram, LargeCrOnlyFileWithAListAcrossItsMiddle) {
  std::string content =
      "!Type:Bank\r" + Repeat("D01/31/99\rT-1.00\rPShop\rMNote\r^\r", 100000) +
      "!Account\r" + Repeat("NChecking\rD12/25 savings\rTBank\r^\r", 250000) +
      "!Type:Bank\rD02/14/99\rPx\r^\r";
  std::string in = In("large.qif");
  WriteBytes(in, content);
  CliRun run = RunCli({"-o", In("out.qif"), in});
  EXPECT_EQ(0, run.status) << run.err;
  std::vector<unsigned char> plain(content.begin(), content.end());
  ReferenceConvert(plain.data(), static_cast<int>(plain.size()));
  EXPECT_TRUE(ReadBytes(In("out.qif")) ==
              std::string(plain.begin(), plain.end()));
}

TEST_F(CliProgram, UsageHelpAndVersion) {
  CliRun none = RunCli({}, Terminal());
  EXPECT_EQ(2, none.status);
  EXPECT_EQ("kestrom-cli: no input files\nTry 'kestrom-cli --help' for more "
            "information.\n",
            none.err);
  EXPECT_EQ(2, RunCli({"--frobnicate", "x.qif"}).status);
  EXPECT_EQ(2, RunCli({"-o", "a", "b.qif", "c.qif"}).status);
  EXPECT_EQ(2, RunCli({"--output=", "b.qif"}).status);
  CliRun help = RunCli({"--help"});
  EXPECT_EQ(0, help.status);
  for (const char *line :
       {"Usage: kestrom-cli [OPTION]... [FILE]...\n", "Exit status:\n",
        "\n  0  every FILE converted", "\n  1  some FILE was refused or failed",
        "\n  2  bad usage\n"})
    EXPECT_NE(std::string::npos, help.out.find(line)) << line;
  // The last paragraph says where to report problems.
  EXPECT_EQ(0u, help.out.substr(help.out.rfind("\n\n") + 2).find("Report "));
  // The GNU form; its copyright line is LICENSE's own.
  CliRun version = RunCli({"--version"});
  EXPECT_EQ(0, version.status);
  const std::string first = "kestrom-cli (Kestrom) " KESTROM_VERSION "\n";
  ASSERT_EQ(first, version.out.substr(0, first.size()));
  std::string copyright = version.out.substr(
      first.size(), version.out.find('\n', first.size()) + 1 - first.size());
  EXPECT_NE(std::string::npos,
            ReadBytes(FixturePath("../../LICENSE")).find("\n" + copyright))
      << copyright;
  EXPECT_EQ(3, CountLines(version.out));
}

// Another program truncates, extends or re-exports a large file while it
// converts in place (the two-half path), or moves its folder away and puts
// a new one in its place: the file stays as that program left it, no
// temporary file stays in either folder, and the run fails.
TEST_F(CliProgram, AFileChangedWhileConvertingIsLeftAsTheOtherProgramLeftIt) {
  std::string file = In("large.qif"), other = In("other");
  const std::string content =
      Repeat(ReadBytes(FixturePath("bank_mdy_crlf.qif")), 22000);
  const std::vector<std::string> changes = {"truncate", "extend", "re-export",
                                            "rewrite, last write set back",
                                            "folder moved, a new one there"};
  const std::string moved = folder_ + "-moved";
  for (const std::string &change : changes) {
    WriteBytes(file, content);
    struct stat opened;
    ASSERT_EQ(0, stat(file.c_str(), &opened));
    pid_t pid = StartAndStopMidRun({file});
    ASSERT_NE(0, pid) << change << ": the run ended too soon";
    if (change == "truncate")
      ASSERT_EQ(0, truncate(file.c_str(), 4 << 20));
    else if (change == "extend")
      WriteBytes(file, content + "D12/31/99\r\n^\r\n");
    else if (change == "re-export")
      WriteBytes(other, "D01/02/03\r\n^\r\n"),
          rename(other.c_str(), file.c_str());
    else if (change[0] == 'f') // the temporary file must not stay in it
      rename(folder_.c_str(), moved.c_str()), fs::create_directory(folder_),
          WriteBytes(file, "D01/02/03\r\n^\r\n");
    else { // as sync tools and archivers do, a clock tick later
      const struct timespec times[2] = {opened.st_atim, opened.st_mtim};
      usleep(20000), WriteBytes(file, "X" + content.substr(1));
      ASSERT_EQ(0, utimensat(AT_FDCWD, file.c_str(), times, 0));
    }
    std::string left = ReadBytes(file);
    kill(pid, SIGCONT);
    CliRun run = FinishCli(pid);
    EXPECT_EQ(1, run.status) << change;
    EXPECT_EQ("kestrom-cli: " + file +
                  ": changed while it was being converted; nothing was "
                  "written\n",
              run.err);
    EXPECT_TRUE(ReadBytes(file) == left) << change;
    EXPECT_EQ(std::vector<std::string>{"large.qif"}, Listing(folder_));
  }
  EXPECT_EQ(std::vector<std::string>{"large.qif"}, Listing(moved));
  fs::remove_all(moved);
}

// A FIFO or a device is no export: as input it must not hang the
// run, and as a target it must not be replaced by a regular file.
TEST_F(CliProgram, SpecialFilesAreRefusedWithoutWaiting) {
  std::string in = Copy("bank_mdy_crlf.qif", "in.qif");
  ASSERT_EQ(0, mkfifo(In("fifo").c_str(), 0644));
  CliRun fifo = RunCli({"--check", In("fifo")});
  EXPECT_EQ(1, fifo.status) << "a FIFO as input hangs the run";
  EXPECT_EQ("kestrom-cli: " + In("fifo") +
                ": cannot open: not a regular file\n",
            fifo.err);
  std::vector<std::string> targets = {"fifo"};
  // A node like the system's own /dev/null (root only).
  if (mknod(In("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    targets.push_back("null");
  for (const std::string &target : targets) {
    struct stat before, after;
    ASSERT_EQ(0, lstat(In(target).c_str(), &before));
    CliRun run = RunCli({"-o", In(target), in});
    EXPECT_EQ(1, run.status) << target;
    EXPECT_EQ("kestrom-cli: " + In(target) +
                  ": cannot write: not a regular file\n",
              run.err);
    ASSERT_EQ(0, lstat(In(target).c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino) << target; // not replaced
  }
}

// A read-only file is refused in place and as -o's target, as the dialog
// refuses it: as nobody, who may not write it, and as root, who may.
TEST_F(CliProgram, ReadOnlyFilesAreRefusedWithTheSystemsReason) {
  std::vector<std::string> asNobody;
  if (geteuid() == 0)
    asNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  std::string in = Copy("bank_mdy_crlf.qif", "in.qif");
  std::string locked = Copy("bank_mdy_crlf.qif", "locked.qif");
  ASSERT_EQ(0, chmod(locked.c_str(), 0444));
  ASSERT_EQ(0, chmod(folder_.c_str(), 0777));
  const std::pair<std::vector<std::string>, std::vector<std::string>> rows[] = {
      {asNobody, {locked}}, {asNobody, {"-o", locked, in}}, {{}, {locked}}};
  for (const auto &[runner, args] : rows) {
    CliRun run = FinishCli(StartCli(args, "/dev/null", "", runner));
    EXPECT_EQ(1, run.status) << args[0];
    EXPECT_EQ("kestrom-cli: " + locked + ": cannot write: Permission denied\n",
              run.err);
    EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.qif")), ReadBytes(locked));
    EXPECT_EQ((std::vector<std::string>{"in.qif", "locked.qif"}),
              Listing(folder_));
  }
}

// Every extended attribute, name and value.
std::map<std::string, std::string> Attributes(const std::string &path) {
  std::map<std::string, std::string> all;
  char names[4096], value[4096];
  ssize_t size = listxattr(path.c_str(), names, sizeof names);
  for (ssize_t at = 0; at < size; at += strlen(names + at) + 1) {
    ssize_t length = getxattr(path.c_str(), names + at, value, sizeof value);
    all[names + at] = std::string(value, length < 0 ? 0 : length);
  }
  return all;
}

// An access ACL that lets nobody write (user::rw- user:nobody:rw- group::r--
// mask::rw- other::---), a folder's default ACL that would let user 4242
// read and write (user::rwx user:4242:rw- group::r-x mask::rwx other::r-x),
// and the capability to bind low ports.
const std::string kAcl("\2\0\0\0\1\0\6\0\377\377\377\377\2\0\6\0\376\377\0\0"
                       "\4\0\4\0\377\377\377\377\20\0\6\0\377\377\377\377"
                       " \0\0\0\377\377\377\377",
                       44);
const std::string kDefaultAcl("\2\0\0\0\1\0\7\0\377\377\377\377\2\0\6\0\222\20"
                              "\0\0\4\0\5\0\377\377\377\377\20\0\7\0\377\377"
                              "\377\377 \0\5\0\377\377\377\377",
                              44);
const std::string kCapability("\1\0\0\2\0\4\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 20);

struct MetadataCase {
  mode_t mode;
  uid_t uid;
  gid_t gid;
  const char *groups; // run as user 4242 in these groups; null: as root
  std::string attribute, value; // a default ACL is the folder's
  int refused = 0;              // its owner and group cannot both be kept
};

// The replacement has exactly the original's mode, owner, group and
// extended attributes: none from the folder's default ACL, and none lost
// to the write (the set-ID bits, a file capability). A file whose owner
// and group cannot be kept (another user's, that 4242 may write through
// its group or an ACL) is refused and left as it was.
TEST_F(CliProgram, KeepsOwnerModeAndEveryExtendedAttribute) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root, to give files to other users";
  const std::string kDefault = "system.posix_acl_default";
  const MetadataCase cases[] = {
      {0640, 65534, 65534, nullptr, "user.origin", "bank"},
      {0640, 65534, 65534, nullptr, "system.posix_acl_access", kAcl},
      {0640, 0, 0, nullptr, kDefault, kDefaultAcl},
      {0755, 0, 0, nullptr, "security.capability", kCapability},
      {06775, 4242, 4242, "--groups=4242", "", ""},
      {0664, 4999, 4343, "--groups=4343", "", "", 1},
      {0640, 4999, 4343, "--groups=4242", "system.posix_acl_access",
       std::string(kAcl).replace(16, 2, "\x92\x10"), 1},
  };
  ASSERT_EQ(0, chmod(folder_.c_str(), 0755));
  for (const MetadataCase &c : cases) {
    std::string folder = In(std::to_string(&c - cases));
    std::string file = folder + "/bank.qif";
    fs::create_directory(folder);
    ASSERT_EQ(0, chmod(folder.c_str(), 0777));
    WriteBytes(file, ReadBytes(FixturePath("bank_mdy_crlf.qif")));
    ASSERT_EQ(0, chown(file.c_str(), c.uid, c.gid));
    ASSERT_EQ(0, chmod(file.c_str(), c.mode));
    if (!c.attribute.empty() &&
        setxattr((c.attribute == kDefault ? folder : file).c_str(),
                 c.attribute.c_str(), c.value.data(), c.value.size(), 0))
      GTEST_SKIP() << "no " << c.attribute << " here: " << strerror(errno);
    std::vector<std::string> runner;
    if (c.groups)
      runner = {"setpriv", "--reuid=4242", "--regid=4242", c.groups};
    struct stat before, after;
    ASSERT_EQ(0, stat(file.c_str(), &before));
    std::map<std::string, std::string> attributes = Attributes(file);
    CliRun run = FinishCli(StartCli({file}, "/dev/null", "", runner));
    EXPECT_EQ(c.refused, run.status) << folder << ": " << run.err;
    ASSERT_EQ(0, stat(file.c_str(), &after));
    EXPECT_EQ(
        ReadBytes(FixturePath(c.refused ? "bank_mdy_crlf.qif"
                                        : "bank_mdy_crlf.every-date.qif")),
        ReadBytes(file));
    EXPECT_EQ(c.refused ? "kestrom-cli: " + file +
                              ": cannot keep its owner 4999 and group 4343, so "
                              "it is left as it was (-o writes a converted "
                              "copy): Operation not permitted\n"
                        : "",
              run.err);
    EXPECT_EQ(before.st_mode, after.st_mode) << folder;
    EXPECT_EQ(before.st_uid, after.st_uid) << folder;
    EXPECT_EQ(before.st_gid, after.st_gid) << folder;
    EXPECT_EQ(1u, Listing(folder).size()) << folder;
    EXPECT_EQ(attributes, Attributes(file)) << folder;
  }
}

// Where a signal finds the run: stopped in mid-write; in the rename
// (strace holds it there); in the third file's fsync, two files done; or
// none sent but a write past ulimit -f (SIGXFSZ).
enum SignalMoment { kMidWrite, kInRename, kInThirdFlush, kPastSizeLimit };

struct SignalCase {
  int signal;
  SignalMoment moment;
};

// Any signal that ends a program, in mid-run: the temporary file goes, the
// original stays, and the run ends as the signal would (its status). A
// file whose rename has begun is done, and so are those before it: the
// run names them all, even without -v. A write past the size limit is a
// failure with its reason, not a signal.
TEST_F(CliProgram, AnInterruptedRunLeavesNoTemporaryFile) {
  const std::string small = ReadBytes(FixturePath("bank_mdy_crlf.qif"));
  const std::string smallConverted =
      ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif"));
  const std::string content = Repeat(small, 22000);
  const std::string converted = Repeat(smallConverted, 22000);
  const bool traced = system("strace -o /dev/null true >/dev/null 2>&1") == 0;
  const struct rlimit noCore = {0, 0}; // SIGQUIT would dump one
  setrlimit(RLIMIT_CORE, &noCore);
  const SignalCase rows[] = {
      {SIGINT, kMidWrite},      {SIGTERM, kMidWrite},     {SIGQUIT, kMidWrite},
      {SIGALRM, kMidWrite},     {SIGUSR1, kMidWrite},     {SIGHUP, kInRename},
      {SIGTERM, kInThirdFlush}, {SIGXFSZ, kPastSizeLimit}};
  for (const SignalCase &c : rows) {
    if ((c.moment == kInRename || c.moment == kInThirdFlush) && !traced)
      continue;
    fs::remove_all(folder_), fs::create_directory(folder_);
    std::vector<std::string> files = {In("large.qif")}, names = {"large.qif"};
    if (c.moment == kInThirdFlush)
      files = {In("a.qif"), In("b.qif"), In("c.qif")},
      names = {"a.qif", "b.qif", "c.qif"};
    const std::string &original = c.moment == kInThirdFlush ? small : content;
    for (const std::string &file : files)
      WriteBytes(file, original);
    pid_t tracer = 0, pid = 0;
    if (c.moment == kMidWrite)
      pid = StartAndStopMidRun(files);
    else if (c.moment == kInRename)
      pid = StartHeldInRename(files, &tracer);
    else if (c.moment == kInThirdFlush)
      pid = StartHeld(
          files, "fsync:when=3",
          [&] { return Writing() && ReadBytes(files[1]) == smallConverted; },
          &tracer);
    else
      pid = StartCli(files, "/dev/null", "",
                     {"bash", "-c", "ulimit -f 1024; exec \"$0\" \"$@\""});
    ASSERT_NE(0, pid) << "the run ended too soon";
    if (c.moment != kPastSizeLimit)
      kill(pid, c.signal), kill(pid, SIGCONT);
    CliRun run = FinishCli(tracer ? tracer : pid);
    EXPECT_EQ(c.moment == kPastSizeLimit ? 1 : 128 + c.signal, run.status)
        << strsignal(c.signal);
    EXPECT_EQ(names, Listing(folder_)) << strsignal(c.signal);
    EXPECT_TRUE(ReadBytes(files.back()) ==
                (c.moment == kInRename ? converted : original));
    for (size_t i = 0; i + 1 < files.size(); ++i)
      EXPECT_EQ(smallConverted, ReadBytes(files[i]));
    std::string said;
    if (c.moment == kInRename)
      said = "kestrom-cli: " + files[0] +
             ": converted in place: 132000 dates and 242000 payee/memo lines "
             "changed\n";
    for (int i = 0; c.moment == kInThirdFlush && i < 2; ++i)
      said += "kestrom-cli: " + files[i] +
              ": converted in place: 6 dates and 11 payee/memo lines "
              "changed\n";
    if (c.moment == kPastSizeLimit)
      said = "kestrom-cli: " + files[0] + ": cannot write: File too large\n";
    EXPECT_EQ(said, run.err) << strsignal(c.signal);
  }
  if (!traced)
    GTEST_SKIP() << "no strace (Debian package strace): a signal in the "
                    "rename or in a flush was not tried";
}

// ESC [ 8 m in a name or a line must not reach the terminal: it would hide
// all that follows. Nor may a C1 control, as a character (U+0085) or a raw
// byte (0x9B, CSI in an 8-bit code page), nor a bidirectional override
// (U+202E) that shows what follows backwards; other characters stay.
TEST_F(CliProgram, ControlBytesArePrintedEscaped) {
  std::string file = In("bank\x1b[8m\t\xe2\x80\xae\x9b\xc3\xa9.qif"),
              shown = In("bank\\x1b[8m\\t\\xe2\\x80\\xae\\x9b\xc3\xa9.qif");
  WriteBytes(file, "!Type:Bank\nD6/1/94\x1b[8m\x7f\xc2\x85\nPShop\n^\n");
  EXPECT_EQ(0u, RunCli({"--check", file})
                    .out.find(shown + ":2: date that no rule converts: "
                                      "D6/1/94\\x1b[8m\\x7f\\xc2\\x85\n"));
  EXPECT_EQ("kestrom-cli: " + shown +
                ": not converted: not a QIF file: it holds binary data (byte "
                "0x1B on line 2)\n",
            RunCli({file}).err);
}

// As another program's import filter: "-" in (or no FILE), "-" out, the
// options as other tools take them, a refused file that writes nothing,
// and a report lost to a full disk that is a failure.
TEST_F(CliProgram, WorksAsAFilter) {
  std::string bank = Copy("bank_mdy_crlf.qif", "bank.qif");
  std::string dayFirst = Copy("bank_dayfirst.qif", "dayfirst.qif");
  const std::string expected =
      ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif"));
  EXPECT_EQ(expected, RunCli({"-"}, bank).out);
  EXPECT_EQ(expected, RunCli({}, bank).out); // no FILE: standard input
  EXPECT_EQ(expected, RunCli({"-o", "-", bank}).out);
  CliRun empty = RunCli({}, "/dev/null"); // nothing to convert, no failure
  EXPECT_EQ(0, empty.status);
  EXPECT_EQ("", empty.out + empty.err);
  CliRun refused = RunCli({"-o-", "-"}, dayFirst);
  EXPECT_EQ(1, refused.status);
  EXPECT_EQ("", refused.out);
  CliRun bundled = RunCli({"-vyo", In("yes.qif"), dayFirst});
  EXPECT_EQ(ReadBytes(FixturePath("bank_dayfirst.yes.qif")),
            ReadBytes(In("yes.qif")));
  EXPECT_NE(std::string::npos,
            bundled.err.find("kestrom-cli: " + dayFirst + ": converted into " +
                             In("yes.qif") + ": 3 dates and 5 payee/memo "));
  RunCli({"--output=" + In("out.qif"), bank});
  EXPECT_EQ(expected, ReadBytes(In("out.qif")));
  CliRun lost = RunCli({"--check", bank}, "/dev/null", "/dev/full");
  EXPECT_EQ(1, lost.status);
  EXPECT_EQ("kestrom-cli: cannot write to standard output: No space left on "
            "device\n",
            lost.err);
  // The content lost to a full disk or a reader gone: one line, its reason.
  CliRun full = RunCli({"-"}, bank, "/dev/full");
  EXPECT_EQ(1, full.status);
  EXPECT_EQ("kestrom-cli: -: cannot write: No space left on device\n",
            full.err);
  WriteBytes(In("big.qif"), Repeat(ReadBytes(bank), 1000));
  CliRun closed = FinishCli(
      StartCli({"-"}, In("big.qif"), "",
               {"bash", "-c",
                "\"$0\" \"$@\" | head -c1 >/dev/null; exit ${PIPESTATUS[0]}"}));
  EXPECT_EQ(1, closed.status);
  EXPECT_EQ("kestrom-cli: -: cannot write: Broken pipe\n", closed.err);
}

} // namespace
