// The commands of the main window's menus, tool bar and listing pop-up over a session, with a
// recording window and a fake listing.
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <map>

#include "tests/support/fake_ui.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/convert_params.h"
#include "mainwin/core/file_commands.h"
#include "mainwin/core/dialog_commands.h"
#include "mainwin/core/display_commands.h"
#include "mainwin/core/find_ncd.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/main_commands.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/popup_commands.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "ncdata/ncd_run.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "tests/support/test_support.h"
#include "tests/support/text_rows.h"

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::write_file;

namespace {

using Rows = testing_support::TextRows;

// Records what the commands ask of the window; answers number boxes and the clipboard from
// scripts.
struct Ui : TVLM_fake_ui {
  std::map<std::string, bool> checked, visible;
  std::map<std::string, std::string> caption;
  std::vector<int> draws;
  std::deque<int> numbers;
  std::vector<std::pair<std::string, std::string>> asked;  // caption, initial
  std::string clip;
  bool clip_lossless = true;
  std::string clip_out;
  int mouse = -1, track_z = 999, track_x = 999, font = 0, panel_syncs = 0;
  bool controler = false, menus_hidden = false, color24 = false;
  TGL_VIEW view;
  NCD_EDIT_LIST* list = nullptr;

  bool item_checked(const char* c) override { return checked[c]; }
  void set_item_checked(const char* c, bool on) override { checked[c] = on; }
  void set_item_caption(const char* c, const std::string& t) override { caption[c] = t; }
  void set_item_visible(const char* c, bool on) override { visible[c] = on; }
  int draw_data(int m) override {
    draws.push_back(m);
    return 0;
  }
  void mouse_mode_changed(int m) override { mouse = m; }
  TGL_VIEW* gl_view() override { return &view; }
  void panel_view_tracks(int z, int x) override {
    track_z = z;
    track_x = x;
  }
  void set_controler_visible(bool on) override { controler = on; }
  void panel_sync_switches() override { ++panel_syncs; }
  void set_list_font(int h) override { font = h; }
  NCD_EDIT_LIST* edit_list() override { return list; }
  int input_number(const std::string& c, const std::string& initial) override {
    asked.emplace_back(c, initial);
    if (numbers.empty()) return 2147483647;
    const int n = numbers.front();
    numbers.pop_front();
    return n;
  }
  bool clipboard_text(std::string& out, bool& lossless) override {
    if (clip.empty()) return false;
    out = clip;
    lossless = clip_lossless;
    return true;
  }
  void set_clipboard_text(const std::string& t) override { clip_out = t; }
  void set_menus_hidden(bool on) override { menus_hidden = on; }
  void gl_set_color24(bool on) override { color24 = on; }
  // The find dialog: types the patterns and answers.
  int find_answer = 2;
  std::string find_typed;
  FIND_SETTINGS find_shown;
  int find_dialog(FIND_SETTINGS& f) override {
    find_shown = f;
    if (!find_typed.empty()) f.search_text = find_typed;
    return find_answer;
  }
  std::string results_caption;
  std::vector<std::string> results;
  void show_find_results(const std::string& c, std::vector<std::string>&& l) override {
    results_caption = c;
    results = std::move(l);
  }
  // The external-program dialog: types a command and a choice.
  bool exec_ok = false;
  std::string exec_typed;
  int exec_choice = 0;
  OTHER_EXEC_SETTINGS exec_shown;
  std::string exec_tmp, exec_nc;
  bool other_exec_dialog(OTHER_EXEC_SETTINGS& o, const std::string& tmp, const std::string& nc) override {
    exec_shown = o;
    exec_tmp = tmp;
    exec_nc = nc;
    o.last_data = exec_typed;
    o.r_num = exec_choice;
    o.names.insert(o.names.begin(), exec_typed);
    return exec_ok;
  }
  int abouts = 0;
  void show_about() override { ++abouts; }
  // The conversion dialogs: record what they showed, answer as scripted.
  bool convert_ok = true;
  std::string g91_label;
  bool g91_dot_shown = false, g91_dot_typed = false;
  bool g91_g90_dialog(const std::string& label, bool& use_dot) override {
    g91_label = label;
    g91_dot_shown = use_dot;
    use_dot = g91_dot_typed;
    return convert_ok;
  }
  MOVE_ROTATE_VALUES mr_shown;
  bool move_rotate_dialog(MOVE_ROTATE_VALUES& v) override {
    mr_shown = v;
    v.move_x = 12.5f;
    v.rotate_count = 3;
    v.extra[7] = 50;
    return convert_ok;
  }
};

struct Fixture {
  Fixture() : host(s, ui), list(s.nc(), rows, &host) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
    ui.list = &list;
    register_main_commands(table, s, ui);
    register_popup_commands(table, s, ui);
    register_display_commands(table, s, ui);
    register_dialog_commands(table, s, ui);
  }
  ~Fixture() {
    // Loads make the program's folder current; it goes with the fixture.
    fs::current_path(fs::temp_directory_path());
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
  }
  void load(const std::string& text) {
    write_file(dir / "P.NC", text);
    ASSERT_TRUE(open_NCD(s, ui, dir / "P.NC"));
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    for (int i = 0; i < s.nc().line_count; ++i) out.emplace_back(get_NCD_line_view(s.nc(), i));
    return out;
  }
  bool popup(int tag) { return spmenu_list_resetClick(s, ui, table, tag); }
  bool display(int tag) { return menu_vis_toolClick(s, ui, table, tag); }

