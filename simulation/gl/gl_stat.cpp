#include "simulation/gl/gl_stat.h"

#include <GL/glu.h>

#include <QPainter>
#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "platform/qt/qtext.h"

namespace {

std::string fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char* f, ...) {
  char buf[1024];
  va_list ap;
  va_start(ap, f);
  std::vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

const char* tf(bool b) { return b ? "true" : "false"; }

class QtSlotSurface : public GlSlotSurface {
 public:
  bool open(plat::GlWindow* w, int width, int height, std::string* err) override {
    return s_.open(w, width, height, err);
  }
  void close() override { s_.close(); }
  bool make_current() override { return s_.make_current(); }
  void done_current() override { s_.done_current(); }
  bool resize(int w, int h) override { return s_.resize(w, h); }
  int width() const override { return s_.width(); }
  int height() const override { return s_.height(); }
  bool draw_buffer(GLenum m) override { return s_.draw_buffer(m); }
  bool read_buffer(GLenum m) override { return s_.read_buffer(m); }
  GLenum current_draw_buffer() const override { return s_.current_draw_buffer(); }
  void swap() override { s_.swap(); }
  void present() override { s_.present(); }
  QImage grab(GLenum which) override { return s_.grab(which); }
  void finish() override { glFinish(); }
  GLenum get_error() override { return glGetError(); }
  plat::GlSurface* gl_surface() override { return &s_; }

 private:
  plat::GlSurface s_;
};

}  // namespace

std::unique_ptr<GlSlotSurface> make_gl_slot_surface() { return std::make_unique<QtSlotSurface>(); }

long long gl_dc_id(plat::GlWindow* newdc) {
  return newdc ? static_cast<long long>(newdc->winId()) : 0;
}

Tgl_func::Tgl_func() : surface_factory(make_gl_slot_surface) {}

Tgl_func::~Tgl_func() {
  for (TGL_SLOT& s : slot) {
    if (s.work_kept && s.flag_open && s.surface) s.surface->make_current();
    s.work_kept.reset();
    if (s.surface) s.surface->close();
  }
}

bool Tgl_func::valid_id(int id, const char* op) {
  if (id >= 0 && id < GL_SLOT_COUNT) return true;
  const std::string line = fmt("異常 : (%s , ID= %d , ERR ) ID が範囲外です", op, id);
  if (global_log_on && global_log) global_log->push_back(line);
  return false;
}

GlSlotSurface* Tgl_func::surface(int id) {
  if (id < 0 || id >= GL_SLOT_COUNT) return nullptr;
  return slot[id].surface.get();
}

void Tgl_func::log_line(int id, const std::string& line) {
  if (id < 0 || id >= GL_SLOT_COUNT) return;
  TGL_SLOT& s = slot[id];
  const bool quiet = line.rfind("info : ", 0) == 0 || line.rfind("ok   : ", 0) == 0;
  if (quiet) {
    if (verbose && s.log_open) s.log.push_back(line);
    return;
  }
  if (s.log_open) s.log.push_back(line);
  if (global_log_on && global_log) global_log->push_back(line);
}

