// GL_STAT: the table of six OpenGL context slots (IDs 0..5) through which velmor draws.
// Slot 0 is the main 3D view on the panel gpnl, slot 1 renders off-screen into an image.
// Each slot owns a drawing surface with its own front and back buffers, its view (the
// matrices are built on the CPU, see simulation/gl_view.h) and a text log.
//
// newdc is the native window a slot presents into (nullptr for an off-screen slot, which
// takes its size from the view area). Diagnostic lines are CP932 and begin "info : ",
// "ok   : ", "異常 : " or "警告 : "; info and ok lines are kept only while verbose is on.
#pragma once
#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/stroke_font.h"
#include "platform/gl/gl_surface.h"
#include "simulation/gl_view.h"

// The part of a drawing surface a slot uses; the table makes the real one over
// plat::GlSurface, tests put in their own.
class GlSlotSurface {
 public:
  virtual ~GlSlotSurface() = default;
  virtual bool open(plat::GlWindow* window, int width, int height, std::string* err) = 0;
  virtual void close() = 0;
  virtual bool make_current() = 0;
  virtual void done_current() = 0;
  virtual bool resize(int width, int height) = 0;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual bool draw_buffer(GLenum mode) = 0;
  virtual bool read_buffer(GLenum mode) = 0;
  virtual GLenum current_draw_buffer() const = 0;
  virtual void swap() = 0;
  virtual void present() = 0;
  virtual QImage grab(GLenum which) = 0;
  virtual void finish() = 0;
  virtual GLenum get_error() = 0;
  // The real surface, when there is one (kept pictures copy between its buffers).
  virtual plat::GlSurface* gl_surface() { return nullptr; }
};
std::unique_ptr<GlSlotSurface> make_gl_slot_surface();

constexpr int GL_SLOT_COUNT = 6;
// Pixel-format flags of open2.
constexpr int PFD_SWAP_WINDOW = 0x25;    // to window, OpenGL, double-buffered
constexpr int PFD_WINDOW = 0x24;         // to window, OpenGL
constexpr int PFD_BITMAP = 0x38;         // to bitmap, GDI, OpenGL

struct TGL_SLOT {
  std::unique_ptr<GlSlotSurface> surface;
  std::int32_t color_bits = 0;
  std::vector<std::string> log;
  bool log_open = false;
  bool flag_open = false;
  bool double_buffered = false;
  bool back_drawing = false;
  TGL_VIEW view;
  // Selection arguments of the last set-up in select mode, for callers that still pass them.
  int render_mode = GL_VIEW_RENDER;
  // What the work drawing keeps of this slot's frames (work_draw_gl.h); released with the
  // slot's context.
  std::shared_ptr<void> work_kept;
  int presents_held = 0;      // hold_presents depth
  bool present_owed = false;  // a held present is not made yet
};

class Tgl_func {
 public:
  Tgl_func();
  ~Tgl_func();
  Tgl_func(const Tgl_func&) = delete;
  Tgl_func& operator=(const Tgl_func&) = delete;

  TGL_SLOT slot[GL_SLOT_COUNT];
  bool color24 = false;
  std::string desktop;           // CP932
  bool verbose = false;
  std::vector<std::string>* global_log = nullptr;  // the main window's debug list
  bool global_log_on = false;
  // Makes each slot's surface when it opens (tests put in fakes).
  std::function<std::unique_ptr<GlSlotSurface>()> surface_factory;

  bool open(plat::GlWindow* newdc, int id, bool swap_mode, bool window);
  bool open2(plat::GlWindow* newdc, int id, int flags);
  bool setup(plat::GlWindow* newdc, int id, bool clear, int render_mode);
  void flush2(plat::GlWindow* newdc, int id, const std::string& mes);
  bool draw(plat::GlWindow* newdc, int id, const std::string& mes);
  void swapbuffer(plat::GlWindow* newdc, int id, const std::string& mes);
  bool close(int id);

  // The world point under the mouse on the plane Z = z, from the matrices of the slot's last
  // set-up; project_3Dpos the other way.
  bool get_3Dpos(plat::GlWindow* newdc, int id, float out[3], double z, double mouse_y,
                 double mouse_x);
  bool project_3Dpos(int id, const float world[3], std::int32_t screen[2]);