  testing_support::TempDir dir;
  TSession s;
  Ui ui;
  TVLM_host host;
  Rows rows;
  NCD_EDIT_LIST list;
  TVLM_command_table table;
  plat::ScriptedMessageBoxes boxes;
};

const char* const kTen = "O1\nG0X0\nG1X1\nG1X2\nG1X3\nG1X4\nG1X5\nG1X6\nG1X7\nM30\n";

}  // namespace

TEST(MainCommands, ViewPresetsSetTheAnglesAndThePanelsTrackBars) {
  struct Case {
    int tag;
    float rot_x, rot_z;
    int track_z, track_x;
  } cases[] = {{41, 360, 0, 0, 90}, {42, 270, 0, 0, 0}, {43, 290, -50, -50, 20}, {44, 270, -90, -90, 0}};
  Fixture f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    f.ui.draws.clear();
    ASSERT_TRUE(open1Click(f.ui, f.table, c.tag));
    EXPECT_EQ(f.ui.view.rot_x, c.rot_x);
    EXPECT_EQ(f.ui.view.rot_z, c.rot_z);
    EXPECT_EQ(f.ui.track_z, c.track_z);
    EXPECT_EQ(f.ui.track_x, c.track_x);
    EXPECT_EQ(f.ui.draws, std::vector<int>{4});
  }
}

TEST(MainCommands, MouseModesAndTheClipButton) {
  Fixture f;
  f.s.form.zoom_pan_rotate = 0x23;
  open1Click(f.ui, f.table, 11);
  EXPECT_EQ(f.s.form.zoom_pan_rotate, 0x21);
  open1Click(f.ui, f.table, 12);
  EXPECT_EQ(f.s.form.zoom_pan_rotate, 0x22);
  open1Click(f.ui, f.table, 30);
  EXPECT_EQ(f.s.form.zoom_pan_rotate, 19);
  open1Click(f.ui, f.table, 31);
  EXPECT_EQ(f.s.form.zoom_pan_rotate, 0x23);
  EXPECT_EQ(f.ui.mouse, 0x23);
  open1Click(f.ui, f.table, 34);
  EXPECT_EQ(f.s.disp.clip_on, 1);
  EXPECT_TRUE(f.ui.checked["spbtn_clip"]);
  open1Click(f.ui, f.table, 34);
  EXPECT_EQ(f.s.disp.clip_on, 0);
}