bool Tgl_func::open(plat::GlWindow* newdc, int id, bool swap_mode, bool window) {
  if (!valid_id(id, "open")) return false;
  TGL_SLOT& s = slot[id];
  const long long dc = gl_dc_id(newdc);
  if (s.log_open) {
    log_line(id, fmt("異常 : (open_1 , ID= %d , ERR ) 多重呼び出しエラー", id));
  } else {
    s.log.clear();
    s.log_open = true;
    log_line(id, fmt("info : open(newdc=%lld,ID=%d,swap_mode=%s)", dc, id, tf(swap_mode)));
  }
  if (!s.flag_open) {
    if (swap_mode) {
      log_line(id, fmt("info : (open_2 , ID= %d ) open2(newdc=%lld,ID=%d,        "
                       "PFD_DRAW_TO_WINDOW or PFD_SUPPORT_OPENGL or PFD_DOUBLEBUFFER) の呼び出し",
                       id, dc, id));
      if (!open2(newdc, id, PFD_SWAP_WINDOW)) {
        log_line(id, fmt("異常 : (open_3 ID= %d , ERR ) open2(newdc=%lld,ID=%d,PFD_DRAW_TO_WINDOW "
                         "or PFD_SUPPORT_OPENGL or PFD_DOUBLEBUFFER) = False ",
                         id, dc, id));
        return false;
      }
      log_line(id, fmt("info : (open_4 , ID= %d ) open2(newdc=%lld,ID=%d,        "
                       "PFD_DRAW_TO_WINDOW or PFD_SUPPORT_OPENGL or PFD_DOUBLEBUFFER) = true",
                       id, dc, id));
      s.double_buffered = true;
      s.back_drawing = true;
    } else if (window) {
      log_line(id, fmt("info : (open_5 , ID= %d ) open2(newdc=%lld,ID=%d,          "
                       "PFD_DRAW_TO_WINDOW or PFD_SUPPORT_OPENGL) の呼び出し",
                       id, dc, id));
      if (!open2(newdc, id, PFD_WINDOW)) {
        log_line(id, fmt("異常 : (open_6 , ID= %d , ERR ) open2(newdc=%lld,ID=%d,"
                         "PFD_DRAW_TO_WINDOW or PFD_SUPPORT_OPENGL) = False ",
                         id, dc, id));
        return false;
      }
      log_line(id, fmt("info : (open_7 , ID= %d ) open2(newdc=%lld,ID=%d,          "
                       "PFD_DRAW_TO_WINDOW or PFD_SUPPORT_OPENGL) = true",
                       id, dc, id));
      s.double_buffered = false;
      s.back_drawing = false;
    } else {
      log_line(id, fmt("info : (open_8 , ID= %d ) open2(newdc=%lld,ID=%d,          "
                       "PFD_DRAW_TO_BITMAP or PFD_SUPPORT_GDI or PFD_SUPPORT_OPENGL) の呼び出し",
                       id, dc, id));
      if (!open2(newdc, id, PFD_BITMAP)) {
        log_line(id, fmt("異常 : (open_9 , ID= %d , ERR ) open2(newdc=%lld,ID=%d,"
                         "PFD_DRAW_TO_BITMAP or PFD_SUPPORT_GDI or PFD_SUPPORT_OPENGL) = False ",
                         id, dc, id));
        return false;
      }
      log_line(id, fmt("info : (open_10 , ID= %d ) open2(newdc=%lld,ID=%d,         "
                       "PFD_DRAW_TO_BITMAP or PFD_SUPPORT_GDI or PFD_SUPPORT_OPENGL) = true",
                       id, dc, id));
      s.double_buffered = false;
      s.back_drawing = false;
    }
  }
  init_GL_lights(id);
  set_GL_default_lighting(id, true);
  return true;
}

