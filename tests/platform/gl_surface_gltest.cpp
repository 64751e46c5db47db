// The drawing surface under a real X display (Xvfb with Mesa's software renderer).
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "platform/gl/gl_panel.h"
#include "platform/gl/gl_surface.h"

using namespace plat;

namespace {

void ortho_unit() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
}

// A red triangle over the lower-left half (x + y < 1).
void red_triangle() {
  glColor3ub(255, 0, 0);
  glBegin(GL_TRIANGLES);
  glVertex3f(0, 0, 0);
  glVertex3f(1, 0, 0);
  glVertex3f(0, 1, 0);
  glEnd();
}

// Pixel at (x, y) with y counted from the top.
QRgb px(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

}  // namespace

TEST(GlSurface, OffscreenDrawsAndReadsBack) {
  GlSurface s;
  std::string err;
  ASSERT_TRUE(s.open(nullptr, 64, 48, &err)) << err;
  EXPECT_EQ(s.width(), 64);
  ortho_unit();
  s.draw_buffer(GL_BACK);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  red_triangle();
  glFinish();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  QImage back = s.grab(GL_BACK);
  ASSERT_EQ(back.size(), QSize(64, 48));
  EXPECT_EQ(px(back, 4, 44), 0xFF0000u);   // lower left: triangle
  EXPECT_EQ(px(back, 60, 4), 0x0000FFu);   // upper right: background
  // Nothing was swapped yet: the front is still clear.
  EXPECT_EQ(px(s.grab(GL_FRONT), 4, 44), 0x000000u);
  s.swap();
  EXPECT_EQ(px(s.grab(GL_FRONT), 4, 44), 0xFF0000u);
  // The back buffer keeps its picture after a swap.
  EXPECT_EQ(px(s.grab(GL_BACK), 4, 44), 0xFF0000u);
}

TEST(GlSurface, DrawsIntoBothBuffersAndXorsTheFront) {
  GlSurface s;
  ASSERT_TRUE(s.open(nullptr, 32, 32));
  ortho_unit();
  ASSERT_TRUE(s.draw_buffer(GL_FRONT_AND_BACK));
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(px(s.grab(GL_BACK), 16, 16), 0x00FF00u);
  EXPECT_EQ(px(s.grab(GL_FRONT), 16, 16), 0x00FF00u);

  // An XOR rectangle into the front only, over the picture; twice restores it.
  ASSERT_TRUE(s.draw_buffer(GL_FRONT));
  glEnable(GL_COLOR_LOGIC_OP);
  glLogicOp(GL_XOR);
  glColor3ub(255, 255, 255);
  glBegin(GL_QUADS);
  glVertex3f(0.25f, 0.25f, 0);
  glVertex3f(0.75f, 0.25f, 0);
  glVertex3f(0.75f, 0.75f, 0);
  glVertex3f(0.25f, 0.75f, 0);
  glEnd();
  glFinish();
  EXPECT_EQ(px(s.grab(GL_FRONT), 16, 16), 0xFF00FFu);
  EXPECT_EQ(px(s.grab(GL_FRONT), 2, 2), 0x00FF00u);
  EXPECT_EQ(px(s.grab(GL_BACK), 16, 16), 0x00FF00u);  // the back is untouched
  glBegin(GL_QUADS);
  glVertex3f(0.25f, 0.25f, 0);
  glVertex3f(0.75f, 0.25f, 0);
  glVertex3f(0.75f, 0.75f, 0);
  glVertex3f(0.25f, 0.75f, 0);
  glEnd();
  glDisable(GL_COLOR_LOGIC_OP);
  EXPECT_EQ(px(s.grab(GL_FRONT), 16, 16), 0x00FF00u);
  EXPECT_FALSE(s.draw_buffer(GL_LEFT));
  EXPECT_EQ(s.current_draw_buffer(), static_cast<GLenum>(GL_FRONT));
}

TEST(GlSurface, WindowPresentsWhatIsDrawnInAPlainLoop) {
  GlPanel panel;
  panel.resize(120, 90);
  panel.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.gl_window()));
  GlWindow* w = panel.gl_window();
  GlSurface s;
  std::string err;
  ASSERT_TRUE(s.open(w, w->width(), w->height(), &err)) << err;
  ortho_unit();
  // Draw and swap several frames without giving the event loop a turn.
  for (int frame = 0; frame < 3; ++frame) {
    s.draw_buffer(GL_BACK);
    glClearColor(0, 0, frame == 2 ? 1.0f : 0.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    red_triangle();
    s.swap();
  }
  glFinish();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  QImage front = s.grab(GL_FRONT);
  EXPECT_EQ(px(front, 3, front.height() - 3), 0xFF0000u);
  // What the X server shows in the window.
  QImage shown = w->screen()->grabWindow(w->winId()).toImage();
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(px(shown, 3, shown.height() - 3), 0xFF0000u);
  EXPECT_EQ(px(shown, shown.width() - 3, 3), 0x0000FFu);
  // A resize keeps the surface usable.
  EXPECT_TRUE(s.resize(200, 100));
  EXPECT_EQ(s.grab(GL_BACK).size(), QSize(200, 100));
  s.close();
  EXPECT_FALSE(s.is_open());
}