TEST(MainCommands, NewProgramJumpFontIntervalAndControlPanel) {
  Fixture f;
  const fs::path was = fs::current_path();
  fs::current_path(f.dir.path());
  ASSERT_TRUE(open1Click(f.ui, f.table, 1));
  EXPECT_EQ(f.lines(), (std::vector<std::string>{"%", "G90G00X0Y0Z0", "", "M30", "%"}));
  EXPECT_EQ(f.s.nc().pos.cur_line, 1);
  EXPECT_EQ(f.s.nc().file_name, "new_data.ncd");
  EXPECT_EQ(f.s.file.path, f.dir / "new_data.ncd");
  fs::current_path(was);

  f.load(kTen);
  // The jump: cancelled changes nothing; 0 and beyond the end are clamped.
  const int before = f.s.nc().pos.cur_line;
  open1Click(f.ui, f.table, 20);
  EXPECT_EQ(f.s.nc().pos.cur_line, before);
  EXPECT_EQ(f.ui.asked.back().first, "移動先行番号");
  for (auto [typed, line] : std::vector<std::pair<int, int>>{{5, 4}, {0, 0}, {99, 9}}) {
    f.ui.numbers = {typed};
    f.s.nc().pos.mark_first = 3;
    open1Click(f.ui, f.table, 20);
    EXPECT_EQ(f.s.nc().pos.cur_line, line) << typed;
    EXPECT_EQ(f.s.nc().pos.mark_first, 0);
  }

  open1Click(f.ui, f.table, 24);
  EXPECT_EQ(f.ui.font, -18);
  EXPECT_EQ(f.s.env.read_env_int("LIST_VIEW_FONT_height", 0), -18);
  EXPECT_TRUE(f.ui.checked["menu1_l"]);
  EXPECT_FALSE(f.ui.checked["menu1_s"]);

  f.ui.numbers = {-5};
  open1Click(f.ui, f.table, 38);
  EXPECT_EQ(f.s.disp.INTERVAL_REDRAW_LIST, 0);
  EXPECT_EQ(f.ui.caption["menu_hi_speed_interval"], "高速再生時でのリスト変更サイクル(現在値: 0 行ごと)");

  open1Click(f.ui, f.table, 27);
  EXPECT_TRUE(f.ui.controler);
  open1Click(f.ui, f.table, 27);
  EXPECT_FALSE(f.ui.controler);

  plat::RecordingLauncher launcher;
  open1Click(f.ui, f.table, 35);
  ASSERT_EQ(launcher.calls.size(), 1u);
  EXPECT_TRUE(launcher.calls[0].open);
  EXPECT_EQ(launcher.calls[0].program, f.s.program_folder);
}

