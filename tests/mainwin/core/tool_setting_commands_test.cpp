#include "tests/support/fake_ui.h"
#include "mainwin/core/tool_setting_commands.h"

#include <gtest/gtest.h>

#include "common/text_file.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/environment.h"
#include "mainwin/core/file_commands.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "ncdata/ncd_run.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_codes.h"
#include "tests/support/test_support.h"
#include "tooling/core/tool_windows.h"

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

struct FakeUi : TVLM_fake_ui {
  int draw_data(int mode) override {
    draws.push_back(mode);
    return 0;
  }
  std::vector<int> draws;
};

// The tool settings window: records what it was given and plays the user's edit.
struct FakeToolWindow : Ttool_settings_window {
  void load(const TTOOL_HOLDER_tmp& m, const std::string& c, const std::string& nc, bool mf,
            int md) override {
    mag = m;
    caption = c;
    nc_name = nc;
    magazine_file = mf;
    mode = md;
  }
  void select_tool(int t) override { selected = t; }
  bool run() override {
    if (edit) edit(mag);
    return answer;
  }
  bool show_TOOL_LIST(int) override { return false; }
  const TTOOL_HOLDER_tmp& magazine() const override { return mag; }
  Tdisp_status& settings() override { return disp; }
  TTOOL_HOLDER_tmp mag;
  Tdisp_status disp;
  std::string caption, nc_name;
  bool magazine_file = false;
  int mode = -1, selected = -1;
  bool answer = true;
  std::function<void(TTOOL_HOLDER_tmp&)> edit;
};

struct FakeChooser : TVLM_file_chooser {
  bool choose(TVLM_file_request& r) override {
    requests.push_back(r);
    if (answer.empty()) return false;
    r.chosen = answer;
    return true;
  }
  fs::path answer;
  std::vector<TVLM_file_request> requests;
};

struct FakeColors : Tpath_color_dialog {
  bool run(Tdisp_status& d, float f_max) override {
    seen_f_max = f_max;
    if (!ok) return false;
    d.path[3].width = 9;
    d.path[12].color = 44;
    return true;
  }
  bool ok = true;
  float seen_f_max = -1;
};

struct FakePick : Tcolor_code_dialog {
  bool choose(int start, int& code) override {
    starts.push_back(start);
    if (answer < 0) return false;
    code = answer;
    return true;
  }
  int answer = 17;
  std::vector<int> starts;
};

struct Fixture {
  Fixture() : host(s, ui) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
  }
  ~Fixture() {
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
  }
  TempDir dir;
  TSession s;
  FakeUi ui;
  TVLM_host host;
  plat::ScriptedMessageBoxes boxes;
};

const char* const kProgram = "%\r\nO1\r\nT1M6\r\nG0X0.Y0.Z10.\r\nG1Z-1.F200.\r\nX50.\r\nT2M6\r\nG0X0.Y0.\r\nG1X20.F300.\r\nM30\r\n%\r\n";

}  // namespace

TEST(ToolSettingCommands, ToolSetUpListsTheProgramsToolsAndOkWritesTheToolFile) {
  Fixture f;
  write_file(f.dir / "PROG.NC", kProgram);
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.dir / "PROG.NC"));
  FakeToolWindow w;
  w.edit = [](TTOOL_HOLDER_tmp& m) {
    m.slot[1].tool.T_category = TOOL_KIND_BALL_EM;
    m.slot[1].tool.radius = 2;
    make_TOOL_comment_lines(m.slot[1].tool, m.slot[1].holder);
  };
  TVLM_command_table t;
  FakeChooser chooser;
  FakeColors colors;
  FakePick pick;
  register_tool_setting_commands(t, f.s, f.ui, chooser, w, colors, pick);
  ASSERT_TRUE(t.run(18));
  ASSERT_EQ(w.mag.count, 3);
  EXPECT_EQ(w.mag.slot[0].T_number, 0);
  EXPECT_EQ(w.mag.slot[1].T_number, 1);
  EXPECT_EQ(w.mag.slot[2].T_number, 2);
  EXPECT_FALSE(w.magazine_file);
  EXPECT_EQ(w.mode, 0);
  EXPECT_EQ(w.nc_name, "PROG.NC");
  EXPECT_EQ(w.mag.slot[1].list_body.substr(0, 7), "切削長 ");
  EXPECT_NE(w.mag.slot[2].list_body.find("T2M6"), std::string::npos);
  const std::string nst = read_file(f.dir / "PROG.nst");
  EXPECT_NE(nst.find("(VLM T1 A2"), std::string::npos);
  EXPECT_EQ(split_text_lines(nst).size(), 9u);
  EXPECT_EQ(f.ui.draws.back(), 4);

  // Cancel writes nothing.
  fs::remove(f.dir / "PROG.nst");
  w.answer = false;
  ASSERT_TRUE(t.run(18));
  EXPECT_FALSE(fs::exists(f.dir / "PROG.nst"));
}

