#include "tests/support/fake_ui.h"
#include "mainwin/core/sim_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "common/ats_func.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/menu_table.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/work_file.h"
#include "simulation/work_store.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

// X -10..60, Y 0..40, Z -5..2; the first cut starts at Z 2.
const char* const kBoxProgram =
    "%\nO0001\nG90 G54 G00 X-10. Y0. Z2.\nG01 X0. F100\nZ-5.\nX60. Y40.\nG00 Z2.\nM30\n%\n";
// Every cut at Z -5: its cutting start height is the lowest point.
const char* const kFlatProgram =
    "%\nO0002\nG90 G00 X0. Y0. Z-5.\nG01 X30. F100\nY20.\nM30\n%\n";

struct FakeWorkWindow : SIM_WORK_WINDOW {
  void set_program(bool p, const VEC3& l, const VEC3& h, float t) override {
    present = p;
    lo = l;
    hi = h;
    top = t;
  }
  void set_file_name(const std::string& n) override { name = n; }
  void place(int l, int t) override { left = l, top_pos = t; }
  void position(int& l, int& t) override { l = 333, t = 222; }
  void show() override { ++shows; }
  bool present = false;
  VEC3 lo, hi;
  float top = 0;
  std::string name;
  int left = 0, top_pos = 0, shows = 0;
};

struct FakeSimUi : TVLM_sim_ui {
  void apply_sim_menu(const SIM_MENU_STATE& st) override {
    last = st;
    ++applied;
  }
  bool choose_work_file(bool save, const std::string& title, const std::string& name,
                        fs::path& out) override {
    dialogs.push_back({save, title, name});
    if (chosen.empty()) return false;
    out = chosen;
    return true;
  }
  bool panel_visible() override { return panel; }
  void set_panel_visible(bool on) override { panel = on; }
  void enable_main_controls(bool on) override { main_enabled = on; }
  SIM_WORK_WINDOW* work_window() override { return window; }
  void set_timer_running(bool on) override { timer = on; }
  bool main_or_panel_active() override { return active; }

  struct Dialog {
    bool save;
    std::string title, name;
  };
  SIM_MENU_STATE last;
  int applied = 0;
  std::vector<Dialog> dialogs;
  fs::path chosen;
  bool panel = true, main_enabled = true, timer = false, active = true;
  SIM_WORK_WINDOW* window = nullptr;
};

struct Fixture;

struct FakeUi : TVLM_fake_ui {
  int draw_data(int mode) override {
    draws.push_back(mode);
    return 0;
  }
  void turn_tool() override { ++turns; }
  void auto_WORK_for_NCD() override;
  Fixture* f = nullptr;
  std::vector<int> draws;
  int turns = 0;
};

struct Fixture {
  Fixture() : host(s, ui), cmd(s, ui, sim) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    ui.f = this;
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
    s.disp.AUTO_SET_WORK_MODE = 1;
  }
  ~Fixture() {
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
  }
  fs::path file(const std::string& name, const std::string& bytes) {
    write_file(dir / name, bytes);
    return dir / name;
  }
  bool open(const std::string& name, const std::string& bytes) {
    return open_NCD(s, ui, file(name, bytes));
  }
  int works() const {
    int n = 0;
    for (const TWORK_DATA& w : s.mat->works) n += w.in_use ? 1 : 0;
    return n;
  }
  const TWORK_DATA* first_work() const {
    for (const TWORK_DATA& w : s.mat->works)
      if (w.in_use) return &w;
    return nullptr;
  }
  TempDir dir;
  TSession s;
  FakeUi ui;
  TVLM_host host;
  FakeSimUi sim;
  TVLM_sim_commands cmd;
  plat::ScriptedMessageBoxes boxes;
};

void FakeUi::auto_WORK_for_NCD() { f->cmd.auto_WORK_for_NCD(); }

void make_work(TSession& s, float x0, float x1) {
  Tmat& m = *s.mat;
  SET_WORK_NUM(m, Get_Free_WORK_num(m));
  std::uint8_t col[4] = {1, 2, 3, 255};
  ASSERT_TRUE(CREATE_WORK(m, col, 10, 10, true, false, VEC3{x0, 0, -3}, VEC3{x1, 9, 0}));
}