  void set_GL_view_area(int id, int width, int height, int left, int top, int right, int bottom);
  void set_GL_default_view(int id);
  void copy_GL_view_settings(int target, int source);
  bool init_GL_lights(int id);
  bool apply_GL_light(int id, int n);
  void set_GL_default_lighting(int id, bool init);

  void draw_to_back_buffer(int id);
  void draw_to_front_buffer(int id);
  void draw_to_both_buffers(int id);

  // The window canvas of a slot: window pixels, origin top left, drawn into the shown
  // picture and presented at once (a swap erases it).
  void draw_point_marker(int id, bool selected, const std::int32_t pt[2], int half);
  // The graphic XORed onto the picture at (x - 3, y - 3); twice restores the picture.
  void draw_icon_at(int id, const std::int32_t pt[2], const QImage& graphic);
  // A closed outline through (l, t), (l, b - 1), (r - 1, b - 1), (r - 1, t).
  void draw_frame_rect(int id, std::uint32_t colour, const std::int32_t rect[4]);
  // A text written into the picture at the window point (its top left corner), in the
  // canvas font of that pixel height (0: the application's font).
  void draw_canvas_text(int id, int x, int y, const std::string& text, std::uint32_t colour,
                        int font_px = 0);
  // The width in pixels of a text in the canvas font.
  static int canvas_text_width(const std::string& text, int font_px);
  // A rectangle (l, t)-(r, b) with corners rounded by `corner` pixels, filled with `fill`
  // and outlined with `frame`.
  void draw_canvas_box(int id, std::uint32_t fill, std::uint32_t frame, const std::int32_t rect[4],
                       int corner);

  void draw_arc_GL_G17(int id, const float c[3], const float s[3], const float e[3], float r,
                       bool clockwise, bool end_point);
  void draw_arc_GL_G18(int id, const float c[3], const float s[3], const float e[3], float r,
                       bool clockwise, bool end_point);
  void draw_arc_GL_G19(int id, const float c[3], const float s[3], const float e[3], float r,
                       bool clockwise, bool end_point);

  // The picture of an off-screen slot (its front buffer).
  QImage grab(int id);
  GlSlotSurface* surface(int id);
  // Writes one diagnostic line by its tag's rule.
  void log_line(int id, const std::string& line);
  // Window-pixel drawing on the shown picture (origin top left, no depth, lights or clip
  // planes, into the front buffer); the end presents it and restores the slot's state.
  bool canvas_begin(int id);
  void canvas_end(int id);
  // Between hold and release what slot id would present of its front buffer (the canvas
  // drawings, a flush of front-buffer drawing) is presented once, at the outermost release:
  // a frame, its marker and its read-out show together.
  void hold_presents(int id);
  void release_presents(int id);

 private:
  // An image drawn over the picture with its top left corner at the window point.
  void blit_canvas_image(int id, int x, int y, const QImage& img);
  bool valid_id(int id, const char* op);
  void drain_errors(int id, const char* head_fmt, const char* item_fmt, const char* more_fmt);
  void draw_arc_plane(int id, int plane, const float c[3], const float s[3], const float e[3],
                      float r, bool clockwise, bool end_point);
  void present_if_front(int id);
};

void depth_test_on();
void depth_test_off();
void set_GL_line_stipple(int code);
// Polylines of the figure as line strips at the origin, each run's last point once more as a
// point; the point size is 1 afterwards.
void draw_strokes_GL(const TStroke_figure& f, const VEC3& origin);
// A text as strokes of the stroke font (style as the label modes of make_3D_text_strokes,
// width the leader length, spacing its gap).
void draw_3D_text(const std::string& text, float height, float width, float spacing, int style,
                  const VEC3& origin);
void Get_Gl_func_Version(std::string& out);
// One frame of the slot that only clears it to its background, shown at once.
void GL_show_cleared(Tgl_func& gl, plat::GlWindow* newdc, int id);
// The native window id newdc stands for in the log lines (0 off-screen).
long long gl_dc_id(plat::GlWindow* newdc);
