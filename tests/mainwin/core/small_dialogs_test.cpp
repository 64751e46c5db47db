#include "mainwin/core/small_dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/core/msgbox.h"

namespace {

TEST(MoveRotateFields, FixOnLeaving) {
  struct Case {
    const char* in;
    bool integer;
    const char* out;
    bool message;
  };
  const Case cases[] = {
      {"abc", false, "0", true},
      {"x12.5y", false, "12.5", true},
      {"1-2", false, "0", true},  // a sign inside a number is no number
      {"-.5", false, "-.5", false},
      {"12", false, "12", false},
      {"", false, "0", true},
      {"2.5", true, "2", true},   // the count is an integer row
      {"7", true, "7", false},
      {"a3b", true, "3", true},
      {"x", true, "0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    plat::ScriptedMessageBoxes boxes;
    EXPECT_EQ(c.integer ? fix_integer_field(c.in, true) : fix_real_field(c.in, true), c.out);
    EXPECT_EQ(boxes.shown.size(), c.message ? 1u : 0u);
    if (c.message && !boxes.shown.empty()) {
      EXPECT_EQ(boxes.shown[0].text,
                std::string(c.in) + (c.integer ? " は整数ではありません" : " は実数ではありません"));
    }
  }
  EXPECT_FLOAT_EQ(real_field_value("-.5"), -0.5f);
  EXPECT_FLOAT_EQ(real_field_value("+3"), 3.0f);
  EXPECT_FLOAT_EQ(real_field_value(std::string(60, '9')), 1e10f);
  EXPECT_EQ(integer_field_value("+12"), 12);
  EXPECT_EQ(integer_field_value("-2147483648"), -2147483647 - 1);
}

TEST(MoveRotateRows, ByModeAndReadBack) {
  MOVE_ROTATE_VALUES v;
  v.move_x = 1.5f;
  v.move_y = -2;
  v.move_z = 7.25f;
  v.move_count = 3;
  v.center_x = 10;
  v.center_y = 20;
  v.angle = 45.5f;
  v.rotate_count = 8;
  struct Case {
    int mode;
    std::array<const char*, 4> caption;
    std::array<bool, 4> visible;
    std::array<const char*, 4> text;
  };
  const Case cases[] = {
      {MR_ROTATE, {"中心 X", "中心 Y", "角度", "回数"}, {true, true, true, true}, {"10", "20", "45.5", "8"}},
      {MR_ROTATE_2, {"中心 X", "中心 Y", "角度", "回数"}, {true, true, true, true}, {"10", "20", "45.5", "8"}},
      {MR_MOVE, {"移動 X", "移動 Y", "移動 Z", "回数"}, {true, true, false, true}, {"1.5", "-2", "7.25", "3"}},
      {MR_MOVE_2, {"移動 X", "移動 Y", "移動 Z", "回数"}, {true, true, false, true}, {"1.5", "-2", "7.25", "3"}},
      {MR_NO_ROWS, {"", "", "", ""}, {false, false, false, false}, {"0", "0", "0", "0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    v.mode = c.mode;
    const MOVE_ROTATE_ROWS r = move_rotate_rows(v);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(r.caption[i], c.caption[i]);
      EXPECT_EQ(r.visible[i], c.visible[i]);
      EXPECT_EQ(r.text[i], c.text[i]);
    }
  }
  // Move: Z is hidden and comes back unchanged, whatever its row holds.
  MOVE_ROTATE_VALUES m = v;
  m.mode = MR_MOVE;
  read_move_rotate_rows(m, {"4", "5.5", "99", "6"});
  EXPECT_FLOAT_EQ(m.move_x, 4);
  EXPECT_FLOAT_EQ(m.move_y, 5.5f);
  EXPECT_FLOAT_EQ(m.move_z, 7.25f);
  EXPECT_EQ(m.move_count, 6);
  EXPECT_FLOAT_EQ(m.center_x, 10);  // the rotate values are not touched
  // Rotate reads all four rows; mode 8 reads none.
  MOVE_ROTATE_VALUES rot = v;
  rot.mode = MR_ROTATE_2;
  read_move_rotate_rows(rot, {"1", "2", "-90", "4"});
  EXPECT_FLOAT_EQ(rot.angle, -90);
  EXPECT_EQ(rot.rotate_count, 4);
  EXPECT_FLOAT_EQ(rot.move_x, 1.5f);
  MOVE_ROTATE_VALUES none = v;
  none.mode = MR_NO_ROWS;
  read_move_rotate_rows(none, {"1", "2", "3", "4"});
  EXPECT_FLOAT_EQ(none.move_x, 1.5f);
  EXPECT_FLOAT_EQ(none.center_x, 10);
}

TEST(AboutMemory, KilobytesOfThousandBytes) {
  plat::MemoryStatus m;
  m.total_phys = 512000000;
  m.avail_phys = 64ULL << 30;  // 64 GiB does not overflow
  m.avail_swap = 1000;
  const ABOUT_MEMORY_TEXTS t = about_memory_texts(true, m);
  EXPECT_EQ(t.total, "512000 Kb");
  EXPECT_EQ(t.free, "68719476 Kb");
  EXPECT_EQ(t.v_free, "68719477 Kb");
  const ABOUT_MEMORY_TEXTS none = about_memory_texts(false, m);
  EXPECT_EQ(none.total, "??? Kb");
  EXPECT_EQ(none.free, "??? Kb");
  EXPECT_EQ(none.v_free, "??? Kb");
  // The figures come from /proc/meminfo's kB lines.
  plat::MemoryStatus parsed;
  ASSERT_TRUE(plat::parse_meminfo("MemTotal: 500000 kB\nMemAvailable: 1000 kB\nMemFree: 10 kB\n"
                                  "SwapTotal: 0 kB\nSwapFree: 0 kB\n", parsed));
  EXPECT_EQ(about_memory_texts(true, parsed).total, "512000 Kb");
}

TEST(OtherExec, CommandLineByChoice) {
  const std::string tmp = "/opt/vlm/confignc/VLM_TMP.TMP";
  const std::string nc = "/nc/A 1.NC";
  struct Case {
    int choice;
    const char* line;
  };
  const Case cases[] = {
      {0, "gedit "},
      {1, "gedit \"/opt/vlm/confignc/VLM_TMP.TMP\""},
      {2, "gedit \"/nc/A 1.NC\""},
      {7, "gedit "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    EXPECT_EQ(other_exec_command_line("gedit", other_exec_argument(c.choice, tmp, nc)), c.line);
  }
}

}  // namespace
