#include "tooling/core/work_set_rules.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace {

constexpr const char* kDivRange = "格子数は 0 ～ 4094 の範囲内で指定してください";
constexpr const char* kFixedSize =
    "冶具あるいはグループ化したワークはサイズや格子数の変更はできません";

struct ScriptedDialogs : Twork_set_dialogs {
  bool give = true;
  TWork_preset preset;
  int asked = 0;
  bool choose_preset(const std::filesystem::path&, const TWork_path_extents&,
                     TWork_preset& out) override {
    ++asked;
    if (give) out = preset;
    return give;
  }
  bool choose_work_file(bool, const std::string&, const std::string&,
                        std::filesystem::path&) override {
    return false;
  }
};

struct Fixture : ::testing::Test {
  std::unique_ptr<Tmat> m = std::make_unique<Tmat>();
  Tdisp_status d;
  TWork_set_rules rules{*m, d};
  plat::ScriptedMessageBoxes boxes;

  int make(VEC3 lo, VEC3 hi, int n, int group = 0) {
    const int slot = Get_Free_WORK_num(*m);
    const std::uint8_t col[4] = {255, 0, 0, 255};
    SET_WORK_NUM(*m, slot);
    EXPECT_TRUE(CREATE_WORK(*m, col, n, n, true, false, lo, hi));
    m->works[slot].group = group;
    return slot;
  }
  std::string last_box() const { return boxes.shown.empty() ? "" : boxes.shown.back().text; }
};

struct CommitCase {
  const char* what;
  int group;        // group of work 0 (work 1 shares it when above 0)
  bool jig;
  int nx;           // divisions of work 0
  int tag;
  const char* text;
  bool taken;
  const char* box;  // "" for none
  VEC3 min0, max0;  // work 0 afterwards
  int nx_after;
  float dx1;        // how far work 1 moved in X
};