TEST(DisplayCommands, TogglesFlipTheirSwitchMarkPanelAndRedraw) {
  struct Case {
    int tag;
    const char* item;
    std::uint8_t Tdisp_status::*field;
    bool panel, redraw;
  } cases[] = {
      {1, "menu_vis_tool", &Tdisp_status::VIS_TOOL, true, true},
      {2, "menu_vis_holder", &Tdisp_status::VIS_HOLDER, false, true},
      {5, "menu_chk_cursor_path", &Tdisp_status::cursor_path_flag, true, false},
      {8, "menu_invis_G00", &Tdisp_status::INVIS_G00, true, true},
      {12, "menu_vis_loc", &Tdisp_status::VIS_LOC_FLAG, false, false},
      {14, "menu_vis_boundary", &Tdisp_status::VIS_BOUNDARY, false, true},
      {21, "menu_saving_err_data", &Tdisp_status::SAVING_ERR_DATA, false, false},
      {26, "menu_TOOL_draw_at_BACKSCREEN", &Tdisp_status::TOOL_DRAW_AT_BG, false, true},
      {33, "menu_chk_seeTh_path", &Tdisp_status::CHK_SEETH_PATH, true, true},
      {34, "menu_chk_up_BALL_R", &Tdisp_status::CHK_UP_BALL_R, true, true},
  };
  Fixture f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    for (int round = 0; round < 2; ++round) {
      const std::uint8_t was = f.s.disp.*c.field;
      f.ui.draws.clear();
      const int syncs = f.ui.panel_syncs;
      ASSERT_TRUE(f.display(c.tag));
      EXPECT_EQ(f.s.disp.*c.field, was ? 0 : 1);
      EXPECT_EQ(f.ui.checked[c.item], !was);
      EXPECT_EQ(f.ui.panel_syncs > syncs, c.panel);
      EXPECT_EQ(f.ui.draws == std::vector<int>{4}, c.redraw);
    }
  }
  // The holder item is there only while the tool is shown.
  f.s.disp.VIS_TOOL = 1;
  f.display(1);
  EXPECT_FALSE(f.ui.visible["menu_vis_holder"]);
  // The radio groups.
  f.display(10);
  EXPECT_EQ(f.s.disp.PATH_COLORING, 1);
  EXPECT_TRUE(f.ui.checked["menu_path_Gcode"]);
  EXPECT_FALSE(f.ui.checked["menu_path_Fsokudo"]);
  f.display(25);
  EXPECT_EQ(f.s.disp.T_SET_LEFT_SPACE, 1);
  f.display(28);
  EXPECT_TRUE(f.ui.color24);
  EXPECT_TRUE(f.ui.checked["menu_select_24pf"]);
  f.display(29);
  EXPECT_FALSE(f.ui.color24);
  // While the menus are brought in line, nothing happens; the command holds the flag itself.
  f.s.menu.updating = true;
  EXPECT_FALSE(f.display(1));
  f.s.menu.updating = false;
  bool held = false;
  f.table.add(VLM_handler::display, 3, [&] { held = f.s.menu.updating; });
  f.display(3);
  EXPECT_TRUE(held);
  EXPECT_FALSE(f.s.menu.updating);
}

TEST(DisplayCommands, SwitchesThatChangeReadingTokeniseAgainOnTheSameLine) {
  Fixture f;
  f.load("O1\nG0X100\nG1X1.Y200\nM30\n");
  Goto_NCD_line(f.s.nc(), 2);
  auto x_of = [&](int line) {
    NCD_LINE_WORDS w;
    get_NCD_line_words(f.s.nc(), line, w);
    return w.x;
  };
  EXPECT_FLOAT_EQ(x_of(1), 0.1f);  // the default unit 0.001
  f.display(15);                   // unit 1
  EXPECT_FLOAT_EQ(x_of(1), 100.0f);
  EXPECT_EQ(f.s.nc().pos.cur_line, 2);
  EXPECT_TRUE(f.ui.checked["menu_unit_1"]);
  EXPECT_FALSE(f.ui.checked["menu_unit_4"]);
  EXPECT_EQ(f.ui.caption["menu_unit"], "小数点無しのときの設定単位 (1)");
  EXPECT_EQ(f.s.spare->parse.word_unit, f.s.nc().parse.word_unit);
  f.display(19);
  EXPECT_EQ(f.ui.caption["menu_unit"], "小数点無しのときの設定単位 (0.0001)");
  // The interpretation switches go to both records and are checked.
  const bool comp = f.s.nc().exec_opt.comp_enabled;
  f.display(32);
  EXPECT_EQ(f.s.nc().exec_opt.comp_enabled, !comp);
  EXPECT_EQ(f.s.spare->exec_opt.comp_enabled, !comp);
  EXPECT_EQ(f.ui.checked["menu_enabled_G4x"], !comp);
}

