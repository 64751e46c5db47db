// Material removal speed: single moves over a 4000 x 4000 grid at 0.025 mm and a finishing
// program of 10,000 short moves over a 1000 x 1000 grid. Reports the grid points visited per
// move against the points the tool sweeps, and points per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "bench/finishing_path.h"
#include "simulation/cutting_sim.h"
#include "common/ats_func.h"

namespace {

constexpr double kPi = ATS_PI;
const std::uint8_t kColor[4] = {192, 192, 192, 255};

TTOOL_SHAPE_DATA sec(int type, double ref_z, double FR, double BR, double edge, bool cuts) {
  TTOOL_SHAPE_DATA d;
  d.type = type;
  d.ref_z = ref_z;
  d.FR = FR;
  d.BR = BR;
  d.edge_len = edge;
  d.effective_len = edge;
  d.tool_edge_len = edge;
  d.cutting_edge = cuts ? 1 : 0;
  d.taper_half_angle = kPi / 6;
  return d;
}

enum Tool { BALL_R3, FLAT_D10, BALL_WITH_HOLDER };

void set_tool(Tmat& m, Tool tool) {
  TOOL_SHAPE_CLEAR(m);
  if (tool == FLAT_D10) {
    MAKE_TOOL_SHAPE(m, sec(TPM_FLAT, 0, 5, 0, 20, true));
  } else {
    MAKE_TOOL_SHAPE(m, sec(TPM_BALL, 0, 0, 3, 12, true));
    MAKE_TOOL_SHAPE(m, sec(TPM_TAPER, 18, 3, 0, 27, false));
    if (tool == BALL_WITH_HOLDER) MAKE_TOOL_SHAPE(m, sec(TPM_FLAT, 45, 20, 0, 30, false));
  }
  m.tpm_tool_count = m.tpm_count;
}

std::unique_ptr<Tmat> make_mat(int n, float size, float depth, Tool tool) {
  auto m = std::make_unique<Tmat>();
  SET_WORK_NUM(*m, 0);
  CREATE_WORK(*m, kColor, n, n, true, false, {0, 0, -depth}, {size, size, 0});
  set_tool(*m, tool);
  return m;
}

// Lattice points within r of the horizontal path of a segment (the swept area).
std::uint64_t swept_points(const TWORK_DATA& w, const VEC3& a, const VEC3& b, double r) {
  std::uint64_t n = 0;
  const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
  for (int iy = 0; iy <= w.ny; ++iy) {
    for (int ix = 0; ix <= w.nx; ++ix) {
      const double px = w.xs[ix] - a.x, py = w.ys[iy] - a.y;
      double t = l2 > 0 ? (px * dx + py * dy) / l2 : 0;
      t = std::clamp(t, 0.0, 1.0);
      const double ex = px - t * dx, ey = py - t * dy;
      if (ex * ex + ey * ey <= r * r) ++n;
    }
  }
  return n;
}

struct Move {
  VEC3 a, b;
};

void run_moves(benchmark::State& state, Tmat& m, const std::vector<Move>& moves,
               std::uint64_t swept_per_move) {
  std::uint64_t visited = 0, count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    REMAKE_FOR_WORK_MATRIX(m, 0);
    m.cut_visited = 0;
    state.ResumeTiming();
    for (const Move& mv : moves) CUT_LINE_ALL_WORK(m, 1, 1, mv.a, mv.b);
    visited += m.cut_visited;
    count += moves.size();
  }
  state.counters["visited/move"] = static_cast<double>(visited) / static_cast<double>(count);
  if (swept_per_move > 0) {
    state.counters["swept/move"] = static_cast<double>(swept_per_move);
    state.counters["visited/swept"] =
        static_cast<double>(visited) / static_cast<double>(count) / swept_per_move;
  }
  state.counters["points/s"] =
      benchmark::Counter(static_cast<double>(visited), benchmark::Counter::kIsRate);
  state.counters["moves/s"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsRate);
}

