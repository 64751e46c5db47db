#include "simulation/cutting_sim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "common/ats_func.h"

namespace {

constexpr double kPi = ATS_PI;
const std::uint8_t kWork[4] = {192, 192, 192, 255};
const std::uint8_t kCut[4] = {0, 128, 255, 255};

std::unique_ptr<Tmat> new_mat() { return std::make_unique<Tmat>(); }

void add_work(Tmat& m, int slot, int nx, int ny, VEC3 lo, VEC3 hi, bool jig = false) {
  SET_WORK_NUM(m, slot);
  ASSERT_TRUE(CREATE_WORK(m, kWork, nx, ny, true, jig, lo, hi)) << m.last_error();
}

TTOOL_SHAPE_DATA sec(int type, double ref_z, double FR, double BR, double AR, double edge,
                     bool cutting = true) {
  TTOOL_SHAPE_DATA d;
  d.type = type;
  d.ref_z = ref_z;
  d.FR = FR;
  d.BR = BR;
  d.AR = AR;
  d.edge_len = edge;
  d.effective_len = edge;
  d.tool_edge_len = edge;
  d.cutting_edge = cutting ? 1 : 0;
  d.taper_half_angle = kPi / 6;
  std::copy(kCut, kCut + 4, d.color);
  return d;
}

void set_tool(Tmat& m, const std::vector<TTOOL_SHAPE_DATA>& sections) {
  TOOL_SHAPE_CLEAR(m);
  for (const auto& d : sections) ASSERT_TRUE(MAKE_TOOL_SHAPE(m, d)) << m.last_error();
  m.tpm_tool_count = m.tpm_count;
}

TGRID_POINT& at(Tmat& m, int work, float x, float y) {
  TWORK_DATA& w = m.works[work];
  const int ix = static_cast<int>(std::lround((x - w.min.x) / w.step_x));
  const int iy = static_cast<int>(std::lround((y - w.min.y) / w.step_y));
  return w.grid[static_cast<std::size_t>(w.nx + 1) * iy + ix];
}

// ---- the brute-force reference ---------------------------------------------------------

// Height of a section's surface above its tool's tip at radial distance rho; +inf outside.
double profile(const TTOOL_PARAM& t, double rho) {
  if (rho > t.AR + 1e-12) return HUGE_VAL;
  switch (t.type) {
    case TPM_FLAT: return t.ref_z;
    case TPM_BALL:
    case TPM_BALL2: return t.ref_z + t.BR - std::sqrt(std::max(0.0, t.BR2 - rho * rho));
    case TPM_CORNER_R:
    case TPM_CORNER_R2:
      if (rho <= t.FR) return t.ref_z;
      return t.ref_z + t.BR - std::sqrt(std::max(0.0, t.BR2 - (rho - t.FR) * (rho - t.FR)));
    case TPM_TAPER:
      if (rho <= t.FR) return t.ref_z;
      return t.ref_z + (rho - t.FR) * t.taper_zx;
    default: return HUGE_VAL;
  }
}

struct Pose {
  double x, y, z;
};

// Lowers a copy of work `work` by sampling the tool densely along `path`; `dist` receives
// each point's horizontal distance to the path.
std::vector<double> reference_cut(const Tmat& m, int work, const std::vector<Pose>& path,
                                  std::vector<double>& dist) {
  const TWORK_DATA& w = m.works[work];
  std::vector<double> z(w.grid.size());
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = w.grid[i].z;
  dist.assign(z.size(), HUGE_VAL);
  double low = HUGE_VAL;
  for (const Pose& p : path) low = std::min(low, p.z);
  int n = 0;
  while (n < m.tpm_count && m.tpm[n].ref_z + low < w.top_z) ++n;
  if (n == 0) return z;
  const double R = m.tpm[n - 1].AR;
  std::vector<double> best(z.size(), HUGE_VAL);
  for (const Pose& p : path) {
    const int ix0 = std::max(0, static_cast<int>((p.x - R - w.min.x) / w.step_x) - 1);
    const int ix1 = std::min(w.nx, static_cast<int>((p.x + R - w.min.x) / w.step_x) + 1);
    const int iy0 = std::max(0, static_cast<int>((p.y - R - w.min.y) / w.step_y) - 1);
    const int iy1 = std::min(w.ny, static_cast<int>((p.y + R - w.min.y) / w.step_y) + 1);
    for (int iy = iy0; iy <= iy1; ++iy) {
      for (int ix = ix0; ix <= ix1; ++ix) {
        const std::size_t i = static_cast<std::size_t>(w.nx + 1) * iy + ix;
        const double rho = std::hypot(w.xs[ix] - p.x, w.ys[iy] - p.y);
        dist[i] = std::min(dist[i], rho);
        for (int s = 0; s < n; ++s) best[i] = std::min(best[i], p.z + profile(m.tpm[s], rho));
      }
    }
  }
  for (std::size_t i = 0; i < z.size(); ++i)
    if (z[i] - best[i] >= 0.001) z[i] = std::min(z[i], std::max<double>(w.bottom_z, best[i]));
  return z;
}

std::vector<Pose> line_path(const VEC3& a, const VEC3& b, double step) {
  const double len = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) +
                               (b.z - a.z) * (b.z - a.z));
  const int n = std::max(1, static_cast<int>(len / step));
  std::vector<Pose> p;
  for (int i = 0; i <= n; ++i) {
    const double t = static_cast<double>(i) / n;
    p.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t});
  }
  return p;
}

