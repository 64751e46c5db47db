// The real main window's picks, marks, dialogs and menus, driven through the window system
// (under xvfb-run): the Ctrl+left pick into the error list, the measure pick, the ball-radius
// raise, the step mark, the print preview's margin, the work set-up and the menu-hiding mode,
// the tool list, the help items, the fit around the dimension texts and the GL table's settings.
#include "tests/support/velmor_window.h"

#include <QCheckBox>
#include <QAbstractScrollArea>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>
#include <cstdint>

#include "common/stroke_font.h"
#include "mainwin/control_view_1.h"
#include "mainwin/core/menu_table.h"
#include "mainwin/core/view_fit.h"
#include "mainwin/core/view_tool.h"
#include "mainwin/memo_window_1.h"
#include "mainwin/sim_panels_1.h"
#include "mainwin/view/view_gl.h"
#include "mainwin/view_panel_1.h"
#include "mainwin/work_setting_windows.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "simulation/work_cells.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "tests/support/on_modal.h"
#include "tooling/Work_set_win_2.h"
#include "tooling/cutter_set_win_1.h"
#include "tooling/preview_win_1.h"
#include "tooling/tool_list_win_1.h"

namespace fs = std::filesystem;
using testing_support::VelmorWindow;

namespace {

// Pixels of the shown picture (front buffer) with exactly this colour.
int pixels_of(VelmorWindow& v, QRgb c) {
  const QImage img = v.w->gl_stat().grab(0).convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
  return n;
}

int non_background(VelmorWindow& v) {
  const QImage img = v.w->gl_stat().grab(0).convertToFormat(QImage::Format_RGB32);
  const QRgb bg = img.pixel(1, 1);
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != bg;
  return n;
}

// A check box is clicked on its indicator.
void click_check(QCheckBox* c) {
  testing_support::click_widget(c, Qt::LeftButton, {}, QPoint(6, c->height() / 2));
}

}  // namespace

TEST(VelmorWindow, ACtrlPickOfADamagedPointFillsTheErrorListAndShowsThePickedCell) {
  VelmorWindow v(testing_support::sample_program());
  TSession& s = v.s();
  Tmat& m = *s.mat;
  ASSERT_TRUE(m.works[0].in_use);
  Tcontroler& panel = v.w->sim_panels().panel();
  {
    plat::ScriptedInput in;  // the press stays down while PLAY runs
    testing_support::click_widget(panel.Btn01_play);
  }
  // The top view, fitted, without the tool over the pick; a grid point the pocket cut,
  // marked as cut by G00.
  s.disp.VIS_TOOL = s.disp.VIS_HOLDER = 0;
  m.tool_mode = 0;  // nor the cutting tool's body
  v.top_view_fitted();
  TWORK_DATA& w = m.works[0];
  int index = -1;
  for (int iy = 0; iy <= w.ny && index < 0; ++iy)
    for (int ix = 0; ix <= w.nx; ++ix) {
      const int i = iy * (w.nx + 1) + ix;
      if (w.xs[ix] > 20 && w.xs[ix] < 40 && w.ys[iy] > 10 && w.ys[iy] < 30 &&
          w.grid[static_cast<std::size_t>(i)].mark >= 0) {
        index = i;
        break;
      }
    }
  ASSERT_GE(index, 0);
  TGRID_POINT& gp = w.grid[static_cast<std::size_t>(index)];
  gp.col[2] = 1;
  gp.col[3] = 128;
  const int line = gp.mark;
  const VEC3 at = work_grid_point(w, index);
  v.key(Qt::Key_D, Qt::ControlModifier);
  Tmemo_win& err = v.w->sim_panels().err_win();
  const int lines_before = err.entry_count();
  QTest::mouseClick(v.view(), Qt::LeftButton, Qt::ControlModifier, v.project(at.x, at.y, at.z));
  NCD_DATA& d = s.nc();
  EXPECT_EQ(d.pos.cur_line, line);
  EXPECT_TRUE(err.isVisible());
  ASSERT_EQ(err.entry_count(), lines_before + 1);
  char head[32];
  std::snprintf(head, sizeof head, "%7d : ", line + 1);
  EXPECT_EQ(err.model().entry(err.entry_count() - 1).text, std::string(head) + "破損チェックあり : G00で加工,");
  EXPECT_EQ(err.model().entry(err.entry_count() - 1).value, d.pos.block_count);
  // The drawn range runs from the first block of the tool in force.
  EXPECT_EQ(d.pos.mark_first, d.run.st.tool_first_block);
  EXPECT_EQ(d.pos.mark_last, d.pos.block_count);
  // The picked point shows while the tool stands on it; the picked cell is the point's.
  EXPECT_EQ(m.pick_count, 1);
  EXPECT_EQ(m.pick.ix + m.pick.iy * (w.nx + 1), index);
  EXPECT_EQ(m.pick.damage, 128);
}

