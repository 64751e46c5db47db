// The control panel, the error list, the find results and the simulation menu wired over a
// real session and listing, under offscreen Qt: real button presses, menu triggers and
// double clicks.
// The core records first: Qt's "slots" keyword would meet a field of that name.
#include "tests/support/fake_ui.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "ncdata/ncd_run.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "mainwin/control_view_1.h"
#include "mainwin/core/command_table.h"
#include "mainwin/menu_builder_1.h"
#include "mainwin/list_panel_1.h"
#include "mainwin/sim_panels_1.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

// A pocket and three holes; the line "G999" is an error.
const char* const kProgram =
    "%\nO0001\nG90 G54 G00 X-10. Y0. Z2.\nG01 X0. F100\nZ-5.\nX60. Y40.\nG00 Z2.\n"
    "G81 X10. Y10. Z-3. R2. F50\nX20.\nX30.\nG80\nM30\n%\n";

struct Ui : TVLM_fake_ui {
  Tsim_panels* p = nullptr;
  NCD_EDIT_LIST* list = nullptr;
  std::vector<int> draws;
  int draw_data(int mode) override {
    draws.push_back(mode);
    return 0;
  }
  void listing_refresh() override {
    if (!list) return;
    Set_NCD_list_range(*list);
    Redraw_NCD_list(*list);
  }
  void panel_refresh() override { p->panel_refresh(); }
  void panel_reset() override { p->panel_reset(); }
  bool err_window_has_lines() override { return p->err_window_has_lines(); }
  void show_err_window(const std::vector<std::string>& l, const std::string& c) override {
    p->show_err_window(l, c);
  }
  void clear_err_window() override { p->clear_err_window(); }
  void auto_WORK_for_NCD() override { p->auto_WORK_for_NCD(); }
};

struct Main {
  TempDir dir;
  TSession s;
  Ui ui;
  TVLM_host host{s, ui};
  QMainWindow w;
  TVLM_command_table table;
  std::vector<int> display_clicks;
  std::unique_ptr<TVelmorListing> listing;
  Tsim_panels* p = nullptr;
  std::uint32_t now = 1000;
  plat::ScriptedMessageBoxes boxes;

  Main() {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
    s.disp.AUTO_SET_WORK_MODE = 1;
    s.disp.NG_ERR_STOP = 1;
    auto* central = new QWidget(&w);
    w.setCentralWidget(central);
    listing = std::make_unique<TVelmorListing>(central, s.nc(), host);
    ui.list = &listing->list();
    build_menus_from_table(w, [this](const VLM_menu_item& it, QAction*) {
      run_menu_item(s, ui, table, it.handler, it.tag);
    });
    for (int tag : {1, 10}) table.add(VLM_handler::display, tag, [this, tag] { display_clicks.push_back(tag); });
    p = new Tsim_panels(w, s, ui, listing->list(), table);
    ui.p = p;
    p->clock = [this] { return now; };
    p->panel().clock = [this] { return now; };
    p->panel().core().set_last_event(0);
    w.resize(600, 400);
    w.show();
  }
  ~Main() {
    delete p;
    listing.reset();
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
  }
  bool load(const std::string& text = kProgram) {
    write_file(dir / "A.NC", text);
    return open_NCD(s, ui, dir / "A.NC");
  }
  void press(QPushButton* b, Qt::MouseButton mb = Qt::LeftButton) {
    now += 500;
    QTest::mousePress(b, mb);
    QTest::mouseRelease(b, mb);
  }
  QAction* action(const char* name) { return w.findChild<QAction*>(QString::fromLatin1(name)); }
  int works() const {
    int n = 0;
    for (const TWORK_DATA& k : s.mat->works) n += k.in_use ? 1 : 0;
    return n;
  }
};

