#include "simulation/tool_shape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "platform/core/msgbox.h"
#include "simulation/cutting_walk.h"
#include "common/ats_func.h"

namespace {

constexpr double kPi = ATS_PI;

TTOOL_SHAPE_DATA section(int type, double ref_z, double FR, double BR, double AR, double edge) {
  TTOOL_SHAPE_DATA d;
  d.type = type;
  d.ref_z = ref_z;
  d.FR = FR;
  d.BR = BR;
  d.AR = AR;
  d.edge_len = edge;
  d.effective_len = edge;
  d.cutting_edge = 1;
  d.taper_half_angle = kPi / 6;
  return d;
}

TEST(ToolShape, ValidationInCheckOrder) {
  struct Case {
    bool with_previous;  // a flat section of radius 2 below
    TTOOL_SHAPE_DATA d;
    std::string err;
  };
  auto eff = [](TTOOL_SHAPE_DATA d, double e) {
    d.effective_len = e;
    return d;
  };
  auto half = [](TTOOL_SHAPE_DATA d, double a) {
    d.taper_half_angle = a;
    return d;
  };
  const Case cases[] = {
      {true, section(1, 0, 3, 0, 0, 5), "形状基準Ｚ位置(0.000)が直前のもの(0.000)よりマイナスになっています"},
      {false, eff(section(1, 0, 3, 0, 0, 5), 4), "有効長(4.000)より刃長(5.000)の方が長くなっています"},
      {true, section(1, 1, 1.5, 0, 0, 5), "刃径(FLAT_R=1.500)が直前のデータ(2.000)より小さくなっています"},
      {false, section(1, 0, 0.001, 0, 0, 5), "刃径(FLAT_R=0.001)が小さすぎます"},
      {true, section(2, 1, 0, 1, 0, 5), "刃径(BALL_R=1.000)が直前のデータ(2.000)より小さくなっています"},
      {false, section(2, 0, 0, 0.0005, 0, 5), "刃径(BALL_R=0.001)が小さすぎます"},
      {false, section(2, 0, 0, 5, 0, 4), "BALL_R(5.000) より刃長(4.000)の方が短くなってます"},
      {true, section(3, 1, 0, 5, 1, 5), "刃径(AREA_R=1.000)が直前のデータ(2.000)より小さくなっています"},
      {false, section(3, 0, 0, 5, 0.0005, 5), "刃径(AREA_R=0.001)が小さすぎます"},
      {false, section(3, 0, 0, 0.0005, 1, 5), "刃径(BALL_R=0.001)が小さすぎます"},
      {false, section(3, 0, 0, 3, 3, 5), "BALL_R(3.000) より胴径(3.000)より小さくなっています"},
      {false, section(3, 0, 0, 5, 3, 0.5), "BALL_R部(1.000,BR=5.000) より刃長(0.500)の方が短くなってます"},
      {true, section(4, 1, 0, 0.5, 1.9, 5), "刃径(AREA_R=1.900) が直前のデータ(2.000)より小さくなっています"},
      {false, section(4, 0, 0, 0.5, 0.0015, 5), "刃径(AREA_R=0.002)が小さすぎます"},
      {false, section(4, 0, 0, 0.0005, 3, 5), "BALL_R(0.001)が小さすぎます"},
      {false, section(4, 0, 0, 4, 3, 5), "刃径(AREA_R=3.000) が BALL_R(4.000)より小さくなっています"},
      {false, section(4, 0, 0, 2, 3, 1), "BALL_R(2.000) より刃長(1.000)の方が短くなってます"},
      {true, section(5, 1, 0, 0, 0, 0.1), "刃径(AREA_R=0.058) が直前のデータ(2.000)より小さくなっています"},
      {false, section(5, 0, 1, 0, 0, 0.001), "刃長(0.001)が小さすぎます"},
      {false, half(section(5, 0, 1, 0, 0, 5), 0), "テーパ角(TAPER_A=0.000)が範囲(0～90)外です"},
      {false, half(section(5, 0, 1, 0, 0, 5), kPi / 2), "テーパ角(TAPER_A=90.000)が範囲(0～90)外です"},
      {true, section(6, 1, 1, 1, 1.5, 5), "刃径(AREA_R=1.500) が直前のデータ(2.000)より小さくなっています"},
      {false, section(6, 0, 1, 1, 0.0015, 5), "刃径(AREA_R=0.002)が小さすぎます"},
      {false, section(6, 0, 1, 0.0005, 1.2, 5), "BALL_R(0.001)が小さすぎます"},
      {false, section(6, 0, 0.0005, 1, 0.8, 5), "FLAT_R(0.001)が小さすぎます"},
      {false, section(6, 0, 1, 1, 2, 5), "刃径(AREA_R=2.000) が BALL_R(1.000)+FLAT_R(1.000)より小さくなっていません"},
      {false, section(6, 0, 1, 1, 1, 5), "刃径(AREA_R=1.000) が FLAT_R(1.000)より大きくなってません"},
      {false, section(6, 0, 1, 1, 1.8, 0.1), "BALL_R部(0.400,BR=1.000) より刃長(0.100)の方が短くなってます"},
      {false, section(7, 0, 1, 1, 1, 5), "工具タイプ(7)の指定が間違っています"},
      {false, section(1, 0, NAN, 0, 0, 5), "工具形状の数値の指定が間違っています"},
      {false, section(1, 0, 20000, 0, 0, 5), "工具形状の寸法(FLAT_R=20000.000)が範囲(±10000)外です"},
      {false, section(1, -10000.5, 3, 0, 0, 5), "工具形状の寸法(REF_Z=-10000.500)が範囲(±10000)外です"},
      {false, section(2, 0, 0, 3, 0, 12000), "工具形状の寸法(EDGE_L=12000.000)が範囲(±10000)外です"},
      {false, half(section(5, 0, 1, 0, 0, 5), kPi / 2 - 1e-4), "工具形状の寸法(AREA_R=50001.000)が範囲(±10000)外です"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    auto m = std::make_unique<Tmat>();
    plat::ScriptedMessageBoxes boxes;
    if (c.with_previous) {
      ASSERT_TRUE(SET_TOOL_SHAPE(*m, section(1, 0, 2, 0, 0, 5)));
    }
    const int before = m->tpm_count;
    EXPECT_FALSE(SET_TOOL_SHAPE(*m, c.d));
    EXPECT_EQ(m->last_error(), c.err);
    EXPECT_EQ(m->tpm_count, before);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "(" + std::to_string(before) + ") " + c.err);
    EXPECT_EQ(boxes.shown[0].caption, "TOOL Data ERROR");
  }
}

TEST(ToolShape, SizesUpToTheBound) {
  auto m = std::make_unique<Tmat>();
  EXPECT_FALSE(MAKE_TOOL_SHAPE(*m, section(2, 0, 0, 1e30, 0, 1e30)));  // once accepted
  EXPECT_EQ(m->last_error().rfind("工具形状の寸法(BALL_R=", 0), 0u) << m->last_error();
  TTOOL_SHAPE_DATA d = section(1, 0, 5, 0, 0, 10);
  d.tool_edge_len = 1e5;
  EXPECT_FALSE(MAKE_TOOL_SHAPE(*m, d));
  EXPECT_EQ(m->tpm_count, 0);
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*m, section(1, 0, 5, 0, 0, TOOL_SHAPE_SIZE_MAX)));
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*m, section(1, TOOL_SHAPE_SIZE_MAX, TOOL_SHAPE_SIZE_MAX, 0, 0, 1)))
      << m->last_error();
}

