// Works, jigs and the tool drawn into an off-screen slot (Mesa under Xvfb), pixel probes at
// projected points, and the CPU pick against GL's own selection.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>

#include "platform/core/input.h"
#include "platform/core/system.h"
#include "simulation/gl/gl_stat.h"
#include "simulation/cutting_sim.h"
#include "simulation/gl/work_draw_gl.h"
#include "simulation/tool_shape.h"
#include "simulation/work_cells.h"

namespace {

constexpr int kW = 160, kH = 160;
const std::uint8_t kGrey[4] = {200, 200, 200, 255};

struct Scene {
  Tgl_func gl;
  std::unique_ptr<Tmat> m = std::make_unique<Tmat>();
  bool ok = false;
  Scene() {
    gl.set_GL_view_area(1, kW, kH, 0, 0, 0, 0);
    gl.set_GL_default_view(1);
    TGL_VIEW& v = gl.slot[1].view;
    v.rot_x = 330;  // looking down at a slant
    v.rot_z = 0;
    v.base_scale = 0.02f;
    v.centre_shift[0] = -35;
    v.centre_shift[1] = -20;
    v.scene_size = 100;
    v.background[2] = 0.5f;
    ok = gl.open(nullptr, 1, true, false);
    m->mesh_mode = 2;  // every cell
  }
  void add_work(int slot, bool jig = false, VEC3 lo = {0, 0, -10}, VEC3 hi = {40, 40, 0}) {
    SET_WORK_NUM(*m, slot);
    ASSERT_TRUE(CREATE_WORK(*m, kGrey, 40, 40, true, jig, lo, hi)) << m->last_error();
    m->works[slot].visible = 1;
  }
  QImage frame(int work_tr = -1, int jig_tr = -1) {
    EXPECT_TRUE(gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
    const float tool[3] = {0, 0, 50};
    DRAW_ALL_WORK(*m, 1, tool, jig_tr, work_tr);
    gl.draw(nullptr, 1, "test");
    return gl.grab(1);
  }
  QRgb at(const QImage& img, float x, float y, float z) {
    const float p[3] = {x, y, z};
    std::int32_t s[2];
    EXPECT_TRUE(gl.project_3Dpos(1, p, s));
    return img.pixel(s[0], s[1]) & 0xFFFFFF;
  }
};

constexpr QRgb kBackground = 0x000080;

TEST(WorkDraw, LitWorkSeeThroughWorkAndHiddenJig) {
  Scene s;
  ASSERT_TRUE(s.ok);
  s.add_work(0);
  QImage img = s.frame();
  const QRgb lit = s.at(img, 20, 20, 0);
  EXPECT_NE(lit, kBackground);
  EXPECT_GT(qRed(lit), 20);
  EXPECT_EQ(s.at(img, 42.5f, 20, 0), kBackground);
  EXPECT_FLOAT_EQ(s.m->work_alpha, 1.0f);
  // See-through at 150 % -> 49 %: between the background and the opaque picture.
  s.m->works[0].see_through = 1;
  img = s.frame(150);
  EXPECT_FLOAT_EQ(s.m->work_alpha, 0.49f);
  const QRgb half = s.at(img, 20, 20, 0);
  EXPECT_GT(qRed(half), 0);
  EXPECT_LT(qRed(half), qRed(lit));
  EXPECT_GT(qBlue(half), qBlue(kBackground));
  EXPECT_LT(qBlue(half), qBlue(lit));
  // A jig is hidden while show-jigs is off.
  s.m->works[0].see_through = 0;
  s.add_work(1, true, {45, 0, -10}, {65, 40, 0});
  s.m->works[1].visible = 1;
  s.m->show_jigs = 0;
  img = s.frame();
  EXPECT_EQ(s.at(img, 55, 20, 0), kBackground);
  s.m->show_jigs = 1;
  img = s.frame();
  EXPECT_NE(s.at(img, 55, 20, 0), kBackground);
}

TEST(WorkDraw, ToolBodyStandsWhereItIs) {
  Scene s;
  ASSERT_TRUE(s.ok);
  TTOOL_SHAPE_DATA d;
  d.type = TPM_FLAT;
  d.FR = 4;
  d.edge_len = 20;
  d.effective_len = 20;
  d.cutting_edge = 1;
  d.color[0] = 255;
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*s.m, d));
  ASSERT_TRUE(s.gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
  const float pos[3] = {20, 20, 0};
  DRAW_ALL_WORK(*s.m, 1, pos, -1, -1);
  s.gl.draw(nullptr, 1, "t");
  const QImage img = s.gl.grab(1);
  const QRgb c = s.at(img, 20, 20, 10);
  EXPECT_GT(qRed(c), qGreen(c));
  EXPECT_GT(qRed(c), qBlue(c));
  EXPECT_EQ(s.at(img, 40, 20, 10), kBackground);
  s.m->tool_mode = 0;  // tool display off
  ASSERT_TRUE(s.gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
  DRAW_ALL_WORK(*s.m, 1, pos, -1, -1);
  s.gl.draw(nullptr, 1, "t");
  EXPECT_EQ(s.at(s.gl.grab(1), 20, 20, 10), kBackground);
}

// The clock jumps 300 ms per read, so every tile polls.
std::uint32_t g_clock = 0;
std::uint32_t fast_clock() { return g_clock += 300; }

TEST(WorkDraw, EscapeStopsTheDrawingAndAClickLetsItFinish) {
  Scene s;
  ASSERT_TRUE(s.ok);
  s.add_work(0);
  s.m->works[0].nx = 40;
  work_draw_clock = fast_clock;
  {
    plat::ScriptedInput in;
    in.escape_after(1);
    s.m->abort_flag = 0;
    const QImage img = s.frame();
    EXPECT_EQ(s.m->abort_flag, 1);
    EXPECT_EQ(s.at(img, 20, 20, 0), kBackground);  // nothing drawn before the first poll
  }
  {
    plat::ScriptedInput in;
    in.press(plat::Key::LButton);
    s.m->abort_flag = 0;
    const QImage img = s.frame();
    EXPECT_EQ(s.m->abort_flag, 2);
    EXPECT_NE(s.at(img, 38, 38, 0), kBackground);  // the last tile was drawn too
    EXPECT_NE(s.at(img, 2, 2, 0), kBackground);
  }
  work_draw_clock = plat::tick_ms;
}

// GL selection of every named cut face through a select-mode set-up: each hit's nearest
// depth by name.
struct GlHits {
  std::map<int, GLuint> zmin;
  int nearest = -1;
  GLuint best = 0xFFFFFFFFu;
};
GlHits gl_pick(Scene& s, double x, double y) {
  static GLuint buf[1 << 16];
  glSelectBuffer(1 << 16, buf);
  glRenderMode(GL_SELECT);
  TGL_VIEW& v = s.gl.slot[1].view;
  v.pick_x = x;
  v.pick_y = y;
  EXPECT_TRUE(s.gl.setup(nullptr, 1, false, GL_VIEW_SELECT));
  glInitNames();
  glPushName(0);
  const TWORK_DATA& w = s.m->works[0];
  const TCELL_LATTICE L = work_cell_lattice(w, 0);
  std::vector<TCELL_FACE> faces;
  for (int j = 0; j <= w.ny; ++j)
    for (int i = 0; i <= w.nx; ++i) work_cell_faces(w, L, i, j, faces);
  for (const TCELL_FACE& f : faces) {
    if (f.colour < 0 || w.grid[f.colour].mark < 0) continue;
    glLoadName(f.colour * 2 + 1);
    const VEC3 a = work_grid_point(w, f.a), b = work_grid_point(w, f.b);
    if (f.kind == TCELL_FACE::Top) {
      const VEC3 c = work_grid_point(w, f.c);
      glBegin(GL_TRIANGLES);
      glVertex3f(a.x, a.y, a.z);
      glVertex3f(b.x, b.y, b.z);
      glVertex3f(c.x, c.y, c.z);
    } else {
      glBegin(GL_QUADS);
      glVertex3f(a.x, a.y, a.z);
      glVertex3f(b.x, b.y, b.z);
      glVertex3f(b.x, b.y, w.bottom_z);
      glVertex3f(a.x, a.y, w.bottom_z);
    }
    glEnd();
  }
  const GLint hits = glRenderMode(GL_RENDER);
  EXPECT_GE(hits, 0);
  GlHits r;
  for (GLint h = 0, at = 0; h < hits; ++h) {
    const GLuint n = buf[at], zmin = buf[at + 1];
    if (n >= 1) {
      const int name = static_cast<int>(buf[at + 3]);
      if (!r.zmin.count(name) || zmin < r.zmin[name]) r.zmin[name] = zmin;
      if (zmin < r.best) {
        r.best = zmin;
        r.nearest = static_cast<int>(buf[at + 3]);
      }
    }
    at += 3 + n;
  }
  return r;
}

TEST(WorkDraw, CpuPickEqualsGlSelectionOnAPocketAndAHole) {
  Scene s;
  ASSERT_TRUE(s.ok);
  s.add_work(0);
  TWORK_DATA& w = s.m->works[0];
  for (int iy = 0; iy <= 40; ++iy)
    for (int ix = 0; ix <= 40; ++ix) {
      TGRID_POINT& p = w.grid[41 * iy + ix];
      if (ix >= 5 && ix <= 18 && iy >= 8 && iy <= 30) {  // a stepped pocket
        p.z = ix < 12 ? -3.0f : -6.0f;
        p.mark = 100 + ix;
      }
      if (ix >= 25 && ix <= 32 && iy >= 10 && iy <= 20) p.mark = GRID_MARK_BOTTOM;  // a hole
      if (ix >= 24 && ix <= 33 && iy >= 9 && iy <= 21 && p.mark != GRID_MARK_BOTTOM) {
        p.z = -1;
        p.mark = 7;
      }
    }
  int compared = 0, hit = 0;
  for (int y = 8; y < kH; y += 9)
    for (int x = 8; x < kW; x += 9) {
      const GlHits want = gl_pick(s, x, y);
      int work = -1;
      const int got = pick_work_face(*s.m, s.gl.slot[1].view, x, y, work);
      ++compared;
      hit += want.nearest > 0;
      if (got == want.nearest) continue;
      // Faces that meet the square at the same depth are equally near.
      ASSERT_TRUE(got > 0 && want.zmin.count(got)) << x << "," << y << " " << got << " " << want.nearest;
      EXPECT_NEAR(static_cast<double>(want.zmin.at(got)), static_cast<double>(want.best), 2e-5 * 4294967295.0)
          << x << "," << y;
    }
  EXPECT_GT(hit, 10);
  EXPECT_GT(compared - hit, 10);
}

}  // namespace

namespace {

// A work of 200 x 200 cells (7 x 7 tiles; `cells` others) seen at a slant in a 256 x 256
// slot, drawn with a view key.
struct KeptScene {
  Tgl_func gl;
  std::unique_ptr<Tmat> m = std::make_unique<Tmat>();
  bool ok = false;
  std::function<void()> under;  // what the caller draws before the works, if anything
  explicit KeptScene(int cells = 200) {
    gl.set_GL_view_area(1, 256, 256, 0, 0, 0, 0);
    gl.set_GL_default_view(1);
    TGL_VIEW& v = gl.slot[1].view;
    v.rot_x = 320;
    v.rot_z = 20;
    v.base_scale = 0.016f;
    v.centre_shift[0] = v.centre_shift[1] = -50;
    v.scene_size = 150;
    ok = gl.open(nullptr, 1, true, false);
    m->mesh_mode = 2;
    SET_WORK_NUM(*m, 0);
    ok = ok && CREATE_WORK(*m, kGrey, cells, cells, true, false, {0, 0, -10}, {100, 100, 0});
    m->works[0].visible = 1;
    TTOOL_SHAPE_DATA d;
    d.type = TPM_FLAT;
    d.FR = 3;
    d.edge_len = 10;
    d.effective_len = 10;
    d.tool_edge_len = 10;
    d.cutting_edge = 1;
    d.color[1] = 200;
    ok = ok && MAKE_TOOL_SHAPE(*m, d);
    m->tpm_tool_count = m->tpm_count;
  }
  QImage frame(std::uint64_t key, TWORK_FRAME* out = nullptr) {
    EXPECT_TRUE(gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
    if (under) under();
    const float tool[3] = {80, 20, 5};
    const TWORK_FRAME f = DRAW_ALL_WORK(*m, 1, tool, -1, -1, gl, 1, key);
    if (out) *out = f;
    gl.draw(nullptr, 1, "test");
    return gl.grab(1);
  }
  // With `open_clip` a clip plane that cuts nothing is on: the solid counts as opened, so
  // every wall is drawn.
  QImage plain_frame(bool open_clip = false) {
    EXPECT_TRUE(gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
    const GLdouble nothing[4] = {0, 0, 1, 1e6};
    glClipPlane(GL_CLIP_PLANE0, nothing);
    if (open_clip) glEnable(GL_CLIP_PLANE0);
    if (under) under();
    const float tool[3] = {80, 20, 5};
    DRAW_ALL_WORK(*m, 1, tool, -1, -1);
    glDisable(GL_CLIP_PLANE0);
    gl.draw(nullptr, 1, "test");
    return gl.grab(1);
  }
};

int differing_pixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

}  // namespace

TEST(WorkDrawKept, ACutRedrawsOnlyItsTilesAndEqualsAFullRedraw) {
  KeptScene s;
  ASSERT_TRUE(s.ok);
  TWORK_FRAME f;
  const QImage first = s.frame(7, &f);
  EXPECT_FALSE(f.from_kept);
  EXPECT_EQ(f.tiles, 49);
  // The buffered faces draw what the plain arrays draw.
  EXPECT_EQ(differing_pixels(first, s.plain_frame()), 0);
  // Nothing changed: the kept picture, nothing drawn.
  EXPECT_EQ(differing_pixels(s.frame(7, &f), first), 0);
  EXPECT_TRUE(f.from_kept);
  EXPECT_EQ(f.tiles, 0);
  // A pocket at (25, 25) and one across a tile border at (50, 60).
  CUT_LINE_ALL_WORK(*s.m, 1, 1, {25, 25, 5}, {25, 25, -2});
  CUT_LINE_ALL_WORK(*s.m, 2, 1, {50, 60, -1}, {58, 60, -1});
  const QImage kept = s.frame(7, &f);
  EXPECT_TRUE(f.from_kept);
  EXPECT_GT(f.tiles, 0);
  EXPECT_LT(f.tiles, 49);
  EXPECT_GT(differing_pixels(kept, first), 0);
  const QImage full = s.frame(0, &f);
  EXPECT_FALSE(f.from_kept);
  EXPECT_EQ(differing_pixels(kept, full), 0);
  // A hole through the bottom on a tile corner opens walls in the tiles beside it too.
  s.frame(7, &f);
  CUT_LINE_ALL_WORK(*s.m, 3, 1, {16, 48, 5}, {16, 48, -20});
  const QImage holed = s.frame(7, &f);
  EXPECT_TRUE(f.from_kept);
  EXPECT_EQ(differing_pixels(holed, s.frame(0, &f)), 0);
  // Key 0 kept nothing, a new key draws all, and so does a turned view under the old key.
  s.frame(7, &f);
  EXPECT_FALSE(f.from_kept);
  s.frame(8, &f);
  EXPECT_FALSE(f.from_kept);
  EXPECT_EQ(f.tiles, 49);
  s.gl.slot[1].view.rot_z = 25;
  s.frame(8, &f);
  EXPECT_FALSE(f.from_kept);
  s.frame(8, &f);
  EXPECT_TRUE(f.from_kept);
}

TEST(WorkDrawKept, TheBlinkRedrawsTheTilesWithCollisionPoints) {
  KeptScene s;
  ASSERT_TRUE(s.ok);
  // Collision points around (70, 70), then blinking.
  TWORK_DATA& w = s.m->works[0];
  for (int iy = 136; iy <= 144; ++iy)
    for (int ix = 136; ix <= 144; ++ix) {
      TGRID_POINT& p = w.grid[static_cast<std::size_t>(w.nx + 1) * iy + ix];
      p.col[0] = 255;
      p.col[1] = 1;
      p.col[2] = 1;
      p.mark = 3;
    }
  Refresh_WORK_tiles(w);
  s.m->blink = 1;
  TWORK_FRAME f;
  const QImage a = s.frame(3, &f);
  EXPECT_FALSE(f.from_kept);
  const QImage b = s.frame(3, &f);
  EXPECT_TRUE(f.from_kept);
  EXPECT_GT(f.tiles, 0);
  EXPECT_LT(f.tiles, 49);
  EXPECT_GT(differing_pixels(a, b), 0);  // the points changed their shade
  // The same phase drawn whole.
  s.m->blink_phase = (s.m->blink_phase + 2) % 3;
  EXPECT_EQ(differing_pixels(b, s.frame(0, &f)), 0);
  EXPECT_FALSE(f.from_kept);
}

// Cells a few pixels wide: a cut or a hole beside the border of the point tiles alters the
// cells on both sides of it (their tops, and the inner walls left out beside them), seen
// from above and at a slant, from either side of the work; the kept picture after it is the
// whole one.
TEST(WorkDrawKept, ACutBesideATileBorderRedrawsTheCellsAcrossIt) {
  // 48 cells over 100: grid points 31 and 32, the last of the first point tile and the first
  // of the second, at 64.6 and 66.7; the tool's radius is 3.
  struct Case {
    const char* what;
    VEC3 at;
    float depth;
  } const cases[] = {
      {"pocket on point 32, not 31", {68.6f, 40, 0}, -2},
      {"pocket on point 31, not 32", {62.6f, 40, 0}, -2},
      {"hole on point 32, not 31", {68.6f, 40, 0}, -20},
      {"hole on point 31, not 32", {62.6f, 40, 0}, -20},
      {"pocket on row 32, not 31", {40, 68.6f, 0}, -2},
      {"hole on row 31, not 32", {40, 62.6f, 0}, -20},
      {"hole beside the tile corner", {68.6f, 68.6f, 0}, -20},
      {"hole across the tile corner", {66.7f, 66.7f, 0}, -20},
  };
  const float views[][2] = {{359, 0}, {359, 180}, {320, 20}, {320, 200}};  // rot_x, rot_z
  for (const auto& v : views) {
    for (const Case& c : cases) {
      KeptScene s(48);
      ASSERT_TRUE(s.ok);
      s.gl.slot[1].view.rot_x = v[0];
      s.gl.slot[1].view.rot_z = v[1];
      TWORK_FRAME f;
      const QImage before = s.frame(7, &f);
      CUT_LINE_ALL_WORK(*s.m, 1, 1, {c.at.x, c.at.y, 5}, {c.at.x, c.at.y, c.depth});
      const QImage kept = s.frame(7, &f);
      EXPECT_TRUE(f.from_kept) << c.what;
      EXPECT_GT(differing_pixels(kept, before), 0) << c.what;
      EXPECT_EQ(differing_pixels(kept, s.frame(0, &f)), 0) << c.what << " from " << v[0] << ", " << v[1];
    }
  }
}

// Cells a few pixels wide: each blink phase redraws the cells coloured by the collision
// points, a lone one and a patch across the border of the point tiles, in dips so that they
// colour every cell around them, as the whole picture has them.
TEST(WorkDrawKept, EachBlinkPhaseRedrawsTheCellsOfTheCollisionPoints) {
  const float views[][2] = {{359, 0}, {359, 180}, {320, 20}, {320, 200}};  // rot_x, rot_z
  for (const auto& v : views) {
    KeptScene s(48);
    ASSERT_TRUE(s.ok);
    s.gl.slot[1].view.rot_x = v[0];
    s.gl.slot[1].view.rot_z = v[1];
    TWORK_DATA& w = s.m->works[0];
    const auto collide = [&](int ix, int iy) {
      TGRID_POINT& p = w.grid[static_cast<std::size_t>(w.nx + 1) * iy + ix];
      p.col[0] = 255;
      p.col[1] = 1;
      p.col[2] = 1;
      p.mark = 3;
      p.z = -0.5f;
    };
    collide(10, 20);
    for (int iy = 31; iy <= 32; ++iy)
      for (int ix = 31; ix <= 32; ++ix) collide(ix, iy);
    Refresh_WORK_tiles(w);
    s.m->blink = 1;
    TWORK_FRAME f;
    QImage last = s.frame(3, &f);
    for (int phase = 0; phase < 3; ++phase) {
      const QImage kept = s.frame(3, &f);
      EXPECT_TRUE(f.from_kept);
      EXPECT_GT(differing_pixels(kept, last), 0);
      // The same phase drawn whole (a frame steps the phase on), then kept again.
      s.m->blink_phase = (s.m->blink_phase + 2) % 3;
      EXPECT_EQ(differing_pixels(kept, s.frame(0, &f)), 0) << phase << " from " << v[0] << ", " << v[1];
      s.m->blink_phase = (s.m->blink_phase + 2) % 3;
      last = s.frame(3, &f);
    }
  }
}

// The inner walls left out of opaque, unclipped works lie inside the solid: the picture is
// the one with every wall, from above, at a slant and from low down into a pocket and a hole
// cut through the bottom. The only pixels that may differ are lone specks where a wall's top
// edge won the depth tie against the top faces it lies on (an artefact of drawing them).
TEST(WorkDrawKept, LeavingOutTheInnerWallsKeepsThePicture) {
  KeptScene s;
  ASSERT_TRUE(s.ok);
  CUT_LINE_ALL_WORK(*s.m, 1, 1, {25, 25, 5}, {25, 25, -4});
  CUT_LINE_ALL_WORK(*s.m, 2, 1, {50, 60, -2}, {70, 60, -2});
  CUT_LINE_ALL_WORK(*s.m, 3, 1, {75, 30, 5}, {75, 30, -20});  // through the bottom
  for (const float rx : {359.0f, 320.0f, 285.0f, -320.0f, -300.0f}) {
    s.gl.slot[1].view.rot_x = std::fabs(rx);
    s.gl.slot[1].view.rot_z = rx < 0 ? 200 : 20;  // from the other side too
    const QImage a = s.plain_frame(), b = s.plain_frame(true);
    int differ = 0, clustered = 0;
    for (int y = 1; y + 1 < a.height(); ++y)
      for (int x = 1; x + 1 < a.width(); ++x) {
        const auto d = [&](int u, int v) { return a.pixel(u, v) != b.pixel(u, v); };
        if (!d(x, y)) continue;
        ++differ;
        clustered += d(x + 1, y) || d(x - 1, y) || d(x, y + 1) || d(x, y - 1) ? 1 : 0;
      }
    EXPECT_LE(differ, a.width() * a.height() / 1000) << rx;
    EXPECT_EQ(clustered, 0) << rx;
  }
}

// The caller's own drawing (a floor under the work and a bar above it) seen through two
// holes far apart: the kept picture around the redrawn rectangles, the caller's drawing in
// them, as the whole picture has it. Stopped at once by Escape, the first rectangle shows the
// caller's drawing only and the rest the kept picture as it was, and the next frame is drawn
// whole.
TEST(WorkDrawKept, TheCallersDrawingStaysInTheRedrawnRectanglesAndAStopKeepsTheRest) {
  KeptScene s;
  ASSERT_TRUE(s.ok);
  s.gl.slot[1].view.rot_x = 355;  // down into the holes
  s.under = [] {
    const auto quad = [](float x0, float y0, float x1, float y1, float z) {
      glVertex3f(x0, y0, z);
      glVertex3f(x1, y0, z);
      glVertex3f(x1, y1, z);
      glVertex3f(x0, y1, z);
    };
    glDisable(GL_LIGHTING);
    glBegin(GL_QUADS);
    glColor4ub(30, 160, 60, 255);
    quad(-60, -60, 160, 160, -15);
    glColor4ub(220, 40, 200, 255);
    quad(70, 74, 90, 76, 2);  // beside the second hole
    glEnd();
  };
  const auto holes = [&] {
    CUT_LINE_ALL_WORK(*s.m, 1, 1, {20, 20, 5}, {20, 20, -20});
    CUT_LINE_ALL_WORK(*s.m, 2, 1, {80, 80, 5}, {80, 80, -20});
  };
  const auto pixel = [&](const QImage& img, float x, float y, float z) {
    const float p[3] = {x, y, z};
    std::int32_t at[2] = {0, 0};
    EXPECT_TRUE(s.gl.project_3Dpos(1, p, at));
    return img.pixel(at[0], at[1]);
  };
  TWORK_FRAME f;
  const QImage before = s.frame(7, &f);
  EXPECT_FALSE(f.from_kept);
  {
    KeptScene t;
    ASSERT_TRUE(t.ok);
    t.gl.slot[1].view.rot_x = s.gl.slot[1].view.rot_x;
    t.under = s.under;
    t.frame(7, &f);
    CUT_LINE_ALL_WORK(*t.m, 1, 1, {20, 20, 5}, {20, 20, -20});
    CUT_LINE_ALL_WORK(*t.m, 2, 1, {80, 80, 5}, {80, 80, -20});
    const QImage kept = t.frame(7, &f);
    EXPECT_TRUE(f.from_kept);
    EXPECT_GE(f.rects, 2);
    const QImage full = t.frame(0, &f);
    EXPECT_EQ(differing_pixels(kept, full), 0);
    // The floor shows through both holes.
    EXPECT_EQ(pixel(kept, 20, 20, -15), qRgb(30, 160, 60));
    EXPECT_EQ(pixel(kept, 80, 80, -15), qRgb(30, 160, 60));
  }
  s.m->works[0].visible = 0;
  const QImage caller_only = s.frame(0, &f);
  s.m->works[0].visible = 1;
  EXPECT_EQ(differing_pixels(s.frame(7, &f), before), 0);
  EXPECT_FALSE(f.from_kept);
  holes();
  work_draw_clock = fast_clock;
  {
    plat::ScriptedInput in;
    in.escape_after(1);
    s.m->abort_flag = 0;
    const QImage stopped = s.frame(7, &f);
    EXPECT_EQ(s.m->abort_flag, 1);
    EXPECT_TRUE(f.from_kept);
    EXPECT_GE(f.rects, 2);
    EXPECT_EQ(f.tiles, 0);
    EXPECT_EQ(pixel(stopped, 20, 20, 0), pixel(caller_only, 20, 20, 0));
    EXPECT_NE(pixel(stopped, 20, 20, 0), pixel(before, 20, 20, 0));
    EXPECT_EQ(pixel(stopped, 80, 80, 0), pixel(before, 80, 80, 0));  // not the hole yet
    int neither = 0, old = 0;
    for (int y = 0; y < stopped.height(); ++y)
      for (int x = 0; x < stopped.width(); ++x) {
        const QRgb p = stopped.pixel(x, y);
        old += p == before.pixel(x, y);
        neither += p != before.pixel(x, y) && p != caller_only.pixel(x, y);
      }
    EXPECT_EQ(neither, 0);
    EXPECT_GT(old, stopped.width() * stopped.height() / 2);
  }
  work_draw_clock = plat::tick_ms;
  s.m->abort_flag = 0;
  const QImage after = s.frame(7, &f);
  EXPECT_FALSE(f.from_kept);
  EXPECT_EQ(differing_pixels(after, s.frame(0, &f)), 0);
  EXPECT_EQ(pixel(after, 80, 80, -15), qRgb(30, 160, 60));
}
