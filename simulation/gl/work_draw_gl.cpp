#include "simulation/gl/work_draw_gl.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/ats_func.h"
#include "platform/core/input.h"
#include "platform/core/system.h"
#include "simulation/work_cells.h"

std::uint32_t (*work_draw_clock)() = plat::tick_ms;

namespace {

constexpr std::uint32_t kPollAfterMs = 200;

struct Vtx {
  float p[3];
  float n[3];
  std::uint8_t c[4];
};

std::uint8_t clamp_byte(double v) {
  const int i = float_round_to_int(v, 0);
  return static_cast<std::uint8_t>(i < 0 ? 0 : (i > 255 ? 255 : i));
}

void alpha_of(const Tmat& m, const TWORK_DATA& w, std::uint8_t& a) {
  a = m.blend ? clamp_byte(255.0 * (w.jig ? m.jig_alpha : m.work_alpha)) : 255;
}

void draw_arrays(const std::vector<Vtx>& v, GLenum mode) {
  if (v.empty()) return;
  glVertexPointer(3, GL_FLOAT, sizeof(Vtx), v[0].p);
  glNormalPointer(GL_FLOAT, sizeof(Vtx), v[0].n);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vtx), v[0].c);
  glDrawArrays(mode, 0, static_cast<GLsizei>(v.size()));
}

// Polls Escape and the mouse once more than 200 ms have passed since the drawing began.
// True when the drawing must stop.
bool poll_abort(Tmat& m, std::uint32_t start) {
  if (work_draw_clock() - start <= kPollAfterMs) return false;
  if (plat::escape_pressed()) {
    m.abort_flag = 1;
    return true;
  }
  if (plat::key_down(plat::Key::LButton) || plat::key_down(plat::Key::RButton)) m.abort_flag = 2;
  return false;
}

}  // namespace

void work_point_colour(const Tmat& m, const TWORK_DATA& w, const TGRID_POINT& p,
                       std::uint8_t out[4]) {
  double f = 1.0;
  if (is_collision_point(p) && m.blink) {
    static const double kPhase[3] = {1.0, 0.6, 0.3};
    f = kPhase[std::clamp(m.blink_phase, 0, 2)];
  }
  for (int i = 0; i < 3; ++i) out[i] = clamp_byte(p.col[i] * f);
  alpha_of(m, w, out[3]);
}

void DRAW_WORK_MESH(Tmat& m, int reverse_order) {
  if (m.cur_work < 0 || m.cur_work >= WORK_MAX) return;
  TWORK_DATA& w = m.works[m.cur_work];
  if (!w.in_use || m.mesh_mode == 0) return;
  if (w.grid.size() < w.point_count() || w.xs.size() < static_cast<std::size_t>(w.nx + 1) ||
      w.ys.size() < static_cast<std::size_t>(w.ny + 1))
    return;
  const int q = work_cell_quadrant(m.view_azimuth, m.view_order != 0, reverse_order != 0);
  const TCELL_LATTICE L = work_cell_lattice(w, m.mesh_mode);
  const std::uint32_t start = work_draw_clock();
  std::uint8_t plain[4] = {w.color[0], w.color[1], w.color[2], 255};
  alpha_of(m, w, plain[3]);
  std::vector<TCELL_FACE> faces;
  std::vector<Vtx> tops, walls;
  glEnable(GL_LIGHTING);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  GLint two_sided = 0;
  glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &two_sided);
  for (const TCELL_TILE& t : work_cell_tiles(L, q)) {
    if (poll_abort(m, start)) break;
    faces.clear();
    tops.clear();
    walls.clear();
    for_each_tile_cell(t, q, [&](int i, int j) { work_cell_faces(w, L, i, j, faces); });
    for (const TCELL_FACE& f : faces) {
      const VEC3 a = work_grid_point(w, f.a), b = work_grid_point(w, f.b);
      if (f.kind == TCELL_FACE::Top) {
        const VEC3 c = work_grid_point(w, f.c);
        const VEC3 n = work_face_normal(a, b, c);
        Vtx v{};
        work_point_colour(m, w, w.grid[f.colour], v.c);
        v.n[0] = n.x;
        v.n[1] = n.y;
        v.n[2] = n.z;
        for (const VEC3& p : {a, b, c}) {
          v.p[0] = p.x;
          v.p[1] = p.y;
          v.p[2] = p.z;
          tops.push_back(v);
        }
      } else {
        Vtx v{};
        if (f.colour >= 0)
          work_point_colour(m, w, w.grid[f.colour], v.c);
        else
          std::copy(plain, plain + 4, v.c);
        v.n[1] = -1;
        for (const VEC3& p : {a, b, VEC3{b.x, b.y, w.bottom_z}, VEC3{a.x, a.y, w.bottom_z}}) {
          v.p[0] = p.x;
          v.p[1] = p.y;
          v.p[2] = p.z;
          walls.push_back(v);
        }
      }
    }
    draw_arrays(tops, GL_TRIANGLES);
    if (!walls.empty()) {
      glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
      draw_arrays(walls, GL_QUADS);
      glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, two_sided);
    }
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
}

