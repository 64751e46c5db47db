// Tool outlines of the 3D view and the tool shape that cutting takes from the same slot.
#include "simulation/tool_outline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "common/debug_log.h"
#include "platform/core/msgbox.h"
#include "simulation/cutting_sim.h"
#include "simulation/tool_codes.h"
#include "common/ats_func.h"

namespace {

std::unique_ptr<TTOOL_HOLDER_tmp> magazine_with(int kind, void (*adjust)(TTOOL&, THOLDER&) = nullptr) {
  auto mag = std::make_unique<TTOOL_HOLDER_tmp>();
  TTTOOL_HOLDER_tmp& s = mag->slot[1];
  set_default_TOOL(s.tool);
  set_default_HOLDER(s.holder);
  s.tool.T_number = 7;
  s.tool.T_category = kind;
  if (adjust) adjust(s.tool, s.holder);
  make_TOOL_comment_lines(s.tool, s.holder);
  s.tool_set = s.holder_set = 1;
  mag->count = 2;
  return mag;
}

struct Built {
  std::unique_ptr<Tmat> m = std::make_unique<Tmat>();
  std::unique_ptr<TTOOL_HOLDER_tmp> mag;
  TTOOL_OUTLINE_SET set;
};

Built build(int kind, void (*adjust)(TTOOL&, THOLDER&) = nullptr) {
  Built b;
  b.mag = magazine_with(kind, adjust);
  make_TOOL_outline(*b.m, *b.mag, 1, b.set);
  return b;
}

// Runs of an outline as point ranges.
std::vector<std::vector<TOUTLINE_POINT>> runs_of(const TTOOL_OUTLINE& o) {
  std::vector<std::vector<TOUTLINE_POINT>> out;
  int at = 0;
  for (int k = 0; k < o.run_count && o.runs[k] != 255; ++k) {
    out.emplace_back(o.points.begin() + at, o.points.begin() + at + o.runs[k]);
    at += o.runs[k];
  }
  return out;
}

TEST(ToolOutline, RunsAreCutAt255PointsAndMirrorsTakeAtLeastOne) {
  TTOOL_OUTLINE o;
  outline_clear(o);
  TGL_POINT_LIST l;
  for (int i = 0; i < 300; ++i) pointlist_add(l, false, static_cast<float>(i), 0, 0);
  EXPECT_EQ(l.count, 255);  // the list counts no further
  EXPECT_TRUE(outline_add_run(o, l));
  EXPECT_EQ(o.point_count, 255);
  EXPECT_EQ(o.runs[0], 255);
  EXPECT_FALSE(outline_add_run(o, l));  // full
  // A mirrored run on a nearly full outline: the second run takes its first point.
  outline_clear(o);
  l.count = 254;
  outline_add_run_mirrored(o, l);
  EXPECT_EQ(o.runs[0], 254);
  EXPECT_EQ(o.runs[1], 1);
  EXPECT_EQ(o.point_count, 255);
  EXPECT_EQ(o.points[254].x, -253.0f);
  // The run table takes 103 runs.
  outline_clear(o);
  l.count = 1;
  for (int i = 0; i < 110; ++i) outline_add_run(o, l);
  EXPECT_EQ(o.run_count, kOutlineMaxRuns);
  EXPECT_EQ(o.runs[kOutlineMaxRuns], 255);
}

TEST(ToolOutline, KindZeroIsInvalidAndDrawsNothing) {
  Built b = build(0);
  EXPECT_FALSE(b.set.valid);
  EXPECT_EQ(b.m->tpm_count, 0);
  for (const TTOOL_OUTLINE& o : b.set.rec) EXPECT_EQ(o.point_count, 0);
}

// Every kind: valid, points inside the holder's reach, symmetric where the kind is.
TEST(ToolOutline, EveryKindStaysInsideItsHolderAndIsSymmetricWhereItShouldBe) {
  for (int kind = 1; kind < kToolKinds; ++kind) {
    Built b = build(kind, [](TTOOL&, THOLDER& h) {
      h.h2_used = 1;
      h.h2_tapered = 1;
    });
    ASSERT_TRUE(b.set.valid) << kind;
    const TTOOL& t = b.mag->slot[1].tool;
    const THOLDER& h = b.mag->slot[1].holder;
    const double reach = std::max({h.dia / 2.0, h.h2_max_dia / 2.0, t.cut_dia / 2.0, t.dia / 2.0,
                                   t.shank_dia / 2.0}) + 1e-3;
    const double top = t.protrusion + h.h2_len + 1.5 * h.dia + 1e-3;
    const bool symmetric = kind != 10 && kind != 13 && kind != 14;
    for (int r = 0; r < kOutlineSetRecords; ++r) {
      const TTOOL_OUTLINE& o = b.set.rec[r];
      EXPECT_LE(o.point_count, kOutlinePoints);
      for (int i = 0; i < o.point_count; ++i) {
        const TOUTLINE_POINT& p = o.points[i];
        EXPECT_LE(std::hypot(p.x, p.y), reach) << kind << " rec " << r;
        EXPECT_GE(p.z, -1e-4) << kind << " rec " << r;
        EXPECT_LE(p.z, top) << kind << " rec " << r;
        if (!symmetric || r >= 12) continue;
        bool mirror = false;
        for (int j = 0; j < o.point_count && !mirror; ++j)
          mirror = std::fabs(o.points[j].x + p.x) < 1e-3 && std::fabs(o.points[j].y - p.y) < 1e-3 &&
                   std::fabs(o.points[j].z - p.z) < 1e-3;
        EXPECT_TRUE(mirror) << kind << " rec " << r << " point " << i;
      }
    }
  }
}

TEST(ToolOutline, ShankLabelAndKindSpecificGroups) {
  // F = D: no shank whatever the kind.
  for (int kind : {1, 2, 8, 12, 16, 18}) {
    Built b = build(kind, [](TTOOL& t, THOLDER&) { t.protrusion = t.edge_len = 40; });
    const TTOOL& t = b.mag->slot[1].tool;
    if (t.protrusion > t.edge_len) continue;  // the kind itself needs more protrusion
    EXPECT_FALSE(b.set.shank) << kind;
    if (kind != 16 && kind != 18) EXPECT_EQ(b.set.rec[3].point_count, 0) << kind;
  }
  // G equal to the cutting diameter: two straight shank lines, no neck rings.
  Built flat = build(1, [](TTOOL& t, THOLDER&) {
    t.dia = 10;
    t.shank_dia = 10;
    t.edge_len = 20;
    t.protrusion = 40;
  });
  ASSERT_TRUE(flat.set.shank);
  const auto shank = runs_of(flat.set.rec[3]);
  ASSERT_EQ(shank.size(), 2u);
  EXPECT_EQ(shank[0].size(), 2u);
  EXPECT_FLOAT_EQ(shank[0][0].x, -5);
  EXPECT_FLOAT_EQ(shank[0][0].z, 40);
  EXPECT_FLOAT_EQ(shank[0][1].z, 20);
  EXPECT_EQ(flat.set.rec[4].point_count, 0);
  EXPECT_FLOAT_EQ(flat.set.label[0], 5.5f);
  EXPECT_EQ(flat.set.label[1], 0);
  EXPECT_EQ(flat.set.label[2], 0);
  // A thicker shank: the 30-degree neck cone with its half rings.
  Built neck = build(1, [](TTOOL& t, THOLDER&) {
    t.dia = 6;
    t.shank_dia = 10;
    t.edge_len = 10;
    t.protrusion = 30;
  });
  const auto nk = runs_of(neck.set.rec[3]);
  ASSERT_EQ(nk.size(), 2u);
  ASSERT_EQ(nk[0].size(), 4u);
  const double tt = 2 / std::tan(ATS_PI / 6);
  EXPECT_NEAR(nk[0][1].z, 10 + tt + 0.5, 1e-4);
  EXPECT_EQ(neck.set.rec[4].point_count, 9);  // a half ring
  // Kind 10: the insert is the alternative group as well; mode 0 adds the swept rings.
  Built bar = build(10);
  EXPECT_EQ(runs_of(bar.set.rec[12]).size(), 1u);
  ASSERT_EQ(bar.set.rec[12].point_count, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(bar.set.rec[12].points[i].x, bar.set.rec[0].points[i].x);
  EXPECT_EQ(runs_of(bar.set.rec[1]).size(), 3u);
  EXPECT_EQ(runs_of(bar.set.rec[2]).size(), 3u);
  EXPECT_EQ(bar.set.rec[13].point_count, 0);
}

TEST(ToolOutline, CentreDrillInATaperedSecondHolder) {
  Built b = build(7, [](TTOOL&, THOLDER& h) {
    h.h2_used = 1;
    h.h2_tapered = 1;
    h.h2_len = 40;
    h.h2_tip_dia = 12;
    h.h2_max_dia = 12 + 2 * 10 * std::tan(10 * ATS_PI / 180);
    h.h2_half_angle = 10;
  });
  const THOLDER& h = b.mag->slot[1].holder;
  const float F = b.mag->slot[1].tool.protrusion;
  ASSERT_NEAR(h.taper_len, 10, 2e-3);
  const auto r6 = runs_of(b.set.rec[6]);
  // The cylinder of the tip diameter from F + 20 to F + 40, then the band and the cone.
  ASSERT_GE(r6.size(), 2u);
  EXPECT_NEAR(r6[0][0].x, -6, 1e-4);
  EXPECT_NEAR(r6[0][0].z, F + 40, 1e-4);
  EXPECT_NEAR(r6[0][1].z, F + 20, 3e-3);
  const auto& band = r6[2];
  ASSERT_EQ(band.size(), 3u);
  EXPECT_NEAR(band[0].x, -h.h2_max_dia / 2, 1e-4);
  EXPECT_NEAR(band[0].z, F + 20, 3e-3);
  EXPECT_NEAR(band[1].z, F + 10, 2e-3);
  EXPECT_NEAR(band[2].x, -6, 1e-4);
  EXPECT_NEAR(band[2].z, F, 1e-4);
  // The ring at F + 10, once from each side.
  EXPECT_NEAR(b.set.rec[7].points[0].x, -h.h2_max_dia / 2, 1e-4);
  EXPECT_NEAR(b.set.rec[8].points[0].x, h.h2_max_dia / 2, 1e-4);
  // The holder face closes at the tip diameter.
  bool closes = false;
  for (const auto& run : runs_of(b.set.rec[9]))
    closes |= std::fabs(run[0].x - 6) < 1e-4 && std::fabs(run[0].z - (F + 40)) < 1e-3;
  EXPECT_TRUE(closes);
}

// ---- the tool shape ---------------------------------------------------------------------

// The depth below the tip of the outline's side polylines in the plane y = 0, at radius rho,
// with the tip closed across; +inf where no side passes.
double outline_profile(const TTOOL_OUTLINE_SET& s, double rho) {
  double best = HUGE_VAL;
  double lo_l = HUGE_VAL, lo_r = HUGE_VAL, xl = 0, xr = 0;
  auto seg = [&](double x0, double z0, double x1, double z1) {
    for (double sign : {1.0, -1.0}) {
      const double x = sign * rho;
      if ((x0 - x) * (x1 - x) > 0) continue;
      const double z = x1 == x0 ? std::min(z0, z1) : z0 + (z1 - z0) * (x - x0) / (x1 - x0);
      best = std::min(best, z);
    }
  };
  for (int r = 0; r < 6; ++r)
    for (const auto& run : runs_of(s.rec[r])) {
      bool flat = run.size() >= 2;
      for (const auto& p : run) flat = flat && std::fabs(p.y) < 1e-6;
      if (!flat) continue;
      for (std::size_t i = 0; i + 1 < run.size(); ++i) seg(run[i].x, run[i].z, run[i + 1].x, run[i + 1].z);
      for (const auto& p : run) {
        if (p.x <= 1e-6 && p.z < lo_l) lo_l = p.z, xl = p.x;
        if (p.x >= -1e-6 && p.z < lo_r) lo_r = p.z, xr = p.x;
      }
    }
  if (lo_l < HUGE_VAL && lo_r < HUGE_VAL) seg(xl, lo_l, xr, lo_r);
  return best;
}

// The profile the shape model is given for the kinds it approximates.
double approx_profile(const TTOOL& t, double rho) {
  const double r = t.dia / 2, H = t.radius;
  if (rho > r + 1e-9) return HUGE_VAL;
  auto corner = [&](double br) {
    const double f = r - br;
    return rho <= f ? 0.0 : br - std::sqrt(std::max(0.0, br * br - (rho - f) * (rho - f)));
  };
  switch (t.T_category) {
    case 13: return corner(H / 2);
    case 14: {
      const double h = H / 2, tt = h * std::tan(ATS_PI / 8), a = r - h + tt;
      return rho <= a ? 0.0 : (rho - a) * (h - tt) / (r - a);
    }
    case 16: return H > 0 ? corner(H) : 0.0;
    default: return 0.0;  // 10, 15: flat
  }
}

TEST(ToolShape, APlungeLeavesTheOutlineOfEveryKind) {
  plat::ScriptedMessageBoxes boxes;
  for (int kind = 1; kind < kToolKinds; ++kind) {
    Built b = build(kind);
    ASSERT_TRUE(b.set.valid);
    const TTOOL& t = b.mag->slot[1].tool;
    Tmat& m = *b.m;
    ASSERT_GE(m.tpm_count, 2) << kind;
    EXPECT_EQ(m.tpm[0].cutting_edge, kind == 18 ? 0 : 1) << kind;
    const std::uint8_t col[4] = {200, 200, 200, 255};
    const float R = 45;
    SET_WORK_NUM(m, 0);
    ASSERT_TRUE(CREATE_WORK(m, col, 900, 1, true, false, {-R, -0.05f, -100}, {R, 0.05f, 0}))
        << m.last_error();
    const float P = t.edge_len;
    ASSERT_TRUE(CUT_LINE_ALL_WORK(m, 1, 1, {0, 0, 20}, {0, 0, -P}));
    const bool approx = kind == 10 || (kind >= 13 && kind <= 16);
    const double r = t.dia / 2;
    for (double f : {0.0, 0.45, 0.9, 1.1}) {
      const TWORK_DATA& w = m.works[0];
      const int ix = static_cast<int>(std::lround((f * r + R) / w.step_x));
      const double rho = w.xs[ix];
      const double prof = approx ? approx_profile(t, rho) : outline_profile(b.set, rho);
      const double want = std::max(0.0, P - prof);
      const double got = -w.grid[ix].z;
      EXPECT_NEAR(got, std::min<double>(want, P), 0.15 + 0.02 * t.dia)
          << "kind " << kind << " rho " << rho;
    }
    EXPECT_TRUE(boxes.shown.empty()) << kind;
  }
  // A face mill of 50 mm cuts a flat pocket of radius 25.
  Built fm = build(12, [](TTOOL& t, THOLDER&) {
    t.dia = 50;
    t.edge_len = 5;
    t.shank_dia = 22;
    t.protrusion = 40;
  });
  Tmat& m = *fm.m;
  const std::uint8_t col[4] = {200, 200, 200, 255};
  SET_WORK_NUM(m, 0);
  ASSERT_TRUE(CREATE_WORK(m, col, 600, 1, true, false, {-30, -0.05f, -50}, {30, 0.05f, 0}));
  ASSERT_TRUE(CUT_LINE_ALL_WORK(m, 1, 1, {0, 0, 10}, {0, 0, -2}));
  const TWORK_DATA& w = m.works[0];
  for (int ix = 0; ix <= w.nx; ++ix) {
    const double x = w.xs[ix];
    if (std::fabs(x) < 24.9) EXPECT_NEAR(w.grid[ix].z, -2, 1e-4) << x;
    if (std::fabs(x) > 25.1) EXPECT_EQ(w.grid[ix].z, 0) << x;
  }
}

TEST(ToolShape, RandomNormalisedToolsBuildTheirOwnSections) {
  plat::ScriptedMessageBoxes boxes;
  RecordingDebLog log;
  std::mt19937 rng(17);
  std::uniform_real_distribution<float> size(0.0f, 80.0f), small(0.0f, 12.0f), angle(0, 60);
  for (int kind = 1; kind < kToolKinds; ++kind) {
    for (int i = 0; i < 2000; ++i) {
      auto mag = std::make_unique<TTOOL_HOLDER_tmp>();
      TTTOOL_HOLDER_tmp& s = mag->slot[0];
      set_default_TOOL(s.tool);
      set_default_HOLDER(s.holder);
      s.tool.T_category = kind;
      s.tool.dia = size(rng);
      s.tool.edge_len = size(rng);
      s.tool.protrusion = size(rng) * 2;
      s.tool.shank_dia = size(rng);
      s.tool.radius = small(rng);
      s.tool.half_angle = angle(rng);
      s.tool.noedge_dia = size(rng);
      s.holder.dia = size(rng) * 2;
      s.holder.h2_used = rng() & 1;
      s.holder.h2_tapered = rng() & 1;
      s.holder.h2_len = size(rng);
      s.holder.h2_tip_dia = size(rng);
      s.holder.h2_max_dia = size(rng);
      make_TOOL_comment_lines(s.tool, s.holder);
      Tmat m;
      ASSERT_TRUE(make_TOOL_shape_from_slot(m, s))
          << "kind " << kind << " " << m.last_error() << " C" << s.tool.dia << " D" << s.tool.edge_len
          << " F" << s.tool.protrusion << " G" << s.tool.shank_dia << " H" << s.tool.radius << " J"
          << s.tool.noedge_dia;
      ASSERT_GE(m.tpm_tool_count, 1);
    }
  }
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(log.lines.empty());
}

TEST(ToolShape, UnbuildableSizesFallBackToTheFixedBallAndSayWhichTool) {
  plat::ScriptedMessageBoxes boxes;
  RecordingDebLog log;
  TTTOOL_HOLDER_tmp s;
  set_default_TOOL(s.tool);
  set_default_HOLDER(s.holder);
  s.tool.T_category = 1;
  s.tool.T_number = 12;
  make_TOOL_comment_lines(s.tool, s.holder);
  s.tool.dia = NAN;
  Tmat m;
  EXPECT_FALSE(make_TOOL_shape_from_slot(m, s));
  ASSERT_EQ(m.tpm_count, 2);
  EXPECT_EQ(m.tpm[0].type, TPM_BALL);
  EXPECT_DOUBLE_EQ(m.tpm[0].BR, 3);
  EXPECT_EQ(m.tpm[1].type, TPM_TAPER);
  EXPECT_DOUBLE_EQ(m.tpm[1].ref_z, 18);
  EXPECT_TRUE(log.contains("T12 A1"));
}

TEST(ToolShape, APlungePastTheProtrusionMarksTheHolder) {
  Built b = build(1, [](TTOOL& t, THOLDER& h) {
    t.dia = 10;
    t.shank_dia = 10;
    t.edge_len = 20;
    t.protrusion = 30;
    h.dia = 40;
  });
  Tmat& m = *b.m;
  const std::uint8_t col[4] = {200, 200, 200, 255};
  SET_WORK_NUM(m, 0);
  ASSERT_TRUE(CREATE_WORK(m, col, 500, 1, true, false, {-25, -0.05f, -100}, {25, 0.05f, 0}));
  ASSERT_TRUE(CUT_LINE_ALL_WORK(m, 1, 1, {0, 0, 10}, {0, 0, -32}));
  EXPECT_TRUE(m.cut_flags_acc & 8);
  const TWORK_DATA& w = m.works[0];
  const TGRID_POINT& holder = w.grid[static_cast<std::size_t>(std::lround((15 + 25) / w.step_x))];
  EXPECT_NEAR(holder.z, -2, 1e-4);  // the holder face 30 above the tip
  const TGRID_POINT& tip = w.grid[static_cast<std::size_t>(std::lround(25 / w.step_x))];
  EXPECT_NEAR(tip.z, -32, 1e-4);
}

}  // namespace
