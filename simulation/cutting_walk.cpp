// What the linear and the arc sweeps share: the current work, the index boxes, the active
// sections and their per-move values, the silhouette of the corner-radius sections, and the
// abort poll.
#include "simulation/cutting_walk.h"

#include <algorithm>
#include <cmath>

#include "platform/core/input.h"
#include "platform/core/system.h"
#include "simulation/work_cells.h"

namespace {

constexpr double kPi = ATS_PI;
constexpr double kTwoPi = 2 * ATS_PI;

// The index box of an XY rectangle over the current work; false when they do not overlap.
bool rect_box(Tmat& m, double x0, double y0, double x1, double y1) {
  TWORK_DATA* w;
  if (!cutwalk::current_work(m, w)) return false;
  if (!(x1 >= w->min.x && x0 <= w->max.x && y1 >= w->min.y && y0 <= w->max.y)) return false;
  // Clamped in floating point first, so that no conversion sees a value out of range.
  const auto index = [](double v, double lo, double step, int n) {
    double f = (v - lo) / step;
    f = std::clamp(f, 0.0, static_cast<double>(n));
    return float_to_int(f);
  };
  m.box[0] = index(x0, w->min.x, w->step_x, w->nx);
  m.box[1] = index(y0, w->min.y, w->step_y, w->ny);
  m.box[2] = std::min(index(x1, w->min.x, w->step_x, w->nx) + 1, w->nx);
  m.box[3] = std::min(index(y1, w->min.y, w->step_y, w->ny) + 1, w->ny);
  return true;
}

}  // namespace

double Clamp_1e10(double v) {
  if (std::fabs(v) < 1e-6) return 0.0;
  if (v > 1e10) return 1e10;
  if (v < -1e10) return -1e10;
  return v;
}

void Set_VEC4_Clamped(VEC4& v, double x, double y, double z, double w) {
  v.x = static_cast<float>(Clamp_1e10(x));
  v.y = static_cast<float>(Clamp_1e10(y));
  v.z = static_cast<float>(Clamp_1e10(z));
  v.w = static_cast<float>(Clamp_1e10(w));
}

VEC3 cutwalk::clamp_point(const VEC3& v) {
  return VEC3{static_cast<float>(Clamp_1e10(v.x)), static_cast<float>(Clamp_1e10(v.y)),
              static_cast<float>(Clamp_1e10(v.z))};
}

VEC3 Calc_Normal(const VEC3& p0, const VEC3& p1, const VEC3& p2) {
  return work_face_normal(p0, p1, p2);
}

// ---- Index boxes

void Circle_Box(double x, double y, double r, double& xmin, double& ymin, double& xmax,
                double& ymax) {
  const double a = std::fabs(r);
  xmin = x - a;
  xmax = x + a;
  ymin = y - a;
  ymax = y + a;
}

bool Point_Box_Index(Tmat& m, const VEC3& c, double r) {
  double x0, y0, x1, y1;
  Circle_Box(c.x, c.y, r, x0, y0, x1, y1);
  return rect_box(m, x0, y0, x1, y1);
}

bool Segment_Box_Index(Tmat& m, const VEC3& a, const VEC3& b, double r) {
  double x0, y0, x1, y1, x2, y2, x3, y3;
  Circle_Box(a.x, a.y, r, x0, y0, x1, y1);
  Circle_Box(b.x, b.y, r, x2, y2, x3, y3);
  return rect_box(m, std::min(x0, x2), std::min(y0, y2), std::max(x1, x3), std::max(y1, y3));
}

bool Arc_Box_Index(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                   double radius, double cut_r, int dir) {
  double x0, y0, x1, y1;
  Arc_Box_2D(dir, centre, start, end, radius, x0, y0, x1, y1);
  return rect_box(m, x0 - cut_r, y0 - cut_r, x1 + cut_r, y1 + cut_r);
}

void Arc_Box_2D(int dir, const VEC3& centre, const VEC3& start, const VEC3& end, double radius,
                double& xmin, double& ymin, double& xmax, double& ymax) {
  VEC3 s = start, e = end;
  if (dir == 0) std::swap(s, e);
  const double r = std::fabs(radius);
  const double a_s = cutwalk::angle_of(s.x - centre.x, s.y - centre.y);
  const double a_e = cutwalk::angle_of(e.x - centre.x, e.y - centre.y);
  double sweep = a_e - a_s;
  if (sweep <= 0) sweep += kTwoPi;
  xmin = std::min(s.x, e.x);
  xmax = std::max(s.x, e.x);
  ymin = std::min(s.y, e.y);
  ymax = std::max(s.y, e.y);
  const int q1 = float_to_int(a_s * 2 / kPi);
  const int q2 = float_to_int((a_s + sweep) * 2 / kPi);
  for (int q = q1 + 1; q <= q2 && q <= q1 + 4; ++q) {
    switch (q % 4) {
      case 1: ymax = centre.y + r; break;
      case 2: xmin = centre.x - r; break;
      case 3: ymin = centre.y - r; break;
      default: xmax = centre.x + r; break;
    }
  }
}