// ---- the tool body ------------------------------------------------------------------------

namespace {

struct RZ {
  double r, z;
};

// The profile of a section from its bottom up, without the disc.
std::vector<RZ> section_profile(const TTOOL_PARAM& t) {
  std::vector<RZ> p;
  const double z0 = t.ref_z, e = t.edge_len;
  auto arc = [&](double fr, double br, double r_end) {
    // Corner of radius br about (fr, z0 + br) from the bottom out to radius r_end.
    for (int k = 0; k <= 4; ++k) {
      const double phi = k * ATS_PI / 8;
      double r = fr + br * std::sin(phi);
      if (r > r_end) r = r_end;
      const double s = std::clamp((r - fr) / br, 0.0, 1.0);
      p.push_back({r, z0 + br - br * std::sqrt(1 - s * s)});
      if (r >= r_end) break;
    }
  };
  switch (t.type) {
    case 1:  // flat
      p.push_back({t.FR, z0});
      p.push_back({t.FR, z0 + e});
      break;
    case 2:  // ball
    case 3:  // ball cut off at AR
      if (t.BR > 0) arc(0, t.BR, t.AR);
      p.push_back({t.AR, std::max(p.empty() ? z0 : p.back().z, z0 + e)});
      break;
    case 4:  // corner radius out to AR
    case 6:
      p.push_back({t.FR, z0});
      if (t.BR > 0) arc(t.FR, t.BR, t.AR);
      p.push_back({t.AR, std::max(p.back().z, z0 + e)});
      break;
    case 5:  // cone
      p.push_back({t.FR, z0});
      p.push_back({t.AR, z0 + e});
      break;
    default: break;
  }
  if (!p.empty() && t.effective_len > e) p.push_back({t.AR, z0 + t.effective_len});
  return p;
}

void ring_strip(const RZ& a, const RZ& b) {
  const double dr = b.r - a.r, dz = b.z - a.z;
  const double l = std::sqrt(dr * dr + dz * dz);
  if (!(l > 0)) return;
  const float nr = static_cast<float>(dz / l), nz = static_cast<float>(-dr / l);
  glBegin(GL_QUAD_STRIP);
  for (int k = 0; k <= 16; ++k) {
    const int idx = (k * 16) % 256;
    const float c = SinCos_table[256 + idx], s = SinCos_table[idx];
    glNormal3f(nr * c, nr * s, nz);
    glVertex3f(static_cast<float>(a.r) * c, static_cast<float>(a.r) * s, static_cast<float>(a.z));
    glVertex3f(static_cast<float>(b.r) * c, static_cast<float>(b.r) * s, static_cast<float>(b.z));
  }
  glEnd();
}

void disc(double r, double z) {
  if (!(r >= 1e-6)) return;
  glNormal3f(0, 0, -1);
  glBegin(GL_POLYGON);
  for (int k = 0; k < 16; ++k) {
    const int idx = (256 - k * 16) % 256;
    glVertex3f(static_cast<float>(r) * SinCos_table[256 + idx],
               static_cast<float>(r) * SinCos_table[idx], static_cast<float>(z));
  }
  glEnd();
}

}  // namespace

