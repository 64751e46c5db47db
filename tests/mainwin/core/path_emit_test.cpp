#include "mainwin/core/path_emit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Writes what the sink receives as text: S(red,width,point size,pattern,factor) for a
// style, L(x,y,z>x,y,z) for a line pair, A(points,z of the first,z of the last) for a
// strip, P(x,y,z) for a point.
class TextSink final : public PathSink {
 public:
  std::string out;
  void style(const PathStyle& s) override {
    char b[96];
    std::snprintf(b, sizeof b, "S(%d,%g,%g,%x,%d)", s.rgba[0], s.width, s.point_size,
                  s.stipple.pattern, s.stipple.factor);
    out += b;
  }
  void line(const PathPoint& a, const PathPoint& b) override {
    char t[128];
    std::snprintf(t, sizeof t, "L(%g,%g,%g>%g,%g,%g)", a.x, a.y, a.z, b.x, b.y, b.z);
    out += t;
  }
  void strip(const std::vector<PathPoint>& pts) override {
    char t[96];
    std::snprintf(t, sizeof t, "A(%zu,%g,%g)", pts.size(), pts.front().z, pts.back().z);
    out += t;
  }
  void point(const PathPoint& p) override {
    char t[96];
    std::snprintf(t, sizeof t, "P(%g,%g,%g)", p.x, p.y, p.z);
    out += t;
  }
};

// Row i has red i * 10, width i + 1, thin width 1 and style 0; bands 1..3 end at
// 100, 500 and 1000 mm/min.
Tdisp_status rows(int bands = 3) {
  Tdisp_status d;
  for (int i = 0; i < DISP_PATH_ROWS; ++i) {
    auto& r = d.path[static_cast<std::size_t>(i)];
    r.rgba[0] = static_cast<std::uint8_t>(i * 10);
    r.width = i + 1;
    r.p_width = 1;
    r.sokudo = i == 0 ? 0.0f : static_cast<float>(i <= 3 ? (i == 1 ? 100 : i == 2 ? 500 : 1000)
                                                         : 1000 + 1000 * i);
  }
  d.band_count = bands;
  return d;
}

PathMove lin(double x, float f, int line = 0) {
  PathMove m;
  m.kind = PathMoveKind::linear;
  m.start = {0, 0, 0};
  m.end = {x, 0, 0};
  m.feed = f;
  m.line = line;
  return m;
}
PathMove rapid(double x) {
  PathMove m = lin(x, 0);
  m.kind = PathMoveKind::rapid;
  return m;
}
PathMove cyc(int step, float f = 300) {
  PathMove m = lin(1, f);
  m.kind = PathMoveKind::cycle;
  m.cycle_step = step;
  return m;
}

std::string emit(const std::vector<PathMove>& moves, const PathOptions& o = {},
                 const Tdisp_status& d = rows()) {
  TextSink s;
  PathEmitter e(d, o, s);
  e.reset();
  for (const PathMove& m : moves) e.draw_PATH_seg(m);
  return s.out;
}

const char* L1 = "L(0,0,0>1,0,0)";

}  // namespace

