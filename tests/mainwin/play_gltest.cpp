// The real main window opens the sample with its automatic work and the control panel, and
// PLAY runs the program to its end (under xvfb-run).
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"
#include "ncdata/ncd_run.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "mainwin/control_view_1.h"
#include "mainwin/sim_panels_1.h"
#include "mainwin/velmor_1.h"
#include "mainwin/work_setting_windows.h"
#include "tooling/Work_set_win_2.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path sample() {
  return fs::absolute(testing_support::data_file("")).parent_path().parent_path().parent_path() /
         "samples" / "SAMPLE01.NC";
}

TEST(VelmorPlay, TheSampleOpensWithItsWorkAndPlaysToTheEnd) {
  testing_support::TempDir prog, desk;
  const fs::path cwd = fs::current_path();
  plat::set_data_folder(prog.path());
  plat::set_desktop_folder(desk.path());
  plat::ScriptedMessageBoxes boxes;  // an interference box gets OK
  for (int i = 0; i < 20; ++i) boxes.answer(plat::IDOK);
  {
    Tvelmor w;
    w.set_start_file(sample());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
    TSession& s = w.session();
    ASSERT_GT(s.nc().line_count, 0);
    Tcontroler& panel = w.sim_panels().panel();
    EXPECT_TRUE(panel.isVisible());
    // The automatic work: the pocket and the holes lie inside it.
    int works = 0;
    for (const TWORK_DATA& k : s.mat->works) works += k.in_use ? 1 : 0;
    ASSERT_EQ(works, 1);
    const TWORK_DATA& wk = s.mat->works[0];
    EXPECT_LE(wk.min.x, 0.0f);
    EXPECT_GE(wk.max.x, 80.0f);
    EXPECT_EQ(s.disp.SIM_CUTTING_MODE, 1);
    QMenu* sim = w.menuBar()->findChild<QMenu*>(QStringLiteral("MM_simulation"));
    ASSERT_TRUE(sim);
    EXPECT_TRUE(w.findChild<QAction*>(QStringLiteral("MMW13_SAVE_ALL_WORKS"))->isVisible());

    panel.core().set_last_event(0);
    // The test's press stays down until the handler returns: the latches answer "no button".
    plat::ScriptedInput in;
    QTest::mousePress(panel.Btn01_play, Qt::LeftButton);
    QTest::mouseRelease(panel.Btn01_play, Qt::LeftButton);
    NCD_DATA& d = s.nc();
    EXPECT_EQ(d.pos.block_count, d.pos.total_blocks);
    EXPECT_EQ(d.exec.status, NCD_ST_ERROR);  // the program end
    int cut = 0;  // the pocket and the holes lowered grid points, marked with their lines
    for (const TGRID_POINT& g : wk.grid) cut += g.mark >= 0 ? 1 : 0;
    EXPECT_GT(cut, 0);
    EXPECT_TRUE(panel.Btn05_step->isEnabled());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_NE(plat::from_qstring(panel.windowTitle()), "controler");
    w.close();
  }
  fs::current_path(cwd);
}

TEST(VelmorPlay, TheWorkSetUpOpensFromTheMenuAndThePanelAndEndsWithItsWindow) {
  testing_support::TempDir prog, desk;
  const fs::path cwd = fs::current_path();
  plat::set_data_folder(prog.path());
  plat::set_desktop_folder(desk.path());
  plat::ScriptedMessageBoxes boxes;
  {
    Tvelmor w;
    w.set_start_file(sample());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
    TSession& s = w.session();
    Tcontroler& panel = w.sim_panels().panel();
    TWorkSetWin& win = w.work_settings().work_window();
    QAction* item = w.findChild<QAction*>(QStringLiteral("MMW03_setup_work"));
    ASSERT_TRUE(item);
    QMenu* file = w.menuBar()->findChild<QMenu*>(QStringLiteral("File1"));
    ASSERT_TRUE(file);
    struct Opener {
      const char* what;
      std::function<void()> open;
    };
    const Opener openers[] = {
        {"the simulation menu", [&] { item->trigger(); }},
        {"the panel's button", [&] { QTest::mouseClick(panel.Button3, Qt::LeftButton); }},
    };
    for (const Opener& o : openers) {
      ASSERT_TRUE(panel.isVisible()) << o.what;
      EXPECT_TRUE(panel.Button3->isVisibleTo(panel.pnl2)) << o.what;
      EXPECT_TRUE(item->isVisible() && item->isEnabled()) << o.what;
      const int cutting = s.disp.SIM_CUTTING_MODE;
      o.open();
      QTest::qWait(20);
      // The window shows the automatic work; the panel and the main menus wait for it.
      ASSERT_TRUE(win.isVisible()) << o.what;
      EXPECT_FALSE(panel.isVisible()) << o.what;
      EXPECT_FALSE(file->isEnabled()) << o.what;
      EXPECT_EQ(win.Get_current_WORK_num(), 0) << o.what;
      // A second opening while it is shown changes nothing.
      item->trigger();
      EXPECT_TRUE(win.isVisible()) << o.what;
      win.hide();
      QTest::qWait(20);
      EXPECT_TRUE(panel.isVisible()) << o.what;
      EXPECT_TRUE(file->isEnabled()) << o.what;
      EXPECT_EQ(s.disp.SIM_CUTTING_MODE, cutting) << o.what;
      EXPECT_EQ(s.disp.SIM_VIS_WORK, 1) << o.what;
    }
    w.close();
  }
  fs::current_path(cwd);
}

}  // namespace
