#include "tooling/core/g2_func.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

std::vector<std::string> split_crlf(const std::string& s) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < s.size()) {
    const std::size_t e = s.find("\r\n", at);
    if (e == std::string::npos) {
      out.push_back(s.substr(at) + "<no CRLF>");
      break;
    }
    out.push_back(s.substr(at, e - at));
    at = e + 2;
  }
  return out;
}

int dxf_entities(const TG2& g) {
  int n = 0;
  for (const std::string& l : split_crlf(g.dxf_text)) n += l == "LINE";
  return n;
}

TG2_points square4() {
  TG2_points p;
  p.add(0, 0);
  p.add(10, 0);
  p.add(10, 10);
  p.add(0, 10);
  return p;
}

}  // namespace

TEST(G2View, FitAndMapping) {
  struct Case {
    const char* what;
    int mode, w, h, margin;
    float x0, y0, x1, y1;
    VEC3 probe;
    TG2_ipoint want;
    float want_scale;
  };
  const Case cases[] = {
      // 200 x 100 world on a 100 x 100 canvas: scaled by the width (0.5), centred vertically.
      {"2:1 world, square canvas, lower left", 0, 100, 100, 0, 0, 0, 200, 100, {0, 0, 0}, {0, 75}, 0.5f},
      {"2:1 world, square canvas, upper right", 0, 100, 100, 0, 0, 0, 200, 100, {200, 100, 0}, {100, 25}, 0.5f},
      // Mode 1: world Y runs to the right, world X downwards.
      {"transposed origin", 1, 100, 50, 0, 0, 0, 50, 100, {0, 0, 0}, {0, 0}, 1.0f},
      {"transposed x goes down", 1, 100, 50, 0, 0, 0, 50, 100, {40, 10, 0}, {10, 40}, 1.0f},
      {"margin", 0, 120, 120, 10, 0, 0, 100, 100, {0, 0, 0}, {10, 110}, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TG2 g;
    G2_set_canvas(g, 3, c.mode, c.w, c.h, c.margin);
    G2_set_world(g, 3, c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(g.view[3].valid, 1);
    EXPECT_FLOAT_EQ(g.view[3].scale, c.want_scale);
    EXPECT_EQ(G2_to_pixel(g, 3, c.probe), c.want);
  }
}

TEST(G2View, ZeroZoomBecomesOneAndSeenBoxStartsAtOrigin) {
  TG2 g;
  g.view[1].zoom = 0;
  G2_set_canvas(g, 1, 0, 100, 100, 0);
  G2_set_world(g, 1, -10, -10, 10, 10);
  EXPECT_FLOAT_EQ(g.view[1].zoom, 1.0f);
  G2_to_pixel(g, 1, {5, -3, 0});
  EXPECT_FLOAT_EQ(g.view[1].seen_xmin, 0);
  EXPECT_FLOAT_EQ(g.view[1].seen_xmax, 5);
  EXPECT_FLOAT_EQ(g.view[1].seen_ymin, -3);
  EXPECT_FLOAT_EQ(g.view[1].seen_ymax, 0);
  G2_set_world(g, 1, -10, -10, 10, 10);
  EXPECT_FLOAT_EQ(g.view[1].seen_ymin, 0);
}

TEST(G2View, DegenerateFitKeepsThePreviousScale) {
  struct Case {
    const char* what;
    int w, h, margin;
    float x1, y1;
  };
  const Case cases[] = {
      {"margins wider than the canvas", 100, 100, 50, 10, 10},
      {"empty width", 100, 100, 0, 0, 10},
      {"empty height", 100, 100, 0, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TG2 g;
    G2_set_canvas(g, 0, 0, 100, 100, 0);
    G2_set_world(g, 0, 0, 0, 50, 50);
    ASSERT_FLOAT_EQ(g.view[0].scale, 2.0f);
    G2_set_canvas(g, 0, 0, c.w, c.h, c.margin);
    G2_set_world(g, 0, 0, 0, c.x1, c.y1);
    EXPECT_EQ(g.view[0].valid, 0);
    EXPECT_FLOAT_EQ(g.view[0].scale, 2.0f);
  }
}

TEST(G2View, HugeAndNonFiniteWorldValuesStayDefined) {
  TG2 g;
  G2_set_canvas(g, 0, 0, 100, 100, 0);
  G2_set_world(g, 0, 0, 0, 10, 10);
  const TG2_ipoint big = G2_to_pixel(g, 0, {1e30f, -1e30f, 0});
  EXPECT_GT(big.x, 1000000);
  EXPECT_GT(big.y, 1000000);  // far below the canvas
  EXPECT_LT(G2_to_pixel(g, 0, {0, 1e30f, 0}).y, -1000000);
  G2_to_pixel(g, 0, {std::nanf(""), 0, 0});  // no trap under the sanitizers
}

TEST(G2Arc, PointCountsAndIndexWrap) {
  struct Case {
    const char* what;
    bool ccw;
    float r;
    VEC3 start, end;
    int want_count;
  };
  const float s = Sin_Z(0.01f);
  const Case cases[] = {
      // 10 px: step 8, a full turn of 256 units gives 31 points between start and end.
      {"full circle, r 10 px", true, 10, {10, 0, 0}, {10, 0, 0}, 33},
      {"full circle, r 300 px: step 7", true, 300, {300, 0, 0}, {300, 0, 0}, 2 + 256 / 7 - 1},
      {"negative radius: step 8", true, -10, {10, 0, 0}, {10, 0, 0}, 33},
      // Clockwise from 45 degrees to -45 degrees: a quarter turn across angle 0.
      {"clockwise across 0", false, 10, {7.0710678f, 7.0710678f, 0}, {7.0710678f, -7.0710678f, 0}, 2 + 64 / 8 - 1},
      // Starting just below 2 pi: the start index rounds to 256 and wraps to 0.
      {"start just below 2 pi", true, 10, {10, -10 * s, 0}, {0, 10, 0}, 2 + 65 / 8 - 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TG2 g;
    G2_set_canvas(g, 0, 0, 1000, 1000, 0);
    G2_set_world(g, 0, 0, 0, 1000, 1000);
    TG2_points pts;
    G2_add_arc_points(g, 0, c.ccw, c.r, c.start, c.end, {0, 0, 0}, pts);
    ASSERT_EQ(pts.count, c.want_count);
    // Every intermediate point lies on the circle, on the swept side.
    for (int i = 1; i + 1 < pts.count; ++i) {
      const float d = std::hypot(pts.p[i].x, pts.p[i].y);
      EXPECT_NEAR(d, std::fabs(c.r), 1e-3f) << i;
      if (!c.ccw) {
        EXPECT_GT(pts.p[i].x, 0) << i;
      }
    }
    EXPECT_FLOAT_EQ(pts.p[pts.count - 1].x, c.end.x);
  }
}

TEST(G2Arc, TheListStopsAt300Points) {
  TG2 g;
  G2_set_canvas(g, 0, 0, 1000, 1000, 0);
  G2_set_world(g, 0, 0, 0, 1000, 1000);
  TG2_points pts;
  for (int i = 0; i < 290; ++i) pts.add(1, 1);
  G2_add_arc_points(g, 0, true, 10, {10, 0, 0}, {10, 0, 0}, {0, 0, 0}, pts);
  EXPECT_EQ(pts.count, 300);
  // A list past the cap is cut when drawn: 300 converted points, and the closing one.
  TG2_canvas c;
  G2_polyline(g, c, 0, false, pts);
  ASSERT_EQ(c.prims().back().kind, TG2_prim::Kind::polyline);
  EXPECT_EQ(c.prims().back().points.size(), 301u);
}

TEST(G2Dxf, CapturedSegmentBytes) {
  TG2 g;
  G2_set_canvas(g, 0, 0, 100, 100, 0);
  G2_set_world(g, 0, 0, 0, 100, 100);
  TG2_canvas c;
  G2_line(g, c, 0, {0, 0, 0}, {12.5f, -3, 0});
  EXPECT_EQ(g.dxf_text, "");  // capture off
  {
    TG2_capture_scope on(g);
    G2_line(g, c, 0, {0, 0, 0}, {12.5f, -3, 0});
  }
  EXPECT_EQ(g.dxf_capture, 0);
  EXPECT_EQ(g.dxf_text,
            "0\r\nLINE\r\n10\r\n0\r\n20\r\n0\r\n30\r\n0\r\n11\r\n12.5\r\n21\r\n-3\r\n31\r\n0\r\n");
  // The line is drawn start -> end -> start, so both end pixels are painted.
  const TG2_prim& l = c.prims().back();
  ASSERT_EQ(l.points.size(), 3u);
  EXPECT_EQ(l.points[0], l.points[2]);
}

TEST(G2Dxf, EntityCountsOfOutlinesAndPolylines) {
  struct Case {
    const char* what;
    bool closed;
    int points;
    int want_entities;
  };
  const Case cases[] = {
      {"closed 4 points", true, 4, 4},
      {"open 4 points", false, 4, 3},
      {"closed 2 points draw nothing", true, 2, 0},
      {"open 1 point draws nothing", false, 1, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TG2 g;
    G2_set_canvas(g, 0, 0, 100, 100, 0);
    G2_set_world(g, 0, 0, 0, 100, 100);
    TG2_points pts = square4();
    pts.count = k.points;
    TG2_canvas c;
    TG2_capture_scope on(g);
    if (k.closed) G2_polyline(g, c, 0, false, pts);
    else G2_polyline_pixels(g, c, 0, pts);
    EXPECT_EQ(dxf_entities(g), k.want_entities);
  }
}

TEST(G2Dxf, FileWrapper) {
  EXPECT_EQ(G2_DXF_file_text(""), "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n");
}

TEST(G2Pen, LineTypeCodesAndColours) {
  struct Case {
    int code;
    TG2_pen_style style;
    int width;
  };
  const Case cases[] = {{-4, TG2_pen_style::dash, 1},     {-3, TG2_pen_style::dot, 1},
                        {-2, TG2_pen_style::dash_dot, 1}, {-1, TG2_pen_style::dash_dot_dot, 1},
                        {3, TG2_pen_style::solid, 3}};
  for (const Case& k : cases) {
    TG2_canvas c;
    G2_set_pen(c, 5, 10);
    G2_set_pen(c, k.code, -1);  // colour kept
    EXPECT_EQ(c.pen().style, k.style) << k.code;
    EXPECT_EQ(c.pen().width, k.width) << k.code;
    EXPECT_EQ(c.pen().color, color_code_to_TColor(10)) << k.code;
  }
  TG2_canvas c;
  G2_set_pen(c, 4, 10);
  G2_set_pen(c, 0, 2);  // code 0 keeps style and width
  EXPECT_EQ(c.pen().width, 4);
  EXPECT_EQ(c.pen().color, color_code_to_TColor(2));
  EXPECT_EQ(c.brush_color(), color_code_to_TColor(2));
}

TEST(G2Figure, RunsAreDrawnWithTheirOwnPointCounts) {
  TStroke_figure f;
  const VEC3 a[2] = {{0, 0, 0}, {1, 0, 0}};
  const VEC3 b[3] = {{0, 1, 0}, {1, 1, 0}, {1, 2, 0}};
  ASSERT_TRUE(f.add_run(a, 2));
  ASSERT_TRUE(f.add_run(b, 3));
  TG2 g;
  G2_set_canvas(g, 0, 0, 100, 100, 0);
  G2_set_world(g, 0, 0, 0, 10, 10);
  TG2_canvas c;
  TG2_capture_scope on(g);
  G2_draw_figure(g, c, 0, 5, 5, f);
  EXPECT_EQ(dxf_entities(g), 3);
  EXPECT_FLOAT_EQ(g.view[0].seen_xmax, 6);
  EXPECT_FLOAT_EQ(g.view[0].seen_ymax, 7);
}
