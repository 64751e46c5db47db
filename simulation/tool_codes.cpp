#include "simulation/tool_codes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "common/ats_func.h"
#include "common/debug_log.h"
#include "platform/core/cp932.h"

namespace {

constexpr double kPi = ATS_PI;
double tan_d(double deg) { return std::tan(deg * kPi / 180.0); }
double sin_d(double deg) { return std::sin(deg * kPi / 180.0); }
double cos_d(double deg) { return std::cos(deg * kPi / 180.0); }
const double kTan30 = tan_d(30.0);
const double kTan33 = tan_d(33.0);
const double kTan60 = tan_d(60.0);
const double kTan5 = tan_d(5.0);

std::string i2s(int v) { return std::to_string(v); }
std::string f2s(float v) { return float_to_str(v, 3); }

// ---- reading numbers ------------------------------------------------------------------------

// An optionally signed run of digits.
bool parse_integer(std::string_view s, long long& out) {
  bool neg = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    neg = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return false;
  while (s.size() > 1 && s[0] == '0') s.remove_prefix(1);
  if (s.size() > 18) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  long long v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  out = neg ? -v : v;
  return true;
}

// An optionally signed decimal number with at most one point and at least one digit,
// finite in single precision.
bool parse_real(std::string_view s, double& out) {
  bool neg = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    neg = s[0] == '-';
    s.remove_prefix(1);
  }
  int digits = 0, points = 0;
  for (char c : s) {
    if (c >= '0' && c <= '9') ++digits;
    else if (c == '.') ++points;
    else return false;
  }
  if (digits == 0 || points > 1) return false;
  std::string t(s);
  if (t.front() == '.') t.insert(t.begin(), '0');
  double v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return false;
  if (!std::isfinite(v) || v > std::numeric_limits<float>::max()) return false;
  out = neg ? -v : v;
  return true;
}

// The letters of one comment line, read with the pattern reader. A value that is there but
// malformed counts as absent and is reported once in the debug log.
// Malformed values seen on this thread; the line reader's report counts them per line.
thread_local int malformed_values = 0;

class LetterReader {
 public:
  LetterReader(std::string_view method, std::string_view line, std::string text)
      : method_(method), line_(line), text_(std::move(text)) {}

  std::optional<std::int32_t> integer(std::string_view pattern) {
    const std::string s = _numbers_for_routine(pattern, text_);
    if (s.empty()) return std::nullopt;
    long long v = 0;
    if (parse_integer(s, v) && v >= std::numeric_limits<std::int32_t>::min() &&
        v <= std::numeric_limits<std::int32_t>::max())
      return static_cast<std::int32_t>(v);
    warn(pattern, s);
    return std::nullopt;
  }
  std::optional<float> real(std::string_view pattern) {
    const std::string s = _numbers_for_routine(pattern, text_);
    if (s.empty()) return std::nullopt;
    double v = 0;
    if (parse_real(s, v)) return static_cast<float>(v);
    warn(pattern, s);
    return std::nullopt;
  }
  // A real number taken as an integer (truncated).
  std::optional<std::int32_t> real_as_integer(std::string_view pattern) {
    const std::string s = _numbers_for_routine(pattern, text_);
    if (s.empty()) return std::nullopt;
    double v = 0;
    if (parse_real(s, v) && std::fabs(v) < 2147483648.0) return float_to_int(v);
    warn(pattern, s);
    return std::nullopt;
  }

 private:
  void warn(std::string_view pattern, const std::string& value) {
    ++malformed_values;
    deb_log("警告 : WORK_TOOL_HOLDER_func." + std::string(method_) + "; " +
            std::string(pattern.substr(0, pattern.size() - 1)) + " = \"" + value +
            "\" は不正な数値です : " + std::string(line_));
  }
  std::string_view method_;
  std::string_view line_;
  std::string text_;
};

// The line without leading blanks and tabs.
std::string_view skip_blanks(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return line.substr(i);
}

template <class T>
void set_if(std::optional<T> v, T& field) {
  if (v) field = *v;
}

// ---- writing -------------------------------------------------------------------------------

void clamp_field(float& v) { v = clamp_TOOL_size(v); }
// "v >= lo": v is raised to lo when smaller.
void at_least(float& v, double lo) {
  if (v < lo) v = static_cast<float>(lo);
}
// |v|; NaN becomes 0 and an infinity the largest size, so no text "INF" is ever written.
void make_positive(float& v) {
  if (std::isnan(v)) v = 0.0f;
  else if (std::isinf(v)) v = 400.0f;
  else v = std::fabs(v);
}