// The section shapes of every type, each as its own tool.
std::vector<std::vector<TTOOL_SHAPE_DATA>> all_shapes() {
  return {
      {sec(TPM_FLAT, 0, 2, 0, 0, 10)},
      {sec(TPM_BALL, 0, 0, 2, 0, 10)},
      {sec(TPM_BALL2, 0, 0, 3, 2, 10)},
      {sec(TPM_CORNER_R, 0, 0, 0.5, 2.5, 10)},
      {sec(TPM_TAPER, 0, 0.5, 0, 0, 3)},
      {sec(TPM_CORNER_R2, 0, 1.5, 1, 2.2, 10)},
      {sec(TPM_BALL, 0, 0, 1.5, 0, 4), sec(TPM_TAPER, 4, 1.5, 0, 0, 2, false),
       sec(TPM_FLAT, 6, 4, 0, 0, 10, false)},
  };
}

struct RandomMove {
  VEC3 a, b;
};

std::vector<RandomMove> random_moves(std::mt19937& rng, int count) {
  std::uniform_real_distribution<float> xy(3, 17), zz(-3, 0.5f);
  std::vector<RandomMove> mv;
  for (int i = 0; i < count; ++i) {
    VEC3 a{xy(rng), xy(rng), zz(rng)}, b{xy(rng), xy(rng), zz(rng)};
    switch (i % 5) {
      case 0: b.z = a.z; break;                     // level
      case 1: b.z = a.z + 0.05f * (i % 3 + 1); break;  // shallow ramp up
      case 2: std::swap(a.z, b.z); break;           // any climb, up or down
      case 3: b.x = a.x; b.y = a.y; break;          // plunge
      default: break;
    }
    mv.push_back({a, b});
  }
  return mv;
}

TEST(Cutting, FastWalkEqualsPlainWalk) {
  std::mt19937 rng(7);
  for (const auto& shape : all_shapes()) {
    auto fast = new_mat(), plain = new_mat();
    plain->cut_walk_plain = 1;
    for (Tmat* m : {fast.get(), plain.get()}) {
      add_work(*m, 0, 200, 160, {0, 0, -4}, {20, 16, 0});
      add_work(*m, 1, 37, 41, {5, 2, -2}, {15, 13, 0.2f});
      set_tool(*m, shape);
      m->tpm[0].oblique_restricted = 1;
    }
    const auto moves = random_moves(rng, 30);
    for (std::size_t i = 0; i < moves.size(); ++i) {
      for (Tmat* m : {fast.get(), plain.get()}) {
        CUT_LINE_ALL_WORK(*m, static_cast<int>(i) + 10, static_cast<int>(i % 7), moves[i].a,
                          moves[i].b);
        const VEC3 c{10, 8, moves[i].a.z};
        const VEC3 s{10 + 4.5f, 8, moves[i].a.z};
        const VEC3 e{10, 8 + 4.5f, moves[i].a.z + (i % 2 ? 0.0f : 0.3f)};
        CUT_ARC_XY(*m, static_cast<int>(i) + 100, 1, c, s, e, 4.5, static_cast<int>(i % 2));
        // The store's height changes keep the tile bounds of the fast walk valid.
        if (i == 10) MOVE_Z_OF_WORK_MATRIX(*m, 0, 0.7f);
        if (i == 15) PRESET_Z_OF_WORK_MATRIX(*m, 0, -3.5f);
        if (i == 20) REMAKE_FOR_WORK_MATRIX(*m, 1);
        if (i == 22) CHANGE_WORK_to_ZIGU_MODE(*m, 1);
        if (i == 26) REMAKE_FOR_WORK_MATRIX(*m, 1);
      }
      ASSERT_EQ(fast->tpm[0].cut_flags, plain->tpm[0].cut_flags) << i;
      ASSERT_EQ(fast->tpm[0].removed_depth_sum, plain->tpm[0].removed_depth_sum) << i;
    }
    for (int wk = 0; wk < 2; ++wk) {
      const auto& a = fast->works[wk].grid;
      const auto& b = plain->works[wk].grid;
      ASSERT_EQ(a.size(), b.size());
      ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(TGRID_POINT)), 0)
          << "shape type " << shape[0].type;
    }
    EXPECT_EQ(fast->cut_flags_acc, plain->cut_flags_acc);
    EXPECT_LT(fast->cut_visited, plain->cut_visited);
  }
}