TEST(DisplayCommands, MenuHidingHidesTheMenusAndOffRestoresThem) {
  Fixture f;
  f.display(31);
  EXPECT_EQ(f.s.disp.INVIS_MENU_MODE, 1);
  EXPECT_TRUE(f.ui.menus_hidden);
  EXPECT_EQ(f.s.form.zoom_pan_rotate, 19);
  EXPECT_TRUE(f.ui.controler);
  for (const char* c : {"Find1", "ToolBar1", "Open1", "Exit1", "orBMP1"}) EXPECT_FALSE(f.ui.visible[c]) << c;
  f.display(31);
  EXPECT_FALSE(f.ui.menus_hidden);
  for (const char* c : {"Find1", "ToolBar1", "Open1", "Exit1", "orBMP1"}) EXPECT_TRUE(f.ui.visible[c]) << c;
  // Nothing while busy.
  plat::BusyGuard busy;
  set_invis_menu_mode(f.s, f.ui, true);
  EXPECT_FALSE(f.ui.menus_hidden);
}

TEST(PopupCommands, DrawingRangeFollowsTheCurrentStep) {
  Fixture f;
  f.load(kTen);
  NCD_POS& p = f.s.nc().pos;
  EXPECT_FALSE(spmenu_list_resetClick(f.s, f.ui, f.table, 99));  // no command: still redrawn
  Goto_NCD_line(f.s.nc(), 8);
  const int step = p.block_count;
  p.mark_first = 0;
  p.mark_last = 2;
  f.popup(1);
  EXPECT_EQ(p.mark_first, step);
  EXPECT_EQ(p.mark_last, step);
  Goto_NCD_line(f.s.nc(), 1);
  f.popup(2);
  EXPECT_EQ(p.mark_last, p.block_count);
  EXPECT_EQ(p.mark_first, p.block_count);
  f.popup(3);
  EXPECT_EQ(p.mark_first, 0);
  EXPECT_EQ(p.mark_last, p.total_blocks - 1);
  EXPECT_EQ(f.ui.draws.back(), 4);
  // Without lines the pop-up does nothing.
  Fixture empty;
  EXPECT_FALSE(empty.popup(3));
}

TEST(PopupCommands, DummyToolAndClipboardInsertAboveTheCurrentLine) {
  Fixture f;
  f.load(kTen);
  Goto_NCD_line(f.s.nc(), 4);
  f.popup(5);  // cancelled
  EXPECT_EQ(f.s.nc().line_count, 10);
  EXPECT_EQ(f.ui.asked.back().first, "ダミーの工具番号を指定してください。");
  f.ui.numbers = {7};
  f.popup(5);
  ASSERT_EQ(f.s.nc().line_count, 11);
  EXPECT_EQ(f.lines()[4], "(VLM C7 CHANGE TOOL)");
  EXPECT_EQ(f.lines()[5], "G1X3");
  EXPECT_EQ(f.s.nc().pos.cur_line, 5);
  f.ui.numbers = {-3};
  f.popup(5);
  EXPECT_EQ(f.lines()[5], "(VLM C0 CHANGE TOOL)");

  f.ui.clip = "G0Z5\r\nG0Z6\r\n";
  f.popup(8);
  EXPECT_EQ(f.lines()[6], "G0Z5");
  EXPECT_EQ(f.lines()[7], "G0Z6");
  EXPECT_EQ(f.s.nc().pos.cur_line, 8);
  const int n = f.s.nc().line_count;
  f.ui.clip_lossless = false;
  f.popup(8);
  EXPECT_EQ(f.s.nc().line_count, n);
  ASSERT_EQ(f.boxes.shown.size(), 1u);
}

