#include <algorithm>
#include <cmath>

#include "simulation/cutting_sim.h"
#include "simulation/cutting_walk.h"

namespace {

inline double sq(double v) { return v * v; }

// Per-sweep constants of a linear move.
struct Move {
  double ax, ay, az;
  double L, dz, k;
  double cs, sn;  // cos(-theta), sin(-theta)
  bool skip;
};

// The tip height along the move at tool position `off` (distance along the track).
inline double tip_at(const Move& mv, double off) { return mv.az + off * mv.k; }

// One grid point against one section of an oblique move, on the side (0 < u < L) or in the
// end zone (u >= L): the section's height there, the tip height it stands at and the case.
template <int T, class S>
struct ObliquePoint {
  ObliquePoint(const S& sec, const Move& move, double u_, double q_, double d2_, double e2_,
               bool end_)
      : t(sec), mv(move), u(u_), q(q_), d2(d2_), e2(e2_), end(end_),
        type(T != 0 ? T : sec.type), z0(sec.ref_z + move.az), k(move.k), L(move.L),
        D(move.dz), a(std::sqrt(q_)), tip(move.az) {}

  const S& t;
  const Move& mv;
  const double u, q, d2, e2;
  const bool end;
  const int type;
  const double z0, k, L, D, a;
  double h = 0, tip;
  int kase = 0;

  // The flat bottom rides along the track until its edge reaches the point.
  void flat_ride() {
    const double off = u - Safe_Sqrt(t.FR2 - q);
    kase = 7;
    h = off * k + z0;
    tip = tip_at(mv, off);
  }
  // The section's rim rides along the track until it reaches the point.
  void rim_ride() {
    const double off = u - Safe_Sqrt(t.AR2 - q);
    kase = 5;
    h = off * k + z0 + t.area_rz;
    tip = tip_at(mv, off);
  }
  // The tool standing at the start of the move meets the point.
  void sphere_at_a() {
    kase = 9;
    h = z0 + t.BR - Safe_Sqrt(t.BR2 - d2);
  }
  void torus_at_a() {
    kase = 14;
    h = z0 + t.BR - Safe_Sqrt(t.BR2 - sq(std::sqrt(d2) - t.FR));
  }
  void cone_at_a() {
    kase = 2;
    h = (std::sqrt(d2) - t.FR) * t.taper_zx + z0;
  }
  void flat_at_a() {
    kase = 1;
    h = z0;
  }
  // The tool standing at the end of the move meets the point.
  void cone_at_b() {
    kase = 8;
    h = (std::sqrt(e2) - t.FR) * t.taper_zx + z0 + D;
    tip = mv.az + D;
  }

  // A ball section (BALL, and BALL2 once the ball is reached).
  bool ball() {
    const double w = Safe_Sqrt(t.BR2 - q) * t.slope_sin;
    if (type == TPM_BALL2 && w * w + q > t.AR2) {
      // The sphere would touch beyond the section's radius: the rim meets the point first.
      if (d2 > t.AR2) {
        rim_ride();
        return true;
      }
      if (mv.skip) return false;
      sphere_at_a();
      return true;
    }
    if (u > w) {
      if (end && u - L > w) {
        kase = 13;
        h = z0 + t.BR - Safe_Sqrt(t.BR2 - e2) + D;
        tip = mv.az + D;
      } else {
        kase = 12;
        h = z0 + t.BR - Safe_Sqrt(t.BR2 - w * w - q) + (u - w) * k;
        tip = tip_at(mv, u - w);
      }
      return true;
    }
    if (mv.skip) return false;
    sphere_at_a();
    return true;
  }

  // A corner radius section (CORNER-R, and CORNER-R2 once the corner is reached).
  bool corner() {
    if (d2 <= t.FR2) {
      flat_at_a();
      return true;
    }
    double f;
    if (!Get_Tool_contact_offset(*t.src, a, f)) return false;
    if (type == TPM_CORNER_R2 && f * f + q > t.AR2) {
      // The torus would touch beyond the section's radius: the rim meets the point first.
      if (d2 > t.AR2) {
        rim_ride();
        return true;
      }
      if (mv.skip) return false;
      torus_at_a();
      return true;
    }
    if (u > f) {
      if (end && u - L > f) {
        kase = 18;
        h = z0 + t.BR - Safe_Sqrt(t.BR2 - sq(std::sqrt(e2) - t.FR)) + D;
        tip = mv.az + D;
      } else {
        kase = 17;
        h = z0 + t.BR - Safe_Sqrt(t.BR2 - sq(std::sqrt(f * f + q) - t.FR)) + (u - f) * k;
        tip = tip_at(mv, u - f);
      }
      return true;
    }
    torus_at_a();
    return true;
  }

