#include "mainwin/core/view_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/stroke_font.h"
#include "mainwin/core/view_control.h"

namespace {

double diagonal(const ViewBox& b) {
  if (!b.valid) return 0;
  return std::hypot(b.hi[0] - b.lo[0], b.hi[1] - b.lo[1], b.hi[2] - b.lo[2]);
}

// The window box (origin top left) of the path box's corners, the axis figure and the
// corners of the dimension texts.
bool window_box(const TGL_VIEW& v, const ViewBox& path, double q, double dim_px, double out[4]) {
  out[0] = out[1] = 1e300;
  out[2] = out[3] = -1e300;
  auto add = [&](double x, double y, double z) {
    const float w[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    std::int32_t s[2];
    project_3Dpos(v, w, s);
    out[0] = std::min(out[0], double(s[0]));
    out[1] = std::min(out[1], double(s[1]));
    out[2] = std::max(out[2], double(s[0]));
    out[3] = std::max(out[3], double(s[1]));
  };
  for (int i = 0; i < 8; ++i)
    add(i & 1 ? path.hi[0] : path.lo[0], i & 2 ? path.hi[1] : path.lo[1],
        i & 4 ? path.hi[2] : path.lo[2]);
  for (int i = 0; i < 8; ++i)
    add(i & 1 ? 1.9 * q : -0.2 * q, i & 2 ? 1.9 * q : -0.2 * q, i & 4 ? 1.9 * q : 0);
  if (dim_px > 0) {
    const double h = v.pixel_size * dim_px;
    for (const ViewDimText& t : view_dimension_texts(path, h)) {
      TStroke_text s;
      const float hf = static_cast<float>(h);
      make_3D_text_strokes(t.mode, t.text, s, 0, hf * 0.3f,
                           hf, VEC3{static_cast<float>(t.x), static_cast<float>(t.y), static_cast<float>(t.z)});
      // the corners of the text's box
      double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
      auto take = [&](const TStroke_figure& f) {
        for (int i = 0; i < f.count && i < kStroke_max_points; ++i) {
          const VEC3& p = f.points[i];
          const double c[3] = {p.x, p.y, p.z};
          for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], c[k]), hi[k] = std::max(hi[k], c[k]);
        }
      };
      take(s.figure);
      for (int g = 0; g < s.count && g < kStroke_text_glyphs; ++g) take(s.glyphs[g]);
      if (lo[0] > hi[0]) continue;
      for (int i = 0; i < 8; ++i)
        add(i & 1 ? hi[0] : lo[0], i & 2 ? hi[1] : lo[1], i & 4 ? hi[2] : lo[2]);
    }
  }
  return out[2] >= out[0];
}

}  // namespace

std::vector<ViewDimText> view_dimension_texts(const ViewBox& b, double h) {
  std::vector<ViewDimText> out;
  if (!b.valid) return out;
  out.push_back({view_round3_text(b.hi[0] - b.lo[0]), 1, (b.lo[0] + b.hi[0]) / 2, b.lo[1] - 1.5 * h, b.lo[2]});
  out.push_back({view_round3_text(b.hi[1] - b.lo[1]), 2, b.hi[0] + 0.5 * h, (b.lo[1] + b.hi[1]) / 2, b.lo[2]});
  out.push_back({view_round3_text(b.hi[2] - b.lo[2]), 3, b.hi[0] + 0.5 * h, b.lo[1], (b.lo[2] + b.hi[2]) / 2});
  return out;
}

void fit_scale_ex(TGL_VIEW& v, const ViewBox& path_in, const ViewBox& works, double axis_px,
                  double dim_px) {
  ViewBox path = path_in;
  if (!path.valid) path = ViewBox{{0, 0, 0}, {0, 0, 0}, true};
  ViewBox all = path;
  if (works.valid)
    for (int i = 0; i < 3; ++i) {
      all.lo[i] = std::min(all.lo[i], works.lo[i]);
      all.hi[i] = std::max(all.hi[i], works.hi[i]);
    }
  v.perspective = 0;
  v.near_z = 1e-5f;
  v.first_shift[0] = v.first_shift[1] = 0;
  const double k = 2.0;
  if (!(v.pixel_size > 0)) build_GL_matrices(v, GL_VIEW_RENDER);
  const double p = v.pixel_size;
  const double e = std::max(20.0, p * 2 * axis_px + 2 * diagonal(path) + 400);
  v.scene_size = static_cast<float>((p * 2 * axis_px + 2 * diagonal(all) + 400 + 100) * 2);
  v.base_scale = static_cast<float>(std::max(0.001, k / e));
  v.zoom = 1;
  v.first_shift[2] = -50;
  v.far_z = 1000;
  for (int i = 0; i < 3; ++i)
    v.centre_shift[i] = static_cast<float>(-(path.lo[i] + path.hi[i]) / 2);
  build_GL_matrices(v, GL_VIEW_RENDER);
  const double q = 0.7 * v.pixel_size * axis_px;
  const int w = v.panel_w, h = v.panel_h;
  double b[4];
  if (window_box(v, path, q, dim_px, b) && w > 10 && h > 10) {
    const double rx = (b[2] - b[0]) / (w - 10), ry = (b[3] - b[1]) / (h - 10);
    if (rx > 0 && ry > 0) {
      v.base_scale = static_cast<float>(v.base_scale / std::max(rx, ry));
      build_GL_matrices(v, GL_VIEW_RENDER);
      window_box(v, path, q, dim_px, b);  // the box as the new scale shows it
    }
  }
  const double ps = static_cast<double>(v.pixel_size) * v.base_scale * v.zoom;
  v.first_shift[0] = static_cast<float>((w / 2.0 - (b[0] + b[2]) / 2) * ps);
  v.first_shift[1] = static_cast<float>(((b[1] + b[3]) / 2 - h / 2.0) * ps);  // y downward
  const double s = static_cast<double>(v.zoom) * v.base_scale;
  v.first_shift[2] = static_cast<float>(-v.scene_size * 0.5 * s);
  v.far_z = static_cast<float>(v.scene_size * s);
  build_GL_matrices(v, GL_VIEW_RENDER);
}
