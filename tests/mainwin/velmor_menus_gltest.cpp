// The main window's menus, tool bar and listing pop-up on the real window: every item from
// the table with its Tag and key, every shown item with its command, and what a few of them
// do when triggered.
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QWindow>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QDropEvent>
#include <cstdlib>
#include <functional>
#include <QListView>
#include <QAbstractItemModel>
#include <QPushButton>

#include "mainwin/core/command_table.h"
#include "mainwin/core/menu_table.h"
#include "common/widgets/ctrls_ex.h"
#include "common/widgets/input_number.h"
#include "mainwin/file_list_1.h"
#include "mainwin/find_dialog_1.h"
#include "mainwin/memo_window_1.h"
#include "mainwin/list_panel_1.h"
#include "mainwin/menu_builder_1.h"
#include "mainwin/velmor_1.h"
#include "platform/core/input.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

struct Window {
  testing_support::TempDir prog, desk, work;
  fs::path cwd = fs::current_path();
  Tvelmor* w = nullptr;
  Window() {
    plat::set_data_folder(prog.path());
    plat::set_desktop_folder(desk.path());
    testing_support::write_file(work / "P.NC", "O1\r\nG0X0Y0\r\nG1X1\r\nG1X2\r\nG1X3\r\nM30\r\n");
    fs::current_path(work.path());
    w = new Tvelmor;
    w->set_start_file(work / "P.NC");
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    QTest::qWait(50);
  }
  ~Window() {
    w->close();
    delete w;
    fs::current_path(cwd);
  }
  QAction* action(const char* name) { return find_action(*w, name); }
  TSession& s() { return w->session(); }
};

}  // namespace

TEST(VelmorMenus, EveryItemIsBuiltAndEveryShownItemHasItsCommand) {
  Window win;
  for (const VLM_menu_item& it : menu_items()) {
    SCOPED_TRACE(it.component);
    QAction* a = win.action(it.component);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(action_tag(a), it.tag);
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(it.shortcut)));
    // Items whose window another part builds wait, disabled, until it registers them.
    if (it.state == VLM_item_state::enabled) EXPECT_TRUE(win.w->commands().has(it.handler, it.tag));
    // A hidden item's Tag claims a command only where one is registered.
    if (it.state == VLM_item_state::hidden)
      EXPECT_EQ(tag_has_command(it.handler, it.tag), win.w->commands().has(it.handler, it.tag));
    if (it.state == VLM_item_state::pending || it.state == VLM_item_state::inert)
      EXPECT_FALSE(a->isEnabled());
  }
  EXPECT_NE(win.w->p_menu1(), nullptr);
  EXPECT_NE(win.w->findChild<QToolBar*>(u"ToolBar1"_qs), nullptr);
}

