#include "common/stroke_font.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace {

// One glyph of the font in its 0.4 x 0.6 cell: the run lengths (0 ends them early) and
// the x, y pairs of all runs in order.
struct GlyphDef {
  char ch;
  float advance;
  std::int8_t runs[2];
  float xy[22];
};

// clang-format off
constexpr GlyphDef kGlyphs[] = {
  {' ', 0.2f, {0, 0}, {}},
  {'(', 0.4f, {4, 0}, {0.25f,0, 0.15f,0.15f, 0.15f,0.35f, 0.25f,0.5f}},
  {')', 0.4f, {4, 0}, {0.15f,0, 0.25f,0.15f, 0.25f,0.35f, 0.15f,0.5f}},
  {'+', 0.5f, {2, 2}, {0.1f,0.3f, 0.4f,0.3f,  0.25f,0.45f, 0.25f,0.15f}},
  {'-', 0.5f, {2, 0}, {0.1f,0.3f, 0.4f,0.3f}},
  {'.', 0.2f, {5, 0}, {0.05f,0.1f, 0.05f,0, 0.15f,0, 0.15f,0.1f, 0.05f,0.1f}},
  {'0', 0.4f, {5, 0}, {0.1f,0, 0.1f,0.5f, 0.3f,0.5f, 0.3f,0, 0.1f,0}},
  {'1', 0.4f, {2, 0}, {0.2f,0.6f, 0.2f,0}},
  {'2', 0.4f, {7, 0}, {0.1f,0.6f, 0.3f,0.6f, 0.3f,0.35f, 0.15f,0.35f, 0.1f,0.3f, 0.1f,0, 0.3f,0}},
  {'3', 0.4f, {4, 2}, {0.1f,0.6f, 0.3f,0.6f, 0.3f,0, 0.1f,0,  0.1f,0.35f, 0.3f,0.35f}},
  {'4', 0.4f, {4, 0}, {0.25f,0, 0.25f,0.63f, 0.05f,0.15f, 0.3f,0.15f}},
  {'5', 0.4f, {6, 0}, {0.3f,0.6f, 0.1f,0.6f, 0.1f,0.35f, 0.3f,0.35f, 0.3f,0, 0.1f,0}},
  {'6', 0.4f, {6, 0}, {0.3f,0.6f, 0.1f,0.6f, 0.1f,0, 0.3f,0, 0.3f,0.35f, 0.1f,0.35f}},
  {'7', 0.4f, {3, 0}, {0.07f,0.6f, 0.3f,0.6f, 0.12f,0}},
  {'8', 0.4f, {5, 2}, {0.3f,0.6f, 0.1f,0.6f, 0.1f,0, 0.3f,0, 0.3f,0.6f,  0.3f,0.35f, 0.1f,0.35f}},
  {'9', 0.4f, {6, 0}, {0.1f,0, 0.3f,0, 0.3f,0.6f, 0.1f,0.6f, 0.1f,0.35f, 0.3f,0.35f}},
  // the degree sign
  {';', 0.4f, {5, 0}, {0.1f,0.45f, 0.2f,0.45f, 0.2f,0.6f, 0.1f,0.6f, 0.1f,0.45f}},
  // the diameter sign: an octagon and a slash
  {'@', 0.4f, {9, 2}, {0.2f,0.075f, 0.271f,0.104f, 0.3f,0.175f, 0.271f,0.245f, 0.2f,0.275f,
                       0.129f,0.245f, 0.1f,0.175f, 0.129f,0.104f, 0.2f,0.075f,
                       0.1f,0, 0.3f,0.35f}},
  {'X', 0.4f, {2, 2}, {0.1f,0, 0.3f,0.6f,  0.3f,0, 0.1f,0.6f}},
  {'Y', 0.4f, {3, 2}, {0.1f,0.6f, 0.2f,0.35f, 0.2f,0,  0.2f,0.35f, 0.3f,0.6f}},
  {'Z', 0.4f, {4, 0}, {0.1f,0.6f, 0.3f,0.6f, 0.1f,0, 0.3f,0}},
  {'r', 0.4f, {2, 3}, {0.1f,0, 0.1f,0.35f,  0.1f,0.18f, 0.2f,0.35f, 0.3f,0.25f}},
};
// clang-format on

