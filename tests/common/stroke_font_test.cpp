#include "common/stroke_font.h"
#include "common/ats_func.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kTol = 1e-4f;

#define EXPECT_POINT(p, X, Y, Z)          \
  do {                                    \
    const VEC3 q_ = (p);                  \
    EXPECT_NEAR(q_.x, (X), kTol) << #p;   \
    EXPECT_NEAR(q_.y, (Y), kTol) << #p;   \
    EXPECT_NEAR(q_.z, (Z), kTol) << #p;   \
  } while (0)

std::vector<int> runs_of(const TStroke_figure& f) {
  std::vector<int> r;
  for (int i = 0; i < kStroke_max_runs && f.runs[i] >= 0; ++i) r.push_back(f.runs[i]);
  return r;
}

TEST(StrokeChar, AdvancesAndRunsScaleWithTheCellHeight) {
  struct C {
    char ch;
    float advance;  // in cell units
    std::vector<int> runs;
  };
  const std::vector<C> cases = {
      {' ', 0.2f, {}},       {'(', 0.4f, {4}},      {'+', 0.5f, {2, 2}},  {'-', 0.5f, {2}},
      {'.', 0.2f, {5}},      {'0', 0.4f, {5}},      {'2', 0.4f, {7}},     {'3', 0.4f, {4, 2}},
      {'8', 0.4f, {5, 2}},   {';', 0.4f, {5}},      {'@', 0.4f, {9, 2}},  {'X', 0.4f, {2, 2}},
      {'Y', 0.4f, {3, 2}},   {'Z', 0.4f, {4}},      {'r', 0.4f, {2, 3}},
      // no strokes of their own: the fallback line
      {'A', 0.4f, {2}},      {'s', 0.4f, {2}},      {'\x83', 0.4f, {2}},  {'\0', 0.4f, {2}},
  };
  const float size = 3.0f;
  const float k = size / 0.6f;
  for (const C& c : cases) {
    const TStroke_figure f = stroke_char(c.ch, size);
    EXPECT_NEAR(f.advance, c.advance * k, kTol) << c.ch;
    EXPECT_NEAR(f.height, size, kTol) << c.ch;
    EXPECT_EQ(runs_of(f), c.runs) << c.ch;
    int n = 0;
    for (int r : c.runs) n += r;
    EXPECT_EQ(f.count, n) << c.ch;
  }
  const TStroke_figure a = stroke_char('A', size);
  EXPECT_POINT(a.points[0], 0.1f * k, 0.6f * k, 0);
  EXPECT_POINT(a.points[1], 0.3f * k, 0, 0);
  const TStroke_figure at = stroke_char('@', 0.6f);
  EXPECT_POINT(at.points[0], 0.2f, 0.075f, 0);
  EXPECT_POINT(at.points[8], 0.2f, 0.075f, 0);
  EXPECT_POINT(at.points[10], 0.3f, 0.35f, 0);
}

TEST(PlaceGlyph, MovesByThePenAndAdvancesIt) {
  float pen = 1.0f;
  const TStroke_figure one = place_glyph('1', pen, 3.0f);  // cell scale 5
  EXPECT_POINT(one.points[0], 1.0f + 1.0f, 3.0f, 0);
  EXPECT_NEAR(pen, 1.0f + 2.0f, kTol);
  const TStroke_figure blank = place_glyph_centred(' ', pen, 3.0f);
  EXPECT_EQ(blank.count, 0);
  EXPECT_NEAR(pen, 3.0f + 1.0f, kTol);
  const TStroke_figure centred = place_glyph_centred('1', pen, 3.0f);
  EXPECT_POINT(centred.points[0], 4.0f + 1.0f, 1.5f, 0);
  EXPECT_POINT(centred.points[1], 4.0f + 1.0f, -1.5f, 0);
}