// One move over the fine grid (4000 x 4000 at 0.025 mm).
void BM_FineMove(benchmark::State& state) {
  const Tool tool = static_cast<Tool>(state.range(0));
  const int kind = static_cast<int>(state.range(1));
  const bool plain = state.range(2) != 0;
  const int threads = static_cast<int>(state.range(3));
  static std::unique_ptr<Tmat> mats[3];
  if (!mats[tool]) mats[tool] = make_mat(4000, 100, 60, tool);
  Tmat& m = *mats[tool];
  m.cut_walk_plain = plain ? 1 : 0;
  m.cut_threads = threads;
  const float z = tool == BALL_WITH_HOLDER ? -48.0f : -2.0f;
  const float d = 50 / std::numbers::sqrt2_v<float>;  // a 100 mm diagonal
  Move mv;
  switch (kind) {
    case 0: mv = {{0, 50, z}, {100, 50, z}}; break;                    // level
    case 1: mv = {{50 - d, 50 - d, z}, {50 + d, 50 + d, z}}; break;    // diagonal
    default: mv = {{50 - d, 50 - d, z}, {50 + d, 50 + d, z + 1.5f}};  // ramp
  }
  static std::uint64_t swept[3][3];
  const double r = m.tpm[m.tpm_count - 1].AR;
  const int active = tool == BALL_WITH_HOLDER ? 3 : 1;
  const double R = m.tpm[active - 1].AR;
  (void)r;
  if (swept[tool][kind] == 0) swept[tool][kind] = swept_points(m.works[0], mv.a, mv.b, R);
  run_moves(state, m, {mv}, swept[tool][kind]);
  m.cut_walk_plain = 0;
  m.cut_threads = 0;
}

// A helix: one turn of radius 20 climbing 2 mm, cut in chords.
void BM_FineHelix(benchmark::State& state) {
  const Tool tool = static_cast<Tool>(state.range(0));
  static std::unique_ptr<Tmat> mats[3];
  if (!mats[tool]) mats[tool] = make_mat(4000, 100, 60, tool);
  Tmat& m = *mats[tool];
  m.cut_threads = 1;
  std::uint64_t visited = 0, count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    REMAKE_FOR_WORK_MATRIX(m, 0);
    m.cut_visited = 0;
    state.ResumeTiming();
    CUT_ARC_XY(m, 1, 1, {50, 50, -3}, {70, 50, -3}, {70, 50, -1}, 20, 1);
    visited += m.cut_visited;
    ++count;
  }
  state.counters["visited/move"] = static_cast<double>(visited) / static_cast<double>(count);
  state.counters["points/s"] =
      benchmark::Counter(static_cast<double>(visited), benchmark::Counter::kIsRate);
}

// A finishing program: 200 zig-zag passes of 50 moves of 2 mm over a dome, step-over 0.5 mm,
// on a 1000 x 1000 grid at 0.1 mm.
void BM_FinishingProgram(benchmark::State& state) {
  const Tool tool = static_cast<Tool>(state.range(0));
  auto m = make_mat(1000, 100, 30, tool);
  m->cut_threads = 1;
  std::vector<Move> moves;
  const bench_path::Passes g;
  for (int p = 0; p < g.passes; ++p) {
    for (int s = 0; s < g.moves; ++s) {
      Move mv;
      bench_path::pass_point(g, p, s, mv.a.x, mv.a.y, mv.a.z);
      bench_path::pass_point(g, p, s + 1, mv.b.x, mv.b.y, mv.b.z);
      moves.push_back(mv);
    }
  }
  std::uint64_t swept = 0;
  for (std::size_t i = 0; i < moves.size(); i += 997)
    swept += swept_points(m->works[0], moves[i].a, moves[i].b, m->tpm[0].AR);
  run_moves(state, *m, moves, swept / ((moves.size() + 996) / 997));
}

}  // namespace

// Tools: 0 R3 ball (with its taper), 1 D10 flat, 2 R3 ball with a holder deep in the work.
// Kinds: 0 level, 1 diagonal, 2 ramp. Third argument 1: the plain walk over the whole box.
// Fourth: threads (1 one core; 0 as many as the machine has).
BENCHMARK(BM_FineMove)
    ->ArgNames({"tool", "kind", "plain", "threads"})
    ->Args({0, 0, 0, 1})
    ->Args({0, 1, 0, 1})
    ->Args({0, 2, 0, 1})
    ->Args({1, 0, 0, 1})
    ->Args({1, 1, 0, 1})
    ->Args({1, 2, 0, 1})
    ->Args({2, 1, 0, 1})
    ->Args({0, 1, 1, 1})
    ->Args({1, 1, 1, 1})
    ->Args({0, 1, 0, 0})
    ->Args({1, 1, 0, 0})
    ->Args({2, 1, 0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FineHelix)->ArgName("tool")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinishingProgram)->ArgName("tool")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
    ->Iterations(3);