// ---- the automatic work ------------------------------------------------------------------

TEST(SimAutoWork, BoxFromThePathByMode) {
  struct Case {
    const char* program;
    int mode;
    VEC3 lo, hi;
  } const cases[] = {
      {kBoxProgram, 1, {-10, 0, -5}, {60, 40, 2}},
      {kBoxProgram, 2, {-20, -10, -15}, {70, 50, 12}},
      // A start height that is not above the lowest point: the top is 20 above it.
      {kFlatProgram, 1, {0, 0, -5}, {30, 20, 15}},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.s.disp.AUTO_SET_WORK_MODE = c.mode;
    ASSERT_TRUE(f.open("A.NC", c.program));
    ASSERT_EQ(f.works(), 1) << c.mode;
    const TWORK_DATA& w = *f.first_work();
    EXPECT_FLOAT_EQ(w.min.x, c.lo.x);
    EXPECT_FLOAT_EQ(w.min.y, c.lo.y);
    EXPECT_FLOAT_EQ(w.min.z, c.lo.z);
    EXPECT_FLOAT_EQ(w.max.x, c.hi.x);
    EXPECT_FLOAT_EQ(w.max.y, c.hi.y);
    EXPECT_FLOAT_EQ(w.max.z, c.hi.z);
    EXPECT_EQ(w.nx, 50);
    EXPECT_EQ(w.ny, 50);
    std::uint8_t col[4];
    color_code_to_RGBA(43, 255, col);
    EXPECT_EQ(0, std::memcmp(w.color, col, 4));
    EXPECT_EQ(f.s.disp.SIM_CUTTING_MODE, 1);
    EXPECT_EQ(f.s.disp.SIM_VIS_WORK, 1);
  }
}

TEST(SimAutoWork, ThePositionStaysWhereTheLoadPutIt) {
  Fixture f;
  ASSERT_TRUE(f.open("A.NC", kBoxProgram));
  const NCD_DATA& d = f.s.nc();
  EXPECT_EQ(d.pos.cur_line, 1);  // the program-number line
  EXPECT_GT(d.pos.total_blocks, 3);
}

TEST(SimAutoWork, NothingMadeInTheseCases) {
  {  // mode 0
    Fixture f;
    f.s.disp.AUTO_SET_WORK_MODE = 0;
    ASSERT_TRUE(f.open("A.NC", kBoxProgram));
    EXPECT_EQ(f.works(), 0);
  }
  {  // works present: the next program keeps them as they are
    Fixture f;
    make_work(f.s, 0, 9);
    ASSERT_TRUE(f.open("A.NC", kBoxProgram));
    ASSERT_EQ(f.works(), 1);
    EXPECT_FLOAT_EQ(f.first_work()->max.x, 9);
  }
  {  // no program
    Fixture f;
    f.cmd.auto_WORK_for_NCD();
    EXPECT_EQ(f.works(), 0);
  }
}

TEST(SimAutoWork, TheWorkFileBesideTheProgramWins) {
  Fixture f;
  {  // a work file saved from another store, spelt in upper case
    Tmat other;
    SET_WORK_NUM(other, 0);
    std::uint8_t col[4] = {9, 9, 9, 255};
    ASSERT_TRUE(CREATE_WORK(other, col, 20, 20, true, false, VEC3{1, 2, 3}, VEC3{11, 12, 13}));
    plat::ScriptedMessageBoxes quiet;
    ASSERT_TRUE(SAVE_WORK_DATA(other, f.dir / "A.WOK", 4, 0));
  }
  ASSERT_TRUE(f.open("a.nc", kBoxProgram));
  ASSERT_EQ(f.works(), 1);
  EXPECT_FLOAT_EQ(f.first_work()->max.x, 11);
  EXPECT_EQ(f.first_work()->nx, 20);
  EXPECT_EQ(f.s.disp.SIM_CUTTING_MODE, 1);
}