TEST(Text3D, LeaderAndGlyphsFollowTheMode) {
  // The glyph "1" at size 0.6 (scale 1), centred: its first point is (0.2, 0.3); W = 0.4.
  const VEC3 O{10, 20, 30};
  const float L = 5, g = 1, d = std::sqrt(0.5f);
  struct C {
    int mode;
    VEC3 lead0, lead1, p0;
  };
  const std::vector<C> cases = {
      {1, {11, 20, 30}, {14, 20, 30}, {15.2f, 20.3f, 30}},
      {2, {10, 21, 30}, {10, 24, 30}, {9.7f, 25.2f, 30}},
      {3, {9, 20, 30}, {6, 20, 30}, {4.8f, 20, 30.3f}},
      {4, {10 + d, 20 + d, 30}, {10 + 4 * d, 20 + 4 * d, 30}, {10 + 5.2f * d, 20 + 5.2f * d, 30.3f}},
      {11, {9, 20, 30}, {6, 20, 30}, {4.4f, 20.3f, 30}},
      {22, {10, 19, 30}, {10, 16, 30}, {9.7f, 14.4f, 30}},
  };
  for (const C& c : cases) {
    TStroke_text t;
    make_3D_text_strokes(c.mode, "1", t, L, g, 0.6f, O);
    SCOPED_TRACE(c.mode);
    ASSERT_EQ(t.count, 1);
    EXPECT_EQ(runs_of(t.figure), std::vector<int>{2});
    EXPECT_POINT(t.figure.points[0], c.lead0.x, c.lead0.y, c.lead0.z);
    EXPECT_POINT(t.figure.points[1], c.lead1.x, c.lead1.y, c.lead1.z);
    EXPECT_POINT(t.glyphs[0].points[0], c.p0.x, c.p0.y, c.p0.z);
  }

  TStroke_text t;
  make_3D_text_strokes(7, "1", t, L, g, 0.6f, O);
  EXPECT_EQ(t.figure.count, 0);
  EXPECT_TRUE(runs_of(t.figure).empty());
  EXPECT_POINT(t.glyphs[0].points[0], 0.2f, 0.3f, 0);
}

TEST(Text3D, CutsAt31Glyphs) {
  TStroke_text t;
  make_3D_text_strokes(1, std::string(40, '1'), t, 0, 0, 0.6f, VEC3{});
  EXPECT_EQ(t.count, 31);
  EXPECT_NEAR(t.figure.advance, 31 * 0.4f, kTol);
  EXPECT_POINT(t.glyphs[30].points[0], 30 * 0.4f + 0.2f, 0.3f, 0);
}

TEST(DimRadius, ArrowOnTheArcLeaderAndTextBySide) {
  // P straight below the centre, Q to its right: the figure points at 315 degrees.
  const VEC3 C{5, 5, 0}, P{5, -5, 0}, Q{15, 5, 0};
  const float a = 2, e = 3, h = 0.6f, d = std::sqrt(0.5f);
  const float W = 1.8f;  // "r12.5" at scale 1
  const VEC3 anchor{5 + 13 * d, 5 - 13 * d, 0};

  TStroke_text t;
  make_dim_radius(P, Q, C, a, e, h, 1.0f, 12.5f, "", "", t);
  ASSERT_EQ(t.count, 5);
  EXPECT_EQ(runs_of(t.figure), (std::vector<int>{2, 3, 2}));
  EXPECT_EQ(t.figure.count, 7);
  EXPECT_POINT(t.figure.points[0], 5, 5, 0);
  EXPECT_POINT(t.figure.points[1], anchor.x, anchor.y, 0);
  EXPECT_POINT(t.figure.points[3], 5 + 10 * d, 5 - 10 * d, 0);  // arrow tip on the arc
  // Arrow wings: (R + a, +-a/3) turned by 315 degrees.
  EXPECT_POINT(t.figure.points[2], 5 + (12 + 2.0f / 3) * d, 5 + (-12 + 2.0f / 3) * d, 0);
  EXPECT_POINT(t.figure.points[5], anchor.x, anchor.y, 0);
  EXPECT_POINT(t.figure.points[6], anchor.x + W, anchor.y, 0);
  EXPECT_POINT(t.glyphs[0].points[0], anchor.x + 0.1f, anchor.y + 1.6f, 0);

  make_dim_radius(P, Q, C, a, e, h, -1.0f, 12.5f, "", "", t);
  EXPECT_POINT(t.figure.points[0], anchor.x, anchor.y, 0);  // leader from outside in
  EXPECT_POINT(t.figure.points[1], 5, 5, 0);
  EXPECT_POINT(t.figure.points[5], anchor.x - W, anchor.y, 0);
  EXPECT_POINT(t.figure.points[6], anchor.x, anchor.y, 0);
  EXPECT_POINT(t.glyphs[0].points[0], anchor.x - W + 0.1f, anchor.y + 1.6f, 0);

  make_dim_radius(P, Q, C, -a, e, h, 0.0f, 12.5f, "", "", t);
  EXPECT_POINT(t.figure.points[5], anchor.x, anchor.y, 0);
  EXPECT_POINT(t.figure.points[6], anchor.x, anchor.y, 0);
  EXPECT_POINT(t.glyphs[0].points[0], anchor.x - W / 2 + 0.1f, anchor.y + 1.6f, 0);
}

