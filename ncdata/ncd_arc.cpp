// Arcs G02/G03 in the XY, ZX and YZ planes, given by their centre (I, J, K) or radius (R),
// with helices along the third axis.
#include <cfloat>
#include <cmath>

#include "ncdata/ncd_exec_detail.h"

using namespace ncd_exec_detail;

namespace {

// Normalised angle in [0, 2pi).
double norm_angle(double a) {
  a = std::fmod(a, TWO_PI);
  return a < 0 ? a + TWO_PI : a;
}

// A chord this close to 2|R| is a half circle, whose end point the program rounded: its
// centre is the chord's midpoint. A longer chord is an end-point error.
constexpr double HALF_CIRCLE_TOL = 0.002;

// One arc in the plane (a, b) with c the third axis; `base` is 0x9020, 0x9040 or 0x9050.
bool arc_plane(NCD_DATA& d, int a, int b, int c, std::uint16_t base, const VEC3& word, float r,
               float ca, float cb, float third) {
  NCD_EXEC& e = d.exec;
  NCD_TOOL_RUN& t = e.tool;
  const std::uint16_t lf = e.flags;
  if (third != 0) {
    set_error(e, static_cast<std::uint16_t>(base + 2));
    return false;
  }
  const bool abs = e.status & NCD_ST_G90;
  const NCD_POINT start = e.cur;
  NCD_POINT end = start;
  const std::uint16_t given[3] = {NCD_WF_X, NCD_WF_Y, NCD_WF_Z};
  for (int i = 0; i < 3; ++i)
    if (lf & given[i]) axis(end, i) = abs ? axis(word, i) : axis(end, i) + axis(word, i);
  const double sa = axis(start, a), sb = axis(start, b), ea = axis(end, a), eb = axis(end, b);
  const bool ccw = (e.status & NCD_ST_MOTION) == NCD_MG_G03;
  double cA, cB, radius;
  if (!(lf & NCD_WF_R)) {
    if (std::fabs(ca) < 0.001f && std::fabs(cb) < 0.001f) {
      set_error(e, static_cast<std::uint16_t>(base + 6));
      return false;
    }
    cA = sa + ca;
    cB = sb + cb;
    radius = std::hypot(sa - cA, sb - cB);
  } else {
    if (std::fabs(r) < 0.001f) {
      set_error(e, static_cast<std::uint16_t>(base + 5));
      return false;
    }
    const double dx = ea - sa, dy = eb - sb, chord = std::hypot(dx, dy);
    const double diameter = 2.0 * std::fabs(static_cast<double>(r));
    // The words are floats: their own rounding comes on top of the program's.
    const double tol = HALF_CIRCLE_TOL + 8.0 * FLT_EPSILON *
                                             std::max({std::fabs(sa), std::fabs(sb), std::fabs(ea),
                                                       std::fabs(eb), diameter});
    if (chord < 0.001 || chord > diameter + tol) {
      set_error(e, static_cast<std::uint16_t>(base + 1));
      return false;
    }
    if (chord >= diameter - tol) {
      // Through both ends: the radius is half the chord.
      cA = (sa + ea) / 2;
      cB = (sb + eb) / 2;
      radius = std::copysign(chord / 2, static_cast<double>(r));
    } else {
      const double h = std::sqrt(static_cast<double>(r) * r - chord * chord / 4);
      const double sg = ccw == (r > 0) ? 1.0 : -1.0;
      cA = (sa + ea) / 2 - sg * h * dy / chord;
      cB = (sb + eb) / 2 + sg * h * dx / chord;
      radius = r;
    }
  }
  const double rs = std::hypot(sa - cA, sb - cB), re = std::hypot(ea - cA, eb - cB);
  e.arc_err = static_cast<float>(std::fabs(re - rs));
  if (e.arc_err > 0.02f) {
    set_error(e, static_cast<std::uint16_t>(base + 1));
    return false;
  }
  NCD_POINT off;
  axis(off, a) = cA - sa;
  axis(off, b) = cB - sb;
  e.arc_i = static_cast<float>(off.x);
  e.arc_j = static_cast<float>(off.y);
  e.arc_k = static_cast<float>(off.z);
  e.arc_r = static_cast<float>(radius);

  const double as = std::atan2(sb - cB, sa - cA), ae = std::atan2(eb - cB, ea - cA);
  double sweep;
  if (std::fabs(ea - sa) < EPS && std::fabs(eb - sb) < EPS) {
    sweep = TWO_PI;
  } else {
    sweep = norm_angle(ccw ? ae - as : as - ae);
    if (sweep <= 0) sweep = TWO_PI;
  }
  const double plane_len = std::fabs(radius) * sweep;
  const double dc = axis(end, c) - axis(start, c);
  const double len = std::hypot(plane_len, dc);

  int& ff = t.first_flags;
  if ((ff & 15) != 15) {
    if (!(ff & 4)) t.first.x = static_cast<float>(start.x);
    if (!(ff & 2)) t.first.y = static_cast<float>(start.y);
    if (!(ff & 1)) t.first.z = static_cast<float>(end.z);
    ff |= 7;
    if (!(ff & 8)) {
      t.cut_start_z = static_cast<float>(end.z);
      ff |= 8;
    }
  }
  t.cut_len += len;
  t.time += len / e.feed;
  extend(e, start);
  extend(e, end);
  const double ar = std::fabs(radius);
  for (int k = 0; k < 4; ++k) {
    const double ang = k * (PI / 2);
    const double delta = norm_angle(ccw ? ang - as : as - ang);
    if (delta > sweep) continue;
    NCD_POINT q = start;
    axis(q, a) = cA + ar * std::cos(ang);
    axis(q, b) = cB + ar * std::sin(ang);
    extend(e, q);
  }
  e.cur = end;
  note_z(e, end.z);
  return true;
}

}  // namespace

bool arc_G17(NCD_DATA& d, float x, float y, float z, float r, float i, float j, float k) {
  return arc_plane(d, 0, 1, 2, 0x9020, VEC3{x, y, z}, r, i, j, k);
}
bool arc_G18(NCD_DATA& d, float x, float y, float z, float r, float i, float j, float k) {
  return arc_plane(d, 2, 0, 1, 0x9040, VEC3{x, y, z}, r, k, i, j);
}
bool arc_G19(NCD_DATA& d, float x, float y, float z, float r, float i, float j, float k) {
  return arc_plane(d, 1, 2, 0, 0x9050, VEC3{x, y, z}, r, j, k, i);
}
