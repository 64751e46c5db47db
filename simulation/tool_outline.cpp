#include "simulation/tool_outline.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "common/ats_func.h"
#include "common/debug_log.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kListCountMax = 255;

struct XZ {
  double x, z;
};

double tan_d(double deg) { return std::tan(deg * kPi / 180.0); }
double sin_d(double deg) { return std::sin(deg * kPi / 180.0); }
double cos_d(double deg) { return std::cos(deg * kPi / 180.0); }

// The builders of one set: point lists into records.
struct Builder {
  TTOOL_OUTLINE_SET& s;
  TGL_POINT_LIST l;

  TTOOL_OUTLINE& rec(int i) { return s.rec[i]; }
  void reset() { l.count = 0; }
  void add(double x, double z) {
    pointlist_add(l, false, static_cast<float>(x), 0.0f, static_cast<float>(z));
  }
  void list(std::initializer_list<XZ> pts) {
    reset();
    for (const XZ& p : pts) add(p.x, p.z);
  }
  // One open polyline in the plane y = 0.
  void run(int r, std::initializer_list<XZ> pts) {
    list(pts);
    outline_add_run(rec(r), l);
  }
  // The polyline on the -x side and its mirror on the +x side.
  void sides(int r, std::initializer_list<XZ> pts) {
    list(pts);
    outline_add_run_mirrored(rec(r), l);
  }
  void ring(int r, double z, double radius) {
    outline_add_arc(rec(r), static_cast<float>(z), static_cast<float>(radius));
  }
  // Half ring from (rho, 0, z) to (-rho, 0, z): from +x for rho > 0, from -x for rho < 0.
  void half(int r, double z, double rho) {
    outline_add_arc_mirrored(rec(r), static_cast<float>(z), static_cast<float>(rho));
  }
  // Appends arc points in the plane y = 0 to the current list.
  void arc_xz(bool dir, XZ c, XZ a, XZ b, double radius) {
    const float cc[3] = {static_cast<float>(c.x), 0, static_cast<float>(c.z)};
    const float aa[3] = {static_cast<float>(a.x), 0, static_cast<float>(a.z)};
    const float bb[3] = {static_cast<float>(b.x), 0, static_cast<float>(b.z)};
    make_arc_points_XZ(l, dir, cc, aa, bb, static_cast<float>(std::fabs(radius)));
    if (l.count > kListCountMax) l.count = kListCountMax;
  }
  void flush(int r) { outline_add_run(rec(r), l); }
};

// ---- shank routines ---------------------------------------------------------------------

void shank_general(Builder& b, const TTOOL& t) {
  if (!b.s.shank) return;
  const double G = t.shank_dia, d = t.cut_dia, F = t.protrusion, D = t.edge_len;
  if (G - d >= 0.001) {
    const double tt = (G - d) / 2.0 / tan_d(30);
    b.sides(3, {{-G / 2, F}, {-G / 2, D + tt + 0.5}, {-d / 2, D + 0.5}, {-d / 2, D}});
    b.half(5, D + tt + 0.5, G / 2);
    b.half(4, D + tt + 0.5, -G / 2);
  } else {
    b.sides(3, {{-G / 2, F}, {-G / 2, D}});
    if (G - d < -0.1) b.ring(3, D, G / 2);
  }
}

// Kinds 10, 12 and 15: the neck starts at diameter d and height z0.
void shank_neck(Builder& b, const TTOOL& t, double d, double z0) {
  if (!b.s.shank) return;
  const double G = t.shank_dia, F = t.protrusion;
  if (G - d >= 0.001) {
    const double tt = (G - d) / 2.0 / tan_d(30);
    b.sides(3, {{-G / 2, F}, {-G / 2, z0 + tt}, {-d / 2, z0}});
    b.half(5, z0 + tt, G / 2);
    b.half(4, z0 + tt, -G / 2);
  } else {
    b.sides(3, {{-G / 2, F}, {-G / 2, z0}});
  }
}