// ---- Sections of a cut

namespace cutwalk {

int active_sections(Tmat& m, const TWORK_DATA& w, double tip_z) {
  int limit = 0;
  if (m.cut_section_mode == 1)
    limit = std::clamp(m.tpm_tool_count, 0, m.tpm_count);
  else if (m.cut_section_mode != 0)
    limit = m.tpm_count;
  limit = std::clamp(limit, 0, TOOL_SHAPE_MAX);
  int n = 0;
  while (n < limit && !(m.tpm[n].ref_z + tip_z >= w.top_z)) ++n;
  m.tpm_active = n;
  return n;
}

double lowest_surface(const Tmat& m, int n) {
  double lo = HUGE_VAL;
  for (int i = 0; i < n; ++i) {
    const TTOOL_PARAM& t = m.tpm[i];
    // The cone at the raised end of a short move may dip below its flat bottom.
    const double dip = t.type == TPM_TAPER ? t.FR * t.taper_zx : 0.0;
    lo = std::min(lo, t.ref_z - dip);
  }
  return lo;
}

void prepare_sections(Tmat& m, int n, double k, bool oblique) {
  const double s = std::sin(std::atan(k));
  for (int i = 0; i < n; ++i) {
    TTOOL_PARAM& t = m.tpm[i];
    switch (t.type) {
      case TPM_BALL:
        t.slope_sin = s;
        t.slope_sin2 = s * s;
        break;
      case TPM_BALL2:
        t.slope_sin = s;
        t.slope_sin2 = s * s;
        t.ball_reached = t.AR <= t.BR * s ? 0 : 1;
        break;
      case TPM_CORNER_R:
        if (oblique) Make_Tool_silhouette(t, k);
        break;
      case TPM_TAPER:
        t.slope_under_taper = k < t.taper_zx ? 1 : 0;
        break;
      case TPM_CORNER_R2:
        if (oblique) {
          Make_Tool_silhouette(t, k);
        } else {
          t.slope_sin = s;
          t.slope_sin2 = s * s;
        }
        t.ball_reached = t.AR <= t.BR * t.slope_sin + t.FR ? 0 : 1;
        break;
      default:
        break;
    }
  }
}

}  // namespace cutwalk

// ---- Silhouette of the corner-radius sections

VEC4 Eval_Bezier_Segment(const TSILHOUETTE_SEG& s, double t) {
  const double a = (1 - t) * (1 - t), b = 2 * t * (1 - t), c = t * t;
  VEC4 r;
  r.x = static_cast<float>(a * s.p[0].x + b * s.p[1].x + c * s.p[2].x);
  r.y = static_cast<float>(a * s.p[0].y + b * s.p[1].y + c * s.p[2].y);
  r.z = static_cast<float>(a * s.p[0].z + b * s.p[1].z + c * s.p[2].z);
  r.w = static_cast<float>(a * s.p[0].w + b * s.p[1].w + c * s.p[2].w);
  return r;
}

bool Cross_Lines_2D_Ext(double x1, double y1, double x2, double y2, double x3, double y3,
                        double x4, double y4, double& x, double& y) {
  if (x2 == x1) {
    x = x1;
    if (x4 == x3) return false;
    y = (y4 - y3) / (x4 - x3) * (x - x3) + y3;
    return true;
  }
  const double m1 = (y2 - y1) / (x2 - x1);
  if (x4 == x3) {
    x = x3;
    y = (x - x1) * m1 + y1;
    return true;
  }
  const double m2 = (y4 - y3) / (x4 - x3);
  if (m1 == 0) {
    y = y1;
    if (m2 == 0) return false;
    x = (y - y3) / m2 + x3;
    return true;
  }
  if (m2 == 0) {
    y = y3;
    x = (y - y1) / m1 + x1;
    return true;
  }
  if (m1 == m2) return false;
  x = (m1 * x1 - y1 - m2 * x3 + y3) / (m1 - m2);
  y = (x - x1) * m1 + y1;
  return true;
}

namespace {

struct Pt {
  double x, y, z;
};

// The contact point of the tube sphere at the flat-radius circle point of direction slope m.
Pt contact_point(double FR, double BR, double s2, double m) {
  const double m2 = m * m;
  const double root = std::sqrt(1 + m2);
  const double x2 = std::sqrt(s2 * BR * BR / (m2 * s2 + 1));
  const double am = std::fabs(m);
  return Pt{FR / root + x2, am * FR / root + am * x2,
            BR - Safe_Sqrt(BR * BR - (1 + m2) * x2 * x2)};
}

}  // namespace

