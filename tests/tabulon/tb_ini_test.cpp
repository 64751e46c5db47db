#include "tabulon/core/tb_ini.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

TEST(TabulonIni, ReadsAndWritesInPlace) {
  TempDir d;
  write_file(d / "t.ini",
             "; my settings\r\n"
             "[other]\r\n"
             "D_ext=.X\r\n"
             "[tb_OPTION]\r\n"
             "m_top = 120 \r\n"
             "M_TOP=999\r\n"  // the first match wins
             "mine=kept\r\n"
             "D_combo_TB_text= test-2 用\r\n"
             "D_O_num=\"O1\"\r\n"
             "\r\n"
             "[last]\r\n"
             "x=1");
  TTB_ini ini;
  ASSERT_TRUE(ini.load(d / "t.ini"));
  EXPECT_EQ(ini.read("TB_option", "M_TOP", "100"), "120");
  EXPECT_EQ(ini.read("TB_option", "M_LEFT", "100"), "100");
  EXPECT_EQ(ini.read("TB_option", "D_ext", ".NCD"), ".NCD");  // other sections do not count
  EXPECT_EQ(ini.read("TB_option", "D_combo_TB_text", ""), "test-2 用");
  EXPECT_EQ(ini.read("TB_option", "D_O_num", ""), "O1");
  EXPECT_EQ(ini.read("nothing", "M_TOP", "7"), "7");

  ini.write("TB_option", "M_TOP", "94");
  ini.write("TB_option", "M_LEFT", "394");
  ini.write("new", "a", "表");
  ASSERT_TRUE(ini.save(d / "t.ini"));
  EXPECT_EQ(read_file(d / "t.ini"),
            "; my settings\r\n"
            "[other]\r\n"
            "D_ext=.X\r\n"
            "[tb_OPTION]\r\n"
            "M_TOP=94\r\n"
            "M_TOP=999\r\n"
            "mine=kept\r\n"
            "D_combo_TB_text= test-2 用\r\n"
            "D_O_num=\"O1\"\r\n"
            "M_LEFT=394\r\n"
            "\r\n"
            "[last]\r\n"
            "x=1\r\n"
            "[new]\r\n"
            "a=表\r\n");

  TTB_ini none;
  EXPECT_FALSE(none.load(d / "none.ini"));
  none.write("TB_option", "M_TOP", "1");
  EXPECT_EQ(none.lines(), (std::vector<std::string>{"[TB_option]", "M_TOP=1"}));
  std::string err;
  EXPECT_FALSE(none.save(d / "no" / "x.ini", &err));
  EXPECT_FALSE(err.empty());
}

TEST(TabulonIni, UnknownLinesStayByteForByte) {
  TempDir d;
  const std::string other = "; a\tcomment\r\n[other]\r\nkey\t=\tv\x01w\r\n";
  write_file(d / "t.ini", other + "[TB_option]\r\nM_TOP=\t5\r\n");
  TTB_ini ini;
  ASSERT_TRUE(ini.load(d / "t.ini"));
  EXPECT_EQ(ini.read("TB_option", "M_TOP", ""), "5");
  ini.write("TB_option", "M_TOP", "6");
  ASSERT_TRUE(ini.save(d / "t.ini"));
  EXPECT_EQ(read_file(d / "t.ini"), other + "[TB_option]\r\nM_TOP=6\r\n");

  write_file(d / "t.ini", "[TB_option]\rM_TOP=7\nM_LEFT=8");
  ASSERT_TRUE(ini.load(d / "t.ini"));
  EXPECT_EQ(ini.lines(), (std::vector<std::string>{"[TB_option]", "M_TOP=7", "M_LEFT=8"}));
}
