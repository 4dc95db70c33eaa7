#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "split_path.h"

namespace {

struct SplitCase {
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
    {"C:\\dir\\file.qif", "C:\\dir", "file.qif"},
    {"C:\\file.qif", "C:\\", "file.qif"},
    {"file.qif", "", "file.qif"},
    {"\\\\srv\\share\\f.qif", "\\\\srv\\share", "f.qif"},
    {".\\f.qif", ".\\", "f.qif"},
    {"..\\f.qif", "..\\", "f.qif"},
    {"\\f.qif", "\\", "f.qif"},
    {"C:f.qif", "C:", "f.qif"},
    {"C:\\a.b\\f", "C:\\a.b", "f"},
    {"dir\\\\f", "dir\\\\", "f"},
    {"C:\\dir.\\f", "C:\\dir.\\", "f"},
    {"C:\\dir\\", "C:\\dir", ""},
    {"", "", ""},
    {"C:/dir/f.qif", "C:", "/dir/f.qif"},
};

INSTANTIATE_TEST_SUITE_P(Paths, SplitTable, ::testing::ValuesIn(kSplitCases));

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