TEST(DimRadius, MiddleDirectionAcrossZero) {
  // P at 350 degrees and Q at 10 degrees: the arc between them is bisected at 0 degrees.
  const float r = 10, rad = static_cast<float>(ATS_PI) / 180;
  const VEC3 C{0, 0, 0};
  const VEC3 P{r * std::cos(350 * rad), r * std::sin(350 * rad), 0};
  const VEC3 Q{r * std::cos(10 * rad), r * std::sin(10 * rad), 0};
  TStroke_text t;
  make_dim_radius(P, Q, C, 1, 2, 0.6f, 1, 10, "", "", t);
  EXPECT_POINT(t.figure.points[1], 12, 0, 0);
  // Swapped, the counter-clockwise arc from P to Q runs through 180 degrees.
  make_dim_radius(Q, P, C, 1, 2, 0.6f, 1, 10, "", "", t);
  EXPECT_POINT(t.figure.points[1], -12, 0, 0);
}

TEST(DimDiameter, LeaderAlwaysFromTheCentreAndDiameterSign) {
  const VEC3 C{0, 0, 0}, P{0, -4, 0}, Q{4, 0, 0};
  TStroke_text t;
  make_dim_diameter(P, Q, C, 1, 1, 0.6f, -1, 8, "", "", t);
  EXPECT_POINT(t.figure.points[0], 0, 0, 0);
  ASSERT_EQ(t.count, 2);
  EXPECT_EQ(runs_of(t.glyphs[0]), (std::vector<int>{9, 2}));  // "@"
  EXPECT_EQ(t.figure.count, 7);
}

TEST(DimText, KeepsThirtyCharacters) {
  TStroke_text t;
  make_dim_radius({0, -1, 0}, {1, 0, 0}, {0, 0, 0}, 1, 1, 0.6f, 1, 1, std::string(40, '1'), "",
                  t);
  EXPECT_EQ(t.count, 30);
  EXPECT_NEAR(t.figure.advance, 30 * 0.4f, kTol);
  make_dim_angle({0, 0, 0}, {1, 0, 0}, 1, 1, 0.6f, 1, 1, std::string(40, '1'), "", t);
  EXPECT_EQ(t.count, 30);
}

