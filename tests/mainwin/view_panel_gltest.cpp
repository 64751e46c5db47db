// The 3D view panel on a real GL window under Xvfb: mouse events reach the view's mouse
// controller (rotate by a left drag, one full redraw at the release, Shift and the right
// button on a line's end seeks to that line and centres the view there).
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "tests/support/fake_ui.h"
#include "mainwin/core/session.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/startup.h"
#include "mainwin/view/view_gl.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "mainwin/view_panel_1.h"
#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

struct PanelUi : TVLM_fake_ui {
  Tview_panel* panel = nullptr;
  int draw_data(int mode) override { return panel ? panel->view().draw_data(mode) : 0; }
  void fit_scale(int arg) override {
    if (panel) panel->view().fit_scale(arg != 0);
  }
};

struct PanelFixture {
  PanelFixture() : host(s, ui) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    update_disp_colors(s.disp);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
    top.resize(420, 320);
    panel = new Tview_panel(&top, s, gl, ui);
    panel->gpnl()->setGeometry(0, 0, 400, 300);
    ui.panel = panel;
    top.show();
  }
  ~PanelFixture() {
    ui.panel = nullptr;
    gl.close(0);
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
  }
  QWindow* window() { return panel->gpnl()->gl_window(); }
  QPoint at(double x, double y, double z) {
    const float w[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    std::int32_t p[2];
    project_3Dpos(gl.slot[0].view, w, p);
    const qreal dpr = window()->devicePixelRatio();
    return {static_cast<int>(p[0] / dpr), static_cast<int>(p[1] / dpr)};
  }

  TempDir dir;
  TSession s;
  PanelUi ui;
  TVLM_host host;
  Tgl_func gl;
  QWidget top;
  Tview_panel* panel = nullptr;
  plat::ScriptedMessageBoxes boxes;
};

const char kProgram[] =
    "%\r\nO0001\r\nG90G54G17G00X0.Y0.S1000M03\r\nZ5.\r\nG01Z-1.F100\r\nX40.F500\r\n"
    "Y30.\r\nG03X10.Y30.R15.\r\nG00Z20.\r\nM30\r\n%\r\n";

}  // namespace

TEST(ViewPanel, ALeftDragRotatesTheViewAndTheReleaseRedrawsOnce) {
  PanelFixture f;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window()));
  f.panel->open();
  ASSERT_TRUE(f.gl.slot[0].flag_open);
  write_file(f.dir / "T.NC", kProgram);
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.dir / "T.NC"));
  const float rz = f.gl.slot[0].view.rot_z, rx = f.gl.slot[0].view.rot_x;
  const std::uint64_t stepped = f.panel->view().stepped_blocks();
  QTest::mousePress(f.window(), Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(f.window(), QPoint(115, 105));
  QTest::mouseMove(f.window(), QPoint(130, 110));
  QTest::mouseRelease(f.window(), Qt::LeftButton, {}, QPoint(130, 110));
  const qreal dpr = f.window()->devicePixelRatio();
  EXPECT_NEAR(f.gl.slot[0].view.rot_z, rz + 30 * dpr, 1e-3);
  EXPECT_NEAR(f.gl.slot[0].view.rot_x, std::min(360.0, rx + 10 * dpr), 1e-3);
  // the redraws of the drag take the kept path: the interpreter did not run again
  EXPECT_EQ(f.panel->view().stepped_blocks(), stepped);
}

TEST(ViewPanel, ShiftAndTheRightButtonOnALineEndSeekThereAndCentreTheView) {
  PanelFixture f;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window()));
  f.panel->open();
  write_file(f.dir / "T.NC", kProgram);
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.dir / "T.NC"));
  f.panel->view().draw_data(4);
  const QPoint end = f.at(40, 30, -1);  // the end of line 6 "Y30."
  QTest::mousePress(f.window(), Qt::RightButton, Qt::ShiftModifier, end);
  QTest::mouseRelease(f.window(), Qt::RightButton, Qt::ShiftModifier, end);
  EXPECT_EQ(f.s.nc().pos.cur_line, 6);
  const TGL_VIEW& v = f.gl.slot[0].view;
  EXPECT_FLOAT_EQ(v.centre_shift[0], -40);
  EXPECT_FLOAT_EQ(v.centre_shift[1], -30);
  EXPECT_FLOAT_EQ(v.first_shift[0], 0);
}
