#include "mainwin/core/path_pick.h"

#include <gtest/gtest.h>

namespace {

// A top view of a 100 × 100 panel: one millimetre is one pixel, the origin at the
// lower left corner, depth -50..50.
PathPickFrame top_view(double x, double y) {
  PathPickFrame f;
  f.mvp = {0.02, 0, 0, 0, 0, 0.02, 0, 0, 0, 0, 0.02, 0, -1, -1, 0, 1};
  f.width = f.height = 100;
  f.x = x;
  f.y = y;
  return f;
}

PathMove feed(PathPoint a, PathPoint b, int line) {
  PathMove m;
  m.kind = PathMoveKind::linear;
  m.start = a;
  m.end = b;
  m.feed = 100;
  m.line = line;
  return m;
}

int pick(const PathPickFrame& f, const std::vector<PathMove>& moves, bool hide_rapid = false) {
  Tdisp_status d;
  d.band_count = 1;
  PathOptions o;
  o.hide_rapid = hide_rapid;
  PathPicker p(f);
  PathEmitter e(d, o, p);
  for (const PathMove& m : moves) {
    p.set_name(m.line);
    e.draw_PATH_pick(m);
    if (p.found()) break;
  }
  return p.hit();
}

}  // namespace

TEST(PathPick, TheSquareAroundThePointFindsTheLine) {
  const std::vector<PathMove> path = {feed({10, 50, 0}, {90, 50, 0}, 7)};
  struct Case {
    double x, y;
    int want;
  };
  const Case cases[] = {
      {50, 50, 7}, {50, 53, 7}, {50, 47, 7}, {50, 56, -1}, {50, 44, -1},
      {93, 50, 7},  // beside the end
      {96, 50, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(pick(top_view(c.x, c.y), path), c.want) << c.x << "," << c.y;
}

TEST(PathPick, ClipPlanesDepthAndHiddenRapidsHideLines) {
  PathPickFrame f = top_view(50, 50);
  f.planes.push_back({0, 1, 0, -60});  // keeps y >= 60
  EXPECT_EQ(pick(f, {feed({10, 50, 0}, {90, 50, 0}, 3)}), -1);
  EXPECT_EQ(pick(top_view(50, 50), {feed({10, 50, 80}, {90, 50, 80}, 3)}), -1);  // beyond far

  PathMove r = feed({10, 50, 0}, {90, 50, 0}, 4);
  r.kind = PathMoveKind::rapid;
  EXPECT_EQ(pick(top_view(50, 50), {r}, true), -1);
  EXPECT_EQ(pick(top_view(50, 50), {r}, false), 4);
}

TEST(PathPick, TheFirstOfCoincidentLinesWins) {
  std::vector<PathMove> path;
  for (int i = 0; i < 200; ++i) path.push_back(feed({10, 50, 0}, {90, 50, 0}, 100 + i));
  EXPECT_EQ(pick(top_view(50, 50), path), 100);
}

TEST(PathPick, AVerticalHoleIsAPointInTopView) {
  // a drilling series seen from above: each hole's feed projects to one pixel
  std::vector<PathMove> path;
  for (int i = 0; i < 3; ++i) {
    PathMove m = feed({20.0 + 20 * i, 30, 5}, {20.0 + 20 * i, 30, -10}, 20 + i);
    m.kind = PathMoveKind::cycle;
    m.cycle_step = 3;
    path.push_back(m);
  }
  EXPECT_EQ(pick(top_view(40, 32), path), 21);
  EXPECT_EQ(pick(top_view(50, 30), path), -1);
}

TEST(PathPick, ArcsArePickedAlongTheirCurve) {
  PathMove a = feed({70, 50, 0}, {30, 50, 0}, 9);
  a.kind = PathMoveKind::ccw;
  a.centre = {50, 50, 0};
  EXPECT_EQ(pick(top_view(50, 70), {a}), 9);   // top of the half circle
  EXPECT_EQ(pick(top_view(50, 50), {a}), -1);  // its centre
  EXPECT_EQ(pick(top_view(50, 30), {a}), -1);  // the other half
}