TEST(SimAutoWork, AnUnreadableWorkFileSaysSoThenTheBoxIsMade) {
  Fixture f;
  f.file("A.wok", "not a work file at all");
  ASSERT_TRUE(f.open("A.NC", kBoxProgram));
  ASSERT_EQ(f.works(), 1);
  EXPECT_FLOAT_EQ(f.first_work()->max.x, 60);
  bool said = false;
  for (const auto& b : f.boxes.shown) said |= b.caption == "File read Error";
  EXPECT_TRUE(said);
}

// ---- the menu ----------------------------------------------------------------------------

std::vector<int> visible_tags(const SIM_MENU_STATE& st) {
  std::vector<int> out;
  for (int t = 1; t < SIM_AUTOSET; ++t)
    if (st.item[static_cast<size_t>(t)].visible) out.push_back(t);
  return out;
}

TEST(SimMenu, TheFourStates) {
  using L = SIM_MENU_STATE::Line;
  {  // no program
    Fixture f;
    f.s.mat->cut_section_mode = 2;
    const SIM_MENU_STATE st = simulation_menu_state(f.s, true);
    EXPECT_TRUE(visible_tags(st).empty());
    EXPECT_EQ(st.n29, L::no_program);
    EXPECT_FALSE(st.panel_controls);
    EXPECT_EQ(f.s.mat->cut_section_mode, 0);
    EXPECT_STREQ(SIM_NO_PROGRAM_TEXT, "NCデータが読み込まれてません");
    EXPECT_TRUE(st.item[SIM_AUTOSET].visible);  // the auto-set mode can be chosen before a load
  }
  {  // a program without works
    Fixture f;
    f.s.disp.AUTO_SET_WORK_MODE = 0;
    ASSERT_TRUE(f.open("A.NC", kBoxProgram));
    SIM_MENU_STATE st = simulation_menu_state(f.s, true);
    EXPECT_EQ(visible_tags(st), (std::vector<int>{SIM_SETUP_WORK, SIM_READ_ALL}));
    EXPECT_EQ(st.n29, L::hidden);
    st = simulation_menu_state(f.s, false);  // without the work window
    EXPECT_EQ(visible_tags(st), (std::vector<int>{SIM_READ_ALL}));
  }
  {  // works, cutting off
    Fixture f;
    ASSERT_TRUE(f.open("A.NC", kBoxProgram));
    f.s.disp.SIM_CUTTING_MODE = 0;
    const SIM_MENU_STATE st = simulation_menu_state(f.s, true);
    EXPECT_EQ(visible_tags(st), (std::vector<int>{SIM_SETUP_WORK, SIM_CUTTING, SIM_SAVE_ALL,
                                                  SIM_DELETE_ALL, SIM_RESET_ALL, SIM_READ_ALL}));
    EXPECT_FALSE(st.item[SIM_CUTTING].checked);
    EXPECT_EQ(f.s.mat->cut_section_mode, 0);
    EXPECT_FALSE(st.panel_controls);
  }
  {  // works, cutting on: every item, derived modes, the panel's controls
    Fixture f;
    ASSERT_TRUE(f.open("A.NC", kBoxProgram));
    Tdisp_status& d = f.s.disp;
    d.SIM_VIS_WORK = 1, d.SIM_HIGH_DETAIL = 1, d.SIM_VIS_TOOL = 1, d.SIM_TOOL_SOLID = 0;
    d.SIM_CALC_HOLDER = 1, d.NG_ERR_STOP = 1, d.SIM_SEETH_LV_WORK = 10;
    f.s.mat->see_through_works = 1;
    f.s.mat->see_through_tool = 0;
    const SIM_MENU_STATE st = simulation_menu_state(f.s, true);
    EXPECT_EQ(visible_tags(st).size(), 19u);
    EXPECT_EQ(st.n29, L::separator);
    EXPECT_TRUE(st.item[SIM_CUTTING].checked);
    EXPECT_TRUE(st.item[SIM_SEETH_WORK].checked);
    EXPECT_FALSE(st.item[SIM_SEETH_TOOL].checked);
    EXPECT_EQ(f.s.mat->mesh_mode, 2);
    EXPECT_EQ(f.s.mat->tool_mode, 1);
    EXPECT_EQ(f.s.mat->cut_section_mode, 2);
    EXPECT_TRUE(st.panel_controls);
    EXPECT_TRUE(st.ng_stop);
    EXPECT_TRUE(st.seeth_work);
    EXPECT_FALSE(st.hi_detail_button);  // high detail is already on
    EXPECT_TRUE(st.bars_reset);
    EXPECT_EQ(d.SIM_SEETH_LV_WORK, 70);
    EXPECT_EQ(d.SIM_SEETH_LV_TOOL, 70);
  }
}

