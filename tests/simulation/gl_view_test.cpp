// The view matrices, project/unproject and arc points, without a context.
#include "simulation/gl_view.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TGL_VIEW default_view(int w, int h) {
  TGL_VIEW v;
  set_GL_view_area(v, w, h, 0, 0, 0, 0);
  set_GL_default_view(v);
  return v;
}

TEST(GlView, ViewAreaAndHalfExtents) {
  TGL_VIEW v;
  set_GL_view_area(v, 4, 300, 0, 0, 0, 0);
  EXPECT_EQ(v.panel_w, 10);  // at least 10 x 10
  EXPECT_EQ(v.panel_h, 300);
  set_GL_view_area(v, 400, 300, 10, 20, 30, 40);
  EXPECT_EQ(v.viewport[0], 10);
  EXPECT_EQ(v.viewport[1], 40);
  EXPECT_EQ(v.viewport[2], 360);
  EXPECT_EQ(v.viewport[3], 240);
  double x, y;
  gl_view_half_extents(v, x, y);
  EXPECT_DOUBLE_EQ(x, 1);
  EXPECT_DOUBLE_EQ(y, 240.0 / 360.0);
  set_GL_view_area(v, 200, 400, 0, 0, 0, 0);
  gl_view_half_extents(v, x, y);
  EXPECT_DOUBLE_EQ(x, 0.5);
  EXPECT_DOUBLE_EQ(y, 1);
}

// A world point on the plane Z taken to the screen and back lands where it was.
TEST(GlView, Get3DposInvertsProject3DposOnPlanesZ) {
  struct Case {
    bool persp;
    float rx, rz, zoom;
    float cs[3];
    int w, h;
  };
  const Case cases[] = {
      {false, 290, -50, 1, {0, 0, 0}, 640, 480},
      {true, 290, -50, 40, {0, 0, 0}, 640, 480},
      {false, 300, 20, 3, {-40, 10, -5}, 300, 700},
      {true, 250, 170, 20, {5, 5, 5}, 900, 300},
  };
  for (const Case& c : cases) {
    TGL_VIEW v = default_view(c.w, c.h);
    v.perspective = c.persp;
    v.rot_x = c.rx;
    v.rot_z = c.rz;
    v.zoom = c.zoom;
    for (int i = 0; i < 3; ++i) v.centre_shift[i] = c.cs[i];
    if (c.persp) v.first_shift[2] = -25;
    build_GL_matrices(v, GL_VIEW_RENDER);
    for (float z : {-10.0f, 0.0f, 12.5f}) {
      const float p[3] = {7.0f, -4.0f, z};
      double wx, wy, wz;
      ASSERT_TRUE(gl_project(p[0], p[1], p[2], v.model, v.proj, v.viewport, wx, wy, wz));
      float out[3];
      ASSERT_TRUE(get_3Dpos(v, out, z, v.panel_h - wy, wx)) << c.rx << " " << z;
      EXPECT_NEAR(out[0], 7.0f, 1e-3) << c.persp << " " << c.rx << " " << z;
      EXPECT_NEAR(out[1], -4.0f, 1e-3) << c.persp << " " << c.rx << " " << z;
      EXPECT_EQ(out[2], z);
      std::int32_t s[2];
      EXPECT_TRUE(project_3Dpos(v, p, s));
      EXPECT_EQ(s[0], std::lround(wx));
      EXPECT_EQ(s[1], v.panel_h - std::lround(wy));
    }
  }
}

TEST(GlView, StraightDownViewAndTheDegeneratePair) {
  TGL_VIEW v = default_view(400, 400);
  v.rot_x = 0.005f;
  v.rot_z = 0;
  build_GL_matrices(v, GL_VIEW_RENDER);
  // Straight down the depth is 0.5: the unprojected point is the one at that depth.
  float out[3];
  ASSERT_TRUE(get_3Dpos(v, out, 3.0, 100, 300));
  double x, y, z;
  ASSERT_TRUE(gl_unproject(300, 300, 0.5, v.model, v.proj, v.viewport, x, y, z));
  EXPECT_NEAR(out[0], x, 1e-4);
  EXPECT_NEAR(out[1], y, 1e-4);
  EXPECT_EQ(out[2], 3.0f);
  // Seen edge-on the plane has no point under the mouse.
  v.rot_x = 270;
  build_GL_matrices(v, GL_VIEW_RENDER);
  EXPECT_FALSE(get_3Dpos(v, out, 0.0, 100, 100));
}

TEST(GlView, PixelSizeAndPickMatrix) {
  TGL_VIEW v = default_view(500, 400);
  build_GL_matrices(v, GL_VIEW_RENDER);
  // Orthographic: 2 units across 500 pixels, divided by the scale.
  EXPECT_NEAR(v.pixel_size, 2.0 / 500 / 0.012, 1e-4);
  EXPECT_FLOAT_EQ(v.scale, 0.012f);
  // The pick matrix maps the 8 x 8 square about the pick point onto the whole viewport.
  v.pick_x = 100;
  v.pick_y = 50;
  const float p[3] = {3, 2, 1};
  double wx, wy, wz;
  ASSERT_TRUE(gl_project(p[0], p[1], p[2], v.model, v.proj, v.viewport, wx, wy, wz));
  v.pick_x = wx;
  v.pick_y = wy;
  build_GL_matrices(v, GL_VIEW_SELECT);
  double px, py, pz;
  ASSERT_TRUE(gl_project(p[0], p[1], p[2], v.model, v.load_proj, v.viewport, px, py, pz));
  EXPECT_NEAR(px, 250, 1e-6);
  EXPECT_NEAR(py, 200, 1e-6);
  // The kept view is the one without the pick matrix, and so is the pixel size.
  std::int32_t s[2];
  ASSERT_TRUE(project_3Dpos(v, p, s));
  EXPECT_EQ(s[0], std::lround(wx));
  EXPECT_NEAR(v.pixel_size, 2.0 / 500 / 0.012, 1e-4);
}

