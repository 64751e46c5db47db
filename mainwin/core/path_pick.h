// Picking a path line on the CPU: every emitted segment and point is clipped against the
// pick frustum (a square of pixels around the pick point) and the view's clip planes; the
// first hit in draw order names the line. No GL selection, so dense paths never overflow
// a hit buffer. No Qt, no GL here.
#pragma once
#include <array>
#include <vector>

#include "mainwin/core/path_emit.h"

struct PathPickFrame {
  std::array<double, 16> mvp{};  // projection × model-view, column-major as GL keeps it
  double width = 1, height = 1;  // viewport in pixels
  double x = 0, y = 0;           // pick point, window pixels with y upward
  double half = 4;               // half the side of the pick square (8 × 8 pixels)
  // Object-space planes (a, b, c, d): a point is kept where ax + by + cz + d >= 0.
  std::vector<std::array<double, 4>> planes;
};

class PathPicker final : public PathSink {
 public:
  explicit PathPicker(const PathPickFrame& f);
  // The name given to what is emitted next (the NC line of the move).
  void set_name(int line) { name_ = line; }
  // The first name hit, or -1.
  int hit() const { return hit_; }
  bool found() const { return hit_ >= 0; }

  void style(const PathStyle&) override {}
  void line(const PathPoint& a, const PathPoint& b) override;
  void strip(const std::vector<PathPoint>& pts) override;
  void point(const PathPoint& p) override;

 private:
  // Homogeneous clip coordinates of a point.
  std::array<double, 4> clip(const PathPoint& p) const;
  bool segment_hits(const PathPoint& a, const PathPoint& b) const;

  PathPickFrame f_;
  double x0_, x1_, y0_, y1_;  // pick square in normalised device coordinates
  int name_ = -1;
  int hit_ = -1;
};