TEST(SimMenu, AutoSetModesAndCaptions) {
  struct Case {
    int stored, mode, checked;
    const char* caption;
  } const cases[] = {
      {1, 1, SIM_AUTOSET_JUST, "ワークの自動設定(パス最大範囲)"},
      {2, 2, SIM_AUTOSET_ADD10, "ワークの自動設定(パス最大範囲+10mm)"},
      {0, 0, SIM_AUTOSET_NONE, "ワークの自動設定(行わない)"},
      {7, 0, SIM_AUTOSET_NONE, "ワークの自動設定(行わない)"},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.s.disp.AUTO_SET_WORK_MODE = c.stored;
    const SIM_MENU_STATE st = simulation_menu_state(f.s, false);
    EXPECT_EQ(f.s.disp.AUTO_SET_WORK_MODE, c.mode);
    EXPECT_EQ(st.autoset_caption, c.caption);
    for (int t = SIM_AUTOSET_NONE; t <= SIM_AUTOSET_ADD10; ++t)
      EXPECT_EQ(st.item[static_cast<size_t>(t)].checked, t == c.checked) << c.stored << " " << t;
  }
  Fixture f;
  f.cmd.MM_simulationClick(SIM_AUTOSET_ADD10);
  EXPECT_EQ(f.s.disp.AUTO_SET_WORK_MODE, 2);
  EXPECT_TRUE(f.sim.last.item[SIM_AUTOSET_ADD10].checked);
}

TEST(SimMenu, TogglesFlipTheirSwitchAndRedrawWhenTheyShow) {
  struct Case {
    int tag;
    bool redraw;
  } const cases[] = {{SIM_VIS_WORK, true},   {SIM_VIS_ZIGU, true},    {SIM_CUTTING, true},
                     {SIM_HOLDER_CHECK, true}, {SIM_VIS_CUTTING_TOOL, true},
                     {SIM_TOOL_SOLID, true}, {SIM_SEETH_WORK, true},  {SIM_ROTATE_TOOL, true},
                     {SIM_HIGH_DETAIL, true}, {SIM_CUT_ZIGU, false},  {SIM_SEETH_TOOL, true},
                     {SIM_ZIGU_RECT, false}, {SIM_RED_FLASH, false},  {SIM_NG_STOP, false}};
  for (const Case& c : cases) {
    Fixture f;
    auto snapshot = [&] {
      const Tdisp_status& d = f.s.disp;
      const Tmat& m = *f.s.mat;
      return std::vector<int>{d.SIM_VIS_WORK, m.show_jigs, d.SIM_CUTTING_MODE, d.SIM_CALC_HOLDER,
                              d.SIM_VIS_TOOL, d.SIM_TOOL_SOLID, m.see_through_works,
                              d.SIM_TOOL_ROTATE, d.SIM_HIGH_DETAIL, m.cut_jigs,
                              m.see_through_tool, m.jig_rect_check, m.blink, d.NG_ERR_STOP};
    };
    const std::vector<int> before = snapshot();
    f.cmd.MM_simulationClick(c.tag);
    const std::vector<int> after = snapshot();
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i) changed += before[i] != after[i] ? 1 : 0;
    EXPECT_EQ(changed, 1) << c.tag;
    EXPECT_EQ(f.sim.applied, 1) << c.tag;
    EXPECT_EQ(!f.ui.draws.empty() && f.ui.draws.back() == 4, c.redraw) << c.tag;
  }
}