TEST(VelmorWindow, TheWorkWindowsCtrlArrowsMoveThePickedCellWithItsMark) {
  VelmorWindow v(testing_support::sample_program());
  TSession& s = v.s();
  Tmat& m = *s.mat;
  ASSERT_TRUE(v.menu_item("MM_simulation", "MMW03_setup_work"));
  TWorkSetWin& win = v.w->work_settings().work_window();
  ASSERT_TRUE(QTest::qWaitFor([&] { return win.isVisible(); }, 1000));
  // The work set-up closes the menus that would change the program under it.
  for (const char* name : work_setup_disabled_components()) {
    if (QMenu* mm = v.menu(name)) EXPECT_FALSE(mm->menuAction()->isEnabled()) << name;
  }
  EXPECT_FALSE(v.w->findChild<QToolBar*>(QStringLiteral("ToolBar1"))->isEnabled());
  auto* measure = win.findChild<QCheckBox*>(QStringLiteral("chk_MatrixLine"));
  ASSERT_TRUE(measure);
  if (!measure->isChecked()) click_check(measure);
  ASSERT_NE(s.disp.WSW_MatrixLine, 0);
  auto* edit = win.findChild<QLineEdit*>(QStringLiteral("ED_minX"));
  ASSERT_TRUE(edit);
  edit->setFocus();
  m.pick.work = -1;
  testing_support::key_to(edit, Qt::Key_Right, Qt::ControlModifier);
  testing_support::key_to(edit, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(m.pick.ix, 1);
  EXPECT_EQ(m.pick.iy, 1);
  const TWORK_DATA& w = m.works[m.pick.work];
  EXPECT_FLOAT_EQ(m.pick.x, w.xs[1]);
  EXPECT_EQ(m.pick.mark, w.grid[static_cast<std::size_t>(w.nx + 2)].mark);
  win.hide();
  QTest::qWait(20);
  EXPECT_TRUE(v.menu("Setting1")->menuAction()->isEnabled());
}

TEST(VelmorWindow, AMeasurePickTakesTheLinesEndAsTheFrameHeightAndStandsTheToolThere) {
  VelmorWindow v(testing_support::sample_program());
  TSession& s = v.s();
  // The pocket's side "X60." (line 13) at Z -2, seen from the top.
  v.top_view_fitted();
  const QPoint on_line = v.project(30, 40, -2);
  ASSERT_TRUE(v.menu_item("MM_simulation", "MMW03_setup_work"));
  TWorkSetWin& win = v.w->work_settings().work_window();
  ASSERT_TRUE(QTest::qWaitFor([&] { return win.isVisible(); }, 1000));
  auto* measure = win.findChild<QCheckBox*>(QStringLiteral("chk_MatrixLine"));
  auto* second = win.findChild<QCheckBox*>(QStringLiteral("chk_manual_cut_mode"));
  ASSERT_TRUE(measure && second);
  if (!measure->isChecked()) click_check(measure);
  if (!second->isChecked()) click_check(second);
  ASSERT_NE(s.disp.WSW_MatrixLine, 0);
  ASSERT_NE(s.disp.WSW_MANUAL_CUTMODE, 0);
  s.mat->frame_height = 7;
  Goto_NCD_line(s.nc(), 2);
  QTest::mouseClick(v.view(), Qt::RightButton, Qt::ControlModifier, on_line);
  EXPECT_EQ(s.nc().pos.cur_line, 13);
  EXPECT_FLOAT_EQ(s.mat->frame_height, -2.0f);
  const TVLM_view& view = v.w->findChild<Tview_panel*>()->view();
  EXPECT_NEAR(view.tool_position()[2], -2, 1e-4);
  EXPECT_NEAR(view.tool_position()[0], s.nc().exec.cur.x, 1e-3);
  EXPECT_NEAR(view.tool_position()[1], s.nc().exec.cur.y, 1e-3);
  const QLineEdit* shown = win.findChild<QLineEdit*>(QStringLiteral("ED_KEISOKU_VIEW"));
  ASSERT_TRUE(shown);
  char want[96];
  std::snprintf(want, sizeof want, "( %.3f , %.3f , %.3f)", s.nc().exec.cur.x, s.nc().exec.cur.y,
                -2.0);
  EXPECT_EQ(plat::from_qstring(shown->text()), want);
  // A step on to "G00Z50." (line 19), then a redraw from the work window: the tool shows
  // where the program stands, at the frame height.
  Goto_NCD_line(s.nc(), 18);
  {
    plat::ScriptedInput in;
    testing_support::click_widget(v.w->sim_panels().panel().Btn05_step);
  }
  ASSERT_EQ(s.nc().pos.cur_line, 19);
  ASSERT_NEAR(s.nc().exec.cur.z, 50, 1e-3);
  ASSERT_NEAR(view.tool_position()[2], 50, 1e-3);
  auto* see_through = win.findChild<QCheckBox*>(QStringLiteral("chk_SeeTh_mode"));
  ASSERT_TRUE(see_through);
  click_check(see_through);
  EXPECT_NEAR(view.tool_position()[2], -2, 1e-4);
  EXPECT_NEAR(view.tool_position()[0], s.nc().exec.cur.x, 1e-3);
  EXPECT_NEAR(view.tool_position()[1], s.nc().exec.cur.y, 1e-3);
  win.hide();
}

TEST(VelmorWindow, TheBallRadiusSwitchAndThePanelsBoxGoTogether) {
  VelmorWindow v;
  testing_support::write_file(v.work / "B.NC",
                              "%\r\nT2M06\r\nG90G00X0Y0Z10.\r\nG01Z0F100\r\nX40.\r\nM30\r\n%\r\n");
  testing_support::write_file(v.work / "B.nst",
                              "(VLM N2 \"BALL-R5\" )\r\n(VLM T2 A2H5.0C10B20D30E10F40G12)\r\n"
                              "(VLM H2 A49B72)\r\n");
  v.restart(v.work / "B.NC");
  TSession& s = v.s();
  ASSERT_GT(s.nc().line_count, 0);
  Tcontroler& panel = v.w->sim_panels().panel();
  EXPECT_EQ(panel.v34_chk_up_BALL_R->isChecked(), s.disp.CHK_UP_BALL_R != 0);
  if (s.disp.CHK_UP_BALL_R) ASSERT_TRUE(v.menu_item("View1", "menu_chk_up_BALL_R"));
  ASSERT_EQ(s.disp.CHK_UP_BALL_R, 0);
  // The front view; location mode; the cut "X40." at Z 0 and 5 above it.
  v.key(Qt::Key_2, Qt::ControlModifier);
  v.key(Qt::Key_A, Qt::ControlModifier);
  QToolBar* bar = v.w->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
  testing_support::click_widget(bar->widgetForAction(v.action("spbtn_location")));
  const QPoint low = v.project(20, 0, 0), high = v.project(20, 0, 5);
  ASSERT_GT(std::abs(low.y() - high.y()), 8);
  // (the raise is that of the tool in force: line 4 stands after T2M06)
  Goto_NCD_line(s.nc(), 3);
  QTest::mouseClick(v.view(), Qt::RightButton, {}, high);
  EXPECT_EQ(s.nc().pos.cur_line, 3);  // nothing drawn up there
  QTest::mouseClick(v.view(), Qt::RightButton, {}, low);
  EXPECT_EQ(s.nc().pos.cur_line, 4);
  // The panel's switch raises the path by the ball's radius 5.
  ASSERT_TRUE(v.menu_item("View1", "menu_chk_up_BALL_R"));
  EXPECT_EQ(s.disp.CHK_UP_BALL_R, 1);
  EXPECT_TRUE(panel.v34_chk_up_BALL_R->isChecked());
  EXPECT_TRUE(v.action("menu_chk_up_BALL_R")->isChecked());
  EXPECT_DOUBLE_EQ(tool_ball_radius(s, 2), 5.0);
  Goto_NCD_line(s.nc(), 3);
  QTest::mouseClick(v.view(), Qt::RightButton, {}, low);
  EXPECT_EQ(s.nc().pos.cur_line, 3);  // the cut is no longer drawn at its own height
  QTest::mouseClick(v.view(), Qt::RightButton, {}, high);
  EXPECT_EQ(s.nc().pos.cur_line, 4);
}

// Whether the shown picture has anything but the background within 2 pixels of `at`.
bool drawn_near(VelmorWindow& v, QPoint at) {
  const QImage img = v.w->gl_stat().grab(0).convertToFormat(QImage::Format_RGB32);
  const QRgb bg = img.pixel(1, 1);
  const qreal dpr = v.view()->devicePixelRatio();
  const QPoint p(static_cast<int>(at.x() * dpr), static_cast<int>(at.y() * dpr));
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx)
      if (img.valid(p.x() + dx, p.y() + dy) && img.pixel(p.x() + dx, p.y() + dy) != bg) return true;
  return false;
}

