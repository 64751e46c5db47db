// Opening a 1,000,000-line program from disk until it is listed and ready, through the NC
// file commands with a window that only keeps time and fills listing rows; and saving it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "tests/support/fake_ui.h"
#include "tests/support/text_rows.h"
#include "common/text_file.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "ncdata/ncd_edit.h"
#include "platform/core/file_write.h"
#include "tests/support/ncd_program_gen.h"

namespace fs = std::filesystem;

namespace {

constexpr long LINES = 1000000;
using Clock = std::chrono::steady_clock;

using Rows = testing_support::TextRows;

// A window that notes when each phase of a load ends.
struct TimingUi : TVLM_fake_ui {
  Clock::time_point start, read, parsed, run, seek, rows;
  NCD_EDIT_LIST* list = nullptr;
  int refreshes = 0;
  void set_caption(const std::string& t) override {
    if (t.rfind("read ", 0) == 0 && t.find('*') == std::string::npos) read = Clock::now();
  }
  void gl_reset_view() override { parsed = Clock::now(); }
  void fit_scale(int) override { run = Clock::now(); }
  void panel_refresh() override { seek = Clock::now(); }
  void listing_refresh() override {
    if (!list) return;
    Set_NCD_list_range(*list);
    Redraw_NCD_list(*list);
    rows = Clock::now();
  }
};

double ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// Peak resident memory (kB) since the last reset.
long peak_kb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}
long rss_kb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}
void reset_peak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct Bench {
  fs::path dir = fs::temp_directory_path() / "vlm_open_bench";
  fs::path file = dir / "BIG.NC";
  std::unique_ptr<TSession> s = std::make_unique<TSession>();
  TimingUi ui;
  TVLM_host host{*s, ui};
  Rows rows;
  NCD_EDIT_LIST list{s->nc(), rows, &host};
  Bench() {
    fs::create_directories(dir / "confignc");
    init_session(*s, dir, dir);
    host.attach();
    Create_NCD(s->nc());
    Create_NCD(*s->spare);
    ui.list = &list;
    if (!fs::exists(file)) {
      testing_support::NcGenOptions o;
      o.lines = LINES;
      plat::write_file_replacing(file, testing_support::NcProgramGen(o).make());
    }
    std::ofstream(dir / "BIG.nst") << "(VLM N1 \"T1\" )\r\n(VLM T1 A2B29C6D16E10F40G8H3)\r\n";
  }
  ~Bench() {
    Free_NCD(s->nc());
    Free_NCD(*s->spare);
  }
};

Bench& bench() {
  static Bench b;
  return b;
}

void BM_open_to_listed(benchmark::State& st) {
  Bench& b = bench();
  open_NCD(*b.s, b.ui, b.file);  // a program in use, as when a second file is opened
  double read = 0, parsed = 0, run = 0, seek = 0, rows = 0, total = 0;
  long peak = 0;
  const long before = rss_kb();
  for (auto _ : st) {
    reset_peak();
    b.ui.start = Clock::now();
    if (!open_NCD(*b.s, b.ui, b.file)) st.SkipWithError("open failed");
    const auto end = Clock::now();
    peak = std::max(peak, peak_kb());
    read += ms(b.ui.start, b.ui.read);
    parsed += ms(b.ui.read, b.ui.parsed);
    run += ms(b.ui.parsed, b.ui.run);
    seek += ms(b.ui.run, b.ui.seek);
    rows += ms(b.ui.seek, b.ui.rows);
    total += ms(b.ui.start, end);
  }
  const double n = static_cast<double>(st.iterations());
  const double lines = b.s->nc().line_count;
  st.counters["lines"] = lines;
  st.counters["read ms"] = read / n;
  st.counters["split+tokenise ms"] = parsed / n;
  st.counters["tool file+run ms"] = run / n;
  st.counters["seek ms"] = seek / n;
  st.counters["rows ms"] = rows / n;
  st.counters["total ms"] = total / n;
  // Both records are held while the new program is read into the spare one.
  st.counters["peak B/line"] = static_cast<double>(peak) * 1024.0 / lines;
  st.counters["before B/line"] = static_cast<double>(before) * 1024.0 / lines;
}
BENCHMARK(BM_open_to_listed)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_save_crlf(benchmark::State& st) {
  Bench& b = bench();
  if (b.s->nc().line_count == 0) open_NCD(*b.s, b.ui, b.file);
  const fs::path out = b.dir / "SAVED.NC";
  for (auto _ : st) {
    std::string err;
    if (!save_NCD_text(*b.s, out, true, &err)) st.SkipWithError(err.c_str());
  }
  st.counters["lines"] = b.s->nc().line_count;
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(fs::file_size(out)));
}
BENCHMARK(BM_save_crlf)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