TEST(SimPanels, LoadMakesTheWorkAndTheMenuFollows) {
  Main m;
  QMenu* menu = m.w.menuBar()->findChild<QMenu*>(QStringLiteral("MM_simulation"));
  ASSERT_TRUE(menu);
  QAction* n29 = m.action("N29");
  ASSERT_TRUE(n29);
  EXPECT_FALSE(n29->isSeparator());  // no program: the disabled line
  EXPECT_FALSE(n29->isEnabled());
  EXPECT_EQ(plat::from_qstring(n29->text()), SIM_NO_PROGRAM_TEXT);
  EXPECT_FALSE(m.action("MMW13_SAVE_ALL_WORKS")->isVisible());

  ASSERT_TRUE(m.load());
  EXPECT_EQ(m.works(), 1);
  EXPECT_TRUE(m.action("MMW13_SAVE_ALL_WORKS")->isVisible());
  EXPECT_TRUE(m.action("MMW04_CUTTING_SW")->isChecked());
  EXPECT_TRUE(n29->isSeparator());
  EXPECT_TRUE(m.p->panel().c19_NG_stop->isEnabled());
  EXPECT_TRUE(m.p->panel().c19_NG_stop->isChecked());
  EXPECT_FALSE(m.action("MMW03_setup_work")->isVisible());  // no work window yet

  // A menu toggle: the switch, the tick, a full redraw.
  m.ui.draws.clear();
  m.action("MMW01_vis_work")->trigger();
  EXPECT_EQ(m.s.disp.SIM_VIS_WORK, 0);
  EXPECT_FALSE(m.action("MMW01_vis_work")->isChecked());
  EXPECT_EQ(m.ui.draws, std::vector<int>{4});
  // The auto-set sub-menu.
  m.action("MMex23_AutoSet_Add10mm")->trigger();
  EXPECT_EQ(m.s.disp.AUTO_SET_WORK_MODE, 2);
  QAction* head = m.action("MMex20_AutoSetWork");  // the caption line above the choices
  ASSERT_TRUE(head);
  EXPECT_EQ(plat::from_qstring(head->text()), "ワークの自動設定(パス最大範囲+10mm)");
  EXPECT_TRUE(m.action("MMex23_AutoSet_Add10mm")->isChecked());
  EXPECT_FALSE(m.action("MMex22_AutoSet_JustSize")->isChecked());
}

TEST(SimPanels, PanelSwitchesReachTheirHandlers) {
  Main m;
  ASSERT_TRUE(m.load());
  Tcontroler& c = m.p->panel();
  c.Btn_ExViewClick();
  const int holder = m.s.disp.SIM_CALC_HOLDER;
  QTest::mouseClick(c.CheckBox2, Qt::LeftButton);  // the holder check
  EXPECT_NE(m.s.disp.SIM_CALC_HOLDER, holder);
  EXPECT_EQ(c.CheckBox2->isChecked(), m.s.disp.SIM_CALC_HOLDER != 0);
  const int stop = m.s.disp.NG_ERR_STOP;
  QTest::mouseClick(c.c19_NG_stop, Qt::LeftButton);
  EXPECT_NE(m.s.disp.NG_ERR_STOP, stop);
  EXPECT_EQ(c.c19_NG_stop->isChecked(), m.s.disp.NG_ERR_STOP != 0);
  const int cutting = m.s.disp.SIM_CUTTING_MODE;
  QTest::mouseClick(c.MMW05_HOLDER_CHECK_bak, Qt::LeftButton);  // cutting
  EXPECT_NE(m.s.disp.SIM_CUTTING_MODE, cutting);
  EXPECT_FALSE(c.c19_NG_stop->isEnabled());  // cutting off: the simulation controls go
  QTest::mouseClick(c.ctrl_vis_tool, Qt::LeftButton);
  QTest::mouseClick(c.ctrl_path_Gcode, Qt::LeftButton);
  EXPECT_EQ(m.display_clicks, (std::vector<int>{1, 10}));
}

