// The moves of a step, as golden text traces of whole programs (one move a line): canned
// cycles, subprograms, arcs in three planes and a contour under cutter radius compensation.
// Set VLM_UPDATE_GOLDEN=1 to write the traces anew (then read them before keeping them).
#include "ncdata/ncd_moves.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ncd_test_util.h"
#include "ncdata/ncd_run.h"
#include "tests/support/test_support.h"

namespace {

// Every tool is known, with a cutter radius of 5 mm.
struct ToolsOfFive : NCD_HOST {
  int th_find(int t, int& size) override {
    size = 10;
    return t >= 0 && t < 10 ? t : -1;
  }
  void th_show(int) override {}
  bool th_set_tool0() override { return true; }
  bool tool_radius(int, float& r) override {
    r = 5.0f;
    return true;
  }
  void show_system_err(const std::string&) override {}
  void set_TOOL_defs(NCD_DATA&) override {}
  void fit_scale(NCD_DATA&) override {}
};

std::string trace_of(const std::string& program) {
  ToolsOfFive host;
  auto d = make_ncd();
  d->set_host(&host);
  d->exec_opt.comp_enabled = true;
  load_ncd(*d, program);
  EXPECT_TRUE(Run_all_NCD(*d, 0));
  EXPECT_TRUE(d->run.err_list.empty()) << d->run.err_list.front();
  Goto_NCD_step(*d, 0, false);
  std::vector<NCD_MOVE> moves;
  for (int guard = 0; guard < 10000 && !STEP_NCD_moves(*d, false, moves); ++guard) {
  }
  std::string t;
  for (const NCD_MOVE& m : moves) t += get_NCD_move_text(m) + "\n";
  return t;
}

TEST(StepMoves, GoldenTraces) {
  for (const char* name : {"moves_cycles", "moves_subprograms", "moves_arcs", "moves_compensation"}) {
    SCOPED_TRACE(name);
    const std::string program = testing_support::read_file(testing_support::data_file(std::string(name) + ".nc"));
    ASSERT_FALSE(program.empty());
    const std::string trace = trace_of(program);
    const auto golden_file = testing_support::data_file(std::string(name) + ".trace");
    if (std::getenv("VLM_UPDATE_GOLDEN")) testing_support::write_file(golden_file, trace);
    EXPECT_EQ(trace, testing_support::read_file(golden_file));
  }
}

}  // namespace
