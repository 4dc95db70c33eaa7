// LoadQifFile and WriteQifFile on real files under Wine, with the message
// boxes recorded instead of shown.
#include <gtest/gtest.h>

#include <string>

#include "message_box_recorder.h"
#include "qif_document.h"

namespace {

HWND const kOwner = reinterpret_cast<HWND>(0x1234);

std::string ScratchDir() {
  CreateDirectoryA("io-scratch", nullptr);
  return "io-scratch\\";
}

void WriteBytes(const std::string &path, const std::string &bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  DWORD written = 0;
  ASSERT_TRUE(
      WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr));
  CloseHandle(file);
}

std::string ReadBytes(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "<missing>";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ReadFile(file, &bytes[0], DWORD(bytes.size()), &got, nullptr);
  CloseHandle(file);
  return bytes.substr(0, got);
}

void SetPath(const std::string &path) {
  lstrcpynA(QifDocument.path, path.c_str(), MAX_PATH);
}

// Another program's handle on path that shares nothing.
HANDLE HoldUnshared(const std::string &path) {
  return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

class QifFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetRecorder();
    dir = ScratchDir();
  }
  void TearDown() override { ReleaseQifDocument(); }
  // Exactly one warning, with this text and caption, owned by the dialog.
  void ExpectOneWarning(const char *text, const char *caption) {
    ASSERT_EQ(1u, g_recordedBoxes.size());
    EXPECT_EQ(text, g_recordedBoxes[0].text);
    EXPECT_EQ(caption, g_recordedBoxes[0].caption);
    EXPECT_EQ(UINT(MB_OK | MB_ICONWARNING), g_recordedBoxes[0].flags);
    EXPECT_EQ(kOwner, g_recordedBoxes[0].owner);
  }
  void ExpectNothingLoaded() {
    EXPECT_EQ(nullptr, QifDocument.data);
    EXPECT_EQ(0, QifDocument.size);
  }
  // A load of path fails with this one warning and leaves nothing loaded.
  void ExpectLoadRefused(const std::string &path, const char *text) {
    SetPath(path);
    EXPECT_EQ(0, LoadQifFile(kOwner)) << path;
    ExpectOneWarning(text, "Kestrom");
    ExpectNothingLoaded();
  }
  std::string dir;
};

TEST_F(QifFileTest, LoadKeepsEveryByteAndTwoZerosAfter) {
  const char raw[] = "!Type:Bank\r\nD12/25/99\r\nP\xe9t\xa3\x80\r\n^";
  const std::string content(raw, sizeof raw - 1);
  WriteBytes(dir + "bytes.qif", content);
  SetPath(dir + "bytes.qif");
  ASSERT_EQ(1, LoadQifFile(kOwner));
  EXPECT_TRUE(g_recordedBoxes.empty());
  ASSERT_EQ(int(content.size()), QifDocument.size);
  EXPECT_EQ(content, std::string(reinterpret_cast<char *>(QifDocument.data),
                                 QifDocument.size));
  EXPECT_EQ(0, QifDocument.data[content.size()]);
  EXPECT_EQ(0, QifDocument.data[content.size() + 1]);
  EXPECT_GE(GlobalSize(QifDocument.data), content.size() + 2);
}

TEST_F(QifFileTest, MissingFileCannotBeOpened) {
  ExpectLoadRefused(dir + "no-such-file.qif", "Unable to open file");
}

TEST_F(QifFileTest, FileHeldUnsharedCannotBeOpened) {
  WriteBytes(dir + "held.qif", "D01/02/03\n");
  HANDLE holder = HoldUnshared(dir + "held.qif");
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  ExpectLoadRefused(dir + "held.qif", "Unable to open file");
  CloseHandle(holder);
}

TEST_F(QifFileTest, EmptyFileIsRefusedWithoutAllocating) {
  WriteBytes(dir + "empty.qif", "");
  ExpectLoadRefused(dir + "empty.qif", "The file is empty");
}

TEST_F(QifFileTest, BinaryDataIsRefused) {
  WriteBytes(dir + "binary.qif", std::string("^\r\n\0\n", 5));
  ExpectLoadRefused(dir + "binary.qif", "Unable to load file\n\nThis is not a "
                                        "QIF file: it holds binary data (byte "
                                        "0x00 on line 2).");
}

// A file that says it is longer than what a read gives: the kernel's own
// status files report a whole page and deliver a few bytes. A short read must
// never pass for the whole file, or a Save would cut the user's file short.
TEST_F(QifFileTest, ShortReadIsNotALoad) {
  const char kStatusFile[] = "Z:\\sys\\devices\\system\\cpu\\online";
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExA(kStatusFile, GetFileExInfoStandard, &info) ||
      info.nFileSizeLow <= ReadBytes(kStatusFile).size())
    GTEST_SKIP() << "no status file here that reads shorter than its size";
  ExpectLoadRefused(kStatusFile, "Unable to load file");
}

