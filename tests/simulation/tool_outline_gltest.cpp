// Outlines drawn into an off-screen surface (Xvfb with Mesa's software renderer).
#include <gtest/gtest.h>

#include "platform/gl/gl_surface.h"
#include "simulation/gl/tool_outline_gl.h"

namespace {

constexpr int kSize = 64;

// One-pixel lines in window coordinates on black, drawn in white.
void draw(plat::GlSurface& s, const TTOOL_OUTLINE& o) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kSize, 0, kSize, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  s.draw_buffer(GL_BACK);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3ub(255, 255, 255);
  draw_outline_GL(o);
  glFinish();
}

// Lit pixel at (x, y), y counted from the bottom as in GL.
bool lit(const QImage& img, int x, int y) { return (img.pixel(x, kSize - 1 - y) & 0xFFFFFF) != 0; }

void put(TTOOL_OUTLINE& o, int i, float x, float y) { o.points[i] = {x, y, 0}; }

TEST(ToolOutlineGl, RunsAreSeparateStrips) {
  plat::GlSurface s;
  std::string err;
  ASSERT_TRUE(s.open(nullptr, kSize, kSize, &err)) << err;
  TTOOL_OUTLINE o;
  o.runs[0] = 2;
  o.runs[1] = 2;
  o.runs[2] = 255;
  o.run_count = 2;
  o.point_count = 4;
  put(o, 0, 2.5f, 10.5f);
  put(o, 1, 20.5f, 10.5f);
  put(o, 2, 40.5f, 50.5f);
  put(o, 3, 60.5f, 50.5f);
  draw(s, o);
  const QImage img = s.grab(GL_BACK);
  EXPECT_TRUE(lit(img, 10, 10));
  EXPECT_TRUE(lit(img, 50, 50));
  EXPECT_FALSE(lit(img, 30, 30));  // no line from the end of one run to the next
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  TTOOL_OUTLINE empty;
  draw(s, empty);
  EXPECT_FALSE(lit(s.grab(GL_BACK), 10, 10));
}

TEST(ToolOutlineGl, StopsAfterThe254thPoint) {
  plat::GlSurface s;
  ASSERT_TRUE(s.open(nullptr, kSize, kSize));
  TTOOL_OUTLINE o;
  o.runs[0] = 255 - 1;  // one run of 254 points ...
  o.runs[1] = 2;        // ... and one of 2, which lies beyond the drawn points
  o.runs[2] = 255;
  o.run_count = 2;
  o.point_count = 256;
  for (int i = 0; i < 253; ++i) put(o, i, 2.5f, 2.5f);
  put(o, 253, 2.5f, 30.5f);  // the 254th point: drawn
  put(o, 254, 60.5f, 30.5f);
  put(o, 255, 60.5f, 60.5f);
  draw(s, o);
  const QImage img = s.grab(GL_BACK);
  EXPECT_TRUE(lit(img, 2, 20));
  EXPECT_FALSE(lit(img, 60, 45));
}

}  // namespace