TEST(SimMenu, NothingWhileBusy) {
  Fixture f;
  plat::BusyGuard busy;
  const int before = f.s.disp.SIM_VIS_WORK;
  f.cmd.MM_simulationClick(SIM_VIS_WORK);
  EXPECT_EQ(f.s.disp.SIM_VIS_WORK, before);
  EXPECT_EQ(f.sim.applied, 0);
}

TEST(SimMenu, TheRefreshHoldsTheBusyFlagAndTheUpdateFlag) {
  Fixture f;
  struct Probe : FakeSimUi {
    void apply_sim_menu(const SIM_MENU_STATE& st) override {
      FakeSimUi::apply_sim_menu(st);
      busy_inside = plat::busy();
      update_inside = cmd->update_flag();
    }
    TVLM_sim_commands* cmd = nullptr;
    bool busy_inside = false, update_inside = false;
  } probe;
  TVLM_sim_commands c(f.s, f.ui, probe);
  probe.cmd = &c;
  c.refresh_simulation_menu();
  EXPECT_TRUE(probe.busy_inside);
  EXPECT_TRUE(probe.update_inside);
  EXPECT_FALSE(plat::busy());
  EXPECT_FALSE(c.update_flag());
}

// ---- all works -----------------------------------------------------------------------------

TEST(SimWorks, CancelOnEitherQuestionChangesNothing) {
  for (int tag : {SIM_DELETE_ALL, SIM_RESET_ALL, SIM_READ_ALL}) {
    Fixture f;
    make_work(f.s, 0, 9);
    TWORK_DATA& w = f.s.mat->works[0];
    w.grid[5].z = -2;  // a cut point
    f.sim.chosen = f.dir / "x.wok";
    f.boxes.answer(plat::IDCANCEL);
    f.cmd.MM_simulationClick(tag);
    ASSERT_EQ(f.boxes.shown.size(), 1u) << tag;
    EXPECT_EQ(f.boxes.shown[0].caption, "INFORMATION Message");
    EXPECT_EQ(f.boxes.shown[0].flags,
              unsigned(plat::MB_OKCANCEL | plat::MB_ICONINFORMATION | plat::MB_DEFBUTTON2));
    EXPECT_EQ(f.works(), 1) << tag;
    EXPECT_FLOAT_EQ(f.s.mat->works[0].grid[5].z, -2) << tag;
    EXPECT_TRUE(f.sim.dialogs.empty()) << tag;
  }
}

TEST(SimWorks, DeleteResetSaveAndRead) {
  Fixture f;
  ASSERT_TRUE(f.open("PART.NC", kBoxProgram));
  TWORK_DATA& w = *const_cast<TWORK_DATA*>(f.first_work());
  w.grid[7].z = -4;
  w.grid[7].col[2] = 1;  // a collision mark
  f.cmd.recheck_damage();
  EXPECT_TRUE(f.cmd.damage());

  // Save: the program's name with ".wok" is offered.
  f.sim.chosen = f.dir / "all.wok";
  f.cmd.MM_simulationClick(SIM_SAVE_ALL);
  ASSERT_EQ(f.sim.dialogs.size(), 1u);
  EXPECT_TRUE(f.sim.dialogs[0].save);
  EXPECT_EQ(f.sim.dialogs[0].title, "VLM WORK 全データの保存");
  EXPECT_EQ(f.sim.dialogs[0].name, "PART.wok");
  ASSERT_TRUE(fs::exists(f.dir / "all.wok"));

  // Reset: uncut again, and the damage mark goes.
  f.boxes.answer(plat::IDOK);
  f.cmd.MM_simulationClick(SIM_RESET_ALL);
  EXPECT_FLOAT_EQ(f.first_work()->grid[7].z, f.first_work()->top_z);
  EXPECT_FALSE(f.cmd.damage());

  // Read: the question, the dialog, then the file's works in place of the store's.
  f.boxes.answer(plat::IDOK);
  f.cmd.MM_simulationClick(SIM_READ_ALL);
  ASSERT_EQ(f.works(), 1);
  EXPECT_FLOAT_EQ(f.first_work()->grid[7].z, -4);
  EXPECT_TRUE(f.cmd.damage());
  EXPECT_EQ(f.sim.dialogs.back().title, "VLM WORK データの読み込み");

  // A cancelled dialog keeps the works.
  f.sim.chosen.clear();
  f.boxes.answer(plat::IDOK);
  f.cmd.MM_simulationClick(SIM_READ_ALL);
  EXPECT_EQ(f.works(), 1);

  // Delete.
  f.boxes.answer(plat::IDOK);
  f.cmd.MM_simulationClick(SIM_DELETE_ALL);
  EXPECT_EQ(f.works(), 0);
  EXPECT_EQ(f.ui.draws.back(), 4);
  EXPECT_EQ(visible_tags(f.sim.last), (std::vector<int>{SIM_READ_ALL}));
}