bool Tgl_func::open2(plat::GlWindow* newdc, int id, int flags) {
  if (!valid_id(id, "open2")) return false;
  TGL_SLOT& s = slot[id];
  const long long dc = gl_dc_id(newdc);
  log_line(id, fmt("info : open2(newdc=%lld,ID=%d,dwf=%d)", dc, id, flags));
  if (s.flag_open) {
    // This warning goes the quiet way.
    if (verbose && s.log_open)
      s.log.push_back(fmt("警告 : (open2_1 , ID= %d ) GL_STAT[ %d ].flag_open=true "
                          "(多重呼び出ししています)",
                          id, id));
    return true;
  }
  // The pixel format: the surface always has RGBA8 colour and a 24-bit depth buffer.
  s.color_bits = color24 ? 24 : 16;
  log_line(id, fmt("info : (open2_2 , ID= %d ) ピクセルフォーマット %d bits mode", id, s.color_bits));
  const int ipf = 1;
  log_line(id, fmt("ok   : (open2_4 , ID= %d ) choosepixelformat(newdc=%lld,@pfd) => %d:ipixelformat",
                   id, dc, ipf));
  log_line(id, fmt("ok   : (open2_6 , ID= %d ) setpixelformat(newdc=%lld,ipixelformat=%d,@pfd) = true",
                   id, dc, ipf));
  if (!s.surface) s.surface = surface_factory ? surface_factory() : make_gl_slot_surface();
  int w = s.view.panel_w, h = s.view.panel_h;
  if (newdc) {
    const qreal dpr = newdc->devicePixelRatio();
    w = static_cast<int>(newdc->width() * dpr);
    h = static_cast<int>(newdc->height() * dpr);
    if (w < 10) w = 10;
    if (h < 10) h = 10;
  }
  std::string err;
  if (!s.surface->open(newdc, w, h, &err)) {
    log_line(id, fmt("異常 : (open2_7 , ID= %d , ERR ) wglcreatecontext(newdc=%lld) = 0 , ERR：%d , %s ",
                     id, dc, 0, err.c_str()));
    return false;
  }
  const int rc = id + 1;
  log_line(id, fmt("ok   : (open2_8 , ID= %d ) wglcreatecontext(newdc=%lld) => %d:GL_STAT[%d].rc)", id,
                   dc, rc, id));
  if (!s.surface->make_current()) {
    log_line(id, fmt("異常 : (open2_9 , ID= %d , ERR ) wglmakecurrent(newdc=%lld,GL_STAT[ %d ].rc=%d)= "
                     "false , ERR：%d , %s ",
                     id, dc, id, rc, 0, "makeCurrent failed"));
    s.surface->close();
    return false;
  }
  log_line(id, fmt("ok   : (open2_10 , ID= %d ) wglmakecurrent(newdc=%lld,GL_STAT[ %d ].rc=%d) = true ",
                   id, dc, id, rc));
  s.flag_open = true;
  return true;
}

