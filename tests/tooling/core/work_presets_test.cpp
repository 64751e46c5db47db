#include "tooling/core/work_presets.h"

#include <gtest/gtest.h>

#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "tests/support/test_support.h"

namespace {

struct LineCase {
  const char* line;
  bool listed;
  VEC3 min, max;
  std::int64_t nx, ny, color;
};

TEST(WorkPresets, LinesOfTheFile) {
  const LineCase cases[] = {
      {"\"A\",-50,-50,-50,50,50,0,50,50,43", true, {-50, -50, -50}, {50, 50, 0}, 50, 50, 43},
      // eight and ten commas, a field that is no number, a real division count
      {"\"A\",-50,-50,-50,50,50,0,50,50", false, {}, {}, 0, 0, 0},
      {"\"A\",-50,-50,-50,50,50,0,50,50,43,1", false, {}, {}, 0, 0, 0},
      {"\"A\",-50,-50,x,50,50,0,50,50,43", false, {}, {}, 0, 0, 0},
      {"\"A\",-50,-50,-50,50,50,0,50.0,50,43", false, {}, {}, 0, 0, 0},
      {"\"A\",-50,-50,-50,50,50,0,99999999999,50,43", false, {}, {}, 0, 0, 0},
      // negative divisions and colour taken positive; blanks and TABs inside numbers
      {"\"A\",-50,-50,-50,50,50,0,-20,-30,-5", true, {-50, -50, -50}, {50, 50, 0}, 20, 30, 5},
      {"  \"A\" , 1 0 ,-5\t0,-50,50,50,0,1\t0,50,43  ", true, {10, -50, -50}, {50, 50, 0}, 10, 50, 43},
      // text between the quote and the first comma joins the first number
      {"\"A\"-1,5,0,-5,50,50,0,5,5,1", true, {-15, 0, -5}, {50, 50, 0}, 5, 5, 1},
      // an empty colour gives the default colour
      {"\"A\",-50,-50,-50,50,50,0,50,50,", true, {-50, -50, -50}, {50, 50, 0}, 50, 50, 43},
      // a name holding commas, and one whose second byte is a backslash
      {"\" 30 x  30 x 20 ,格子数  10x 10 (3.00mm)\",-25,-25,-40,25,25,0,100,100,43", true,
       {-25, -25, -40}, {25, 25, 0}, 100, 100, 43},
      {"\"表\",0,0,-1,1,1,0,1,1,2", true, {0, 0, -1}, {1, 1, 0}, 1, 1, 2},
      // comments, no closing quote, no quote first
      {"; \"A\",-50,-50,-50,50,50,0,50,50,43", false, {}, {}, 0, 0, 0},
      {"\"A,-50,-50,-50,50,50,0,50,50,43", false, {}, {}, 0, 0, 0},
      {"A\",-50,-50,-50,50,50,0,50,50,43", false, {}, {}, 0, 0, 0},
      // out of range values are listed (refused when chosen)
      {"\"A\",-50,-50,-50,50,50,0,5000,50,64", true, {-50, -50, -50}, {50, 50, 0}, 5000, 50, 64},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    TWork_preset p;
    ASSERT_EQ(Parse_def_work_size_line(c.line, p), c.listed);
    if (!c.listed) continue;
    EXPECT_EQ(p.min.x, c.min.x);
    EXPECT_EQ(p.min.y, c.min.y);
    EXPECT_EQ(p.min.z, c.min.z);
    EXPECT_EQ(p.max.x, c.max.x);
    EXPECT_EQ(p.max.y, c.max.y);
    EXPECT_EQ(p.max.z, c.max.z);
    EXPECT_EQ(p.nx, c.nx);
    EXPECT_EQ(p.ny, c.ny);
    EXPECT_EQ(p.color, c.color);
  }
  TWork_preset p;
  ASSERT_TRUE(Parse_def_work_size_line("\"表\",0,0,-1,1,1,0,1,1,2", p));
  EXPECT_EQ(p.name, "表");
}

TEST(WorkPresets, ChosenValuesOutOfRangeAreRefused) {
  TWork_preset p;
  std::string msg;
  ASSERT_TRUE(Parse_def_work_size_line("\"A\",-50,-50,-50,50,50,0,4094,4094,63", p));
  EXPECT_TRUE(check_work_preset(p, msg));
  ASSERT_TRUE(Parse_def_work_size_line("\"A\",-50,-50,-50,50,50,0,5000,50,43", p));
  EXPECT_FALSE(check_work_preset(p, msg));
  EXPECT_EQ(msg, "格子数は 0 ～ 4094 の範囲内で指定してください");
  ASSERT_TRUE(Parse_def_work_size_line("\"A\",-50,-50,-50,50,50,0,50,50,64", p));
  EXPECT_FALSE(check_work_preset(p, msg));
  EXPECT_EQ(msg, "色指定は 0 ～ 63 の範囲内で指定してください");
}

TEST(WorkPresets, DefaultFileOfTheStartUpListsItsFourNames) {
  testing_support::TempDir dir;
  TSession s;
  init_session(s, dir.path(), dir.path());
  write_default_files(s);
  const auto file = find_work_preset_file(s.config_folder);
  ASSERT_FALSE(file.empty());
  std::vector<TWork_preset> list;
  ASSERT_TRUE(Load_def_work_size_list(file, list));
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].name, " 30 x  30 x 20 ,格子数  10x 10 (3.00mm)");
  EXPECT_EQ(list[1].name, " 50 x  50 x 40 ,格子数 100x100 (0.50mm)");
  EXPECT_EQ(list[2].name, "100 x 100 x 60 ,格子数 400x400 (0.25mm)");
  EXPECT_EQ(list[3].name, "100 x 100 x 60 ,格子数 100x100 (1.00mm)");
  EXPECT_EQ(list[2].nx, 400);
}

TEST(WorkPresets, FileFoundWithoutCaseAndSplitAtEveryLineEnd) {
  testing_support::TempDir dir;
  testing_support::write_file(dir / "DEF_WORK_SIZE.TXT",
                              "\"a\",0,0,-1,1,1,0,1,1,2\r\"b\",0,0,-1,1,1,0,1,1,2\n;x\r\n"
                              "\"c\",0,0,-1,1,1,0,1,1,2");
  std::vector<TWork_preset> list;
  ASSERT_TRUE(Load_def_work_size_list(find_work_preset_file(dir.path()), list));
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].name, "c");
  EXPECT_TRUE(find_work_preset_file(dir / "none").empty());
  EXPECT_FALSE(Load_def_work_size_list(dir / "missing.txt", list));
  EXPECT_TRUE(list.empty());
}

TEST(WorkPresets, PathExtentChoices) {
  const TWork_preset a = path_extent_preset({-10, -20, -5}, {30, 40, 25}, false);
  EXPECT_EQ(a.nx, 50);
  EXPECT_EQ(a.ny, 50);
  EXPECT_EQ(a.color, 43);
  EXPECT_EQ(a.max.z, 25);
  const TWork_preset b = path_extent_preset({-10, -20, -5}, {30, 40, 25}, true);
  EXPECT_EQ(b.min.x, -20);
  EXPECT_EQ(b.min.y, -30);
  EXPECT_EQ(b.min.z, -15);
  EXPECT_EQ(b.max.x, 40);
  EXPECT_EQ(b.max.y, 50);
  EXPECT_EQ(b.max.z, 35);
}

}  // namespace