// Every character without its own strokes.
constexpr GlyphDef kFallback = {0, 0.4f, {2, 0}, {0.1f, 0.6f, 0.3f, 0}};

const GlyphDef& find_glyph(char c) {
  for (const GlyphDef& g : kGlyphs)
    if (g.ch == c) return g;
  return kFallback;
}

constexpr float kPi = static_cast<float>(ATS_PI);

// Turns the point (u, w) of a local frame by the angle whose sine and cosine are given and
// moves it to `o`.
VEC3 from_frame(float u, float w, float sn, float cs, const VEC3& o) {
  return {o.x + u * cs - w * sn, o.y + u * sn + w * cs, o.z};
}

// Lays the text out with place_glyph at size h, pen from 0, keeping at most `max_chars`;
// returns the width.
float lay_out_text(std::string_view text, float h, int max_chars, TStroke_text& out) {
  float pen = 0;
  out.count = 0;
  for (char c : text) {
    if (out.count >= max_chars) break;
    out.glyphs[out.count++] = place_glyph(c, pen, h);
  }
  return pen;
}

float text_width(std::string_view text, float h, int max_chars) {
  float pen = 0;
  int n = 0;
  for (char c : text) {
    if (n++ >= max_chars) break;
    pen += stroke_char(c, h).advance;
  }
  return pen;
}

void move_glyphs(TStroke_text& out, float dx, float dy, float dz) {
  for (int i = 0; i < out.count; ++i) {
    TStroke_figure& g = out.glyphs[i];
    for (int k = 0; k < g.count; ++k) {
      g.points[k].x += dx;
      g.points[k].y += dy;
      g.points[k].z += dz;
    }
  }
}

// Shared by the radius, diameter and angle figures: the text line at the anchor and the
// text above it, placed by the side s. Returns the text width.
float place_text_at_anchor(const VEC3& anchor, float a, float h, float s, std::string_view text,
                          TStroke_text& out) {
  const float w = lay_out_text(text, h, kDim_text_max_chars, out);
  VEC3 line[2] = {anchor, anchor};
  float shift = 0;
  if (s == 0) {
    shift = -w / 2;
  } else if (s < 0) {
    line[0].x -= w;
    shift = -w;
  } else {
    line[1].x += w;
  }
  out.figure.add_run(line, 2);
  move_glyphs(out, anchor.x + shift, anchor.y + 0.8f * std::fabs(a), anchor.z);
  return w;
}

std::string value_text(float v) { return float_to_str(v, 3); }

// The radius and diameter figures; `outward` keeps the leader running from the centre.
void make_dim_arc(const VEC3& P, const VEC3& Q, const VEC3& C, float a, float e, float h,
                  float s, bool outward, const std::string& text, TStroke_text& out) {
  float a1 = Get_Angle_2D(P.x - C.x, P.y - C.y);
  const float a2 = Get_Angle_2D(Q.x - C.x, Q.y - C.y);
  if (a2 < a1) a1 += 2 * kPi;
  const float m = (a1 + a2) / 2;
  const float r = std::hypot(P.x - C.x, P.y - C.y);
  const float sn = Sin_Z(m), cs = Cos_Z(m);

  out.figure.clear();
  out.figure.height = h;
  VEC3 leader[2] = {from_frame(0, 0, sn, cs, C), from_frame(r + e, 0, sn, cs, C)};
  const VEC3 anchor = leader[1];
  if (s < 0 && !outward) std::swap(leader[0], leader[1]);
  const VEC3 arrow[3] = {from_frame(r + a, a / 3, sn, cs, C), from_frame(r, 0, sn, cs, C),
                         from_frame(r + a, -a / 3, sn, cs, C)};
  out.figure.add_run(leader, 2);
  out.figure.add_run(arrow, 3);
  out.figure.advance = place_text_at_anchor(anchor, a, h, s, text, out);
}

}  // namespace