bool Tgl_func::setup(plat::GlWindow* newdc, int id, bool clear, int render_mode) {
  if (!valid_id(id, "setup")) return false;
  TGL_SLOT& s = slot[id];
  const long long dc = gl_dc_id(newdc);
  const int rc = s.flag_open ? id + 1 : 0;
  if (!s.flag_open || !s.surface || !s.surface->make_current()) {
    log_line(id, fmt("異常 : (setup_1 ID= %d , ERR ) wglmakecurrent(newdc=%lld,GL_STAT[ %d ].rc=%d) "
                     "ERR：%d , %s ",
                     id, dc, id, rc, 0, s.flag_open ? "makeCurrent failed" : "not open"));
    return false;
  }
  log_line(id, fmt("ok   : (setup_2 , ID= %d ) wglmakecurrent(newdc=%lld,GL_STAT[ %d ].rc=%d)", id, dc,
                   id, rc));
  TGL_VIEW& v = s.view;
  if (s.surface->width() != v.panel_w || s.surface->height() != v.panel_h)
    s.surface->resize(v.panel_w, v.panel_h);
  if (s.double_buffered) {
    s.surface->draw_buffer(GL_BACK);
    s.back_drawing = true;
    log_line(id, fmt("info : (setup_3 , ID= %d ) GLDrawBuffer(GL_BACK)", id));
  } else {
    s.surface->draw_buffer(GL_FRONT);
  }
  s.render_mode = render_mode;
  build_GL_matrices(v, render_mode);
  glViewport(v.viewport[0], v.viewport[1], v.viewport[2], v.viewport[3]);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(v.load_proj.m);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  if (clear) {
    glClearColor(v.background[0], v.background[1], v.background[2], 0.5f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  glDepthRange(v.near_z, v.far_z);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glShadeModel(GL_FLAT);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  set_GL_default_lighting(id, false);
  apply_GL_light(id, 0);
  apply_GL_light(id, 1);
  glLoadMatrixd(v.model.m);
  glDisable(GL_LIGHTING);
  return true;
}

void Tgl_func::drain_errors(int id, const char* head_fmt, const char* item_fmt,
                            const char* more_fmt) {
  GlSlotSurface* sf = surface(id);
  if (!sf) return;
  GLenum e = sf->get_error();
  if (e == GL_NO_ERROR) return;
  log_line(id, fmt(head_fmt, id));
  int n = 0;
  while (e != GL_NO_ERROR && n < 10) {
    ++n;
    const char* text = reinterpret_cast<const char*>(gluErrorString(e));
    log_line(id, fmt(item_fmt, id, n, static_cast<int>(e), text ? text : ""));
    e = sf->get_error();
  }
  if (e != GL_NO_ERROR) {
    log_line(id, fmt(more_fmt, id));
    // The rest are dropped: a frame's errors end with it.
    for (int guard = 0; guard < 1000 && sf->get_error() != GL_NO_ERROR; ++guard) {
    }
  }
}

void Tgl_func::present_if_front(int id) {
  GlSlotSurface* sf = surface(id);
  if (!sf || sf->current_draw_buffer() == GL_BACK) return;
  if (slot[id].presents_held > 0)
    slot[id].present_owed = true;
  else
    sf->present();
}

void Tgl_func::flush2(plat::GlWindow* newdc, int id, const std::string& mes) {
  if (!valid_id(id, "flush2")) return;
  log_line(id, fmt("info : flush2(newdc=%lld,ID=%d,mes='%s')", gl_dc_id(newdc), id, mes.c_str()));
  TGL_SLOT& s = slot[id];
  if (!s.flag_open || !s.surface) return;
  s.surface->finish();
  log_line(id, fmt("info : (flush2_1 , ID= %d ) glfinish", id));
  drain_errors(id, "異常 : (flush2_2 , ID= %d , ERR ) : glgeterror() <> GL_NO_ERROR ",
               "異常 : (flush2_3 , ID= %d , ERR ) [%d] : GL_ERR= %d , %s ",
               "異常 : (flush2_3 , ID= %d , ERR )        ... and exist more ERR");
  log_line(id, fmt("ok   : (flush2_4 , ID= %d ) glgeterror() = GL_NO_ERROR", id));
  present_if_front(id);
}

bool Tgl_func::draw(plat::GlWindow* newdc, int id, const std::string& mes) {
  if (!valid_id(id, "draw")) return false;
  TGL_SLOT& s = slot[id];
  log_line(id, fmt("info : draw(newdc=%lld,ID=%d,mes='%s')", gl_dc_id(newdc), id, mes.c_str()));
  log_line(id, fmt("info : GL_STAT[ %d ].flag_open = %s)", id, tf(s.flag_open)));
  if (!s.flag_open || !s.surface) {
    log_line(id, fmt("異常 : (draw_6 , ID= %d , ERR ) GL_STAT[ %d ].flag_open don't true ", id, id));
    return false;
  }
  s.surface->finish();
  log_line(id, fmt("info : (draw_1 , ID= %d ) glfinish", id));
  drain_errors(id, "異常 : (draw_2 , ID= %d , ERR )", "異常 : (draw_3 , ID= %d , ERR )  [%d] :GL_ERR= %d , %s ",
               "異常 : (draw_4 , ID= %d , ERR )        ... and exist more ERR");
  if (s.back_drawing && s.double_buffered)
    s.surface->swap();
  else
    present_if_front(id);
  s.back_drawing = s.double_buffered;
  return true;
}

void Tgl_func::swapbuffer(plat::GlWindow* newdc, int id, const std::string& mes) {
  if (!valid_id(id, "swapbuffer")) return;
  log_line(id, fmt("info : swapbuffer(newdc=%lld,ID=%d,mes='%s')", gl_dc_id(newdc), id, mes.c_str()));
  TGL_SLOT& s = slot[id];
  if (s.flag_open && s.surface) {
    if (s.double_buffered)
      s.surface->swap();
    else
      s.surface->present();
  }
}

bool Tgl_func::close(int id) {
  if (!valid_id(id, "close")) return false;
  TGL_SLOT& s = slot[id];
  log_line(id, fmt("info : close(ID=%d)", id));
  bool result = true;
  if (s.flag_open) {
    if (s.work_kept) s.surface->make_current();  // its buffers go with the context
    s.work_kept.reset();
    s.surface->done_current();
    log_line(id, fmt("ok   : (close_2 , ID= %d ) wglmakecurrent(0,0) is true ", id));
    s.surface->close();
    s.flag_open = false;
    log_line(id, fmt("ok   : (close_3 , ID= %d ) wgldeletecontext(GL_STAT[ %d ].rc=%d) is true ", id, id,
                     id + 1));
  } else {
    log_line(id, fmt("警告 : (close_0 , ID= %d , ERR ) 多重呼び出しエラー", id));
  }
  if (s.log_open) {
    if (!s.log.empty() && verbose) {
      char when[32] = "";
      const std::time_t t = std::time(nullptr);
      std::tm tm{};
      if (localtime_r(&t, &tm)) std::strftime(when, sizeof when, "%Y/%m/%d %H:%M:%S", &tm);
      s.log.insert(s.log.begin(),
                   "\r\n**************************\r\n" + fmt("【 GL_STAT[ ID=%d ] %s  】", id, when) + "\r\n");
      s.log.push_back("\r\n**************************\r\n");
    }
    if (global_log_on && global_log)
      global_log->insert(global_log->end(), s.log.begin(), s.log.end());
    s.log.clear();
    s.log_open = false;
  }
  return result;
}

bool Tgl_func::get_3Dpos(plat::GlWindow*, int id, float out[3], double z, double mouse_y,
                         double mouse_x) {
  if (!valid_id(id, "get_3Dpos")) return false;
  const TGL_VIEW& v = slot[id].view;
  if (!v.matrices_valid) return false;
  return ::get_3Dpos(v, out, z, mouse_y, mouse_x);
}

bool Tgl_func::project_3Dpos(int id, const float world[3], std::int32_t screen[2]) {
  if (!valid_id(id, "project_3Dpos")) return false;
  const TGL_VIEW& v = slot[id].view;
  if (!v.matrices_valid) return false;
  return ::project_3Dpos(v, world, screen);
}

void Tgl_func::set_GL_view_area(int id, int width, int height, int left, int top, int right,
                                int bottom) {
  if (valid_id(id, "set_GL_view_area"))
    ::set_GL_view_area(slot[id].view, width, height, left, top, right, bottom);
}

void Tgl_func::set_GL_default_view(int id) {
  if (valid_id(id, "set_GL_default_view")) ::set_GL_default_view(slot[id].view);
}

void Tgl_func::copy_GL_view_settings(int target, int source) {
  if (valid_id(target, "copy_GL_view_settings") && valid_id(source, "copy_GL_view_settings"))
    copy_GL_view(slot[target].view, slot[source].view);
}

bool Tgl_func::init_GL_lights(int id) {
  if (!valid_id(id, "init_GL_lights")) return false;
  ::init_GL_lights(slot[id].view);
  return true;
}

void Tgl_func::set_GL_default_lighting(int id, bool init) {
  if (valid_id(id, "set_GL_default_lighting")) ::set_GL_default_lighting(slot[id].view, init);
}

bool Tgl_func::apply_GL_light(int id, int n) {
  if (!valid_id(id, "apply_GL_light") || n < 0 || n >= GL_LIGHT_COUNT) return false;
  const TGL_LIGHT& l = slot[id].view.lights[n];
  const GLenum L = GL_LIGHT0 + n;
  if (!l.enabled) {
    glDisable(L);
    return true;
  }
  glLightfv(L, GL_AMBIENT, l.ambient);
  glLightfv(L, GL_DIFFUSE, l.diffuse);
  glLightfv(L, GL_SPECULAR, l.specular);
  glLightfv(L, GL_POSITION, l.position);
  glLightfv(L, GL_SPOT_DIRECTION, l.spot_direction);
  glLightf(L, GL_SPOT_EXPONENT, l.spot_exponent);
  glLightf(L, GL_SPOT_CUTOFF, l.spot_cutoff);
  glLightf(L, GL_CONSTANT_ATTENUATION, l.constant_att);
  glLightf(L, GL_LINEAR_ATTENUATION, l.linear_att);
  glLightf(L, GL_QUADRATIC_ATTENUATION, l.quadratic_att);
  glEnable(L);
  return true;
}

// A slot with one buffer draws every choice into it (its front attachment).
void Tgl_func::draw_to_back_buffer(int id) {
  GlSlotSurface* sf = surface(id);
  if (!sf) return;
  const bool two = slot[id].double_buffered;
  sf->read_buffer(two ? GL_BACK : GL_FRONT);
  sf->draw_buffer(two ? GL_BACK : GL_FRONT);
  slot[id].back_drawing = true;
}

void Tgl_func::draw_to_front_buffer(int id) {
  GlSlotSurface* sf = surface(id);
  if (!sf) return;
  const bool two = slot[id].double_buffered;
  sf->read_buffer(two ? GL_BACK : GL_FRONT);
  sf->draw_buffer(GL_FRONT);
  slot[id].back_drawing = false;
}

void Tgl_func::draw_to_both_buffers(int id) {
  GlSlotSurface* sf = surface(id);
  if (!sf) return;
  const bool two = slot[id].double_buffered;
  sf->read_buffer(two ? GL_BACK : GL_FRONT);
  sf->draw_buffer(two ? GL_FRONT_AND_BACK : GL_FRONT);
  slot[id].back_drawing = false;
}

void depth_test_on() {
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
}

void depth_test_off() {
  glDepthMask(GL_FALSE);
  glDisable(GL_DEPTH_TEST);
}

void set_GL_line_stipple(int code) {
  switch (code) {
    case 98:
      glLineStipple(1, 0xE38C);
      glEnable(GL_LINE_STIPPLE);
      break;
    case 99:
      glLineStipple(1, 0xC000);
      glEnable(GL_LINE_STIPPLE);
      break;
    default: glDisable(GL_LINE_STIPPLE); break;
  }
}

// ---- canvas ---------------------------------------------------------------------------------

bool Tgl_func::canvas_begin(int id) {
  TGL_SLOT& s = slot[id];
  if (!s.flag_open || !s.surface || !s.surface->make_current()) return false;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  const int w = s.surface->width(), h = s.surface->height();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glViewport(0, 0, w, h);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_LINE_STIPPLE);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_CLIP_PLANE0);
  glDisable(GL_CLIP_PLANE1);
  s.surface->draw_buffer(GL_FRONT);
  return true;
}