TEST(VelmorWindow, TheBallRadiusRaiseIsDrawnForEachMoveByTheToolThatCutsIt) {
  VelmorWindow v;
  // The ball end mill R5 cuts X0..X40 at Z 0, then the flat end mill X60..X100 at Z -5.
  testing_support::write_file(v.work / "B.NC",
                              "%\r\nT2M06\r\nG90G00X0Y0Z10.\r\nG01Z0F100\r\nX40.\r\n"
                              "G00Z50.\r\nT1M06\r\nG00X60.Y0Z10.\r\nG01Z-5.F100\r\nX100.\r\n"
                              "G00Z50.\r\nM30\r\n%\r\n");
  testing_support::write_file(v.work / "B.nst",
                              "(VLM N1 \"FLAT\" )\r\n(VLM T1 A1B29C10D20E10F40G10)\r\n"
                              "(VLM H1 A49B72)\r\n"
                              "(VLM N2 \"BALL-R5\" )\r\n(VLM T2 A2H5.0C10B20D30E10F40G12)\r\n"
                              "(VLM H2 A49B72)\r\n");
  v.restart(v.work / "B.NC");
  TSession& s = v.s();
  ASSERT_GT(s.nc().line_count, 0);
  // (no tool, works or boundary box over the lines probed)
  s.disp.VIS_TOOL = 0;
  s.disp.SIM_VIS_WORK = 0;
  s.disp.VIS_BOUNDARY = 0;
  if (s.disp.CHK_UP_BALL_R) ASSERT_TRUE(v.menu_item("View1", "menu_chk_up_BALL_R"));
  ASSERT_EQ(s.disp.CHK_UP_BALL_R, 0);
  v.key(Qt::Key_2, Qt::ControlModifier);
  v.key(Qt::Key_A, Qt::ControlModifier);
  QTest::qWait(20);
  const QPoint ball_low = v.project(20, 0, 0), ball_high = v.project(20, 0, 5);
  const QPoint flat_low = v.project(80, 0, -5), flat_high = v.project(80, 0, 0);
  ASSERT_GT(std::abs(ball_low.y() - ball_high.y()), 8);
  EXPECT_TRUE(drawn_near(v, ball_low));
  EXPECT_FALSE(drawn_near(v, ball_high));
  EXPECT_TRUE(drawn_near(v, flat_low));
  // The position does not matter: before the first tool change, and after the last one.
  for (int line : {0, 8}) {
    SCOPED_TRACE(line);
    Goto_NCD_line(s.nc(), line);
    ASSERT_TRUE(v.menu_item("View1", "menu_chk_up_BALL_R"));
    ASSERT_EQ(s.disp.CHK_UP_BALL_R, 1);
    QTest::qWait(20);
    EXPECT_TRUE(drawn_near(v, ball_high));
    EXPECT_FALSE(drawn_near(v, ball_low));
    EXPECT_TRUE(drawn_near(v, flat_low));  // the flat end mill's cut stays where it is
    EXPECT_FALSE(drawn_near(v, flat_high));
    ASSERT_TRUE(v.menu_item("View1", "menu_chk_up_BALL_R"));
    ASSERT_EQ(s.disp.CHK_UP_BALL_R, 0);
    QTest::qWait(20);
    EXPECT_TRUE(drawn_near(v, ball_low));
    EXPECT_FALSE(drawn_near(v, ball_high));
  }
}