TEST(Cutting, ThreadsGiveTheSameResult) {
  // Large sweeps run their rows on several threads; the grid, the flags and the removed
  // depth must not depend on how many.
  std::unique_ptr<Tmat> mats[3] = {new_mat(), new_mat(), new_mat()};
  const int threads[3] = {1, 3, 8};
  for (int i = 0; i < 3; ++i) {
    Tmat& m = *mats[i];
    add_work(m, 0, 1600, 1600, {0, 0, -6}, {80, 80, 0});
    set_tool(m, {sec(TPM_BALL, 0, 0, 4, 0, 12), sec(TPM_TAPER, 12, 4, 0, 0, 10, false)});
    m.cut_threads = threads[i];
    m.tpm[0].oblique_restricted = 1;
    CUT_LINE_ALL_WORK(m, 1, 1, {2, 3, -2}, {78, 75, -0.5f});   // about 240,000 points
    CUT_LINE_ALL_WORK(m, 2, 0, {75, 4, -3}, {5, 77, -3});      // level and rapid
    CUT_ARC_XY(m, 3, 1, {40, 40, -1}, {70, 40, -1}, {70, 40, -1}, 30, 1);
  }
  for (int i = 1; i < 3; ++i) {
    const auto& a = mats[0]->works[0].grid;
    const auto& b = mats[i]->works[0].grid;
    ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(TGRID_POINT)), 0) << i;
    EXPECT_EQ(mats[0]->cut_flags_acc, mats[i]->cut_flags_acc);
    EXPECT_EQ(mats[0]->tpm[0].removed_depth_sum, mats[i]->tpm[0].removed_depth_sum);
    EXPECT_EQ(mats[0]->tpm[0].max_cut_depth, mats[i]->tpm[0].max_cut_depth);
    EXPECT_EQ(mats[0]->cut_visited, mats[i]->cut_visited);
  }
  EXPECT_GT(mats[0]->cut_visited, 2 * CUT_PARALLEL_MIN_POINTS);
}

TEST(Cutting, AbortPollWaitsForTheOtherThreads) {
  // The poll may run the event loop, and drawing there reads the grids: it must not run while
  // other threads of a large sweep are lowering points.
  struct Watch : plat::InputSource {
    const TGRID_POINT* p = nullptr;  // a point near the end of the move
    int polls = 0;
    bool changed = false;
    bool key_down(plat::Key) override {
      ++polls;
      const float z = p->z;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      changed |= p->z != z;
      return false;
    }
  } watch;
  auto m = new_mat();
  add_work(*m, 0, 1600, 1600, {0, 0, -6}, {80, 80, 0});
  set_tool(*m, {sec(TPM_BALL, 0, 0, 4, 0, 12)});
  m->cut_threads = 4;
  watch.p = &at(*m, 0, 76, 73.5f);
  plat::InputSource* const prev = plat::set_input_source(&watch);
  CUT_LINE_ALL_WORK(*m, 1, 1, {2, 3, -2}, {78, 75, -0.5f});
  plat::set_input_source(prev);
  EXPECT_GT(m->cut_visited, CUT_PARALLEL_MIN_POINTS);
  EXPECT_GT(watch.polls, 0);  // the sweep still reads the keys
  EXPECT_LT(watch.p->z, -0.5f);
  EXPECT_FALSE(watch.changed);
}

// Compares one cut against the reference; only points clear of a section's rim (where a
// sampled reference and an exact cut may disagree by the full depth) are compared.
void expect_like_reference(Tmat& m, const std::vector<double>& ref,
                           const std::vector<double>& dist, double tol, bool upper_bound_only) {
  const TWORK_DATA& w = m.works[0];
  int compared = 0, worst = -1;
  double worst_err = 0;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    bool near_rim = false;
    for (int s = 0; s < m.tpm_count; ++s)
      if (std::fabs(dist[i] - m.tpm[s].AR) < 0.02 || std::fabs(dist[i] - m.tpm[s].FR) < 0.02)
        near_rim = true;
    if (near_rim) continue;
    ++compared;
    const double err = w.grid[i].z - ref[i];
    const double bad = upper_bound_only ? -err : std::fabs(err);
    if (bad > worst_err) {
      worst_err = bad;
      worst = static_cast<int>(i);
    }
  }
  EXPECT_GT(compared, 0);
  EXPECT_LE(worst_err, tol) << "point " << (worst >= 0 ? w.xs[worst % (w.nx + 1)] : 0) << ","
                            << (worst >= 0 ? w.ys[worst / (w.nx + 1)] : 0) << " fast "
                            << (worst >= 0 ? w.grid[worst].z : 0)
                            << " reference " << (worst >= 0 ? ref[worst] : 0);
}

TEST(Cutting, AgreesWithTheReference) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> xy(6, 14), zz(-2.5f, -0.5f), climb(0.1f, 1.5f);
  const auto shapes = all_shapes();
  for (std::size_t si = 0; si < shapes.size(); ++si) {
    const bool taper = shapes[si].size() == 1 && shapes[si][0].type == TPM_TAPER;
    for (int kind = 0; kind < 5; ++kind) {
      for (int rep = 0; rep < 2; ++rep) {
        SCOPED_TRACE(testing::Message() << "shape " << si << " kind " << kind << " rep " << rep);
        auto m = new_mat();
        add_work(*m, 0, 200, 200, {0, 0, -4}, {20, 20, 0});
        set_tool(*m, shapes[si]);
        VEC3 a{xy(rng), xy(rng), zz(rng)}, b{xy(rng), xy(rng), a.z};
        std::vector<Pose> path;
        if (kind == 0) {  // level
          path = line_path(a, b, 0.002);
        } else if (kind == 1 || kind == 2) {  // up, down
          b.z = a.z + climb(rng) * (rep + 1) * 0.5f;
          if (kind == 2) std::swap(a, b);
          path = line_path(a, b, 0.002);
        } else if (kind == 3) {  // plunge
          b = a;
          a.z = 1;
          path = line_path(a, b, 0.01);
        }
        if (kind < 4) {
          CUT_LINE_ALL_WORK(*m, 5, 1, a, b);
        } else {  // a level arc, counter-clockwise a quarter and a bit
          const double r = 3 + rep;
          const VEC3 c{10, 10, a.z};
          const VEC3 s{static_cast<float>(10 + r), 10, a.z};
          const double ae = 1.9;
          const VEC3 e{static_cast<float>(10 + r * std::cos(ae)),
                       static_cast<float>(10 + r * std::sin(ae)), a.z};
          for (int i = 0; i <= 4000; ++i) {
            const double t = ae * i / 4000;
            path.push_back({10 + r * std::cos(t), 10 + r * std::sin(t), a.z});
          }
          CUT_ARC_XY(*m, 5, 1, c, s, e, r, 1);
        }
        std::vector<double> dist;
        auto fresh = new_mat();
        add_work(*fresh, 0, 200, 200, {0, 0, -4}, {20, 20, 0});
        set_tool(*fresh, shapes[si]);
        const auto ref = reference_cut(*fresh, 0, path, dist);
        const double k = kind == 1 || kind == 2 ? std::fabs(b.z - a.z) : 0.0;
        SCOPED_TRACE(testing::Message() << "move " << a.x << "," << a.y << "," << a.z << " -> "
                                        << b.x << "," << b.y << "," << b.z);
        expect_like_reference(*m, ref, dist, 0.004 + 0.01 * k, taper && (kind == 1 || kind == 2));
      }
    }
  }
}