TEST(ToolShape, SeventeenthSectionIsRefused) {
  auto m = std::make_unique<Tmat>();
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(MAKE_TOOL_SHAPE(*m, section(1, i, 1 + i, 0, 0, 1)));
  EXPECT_FALSE(MAKE_TOOL_SHAPE(*m, section(1, 20, 30, 0, 0, 1)));
  EXPECT_EQ(m->last_error(), "工具形状指定(TPM_MAX=16)が最大数(15)を越えました");
  EXPECT_EQ(m->tpm_count, 16);
  EXPECT_EQ(m->tool_defined, 1);
  TOOL_SHAPE_CLEAR(*m);
  EXPECT_EQ(m->tpm_count, 0);
  EXPECT_EQ(m->tool_defined, 0);
  EXPECT_TRUE(m->tpm[3].description.empty());
}

TEST(ToolShape, DerivedValuesAndDescriptions) {
  auto m = std::make_unique<Tmat>();
  // The production shape: a cutting ball of radius 3 under a 30-degree taper from height 18.
  TTOOL_SHAPE_DATA ball = section(2, 0, 0, 3, 0, 12);
  ball.oblique_restricted = 1;
  ball.tool_edge_len = 12;
  ball.centre_r = 0.5;
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*m, ball));
  TTOOL_SHAPE_DATA taper = section(5, 18, 3, 0, 0, 27);
  taper.cutting_edge = 0;
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*m, taper)) << m->last_error();
  const TTOOL_PARAM& t = m->tpm[1];
  EXPECT_DOUBLE_EQ(t.AR, 3 + 27 / std::tan(kPi / 3));
  EXPECT_DOUBLE_EQ(t.taper_zx, std::tan(kPi / 3));
  EXPECT_DOUBLE_EQ(t.deg_a, 60);
  EXPECT_DOUBLE_EQ(t.area_rz, 27);
  EXPECT_EQ(t.cutting_edge, 0);
  EXPECT_EQ(m->tpm[0].oblique_restricted, 1);
  EXPECT_EQ(m->tpm[0].tool_edge_len, 12.0f);
  EXPECT_DOUBLE_EQ(m->tpm[0].centre_r2, 0.25);
  EXPECT_EQ(m->tpm[0].description, "[TPM_NUM=0] 2:BALL ( BR=3,AR=3 ), ");
  EXPECT_EQ(t.description,
            "[TPM_NUM=1] 5:TAPER ( FR=3,AR=18.588,degA=60,taperA=1.047,taperZX=1.732,"
            "Area_RZ=27 ), ");

  auto n = std::make_unique<Tmat>();
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*n, section(1, 0, 5, 0, 0, 10)));
  EXPECT_EQ(n->tpm[0].description, "[TPM_NUM=0] 1:FLAT ( FR=5,AR=5 ), ");
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*n, section(3, 1, 0, 6, 5.5, 10)));
  EXPECT_DOUBLE_EQ(n->tpm[1].area_rz, 6 - std::sqrt(36 - 30.25));

  auto o = std::make_unique<Tmat>();
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*o, section(3, 0, 0, 5, 3, 10)));
  EXPECT_DOUBLE_EQ(o->tpm[0].area_rz, 1);
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*o, section(4, 1, 0, 1, 4, 10)));
  EXPECT_DOUBLE_EQ(o->tpm[1].FR, 3);
  EXPECT_EQ(o->tpm[1].description, "[TPM_NUM=1] 4:CORNER-R ( FR=3,BR=1,AR=4 ), ");
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*o, section(6, 2, 4, 1, 4.6, 10)));
  EXPECT_NEAR(o->tpm[2].area_rz, 0.2, 1e-12);
  ASSERT_TRUE(MAKE_TOOL_SHAPE(*o, section(5, 3, 0.0005, 0, 0, 10)));
  EXPECT_EQ(o->tpm[3].FR, 0.0);  // below 0.001: a pointed cone
}

