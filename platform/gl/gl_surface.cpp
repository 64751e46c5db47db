#include "platform/gl/gl_surface.h"

#include <QExposeEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QResizeEvent>
#include <QSurfaceFormat>

namespace plat {

namespace {
QSurfaceFormat compat_format() {
  QSurfaceFormat f;
  f.setRenderableType(QSurfaceFormat::OpenGL);
  // On Mesa, asking for 3.0 or more gives a core profile where immediate mode fails.
  f.setVersion(2, 1);
  f.setProfile(QSurfaceFormat::CompatibilityProfile);
  f.setDepthBufferSize(24);
  f.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  return f;
}
}  // namespace

GlSurface::GlSurface() = default;
GlSurface::~GlSurface() { close(); }

bool GlSurface::open(QWindow* window, int width, int height, std::string* err) {
  close();
  window_ = window;
  ctx_ = std::make_unique<QOpenGLContext>();
  ctx_->setFormat(window ? window->requestedFormat() : compat_format());
  if (window && !window->handle()) window->create();
  if (!ctx_->create()) {
    if (err) *err = "QOpenGLContext::create failed";
    ctx_.reset();
    window_ = nullptr;
    return false;
  }
  if (!window) {
    offscreen_ = std::make_unique<QOffscreenSurface>();
    offscreen_->setFormat(ctx_->format());
    offscreen_->create();
  }
  if (!make_current()) {
    if (err) *err = "makeCurrent failed";
    close();
    return false;
  }
  w_ = width > 0 ? width : 1;
  h_ = height > 0 ? height : 1;
  if (!make_buffers(err)) {
    close();
    return false;
  }
  return true;
}

void GlSurface::close() {
  if (ctx_) {
    if (make_current()) free_buffers();
    ctx_->doneCurrent();
  }
  ctx_.reset();
  offscreen_.reset();
  window_ = nullptr;
  fbo_ = 0;
  w_ = h_ = 0;
}

bool GlSurface::make_current() {
  if (!ctx_) return false;
  QSurface* s = window_ ? static_cast<QSurface*>(window_) : offscreen_.get();
  if (!s) return false;
  if (!ctx_->makeCurrent(s)) return false;
  if (fbo_) glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  return true;
}

void GlSurface::done_current() {
  if (ctx_) ctx_->doneCurrent();
}

bool GlSurface::make_buffers(std::string* err) {
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glGenRenderbuffers(2, color_);
  for (int i = 0; i < 2; ++i) {
    glBindRenderbuffer(GL_RENDERBUFFER, color_[i]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w_, h_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_RENDERBUFFER,
                              color_[i]);
  }
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w_, h_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
  GLenum st = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (st != GL_FRAMEBUFFER_COMPLETE) {
    if (err) *err = "framebuffer incomplete: 0x" + std::to_string(st);
    free_buffers();
    return false;
  }
  // Both pictures start cleared.
  const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
  glDrawBuffers(2, both);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  apply_draw_buffer();
  read_buffer(read_mode_);
  glViewport(0, 0, w_, h_);
  return true;
}

void GlSurface::free_buffers() {
  if (!fbo_) return;
  glBindFramebuffer(GL_FRAMEBUFFER, ctx_ ? ctx_->defaultFramebufferObject() : 0);
  glDeleteRenderbuffers(2, color_);
  glDeleteRenderbuffers(1, &depth_);
  glDeleteFramebuffers(1, &fbo_);
  if (kept_fbo_) glDeleteFramebuffers(1, &kept_fbo_);
  if (kept_depth_) glDeleteRenderbuffers(1, &kept_depth_);
  kept_fbo_ = kept_depth_ = 0;
  depth_kept_ = false;
  fbo_ = 0;
  color_[0] = color_[1] = depth_ = 0;
}

bool GlSurface::resize(int width, int height) {
  if (!ctx_ || !make_current()) return false;
  width = width > 0 ? width : 1;
  height = height > 0 ? height : 1;
  if (width == w_ && height == h_) return true;
  free_buffers();
  w_ = width;
  h_ = height;
  return make_buffers(nullptr);
}

void GlSurface::apply_draw_buffer() {
  switch (draw_mode_) {
    case GL_FRONT: glDrawBuffer(GL_COLOR_ATTACHMENT1); break;
    case GL_FRONT_AND_BACK: {
      const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
      glDrawBuffers(2, both);
      break;
    }
    default: glDrawBuffer(GL_COLOR_ATTACHMENT0); break;
  }
}

bool GlSurface::draw_buffer(GLenum mode) {
  if (mode != GL_BACK && mode != GL_FRONT && mode != GL_FRONT_AND_BACK) return false;
  draw_mode_ = mode;
  if (fbo_) apply_draw_buffer();
  return true;
}

bool GlSurface::read_buffer(GLenum mode) {
  if (mode != GL_BACK && mode != GL_FRONT) return false;
  read_mode_ = mode;
  if (fbo_) glReadBuffer(mode == GL_FRONT ? GL_COLOR_ATTACHMENT1 : GL_COLOR_ATTACHMENT0);
  return true;
}

void GlSurface::swap() {
  if (!fbo_) return;
  copy_back_to_front();
  present();
}

void GlSurface::copy_back_to_front() {
  if (!fbo_) return;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo_);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glDrawBuffer(GL_COLOR_ATTACHMENT1);
  glBlitFramebuffer(0, 0, w_, h_, 0, 0, w_, h_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  apply_draw_buffer();
  read_buffer(read_mode_);
}

bool GlSurface::keep_depth() {
  if (!fbo_) return false;
  if (!kept_fbo_) {
    glGenFramebuffers(1, &kept_fbo_);
    glGenRenderbuffers(1, &kept_depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, kept_depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w_, h_);
    glBindFramebuffer(GL_FRAMEBUFFER, kept_fbo_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, kept_depth_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              kept_depth_);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    const bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    apply_draw_buffer();
    read_buffer(read_mode_);
    if (!ok) {
      glDeleteFramebuffers(1, &kept_fbo_);
      glDeleteRenderbuffers(1, &kept_depth_);
      kept_fbo_ = kept_depth_ = 0;
      return false;
    }
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, kept_fbo_);
  glBlitFramebuffer(0, 0, w_, h_, 0, 0, w_, h_, GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT,
                    GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  apply_draw_buffer();
  read_buffer(read_mode_);
  depth_kept_ = true;
  return true;
}

bool GlSurface::restore_depth() {
  if (!fbo_ || !kept_fbo_ || !depth_kept_) return false;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, kept_fbo_);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo_);
  glBlitFramebuffer(0, 0, w_, h_, 0, 0, w_, h_, GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT,
                    GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  apply_draw_buffer();
  read_buffer(read_mode_);
  return true;
}

void GlSurface::present() {
  if (!fbo_ || !window_) return;
  GLuint def = ctx_->defaultFramebufferObject();
  const qreal dpr = window_->devicePixelRatio();
  const int wh = static_cast<int>(window_->height() * dpr);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glReadBuffer(GL_COLOR_ATTACHMENT1);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, def);
  if (def == 0) glDrawBuffer(GL_BACK);
  // The picture keeps its pixel size; a window larger than the buffers shows it at the top.
  glBlitFramebuffer(0, 0, w_, h_, 0, wh - h_, w_, wh, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  ctx_->swapBuffers(window_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  apply_draw_buffer();
  read_buffer(read_mode_);
}

QImage GlSurface::grab(GLenum which) {
  if (!fbo_ || !make_current()) return {};
  QImage img(w_, h_, QImage::Format_RGBA8888);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glReadBuffer(which == GL_BACK ? GL_COLOR_ATTACHMENT0 : GL_COLOR_ATTACHMENT1);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, w_, h_, GL_RGBA, GL_UNSIGNED_BYTE, img.bits());
  read_buffer(read_mode_);
  return img.mirrored(false, true);
}

GlWindow::GlWindow(QWindow* parent) : QWindow(parent) {
  setSurfaceType(QSurface::OpenGLSurface);
  QSurfaceFormat f;
  f.setRenderableType(QSurfaceFormat::OpenGL);
  f.setVersion(2, 1);
  f.setProfile(QSurfaceFormat::CompatibilityProfile);
  f.setDepthBufferSize(24);
  setFormat(f);
}

void GlWindow::exposeEvent(QExposeEvent*) {
  if (isExposed()) emit exposed();
}

void GlWindow::resizeEvent(QResizeEvent* ev) {
  emit resized(ev->size().width(), ev->size().height());
}

}  // namespace plat
