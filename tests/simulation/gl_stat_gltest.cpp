// The context table on Mesa under Xvfb: off-screen slots, matrices, buffers and the canvas.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "simulation/gl/gl_stat.h"

namespace {

constexpr int kW = 120, kH = 90;

// Slot 1 off-screen, view area kW x kH, default view.
struct Offscreen {
  Tgl_func gl;
  explicit Offscreen(bool swap_mode = true, int w = kW, int h = kH) {
    gl.set_GL_view_area(1, w, h, 0, 0, 0, 0);
    gl.set_GL_default_view(1);
    ok = gl.open(nullptr, 1, swap_mode, false);
  }
  bool ok = false;
};

QRgb px(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

// The real surface, its presents counted.
class CountedSurface : public GlSlotSurface {
 public:
  CountedSurface(std::unique_ptr<GlSlotSurface> in, int& presents)
      : in_(std::move(in)), presents_(presents) {}
  bool open(plat::GlWindow* w, int width, int height, std::string* err) override {
    return in_->open(w, width, height, err);
  }
  void close() override { in_->close(); }
  bool make_current() override { return in_->make_current(); }
  void done_current() override { in_->done_current(); }
  bool resize(int w, int h) override { return in_->resize(w, h); }
  int width() const override { return in_->width(); }
  int height() const override { return in_->height(); }
  bool draw_buffer(GLenum m) override { return in_->draw_buffer(m); }
  bool read_buffer(GLenum m) override { return in_->read_buffer(m); }
  GLenum current_draw_buffer() const override { return in_->current_draw_buffer(); }
  void swap() override { in_->swap(); }
  void present() override {
    ++presents_;
    in_->present();
  }
  QImage grab(GLenum which) override { return in_->grab(which); }
  void finish() override { in_->finish(); }
  GLenum get_error() override { return in_->get_error(); }
  plat::GlSurface* gl_surface() override { return in_->gl_surface(); }

 private:
  std::unique_ptr<GlSlotSurface> in_;
  int& presents_;
};

// The matrices the frame set-up loads equal those the GL and GLU calls build.
TEST(GlStat, CpuMatricesEqualGlCalls) {
  struct Case {
    bool persp;
    float rx, rz, zoom;
    float fs[3], cs[3];
    int w, h, l, t, r, b;
    bool select;
  };
  const Case cases[] = {
      {false, 290, -50, 1, {0, 0, -25}, {0, 0, 0}, 120, 90, 0, 0, 0, 0, false},
      {true, 290, -50, 1, {0, 0, -25}, {0, 0, 0}, 120, 90, 0, 0, 0, 0, false},
      {false, 300, 33, 4.5f, {3, -2, -20}, {-10, 5, -1}, 80, 200, 0, 0, 0, 0, false},
      {true, 10, 200, 0.3f, {1, 1, -30}, {4, 4, 4}, 300, 60, 10, 5, 20, 15, false},
      {false, 290, -50, 1, {0, 0, -25}, {0, 0, 0}, 5, 5, 0, 0, 0, 0, false},
      {true, 280, 45, 2, {0, 0, -25}, {1, 2, 3}, 120, 90, 0, 0, 0, 0, true},
  };
  for (const Case& c : cases) {
    Offscreen o;
    ASSERT_TRUE(o.ok);
    TGL_VIEW& v = o.gl.slot[1].view;
    o.gl.set_GL_view_area(1, c.w, c.h, c.l, c.t, c.r, c.b);
    v.perspective = c.persp;
    v.rot_x = c.rx;
    v.rot_z = c.rz;
    v.zoom = c.zoom;
    for (int i = 0; i < 3; ++i) {
      v.first_shift[i] = c.fs[i];
      v.centre_shift[i] = c.cs[i];
    }
    v.pick_x = 30;
    v.pick_y = 20;
    ASSERT_TRUE(o.gl.setup(nullptr, 1, true, c.select ? GL_VIEW_SELECT : GL_VIEW_RENDER));
    double cpu_p[16], cpu_m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, cpu_p);
    glGetDoublev(GL_MODELVIEW_MATRIX, cpu_m);
    // The same by the GL calls themselves.
    double x, y;
    gl_view_half_extents(v, x, y);
    GLint vp[4] = {v.viewport[0], v.viewport[1], v.viewport[2], v.viewport[3]};
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (c.select) gluPickMatrix(30, 20, 8, 8, vp);
    if (c.persp)
      glFrustum(-x, x, -y, y, v.near_z, v.far_z);
    else
      glOrtho(-x, x, -y, y, v.near_z, v.far_z);
    glTranslatef(c.fs[0], c.fs[1], c.fs[2]);
    const float s = v.base_scale * v.zoom;
    glScalef(s, s, s);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(c.rx, 1, 0, 0);
    glRotatef(c.rz, 0, 0, 1);
    glTranslatef(c.cs[0], c.cs[1], c.cs[2]);
    double gl_p[16], gl_m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, gl_p);
    glGetDoublev(GL_MODELVIEW_MATRIX, gl_m);
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(cpu_p[i], gl_p[i], 1e-5 * (1 + std::fabs(gl_p[i]))) << i << " " << c.rx;
      EXPECT_NEAR(cpu_m[i], gl_m[i], 1e-5 * (1 + std::fabs(gl_m[i]))) << i << " " << c.rx;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    if (c.select) continue;  // the pixel size is the view's, without the pick matrix
    // The pixel size is what gluUnProject gives with GL's own matrices.
    double ident[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double ax, ay, az, bx, by, bz;
    gluUnProject(v.panel_w / 2, v.panel_h / 2, 0.5, ident, gl_p, vp, &ax, &ay, &az);
    gluUnProject(v.panel_w / 2 + 1, v.panel_h / 2, 0.5, ident, gl_p, vp, &bx, &by, &bz);
    EXPECT_NEAR(v.pixel_size, std::fabs(bx - ax), 1e-4 * v.pixel_size);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

// Drawing into the front buffer alone shows once the frame is flushed; a cleared back
// buffer shows only after the swap.
TEST(GlStat, FrontDrawingShowsAfterFlushAndBackAfterDraw) {
  Offscreen o;
  ASSERT_TRUE(o.ok);
  o.gl.slot[1].view.background[0] = 1.0f;  // red
  ASSERT_TRUE(o.gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
  o.gl.flush2(nullptr, 1, "t");
  EXPECT_EQ(px(o.gl.grab(1), 5, 5), 0u);  // not yet swapped
  EXPECT_TRUE(o.gl.draw(nullptr, 1, "t"));
  EXPECT_EQ(px(o.gl.grab(1), 5, 5), 0xFF0000u);
  // Green drawn into the front only.
  ASSERT_TRUE(o.gl.setup(nullptr, 1, false, GL_VIEW_RENDER));
  o.gl.draw_to_front_buffer(1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glColor3ub(0, 255, 0);
  glRectf(-1, -1, 0, 1);
  o.gl.flush2(nullptr, 1, "t");
  const QImage img = o.gl.grab(1);
  EXPECT_EQ(px(img, 5, 5), 0x00FF00u);
  EXPECT_EQ(px(img, kW - 5, 5), 0xFF0000u);
  // The back buffer kept the red picture.
  EXPECT_EQ(px(o.gl.surface(1)->grab(GL_BACK), 5, 5), 0xFF0000u);
}

TEST(GlStat, SingleBufferSlotDrawsEveryChoiceIntoItsPicture) {
  Offscreen o(false);
  ASSERT_TRUE(o.ok);
  EXPECT_FALSE(o.gl.slot[1].double_buffered);
  o.gl.slot[1].view.background[2] = 1.0f;
  ASSERT_TRUE(o.gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
  o.gl.draw_to_back_buffer(1);
  EXPECT_TRUE(o.gl.draw(nullptr, 1, "t"));
  EXPECT_EQ(px(o.gl.grab(1), 5, 5), 0x0000FFu);
  EXPECT_FALSE(o.gl.slot[1].back_drawing);  // draw leaves the slot single-buffered
}

TEST(GlStat, MarkerCoversItsSquareAndIconXorRestores) {
  Offscreen o;
  ASSERT_TRUE(o.ok);
  ASSERT_TRUE(o.gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
  o.gl.draw(nullptr, 1, "t");
  const std::int32_t pt[2] = {40, 30};
  o.gl.draw_point_marker(1, true, pt, 3);
  QImage img = o.gl.grab(1);
  int lit = 0, x0 = 1000, y0 = 1000, x1 = -1, y1 = -1;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (px(img, x, y) != 0) {
        ++lit;
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  EXPECT_EQ(lit, 49);
  EXPECT_EQ(x0, 37);
  EXPECT_EQ(y0, 27);
  EXPECT_EQ(x1, 43);
  EXPECT_EQ(y1, 33);
  EXPECT_EQ(px(img, 40, 30), 0xFFFF00u);  // yellow
  // The icon XORed twice leaves the picture as it was.
  QImage icon(7, 5, QImage::Format_RGBA8888);
  icon.fill(QColor(200, 100, 50));
  const std::int32_t at[2] = {41, 31};
  o.gl.draw_icon_at(1, at, icon);
  const QImage once = o.gl.grab(1);
  EXPECT_NE(px(once, 40, 30), px(img, 40, 30));
  EXPECT_EQ(px(once, 44, 29), 0xC86432u);  // outside the marker: black XOR icon
  o.gl.draw_icon_at(1, at, icon);
  EXPECT_EQ(o.gl.grab(1), img);
  // A frame outline: its corners and nothing inside.
  const std::int32_t r[4] = {10, 10, 20, 16};
  o.gl.draw_frame_rect(1, 0x0000FF, r);
  img = o.gl.grab(1);
  EXPECT_EQ(px(img, 10, 10), 0xFF0000u);  // the window colour 0x0000FF is red
  EXPECT_EQ(px(img, 19, 15), 0xFF0000u);
  EXPECT_EQ(px(img, 20, 16), 0u);
  EXPECT_EQ(px(img, 15, 13), 0u);
}

// Canvas drawings and flushes of front-buffer drawing between hold and release go onto the
// picture at once and are presented together at the (outermost) release; without a hold
// each is presented.
TEST(GlStat, HeldPresentsAreMadeOnceAtTheRelease) {
  int presents = 0;
  Tgl_func gl;
  gl.surface_factory = [&presents] {
    return std::make_unique<CountedSurface>(make_gl_slot_surface(), presents);
  };
  gl.set_GL_view_area(1, kW, kH, 0, 0, 0, 0);
  gl.set_GL_default_view(1);
  ASSERT_TRUE(gl.open(nullptr, 1, true, false));
  ASSERT_TRUE(gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
  gl.draw(nullptr, 1, "t");
  const int start = presents;
  const std::int32_t a[2] = {20, 20}, b[2] = {60, 40};
  const std::int32_t box[4] = {70, 50, 100, 70};
  gl.hold_presents(1);
  ASSERT_TRUE(gl.setup(nullptr, 1, false, GL_VIEW_RENDER));
  gl.draw_to_front_buffer(1);
  gl.flush2(nullptr, 1, "t");
  gl.draw_to_back_buffer(1);
  gl.draw_point_marker(1, true, a, 3);
  gl.hold_presents(1);
  gl.draw_canvas_box(1, 0x000000, 0x00FFFF, box, 4);
  gl.release_presents(1);
  gl.draw_point_marker(1, true, b, 3);
  EXPECT_EQ(presents, start);
  const QImage img = gl.grab(1);
  EXPECT_EQ(px(img, 20, 20), 0xFFFF00u);
  EXPECT_EQ(px(img, 60, 40), 0xFFFF00u);
  EXPECT_EQ(px(img, 85, 50), 0xFFFF00u);  // the box's frame (window colour 0x00FFFF)
  gl.release_presents(1);
  EXPECT_EQ(presents, start + 1);
  gl.release_presents(1);  // one release too many presents nothing
  EXPECT_EQ(presents, start + 1);
  gl.draw_point_marker(1, false, a, 3);
  EXPECT_EQ(presents, start + 2);
  gl.draw_to_front_buffer(1);
  gl.flush2(nullptr, 1, "t");
  EXPECT_EQ(presents, start + 3);
  gl.close(1);
}

// A named quad is hit through the pick matrix of a select-mode set-up.
TEST(GlStat, SelectionThroughSetupNamesTheQuad) {
  Offscreen o;
  ASSERT_TRUE(o.ok);
  TGL_VIEW& v = o.gl.slot[1].view;
  v.rot_x = 0;
  v.rot_z = 0;
  GLuint buf[64];
  glSelectBuffer(64, buf);
  glRenderMode(GL_SELECT);
  // World (0, 0) lies at the view centre; (50, 0) far right of it.
  v.pick_x = kW / 2.0;
  v.pick_y = kH / 2.0;
  ASSERT_TRUE(o.gl.setup(nullptr, 1, false, GL_VIEW_SELECT));
  glInitNames();
  glPushName(0);
  for (int n = 1; n <= 2; ++n) {
    glLoadName(n);
    const float cx = n == 1 ? 0.0f : 50.0f;
    glBegin(GL_QUADS);
    glVertex3f(cx - 2, -2, 0);
    glVertex3f(cx + 2, -2, 0);
    glVertex3f(cx + 2, 2, 0);
    glVertex3f(cx - 2, 2, 0);
    glEnd();
  }
  const GLint hits = glRenderMode(GL_RENDER);
  ASSERT_EQ(hits, 1);
  EXPECT_EQ(buf[0], 1u);
  EXPECT_EQ(buf[3], 1u);
}

TEST(GlStat, StrokesAndArcsDraw) {
  Offscreen o;
  ASSERT_TRUE(o.ok);
  TGL_VIEW& v = o.gl.slot[1].view;
  v.rot_x = 0;
  v.rot_z = 0;
  ASSERT_TRUE(o.gl.setup(nullptr, 1, true, GL_VIEW_RENDER));
  glColor3ub(255, 255, 255);
  // A quarter arc of radius 40 about the centre: lit on the arc, dark on the other side.
  const float c[3] = {0, 0, 0}, s[3] = {40, 0, 0}, e[3] = {0, 40, 0};
  o.gl.draw_arc_GL_G17(1, c, s, e, 40, false, true);
  TStroke_figure f;
  const VEC3 line[2] = {{-40, 10, 0}, {-20, 10, 0}};
  f.add_run(line, 2);
  draw_strokes_GL(f, VEC3{0, 0, 0});
  o.gl.draw(nullptr, 1, "t");
  const QImage img = o.gl.grab(1);
  std::int32_t on[2], off[2], st[2];
  const float p45[3] = {28.28f, 28.28f, 0}, m45[3] = {-28.28f, -28.28f, 0}, mid[3] = {-30, 10, 0};
  ASSERT_TRUE(o.gl.project_3Dpos(1, p45, on));
  ASSERT_TRUE(o.gl.project_3Dpos(1, m45, off));
  ASSERT_TRUE(o.gl.project_3Dpos(1, mid, st));
  auto near_lit = [&](const std::int32_t p[2]) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (px(img, p[0] + dx, p[1] + dy) != 0) return true;
    return false;
  };
  EXPECT_TRUE(near_lit(on));
  EXPECT_FALSE(near_lit(off));
  EXPECT_TRUE(near_lit(st));
}

}  // namespace
