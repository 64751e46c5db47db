#include "simulation/gl/tool_outline_gl.h"

#include <GL/gl.h>

void draw_outline_GL(const TTOOL_OUTLINE& o) {
  for (const OutlineStrip& s : outline_strips(o)) {
    glBegin(GL_LINE_STRIP);
    for (int i = s.first; i < s.first + s.count; ++i)
      glVertex3f(o.points[i].x, o.points[i].y, o.points[i].z);
    glEnd();
  }
}