// The listing of an empty program is T0 alone with nothing cut, without the error box; a
// position far into a program comes back after the listing's run.
TEST(ToolSettingCommands, ToolListingOfAnEmptyProgramAndThePositionKept) {
  {
    Fixture f;
    TTOOL_HOLDER_tmp m;
    ASSERT_TRUE(kougu_list_up(f.s, f.ui, m));
    EXPECT_TRUE(f.boxes.shown.empty());
    ASSERT_EQ(m.used(), 1);
    EXPECT_EQ(m.slot[0].T_number, 0);
    EXPECT_EQ(m.slot[0].cut_len, 0);
  }
  Fixture f;
  std::string text = "%\r\nT1M6\r\nG0X0.Y0.Z10.\r\nG1Z-1.F200.\r\n";
  for (int i = 0; i < 12000; ++i) text += i % 2 ? "X0.\r\n" : "X1.\r\n";
  text += "M30\r\n%\r\n";
  write_file(f.dir / "LONG.NC", text);
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.dir / "LONG.NC"));
  Goto_NCD_line(f.s.nc(), 11000);
  TTOOL_HOLDER_tmp m;
  ASSERT_TRUE(kougu_list_up(f.s, f.ui, m));
  EXPECT_EQ(f.s.nc().pos.cur_line, 11000);
  // the slot holds what the run recorded for its tool
  float cut = 0;
  for (const NCD_TOOL_STAT& r : f.s.nc().run.stats) cut += r.tool == 1 ? r.cut_len : 0;
  EXPECT_GT(cut, 11000);
  EXPECT_FLOAT_EQ(m.slot[1].cut_len, cut);
}

TEST(ToolSettingCommands, MagazineFilesAreEditedAndApplied) {
  Fixture f;
  FakeToolWindow w;
  FakeChooser chooser;
  FakeColors colors;
  FakePick pick;
  TVLM_command_table t;
  register_tool_setting_commands(t, f.s, f.ui, chooser, w, colors, pick);
  // Cancelled dialog: nothing.
  ASSERT_TRUE(t.run(29));
  ASSERT_EQ(chooser.requests.size(), 1u);
  EXPECT_EQ(chooser.requests[0].folder, f.s.config_folder);
  EXPECT_EQ(chooser.requests[0].filter, "*.nst");
  EXPECT_EQ(w.mode, -1);
  // A new magazine: 200 unset tools; OK writes their 600 lines, keeping nothing else.
  chooser.answer = f.s.config_folder / "MAG1";
  w.edit = [](TTOOL_HOLDER_tmp& m) {
    m.slot[4].tool.T_category = TOOL_KIND_FLAT_EM;
    m.slot[4].tool.name = "flat";
  };
  ASSERT_TRUE(t.run(29));
  EXPECT_TRUE(w.magazine_file);
  EXPECT_EQ(w.mode, 29);
  EXPECT_EQ(w.mag.count, 200);
  EXPECT_EQ(w.caption, "setup magazin : MAG1.nst");
  const std::vector<std::string> lines = split_text_lines(read_file(f.s.config_folder / "MAG1.nst"));
  ASSERT_EQ(lines.size(), 600u);
  EXPECT_EQ(lines[12], "(VLM N4 \"flat\" )");
}

TEST(ToolSettingCommands, PathColoursAreWrittenToTheSettingsAndRedrawn) {
  Fixture f;
  FakeToolWindow w;
  FakeChooser chooser;
  FakeColors colors;
  FakePick pick;
  TVLM_command_table t;
  register_tool_setting_commands(t, f.s, f.ui, chooser, w, colors, pick);
  read_environment(f.s, 1);
  write_file(f.dir / "PROG.NC", kProgram);
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.dir / "PROG.NC"));
  f.ui.draws.clear();
  ASSERT_TRUE(t.run(19));
  EXPECT_FLOAT_EQ(colors.seen_f_max, 300);
  EXPECT_EQ(f.s.disp.path[3].width, 9);
  EXPECT_EQ(f.s.disp.path[12].color, 44);
  const std::string file = read_file(f.s.env.path);
  EXPECT_NE(file.find("cut_feed_3_width,int,9"), std::string::npos);
  EXPECT_NE(file.find("cut_feed_12_color,int,44"), std::string::npos);
  EXPECT_EQ(f.ui.draws, std::vector<int>{4});
  // Cancel keeps the record.
  colors.ok = false;
  f.s.disp.path[3].width = 2;
  ASSERT_TRUE(t.run(19));
  EXPECT_EQ(f.s.disp.path[3].width, 2);
}

TEST(ToolSettingCommands, DummyColourLineAboveTheCurrentLine) {
  Fixture f;
  FakeToolWindow w;
  FakeChooser chooser;
  FakeColors colors;
  FakePick pick;
  TVLM_command_table t;
  register_tool_setting_commands(t, f.s, f.ui, chooser, w, colors, pick);
  // Without a program nothing is asked.
  ASSERT_TRUE(t.run(VLM_handler::list_popup, 6));
  EXPECT_TRUE(pick.starts.empty());
  write_file(f.dir / "PROG.NC", kProgram);
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.dir / "PROG.NC"));
  Goto_NCD_line(f.s.nc(), 3);
  const int lines = f.s.nc().line_count;
  pick.answer = -1;
  ASSERT_TRUE(t.run(VLM_handler::list_popup, 6));
  EXPECT_EQ(pick.starts, std::vector<int>{63});
  EXPECT_EQ(f.s.nc().line_count, lines);
  pick.answer = 17;
  ASSERT_TRUE(t.run(VLM_handler::list_popup, 6));
  ASSERT_EQ(f.s.nc().line_count, lines + 1);
  EXPECT_EQ(get_NCD_line_view(f.s.nc(), 3), "(VLM E17 CHANGE TOOL COLOR)");
}