  // A taper whose cone is steeper than the move: the flat bottom, the cone riding along
  // the track, or the cone of the tool at either end meets the point.
  bool steep_taper() {
    const double c = 1.0 / std::sqrt(1 + k * k);  // cos(atan k)
    const double r1 = c * t.AR, r2 = c * t.FR;
    if (a <= r2) {
      flat_ride();
      // The flat bottom would have to ride past the end of the move: the cone of the tool
      // standing at B reaches the point instead.
      if (end && u - Safe_Sqrt(t.FR2 - q) > L) cone_at_b();
      return true;
    }
    if (a > r1) {
      if (d2 > t.AR2)
        rim_ride();
      else
        cone_at_a();
      return true;
    }
    const auto cone_ride = [&] {
      kase = 6;
      const double off = u - k * a;
      h = (std::sqrt((k * k + 1) * q) - t.FR) * t.taper_zx + z0 + off * k;
      tip = tip_at(mv, off);
    };
    if (!end) {
      if (k * a < u)
        cone_ride();
      else
        cone_at_a();
    } else if (k * a >= u) {
      cone_at_a();
    } else if (k * a >= u - L) {
      cone_ride();
    } else {
      cone_at_b();
    }
    return true;
  }

  // A taper section.
  bool taper() {
    if (d2 <= t.FR2) {
      if (mv.skip) return false;
      flat_at_a();
      return true;
    }
    if (k < t.taper_zx) return steep_taper();
    if (d2 > t.AR2) {
      rim_ride();
      return true;
    }
    if (mv.skip) return false;
    cone_at_a();
    return true;
  }

