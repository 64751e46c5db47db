// Drawing speed of the 3D view in an off-screen 1000 x 700 slot (run under Xvfb with Mesa's
// renderer) on generated programs: the full drawing of 1,000,000 and 100,000 lines (the
// interpreter re-run, the path emission, the presents), the redraw after a rotation, how soon
// Escape stops a drawing, and a pick that misses every line.
// The generator first: Qt's keyword macros (emit) would break its declarations.
#include "tests/support/fake_ui.h"
#include "tests/support/ncd_program_gen.h"
#include "mainwin/core/session.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/startup.h"
#include "mainwin/view/view_gl.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>

#include "common/text_file.h"
#include "platform/core/file_write.h"
#include "platform/core/input.h"

namespace fs = std::filesystem;

namespace {

constexpr int kW = 1000, kH = 700;

struct ViewUi : TVLM_fake_ui {
  TVLM_view* view = nullptr;
  int draw_data(int mode) override { return view ? view->draw_data(mode) : 0; }
  void fit_scale(int arg) override {
    if (view) view->fit_scale(arg != 0);
  }
};

struct Scene {
  TSession s;
  ViewUi ui;
  TVLM_host host{s, ui};
  Tgl_func gl;
  std::unique_ptr<TVLM_view> view;
  fs::path dir;
  bool ok = false;
  explicit Scene(long lines) {
    dir = fs::temp_directory_path() / ("view_gl_bench_" + std::to_string(lines));
    fs::create_directories(dir);
    init_session(s, dir, dir);
    fs::create_directories(s.config_folder);
    update_disp_colors(s.disp);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
    gl.set_GL_view_area(0, kW, kH, 3, 3, 3, 3);
    ok = gl.open(nullptr, 0, true, false);
    gl.set_GL_default_view(0);
    view = std::make_unique<TVLM_view>(s, gl, ui, 0);
    view->resized(kW, kH);
    ui.view = view.get();
    testing_support::NcGenOptions o;
    o.lines = lines;
    const std::string text = testing_support::make_nc_program(o);
    plat::write_file_replacing(dir / "B.NC", text);
    ok = ok && open_NCD(s, ui, dir / "B.NC");
    s.disp.LIMIT_LINES = 0x7FFFFFF;
  }
  ~Scene() {
    ui.view = nullptr;
    view.reset();
    gl.close(0);
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

// The scenes hold GL slots: they go before the application does (main clears them).
std::map<long, std::unique_ptr<Scene>>& scenes() {
  static std::map<long, std::unique_ptr<Scene>> all;
  return all;
}

Scene& scene(long lines) {
  auto& p = scenes()[lines];
  if (!p) p = std::make_unique<Scene>(lines);
  return *p;
}

void report(benchmark::State& st, Scene& sc, std::uint64_t blocks0) {
  st.counters["blocks/draw"] = benchmark::Counter(
      static_cast<double>(sc.view->stepped_blocks() - blocks0), benchmark::Counter::kAvgIterations);
}

// The last path row's alpha one step off (unseen: the path is drawn without blending) makes
// the kept geometry stale, so the next drawing runs the interpreter as the first one after a
// load does.
void make_geometry_stale(Scene& sc) {
  sc.s.disp.path[std::size(sc.s.disp.path) - 1].rgba[3] ^= 1;
}

// The first drawing after a load: the interpreter's re-run, the emission and the presents.
void BM_FullDrawing(benchmark::State& st) {
  Scene& sc = scene(st.range(0));
  if (!sc.ok) {
    st.SkipWithError("no scene");
    return;
  }
  const std::uint64_t b0 = sc.view->stepped_blocks();
  for (auto _ : st) {
    make_geometry_stale(sc);
    sc.view->draw_data(4);
  }
  report(st, sc, b0);
}
BENCHMARK(BM_FullDrawing)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RedrawAfterRotation(benchmark::State& st) {
  Scene& sc = scene(st.range(0));
  if (!sc.ok) {
    st.SkipWithError("no scene");
    return;
  }
  const std::uint64_t b0 = sc.view->stepped_blocks();
  for (auto _ : st) {
    TGL_VIEW& v = sc.gl.slot[0].view;
    v.rot_z = v.rot_z > 170 ? -180 : v.rot_z + 5;
    sc.view->draw_data(4);
  }
  report(st, sc, b0);
}
BENCHMARK(BM_RedrawAfterRotation)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A drag over a range beyond the abbreviation count: the stored move list in grey.
void BM_DragRedraw(benchmark::State& st) {
  Scene& sc = scene(1000000);
  if (!sc.ok) {
    st.SkipWithError("no scene");
    return;
  }
  const int limit = sc.s.disp.LIMIT_LINES;
  sc.s.disp.LIMIT_LINES = 50000;  // the default abbreviation count
  for (auto _ : st) {
    TGL_VIEW& v = sc.gl.slot[0].view;
    v.rot_z = v.rot_z > 170 ? -180 : v.rot_z + 1;
    sc.view->draw_data(3);
  }
  sc.s.disp.LIMIT_LINES = limit;
}
BENCHMARK(BM_DragRedraw)->Unit(benchmark::kMillisecond)->UseRealTime();

// Escape read at the first poll (after 1000 blocks): the time until the drawing returns.
void BM_EscapeStopsTheDrawing(benchmark::State& st) {
  Scene& sc = scene(1000000);
  if (!sc.ok) {
    st.SkipWithError("no scene");
    return;
  }
  const std::uint64_t b0 = sc.view->stepped_blocks();
  for (auto _ : st) {
    make_geometry_stale(sc);
    plat::ScriptedInput in;
    in.escape_after(1);
    sc.view->draw_data(4);
  }
  report(st, sc, b0);
}
BENCHMARK(BM_EscapeStopsTheDrawing)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PickMissingEverything(benchmark::State& st) {
  Scene& sc = scene(1000000);
  if (!sc.ok) {
    st.SkipWithError("no scene");
    return;
  }
  sc.view->draw_data(4);
  int hit = 0;
  for (auto _ : st) hit += sc.view->click_entity2(1, 1);
  st.counters["hit"] = hit;
}
BENCHMARK(BM_PickMissingEverything)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  scenes().clear();
  return 0;
}