// Kinds 16 and 18: a straight part of 2 at the diameter C above z0.
void shank_straight2(Builder& b, const TTOOL& t, double z0) {
  if (!b.s.shank) return;
  const double G = t.shank_dia, C = t.dia, F = t.protrusion;
  if (G - C >= 0.001) {
    const double tt = (G - C) / 2.0 / tan_d(30);
    b.sides(3, {{-G / 2, F}, {-G / 2, z0 + tt + 2}, {-C / 2, z0 + 2}, {-C / 2, z0}});
    b.half(5, z0 + tt + 2, G / 2);
    b.half(4, z0 + tt + 2, -G / 2);
    b.half(5, z0 + 2, C / 2);
    b.half(4, z0 + 2, -C / 2);
  } else {
    b.sides(3, {{-G / 2, F}, {-G / 2, z0 + 2}});
    b.sides(3, {{-C / 2, z0 + 2}, {-C / 2, z0}});
    b.ring(3, z0 + 2, G / 2);
    b.ring(3, z0 + 2, C / 2);
  }
}

// ---- holder -------------------------------------------------------------------------------

void build_holders(Builder& b, const TTOOL& t, const THOLDER& h) {
  const double F = t.protrusion, B = h.dia, G = t.shank_dia;
  const double D2 = h.h2_tip_dia, G2 = h.h2_max_dia, E = h.h2_len, tl = h.taper_len;
  const bool used = h.h2_used != 0, tapered = h.h2_tapered != 0;
  const bool drill = t.T_category == 7 || t.T_category == 8;
  const double z0 = F + (used ? E : 0.0);
  b.ring(9, z0, B / 2);
  b.sides(9, {{-B / 2, z0 + 1.5 * B}, {-B / 2, z0}});
  double close_r = G / 2;
  if (used) close_r = tapered ? ((drill && E > 3 * tl) ? D2 / 2 : G2 / 2) : D2 / 2;
  b.ring(9, z0, close_r);
  if (!used) return;
  if (!tapered) {
    b.ring(6, F + E, D2 / 2);
    b.sides(6, {{-D2 / 2, F + E}, {-D2 / 2, F}});
    b.ring(6, F, G / 2);
  } else if (!drill || E <= 3 * tl) {
    b.ring(6, F + tl, G2 / 2);
    b.ring(6, F, D2 / 2);
    b.sides(6, {{-G2 / 2, F + E}, {-G2 / 2, F + tl}, {-D2 / 2, F}});
    b.ring(6, F, G / 2);
  } else {
    b.sides(6, {{-D2 / 2, F + E}, {-D2 / 2, F + 2 * tl}});
    b.sides(6, {{-G2 / 2, F + 2 * tl}, {-G2 / 2, F + tl}, {-D2 / 2, F}});
    b.ring(6, F, D2 / 2);
    b.ring(6, F + 2 * tl, D2 / 2);
    b.ring(6, F + E, D2 / 2);
    b.ring(6, F + 2 * tl, G2 / 2);
    b.ring(7, F + tl, -G2 / 2);
    b.ring(8, F + tl, G2 / 2);
  }
}

// ---- cutting parts --------------------------------------------------------------------------