void Tgl_func::canvas_end(int id) {
  TGL_SLOT& s = slot[id];
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
  if (s.presents_held > 0) {
    s.present_owed = true;
  } else {
    glFinish();
    s.surface->present();
  }
  s.surface->draw_buffer(s.back_drawing && s.double_buffered ? GL_BACK : GL_FRONT);
}

void Tgl_func::hold_presents(int id) {
  if (id >= 0 && id < GL_SLOT_COUNT) ++slot[id].presents_held;
}

void Tgl_func::release_presents(int id) {
  if (id < 0 || id >= GL_SLOT_COUNT) return;
  TGL_SLOT& s = slot[id];
  if (s.presents_held <= 0 || --s.presents_held > 0 || !s.present_owed) return;
  s.present_owed = false;
  if (!s.flag_open || !s.surface || !s.surface->make_current()) return;
  glFinish();
  s.surface->present();
}

void Tgl_func::draw_point_marker(int id, bool selected, const std::int32_t pt[2], int half) {
  if (id < 0 || id >= GL_SLOT_COUNT) return;
  const TGL_VIEW& v = slot[id].view;
  if (pt[0] < -10 || pt[0] > v.panel_w + 10 || pt[1] < -10 || pt[1] > v.panel_h + 10) return;
  if (!canvas_begin(id)) return;
  if (selected)
    glColor3ub(255, 255, 0);
  else
    glColor3ub(128, 128, 128);
  glRecti(pt[0] - half, pt[1] - half, pt[0] + half + 1, pt[1] + half + 1);
  canvas_end(id);
}