void make_holder_positive(THOLDER& h) {
  for (float* v : {&h.dia, &h.h2_tip_dia, &h.h2_len, &h.h2_half_angle, &h.h2_max_dia})
    make_positive(*v);
}

// Keeps room for a 30-degree cone between a shank thicker than the cutting part and that
// part: the protrusion grows, or without free length the shank shrinks to r0.
void neck_rule(TTOOL& t, double r0, double margin) {
  if (t.shank_dia > r0) {
    const double free_len = static_cast<double>(t.protrusion) - t.edge_len;
    if (free_len > 0.001) {
      const double cone = (t.shank_dia - r0) / 2.0 / kTan30;
      if (cone + margin >= free_len) t.protrusion = static_cast<float>(t.edge_len + cone + margin);
    } else {
      t.shank_dia = static_cast<float>(r0);
    }
  }
}

// Clamps the protrusion and keeps it at least the edge length.
void clamp_protrusion(TTOOL& t) {
  clamp_field(t.protrusion);
  at_least(t.protrusion, t.edge_len);
}

// Shank, edge and protrusion of the ball and corner-radius kinds: the edge is at least the
// radius, then the neck rule on the diameter.
void radius_kind_body(TTOOL& t) {
  clamp_field(t.shank_dia);
  clamp_field(t.edge_len);
  at_least(t.edge_len, t.radius);
  clamp_protrusion(t);
  neck_rule(t, t.dia, 0.5);
}

// Corner radius as CORNER_R_EM, TAPER_BALL_EM and TAPER_RADIUS take it.
void corner_radius(TTOOL& t) {
  if (t.radius <= 0) {
    clamp_field(t.dia);
    t.radius = t.dia / 2;
  } else if (t.radius > 200) {
    t.radius = 200;
  }
}
// Taper half angle as TAPER_EM, TAPER_BALL_EM and TAPER_RADIUS take it.
void taper_angle(TTOOL& t) {
  if (t.half_angle <= 0) t.half_angle = 0.001f;
  else if (t.half_angle >= 90) t.half_angle = 89.999f;
}

// What the normalisation of a kind derives: the largest diameter of the cutting part and
// the tip radius of the tool shape (0 without one).
struct KindSizes {
  double cut;
  double ref_radius = 0;
};

// FLAT_EM, INDEXABLE_INS_DRILL, REAMER and STRAIGHT: a plain cylinder.
KindSizes normalise_cylinder(TTOOL& t) {
  clamp_field(t.dia);
  clamp_field(t.shank_dia);
  clamp_field(t.edge_len);
  clamp_protrusion(t);
  neck_rule(t, t.dia, 0.5);
  return {t.dia};
}

KindSizes normalise_ball(TTOOL& t) {
  clamp_field(t.radius);
  clamp_field(t.dia);
  if (2.0 * t.radius < t.dia) t.dia = 2 * t.radius;
  const double r = t.radius, c2 = t.dia / 2.0;
  t.derived2 = static_cast<float>(r - std::sqrt(std::max(0.0, r * r - c2 * c2)));
  radius_kind_body(t);
  return {t.dia, t.radius};
}

KindSizes normalise_corner_r(TTOOL& t) {
  corner_radius(t);
  if (2.0 * t.radius + 0.02 > t.dia) t.dia = static_cast<float>(2.0 * t.radius + 0.02);
  radius_kind_body(t);
  return {t.dia, t.radius};
}

KindSizes normalise_taper(TTOOL& t) {
  if (t.dia <= 0.02f) t.dia = 0.02f;
  else if (t.dia > 400) t.dia = 400;
  taper_angle(t);
  clamp_field(t.edge_len);
  clamp_protrusion(t);
  const double cut = 2.0 * t.edge_len * tan_d(t.half_angle) + t.dia;
  clamp_field(t.shank_dia);
  neck_rule(t, cut, 0.5);
  return {cut};
}

