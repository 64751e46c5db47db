// The NC listing on the generated 1,000,000-line program, through the listing model with a
// view of rows that only keeps texts: the commit of a middle row, Enter in a middle row, a
// click on a row, Down and PgDn.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>

#include "ncdata/ncd_data.h"
#include "ncdata/ncd_edit.h"
#include "ncdata/ncd_run.h"
#include "bench/ncd_bench_host.h"
#include "tests/support/ncd_program_gen.h"

namespace {

struct TextRows : NCD_LIST_ROWS {
  std::array<std::string, NCD_LIST_ROW_COUNT> text;
  std::array<bool, NCD_LIST_ROW_COUNT> modified{};
  int pos = 0;
  std::string row_text(int i) override { return text[static_cast<size_t>(i)]; }
  void set_row(int i, const std::string& t) override {
    text[static_cast<size_t>(i)] = t;
    modified[static_cast<size_t>(i)] = false;
  }
  bool row_modified(int i) override { return modified[static_cast<size_t>(i)]; }
  void clear_row_modified(int i) override { modified[static_cast<size_t>(i)] = false; }
  void select_after_prefix(int, bool) override {}
  bool row_has_selection(int) override { return false; }
  int row_caret(int) override { return NCD_LIST_PREFIX; }
  void set_row_caret(int, int) override {}
  void focus_row(int) override {}
  bool rows_have_focus() override { return true; }
  void enable_rows(bool) override {}
  void layout_rows(int, int& h, int& px) override {
    h = 16;
    px = 84;
  }
  void set_scroll(int p, int) override { pos = p; }
  int scroll_position() override { return pos; }
};

struct Loaded {
  BenchRunHost run_host;
  TextRows rows;
  std::unique_ptr<NCD_DATA> d = std::make_unique<NCD_DATA>();
  std::unique_ptr<NCD_EDIT_LIST> l;
  int middle = 0;

  Loaded() {
    testing_support::NcGenOptions o;
    o.lines = 1000000;
    o.seed = 11;
    o.tools = 20;
    const std::string text = testing_support::make_nc_program(o);
    d->set_host(&run_host);
    Create_NCD(*d);
    Append_NCD_text(*d, text.data(), text.size(), true);
    for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
    Run_all_NCD(*d, 0);
    l = std::make_unique<NCD_EDIT_LIST>(*d, rows);
    l->panel_height = 50 * 15;
    Setup_NCD_list(*l);
    middle = d->line_count / 2;
    Goto_NCD_line(*d, middle);
    Redraw_NCD_list(*l);
  }
  // The row that shows the current line.
  int current_row() const {
    for (int i = 0; i < NCD_LIST_VISIBLE_MAX; ++i)
      if (!rows.text[static_cast<size_t>(i)].empty() && rows.text[static_cast<size_t>(i)][0] == '*')
        return i;
    return 0;
  }
};

Loaded& loaded() {
  static Loaded l;
  return l;
}

void BM_CommitMiddleRow(benchmark::State& state) {
  Loaded& t = loaded();
  int k = 0;
  for (auto _ : state) {
    const int r = t.current_row();
    std::string s = t.rows.text[static_cast<size_t>(r)];
    s += (k++ % 2) ? "" : " ";
    if (s == t.rows.text[static_cast<size_t>(r)]) s.pop_back();
    t.rows.text[static_cast<size_t>(r)] = s;
    t.rows.modified[static_cast<size_t>(r)] = true;
    Commit_NCD_list(*t.l);
  }
  state.SetLabel("a changed middle row: store, one run, seek back");
}
BENCHMARK(BM_CommitMiddleRow)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_EnterMiddleRow(benchmark::State& state) {
  Loaded& t = loaded();
  for (auto _ : state) {
    const int r = t.current_row();
    EditList_KeyPress(*t.l, r, NCD_KEY_ENTER, NCD_LIST_PREFIX + 2);
    state.PauseTiming();
    // Join the two halves again, so every round splits the same program.
    EditList_KeyPress(*t.l, t.current_row(), NCD_KEY_BACK, NCD_LIST_PREFIX);
    state.ResumeTiming();
  }
  state.SetLabel("split, one run, seek to the second line");
}
BENCHMARK(BM_EnterMiddleRow)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_ClickRow(benchmark::State& state) {
  Loaded& t = loaded();
  int k = 0;
  for (auto _ : state) {
    const int r = t.current_row() + ((k++ % 2) ? -3 : 3);
    EditList_MouseDown(*t.l, r, false, NCD_LIST_PREFIX);
  }
  state.SetLabel("a seek to the clicked line");
}
BENCHMARK(BM_ClickRow)->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_Down(benchmark::State& state) {
  Loaded& t = loaded();
  for (auto _ : state) EditList_KeyDown(*t.l, t.current_row(), NCD_KEY_DOWN, NCD_LIST_PREFIX);
}
BENCHMARK(BM_Down)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_Up(benchmark::State& state) {
  Loaded& t = loaded();
  for (auto _ : state) EditList_KeyDown(*t.l, t.current_row(), NCD_KEY_UP, NCD_LIST_PREFIX);
}
BENCHMARK(BM_Up)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_PgDn(benchmark::State& state) {
  Loaded& t = loaded();
  for (auto _ : state) EditList_KeyDown(*t.l, t.current_row(), NCD_KEY_PGDN, NCD_LIST_PREFIX);
}
BENCHMARK(BM_PgDn)->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_PgUp(benchmark::State& state) {
  Loaded& t = loaded();
  for (auto _ : state) EditList_KeyDown(*t.l, t.current_row(), NCD_KEY_PGUP, NCD_LIST_PREFIX);
}
BENCHMARK(BM_PgUp)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