void Tgl_func::draw_icon_at(int id, const std::int32_t pt[2], const QImage& graphic) {
  if (id < 0 || id >= GL_SLOT_COUNT || graphic.isNull()) return;
  const TGL_VIEW& v = slot[id].view;
  if (pt[0] < -10 || pt[0] > v.panel_w + 10 || pt[1] < -10 || pt[1] > v.panel_h + 10) return;
  if (!canvas_begin(id)) return;
  const QImage img = graphic.convertToFormat(QImage::Format_RGBA8888).mirrored(false, true);
  glEnable(GL_COLOR_LOGIC_OP);
  glLogicOp(GL_XOR);
  // glDrawPixels starts at the raster position (its lower left corner) and goes up.
  glRasterPos2i(0, 0);
  glBitmap(0, 0, 0, 0, static_cast<float>(pt[0] - 3),
           -static_cast<float>(pt[1] - 3 + img.height()), nullptr);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glDrawPixels(img.width(), img.height(), GL_RGBA, GL_UNSIGNED_BYTE, img.constBits());
  glLogicOp(GL_COPY);
  glDisable(GL_COLOR_LOGIC_OP);
  canvas_end(id);
}

void Tgl_func::draw_frame_rect(int id, std::uint32_t colour, const std::int32_t r[4]) {
  if (id < 0 || id >= GL_SLOT_COUNT || !canvas_begin(id)) return;
  glColor3ub(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  glBegin(GL_LINE_STRIP);
  const float l = r[0] + 0.5f, t = r[1] + 0.5f, rr = r[2] - 0.5f, b = r[3] - 0.5f;
  glVertex2f(l, t);
  glVertex2f(l, b);
  glVertex2f(rr, b);
  glVertex2f(rr, t);
  glVertex2f(l, t);
  glEnd();
  canvas_end(id);
}

namespace {
QColor canvas_colour(std::uint32_t c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

// The canvas font: the system's fixed-pitch gothic (any monospace font where it is missing),
// so that numbers padded with blanks line up.
QFont canvas_font(int px) {
  QFont f;
  if (px <= 0) return f;
  f.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                 QStringLiteral("monospace")});
  f.setStyleHint(QFont::Monospace, QFont::NoAntialias);  // whole pixels, as the window canvas
  f.setFixedPitch(true);
  f.setPixelSize(px);
  return f;
}
}  // namespace