void build_cutting_part(Builder& b, const TTOOL& t) {
  const double C = t.dia, r = C / 2, D = t.edge_len, H = t.radius, J = t.noedge_dia;
  const double G = t.shank_dia, I = t.half_angle;
  const double cr = t.cut_dia / 2, d1 = t.derived1, d2 = t.derived2;
  b.s.label[0] = static_cast<float>(1.1 * r);
  switch (t.T_category) {
    case 1:
    case 11:
    case 19:
    case 20:
      b.ring(0, 0, r);
      b.ring(0, D, r);
      b.sides(0, {{-r, 0}, {-r, D}});
      shank_general(b, t);
      break;
    case 2:
      b.ring(0, D, r);
      b.ring(0, d2, r);
      b.list({{-r, D}});
      b.arc_xz(true, {0, H}, {-r, d2}, {r, d2}, H);
      b.add(r, D);
      b.flush(0);
      shank_general(b, t);
      break;
    case 3: {
      b.ring(0, D, r);
      b.ring(0, H, r);
      b.sides(0, {{-r, D}, {-r, H}});
      b.reset();
      XZ p[5];
      for (int k = 0; k < 5; ++k) {
        const double th = 22.5 * k;
        p[k] = {r - H + H * cos_d(th), H - H * sin_d(th)};
      }
      for (int k = 0; k < 5; ++k) b.add(p[k].x, p[k].z);
      for (int k = 4; k >= 0; --k) b.add(-p[k].x, p[k].z);
      b.flush(0);
      b.ring(0, 0, r - H);
      shank_general(b, t);
      break;
    }
    case 4:
      b.ring(0, D, cr);
      b.ring(0, 0, r);
      b.sides(0, {{-cr, D}, {-r, 0}});
      shank_general(b, t);
      break;
    case 5:
    case 6: {
      b.ring(0, D, cr);
      b.ring(0, d2, d1);
      b.sides(0, {{-cr, D}, {-d1, d2}});
      const double s = (90.0 - I) / 4.0;
      b.reset();
      if (t.T_category == 5) {
        for (int k = 4; k >= -4; --k) b.add(H * sin_d(k * s), H - H * cos_d(k * s));
      } else {
        for (int k = 4; k >= 0; --k) b.add(J / 2 + H * sin_d(k * s), H - H * cos_d(k * s));
        for (int k = 0; k <= 4; ++k) b.add(-J / 2 - H * sin_d(k * s), H - H * cos_d(k * s));
      }
      b.flush(0);
      if (t.T_category == 6) b.ring(0, 0, J / 2);
      b.s.label[0] = static_cast<float>(1.1 * d1);
      shank_general(b, t);
      break;
    }
    case 7:
      b.ring(0, d1, r);
      b.ring(0, d2, r);
      b.ring(0, D, G / 2);
      b.sides(0, {{-G / 2, D}, {-r, d2}, {-r, d1}, {0, 0}});
      shank_general(b, t);
      break;
    case 8:
      b.ring(0, d1, r);
      b.ring(0, D, r);
      b.sides(0, {{-r, D}, {-r, d1}, {0, 0}});
      shank_general(b, t);
      break;
    case 9:
      b.ring(0, 0, J / 2);
      b.ring(0, d1, r);
      b.ring(0, d2, r);
      b.sides(0, {{-J / 2, D}, {-r, d2}, {-r, d1}, {-J / 2, 0}});
      shank_general(b, t);
      break;
    case 10: {
      const double w = d1, a = 2 * w / 3;
      b.run(3, {{-(C - a) / 2, D}, {-(C - a) / 2, a / 2}, {-(J - C / 2), a / 2}});
      b.run(3, {{J - C / 2, a / 2}, {(C - a) / 2, C - J}, {(C - a) / 2, D}});
      b.ring(3, a / 2, J - C / 2);
      b.ring(3, D, (C - a) / 2);
      for (int rep = 0; rep < 2; ++rep) {
        b.half(4, C - J, -(C - a) / 2);
        b.half(5, C - J, (C - a) / 2);
      }
      for (int r0 : {0, 12})
        b.run(r0, {{C / 2 - w - a, a}, {C / 2 - w, 0}, {C / 2, 0}, {C / 2, w}, {C / 2 - a, w + a}});
      b.half(1, 0, -C / 2);
      b.half(2, 0, C / 2);
      b.half(1, 0, -(C / 2 - w));
      b.half(2, 0, C / 2 - w);
      b.half(1, w, -C / 2);
      b.half(2, w, C / 2);
      shank_neck(b, t, C - 2 * d1 / 3, D);
      break;
    }
    case 12:
      b.ring(0, 2 * D, r - D);
      b.ring(0, D, r);
      b.ring(0, 0, r);
      b.sides(0, {{-(r - D), 2 * D}, {-r, D}, {-r, 0}});
      shank_neck(b, t, C - 2 * D, 2 * D);
      break;
    case 13: {
      const double h = H / 2, c = r - h, p = h * cos_d(30), q = h * sin_d(30);
      b.reset();
      b.arc_xz(true, {c, h}, {c - h, h}, {c - h, h}, h);
      b.flush(0);
      b.reset();
      b.arc_xz(true, {-c, h}, {-(c + q), h + p}, {-(c - p), h - q}, h);
      TGL_POINT_LIST left = b.l;
      b.flush(0);
      for (int i = 0; i < left.count; ++i) {
        b.half(1, left.p[i][2], left.p[i][0]);
        b.half(2, left.p[i][2], -left.p[i][0]);
      }
      b.list({{-r, D}, {-(c + q), h + p}});
      b.arc_xz(true, {-c, h}, {-(c + q), h}, {-c, h - q}, q);
      b.add(c - p, h - q);
      b.flush(3);
      b.run(3, {{c + q, h + p}, {r, D}});
      b.half(3, D, -r);
      b.half(3, D, r);
      shank_general(b, t);
      break;
    }
    case 14: {
      const double h = H / 2, c = r - h, tt = h * tan_d(22.5);
      b.run(0, {{c + h, h + tt}, {c + tt, 2 * h}, {c - tt, 2 * h}, {c - h, h + tt}, {c - h, h - tt},
                {c - tt, 0}, {c + tt, 0}, {c + h, h - tt}, {c + h, h + tt}});
      const XZ left[7] = {{-c - tt / 2, 2 * h}, {-c - tt, 2 * h}, {-c - h, h + tt}, {-c - h, h - tt},
                          {-c - tt, 0},         {-c + tt, 0},    {-c + (h + tt) / 2, (h - tt) / 2}};
      b.reset();
      for (const XZ& p : left) b.add(p.x, p.z);
      b.flush(0);
      for (const XZ& p : left) {
        b.half(1, p.z, p.x);
        b.half(2, p.z, -p.x);
      }
      b.half(3, left[6].z, left[6].x);
      b.run(3, {{c + tt / 2, 2 * h}, {r, D}});
      b.run(3, {{-r, D}, {-c - tt / 2, 2 * h}, {-c - (h + tt) / 2, h + tt}, {-c - (h + tt) / 2, h - tt},
                {-c - tt, (h - tt) / 2}, {c - (h + tt) / 2, (h - tt) / 2}});
      b.ring(3, D, r);
      shank_general(b, t);
      break;
    }
    case 15: {
      const double e = (C - J) / 2 * tan_d(5);
      b.run(0, {{J / 2, H - e}, {C / 2, H}, {C / 2, 0}, {J / 2, e}});
      b.run(0, {{-J / 2, H - e}, {-C / 2, H}, {-C / 2, 0}, {-J / 2, e}});
      b.run(3, {{-(J / 2 - 0.5), D}, {-(J / 2 - 0.5), H - e}});
      b.run(3, {{-J / 2, H - e}, {-J / 2, e}});
      b.run(3, {{J / 2, e}, {J / 2, H - e}});
      b.run(3, {{J / 2 - 0.5, H - e}, {J / 2 - 0.5, D}});
      for (const std::pair<double, double>& zr :
           {std::pair{e, J / 2}, {H - e, J / 2}, {H - e, (J - 1) / 2}, {D, (J - 1) / 2}}) {
        b.half(3, zr.first, -zr.second);
        b.half(3, zr.first, zr.second);
      }
      b.half(1, 0, -C / 2);
      b.half(2, 0, C / 2);
      b.half(1, H, -C / 2);
      b.half(2, H, C / 2);
      shank_neck(b, t, J - 1, D);
      break;
    }
    case 16:
      if (H > 0) {
        b.reset();
        b.arc_xz(true, {-(J / 2 + H), H}, {-(J / 2 + H), 0}, {-J / 2, H}, H);
        b.add(-J / 2, D);
        b.flush(1);
        b.list({{J / 2, D}});
        b.arc_xz(true, {J / 2 + H, H}, {J / 2, H}, {J / 2 + H, 0}, H);
        b.flush(1);
        b.ring(1, H, J / 2);
        b.half(1, H, -C / 2);
        b.half(2, H, C / 2);
        b.list({{-C / 2, D}});
        b.arc_xz(true, {-(C / 2 - H), H}, {-C / 2, H}, {-(C / 2 - H), 0}, H);
        b.flush(0);
        b.reset();
        b.arc_xz(true, {C / 2 - H, H}, {C / 2 - H, 0}, {C / 2, H}, H);
        b.add(C / 2, D);
        b.flush(0);
        b.ring(0, 0, C / 2 - H);
      } else {
        b.sides(1, {{-J / 2, 0}, {-J / 2, D}});
        b.ring(1, 0, J / 2);
        b.run(0, {{-C / 2, D}, {-C / 2, 0}, {-J / 2, 0}});
        b.run(0, {{-J / 2, 0}, {C / 2, 0}, {C / 2, D}});
      }
      b.ring(1, D, J / 2);
      b.ring(0, D, C / 2);
      shank_straight2(b, t, D);
      break;
    case 17:
      b.sides(0, {{-cr, D}, {-r, 0}});
      b.ring(0, 0, r);
      b.ring(0, D, cr);
      shank_general(b, t);
      break;
    case 18:
      b.list({{-C / 2, D}});
      b.arc_xz(false, {-(J / 2 + H), D - H}, {-(J / 2 + H), D}, {-J / 2, D - H}, H);
      b.add(-J / 2, 0);
      b.flush(0);
      b.list({{J / 2, 0}});
      b.arc_xz(false, {J / 2 + H, D - H}, {J / 2, D - H}, {J / 2 + H, D}, H);
      b.add(C / 2, D);
      b.flush(0);
      b.sides(0, {{-C / 2, 2 * D}, {-C / 2, D}});
      b.ring(0, 0, J / 2);
      b.ring(0, D, C / 2);
      b.ring(0, 2 * D, C / 2);
      b.ring(1, D - H, J / 2);
      b.ring(1, D, J / 2 + H);
      shank_straight2(b, t, 2 * D);
      break;
    default: break;
  }
}