// TAPER_BALL_EM (the ball's tangent circle is the tip diameter) and TAPER_RADIUS (a flat
// part inside the corner radius).
KindSizes normalise_taper_radius(TTOOL& t, bool ball) {
  corner_radius(t);
  taper_angle(t);
  const double r = t.radius, i = t.half_angle;
  const double a = r * tan_d((90.0 - i) / 2.0);
  if (ball) {
    t.dia = static_cast<float>(2.0 * a);
    t.derived1 = static_cast<float>(r * cos_d(i));
  } else {
    clamp_field(t.dia);
    if (2.0 * a + 0.02 > t.dia) t.dia = static_cast<float>(2.0 * a + 0.02);
    t.noedge_dia = static_cast<float>(t.dia - 2.0 * a);
    t.derived1 = static_cast<float>(r * cos_d(i) + t.noedge_dia / 2.0);
  }
  t.derived2 = static_cast<float>(r - r * sin_d(i));
  clamp_field(t.edge_len);
  at_least(t.edge_len, r - r * sin_d(i));
  clamp_protrusion(t);
  const double cut = 2.0 * t.edge_len * tan_d(i) + t.dia;
  clamp_field(t.shank_dia);
  neck_rule(t, cut, 0.5);
  return {cut, t.radius};
}

KindSizes normalise_center_drill(TTOOL& t) {
  t.half_angle = 33;
  clamp_field(t.dia);
  clamp_field(t.shank_dia);
  at_least(t.shank_dia, t.dia);
  const double p = t.dia / 2.0 * kTan33;
  const double q = kTan60 * (t.shank_dia - t.dia) / 2.0 + 0.01;
  clamp_field(t.edge_len);
  if (p + q > t.edge_len) t.edge_len = static_cast<float>(p + q);
  t.derived1 = static_cast<float>(p);
  t.derived2 = static_cast<float>(t.edge_len - q);
  clamp_protrusion(t);
  return {t.shank_dia};
}

KindSizes normalise_drill(TTOOL& t) {
  t.half_angle = 33;
  clamp_field(t.dia);
  clamp_field(t.edge_len);
  const double p = t.dia / 2.0 * kTan33;
  t.derived1 = static_cast<float>(p);
  at_least(t.edge_len, p);
  clamp_field(t.shank_dia);
  clamp_protrusion(t);
  neck_rule(t, t.dia, 0.5);
  return {t.dia};
}

KindSizes normalise_tap(TTOOL& t) {
  t.half_angle = 33;
  clamp_field(t.dia);
  clamp_field(t.noedge_dia);
  if (t.noedge_dia > t.dia) t.noedge_dia = t.dia;
  clamp_field(t.edge_len);
  const double p = (static_cast<double>(t.dia) - t.noedge_dia) * kTan33;
  at_least(t.edge_len, p);
  t.derived1 = static_cast<float>(p / 2.0);
  t.derived2 = static_cast<float>(t.edge_len - p / 2.0);
  t.shank_dia = t.noedge_dia;
  clamp_protrusion(t);
  return {t.dia};
}

KindSizes normalise_boring_bar(TTOOL& t) {
  clamp_field(t.dia);
  at_least(t.dia, 2.0);
  clamp_field(t.noedge_dia);
  if (t.noedge_dia > t.dia - 0.1) t.noedge_dia = static_cast<float>(t.dia - 0.1);
  if (t.noedge_dia < t.dia / 2.0) t.noedge_dia = t.dia / 2;
  t.derived1 = static_cast<float>((static_cast<double>(t.dia) - t.noedge_dia) / 2.0);
  clamp_field(t.edge_len);
  at_least(t.edge_len, t.dia / 2.0);
  clamp_field(t.shank_dia);
  clamp_protrusion(t);
  neck_rule(t, t.dia - 2.0 * t.derived1 / 3.0, 0.5);
  return {t.dia};
}

KindSizes normalise_face_mill(TTOOL& t) {
  clamp_field(t.dia);
  clamp_field(t.edge_len);
  if (t.edge_len > t.dia / 4.0) t.edge_len = t.dia / 4;
  clamp_field(t.shank_dia);
  clamp_field(t.protrusion);
  if (2.0 * t.edge_len > t.protrusion) t.protrusion = 2 * t.edge_len;
  // The neck starts above the edge, at twice the edge length.
  const double r0 = t.dia - 2.0 * t.edge_len;
  if (t.shank_dia > r0) {
    if (static_cast<double>(t.protrusion) - t.edge_len > 0.001) {
      const double cone = (t.shank_dia - r0) / 2.0 / kTan30;
      if (cone + 0.5 >= static_cast<double>(t.protrusion) - 2.0 * t.edge_len)
        t.protrusion = static_cast<float>(2.0 * t.edge_len + cone + 0.5);
    } else {
      t.shank_dia = static_cast<float>(r0);
    }
  }
  return {t.dia};
}

