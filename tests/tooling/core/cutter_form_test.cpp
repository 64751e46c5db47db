#include "tooling/core/cutter_form.h"

#include <gtest/gtest.h>

#include <string>

TEST(CutterForm, KindTable) {
  // kind: panel, diam, cornerR, kakudo, chk_area, radius label, edge label
  struct Row {
    bool panel, d, r, k, a;
    const char* radius;
    const char* edge;
  };
  const char* B = "Ball-Ｒ";
  const char* E = "カッターの刃(有効)長";
  const Row rows[kToolKinds] = {
      {false, false, false, false, false, B, E},  // 0
      {true, true, false, false, false, B, E},    // 1
      {true, true, true, false, false, B, E},     // 2
      {true, true, true, false, false, B, E},     // 3
      {true, true, false, true, false, B, E},     // 4
      {true, false, true, true, false, B, E},     // 5
      {true, true, true, true, false, B, E},      // 6
      {true, true, false, false, false, B, E},    // 7
      {true, true, false, false, false, B, E},    // 8
      {true, true, false, false, true, B, E},     // 9
      {true, true, false, false, true, B, E},     // 10
      {true, true, false, false, false, B, E},    // 11
      {true, true, false, false, false, B, E},    // 12
      {true, true, true, false, false, "チップ直径", E},  // 13
      {true, true, true, false, false, "チップ幅", E},    // 14
      {true, true, true, false, true, "刃厚", E},          // 15
      {true, true, true, false, true, "コーナーＲ", E},    // 16
      {true, true, false, true, false, B, "カッターの刃長"},  // 17
      {true, true, true, true, true, "コーナーＲ", E},     // 18
      {true, true, false, false, false, B, E},    // 19
      {true, true, false, false, false, B, E},    // 20
  };
  for (int k = 0; k < kToolKinds; ++k) {
    const TKind_fields f = kind_fields(k);
    const Row& r = rows[k];
    EXPECT_EQ(f.panel, r.panel) << k;
    EXPECT_EQ(f.diam, r.d) << k;
    EXPECT_EQ(f.cornerR, r.r) << k;
    EXPECT_EQ(f.kakudo, r.k) << k;
    EXPECT_EQ(f.chk_area, r.a) << k;
    EXPECT_STREQ(f.radius_label, r.radius) << k;
    EXPECT_STREQ(f.edge_label, r.edge) << k;
  }
  EXPECT_FALSE(kind_fields(21).panel);
  EXPECT_FALSE(kind_fields(-1).panel);
}

TEST(CutterForm, LineWidthColourStepAndScrollBar) {
  EXPECT_EQ(zu_line_width(0), 1);
  EXPECT_EQ(zu_line_width(25), 20);
  EXPECT_EQ(zu_line_width(2.6), 3);
  EXPECT_EQ(zu_line_width(2.5), 3);
  EXPECT_EQ(zu_line_width(-3), 1);
  EXPECT_EQ(step_color_code(63, 1), 0);
  EXPECT_EQ(step_color_code(0, -1), 63);
  EXPECT_EQ(step_color_code(20, 1), 21);
  // A magazine of one slot keeps the scroll bar at 0.
  EXPECT_EQ(updown_position(1, 0), 0);
  EXPECT_EQ(updown_index(1, 0), 0);
  EXPECT_EQ(updown_position(5, 0), 4);
  EXPECT_EQ(updown_index(5, 4), 0);
  EXPECT_EQ(updown_index(5, 0), 4);
  EXPECT_EQ(valid_slot_index(3, 3), 0);
  EXPECT_EQ(valid_slot_index(3, -1), 0);
  EXPECT_EQ(valid_slot_index(3, 2), 2);
}

TEST(CutterForm, PickedToolKeepsTheCurrentNumber) {
  TTOOL cur;
  THOLDER curh;
  cur.T_number = 7;
  curh.H_number = 7;
  TTTOOL_HOLDER_tmp picked;
  picked.tool.T_number = 3;
  picked.tool.T_category = 2;
  picked.tool.name = "R3";
  picked.holder.H_number = 3;
  picked.holder.dia = 40;
  ASSERT_TRUE(take_picked_tool(picked, cur, curh));
  EXPECT_EQ(cur.T_number, 7);
  EXPECT_EQ(curh.H_number, 7);
  EXPECT_EQ(cur.name, "R3");
  EXPECT_EQ(curh.dia, 40.0f);
  picked.tool.T_category = 0;
  picked.tool.name = "未設定";
  EXPECT_FALSE(take_picked_tool(picked, cur, curh));
  EXPECT_EQ(cur.name, "R3");
}

TEST(CutterForm, MemoLinesAndNumberItems) {
  TTTOOL_HOLDER_tmp s;
  s.text1 = "a\nb";
  s.text2 = "c";
  TTOOL t;
  t.T_number = 5;
  t.name = "φ8";
  t.tool_line = "(VLM T5 A1)";
  THOLDER h;
  h.holder_line = "(VLM H5 A49)";
  EXPECT_EQ(cutter_memo_lines(s, t, h, false), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(cutter_memo_lines(s, t, h, true),
            (std::vector<std::string>{" VLM  工具 ネーム : (VLM N5 \"φ8\")",
                                      " VLM  工具 データ : (VLM T5 A1)",
                                      " VLM ホルダデータ : (VLM H5 A49)"}));
  TTOOL_HOLDER_tmp m;
  m.count = 3;
  m.slot[0].T_number = 0;
  m.slot[1].T_number = 2;
  m.slot[2].T_number = 105;
  EXPECT_EQ(tool_number_items(m), (std::vector<std::string>{"  0", "  2", "105"}));
}
