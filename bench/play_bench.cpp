// The control panel's playback under Xvfb with the real main window and panel: a generated
// finishing program of 100,000 blocks (1000 zig-zag passes of 100 moves of 1 mm over the dome
// of the cutting benchmark, step-over 0.1 mm) on one 100 x 100 mm work of 1000 x 1000
// divisions, works shown, cutting and stop-at-collision on (the program collides nowhere).
// Measures the same moves stepped and cut in a plain loop, the play loop (PLAY) to the end,
// and the high-speed loop, normal (left button) and fastest (right button), each from the
// top of the program on the uncut work. Reports blocks per second, the 3D view's frames
// (swaps or presents of a new picture) per second, the share of the time spent drawing (the 3D view's
// GL frames and the windows' paint events) and the blocks per second against the plain loop.
// The core records first: Qt's keyword macros (slots, emit) would break their declarations.
#include "mainwin/core/control_panel.h"
#include "mainwin/core/path_step.h"
#include "mainwin/core/session.h"
#include "ncdata/ncd_run.h"
#include "simulation/cutting_sim.h"
#include "simulation/work_store.h"

#include <benchmark/benchmark.h>

#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/finishing_path.h"
#include "bench/real_window.h"
#include "mainwin/control_view_1.h"
#include "mainwin/sim_panels_1.h"
#include "mainwin/velmor_1.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/app.h"
#include "simulation/gl/gl_stat.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// ---- the program ----------------------------------------------------------------------------

const bench_path::Passes kPasses{1000, 100, 100, 0.05f, 0.1f};
constexpr int kIterations = 2;

// The finishing program: the tool comes down beside the work, enters it at the first point
// of the path, then each pass's moves follow; the first move of a pass also steps over.
std::string finishing_program() {
  std::string out;
  out.reserve(static_cast<std::size_t>(kPasses.passes) * kPasses.moves * 32);
  char b[96];
  auto line = [&](const char* s) {
    out += s;
    out += "\r\n";
  };
  float x = 0, y = 0, z = 0;
  bench_path::pass_point(kPasses, 0, 0, x, y, z);
  line("%");
  line("O1000(FINISHING)");
  line("G90G80G40G49G17");
  line("T1M06");
  std::snprintf(b, sizeof b, "G90G54G00X-5.Y%.3fS3000M03", y);
  line(b);
  line("G43Z5.H01");
  line("G01Z-3.F2000.");
  std::snprintf(b, sizeof b, "X%.3fY%.3fZ%.3f", x, y, z);
  line(b);
  for (int p = 0; p < kPasses.passes; ++p)
    for (int s = 1; s <= kPasses.moves; ++s) {
      // Point 0 of a later pass is left out: its first move steps over from the last pass.
      bench_path::pass_point(kPasses, p, s, x, y, z);
      std::snprintf(b, sizeof b, "X%.3fY%.3fZ%.3f", x, y, z);
      line(b);
    }
  line("G00Z50.");
  line("M05");
  line("M30");
  line("%");
  return out;
}

// ---- what the frames cost ---------------------------------------------------------------------

// The time spent drawing, nested spans counted once, and the frames of the 3D view; the
// 3D view's GL frames and the windows' paint events also on their own.
struct DrawMeter {
  struct Span {
    int depth = 0;
    Clock::time_point start;
    double s = 0;
    void begin(Clock::time_point t) {
      if (depth++ == 0) start = t;
    }
    void end(Clock::time_point t) {
      if (depth > 0 && --depth == 0) s += seconds(t - start);
    }
  };
  Span all, gl, paint;
  long long frames = 0;
  void begin(Span& part) {
    const auto t = Clock::now();
    all.begin(t);
    part.begin(t);
  }
  void end(Span& part) {
    const auto t = Clock::now();
    all.end(t);
    part.end(t);
  }
};

DrawMeter g_meter;

// The slot surface of the program with the meter around it: a frame's drawing runs from the
// first make-current after the last present (or swap) to the next one.
class MeteredSurface : public GlSlotSurface {
 public:
  explicit MeteredSurface(std::unique_ptr<GlSlotSurface> in) : in_(std::move(in)) {}
  ~MeteredSurface() override { end_frame(); }
  bool open(plat::GlWindow* window, int width, int height, std::string* err) override {
    return in_->open(window, width, height, err);
  }
  void close() override {
    in_->close();
    end_frame();
  }
  bool make_current() override {
    if (!in_frame_) {
      in_frame_ = true;
      g_meter.begin(g_meter.gl);
    }
    return in_->make_current();
  }
  void done_current() override {
    in_->done_current();
    end_frame();
  }
  bool resize(int width, int height) override { return in_->resize(width, height); }
  int width() const override { return in_->width(); }
  int height() const override { return in_->height(); }
  bool draw_buffer(GLenum mode) override { return in_->draw_buffer(mode); }
  bool read_buffer(GLenum mode) override { return in_->read_buffer(mode); }
  GLenum current_draw_buffer() const override { return in_->current_draw_buffer(); }
  void swap() override {
    in_->swap();
    count_frame();
  }
  void present() override {
    in_->present();
    count_frame();
  }
  QImage grab(GLenum which) override { return in_->grab(which); }
  void finish() override { in_->finish(); }
  GLenum get_error() override { return in_->get_error(); }
  plat::GlSurface* gl_surface() override { return in_->gl_surface(); }