// FACE_MILL_MARU (round inserts: their radius is the tip radius) and FACE_MILL_KAKU.
KindSizes normalise_insert_face_mill(TTOOL& t, bool round) {
  clamp_field(t.dia);
  if (t.radius <= 0.02f) t.radius = static_cast<float>(0.4 * t.dia);
  if (t.radius > 0.4 * t.dia) t.radius = static_cast<float>(0.4 * t.dia);
  if (1.5 * t.radius > t.edge_len) t.edge_len = static_cast<float>(1.5 * t.radius);
  clamp_field(t.shank_dia);
  clamp_protrusion(t);
  neck_rule(t, t.dia, 0.5);
  return {t.dia, round ? t.radius : 0.0};
}

KindSizes normalise_t_slot(TTOOL& t) {
  clamp_field(t.dia);
  at_least(t.dia, 2.1);
  at_least(t.noedge_dia, 1.1);
  if (t.noedge_dia > t.dia - 1.0) t.noedge_dia = static_cast<float>(t.dia - 1.0);
  const double e = 2.0 * kTan5 * (static_cast<double>(t.dia) - t.noedge_dia) / 2.0 + 0.1;
  if (t.radius <= e) t.radius = static_cast<float>(e);
  if (t.radius + 4.0 > t.edge_len) t.edge_len = static_cast<float>(t.radius + 4.0);
  clamp_protrusion(t);
  clamp_field(t.shank_dia);
  neck_rule(t, t.noedge_dia - 1.0, 0.0);
  return {t.dia};
}

KindSizes normalise_o_ring(TTOOL& t) {
  clamp_field(t.dia);
  at_least(t.noedge_dia, 0.02);
  if (t.noedge_dia > t.dia - 0.02) t.noedge_dia = static_cast<float>(t.dia - 0.02);
  const double w = (static_cast<double>(t.dia) - t.noedge_dia) / 2.0;
  if (t.radius >= w / 2.0 - 0.02) t.radius = static_cast<float>(w / 2.0 - 0.02);
  if (t.radius < 0.02f) t.radius = 0;
  clamp_field(t.edge_len);
  clamp_protrusion(t);
  clamp_field(t.shank_dia);
  if (t.shank_dia > t.dia) {
    const double free_len = static_cast<double>(t.protrusion) - t.edge_len;
    if (free_len <= 0.001) {
      t.shank_dia = clamp_TOOL_size(t.noedge_dia - 1.0f);
    } else {
      const double cone = (static_cast<double>(t.shank_dia) - t.dia) / 2.0 / kTan30;
      if (cone + 2.0 >= free_len) t.protrusion = static_cast<float>(t.edge_len + cone + 2.0);
    }
  }
  return {t.dia};
}

KindSizes normalise_rev_taper(TTOOL& t) {
  clamp_field(t.dia);
  if (t.half_angle <= 0) t.half_angle = 0.001f;
  else if (t.half_angle >= 45) t.half_angle = 45;
  clamp_field(t.edge_len);
  const double p = t.edge_len * tan_d(t.half_angle);
  if (2.0 * p + 0.1 > t.dia) t.dia = static_cast<float>(2.0 * p + 0.1);
  const double cut = t.dia - (2.0 * p + 0.1);
  clamp_field(t.shank_dia);
  clamp_protrusion(t);
  neck_rule(t, cut, 0.5);
  return {cut};
}

KindSizes normalise_inner_r(TTOOL& t) {
  if (t.radius < 0.1f) t.radius = 0.1f;
  else if (t.radius > 199) t.radius = 199;
  clamp_field(t.noedge_dia);
  if (2.0 * t.radius + t.noedge_dia > 400)
    t.noedge_dia = static_cast<float>(400.0 - 2.0 * t.radius);
  if (t.half_angle < 0.001f) t.half_angle = 0;
  else if (t.half_angle >= 30) t.half_angle = 30;
  clamp_field(t.dia);
  if (2.0 * t.radius + t.noedge_dia > t.dia)
    t.dia = static_cast<float>(2.0 * t.radius + t.noedge_dia);
  clamp_field(t.edge_len);
  at_least(t.edge_len, t.radius);
  clamp_field(t.protrusion);
  if (2.0 * t.edge_len + 2.0 > t.protrusion)
    t.protrusion = static_cast<float>(2.0 * t.edge_len + 2.0);
  clamp_field(t.shank_dia);
  if (t.shank_dia > t.dia) {
    const double free_len = static_cast<double>(t.protrusion) - 2.0 * t.edge_len;
    if (free_len > 0.001) {
      const double cone = (static_cast<double>(t.shank_dia) - t.dia) / 2.0 / kTan30;
      if (cone + 2.0 >= free_len)
        t.protrusion = static_cast<float>(2.0 * t.edge_len + cone + 2.0);
    } else {
      t.shank_dia = t.dia;
    }
  }
  return {t.dia};
}

