#include <algorithm>
#include <cmath>

#include "simulation/cutting_sim.h"
#include "simulation/cutting_walk.h"

namespace {

constexpr double kPi = ATS_PI;
constexpr double kTwoPi = 2 * ATS_PI;

enum class Plane { XY, ZX, YZ };

// Arc plane coordinates (first, second, out of plane).
struct P3 {
  double a, b, o;
};

P3 to_plane(const VEC3& v, Plane p) {
  switch (p) {
    case Plane::ZX: return P3{v.z, v.x, v.y};
    case Plane::YZ: return P3{v.y, v.z, v.x};
    default: return P3{v.x, v.y, v.z};
  }
}

VEC3 from_plane(const P3& q, Plane p) {
  const float a = static_cast<float>(q.a), b = static_cast<float>(q.b),
              o = static_cast<float>(q.o);
  switch (p) {
    case Plane::ZX: return VEC3{b, o, a};
    case Plane::YZ: return VEC3{o, a, b};
    default: return VEC3{a, b, o};
  }
}

bool chords(Tmat& m, Plane plane, const VEC3& centre, const VEC3& start, const VEC3& end,
            double radius, int dir) {
  const double r = std::fabs(radius);
  if (!(r >= 0.001)) return CUT_LINE_SWEEP(m, start, end, false);
  const P3 c = to_plane(centre, plane), s = to_plane(start, plane), e = to_plane(end, plane);
  const double a_s = cutwalk::angle_of(s.a - c.a, s.b - c.b);
  double a_e = cutwalk::angle_of(e.a - c.a, e.b - c.b);
  double sweep;
  if (std::fabs(a_e - a_s) >= 1e-6) {
    if (dir == 0) {
      if (a_s < a_e) a_e -= kTwoPi;
      sweep = a_s - a_e;
    } else {
      if (a_e < a_s) a_e += kTwoPi;
      sweep = a_e - a_s;
    }
  } else {
    a_e = dir == 0 ? a_s - kTwoPi : a_s + kTwoPi;
    sweep = kTwoPi;
  }
  double step = kPi / 16;
  if (r >= 0.03) step = std::max(std::acos((r - 0.01) / r), sweep / ARC_CHORD_DIVISION_MAX);
  const double sign = dir == 0 ? -1.0 : 1.0;
  VEC3 prev = start;
  bool any = false;
  // At most 2 pi / (pi / 16) chords; the bound only guards against a rounding surprise.
  for (int i = 1; i <= 2 * ARC_CHORD_DIVISION_MAX + 1; ++i) {
    const double a = a_s + sign * i * step;
    if (sign > 0 ? a >= a_e - 1e-6 : a <= a_e + 1e-6) break;  // short of the end
    const P3 q{c.a + r * std::cos(a), c.b + r * std::sin(a), s.o + (e.o - s.o) * (i * step / sweep)};
    const VEC3 pt = from_plane(q, plane);
    any |= CUT_LINE_SWEEP(m, prev, pt, false);
    prev = pt;
  }
  any |= CUT_LINE_SWEEP(m, prev, end, false);
  return any;
}

}  // namespace

bool CUT_ARC_CHORDS_XY(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                       double radius, int dir) {
  return chords(m, Plane::XY, centre, start, end, radius, dir);
}

bool CUT_ARC_CHORDS_ZX(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                       double radius, int dir) {
  return chords(m, Plane::ZX, centre, start, end, radius, dir);
}

bool CUT_ARC_CHORDS_YZ(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                       double radius, int dir) {
  return chords(m, Plane::YZ, centre, start, end, radius, dir);
}

