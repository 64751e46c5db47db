// The NC outputs of the main window on the run benchmark's generated program of 1,000,000
// lines: each copy-out into the line list, the per-tool cut-out of a use of 100,000 blocks,
// and the saving of a million-line output.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/ncd_bench_host.h"
#include "mainwin/core/copy_outs.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"
#include "platform/core/file_write.h"
#include "tests/support/ncd_program_gen.h"
#include "tooling/core/nc_output.h"

namespace {

std::unique_ptr<NCD_DATA> loaded(BenchRunHost& host, const std::string& text) {
  auto d = std::make_unique<NCD_DATA>();
  d->set_host(&host);
  d->exec_opt.comp_enabled = true;
  Create_NCD(*d);
  Append_NCD_text(*d, text.data(), text.size(), true);
  for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
  Run_all_NCD(*d, 0);
  return d;
}

// The generated program with an origin comment: the copies know where it starts.
NCD_DATA& million() {
  static BenchRunHost host;
  static std::unique_ptr<NCD_DATA> d = [] {
    testing_support::NcGenOptions o;
    o.lines = 1000000;
    o.seed = 11;
    o.tools = 20;
    std::string text = testing_support::make_nc_program(o);
    text.insert(text.find('\n') + 1, "(VLM ORIGN X0Y0Z100.)\r\n");
    return loaded(host, text);
  }();
  return *d;
}

void BM_copy_out(benchmark::State& st) {
  NCD_DATA& d = million();
  COPY_OUT_PARAMS p;
  p.mode = static_cast<int>(st.range(0));
  p.angle = 30;
  TText_lines out;
  for (auto _ : st) {
    out.clear();
    NCD_position_keeper keep(d);
    const COPY_OUT_RESULT r = convert_NCD_copy(d, p, out);
    if (r.end != COPY_OUT_END::done) {
      st.SkipWithError(r.message.c_str());
      return;
    }
  }
  st.counters["lines"] = static_cast<double>(out.size());
  st.counters["MB"] = static_cast<double>(out.bytes().size()) / 1e6;
}
BENCHMARK(BM_copy_out)->Arg(CO_SUBPRO)->Arg(CO_G91)->Arg(CO_G90)->Arg(CO_ROTATE)->Arg(CO_X_MIRROR)
    ->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_cut_out_100000_blocks(benchmark::State& st) {
  static BenchRunHost host;
  std::string text = "%\r\n(VLM ORIGN X0Y0Z100.)\r\nT1 M06\r\nG90 G00 X0 Y0\r\nG43 Z5. H01\r\n";
  for (int i = 0; i < 100000; ++i) text += (i % 2 ? "G01 X10. Y5. F500\r\n" : "G01 X0 Y0\r\n");
  text += "M30\r\n";
  auto d = loaded(host, text);
  TText_lines out;
  for (auto _ : st) {
    out.clear();
    benchmark::DoNotOptimize(list_TOOL_segments(*d, out, 1, "", 5, 5, -1));
  }
  st.counters["lines"] = static_cast<double>(out.size());
}
BENCHMARK(BM_cut_out_100000_blocks)->Unit(benchmark::kMillisecond);

void BM_save_million_lines(benchmark::State& st) {
  NCD_DATA& d = million();
  COPY_OUT_PARAMS p;
  p.mode = CO_G91;
  TText_lines out;
  {
    NCD_position_keeper keep(d);
    convert_NCD_copy(d, p, out);
  }
  const std::filesystem::path f = std::filesystem::temp_directory_path() / "vlm_copy_out_bench.nc";
  for (auto _ : st) {
    benchmark::DoNotOptimize(plat::write_file_replacing(f, clip_save_text({"(VLM ORIGN X0Y0Z100.)"}, out)));
  }
  std::error_code ec;
  std::filesystem::remove(f, ec);
  st.counters["lines"] = static_cast<double>(out.size());
}
BENCHMARK(BM_save_million_lines)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