 private:
  // A swap or present of what was drawn is a frame; the current-move mark and the read-out
  // that the view puts onto the shown picture right after it (within 5 ms) belong to it.
  void count_frame() {
    const auto now = Clock::now();
    if (in_frame_ && (!shown_ || now - last_shown_ >= std::chrono::milliseconds(5))) ++g_meter.frames;
    if (in_frame_) {
      shown_ = true;
      last_shown_ = now;
    }
    end_frame();
  }
  void end_frame() {
    if (!in_frame_) return;
    in_frame_ = false;
    g_meter.end(g_meter.gl);
  }
  std::unique_ptr<GlSlotSurface> in_;
  bool in_frame_ = false;
  bool shown_ = false;
  Clock::time_point last_shown_;
};

// The program's application object; its paint events count as drawing.
class BenchApp : public plat::Application {
 public:
  using plat::Application::Application;
  bool notify(QObject* receiver, QEvent* ev) override {
    switch (ev->type()) {
      case QEvent::Paint:
      case QEvent::UpdateRequest:
      case QEvent::UpdateLater:
      case QEvent::Expose: {
        g_meter.begin(g_meter.paint);
        const bool r = plat::Application::notify(receiver, ev);
        g_meter.end(g_meter.paint);
        return r;
      }
      default:
        return plat::Application::notify(receiver, ev);
    }
  }
};

// ---- the window -----------------------------------------------------------------------------

using bench_support::pump;

struct Scene {
  fs::path dir = fs::temp_directory_path() / "play_bench";
  Tgl_func gl;
  plat::ScriptedMessageBoxes boxes;  // an interference box gets OK (and fails the run)
  std::unique_ptr<Tvelmor> w;
  std::string error;
  double plain_blocks_per_s = 0;

  Scene() {
    gl.surface_factory = [] { return std::make_unique<MeteredSurface>(make_gl_slot_surface()); };
    // The window over the screen (a fresh start's size leaves the 3D view a small corner).
    w = bench_support::open_real_window(dir, "FINISH.NC", finishing_program(), QRect(0, 0, 1280, 1000),
                                        &gl, error);
    if (!error.empty()) return;
    TSession& s = w->session();
    // The one work in place of the automatic one.
    Tmat& m = *s.mat;
    WORK_MEM_FREE_ALL(m);
    SET_WORK_NUM(m, 0);
    const std::uint8_t grey[4] = {192, 192, 192, 255};
    if (!CREATE_WORK(m, grey, 1000, 1000, true, false, {0, 0, -30}, {100, 100, 0})) {
      error = "no work: " + m.last_error();
      return;
    }
    CHANGE_VIS_MODE(m, 0, true);
    s.disp.SIM_CUTTING_MODE = 1;
    s.disp.SIM_VIS_WORK = 1;
    s.disp.NG_ERR_STOP = 1;
    w->sim_panels().refresh_simulation_menu();
    panel().Refresh_switches();
    if (!panel().isVisible()) error = "no control panel";
    boxes.shown.clear();
  }
  ~Scene() {
    if (w) w->close();
    w.reset();
    fs::remove_all(dir);
  }

  TSession& session() { return w->session(); }
  Tcontroler& panel() { return w->sim_panels().panel(); }

  // The top of the program on the uncut work, drawn.
  void to_top() {
    Tsim_panels& p = w->sim_panels();
    p.action(CA_TOP);
    Tmat& m = *session().mat;
    REMAKE_FOR_WORK_MATRIX(m, 0);
    m.cut_flags_acc = 0;
    m.abort_flag = 0;
    p.draw_data(CD_FULL);
    pump(100);
  }

  // A click on the panel's button: the release waits in the queue for the loop's first poll
  // of the events, as a user's does.
  void click(QPushButton* b, Qt::MouseButton button) {
    panel().core().set_last_event(panel().tick_ms() - 1000);
    const QPointF local(b->width() / 2.0, b->height() / 2.0);
    const QPointF global = b->mapToGlobal(local);
    QCoreApplication::postEvent(b, new QMouseEvent(QEvent::MouseButtonRelease, local, global,
                                                   button, Qt::NoButton, Qt::NoModifier));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(b, &press);
  }

  // The run came through the last pass without a collision.
  bool check_run(benchmark::State& st) {
    const Tmat& m = *session().mat;
    if (!boxes.shown.empty()) {
      st.SkipWithError(("an interference box: " + boxes.shown.front().text).c_str());
      return false;
    }
    const TWORK_DATA& k = m.works[0];
    // The point below the middle of the last pass (Y 99.95, the dome 2 mm deep there).
    const TGRID_POINT& g = k.grid[static_cast<std::size_t>(k.nx + 1) * 999 + 500];
    if (!(g.z < -1.9f)) {
      st.SkipWithError(("the last pass was not cut: z = " + std::to_string(g.z)).c_str());
      return false;
    }
    return true;
  }
};