TEST(VelmorWindow, AStepMarksTheCurrentMoveOverThePicture) {
  VelmorWindow v(testing_support::sample_program());
  TSession& s = v.s();
  s.disp.SIM_VIS_WORK = 0;  // the step draws onto the picture only without works
  Tcontroler& panel = v.w->sim_panels().panel();
  Goto_NCD_line(s.nc(), 12);
  v.key(Qt::Key_D, Qt::ControlModifier);
  const int plain = non_background(v);
  {
    plat::ScriptedInput in;
    testing_support::click_widget(panel.Btn05_step);
  }
  ASSERT_EQ(s.nc().pos.cur_line, 13);
  const int stepped = non_background(v);
  // The move "X60." in width 2 over the drawn path: a line of some 60 pixels more.
  EXPECT_GT(stepped, plain + 40);
  // The spindle turns here, but without the works no turning tool was drawn: the tool
  // timer (every 200 ms) redraws nothing, and the mark stays.
  ASSERT_EQ(s.nc().exec.spindle, 3);
  QTest::qWait(450);
  EXPECT_EQ(non_background(v), stepped);
}

TEST(VelmorWindow, ThePrintPreviewsMarginAndQualityComeBackIntoTheSettingsAndMenus) {
  VelmorWindow v(testing_support::sample_program());
  TSession& s = v.s();
  ASSERT_EQ(s.disp.T_SET_LEFT_SPACE, 0);
  ASSERT_TRUE(v.action("menu_chk_upper")->isChecked());
  bool seen = false, started_upper = false;
  testing_support::on_modal(v.w, [&](QWidget* dlg) {
    auto* win = dynamic_cast<TPREVIEW_win*>(dlg);
    if (!win) {
      dlg->close();
      return;
    }
    seen = true;
    auto* upper = win->findChild<QAction*>(QStringLiteral("chk_upper"));
    auto* left = win->findChild<QAction*>(QStringLiteral("chk_left"));
    auto* high = win->findChild<QCheckBox*>(QStringLiteral("chk_high_quality"));
    if (!upper || !left || !high) {
      ADD_FAILURE() << "preview items";
      win->reject();
      return;
    }
    started_upper = upper->isChecked();
    QMenuBar* bar = win->findChild<QMenuBar*>();
    QMenu* other = qobject_cast<QMenu*>(left->associatedObjects().value(0));
    if (bar && other) testing_support::click_menu_item(bar, other, left);
    if (!high->isChecked()) click_check(high);
    win->reject();
  });
  QToolBar* bar = v.w->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
  testing_support::click_widget(bar->widgetForAction(v.action("spbtn_print_setup")));
  ASSERT_TRUE(seen);
  EXPECT_TRUE(started_upper);
  EXPECT_EQ(s.disp.T_SET_LEFT_SPACE, 1);
  EXPECT_TRUE(v.action("menu_chk_left")->isChecked());
  EXPECT_FALSE(v.action("menu_chk_upper")->isChecked());
  EXPECT_EQ(s.disp.POUT_HI_QUALITY, 1);
  EXPECT_TRUE(v.action("menu_hi_quality")->isChecked());
  EXPECT_FALSE(v.action("menu_normal_quality")->isChecked());
}

