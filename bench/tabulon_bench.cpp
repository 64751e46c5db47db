// tabulon: converting NC lines with a definition's substitutions, and a whole dropped file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "platform/core/system.h"
#include "tabulon/core/ex_func_tabulon.h"
#include "tabulon/core/tb_text.h"

namespace fs = std::filesystem;

namespace {

// The sample definition's PRE-CONV rules.
const std::vector<std::string> kPreConv = {
    "s/^\\/\\*\\s+T-NO.(\\d+)\\s+(.+?)\\s+\\*\\/$/T$1M6 ( $2 )/",
    "s/^\\/\\*.*?(O\\d+).*$/(---- $1 ----)/",
    "s/^\\/\\*.*$//",
    "s/^G65.*$//",
    "s/\\/M99//",
    "s/M30/M99/",
    "s/([^M]*)M98P(\\d\\d\\d\\d)(\\d\\d\\d\\d)(.*)$/$1M98P$2L$3$4/",
};

std::vector<std::string> nc_lines(int n) {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    switch (i % 5) {
      case 0: out.push_back("G01X" + std::to_string(i % 997) + ".123Y-45.6Z-1.F1200(荒加工)"); break;
      case 1: out.push_back("X" + std::to_string(i % 331) + ".5Y12.25"); break;
      case 2: out.push_back("G02X10.Y20.R5.%"); break;
      case 3: out.push_back("/* T-NO." + std::to_string(i % 20) + " BALL-R3 */"); break;
      default: out.push_back("T" + std::to_string(i % 20) + "M6"); break;
    }
  }
  return out;
}

void BM_conv_NC_line(benchmark::State& state) {
  const auto lines = nc_lines(10000);
  TBRegExp re;
  for (auto _ : state) {
    Tex_func ex;
    ex.pre_conv = kPreConv;
    ex.code_conv = {"s/G0?1/G1/"};
    for (const auto& l : lines) ex.conv_NC_line(l, re);
    benchmark::DoNotOptimize(ex.conv_lines.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
}
BENCHMARK(BM_conv_NC_line)->Unit(benchmark::kMillisecond);

class NullView : public TTabulon_view {
 public:
  void clear_display() override {}
  void log_line(const std::string&) override {}
  void log_emph(const std::string&) override {}
  void trace_line(const std::string&) override {}
  std::string caption() override { return {}; }
  void set_caption(const std::string&) override {}
  void combo_clear() override {}
  void combo_add(const std::string&) override {}
  std::string combo_text() override { return " M "; }
  void set_combo_text(const std::string&) override {}
  std::string field(TB_field f) override { return f == TB_field::D_vlm_chk_dir ? dir : ""; }
  void set_field(TB_field, const std::string&) override {}
  bool checked(TB_check c) override { return c == TB_check::D_chk_vlm_exe; }
  std::string dir;
};

// A whole run on a file of 100 000 lines: reading, converting and writing the check files.
void BM_conv_NCD_file(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "tabulon_bench";
  fs::create_directories(dir);
  {
    std::ofstream def(dir / "def.txt", std::ios::binary);
    def << "#TB M\r\n#EXT .NCD\r\n";
    for (const auto& e : kPreConv) def << "%PRE-CONV = " << e << "\r\n";
    def << "#TB-END\r\n";
    for (int t = 0; t < 20; ++t)
      def << "%TB T=" << t << " (VLM N" << t << " \"T\" ) (VLM T" << t << " A1C8) (VLM H" << t
          << " A49B72)\r\n";
    std::ofstream setup(dir / "0_TB_setup.txt", std::ios::binary);
    setup << "#TB_FILES\r\ndef.txt\r\n";
    std::ofstream nc(dir / "BIG.nc", std::ios::binary);
    for (const auto& l : nc_lines(100000)) nc << l << "\r\n";
  }
  NullView view;
  view.dir = path_text(dir);
  TTB_setup setup(view);
  setup.setup_folder = view.dir + "/";
  setup.reload_TB_setup(setup.setup_folder + "0_TB_setup.txt");
  fs::path check;
  for (auto _ : state) {
    if (!conv_NCD_file(setup, dir / "BIG.nc", "M", check)) state.SkipWithError("conversion failed");
  }
  state.SetItemsProcessed(state.iterations() * 100000);
  std::error_code ec;
  fs::remove_all(dir, ec);
}
BENCHMARK(BM_conv_NCD_file)->Unit(benchmark::kMillisecond);

}  // namespace
