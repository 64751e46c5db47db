// Speed of the tool list window on a full magazine of 201 set tools, offscreen: building the
// cards and painting the first view, one page of scrolling, and the single-page HTML export
// (201 tool pictures drawn and encoded as JPEG, and the page).
#include <benchmark/benchmark.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <filesystem>
#include <memory>

#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/tool_codes.h"
#include "tooling/tool_list_win_1.h"

namespace {

// Answers every box with its default and keeps nothing.
class QuietBoxes : public plat::MessageBoxHandler {
 public:
  int show(const std::string&, const std::string&, unsigned flags) override {
    return plat::default_answer(flags);
  }
};

std::unique_ptr<TTOOL_HOLDER_tmp> full_magazine() {
  auto m = std::make_unique<TTOOL_HOLDER_tmp>();
  m->count = kMagazineSlots;
  for (int k = 0; k < kMagazineSlots; ++k) {
    TTTOOL_HOLDER_tmp& s = m->slot[k];
    set_default_TOOL(s.tool);
    set_default_HOLDER(s.holder);
    s.tool.T_number = k;
    s.tool.T_category = 1 + k % 20;
    s.tool.dia = 2.0f + static_cast<float>(k % 30);
    get_TOOL_kind_text(s.tool);
    make_TOOL_comment_lines(s.tool, s.holder);
    s.list_head = "(" + std::to_string(k) + ") T" + std::to_string(k) + " :";
    s.tool_name = s.tool.name;
    s.list_body = "切削長 100 mm , 早送り 20 mm , 加工時間 3 分 \nT" + std::to_string(k) + "M06";
  }
  return m;
}

struct Window {
  Ttooling_host host;
  std::unique_ptr<TTOOL_HOLDER_tmp> mag = full_magazine();
  TTOOL_LIST_win w{host};
  Window() {
    w.model().magazine = mag.get();
    w.options() = TTOOL_LIST_options{};
    w.options().pic_w = 180;
    w.options().pic_h = 120;
    w.options().text_w = 500;
    w.options().print_at_data = true;
    w.program().nc_file_name = "BENCH.NC";
    w.resize(820, 700);
    w.show();
  }
  QWidget* viewport() {
    return w.findChild<QAbstractScrollArea*>(QStringLiteral("ScrollBox1"))->viewport();
  }
};

void BM_CardModelAndFirstView(benchmark::State& st) {
  Window win;
  for (auto _ : st) {
    win.w.FormShow();
    QPixmap px = win.viewport()->grab();
    benchmark::DoNotOptimize(px);
  }
}
BENCHMARK(BM_CardModelAndFirstView)->Unit(benchmark::kMillisecond);

void BM_ScrollOnePage(benchmark::State& st) {
  Window win;
  win.w.FormShow();
  QScrollBar* bar = win.w.findChild<QAbstractScrollArea*>(QStringLiteral("ScrollBox1"))
                        ->verticalScrollBar();
  for (auto _ : st) {
    int v = bar->value() + bar->pageStep();
    if (v > bar->maximum()) v = 0;
    bar->setValue(v);
    QPixmap px = win.viewport()->grab();
    benchmark::DoNotOptimize(px);
  }
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMillisecond);

void BM_SinglePageExport201(benchmark::State& st) {
  const std::filesystem::path desk =
      std::filesystem::temp_directory_path() / "velmor_tool_list_bench";
  std::filesystem::create_directories(desk);
  plat::set_desktop_folder(desk);
  Window win;
  win.w.FormShow();
  for (auto _ : st) win.w.Output_HTML_btnClick();
  std::filesystem::remove_all(desk);
}
BENCHMARK(BM_SinglePageExport201)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QuietBoxes boxes;
  plat::set_message_box_handler(&boxes);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  plat::set_message_box_handler(nullptr);
  return 0;
}