TEST(PathEmit, FeedBandsAndColourKeys) {
  struct Case {
    const char* what;
    std::vector<PathMove> moves;
    int bands;
    std::string want;
  };
  const std::string b1 = "S(10,2,1,0,1)", b2 = "S(20,3,1,0,1)", b3 = "S(30,4,1,0,1)";
  const std::string r0 = "S(0,1,1,0,1)";
  const Case cases[] = {
      {"below the first limit", {lin(1, 50)}, 3, b1 + L1},
      {"at a limit", {lin(1, 100)}, 3, b1 + L1},
      {"between limits", {lin(1, 300)}, 3, b2 + L1},
      {"above every limit takes the last band", {lin(1, 5000)}, 3, b3 + L1},
      {"one band", {lin(1, 5000)}, 1, b1 + L1},
      {"eight bands", {lin(1, 8500)}, 8, "S(80,9,1,0,1)" + std::string(L1)},
      {"one style per key", {lin(1, 300), lin(1, 300)}, 3, b2 + L1 + L1},
      {"a new feed in the same band", {lin(1, 300), lin(1, 400)}, 3, b2 + L1 + b2 + L1},
      {"F0 after a rapid gets its band", {rapid(1), lin(1, 0)}, 3, r0 + L1 + b1 + L1},
      {"rapid after rapid", {rapid(1), rapid(1)}, 3, r0 + L1 + L1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(emit(c.moves, {}, rows(c.bands)), c.want) << c.what;
  }
}

TEST(PathEmit, StyleFactorsAndPatterns) {
  struct Case {
    int style;
    double factor;
    unsigned pattern;
    int want;
  };
  const Case cases[] = {{1, 0, 0x00FF, 1},    {2, -3, 0x0F0F, 1},   {3, 0.4, 0x0303, 1},
                        {4, 255.4, 0x0001, 255}, {1, 300, 0x00FF, 255}, {5, 2, 0, 2},
                        {-1, 2, 0, 2},        {0, NAN, 0, 1},       {1, 2.5, 0x00FF, 3}};
  for (const Case& c : cases) {
    const PathStipple s = set_line_style(c.style, c.factor);
    EXPECT_EQ(s.pattern, c.pattern) << c.style;
    EXPECT_EQ(s.factor, c.want) << c.factor;
  }
}

TEST(PathEmit, CycleStepsAndHiddenRapids) {
  PathOptions hidden;
  hidden.hide_rapid = true;
  const std::string r0 = "S(0,1,1,0,1)", b2 = "S(20,3,1,0,1)";
  struct Case {
    int step;
    bool hide;
    std::string want;
  };
  const Case cases[] = {
      {0, false, ""},           {54, false, ""},         {1, false, r0 + L1},
      {51, false, r0 + L1},     {91, false, r0 + L1},    {3, false, b2 + L1},
      {1, true, ""},            {91, true, ""},          {3, true, b2 + L1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(emit({cyc(c.step)}, c.hide ? hidden : PathOptions{}), c.want) << c.step;
  EXPECT_EQ(emit({rapid(1)}, hidden), "");
  PathMove none = lin(1, 100);
  none.kind = PathMoveKind::none;
  EXPECT_EQ(emit({none}), "");
}

TEST(PathEmit, MotionKindAndToolColouring) {
  PathOptions kind;
  kind.coloring = 1;
  PathMove cw = lin(0, 100), ccw = lin(0, 100);
  cw.kind = PathMoveKind::cw;
  ccw.kind = PathMoveKind::ccw;
  cw.start = ccw.start = cw.end = ccw.end = {1, 0, 0};  // full circles about the origin
  EXPECT_EQ(emit({lin(1, 100), lin(1, 900), rapid(1), cyc(3)}, kind),
            "S(110,12,1,0,1)" + std::string(L1) + L1 + "S(100,11,1,0,1)" + L1 +
                "S(140,15,1,0,1)" + L1);
  const std::string arcs = emit({cw, ccw}, kind);
  EXPECT_EQ(arcs.substr(0, 15), "S(120,13,1,0,1)");
  EXPECT_NE(arcs.find("S(130,14,1,0,1)"), std::string::npos);

  PathOptions tool;
  tool.coloring = 2;
  tool.thick = false;  // thin width of row 11
  PathMove t1 = lin(1, 100), t2 = lin(1, 900);
  t1.tool = 1;
  t1.tool_rgba[0] = 77;
  t2.tool = 2;
  t2.tool_rgba[0] = 88;
  EXPECT_EQ(emit({t1, t1, rapid(1), t2}, tool),
            "S(77,1,1,0,1)" + std::string(L1) + L1 + "S(100,1,1,0,1)" + L1 + "S(88,1,1,0,1)" +
                L1);
}

TEST(PathEmit, CompensatedBlockMarksItsSegmentsAndRestoresTheWidth) {
  PathMove m = lin(10, 300);
  m.comp_count = 2;
  m.comp[0].start = {0, 1, 0};
  m.comp[0].end = {10, 1, 0};
  m.comp[1].arc = true;
  m.comp[1].cw = true;
  m.comp[1].start = {10, 1, 0};
  m.comp[1].end = {11, 0, 0};
  m.comp[1].centre = {10, 0, 0};
  m.comp[1].radius = 1;
  EXPECT_EQ(emit({m, lin(10, 300)}),
            "S(20,3,1,0,1)L(0,0,0>10,0,0)"
            "S(20,5,9,0,1)L(0,1,0>10,1,0)P(10,1,0)A(9,0,0)P(11,0,0)"
            "S(20,3,1,0,1)L(0,0,0>10,0,0)");
}

TEST(PathEmit, ZOffsetRaisesLinesArcsAndSubSteps) {
  PathOptions o;
  o.z_offset = 5;
  PathMove arc = lin(0, 100);
  arc.kind = PathMoveKind::ccw;
  arc.start = {1, 0, 0};
  arc.end = {0, 1, 2};
  EXPECT_EQ(emit({lin(1, 100), arc, cyc(3, 100)}, o),
            "S(10,2,1,0,1)L(0,0,5>1,0,5)A(9,5,7)L(0,0,5>1,0,5)");
}

TEST(PathEmit, ARaisedToolLiftsOnlyItsOwnMovesOverTheCommonOffset) {
  PathOptions o;
  o.z_offset = 1;
  o.tool_raise = {{2, 5}};
  PathMove ball = lin(1, 100), flat = lin(1, 100);
  ball.tool = 2;
  flat.tool = 1;
  PathMove arc = ball;
  arc.kind = PathMoveKind::ccw;
  arc.start = {1, 0, 0};
  arc.end = {0, 1, 2};
  // the ball's line and arc by 1 + 5, the flat's line (and the ball's after it) as their own
  EXPECT_EQ(emit({ball, flat, arc, ball}, o),
            "S(10,2,1,0,1)L(0,0,6>1,0,6)L(0,0,1>1,0,1)A(9,6,8)L(0,0,6>1,0,6)");
  TextSink s;
  PathEmitter e(rows(), o, s);
  e.draw_PATH_pick(flat);
  e.mark(ball);
  EXPECT_EQ(s.out, "L(0,0,1>1,0,1)S(255,2,1,0,1)L(0,0,6>1,0,6)S(255,1,1,0,1)");
}

TEST(PathEmit, PickAndMarkEmitNoColourChange) {
  TextSink s;
  PathOptions o;
  o.hide_rapid = true;
  const Tdisp_status d = rows();
  PathEmitter e(d, o, s);
  e.reset();
  e.draw_PATH_pick(lin(1, 300));
  e.draw_PATH_pick(rapid(1));
  e.draw_PATH_pick(cyc(1));
  e.draw_PATH_pick(cyc(54));
  EXPECT_EQ(s.out, L1);
  s.out.clear();
  e.draw_PATH_seg(lin(1, 300));
  e.mark(lin(1, 300));
  EXPECT_EQ(s.out, "S(20,3,1,0,1)" + std::string(L1) + "S(20,2,1,0,1)" + L1 + "S(20,3,1,0,1)");
}

TEST(PathEmit, ArcPointsFollowThePlaneAndDirection) {
  struct Case {
    PathPlane plane;
    bool cw;
    PathPoint start, end, centre, mid;  // mid: the point half way along, helix included
  };
  const Case cases[] = {
      {PathPlane::xy, false, {1, 0, 0}, {-1, 0, 4}, {0, 0, 0}, {0, 1, 2}},
      {PathPlane::xy, true, {1, 0, 0}, {-1, 0, 0}, {0, 0, 0}, {0, -1, 0}},
      {PathPlane::zx, false, {0, 0, 1}, {0, 0, -1}, {0, 0, 0}, {1, 0, 0}},
      {PathPlane::yz, false, {0, 1, 0}, {0, -1, 0}, {0, 0, 0}, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    std::vector<PathPoint> pts;
    path_arc_points(c.start, c.end, c.centre, c.cw, c.plane, 0.01, pts);
    ASSERT_GE(pts.size(), 3u);
    double nearest = 1e9;
    for (const PathPoint& p : pts)
      nearest = std::fmin(nearest, std::hypot(p.x - c.mid.x, p.y - c.mid.y, p.z - c.mid.z));
    EXPECT_LT(nearest, 0.05) << static_cast<int>(c.plane) << c.cw;
    EXPECT_EQ(pts.back().x, c.end.x);
  }
  std::vector<PathPoint> full;
  path_arc_points({1, 0, 0}, {1, 0, 0}, {0, 0, 0}, false, PathPlane::xy, 0.5, full);
  EXPECT_GE(full.size(), 37u);  // a whole circle, not a point
}