// The kind's normalisation and derived fields.
void normalise_tool(TTOOL& t) {
  const int kind = t.T_category;
  KindSizes k{};
  switch (kind) {
    case TOOL_KIND_FLAT_EM:
    case TOOL_KIND_INDEXABLE_INS_DRILL:
    case TOOL_KIND_REAMER:
    case TOOL_KIND_STRAIGHT: k = normalise_cylinder(t); break;
    case TOOL_KIND_BALL_EM: k = normalise_ball(t); break;
    case TOOL_KIND_CORNER_R_EM: k = normalise_corner_r(t); break;
    case TOOL_KIND_TAPER_EM: k = normalise_taper(t); break;
    case TOOL_KIND_TAPER_BALL_EM: k = normalise_taper_radius(t, true); break;
    case TOOL_KIND_TAPER_RADIUS: k = normalise_taper_radius(t, false); break;
    case TOOL_KIND_CENTER_DRILL: k = normalise_center_drill(t); break;
    case TOOL_KIND_DRILL: k = normalise_drill(t); break;
    case TOOL_KIND_TAP: k = normalise_tap(t); break;
    case TOOL_KIND_BORING_BAR: k = normalise_boring_bar(t); break;
    case TOOL_KIND_FACE_MILL: k = normalise_face_mill(t); break;
    case TOOL_KIND_FACE_MILL_MARU: k = normalise_insert_face_mill(t, true); break;
    case TOOL_KIND_FACE_MILL_KAKU: k = normalise_insert_face_mill(t, false); break;
    case TOOL_KIND_T_SLOT: k = normalise_t_slot(t); break;
    case TOOL_KIND_O_RING: k = normalise_o_ring(t); break;
    case TOOL_KIND_REV_TAPER: k = normalise_rev_taper(t); break;
    case TOOL_KIND_INNER_R: k = normalise_inner_r(t); break;
    default: return;  // TOOL_KIND_NONE and unknown kinds keep their values
  }
  t.cut_dia = static_cast<float>(k.cut);
  if ((kind >= TOOL_KIND_TAPER_EM && kind <= TOOL_KIND_TAP) || kind == TOOL_KIND_REV_TAPER)
    t.tan_half_angle = static_cast<float>(tan_d(t.half_angle));
  t.ref_dia = kind == TOOL_KIND_INNER_R ? t.noedge_dia : t.dia;
  t.ref_radius = static_cast<float>(k.ref_radius);
}

// The letters H, I and J that the tool line of a kind carries.
struct KindLetters {
  bool H = false, I = false, J = false;
};
KindLetters written_letters(int kind) {
  switch (kind) {
    case TOOL_KIND_BALL_EM:
    case TOOL_KIND_CORNER_R_EM:
    case TOOL_KIND_FACE_MILL_MARU:
    case TOOL_KIND_FACE_MILL_KAKU: return {true, false, false};
    case TOOL_KIND_TAPER_EM:
    case TOOL_KIND_REV_TAPER: return {false, true, false};
    case TOOL_KIND_TAPER_BALL_EM:
    case TOOL_KIND_TAPER_RADIUS: return {true, true, false};
    case TOOL_KIND_TAP:
    case TOOL_KIND_BORING_BAR: return {false, false, true};
    case TOOL_KIND_T_SLOT:
    case TOOL_KIND_O_RING: return {true, false, true};
    case TOOL_KIND_INNER_R: return {true, true, true};
    default: return {};
  }
}

std::string tool_line_of(const TTOOL& t) {
  const int kind = t.T_category;
  const KindLetters w = written_letters(kind);
  std::string s = "(VLM T" + i2s(t.T_number) + " A" + i2s(kind) + "B" + i2s(t.edge_color) + "C" +
                  f2s(t.dia) + "D" + f2s(t.edge_len);
  s += "E" + i2s(t.shank_color) + "F" + f2s(t.protrusion) + "G" + f2s(t.shank_dia);
  const std::string H = "H" + f2s(t.radius), I = "I" + f2s(t.half_angle),
                    J = "J" + f2s(t.noedge_dia);
  // J belongs to the E group of these two.
  if (kind == TOOL_KIND_T_SLOT || kind == TOOL_KIND_O_RING) s += J + H;
  else s += (w.H ? H : "") + (w.I ? I : "") + (w.J ? J : "");
  return s + ")";
}