TEST(VelmorMenus, TriggeredItemsChangeTheWindowAndBusyChangesNothing) {
  Window win;
  TSession& s = win.s();
  ASSERT_EQ(s.nc().line_count, 6);
  win.action("RIGHT1")->trigger();
  EXPECT_EQ(win.w->gl_stat().slot[0].view.rot_x, 270.0f);
  EXPECT_EQ(win.w->gl_stat().slot[0].view.rot_z, -90.0f);
  win.action("spbtn_pan")->trigger();
  EXPECT_EQ(s.form.zoom_pan_rotate & 0xF, 2);
  EXPECT_TRUE(win.action("spbtn_pan")->isChecked());
  win.action("ZOOMOVEV1")->trigger();
  EXPECT_EQ(s.form.zoom_pan_rotate, 19);
  EXPECT_TRUE(win.action("spbtn_zoomove")->isChecked());
  EXPECT_TRUE(win.action("spbtn_rotate")->isChecked());

  win.action("menu1_l")->trigger();
  EXPECT_EQ(win.w->listing().list().font_height, -18);
  EXPECT_TRUE(win.action("menu1_l")->isChecked());

  const bool tool = s.disp.VIS_TOOL != 0;
  EXPECT_EQ(win.action("menu_vis_tool")->isChecked(), tool);
  win.action("menu_vis_tool")->trigger();
  EXPECT_EQ(s.disp.VIS_TOOL != 0, !tool);
  EXPECT_EQ(win.action("menu_vis_tool")->isChecked(), !tool);
  EXPECT_EQ(win.action("menu_vis_holder")->isVisible(), !tool);
  // Refused while the menus are brought in line: switch and mark stay.
  s.menu.updating = true;
  win.action("menu_vis_tool")->trigger();
  EXPECT_EQ(win.action("menu_vis_tool")->isChecked(), !tool);
  EXPECT_EQ(s.disp.VIS_TOOL != 0, !tool);
  s.menu.updating = false;

  win.action("N20")->trigger();
  EXPECT_EQ(s.nc().pos.cur_line, 5);
  {
    plat::BusyGuard busy;
    win.action("N19")->trigger();
    win.action("New1")->trigger();
  }
  EXPECT_EQ(s.nc().pos.cur_line, 5);
  win.action("N19")->trigger();
  EXPECT_EQ(s.nc().pos.cur_line, 0);

  // Menu hiding: the menus and tool bar go, and come back.
  win.action("menu_invis_menu_mode")->trigger();
  EXPECT_FALSE(win.w->findChild<QToolBar*>(u"ToolBar1"_qs)->isVisible());
  EXPECT_FALSE(win.action("Open1")->isVisible());
  win.action("menu_invis_menu_mode")->trigger();
  EXPECT_TRUE(win.w->findChild<QToolBar*>(u"ToolBar1"_qs)->isVisible());
  EXPECT_TRUE(win.action("Open1")->isVisible());

  win.action("New1")->trigger();
  EXPECT_EQ(s.nc().line_count, 5);
  EXPECT_EQ(s.nc().file_name, "new_data.ncd");
}

TEST(VelmorMenus, WindowKeysWinOverTheFocusedRow) {
  Window win;
  // The 3D view's own native window may hold the focus after the show.
  win.w->windowHandle()->requestActivate();
  QTest::qWait(50);
  win.w->listing().panel()->row(2)->setFocus();
  QTest::qWait(20);
  // The listing may hand the focus to the current line's row.
  auto* row = qobject_cast<TNcdRow*>(QApplication::focusWidget());
  ASSERT_NE(row, nullptr);
  QSignalSpy fit(win.action("FITA1"), &QAction::triggered);
  QTest::keyClick(row, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(fit.count(), 1);
  QTest::keyClick(row, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(win.s().nc().pos.cur_line, 5);
}

TEST(VelmorMenus, ThePopUpOpensOnARowWithItsCaptions) {
  Window win;
  TSession& s = win.s();
  TListPanel* p = win.w->listing().panel();
  // The row that shows line 3.
  int row = -1;
  for (int i = 0; i < NCD_LIST_ROW_COUNT && row < 0; ++i)
    if (p->row(i)->bytes().find("3 : G1X1") != std::string::npos) row = i;
  ASSERT_GE(row, 0);
  QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5), p->row(row)->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(p->row(row), &ev);
  QMenu* m = win.w->p_menu1();
  EXPECT_TRUE(m->isVisible());
  EXPECT_EQ(s.menu.popup_row_line, 3);
  EXPECT_EQ(plat::from_qstring(win.action("spmenu_sel_start")->text()), "選択開始 ( 3 行目から)");
  EXPECT_FALSE(win.action("spmenu_sel_to_delete")->isEnabled());
  EXPECT_TRUE(win.action("menu_ins_dammy_TOOL")->isEnabled());
  EXPECT_TRUE(win.action("menu_ins_dammy_color")->isEnabled());
  win.action("spmenu_sel_start")->trigger();
  m->hide();
  EXPECT_EQ(win.w->listing().list().sel_start, 3);
  QApplication::sendEvent(p->row(row), &ev);
  EXPECT_EQ(plat::from_qstring(win.action("spmenu_sel_start")->text()), "選択開始 ( 3 行目から)");
  EXPECT_TRUE(win.action("spmenu_sel_to_delete")->isEnabled());
  EXPECT_EQ(plat::from_qstring(win.action("spmenu_list_reset")->text()).rfind("☆↑リセット( 現在 ", 0), 0u);
  m->hide();
}

TEST(VelmorMenus, DroppedFilesAndTheChooserOpenPrograms) {
  Window win;
  TSession& s = win.s();
  const fs::path sub = win.work / "sub";
  fs::create_directory(sub);
  testing_support::write_file(sub / "c.nc", "O2\r\nG0X5\r\nM30\r\n");
  testing_support::write_file(sub / "A.WOK", "x");
  auto drop = [&](const std::vector<fs::path>& files) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const fs::path& p : files) urls << QUrl::fromLocalFile(plat::path_to_qstring(p));
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 80), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(win.w, &enter);
    QDropEvent ev(QPointF(20, 80), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(win.w, &ev);
  };
  drop({sub / "A.WOK"});
  EXPECT_EQ(s.nc().file_name, "P.NC");
  drop({sub / "c.nc", win.work / "P.NC"});
  EXPECT_EQ(s.nc().file_name, "c.nc");
  EXPECT_EQ(fs::current_path(), sub);

  // Ctrl+O through the program's own chooser: its name box takes the sample's name.
  fs::current_path(win.work.path());
  win.w->windowHandle()->requestActivate();
  QTest::qWait(50);
  bool answered = false;
  QTimer::singleShot(0, [&] {
    for (int i = 0; i < 300 && !answered; ++i) {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<TFILE_SELECTION*>(top);
        if (!d || !d->isVisible() || answered) continue;
        d->ed_file->SetText(std::string("P.NC"));
        d->accept();
        answered = true;
      }
      QTest::qWait(10);
    }
  });
  QTest::keyClick(win.w->listing().panel()->row(0), Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(answered);
  EXPECT_EQ(s.nc().file_name, "P.NC");
  EXPECT_EQ(plat::from_qstring(win.w->windowTitle()).rfind("総切削長:", 0), 0u);
  EXPECT_EQ(s.env.read_env_str("f_sel_LAST_FILE", ""), "P.NC");
}

