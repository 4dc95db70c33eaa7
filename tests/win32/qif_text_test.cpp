// The conversion over the document with the question asked through the
// real AskYesNo, its message box recorded.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "message_box_recorder.h"
#include "qif_document.h"

namespace {

HWND const kOwner = reinterpret_cast<HWND>(0x5678);

const char kQuestion[] =
    "This file looks like it already has dates in "
    "normal order.\n\nAre you sure you want to convert it?";

void LoadContent(const std::string &bytes) {
  QifDocument.data = static_cast<unsigned char *>(
      GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes.size() + 2));
  memcpy(QifDocument.data, bytes.data(), bytes.size());
  QifDocument.size = int(bytes.size());
}

std::string Content() {
  return std::string(reinterpret_cast<char *>(QifDocument.data),
                     QifDocument.size);
}

class QifTextTest : public ::testing::Test {
protected:
  void SetUp() override { ResetRecorder(); }
  void TearDown() override { ReleaseQifDocument(); }
};

TEST_F(QifTextTest, QuestionIsAskedOnceWithItsWordsAndFlags) {
  LoadContent("D13/01/00\nPA\nD14/02/00\n");
  ScriptBoxResults({IDYES});
  EXPECT_EQ(1, ConvertQifText(kOwner));
  EXPECT_EQ("D01/13/00\nMA\nD02/14/00\n", Content());
  ASSERT_EQ(1u, g_recordedBoxes.size());
  EXPECT_EQ(kQuestion, g_recordedBoxes[0].text);
  EXPECT_EQ("Save", g_recordedBoxes[0].caption);
  EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), g_recordedBoxes[0].flags);
  EXPECT_EQ(kOwner, g_recordedBoxes[0].owner);
}

// Only Yes goes on: No, and a box that failed or was closed, leave the
// content exactly as loaded.
TEST_F(QifTextTest, AnythingButYesLeavesContentAsLoaded) {
  for (int result : {IDNO, IDCANCEL, 0}) {
    LoadContent("PA\nD01/02/00\nD13/01/00\n");
    ResetRecorder();
    ScriptBoxResults({result});
    EXPECT_EQ(0, ConvertQifText(kOwner)) << "result " << result;
    EXPECT_EQ("PA\nD01/02/00\nD13/01/00\n", Content()) << "result " << result;
    EXPECT_EQ(1u, g_recordedBoxes.size());
    ReleaseQifDocument();
  }
}

TEST_F(QifTextTest, ExchangeOverWholeContentRestoresAsLoaded) {
  LoadContent("D12/25/99\r\nPCorner Store\r\nMRent\r\n");
  ASSERT_EQ(1, ConvertQifText(kOwner));
  EXPECT_EQ("D25/12/99\r\nMCorner Store\r\nPRent\r\n", Content());
  ExchangeQifFields(QifDocument.size);
  EXPECT_EQ("D12/25/99\r\nPCorner Store\r\nMRent\r\n", Content());
  EXPECT_TRUE(g_recordedBoxes.empty());
}

} // namespace
