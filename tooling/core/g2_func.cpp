#include "tooling/core/g2_func.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979f;

TG2_view* slot_view(TG2& g, int slot) {
  return slot >= 0 && slot < kG2_slots ? &g.view[slot] : nullptr;
}

// Truncation toward zero of v * scale + 0.5, through the checked conversion.
int to_pixel_axis(float v, float scale) {
  return float_to_int(static_cast<double>(v * scale + 0.5f));
}

std::vector<TG2_ipoint> to_pixels(TG2& g, int slot, const TG2_points& pts, int n) {
  std::vector<TG2_ipoint> out;
  out.reserve(static_cast<std::size_t>(n) + 1);
  for (int i = 0; i < n; ++i) out.push_back(G2_to_pixel(g, slot, pts.p[i]));
  return out;
}

int used_points(const TG2_points& pts) { return std::clamp(pts.count, 0, kG2_max_points); }

void dxf_line(std::string& s, const char* t) {
  s += t;
  s += "\r\n";
}

void draw_dim_text(TG2& g, TG2_canvas& c, int slot, const TStroke_text& t) {
  G2_draw_figure(g, c, slot, 0, 0, t.figure);
  for (int i = 0; i < t.count && i < kStroke_text_glyphs; ++i)
    G2_draw_figure(g, c, slot, 0, 0, t.glyphs[i]);
}

std::string value_text(float v) { return float_to_str(v, 3); }

}  // namespace

void G2_fit_view(TG2& g, int slot) {
  TG2_view* v = slot_view(g, slot);
  if (!v) return;
  v->valid = 0;
  const std::int64_t m2 = 2 * std::int64_t{v->margin};
  if (!(m2 < v->canvas_w && m2 < v->canvas_h)) return;
  const float dx = (v->world_xmax - v->world_xmin) / static_cast<float>(v->canvas_w - m2);
  const float dy = (v->world_ymax - v->world_ymin) / static_cast<float>(v->canvas_h - m2);
  if (dx == 0 || dy == 0) return;
  v->fit = 1.0f / std::max(dx, dy);
  if (v->zoom == 0) v->zoom = 1.0f;
  v->scale = v->fit * v->zoom;
  v->offset_x = -((v->world_xmax - v->world_xmin - static_cast<float>(v->canvas_w) / v->scale) * 0.5f +
                  v->world_xmin);
  v->offset_y = -((v->world_ymax - v->world_ymin - static_cast<float>(v->canvas_h) / v->scale) * 0.5f +
                  v->world_ymin);
  v->valid = 1;
}

void G2_set_canvas(TG2& g, int slot, int axis_mode, int width, int height, int margin) {
  TG2_view* v = slot_view(g, slot);
  if (!v) return;
  if (axis_mode == 0) {
    v->canvas_w = width;
    v->canvas_h = height;
  } else if (axis_mode == 1) {
    v->canvas_w = height;
    v->canvas_h = width;
  } else {
    return;
  }
  v->axis_mode = axis_mode;
  v->margin = margin;
  G2_fit_view(g, slot);
}

void G2_set_world(TG2& g, int slot, float xmin, float ymin, float xmax, float ymax) {
  TG2_view* v = slot_view(g, slot);
  if (!v) return;
  v->world_xmin = xmin;
  v->world_ymin = ymin;
  v->world_xmax = xmax;
  v->world_ymax = ymax;
  v->seen_xmin = v->seen_xmax = v->seen_ymin = v->seen_ymax = 0;
  G2_fit_view(g, slot);
}

TG2_ipoint G2_to_pixel(TG2& g, int slot, const VEC3& p) {
  TG2_ipoint out;
  TG2_view* v = slot_view(g, slot);
  if (!v) return out;
  if (v->axis_mode == 0) {
    out.x = to_pixel_axis(p.x + v->offset_x, v->scale);
    // Far off the canvas the flip is taken in 64 bits and clamped like the conversion.
    const std::int64_t y = std::int64_t{v->canvas_h} - to_pixel_axis(p.y + v->offset_y, v->scale);
    out.y = static_cast<int>(std::clamp<std::int64_t>(y, INT32_MIN, INT32_MAX));
  } else if (v->axis_mode == 1) {
    out.x = to_pixel_axis(p.y + v->offset_y, v->scale);
    out.y = to_pixel_axis(p.x + v->offset_x, v->scale);
  }
  if (p.x < v->seen_xmin) v->seen_xmin = p.x;
  if (p.x > v->seen_xmax) v->seen_xmax = p.x;
  if (p.y < v->seen_ymin) v->seen_ymin = p.y;
  if (p.y > v->seen_ymax) v->seen_ymax = p.y;
  return out;
}

