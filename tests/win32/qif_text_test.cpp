// The conversion over the document with its questions asked through the
// real AskYesNo, their message boxes recorded.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "message_box_recorder.h"
#include "qif_document.h"

namespace {

HWND const kOwner = reinterpret_cast<HWND>(0x5678);

const char kNoMark[] = "This file has no line such as !Type:Bank and no ^, "
                       "so it may not be a QIF file.\n\nAre you sure you want "
                       "to convert it?";
const char kDayFirst[] = "This file looks like it already has dates in "
                         "normal order.\n\nAre you sure you want to convert "
                         "it?";
const char kLeftAloneLine3[] =
    "Line 3 holds a date that this program does not convert: D1/5\n\nThe "
    "other dates are converted, and dates like this one stay as they "
    "are.\n\nAre you sure you want to convert it?";

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

struct QuestionCase {
  const char *content;
  std::vector<int> answers;
  std::vector<const char *> asked; // each box's text, in order
  const char *after;               // null: the content as loaded, result 0
};

// Each reason to ask gets its box, in this order, before any byte changes;
// only Yes goes on, and a box that failed or was closed means No.
const QuestionCase kQuestionCases[] = {
    {"!Type:Bank\nD13/01/00\nPA\nD14/02/00\n^\n",
     {IDYES},
     {kDayFirst},
     "!Type:Bank\nD01/13/00\nMA\nD02/14/00\n^\n"},
    {"!Type:Bank\nD01/02/00\nD13/01/00\n", {IDNO}, {kDayFirst}, nullptr},
    {"!Type:Bank\nD01/02/00\nD13/01/00\n", {IDCANCEL}, {kDayFirst}, nullptr},
    {"!Type:Bank\nD01/02/00\nD13/01/00\n", {0}, {kDayFirst}, nullptr},
    {"!Type:Bank\nD12/25/99\nD1/5\nPx\n^\n",
     {IDYES},
     {kLeftAloneLine3},
     "!Type:Bank\nD25/12/99\nD1/5\nMx\n^\n"},
    {"D12/25/99\nPx\n", {IDNO}, {kNoMark}, nullptr},
    {"D13/1/5\nD12/25/99\nD1/5\n",
     {IDYES, IDYES, IDYES},
     {kNoMark, kDayFirst, kLeftAloneLine3},
     "D1/13/5\nD25/12/99\nD1/5\n"},
    {"D13/1/5\nD12/25/99\nD1/5\n",
     {IDYES, IDNO},
     {kNoMark, kDayFirst},
     nullptr},
    {"!Type:Bank\nD20070122\nD2007-01-22\nPx\n^\n",
     {},
     {},
     "!Type:Bank\nD20070122\nD2007-01-22\nMx\n^\n"},
};

TEST_F(QifTextTest, AsksEachReasonFirstAndConvertsOnlyAfterYesToAll) {
  for (const QuestionCase &c : kQuestionCases) {
    LoadContent(c.content);
    ResetRecorder();
    ScriptBoxResults(c.answers);
    EXPECT_EQ(c.after ? 1 : 0, ConvertQifText(kOwner)) << c.content;
    EXPECT_EQ(c.after ? c.after : c.content, Content());
    ASSERT_EQ(c.asked.size(), g_recordedBoxes.size()) << c.content;
    for (size_t i = 0; i < c.asked.size(); ++i) {
      EXPECT_EQ(c.asked[i], g_recordedBoxes[i].text);
      EXPECT_EQ("Save", g_recordedBoxes[i].caption);
      EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), g_recordedBoxes[i].flags);
      EXPECT_EQ(kOwner, g_recordedBoxes[i].owner);
    }
    ReleaseQifDocument();
  }
}

TEST_F(QifTextTest, ExchangeOverWholeContentRestoresAsLoaded) {
  LoadContent("!Type:Bank\r\nD12/25/99\r\nPCorner Store\r\nMRent\r\n");
  ASSERT_EQ(1, ConvertQifText(kOwner));
  EXPECT_EQ("!Type:Bank\r\nD25/12/99\r\nMCorner Store\r\nPRent\r\n", Content());
  ExchangeQifFields(QifDocument.size);
  EXPECT_EQ("!Type:Bank\r\nD12/25/99\r\nPCorner Store\r\nMRent\r\n", Content());
  EXPECT_TRUE(g_recordedBoxes.empty());
}

} // namespace