// ---- the work set-up -----------------------------------------------------------------------

TEST(SimWorkSetup, OpensWithForcedSwitchesAndEndsWithTheUsersOnes) {
  Fixture f;
  FakeWorkWindow win;
  f.sim.window = &win;
  ASSERT_TRUE(f.open("PART.NC", kBoxProgram));
  Tdisp_status& d = f.s.disp;
  Tmat& m = *f.s.mat;
  NCD_DATA& nc = f.s.nc();
  Goto_NCD_step(nc, 3, true);
  const int block = nc.pos.block_count;
  d.SIM_CUTTING_MODE = 0, d.SIM_HIGH_DETAIL = 1, m.see_through_works = 1, m.show_jigs = 0;
  d.WSW_LEFT = 40, d.WSW_TOP = 50;

  f.cmd.MM_simulationClick(SIM_SETUP_WORK);
  EXPECT_TRUE(f.cmd.work_setup_active());
  EXPECT_EQ(win.shows, 1);
  EXPECT_TRUE(win.present);
  EXPECT_FLOAT_EQ(win.lo.x, -10);
  EXPECT_FLOAT_EQ(win.hi.y, 40);
  EXPECT_FLOAT_EQ(win.top, 2);
  EXPECT_EQ(win.name, "PART.wok");
  EXPECT_EQ(win.left, 40);
  EXPECT_EQ(win.top_pos, 50);
  EXPECT_FALSE(f.sim.panel);
  EXPECT_FALSE(f.sim.main_enabled);
  EXPECT_EQ(d.SIM_CUTTING_MODE, 1);
  EXPECT_EQ(m.see_through_works, 0);
  EXPECT_EQ(m.show_jigs, 1);
  EXPECT_EQ(m.mesh_mode, 1);
  EXPECT_EQ(nc.pos.block_count, block);  // the extents did not move the simulation

  // The user steps in the view meanwhile; the end comes back.
  Goto_NCD_step(nc, 1, false);
  m.works[0].in_use = 1;
  f.cmd.end_WORK_SET();
  EXPECT_FALSE(f.cmd.work_setup_active());
  EXPECT_EQ(d.SIM_CUTTING_MODE, 0);
  EXPECT_EQ(d.SIM_HIGH_DETAIL, 1);
  EXPECT_EQ(m.see_through_works, 1);
  EXPECT_EQ(m.show_jigs, 0);
  EXPECT_EQ(d.SIM_VIS_WORK, 1);
  EXPECT_EQ(d.WSW_LEFT, 333);
  EXPECT_EQ(d.WSW_TOP, 222);
  EXPECT_TRUE(f.sim.panel);
  EXPECT_TRUE(f.sim.main_enabled);
  EXPECT_EQ(nc.pos.block_count, block);
  EXPECT_EQ(f.ui.draws.back(), 4);
  f.cmd.end_WORK_SET();  // a second hide notice changes nothing
  EXPECT_EQ(d.SIM_CUTTING_MODE, 0);
}

