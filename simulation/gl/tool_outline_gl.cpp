#include "simulation/gl/tool_outline_gl.h"

#include <GL/gl.h>

#include "simulation/gl/gl_stat.h"

void draw_outline_GL(const TTOOL_OUTLINE& o) {
  for (const OutlineStrip& s : outline_strips(o)) {
    glBegin(GL_LINE_STRIP);
    for (int i = s.first; i < s.first + s.count; ++i)
      glVertex3f(o.points[i].x, o.points[i].y, o.points[i].z);
    glEnd();
  }
}

namespace {

void draw_group(const TTOOL_OUTLINE_SET& s, int first, const std::uint8_t col[4]) {
  std::uint8_t c[4];
  scale_color_bytes(col, 0.5f, c);
  set_GL_line_stipple(99);
  glColor4ubv(c);
  draw_outline_GL(s.rec[first + 2]);
  set_GL_line_stipple(0);
  glColor4ubv(col);
  draw_outline_GL(s.rec[first]);
  scale_color_bytes(col, 0.6f, c);
  set_GL_line_stipple(98);
  glColor4ubv(c);
  draw_outline_GL(s.rec[first + 1]);
}

}  // namespace

void draw_TOOL_HOLDER_GL(const TTOOL_OUTLINE_SET& s, bool tool, bool holder, int mode,
                         float label[3]) {
  if (!s.valid) return;
  set_GL_line_stipple(0);
  if (tool) {
    if (s.shank) draw_group(s, 3, s.col_shank);
    if (mode == 1)
      draw_group(s, 12, s.col_alt);
    else
      draw_group(s, 0, s.col_cut);
    for (int i = 0; i < 3; ++i) label[i] = s.label[i];
  } else {
    label[0] = label[1] = label[2] = 0;
  }
  if (holder) {
    if (s.holder2) draw_group(s, 6, s.col_holder2);
    draw_group(s, 9, s.col_holder);
  }
  set_GL_line_stipple(0);
}
