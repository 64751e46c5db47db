#include "common/debug_log.h"

#include <gtest/gtest.h>

namespace {

TEST(DebugLog, RecordingSinkNestsAndRestores) {
  RecordingDebLog outer;
  deb_log("Tvelmor.open_FILE(mode=3)");
  {
    RecordingDebLog inner;
    deb_logf("ERR : %s; ACTION_MODE = %d", "TTOOL_LIST_win.Image1DblClick", 7);
    ASSERT_EQ(inner.lines.size(), 1u);
    EXPECT_EQ(inner.lines[0], "ERR : TTOOL_LIST_win.Image1DblClick; ACTION_MODE = 7");
    EXPECT_TRUE(inner.contains("ACTION_MODE = 7"));
  }
  deb_log("異常 : 工具");
  ASSERT_EQ(outer.lines.size(), 2u);
  EXPECT_EQ(outer.lines[1], "異常 : 工具");  // CP932 bytes pass unchanged
  EXPECT_EQ(deb_log_sink(), &outer);
}

}  // namespace
