#include "mainwin/view/path_retained.h"

#include <algorithm>
#include <cstring>

#include "common/key_hash.h"
#include "mainwin/view/path_gl.h"

void PathRetained::clear() {
  verts_.clear();
  verts_.shrink_to_fit();
  runs_.clear();
  runs_.shrink_to_fit();
  bounds_ = PathBounds{};
  valid_ = recording_ = over_ = lines_open_ = false;
}

void PathRetained::begin(const PathRetainedKey& k) {
  // The blocks are kept: a new recording of the path mostly fills them to the same size
  // again, without reallocating and touching fresh pages.
  verts_.clear();
  runs_.clear();
  bounds_ = PathBounds{};
  valid_ = over_ = lines_open_ = false;
  key_ = k;
  recording_ = true;
  cur_ = PathStyle{};
}

void PathRetained::resume(const PathRetainedKey& k) {
  key_ = k;
  valid_ = false;
  recording_ = true;
  lines_open_ = false;  // the emitter starts again with its first style
  cur_ = PathStyle{};
}

PathRetained::Run& PathRetained::run_for(GLenum prim) {
  const auto n = static_cast<std::uint32_t>(verts_.size() / 3);
  // line pairs go on in one run until the style changes; strips and points are runs of
  // their own
  const bool go_on = prim == GL_LINES && lines_open_ && !runs_.empty();
  lines_open_ = prim == GL_LINES;
  if (!go_on) {
    Run r;
    r.style = cur_;
    r.prim = prim;
    r.first = n;
    runs_.push_back(r);
  }
  return runs_.back();
}

void PathRetained::take_in(const PathPoint& p) {
  const double c[3] = {p.x, p.y, p.z};
  for (int i = 0; i < 3; ++i) {
    if (!bounds_.any || c[i] < bounds_.lo[i]) bounds_.lo[i] = c[i];
    if (!bounds_.any || c[i] > bounds_.hi[i]) bounds_.hi[i] = c[i];
  }
  bounds_.any = true;
}

void PathRetained::add(const PathPoint& p) {
  verts_.push_back(static_cast<float>(p.x));
  verts_.push_back(static_cast<float>(p.y));
  verts_.push_back(static_cast<float>(p.z));
}

namespace {
bool same_style(const PathStyle& a, const PathStyle& b) {
  return std::memcmp(a.rgba, b.rgba, sizeof a.rgba) == 0 && a.width == b.width &&
         a.point_size == b.point_size && a.stipple.pattern == b.stipple.pattern &&
         a.stipple.factor == b.stipple.factor;
}
}  // namespace

void PathRetained::style(const PathStyle& s) {
  if (!recording_) return;
  bounds_.widest = std::max({bounds_.widest, s.width, s.point_size});
  if (over_) return;
  // Line pairs are independent lines (the stipple starts again at each), so a repeated
  // style goes on in the open run.
  if (lines_open_ && same_style(s, cur_)) return;
  cur_ = s;
  lines_open_ = false;  // the next vertices open a new run in this style
}

void PathRetained::line(const PathPoint& a, const PathPoint& b) {
  if (!recording_) return;
  take_in(a);
  take_in(b);
  if (over_) return;
  Run& r = run_for(GL_LINES);
  add(a);
  add(b);
  r.count += 2;
  if (bytes() > kBudgetBytes) over_ = true;
}

void PathRetained::strip(const std::vector<PathPoint>& pts) {
  if (!recording_ || pts.empty()) return;
  for (const PathPoint& p : pts) take_in(p);
  if (over_) return;
  Run& r = run_for(GL_LINE_STRIP);
  for (const PathPoint& p : pts) add(p);
  r.count += static_cast<std::uint32_t>(pts.size());
  if (bytes() > kBudgetBytes) over_ = true;
}

void PathRetained::point(const PathPoint& p) {
  if (!recording_) return;
  take_in(p);
  if (over_) return;
  Run& r = run_for(GL_POINTS);
  add(p);
  r.count += 1;
}

void PathRetained::draw() const {
  if (!valid_ || runs_.empty()) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, verts_.data());
  // Only what changes from one run to the next is set: a path of many short arcs is mostly
  // runs of one style.
  const Run* prev = nullptr;
  for (const Run& r : runs_) {
    if (!prev || !same_style(prev->style, r.style)) {
      glColor4ubv(r.style.rgba);
      glLineWidth(r.style.width);
      glPointSize(r.style.point_size);
      if (r.style.point_size > 1)
        glEnable(GL_POINT_SMOOTH);
      else
        glDisable(GL_POINT_SMOOTH);
      path_gl_stipple(r.style.stipple);
    }
    prev = &r;
    glDrawArrays(r.prim, static_cast<GLint>(r.first), static_cast<GLsizei>(r.count));
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisable(GL_LINE_STIPPLE);
  glDisable(GL_POINT_SMOOTH);
  glLineWidth(1);
  glPointSize(1);
}

std::uint64_t path_settings_hash(const Tdisp_status& d, const PathOptions& o) {
  KeyHash h;
  auto mix = [&h](const void* p, std::size_t n) { h.bytes(p, n); };
  for (const TPATH_COLOR_ROW& r : d.path) {
    mix(&r.sokudo, sizeof r.sokudo);
    mix(r.rgba, sizeof r.rgba);
    mix(&r.style, sizeof r.style);
    mix(&r.width, sizeof r.width);
    mix(&r.p_width, sizeof r.p_width);
  }
  mix(&d.band_count, sizeof d.band_count);
  mix(&o.coloring, sizeof o.coloring);
  mix(&o.hide_rapid, sizeof o.hide_rapid);
  mix(&o.thick, sizeof o.thick);
  mix(&o.style_factor, sizeof o.style_factor);
  mix(&o.z_offset, sizeof o.z_offset);
  for (const auto& [tool, raise] : o.tool_raise) {
    mix(&tool, sizeof tool);
    mix(&raise, sizeof raise);
  }
  return h.h;
}