// The value that a reader gets back from the written text of v.
float as_written(float v) {
  double d = 0;
  return parse_real(f2s(v), d) ? static_cast<float>(d) : v;
}
void round_to_written(float& v) { v = as_written(v); }

// Passes of settle_line; a line settles after two or three.
constexpr int kSettlePasses = 8;

void round_tool_to_written(TTOOL& t) {
  for (float* v : {&t.dia, &t.edge_len, &t.protrusion, &t.shank_dia}) round_to_written(*v);
  const KindLetters w = written_letters(t.T_category);
  if (w.H) round_to_written(t.radius);
  if (w.I) round_to_written(t.half_angle);
  if (w.J) round_to_written(t.noedge_dia);
}

// The name between quotes; characters that would end the comment or the quoted text early
// are written full-width.
std::string name_line_of(const TTOOL& t) {
  std::string name;
  for (std::size_t i = 0; i < t.name.size();) {
    const std::size_t n = plat::sjis_char_len(t.name, i);
    const char c = t.name[i];
    if (n == 1 && c == '(') name += "（";
    else if (n == 1 && c == ')') name += "）";
    else if (n == 1 && c == '"') name += "”";
    else name.append(t.name, i, n);
    i += n;
  }
  return "(VLM N" + i2s(t.T_number) + " \"" + name + "\" )";
}

// The first slot 0..count-1 with this tool number.
TTTOOL_HOLDER_tmp* find_slot(TTOOL_HOLDER_tmp& m, int number) {
  for (int k = 0; k < m.used(); ++k)
    if (m.slot[k].T_number == number) return &m.slot[k];
  return nullptr;
}

}  // namespace

float clamp_TOOL_size(float v) {
  if (!(v > 0.1f)) return 0.1f;  // also NaN
  if (v > 400.0f) return 400.0f;
  return v;
}

namespace {

void normalise_holder(const TTOOL& t, THOLDER& h) {
  double m = std::max({static_cast<double>(t.cut_dia), static_cast<double>(t.dia),
                       static_cast<double>(t.shank_dia)});
  if (h.h2_used) {
    clamp_field(h.h2_tip_dia);
    if (m <= h.h2_tip_dia) m = h.h2_tip_dia;
    else h.h2_tip_dia = static_cast<float>(m);
    clamp_field(h.h2_len);
    if (h.h2_tapered) {
      if (h.h2_half_angle <= 0) h.h2_half_angle = 0.001f;
      else if (h.h2_half_angle >= 90) h.h2_half_angle = 89.999f;
      clamp_field(h.h2_max_dia);
      if (h.h2_max_dia <= h.h2_tip_dia) h.h2_max_dia = static_cast<float>(h.h2_tip_dia + 0.2);
      h.taper_len = static_cast<float>((static_cast<double>(h.h2_max_dia) - h.h2_tip_dia) / 2.0 /
                                       tan_d(h.h2_half_angle));
      if (h.h2_len < h.taper_len) h.h2_len = h.taper_len;
      m = h.h2_max_dia;
    } else {
      h.h2_max_dia = h.h2_tip_dia;
    }
  }
  if (h.dia < m) h.dia = static_cast<float>(m);
}

void round_holder_to_written(THOLDER& h) {
  round_to_written(h.dia);
  if (!h.h2_used) return;
  round_to_written(h.h2_tip_dia);
  round_to_written(h.h2_len);
  if (!h.h2_tapered) return;
  round_to_written(h.h2_half_angle);
  round_to_written(h.h2_max_dia);
}

std::string holder_line_of(const THOLDER& h) {
  std::string s = "(VLM H" + i2s(h.H_number) + " A" + i2s(h.color) + "B" + f2s(h.dia);
  if (h.h2_used) {
    s += "C" + i2s(h.h2_color) + "D" + f2s(h.h2_tip_dia) + "E" + f2s(h.h2_len);
    if (h.h2_tapered) s += "F" + f2s(h.h2_half_angle) + "G" + f2s(h.h2_max_dia);
  }
  return s + ")";
}

// Normalises again from the values that the line holds until the line no longer changes:
// then reading the line and normalising gives this same line. (A rounded value can take
// another branch of the rules, a rounded angle or diameter can move a derived size across
// a rounding step, so one pass is not always enough.)
template <class Round, class Normalise, class Line>
std::string settle_line(Round round, Normalise normalise, Line line) {
  std::string text = line();
  for (int pass = 0; pass < kSettlePasses; ++pass) {
    round();
    normalise();
    std::string next = line();
    if (next == text) break;
    text = std::move(next);
  }
  return text;
}

}  // namespace

