#include "tooling/core/extra_setup_rules.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mainwin/core/environment.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace {

int field_of(const char* edit) {
  const auto& f = extra_setup_fields();
  for (std::size_t i = 0; i < f.size(); ++i)
    if (std::string(f[i].edit) == edit) return static_cast<int>(i);
  return -1;
}

TEST(ExtraSetup, Normalisation) {
  struct {
    const char* edit;
    const char* typed;
    const char* shown;
  } cases[] = {
      {"ED_K", "370", "10"},     {"ED_K", "-5", "-5"},     {"ED_K", "3600", "0"},
      {"ED_K", "-3605", "-5"},   {"ED_K", "12.34", "12.3"}, {"ED_F", "-2", "2"},
      {"ED_F", "0", "0.1"},      {"ED_D", "0.04", "0.1"},  {"ED_L", "2.25", "2.3"},
      {"ED_M", "0.0004", "0.1"}, {"ED_M", "1.2345", "1.235"}, {"ED_G", "0", "1"},
      {"ED_G", "2.6", "3"},      {"ED_I", "-7", "7"},      {"ED_A", "63", "63"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.edit) + " " + c.typed);
    Tdisp_status d;
    const int i = field_of(c.edit);
    ASSERT_GE(i, 0);
    ASSERT_TRUE(commit_extra_field(d, i, c.typed));
    EXPECT_EQ(extra_field_text(d, i), c.shown);
  }
  const double big = normalise_extra_value(TExtra_kind::angle, 1e30);
  EXPECT_TRUE(std::isfinite(big));
  EXPECT_LT(std::fabs(big), 360.0);
}

TEST(ExtraSetup, RefusedTextsKeepTheValue) {
  plat::ScriptedMessageBoxes boxes;
  Tdisp_status d;
  d.BACK_color = 5;
  d.CLIP_GAP = 3;
  EXPECT_FALSE(commit_extra_field(d, field_of("ED_A"), "64"));
  EXPECT_FALSE(commit_extra_field(d, field_of("ED_A"), "1.5"));
  EXPECT_FALSE(commit_extra_field(d, field_of("ED_L"), "abc"));
  EXPECT_EQ(d.BACK_color, 5);
  EXPECT_EQ(d.CLIP_GAP, 3);
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[0].text, "カラー番号は 0～63 で指定してください");
  EXPECT_EQ(boxes.shown[2].text, "abc は実数ではありません");
}

TEST(ExtraSetup, EveryFieldGoesToItsKeyAndBack) {
  testing_support::TempDir dir;
  const char* typed[] = {"1", "2", "3", "4.5", "5", "6.5", "7", "8", "9", "10", "11.5", "12.5",
                         "0.125"};
  {
    TSession s;
    init_session(s, dir.path(), dir.path());
    write_default_files(s);
    read_environment(s, 1);
    for (int i = 0; i < static_cast<int>(extra_setup_fields().size()); ++i)
      ASSERT_TRUE(commit_extra_field(s.disp, i, typed[i]));
    ASSERT_TRUE(write_environment(s));
  }
  TSession s;
  init_session(s, dir.path(), dir.path());
  read_environment(s, 1);
  for (int i = 0; i < static_cast<int>(extra_setup_fields().size()); ++i)
    EXPECT_EQ(extra_field_text(s.disp, i), typed[i]) << extra_setup_fields()[i].edit;
}

TEST(ExtraSetup, OriginWidthZeroBecomesOne) {
  Tdisp_status d;
  d.XYZ_ORG_width = 0;
  fix_extra_fields(d);
  EXPECT_EQ(d.XYZ_ORG_width, 1);
}

}  // namespace
