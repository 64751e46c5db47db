#include "mainwin/view/path_gl.h"

#include "platform/gl/gl_surface.h"

void path_gl_stipple(const PathStipple& s) {
  glDisable(GL_LINE_STIPPLE);
  if (s.pattern == 0) return;
  glLineStipple(s.factor, s.pattern);
  glEnable(GL_LINE_STIPPLE);
}

void PathGlSink::end() {
  if (!open_) return;
  glEnd();
  open_ = false;
}

void PathGlSink::style(const PathStyle& s) {
  end();
  glColor4ubv(s.rgba);
  glLineWidth(s.width);
  glPointSize(s.point_size);
  if (s.point_size > 1)
    glEnable(GL_POINT_SMOOTH);
  else
    glDisable(GL_POINT_SMOOTH);
  path_gl_stipple(s.stipple);
}

void PathGlSink::line(const PathPoint& a, const PathPoint& b) {
  if (!open_) {
    glBegin(GL_LINES);
    open_ = true;
  }
  glVertex3d(a.x, a.y, a.z);
  glVertex3d(b.x, b.y, b.z);
}

void PathGlSink::strip(const std::vector<PathPoint>& pts) {
  end();
  glBegin(GL_LINE_STRIP);
  for (const PathPoint& p : pts) glVertex3d(p.x, p.y, p.z);
  glEnd();
}

void PathGlSink::point(const PathPoint& p) {
  end();
  glBegin(GL_POINTS);
  glVertex3d(p.x, p.y, p.z);
  glEnd();
}