void Tgl_func::blit_canvas_image(int id, int x, int y, const QImage& img) {
  if (!canvas_begin(id)) return;
  const QImage up = img.convertToFormat(QImage::Format_RGBA8888).mirrored(false, true);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glRasterPos2i(0, 0);
  glBitmap(0, 0, 0, 0, static_cast<float>(x), -static_cast<float>(y + img.height()), nullptr);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glDrawPixels(up.width(), up.height(), GL_RGBA, GL_UNSIGNED_BYTE, up.constBits());
  canvas_end(id);
}

int Tgl_func::canvas_text_width(const std::string& text, int font_px) {
  return QFontMetrics(canvas_font(font_px)).horizontalAdvance(plat::to_qstring(text));
}

void Tgl_func::draw_canvas_box(int id, std::uint32_t fill, std::uint32_t frame,
                               const std::int32_t r[4], int corner) {
  if (id < 0 || id >= GL_SLOT_COUNT) return;
  const int w = r[2] - r[0] + 1, h = r[3] - r[1] + 1;
  if (w <= 0 || h <= 0) return;
  QImage img(w, h, QImage::Format_RGBA8888);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setPen(canvas_colour(frame));
    p.setBrush(canvas_colour(fill));
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), corner, corner);
  }
  blit_canvas_image(id, r[0], r[1], img);
}

void Tgl_func::draw_canvas_text(int id, int x, int y, const std::string& text, std::uint32_t colour,
                                int font_px) {
  if (id < 0 || id >= GL_SLOT_COUNT || text.empty()) return;
  const QString qs = plat::to_qstring(text);
  const QFont font = canvas_font(font_px);
  const QFontMetrics fm(font);
  const int w = fm.horizontalAdvance(qs) + 2, h = fm.height() + 2;
  if (w <= 2 || h <= 2) return;
  QImage img(w, h, QImage::Format_RGBA8888);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setFont(font);
    p.setPen(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    p.drawText(1, 1 + fm.ascent(), qs);
  }
  blit_canvas_image(id, x, y, img);
}