void make_HOLDER_comment(const TTOOL& t, THOLDER& h) {
  make_holder_positive(h);
  normalise_holder(t, h);
  h.holder_line = settle_line([&] { round_holder_to_written(h); }, [&] { normalise_holder(t, h); },
                              [&] { return holder_line_of(h); });
}

bool make_TOOL_comment_lines(TTOOL& t, THOLDER& h) {
  make_holder_positive(h);
  for (float* v : {&t.dia, &t.edge_len, &t.protrusion, &t.shank_dia, &t.radius, &t.half_angle,
                   &t.noedge_dia})
    make_positive(*v);
  if (t.T_category < 0 || t.T_category >= kToolKinds) t.T_category = TOOL_KIND_NONE;
  t.cut_dia = t.tan_half_angle = t.derived1 = t.derived2 = t.ref_dia = t.ref_radius = 0;
  normalise_tool(t);
  if (t.T_category != TOOL_KIND_NONE)
    t.tool_line = settle_line([&] { round_tool_to_written(t); }, [&] { normalise_tool(t); },
                              [&] { return tool_line_of(t); });
  else
    t.tool_line = tool_line_of(t);
  if (t.T_category == TOOL_KIND_NONE) {
    h.holder_line = "(VLM H" + i2s(t.T_number) + " A49B72)";
    t.name = "未設定";
  } else {
    make_HOLDER_comment(t, h);
  }
  t.name_line = name_line_of(t);
  return true;
}

void get_TOOL_from_comment(std::string_view line, TTOOL& t) {
  set_default_TOOL(t);
  line = skip_blanks(line);
  LetterReader r("get_TOOL_from_comment", line, get_VLM_comment_body(line));
  set_if(r.integer("T#"), t.T_number);
  set_if(r.integer("A#"), t.T_category);
  set_if(r.integer("B#"), t.edge_color);
  set_if(r.real("C%"), t.dia);
  set_if(r.real("D%"), t.edge_len);
  set_if(r.real_as_integer("E%"), t.shank_color);
  set_if(r.real("F%"), t.protrusion);
  set_if(r.real("G%"), t.shank_dia);
  set_if(r.real("H%"), t.radius);
  set_if(r.real("I%"), t.half_angle);
  set_if(r.real("J%"), t.noedge_dia);
  const auto z = r.real("Z%");
  t.Z_given = z ? 1 : 0;
  if (z) t.Z_value = *z;
}

TTOOL read_TOOL_comment(std::string_view line) {
  TTOOL t;
  get_TOOL_from_comment(line, t);
  return t;
}

THOLDER read_HOLDER_comment(std::string_view line) {
  THOLDER h;
  set_default_HOLDER(h);
  line = skip_blanks(line);
  LetterReader r("read_HOLDER_comment", line, get_VLM_comment_body(line));
  set_if(r.integer("H#"), h.H_number);
  set_if(r.integer("A#"), h.color);
  set_if(r.real("B%"), h.dia);
  const auto c = r.integer("C#");
  h.h2_used = c ? 1 : 0;
  h.h2_tapered = 0;
  if (c) {
    h.h2_color = *c;
    set_if(r.real("D%"), h.h2_tip_dia);
    set_if(r.real("E%"), h.h2_len);
    const auto f = r.real("F%");
    if (f) {
      h.h2_tapered = 1;
      h.h2_half_angle = *f;
      set_if(r.real("G%"), h.h2_max_dia);
      const auto z = r.real("Z%");
      h.Z_given = z ? 1 : 0;
      if (z) h.Z_value = *z;
    }
  }
  return h;
}

