#include "mainwin/core/menu_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MenuCommands, ViewPresetsSetAnglesAndTrackBars) {
  struct Case {
    int tag;
    float a1, a2;
    int track_Z, track_X, ed_X;
  };
  const Case cases[] = {{41, 360, 0, 0, 90, 0},
                        {42, 270, 0, 0, 0, 90},
                        {43, 290, -50, -50, 20, 70},
                        {44, 270, -90, -90, 0, 90}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    VLM_view_preset p;
    ASSERT_TRUE(view_preset(c.tag, p));
    EXPECT_EQ(p.angle1, c.a1);
    EXPECT_EQ(p.angle2, c.a2);
    EXPECT_EQ(p.track_Z, c.track_Z);
    EXPECT_EQ(p.track_X, c.track_X);
    EXPECT_EQ(p.ed_X_shaft, c.ed_X);
  }
  VLM_view_preset p;
  EXPECT_FALSE(view_preset(40, p));
}

TEST(MenuCommands, MouseModesKeepTheOtherBits) {
  struct Case {
    int tag, before, after;
  };
  const Case cases[] = {{11, 0x23, 0x21}, {12, 0x23, 0x22}, {13, 0x21, 0x23},
                        {30, 0x21, 19},   {31, 0x13, 0x23}, {31, 0x02, 0x22},
                        {16, 0x21, 0x21}};
  for (const Case& c : cases) EXPECT_EQ(mouse_mode_after(c.tag, c.before), c.after) << c.tag;
}

TEST(MenuCommands, JumpTargetStaysInTheProgram) {
  EXPECT_EQ(jump_target_line(10, 20), 9);
  EXPECT_EQ(jump_target_line(0, 20), 0);
  EXPECT_EQ(jump_target_line(-5, 20), 0);
  EXPECT_EQ(jump_target_line(99, 20), 19);
  EXPECT_EQ(jump_target_line(3, 0), 0);
}

TEST(MenuCommands, DrawingRangeEndsFollowEachOther) {
  std::int32_t first = 10, last = 20;
  set_range_start(30, first, last);
  EXPECT_EQ(first, 30);
  EXPECT_EQ(last, 30);
  set_range_end(5, first, last);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(last, 5);
  set_range_end(8, first, last);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(last, 8);
  reset_range(100, first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 99);
}

TEST(MenuCommands, SelectionFromRows) {
  EXPECT_EQ(row_line_number("        5 : G01X5."), 5);
  EXPECT_EQ(row_line_number("(no number)"), 0);
  VLM_selection s;
  int first = 0, last = 0;
  EXPECT_FALSE(selected_range(s, 4, first, last));
  selection_start(s, 5);
  EXPECT_EQ(s.anchor, 5);
  // No end yet: the row gives it, in order.
  ASSERT_TRUE(selected_range(s, 3, first, last));
  EXPECT_EQ(first, 3);
  EXPECT_EQ(last, 5);
  selection_end_lock(s, 2);
  EXPECT_EQ(s.start, 2);
  EXPECT_EQ(s.end, 5);
  EXPECT_EQ(s.anchor, 5);
  select_all(s, 40);
  EXPECT_EQ(s.start, 1);
  EXPECT_EQ(s.end, 40);
  EXPECT_EQ(clipboard_text({"G00X0", "", "M30"}), "G00X0\r\n\r\nM30\r\n");
}

TEST(MenuCommands, CurrentLineAfterDeletingABlock) {
  // Lines 2..4 (0-based) deleted.
  EXPECT_EQ(line_after_deletion(1, 2, 4), 1);
  EXPECT_EQ(line_after_deletion(3, 2, 4), 2);
  EXPECT_EQ(line_after_deletion(4, 2, 4), 2);
  EXPECT_EQ(line_after_deletion(7, 2, 4), 4);
  EXPECT_EQ(delete_question(3, 5), " 3 - 5 を削除しますか？");
}

TEST(MenuCommands, PopupCaptions) {
  VLM_popup_input in;
  VLM_popup_state st = popup_state(in);
  EXPECT_EQ(st.list_st, "パスの描画開始行設定 ( - )");
  EXPECT_EQ(st.list_en, "パスの描画終了行設定 ( - )");
  EXPECT_EQ(st.list_reset, "★↑リセット( 現在???行目,???step)");
  EXPECT_EQ(st.sel_start, "選択開始");
  EXPECT_FALSE(st.program_items);
  EXPECT_FALSE(st.selection_items);

  in.loaded = true;
  in.range_first = 0;
  in.range_last = 41;
  in.cur_line = 6;
  in.cur_step = 12;
  in.row_number = "7";
  st = popup_state(in);
  EXPECT_EQ(st.list_st, "パスの描画開始行設定( 現在値 : 1  )");
  EXPECT_EQ(st.list_en, "パスの描画終了行設定( 現在値 : 42  )");
  EXPECT_EQ(st.list_reset, "☆↑リセット( 現在 7行目,12steps)");
  EXPECT_EQ(st.sel_start, "選択開始 ( 7 行目から)");
  EXPECT_EQ(st.selend_lock, "選択終了行位置をロック");
  EXPECT_TRUE(st.program_items);
  EXPECT_FALSE(st.selection_items);

  in.sel.start = 3;
  st = popup_state(in);
  EXPECT_EQ(st.sel_start, "選択開始 ( 3 行目から)");
  EXPECT_EQ(st.selend_lock, "選択終了行位置をロック");
  EXPECT_TRUE(st.selection_items);
  in.sel.end = 9;
  EXPECT_EQ(popup_state(in).selend_lock, "選択終了行位置をロック( 9 行目まで)");
}

TEST(MenuCommands, InsertedLinesAndTexts) {
  EXPECT_EQ(dummy_tool_line(7), "(VLM C7 CHANGE TOOL)");
  EXPECT_EQ(dummy_tool_line(-3), "(VLM C0 CHANGE TOOL)");
  EXPECT_EQ(dummy_color_line(63), "(VLM E63 CHANGE TOOL COLOR)");
  EXPECT_EQ(list_font_height_of(24), -18);
  EXPECT_EQ(list_font_height_of(25), -16);
  EXPECT_EQ(list_font_height_of(26), -12);
  EXPECT_EQ(hi_speed_interval_caption(50), "高速再生時でのリスト変更サイクル(現在値: 50 行ごと)");
}

TEST(MenuCommands, CommandLineSplitsLikeAShell) {
  using V = std::vector<std::string>;
  EXPECT_EQ(split_command_line("notepad"), V{"notepad"});
  EXPECT_EQ(split_command_line("  \"C:/my tools/ed.exe\"  -n  x "), (V{"C:/my tools/ed.exe", "-n", "x"}));
  EXPECT_EQ(split_command_line("a\"b c\"d \"\""), (V{"ab cd", ""}));
  EXPECT_EQ(split_command_line("$HOME *.nc"), (V{"$HOME", "*.nc"}));
  EXPECT_TRUE(split_command_line("   ").empty());
  EXPECT_EQ(other_exec_choice(3), 0);
  EXPECT_EQ(other_exec_choice(-1), 0);
  EXPECT_EQ(other_exec_choice(2), 2);
}

}  // namespace