TEST(PopupCommands, SelectionCopyAndDelete) {
  Fixture f;
  f.load(kTen);
  // A row without a line number sets nothing.
  f.s.menu.popup_row_line = 0;
  f.popup(10);
  EXPECT_EQ(f.list.sel_start, 0);
  f.s.menu.popup_row_line = 5;
  f.popup(10);
  EXPECT_EQ(f.list.sel_start, 5);
  EXPECT_EQ(f.list.sel_fixed, 5);
  // The end from the row: 5..3 in order.
  f.s.menu.popup_row_line = 3;
  f.popup(14);
  EXPECT_EQ(f.ui.clip_out, "G1X1\r\nG1X2\r\nG1X3\r\n");
  EXPECT_EQ(f.list.sel_start, 0);

  f.s.menu.popup_row_line = 2;
  f.popup(13);
  EXPECT_EQ(f.list.sel_start, 1);
  EXPECT_EQ(f.list.sel_end, 10);
  f.popup(12);
  EXPECT_EQ(f.list.sel_start, 0);

  struct Case {
    int cur, after;
  } cases[] = {{1, 1}, {3, 2}, {4, 2}, {7, 4}};  // before, inside (first and last), after 3..5
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cur);
    Fixture g;
    g.load(kTen);
    Goto_NCD_line(g.s.nc(), c.cur);
    g.s.menu.popup_row_line = 3;
    g.popup(10);
    g.s.menu.popup_row_line = 5;
    g.popup(19);
    EXPECT_EQ(g.list.sel_end, 5);
    g.boxes.answer(plat::IDCANCEL);
    g.popup(11);
    EXPECT_EQ(g.s.nc().line_count, 10);
    EXPECT_EQ(g.boxes.shown.back().text, " 3 - 5 を削除しますか？");
    EXPECT_EQ(g.boxes.shown.back().caption, "選択範囲を削除");
    g.boxes.answer(plat::IDOK);
    g.popup(11);
    EXPECT_EQ(g.lines(), (std::vector<std::string>{"O1", "G0X0", "G1X4", "G1X5", "G1X6", "G1X7", "M30"}));
    EXPECT_EQ(g.s.nc().pos.cur_line, c.after);
    EXPECT_EQ(g.s.nc().file_name, "P.NC");
    EXPECT_EQ(g.s.file.path, g.dir / "P.NC");
    EXPECT_EQ(g.list.sel_start, 0);
    // The program's own file is untouched.
    EXPECT_EQ(read_file(g.dir / "P.NC"), kTen);
  }
}


TEST(DialogCommands, FindThroughTheDialogRemembersUpperCasePatterns) {
  Fixture f;
  f.load("O1\nG0X0\nG1X1\nG2X2\nG1X3\nM30\n");
  Goto_NCD_line(f.s.nc(), 1);
  f.ui.find_typed = "g1";
  f.ui.find_answer = FIND_DLG_OK;
  f.s.nc().pos.mark_first = 4;
  ASSERT_TRUE(open1Click(f.ui, f.table, 8));
  EXPECT_EQ(f.s.nc().pos.cur_line, 2);
  EXPECT_EQ(f.s.nc().pos.mark_first, 0);
  EXPECT_EQ(f.s.env.read_env_str("Find_diag_search_text", ""), "G1");
  // F3 and Ctrl+P search on with the stored texts; the dialog is not shown again.
  f.ui.find_shown = {};
  open1Click(f.ui, f.table, 9);
  EXPECT_EQ(f.s.nc().pos.cur_line, 4);
  open1Click(f.ui, f.table, 9);
  EXPECT_EQ(f.s.nc().pos.cur_line, 4);
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].text, "指定した文字列は見つかりませんでした");
  open1Click(f.ui, f.table, 10);
  EXPECT_EQ(f.s.nc().pos.cur_line, 2);
  // The dialog shows what it stored; list all fills the result window.
  f.ui.find_typed.clear();
  f.ui.find_answer = FIND_DLG_ALL;
  open1Click(f.ui, f.table, 8);
  EXPECT_EQ(f.ui.find_shown.search_text, "G1");
  EXPECT_EQ(f.ui.results_caption, "検索結果");
  EXPECT_EQ(f.ui.results, (std::vector<std::string>{"      3 : G1X1", "      5 : G1X3"}));
}