void G2_set_pen(TG2_canvas& c, int line_type, int color_code) {
  TG2_pen pen = c.pen();
  std::uint32_t brush = c.brush_color();
  if (color_code > -1) {
    pen.color = color_code_to_TColor(color_code);
    brush = pen.color;
  }
  switch (line_type) {
    case 0: break;
    case -4: pen.style = TG2_pen_style::dash; pen.width = 1; break;
    case -3: pen.style = TG2_pen_style::dot; pen.width = 1; break;
    case -2: pen.style = TG2_pen_style::dash_dot; pen.width = 1; break;
    case -1: pen.style = TG2_pen_style::dash_dot_dot; pen.width = 1; break;
    default: pen.style = TG2_pen_style::solid; pen.width = line_type; break;
  }
  c.set_pen(pen);
  c.set_brush(brush, true);
}

void G2_line(TG2& g, TG2_canvas& c, int slot, const VEC3& a, const VEC3& b) {
  const TG2_ipoint pa = G2_to_pixel(g, slot, a);
  const TG2_ipoint pb = G2_to_pixel(g, slot, b);
  c.polyline({pa, pb, pa});
  if (g.dxf_capture) G2_add_DXF_LINE(g, a, b);
}

void G2_polyline(TG2& g, TG2_canvas& c, int slot, bool fill, const TG2_points& pts) {
  const int n = used_points(pts);
  if (n < 3) return;
  std::vector<TG2_ipoint> px = to_pixels(g, slot, pts, n);
  if (!fill) {
    px.push_back(px.front());
    c.polyline(std::move(px));
  } else {
    c.polygon(std::move(px));
  }
  if (g.dxf_capture) {
    for (int i = 0; i + 1 < n; ++i) G2_add_DXF_LINE(g, pts.p[i], pts.p[i + 1]);
    G2_add_DXF_LINE(g, pts.p[n - 1], pts.p[0]);
  }
}

void G2_polyline_pixels(TG2& g, TG2_canvas& c, int slot, const TG2_points& pts) {
  const int n = used_points(pts);
  if (n < 2) return;
  std::vector<TG2_ipoint> px = to_pixels(g, slot, pts, n);
  const TG2_ipoint last = px.back();
  c.polyline(std::move(px));
  c.set_pixel(last, c.pen().color);
  if (g.dxf_capture)
    for (int i = 0; i + 1 < n; ++i) G2_add_DXF_LINE(g, pts.p[i], pts.p[i + 1]);
}

void G2_draw_figure(TG2& g, TG2_canvas& c, int slot, float dx, float dy,
                    const TStroke_figure& f) {
  const int count = std::clamp(f.count, 0, kStroke_max_points);
  int first = 0;
  for (int r = 0; r < kStroke_max_runs; ++r) {
    const int n = f.runs[r];
    if (n < 0) break;
    if (first + n > count) break;
    TG2_points pts;
    for (int k = 0; k < n; ++k) {
      const VEC3& q = f.points[first + k];
      pts.add(q.x + dx, q.y + dy, q.z);
    }
    G2_polyline_pixels(g, c, slot, pts);
    first += n;
  }
}

void G2_add_arc_points(TG2& g, int slot, bool ccw, float radius, const VEC3& start,
                       const VEC3& end, const VEC3& centre, TG2_points& pts) {
  TG2_view* v = slot_view(g, slot);
  if (!v) return;
  // False once a write found the list full.
  auto append = [&pts](const VEC3& q) {
    const bool room = pts.count < kG2_max_points;
    pts.p[std::clamp(pts.count, 0, kG2_max_points)] = q;
    if (room) ++pts.count;
    return room;
  };
  const int rp = float_to_int(static_cast<double>(radius * v->scale + 0.5f));
  static constexpr int kSteps[] = {8, 7, 6, 5, 4, 3};
  const int band = rp < 0 ? 0 : rp / 256;
  const int step = band < 6 ? kSteps[band] : 2;

  const float a1 = Get_Angle_2D(start.x - centre.x, start.y - centre.y);
  const float a2 = Get_Angle_2D(end.x - centre.x, end.y - centre.y);
  if (!append(start)) return;
  float sweep = ccw ? a2 - a1 : a1 - a2;
  if (sweep <= 0) sweep += 2 * kPi;
  const int n = float_to_int(static_cast<double>(sweep / kPi * 128 + 0.5f));
  const int k = n / step - 1;
  if (k >= 1) {
    int idx = float_to_int(static_cast<double>(a1 / kPi * 128 + 0.5f));
    for (int i = 0; i < k; ++i) {
      idx = ((idx + (ccw ? step : -step)) % 256 + 256) % 256;
      const VEC3 q{centre.x + radius * SinCos_table[256 + idx],
                   centre.y + radius * SinCos_table[idx], start.z};
      if (!append(q)) return;
    }
  }
  append(end);
}