TEST(GlView, ArcTableStep) {
  const struct {
    double px;
    int k;
  } cases[] = {{1, 8}, {255, 8}, {256, 7}, {511, 7}, {512, 6}, {1535, 3}, {1536, 2}, {1e9, 2}};
  for (const auto& c : cases) EXPECT_EQ(gl_arc_table_step(c.px * 0.5, 0.25, 2.0), c.k) << c.px;
  EXPECT_EQ(gl_arc_table_step(10, 0, 1), 8);  // no set-up yet
  EXPECT_EQ(gl_arc_table_step(-3, 1, 1), 8);
}

TEST(GlView, ArcPointsOfRingsAndHalfRings) {
  TGL_POINT_LIST l;
  const float c[3] = {0, 0, 2}, s[3] = {5, 0, 2}, e[3] = {-5, 0, 2};
  make_arc_points_XY(l, true, c, s, s, 5);
  ASSERT_EQ(l.count, 17);  // a full ring: 16 segments
  EXPECT_NEAR(l.p[4][0], 0, 1e-5);
  EXPECT_NEAR(l.p[4][1], 5, 1e-5);
  EXPECT_FLOAT_EQ(l.p[16][0], 5);
  l.count = 0;
  make_arc_points_XY(l, true, c, s, e, 5);
  ASSERT_EQ(l.count, 9);
  EXPECT_GT(l.p[4][1], 4.99f);  // counter-clockwise through +y
  l.count = 0;
  make_arc_points_XY(l, false, c, s, e, 5);
  ASSERT_EQ(l.count, 9);
  EXPECT_LT(l.p[4][1], -4.99f);
  // XZ: angles in the x-z plane, y kept.
  l.count = 0;
  const float cz[3] = {0, 1, 0}, sz[3] = {2, 1, 0}, ez[3] = {0, 1, 2};
  make_arc_points_XZ(l, true, cz, sz, ez, 2);
  ASSERT_EQ(l.count, 5);
  EXPECT_NEAR(l.p[2][0], std::sqrt(2.0), 1e-5);
  EXPECT_NEAR(l.p[2][2], std::sqrt(2.0), 1e-5);
  EXPECT_EQ(l.p[2][1], 1);
  // The list holds 300 points at most.
  l.count = 295;
  make_arc_points_XY(l, true, c, s, s, 5);
  EXPECT_EQ(l.count, GL_ARC_POINTS_MAX);
}

TEST(GlView, HelixMeetsStartAndEnd) {
  double pts[3 * 300];
  const double s[3] = {10, 0, 0}, e[3] = {0, 10, 5};
  const int n = gl_helix_points(0, 0, s, e, 10, false, 8, pts, 300);
  ASSERT_GE(n, 3);
  EXPECT_EQ(pts[0], 10);
  EXPECT_EQ(pts[3 * (n - 1) + 2], 5);
  for (int i = 1; i < n - 1; ++i) {
    EXPECT_NEAR(std::hypot(pts[3 * i], pts[3 * i + 1]), 10, 1e-4);
    EXPECT_GT(pts[3 * i], 0);  // the quarter, not the rest of the circle
    EXPECT_GT(pts[3 * i + 1], 0);
    EXPECT_GE(pts[3 * i + 2], pts[3 * (i - 1) + 2]);
  }
  // Clockwise from (0, 10) to (10, 0) is the same quarter.
  const int m = gl_helix_points(0, 0, e, s, 10, true, 8, pts, 300);
  EXPECT_EQ(m, n);
  for (int i = 1; i < m - 1; ++i) EXPECT_GT(pts[3 * i + 1], 0);
}

TEST(GlView, DefaultLightsAndColourScaling) {
  TGL_VIEW v;
  init_GL_lights(v);
  EXPECT_TRUE(v.lights[0].enabled);
  EXPECT_FALSE(v.lights[1].enabled);
  EXPECT_EQ(v.lights[3].diffuse[0], 0);
  v.scene_size = 100;
  set_GL_default_lighting(v, true);
  EXPECT_TRUE(v.lights[1].enabled);
  EXPECT_FLOAT_EQ(v.lights[0].position[1], 200);  // -(-4) x 100 x 0.5
  EXPECT_FLOAT_EQ(v.lights[1].position[3], 1.5f);
  v.scene_size = 10;
  set_GL_default_lighting(v, false);
  EXPECT_FLOAT_EQ(v.lights[1].position[2], 30);
  const std::uint8_t c[4] = {200, 101, 0, 255};
  std::uint8_t o[4];
  scale_color_bytes(c, 0.5f, o);
  EXPECT_EQ(o[0], 100);
  EXPECT_EQ(o[1], 51);  // 50.5 rounds up
  EXPECT_EQ(o[3], 128);
  scale_color_bytes(c, 2.0f, o);
  EXPECT_EQ(o[0], 255);
}

}  // namespace
