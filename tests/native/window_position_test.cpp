#include <gtest/gtest.h>

#include <string>

#include "window_position.h"

namespace {

struct CenterCase {
  const char *name;
  int screenWidth, screenHeight, width, height;
  int x, y;
};

class CenterTable : public ::testing::TestWithParam<CenterCase> {};

TEST_P(CenterTable, CentresOnTheScreen) {
  const CenterCase &c = GetParam();
  int x = 12345, y = 12345;
  CenteredOrigin(c.screenWidth, c.screenHeight, c.width, c.height, &x, &y);
  EXPECT_EQ(c.x, x);
  EXPECT_EQ(c.y, y);
}

const CenterCase kCenterCases[] = {
    {"HalfTheScreen", 800, 600, 400, 200, 200, 200},
    // Truncated toward zero, not -26.
    {"WiderThanTheScreen", 800, 600, 851, 200, -25, 200},
    {"TallerThanTheScreen", 800, 600, 800, 601, 0, 0},
    {"OddSizes", 1024, 768, 387, 157, 318, 305},
};

// A failure names the row instead of printing its bytes.
void PrintTo(const CenterCase &row, std::ostream *os) { *os << row.name; }

INSTANTIATE_TEST_SUITE_P(Screens, CenterTable,
                         ::testing::ValuesIn(kCenterCases),
                         [](const ::testing::TestParamInfo<CenterCase> &info) {
                           return std::string(info.param.name);
                         });

} // namespace