// Answers the next modal dialog of type D once it shows.
template <class D>
void answer_modal(const std::function<void(D&)>& f) {
  QTimer::singleShot(0, [f] {
    for (int i = 0; i < 300; ++i) {
      if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget()); d && d->isVisible()) {
        f(*d);
        return;
      }
      QTest::qWait(10);
    }
  });
}

// The user's way through the sample: Ctrl+O opens it through the chooser, Ctrl+J 10 goes to
// line 10, Ctrl+F "G02" with 一覧表示 lists its hits.
TEST(VelmorMenus, TheSampleOpensAndItsLinesAreFoundWithTheKeys) {
  Window win;
  TSession& s = win.s();
  const fs::path sample = fs::absolute(testing_support::data_file("")).parent_path().parent_path().parent_path() / "samples";
  fs::copy_file(sample / "SAMPLE01.NC", win.work / "SAMPLE01.NC");
  fs::copy_file(sample / "SAMPLE01.nst", win.work / "SAMPLE01.nst");
  win.w->windowHandle()->requestActivate();
  QTest::qWait(50);
  QWidget* row = win.w->listing().panel()->row(0);

  answer_modal<TFILE_SELECTION>([](TFILE_SELECTION& d) {
    d.ed_file->SetText(std::string("SAMPLE01.NC"));
    d.accept();
  });
  QTest::keyClick(row, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(s.nc().file_name, "SAMPLE01.NC");
  EXPECT_EQ(plat::from_qstring(win.w->windowTitle()).rfind("総切削長:", 0), 0u);

  answer_modal<Tinput_num_box>([](Tinput_num_box& d) {
    d.ed_text->SetText(std::string("10"));
    d.accept();
  });
  QTest::keyClick(win.w->listing().panel()->row(0), Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(s.nc().pos.cur_line, 9);  // line 10 of the listing

  answer_modal<Tfind_diag>([](Tfind_diag& d) {
    d.Edit1->SetText(std::string("G02"));
    d.Button3->click();
  });
  QTest::keyClick(win.w->listing().panel()->row(0), Qt::Key_F, Qt::ControlModifier);
  QTest::qWait(20);
  std::vector<std::string> hits;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* m = qobject_cast<Tmemo_win*>(top); m && m->isVisible())
      for (int i = 0; i < m->memo1->model()->rowCount(); ++i)
        hits.push_back(plat::from_qstring(m->memo1->model()->index(i, 0).data().toString()));
  ASSERT_FALSE(hits.empty());
  EXPECT_NE(hits[0].find("G02X80.Y20.R20."), std::string::npos) << hits[0];
}
