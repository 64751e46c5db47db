// The tool list's HTML export with the path pictures, on the real main window under Xvfb: a
// generated program of 20 tool sections over one work of 1000 x 1000 divisions, works shown
// and cutting on. An export draws the whole program's picture, then for every tool use sets
// the works back, cuts them along the use and draws its picture, and writes the pages.
// Reports the export in all and per picture (the time between the pictures' files).
// The core records and the program generator first: Qt's keyword macros (slots, emit) would
// break their declarations.
#include "mainwin/core/session.h"
#include "simulation/work_store.h"
#include "tests/support/ncd_program_gen.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "bench/real_window.h"
#include "mainwin/velmor_1.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/app.h"
#include "tests/support/on_modal.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTools = 20;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

using bench_support::pump;

struct Scene {
  fs::path dir = fs::temp_directory_path() / "tool_list_path_bench";
  plat::ScriptedMessageBoxes boxes;  // every box gets its default: the works are set back
  std::unique_ptr<Tvelmor> w;
  std::string error;

  Scene() {
    testing_support::NcGenOptions o;
    o.lines = 20000;
    o.tools = kTools;
    w = bench_support::open_real_window(dir, "PATHS.NC", testing_support::NcProgramGen(o).make(),
                                        QRect(0, 0, 1024, 700), nullptr, error);
    if (!error.empty()) return;
    TSession& s = w->session();
    if (s.nc().run.stats.size() < kTools) {
      error = "tool uses: " + std::to_string(s.nc().run.stats.size());
      return;
    }
    Tmat& m = *s.mat;
    WORK_MEM_FREE_ALL(m);
    SET_WORK_NUM(m, 0);
    const std::uint8_t grey[4] = {192, 192, 192, 255};
    if (!CREATE_WORK(m, grey, 1000, 1000, true, false, {-70, -70, -30}, {70, 70, 0})) {
      error = "no work: " + m.last_error();
      return;
    }
    CHANGE_VIS_MODE(m, 0, true);
    s.disp.SIM_CUTTING_MODE = 1;
    s.disp.SIM_VIS_WORK = 1;
  }
  ~Scene() {
    if (w) w->close();
    w.reset();
    fs::remove_all(dir);
  }
};

Scene* g_scene = nullptr;

using testing_support::on_modal;

void BM_PathModeExport20Tools(benchmark::State& st) {
  Scene& sc = *g_scene;
  if (!sc.error.empty()) {
    st.SkipWithError(sc.error.c_str());
    return;
  }
  QAction* list = sc.w->findChild<QAction*>(QStringLiteral("menu_tool_list_1"));
  if (!list) {
    st.SkipWithError("no tool list item");
    return;
  }
  const fs::path out = sc.dir / "desk" / "PATHS";
  double all_s = 0, max_pic_s = 0;
  long long pictures = 0;
  for (auto _ : st) {
    fs::remove_all(out);
    sc.boxes.shown.clear();
    Clock::time_point start, end;
    fs::file_time_type file_start;
    bool clicked = false;
    on_modal(sc.w.get(), [&](QWidget* d) {
      auto* use_turn = d->findChild<QCheckBox*>(QStringLiteral("chk_Use_turn"));
      auto* at_path = d->findChild<QCheckBox*>(QStringLiteral("chk_print_at_path"));
      auto* html = d->findChild<QPushButton*>(QStringLiteral("Output_HTML_btn"));
      auto* close = d->findChild<QPushButton*>(QStringLiteral("settei_btn"));
      if (use_turn && at_path && html) {
        use_turn->setChecked(true);
        at_path->setChecked(true);
        plat::ScriptedInput input;  // no Escape from the real keyboard
        file_start = fs::file_time_type::clock::now();
        start = Clock::now();
        html->click();
        end = Clock::now();
        clicked = true;
      }
      if (close) close->click();
      else d->close();
    });
    list->trigger();
    if (!clicked || sc.boxes.shown.empty() ||
        sc.boxes.shown.back().text != "HTML 出力は終了しました。") {
      st.SkipWithError("the export did not finish");
      return;
    }
    const double s = seconds(end - start);
    st.SetIterationTime(s);
    all_s += s;
    // The pictures' files are written one after another: the time between them is a picture.
    fs::file_time_type last = file_start;
    std::error_code ec;
    for (int i = -1; i < kTools; ++i) {
      const fs::path f = out / (i < 0 ? std::string("P_CL_TOP.jpg")
                                      : "P_CL_" + std::to_string(i) + ".jpg");
      const fs::file_time_type t = fs::last_write_time(f, ec);
      if (ec) {
        st.SkipWithError(("no picture " + f.filename().string()).c_str());
        return;
      }
      max_pic_s = std::max(max_pic_s, std::chrono::duration<double>(t - last).count());
      last = t;
      ++pictures;
    }
  }
  const double n = static_cast<double>(st.iterations());
  st.counters["pictures"] = static_cast<double>(pictures) / n;
  st.counters["ms_per_picture"] = 1000.0 * all_s / static_cast<double>(pictures);
  st.counters["ms_slowest_picture"] = 1000.0 * max_pic_s;
  st.counters["ms_in_all"] = 1000.0 * all_s / n;
}
BENCHMARK(BM_PathModeExport20Tools)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  plat::Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  {
    Scene scene;
    g_scene = &scene;
    benchmark::RunSpecifiedBenchmarks();
    g_scene = nullptr;
  }
  benchmark::Shutdown();
  return 0;
}