TEST(SimPanels, StepAndPlayThroughTheProgram) {
  Main m;
  ASSERT_TRUE(m.load());
  NCD_DATA& d = m.s.nc();
  Tcontroler& c = m.p->panel();
  plat::ScriptedInput in;  // no button held, no Escape
  const int before = d.pos.block_count;
  m.press(c.Btn05_step);
  EXPECT_EQ(d.pos.block_count, before + 1);
  EXPECT_NE(plat::from_qstring(c.windowTitle()), "controler");

  m.press(c.Btn01_play);
  EXPECT_EQ(d.exec.status, NCD_ST_ERROR);  // the program end
  EXPECT_EQ(d.pos.block_count, d.pos.total_blocks);
  EXPECT_FALSE(c.core().playing());
  EXPECT_TRUE(c.Btn05_step->isEnabled());
  EXPECT_TRUE(m.w.isEnabled());
  EXPECT_FALSE(m.s.run_ng_stop);

  m.press(c.Btn08_Top);
  EXPECT_LE(d.pos.block_count, 1);
  m.press(c.Btn18_Hispd, Qt::RightButton);  // fastest: to the end, then back to block 0
  EXPECT_LE(d.pos.block_count, 1);
  EXPECT_EQ(m.ui.draws.back(), 4);
}

// The panel's picture: the dimensioned drawing of the current tool once a tool change has
// run, "NO ITEM" before it and for a tool whose slot has no kind.
TEST(SimPanels, ThePanelPicturesTheCurrentTool) {
  const auto ink = [](const QImage& img) {  // pixels off the face colour
    const QRgb back = img.pixel(0, 0);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != back ? 1 : 0;
    return n;
  };
  struct Case {
    std::vector<std::string> defs;
    bool drawn;
  };
  const std::vector<Case> cases = {
      {{"(VLM N1 \"f\" )", "(VLM T1 A1B29C8D16E10F20G8)", "(VLM H1 A49B72)"}, true},
      {{"(VLM N1 \"f\" )", "(VLM T1 A0B29C8D16E10F20G8)", "(VLM H1 A49B72)"}, false},
  };
  for (const Case& c : cases) {
    Main m;
    ASSERT_TRUE(m.load("%\nO0001\nG90 G00 X0. Y0. Z10.\nT1 M06\nG01 X10. F100\nX20.\nM30\n%\n"));
    m.s.tool_defs = c.defs;
    Tcontroler& p = m.p->panel();
    plat::ScriptedInput in;
    const QImage none = p.TOOL_IMG->pixmap().toImage();
    for (int i = 0; i < 3; ++i) m.press(p.Btn05_step);
    ASSERT_TRUE(m.s.nc().run.th.tool_present);
    const QImage shown = p.TOOL_IMG->pixmap().toImage();
    EXPECT_EQ(shown != none, c.drawn);
    if (c.drawn) EXPECT_GT(ink(shown), 100);  // an outline on the face colour
  }
}

TEST(SimPanels, TheAlarmReadsTheCuttingBitsAndMarksDamage) {
  Main m;
  ASSERT_TRUE(m.load());
  NCD_DATA& d = m.s.nc();
  plat::ScriptedInput in;
  // The step seam is the listing host's; the collision flags are set by the cutting.
  m.s.mat->cut_flags_acc = 0;
  m.boxes.answer(plat::IDCANCEL);
  Goto_NCD_step(d, 0, true);
  const std::uint32_t bits = m.p->check_bits();
  EXPECT_EQ(bits, 0u);
  m.s.mat->cut_flags_acc = 1 | 8;
  EXPECT_FALSE(m.p->panel().Check_interference_alarm());
  ASSERT_EQ(m.boxes.shown.size(), 1u);
  EXPECT_EQ(m.boxes.shown[0].caption, "干渉チェック");
  EXPECT_NE(m.boxes.shown[0].text.find("シャンクかホルダが干渉しました,"), std::string::npos);
  EXPECT_EQ(m.s.mat->cut_flags_acc, 0u);
  EXPECT_TRUE(m.p->sim().damage());
}