// 2 GiB and more does not fit the document's size: refused, and not
// mistaken for an empty file. Just over 4 GiB is the dangerous one: a
// 32-bit length would wrap to a few bytes and load a truncated file. The
// files are sparse, so they cost no disk space.
TEST_F(QifFileTest, FilesOf2GiBOrMoreAreRefused) {
  for (LONGLONG size : {0x80000000LL, 0x10000000aLL}) {
    ResetRecorder();
    HANDLE file =
        CreateFileA((dir + "huge.qif").c_str(), GENERIC_WRITE, 0, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER length;
    length.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(file, length, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    ExpectLoadRefused(dir + "huge.qif", "Unable to load file");
    DeleteFileA((dir + "huge.qif").c_str());
  }
}

// The file is closed again after a load, whatever its outcome: another
// program may open it unshared straight away.
TEST_F(QifFileTest, LoadLeavesNoHandleOpen) {
  WriteBytes(dir + "closed.qif", "PA\n");
  SetPath(dir + "closed.qif");
  ASSERT_EQ(1, LoadQifFile(kOwner));
  HANDLE again = CreateFileA((dir + "closed.qif").c_str(), GENERIC_WRITE, 0,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, again);
  CloseHandle(again);
}

// A deep folder: longer than the 128 bytes the old OpenFile call allowed.
TEST_F(QifFileTest, LongPathLoadsAndWrites) {
  std::string path = dir;
  while (path.size() < 180) {
    path += "folder-with-a-long-name-";
    path += char('a' + path.size() % 26);
    CreateDirectoryA(path.c_str(), nullptr);
    path += "\\";
  }
  path += std::string(200 - path.size() - 4, 'f') + ".qif";
  ASSERT_EQ(200u, path.size());
  WriteBytes(path, "D12/25/99\nPShop\n");
  SetPath(path);
  ASSERT_EQ(1, LoadQifFile(kOwner));
  EXPECT_EQ(16, QifDocument.size);
  QifDocument.data[0] = 'X';
  ASSERT_EQ(1, WriteQifFile(kOwner));
  EXPECT_EQ("X12/25/99\nPShop\n", ReadBytes(path));
}

TEST_F(QifFileTest, RoundTripIsByteExact) {
  const char raw[] = "\r\n!Type:Bank\r\nD1/ 5/99\r\nM\x80\xff\xa0x\r\nno end";
  const std::string content(raw, sizeof raw - 1);
  WriteBytes(dir + "in.qif", content);
  SetPath(dir + "in.qif");
  ASSERT_EQ(1, LoadQifFile(kOwner));
  SetPath(dir + "out.qif");
  ASSERT_EQ(1, WriteQifFile(kOwner));
  EXPECT_EQ(content, ReadBytes(dir + "out.qif"));
  EXPECT_TRUE(g_recordedBoxes.empty());
}

TEST_F(QifFileTest, WritingOverALongerFileTruncatesIt) {
  WriteBytes(dir + "short.qif", "PA\n");
  WriteBytes(dir + "long.qif", std::string(5000, 'z'));
  SetPath(dir + "short.qif");
  ASSERT_EQ(1, LoadQifFile(kOwner));
  SetPath(dir + "long.qif");
  ASSERT_EQ(1, WriteQifFile(kOwner));
  EXPECT_EQ("PA\n", ReadBytes(dir + "long.qif"));
}

TEST_F(QifFileTest, OutputHeldUnsharedIsNotWritten) {
  WriteBytes(dir + "src.qif", "PA\n");
  WriteBytes(dir + "target.qif", "original");
  SetPath(dir + "src.qif");
  ASSERT_EQ(1, LoadQifFile(kOwner));
  HANDLE holder = HoldUnshared(dir + "target.qif");
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  SetPath(dir + "target.qif");
  EXPECT_EQ(0, WriteQifFile(kOwner));
  CloseHandle(holder);
  ExpectOneWarning("Unable to Save file", "Save");
  EXPECT_EQ("original", ReadBytes(dir + "target.qif"));
}

TEST_F(QifFileTest, DirectoryAtOutputPathIsNotWritten) {
  WriteBytes(dir + "src.qif", "PA\n");
  CreateDirectoryA((dir + "a-folder.qif").c_str(), nullptr);
  SetPath(dir + "src.qif");
  ASSERT_EQ(1, LoadQifFile(kOwner));
  SetPath(dir + "a-folder.qif");
  EXPECT_EQ(0, WriteQifFile(kOwner));
  ExpectOneWarning("Unable to Save file", "Save");
  DWORD attributes = GetFileAttributesA((dir + "a-folder.qif").c_str());
  EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A disk that fills up during the write: the create succeeds, the write
// cannot finish. The test script mounts a small tmpfs and names it in
// KESTROM_FULL_DISK_DIR (a Windows path); without it the case is skipped.
TEST_F(QifFileTest, WriteOntoAFullDiskIsAFailure) {
  const char *fullDisk = getenv("KESTROM_FULL_DISK_DIR");
  if (!fullDisk || !*fullDisk)
    GTEST_SKIP() << "no small tmpfs mounted (KESTROM_FULL_DISK_DIR unset)";
  const std::string content(256 * 1024, 'P');
  WriteBytes(dir + "big.qif", content);
  SetPath(dir + "big.qif");
  ASSERT_EQ(1, LoadQifFile(kOwner));
  const std::string target = std::string(fullDisk) + "\\full.qif";
  SetPath(target);
  EXPECT_EQ(0, WriteQifFile(kOwner));
  ExpectOneWarning("Unable to Save file", "Save");
  EXPECT_NE(content, ReadBytes(target));
  EXPECT_EQ(int(content.size()), QifDocument.size); // content kept for a retry
}

} // namespace