TEST(ToolShape, FloatText) {
  const std::pair<double, const char*> cases[] = {
      {5, "5"},        {0.0005, "0.001"}, {-0.0005, "-0.001"}, {0.0004, "0"},
      {18.5884572681, "18.588"}, {1.0471975, "1.047"}, {-2.5, "-2.5"}, {1234.5678, "1234.568"},
      {-0.0001, "0"},
  };
  for (const auto& [v, text] : cases) EXPECT_EQ(TPM_Float_Text(v), text) << v;
}

TEST(ToolShape, CrossLines) {
  struct Case {
    double x1, y1, x2, y2, x3, y3, x4, y4;
    bool ok;
    double x, y;
  };
  const Case cases[] = {
      {0, 0, 0, 1, 1, 1, 2, 2, true, 0, 0},     // first vertical
      {0, 0, 0, 1, 1, 0, 1, 1, false, 0, 0},    // both vertical
      {0, 0, 1, 1, 2, 0, 2, 5, true, 2, 2},     // second vertical
      {0, 1, 1, 1, 0, 0, 1, 2, true, 0.5, 1},   // first level
      {0, 1, 1, 1, 0, 3, 1, 3, false, 0, 0},    // both level
      {0, 0, 1, 2, 0, 4, 1, 4, true, 2, 4},     // second level
      {0, 0, 1, 1, 0, 1, 1, 2, false, 0, 0},    // parallel
      {0, 0, 1, 1, 0, 2, 1, 1, true, 1, 1},     // general
  };
  for (const Case& c : cases) {
    double x = 0, y = 0;
    const bool ok = Cross_Lines_2D_Ext(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4, x, y);
    EXPECT_EQ(ok, c.ok);
    if (c.ok) {  // NOLINT
      EXPECT_DOUBLE_EQ(x, c.x);
      EXPECT_DOUBLE_EQ(y, c.y);
    }
  }
}

