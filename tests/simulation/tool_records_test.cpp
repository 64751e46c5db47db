#include "simulation/tool_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ToolRecords, DefaultsKeepNameLinesAndDerivedFields) {
  TTOOL t;
  t.name = "mine";
  t.tool_line = "(VLM T1)";
  t.cut_dia = 5;
  t.T_number = 7;
  t.Z_given = 1;
  set_default_TOOL(t);
  EXPECT_EQ(t.name, "mine");
  EXPECT_EQ(t.tool_line, "(VLM T1)");
  EXPECT_EQ(t.cut_dia, 5.0f);
  EXPECT_EQ(t.T_number, 0);
  EXPECT_EQ(t.Z_given, 0);
  EXPECT_EQ(t.edge_color, 29);
  EXPECT_EQ(t.shank_color, 10);
  EXPECT_EQ(t.noedge_dia, 6.0f);

  THOLDER h;
  h.holder_line = "(VLM H1)";
  h.h2_used = 1;
  set_default_HOLDER(h);
  EXPECT_EQ(h.holder_line, "(VLM H1)");
  EXPECT_EQ(h.h2_used, 0);
  EXPECT_EQ(h.color, 49);
  EXPECT_EQ(h.h2_color, 11);
  EXPECT_EQ(h.dia, 72.0f);
  EXPECT_EQ(h.taper_len, 15.0f);
}

TEST(ToolRecords, KindTextsAndFiles) {
  struct Case {
    int kind;
    const char* name;
  };
  // Diameter 8.5, radius 1.25, half angle 7.
  const Case cases[] = {
      {0, "未設定"},
      {1, "φ8.5 フラット"},
      {2, " R1.25 ボール"},
      {3, "φ8.5-R1.25 コーナーＲ"},
      {4, "φ8.5-7°テーパー"},
      {5, " R1.25-7°テーパーボール"},
      {6, "φ8.5-R1.25-7°テーパーラジアス"},
      {9, " M8.5 タップ"},
      {11, "φ8.5 スローアウエイドリル"},
      {16, "φ8.5 Ｏリングカッタ"},
      {20, "φ8.5 スロッチング"},
  };
  for (const Case& c : cases) {
    TTOOL t;
    t.T_category = c.kind;
    t.dia = 8.5f;
    t.radius = 1.25f;
    t.half_angle = 7;
    get_TOOL_kind_text(t);
    EXPECT_EQ(t.name, c.name) << "kind " << c.kind;
  }
  for (int kind : {-1, 21}) {
    TTOOL t;
    t.name = "kept";
    t.T_category = kind;
    get_TOOL_kind_text(t);
    EXPECT_EQ(t.name, "kept");
  }
  EXPECT_STREQ(TOOL_KIND_NAMES[0], " 選択なし     ");
  EXPECT_STREQ(TOOL_KIND_NAMES[11], "ｽﾛｰｱｳｴｲ ドリル");
  EXPECT_STREQ(TOOL_KIND_NAMES[20], "スロッチング");
  EXPECT_STREQ(TOOL_KIND_FILES[0], "");
  EXPECT_STREQ(TOOL_KIND_FILES[1], "TOOL_FLAT_EM.nts");
  EXPECT_STREQ(TOOL_KIND_FILES[20], "TOOL_STRAIGHT.nts");
  for (int k = 1; k < kToolKinds; ++k) {
    const std::string f = TOOL_KIND_FILES[k];
    EXPECT_EQ(f.rfind("TOOL_", 0), 0u) << k;
    EXPECT_EQ(f.substr(f.size() - 4), ".nts") << k;
  }
  EXPECT_STREQ(Get_WORK_TOOL_HOLDER_Version(), "*");
}

TEST(ToolRecords, EveryKindNameHasOneValueAndBack) {
  // A name stands for the kind whose library file it names; every value 0..20 has exactly
  // one name.
  struct Named {
    const char* name;
    int kind;
  };
  const Named named[] = {
      {"NONE", TOOL_KIND_NONE},
      {"FLAT_EM", TOOL_KIND_FLAT_EM},
      {"BALL_EM", TOOL_KIND_BALL_EM},
      {"CORNER_R_EM", TOOL_KIND_CORNER_R_EM},
      {"TAPER_EM", TOOL_KIND_TAPER_EM},
      {"TAPER_BALL_EM", TOOL_KIND_TAPER_BALL_EM},
      {"TAPER_RADIUS", TOOL_KIND_TAPER_RADIUS},
      {"CENTER_DRILL", TOOL_KIND_CENTER_DRILL},
      {"DRILL", TOOL_KIND_DRILL},
      {"TAP", TOOL_KIND_TAP},
      {"BORING_BAR", TOOL_KIND_BORING_BAR},
      {"INDEXABLE_INS_DRILL", TOOL_KIND_INDEXABLE_INS_DRILL},
      {"FACE_MILL", TOOL_KIND_FACE_MILL},
      {"FACE_MILL_MARU", TOOL_KIND_FACE_MILL_MARU},
      {"FACE_MILL_KAKU", TOOL_KIND_FACE_MILL_KAKU},
      {"T_SLOT", TOOL_KIND_T_SLOT},
      {"O_RING", TOOL_KIND_O_RING},
      {"REV_TAPER", TOOL_KIND_REV_TAPER},
      {"INNER_R", TOOL_KIND_INNER_R},
      {"REAMER", TOOL_KIND_REAMER},
      {"STRAIGHT", TOOL_KIND_STRAIGHT},
  };
  int names_of[kToolKinds] = {};
  for (const Named& n : named) {
    ASSERT_GE(n.kind, 0) << n.name;
    ASSERT_LT(n.kind, kToolKinds) << n.name;
    ++names_of[n.kind];
    const std::string file = n.kind == TOOL_KIND_NONE ? "" : "TOOL_" + std::string(n.name) + ".nts";
    EXPECT_EQ(TOOL_KIND_FILES[n.kind], file) << n.name;
  }
  for (int k = 0; k < kToolKinds; ++k) EXPECT_EQ(names_of[k], 1) << "kind " << k;
}

TEST(ToolOutline, StripsStopAfter254Points) {
  TTOOL_OUTLINE empty;
  EXPECT_EQ(empty.runs[0], 255);
  EXPECT_TRUE(outline_strips(empty).empty());

  TTOOL_OUTLINE o;
  o.runs[0] = 3;
  o.runs[1] = 0;
  o.runs[2] = 4;
  o.runs[3] = 255;
  o.run_count = 3;
  o.point_count = 7;
  auto s = outline_strips(o);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].first, 0);
  EXPECT_EQ(s[0].count, 3);
  EXPECT_EQ(s[1].first, 3);
  EXPECT_EQ(s[1].count, 4);

  // Three runs of 100 points in a full outline: the third is drawn up to point 254.
  TTOOL_OUTLINE full;
  full.runs[0] = full.runs[1] = full.runs[2] = 100;
  full.runs[3] = 255;
  full.run_count = 3;
  full.point_count = 256;
  s = outline_strips(full);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[2].first, 200);
  EXPECT_EQ(s[2].count, 54);

  // Runs that claim more points than the outline holds stop at its point count.
  full.point_count = 150;
  s = outline_strips(full);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[1].count, 50);
}

}  // namespace