void G2_add_DXF_LINE(TG2& g, const VEC3& a, const VEC3& b) {
  std::string& s = g.dxf_text;
  dxf_line(s, "0");
  dxf_line(s, "LINE");
  dxf_line(s, "10");
  dxf_line(s, float_to_str3(a.x).c_str());
  dxf_line(s, "20");
  dxf_line(s, float_to_str3(a.y).c_str());
  dxf_line(s, "30");
  dxf_line(s, "0");
  dxf_line(s, "11");
  dxf_line(s, float_to_str3(b.x).c_str());
  dxf_line(s, "21");
  dxf_line(s, float_to_str3(b.y).c_str());
  dxf_line(s, "31");
  dxf_line(s, "0");
}

TDim_text_widths G2_draw_dim_linear(TG2& g, TG2_canvas& c, int slot, bool horizontal, float a,
                                    float offset, float extension, float h, float t,
                                    std::string_view prefix, std::string_view suffix,
                                    const VEC3& p1, const VEC3& p2) {
  TStroke_text st;
  const TDim_text_widths w =
      make_dim_linear(horizontal ? 1 : 0, p1, p2, a, offset, extension, h, t, prefix, suffix, st);
  float len = std::fabs(horizontal ? p2.x - p1.x : p2.y - p1.y);
  if (len < 0.0001f) len = 0;
  c.note("G2_draw_dim_linear",
         std::string(prefix) + value_text(len) + std::string(suffix), {p1, p2});
  draw_dim_text(g, c, slot, st);
  return w;
}

void G2_draw_dim_angle(TG2& g, TG2_canvas& c, int slot, float a, float leader, float h,
                       float side, float value, std::string_view prefix,
                       std::string_view suffix, const VEC3& p1, const VEC3& p2) {
  TStroke_text st;
  make_dim_angle(p1, p2, a, leader, h, side, value, prefix, suffix, st);
  c.note("G2_draw_dim_angle",
         std::string(prefix) + value_text(value) + ";" + std::string(suffix), {p1, p2});
  draw_dim_text(g, c, slot, st);
}

// The points are the centre, the second arc point and the arc point the radius is measured
// to; the figure's arrow sits on the counter-clockwise arc from the measured point to the
// second one.
void G2_draw_dim_radius(TG2& g, TG2_canvas& c, int slot, float a, float e, float h, float side,
                        float value, std::string_view prefix, std::string_view suffix,
                        const VEC3& centre, const VEC3& p, const VEC3& q) {
  TStroke_text st;
  make_dim_radius(q, p, centre, a, e, h, side, value, prefix, suffix, st);
  c.note("G2_draw_dim_radius",
         std::string(prefix) + "r" + value_text(value) + std::string(suffix), {centre, p, q});
  draw_dim_text(g, c, slot, st);
}

void G2_draw_dim_diameter2(TG2& g, TG2_canvas& c, int slot, float a, float e, float h,
                           float side, float value, std::string_view prefix,
                           std::string_view suffix, const VEC3& centre, const VEC3& p,
                           const VEC3& q) {
  TStroke_text st;
  make_dim_diameter(q, p, centre, a, e, h, side, value, prefix, suffix, st);
  c.note("G2_draw_dim_diameter2",
         std::string(prefix) + "@" + value_text(value) + std::string(suffix), {centre, p, q});
  draw_dim_text(g, c, slot, st);
}

std::string G2_DXF_file_text(const std::string& entities) {
  std::string s;
  for (const char* l : {"0", "SECTION", "2", "ENTITIES"}) dxf_line(s, l);
  s += entities;
  for (const char* l : {"0", "ENDSEC", "0", "EOF"}) dxf_line(s, l);
  return s;
}
