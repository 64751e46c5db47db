// The cell walker of the work drawing, the picked cell and the CPU face pick.
#include "simulation/work_cells.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const std::uint8_t kColour[4] = {100, 150, 200, 255};

std::unique_ptr<Tmat> mat_with_work(int nx, int ny, VEC3 lo, VEC3 hi) {
  auto m = std::make_unique<Tmat>();
  SET_WORK_NUM(*m, 0);
  EXPECT_TRUE(CREATE_WORK(*m, kColour, nx, ny, true, false, lo, hi)) << m->last_error();
  m->works[0].visible = 1;
  return m;
}

int count(const std::vector<TCELL_FACE>& f, TCELL_FACE::Kind k) {
  int n = 0;
  for (const auto& x : f) n += x.kind == k;
  return n;
}

// Corners c1 (1,1), c2 (0,1), c3 (1,0), c4 (0,0) of a one-cell grid: point numbers 3, 2, 1, 0.
TEST(WorkCells, CellCodesGiveTheirTrianglesAndWalls) {
  const struct {
    int tops, walls;
  } want[16] = {{0, 0}, {0, 0}, {0, 0}, {0, 1}, {0, 0}, {0, 1}, {0, 1}, {1, 3},
                {0, 0}, {0, 1}, {0, 0}, {1, 2}, {0, 0}, {1, 2}, {1, 1}, {2, 2}};
  const int corner[4] = {3, 2, 1, 0};
  for (int code = 0; code < 16; ++code) {
    auto m = mat_with_work(1, 1, {0, 0, -5}, {1, 1, 0});
    TWORK_DATA& w = m->works[0];
    for (int b = 0; b < 4; ++b)
      if (!(code & (1 << b))) w.grid[corner[b]].mark = GRID_MARK_BOTTOM;
    EXPECT_EQ(work_cell_code(w, 3, 2, 1, 0), code);
    const TCELL_LATTICE L = work_cell_lattice(w, 0);
    std::vector<TCELL_FACE> f;
    work_cell_faces(w, L, 1, 1, f);
    EXPECT_EQ(count(f, TCELL_FACE::Top), want[code].tops) << code;
    EXPECT_EQ(count(f, TCELL_FACE::Wall), want[code].walls) << code;
    if (code == 6 || code == 9) {
      ASSERT_EQ(f.size(), 1u);
      EXPECT_EQ(f[0].a + f[0].b, code == 6 ? 2 + 1 : 3 + 0);  // the diagonal
    }
  }
}

TEST(WorkCells, AFullCellIsSplitAlongTheFlatterDiagonal) {
  struct Case {
    float z1, z2, z3, z4;
    bool along_c1_c4;
  };
  const Case cases[] = {
      {0, 0, 0, 0, true},        // flat: B <= A
      {0, -1, -1, 0, true},      // c1 and c4 high: a ridge along c1-c4
      {-1, 0, 0, -2, false},     // c2 and c3 high, c4 lowest: along c2-c3
      {-2, 0, 0, 0, false},      // c1 low alone: B = 2 > A = 0
  };
  for (const Case& c : cases) {
    auto m = mat_with_work(1, 1, {0, 0, -5}, {1, 1, 0});
    TWORK_DATA& w = m->works[0];
    w.grid[3].z = c.z1;
    w.grid[2].z = c.z2;
    w.grid[1].z = c.z3;
    w.grid[0].z = c.z4;
    std::vector<TCELL_FACE> f;
    work_cell_faces(w, work_cell_lattice(w, 0), 1, 1, f);
    ASSERT_EQ(count(f, TCELL_FACE::Top), 2);
    const TCELL_FACE& t = f[0];
    const bool has_c1_c4 = (t.a == 3 || t.b == 3 || t.c == 3) && (t.a == 0 || t.b == 0 || t.c == 0);
    const bool second_too = (f[1].a == 3 || f[1].b == 3 || f[1].c == 3) &&
                            (f[1].a == 0 || f[1].b == 0 || f[1].c == 0);
    EXPECT_EQ(has_c1_c4 && second_too, c.along_c1_c4) << c.z1 << c.z2 << c.z3 << c.z4;
    // The lowest corner gives the colour.
    for (const TCELL_FACE& x : f)
      if (x.kind == TCELL_FACE::Top)
        for (int p : {x.a, x.b, x.c}) EXPECT_LE(w.grid[x.colour].z, w.grid[p].z);
  }
}