void Make_Tool_silhouette(TTOOL_PARAM& t, double k) {
  const double s = std::sin(std::atan(k));
  t.slope_sin = s;
  t.slope_sin2 = s * s;
  t.seg_count = 0;
  const double FR = t.FR, BR = t.BR, s2 = s * s;
  const double ref = FR + BR / 2;
  const double delta = ref > 0.001 ? std::asin(0.001 / ref) : kPi / 2;
  // The contact point of parameter p and a nearby point on its tangent.
  const auto at = [&](double p, Pt& c, Pt& near) {
    const double phi = std::acos(p);
    c = contact_point(FR, BR, s2, std::tan(phi));
    near = contact_point(FR, BR, s2, std::tan(phi + delta));
  };
  const auto store = [&](const Pt& a, double px, double py, const Pt& b) {
    TSILHOUETTE_SEG& seg = t.segs[t.seg_count++];
    Set_VEC4_Clamped(seg.p[0], a.x, a.y, a.z, 0);
    Set_VEC4_Clamped(seg.p[1], px, py, (a.z + b.z) / 2, 0);
    Set_VEC4_Clamped(seg.p[2], b.x, b.y, b.z, 0);
  };
  double p_prev = 1.0;
  Pt c_prev, n_prev;
  at(p_prev, c_prev, n_prev);
  while (t.seg_count < TOOL_SILHOUETTE_MAX && p_prev > 0) {
    bool stored = false;
    double p = 0;
    Pt c{}, near{};
    for (double step : {0.08, 0.04}) {
      for (int i = 0; i < 10 && !stored; ++i) {
        p = std::max(0.0, p_prev - step * (1 - i / 10.0));
        at(p, c, near);
        double x, y;
        if (Cross_Lines_2D_Ext(c_prev.x, c_prev.y, n_prev.x, n_prev.y, c.x, c.y, near.x, near.y,
                               x, y) &&
            x >= std::min(c_prev.x, c.x) && x <= std::max(c_prev.x, c.x) &&
            y >= std::min(c_prev.y, c.y) && y <= std::max(c_prev.y, c.y)) {
          store(c_prev, x, y, c);
          stored = true;
        }
      }
      if (stored) break;
    }
    if (!stored) {
      p = std::max(0.0, p_prev - 0.04);
      at(p, c, near);
      store(c_prev, (c_prev.x + c.x) / 2, (c_prev.y + c.y) / 2, c);
    }
    p_prev = p;
    c_prev = c;
    n_prev = near;
  }
}

bool Get_Tool_contact_offset(const TTOOL_PARAM& t, double d, double& offset) {
  if (t.seg_count <= 0) return false;
  const double ad = std::fabs(d);
  const auto lerp_at = [ad](double x1, double y1, double x2, double y2) {
    const double h = y2 - y1;
    if (h == 0 || !std::isfinite(h)) return x1;
    return x1 + (ad - y1) * (x2 - x1) / h;
  };
  for (int i = 0; i < t.seg_count; ++i) {
    const TSILHOUETTE_SEG& s = t.segs[i];
    if (!(s.p[2].y >= ad)) continue;
    const double h = static_cast<double>(s.p[2].y) - s.p[0].y;
    if (h == 0) {  // a segment without lateral extent: its end point
      offset = s.p[2].x;
      return true;
    }
    const double tt = (ad - s.p[0].y) / h;
    const VEC4 a = Eval_Bezier_Segment(s, tt);
    const VEC4 b = Eval_Bezier_Segment(s, a.y >= ad ? tt - 0.05 / h : tt + 0.05 / h);
    offset = lerp_at(a.x, a.y, b.x, b.y);
    return true;
  }
  const VEC4& e = t.segs[t.seg_count - 1].p[2];
  offset = lerp_at(e.x, e.y, 0.0, t.AR);
  return true;
}

// ---- Abort poll

void Check_Cut_Abort(Tmat& m) {
if (--m.abort_count > 0) return;
  cutwalk::poll_cut_abort(m);
}

void cutwalk::poll_cut_abort(Tmat& m) {
  m.abort_count = CUT_ABORT_COUNT;
  const std::uint32_t now = plat::tick_ms();
  if (m.abort_polled && now - m.abort_poll_ms < CUT_ABORT_POLL_MS) return;
  m.abort_polled = 1;
  m.abort_poll_ms = now;
  if (plat::escape_pressed()) m.abort_flag = 1;
  const bool left = plat::key_down(plat::Key::LButton);
  const bool right = plat::key_down(plat::Key::RButton);
  if ((left || right) && m.abort_flag != 1) m.abort_flag = 2;
}