TEST(SimWorkSetup, WithoutProgramOrWindow) {
  Fixture f;
  f.cmd.MM_simulationClick(SIM_SETUP_WORK);  // no window: nothing
  EXPECT_FALSE(f.cmd.work_setup_active());
  FakeWorkWindow win;
  f.sim.window = &win;
  f.sim.panel = false;
  f.cmd.MM_simulationClick(SIM_SETUP_WORK);
  EXPECT_TRUE(f.cmd.work_setup_active());
  EXPECT_FALSE(win.present);
  EXPECT_EQ(win.name, "no_name.wok");
  f.cmd.end_WORK_SET();
  EXPECT_FALSE(f.sim.panel);  // it was hidden before
  EXPECT_EQ(f.s.disp.SIM_VIS_WORK, 0);
}

// ---- the timer -------------------------------------------------------------------------------

TEST(SimTimer, RunsOnlyWhileSomethingAnimates) {
  struct Case {
    bool blink, shown, damage, spin, rotate, busy, active;
    bool running, redraws;
  } const cases[] = {
      {true, true, true, false, false, false, true, true, true},     // blinking marks
      {true, true, false, false, false, false, true, false, false},  // nothing to blink
      {true, false, true, false, false, false, true, false, false},  // works hidden
      {false, true, true, false, false, false, true, false, false},  // blinking off
      {false, false, false, true, true, false, true, true, true},    // a spinning tool
      {false, false, false, true, false, false, true, false, false}, // rotation not shown
      {true, true, true, false, false, true, true, true, false},     // busy
      {true, true, true, false, false, false, false, true, false},   // another window active
  };
  for (const Case& c : cases) {
    Fixture f;
    ASSERT_TRUE(f.open("A.NC", kBoxProgram));  // a work, cutting on
    Tmat& m = *f.s.mat;
    m.blink = c.blink;
    f.s.disp.SIM_VIS_WORK = c.shown;
    f.s.disp.SIM_TOOL_ROTATE = c.rotate;
    f.s.disp.SIM_VIS_TOOL = 1;
    f.cmd.refresh_simulation_menu();  // tool and cutting modes above 0
    m.tool_spin = c.spin;
    if (c.damage) f.cmd.note_cut_flags(1 | 8);
    f.cmd.check_timer();
    EXPECT_EQ(f.sim.timer, c.running);
    f.sim.active = c.active;
    f.ui.draws.clear();
    bool redrew;
    {
      std::unique_ptr<plat::BusyGuard> g;
      if (c.busy) g = std::make_unique<plat::BusyGuard>();
      redrew = f.cmd.Timer1Timer();
    }
    EXPECT_EQ(redrew, c.redraws);
    // Blinking marks redraw the works; a turning tool alone turns over the kept picture.
    const bool blinking = c.blink && c.shown && c.damage;
    EXPECT_EQ(f.ui.draws, redrew && blinking ? std::vector<int>{5} : std::vector<int>{});
    EXPECT_EQ(f.ui.turns, redrew && !blinking ? 1 : 0);
  }
}

TEST(SimTimer, DamageMarkFollowsCutsAndGrids) {
  Fixture f;
  f.cmd.note_cut_flags(1);  // a plain cut
  EXPECT_FALSE(f.cmd.damage());
  f.cmd.note_cut_flags(1 | 32);
  EXPECT_TRUE(f.cmd.damage());
  f.cmd.recheck_damage();  // no works: nothing marked
  EXPECT_FALSE(f.cmd.damage());
}

// ---- registration -----------------------------------------------------------------------------

TEST(SimCommands, EveryItemOfTheMenuHasItsRow) {
  Fixture f;
  TVLM_command_table t;
  register_sim_commands(t, f.cmd);
  for (const VLM_menu_item& it : menu_items())
    if (it.handler == VLM_handler::simulation && it.state != VLM_item_state::inert) {
      EXPECT_TRUE(t.has(it.handler, it.tag)) << it.component;
    }
  EXPECT_TRUE(t.has(VLM_handler::simulation, SIM_MENU_OPEN));
}

}  // namespace