TEST(Cutting, MoveAboveTheWorkCutsNothing) {
  auto m = new_mat();
  add_work(*m, 0, 20, 20, {0, 0, -5}, {10, 10, 0});
  set_tool(*m, {sec(TPM_FLAT, 0, 2, 0, 0, 10)});
  CUT_LINE_ALL_WORK(*m, 1, 1, {0, 0, 0}, {10, 10, 3});
  EXPECT_FALSE(Check_WORK_after_Cutted(*m, 0));
  EXPECT_EQ(m->cur_work, 31);
  CUT_LINE_ALL_WORK(*m, 1, 1, {0, 0, 3}, {10, 10, -0.0005f});  // less than 0.001 deep
  EXPECT_FALSE(Check_WORK_after_Cutted(*m, 0));
  CUT_LINE_ALL_WORK(*m, 1, 1, {0, 0, 3}, {10, 10, -0.002f});
  EXPECT_TRUE(Check_WORK_after_Cutted(*m, 0));
}

TEST(Cutting, PlungeLeavesARoundPocketWithTheCentreFlag) {
  auto m = new_mat();
  add_work(*m, 0, 40, 40, {0, 0, -10}, {20, 20, 0});
  TTOOL_SHAPE_DATA flat = sec(TPM_FLAT, 0, 5, 0, 0, 10);
  flat.centre_r = 1.2;
  set_tool(*m, {flat});
  CUT_LINE_ALL_WORK(*m, 9, 1, {10, 10, 5}, {10, 10, -3});
  EXPECT_EQ(m->tpm[0].cut_flags, CUT_FLAG_CUT | CUT_FLAG_NO_EDGE);
  for (float x = 0; x <= 20; x += 0.5f) {
    for (float y = 0; y <= 20; y += 0.5f) {
      const double r = std::hypot(x - 10, y - 10);
      const TGRID_POINT& p = at(*m, 0, x, y);
      if (r <= 5) {
        EXPECT_EQ(p.z, -3.0f) << x << "," << y;
        EXPECT_EQ(p.mark, 9);
        EXPECT_EQ(is_collision_point(p), r < 1.2) << x << "," << y;
      } else {
        EXPECT_EQ(p.z, 0.0f) << x << "," << y;
      }
    }
  }
}

TEST(Cutting, LevelFlatMove) {
  auto m = new_mat();
  add_work(*m, 0, 100, 40, {0, 0, -10}, {50, 20, 0});
  set_tool(*m, {sec(TPM_FLAT, 0, 2, 0, 0, 10)});
  at(*m, 0, 20, 10).z = -5;            // already lower: untouched
  at(*m, 0, 30, 10).z = -1 + 0.0005f;  // 0.0005 above the tool: untouched
  at(*m, 0, 30, 10).mark = 77;
  CUT_LINE_ALL_WORK(*m, 4, 1, {10, 10, -1}, {40, 10, -1});
  EXPECT_EQ(m->tpm[0].cut_flags, CUT_FLAG_CUT);
  for (float x = 0; x <= 50; x += 0.5f) {
    for (float y = 0; y <= 20; y += 0.5f) {
      const double d = x < 10 ? std::hypot(x - 10, y - 10)
                              : x > 40 ? std::hypot(x - 40, y - 10) : std::fabs(y - 10);
      const TGRID_POINT& p = at(*m, 0, x, y);
      if (x == 20 && y == 10) {
        EXPECT_EQ(p.z, -5.0f);
      } else if (x == 30 && y == 10) {
        EXPECT_EQ(p.mark, 77);
      } else if (d <= 2) {
        EXPECT_EQ(p.z, -1.0f) << x << "," << y;
        EXPECT_EQ(p.mark, 4);
        EXPECT_EQ(std::memcmp(p.col, kCut, 4), 0);
      } else {
        EXPECT_EQ(p.z, 0.0f) << x << "," << y;
      }
    }
  }
}

