#include "simulation/work_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "platform/core/msgbox.h"

namespace {

const std::uint8_t kColor[4] = {255, 128, 0, 255};

std::unique_ptr<Tmat> new_mat() { return std::make_unique<Tmat>(); }

bool create(Tmat& m, int work, int nx, int ny, VEC3 lo, VEC3 hi, bool jig = false) {
  SET_WORK_NUM(m, work);
  return CREATE_WORK(m, kColor, nx, ny, true, jig, lo, hi);
}

TEST(WorkStore, AllocationTable) {
  struct Case {
    int nx, ny;
    VEC3 lo, hi;
    bool ok;
    std::string err;  // UTF-8 source text, compared as CP932
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {10, 10, {0, 0, -5}, {10, 10, 0}, true, ""},
      {0, 10, {0, 0, -5}, {10, 10, 0}, true, ""},
      {10, 10, {5, 0, -5}, {5, 10, 0}, true, ""},    // min X = max X
      {10, 10, {0, 0, 0}, {10, 10, 0}, false, " ERR : minZ(0.000),maxZ(0.000) : Z 方向の指定が不正です。"},
      {10, 10, {2, 0, -1}, {1, 10, 0}, false, " ERR : minX(2.000),maxX(1.000) : X 方向の指定が不正です。"},
      {10, 10, {0, 3, -1}, {1, 2.5f, 0}, false, " ERR : minY(3.000),maxY(2.500) : Y 方向の指定が不正です。"},
      {4095, 1, {0, 0, -1}, {1, 1, 0}, true, ""},
      {4096, 1, {0, 0, -1}, {1, 1, 0}, false, " X 分割数(4096/max=4095)が大きすぎます。"},
      {1, 4096, {0, 0, -1}, {1, 1, 0}, false, " Y 分割数(4096/max=4095)が大きすぎます。"},
      {-1, 1, {0, 0, -1}, {1, 1, 0}, false, " X 分割数(-1/min=0)が少なすぎます。"},
      {1, -3, {0, 0, -1}, {1, 1, 0}, false, " Y 分割数(-3/min=0)が少なすぎます。"},
      {1, 1, {nan, 0, -1}, {1, 1, 0}, false, " ERR : minX(nan),maxX(1.000) : X 方向の指定が不正です。"},
      {1, 1, {0, 0, -1}, {1, inf, 0}, false, " ERR : minY(0.000),maxY(inf) : Y 方向の指定が不正です。"},
      {1, 1, {-3e38f, 0, -1}, {3e38f, 1, 0}, false, ""},  // the extent overflows
  };
  for (const Case& c : cases) {
    auto m = new_mat();
    const bool ok = GET_WORK_MEM(*m, 3, c.nx, c.ny, c.lo, c.hi);
    SCOPED_TRACE(c.nx);
    EXPECT_EQ(ok, c.ok) << m->last_error();
    EXPECT_EQ(m->works[3].in_use, c.ok ? 1 : 0);
    EXPECT_EQ(m->any_work, c.ok ? 1 : 0);
    if (!c.ok && !c.err.empty()) {
      EXPECT_EQ(m->last_error(), c.err);
    }
    if (!c.ok) {
      EXPECT_FALSE(m->last_error().empty());
    }
    if (c.ok) {
      EXPECT_EQ(m->works[3].grid.size(),
                static_cast<std::size_t>(m->works[3].nx + 1) * (m->works[3].ny + 1));
    }
  }
}

TEST(WorkStore, DegenerateExtentsAndDefaults) {
  auto m = new_mat();
  ASSERT_TRUE(GET_WORK_MEM(*m, 0, 0, 4, {2, 0, -1}, {6, 8, 3}));
  const TWORK_DATA& a = m->works[0];
  EXPECT_EQ(a.min.x, 4.0f);  // one point wide at the midpoint
  EXPECT_EQ(a.max.x, 4.0f);
  EXPECT_EQ(a.step_x, 1.0f);
  EXPECT_EQ(a.step_y, 2.0f);
  ASSERT_EQ(a.xs.size(), 1u);
  EXPECT_EQ(a.xs[0], 4.0f);
  EXPECT_EQ(a.ys[3], 6.0f);
  EXPECT_EQ(a.top_z, 3.0f);
  EXPECT_EQ(a.bottom_z, -1.0f);
  EXPECT_EQ(a.grid_bytes, 5u * 12u);
  EXPECT_EQ(a.cutting, 1);
  EXPECT_EQ(a.visible, 1);
  EXPECT_EQ(a.jig, 0);
  EXPECT_EQ(a.group, 0);

  ASSERT_TRUE(GET_WORK_MEM(*m, 1, 10, 2, {5, 0, -1}, {5, 8, 0}));
  EXPECT_EQ(m->works[1].min.x, 0.0f);  // widened to 10 units around X 5
  EXPECT_EQ(m->works[1].max.x, 10.0f);
  EXPECT_EQ(m->works[1].step_x, 1.0f);

  EXPECT_FALSE(GET_WORK_MEM(*m, 1, 10, 2, {5, 0, -1}, {5, 8, 0}));
  EXPECT_EQ(m->last_error(), "Get MEM ERR : work_num(=1) is Already getted memory");
}

TEST(WorkStore, DisplayIndexTables) {
  for (int n : {64, 65, 100, 4095}) {
    auto m = new_mat();
    ASSERT_TRUE(GET_WORK_MEM(*m, 0, n, 3, {0, 0, -1}, {10, 10, 0}));
    const TWORK_DATA& w = m->works[0];
    SCOPED_TRACE(n);
    if (n <= 64) {
      EXPECT_EQ(w.disp_steps_x, n);
      for (int k = 0; k <= n; ++k) EXPECT_EQ(w.disp_index_x[k], k);
    } else {
      EXPECT_EQ(w.disp_steps_x, 64);
      // Each step holds the smallest lattice index i with trunc(64 i / n) = k.
      for (int k = 0; k <= 64; ++k) {
        int first = -1;
        for (int i = 0; i <= n && first < 0; ++i)
          if (64 * i / n == k) first = i;
        EXPECT_EQ(w.disp_index_x[k], first) << k;
      }
      EXPECT_EQ(w.disp_index_x[64], n);
    }
    EXPECT_EQ(w.disp_steps_y, 3);
  }
}

TEST(WorkStore, CheckWorkNumShowsItsBox) {
  plat::ScriptedMessageBoxes boxes;
  auto m = new_mat();
  EXPECT_FALSE(CHANGE_GROUP_NUM(*m, 40, 1));
  EXPECT_FALSE(MOVE_Z_OF_WORK_MATRIX(*m, 2, 1.0f));
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, "Out of Limit ERR : CHANGE_GROUP_NUM (work_num= 40 ) enabled is FALSE");
  EXPECT_EQ(boxes.shown[0].caption, "work data err");
  EXPECT_EQ(boxes.shown[0].flags, plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
  EXPECT_EQ(boxes.shown[1].text,
            "Out of Limit ERR : MOVE_Z_OF_WORK_MATRIX (work_num= 2 ) enabled is FALSE");
  EXPECT_EQ(m->last_error(), boxes.shown[1].text);

  EXPECT_FALSE(SET_WORK_NUM(*m, 32));
  EXPECT_EQ(m->cur_work, -1);
  EXPECT_EQ(m->last_error(), "ERR : ワーク番号(x_work_num=32)の指定が範囲(0～31)外です");
}

TEST(WorkStore, GroupsVisibilityAndArea) {
  plat::ScriptedMessageBoxes boxes;
  auto m = new_mat();
  ASSERT_TRUE(create(*m, 0, 2, 2, {10, 10, -5}, {20, 20, 0}));
  ASSERT_TRUE(create(*m, 1, 2, 2, {0, 0, -1}, {1, 1, 0}));
  ASSERT_TRUE(create(*m, 2, 2, 2, {0, 0, -1}, {1, 1, 0}));
  ASSERT_TRUE(create(*m, 4, 2, 2, {0, 0, -1}, {1, 1, 0}));
  CHANGE_GROUP_NUM(*m, 0, 7);
  CHANGE_GROUP_NUM(*m, 1, 7);
  CHANGE_GROUP_NUM(*m, 2, 2);
  EXPECT_EQ(Get_Max_GROUP_num(*m), 7);
  EXPECT_EQ(Get_Free_WORK_num(*m), 3);

  EXPECT_TRUE(CHANGE_VIS_MODE(*m, 0, false));  // group 7: works 0 and 1
  EXPECT_EQ(m->works[0].visible, 0);
  EXPECT_EQ(m->works[1].visible, 0);
  EXPECT_EQ(m->works[2].visible, 1);
  EXPECT_TRUE(CHANGE_CUTTING_MODE(*m, 4, false));  // group 0: only itself
  EXPECT_EQ(m->works[4].cutting, 0);
  EXPECT_EQ(m->works[2].cutting, 1);

  EXPECT_EQ(Get_GROUP_Offset(*m), 2);
  EXPECT_EQ(m->works[0].group, 1);
  EXPECT_EQ(m->works[1].group, 1);
  EXPECT_EQ(m->works[2].group, 2);
  EXPECT_EQ(m->works[4].group, 0);

  // Only work 0 spans beyond the origin's box.
  WORK_MEM_FREE(*m, 1);
  WORK_MEM_FREE(*m, 2);
  WORK_MEM_FREE(*m, 4);
  VEC3 lo, hi;
  Get_WORK_Area(*m, lo, hi);
  EXPECT_EQ(lo.x, 0);
  EXPECT_EQ(lo.y, 0);
  EXPECT_EQ(lo.z, -5);
  EXPECT_EQ(hi.x, 20);
  EXPECT_EQ(hi.y, 20);
  EXPECT_EQ(hi.z, 0);

  ASSERT_TRUE(create(*m, 5, 2, 2, {0, 0, -1}, {1, 1, 0}));
  CHANGE_GROUP_NUM(*m, 5, 1);
  EXPECT_TRUE(WORK_MEM_FREE_same_GROUP(*m, 0));
  EXPECT_FALSE(m->works[0].in_use);
  EXPECT_FALSE(m->works[5].in_use);
  EXPECT_FALSE(Check_Any_WORK(*m));
  EXPECT_EQ(m->any_work, 0);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(WorkStore, PresetZAndCutState) {
  plat::ScriptedMessageBoxes boxes;
  auto m = new_mat();
  ASSERT_TRUE(create(*m, 0, 2, 2, {0, 0, -5}, {2, 2, 0}));
  TWORK_DATA& w = m->works[0];
  EXPECT_FALSE(Check_WORK_after_Cutted(*m, 0));
  w.grid[0].z = -4;  // a clean cut
  w.grid[0].mark = 7;
  w.grid[1].z = -4.5f;  // a collision point
  w.grid[1].mark = 8;
  w.grid[1].col[0] = 255;
  w.grid[1].col[1] = 1;
  w.grid[1].col[2] = 1;
  w.grid[1].col[3] = 9;
  w.grid[2].z = -1;
  EXPECT_TRUE(Check_WORK_after_Cutted(*m, 0));

  EXPECT_FALSE(PRESET_Z_OF_WORK_MATRIX(*m, 0, 0.0f));  // not below max Z
  EXPECT_EQ(m->last_error(), "ERR : 指定 Z 値が元の最大 Z 値より大きくなっています");
  ASSERT_TRUE(PRESET_Z_OF_WORK_MATRIX(*m, 0, -2.0f));
  EXPECT_EQ(w.min.z, -2.0f);
  EXPECT_EQ(w.bottom_z, -2.0f);
  EXPECT_EQ(w.size.z, 2.0f);
  EXPECT_EQ(w.grid[0].z, -2.0f);
  EXPECT_EQ(w.grid[0].mark, GRID_MARK_BOTTOM);
  EXPECT_EQ(w.grid[1].z, -2.0f);
  EXPECT_EQ(w.grid[1].mark, 8);  // collision points keep their line
  EXPECT_EQ(w.grid[2].z, -1.0f);
  EXPECT_EQ(w.grid[2].mark, GRID_MARK_UNCUT);

  ASSERT_TRUE(REMAKE_FOR_WORK_MATRIX(*m, 0));
  EXPECT_FALSE(Check_WORK_after_Cutted(*m, 0));
  EXPECT_EQ(w.grid[1].col[2], kColor[2]);
  EXPECT_EQ(w.grid[1].mark, GRID_MARK_UNCUT);
  // Moving shifts every height with the work.
  ASSERT_TRUE(MOVE_Z_OF_WORK_MATRIX(*m, 0, 1.5f));
  EXPECT_EQ(w.top_z, 1.5f);
  EXPECT_EQ(w.grid[8].z, 1.5f);
  EXPECT_FALSE(Check_WORK_after_Cutted(*m, 0));
  EXPECT_TRUE(boxes.shown.empty());
}

// A work never becomes flat in Z: its file would be refused when read back.
TEST(WorkStore, ZChangesKeepTheWorkThick) {
  auto m = new_mat();
  ASSERT_TRUE(create(*m, 0, 2, 2, {0, 0, 0}, {2, 2, 2e-6f}));
  TWORK_DATA& w = m->works[0];
  EXPECT_FALSE(PRESET_Z_OF_WORK_MATRIX(*m, 0, 1.5e-6f));
  EXPECT_EQ(m->last_error(), "ERR : 指定 Z 値が元の最大 Z 値より大きくなっています");
  EXPECT_EQ(w.min.z, 0.0f);
  EXPECT_EQ(w.bottom_z, 0.0f);
  // At 100 both heights round to the same float.
  EXPECT_FALSE(MOVE_Z_OF_WORK_MATRIX(*m, 0, 100.0f));
  EXPECT_EQ(w.min.z, 0.0f);
  EXPECT_EQ(w.top_z, 2e-6f);
  EXPECT_EQ(w.grid[4].z, 2e-6f);
  ASSERT_TRUE(MOVE_Z_OF_WORK_MATRIX(*m, 0, -1e-6f));
  ASSERT_TRUE(PRESET_Z_OF_WORK_MATRIX(*m, 0, -0.5f));
  EXPECT_EQ(w.min.z, -0.5f);
}

TEST(WorkStore, JigResetsToItsBackup) {
  auto m = new_mat();
  ASSERT_TRUE(create(*m, 0, 3, 3, {0, 0, -5}, {3, 3, 0}));
  TWORK_DATA& w = m->works[0];
  w.grid[5].z = -3;
  w.grid[5].mark = 12;
  ASSERT_TRUE(CHANGE_WORK_to_ZIGU_MODE(*m, 0));
  EXPECT_EQ(w.jig, 1);
  EXPECT_FALSE(Check_WORK_after_Cutted(*m, 0));
  w.grid[6].z = -1;
  w.grid[5].z = -4;
  EXPECT_TRUE(Check_WORK_after_Cutted(*m, 0));
  ASSERT_TRUE(REMAKE_FOR_WORK_MATRIX(*m, 0));
  EXPECT_EQ(w.grid[5].z, -3.0f);  // back to the state at the time it became a jig
  EXPECT_EQ(w.grid[5].mark, 12);
  EXPECT_EQ(w.grid[6].z, 0.0f);
  EXPECT_FALSE(Check_WORK_after_Cutted(*m, 0));

  ASSERT_TRUE(CHANGE_ZIGU_to_WORK_MODE(*m, 0));
  ASSERT_TRUE(REMAKE_FOR_WORK_MATRIX(*m, 0));
  EXPECT_EQ(w.grid[5].z, 0.0f);  // a plain work resets to its top
}

TEST(WorkStore, ResizeKeepsFieldsAndFailedResizeKeepsTheWork) {
  plat::ScriptedMessageBoxes boxes;
  auto m = new_mat();
  ASSERT_TRUE(create(*m, 2, 4, 4, {0, 0, -5}, {8, 8, 0}));
  TWORK_DATA& w = m->works[2];
  CHANGE_GROUP_NUM(*m, 2, 3);
  set_work_memo(w, "memo");
  w.grid[3].z = -2;
  ASSERT_FALSE(RESIZE_WORK_MATRIX(*m, 2, 5000, 4));
  EXPECT_EQ(m->last_error(), " X 分割数(5000/max=4095)が大きすぎます。");
  EXPECT_EQ(w.in_use, 1);
  EXPECT_EQ(w.nx, 4);
  EXPECT_EQ(w.group, 3);
  EXPECT_EQ(work_memo_text(w), "memo");
  EXPECT_EQ(w.grid[3].z, -2.0f);  // the cut state stays
  EXPECT_EQ(m->any_work, 1);

  ASSERT_TRUE(RESIZE_WORK_MATRIX(*m, 2, 8, 2));
  EXPECT_EQ(w.nx, 8);
  EXPECT_EQ(w.ny, 2);
  EXPECT_EQ(w.step_x, 1.0f);
  EXPECT_EQ(w.step_y, 4.0f);
  EXPECT_EQ(w.grid.size(), 27u);
  EXPECT_EQ(w.grid[3].z, 0.0f);
  EXPECT_EQ(w.grid[3].col[1], kColor[1]);
  EXPECT_EQ(w.group, 3);
  EXPECT_EQ(work_memo_text(w), "memo");
  EXPECT_EQ(w.color[0], kColor[0]);

  // A failed creation keeps the old work as well.
  SET_WORK_NUM(*m, 2);
  EXPECT_FALSE(CREATE_WORK(*m, kColor, 4, 4, true, false, {0, 0, 0}, {1, 1, 0}));
  EXPECT_EQ(w.nx, 8);
  EXPECT_EQ(w.group, 3);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(WorkStore, MemoIsBounded) {
  TWORK_DATA w;
  w.memo.fill('x');  // no terminator at all
  EXPECT_EQ(work_memo_text(w).size(), 256u);
  set_work_memo(w, std::string(300, 'a'));
  EXPECT_EQ(work_memo_text(w).size(), 255u);
  // A cut never splits a double-byte character.
  set_work_memo(w, std::string(254, 'a') + "治具");
  EXPECT_EQ(work_memo_text(w).size(), 254u);
}

}  // namespace
