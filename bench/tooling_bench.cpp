// Speed of the dimensioned tool drawings: both passes into the primitive list per kind, the
// EMF and DXF of one drawing, and a full magazine of tool-list cards.
#include <benchmark/benchmark.h>

#include <vector>

#include "simulation/tool_codes.h"
#include "tooling/core/emf_writer.h"
#include "tooling/core/preview_picture.h"
#include "tooling/core/tool_drawing.h"

namespace {

struct Tool {
  TTOOL t;
  THOLDER h;
};

Tool tool_of(int kind) {
  Tool x;
  set_default_TOOL(x.t);
  x.t.T_category = kind;
  x.t.T_number = kind;
  set_default_HOLDER(x.h);
  make_TOOL_comment_lines(x.t, x.h);
  return x;
}

}  // namespace

static void BM_tool_drawing_both_passes(benchmark::State& st) {
  const Tool x = tool_of(static_cast<int>(st.range(0)));
  const TDraw_settings ds;
  TG2 g;
  for (auto _ : st) {
    TG2_canvas c;
    G2_set_canvas(g, kG2_slot_picture, 0, 400, 300, 3);
    draw_TOOL_fit(ds, c, g, kG2_slot_picture, x.h, x.t);
    benchmark::DoNotOptimize(c.prims().size());
  }
}
BENCHMARK(BM_tool_drawing_both_passes)->DenseRange(1, 20);

static void BM_emf_of_one_drawing(benchmark::State& st) {
  TPreview_picture pic;
  pic.mode = 0;
  const Tool x = tool_of(3);
  pic.tool = x.t;
  pic.holder = x.h;
  TG2 g;
  TG2_canvas c;
  Draw_preview(g, c, pic, 400, false, 300);
  for (auto _ : st) benchmark::DoNotOptimize(emf_from_canvas(c, 400, 300).size());
}
BENCHMARK(BM_emf_of_one_drawing);

static void BM_dxf_of_one_drawing(benchmark::State& st) {
  const Tool x = tool_of(3);
  const TDraw_settings ds;
  TG2 g;
  for (auto _ : st) {
    TG2_canvas c;
    TG2_capture_scope on(g);
    draw_TOOL_to_canvas(ds, c, g, 400, false, x.h, x.t, true, true, 3, 300);
    benchmark::DoNotOptimize(G2_DXF_file_text(g.dxf_text).size());
  }
}
BENCHMARK(BM_dxf_of_one_drawing);

// The tool list's full magazine: 201 cards of 180 x 120.
static void BM_magazine_of_cards(benchmark::State& st) {
  std::vector<Tool> tools;
  for (int i = 0; i < 201; ++i) tools.push_back(tool_of(1 + i % 20));
  const TDraw_settings ds;
  TG2 g;
  for (auto _ : st) {
    std::size_t n = 0;
    for (const Tool& x : tools) {
      TG2_canvas c;
      draw_TOOL_card(ds, c, g, 180, false, x.h, x.t, false, true, 3, 120);
      n += c.prims().size();
    }
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_magazine_of_cards)->Unit(benchmark::kMillisecond);