  // False when the section gives no height for the point (a choice that the skip-start
  // flag suppresses, or a corner radius without silhouette).
  bool height() {
    switch (type) {
      case TPM_FLAT:
        if (d2 > t.FR2) {
          flat_ride();
          return true;
        }
        if (mv.skip) return false;
        flat_at_a();
        return true;
      case TPM_BALL:
        return ball();
      case TPM_BALL2:
        if (t.ball_reached) return ball();
        if (d2 > t.AR2) {
          rim_ride();
          return true;
        }
        if (mv.skip) return false;
        sphere_at_a();
        return true;
      case TPM_CORNER_R:
        return corner();
      case TPM_CORNER_R2:
        if (t.ball_reached) return corner();
        if (d2 <= t.FR2) {
          flat_at_a();
          return true;
        }
        if (d2 > t.AR2) {
          rim_ride();
          return true;
        }
        if (mv.skip) return false;
        torus_at_a();
        return true;
      case TPM_TAPER:
        return taper();
      default:
        return false;
    }
  }
};

// The oblique height of section t at the point; false when it gives none.
template <int T, class S>
inline bool oblique_height(const S& t, const Move& mv, double u, double q, double d2,
                           double e2, bool end, double& h, double& tip, int& kase) {
  ObliquePoint<T, S> p(t, mv, u, q, d2, e2, end);
  if (!p.height()) return false;
  h = p.h;
  tip = p.tip;
  kase = p.kase;
  return true;
}

// Flag 2: a cut by section 0 inside the centre radius of the axis path.
inline std::uint16_t centre_flag(const cutwalk::SecGeom& t0, int sec, double d2, double zone_d2) {
  if (sec != 0) return 0;
  return (d2 < t0.centre_r2 || zone_d2 < t0.centre_r2) ? CUT_FLAG_NO_EDGE : 0;
}

template <int T>
void level_walk_t(Tmat& m, TWORK_DATA& w, int n, const Move& mv_in, double lowest,
                  double margin) {
  // Local copies: the grid stores in the loop can then not touch what the loop reads.
  const Move mv = mv_in;
  cutwalk::SecGeom g[TOOL_SHAPE_MAX];
  cutwalk::copy_sections(m, n, g);
  const float* const xs = w.xs.data();
  const double bx = mv.ax + m.dx, by = mv.ay + m.dy, R = m.cut_r + margin;
  const cutwalk::SecGeom& t0 = g[0];
  const bool skip_flat = mv.skip && t0.type == TPM_FLAT;
  const auto rows = [&](int, double y, int* lo, int* hi) {
    double xl, xr;
    if (!cutwalk::capsule_row(y, mv.ax, mv.ay, bx, by, R, xl, xr)) return 0;
    return cutwalk::span_of(w, m.box, xl, xr, lo[0], hi[0]) ? 1 : 0;
  };
  // The point test keeps its own copies (captured by value): the grid stores cannot touch
  // them, so they stay in registers.
  const auto visit = [mv, g, xs, n, skip_flat](int ix, double Yrow, TGRID_POINT& p,
                                               const cutwalk::CutRules& rules,
                                               cutwalk::CutAcc& acc) {
    const cutwalk::SecGeom& t0 = g[0];
    const double X = xs[ix] - mv.ax, Y = Yrow - mv.ay;
    const double u = X * mv.cs - Y * mv.sn, v = Y * mv.cs + X * mv.sn;
    const double q = v * v, d2 = u * u + q;
    if (mv.skip && (!(u > 0) || (skip_flat && d2 < t0.FR2))) return false;
    const int zone = u <= 0 ? 0 : (u < mv.L ? 1 : 2);
    const double e2 = zone == 2 ? sq(u - mv.L) + q : 0;
    const double dist = zone == 0 ? d2 : zone == 1 ? q : e2;
    for (int i = 0; i < (T ? 1 : n); ++i) {
      const cutwalk::SecGeom& t = g[i];
      if (t.AR2 < dist) continue;
      int kase;
      const double z0 = t.ref_z + mv.az;
      const double h = zone == 1 ? cutwalk::side_height<T>(t, z0, q, kase)
                                 : cutwalk::cap_height<T>(t, z0, dist, zone == 2, kase);
      if (!std::isfinite(h) || p.z <= h) return false;
      TCUT_POINT_INFO c;
      c.tip_z = static_cast<float>(mv.az);
      c.old_z = p.z;
      c.new_z = static_cast<float>(h);
      c.section = i;
      c.flags = centre_flag(t0, i, d2, zone == 0 ? d2 : zone == 1 ? q : e2);
      c.kind = static_cast<std::uint8_t>(kase);
      return cutwalk::lower_point(rules, p, c, acc);
    }
    return false;
  };
  cutwalk::walk(m, w, lowest, rows, visit);
}

template <int T>
void oblique_walk_t(Tmat& m, TWORK_DATA& w, int n, const Move& mv_in, double lowest,
                    double margin) {
  const Move mv = mv_in;
  cutwalk::SecGeom g[TOOL_SHAPE_MAX];
  cutwalk::copy_sections(m, n, g);
  const float* const xs = w.xs.data();
  const double bx = mv.ax + m.dx, by = mv.ay + m.dy, R = m.cut_r + margin;
  const auto rows = [&](int, double y, int* lo, int* hi) {
    double xl, xr;
    if (!cutwalk::capsule_row(y, mv.ax, mv.ay, bx, by, R, xl, xr)) return 0;
    return cutwalk::span_of(w, m.box, xl, xr, lo[0], hi[0]) ? 1 : 0;
  };
  const auto visit = [mv, g, xs, n](int ix, double Yrow, TGRID_POINT& p,
                                    const cutwalk::CutRules& rules, cutwalk::CutAcc& acc) {
    const cutwalk::SecGeom& t0 = g[0];
    const double X = xs[ix] - mv.ax, Y = Yrow - mv.ay;
    const double u = X * mv.cs - Y * mv.sn, v = Y * mv.cs + X * mv.sn;
    const double q = v * v, d2 = u * u + q;
    const double z = p.z;
    double best = z, best_tip = mv.az;
    int best_sec = -1, best_kase = 0;
    double zone_d2 = d2;
    if (u > 0) {
      const bool end = !(u < mv.L);
      const double e2 = end ? sq(u - mv.L) + q : 0;
      const double dist = end ? e2 : q;
      zone_d2 = dist;
      for (int i = 0; i < (T ? 1 : n); ++i) {
        const cutwalk::SecGeom& t = g[i];
        if (t.AR2 < dist) continue;
        double h, tip;
        int kase;
        if (!oblique_height<T>(t, mv, u, q, d2, e2, end, h, tip, kase)) continue;
        if (std::isfinite(h) && h < best) {
          best = h;
          best_tip = tip;
          best_sec = i;
          best_kase = kase;
        }
      }
    } else if (!mv.skip) {
      for (int i = 0; i < (T ? 1 : n); ++i) {
        const cutwalk::SecGeom& t = g[i];
        if (t.AR2 < d2) continue;
        int kase;
        const double h = cutwalk::cap_height<T>(t, t.ref_z + mv.az, d2, false, kase);
        if (!std::isfinite(h) || h >= z) break;
        if (h < best) {
          best = h;
          best_sec = i;
          best_kase = kase;
        }
      }
    }
    if (best_sec < 0) return false;
    TCUT_POINT_INFO c;
    c.tip_z = static_cast<float>(best_tip);
    c.old_z = p.z;
    c.new_z = static_cast<float>(best);
    c.section = best_sec;
    c.flags = centre_flag(t0, best_sec, d2, zone_d2);
    c.kind = static_cast<std::uint8_t>(best_kase);
    return cutwalk::lower_point(rules, p, c, acc);
  };
  cutwalk::walk(m, w, lowest, rows, visit);
}

// One section of a known type gets its own copy of the walk.
template <template <int> class Walk>
void dispatch(Tmat& m, TWORK_DATA& w, int n, const Move& mv, double lowest, double margin) {
  if (n != 1) return Walk<0>::run(m, w, n, mv, lowest, margin);
  switch (m.tpm[0].type) {
    case TPM_FLAT: return Walk<TPM_FLAT>::run(m, w, n, mv, lowest, margin);
    case TPM_BALL: return Walk<TPM_BALL>::run(m, w, n, mv, lowest, margin);
    case TPM_BALL2: return Walk<TPM_BALL2>::run(m, w, n, mv, lowest, margin);
    case TPM_CORNER_R: return Walk<TPM_CORNER_R>::run(m, w, n, mv, lowest, margin);
    case TPM_TAPER: return Walk<TPM_TAPER>::run(m, w, n, mv, lowest, margin);
    case TPM_CORNER_R2: return Walk<TPM_CORNER_R2>::run(m, w, n, mv, lowest, margin);
    default: return Walk<0>::run(m, w, n, mv, lowest, margin);
  }
}
template <int T>
struct LevelWalk {
  static void run(Tmat& m, TWORK_DATA& w, int n, const Move& mv, double lo, double mg) {
    level_walk_t<T>(m, w, n, mv, lo, mg);
  }
};
template <int T>
struct ObliqueWalk {
  static void run(Tmat& m, TWORK_DATA& w, int n, const Move& mv, double lo, double mg) {
    oblique_walk_t<T>(m, w, n, mv, lo, mg);
  }
};

}  // namespace

