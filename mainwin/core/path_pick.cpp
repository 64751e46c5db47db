#include "mainwin/core/path_pick.h"

#include <algorithm>

PathPicker::PathPicker(const PathPickFrame& f) : f_(f) {
  const double w = f_.width > 0 ? f_.width : 1, h = f_.height > 0 ? f_.height : 1;
  x0_ = (f_.x - f_.half) / w * 2 - 1;
  x1_ = (f_.x + f_.half) / w * 2 - 1;
  y0_ = (f_.y - f_.half) / h * 2 - 1;
  y1_ = (f_.y + f_.half) / h * 2 - 1;
}

std::array<double, 4> PathPicker::clip(const PathPoint& p) const {
  const auto& m = f_.mvp;
  std::array<double, 4> c{};
  for (int r = 0; r < 4; ++r)
    c[static_cast<std::size_t>(r)] = m[static_cast<std::size_t>(r)] * p.x +
                                     m[static_cast<std::size_t>(4 + r)] * p.y +
                                     m[static_cast<std::size_t>(8 + r)] * p.z +
                                     m[static_cast<std::size_t>(12 + r)];
  return c;
}

// Liang-Barsky over linear inequalities g(t) = ga + (gb - ga) t >= 0 along the segment:
// the pick frustum's six sides in clip space and the object-space clip planes.
bool PathPicker::segment_hits(const PathPoint& a, const PathPoint& b) const {
  const auto ca = clip(a), cb = clip(b);
  double t0 = 0, t1 = 1;
  auto keep = [&](double ga, double gb) {
    if (ga < 0 && gb < 0) return false;
    if (ga >= 0 && gb >= 0) return true;
    const double t = ga / (ga - gb);
    if (ga < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    return t0 <= t1;
  };
  const double xs[2] = {x0_, x1_}, ys[2] = {y0_, y1_};
  // x >= x0 w, x <= x1 w, the same for y, -w <= z <= w
  if (!keep(ca[0] - xs[0] * ca[3], cb[0] - xs[0] * cb[3])) return false;
  if (!keep(xs[1] * ca[3] - ca[0], xs[1] * cb[3] - cb[0])) return false;
  if (!keep(ca[1] - ys[0] * ca[3], cb[1] - ys[0] * cb[3])) return false;
  if (!keep(ys[1] * ca[3] - ca[1], ys[1] * cb[3] - cb[1])) return false;
  if (!keep(ca[2] + ca[3], cb[2] + cb[3])) return false;
  if (!keep(ca[3] - ca[2], cb[3] - cb[2])) return false;
  for (const auto& pl : f_.planes) {
    const double ga = pl[0] * a.x + pl[1] * a.y + pl[2] * a.z + pl[3];
    const double gb = pl[0] * b.x + pl[1] * b.y + pl[2] * b.z + pl[3];
    if (!keep(ga, gb)) return false;
  }
  return t0 <= t1;
}

void PathPicker::line(const PathPoint& a, const PathPoint& b) {
  if (hit_ < 0 && segment_hits(a, b)) hit_ = name_;
}

void PathPicker::strip(const std::vector<PathPoint>& pts) {
  for (std::size_t i = 1; i < pts.size() && hit_ < 0; ++i) line(pts[i - 1], pts[i]);
}

void PathPicker::point(const PathPoint& p) { line(p, p); }
