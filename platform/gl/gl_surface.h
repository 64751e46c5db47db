// One OpenGL drawing surface: a compatibility-profile context with its own front and back
// buffers.
//
// The drawing code draws into a front and a back buffer at any moment and relies on the back
// buffer keeping its picture. A window's own buffers do not promise that, so the surface keeps
// both itself: one framebuffer object with two colour attachments ("back" and "front") and one
// depth buffer. draw_buffer(GL_BACK / GL_FRONT / GL_FRONT_AND_BACK) selects attachments; swap()
// copies back to front and presents; present() copies the front attachment to the window.
#pragma once
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QImage>
#include <QWindow>
#include <memory>
#include <string>

class QOpenGLContext;
class QOffscreenSurface;

namespace plat {

class GlSurface {
 public:
  GlSurface();
  ~GlSurface();
  GlSurface(const GlSurface&) = delete;
  GlSurface& operator=(const GlSurface&) = delete;

  // Creates the context (OpenGL 2.1, compatibility profile) and the buffers. With a window
  // the surface presents into it; without one it is off-screen of the given size. Leaves the
  // context current. On failure returns false with the reason in *err.
  bool open(QWindow* window, int width, int height, std::string* err = nullptr);
  void close();
  bool is_open() const { return fbo_ != 0; }

  bool make_current();
  void done_current();

  // New buffer size in pixels; the pictures are cleared.
  bool resize(int width, int height);
  int width() const { return w_; }
  int height() const { return h_; }

  // GL_BACK, GL_FRONT or GL_FRONT_AND_BACK (anything else is ignored and returns false).
  bool draw_buffer(GLenum mode);
  bool read_buffer(GLenum mode);
  GLenum current_draw_buffer() const { return draw_mode_; }

  // Copies back to front, then presents.
  void swap();
  // Copies the front attachment into the window and shows it (no-op off-screen).
  void present();
  // Copies back to front without presenting.
  void copy_back_to_front();
  // Keeps a copy of the depth (and stencil) buffer, and puts it back; false without one.
  bool keep_depth();
  bool restore_depth();

  // Reads one attachment (GL_FRONT or GL_BACK) into an image, top row first.
  QImage grab(GLenum which = GL_FRONT);

  QOpenGLContext* context() const { return ctx_.get(); }
  QWindow* window() const { return window_; }
  GLuint framebuffer() const { return fbo_; }

 private:
  bool make_buffers(std::string* err);
  void free_buffers();
  void apply_draw_buffer();

  std::unique_ptr<QOpenGLContext> ctx_;
  std::unique_ptr<QOffscreenSurface> offscreen_;
  QWindow* window_ = nullptr;
  GLuint fbo_ = 0;
  GLuint color_[2] = {0, 0};  // 0 back, 1 front
  GLuint depth_ = 0;
  GLuint kept_fbo_ = 0, kept_depth_ = 0;  // the kept copy of the depth buffer
  bool depth_kept_ = false;
  int w_ = 0, h_ = 0;
  GLenum draw_mode_ = GL_BACK;
  GLenum read_mode_ = GL_BACK;
};

// The native window a surface presents into; it is embedded in widgets through
// QWidget::createWindowContainer.
class GlWindow : public QWindow {
  Q_OBJECT
 public:
  explicit GlWindow(QWindow* parent = nullptr);

 signals:
  void exposed();
  void resized(int width, int height);

 protected:
  void exposeEvent(QExposeEvent* ev) override;
  void resizeEvent(QResizeEvent* ev) override;
};

}  // namespace plat