void DRAW_TOOL_BODY(Tmat& m, const float pos[3]) {
  if (m.tool_mode == 0) return;
  if (SinCos_table[256] != 1.0f) Preset_SinCos_table();
  glPushMatrix();
  glTranslatef(pos[0], pos[1], pos[2]);
  if (m.view_order) glRotatef(static_cast<float>(-m.view_azimuth), 0, 0, 1);
  if (m.tool_spin) {
    const long long a = float_to_int64(std::fabs(m.spin_angle) * 1000.0, 0);
    glRotatef(static_cast<float>((a % 22500) * 0.001), 0, 0, 1);
  }
  glLineWidth(1);
  if (m.tool_mode == 2)
    glEnable(GL_LIGHTING);
  else
    glDisable(GL_LIGHTING);
  const int n = std::clamp(m.tpm_count, 0, TOOL_SHAPE_MAX);
  for (int i = 0; i < n; ++i) {
    const TTOOL_PARAM& t = m.tpm[i];
    std::uint8_t c[4] = {t.cut_color[0], t.cut_color[1], t.cut_color[2], 255};
    if (m.blend) c[3] = clamp_byte(255.0 * m.work_alpha);
    glColor4ubv(c);
    const std::vector<RZ> p = section_profile(t);
    if (p.empty()) continue;
    if (t.type == 1 || t.type == 4 || t.type == 5 || t.type == 6) disc(p.front().r, p.front().z);
    for (std::size_t k = 0; k + 1 < p.size(); ++k) ring_strip(p[k], p[k + 1]);
  }
  glDisable(GL_LIGHTING);
  glPopMatrix();
}

// ---- all works ------------------------------------------------------------------------------

namespace {

float alpha_factor(int transparency) {
  if (transparency == -1) return 1.0f;
  const long long v = std::llabs(static_cast<long long>(transparency)) % 101;
  return static_cast<float>(v) * 0.01f;
}

bool drawable(const TWORK_DATA& w) { return w.in_use && w.visible; }

}  // namespace

