#include "simulation/tool_shape.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/core/msgbox.h"
#include "simulation/sim_text.h"

namespace {

constexpr double kPi = ATS_PI;

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

// False with `err` set when a size of the filled section lies beyond TOOL_SHAPE_SIZE_MAX
// (the first tool edge length is kept in the first section only).
bool sizes_bounded(const TTOOL_PARAM& t, std::string& err) {
  const std::pair<const char*, double> sizes[] = {
      {"REF_Z", t.ref_z},        {"FLAT_R", t.FR},          {"BALL_R", t.BR},
      {"AREA_R", t.AR},          {"EDGE_L", t.edge_len},    {"EFFECT_L", t.effective_len},
      {"CENTER_R", t.centre_r},  {"TOOL_EDGE_L", t.tool_edge_len},
  };
  for (const auto& [name, v] : sizes) {
    if (std::fabs(v) > TOOL_SHAPE_SIZE_MAX) {
      err = std::string("工具形状の寸法(") + name + "=" + f3(v) + ")が範囲(±" +
            std::to_string(float_to_int(TOOL_SHAPE_SIZE_MAX)) + ")外です";
      return false;
    }
  }
  return true;
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
  if (!sizes_bounded(t, m.last_error())) return false;
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