void rgba(int code, std::uint8_t out[4]) { color_code_to_RGBA(code, 255, out); }

std::int32_t packed(const std::uint8_t c[4]) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(c[0]) |
                                   (static_cast<std::uint32_t>(c[1]) << 8) |
                                   (static_cast<std::uint32_t>(c[2]) << 16) |
                                   (static_cast<std::uint32_t>(c[3]) << 24));
}

}  // namespace

// ---- point lists and outlines ---------------------------------------------------------------

void pointlist_add(TGL_POINT_LIST& l, bool reset, float x, float y, float z) {
  if (reset || l.count < 0) l.count = 0;
  if (l.count > GL_ARC_POINTS_MAX) return;
  l.p[l.count][0] = x;
  l.p[l.count][1] = y;
  l.p[l.count][2] = z;
  if (l.count < kListCountMax) ++l.count;
}

void outline_clear(TTOOL_OUTLINE& o) {
  o.runs.fill(255);
  o.run_count = 0;
  o.point_count = 0;
}

bool outline_add_run(TTOOL_OUTLINE& o, const TGL_POINT_LIST& l) {
  if (l.count <= 0 || o.point_count > kOutlineDrawnPoints || o.run_count >= kOutlineMaxRuns)
    return false;
  int taken = 0;
  while (taken < l.count && o.point_count < kOutlinePoints - 1) {
    o.points[o.point_count++] = {l.p[taken][0], l.p[taken][1], l.p[taken][2]};
    ++taken;
  }
  o.runs[o.run_count++] = static_cast<std::uint8_t>(taken);
  o.runs[o.run_count] = 255;
  return true;
}

