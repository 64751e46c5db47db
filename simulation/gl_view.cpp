#include "simulation/gl_view.h"

#include <cmath>

#include "common/ats_func.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void ensure_sincos_table() {
  if (SinCos_table[256] != 1.0f) Preset_SinCos_table();
}

void set4(float* d, float a, float b, float c, float e) {
  d[0] = a;
  d[1] = b;
  d[2] = c;
  d[3] = e;
}

}  // namespace

GLMAT4 gl_mat_mul(const GLMAT4& a, const GLMAT4& b) {
  GLMAT4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += a.at(i, k) * b.at(k, j);
      r.at(i, j) = s;
    }
  return r;
}

GLMAT4 gl_mat_frustum(double l, double r, double b, double t, double n, double f) {
  GLMAT4 m;
  m.at(0, 0) = 2 * n / (r - l);
  m.at(1, 1) = 2 * n / (t - b);
  m.at(0, 2) = (r + l) / (r - l);
  m.at(1, 2) = (t + b) / (t - b);
  m.at(2, 2) = -(f + n) / (f - n);
  m.at(3, 2) = -1;
  m.at(2, 3) = -2 * f * n / (f - n);
  m.at(3, 3) = 0;
  return m;
}

GLMAT4 gl_mat_ortho(double l, double r, double b, double t, double n, double f) {
  GLMAT4 m;
  m.at(0, 0) = 2 / (r - l);
  m.at(1, 1) = 2 / (t - b);
  m.at(2, 2) = -2 / (f - n);
  m.at(0, 3) = -(r + l) / (r - l);
  m.at(1, 3) = -(t + b) / (t - b);
  m.at(2, 3) = -(f + n) / (f - n);
  return m;
}

GLMAT4 gl_mat_translate(double x, double y, double z) {
  GLMAT4 m;
  m.at(0, 3) = x;
  m.at(1, 3) = y;
  m.at(2, 3) = z;
  return m;
}

GLMAT4 gl_mat_scale(double x, double y, double z) {
  GLMAT4 m;
  m.at(0, 0) = x;
  m.at(1, 1) = y;
  m.at(2, 2) = z;
  return m;
}

GLMAT4 gl_mat_rotate(double deg, double x, double y, double z) {
  GLMAT4 m;
  const double len = std::sqrt(x * x + y * y + z * z);
  if (!(len > 0)) return m;
  x /= len;
  y /= len;
  z /= len;
  const double a = deg * kPi / 180.0, c = std::cos(a), s = std::sin(a), t = 1 - c;
  m.at(0, 0) = x * x * t + c;
  m.at(0, 1) = x * y * t - z * s;
  m.at(0, 2) = x * z * t + y * s;
  m.at(1, 0) = y * x * t + z * s;
  m.at(1, 1) = y * y * t + c;
  m.at(1, 2) = y * z * t - x * s;
  m.at(2, 0) = x * z * t - y * s;
  m.at(2, 1) = y * z * t + x * s;
  m.at(2, 2) = z * z * t + c;
  return m;
}

GLMAT4 gl_mat_pick(double x, double y, double w, double h, const std::int32_t vp[4]) {
  if (!(w > 0) || !(h > 0)) return GLMAT4{};
  return gl_mat_mul(gl_mat_translate((vp[2] - 2 * (x - vp[0])) / w,
                                     (vp[3] - 2 * (y - vp[1])) / h, 0),
                    gl_mat_scale(vp[2] / w, vp[3] / h, 1.0));
}

bool gl_mat_invert(const GLMAT4& a, GLMAT4& out) {
  // Gauss-Jordan with partial pivoting on a 4 x 8 block.
  double w[4][8];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      w[i][j] = a.at(i, j);
      w[i][j + 4] = i == j ? 1 : 0;
    }
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int i = c + 1; i < 4; ++i)
      if (std::fabs(w[i][c]) > std::fabs(w[p][c])) p = i;
    if (!(std::fabs(w[p][c]) > 0)) return false;
    if (p != c)
      for (int j = 0; j < 8; ++j) std::swap(w[p][j], w[c][j]);
    const double d = w[c][c];
    for (int j = 0; j < 8; ++j) w[c][j] /= d;
    for (int i = 0; i < 4; ++i) {
      if (i == c) continue;
      const double f = w[i][c];
      if (f == 0) continue;
      for (int j = 0; j < 8; ++j) w[i][j] -= f * w[c][j];
    }
  }
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out.at(i, j) = w[i][j + 4];
  return true;
}

bool gl_project(double x, double y, double z, const GLMAT4& model, const GLMAT4& proj,
                const std::int32_t vp[4], double& wx, double& wy, double& wz) {
  return gl_project_pm(x, y, z, gl_mat_mul(proj, model), vp, wx, wy, wz);
}

