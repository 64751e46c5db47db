// The main window's commands on a generated 1,000,000-line program with 20 tools, through
// the command tables with a window that keeps the clipboard text and fills listing rows:
// the tool table of the tool set-up (kougu_list_up), deleting 1,000 selected lines through
// the temporary file, tokenising and running again after a unit toggle, and the clipboard
// text of 100,000 selected lines.
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/fake_ui.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/display_commands.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/popup_commands.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "mainwin/core/tool_setting_commands.h"
#include "ncdata/ncd_edit.h"
#include "ncdata/ncd_run.h"
#include "platform/core/file_write.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_records.h"
#include "tests/support/ncd_program_gen.h"
#include "tests/support/text_rows.h"

namespace fs = std::filesystem;

namespace {

constexpr long LINES = 1000000;

using Rows = testing_support::TextRows;

// A window with the listing and a clipboard that keeps the text.
struct Ui : TVLM_fake_ui {
  NCD_EDIT_LIST* list = nullptr;
  std::string clip;
  NCD_EDIT_LIST* edit_list() override { return list; }
  void set_clipboard_text(const std::string& t) override { clip = t; }
  void listing_refresh() override {
    if (!list) return;
    Set_NCD_list_range(*list);
    Redraw_NCD_list(*list);
  }
};

struct Bench {
  fs::path dir = fs::temp_directory_path() / "vlm_commands_bench";
  fs::path file = dir / "BIG.NC";
  std::unique_ptr<TSession> s = std::make_unique<TSession>();
  Ui ui;
  TVLM_host host{*s, ui};
  Rows rows;
  NCD_EDIT_LIST list{s->nc(), rows, &host};
  TVLM_command_table table;
  plat::ScriptedMessageBoxes boxes;
  bool ok = false;

  Bench() {
    fs::create_directories(dir);
    init_session(*s, dir, dir);
    fs::create_directories(s->config_folder);
    host.attach();
    Create_NCD(s->nc());
    Create_NCD(*s->spare);
    ui.list = &list;
    register_popup_commands(table, *s, ui);
    register_display_commands(table, *s, ui);
    testing_support::NcGenOptions o;
    o.lines = LINES;
    o.seed = 11;
    o.tools = 20;
    ok = plat::write_file_replacing(file, testing_support::make_nc_program(o));
    ok = ok && reopen();
  }
  ~Bench() {
    fs::current_path(fs::temp_directory_path());
    Free_NCD(s->nc());
    Free_NCD(*s->spare);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  // The program as the file holds it, at its first line.
  bool reopen() { return open_NCD(*s, ui, file) && s->nc().line_count >= LINES - 100; }
  bool popup(int tag) { return spmenu_list_resetClick(*s, ui, table, tag); }
  bool display(int tag) { return menu_vis_toolClick(*s, ui, table, tag); }
  // Lines first..last (1-based) selected as the pop-up's start and end items do.
  void select(int first, int last) {
    s->menu.popup_row_line = first;
    popup(10);
    s->menu.popup_row_line = last;
    popup(19);
  }
};

Bench& bench() {
  static Bench b;
  return b;
}

// The tool set-up's table: the whole run, the seek back, and every tool's totals and texts.
void BM_kougu_list_up(benchmark::State& st) {
  Bench& b = bench();
  if (!b.ok) {
    st.SkipWithError("no program");
    return;
  }
  Goto_NCD_line(b.s->nc(), static_cast<int>(LINES / 2));
  int used = 0;
  for (auto _ : st) {
    st.PauseTiming();
    auto m = std::make_unique<TTOOL_HOLDER_tmp>();
    st.ResumeTiming();
    if (!kougu_list_up(*b.s, b.ui, *m)) {
      st.SkipWithError("kougu_list_up failed");
      return;
    }
    used = m->used();
  }
  st.counters["tools"] = used;
}
BENCHMARK(BM_kougu_list_up)->Iterations(5)->Unit(benchmark::kMillisecond);

// Pop-up Tag 11 on 1,000 selected lines in the middle, answered OK: the program is written to
// the temporary file without them and read back. Each deletion starts from the whole program.
void BM_delete_1000_selected_lines(benchmark::State& st) {
  Bench& b = bench();
  if (!b.ok) {
    st.SkipWithError("no program");
    return;
  }
  constexpr int first = static_cast<int>(LINES / 2) + 1, last = first + 999;
  for (auto _ : st) {
    st.PauseTiming();
    if (!b.reopen()) {
      st.SkipWithError("reopen failed");
      return;
    }
    const int before = b.s->nc().line_count;
    Goto_NCD_line(b.s->nc(), first + 5000);
    b.select(first, last);
    b.boxes.answer(plat::IDOK);
    st.ResumeTiming();
    b.popup(11);
    st.PauseTiming();
    if (b.s->nc().line_count != before - 1000) {
      st.SkipWithError("the lines were not deleted");
      return;
    }
    st.ResumeTiming();
  }
  // The next benchmark finds the whole program again.
  b.ok = b.reopen();
}
BENCHMARK(BM_delete_1000_selected_lines)->Iterations(3)->Unit(benchmark::kMillisecond);

// Display Tags 17 and 18 in turn: the no-point unit 0.01 and 0.001, each tokenising every
// line and running the program again.
void BM_unit_toggle_rerun(benchmark::State& st) {
  Bench& b = bench();
  if (!b.ok) {
    st.SkipWithError("no program");
    return;
  }
  Goto_NCD_line(b.s->nc(), static_cast<int>(LINES / 2));
  bool coarse = false;
  for (auto _ : st) {
    coarse = !coarse;
    b.display(coarse ? 17 : 18);
  }
  b.display(18);
  st.counters["blocks"] = b.s->nc().pos.total_blocks;
}
BENCHMARK(BM_unit_toggle_rerun)->Iterations(4)->Unit(benchmark::kMillisecond);

// Pop-up Tag 14 on 100,000 selected lines: their clipboard text (CR LF lines).
void BM_clipboard_100000_lines(benchmark::State& st) {
  Bench& b = bench();
  if (!b.ok) {
    st.SkipWithError("no program");
    return;
  }
  constexpr int first = 200001, last = first + 99999;
  for (auto _ : st) {
    st.PauseTiming();
    b.ui.clip.clear();
    b.select(first, last);
    st.ResumeTiming();
    b.popup(14);
  }
  st.counters["MB"] = static_cast<double>(b.ui.clip.size()) / 1e6;
  if (b.ui.clip.empty()) st.SkipWithError("no clipboard text");
}
BENCHMARK(BM_clipboard_100000_lines)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
