#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "split_path.h"

namespace {

struct SplitCase {
  const char *label; // names the test
  const char *path;
  const char *directory;
  const char *name;
};

class SplitTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTable, SplitsIntoDirectoryAndName) {
  const SplitCase &c = GetParam();
  char path[kPathBufferSize] = {};
  char name[kPathBufferSize];
  memset(name, 'Z', sizeof name);
  strcpy(path, c.path);
  SplitPath(path, name);
  EXPECT_STREQ(c.directory, path) << "input " << c.path;
  EXPECT_STREQ(c.name, name) << "input " << c.path;
}

const SplitCase kSplitCases[] = {
    {"DriveAndFolder", "C:\\dir\\file.qif", "C:\\dir", "file.qif"},
    {"DriveRoot", "C:\\file.qif", "C:\\", "file.qif"},
    {"NameAlone", "file.qif", "", "file.qif"},
    {"UncShare", "\\\\srv\\share\\f.qif", "\\\\srv\\share", "f.qif"},
    {"CurrentFolder", ".\\f.qif", ".\\", "f.qif"},
    {"ParentFolder", "..\\f.qif", "..\\", "f.qif"},
    {"RootOfCurrentDrive", "\\f.qif", "\\", "f.qif"},
    {"DriveRelative", "C:f.qif", "C:", "f.qif"},
    {"DotInFolderName", "C:\\a.b\\f", "C:\\a.b", "f"},
    {"DoubledSeparator", "dir\\\\f", "dir\\\\", "f"},
    {"FolderEndingInDot", "C:\\dir.\\f", "C:\\dir.\\", "f"},
    {"TrailingSeparator", "C:\\dir\\", "C:\\dir", ""},
    {"Empty", "", "", ""},
    {"ForwardSlashesAreNoSeparators", "C:/dir/f.qif", "C:", "/dir/f.qif"},
};

// A failure names the row instead of printing its bytes.
void PrintTo(const SplitCase &row, std::ostream *os) { *os << row.label; }

INSTANTIATE_TEST_SUITE_P(Paths, SplitTable, ::testing::ValuesIn(kSplitCases),
                         [](const ::testing::TestParamInfo<SplitCase> &info) {
                           return std::string(info.param.label);
                         });

TEST(SplitPath, LongestNameFitsWithItsTerminator) {
  std::string longName(kPathBufferSize - 1, 'n');
  char path[kPathBufferSize];
  char name[kPathBufferSize + 1];
  name[kPathBufferSize] = '#'; // a guard the split must not reach
  strcpy(path, longName.c_str());
  SplitPath(path, name);
  EXPECT_EQ(longName, std::string(name));
  EXPECT_EQ('#', name[kPathBufferSize]);
  EXPECT_STREQ("", path);
}

TEST(SplitPath, UnterminatedBufferIsNotReadPastItsEnd) {
  char path[kPathBufferSize + 1];
  memset(path, 'a', kPathBufferSize);
  path[3] = '\\';
  path[kPathBufferSize] = '\\'; // beyond the buffer: must not count
  char name[kPathBufferSize];
  SplitPath(path, name);
  EXPECT_STREQ("aaa", path);
  EXPECT_EQ(size_t(kPathBufferSize - 1 - 4), strlen(name));
}

TEST(DropLongPathPrefix, GivesThePathTheDialogsUse) {
  const char *const cases[][2] = {
      {"\\\\?\\C:\\bank\\export.qif", "C:\\bank\\export.qif"},
      {"\\\\?\\UNC\\server\\share\\x.qif", "\\\\server\\share\\x.qif"},
      {"C:\\already\\plain.qif", "C:\\already\\plain.qif"},
  };
  for (const auto &c : cases) {
    char path[kPathBufferSize];
    strcpy(path, c[0]);
    DropLongPathPrefix(path);
    EXPECT_STREQ(c[1], path) << c[0];
  }
}

} // namespace