TEST(WorkCells, WallsTakeTheLowerPointsColourOnlyBelowTheTop) {
  auto m = mat_with_work(4, 4, {0, 0, -5}, {4, 4, 0});
  TWORK_DATA& w = m->works[0];
  const TCELL_LATTICE L = work_cell_lattice(w, 0);
  std::vector<TCELL_FACE> f;
  for (int j = 0; j <= 4; ++j)
    for (int i = 0; i <= 4; ++i) work_cell_faces(w, L, i, j, f);
  // Every lattice edge has one wall: 4 x 5 x 2.
  EXPECT_EQ(count(f, TCELL_FACE::Wall), 40);
  for (const auto& x : f)
    if (x.kind == TCELL_FACE::Wall) EXPECT_EQ(x.colour, -1);
  // Cut points: the wall between them takes the lower one's colour.
  w.grid[6].z = -1;
  w.grid[7].z = -2;
  f.clear();
  work_cell_faces(w, L, 2, 1, f);  // c1 = 7, c2 = 6
  bool seen = false;
  for (const auto& x : f)
    if (x.kind == TCELL_FACE::Wall && ((x.a == 7 && x.b == 6) || (x.a == 6 && x.b == 7))) {
      EXPECT_EQ(x.colour, 7);
      seen = true;
    }
  EXPECT_TRUE(seen);
}

TEST(WorkCells, QuadrantsAndTileOrder) {
  EXPECT_EQ(work_cell_quadrant(45, true, false), 0);
  EXPECT_EQ(work_cell_quadrant(360, true, false), 0);
  EXPECT_EQ(work_cell_quadrant(90, true, false), 1);
  EXPECT_EQ(work_cell_quadrant(269.9, true, false), 2);
  EXPECT_EQ(work_cell_quadrant(300, true, false), 3);
  EXPECT_EQ(work_cell_quadrant(300, false, false), 0);
  EXPECT_EQ(work_cell_quadrant(300, true, true), 1);
  EXPECT_EQ(work_cell_quadrant(10, true, true), 2);
  auto m = mat_with_work(40, 70, {0, 0, -5}, {40, 70, 0});
  const TCELL_LATTICE L = work_cell_lattice(m->works[0], 0);
  const auto t0 = work_cell_tiles(L, 0), t2 = work_cell_tiles(L, 2);
  ASSERT_EQ(t0.size(), 6u);  // 41 x 71 lattice lines: 2 x 3 tiles
  EXPECT_EQ(t2.front().i0, 0);
  EXPECT_EQ(t2.front().j0, 0);
  EXPECT_EQ(t0.front().i1, 40);
  EXPECT_EQ(t0.front().j1, 70);
  std::vector<std::pair<int, int>> order;
  for_each_tile_cell(TCELL_TILE{0, 1, 0, 1}, 1, [&](int i, int j) { order.emplace_back(i, j); });
  EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{1, 0}, {0, 0}, {1, 1}, {0, 1}}));
}

TEST(WorkCells, PickedCellIsFoundMovedAndClamped) {
  auto m = mat_with_work(10, 10, {0, 0, -5}, {10, 10, 0});
  EXPECT_FALSE(PICK_WORK_POINT(*m, 3, 3));  // nothing picked yet
  EXPECT_FALSE(MOVE_PICK_POINT(*m, 1, 1));
  m->pick.work = 0;
  TWORK_DATA& w = m->works[0];
  w.grid[(w.nx + 1) * 4 + 3].z = -1.5f;
  ASSERT_TRUE(PICK_WORK_POINT(*m, 3.2f, 3.9f));
  EXPECT_EQ(m->pick.ix, 3);
  EXPECT_EQ(m->pick.iy, 4);
  EXPECT_EQ(m->pick.z, -1.5f);
  EXPECT_EQ(m->pick.top, 0);
  EXPECT_TRUE(PICK_WORK_POINT(*m, -0.4f, 0));
  EXPECT_EQ(m->pick.ix, 0);
  EXPECT_FALSE(PICK_WORK_POINT(*m, 10.6f, 5));  // beyond the grid
  EXPECT_FALSE(PICK_WORK_POINT(*m, NAN, 5));
  ASSERT_TRUE(MOVE_PICK_POINT(*m, -5, 100));
  EXPECT_EQ(m->pick.ix, 0);
  EXPECT_EQ(m->pick.iy, 10);
  // A collision point hands its flags on.
  TGRID_POINT& p = w.grid[(w.nx + 1) * 10 + 1];
  p.col[2] = 1;
  p.col[3] = 8 | 2;
  ASSERT_TRUE(MOVE_PICK_POINT(*m, 1, 0));
  EXPECT_EQ(m->pick.damage, 10);
}