void outline_add_run_mirrored(TTOOL_OUTLINE& o, const TGL_POINT_LIST& l) {
  if (!outline_add_run(o, l) || o.run_count >= kOutlineMaxRuns) return;
  int taken = 0;
  for (int i = l.count - 1; i >= 0 && o.point_count < kOutlinePoints; --i) {
    o.points[o.point_count++] = {-l.p[i][0], l.p[i][1], l.p[i][2]};
    ++taken;
    if (o.point_count > kOutlineDrawnPoints) break;
  }
  o.runs[o.run_count++] = static_cast<std::uint8_t>(taken);
  o.runs[o.run_count] = 255;
}

void outline_add_arc(TTOOL_OUTLINE& o, float z, float r) {
  TGL_POINT_LIST l;
  const float c[3] = {0, 0, z}, s[3] = {r, 0, z};
  make_arc_points_XY(l, true, c, s, s, std::fabs(r));
  outline_add_run(o, l);
}

void outline_add_arc_mirrored(TTOOL_OUTLINE& o, float z, float r) {
  TGL_POINT_LIST l;
  const float c[3] = {0, 0, z}, s[3] = {r, 0, z}, e[3] = {-r, 0, z};
  make_arc_points_XY(l, true, c, s, e, std::fabs(r));
  outline_add_run(o, l);
}