void DRAW_ALL_WORK(Tmat& m, int set_gl_state, const float tool_pos[3], int jig_transparency,
                   int work_transparency) {
  m.work_alpha = alpha_factor(work_transparency);
  m.jig_alpha = alpha_factor(jig_transparency);
  if (set_gl_state == 1) {
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
  }
  glDisable(GL_ALPHA_TEST);
  m.blend = 0;
  m.blink_phase = m.blink ? (m.blink_phase + 1) % 3 : 0;
  for (int n = 0; n < WORK_MAX && m.abort_flag != 1; ++n) {
    const TWORK_DATA& w = m.works[n];
    if (!drawable(w)) continue;
    bool draw;
    if (w.jig)
      draw = m.show_jigs && !w.see_through;
    else if (w.nx != 0 && w.ny != 0)
      draw = !m.see_through_works && !w.see_through;
    else
      draw = true;
    if (!draw) continue;
    SET_WORK_NUM(m, n);
    DRAW_WORK_MESH(m, 0);
  }
  if (m.tpm_count > 0 && !m.see_through_tool) DRAW_TOOL_BODY(m, tool_pos);
  for (int n = 0; n < WORK_MAX && m.abort_flag != 1; ++n) {
    const TWORK_DATA& w = m.works[n];
    if (!drawable(w) || w.nx == 0 || w.ny == 0) continue;
    if (!((m.see_through_works && !w.jig) || w.see_through)) continue;
    if (w.jig && !m.show_jigs) continue;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    m.blend = 1;
    SET_WORK_NUM(m, n);
    DRAW_WORK_MESH(m, 0);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    m.blend = 0;
  }
  if (m.tpm_count > 0 && m.see_through_tool) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    m.blend = 1;
    DRAW_TOOL_BODY(m, tool_pos);
    glDisable(GL_BLEND);
  }
  m.blend = 0;
  glDisable(GL_ALPHA_TEST);
  if (m.pick_count >= 1) {
    if (tool_pos[0] == m.pick_tool_pos.x && tool_pos[1] == m.pick_tool_pos.y &&
        tool_pos[2] == m.pick_tool_pos.z) {
      GLfloat lw = 1, ps = 1;
      glGetFloatv(GL_LINE_WIDTH, &lw);
      glGetFloatv(GL_POINT_SIZE, &ps);
      glDisable(GL_DEPTH_TEST);
      glDisable(GL_LIGHTING);
      glColor4ub(255, 255, 255, 255);
      glLineWidth(5);
      glBegin(GL_LINES);
      glVertex3f(m.pick_tool_pos.x, m.pick_tool_pos.y, m.pick_tool_pos.z);
      glVertex3f(m.pick_pos.x, m.pick_pos.y, m.pick_pos.z);
      glEnd();
      glPointSize(5);
      glBegin(GL_POINTS);
      glVertex3f(m.pick_pos.x, m.pick_pos.y, m.pick_pos.z);
      glEnd();
      glLineWidth(lw);
      glPointSize(ps);
      glEnable(GL_DEPTH_TEST);
      glEnable(GL_LIGHTING);
    } else {
      m.pick_count = 0;
    }
  }
}

// ---- work frame ---------------------------------------------------------------------------

void DRAW_WORK_FRAME(Tmat& m, int work, int style) {
  if (work < 0 || work >= WORK_MAX || style == 0) return;
  const TWORK_DATA& w = m.works[work];
  if (!w.in_use) return;
  glDisable(GL_LINE_STIPPLE);
  glDisable(GL_LIGHTING);
  glColor4ubv(m.frame_color);
  glEnable(GL_DEPTH_TEST);
  if (style == 1 || style == 3) {
    glLineWidth(4);
    if (style == 3) {
      glLineStipple(4, 0xCCCC);
      glEnable(GL_LINE_STIPPLE);
    }
    const VEC3 lo = w.min, hi = w.max;
    for (float z : {hi.z, lo.z}) {
      glBegin(GL_LINE_LOOP);
      glVertex3f(lo.x, lo.y, z);
      glVertex3f(hi.x, lo.y, z);
      glVertex3f(hi.x, hi.y, z);
      glVertex3f(lo.x, hi.y, z);
      glEnd();
    }
    glBegin(GL_LINES);
    for (const VEC3& c : {VEC3{lo.x, lo.y, 0}, VEC3{hi.x, lo.y, 0}, VEC3{hi.x, hi.y, 0},
                          VEC3{lo.x, hi.y, 0}}) {
      glVertex3f(c.x, c.y, lo.z);
      glVertex3f(c.x, c.y, hi.z);
    }
    glEnd();
    if (style == 3) glDisable(GL_LINE_STIPPLE);
  } else if (style == 2) {
    glLineWidth(1);
    glPointSize(2);
    const TCELL_LATTICE L = work_cell_lattice(w, 1);
    glBegin(GL_POINTS);
    for (std::int32_t iy : L.iy)
      for (std::int32_t ix : L.ix)
        if (static_cast<std::size_t>(ix) < w.xs.size() && static_cast<std::size_t>(iy) < w.ys.size())
          glVertex3f(w.xs[ix], w.ys[iy], m.frame_height);
    glEnd();
    glPointSize(1);
  }
}