void TStroke_figure::clear() {
  height = 0.6f;
  advance = 0.4f;
  count = 0;
  runs[0] = -1;
}

int TStroke_figure::run_count() const {
  int n = 0;
  while (n < kStroke_max_runs && runs[n] >= 0) ++n;
  return n;
}

bool TStroke_figure::add_run(const VEC3* p, int n) {
  const int r = run_count();
  if (n <= 0 || r + 1 >= kStroke_max_runs || count + n > kStroke_max_points) return false;
  for (int i = 0; i < n; ++i) points[count + i] = p[i];
  count += n;
  runs[r] = static_cast<std::int8_t>(n);
  runs[r + 1] = -1;
  return true;
}

TStroke_figure stroke_char(char c, float size) {
  const GlyphDef& g = find_glyph(c);
  const float k = size * 1.6666667f;
  TStroke_figure f;
  f.clear();
  const float* xy = g.xy;
  for (std::int8_t n : g.runs) {
    if (n <= 0) break;
    VEC3 p[kStroke_max_points];
    for (int i = 0; i < n; ++i, xy += 2) p[i] = {xy[0] * k, xy[1] * k, 0};
    f.add_run(p, n);
  }
  f.height = 0.6f * k;
  f.advance = g.advance * k;
  return f;
}

TStroke_figure place_glyph(char c, float& pen_x, float size) {
  TStroke_figure f = stroke_char(c, size);
  for (int i = 0; i < f.count; ++i) f.points[i].x += pen_x;
  pen_x += f.advance;
  return f;
}

TStroke_figure place_glyph_centred(char c, float& pen_x, float size) {
  TStroke_figure f = place_glyph(c, pen_x, size);
  for (int i = 0; i < f.count; ++i) f.points[i].y -= 0.5f * size;
  return f;
}

void make_3D_text_strokes(int mode, std::string_view text, TStroke_text& out, float L, float g,
                          float h, const VEC3& O) {
  float w = 0;
  out.count = 0;
  for (char c : text) {
    if (out.count >= kStroke_text_glyphs) break;
    out.glyphs[out.count++] = place_glyph_centred(c, w, h);
  }
  out.figure.clear();
  out.figure.height = h;
  out.figure.advance = w;

  const float d = std::sqrt(0.5f);  // cos 45 = sin 45
  VEC3 leader[2];
  switch (mode) {
    case 1: leader[0] = {O.x + g, O.y, O.z}; leader[1] = {O.x + L - g, O.y, O.z}; break;
    case 2: leader[0] = {O.x, O.y + g, O.z}; leader[1] = {O.x, O.y + L - g, O.z}; break;
    case 3: leader[0] = {O.x - g, O.y, O.z}; leader[1] = {O.x - L + g, O.y, O.z}; break;
    case 4:
      leader[0] = {O.x + g * d, O.y + g * d, O.z};
      leader[1] = {O.x + (L - g) * d, O.y + (L - g) * d, O.z};
      break;
    case 11: leader[0] = {O.x - g, O.y, O.z}; leader[1] = {O.x - (L - g), O.y, O.z}; break;
    case 22: leader[0] = {O.x, O.y - g, O.z}; leader[1] = {O.x, O.y - (L - g), O.z}; break;
    default: return;
  }
  out.figure.add_run(leader, 2);

  for (int i = 0; i < out.count; ++i) {
    TStroke_figure& f = out.glyphs[i];
    for (int k = 0; k < f.count; ++k) {
      VEC3& p = f.points[k];
      const float gx = p.x, gy = p.y;
      switch (mode) {
        case 1: p = {O.x + L + gx, O.y + gy, O.z}; break;
        case 2: p = {O.x - gy, O.y + L + gx, O.z}; break;
        case 3: p = {O.x - L - w + gx, O.y, O.z + gy}; break;
        case 4: p = {O.x + (L + gx) * d, O.y + (L + gx) * d, O.z + gy}; break;
        case 11: p = {O.x - (gx + L) - w, O.y + gy, O.z}; break;
        case 22: p = {O.x - gy, O.y - (gx + L) - w, O.z}; break;
      }
    }
  }
}