void make_TOOL_outline(Tmat& m, const TTOOL_HOLDER_tmp& mag, int index, TTOOL_OUTLINE_SET& out) {
  TOOL_SHAPE_CLEAR(m);
  out = TTOOL_OUTLINE_SET{};
  for (TTOOL_OUTLINE& o : out.rec) outline_clear(o);
  out.slot_index = index;
  if (index < 0 || index >= kMagazineSlots) return;
  const TTTOOL_HOLDER_tmp& slot = mag.slot[index];
  const TTOOL& t = slot.tool;
  const THOLDER& h = slot.holder;
  out.tool_number = t.T_number;
  out.kind = t.T_category;
  if (t.T_category < 1 || t.T_category >= kToolKinds) return;
  out.holder2 = h.h2_used ? 1 : 0;
  out.shank = t.protrusion > t.edge_len ? 1 : 0;
  rgba(h.color, out.col_holder);
  rgba(h.h2_color, out.col_holder2);
  rgba(t.edge_color, out.col_cut);
  rgba(t.edge_color, out.col_alt);
  rgba(t.edge_color, out.col_edge_copy);
  rgba(t.shank_color, out.col_shank);
  out.edge_color = t.edge_color;
  Builder b{out, {}};
  build_holders(b, t, h);
  build_cutting_part(b, t);
  out.ref_radius = t.ref_dia / 2;
  out.ref_corner_radius = t.ref_radius;
  make_TOOL_shape_from_slot(m, slot);
  out.valid = 1;
}

// ---- the tool shape -----------------------------------------------------------------------