QImage Tgl_func::grab(int id) {
  GlSlotSurface* sf = surface(id);
  return sf && slot[id].flag_open ? sf->grab(GL_FRONT) : QImage();
}

// ---- strokes and arcs -------------------------------------------------------------------

void draw_strokes_GL(const TStroke_figure& f, const VEC3& o) {
  const int count = f.count < 0 ? 0 : (f.count > kStroke_max_points ? kStroke_max_points : f.count);
  int idx = 0;
  for (int k = 0; k < kStroke_max_runs && f.runs[k] != -1 && idx < count; ++k) {
    int n = f.runs[k];
    if (n <= 0) continue;
    if (idx + n > count) n = count - idx;
    glBegin(GL_LINE_STRIP);
    for (int i = idx; i < idx + n; ++i)
      glVertex3f(f.points[i].x + o.x, f.points[i].y + o.y, f.points[i].z + o.z);
    glEnd();
    const VEC3& last = f.points[idx + n - 1];
    glBegin(GL_POINTS);
    glVertex3f(last.x + o.x, last.y + o.y, last.z + o.z);
    glEnd();
    idx += n;
  }
  glPointSize(1.0f);
}

void draw_3D_text(const std::string& text, float height, float width, float spacing, int style,
                  const VEC3& origin) {
  TStroke_text t;
  make_3D_text_strokes(style, text, t, width, spacing, height, origin);
  const VEC3 zero{};
  draw_strokes_GL(t.figure, zero);
  for (int i = 0; i < t.count && i < kStroke_text_glyphs; ++i) draw_strokes_GL(t.glyphs[i], zero);
}

void Tgl_func::draw_arc_plane(int id, int plane, const float c[3], const float s[3],
                              const float e[3], float r, bool clockwise, bool end_point) {
  if (id < 0 || id >= GL_SLOT_COUNT) return;
  const TGL_VIEW& v = slot[id].view;
  // Plane axes (u, v) and the helix axis w: XY, ZX, YZ.
  static const int kAxes[3][3] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}};
  const int* ax = kAxes[plane];
  const double su[3] = {s[ax[0]], s[ax[1]], s[ax[2]]};
  const double eu[3] = {e[ax[0]], e[ax[1]], e[ax[2]]};
  const int k = gl_arc_table_step(r, v.pixel_size, v.scale);
  double pts[3 * 300];
  const int n = gl_helix_points(c[ax[0]], c[ax[1]], su, eu, r, clockwise, k, pts, 300);
  auto vertex = [&](const double* p) {
    float q[3];
    q[ax[0]] = static_cast<float>(p[0]);
    q[ax[1]] = static_cast<float>(p[1]);
    q[ax[2]] = static_cast<float>(p[2]);
    glVertex3fv(q);
  };
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i < n; ++i) vertex(pts + 3 * i);
  glEnd();
  if (!end_point) {
    glBegin(GL_POINTS);
    glVertex3fv(e);
    glEnd();
    glPointSize(1.0f);
  }
}

void Tgl_func::draw_arc_GL_G17(int id, const float c[3], const float s[3], const float e[3],
                               float r, bool cw, bool end_point) {
  draw_arc_plane(id, 0, c, s, e, r, cw, end_point);
}
void Tgl_func::draw_arc_GL_G18(int id, const float c[3], const float s[3], const float e[3],
                               float r, bool cw, bool end_point) {
  draw_arc_plane(id, 1, c, s, e, r, cw, end_point);
}
void Tgl_func::draw_arc_GL_G19(int id, const float c[3], const float s[3], const float e[3],
                               float r, bool cw, bool end_point) {
  draw_arc_plane(id, 2, c, s, e, r, cw, end_point);
}

void Get_Gl_func_Version(std::string& out) { out.clear(); }

void GL_show_cleared(Tgl_func& gl, plat::GlWindow* newdc, int id) {
  if (id < 0 || id >= GL_SLOT_COUNT || !gl.slot[id].flag_open) return;
  if (gl.setup(newdc, id, true, GL_VIEW_RENDER)) gl.draw(newdc, id, "GL_show_cleared");
}
