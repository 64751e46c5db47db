#include "mainwin/view/path_layer.h"

#include <QOpenGLContext>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/key_hash.h"

namespace {

// The pass over the picture: each pixel a line covers takes the line's colour and depth
// where the depth test lets it; an empty pixel of the layer keeps its clear depth of 1.
const char kVertex[] =
    "#version 110\n"
    "void main() { gl_Position = gl_Vertex; }\n";
const char kFragment[] =
    "#version 110\n"
    "uniform sampler2D colour;\n"
    "uniform sampler2D depth;\n"
    "uniform vec2 size;\n"
    "void main() {\n"
    "  vec2 at = gl_FragCoord.xy / size;\n"
    "  float z = texture2D(depth, at).r;\n"
    "  if (z >= 1.0) discard;\n"
    "  gl_FragColor = texture2D(colour, at);\n"
    "  gl_FragDepth = z;\n"
    "}\n";

GLuint compile(GLenum kind, const char* text) {
  const GLuint s = glCreateShader(kind);
  if (!s) return 0;
  glShaderSource(s, 1, &text, nullptr);
  glCompileShader(s);
  GLint ok = GL_FALSE;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    glDeleteShader(s);
    return 0;
  }
  return s;
}

GLuint link_program() {
  const GLuint vs = compile(GL_VERTEX_SHADER, kVertex);
  const GLuint fs = compile(GL_FRAGMENT_SHADER, kFragment);
  GLuint p = 0;
  if (vs && fs) {
    p = glCreateProgram();
    glAttachShader(p, vs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    GLint ok = GL_FALSE;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
      glDeleteProgram(p);
      p = 0;
    }
  }
  if (vs) glDeleteShader(vs);
  if (fs) glDeleteShader(fs);
  return p;
}

void texture_2d(GLuint t, GLint internal, int w, int h, GLenum format, GLenum type) {
  glBindTexture(GL_TEXTURE_2D, t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, internal, w, h, 0, format, type, nullptr);
}

}  // namespace

PathLayer::~PathLayer() {
  if (ctx_ && QOpenGLContext::currentContext() == ctx_) drop();
}

std::uint64_t PathLayer::view_key() {
  KeyHash f;
  GLdouble m[16];
  glGetDoublev(GL_PROJECTION_MATRIX, m);
  f.bytes(m, sizeof m);
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  f.bytes(m, sizeof m);
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  f.bytes(vp, sizeof vp);
  GLdouble range[2];
  glGetDoublev(GL_DEPTH_RANGE, range);
  f.bytes(range, sizeof range);
  GLint func = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &func);
  f.bytes(&func, sizeof func);
  for (int i = 0; i < 6; ++i) {
    const GLenum plane = static_cast<GLenum>(GL_CLIP_PLANE0 + i);
    const GLboolean on = glIsEnabled(plane);
    f.bytes(&on, sizeof on);
    if (!on) continue;
    GLdouble eq[4];
    glGetClipPlane(plane, eq);  // in eye space: it holds the modelview it was given under
    f.bytes(eq, sizeof eq);
  }
  return f.h;
}

void PathLayer::drop() {
  if (fbo_) glDeleteFramebuffers(1, &fbo_);
  if (colour_) glDeleteTextures(1, &colour_);
  if (depth_) glDeleteTextures(1, &depth_);
  if (program_) glDeleteProgram(program_);
  fbo_ = colour_ = depth_ = program_ = 0;
  w_ = h_ = 0;
  valid_ = false;
}

bool PathLayer::make(int w, int h) {
  if (!program_) {
    program_ = link_program();
    if (!program_) return false;
    at_size_ = glGetUniformLocation(program_, "size");
    at_colour_ = glGetUniformLocation(program_, "colour");
    at_depth_ = glGetUniformLocation(program_, "depth");
  }
  GLint tex = 0, draw = 0, read = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &tex);
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
  if (!colour_) glGenTextures(1, &colour_);
  if (!depth_) glGenTextures(1, &depth_);
  if (!fbo_) glGenFramebuffers(1, &fbo_);
  // The depth in the same format as the pictures' own, so that a depth goes over unchanged.
  texture_2d(colour_, GL_RGBA8, w, h, GL_RGBA, GL_UNSIGNED_BYTE);
  texture_2d(depth_, GL_DEPTH24_STENCIL8, w, h, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(tex));
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth_, 0);
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  const bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
  if (!ok) return false;
  w_ = w;
  h_ = h;
  return true;
}

bool PathLayer::ready(int w, int h) {
  QOpenGLContext* now = QOpenGLContext::currentContext();
  if (!now || w <= 0 || h <= 0) return false;
  if (now != ctx_) {
    // The names of another context are its own (and go with it).
    fbo_ = colour_ = depth_ = program_ = 0;
    w_ = h_ = 0;
    valid_ = false;
    failed_ = false;
    ctx_ = now;
  }
  if (failed_) return false;
  if (w == w_ && h == h_ && fbo_) return true;
  valid_ = false;
  if (!make(w, h)) {
    drop();
    failed_ = true;
    return false;
  }
  return true;
}