TEST(Cutting, MouseCuttingSkipsTheStartAlreadyCut) {
  auto m = new_mat();
  add_work(*m, 0, 100, 40, {0, 0, -5}, {50, 20, 0});
  add_work(*m, 1, 10, 10, {0, 0, -5}, {50, 20, 0});
  m->works[1].cutting = 0;
  set_tool(*m, {sec(TPM_FLAT, 0, 2, 0, 0, 10)});
  // With the skip-start flag the tool standing at the start is taken as cut already: the
  // start circle (u <= 0, or inside FR of the start) keeps its height.
  EXPECT_TRUE(CUT_LINE_ONE_WORK(*m, 0, {10, 10, -1}, {20, 10, -1}, true));
  EXPECT_EQ(at(*m, 0, 9, 10).z, 0.0f);
  EXPECT_EQ(at(*m, 0, 11, 10).z, 0.0f);
  EXPECT_EQ(at(*m, 0, 12.5f, 10).z, -1.0f);
  EXPECT_EQ(at(*m, 0, 12.5f, 10).mark, -1);  // mouse cuts carry line -1
  EXPECT_EQ(at(*m, 0, 21.5f, 10).z, -1.0f);
  EXPECT_TRUE(CUT_LINE_ONE_WORK(*m, 0, {10, 10, -1}, {20, 10, -1}, false));
  EXPECT_EQ(at(*m, 0, 9, 10).z, -1.0f);
  EXPECT_FALSE(CUT_LINE_ONE_WORK(*m, 1, {10, 10, -1}, {20, 10, -1}, false));  // not cutting
  EXPECT_FALSE(CUT_LINE_ONE_WORK(*m, 40, {10, 10, -1}, {20, 10, -1}, false));
}

TEST(Cutting, CleanCutToTheBottomIsMarkedAndSkipped) {
  auto m = new_mat();
  add_work(*m, 0, 20, 20, {0, 0, -2}, {10, 10, 0});
  set_tool(*m, {sec(TPM_FLAT, 0, 1, 0, 0, 10)});
  CUT_LINE_ALL_WORK(*m, 3, 1, {5, 5, -4}, {5, 5, -4});
  const TGRID_POINT p = at(*m, 0, 5, 5);
  EXPECT_EQ(p.z, -2.0f);
  EXPECT_EQ(p.mark, GRID_MARK_BOTTOM);
  EXPECT_EQ(std::memcmp(p.col, kCut, 4), 0);
  m->move_kind = 0;
  CUT_LINE_ALL_WORK(*m, 4, 0, {5, 5, -4}, {5, 5, -4});  // a rapid: nothing left to hit
  EXPECT_EQ(m->tpm[0].cut_flags, 0);
  EXPECT_EQ(at(*m, 0, 5, 5).mark, GRID_MARK_BOTTOM);
}

TEST(Cutting, PointsBelowTheBottomAreNeverRaised) {
  // A work-data file may hold heights below the work's bottom: a cut that reaches the
  // bottom leaves such a point where it is, whether or not it is a collision point yet.
  struct Case {
    const char* what;
    bool arc;
    bool collision;
  };
  const Case cases[] = {
      {"line, clean point", false, false},
      {"line, collision point", false, true},
      {"arc, clean point", true, false},
      {"arc, collision point", true, true},
  };
  for (const Case& c : cases) {
    auto m = new_mat();
    add_work(*m, 0, 20, 20, {0, 0, -2}, {10, 10, 0});
    set_tool(*m, {sec(TPM_FLAT, 0, 1.5, 0, 0, 10)});
    TGRID_POINT& p = at(*m, 0, 5, 6);
    p.z = -3;
    if (c.collision) p.col[2] = 1;
    Refresh_WORK_tiles(m->works[0]);
    if (c.arc)
      CUT_ARC_XY(*m, 3, 1, {5, 5, -4}, {6, 5, -4}, {6, 5, -4}, 1, 1);
    else
      CUT_LINE_ALL_WORK(*m, 3, 1, {4, 6, -4}, {6, 6, -4});
    EXPECT_EQ(at(*m, 0, 5, 6).z, -3.0f) << c.what;
    EXPECT_EQ(at(*m, 0, 5.5f, 6).z, -2.0f) << c.what;  // a neighbour stops at the bottom
  }
}

