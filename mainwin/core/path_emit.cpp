#include "mainwin/core/path_emit.h"

#include <algorithm>
#include <cmath>

#include "common/ats_func.h"
#include "simulation/gl_view.h"

PathStipple set_line_style(int style, double factor) {
  PathStipple s;
  double f = std::isfinite(factor) ? factor : 1.0;
  s.factor = std::clamp(float_round_to_int(std::clamp(f, -1.0, 1000.0)), 1, 255);
  switch (style) {
    case 1: s.pattern = 0x00FF; break;
    case 2: s.pattern = 0x0F0F; break;
    case 3: s.pattern = 0x0303; break;
    case 4: s.pattern = 0x0001; break;
    default: s.pattern = 0; break;
  }
  return s;
}

bool path_cycle_step_hidden(int step) { return step == 0 || step == 54; }

bool path_cycle_step_rapid(int step) {
  switch (step) {
    case 1: case 51: case 52: case 91: case 92: case 94: return true;
    default: return false;
  }
}

namespace {
constexpr double kPi = 3.14159265358979323846;

// The in-plane axes (u, v) and the helix axis w of a plane.
void plane_axes(PathPlane plane, const PathPoint& p, double& u, double& v, double& w) {
  switch (plane) {
    case PathPlane::xy: u = p.x; v = p.y; w = p.z; break;
    case PathPlane::zx: u = p.z; v = p.x; w = p.y; break;
    case PathPlane::yz: u = p.y; v = p.z; w = p.x; break;
  }
}

PathPoint from_axes(PathPlane plane, double u, double v, double w) {
  switch (plane) {
    case PathPlane::xy: return {u, v, w};
    case PathPlane::zx: return {v, w, u};
    case PathPlane::yz: return {w, u, v};
  }
  return {u, v, w};
}
}  // namespace

void path_arc_points(const PathPoint& start, const PathPoint& end, const PathPoint& centre,
                     bool cw, PathPlane plane, double step_mm, std::vector<PathPoint>& out) {
  out.clear();
  double su = 0, sv = 0, sw = 0, eu = 0, ev = 0, ew = 0, cu = 0, cv = 0, cw_ = 0;
  plane_axes(plane, start, su, sv, sw);
  plane_axes(plane, end, eu, ev, ew);
  plane_axes(plane, centre, cu, cv, cw_);
  const double r = std::hypot(su - cu, sv - cv);
  const double a0 = std::atan2(sv - cv, su - cu);
  const double a1 = std::atan2(ev - cv, eu - cu);
  double sweep = a1 - a0;
  // an end on the start is a full circle
  if (cw) {
    if (sweep >= -1e-12) sweep -= 2 * kPi;
  } else {
    if (sweep <= 1e-12) sweep += 2 * kPi;
  }
  const double step = (std::isfinite(step_mm) && step_mm > 1e-6) ? step_mm : 0.5;
  double chord_angle = r > step / 2 ? 2 * std::asin(std::min(1.0, step / (2 * r))) : kPi / 2;
  chord_angle = std::min(chord_angle, kPi / 18);  // at least 36 segments a circle
  const int n = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / chord_angle)), 1, 3600);
  out.reserve(static_cast<std::size_t>(n) + 1);
  out.push_back(start);
  for (int i = 1; i < n; ++i) {
    const double t = static_cast<double>(i) / n;
    const double a = a0 + sweep * t;
    out.push_back(from_axes(plane, cu + r * std::cos(a), cv + r * std::sin(a), sw + (ew - sw) * t));
  }
  out.push_back(end);
}

int PathEmitter::feed_band(const Tdisp_status& disp, float feed) {
  const int n = std::clamp(disp.band_count, 1, DISP_FEED_BAND_ROWS);
  for (int k = 1; k <= n; ++k)
    if (!(disp.path[static_cast<std::size_t>(k)].sokudo < feed)) return k;
  return n;
}

void PathEmitter::use_key(KeyKind kind, float value, const std::uint8_t* rgb, int row) {
  if (key_kind_ == kind && key_value_ == value) return;
  key_kind_ = kind;
  key_value_ = value;
  const TPATH_COLOR_ROW& r = disp_.path[static_cast<std::size_t>(row)];
  std::copy(rgb, rgb + 3, cur_.rgba);
  cur_.rgba[3] = 128;
  cur_.width = static_cast<float>(std::max(1, opt_.thick ? r.width : r.p_width));
  cur_.point_size = 1;
  cur_.stipple = set_line_style(r.style, opt_.style_factor);
  sink_.style(cur_);
}

void PathEmitter::use_row(KeyKind kind, float value, int row) {
  use_key(kind, value, disp_.path[static_cast<std::size_t>(row)].rgba, row);
}

// The tool's own colour with the width and style of the linear row.
void PathEmitter::use_tool(const PathMove& m) {
  use_key(KeyTool, static_cast<float>(m.tool), m.tool_rgba, 11);
}

