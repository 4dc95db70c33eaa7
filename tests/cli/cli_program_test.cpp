// kestrom-cli as a user meets it: the built program started as a child
// process on copies of the shared fixtures, with its exit status, its
// messages and every file in its folder checked afterwards.
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
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
  int status; // exit code, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

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

  // Starts the program with stdout and stderr sent to files outside the
  // folder under test, and waits for it.
  CliRun RunCli(const std::vector<std::string> &args) {
    std::string outPath = captures_ + "/out", errPath = captures_ + "/err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> all = {KESTROM_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &a : all)
      argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    CliRun run = {-1, "", ""};
    if (posix_spawn(&pid, KESTROM_CLI_PATH, &actions, nullptr, argv.data(),
                    environ) == 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
  }

  std::string folder_;
  std::string captures_;
  std::string mounted_;
};

TEST_F(CliProgram, ConvertsEveryDateFormInPlace) {
  std::string bank = Copy("bank_mdy_crlf.qif", "bank.qif");
  std::string accounts = Copy("accounts_lf_noeol.qif", "accounts.qif");
  std::string shortForms = Copy("short_forms.qif", "short.qif");
  CliRun run = RunCli({bank, accounts, shortForms});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")),
            ReadBytes(bank));
  EXPECT_EQ(ReadBytes(FixturePath("accounts_lf_noeol.expected.qif")),
            ReadBytes(accounts));
  EXPECT_EQ(ReadBytes(FixturePath("short_forms.every-date.qif")),
            ReadBytes(shortForms));
  EXPECT_EQ((std::vector<std::string>{"accounts.qif", "bank.qif", "short.qif"}),
            Listing(folder_));
  EXPECT_EQ("", run.err);
  EXPECT_EQ("", run.out);
}

// "--check *.qif && kestrom-cli *.qif" must never half convert: a date no
// rule converts makes --check fail and the conversion refuse, listing it.
TEST_F(CliProgram, NeverHalfConvertsWithoutYes) {
  std::string content = ReadBytes(FixturePath("bank_mdy_crlf.qif")) +
                        "D2014-12-31\r\nPx\r\n^\r\nD1/5\r\n";
  std::string file = In("bank.qif");
  WriteBytes(file, content);
  CliRun check = RunCli({"--check", file});
  EXPECT_EQ(1, check.status);
  EXPECT_EQ(file + ":41: date that no rule converts: D2014-12-31\n" + file +
                ":44: date that no rule converts: D1/5\n" + file +
                ": 6 dates (2 in short form) and 12 payee/memo letters to "
                "exchange\n" +
                file +
                ": 2 dates that no rule converts: the file would be half "
                "converted. Refused without --yes.\n",
            check.out);
  CliRun refused = RunCli({file});
  EXPECT_EQ(1, refused.status);
  EXPECT_EQ("kestrom-cli: " + file +
                ":41: date that no rule converts: D2014-12-31\n"
                "kestrom-cli: " +
                file +
                ":44: date that no rule converts: D1/5\n"
                "kestrom-cli: " +
                file +
                ":41: 2 dates that no rule converts: not converted, as the "
                "file would be half converted; --yes converts the rest "
                "anyway.\n",
            refused.err);
  EXPECT_EQ(content, ReadBytes(file));
  EXPECT_EQ(std::vector<std::string>{"bank.qif"}, Listing(folder_));
  CliRun yes = RunCli({"--yes", file});
  EXPECT_EQ(0, yes.status) << yes.err;
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.every-date.qif")) +
                "D2014-12-31\r\nMx\r\n^\r\nD1/5\r\n",
            ReadBytes(file));
  EXPECT_NE(std::string::npos,
            yes.err.find(":41: warning: 2 dates that no rule converts left "
                         "as they were, as --yes was given"));
}

TEST_F(CliProgram, YesConvertsAFileThatLooksDayFirst) {
  std::string file = Copy("bank_dayfirst.qif", "dayfirst.qif");
  CliRun run = RunCli({"--yes", file});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(ReadBytes(FixturePath("bank_dayfirst.yes.qif")), ReadBytes(file));
  EXPECT_NE(std::string::npos, run.err.find(":7: note: dates looked"));
}

TEST_F(CliProgram, RefusesAFileThatLooksDayFirstInTheDialogsWords) {
  std::string file = Copy("bank_dayfirst.qif", "dayfirst.qif");
  struct stat before, after;
  ASSERT_EQ(0, stat(file.c_str(), &before));
  CliRun run = RunCli({file});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kestrom-cli: " + file +
                ":7: " MSG_ALREADY_DAY_FIRST " Not converted (month 25); --yes "
                "converts it anyway.\n",
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
  EXPECT_EQ(ReadBytes(FixturePath("accounts_lf_noeol.expected.qif")),
            ReadBytes(last));
  EXPECT_NE(std::string::npos,
            run.err.find(In("missing.qif") + ": " MSG_UNABLE_TO_OPEN
                                             ": No such file or directory\n"));
  EXPECT_EQ((std::vector<std::string>{"a.qif", "b.qif", "c.qif"}),
            Listing(folder_));
}