TEST(DimAngle, ArrowOnTheMiddleOfTheSegment) {
  TStroke_text t;
  make_dim_angle({10, 0, 0}, {0, 0, 0}, 1.5f, 4, 0.6f, 1, 30, "", "", t);
  EXPECT_EQ(runs_of(t.figure), (std::vector<int>{2, 3, 2}));
  EXPECT_POINT(t.figure.points[0], 5, 0, 0);
  EXPECT_POINT(t.figure.points[1], 5, 4, 0);
  EXPECT_POINT(t.figure.points[2], 5.5f, 1.5f, 0);
  EXPECT_POINT(t.figure.points[3], 5, 0, 0);
  EXPECT_POINT(t.figure.points[4], 4.5f, 1.5f, 0);
  ASSERT_EQ(t.count, 3);  // "30" and the degree sign
  EXPECT_EQ(runs_of(t.glyphs[2]), std::vector<int>{5});
  EXPECT_POINT(t.glyphs[0].points[0], 5 + 0.1f, 4 + 1.2f + 0.6f, 0);  // "3" starts at its top

  // Along +Y from Q: the leader points to -X; the text stays upright.
  make_dim_angle({3, 12, 0}, {3, 2, 0}, 1, 4, 0.6f, -1, 30, "", "", t);
  EXPECT_POINT(t.figure.points[0], 3, 7, 0);
  EXPECT_POINT(t.figure.points[1], -1, 7, 0);
  EXPECT_POINT(t.figure.points[5], -1 - 1.2f, 7, 0);
}

TEST(DimLinear, HorizontalWithExtensionLines) {
  TStroke_text t;
  // Given in reverse order: the frame starts at the point with the smaller X.
  const TDim_text_widths w =
      make_dim_linear(1, {10, 0, 0}, {0, 0, 0}, 1, -2, 0.5f, 0.6f, 0, "@", "", t);
  EXPECT_NEAR(w.text, 1.2f, kTol);
  EXPECT_NEAR(w.padded, 1.6f, kTol);
  ASSERT_EQ(t.count, 3);  // "@10"
  EXPECT_EQ(runs_of(t.figure), (std::vector<int>{2, 3, 3, 2, 2}));
  EXPECT_EQ(t.figure.count, 12);
  const VEC3* p = t.figure.points;
  EXPECT_POINT(p[0], 0, -2, 0);
  EXPECT_POINT(p[1], 10, -2, 0);
  EXPECT_POINT(p[2], 1, -2 + 1.0f / 3, 0);
  EXPECT_POINT(p[3], 0, -2, 0);
  EXPECT_POINT(p[4], 1, -2 - 1.0f / 3, 0);
  EXPECT_POINT(p[5], 9, -2 + 1.0f / 3, 0);
  EXPECT_POINT(p[6], 10, -2, 0);
  EXPECT_POINT(p[8], 0, -2, 0);
  EXPECT_POINT(p[9], 0, -1.5f, 0);  // toward the measured point
  EXPECT_POINT(p[11], 10, -1.5f, 0);
  // Centred text, 0.8 * a above the line.
  EXPECT_POINT(t.glyphs[0].points[0], 5 - 0.6f + 0.2f, -2 + 0.8f + 0.075f, 0);

  make_dim_linear(1, {0, 0, 0}, {10, 0, 0}, 1, -2, -0.5f, 0.6f, 0, "", "", t);
  EXPECT_EQ(runs_of(t.figure), (std::vector<int>{2, 3, 3}));
  EXPECT_EQ(t.figure.count, 8);
}

TEST(DimLinear, ValueTextAndShortArrows) {
  TStroke_text t;
  make_dim_linear(1, {0, 0, 0}, {2, 0, 0}, 1, 0, -1, 0.6f, 0, "(", ")", t);
  EXPECT_EQ(t.count, 3);  // "(2)"
  EXPECT_POINT(t.figure.points[2], 2.0f / 3, 2.0f / 9, 0);  // arrows of L/3

  make_dim_linear(1, {4, 1, 0}, {4.00005f, 1, 0}, 1, 0, -1, 0.6f, 0, "", "", t);
  ASSERT_EQ(t.count, 1);  // "0"
  EXPECT_EQ(runs_of(t.glyphs[0]), std::vector<int>{5});

  make_dim_linear(1, {0, 0, 0}, {12.3456f, 0, 0}, 3, 0, -1, 0.6f, 0, "", "", t);
  EXPECT_EQ(t.count, 6);  // "12.346"
}

