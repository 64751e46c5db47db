// The main window as a machinist meets it, on the real window under xvfb-run: cutter
// compensation cut and drawn, the listing after a jump, the tool list's output window, the
// view's zoom at the start, the idle tool turning, an empty program.
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"
#include "ncdata/ncd_run.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <cmath>

#include "mainwin/control_view_1.h"
#include "mainwin/core/control_panel.h"
#include "mainwin/sim_panels_1.h"
#include "mainwin/velmor_1.h"
#include "mainwin/view/view_gl.h"
#include "mainwin/view_panel_1.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path samples() {
  return fs::absolute(testing_support::data_file("")).parent_path().parent_path().parent_path() /
         "samples";
}

// A click through the window system: at `at` of the widget, on its top-level window.
void click(QWidget* wd, QPoint at = {-1, -1}) {
  if (at.x() < 0) at = wd->rect().center();
  QWidget* top = wd->window();
  QWindow* win = top->windowHandle();
  ASSERT_TRUE(win) << "no native window for " << wd->objectName().toStdString();
  QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, wd->mapTo(top, at));
  QTest::qWait(10);
}

// Opens the menu bar's menu and clicks its item, as the user does.
void choose(QMainWindow& w, const char* menu, const char* item) {
  QMenuBar* bar = w.menuBar();
  auto* m = bar->findChild<QMenu*>(QString::fromLatin1(menu));
  auto* a = w.findChild<QAction*>(QString::fromLatin1(item));
  ASSERT_TRUE(m && a) << menu << " " << item;
  click(bar, bar->actionGeometry(m->menuAction()).center());
  for (int i = 0; i < 100 && !m->isVisible(); ++i) QTest::qWait(10);
  ASSERT_TRUE(m->isVisible()) << menu;
  click(m, m->actionGeometry(a).center());
  QTest::qWait(20);
}

// The T1 lines of the sample's tool file: a flat end mill of diameter 10.
std::string sample_T1_lines() {
  const std::string nst = testing_support::read_file(samples() / "SAMPLE01.nst");
  std::string out;
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t e = nst.find('\n', at);
    out += nst.substr(at, e == std::string::npos ? std::string::npos : e + 1 - at);
    at = e + 1;
  }
  return out;
}

const char kG41Program[] =
    "%\r\n"
    "O0100(G41 TEST)\r\n"
    "(VLM ORIGN X0Y0Z100.)\r\n"
    "G90G54G00X-20.Y0.\r\n"
    "T1M06\r\n"
    "G43Z10.H01\r\n"
    "G01Z-2.F100\r\n"
    "G41X0.Y0.D01\r\n"
    "Y50.\r\n"
    "X50.\r\n"
    "Y0.\r\n"
    "X0.\r\n"
    "G40X-20.\r\n"
    "G00Z100.\r\n"
    "M30\r\n"
    "%\r\n";

struct Folders {
  testing_support::TempDir prog, desk, work;
  fs::path cwd = fs::current_path();
  Folders() {
    plat::set_data_folder(prog.path());
    plat::set_desktop_folder(desk.path());
    fs::current_path(work.path());
  }
  ~Folders() { fs::current_path(cwd); }
};

// The grid point of the work nearest to (x, y).
const TGRID_POINT& grid_at(const TWORK_DATA& k, float x, float y) {
  const int i = std::clamp(static_cast<int>(std::lround((x - k.min.x) / k.step_x)), 0, k.nx);
  const int j = std::clamp(static_cast<int>(std::lround((y - k.min.y) / k.step_y)), 0, k.ny);
  return k.grid[static_cast<std::size_t>(j) * static_cast<std::size_t>(k.nx + 1) +
                static_cast<std::size_t>(i)];
}

}  // namespace

