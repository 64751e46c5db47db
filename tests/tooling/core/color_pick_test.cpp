#include "tooling/core/color_pick.h"

#include <gtest/gtest.h>

#include "tooling/core/disp_status.h"

TEST(ColorPick, PointToCodeWithTheBottomRowFirst) {
  struct Case {
    int x, y, code;
  } cases[] = {
      {0, 31, 0},     // lower left
      {127, 0, 63},   // upper right
      {0, 0, 48},     // y = 0 lies in row 3
      {0, 24, 0},     // row 0 spans y 24..31
      {0, 23, 16},    // one dot up is row 1
      {8, 31, 1},     // the second column
      {-5, 31, 0},    // clamped left
      {200, 31, 15},  // clamped right
      {0, 40, 0},     // below the grid
      {0, -9, 48},    // above the grid
  };
  for (const Case& c : cases)
    EXPECT_EQ(color_code_at(c.x, c.y), c.code) << c.x << "," << c.y;
  EXPECT_EQ(color_code_column(63), 15);
  EXPECT_EQ(color_code_row(63), 3);
  EXPECT_EQ(color_code_row(17), 1);
}

TEST(ColorPick, EditTexts) {
  EXPECT_EQ(color_code_of_text("0"), 0);
  EXPECT_EQ(color_code_of_text(" 63 "), 63);
  EXPECT_EQ(color_code_of_text("64"), -1);
  EXPECT_EQ(color_code_of_text("-1"), -1);
  EXPECT_EQ(color_code_of_text("1.5"), -1);
  EXPECT_EQ(color_code_of_text(""), -1);
  EXPECT_EQ(line_width_of_text("0"), -1);
  EXPECT_EQ(line_width_of_text("1"), 1);
  EXPECT_EQ(line_width_of_text("20"), 20);
  EXPECT_EQ(line_width_of_text("21"), -1);
  EXPECT_EQ(feed_limit_of_text("0"), 0);
  EXPECT_EQ(feed_limit_of_text("1500.5"), 1500.5);
  EXPECT_EQ(feed_limit_of_text(".5"), 0.5);
  EXPECT_EQ(feed_limit_of_text("100."), 100);
  EXPECT_LT(feed_limit_of_text("-1"), 0);
  EXPECT_LT(feed_limit_of_text("abc"), 0);
  EXPECT_LT(feed_limit_of_text("1e5"), 0);
  EXPECT_EQ(feed_limit_text(1234.5678f), "1234.568");
  EXPECT_EQ(feed_limit_text(100), "100");
}

TEST(ColorPick, FeedBands) {
  struct Case {
    std::vector<float> limits;  // rows 1..
    int bands;
  } cases[] = {
      {{100, 200, 150, 300, 400, 500, 600, 700}, 2},
      {{1, 2, 3, 4, 5, 6, 7, 8}, 8},
      {{200, 200, 300, 400, 500, 600, 700, 800}, 1},
      {{1, 2, 6, 7, 8, 0, 9, 10}, 5},
  };
  for (const Case& c : cases) {
    Tdisp_status d;
    for (std::size_t i = 0; i < c.limits.size(); ++i) d.path[i + 1].sokudo = c.limits[i];
    EXPECT_EQ(count_feed_bands(d), c.bands);
    for (int row = 2; row <= 8; ++row) EXPECT_EQ(path_row_valid(row, c.bands), row <= c.bands);
    EXPECT_TRUE(path_row_valid(1, c.bands));
    EXPECT_TRUE(path_row_valid(9, c.bands));
  }
  EXPECT_STREQ(path_row_caption(15), "(未使用)");
}