TEST_F(Fixture, CommitTable) {
  const CommitCase cases[] = {
      {"lattice 4094", 0, false, 10, WSE_matX, "4094", true, "", {0, 0, -10}, {100, 50, 0}, 4094, 0},
      {"lattice 4095", 0, false, 10, WSE_matX, "4095", false, kDivRange, {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"lattice -1", 0, false, 10, WSE_matY, "-1", false, kDivRange, {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"min at max", 0, false, 10, WSE_minX, "100", false, "最小値は最大値よりも小さくしてください",
       {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"max below min", 0, false, 10, WSE_maxY, "-1", false, "最大値は最小値よりも大きくしてください",
       {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"min X resizes", 0, false, 10, WSE_minX, "20", true, "", {20, 0, -10}, {100, 50, 0}, 10, 0},
      {"min X of a group moves it", 3, false, 10, WSE_minX, "5", true, "", {5, 0, -10}, {105, 50, 0}, 10, 5},
      {"centre Y of a group", 3, false, 10, WSE_centerY, "0", true, "", {0, -25, -10}, {100, 25, 0}, 10, 0},
      // a work without divisions is a line at the middle of its bounds
      {"lattice X 0 moves", 0, false, 0, WSE_minX, "-5", true, "", {-5, 25, -10}, {-5, 25, 0}, 0, 0},
      {"max Z of a group", 3, false, 10, WSE_maxZ, "5", true, "", {0, 0, -5}, {100, 50, 5}, 10, 0},
      {"size of a group", 3, false, 10, WSE_sizeX, "50", false, kFixedSize, {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"size of a jig", 0, true, 10, WSE_sizeY, "50", false, kFixedSize, {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"lattice of a jig", 0, true, 10, WSE_matX, "20", false, kFixedSize, {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"negative size", 0, false, 10, WSE_sizeX, "-1", false, "サイズは0 以上で設定してください",
       {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"size X", 0, false, 10, WSE_sizeX, "40", true, "", {0, 0, -10}, {40, 50, 0}, 10, 0},
      {"size Z", 0, false, 10, WSE_sizeZ, "4", true, "", {0, 0, -4}, {100, 50, 0}, 10, 0},
      {"size Z fails", 0, false, 10, WSE_sizeZ, "-4", false,
       "ERR : 指定 Z 値が元の最大 Z 値より大きくなっています", {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"colour 64", 0, false, 10, WSE_WORK_COLOR, "64", false, "色指定は 0 ～ 63 の範囲内で指定してください",
       {0, 0, -10}, {100, 50, 0}, 10, 0},
      {"not a number", 0, false, 10, WSE_minX, "1a", false, "1a は実数ではありません",
       {0, 0, -10}, {100, 50, 0}, 10, 0},
  };
  for (const CommitCase& c : cases) {
    SCOPED_TRACE(c.what);
    WORK_MEM_FREE_ALL(*m);
    boxes.shown.clear();
    const int w0 = make({0, 0, -10}, {100, 50, 0}, c.nx, c.group);
    const int w1 = make({200, 0, -10}, {300, 50, 0}, 10, c.group);
    if (c.jig) {
      ASSERT_TRUE(CHANGE_WORK_to_ZIGU_MODE(*m, w0));
    }
    EXPECT_EQ(rules.commit(w0, c.tag, c.text), c.taken);
    EXPECT_EQ(last_box(), c.box);
    const TWORK_DATA& w = m->works[w0];
    EXPECT_FLOAT_EQ(w.min.x, c.min0.x);
    EXPECT_FLOAT_EQ(w.min.y, c.min0.y);
    EXPECT_FLOAT_EQ(w.min.z, c.min0.z);
    EXPECT_FLOAT_EQ(w.max.x, c.max0.x);
    EXPECT_FLOAT_EQ(w.max.y, c.max0.y);
    EXPECT_FLOAT_EQ(w.max.z, c.max0.z);
    EXPECT_EQ(w.nx, c.nx_after);
    EXPECT_FLOAT_EQ(m->works[w1].min.x, 200 + c.dx1);
    EXPECT_FLOAT_EQ(m->works[w1].xs.front(), 200 + c.dx1);
    // The lattice coordinates always span the bounds.
    EXPECT_FLOAT_EQ(w.xs.front(), w.min.x);
    if (w.nx > 0) {
      EXPECT_FLOAT_EQ(w.xs.back(), w.max.x);
    }
  }
}

TEST_F(Fixture, GroupMoveKeepsCutPointsAndMovesTheLattice) {
  const int a = make({0, 0, -10}, {10, 10, 0}, 10, 1);
  const int b = make({20, 0, -10}, {30, 10, 0}, 10, 1);
  TWORK_DATA& wa = m->works[a];
  wa.grid[3 * 11 + 4].z = -7;  // a cut point at (4, 3)
  const float x_before = wa.xs[4];
  ASSERT_TRUE(rules.commit(a, WSE_minX, "2.5"));
  EXPECT_EQ(wa.grid[3 * 11 + 4].z, -7);     // same lattice index
  EXPECT_FLOAT_EQ(wa.xs[4], x_before + 2.5f);  // at the moved coordinate
  EXPECT_FLOAT_EQ(m->works[b].xs[0], 22.5f);
  EXPECT_FLOAT_EQ(m->works[b].max.x, 32.5f);
  // A cut work moves in Z with its heights.
  ASSERT_TRUE(rules.commit(a, WSE_minZ, "-12"));
  EXPECT_EQ(wa.grid[3 * 11 + 4].z, -9);
  EXPECT_FLOAT_EQ(m->works[b].max.z, -2);
}

TEST_F(Fixture, RefusedRebuildLeavesTheWorkAsItWas) {
  const int a = make({0, 0, -10}, {10, 10, 0}, 10);
  const std::vector<float> xs = m->works[a].xs;
  EXPECT_FALSE(rules.commit(a, WSE_maxX, "1e40"));  // no real number
  EXPECT_FALSE(rules.commit(a, WSE_maxX, "999999999999999999999999999999999999999999"));
  EXPECT_EQ(m->works[a].max.x, 10);
  EXPECT_EQ(m->works[a].xs, xs);
}

TEST_F(Fixture, MemoCut) {
  const int a = make({0, 0, -10}, {10, 10, 0}, 4);
  const std::string eq = "\x81\x81";  // a double-byte character whose trail is a lead byte
  struct {
    std::string in;
    std::string out;
  } cases[] = {
      {std::string(300, 'a'), std::string(254, 'a')},
      {std::string(252, 'a') + eq + "x", std::string(252, 'a') + eq},
      {std::string(253, 'a') + eq, std::string(253, 'a')},
      {std::string(254, 'a'), std::string(254, 'a')},
      {std::string(252, 'a') + eq, std::string(252, 'a') + eq},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(rules.commit(a, WSE_WORK_MEMO, c.in));
    EXPECT_EQ(work_memo_text(m->works[a]), c.out);
  }
}

TEST_F(Fixture, OffsetGoesToTheSwitchThatIsOn) {
  d.WSW_offset_Z = 1;
  d.WSW_cut_Z = 2;
  ASSERT_TRUE(rules.commit(-1, WSE_mat_offsetZ, "12.5"));
  EXPECT_EQ(d.WSW_offset_Z, 12500);
  EXPECT_EQ(d.WSW_cut_Z, 2);
  d.WSW_MANUAL_CUTMODE = 1;
  ASSERT_TRUE(rules.commit(-1, WSE_mat_offsetZ, "1000000000000"));
  EXPECT_EQ(d.WSW_cut_Z, 2147483647);
  EXPECT_EQ(d.WSW_offset_Z, 12500);
  ASSERT_TRUE(rules.commit(-1, WSE_MAT_COLOR, "3"));
  EXPECT_EQ(d.WSW_MAT_COLNUM, 3);
  std::uint8_t c[4];
  color_code_to_RGBA(3, 255, c);
  EXPECT_EQ(m->frame_color[0], c[0]);
  EXPECT_FALSE(rules.commit(-1, WSE_MAT_COLOR, "64"));
  EXPECT_EQ(d.WSW_MAT_COLNUM, 3);
}

TEST_F(Fixture, EditTextsAndCombos) {
  const int a = make({-1.2345f, 0, -10}, {10, 20, 0}, 4);
  const int b = make({0, 0, -10}, {10, 10, 0}, 0, 2);
  ASSERT_TRUE(CHANGE_WORK_to_ZIGU_MODE(*m, b));
  CHANGE_VIS_MODE(*m, b, false);
  const auto t = rules.edit_texts(a);
  EXPECT_EQ(t[WSE_minX], "-1.235");  // half away from zero
  EXPECT_EQ(t[WSE_sizeY], "20");
  EXPECT_EQ(t[WSE_centerY], "10");
  EXPECT_EQ(t[WSE_WORK_COLOR], std::to_string(RGBA_to_color_code(m->works[a].color)));
  EXPECT_EQ(pitch_text(10, 4), "2.5");
  EXPECT_EQ(pitch_text(10, 0), "0");
  const auto items = work_combo_items(*m);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].second, "  0 Wvc  ");
  EXPECT_EQ(items[1].second, "  1 Z.c( 2)");
  const auto groups = group_combo_items(*m);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].second, " 未設定 ");
  EXPECT_EQ(groups[1].second, "  2");
  EXPECT_EQ(groups[1].first, 2);
  EXPECT_TRUE(rules.size_edits_enabled(a));
  EXPECT_FALSE(rules.size_edits_enabled(b));
}

TEST(WorkColorCodes, RgbaToCodeInvertsThePalette) {
  for (int code = 0; code < 64; ++code) {
    std::uint8_t c[4];
    color_code_to_RGBA(code, 255, c);
    EXPECT_EQ(RGBA_to_color_code(c), code);
  }
}

TEST_F(Fixture, CreateNewWork) {
  testing_support::TempDir dir;
  ScriptedDialogs dlg;
  // No preset file: the box and the default work, top at Z 0.
  int slot = rules.Create_new_WORK(dir.path(), {}, dlg);
  ASSERT_EQ(slot, 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "file not found");
  const TWORK_DATA& w = m->works[0];
  EXPECT_EQ(w.max.z, 0);
  EXPECT_EQ(w.max.x - w.min.x, 100);
  EXPECT_EQ(w.max.z - w.min.z, 50);
  EXPECT_EQ(w.nx, 50);
  EXPECT_EQ(RGBA_to_color_code(w.color), 43);
  EXPECT_EQ(dlg.asked, 0);
  EXPECT_FALSE(rules.busy());
  // With the file: Cancel creates nothing, a choice makes its work.
  testing_support::write_file(dir / "def_work_size.txt", "\"a\",0,0,-1,1,1,0,1,1,2\r\n");
  dlg.give = false;
  EXPECT_EQ(rules.Create_new_WORK(dir.path(), {}, dlg), -1);
  EXPECT_FALSE(m->works[1].in_use);
  EXPECT_FALSE(rules.busy());
  dlg.give = true;
  dlg.preset = path_extent_preset({-10, -10, -5}, {10, 10, 20}, false);
  slot = rules.Create_new_WORK(dir.path(), {}, dlg);
  ASSERT_EQ(slot, 1);
  EXPECT_EQ(m->works[1].max.z, 20);
  // A refused choice and a full store.
  dlg.preset.color = 64;
  boxes.shown.clear();
  EXPECT_EQ(rules.Create_new_WORK(dir.path(), {}, dlg), -1);
  EXPECT_EQ(last_box(), "色指定は 0 ～ 63 の範囲内で指定してください");
  dlg.preset.color = 1;
  while (Get_Free_WORK_num(*m) >= 0) make({0, 0, -1}, {1, 1, 0}, 1);
  EXPECT_EQ(rules.Create_new_WORK(dir.path(), {}, dlg), -1);
  EXPECT_EQ(last_box(), "ERR : ワーク最大設定数を越えました");
  EXPECT_FALSE(rules.busy());
}

}  // namespace
