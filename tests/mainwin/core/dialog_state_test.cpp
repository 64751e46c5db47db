#include "mainwin/core/dialog_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using V = std::vector<std::string>;

TEST(DialogHistory, RuleForFiltersFoldersAndPrograms) {
  struct Case {
    const char* what;
    V before;
    const char* text;
    bool ignore_case;
    V after;
  };
  const Case cases[] = {
      {"new first", {"/a", "/b"}, "/c", false, {"/c", "/a", "/b"}},
      {"known moves up", {"/a", "/b", "/c"}, "/c", false, {"/c", "/a", "/b"}},
      {"filter case ignored, new spelling kept", {"*.nc", "*.txt"}, "*.NC", true, {"*.NC", "*.txt"}},
      // The trail byte of "ヂ" is "a": folding it would make it "ア".
      {"trail bytes are not letters", {"ア"}, "ヂ", true, {"ヂ", "ア"}},
      {"folders keep their case", {"/a/X"}, "/a/x", false, {"/a/x", "/a/X"}},
      {"empty text not added", {"/a"}, "", false, {"/a"}},
      {"eleventh pushes the oldest out",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, "11", false,
       {"11", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
      {"known at the end of a full list",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, "10", false,
       {"10", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    V items = c.before;
    update_history(items, c.text, c.ignore_case);
    EXPECT_EQ(items, c.after);
  }
}

TEST(DialogPlace, ClampedToTheAvailableDesktop) {
  struct Case {
    DLG_POS in;
    int ox, oy, w, h;
    int x, y;
  };
  const Case cases[] = {
      {{2000, 100}, 0, 0, 1280, 1024, 980, 100},  // 300 pixels inside the right edge
      {{100, 5000}, 0, 0, 1280, 1024, 100, 724},
      {{-50, -10}, 0, 0, 1280, 1024, 0, 0},
      {{0, 0}, 1280, 24, 1920, 1056, 1280, 24},  // a second screen's origin
      {{5000, 5000}, 1280, 24, 1920, 1056, 2900, 780},
  };
  for (const Case& c : cases) {
    const DLG_POS p = clamp_dialog_pos(c.in, c.ox, c.oy, c.w, c.h);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
  }
}

TEST(DialogPlace, CentredRoundingTowardZero) {
  struct Case {
    int ox, oy, sw, sh, w, h;
    int x, y;
  };
  const Case cases[] = {
      {0, 0, 1280, 1024, 301, 200, 489, 412},
      {0, 0, 800, 600, 901, 603, -50, -1},  // larger than the screen: toward zero, not down
      {1280, 24, 1920, 1056, 400, 300, 2040, 402},
  };
  for (const Case& c : cases) {
    const DLG_POS p = centre_dialog_pos(c.ox, c.oy, c.sw, c.sh, c.w, c.h);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
  }
}

}  // namespace
