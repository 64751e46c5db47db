// The path geometry a full drawing emitted, kept so that a later drawing of the same path
// (after a rotation, a pan, a resize) draws it from GL 1.1 vertex arrays instead of running
// the interpreter again. Runs keep one style each (colour, width, point size, stipple) and
// their draw order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mainwin/core/path_emit.h"
#include "platform/gl/gl_surface.h"

// What the kept geometry was made from; any difference makes it stale.
struct PathRetainedKey {
  std::uint32_t run_serial = 0, changes = 0;  // the program's run and its stored lines
  std::uint64_t settings = 0;                 // hash of the path rows and colouring switches
  std::int32_t first = 0, last = 0;           // the drawn block range
  double arc_scale = 0;                       // pixel size x scale of the arc points
  bool operator==(const PathRetainedKey&) const = default;
};

// Where the recorded geometry lies: its box in the world and the widest line or point.
struct PathBounds {
  bool any = false;
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  float widest = 1;
};

class PathRetained final : public PathSink {
 public:
  static constexpr std::size_t kBudgetBytes = 256u << 20;

  void clear();
  bool valid() const { return valid_; }
  const PathRetainedKey& key() const { return key_; }
  // Recording: begin, the emitted geometry, then finish (kept) or drop.
  void begin(const PathRetainedKey& k);
  // Recording goes on after what is kept, under the key of the grown range.
  void resume(const PathRetainedKey& k);
  void finish() { valid_ = !over_; recording_ = false; }
  std::size_t bytes() const { return verts_.size() * sizeof(float) + runs_.size() * sizeof(Run); }
  // Of everything emitted since the recording began, kept or not (past the budget).
  const PathBounds& bounds() const { return bounds_; }
  // Draws every run in order into the current context.
  void draw() const;

  void style(const PathStyle& s) override;
  void line(const PathPoint& a, const PathPoint& b) override;
  void strip(const std::vector<PathPoint>& pts) override;
  void point(const PathPoint& p) override;

 private:
  struct Run {
    PathStyle style;
    GLenum prim = GL_LINES;
    std::uint32_t first = 0, count = 0;
  };
  Run& run_for(GLenum prim);
  void add(const PathPoint& p);
  void take_in(const PathPoint& p);

  PathRetainedKey key_;
  PathBounds bounds_;
  PathStyle cur_;
  std::vector<float> verts_;
  std::vector<Run> runs_;
  bool valid_ = false, recording_ = false, over_ = false, lines_open_ = false;
};

// Sends what is emitted to two sinks (the GL strip writer and the recorder).
class PathTee final : public PathSink {
 public:
  PathTee(PathSink& a, PathSink& b) : a_(a), b_(b) {}
  void style(const PathStyle& s) override { a_.style(s), b_.style(s); }
  void line(const PathPoint& p, const PathPoint& q) override { a_.line(p, q), b_.line(p, q); }
  void strip(const std::vector<PathPoint>& pts) override { a_.strip(pts), b_.strip(pts); }
  void point(const PathPoint& p) override { a_.point(p), b_.point(p); }

 private:
  PathSink& a_;
  PathSink& b_;
};

// The hash of what the path's colours and styles come from.
std::uint64_t path_settings_hash(const Tdisp_status& d, const PathOptions& o);