namespace {

enum class Part { Cut, Shank, Holder2, Holder };

struct Section {
  TTOOL_SHAPE_DATA d;
  Part part;
  double top_r;  // outer radius at the top of its edge
  bool edge;     // a cutting section with an edge
};

struct ShapeList {
  Section s[TOOL_SHAPE_MAX];
  int n = 0;
  bool push(const TTOOL_SHAPE_DATA& d, Part p, double top_r) {
    if (n >= TOOL_SHAPE_MAX - 1) return false;
    s[n++] = {d, p, top_r, p == Part::Cut};
    return true;
  }
};

TTOOL_SHAPE_DATA base(int type, double z0) {
  TTOOL_SHAPE_DATA d;
  d.type = type;
  d.ref_z = z0;
  return d;
}

void flat(ShapeList& L, Part p, double z0, double fr) {
  TTOOL_SHAPE_DATA d = base(TPM_FLAT, z0);
  d.FR = fr;
  L.push(d, p, fr);
}

// A cone from radius a at z0 to radius b at z1; a cylinder when it does not widen.
void cone(ShapeList& L, Part p, double a, double z0, double b, double z1) {
  if (!(z1 - z0 > 0.001) || !(b - a > 1e-6)) {
    flat(L, p, z0, std::max(a, b));
    return;
  }
  TTOOL_SHAPE_DATA d = base(TPM_TAPER, z0);
  d.FR = a;
  d.edge_len = z1 - z0;
  d.taper_half_angle = std::atan((b - a) / (z1 - z0));
  L.push(d, p, b);
}

void cutting_sections(ShapeList& L, const TTOOL& t) {
  const double C = t.dia, r = C / 2, D = t.edge_len, H = t.radius, J = t.noedge_dia;
  const double G = t.shank_dia, cr = t.cut_dia / 2, d1 = t.derived1, d2 = t.derived2;
  const Part P = Part::Cut;
  switch (t.T_category) {
    case 2: {
      TTOOL_SHAPE_DATA d = base(std::fabs(C - 2 * H) < 1e-6 ? TPM_BALL : TPM_BALL2, 0);
      d.BR = H;
      d.AR = d.type == TPM_BALL ? H : r;
      L.push(d, P, d.AR);
      break;
    }
    case 3:
    case 13:
    case 16: {
      const double br = t.T_category == 13 ? H / 2 : H;
      if (t.T_category == 16 && !(H > 0)) {
        flat(L, P, 0, r);
        break;
      }
      TTOOL_SHAPE_DATA d = base(TPM_CORNER_R, 0);
      d.AR = r;
      d.BR = br;
      L.push(d, P, r);
      break;
    }
    case 4: cone(L, P, r, 0, cr, D); break;
    case 5:
    case 6: {
      TTOOL_SHAPE_DATA d = base(t.T_category == 5 ? TPM_BALL2 : TPM_CORNER_R2, 0);
      d.BR = H;
      d.AR = d1;
      if (t.T_category == 6) d.FR = J / 2;
      L.push(d, P, d1);
      cone(L, P, d1, d2, cr, D);
      break;
    }
    case 7:
      cone(L, P, 0, 0, r, d1);
      cone(L, P, r, d2, G / 2, D);
      break;
    case 8: cone(L, P, 0, 0, r, d1); break;
    case 9:
      if (d1 <= 0.001)
        flat(L, P, 0, r);
      else
        cone(L, P, J / 2, 0, r, d1);
      break;
    case 14: {
      const double h = H / 2, tt = h * tan_d(22.5);
      cone(L, P, r - h + tt, 0, r, h - tt);
      break;
    }
    case 18: {
      flat(L, P, 0, J / 2);
      L.s[L.n - 1].edge = false;  // the pilot has no edge
      const double cx = J / 2 + H, cz = D - H;
      for (int k = 0; k < 4; ++k) {
        const double a0 = 180 - 22.5 * k, a1 = a0 - 22.5;
        cone(L, P, cx + H * cos_d(a0), cz + H * sin_d(a0), cx + H * cos_d(a1), cz + H * sin_d(a1));
      }
      flat(L, P, D, r);
      break;
    }
    default: flat(L, P, 0, r); break;  // 1, 10, 11, 12, 15, 17, 19, 20
  }
}

void shank_section(ShapeList& L, const TTOOL& t) {
  if (!(t.protrusion > t.edge_len)) return;
  const double G = t.shank_dia, D = t.edge_len, C = t.dia;
  double d = t.cut_dia, z0 = D + 0.5;
  switch (t.T_category) {
    case 10: d = C - 2 * t.derived1 / 3; z0 = D; break;
    case 12: d = C - 2 * D; z0 = 2 * D; break;
    case 15: d = t.noedge_dia - 1; z0 = D; break;
    case 16: d = C; z0 = D + 2; break;
    case 18: d = C; z0 = 2 * D + 2; break;
    default: break;
  }
  if (!(G - d >= 0.001)) return;
  const double tt = (G - d) / 2.0 / tan_d(30);
  cone(L, Part::Shank, d / 2, z0, G / 2, z0 + tt);
}

bool finite_sizes(const TTOOL& t, const THOLDER& h) {
  for (double v : {t.dia, t.edge_len, t.protrusion, t.shank_dia, t.radius, t.half_angle,
                   t.noedge_dia, t.cut_dia, t.derived1, t.derived2, h.dia, h.h2_len, h.h2_max_dia,
                   h.h2_tip_dia, h.taper_len})
    if (!std::isfinite(v)) return false;
  return t.dia > 0.001 && t.edge_len > 0.001 && t.protrusion > 0.001;
}

}  // namespace

