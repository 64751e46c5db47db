// Cutter radius compensation: primitives, corner constructions and the block driver over
// small paths.
#include "ncdata/ncd_comp.h"
#include "common/ats_func.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr float kNear = 1e-3f;

VEC3 P(float x, float y, float z = 0) { return {x, y, z}; }

::testing::AssertionResult near_pt(const VEC3& got, const VEC3& want, float tol = kNear) {
  if (std::fabs(got.x - want.x) <= tol && std::fabs(got.y - want.y) <= tol &&
      std::fabs(got.z - want.z) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z
                                       << ") != (" << want.x << ", " << want.y << ", " << want.z
                                       << ")";
}

TComp_elem line(VEC3 a, VEC3 b) {
  TComp_elem e;
  e.kind = COMP_LINE;
  e.start = a;
  e.end = b;
  return e;
}
TComp_elem arc(int kind, VEC3 a, VEC3 b, VEC3 c) {
  TComp_elem e;
  e.kind = kind;
  e.start = a;
  e.end = b;
  e.centre = c;
  e.radius = std::hypot(a.x - c.x, a.y - c.y);
  return e;
}

// ---- primitives -----------------------------------------------------------------------------

TEST(CompPrimitives, OffsetsAndCrossings) {
  VEC3 s, e;
  offset_line(P(0, 0, 1), P(10, 0, 2), 5, s, e);
  EXPECT_TRUE(near_pt(s, P(0, 5, 1)));
  EXPECT_TRUE(near_pt(e, P(10, 5, 2)));
  offset_line(P(0, 0), P(0, 10), -2, s, e);  // right of an upward line is +x
  EXPECT_TRUE(near_pt(s, P(2, 0)));

  // G02 grows by r, G03 shrinks by r; R' = 0 keeps the points.
  EXPECT_FLOAT_EQ(offset_arc(P(10, 0), P(0, 10), P(0, 0), 2, 10, false, s, e), 12);
  EXPECT_TRUE(near_pt(s, P(12, 0)));
  EXPECT_TRUE(near_pt(e, P(0, 12)));
  EXPECT_FLOAT_EQ(offset_arc(P(10, 0), P(0, 10), P(0, 0), 2, 10, true, s, e), 8);
  EXPECT_TRUE(near_pt(e, P(0, 8)));
  EXPECT_FLOAT_EQ(offset_arc(P(10, 0), P(0, 10), P(0, 0), 10, 10, true, s, e), 0);
  EXPECT_TRUE(near_pt(s, P(10, 0)));

  VEC3 x, y;
  ASSERT_TRUE(line_line_cross(P(0, 5), P(10, 5), P(7, 0), P(7, 1), x));
  EXPECT_TRUE(near_pt(x, P(7, 5)));
  EXPECT_FALSE(line_line_cross(P(0, 0), P(1, 1), P(0, 1), P(1, 2), x));

  // Through the centre: the points at -R and +R along the line, earlier one first.
  ASSERT_EQ(line_circle_cross(P(-10, 0), P(10, 0), P(0, 0), 3, x, y), 2);
  EXPECT_TRUE(near_pt(x, P(-3, 0)));
  EXPECT_TRUE(near_pt(y, P(3, 0)));
  ASSERT_EQ(line_circle_cross(P(10, 1), P(-10, 1), P(0, 0), 2, x, y), 2);
  EXPECT_TRUE(near_pt(x, P(std::sqrt(3.0f), 1)));
  EXPECT_EQ(line_circle_cross(P(-10, 2.0005f), P(10, 2.0005f), P(0, 0), 2, x, y), 1);
  EXPECT_TRUE(near_pt(x, P(0, 2.0005f)));
  EXPECT_EQ(line_circle_cross(P(-10, 3), P(10, 3), P(0, 0), 2, x, y), 0);

  ASSERT_EQ(circle_circle_cross(P(0, 0), 5, P(8, 0), 5, x, y), 2);
  EXPECT_TRUE(near_pt(x, P(4, 3)));  // left of the line c1 -> c2
  EXPECT_TRUE(near_pt(y, P(4, -3)));
  EXPECT_EQ(circle_circle_cross(P(0, 0), 2, P(5, 0), 3, x, y), 1);
  EXPECT_TRUE(near_pt(x, P(2, 0)));
  EXPECT_EQ(circle_circle_cross(P(0, 0), 2, P(1, 0), 3, x, y), 1);  // inner touch
  EXPECT_TRUE(near_pt(x, P(-2, 0)));
  EXPECT_EQ(circle_circle_cross(P(0, 0), 2, P(0.0005f, 0), 3, x, y), 0);  // concentric
  EXPECT_EQ(circle_circle_cross(P(0, 0), 1, P(5, 0), 1, x, y), 0);

  EXPECT_DOUBLE_EQ(get_vector_angle(-1, 0), ATS_PI);
  EXPECT_DOUBLE_EQ(get_vector_angle(0, -1), 1.5 * ATS_PI);
  EXPECT_NEAR(get_vector_angle(1, -1), 1.75 * ATS_PI, 1e-12);
  float rx = 1, ry = 0;
  rotate_xy(rx, ry, ATS_PI / 2);
  EXPECT_NEAR(rx, 0, 1e-6);
  EXPECT_NEAR(ry, 1, 1e-6);
  EXPECT_EQ(comp_radius_sign(41, 3), 3);
  EXPECT_EQ(comp_radius_sign(42, 3), -3);
  EXPECT_EQ(comp_radius_sign(40, 3), 0);
}

// ---- corner constructions -------------------------------------------------------------------

struct CornerCase {
  const char* name;
  TComp_elem a, b;
  float r;
  int count;
  std::uint16_t err;
  VEC3 corner;  // points[0]
  int arc_kind;  // kind of the corner arc (count 3), else 0
};

TEST(CompCorner, Table) {
  const VEC3 o = P(10, 0);
  const std::vector<CornerCase> cases = {
      {"inside square corner", line(P(0, 0), o), line(o, P(10, 10)), 5, 2, 0, P(5, 5), 0},
      {"outside square corner", line(P(0, 0), o), line(o, P(10, -10)), 5, 3, 0, P(15, 0),
       COMP_G02},
      {"outside with G42", line(P(0, 0), o), line(o, P(10, 10)), -5, 3, 0, P(15, 0), COMP_G03},
      {"straight on", line(P(0, 0), o), line(o, P(20, 0)), 5, 2, 0, P(10, 5), 0},
      {"reversal", line(P(0, 0), o), line(o, P(0, 0)), 5, 3, 0, P(10, -5), COMP_G02},
      {"no radius", line(P(0, 0), o), line(o, P(10, 10)), 0.0005f, 0, 0, P(0, 0), 0},
      {"line without length", line(o, o), line(o, P(10, 10)), 5, 0, 0, P(0, 0), 0},
      // A G03 arc leaving along the line: tangent continuation onto the offset circle.
      {"tangent into G03", line(P(0, 0), o), arc(COMP_G03, o, P(20, 10), P(10, 10)), 2, 2, 0,
       P(10, 2), 0},
      // Inside corner line -> G03 (left turn, G41): y = 5 against the offset circle R 10.
      {"inside line to arc", line(P(-10, 0), o), arc(COMP_G03, o, P(-5, 15), P(-5, 0)), 5, 2, 0,
       P(-5 + std::sqrt(75.0f), 5), 0},
      {"inside line to arc, no crossing", line(P(-10, 0), o),
       arc(COMP_G03, o, P(1, 9), P(1, 0)), 5, 0, COMP_ERR_NO_CROSS, P(0, 0), 0},
      {"G03 radius 5.1 with 5", line(P(0, 0), o), arc(COMP_G03, o, P(10, 10.2f), P(10, 5.1f)), 5,
       0, COMP_ERR_SMALL_ARC, P(0, 0), 0},
      {"G03 radius 4 with 5", line(P(0, 0), o), arc(COMP_G03, o, P(10, 8), P(10, 4)), 5, 0,
       COMP_ERR_RADIUS, P(0, 0), 0},
      {"G02 radius 4 with G42 5", line(P(0, 0), o), arc(COMP_G02, o, P(10, -8), P(10, -4)), -5,
       0, COMP_ERR_RADIUS, P(0, 0), 0},
      // Two G03 arcs meeting at an inside corner: circle against circle.
      {"inside arc to arc", arc(COMP_G03, P(0, -10), o, P(0, 0)),
       arc(COMP_G03, o, P(0, -10), P(10, -10)), 1, 2, 0,
       P(5 + std::sqrt(15.5f), -5 + std::sqrt(15.5f)), 0},
      // Outside corner G02 -> G02: a corner arc, then the second offset arc.
      {"outside arc to arc", arc(COMP_G02, P(0, 10), o, P(0, 0)),
       arc(COMP_G02, o, P(0, 10), P(10, 10)), 1, 3, 0, P(10, -1), COMP_G02},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TComp_corner out;
    TComp_error err;
    const bool ok = comp_corner(c.a, c.b, c.r, out, err);
    EXPECT_EQ(ok, c.err == 0);
    EXPECT_EQ(out.count, c.count);
    if (c.err) {
      EXPECT_EQ(err.code, c.err);
      EXPECT_STRNE(err.text, "");
      continue;
    }
    if (c.count == 0) continue;
    EXPECT_TRUE(near_pt(out.points[0], c.corner));
    // The moves join up, and B's compensated element starts at the corner point.
    for (int i = 1; i < out.count; ++i)
      EXPECT_TRUE(near_pt(out.moves[i].start, out.moves[i - 1].end)) << "move " << i;
    EXPECT_TRUE(near_pt(out.moves[out.count - 1].start, out.points[0]));
    if (c.count == 3) {
      EXPECT_EQ(out.moves[1].kind, c.arc_kind);
      EXPECT_TRUE(near_pt(out.moves[1].centre, c.a.end));
      EXPECT_FLOAT_EQ(out.moves[1].radius, std::fabs(c.r));
    }
  }
}

TEST(CompCorner, FailureTexts) {
  TComp_corner out;
  TComp_error err;
  const VEC3 o = P(10, 0);
  comp_corner(line(P(0, 0), o), arc(COMP_G02, o, P(10, -8), P(10, -4)), -5, out, err);
  EXPECT_STREQ(err.text, COMP_TEXT_ZERO);  // the line -> G02 construction has its own text
  comp_corner(line(P(0, 0), o), arc(COMP_G03, o, P(10, 8), P(10, 4)), 5, out, err);
  EXPECT_STREQ(err.text, COMP_TEXT_NEGATIVE);
  comp_corner(line(P(0, 0), o), arc(COMP_G03, o, P(10, 10.2f), P(10, 5.1f)), 5, out, err);
  EXPECT_STREQ(err.text, COMP_TEXT_SMALL_ARC);
}

// ---- the driver over small paths -------------------------------------------------------------

// A path of blocks, built move by move from a start point.
struct Path {
  VEC3 at;
  int code = 40;
  int plane = 0x10;
  std::vector<TComp_block> v;
  explicit Path(VEC3 start) : at(start) {}
  TComp_block& push(int motion, bool moved, int new_code) {
    TComp_block b;
    b.motion = motion;
    b.moved = moved;
    b.comp_word = new_code >= 0;
    if (new_code >= 0) code = new_code;
    b.code = code;
    b.plane = plane;
    b.elem.start = at;
    v.push_back(b);
    return v.back();
  }
  Path& L(float x, float y, int c = -1, int motion = 1) {
    auto& b = push(motion, true, c);
    b.elem.kind = COMP_LINE;
    at = P(x, y, at.z);
    b.elem.end = at;
    return *this;
  }
  Path& Z(float z) {
    auto& b = push(1, true, -1);
    at.z = z;
    b.elem.end = at;
    return *this;
  }
  Path& none(int c = -1) {  // a block without motion (M/S/F or a lone G40/G41/G42)
    auto& b = push(0, false, c);
    b.elem.end = at;
    return *this;
  }
  Path& A(int kind, float x, float y, float cx, float cy, int c = -1) {
    auto& b = push(kind, true, c);
    b.elem = arc(kind, at, P(x, y, at.z), P(cx, cy, at.z));
    at = P(x, y, at.z);
    return *this;
  }
};

struct Result {
  std::vector<TComp_move> moves;  // the moves of the block, or its programmed line
  bool applied = false;
  std::uint16_t err = 0;
  std::uint16_t status = 0;
};

std::vector<Result> run(const Path& p, float radius) {
  TComp_state st;
  st.tool_known = true;
  st.tool_radius = radius;
  std::vector<Result> out;
  for (size_t i = 0; i < p.v.size(); ++i) {
    const TComp_block& b = p.v[i];
    Result r;
    if (comp_active(st, b.code)) {
      r.status = comp_block_step(st, b, [&](TComp_next& nx) {
        for (size_t j = i + 1; j < p.v.size() && j <= i + COMP_LOOK_AHEAD; ++j)
          if (comp_take_next(b, p.v[j], nx)) return;
        if (i + 1 + COMP_LOOK_AHEAD > p.v.size()) nx.result = TComp_next::ENDS;
      });
    } else {
      comp_block_plain(st, b);
    }
    r.applied = st.comp_applied;
    r.err = st.block_error;
    if (st.comp_applied)
      r.moves.assign(st.comp_moves.begin(), st.comp_moves.begin() + st.comp_move_count);
    else
      r.moves.push_back(TComp_move{COMP_LINE, b.elem.start, b.elem.end, {}, 0});
    out.push_back(r);
  }
  return out;
}

// The compensated path runs without gaps: each block starts where the previous one ended.
void expect_continuous(const std::vector<Result>& res) {
  for (size_t i = 1; i < res.size(); ++i) {
    const auto& a = res[i - 1].moves.back();
    const auto& b = res[i].moves.front();
    EXPECT_TRUE(near_pt(b.start, a.end)) << "between blocks " << i - 1 << " and " << i;
  }
}

// A straight move takes part in the corner chain from 0.001 of XY travel on, as its
// single-precision length tells; an arc always; a block that did not move never.
TEST(CompDriver, XyTravelFromTheTolerance) {
  struct Case {
    const char* name;
    VEC3 start, end;
    int kind;
    bool moved;
    bool travel;
  };
  const std::vector<Case> cases = {
      {"no length", P(5, 5), P(5, 5), COMP_LINE, true, false},
      {"0.0005", P(0, 0), P(0.0005f, 0), COMP_LINE, true, false},
      {"0.0009", P(0, 0), P(0.0009f, 0), COMP_LINE, true, false},
      {"0.000999", P(0, 0), P(0.000999f, 0), COMP_LINE, true, false},
      {"0.001", P(0, 0), P(0.001f, 0), COMP_LINE, true, true},
      {"0.001 in Y", P(0, 0), P(0, -0.001f), COMP_LINE, true, true},
      {"0.0011", P(0, 0), P(0.0011f, 0), COMP_LINE, true, true},
      {"0.001 at X100 is a hair short in floats", P(100, 0), P(100.001f, 0), COMP_LINE, true,
       false},
      {"0.0007 on both axes: 0.00099", P(0, 0), P(0.0007f, 0.0007f), COMP_LINE, true, false},
      {"0.00071 on both axes: 0.001004", P(0, 0), P(0.00071f, 0.00071f), COMP_LINE, true, true},
      {"Z only", P(1, 1, 0), P(1, 1, -5), COMP_LINE, true, false},
      {"long", P(-50, 20), P(30, -40), COMP_LINE, true, true},
      {"not moved", P(0, 0), P(10, 0), COMP_LINE, false, false},
      {"arc", P(0, 0), P(0, 0), COMP_G02, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TComp_block b;
    b.motion = c.kind == COMP_LINE ? 1 : c.kind;
    b.moved = c.moved;
    b.elem.kind = c.kind;
    b.elem.start = c.start;
    b.elem.end = c.end;
    EXPECT_EQ(comp_xy_travel(b), c.travel);
  }
}

TEST(CompDriver, SquareInsideOutsideStartUpAndCancel) {
  // G41 around a left turn (inside), then a right turn (outside), then G40.
  Path p(P(-10, -10));
  p.L(0, 0, 41).L(20, 0).L(20, 20).L(40, 20).L(50, 30, 40);
  auto res = run(p, 5);
  ASSERT_EQ(res.size(), 5u);
  expect_continuous(res);
  // Start-up: straight from the programmed start to the offset start of the next element.
  ASSERT_EQ(res[0].moves.size(), 1u);
  EXPECT_TRUE(near_pt(res[0].moves[0].start, P(-10, -10)));
  EXPECT_TRUE(near_pt(res[0].moves[0].end, P(0, 5)));
  // Inside corner: the offset lines cut at (15, 5).
  ASSERT_EQ(res[1].moves.size(), 1u);
  EXPECT_TRUE(near_pt(res[1].moves[0].end, P(15, 5)));
  // Outside corner at (20, 20): up to (15, 20), then a G02 arc of radius 5 to (20, 25).
  ASSERT_EQ(res[2].moves.size(), 2u);
  EXPECT_TRUE(near_pt(res[2].moves[0].end, P(15, 20)));
  EXPECT_EQ(res[2].moves[1].kind, COMP_G02);
  EXPECT_TRUE(near_pt(res[2].moves[1].centre, P(20, 20)));
  EXPECT_TRUE(near_pt(res[2].moves[1].end, P(20, 25)));
  // Before the cancel the element ends at its plain offset end.
  EXPECT_TRUE(near_pt(res[3].moves.back().end, P(40, 25)));
  // Cancel: from there straight to the programmed end.
  ASSERT_EQ(res[4].moves.size(), 1u);
  EXPECT_TRUE(near_pt(res[4].moves[0].end, P(50, 30)));
}

TEST(CompDriver, Table) {
  struct Case {
    const char* name;
    Path path;
    float radius;
    int block;                 // the block checked
    size_t moves;              // its move count (1 = also an uncompensated block)
    bool applied;
    std::uint16_t err;         // block_error, or the returned status
    VEC3 end;                  // end of its last move
  };
  const std::vector<Case> cases = {
      {"straight on: no corner arc", Path(P(-10, -10)).L(0, 0, 41).L(10, 0).L(20, 0).L(30, 0),
       5, 1, 1, true, 0, P(10, 5)},
      {"reversal: half circle", Path(P(-10, -10)).L(0, 0, 41).L(10, 0).L(0, 0).L(0, -10), 5, 1,
       2, true, 0, P(10, -5)},
      {"G42 right turn is inside", Path(P(-10, 10)).L(0, 0, 42).L(20, 0).L(20, -20), 5, 1,
       1, true, 0, P(15, -5)},
      {"arc radius 5.1 with tool 5", Path(P(-10, -10)).L(0, 0, 41).L(10, 0)
           .A(COMP_G03, 10, 10.2f, 10, 5.1f).L(0, 10.2f), 5, 1, 1, false, COMP_ERR_SMALL_ARC,
       P(10, 0)},
      {"arc radius 4 with tool 5", Path(P(-10, -10)).L(0, 0, 41).L(10, 0)
           .A(COMP_G03, 10, 8, 10, 4).L(0, 8), 5, 1, 1, false, COMP_ERR_RADIUS, P(10, 0)},
      {"no crossing", Path(P(-20, -10)).L(-10, 0, 41).L(10, 0).A(COMP_G03, 1, 9, 1, 0)
           .L(-10, 9), 5, 1, 1, false, COMP_ERR_NO_CROSS, P(10, 0)},
      {"start-up onto an arc too small", Path(P(-10, -10)).L(0, 0, 41)
           .A(COMP_G03, 0, 8, 0, 4).L(-10, 8), 5, 0, 1, false, COMP_ERR_RADIUS, P(0, 0)},
      {"tool radius 0.0005: none", Path(P(-10, -10)).L(0, 0, 41).L(20, 0).L(20, 20), 0.0005f,
       1, 1, false, 0, P(20, 0)},
      {"G00 while compensating", Path(P(-10, -10)).L(0, 0, 41).L(20, 0, -1, 31).L(20, 20), 5,
       1, 1, false, COMP_ERR_NONCOMP, P(20, 0)},
      {"G00 start-up is compensated", Path(P(-10, -10)).L(0, 0, 41, 31).L(20, 0).L(20, 20), 5,
       0, 1, true, 0, P(0, 5)},
      {"lone G41 line starts up", Path(P(0, 0)).none(41).L(20, 0).L(20, 20), 5, 0, 1, true, 0,
       P(0, 5)},
      {"lone G40 line cancels", Path(P(-10, -10)).L(0, 0, 41).L(20, 0).none(40), 5, 2, 1, true,
       0, P(20, 0)},
      {"program ends without G40", Path(P(-10, -10)).L(0, 0, 41).L(20, 0).L(20, 20), 5, 2, 1,
       true, 0, P(15, 20)},
      {"more than three blocks without motion", Path(P(-10, -10)).L(0, 0, 41).none().none()
           .none().none().L(20, 0), 5, 0, 1, false, 0, P(0, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto res = run(c.path, c.radius);
    const Result& r = res.at(c.block);
    EXPECT_EQ(r.moves.size(), c.moves);
    EXPECT_EQ(r.applied, c.applied);
    EXPECT_EQ(r.err ? r.err : r.status, c.err);
    EXPECT_TRUE(near_pt(r.moves.back().end, c.end));
  }
}

TEST(CompDriver, PlungeStaysAtTheCompensatedPoint) {
  // A Z plunge and an M-only block inside the compensated path: they run at the tool's
  // compensated XY, and the corner after them still joins the last XY element.
  Path p(P(-10, -10, 5));
  p.L(0, 0, 41).Z(-5).L(20, 0).none().Z(-6).L(20, 20).L(30, 30, 40);
  auto res = run(p, 5);
  expect_continuous(res);
  ASSERT_TRUE(res[1].applied);
  EXPECT_TRUE(near_pt(res[1].moves[0].start, P(0, 5, 5)));
  EXPECT_TRUE(near_pt(res[1].moves[0].end, P(0, 5, -5)));
  EXPECT_TRUE(near_pt(res[2].moves[0].end, P(15, 5, -5)));  // inside corner as without plunge
  EXPECT_TRUE(near_pt(res[4].moves[0].end, P(15, 5, -6)));
  EXPECT_TRUE(near_pt(res[5].moves[0].start, P(15, 5, -6)));
}

TEST(CompDriver, FullCircleStaysFull) {
  // A full circle entered and left along its tangent: its compensated move ends exactly where
  // it starts (a hair apart, the move would be a sliver of an arc instead of the circle).
  struct Case {
    float x, y, cy;  // the circle's lowest point and its centre's y
    int code;
  };
  for (const Case& c : {Case{-12.821f, 18.518f, 36.845f, 41}, Case{-19.004f, 10.026f, 31.852f, 42},
                        Case{7.852f, -55.727f, -49.092f, 41}}) {
    SCOPED_TRACE(c.x);
    Path p(P(c.x + 30, c.y - 20));
    p.L(c.x + 20, c.y, c.code).L(c.x, c.y).A(COMP_G02, c.x, c.y, c.x, c.cy).L(c.x - 20, c.y)
        .L(c.x, c.y - 20, 40);
    auto res = run(p, 3);
    expect_continuous(res);
    ASSERT_TRUE(res[2].applied);
    const TComp_move& m = res[2].moves.front();
    EXPECT_EQ(m.kind, COMP_G02);
    EXPECT_EQ(m.start.x, m.end.x);
    EXPECT_EQ(m.start.y, m.end.y);
  }
}

TEST(CompDriver, PlaneOtherThanG17IsIgnored) {
  Path p(P(-10, -10));
  p.plane = 0x20;
  p.L(0, 0, 41).L(20, 0).L(20, 20);
  for (const auto& r : run(p, 5)) EXPECT_FALSE(r.applied);
}

TEST(CompDriver, RandomContoursStayAtTheRadius) {
  // Closed star-shaped polygons with lines and arcs, both sides: the path is continuous and
  // every offset move keeps the cutter radius from its programmed element.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> rad(20, 40), jit(-0.3f, 0.3f);
  for (int trial = 0; trial < 40; ++trial) {
    const int n = 5 + trial % 6;
    std::vector<VEC3> pts;
    for (int k = 0; k < n; ++k) {
      const float a = static_cast<float>(2 * ATS_PI * k / n) + jit(rng);
      pts.push_back(P(rad(rng) * std::cos(a), rad(rng) * std::sin(a)));
    }
    const int code = trial % 2 ? 41 : 42;
    Path p(P(0, 0));
    p.L(pts[0].x, pts[0].y, code);
    for (int k = 1; k <= n; ++k) p.L(pts[k % n].x, pts[k % n].y);
    p.L(0, 0, 40);
    const float r = 1.5f;
    auto res = run(p, r);
    SCOPED_TRACE(trial);
    expect_continuous(res);
    for (int k = 1; k <= n; ++k) {
      const auto& e = p.v[k].elem;
      ASSERT_TRUE(res[k].applied);
      const auto& m = res[k].moves[0];
      // Distance of the offset move's end points from the programmed line.
      const float dx = e.end.x - e.start.x, dy = e.end.y - e.start.y;
      const float l = std::hypot(dx, dy);
      for (const VEC3& q : {m.start, m.end}) {
        const float d = ((q.x - e.start.x) * dy - (q.y - e.start.y) * dx) / l;
        EXPECT_NEAR(std::fabs(d), r, 2e-3f);
      }
    }
  }
}

}  // namespace
