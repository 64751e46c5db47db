#include "mainwin/core/view_fit.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(ViewFit, EveryCornerOfThePathAndTheAxesShowInThePanel) {
  struct Case {
    float rot_x, rot_z;
    int w, h;
  };
  const Case cases[] = {{290, -50, 1000, 700}, {360, 0, 1000, 700}, {270, 90, 1000, 700},
                        {290, -50, 1600, 200}, {290, -50, 200, 1200}};
  // far from the origin, so the axis figure there widens the box to one side
  const ViewBox path{{300, 200, -30}, {500, 300, 5}, true};
  const ViewBox works{{-50, -50, -60}, {250, 150, 0}, true};
  for (const Case& c : cases) {
    TGL_VIEW v;
    set_GL_default_view(v);
    set_GL_view_area(v, c.w, c.h, 0, 0, 0, 0);
    v.rot_x = c.rot_x;
    v.rot_z = c.rot_z;
    fit_scale_ex(v, path, works, 40);
    int min_x = 1 << 30, max_x = -(1 << 30), min_y = 1 << 30, max_y = -(1 << 30);
    for (int i = 0; i < 9; ++i) {  // the eight corners and the axis figure at the origin
      const float p[3] = {i == 8 ? 0.0f : float(i & 1 ? path.hi[0] : path.lo[0]),
                          i == 8 ? 0.0f : float(i & 2 ? path.hi[1] : path.lo[1]),
                          i == 8 ? 0.0f : float(i & 4 ? path.hi[2] : path.lo[2])};
      std::int32_t s[2];
      EXPECT_TRUE(project_3Dpos(v, p, s)) << c.rot_x << " " << i;
      EXPECT_GE(s[0], 0);
      EXPECT_LE(s[0], c.w);
      EXPECT_GE(s[1], 0);
      EXPECT_LE(s[1], c.h);
      min_x = std::min(min_x, s[0]);
      max_x = std::max(max_x, s[0]);
      min_y = std::min(min_y, s[1]);
      max_y = std::max(max_y, s[1]);
    }
    // rescaled to the panel: the path with the axis figure at the origin fills it
    EXPECT_TRUE(max_x - min_x > c.w / 5 || max_y - min_y > c.h / 5) << c.rot_x << " " << c.w;
    EXPECT_FLOAT_EQ(v.zoom, 1);
  }
}

TEST(ViewFit, EmptyPathAndTinyPanelKeepTheEstimate) {
  TGL_VIEW v;
  set_GL_default_view(v);
  set_GL_view_area(v, 10, 10, 0, 0, 0, 0);
  fit_scale_ex(v, ViewBox{}, ViewBox{}, 0);
  EXPECT_GE(v.base_scale, 0.001f);
  EXPECT_FLOAT_EQ(v.base_scale, 2.0f / 400);  // estimate 400 for an empty path
  EXPECT_GT(v.scene_size, 0);
}
