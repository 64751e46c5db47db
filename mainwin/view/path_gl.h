// The path sink that draws into the current OpenGL context: line pairs in one GL_LINES run
// that is closed before every width, stipple or point-size change (they are errors inside
// glBegin) and reopened by the next line; arcs as their own line strips; end-point marks as
// points.
#pragma once
#include "mainwin/core/path_emit.h"

class PathGlSink final : public PathSink {
 public:
  ~PathGlSink() override { end(); }
  void style(const PathStyle& s) override;
  void line(const PathPoint& a, const PathPoint& b) override;
  void strip(const std::vector<PathPoint>& pts) override;
  void point(const PathPoint& p) override;
  // Closes the running GL_LINES run (before anything else is drawn).
  void end();

 private:
  bool open_ = false;
};

// Line stipple of a path style: off for the solid pattern.
void path_gl_stipple(const PathStipple& s);