bool CUT_ARC_SWEEP_XY(Tmat& m, const VEC3& centre_in, const VEC3& start_in, const VEC3& end_in,
                      double radius, int dir) {
  const double r = std::fabs(radius);
  if (!(r >= 0.001)) return CUT_LINE_SWEEP(m, start_in, end_in, false);
  TWORK_DATA* wp;
  if (!cutwalk::current_work(m, wp)) return false;
  TWORK_DATA& w = *wp;
  const VEC3 centre = cutwalk::clamp_point(centre_in), start = cutwalk::clamp_point(start_in),
             end = cutwalk::clamp_point(end_in);
  for (const VEC3& v : {centre, start, end})
    if (!cutwalk::finite_point(v)) return false;
  m.P0 = start;
  m.P1 = end;
  m.downward = 0;
  if (!(start.z < w.top_z)) return false;
  VEC3 S = start, E = end;
  if (dir == 0) std::swap(S, E);
  m.dx = static_cast<double>(E.x) - S.x;
  m.dy = static_cast<double>(E.y) - S.y;
  m.dz = 0;
  const bool full = std::fabs(m.dx) < 1e-6 && std::fabs(m.dy) < 1e-6;
  const int n = cutwalk::active_sections(m, w, S.z);
  if (n == 0) return false;
  const double R = m.tpm[n - 1].AR;
  if (!(R >= 0.001)) return false;
  m.cut_r = R;
  const double outer2 = (r + R) * (r + R);
  const bool has_inner = r - R >= 1e-6;
  const double inner2 = has_inner ? (r - R) * (r - R) : 0.0;
  double a_s = 0, sweep = kTwoPi;
  if (!full) {
    if (!Arc_Box_Index(m, centre, S, E, r, R, 1)) return false;
    a_s = cutwalk::angle_of(S.x - centre.x, S.y - centre.y);
    double a_e = cutwalk::angle_of(E.x - centre.x, E.y - centre.y);
    if (a_e <= a_s) a_e += kTwoPi;
    sweep = a_e - a_s;
  } else if (!Segment_Box_Index(m, centre, centre, r + R)) {
    return false;
  }
  m.L = 1.0;
  m.L2 = 1.0;
  cutwalk::prepare_sections(m, n, 0.0, false);
  cutwalk::begin_sweep(m);
  if (m.jig_rect_check && w.jig) {
    cutwalk::jig_rect_walk(m, w, n, S.z, [&](double ar) {
      return full ? Segment_Box_Index(m, centre, centre, r + ar)
                  : Arc_Box_Index(m, centre, S, E, r, ar, 1);
    });
    m.cut_flags_acc |= m.tpm[0].cut_flags;
    return true;
  }
  const double cx = centre.x, cy = centre.y;
  const double margin = std::max(w.step_x, w.step_y) + 1e-3 + 1e-6 * (r + R + std::fabs(cx) +
                                                                       std::fabs(cy));
  const double ro = r + R + margin, ri = r - R - margin;
  const auto rows = [&](int, double y, int* lo, int* hi) {
    const double dy = y - cy;
    if (std::fabs(dy) > ro) return 0;
    const double ho = std::sqrt(ro * ro - dy * dy);
    if (has_inner && ri > 0 && std::fabs(dy) < ri) {
      const double hi_ = std::sqrt(ri * ri - dy * dy);
      int k = 0;
      if (cutwalk::span_of(w, m.box, cx - ho, cx - hi_, lo[k], hi[k])) ++k;
      if (cutwalk::span_of(w, m.box, cx + hi_, cx + ho, lo[k], hi[k])) ++k;
      if (k == 2 && lo[1] <= hi[0]) {  // the spans meet: one span
        hi[0] = std::max(hi[0], hi[1]);
        k = 1;
      }
      return k;
    }
    return cutwalk::span_of(w, m.box, cx - ho, cx + ho, lo[0], hi[0]) ? 1 : 0;
  };
  cutwalk::SecGeom g[TOOL_SHAPE_MAX];
  cutwalk::copy_sections(m, n, g);
  const float* const xs = w.xs.data();
  const auto visit = [g, n, xs, cx, cy, outer2, has_inner, inner2, full, a_s, sweep, S, E,
                      r](int ix, double Yrow, TGRID_POINT& p, const cutwalk::CutRules& rules,
                         cutwalk::CutAcc& acc) {
    const cutwalk::SecGeom& t0 = g[0];
    const double X = xs[ix] - cx, Y = Yrow - cy;
    const double rho2 = X * X + Y * Y;
    if (!(rho2 <= outer2) || (has_inner && rho2 < inner2)) return false;
    bool side = true;
    double dist = 0;
    if (!full) {
      double phi = cutwalk::angle_of(X, Y) - a_s;
      if (phi < 0) phi += kTwoPi;
      if (!(phi > -1e-6 && phi <= sweep + 1e-6)) {
        side = false;
        const bool at_start = kTwoPi - phi <= std::fabs(phi - sweep);
        const VEC3& cap = at_start ? S : E;
        const double ux = xs[ix] - static_cast<double>(cap.x);
        const double uy = Yrow - static_cast<double>(cap.y);
        dist = ux * ux + uy * uy;
      }
    }
    if (side) {
      const double d = std::sqrt(rho2) - r;
      dist = d * d;
    }
    for (int i = 0; i < n; ++i) {
      const cutwalk::SecGeom& t = g[i];
      if (t.AR2 < dist) continue;
      int kase;
      const double z0 = t.ref_z + S.z;
      const double h = side ? cutwalk::side_height(t, z0, dist, kase)
                            : cutwalk::cap_height(t, z0, dist, false, kase);
      if (!std::isfinite(h) || p.z <= h) return false;
      TCUT_POINT_INFO c;
      c.tip_z = S.z;
      c.old_z = p.z;
      c.new_z = static_cast<float>(h);
      c.section = i;
      c.flags = (i == 0 && dist < t0.centre_r2) ? CUT_FLAG_NO_EDGE : 0;
      c.kind = static_cast<std::uint8_t>(kase);
      return cutwalk::lower_point(rules, p, c, acc);
    }
    return false;
  };
  cutwalk::walk(m, w, S.z + cutwalk::lowest_surface(m, n), rows, visit);
  m.cut_flags_acc |= m.tpm[0].cut_flags;
  return true;
}

bool CUT_ARC_XY(Tmat& m, int nc_line, int move_kind, const VEC3& centre, const VEC3& start,
                const VEC3& end, double radius, int dir) {
  return cutwalk::each_work(m, nc_line, move_kind, [&] {
    if (std::fabs(static_cast<double>(end.z) - start.z) >= 0.001)
      CUT_ARC_CHORDS_XY(m, centre, start, end, radius, dir);
    else
      CUT_ARC_SWEEP_XY(m, centre, start, end, radius, dir);
  });
}

bool CUT_ARC_ZX(Tmat& m, int nc_line, int move_kind, const VEC3& centre, const VEC3& start,
                const VEC3& end, double radius, int dir) {
  return cutwalk::each_work(m, nc_line, move_kind,
                   [&] { CUT_ARC_CHORDS_ZX(m, centre, start, end, radius, dir); });
}

bool CUT_ARC_YZ(Tmat& m, int nc_line, int move_kind, const VEC3& centre, const VEC3& start,
                const VEC3& end, double radius, int dir) {
  return cutwalk::each_work(m, nc_line, move_kind,
                   [&] { CUT_ARC_CHORDS_YZ(m, centre, start, end, radius, dir); });
}
