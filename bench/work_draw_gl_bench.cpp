// Drawing speed of the works in an off-screen 1280 x 1024 slot with the default lights (run
// under Xvfb with Mesa's renderer): a 1000 x 1000 work (2 million triangles) in full-grid
// mode, opaque and see-through, from client arrays and from the tiles' buffer objects, the
// kept-picture redraws after a cut over 2 x 2 tiles, of the blink and of an unchanged frame,
// the coarse display grid, a 4000 x 4000 work (one frame), and the CPU pick. Reports triangles per second and the bytes kept per cell.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <memory>

#include "simulation/gl/gl_stat.h"
#include "simulation/gl/work_draw_gl.h"
#include "simulation/work_cells.h"

namespace {

const std::uint8_t kGrey[4] = {192, 192, 192, 255};
constexpr int kW = 1280, kH = 1024;

struct Bench {
  Tgl_func gl;
  std::unique_ptr<Tmat> m = std::make_unique<Tmat>();
  bool ok = false;
  long long triangles = 0;
  explicit Bench(int n) {
    gl.set_GL_view_area(1, kW, kH, 0, 0, 0, 0);
    gl.set_GL_default_view(1);
    TGL_VIEW& v = gl.slot[1].view;
    v.scene_size = 100;
    v.base_scale = 1.6f / 100;
    v.centre_shift[0] = v.centre_shift[1] = -50;
    ok = gl.open(nullptr, 1, true, false);
    SET_WORK_NUM(*m, 0);
    ok = ok && CREATE_WORK(*m, kGrey, n, n, true, false, {0, 0, -20}, {100, 100, 0});
    m->works[0].visible = 1;
    m->mesh_mode = 2;
    // A wavy surface so that no two neighbouring cells are alike.
    TWORK_DATA& w = m->works[0];
    for (int iy = 0; iy <= n; ++iy)
      for (int ix = 0; ix <= n; ++ix) {
        TGRID_POINT& p = w.grid[static_cast<std::size_t>(n + 1) * iy + ix];
        p.z = static_cast<float>(-2 + std::sin(ix * 0.05) * std::cos(iy * 0.07));
        p.mark = 1;
      }
    triangles = 2LL * n * n;
  }
  void frame() {
    gl.setup(nullptr, 1, true, GL_VIEW_RENDER);
    const float tool[3] = {0, 0, 50};
    DRAW_ALL_WORK(*m, 1, tool, -1, 50);
    gl.draw(nullptr, 1, "bench");
  }
  // A frame of the 3D view with its view key: the kept picture where nothing changed.
  TWORK_FRAME keyed_frame() {
    gl.setup(nullptr, 1, true, GL_VIEW_RENDER);
    const float tool[3] = {0, 0, 50};
    const TWORK_FRAME f = DRAW_ALL_WORK(*m, 1, tool, -1, 50, gl, 1, 1);
    gl.draw(nullptr, 1, "bench");
    return f;
  }
  // Lowers the points of 2 x 2 tiles about point (ix, iy) a little, as a cut would.
  void cut_tiles(int ix, int iy) {
    TWORK_DATA& w = m->works[0];
    const int tx = ix >> WORK_TILE_SHIFT, ty = iy >> WORK_TILE_SHIFT;
    for (int y = ty * WORK_TILE; y < (ty + 2) * WORK_TILE && y <= w.ny; ++y)
      for (int x = tx * WORK_TILE; x < (tx + 2) * WORK_TILE && x <= w.nx; ++x)
        w.grid[static_cast<std::size_t>(w.nx + 1) * y + x].z -= 0.001f;
    const std::uint64_t rev = next_WORK_revision();
    for (int y = ty; y < ty + 2; ++y)
      for (int x = tx; x < tx + 2; ++x) w.tile_rev[static_cast<std::size_t>(y) * w.tiles_x + x] = rev;
  }
};

void report(benchmark::State& st, const Bench& b) {
  st.counters["triangles/s"] =
      benchmark::Counter(static_cast<double>(b.triangles), benchmark::Counter::kIsIterationInvariantRate);
  const TWORK_DATA& w = b.m->works[0];
  st.counters["bytes/cell"] = static_cast<double>(w.grid.size() * sizeof(TGRID_POINT)) /
                              (static_cast<double>(w.nx) * w.ny);
}

void BM_FullGrid1000Opaque(benchmark::State& st) {
  Bench b(1000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  for (auto _ : st) b.frame();
  report(st, b);
}

void BM_FullGrid1000SeeThrough(benchmark::State& st) {
  Bench b(1000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  b.m->works[0].see_through = 1;
  for (auto _ : st) b.frame();
  report(st, b);
}

void BM_KeptRedrawAfterCut1000(benchmark::State& st) {
  Bench b(1000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  b.keyed_frame();
  int tiles = 0;
  for (auto _ : st) {
    b.cut_tiles(480, 520);
    tiles = b.keyed_frame().tiles;
  }
  st.counters["tiles drawn"] = tiles;
}

void BM_KeptBlink1000(benchmark::State& st) {
  Bench b(1000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  TWORK_DATA& w = b.m->works[0];
  // Collision points in three places.
  for (const int c : {200, 500, 800})
    for (int iy = c; iy < c + 10; ++iy)
      for (int ix = c; ix < c + 10; ++ix) {
        TGRID_POINT& p = w.grid[static_cast<std::size_t>(w.nx + 1) * iy + ix];
        p.col[0] = 255;
        p.col[1] = 1;
        p.col[2] = 1;
      }
  Refresh_WORK_tiles(w);
  b.m->blink = 1;
  b.keyed_frame();
  int tiles = 0;
  for (auto _ : st) tiles = b.keyed_frame().tiles;
  st.counters["tiles drawn"] = tiles;
}

void BM_KeptUnchanged1000(benchmark::State& st) {
  Bench b(1000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  b.keyed_frame();
  for (auto _ : st) b.keyed_frame();
}

void BM_RetainedFullGrid1000(benchmark::State& st) {
  // A full redraw each frame (a new key) from the tiles' buffer objects.
  Bench b(1000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  std::uint64_t key = 1;
  for (auto _ : st) {
    b.gl.setup(nullptr, 1, true, GL_VIEW_RENDER);
    const float tool[3] = {0, 0, 50};
    DRAW_ALL_WORK(*b.m, 1, tool, -1, 50, b.gl, 1, ++key);
    b.gl.draw(nullptr, 1, "bench");
  }
  report(st, b);
}

void BM_CoarseGrid1000(benchmark::State& st) {
  Bench b(1000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  Preset_MeshArray(*b.m, 0);
  b.m->mesh_mode = 1;
  const TWORK_DATA& w = b.m->works[0];
  b.triangles = 2LL * w.disp_steps_x * w.disp_steps_y;
  for (auto _ : st) b.frame();
  report(st, b);
}

void BM_FullGrid4000(benchmark::State& st) {
  Bench b(4000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  for (auto _ : st) b.frame();
  report(st, b);
}

void BM_CpuPick1000(benchmark::State& st) {
  Bench b(1000);
  if (!b.ok) return st.SkipWithError("no GL slot");
  b.gl.setup(nullptr, 1, true, GL_VIEW_RENDER);
  int work = -1, found = 0;
  for (auto _ : st) {
    found += pick_work_face(*b.m, b.gl.slot[1].view, kW / 2.0, kH / 2.0, work) > 0;
  }
  st.counters["hits"] = found;
}

BENCHMARK(BM_FullGrid1000Opaque)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FullGrid1000SeeThrough)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_KeptRedrawAfterCut1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeptBlink1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeptUnchanged1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RetainedFullGrid1000)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_CoarseGrid1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FullGrid4000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CpuPick1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