TOOL_NAME_COMMENT read_NAME_comment(std::string_view line) {
  TOOL_NAME_COMMENT out;
  std::size_t n_pos = std::string_view::npos;
  for (std::size_t i = 0; i < line.size(); i += plat::sjis_char_len(line, i)) {
    if (line[i] == 'N' || line[i] == 'n') {
      n_pos = i;
      break;
    }
  }
  if (n_pos == std::string_view::npos) return out;
  const std::string_view text = line.substr(n_pos > 0 ? n_pos - 1 : 0);
  LetterReader r("read_NAME_comment", line, std::string(text));
  set_if(r.integer("N#"), out.number);
  out.name = get_quoted_text(text);
  return out;
}

bool set_TOOL_name_from_comment(std::string_view line, TTOOL_HOLDER_tmp& m) {
  const TOOL_NAME_COMMENT c = read_NAME_comment(line);
  if (c.number == -1 || c.name.empty()) return false;
  TTTOOL_HOLDER_tmp* s = find_slot(m, c.number);
  if (!s) return false;
  s->tool.name = c.name;
  return true;
}

bool set_TOOL_from_comment(std::string_view line, TTOOL_HOLDER_tmp& m) {
  line = skip_blanks(line);
  LetterReader r("set_TOOL_from_comment", line, get_VLM_comment_body(line));
  const auto number = r.integer("T#");
  if (!number) return false;
  TTTOOL_HOLDER_tmp* s = find_slot(m, *number);
  if (!s || s->tool_set) return false;
  TTOOL t = read_TOOL_comment(line);
  if (!s->tool.name.empty()) t.name = s->tool.name;
  s->tool = std::move(t);
  s->tool_set = 1;
  return true;
}

bool set_HOLDER_from_comment(std::string_view line, TTOOL_HOLDER_tmp& m) {
  line = skip_blanks(line);
  LetterReader r("set_HOLDER_from_comment", line, get_VLM_comment_body(line));
  const auto number = r.integer("H#");
  if (!number) return false;
  TTTOOL_HOLDER_tmp* s = find_slot(m, *number);
  if (!s || s->holder_set) return false;
  s->holder = read_HOLDER_comment(line);
  s->holder_set = 1;
  return true;
}

void Preset_TOOL_HOLDER_list(TTOOL_HOLDER_tmp& m) {
  for (int k = 0; k < m.used(); ++k) {
    TTTOOL_HOLDER_tmp& s = m.slot[k];
    if (!s.tool_set) {
      set_default_TOOL(s.tool);
      s.tool.T_number = s.T_number;
      s.tool_set = 1;
    }
    if (!s.holder_set) {
      set_default_HOLDER(s.holder);
      s.holder.H_number = s.T_number;
      s.holder_set = 1;
    }
    const bool unnamed = s.tool.name.empty();
    make_TOOL_comment_lines(s.tool, s.holder);
    // The automatic name tells the normalised sizes.
    if (unnamed) {
      get_TOOL_kind_text(s.tool);
      s.tool.name_line = name_line_of(s.tool);
    }
  }
}

void read_TOOL_comment_lines(const std::vector<std::string>& lines, TTOOL_HOLDER_tmp& m,
                             std::vector<TOOL_LINE_USE>* report) {
  m.count = 0;
  if (report) report->assign(lines.size(), TOOL_LINE_USE::not_taken);
  bool full_reported = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = skip_blanks(lines[i]);
    const int malformed_before = malformed_values;
    bool taken = false;
    const std::string letter = _numbers_for_routine("VLM ?", line);
    if (letter == "N") {
      LetterReader r("read_TOOL_comment_lines", line, std::string(line));
      const auto number = r.integer("vlm N#");
      if (number) {
        if (m.count >= kMagazineReadLimit) {
          if (!full_reported)
            deb_log("警告 : WORK_TOOL_HOLDER_func.read_TOOL_comment_lines; 工具は " +
                    i2s(kMagazineReadLimit) + " 本までです。無視しました : " + std::string(line));
          full_reported = true;
        } else {
          TTTOOL_HOLDER_tmp& s = m.slot[m.count];
          s = TTTOOL_HOLDER_tmp{};
          s.T_number = *number;
          ++m.count;
          set_TOOL_name_from_comment(line, m);
          taken = true;
        }
      }
    } else if (letter == "T") {
      taken = set_TOOL_from_comment(line, m);
    } else if (letter == "H") {
      taken = set_HOLDER_from_comment(line, m);
    }
    if (report)
      (*report)[i] = malformed_values != malformed_before ? TOOL_LINE_USE::malformed
                     : taken                              ? TOOL_LINE_USE::taken
                                                          : TOOL_LINE_USE::not_taken;
  }
  Preset_TOOL_HOLDER_list(m);
}
