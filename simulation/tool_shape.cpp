#include "simulation/tool_shape.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "platform/core/msgbox.h"
#include "simulation/sim_text.h"

namespace {

constexpr double kPi = std::numbers::pi;

std::string f3(double v) { return sim_fixed3(v); }

const char* type_name(int type) {
  switch (type) {
    case TPM_FLAT: return "1:FLAT ( ";
    case TPM_BALL: return "2:BALL ( ";
    case TPM_BALL2: return "3:BALL2 ( ";
    case TPM_CORNER_R: return "4:CORNER-R ( ";
    case TPM_TAPER: return "5:TAPER ( ";
    case TPM_CORNER_R2: return "6:CORNER-R2 ( ";
    default: return "";
  }
}

bool all_finite(std::initializer_list<double> v) {
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

// The per-type checks and derived values; false with `err` set.
bool fill_type(TTOOL_PARAM& t, const TTOOL_SHAPE_DATA& d, double prev, std::string& err) {
  const double lim = prev - 1e-6;
  const double edge = t.edge_len;
  switch (d.type) {
    case TPM_FLAT:
      t.FR = d.FR;
      t.AR = d.FR;
      if (!(t.FR >= lim)) {
        err = "刃径(FLAT_R=" + f3(t.FR) + ")が直前のデータ(" + f3(prev) + ")より小さくなっています";
        return false;
      }
      if (!(t.FR > 0.001)) {
        err = "刃径(FLAT_R=" + f3(t.FR) + ")が小さすぎます";
        return false;
      }
      return true;
    case TPM_BALL:
      t.BR = d.BR;
      t.AR = d.BR;
      if (!(t.BR >= lim)) {
        err = "刃径(BALL_R=" + f3(t.BR) + ")が直前のデータ(" + f3(prev) + ")より小さくなっています";
        return false;
      }
      if (!(t.BR > 0.001)) {
        err = "刃径(BALL_R=" + f3(t.BR) + ")が小さすぎます";
        return false;
      }
      if (!(edge >= t.BR)) {
        err = "BALL_R(" + f3(t.BR) + ") より刃長(" + f3(edge) + ")の方が短くなってます";
        return false;
      }
      return true;
    case TPM_BALL2:
      t.BR = d.BR;
      t.AR = d.AR;
      if (!(t.AR >= lim)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ")が直前のデータ(" + f3(prev) + ")より小さくなっています";
        return false;
      }
      if (!(t.AR >= 0.001)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ")が小さすぎます";
        return false;
      }
      if (!(t.BR >= 0.001)) {
        err = "刃径(BALL_R=" + f3(t.BR) + ")が小さすぎます";
        return false;
      }
      if (!(t.BR > t.AR)) {
        err = "BALL_R(" + f3(t.BR) + ") より胴径(" + f3(t.AR) + ")より小さくなっています";
        return false;
      }
      t.area_rz = t.BR - std::sqrt(t.BR * t.BR - t.AR * t.AR);
      if (!(edge >= t.area_rz)) {
        err = "BALL_R部(" + f3(t.area_rz) + ",BR=" + f3(t.BR) + ") より刃長(" + f3(edge) +
              ")の方が短くなってます";
        return false;
      }
      return true;
    case TPM_CORNER_R:
      t.BR = d.BR;
      t.AR = d.AR;
      t.FR = d.AR - d.BR;
      if (!(t.AR >= lim)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ") が直前のデータ(" + f3(prev) + ")より小さくなっています";
        return false;
      }
      if (!(t.AR >= 0.002)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ")が小さすぎます";
        return false;
      }
      if (!(t.BR >= 0.001)) {
        err = "BALL_R(" + f3(t.BR) + ")が小さすぎます";
        return false;
      }
      if (!(t.AR >= t.BR)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ") が BALL_R(" + f3(t.BR) + ")より小さくなっています";
        return false;
      }
      if (!(edge >= t.BR)) {
        err = "BALL_R(" + f3(t.BR) + ") より刃長(" + f3(edge) + ")の方が短くなってます";
        return false;
      }
      return true;
    case TPM_TAPER: {
      t.FR = d.FR < 0.001 ? 0.0 : d.FR;
      const double half = d.taper_half_angle;
      if (!(half > 0 && half < kPi / 2)) {
        err = "テーパ角(TAPER_A=" + f3(half * 180.0 / kPi) + ")が範囲(0～90)外です";
        return false;
      }
      t.taper_a = kPi / 2 - half;
      t.taper_zx = std::tan(t.taper_a);
      t.deg_a = t.taper_a * 180.0 / kPi;
      t.AR = t.FR + edge / t.taper_zx;
      t.area_rz = edge;
      if (!(t.AR >= lim)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ") が直前のデータ(" + f3(prev) + ")より小さくなっています";
        return false;
      }
      if (!(edge > 0.001)) {
        err = "刃長(" + f3(edge) + ")が小さすぎます";
        return false;
      }
      return true;
    }
    case TPM_CORNER_R2:
      t.FR = d.FR;
      t.BR = d.BR;
      t.AR = d.AR;
      if (!(t.AR >= lim)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ") が直前のデータ(" + f3(prev) + ")より小さくなっています";
        return false;
      }
      if (!(t.AR >= 0.002)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ")が小さすぎます";
        return false;
      }
      if (!(t.BR >= 0.001)) {
        err = "BALL_R(" + f3(t.BR) + ")が小さすぎます";
        return false;
      }
      if (!(t.FR >= 0.001)) {
        err = "FLAT_R(" + f3(t.FR) + ")が小さすぎます";
        return false;
      }
      if (!(t.BR + t.FR > t.AR)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ") が BALL_R(" + f3(t.BR) + ")+FLAT_R(" + f3(t.FR) +
              ")より小さくなっていません";
        return false;
      }
      if (!(t.AR > t.FR)) {
        err = "刃径(AREA_R=" + f3(t.AR) + ") が FLAT_R(" + f3(t.FR) + ")より大きくなってません";
        return false;
      }
      t.area_rz = t.BR - std::sqrt(t.BR * t.BR - (t.AR - t.FR) * (t.AR - t.FR));
      if (!(edge >= t.area_rz)) {
        err = "BALL_R部(" + f3(t.area_rz) + ",BR=" + f3(t.BR) + ") より刃長(" + f3(edge) +
              ")の方が短くなってます";
        return false;
      }
      return true;
    default:
      err = "工具タイプ(" + std::to_string(d.type) + ")の指定が間違っています";
      return false;
  }
}

std::string values_text(const TTOOL_PARAM& t) {
  const auto v = [](double x) { return TPM_Float_Text(x); };
  switch (t.type) {
    case TPM_FLAT: return "FR=" + v(t.FR) + ",AR=" + v(t.AR);
    case TPM_BALL:
    case TPM_BALL2: return "BR=" + v(t.BR) + ",AR=" + v(t.AR);
    case TPM_CORNER_R:
    case TPM_CORNER_R2: return "FR=" + v(t.FR) + ",BR=" + v(t.BR) + ",AR=" + v(t.AR);
    case TPM_TAPER:
      return "FR=" + v(t.FR) + ",AR=" + v(t.AR) + ",degA=" + v(t.deg_a) + ",taperA=" +
             v(t.taper_a) + ",taperZX=" + v(t.taper_zx) + ",Area_RZ=" + v(t.area_rz);
    default: return "";
  }
}

}  // namespace

bool TOOL_SHAPE_CLEAR(Tmat& m) {
  m.tpm_count = 0;
  m.tpm_tool_count = 0;
  m.tpm_active = 0;
  m.tool_defined = 0;
  for (TTOOL_PARAM& t : m.tpm) t.description.clear();
  return true;
}

bool MAKE_TOOL_SHAPE(Tmat& m, const TTOOL_SHAPE_DATA& d) {
  m.last_error().clear();
  const int n = m.tpm_count;
  if (n > TOOL_SHAPE_MAX - 1) {
    m.last_error() = "工具形状指定(TPM_MAX=" + std::to_string(n) + ")が最大数(" +
                     std::to_string(TOOL_SHAPE_MAX - 1) + ")を越えました";
    return false;
  }
  if (!all_finite({d.ref_z, d.FR, d.BR, d.AR, d.edge_len, d.effective_len, d.centre_r,
                   d.tool_edge_len, d.taper_half_angle})) {
    m.last_error() = "工具形状の数値の指定が間違っています";
    return false;
  }
  TTOOL_PARAM& t = m.tpm[n];
  t = TTOOL_PARAM{};
  if (n == 0) {
    t.oblique_restricted = d.oblique_restricted;
    t.tool_edge_len = static_cast<float>(d.tool_edge_len);
  }
  t.type = d.type;
  t.ref_z = d.ref_z;
  std::copy(d.color, d.color + 4, t.cut_color);
  t.pass_int = d.pass_int;
  t.pass_value = d.pass_value;
  t.cutting_edge = d.cutting_edge;
  t.centre_r = d.centre_r;
  t.centre_r2 = d.centre_r * d.centre_r;
  if (n > 0 && !(t.ref_z > m.tpm[n - 1].ref_z)) {
    m.last_error() = "形状基準Ｚ位置(" + f3(t.ref_z) + ")が直前のもの(" + f3(m.tpm[n - 1].ref_z) +
                     ")よりマイナスになっています";
    return false;
  }
  t.max_excess_depth = 0;
  t.edge_len = d.edge_len;
  t.effective_len = d.effective_len;
  if (!(t.effective_len >= t.edge_len)) {
    m.last_error() = "有効長(" + f3(t.effective_len) + ")より刃長(" + f3(t.edge_len) +
                     ")の方が長くなっています";
    return false;
  }
  const double prev = n > 0 ? m.tpm[n - 1].AR : 0.0;
  if (!fill_type(t, d, prev, m.last_error())) return false;
  t.FR2 = t.FR * t.FR;
  t.BR2 = t.BR * t.BR;
  t.AR2 = t.AR * t.AR;
  t.description = "[TPM_NUM=" + std::to_string(n) + "] " + type_name(t.type) + values_text(t) +
                  " ), ";
  m.tpm_count = n + 1;
  m.tool_defined = 1;
  return true;
}

bool SET_TOOL_SHAPE(Tmat& m, const TTOOL_SHAPE_DATA& d) {
  const int n = m.tpm_count;
  if (MAKE_TOOL_SHAPE(m, d)) return true;
  plat::message_box("(" + std::to_string(n) + ") " + m.last_error(), "TOOL Data ERROR",
                    plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
  return false;
}

std::string TPM_Float_Text(double v) {
  const double scaled = v * 1000.0 + (v < 0 ? -0.5 : 0.5);
  const double r = static_cast<double>(float_to_int64(scaled)) * 0.001;
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::general, 7);
  std::string s(buf, res.ptr);
  if (s == "-0") s = "0";
  return s;
}

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