TEST(DimLinear, PlacementCodes) {
  // a = 1; the value is the length ("5": width 0.4, padded 0.8). At L = 5 everything fits,
  // below 3a the arrows do not.
  struct C {
    float len, t;
    float text_x;              // left end of the text
    float line_from, line_to;  // the dimension line
    float start_wing;          // x of the start arrow's wings
    char first;                // the value's first character
  };
  const std::vector<C> cases = {
      {5, -10000, 2.3f, 0, 5, 1, '5'},
      {5, 20000, 2.3f, 0, 5, 1, '5'},
      {1, -10000, -0.5f, -1, 2, -1, '1'},  // before the start, arrows outward
      // the text fits, but two arrows of a need 3a
      {2.5f, -10000, -1.1f, -1.1f, 3.5f, -1, '2'},
      {1, 10000, 1.1f, -1, 2, -1, '1'},  // after the end, arrows outward
      {1, 20000, 1.1f, 0, 1.5f, 1.0f / 3, '1'},  // after the end, arrows inward (L/3)
      {1, -20000, -0.5f, -0.5f, 1, 1.0f / 3, '1'},
      {5, -3, -3.4f, -3.4f, 5, 1, '5'},
      {5, 2, 7, 0, 7.4f, 1, '5'},
  };
  for (const C& c : cases) {
    SCOPED_TRACE(testing::Message() << c.len << " " << c.t);
    TStroke_text t;
    make_dim_linear(1, {0, 0, 0}, {c.len, 0, 0}, 1, 0, -1, 0.6f, c.t, "", "", t);
    EXPECT_POINT(t.figure.points[0], c.line_from, 0, 0);
    EXPECT_POINT(t.figure.points[1], c.line_to, 0, 0);
    EXPECT_NEAR(t.figure.points[2].x, c.start_wing, kTol);
    EXPECT_NEAR(t.glyphs[0].points[0].x - stroke_char(c.first, 0.6f).points[0].x, c.text_x, kTol);
  }
}

TEST(DimLinear, VerticalTextReadsUpward) {
  TStroke_text t;
  make_dim_linear(2, {0, 10, 0}, {0, 0, 0}, 1, 2, 0.5f, 0.6f, 0, "", "", t);
  const VEC3* p = t.figure.points;
  EXPECT_POINT(p[0], -2, 0, 0);
  EXPECT_POINT(p[1], -2, 10, 0);
  EXPECT_POINT(p[3], -2, 0, 0);
  EXPECT_POINT(p[9], -1.5f, 0, 0);
  // "10" centred along Y, lifted to the left of the line: the "1" stroke (0.2,0.6)-(0.2,0).
  EXPECT_POINT(t.glyphs[0].points[0], -(2 + 0.8f + 0.6f), 5 - 0.4f + 0.2f, 0);
  EXPECT_POINT(t.glyphs[0].points[1], -(2 + 0.8f), 5 - 0.4f + 0.2f, 0);
}

TEST(AxisMark, EighteenPointsInSevenRuns) {
  TStroke_figure f;
  make_axis_mark(f, 20);
  EXPECT_EQ(f.count, 18);
  EXPECT_EQ(runs_of(f), (std::vector<int>{3, 2, 2, 3, 2, 2, 4}));
  EXPECT_FLOAT_EQ(f.height, 1.0f);
  EXPECT_FLOAT_EQ(f.advance, 1.0f);
  EXPECT_POINT(f.points[0], 20, 0, 0);
  EXPECT_POINT(f.points[2], 0, 20, 0);
  EXPECT_POINT(f.points[4], 38, 4, 0);
  EXPECT_POINT(f.points[9], -4, 38, 0);
  EXPECT_POINT(f.points[13], 0, 0, 20);
  EXPECT_POINT(f.points[17], 2.828f, 2.828f, 38);
}

TEST(StrokeFigure, RefusesRunsBeyondItsCapacity) {
  TStroke_figure f;
  VEC3 p[kStroke_max_points] = {};
  EXPECT_TRUE(f.add_run(p, 20));
  EXPECT_FALSE(f.add_run(p, 2));
  EXPECT_TRUE(f.add_run(p, 1));
  EXPECT_EQ(f.count, 21);
  EXPECT_EQ(runs_of(f), (std::vector<int>{20, 1}));
}

}  // namespace