Scene* g_scene = nullptr;

struct Totals {
  double time_s = 0, drawing_s = 0, gl_s = 0, paint_s = 0;
  long long blocks = 0, frames = 0;
  // Adds one run from the meter's state before it.
  void add(double s, long long run_blocks, const DrawMeter& before) {
    time_s += s;
    blocks += run_blocks;
    drawing_s += g_meter.all.s - before.all.s;
    gl_s += g_meter.gl.s - before.gl.s;
    paint_s += g_meter.paint.s - before.paint.s;
    frames += g_meter.frames - before.frames;
  }
};

void report(benchmark::State& st, const Totals& t, bool plain) {
  if (t.time_s <= 0) return;
  const double bps = static_cast<double>(t.blocks) / t.time_s;
  st.counters["blocks_per_s"] = bps;
  st.counters["frames_per_s"] = static_cast<double>(t.frames) / t.time_s;
  st.counters["draw_share"] = t.drawing_s / t.time_s;
  st.counters["gl_share"] = t.gl_s / t.time_s;
  st.counters["paint_share"] = t.paint_s / t.time_s;
  if (plain) {
    g_scene->plain_blocks_per_s = bps;
  } else if (g_scene->plain_blocks_per_s > 0) {
    st.counters["of_plain"] = bps / g_scene->plain_blocks_per_s;
  }
  st.counters["program_blocks"] = g_scene->session().nc().pos.total_blocks;
  st.counters["mesh_mode"] = g_scene->session().mat->mesh_mode;
  const TGL_VIEW& v = g_scene->gl.slot[0].view;
  st.counters["view_w"] = v.panel_w;
  st.counters["view_h"] = v.panel_h;
}

bool ready(benchmark::State& st) {
  if (!g_scene->error.empty()) {
    st.SkipWithError(g_scene->error.c_str());
    return false;
  }
  return true;
}

// (a) The same blocks stepped and cut with nothing drawn.
void BM_PlainLoop(benchmark::State& st) {
  if (!ready(st)) return;
  Scene& sc = *g_scene;
  NCD_DATA& d = sc.session().nc();
  Tmat& m = *sc.session().mat;
  Totals t;
  for (auto _ : st) {
    sc.to_top();
    const int b0 = d.pos.block_count;
    const DrawMeter before = g_meter;
    const auto t0 = Clock::now();
    for (int guard = 0; guard <= d.pos.total_blocks; ++guard) {
      const bool ended = path_step_block(d, [&](const NCD_STEP_MOVES& mv) {
        if (m.any_work) cut_PATH_only(m, mv);
      });
      if (ended || d.exec.status >= NCD_ST_ERROR || (m.cut_flags_acc & ~1u)) break;
    }
    const double s = seconds(Clock::now() - t0);
    st.SetIterationTime(s);
    if (m.cut_flags_acc & ~1u) {
      st.SkipWithError(("collision bits " + std::to_string(m.cut_flags_acc)).c_str());
      return;
    }
    if (!sc.check_run(st)) return;
    t.add(s, d.pos.block_count - b0, before);
  }
  report(st, t, true);
}

// (b) PLAY to the end; (c) the high-speed loop, normal and fastest.
void run_panel(benchmark::State& st, bool hispd, bool fastest) {
  if (!ready(st)) return;
  Scene& sc = *g_scene;
  NCD_DATA& d = sc.session().nc();
  Tcontroler& p = sc.panel();
  Totals t;
  for (auto _ : st) {
    sc.to_top();
    const int b0 = d.pos.block_count;
    const DrawMeter before = g_meter;
    const auto t0 = Clock::now();
    if (hispd)
      sc.click(p.Btn18_Hispd, fastest ? Qt::RightButton : Qt::LeftButton);
    else
      sc.click(p.Btn01_play, Qt::LeftButton);
    const double s = seconds(Clock::now() - t0);
    st.SetIterationTime(s);
    if (!sc.check_run(st)) return;
    // The high-speed loop goes back to the top at the program end.
    if (!hispd && d.pos.block_count != d.pos.total_blocks) {
      st.SkipWithError("the play loop stopped before the end");
      return;
    }
    t.add(s, d.pos.total_blocks - b0, before);
  }
  report(st, t, false);
  st.counters["interval"] = sc.session().disp.INTERVAL_REDRAW_LIST;
}

void BM_Play(benchmark::State& st) { run_panel(st, false, false); }
void BM_HighSpeed(benchmark::State& st) { run_panel(st, true, st.range(0) != 0); }

BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kIterations);
BENCHMARK(BM_Play)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kIterations);
BENCHMARK(BM_HighSpeed)->ArgName("fastest")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
    ->UseManualTime()->Iterations(kIterations);

}  // namespace

int main(int argc, char** argv) {
  BenchApp app(argc, argv);
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