TEST(VelmorWindow, TheMenuHidingModeHidesTheCopyOutsAndTheSettings) {
  VelmorWindow v(testing_support::sample_program());
  ASSERT_TRUE(v.menu_item("View1", "menu_invis_menu_mode"));
  QTest::qWait(20);
  for (const char* name : menu_mode_hidden_components()) {
    SCOPED_TRACE(name);
    if (QAction* a = v.action(name)) EXPECT_FALSE(a->isVisible());
    else if (QMenu* m = v.menu(name)) EXPECT_FALSE(m->menuAction()->isVisible());
    else if (auto* t = v.w->findChild<QToolBar*>(QString::fromLatin1(name))) EXPECT_FALSE(t->isVisible());
    else ADD_FAILURE() << "not built";
  }
  EXPECT_FALSE(v.action("MM_36_MOVE")->isVisible());
  EXPECT_TRUE(v.menu("View1")->menuAction()->isVisible());
}

TEST(VelmorWindow, TheToolListComesThroughTheToolSettingsWindowWithThePanelAway) {
  VelmorWindow v(testing_support::sample_program());
  Tcontroler& panel = v.w->sim_panels().panel();
  ASSERT_TRUE(panel.isVisible());
  const fs::path folder = fs::current_path();
  bool list_shown = false, panel_hidden = false;
  testing_support::on_modal(v.w, [&](QWidget* dlg) {
    list_shown = dynamic_cast<TTOOL_LIST_win*>(dlg) != nullptr;
    panel_hidden = !panel.isVisible();
    fs::current_path(v.desk.path());  // the list may move about
    static_cast<QDialog*>(dlg)->reject();
  });
  ASSERT_TRUE(v.menu_item("Tool1", "menu_tool_list_1"));
  EXPECT_TRUE(list_shown);
  EXPECT_TRUE(panel_hidden);
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(fs::current_path(), folder);
}