void PathLayer::begin(bool fresh) {
  if (!fbo_ || open_) return;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &saved_draw_);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &saved_read_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  open_ = true;
  if (!fresh) return;
  valid_ = false;
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPopAttrib();
}

void PathLayer::end() {
  if (!open_) return;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(saved_draw_));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(saved_read_));
  open_ = false;
}

namespace {

// The window box of a world box under the current matrices and viewport, widened by `pad`
// pixels; false when a corner lies at or behind the eye.
bool window_box(const PathBounds& b, double pad, double out[4]) {
  GLdouble mv[16], pr[16];
  GLint vp[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pr);
  glGetIntegerv(GL_VIEWPORT, vp);
  out[0] = out[1] = HUGE_VAL;
  out[2] = out[3] = -HUGE_VAL;
  for (int k = 0; k < 8; ++k) {
    const double p[4] = {(k & 1) ? b.hi[0] : b.lo[0], (k & 2) ? b.hi[1] : b.lo[1],
                         (k & 4) ? b.hi[2] : b.lo[2], 1};
    double e[4], c[4];
    for (int r = 0; r < 4; ++r)
      e[r] = mv[r] * p[0] + mv[4 + r] * p[1] + mv[8 + r] * p[2] + mv[12 + r] * p[3];
    for (int r = 0; r < 4; ++r)
      c[r] = pr[r] * e[0] + pr[4 + r] * e[1] + pr[8 + r] * e[2] + pr[12 + r] * e[3];
    if (!(c[3] > 0)) return false;
    const double x = vp[0] + (c[0] / c[3] + 1) * 0.5 * vp[2];
    const double y = vp[1] + (c[1] / c[3] + 1) * 0.5 * vp[3];
    out[0] = std::min(out[0], x);
    out[1] = std::min(out[1], y);
    out[2] = std::max(out[2], x);
    out[3] = std::max(out[3], y);
  }
  out[0] -= pad;
  out[1] -= pad;
  out[2] += pad;
  out[3] += pad;
  return std::isfinite(out[0]) && std::isfinite(out[1]) && std::isfinite(out[2]) &&
         std::isfinite(out[3]);
}

}  // namespace

void PathLayer::put(const PathBounds* within) {
  if (!fbo_ || open_) return;
  // The part of the target the pass covers, in pixels.
  double box[4] = {0, 0, static_cast<double>(w_), static_cast<double>(h_)};
  if (within) {
    if (!within->any) return;  // nothing drawn
    double b[4];
    if (window_box(*within, within->widest + 2.0, b)) {
      box[0] = std::max(box[0], std::floor(b[0]));
      box[1] = std::max(box[1], std::floor(b[1]));
      box[2] = std::min(box[2], std::ceil(b[2]));
      box[3] = std::min(box[3], std::ceil(b[3]));
      if (box[0] >= box[2] || box[1] >= box[3]) return;
    }
  }
  const float qx0 = static_cast<float>(2 * box[0] / w_ - 1), qx1 = static_cast<float>(2 * box[2] / w_ - 1);
  const float qy0 = static_cast<float>(2 * box[1] / h_ - 1), qy1 = static_cast<float>(2 * box[3] / h_ - 1);
  GLint active = 0, tex0 = 0, tex1 = 0, prog = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &prog);
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  glActiveTexture(GL_TEXTURE1);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &tex1);
  glBindTexture(GL_TEXTURE_2D, depth_);
  glActiveTexture(GL_TEXTURE0);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &tex0);
  glBindTexture(GL_TEXTURE_2D, colour_);
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_VIEWPORT_BIT |
               GL_POLYGON_BIT | GL_SCISSOR_BIT | GL_STENCIL_BUFFER_BIT);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_COLOR_LOGIC_OP);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDisable(GL_POLYGON_STIPPLE);
  for (int i = 0; i < 6; ++i) glDisable(static_cast<GLenum>(GL_CLIP_PLANE0 + i));
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_DEPTH_TEST);  // with the depth function the lines were drawn with
  glDepthMask(GL_TRUE);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glViewport(0, 0, w_, h_);
  glUseProgram(program_);
  glUniform1i(at_colour_, 0);
  glUniform1i(at_depth_, 1);
  glUniform2f(at_size_, static_cast<float>(w_), static_cast<float>(h_));
  glBegin(GL_TRIANGLE_STRIP);
  glVertex2f(qx0, qy0);
  glVertex2f(qx1, qy0);
  glVertex2f(qx0, qy1);
  glVertex2f(qx1, qy1);
  glEnd();
  glUseProgram(static_cast<GLuint>(prog));
  glPopAttrib();
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(tex0));
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(tex1));
  glActiveTexture(static_cast<GLenum>(active));
}