bool tool_shape_sections(const TTTOOL_HOLDER_tmp& slot, TTOOL_SHAPE_DATA* out, int& count,
                         int& tool_count) {
  count = tool_count = 0;
  const TTOOL& t = slot.tool;
  const THOLDER& h = slot.holder;
  if (t.T_category < 1 || t.T_category >= kToolKinds || !finite_sizes(t, h)) return false;
  ShapeList L;
  cutting_sections(L, t);
  shank_section(L, t);
  const double F = t.protrusion;
  if (h.h2_used) {
    if (h.h2_tapered)
      cone(L, Part::Holder2, h.h2_tip_dia / 2, F, h.h2_max_dia / 2, F + h.taper_len);
    else
      flat(L, Part::Holder2, F, h.h2_tip_dia / 2);
  }
  const double face = F + (h.h2_used ? h.h2_len : 0.0);
  flat(L, Part::Holder, face, h.dia / 2);
  const double holder_top = face + 1.5 * h.dia;
  // Leave out what lies hidden inside the sections below.
  std::uint8_t cut_col[4], shank_col[4], h2_col[4], holder_col[4];
  rgba(t.edge_color, cut_col);
  rgba(t.shank_color, shank_col);
  rgba(h.h2_color, h2_col);
  rgba(h.color, holder_col);
  Section kept[TOOL_SHAPE_MAX];
  int n = 0;
  for (int i = 0; i < L.n; ++i) {
    const Section& s = L.s[i];
    if (n > 0 && (!(s.d.ref_z > kept[n - 1].d.ref_z + 1e-6) || !(s.top_r > kept[n - 1].top_r + 1e-6)))
      continue;
    if (!(s.top_r > 0.001)) continue;
    kept[n++] = s;
  }
  if (n == 0 || kept[0].part != Part::Cut) return false;
  for (int i = 0; i < n; ++i) {
    TTOOL_SHAPE_DATA& d = kept[i].d;
    const double next = i + 1 < n ? kept[i + 1].d.ref_z : holder_top;
    const bool cuts = kept[i].edge;
    d.cutting_edge = cuts ? 1 : 0;
    const std::uint8_t* col = kept[i].part == Part::Cut      ? cut_col
                              : kept[i].part == Part::Shank  ? shank_col
                              : kept[i].part == Part::Holder2 ? h2_col
                                                              : holder_col;
    std::copy(col, col + 4, d.color);
    d.pass_int = packed(col);
    if (cuts && (t.T_category == 9 || t.T_category == 10 || t.T_category == 15 || t.T_category == 16))
      d.centre_r = t.noedge_dia / 2;
    double len = next - d.ref_z;
    if (d.type != TPM_TAPER) {
      // What the profile checks need of the edge.
      double need = 0;
      if (d.type == TPM_BALL || d.type == TPM_CORNER_R) need = d.BR;
      if (d.type == TPM_BALL2) need = d.BR - std::sqrt(std::max(0.0, d.BR * d.BR - d.AR * d.AR));
      if (d.type == TPM_CORNER_R2)
        need = d.BR - std::sqrt(std::max(0.0, d.BR * d.BR - (d.AR - d.FR) * (d.AR - d.FR)));
      d.edge_len = std::max(len, need);
    }
    d.effective_len = std::max(len, d.edge_len);
    if (i == 0) {
      d.oblique_restricted = 0;
      d.tool_edge_len = t.edge_len;
    }
    out[i] = d;
    if (kept[i].part == Part::Cut || kept[i].part == Part::Shank) tool_count = i + 1;
  }
  count = n;
  return true;
}

bool make_TOOL_shape_from_slot(Tmat& m, const TTTOOL_HOLDER_tmp& slot) {
  TOOL_SHAPE_CLEAR(m);
  TTOOL_SHAPE_DATA d[TOOL_SHAPE_MAX];
  int n = 0, own = 0;
  bool ok = tool_shape_sections(slot, d, n, own);
  for (int i = 0; ok && i < n; ++i) ok = MAKE_TOOL_SHAPE(m, d[i]);
  if (ok) {
    m.tpm_tool_count = own;
    return true;
  }
  deb_logf("(make_TOOL_shape_from_slot) T%d A%d: %s", slot.tool.T_number, slot.tool.T_category,
           m.last_error().empty() ? "size" : m.last_error().c_str());
  TOOL_SHAPE_CLEAR(m);
  std::uint8_t cut[4], h2[4], shank[4];
  rgba(slot.tool.edge_color, cut);
  rgba(slot.holder.h2_color, h2);
  rgba(slot.tool.shank_color, shank);
  TTOOL_SHAPE_DATA a = base(TPM_BALL, 0);
  std::copy(cut, cut + 4, a.color);
  a.pass_int = packed(shank);
  a.tool_edge_len = 12;
  a.BR = 3;
  a.AR = 3;
  a.edge_len = 12;
  a.effective_len = 18;
  a.cutting_edge = 1;
  SET_TOOL_SHAPE(m, a);
  m.tpm_tool_count = 1;
  TTOOL_SHAPE_DATA b = base(TPM_TAPER, 18);
  std::copy(h2, h2 + 4, b.color);
  b.pass_int = packed(h2);
  b.FR = 3;
  b.AR = 6;
  b.edge_len = 27;
  b.effective_len = 77;
  b.taper_half_angle = kPi / 6;
  SET_TOOL_SHAPE(m, b);
  return false;
}