void make_dim_radius(const VEC3& P, const VEC3& Q, const VEC3& C, float a, float e, float h,
                     float s, float v, std::string_view prefix, std::string_view suffix,
                     TStroke_text& out) {
  const std::string text = std::string(prefix) + "r" + value_text(v) + std::string(suffix);
  make_dim_arc(P, Q, C, a, e, h, s, false, text, out);
}

void make_dim_diameter(const VEC3& P, const VEC3& Q, const VEC3& C, float a, float e, float h,
                       float s, float v, std::string_view prefix, std::string_view suffix,
                       TStroke_text& out) {
  const std::string text = std::string(prefix) + "@" + value_text(v) + std::string(suffix);
  make_dim_arc(P, Q, C, a, e, h, s, true, text, out);
}

void make_dim_angle(const VEC3& P, const VEC3& Q, float a, float leader, float h, float s,
                    float v, std::string_view prefix, std::string_view suffix, TStroke_text& out) {
  const std::string text = std::string(prefix) + value_text(v) + ";" + std::string(suffix);
  const float dir = Get_Angle_2D(P.x - Q.x, P.y - Q.y);
  float len = std::hypot(P.x - Q.x, P.y - Q.y);
  if (len < 0.0001f) len = 0;
  const float sn = Sin_Z(dir), cs = Cos_Z(dir);
  const float mid = len / 2;

  out.figure.clear();
  out.figure.height = h;
  const VEC3 lead[2] = {from_frame(mid, 0, sn, cs, Q), from_frame(mid, leader, sn, cs, Q)};
  const VEC3 arrow[3] = {from_frame(mid + a / 3, a, sn, cs, Q), from_frame(mid, 0, sn, cs, Q),
                         from_frame(mid - a / 3, a, sn, cs, Q)};
  out.figure.add_run(lead, 2);
  out.figure.add_run(arrow, 3);
  out.figure.advance = place_text_at_anchor(lead[1], a, h, s, text, out);
}

