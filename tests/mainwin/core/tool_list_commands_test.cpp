#include "mainwin/core/tool_list_commands.h"

#include <gtest/gtest.h>

#include "mainwin/core/command_table.h"
#include "mainwin/core/session.h"
#include "tooling/core/tool_list.h"
#include "tooling/core/tooling_host.h"

namespace {

class FakeHost : public Ttooling_host {
 public:
  bool program_tools(TTOOL_HOLDER_tmp& m) override {
    m.count = has_tools ? 2 : 0;
    return has_tools;
  }
  bool has_tools = true;
};

class FakeOpener : public TTOOL_LIST_opener {
 public:
  int show_tool_list(TTOOL_LIST_model& m, TTOOL_LIST_options& o, Tdisp_status& s) override {
    ++shown;
    mode = m.mode;
    slots = m.magazine ? m.magazine->count : -1;
    o.pic_w = 300;
    o.use_turn = true;
    s.TCOND_O_num = "O9000";
    return 1;
  }
  int shown = 0, mode = 0, slots = 0;
};

}  // namespace

TEST(ToolListCommands, Tag51ShowsTheProgramsToolsAndTakesTheOptionsBack) {
  TSession s;
  s.disp.T_SET_W_SIZE = 180;
  FakeHost host;
  FakeOpener opener;
  TVLM_command_table t;
  register_tool_list_commands(t, s, host, opener);
  ASSERT_TRUE(t.run(51));
  EXPECT_EQ(opener.shown, 1);
  EXPECT_EQ(opener.mode, TOOL_LIST_PICK_SLOT);
  EXPECT_EQ(opener.slots, 2);
  EXPECT_EQ(s.disp.T_SET_W_SIZE, 300);
  EXPECT_EQ(s.disp.T_SET_CHK_USE_TURN, 1);
  EXPECT_EQ(s.disp.TCOND_O_num, "O9000");

  host.has_tools = false;
  s.disp.T_SET_W_SIZE = 180;
  EXPECT_FALSE(visible_TOOL_LIST(s, host, opener));
  EXPECT_EQ(opener.shown, 1);
  EXPECT_EQ(s.disp.T_SET_W_SIZE, 180);
}