TEST(DialogCommands, ExternalProgramStartsAnArgumentListInTheCurrentFolder) {
  Fixture f;
  const fs::path odd = f.dir / "a b\"q.NC";
  f.load("O1\nG0X0\nM30\n");
  fs::rename(f.dir / "P.NC", odd);
  f.s.file.path = odd;
  plat::RecordingLauncher launcher;
  const std::string nc = odd.string();
  const std::string tmp = TMP_file(f.s).string();
  struct Case {
    int choice;
    std::vector<std::string> args;
  } cases[] = {{0, {"-x", "two words"}}, {1, {"-x", "two words", tmp}}, {2, {"-x", "two words", nc}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    fs::remove(TMP_file(f.s));
    f.ui.exec_ok = true;
    f.ui.exec_typed = "\"/opt/my tools/viewer\" -x \"two words\"";
    f.ui.exec_choice = c.choice;
    ASSERT_TRUE(open1Click(f.ui, f.table, 45));
    ASSERT_FALSE(launcher.calls.empty());
    EXPECT_EQ(launcher.calls.back().program, fs::path("/opt/my tools/viewer"));
    EXPECT_EQ(launcher.calls.back().args, c.args);
    EXPECT_EQ(launcher.calls.back().working_dir, fs::current_path());
    EXPECT_EQ(fs::exists(TMP_file(f.s)), c.choice == 1);
    if (c.choice == 1) EXPECT_EQ(read_file(TMP_file(f.s)), "O1\r\nG0X0\r\nM30\r\n");
    EXPECT_EQ(f.s.disp.OTHER_EXEC_R_NUM, c.choice);
    EXPECT_EQ(f.s.disp.OTHER_EXEC_LAST_DATA, f.ui.exec_typed);
  }
  EXPECT_EQ(f.ui.exec_nc, nc);
  EXPECT_EQ(f.ui.exec_shown.names[0], f.ui.exec_typed);
  // Cancel starts nothing; a failed start says so.
  const std::size_t n = launcher.calls.size();
  f.ui.exec_ok = false;
  open1Click(f.ui, f.table, 45);
  EXPECT_EQ(launcher.calls.size(), n);
  f.ui.exec_ok = true;
  launcher.result = false;
  f.ui.exec_typed = "missing";
  open1Click(f.ui, f.table, 45);
  ASSERT_FALSE(f.boxes.shown.empty());
  EXPECT_EQ(f.boxes.shown.back().text, "missing を起動できませんでした。");
  // A stored choice out of range is read as 0.
  f.s.disp.OTHER_EXEC_R_NUM = 3;
  EXPECT_EQ(load_other_exec_settings(f.s).r_num, 0);
}

TEST(DialogCommands, HelpMenuAboutAndHelpFile) {
  Fixture f;
  plat::RecordingLauncher launcher;
  EXPECT_TRUE(MM_VersionClick(f.table, 4));
  EXPECT_EQ(f.ui.abouts, 1);
  MM_VersionClick(f.table, 95);
  EXPECT_TRUE(launcher.calls.empty());
  write_file(f.s.program_folder / "velmor.chm", "x");
  MM_VersionClick(f.table, 95);
  ASSERT_EQ(launcher.calls.size(), 1u);
  EXPECT_EQ(launcher.calls[0].program, f.s.program_folder / "velmor.chm");
}

TEST(FileDrop, TheFirstNcFileOpensAndItsFolderBecomesCurrent) {
  Fixture f;
  const fs::path sub = f.dir / "sub";
  fs::create_directory(sub);
  write_file(sub / "c.nc", "O1\nG0X1\nM30\n");
  write_file(sub / "d.nc", "O2\nM30\n");
  write_file(sub / "A.WOK", "x");
  write_file(sub / "b.nst", "x");
  auto cp = [](const fs::path& p) { return p.string(); };
  EXPECT_FALSE(FileDrop1FileDrop(f.s, f.ui, {cp(sub / "A.WOK")}));
  EXPECT_FALSE(FileDrop1FileDrop(f.s, f.ui, {cp(sub / "b.nst"), cp(sub / "c.nc")}));
  EXPECT_FALSE(FileDrop1FileDrop(f.s, f.ui, {}));
  EXPECT_EQ(f.s.nc().line_count, 0);
  {
    plat::BusyGuard busy;
    EXPECT_FALSE(FileDrop1FileDrop(f.s, f.ui, {cp(sub / "c.nc")}));
  }
  f.s.menu.work_setup_active = true;
  EXPECT_FALSE(FileDrop1FileDrop(f.s, f.ui, {cp(sub / "c.nc")}));
  f.s.menu.work_setup_active = false;
  EXPECT_TRUE(FileDrop1FileDrop(f.s, f.ui, {cp(sub / "c.nc"), cp(sub / "d.nc")}));
  EXPECT_EQ(f.s.nc().file_name, "c.nc");
  EXPECT_EQ(f.s.nc().line_count, 3);
  EXPECT_EQ(fs::current_path(), sub);
}

TEST(ConvertParams, AskedInTheirDialogsAndRefusedWithSubprograms) {
  Fixture f;
  f.load("O1\nG91G0X1\nM30\n");
  f.list.sel_start = 3;
  f.list.sel_end = 2;
  f.s.disp.CONV_UNIT = 2;
  f.ui.g91_dot_typed = true;
  ASSERT_TRUE(ask_convert_params(f.s, f.ui, 3));
  EXPECT_EQ(f.ui.g91_label, "G91 に変換する");
  EXPECT_FALSE(f.ui.g91_dot_shown);
  EXPECT_EQ(f.s.disp.CONV_UNIT, 1);
  EXPECT_EQ(f.list.sel_start, 2);
  EXPECT_EQ(f.list.sel_end, 3);
  f.ui.g91_dot_typed = false;
  ask_convert_params(f.s, f.ui, 4);
  EXPECT_EQ(f.ui.g91_label, "G90 に変換する");
  EXPECT_EQ(f.s.disp.CONV_UNIT, 2);
  f.ui.convert_ok = false;
  f.ui.g91_dot_typed = true;
  EXPECT_FALSE(ask_convert_params(f.s, f.ui, 4));
  EXPECT_EQ(f.s.disp.CONV_UNIT, 2);
  // Move/rotate: the values go in from the record and come back on OK only.
  f.s.disp.COPY_IY = 4;
  EXPECT_FALSE(ask_convert_params(f.s, f.ui, 6));
  EXPECT_EQ(f.ui.mr_shown.mode, 6);
  EXPECT_EQ(f.ui.mr_shown.move_y, 4.0f);
  EXPECT_EQ(f.s.disp.COPY_IX, 0.0f);
  f.ui.convert_ok = true;
  EXPECT_TRUE(ask_convert_params(f.s, f.ui, 5));
  EXPECT_EQ(f.s.disp.COPY_IX, 12.5f);
  EXPECT_EQ(f.s.disp.COPY_TIMES_R, 3);
  EXPECT_EQ(f.s.disp.POSITIONING_Z, 50.0f);
  EXPECT_EQ(f.s.disp.COPY_IY, 4.0f);

  Fixture g;
  g.load("O1\nM98P2\nM30\nO2\nG0X1\nM99\n");
  EXPECT_FALSE(ask_convert_params(g.s, g.ui, 3));
  ASSERT_EQ(g.boxes.shown.size(), 1u);
  EXPECT_EQ(g.boxes.shown[0].text, "G91⇔G90変換はサブプログラムの\nあるデータでは使用できません。");
  EXPECT_EQ(g.ui.g91_label, "");
}