bool gl_project_pm(double x, double y, double z, const GLMAT4& pm, const std::int32_t vp[4],
                   double& wx, double& wy, double& wz) {
  double o[4];
  for (int i = 0; i < 4; ++i)
    o[i] = pm.at(i, 0) * x + pm.at(i, 1) * y + pm.at(i, 2) * z + pm.at(i, 3);
  if (o[3] == 0.0 || !std::isfinite(o[3])) return false;
  for (int i = 0; i < 3; ++i) o[i] /= o[3];
  wx = vp[0] + vp[2] * (o[0] + 1) / 2;
  wy = vp[1] + vp[3] * (o[1] + 1) / 2;
  wz = (o[2] + 1) / 2;
  return std::isfinite(wx) && std::isfinite(wy) && std::isfinite(wz);
}

bool gl_unproject(double wx, double wy, double wz, const GLMAT4& model, const GLMAT4& proj,
                  const std::int32_t vp[4], double& x, double& y, double& z) {
  GLMAT4 inv;
  if (vp[2] == 0 || vp[3] == 0 || !gl_mat_invert(gl_mat_mul(proj, model), inv)) return false;
  const double in[4] = {2 * (wx - vp[0]) / vp[2] - 1, 2 * (wy - vp[1]) / vp[3] - 1, 2 * wz - 1, 1};
  double o[4];
  for (int i = 0; i < 4; ++i)
    o[i] = inv.at(i, 0) * in[0] + inv.at(i, 1) * in[1] + inv.at(i, 2) * in[2] + inv.at(i, 3);
  if (o[3] == 0.0 || !std::isfinite(o[3])) return false;
  x = o[0] / o[3];
  y = o[1] / o[3];
  z = o[2] / o[3];
  return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

void set_GL_view_area(TGL_VIEW& v, int width, int height, int left, int top, int right,
                      int bottom) {
  v.panel_w = width < 10 ? 10 : width;
  v.panel_h = height < 10 ? 10 : height;
  v.margin_l = left;
  v.margin_t = top;
  v.margin_r = right;
  v.margin_b = bottom;
  v.viewport[0] = left;
  v.viewport[1] = bottom;
  v.viewport[2] = v.panel_w - left - right;
  v.viewport[3] = v.panel_h - top - bottom;
}

void set_GL_default_view(TGL_VIEW& v) {
  v.rot_x = 290;
  v.rot_z = -50;
  v.base_scale = 0.012f;
  v.zoom = 1.0f;
  v.scale = 0.012f;
  v.first_shift[0] = 0;
  v.first_shift[1] = 0;
  v.first_shift[2] = -25;
  v.near_z = 0.1f;
  v.far_z = 50;
  v.perspective = 0;
}

void copy_GL_view(TGL_VIEW& d, const TGL_VIEW& s) {
  for (int i = 0; i < 3; ++i) {
    d.background[i] = s.background[i];
    d.first_shift[i] = s.first_shift[i];
    d.centre_shift[i] = s.centre_shift[i];
  }
  d.pixel_size = s.pixel_size;
  d.scene_size = s.scene_size;
  for (int i = 0; i < 4; ++i) d.viewport[i] = s.viewport[i];
  d.panel_w = s.panel_w;
  d.panel_h = s.panel_h;
  d.margin_l = s.margin_l;
  d.margin_t = s.margin_t;
  d.margin_r = s.margin_r;
  d.perspective = s.perspective;
  d.scale = s.scale;
  d.base_scale = s.base_scale;
  d.zoom = s.zoom;
  d.rot_x = s.rot_x;
  d.rot_z = s.rot_z;
  d.near_z = s.near_z;
  d.far_z = s.far_z;  // the picture's depth range is the view's
  for (int i = 0; i < GL_LIGHT_COUNT; ++i) d.lights[i] = s.lights[i];
}

void init_GL_lights(TGL_VIEW& v) {
  for (int i = 0; i < GL_LIGHT_COUNT; ++i) {
    TGL_LIGHT& l = v.lights[i];
    l = TGL_LIGHT{};
    const float on = i == 0 ? 1.0f : 0.0f;
    l.enabled = i == 0;
    set4(l.diffuse, on, on, on, 1);
    set4(l.specular, on, on, on, 1);
  }
}

void set_GL_default_lighting(TGL_VIEW& v, bool init) {
  TGL_LIGHT& a = v.lights[0];
  TGL_LIGHT& b = v.lights[1];
  if (init) {
    set4(a.ambient, 0.2f, 0.3f, 0.28f, 1.0f);
    set4(a.diffuse, 0.3f, 0.4f, 0.38f, 1.0f);
    set4(a.specular, 1, 1, 1, 1);
    a.spot_direction[0] = -1;
    a.spot_direction[1] = -4;
    a.spot_direction[2] = -1;
    a.spot_exponent = 16;
    a.spot_cutoff = 90;
    a.constant_att = 1;
    a.position[3] = 1.0f;
    set4(b.ambient, 0.3f, 0.3f, 0.3f, 1.0f);
    set4(b.diffuse, 0.3f, 0.3f, 0.3f, 1.0f);
    set4(b.specular, 1, 1, 1, 1);
    b.spot_direction[0] = -1;
    b.spot_direction[1] = -1.5f;
    b.spot_direction[2] = -6;
    b.spot_exponent = 64;
    b.spot_cutoff = 90;
    b.constant_att = 1;
    b.position[3] = 1.5f;
    b.enabled = 1;
  }
  for (TGL_LIGHT* l : {&a, &b})
    for (int i = 0; i < 3; ++i) l->position[i] = -l->spot_direction[i] * v.scene_size * 0.5f;
}

void gl_view_half_extents(const TGL_VIEW& v, double& x, double& y) {
  const double w = v.viewport[2], h = v.viewport[3];
  if (h > w) {
    x = h != 0 ? w / h : 1;
    y = 1;
  } else {
    x = 1;
    y = w != 0 ? h / w : 1;
  }
}

void build_GL_matrices(TGL_VIEW& v, int render_mode) {
  double hx, hy;
  gl_view_half_extents(v, hx, hy);
  GLMAT4 p = v.perspective ? gl_mat_frustum(-hx, hx, -hy, hy, v.near_z, v.far_z)
                          : gl_mat_ortho(-hx, hx, -hy, hy, v.near_z, v.far_z);
  v.scale = v.base_scale * v.zoom;
  p = gl_mat_mul(p, gl_mat_translate(v.first_shift[0], v.first_shift[1], v.first_shift[2]));
  p = gl_mat_mul(p, gl_mat_scale(v.scale, v.scale, v.scale));
  v.proj = p;
  v.load_proj = render_mode == GL_VIEW_SELECT
                    ? gl_mat_mul(gl_mat_pick(v.pick_x, v.pick_y, 8, 8, v.viewport), p)
                    : p;
  for (int i = 0; i < 4; ++i) v.kept_viewport[i] = v.viewport[i];
  // Pixel size from the projection alone (the modelview is still the identity).
  const GLMAT4 id;
  double x0, y0, z0, x1, y1, z1;
  const double cx = v.panel_w / 2, cy = v.panel_h / 2;
  if (gl_unproject(cx, cy, 0.5, id, p, v.viewport, x0, y0, z0) &&
      gl_unproject(cx + 1, cy, 0.5, id, p, v.viewport, x1, y1, z1))
    v.pixel_size = static_cast<float>(std::fabs(x1 - x0));
  else
    v.pixel_size = 0;
  GLMAT4 m = gl_mat_rotate(v.rot_x, 1, 0, 0);
  m = gl_mat_mul(m, gl_mat_rotate(v.rot_z, 0, 0, 1));
  m = gl_mat_mul(m, gl_mat_translate(v.centre_shift[0], v.centre_shift[1], v.centre_shift[2]));
  v.model = m;
  v.matrices_valid = 1;
}

bool project_3Dpos(const TGL_VIEW& v, const float world[3], std::int32_t screen[2]) {
  double wx, wy, wz;
  if (!gl_project(world[0], world[1], world[2], v.model, v.proj, v.kept_viewport, wx, wy, wz))
    return false;
  screen[0] = float_round_to_int(wx);
  screen[1] = v.panel_h - float_round_to_int(wy);
  return wz >= 0 && wz <= 1;
}

bool get_3Dpos(const TGL_VIEW& v, float out[3], double z, double mouse_y, double mouse_x) {
  const double wy_m = v.panel_h - mouse_y;
  double depth = 0.5;
  if (!(std::fabs(v.rot_x) <= 0.01)) {
    double ax, ay, az, bx, by, bz;
    if (!gl_project(0, 0, z, v.model, v.proj, v.kept_viewport, ax, ay, az)) return false;
    bool ok = gl_project(0, 0.1, z, v.model, v.proj, v.kept_viewport, bx, by, bz);
    if (!ok || std::fabs(by - ay) <= 0.001 || bz == az) {
      ok = gl_project(0.1, 0, z, v.model, v.proj, v.kept_viewport, bx, by, bz);
      if (!ok || std::fabs(by - ay) <= 0.001 || bz == az) return false;
    }
    depth = az + (bz - az) * (wy_m - ay) / (by - ay);
  }
  double x, y, uz;
  if (!gl_unproject(mouse_x, wy_m, depth, v.model, v.proj, v.kept_viewport, x, y, uz))
    return false;
  out[0] = static_cast<float>(x);
  out[1] = static_cast<float>(y);
  out[2] = static_cast<float>(z);
  return true;
}

int gl_arc_table_step(double radius, double pixel_size, double scale) {
  const double px = radius / (pixel_size * scale);
  if (!std::isfinite(px) || !(px > 0)) return 8;
  const int q = float_round_to_int(px, 0) / 256;
  static const int kSteps[7] = {8, 7, 6, 5, 4, 3, 2};
  return kSteps[q < 0 ? 0 : (q > 6 ? 6 : q)];
}

bool TGL_POINT_LIST::add(float x, float y, float z) {
  if (count < 0) count = 0;
  if (count >= GL_ARC_POINTS_MAX) return false;
  p[count][0] = x;
  p[count][1] = y;
  p[count][2] = z;
  ++count;
  return true;
}

namespace {

// The inner points of an arc in the plane (u, v): from the start angle in steps of 16
// table entries.
template <class Put>
void arc_inner_points(bool dir, double cu, double cv, double su, double sv, double eu, double ev,
                      float r, Put put) {
  ensure_sincos_table();
  const double sa = Get_Angle_2D(static_cast<float>(su - cu), static_cast<float>(sv - cv));
  const double ea = Get_Angle_2D(static_cast<float>(eu - cu), static_cast<float>(ev - cv));
  double sweep = dir ? ea - sa : sa - ea;
  if (sweep <= 1e-6) sweep += 2 * kPi;
  const int steps = float_round_to_int(sweep * 128 / kPi);
  const int n = steps / 16 - 1;
  const int s0 = float_round_to_int(sa * 128 / kPi);
  for (int k = 1; k <= n; ++k) {
    const int idx = (((s0 + (dir ? 16 : -16) * k) % 256) + 256) % 256;
    put(cu + r * SinCos_table[256 + idx], cv + r * SinCos_table[idx]);
  }
}

}  // namespace

void make_arc_points_XY(TGL_POINT_LIST& l, bool dir, const float c[3], const float s[3],
                        const float e[3], float r) {
  l.add(s[0], s[1], s[2]);
  arc_inner_points(dir, c[0], c[1], s[0], s[1], e[0], e[1], r, [&](double u, double v) {
    l.add(static_cast<float>(u), static_cast<float>(v), s[2]);
  });
  l.add(e[0], e[1], e[2]);
}

void make_arc_points_XZ(TGL_POINT_LIST& l, bool dir, const float c[3], const float s[3],
                        const float e[3], float r) {
  l.add(s[0], s[1], s[2]);
  arc_inner_points(dir, c[0], c[2], s[0], s[2], e[0], e[2], r, [&](double u, double v) {
    l.add(static_cast<float>(u), s[1], static_cast<float>(v));
  });
  l.add(e[0], e[1], e[2]);
}

void scale_color_bytes(const std::uint8_t in[4], float f, std::uint8_t out[4]) {
  for (int i = 0; i < 4; ++i) {
    const int v = float_round_to_int(static_cast<double>(in[i]) * f, 0);
    out[i] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
}

int gl_helix_points(double cu, double cv, const double s_in[3], const double e_in[3], double r,
                    bool clockwise, int k, double* out, int max_points) {
  ensure_sincos_table();
  const double* s = s_in;
  const double* e = e_in;
  if (clockwise) std::swap(s, e);  // a clockwise arc is the counter-clockwise one backwards
  if (k < 1) k = 1;
  int n = 0;
  auto put = [&](double u, double v, double w) {
    if (n >= max_points) return;
    out[3 * n] = u;
    out[3 * n + 1] = v;
    out[3 * n + 2] = w;
    ++n;
  };
  const double sa = Get_Angle_2D(static_cast<float>(s[0] - cu), static_cast<float>(s[1] - cv));
  const double ea = Get_Angle_2D(static_cast<float>(e[0] - cu), static_cast<float>(e[1] - cv));
  double sweep = ea - sa;
  if (sweep <= 0) sweep += 2 * kPi;
  const double sweep_steps = sweep * 128 / kPi;
  const int inner = float_round_to_int(sweep_steps) / k - 1;
  const int i0 = static_cast<int>(std::floor(sa * 128 / kPi)) + 1;
  const double dw = (e[2] - s[2]) / sweep;
  put(s[0], s[1], s[2]);
  for (int j = 0; j < inner; ++j) {
    const int idx = i0 + j * k;
    const int t = ((idx % 256) + 256) % 256;
    const double a = idx * kPi / 128;
    put(cu + r * SinCos_table[256 + t], cv + r * SinCos_table[t], s[2] + (a - sa) * dw);
  }
  put(e[0], e[1], e[2]);
  return n;
}