TEST(VelmorWindow, ACardDoubleClickedInTheToolListOpensTheToolSettingsOnItsTool) {
  VelmorWindow v(testing_support::sample_program());
  TSession& s = v.s();
  Goto_NCD_line(s.nc(), 0);  // no tool in force yet
  int card_slot = -1, card_T = -1, settings_slot = -2;
  bool settings_shown = false;
  testing_support::on_modal(v.w, [&](QWidget* dlg) {
    auto* list = dynamic_cast<TTOOL_LIST_win*>(dlg);
    if (!list) {
      static_cast<QDialog*>(dlg)->reject();
      return;
    }
    // the settings window comes up once the list has closed on the picked card
    testing_support::on_modal(v.w, [&](QWidget* next) {
      if (auto* set = dynamic_cast<Tcutter_set_win*>(next)) {
        settings_shown = true;
        settings_slot = set->selected_slot();
      }
      static_cast<QDialog*>(next)->reject();
    });
    const TTOOL_LIST_model& m = list->model();
    auto* area = list->findChild<QAbstractScrollArea*>();
    if (m.items.size() < 2 || !area) {
      list->reject();
      return;
    }
    const TLIST_ITEMS& card = m.items[1];
    card_slot = card.slot;
    card_T = card.T_number;
    QWidget* port = area->viewport();
    const int y = (card.top + card.bottom) / 2 - area->verticalScrollBar()->value();
    QTest::mouseDClick(port->window()->windowHandle(), Qt::LeftButton, {},
                       port->mapTo(port->window(), QPoint(port->width() / 2, y)));
  });
  ASSERT_TRUE(v.menu_item("Tool1", "menu_tool_list_1"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return settings_shown; }, 3000));
  EXPECT_EQ(card_T, 2);
  EXPECT_EQ(settings_slot, card_slot);
}