TEST(SimPanels, ErrorListJumpsAndLoadsClearIt) {
  Main m;
  std::string text = "%\nO0001\nG90 G00 X0. Y0. Z10.\nG02 X10. F100\nG01 X10. F100\nM30\n%\n";
  ASSERT_TRUE(m.load(text));
  ASSERT_FALSE(m.s.nc().run.err_list.empty());
  Tmemo_win& e = m.p->err_win();
  EXPECT_TRUE(e.isVisible());  // the load stands on the first error and shows the list
  ASSERT_GE(e.entry_count(), 1);
  EXPECT_EQ(e.model().entry(0).kind, MEMO_KIND::Error);
  // A pick line and a note.
  m.p->err_window_add_pick("      6 : pick", 2);
  e.add_note("( total err is 60 count )");
  auto dbl = [&](int row) {
    e.memo1->setCurrentIndex(e.model().index(row));
    e.Memo1DblClick();
  };
  Goto_NCD_line(m.s.nc(), 5);
  dbl(0);
  EXPECT_EQ(m.s.nc().pos.cur_line, 3);  // the error's line
  dbl(1);
  EXPECT_EQ(m.s.nc().pos.block_count, 2);  // by block counter
  const int line = m.s.nc().pos.cur_line;
  dbl(2);
  EXPECT_EQ(m.s.nc().pos.cur_line, line);  // a note does not jump
  EXPECT_TRUE(e.model().entry(2).checked);
  // The next load clears it.
  ASSERT_TRUE(m.load());
  EXPECT_EQ(e.entry_count(), 0);
}

TEST(SimPanels, FindResultsGoToTheirLines) {
  Main m;
  ASSERT_TRUE(m.load());
  m.p->show_find_results("検索結果", {"      3 : G90 G54", "      9 : X20."});
  Tmemo_win& f = m.p->find_win();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.entry_count(), 2);
  EXPECT_EQ(plat::from_qstring(f.windowTitle()), "検索結果");
  f.memo1->setCurrentIndex(f.model().index(1));
  f.Memo1DblClick();
  EXPECT_EQ(m.s.nc().pos.cur_line, 8);
  m.p->show_find_results("検索結果", {"      4 : Z-5."});  // the same window, cleared first
  EXPECT_EQ(f.entry_count(), 1);
  EXPECT_EQ(m.p->err_win().entry_count(), 0);
}

TEST(SimPanels, TimerRunsWhileDamageBlinksAndTicksRedraw) {
  Main m;
  ASSERT_TRUE(m.load());
  m.s.mat->blink = 1;
  m.s.disp.SIM_VIS_WORK = 1;
  EXPECT_FALSE(m.p->timer().isActive());
  m.p->sim().note_cut_flags(1 | 4);
  EXPECT_TRUE(m.p->timer().isActive());
  EXPECT_EQ(m.p->timer().interval(), 200);
  m.ui.draws.clear();
  m.p->panel().activateWindow();
  // Offscreen, no window becomes active: the tick does nothing.
  if (QApplication::activeWindow() == nullptr) {
    EXPECT_FALSE(m.p->sim().Timer1Timer());
  }
  m.action("MMW17_RED_FLASH")->trigger();  // blinking off
  EXPECT_FALSE(m.p->timer().isActive());
}

TEST(SimPanels, SaveAllWorksThroughTheDialog) {
  Main m;
  ASSERT_TRUE(m.load());
  std::string title;
  m.p->work_file_dialog = [&](bool save, const std::string& t, fs::path& out) {
    EXPECT_TRUE(save);
    title = t;
    out = m.dir / "saved.wok";
    return true;
  };
  m.action("MMW13_SAVE_ALL_WORKS")->trigger();
  EXPECT_EQ(title, "VLM WORK 全データの保存");
  EXPECT_TRUE(fs::exists(m.dir / "saved.wok"));
}

}  // namespace