bool PathEmitter::select(const PathMove& m) {
  bool rapid = m.kind == PathMoveKind::rapid;
  if (m.kind == PathMoveKind::cycle) {
    if (path_cycle_step_hidden(m.cycle_step)) return false;
    rapid = path_cycle_step_rapid(m.cycle_step);
  }
  if (m.kind == PathMoveKind::none) return false;
  if (rapid) {
    if (opt_.hide_rapid) return false;
    if (opt_.coloring == 0)
      use_row(KeyRapid, 0, 0);
    else
      use_row(KeyRapid, -9, 10);
    return true;
  }
  switch (opt_.coloring) {
    case 1:
      switch (m.kind) {
        case PathMoveKind::linear: use_row(KeyLinear, -1, 11); break;
        case PathMoveKind::cw: use_row(KeyCw, -2, 12); break;
        case PathMoveKind::ccw: use_row(KeyCcw, -3, 13); break;
        default: use_row(KeyCycle, -4, 14); break;
      }
      break;
    case 2:
      use_tool(m);
      break;
    default:
      use_row(KeyFeed, m.feed, feed_band(disp_, m.feed));
      break;
  }
  return true;
}

void PathEmitter::emit_arc(const PathPoint& a, const PathPoint& b, const PathPoint& c, bool cw,
                           PathPlane plane) {
  double su = 0, sv = 0, sw = 0, eu = 0, ev = 0, ew = 0, cu = 0, cv = 0, cw_ = 0;
  plane_axes(plane, a, su, sv, sw);
  plane_axes(plane, b, eu, ev, ew);
  plane_axes(plane, c, cu, cv, cw_);
  const double r = std::hypot(su - cu, sv - cv);
  const double s3[3] = {su, sv, sw}, e3[3] = {eu, ev, ew};
  const int k = gl_arc_table_step(r, opt_.pixel_size, opt_.scale);
  constexpr int kMax = 300;
  helix_.resize(3 * kMax);
  const int n = gl_helix_points(cu, cv, s3, e3, r, cw, k, helix_.data(), kMax);
  arc_.clear();
  for (int i = 0; i < n; ++i) {
    PathPoint p = from_axes(plane, helix_[3 * i], helix_[3 * i + 1], helix_[3 * i + 2]);
    p.z += dz_;
    arc_.push_back(p);
  }
  sink_.strip(arc_);
}

double PathEmitter::raise_of(const PathMove& m) const {
  for (const auto& [tool, raise] : opt_.tool_raise)
    if (tool == m.tool) return opt_.z_offset + raise;
  return opt_.z_offset;
}

void PathEmitter::make_PATH_points(const PathMove& m, Comp comp) {
  dz_ = raise_of(m);
  if (m.kind == PathMoveKind::cw || m.kind == PathMoveKind::ccw)
    emit_arc(m.start, m.end, m.centre, m.kind == PathMoveKind::cw, m.plane);
  else
    sink_.line(shown(m.start), shown(m.end));
  if (comp == Comp::none || m.comp_count <= 0) return;
  const PathStyle in_force = cur_;
  if (comp == Comp::styled) {
    PathStyle wide = cur_;
    wide.width = cur_.width + 2;
    wide.point_size = wide.width + 4;
    sink_.style(wide);
  }
  for (int i = 0; i < std::min(m.comp_count, 2); ++i) {
    const PathCompSeg& c = m.comp[i];
    if (c.arc)
      emit_arc(c.start, c.end, c.centre, c.cw, PathPlane::xy);
    else
      sink_.line(shown(c.start), shown(c.end));
    if (comp == Comp::styled) sink_.point(shown(c.end));
  }
  if (comp == Comp::styled) sink_.style(in_force);
}

void PathEmitter::draw_PATH_seg(const PathMove& m) {
  if (!select(m)) return;
  make_PATH_points(m, Comp::styled);
}

void PathEmitter::draw_PATH_pick(const PathMove& m) {
  if (m.kind == PathMoveKind::none) return;
  if (m.kind == PathMoveKind::cycle) {
    if (path_cycle_step_hidden(m.cycle_step)) return;
    if (opt_.hide_rapid && path_cycle_step_rapid(m.cycle_step)) return;
  }
  if (m.kind == PathMoveKind::rapid && opt_.hide_rapid) return;
  make_PATH_points(m, Comp::plain);  // the picker takes no styles
}

void PathEmitter::mark(const PathMove& m) {
  if (m.kind == PathMoveKind::none) return;
  if (m.kind == PathMoveKind::cycle && path_cycle_step_hidden(m.cycle_step)) return;
  const bool rapid = m.kind == PathMoveKind::rapid ||
                     (m.kind == PathMoveKind::cycle && path_cycle_step_rapid(m.cycle_step));
  if (rapid && opt_.hide_rapid) return;
  const PathStyle in_force = cur_;
  PathStyle s = cur_;
  s.width = 2;
  sink_.style(s);
  make_PATH_points(m, Comp::none);
  sink_.style(in_force);
}