TEST(ToolShape, SilhouetteOfCornerRadius) {
  for (double k : {0.05, 0.3, 1.0, 5.0}) {
    SCOPED_TRACE(k);
    auto m = std::make_unique<Tmat>();
    ASSERT_TRUE(MAKE_TOOL_SHAPE(*m, section(4, 0, 0, 1, 5, 10)));
    TTOOL_PARAM& t = m->tpm[0];
    Make_Tool_silhouette(t, k);
    const double s = std::sin(std::atan(k));
    EXPECT_DOUBLE_EQ(t.slope_sin, s);
    ASSERT_GT(t.seg_count, 0);
    ASSERT_LE(t.seg_count, TOOL_SILHOUETTE_MAX);
    // From the front of the tool (offset FR + s BR, lateral 0) to its side (0, AR).
    EXPECT_NEAR(t.segs[0].p[0].x, 4 + s, 1e-5);
    EXPECT_EQ(t.segs[0].p[0].y, 0.0f);
    const VEC4 end = t.segs[t.seg_count - 1].p[2];
    EXPECT_NEAR(end.x, 0, 1e-4);
    EXPECT_NEAR(end.y, 5, 1e-4);
    for (int i = 0; i < t.seg_count; ++i) {
      const TSILHOUETTE_SEG& g = t.segs[i];
      EXPECT_GE(g.p[2].y, g.p[0].y);  // lateral distance grows
      EXPECT_LE(g.p[2].x, g.p[0].x);  // the offset shrinks
      if (i > 0) {
        EXPECT_EQ(g.p[0].x, t.segs[i - 1].p[2].x);
      }
    }
    // Offsets looked up along the silhouette fall monotonically, and match the contact
    // point of the tube exactly at the segment ends.
    double prev = 1e9;
    for (double d = 0; d <= 5.0; d += 0.05) {
      double f = 0;
      ASSERT_TRUE(Get_Tool_contact_offset(t, d, f));
      ASSERT_TRUE(std::isfinite(f));
      EXPECT_LE(f, prev + 1e-4) << d;
      prev = f;
    }
    for (int i = 0; i < t.seg_count; ++i) {
      const VEC4 e = t.segs[i].p[2];
      double f = 0;
      ASSERT_TRUE(Get_Tool_contact_offset(t, e.y, f));
      EXPECT_NEAR(f, e.x, 2e-3) << i;
    }
  }
}

TEST(ToolShape, ContactOffsetGuards) {
  TTOOL_PARAM t;
  double f = -1;
  EXPECT_FALSE(Get_Tool_contact_offset(t, 1, f));  // no segments
  t.AR = 2;
  t.seg_count = 1;
  t.segs[0].p[0] = VEC4{1, 1, 0, 0};  // a segment without lateral extent
  t.segs[0].p[1] = VEC4{1, 1, 0, 0};
  t.segs[0].p[2] = VEC4{1, 1, 0, 0};
  ASSERT_TRUE(Get_Tool_contact_offset(t, 1, f));
  EXPECT_EQ(f, 1);
  ASSERT_TRUE(Get_Tool_contact_offset(t, 1.5, f));  // beyond it, towards (0, AR)
  EXPECT_DOUBLE_EQ(f, 0.5);
  t.AR = 1;  // the end point already lies at AR
  ASSERT_TRUE(Get_Tool_contact_offset(t, 1.5, f));
  EXPECT_TRUE(std::isfinite(f));
}

TEST(ToolShape, ClampHelpers) {
  EXPECT_EQ(Clamp_1e10(5e-7), 0.0);
  EXPECT_EQ(Clamp_1e10(-5e-7), 0.0);
  EXPECT_EQ(Clamp_1e10(1e-6), 1e-6);
  EXPECT_EQ(Clamp_1e10(2e10), 1e10);
  EXPECT_EQ(Clamp_1e10(-2e10), -1e10);
  EXPECT_EQ(Safe_Sqrt(-4), 0.0);
  EXPECT_EQ(Safe_Sqrt(4), 2.0);
}

}  // namespace