TDim_text_widths make_dim_linear(int mode, const VEC3& P1, const VEC3& P2, float a,
                                 float offset, float extension, float h, float t,
                                 std::string_view prefix, std::string_view suffix,
                                 TStroke_text& out) {
  // The frame runs along the measure from the point with the smaller coordinate.
  const bool along_x = mode == 1;
  const bool swap = along_x ? P2.x < P1.x : P2.y < P1.y;
  const VEC3& A = swap ? P2 : P1;
  const VEC3& B = swap ? P1 : P2;
  const float angle = along_x ? 0 : kPi / 2;
  const float sn = Sin_Z(angle), cs = Cos_Z(angle);
  const float dx = B.x - A.x, dy = B.y - A.y;
  const float len = dx * cs + dy * sn;    // along the measure, >= 0
  const float across = -dx * sn + dy * cs;  // the second point across it

  std::string text(prefix);
  text += value_text(std::fabs(len) < 0.0001f ? 0.0f : len);
  text += suffix;
  TDim_text_widths widths;
  widths.text = lay_out_text(text, h, kDim_text_max_chars, out);
  widths.padded = text_width(" " + text + " ", h, kDim_text_max_chars);
  const float w = widths.text;

  // Placement codes: outside only when the text or the arrows do not fit between the ends.
  bool arrows_out = false;
  const float abs_a = std::fabs(a);
  if (std::fabs(t) >= 10000) {
    const bool is_outer = std::fabs(t) >= 20000;
    const bool fits = widths.padded <= len && len >= 3 * abs_a;
    if (fits) {
      t = 0;
    } else {
      const double moved = std::fabs(double{t}) - (is_outer ? 19999.9 : 9999.9);
      t = std::copysign(static_cast<float>(moved), t);
      arrows_out = !is_outer;
    }
  }

  float arrow = a;
  if (!arrows_out && len < 3 * a) arrow = len / 3;
  const float half = arrow / 3;

  float text_x;  // left end of the text along the measure
  float line_from = 0, line_to = len;
  if (t == 0) {
    text_x = len / 2 - w / 2;
  } else if (t < 0) {
    text_x = t - w;
    line_from = text_x;
  } else {
    text_x = len + t;
    line_to = text_x + w;
  }
  if (arrows_out) {
    line_from = std::min(line_from, -arrow);
    line_to = std::max(line_to, len + arrow);
  }

  out.figure.clear();
  out.figure.height = h;
  out.figure.advance = w;
  const VEC3 line[2] = {from_frame(line_from, offset, sn, cs, A),
                        from_frame(line_to, offset, sn, cs, A)};
  // Inward arrows have their wings inside the ends, outward ones outside.
  const float wing = arrows_out ? -arrow : arrow;
  const VEC3 start_arrow[3] = {from_frame(wing, offset + half, sn, cs, A),
                               from_frame(0, offset, sn, cs, A),
                               from_frame(wing, offset - half, sn, cs, A)};
  const VEC3 end_arrow[3] = {from_frame(len - wing, offset + half, sn, cs, A),
                             from_frame(len, offset, sn, cs, A),
                             from_frame(len - wing, offset - half, sn, cs, A)};
  out.figure.add_run(line, 2);
  out.figure.add_run(start_arrow, 3);
  out.figure.add_run(end_arrow, 3);
  if (extension >= 0) {
    // From the dimension line toward each measured point.
    const float to_a = (0 - offset) >= 0 ? extension : -extension;
    const float to_b = (across - offset) >= 0 ? extension : -extension;
    const VEC3 ext_a[2] = {from_frame(0, offset, sn, cs, A),
                           from_frame(0, offset + to_a, sn, cs, A)};
    const VEC3 ext_b[2] = {from_frame(len, offset, sn, cs, A),
                           from_frame(len, offset + to_b, sn, cs, A)};
    out.figure.add_run(ext_a, 2);
    out.figure.add_run(ext_b, 2);
  }

  // The text, lifted off the dimension line and turned with the measure.
  const float lift = offset + 0.8f * abs_a;
  for (int i = 0; i < out.count; ++i) {
    TStroke_figure& g = out.glyphs[i];
    for (int k = 0; k < g.count; ++k)
      g.points[k] = from_frame(text_x + g.points[k].x, lift + g.points[k].y, sn, cs, A);
  }
  return widths;
}

void make_axis_mark(TStroke_figure& out, float size) {
  struct Run {
    int n;
    float p[4][3];
  };
  static constexpr float r2 = 1.414f;
  static constexpr Run kRuns[] = {
      {3, {{10, 0, 0}, {0, 0, 0}, {0, 10, 0}}},
      {2, {{15, -2, 0}, {19, 2, 0}}},
      {2, {{19, -2, 0}, {15, 2, 0}}},
      {3, {{0, 15, 0}, {0, 17, 0}, {-2, 19, 0}}},
      {2, {{2, 19, 0}, {0, 17, 0}}},
      {2, {{0, 0, 0}, {0, 0, 10}}},
      {4, {{-r2, -r2, 15}, {r2, r2, 15}, {-r2, -r2, 19}, {r2, r2, 19}}},
  };
  const float k = size * 0.1f;
  out.clear();
  out.height = 1.0f;
  out.advance = 1.0f;
  for (const Run& r : kRuns) {
    VEC3 p[4];
    for (int i = 0; i < r.n; ++i) p[i] = {r.p[i][0] * k, r.p[i][1] * k, r.p[i][2] * k};
    out.add_run(p, r.n);
  }
}