// The pick finds the nearest cut face under the mouse, not uncut ones nor those behind it.
TEST(WorkCells, CpuPickTakesTheNearestCutFace) {
  auto m = mat_with_work(20, 20, {0, 0, -10}, {20, 20, 0});
  TWORK_DATA& w = m->works[0];
  TGL_VIEW v;
  set_GL_view_area(v, 200, 200, 0, 0, 0, 0);
  set_GL_default_view(v);
  v.rot_x = 0;  // straight down
  v.rot_z = 0;
  v.base_scale = 0.08f;
  v.centre_shift[0] = -10;
  v.centre_shift[1] = -10;
  build_GL_matrices(v, GL_VIEW_RENDER);
  const float c[3] = {5.5f, 5.5f, 0};
  std::int32_t s[2];
  ASSERT_TRUE(project_3Dpos(v, c, s));
  int work = 7;
  EXPECT_EQ(pick_work_face(*m, v, s[0], v.panel_h - s[1], work), -1);  // nothing cut
  EXPECT_EQ(work, -1);
  for (int iy = 5; iy <= 6; ++iy)
    for (int ix = 5; ix <= 6; ++ix) {
      TGRID_POINT& p = w.grid[(w.nx + 1) * iy + ix];
      p.z = -2;
      p.mark = 33;
    }
  const int name = pick_work_face(*m, v, s[0], v.panel_h - s[1], work);
  ASSERT_GT(name, 0);
  EXPECT_EQ(work, 0);
  EXPECT_EQ(name % 2, 1);
  const int pt = (name - 1) / 2;
  EXPECT_EQ(w.grid[pt].mark, 33);
  // Far from the pocket nothing cut is hit.
  const float far[3] = {15, 15, 0};
  ASSERT_TRUE(project_3Dpos(v, far, s));
  EXPECT_EQ(pick_work_face(*m, v, s[0], v.panel_h - s[1], work), -1);
}

// The nearest-first search with its early end names what the search of every tile in order
// names, on a work of many tiles with pockets of every depth (some deeper than the tiles
// in front of them are high), under a tilted view, at points all over it.
TEST(WorkCells, CpuPickNearestFirstAgreesWithTheSearchOfEveryTile) {
  auto m = mat_with_work(200, 160, {0, 0, -30}, {100, 80, 0});
  TWORK_DATA& w = m->works[0];
  for (int iy = 0; iy <= w.ny; ++iy)
    for (int ix = 0; ix <= w.nx; ++ix) {
      TGRID_POINT& p = w.grid[static_cast<std::size_t>(w.nx + 1) * iy + ix];
      const int cx = ix / 25, cy = iy / 20;
      if ((cx + cy) % 3 == 0) continue;  // uncut squares between the pockets
      p.z = -static_cast<float>((cx * 7 + cy * 11) % 29) - 0.5f;
      p.mark = 10 + cx + cy;
      if ((ix + iy) % 17 == 0) p.mark = GRID_MARK_BOTTOM;  // holes through the work
    }
  TGL_VIEW v;
  set_GL_view_area(v, 400, 320, 0, 0, 0, 0);
  set_GL_default_view(v);
  v.rot_x = -55;
  v.rot_z = 35;
  v.base_scale = 0.02f;
  v.centre_shift[0] = -50;
  v.centre_shift[1] = -40;
  build_GL_matrices(v, GL_VIEW_RENDER);
  int hits = 0, points = 0;
  for (int y = 4; y < 320; y += 11)
    for (int x = 4; x < 400; x += 13) {
      int wa = -2, wb = -2;
      const int a = pick_work_face(*m, v, x, y, wa);
      const int b = pick_work_face(*m, v, x, y, wb, true);
      ASSERT_EQ(a, b) << x << "," << y;
      ASSERT_EQ(wa, wb) << x << "," << y;
      hits += a > 0;
      ++points;
    }
  EXPECT_GT(hits, points / 4);  // the view shows the work with its pockets
  EXPECT_LT(hits, points);
}

}  // namespace