TEST(Cutting, CollisionClasses) {
  struct Case {
    const char* what;
    int mode;        // cut-section mode
    int move_kind;
    VEC3 a, b;
    bool restricted;
    std::uint16_t flags;
  };
  const Case cases[] = {
      {"rapid", 2, 0, {2, 5, -1}, {8, 5, -1}, false, CUT_FLAG_CUT | CUT_FLAG_RAPID},
      {"holder", 2, 1, {2, 5, -7}, {8, 5, -7}, false,
       CUT_FLAG_CUT | CUT_FLAG_SHANK | CUT_FLAG_EDGE_SHORT},
      {"tool only", 1, 1, {2, 5, -7}, {8, 5, -7}, false, CUT_FLAG_CUT | CUT_FLAG_EDGE_SHORT},
      {"no section", 0, 1, {2, 5, -1}, {8, 5, -1}, false, 0},
      {"side", 2, 1, {2, 5, -2}, {8, 5, -1}, true, CUT_FLAG_CUT | CUT_FLAG_SIDE},
      // Going down, the centre flag stays and only the tool at the upper end is no side cut.
      {"descending side", 2, 1, {2, 5, -1}, {8, 5, -2}, true,
       CUT_FLAG_CUT | CUT_FLAG_SIDE | CUT_FLAG_NO_EDGE},
      {"climbing, unrestricted", 2, 1, {2, 5, -2}, {8, 5, -1}, false, CUT_FLAG_CUT},
      {"plunge into the shank", 2, 1, {5, 5, 2}, {5, 5, -9}, false,
       CUT_FLAG_CUT | CUT_FLAG_SHANK | CUT_FLAG_NO_EDGE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto m = new_mat();
    add_work(*m, 0, 100, 100, {0, 0, -10}, {10, 10, 0});
    TTOOL_SHAPE_DATA tip = sec(TPM_FLAT, 0, 1, 0, 0, 3);
    tip.oblique_restricted = c.restricted ? 1 : 0;
    tip.centre_r = 0.5;
    set_tool(*m, {tip, sec(TPM_FLAT, 5, 3, 0, 0, 10, false)});
    m->tpm_tool_count = 1;
    m->cut_section_mode = c.mode;
    CUT_LINE_ALL_WORK(*m, 21, c.move_kind, c.a, c.b);
    EXPECT_EQ(m->tpm[0].cut_flags, c.flags);
    EXPECT_EQ(m->cut_flags_acc, c.flags);
    if (c.flags > 1) {
      const TGRID_POINT& p = at(*m, 0, 5, 5);
      EXPECT_EQ(p.col[0], 255);
      EXPECT_EQ(p.col[1], 1);
      EXPECT_EQ(p.col[2], 1);
      EXPECT_EQ(p.col[3] & ~c.flags, 0);
      EXPECT_NE(p.col[3] & (c.flags & (CUT_FLAG_EDGE_SHORT | CUT_FLAG_RAPID | CUT_FLAG_SIDE |
                                       CUT_FLAG_NO_EDGE)),
                0);
      EXPECT_EQ(p.mark, 21);
    }
  }
  // A long ramp out of a pocket: the material it meets is never deeper than the edge below
  // the tip at the contact, though it lies 3.5 above the lowest end of the move.
  {
    auto r = new_mat();
    add_work(*r, 0, 100, 100, {0, 0, -10}, {10, 10, 0});
    set_tool(*r, {sec(TPM_FLAT, 0, 1, 0, 0, 3)});
    CUT_LINE_ALL_WORK(*r, 1, 1, {0, 5, -2}, {5, 5, -2});
    r->cut_flags_acc = 0;
    CUT_LINE_ALL_WORK(*r, 2, 1, {0.5f, 5, -3.5f}, {9.5f, 5, -1});
    EXPECT_EQ(r->cut_flags_acc, CUT_FLAG_CUT);
    EXPECT_LT(at(*r, 0, 9, 5).z, -1.1f);
  }
  // The rapid move's colour bytes.
  auto m = new_mat();
  add_work(*m, 0, 10, 10, {0, 0, -10}, {10, 10, 0});
  set_tool(*m, {sec(TPM_FLAT, 0, 1, 0, 0, 3)});
  CUT_LINE_ALL_WORK(*m, 2, 0, {2, 5, -1}, {8, 5, -1});
  const TGRID_POINT& p = at(*m, 0, 5, 5);
  EXPECT_EQ(p.col[3], 129);
}

TEST(Cutting, JigsAndTheFlagAccumulator) {
  auto m = new_mat();
  add_work(*m, 0, 50, 50, {0, 0, -5}, {10, 10, 0}, true);  // a jig first
  add_work(*m, 1, 50, 50, {0, 0, -5}, {10, 10, 1});
  set_tool(*m, {sec(TPM_FLAT, 0, 1, 0, 0, 10)});
  m->jig_rect_check = 1;
  // The rectangle check marks the jig under the tool's square even where the round tool
  // misses it (the corner of the square around the end point).
  CUT_LINE_ALL_WORK(*m, 6, 1, {5, 5, -1}, {5, 5, -1});
  EXPECT_EQ(m->tpm[0].cut_flags, CUT_FLAG_CUT);  // the last work, cut cleanly
  EXPECT_EQ(m->cut_flags_acc, CUT_FLAG_CUT | CUT_FLAG_JIG);
  EXPECT_EQ(at(*m, 0, 5.8f, 5.8f).z, -1.0f);
  EXPECT_EQ(at(*m, 0, 5.8f, 5.8f).col[3], CUT_FLAG_CUT | CUT_FLAG_JIG);
  EXPECT_EQ(at(*m, 1, 5.8f, 5.8f).z, 1.0f);  // outside the round tool
  // Without the rectangle check the jig is cut round; with jigs left out, not at all.
  m->cut_flags_acc = 0;
  m->jig_rect_check = 0;
  CUT_LINE_ALL_WORK(*m, 7, 1, {2, 2, -2}, {2, 2, -2});
  EXPECT_EQ(at(*m, 0, 2.8f, 2.8f).z, 0.0f);
  EXPECT_EQ(at(*m, 0, 2, 2).z, -2.0f);
  EXPECT_EQ(m->cut_flags_acc, CUT_FLAG_CUT | CUT_FLAG_JIG);
  m->cut_jigs = 0;
  m->cut_flags_acc = 0;
  CUT_LINE_ALL_WORK(*m, 8, 1, {8, 8, -2}, {8, 8, -2});
  EXPECT_EQ(at(*m, 0, 8, 8).z, 0.0f);
  EXPECT_EQ(m->cut_flags_acc, CUT_FLAG_CUT);
}

TEST(Cutting, EscapeLetsTheMoveFinish) {
  plat::ScriptedInput input;
  input.press(plat::Key::Escape);
  input.press(plat::Key::LButton);  // a click never downgrades Escape
  auto m = new_mat();
  add_work(*m, 0, 400, 400, {0, 0, -5}, {40, 40, 0});
  set_tool(*m, {sec(TPM_FLAT, 0, 3, 0, 0, 10)});
  CUT_LINE_ALL_WORK(*m, 1, 1, {3, 20, -1}, {37, 20, -1});
  EXPECT_EQ(m->abort_flag, 1);
  EXPECT_EQ(at(*m, 0, 37, 20).z, -1.0f);  // the move was cut to its end
  EXPECT_GE(input.reads[static_cast<int>(plat::Key::Escape)], 1);

  plat::ScriptedInput mouse;
  mouse.press(plat::Key::RButton);
  auto n = new_mat();
  add_work(*n, 0, 400, 400, {0, 0, -5}, {40, 40, 0});
  set_tool(*n, {sec(TPM_FLAT, 0, 3, 0, 0, 10)});
  CUT_LINE_ALL_WORK(*n, 1, 1, {3, 20, -1}, {37, 20, -1});
  EXPECT_EQ(n->abort_flag, 2);
}

TEST(Cutting, NonFiniteInputCutsNothing) {
  auto m = new_mat();
  add_work(*m, 0, 20, 20, {0, 0, -5}, {10, 10, 0});
  set_tool(*m, {sec(TPM_BALL, 0, 0, 2, 0, 10)});
  const float nan = std::numeric_limits<float>::quiet_NaN();
  CUT_LINE_ALL_WORK(*m, 1, 1, {nan, 5, -1}, {5, 5, -1});
  CUT_ARC_XY(*m, 1, 1, {5, 5, -1}, {nan, 5, -1}, {5, 7, -1}, 2, 1);
  EXPECT_FALSE(Check_WORK_after_Cutted(*m, 0));
  // A move far outside (clamped to 1e10) leaves the grid alone as well.
  const float inf = std::numeric_limits<float>::infinity();
  CUT_LINE_ALL_WORK(*m, 1, 1, {-inf, 5, -1}, {inf, 5, -1});
  for (const TGRID_POINT& p : m->works[0].grid) ASSERT_TRUE(std::isfinite(p.z));
}

TEST(Cutting, FullCircleLowersTheAnnulus) {
  auto m = new_mat();
  add_work(*m, 0, 120, 120, {-15, -15, -5}, {15, 15, 0});
  set_tool(*m, {sec(TPM_FLAT, 0, 3, 0, 0, 10)});
  CUT_ARC_XY(*m, 1, 1, {0, 0, -1}, {10, 0, -1}, {10, 0, -1}, 10, 1);
  for (float x = -15; x <= 15; x += 0.25f) {
    for (float y = -15; y <= 15; y += 0.25f) {
      const double r = std::hypot(x, y);
      if (std::fabs(r - 7) < 1e-3 || std::fabs(r - 13) < 1e-3) continue;
      EXPECT_EQ(at(*m, 0, x, y).z, (r >= 7 && r <= 13) ? -1.0f : 0.0f) << x << "," << y;
    }
  }
}

TEST(Cutting, ArcKindsAndChordCounts) {
  struct Case {
    const char* what;
    VEC3 c, s, e;
    double r;
    std::uint32_t sweeps;  // sweeps that reached the lattice
  };
  const Case cases[] = {
      {"planar", {0, 0, -1}, {5, 0, -1}, {0, 5, -0.9995f}, 5, 1},
      {"helix", {0, 0, -1}, {5, 0, -1}, {0, 5, -0.998f}, 5, 16},
      {"tiny radius", {0, 0, -1}, {0.0005f, 0, -1}, {0, 0.0005f, -1}, 0.0005, 1},
      {"quarter of radius 100", {-100, -100, -1}, {0, -100, -1.5f}, {-100, 0, -1}, 100, 16},
      {"small radius", {0, 0, -1}, {0.02f, 0, -1.1f}, {-0.02f, 0, -1}, 0.02, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto m = new_mat();
    add_work(*m, 0, 100, 100, {-110, -110, -5}, {10, 10, 0});
    set_tool(*m, {sec(TPM_FLAT, 0, 1, 0, 0, 10)});
    const std::uint32_t before = m->cut_epoch;
    CUT_ARC_XY(*m, 1, 1, c.c, c.s, c.e, c.r, 1);
    EXPECT_EQ(m->cut_epoch - before, c.sweeps);
  }
}

TEST(Cutting, ZXArcMeasuresAnglesFromZ) {
  auto m = new_mat();
  add_work(*m, 0, 240, 20, {-12, -1, -20}, {12, 1, 0});
  set_tool(*m, {sec(TPM_BALL, 0, 0, 1, 0, 30)});
  // Around (x 0, z 0) from (x 10, z 0) to (x 0, z 10), counter-clockwise from the Z axis
  // towards the X axis: three quarters, down through (x 0, z -10) to (x -10, z 0).
  CUT_ARC_ZX(*m, 1, 1, {0, 0, 0}, {10, 0, 0}, {0, 0, 10}, 10, 1);
  EXPECT_LT(at(*m, 0, 0, 0).z, -9.8f);  // 16 chords
  EXPECT_LT(at(*m, 0, 7.1f, 0).z, -7.0f);
  EXPECT_LT(at(*m, 0, -7.1f, 0).z, -7.0f);
  EXPECT_EQ(at(*m, 0, 11.5f, 0).z, 0.0f);
  EXPECT_EQ(at(*m, 0, -11.5f, 0).z, 0.0f);
}

TEST(Cutting, ArcBox) {
  struct Case {
    int dir;
    VEC3 s, e;
    double x0, y0, x1, y1;
  };
  const Case cases[] = {
      {1, {10, 0, 0}, {0, 10, 0}, 0, 0, 10, 10},      // first quadrant
      {1, {0, 10, 0}, {10, 0, 0}, -10, -10, 10, 10},  // three quarters
      {0, {0, 10, 0}, {10, 0, 0}, 0, 0, 10, 10},      // clockwise back
      {1, {10, 0, 0}, {10, 0, 0}, -10, -10, 10, 10},  // full circle
      {1, {7.07f, 7.07f, 0}, {-7.07f, 7.07f, 0}, -7.07, 7.07, 7.07, 10},
  };
  for (const Case& c : cases) {
    double x0, y0, x1, y1;
    Arc_Box_2D(c.dir, {0, 0, 0}, c.s, c.e, 10, x0, y0, x1, y1);
    EXPECT_NEAR(x0, c.x0, 1e-5);
    EXPECT_NEAR(y0, c.y0, 1e-5);
    EXPECT_NEAR(x1, c.x1, 1e-5);
    EXPECT_NEAR(y1, c.y1, 1e-5);
  }
}

TEST(Cutting, NormalOfATriangle) {
  // Unit length and facing up whatever the order of the corners, even for a tiny cell.
  for (const VEC3 n : {Calc_Normal({0, 0, 0}, {1, 0, 0}, {0, 1, 0}),
                       Calc_Normal({0, 0, 0}, {0, 1, 0}, {1, 0, 0}),
                       Calc_Normal({0, 0, 0}, {1e-4f, 0, 0}, {0, 1e-4f, 0})}) {
    EXPECT_FLOAT_EQ(n.z, 1.0f);
    EXPECT_FLOAT_EQ(n.x, 0.0f);
  }
  const VEC3 s = Calc_Normal({0, 0, 0}, {1, 0, 1}, {0, 1, 0});
  EXPECT_NEAR(std::hypot(s.x, s.y, s.z), 1.0, 1e-6);
  EXPECT_GT(s.z, 0);
  const VEC3 flat = Calc_Normal({0, 0, 0}, {1, 1, 1}, {2, 2, 2});  // no area
  EXPECT_EQ(flat.z, 1.0f);
}

}  // namespace

TEST(Cutting, RevisionsNameTheTilesThatChanged) {
  // 200 x 200 cells: 7 x 7 tiles of 32 x 32 points. A short plunge changes one tile; the
  // store's operations change the whole work, each time with a newer revision.
  auto m = new_mat();
  add_work(*m, 0, 200, 200, {0, 0, -10}, {100, 100, 0});
  set_tool(*m, {sec(TPM_FLAT, 0, 2, 0, 2, 10)});
  TWORK_DATA& w = m->works[0];
  ASSERT_EQ(w.tile_rev.size(), 49u);
  const std::uint64_t made = current_WORK_revision();
  for (const std::uint64_t r : w.tile_rev) EXPECT_LE(r, made);
  // Around (25, 25): points 40..60 of both axes, tile 1 of each.
  CUT_LINE_ALL_WORK(*m, 1, 1, {25, 25, 5}, {25, 25, -1});
  for (int ty = 0; ty < 7; ++ty)
    for (int tx = 0; tx < 7; ++tx)
      EXPECT_EQ(w.tile_rev[static_cast<std::size_t>(ty * 7 + tx)] > made, tx == 1 && ty == 1)
          << tx << "," << ty;
  // A move above the work lowers nothing and changes no tile.
  const std::vector<std::uint64_t> after_cut = w.tile_rev;
  CUT_LINE_ALL_WORK(*m, 2, 1, {10, 10, 5}, {90, 90, 5});
  EXPECT_EQ(w.tile_rev, after_cut);
  struct Op {
    const char* name;
    std::function<bool(Tmat&)> run;
  };
  const Op ops[] = {
      {"colour", [](Tmat& t) { return Preset_For_WORK_Color(t, 0); }},
      {"move z", [](Tmat& t) { return MOVE_Z_OF_WORK_MATRIX(t, 0, 1); }},
      {"move xy", [](Tmat& t) { return MOVE_XY_OF_WORK_MATRIX(t, 0, 1, 1); }},
      {"preset z", [](Tmat& t) { return PRESET_Z_OF_WORK_MATRIX(t, 0, -5); }},
      {"remake", [](Tmat& t) { return REMAKE_FOR_WORK_MATRIX(t, 0); }},
      {"refresh", [](Tmat& t) {
         Refresh_WORK_tiles(t.works[0]);
         return true;
       }},
  };
  for (const Op& op : ops) {
    SCOPED_TRACE(op.name);
    const std::uint64_t before = current_WORK_revision();
    ASSERT_TRUE(op.run(*m)) << m->last_error();
    for (const std::uint64_t r : w.tile_rev) EXPECT_GT(r, before);
  }
}