void CUT_GRID_POINT(Tmat& m, std::size_t point, TCUT_POINT_INFO& c) {
  TWORK_DATA* w;
  if (!cutwalk::current_work(m, w) || point >= w->grid.size()) return;
  if (c.section < 0 || c.section >= TOOL_SHAPE_MAX || !std::isfinite(c.new_z)) return;
  cutwalk::CutAcc acc;
  cutwalk::lower_point(cutwalk::rules_of(m, *w), w->grid[point], c, acc);
  cutwalk::merge_acc(m, acc);
}

bool CUT_LINE_SWEEP(Tmat& m, const VEC3& start, const VEC3& end, bool skip_start) {
  TWORK_DATA* wp;
  if (!cutwalk::current_work(m, wp)) return false;
  TWORK_DATA& w = *wp;
  const VEC3 p0 = cutwalk::clamp_point(start), p1 = cutwalk::clamp_point(end);
  if (!cutwalk::finite_point(p0) || !cutwalk::finite_point(p1)) return false;  // a coordinate that is not a number
  m.P0 = p0;
  m.P1 = p1;
  VEC3 a = p0, b = p1;
  if (p0.z <= p1.z) {
    m.downward = 0;
  } else {
    a = p1;
    b = p0;
    m.downward = 1;
    skip_start = false;
  }
  if (!(a.z < w.top_z)) return false;
  m.dx = static_cast<double>(b.x) - a.x;
  m.dy = static_cast<double>(b.y) - a.y;
  m.dz = static_cast<double>(b.z) - a.z;
  const int n = cutwalk::active_sections(m, w, a.z);
  if (n == 0) return false;
  const double R = m.tpm[n - 1].AR;
  if (!(R >= 0.001)) return false;
  m.cut_r = R;
  if (m.dz < 0.001) {
    m.dz = 0;
    m.downward = 0;
  }
  bool box;
  if (std::fabs(m.dx) >= 0.001 || std::fabs(m.dy) >= 0.001) {
    m.L2 = m.dx * m.dx + m.dy * m.dy;
    m.L = std::sqrt(m.L2);
    if (m.dz > 0) {
      m.slope_k = m.dz / m.L;
      m.slope_k2 = m.slope_k * m.slope_k;
    }
    box = Segment_Box_Index(m, a, b, R);
  } else {
    m.dx = m.dy = m.dz = m.L2 = m.L = 0;
    box = Point_Box_Index(m, a, R);
  }
  if (!box) return false;
  const bool oblique = m.dz > 0;
  const double k = oblique ? m.slope_k : 0.0;
  cutwalk::prepare_sections(m, n, k, oblique);
  m.theta = Get_Angle_2D(static_cast<float>(m.dx), static_cast<float>(m.dy));
  m.sin_mt = Sin_Z(static_cast<float>(-m.theta));
  m.cos_mt = Cos_Z(static_cast<float>(-m.theta));
  {
    const double X = w.xs[m.box[0]] - a.x, Y = w.ys[m.box[1]] - a.y;
    m.start_u = X * m.cos_mt - Y * m.sin_mt;
    m.start_v = Y * m.cos_mt + X * m.sin_mt;
    m.step_inc[0] = w.step_x * m.cos_mt;
    m.step_inc[1] = w.step_x * m.sin_mt;
    m.step_inc[2] = -w.step_y * m.sin_mt;
    m.step_inc[3] = w.step_y * m.cos_mt;
  }
  cutwalk::begin_sweep(m);
  const Move mv{a.x, a.y, a.z, m.L, m.dz, k, m.cos_mt, m.sin_mt, skip_start};
  const double lowest = a.z + cutwalk::lowest_surface(m, n);
  // The fast walk looks a little beyond the swept area, so that rounding of the move frame
  // never leaves out a point that the plain walk would cut.
  const double margin =
      std::max(w.step_x, w.step_y) + 1e-3 + 1e-6 * (m.L + R + std::fabs(a.x) + std::fabs(a.y));
  if (m.jig_rect_check && w.jig)
    cutwalk::jig_rect_walk(m, w, n, a.z,
                           [&](double ar) { return Segment_Box_Index(m, a, b, ar); });
  else if (m.dz == 0)
    dispatch<LevelWalk>(m, w, n, mv, lowest, margin);
  else
    dispatch<ObliqueWalk>(m, w, n, mv, lowest, margin);
  m.cut_flags_acc |= m.tpm[0].cut_flags;
  return true;
}

bool CUT_LINE_ALL_WORK(Tmat& m, int nc_line, int move_kind, const VEC3& start, const VEC3& end) {
  return cutwalk::each_work(m, nc_line, move_kind, [&] { CUT_LINE_SWEEP(m, start, end, false); });
}

bool CUT_LINE_ONE_WORK(Tmat& m, int work, const VEC3& start, const VEC3& end, bool skip_start) {
  if (!SET_WORK_NUM(m, work)) return false;
  const TWORK_DATA& w = m.works[work];
  if (!w.in_use || !w.cutting) return false;
  m.nc_line = -1;
  m.move_kind = 1;
  return CUT_LINE_SWEEP(m, start, end, skip_start);
}