TEST_F(CliProgram, CheckCountsBothRulesAndWritesNothing) {
  std::string file = Copy("bank_mdy_crlf.qif", "bank.qif");
  CliRun run = RunCli({"--check", file});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(file + ": 6 dates (2 in short form) and 11 payee/memo letters to "
                   "exchange\n",
            run.out);
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.qif")), ReadBytes(file));
  EXPECT_EQ(std::vector<std::string>{"bank.qif"}, Listing(folder_));
}

TEST_F(CliProgram, CheckSaysWhereADayFirstFileWouldBeRefused) {
  std::string file = Copy("bank_dayfirst.qif", "dayfirst.qif");
  CliRun refused = RunCli({"--check", file});
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos,
            refused.out.find(file + ":7: " MSG_ALREADY_DAY_FIRST
                                    " (month 25) Refused without --yes.\n"));
  CliRun allowed = RunCli({"--check", "--yes", file});
  EXPECT_EQ(0, allowed.status);
  EXPECT_EQ(ReadBytes(FixturePath("bank_dayfirst.qif")), ReadBytes(file));
}

struct BadInput {
  const char *name;
  const char *reason;
};

TEST_F(CliProgram, BadInputGetsOneLineAndNoWrite) {
  WriteBytes(In("empty.qif"), "");
  fs::create_directory(In("folder.qif"));
  const BadInput cases[] = {
      {"missing.qif", MSG_UNABLE_TO_OPEN ": No such file or directory"},
      {"folder.qif", MSG_UNABLE_TO_OPEN ": Is a directory"},
      {"empty.qif", MSG_FILE_EMPTY},
  };
  for (const BadInput &c : cases) {
    CliRun run = RunCli({"--yes", In(c.name)});
    EXPECT_EQ(1, run.status) << c.name;
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
                ": " MSG_UNABLE_TO_SAVE ": No such file or directory\n",
            run.err);
  EXPECT_EQ(ReadBytes(FixturePath("bank_mdy_crlf.qif")), ReadBytes(in));
  EXPECT_EQ(std::vector<std::string>{"in.qif"}, Listing(folder_));
}

TEST_F(CliProgram, OutputOntoAFolderFailsAndRemovesItsTemporaryFile) {
  std::string in = Copy("bank_mdy_crlf.qif", "in.qif");
  fs::create_directory(In("taken"));
  CliRun run = RunCli({"-o", In("taken"), in});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kestrom-cli: " + In("taken") +
                ": " MSG_UNABLE_TO_SAVE ": Is a directory\n",
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
                ": " MSG_UNABLE_TO_SAVE ": No space left on device\n",
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
  ReferenceExchange(plain.data(), static_cast<int>(plain.size()),
                    static_cast<int>(plain.size()), kQifBothRules);
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
            run.err.find(":" + std::to_string(40 * copies + 7) + ": " +
                         MSG_ALREADY_DAY_FIRST));
  EXPECT_TRUE(ReadBytes(in) == content);
  EXPECT_EQ(std::vector<std::string>{"large.qif"}, Listing(folder_));
}

// Lines of one or two bytes give no place to cut a piece: the buffer must
// grow until the file's end rather than cut a date in two.
TEST_F(CliProgram, FileWithoutAPlaceToCutConvertsWhole) {
  std::string in = In("short-lines.qif");
  WriteBytes(in, Repeat("P\nD1\n", 300000)); // 1.5 MB
  CliRun run = RunCli({in});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(ReadBytes(in) == Repeat("M\nD1\n", 300000));
}

TEST_F(CliProgram, UsageHelpAndVersion) {
  CliRun none = RunCli({});
  EXPECT_EQ(2, none.status);
  EXPECT_EQ("kestrom-cli: no input files\nTry 'kestrom-cli --help' for more "
            "information.\n",
            none.err);
  EXPECT_EQ(2, RunCli({"--frobnicate", "x.qif"}).status);
  EXPECT_EQ(2, RunCli({"-o", "a", "b.qif", "c.qif"}).status);
  CliRun help = RunCli({"--help"});
  EXPECT_EQ(0, help.status);
  for (const char *line :
       {"Usage: kestrom-cli [OPTION]... FILE...\n", "Exit status:\n",
        "\n  0  every FILE converted", "\n  1  some FILE was refused or failed",
        "\n  2  bad usage\n"})
    EXPECT_NE(std::string::npos, help.out.find(line)) << line;
  CliRun version = RunCli({"--version"});
  EXPECT_EQ(0, version.status);
  EXPECT_EQ("kestrom-cli " KESTROM_VERSION "\n", version.out);
  EXPECT_EQ(1, CountLines(version.out));
}

} // namespace