TEST(VelmorWindow, TheHelpItemsSayThatNoHelpFileComesWithThisBuild) {
  VelmorWindow v(testing_support::sample_program());
  plat::ScriptedMessageBoxes boxes;
  ASSERT_TRUE(v.menu_item("MM_other", "MM96_HOME_PAGE"));
  ASSERT_TRUE(v.menu_item("MM_other", "MM97_MAIL"));
  ASSERT_EQ(boxes.shown.size(), 2u);
  for (const auto& b : boxes.shown) EXPECT_EQ(b.text, "ヘルプファイルは同梱されていません。");
}

TEST(VelmorWindow, TheFitTakesTheDimensionTextsIn) {
  VelmorWindow v;
  // A long thin path: the Y size's text stands right of it.
  testing_support::write_file(v.work / "L.NC", "%\r\nG90G00X0Y0Z0\r\nG01X300.F100\r\nY2.\r\nM30\r\n%\r\n");
  v.restart(v.work / "L.NC");
  TSession& s = v.s();
  ASSERT_NE(s.disp.VIS_BOUNDARY, 0);
  v.top_view_fitted();
  TGL_VIEW& g = v.gl_view();
  ViewBox box;
  box.lo[0] = 0, box.hi[0] = 300, box.hi[1] = 2;
  box.valid = true;
  const double h = g.pixel_size * 0.7 * std::max(1.0f, s.disp.dim_height);
  for (const ViewDimText& t : view_dimension_texts(box, h)) {
    TStroke_text st;
    make_3D_text_strokes(t.mode, t.text, st, 0, static_cast<float>(h * 0.3), static_cast<float>(h),
                         VEC3{static_cast<float>(t.x), static_cast<float>(t.y), static_cast<float>(t.z)});
    for (int k = 0; k < st.count; ++k)
      for (int i = 0; i < st.glyphs[k].count; ++i) {
        const VEC3& p = st.glyphs[k].points[i];
        const QPoint q = v.project(p.x, p.y, p.z);
        EXPECT_GE(q.x(), 0) << t.text;
        EXPECT_LE(q.x(), g.panel_w) << t.text;
      }
  }
}

TEST(VelmorWindow, TheGLTableHasTheDesktopAndTheHiddenItemSwitchesItsVerboseLog) {
  VelmorWindow v(testing_support::sample_program());
  Tgl_func& gl = v.w->gl_stat();
  EXPECT_EQ(gl.desktop, plat::utf8_to_cp932(v.desk.path().string()));
  EXPECT_FALSE(gl.verbose);
  QAction* item = v.action("menu_saving_opengl_data");
  ASSERT_FALSE(item->isVisible());  // hidden: no click reaches it, its trigger stands in
  item->trigger();
  EXPECT_TRUE(gl.verbose);
  item->trigger();
  EXPECT_FALSE(gl.verbose);
}

TEST(VelmorWindow, AProgramWithErrorsOpensWithTheLocationItemChecked) {
  VelmorWindow v;
  testing_support::write_file(v.work / "E.NC", "%\r\nG90G00X0Y0\r\nG01X10.F100\r\nX20.F-50\r\nX30.\r\nM30\r\n%\r\n");
  plat::ScriptedMessageBoxes boxes;
  v.restart(v.work / "E.NC");
  TSession& s = v.s();
  ASSERT_FALSE(s.nc().run.err_list.empty());
  EXPECT_EQ(s.disp.VIS_LOC_FLAG, 1);
  EXPECT_TRUE(v.action("menu_vis_loc")->isChecked());
  // The first click turns it off, mark and switch together.
  ASSERT_TRUE(v.menu_item("View1", "menu_vis_loc"));
  EXPECT_EQ(s.disp.VIS_LOC_FLAG, 0);
  EXPECT_FALSE(v.action("menu_vis_loc")->isChecked());
}
