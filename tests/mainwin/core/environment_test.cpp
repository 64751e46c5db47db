#include <gtest/gtest.h>

#include <sys/stat.h>

#include "common/debug_log.h"
#include "common/text_file.h"
#include "mainwin/core/environment.h"
#include "mainwin/core/session.h"
#include "platform/core/cp932.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

namespace {

struct EnvFixture {
  TempDir dir;
  TSession s;
  EnvFixture() {
    s.env.path = dir / "Velmor.DAT";
    cwd = fs::current_path();
  }
  ~EnvFixture() { fs::current_path(cwd); }
  void write_block(const std::string& body) {
    testing_support::write_file(s.env.path,
                                "***_environment_data\r\n" + body + "***_environment_end\r\n");
  }
  std::vector<std::string> saved_lines() {
    std::vector<std::string> l;
    read_text_lines(s.env.path, l);
    return l;
  }
  int count_key(const std::string& key) {
    int n = 0;
    for (const auto& l : saved_lines())
      if (l.rfind(key + ",", 0) == 0) ++n;
    return n;
  }
  fs::path cwd;
};

}  // namespace

TEST(Environment, MarkersOnlyGiveTheDefaultsAndTheSaveWritesEveryKeySorted) {
  EXPECT_EQ(env_key_count(), 226);
  EnvFixture f;
  ASSERT_TRUE(make_default_environment(f.s.env.path));
  EXPECT_EQ(testing_support::read_file(f.s.env.path).size(), 43u);
  ASSERT_TRUE(read_environment(f.s, 1));
  EXPECT_EQ(f.s.form.left, 190);
  EXPECT_EQ(f.s.form.zoom_pan_rotate, 19);
  EXPECT_FLOAT_EQ(f.s.nc().exec_opt.peck_return, 0.1f);
  EXPECT_FLOAT_EQ(f.s.disp.CLIP_ANGLE, 30.0f);
  EXPECT_FLOAT_EQ(f.s.disp.path[0].sokudo, 4000.0f);
  EXPECT_EQ(f.s.disp.TCOND_INIT_str, "G90G00G17G40G54");
  EXPECT_EQ(f.s.disp.band_count, 5);  // 1, 2, 6, 7, 8 then 0
  EXPECT_TRUE(f.s.mat->cut_jigs);
  ASSERT_TRUE(write_environment(f.s));

  std::string want = testing_support::read_file(testing_support::data_file("velmor_dat_defaults.txt"));
  const std::string cwd = plat::utf8_to_cp932(fs::current_path().string());
  want.replace(want.find("\"CWD\""), 5, "\"" + cwd + "\"");
  EXPECT_EQ(testing_support::read_file(f.s.env.path), want);
  struct stat st{};
  ASSERT_EQ(::stat(f.s.env.path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u) << "the file stays read-only";
  // A second save over the read-only file works and gives the same bytes.
  ASSERT_TRUE(read_environment(f.s, 0));
  ASSERT_TRUE(write_environment(f.s));
  EXPECT_EQ(testing_support::read_file(f.s.env.path), want);
}

TEST(Environment, KeysAndMarkersMatchAsTheFileHasThem) {
  struct Case {
    const char* name;
    std::string file;
    std::int32_t want_left;
    std::size_t kept = 0;  // unknown lines that the save keeps
  };
  const Case cases[] = {
      {"lower case key", "***_environment_data\r\nvelmor_form_left,int,300\r\n***_environment_end\r\n", 300},
      {"a prefix key does not match",
       "***_environment_data\r\nvelmor_Form_leftX,int,300\r\nvelmor_Form_le,int,301\r\n***_environment_end\r\n",
       190, 2},
      {"the first of two wins",
       "***_environment_data\r\nvelmor_Form_left,int,310\r\nvelmor_Form_left,int,320\r\n***_environment_end\r\n",
       310},
      {"markers in another case",
       "***_ENVIRONMENT_DATA\r\nvelmor_Form_left,int,330\r\n***_Environment_End\r\n", 330},
      {"no end marker", "***_environment_data\r\nvelmor_Form_left,int,340\r\n", 340},
      {"text outside the markers",
       "velmor_Form_left,int,350\r\n***_environment_data\r\n***_environment_end\r\nvelmor_Form_left,int,360\r\n",
       190},
      {"two blocks are joined",
       "***_environment_data\r\n***_environment_end\r\n***_environment_data\r\nvelmor_Form_left,int,370\r\n***_environment_end\r\n",
       370},
      {"LF line ends", "***_environment_data\nvelmor_Form_left,int,380\n***_environment_end\n", 380},
  };
  for (const Case& c : cases) {
    EnvFixture f;
    testing_support::write_file(f.s.env.path, c.file);
    read_environment(f.s, 1);
    EXPECT_EQ(f.s.form.left, c.want_left) << c.name;
    ASSERT_TRUE(write_environment(f.s)) << c.name;
    EXPECT_EQ(f.count_key("velmor_Form_left") + f.count_key("velmor_form_left"), 1) << c.name;
    EXPECT_EQ(f.saved_lines().size(), 228u + c.kept) << c.name;
  }
}

TEST(Environment, ValuesOutOfRangeAreBroughtBack) {
  struct Case {
    const char* line;
    std::function<bool(const TSession&)> ok;
  };
  const Case cases[] = {
      {"nc_word_unit,int,7", [](const TSession& s) { return s.form.unit_factor == 0.001f; }},
      {"nc_word_unit,int,2", [](const TSession& s) { return s.form.unit_factor == 0.1f; }},
      {"LIST_VIEW_FONT_height,int,-14", [](const TSession& s) { return s.form.list_font_height == -12; }},
      {"LIST_VIEW_FONT_height,int,-18", [](const TSession& s) { return s.form.list_font_height == -18; }},
      {"DISP_PATH_COLORING,int,5", [](const TSession& s) { return s.disp.PATH_COLORING == 0; }},
      {"PREV_X_SIZE,int,20", [](const TSession& s) { return s.disp.PREV_X_SIZE == 400; }},
      {"PREV_Y_SIZE,int,2001", [](const TSession& s) { return s.disp.PREV_Y_SIZE == 300; }},
      {"PREV_JPEG_COMPRESS,int,0", [](const TSession& s) { return s.disp.PREV_JPEG_COMPRESS == 9; }},
      {"DISP_LIMIT_LINES,int,0", [](const TSession& s) { return s.disp.LIMIT_LINES == 50000; }},
      {"DISP_XYZ_ORG_width,int,-3", [](const TSession& s) { return s.disp.XYZ_ORG_width == 1; }},
      {"velmor_Form_left,int,5000", [](const TSession& s) { return s.form.left == 1920 - 100; }},
      {"velmor_Form_Top,int,-40", [](const TSession& s) { return s.form.top == 0; }},
      {"ctrl_view_Top,int,3000", [](const TSession& s) { return s.form.ctrl_top == 1080 - 100; }},
      {"DISP_VIS_TOOL,int,7", [](const TSession& s) { return s.disp.VIS_TOOL == 1; }},
      {"nc_word_enabled_G4x_flag,int,0", [](const TSession& s) { return !s.nc().exec_opt.comp_enabled && !s.spare->exec_opt.comp_enabled; }},
      {"DISP_SIM_CUTTING_ZIGU,int,0", [](const TSession& s) { return s.mat->cut_jigs == 0; }},
  };
  for (const Case& c : cases) {
    EnvFixture f;
    f.write_block(std::string(c.line) + "\r\n");
    read_environment(f.s, 1);
    EXPECT_TRUE(c.ok(f.s)) << c.line;
  }
}

TEST(Environment, ScaledValuesAndFeedBandsRoundTrip) {
  EnvFixture f;
  f.write_block(
      "DISP_CLIP_ANGLE,int,125\r\nnc_word_fixed_d,int,-2500\r\nDISP_COPY_IA,int,-1\r\n"
      "cut_feed_1_sokudo,int,100\r\ncut_feed_2_sokudo,int,200\r\ncut_feed_3_sokudo,int,600\r\n"
      "cut_feed_4_sokudo,int,700\r\ncut_feed_5_sokudo,int,800\r\ncut_feed_6_sokudo,int,900\r\n"
      "cut_feed_7_sokudo,int,1000\r\ncut_feed_8_sokudo,int,1100\r\n");
  read_environment(f.s, 0);
  EXPECT_FLOAT_EQ(f.s.disp.CLIP_ANGLE, 12.5f);
  EXPECT_FLOAT_EQ(f.s.nc().exec_opt.peck_return, -2.5f);
  EXPECT_EQ(f.s.disp.band_count, 8);
  f.s.disp.CLIP_GAP = 0.05f;             // 0.5 tenths: half away from zero
  f.s.disp.COPY_IX = -0.0015f;           // -1.5 thousandths
  f.s.disp.AP_LENGTH_1 = 3.0e9f;         // beyond int32
  ASSERT_TRUE(write_environment(f.s));
  const std::string text = testing_support::read_file(f.s.env.path);
  for (const char* want : {"DISP_CLIP_ANGLE,int,125\r\n", "nc_word_fixed_d,int,-2500\r\n",
                           "DISP_COPY_IA,int,-1\r\n", "DISP_CLIP_GAP,int,1\r\n",
                           "DISP_COPY_IX,int,-2\r\n", "DISP_AP_LENGTH_1,int,2147483647\r\n"})
    EXPECT_NE(text.find(want), std::string::npos) << want;
  // Band counts stop at the first row that does not rise.
  struct Band {
    std::vector<float> feeds;  // rows 1..8
    int want;
  };
  for (const Band& b : {Band{{1, 2, 6, 7, 8, 0, 0, 0}, 5}, Band{{5, 5, 6, 7, 8, 9, 10, 11}, 1},
                        Band{{1, 2, 3, 4, 5, 6, 7, 8}, 8}, Band{{0, 0, 0, 0, 0, 0, 0, 0}, 1}}) {
    Tdisp_status d;
    for (int i = 0; i < 8; ++i) d.path[i + 1].sokudo = b.feeds[i];
    EXPECT_EQ(count_feed_bands(d), b.want);
  }
}

TEST(Environment, BadNumbersTakeTheDefaultAndKeepTheRest) {
  for (const char* bad : {"1-2", "", "99999999999", "err", "x"}) {
    EnvFixture f;
    RecordingDebLog log;
    f.write_block(std::string("velmor_Form_left,int,") + bad +
                  "\r\nDISP_BOX_color,int,33\r\nzoom_pan_rotate,int,35\r\n");
    read_environment(f.s, 1);
    EXPECT_EQ(f.s.form.left, 190) << bad;
    EXPECT_EQ(f.s.disp.BOX_color, 33) << bad;
    EXPECT_EQ(f.s.form.zoom_pan_rotate, 35) << bad;
    EXPECT_TRUE(log.contains("velmor_Form_left")) << bad;
    ASSERT_TRUE(write_environment(f.s));
    EXPECT_EQ(f.count_key("velmor_Form_left"), 1) << bad;
    EXPECT_NE(testing_support::read_file(f.s.env.path).find("velmor_Form_left,int,190\r\n"),
              std::string::npos)
        << bad;
  }
}

TEST(Environment, TextsKeepInnerQuotesAndOtherKeysRoundTrip) {
  EnvFixture f;
  f.write_block(
      "OTHER_EXEC_LAST_DATA,str,\"say \"hi\" now\"\r\nDISP_c_T_SET_TCOND_M6_str,str,M6 without quotes\r\n"
      "f_sel_filter,str,\"*.NC\"\r\nsome_unknown_key,int,5\r\n");
  read_environment(f.s, 0);
  EXPECT_EQ(f.s.disp.OTHER_EXEC_LAST_DATA, "say \"hi\" now");
  EXPECT_EQ(f.s.disp.TCOND_M6_str, "M6");
  EXPECT_EQ(f.s.env.read_env_str("f_sel_filter", "*.NCD"), "*.NC");
  ASSERT_TRUE(write_environment(f.s));
  const std::string text = testing_support::read_file(f.s.env.path);
  for (const char* want : {"OTHER_EXEC_LAST_DATA,str,\"say \"hi\" now\"\r\n",
                           "f_sel_filter,str,\"*.NC\"\r\n", "some_unknown_key,int,5\r\n",
                           "DISP_c_T_SET_TCOND_M6_str,str,\"M6\"\r\n"})
    EXPECT_NE(text.find(want), std::string::npos) << want;
  EXPECT_EQ(f.saved_lines().size(), 230u);
}

TEST(Environment, AFileThatCannotBeReadIsNotWrittenOver) {
  EnvFixture f;
  fs::create_directory(f.s.env.path);  // exists, but is no readable file
  testing_support::write_file(f.s.env.path / "inside", "x");
  read_environment(f.s, 1);
  EXPECT_EQ(f.s.form.left, 190);
  std::string err;
  EXPECT_FALSE(write_environment(f.s, &err));
  EXPECT_FALSE(err.empty());
  EXPECT_TRUE(fs::is_directory(f.s.env.path));
}

TEST(Environment, SortPutsPunctuationBeforeDigitsBeforeLetters) {
  EXPECT_TRUE(env_line_less("A_B", "A1"));
  EXPECT_TRUE(env_line_less("A1", "AB"));
  EXPECT_TRUE(env_line_less("ab", "AC"));
  EXPECT_TRUE(env_line_less("AB,", "ABC"));
  EXPECT_FALSE(env_line_less("abc", "ABC"));
  EXPECT_TRUE(env_line_less("AZ", "A\x82\xa0"));
}