// The G41 program of a 50 mm square with the sample's 10 mm end mill: the groove runs
// outside the square, the tool stands at the compensated corners, the cutting length is
// that of the compensated path, and the settings switch turns it all off and on again.
TEST(VelmorMachinist, CutterCompensationReachesTheWindowAndItsSwitch) {
  Folders f;
  plat::ScriptedMessageBoxes boxes;
  testing_support::write_file(f.work / "G41.NC", kG41Program);
  testing_support::write_file(f.work / "G41.nst", sample_T1_lines());
  Tvelmor w;
  w.set_start_file(f.work / "G41.NC");
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTest::qWait(50);
  TSession& s = w.session();
  NCD_DATA& d = s.nc();
  ASSERT_EQ(d.line_count, 16);
  ASSERT_TRUE(d.exec_opt.comp_enabled);
  const TVLM_view& view = w.findChild<Tview_panel*>()->view();
  Tcontroler& panel = w.sim_panels().panel();
  ASSERT_TRUE(panel.isVisible());

  // Outside: three quarter circles of radius 5 round the corners, the last side, the cancel.
  const double compensated = 3 * (50 + 5 * M_PI / 2) + 50 + std::hypot(20.0, 5.0);
  auto cut_length = [&] { return d.run.stats.size() > 1 ? d.run.stats[1].cut_len : -1.0f; };
  EXPECT_NEAR(cut_length(), compensated, 0.01);
  EXPECT_NE(plat::from_qstring(w.windowTitle()).find("総切削長:244mm"), std::string::npos)
      << plat::from_qstring(w.windowTitle());

  // Step to the first side (line 9, "Y50."): the tool stands past the corner's arc.
  auto step_to = [&](int line) {
    plat::ScriptedInput in;
    for (int i = 0; i < 30 && d.pos.cur_line != line; ++i) {
      QTest::qWait(CONTROLER_DEBOUNCE_MS + 20);  // the panel's debounce
      click(panel.Btn05_step);
    }
    ASSERT_EQ(d.pos.cur_line, line);
  };
  // The automatic work's top lies 20 above the cut's depth, above the rapid to Z10: the
  // run goes on through that touch.
  ASSERT_TRUE(s.disp.NG_ERR_STOP);
  choose(w, "MM_simulation", "MMW19_NG_ERR_STOP");
  ASSERT_FALSE(s.disp.NG_ERR_STOP);
  step_to(8);
  EXPECT_NEAR(view.tool_position()[0], 0, 1e-3);
  EXPECT_NEAR(view.tool_position()[1], 55, 1e-3);

  // The whole program cut: the groove lies between X-10 and X0 on the left side.
  {
    plat::ScriptedInput in;
    QTest::qWait(CONTROLER_DEBOUNCE_MS + 20);
    click(panel.Btn01_play);
  }
  ASSERT_EQ(d.pos.block_count, d.pos.total_blocks);
  const TWORK_DATA& k = s.mat->works[0];
  ASSERT_TRUE(k.in_use);
  const float top = k.max.z;
  EXPECT_LT(grid_at(k, -6, 25).z, top - 1) << "the groove outside the square";
  EXPECT_GT(grid_at(k, 3, 25).z, top - 0.5f) << "inside the square, untouched";
  EXPECT_LT(grid_at(k, 25, 53).z, top - 1);
  EXPECT_GT(grid_at(k, 25, 47).z, top - 0.5f);

  // Off: the path as programmed.
  choose(w, "Setting1", "menu_enabled_G4x");
  ASSERT_FALSE(d.exec_opt.comp_enabled);
  EXPECT_NEAR(cut_length(), 220, 0.01);
  QTest::qWait(CONTROLER_DEBOUNCE_MS + 20);
  click(panel.Btn08_Top);
  step_to(8);
  EXPECT_NEAR(view.tool_position()[0], 0, 1e-3);
  EXPECT_NEAR(view.tool_position()[1], 50, 1e-3);
  // And on again.
  choose(w, "Setting1", "menu_enabled_G4x");
  ASSERT_TRUE(d.exec_opt.comp_enabled);
  EXPECT_NEAR(cut_length(), compensated, 0.01);
  EXPECT_TRUE(boxes.shown.empty());
  w.close();
}
