// Speed of the work window on the largest works: creating a 4094 x 4094 work through the
// window's rules, rebuilding it after a lattice edit, moving a group of eight such works in
// Z, and the memory figure the store checks before it allocates.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/work_store.h"
#include "tooling/core/work_set_rules.h"

namespace {

class NoDialogs : public Twork_set_dialogs {
 public:
  TWork_preset preset;
  bool choose_preset(const std::filesystem::path&, const TWork_path_extents&,
                     TWork_preset& out) override {
    out = preset;
    return true;
  }
  bool choose_work_file(bool, const std::string&, const std::string&,
                        std::filesystem::path&) override {
    return false;
  }
};

// A folder holding a preset file, so that the new work comes from the chosen preset.
const std::filesystem::path& preset_folder() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / "vlm_work_set_bench";
    std::filesystem::create_directories(d);
    std::FILE* f = std::fopen((d / "def_work_size.txt").c_str(), "wb");
    if (f) {
      std::fputs("\"big\",0,0,-50,409.4,409.4,0,4094,4094,43\r\n", f);
      std::fclose(f);
    }
    return d;
  }();
  return dir;
}

TWork_preset big_preset() {
  TWork_preset p;
  p.min = {0, 0, -50};
  p.max = {409.4f, 409.4f, 0};
  p.nx = p.ny = 4094;
  return p;
}

void BM_create_4094_work(benchmark::State& st) {
  plat::ScriptedMessageBoxes boxes;
  auto m = std::make_unique<Tmat>();
  Tdisp_status d;
  TWork_set_rules rules(*m, d);
  NoDialogs dlg;
  dlg.preset = big_preset();
  for (auto _ : st) {
    const int slot = rules.Create_new_WORK(preset_folder(), {}, dlg);
    if (slot < 0) st.SkipWithError("no work");
    st.PauseTiming();
    WORK_MEM_FREE_ALL(*m);
    st.ResumeTiming();
  }
}
BENCHMARK(BM_create_4094_work)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_rebuild_after_lattice_edit(benchmark::State& st) {
  plat::ScriptedMessageBoxes boxes;
  auto m = std::make_unique<Tmat>();
  Tdisp_status d;
  TWork_set_rules rules(*m, d);
  NoDialogs dlg;
  dlg.preset = big_preset();
  const int slot = rules.Create_new_WORK(preset_folder(), {}, dlg);
  bool odd = false;
  for (auto _ : st) {
    if (!rules.commit(slot, WSE_matX, odd ? "4094" : "4093")) st.SkipWithError("refused");
    odd = !odd;
  }
}
BENCHMARK(BM_rebuild_after_lattice_edit)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_move_group_of_eight_in_z(benchmark::State& st) {
  plat::ScriptedMessageBoxes boxes;
  auto m = std::make_unique<Tmat>();
  Tdisp_status d;
  TWork_set_rules rules(*m, d);
  const std::uint8_t col[4] = {0, 0, 255, 255};
  for (int i = 0; i < 8; ++i) {
    SET_WORK_NUM(*m, i);
    if (!CREATE_WORK(*m, col, 4094, 4094, true, false, {0, 0, -50}, {409.4f, 409.4f, 0})) {
      st.SkipWithError("memory");
      return;
    }
    m->works[i].group = 1;
  }
  bool up = false;
  for (auto _ : st) {
    if (!rules.commit(0, WSE_maxZ, up ? "0" : "1")) st.SkipWithError("refused");
    up = !up;
  }
}
BENCHMARK(BM_move_group_of_eight_in_z)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_memory_status(benchmark::State& st) {
  plat::MemoryStatus ms;
  for (auto _ : st) benchmark::DoNotOptimize(plat::memory_status(ms));
}
BENCHMARK(BM_memory_status)->Unit(benchmark::kMicrosecond);

}  // namespace


