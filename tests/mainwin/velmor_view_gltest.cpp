// The 3D view and the control panel of the real main window, driven with the mouse and the
// keys through the window system (under xvfb-run): the track bars turn the view and follow
// it, the mouse modes steer it, the zoom read-out follows, the start view and colours.
#include "tests/support/velmor_window.h"

#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <cstdint>
#include <fstream>
#include <sstream>

#include "mainwin/control_view_1.h"
#include "mainwin/sim_panels_1.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "tooling/core/disp_status.h"

namespace fs = std::filesystem;
using testing_support::VelmorWindow;

namespace {

std::string text_of(const QLineEdit* e) { return plat::from_qstring(e->text()); }

// The settings file of a program folder with one key's value replaced.
void set_setting(const fs::path& prog, const std::string& key, const std::string& value) {
  const fs::path file = prog / "confignc" / "Velmor.DAT";
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in.good()) << file;
  std::stringstream all;
  all << in.rdbuf();
  in.close();
  std::string t = all.str();
  const std::string head = key + ",int,";
  const std::size_t at = t.find(head);
  ASSERT_NE(at, std::string::npos) << key;
  const std::size_t end = t.find_first_of("\r\n", at);
  t.replace(at + head.size(), end - at - head.size(), value);
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  std::ofstream(file, std::ios::binary) << t;
}

QRgb view_pixel(VelmorWindow& v, QPoint at) {
  const QImage img = v.w->gl_stat().grab(0).convertToFormat(QImage::Format_RGB32);
  return img.isNull() ? 0 : img.pixel(at);
}

}  // namespace

TEST(VelmorView, TheTrackBarsStartAtTheViewsAnglesTurnItAndFollowTheMouseAndTheFit) {
  VelmorWindow v(testing_support::sample_program());
  Tcontroler& panel = v.w->sim_panels().panel();
  ASSERT_TRUE(panel.isVisible());
  // The start view: -50 and 290, shown as -50 and 90 - (290 - 270) = 70.
  EXPECT_EQ(panel.track_Z->value(), -50);
  EXPECT_EQ(text_of(panel.ed_Z_shaft), "-50");
  EXPECT_EQ(panel.track_X->value(), 20);
  EXPECT_EQ(text_of(panel.ed_X_shaft), "70");
  EXPECT_EQ(plat::from_qstring(v.w->windowTitle()).rfind(" ***"), std::string::npos)
      << "the caption of a loaded program is its own";

  // Keys on the focused bar turn the view.
  panel.activateWindow();
  panel.track_Z->setFocus();
  QTest::qWait(20);
  testing_support::key_to(&panel, Qt::Key_Right);
  testing_support::key_to(&panel, Qt::Key_Right);
  EXPECT_EQ(panel.track_Z->value(), -48);
  EXPECT_FLOAT_EQ(v.gl_view().rot_z, -48.0f);
  panel.track_X->setFocus();
  QTest::qWait(20);
  testing_support::key_to(&panel, Qt::Key_Right);
  EXPECT_FLOAT_EQ(v.gl_view().rot_x, 291.0f);
  EXPECT_EQ(text_of(panel.ed_X_shaft), "69");

  // A left drag in rotate mode (the saved mode 19) turns the view; the bars follow it.
  ASSERT_EQ(v.s().form.zoom_pan_rotate, 19);
  const QPoint c = v.view_centre();
  testing_support::drag(v.view(), Qt::LeftButton, {}, c, c + QPoint(30, 10));
  const TGL_VIEW& g = v.gl_view();
  EXPECT_NE(g.rot_z, -48.0f);
  EXPECT_EQ(panel.track_Z->value(), static_cast<int>(std::lround(g.rot_z)));
  EXPECT_EQ(panel.track_X->value(), static_cast<int>(std::lround(g.rot_x - 270)));
  EXPECT_EQ(text_of(panel.ed_X_shaft), std::to_string(90 - panel.track_X->value()));

  // The zoom button, then the fit (Ctrl+A): the zoom read-out follows both; the fit keeps
  // the angles, and the bars with them.
  testing_support::click_widget(panel.Btn09_ZmUP);
  EXPECT_EQ(text_of(panel.ed_zoom), "1.500");
  const float turned = g.rot_z;
  v.key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(text_of(panel.ed_zoom), "1.000");
  EXPECT_FLOAT_EQ(g.rot_z, turned);
  EXPECT_EQ(panel.track_Z->value(), static_cast<int>(std::lround(g.rot_z)));
}

TEST(VelmorView, TheMouseModesReachTheViewAndTheZoomReadOutFollows) {
  VelmorWindow v(testing_support::sample_program());
  Tcontroler& panel = v.w->sim_panels().panel();
  TGL_VIEW& g = v.gl_view();
  const QPoint c = v.view_centre();

  // Ctrl+S: zoom window. A left drag draws the rectangle and zooms into it; no rotation.
  v.key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(v.s().form.zoom_pan_rotate & 0xF, 1);
  const float rz = g.rot_z, rx = g.rot_x, zoom = g.zoom;
  testing_support::drag(v.view(), Qt::LeftButton, {}, c - QPoint(60, 40), c + QPoint(60, 40));
  EXPECT_FLOAT_EQ(g.rot_z, rz);
  EXPECT_FLOAT_EQ(g.rot_x, rx);
  EXPECT_GT(g.zoom, zoom * 1.5f);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%5.3f", g.zoom);
  EXPECT_EQ(text_of(panel.ed_zoom), buf);

  // Ctrl+M: pan. A left drag moves the view and turns nothing.
  v.key(Qt::Key_M, Qt::ControlModifier);
  EXPECT_EQ(v.s().form.zoom_pan_rotate & 0xF, 2);
  const float sx = g.first_shift[0], sy = g.first_shift[1], z2 = g.zoom;
  testing_support::drag(v.view(), Qt::LeftButton, {}, c, c + QPoint(40, 25));
  EXPECT_GT(g.first_shift[0], sx);
  EXPECT_LT(g.first_shift[1], sy);
  EXPECT_FLOAT_EQ(g.rot_z, rz);
  EXPECT_FLOAT_EQ(g.zoom, z2);

  // The panel's zoom button: the read-out follows.
  testing_support::click_widget(panel.Btn09_ZmUP);
  std::snprintf(buf, sizeof buf, "%5.3f", g.zoom);
  EXPECT_FLOAT_EQ(g.zoom, z2 * 1.5f);
  EXPECT_EQ(text_of(panel.ed_zoom), buf);

  // Ctrl+R: rotate again.
  v.key(Qt::Key_R, Qt::ControlModifier);
  testing_support::drag(v.view(), Qt::LeftButton, {}, c, c + QPoint(20, 0));
  EXPECT_NE(g.rot_z, rz);
}

TEST(VelmorView, LocationModePicksThePathLineUnderTheRightButton) {
  VelmorWindow v(testing_support::sample_program());
  TSession& s = v.s();
  // The top view, fitted: the pocket's side "X60." (line 14) runs from (0, 40) to (60, 40).
  v.top_view_fitted();
  const QPoint on_line = v.project(30, 40, -2);
  Goto_NCD_line(s.nc(), 2);
  // Outside location mode a plain right click picks nothing.
  ASSERT_EQ(s.form.zoom_pan_rotate, 19);
  QTest::mouseClick(v.view(), Qt::RightButton, {}, on_line);
  EXPECT_EQ(s.nc().pos.cur_line, 2);
  // The tool button of location mode, clicked on the tool bar.
  QToolBar* bar = v.w->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
  ASSERT_TRUE(bar);
  testing_support::click_widget(bar->widgetForAction(v.action("spbtn_location")));
  EXPECT_EQ((s.form.zoom_pan_rotate >> 4) & 0xF, 2);
  QTest::mouseClick(v.view(), Qt::RightButton, {}, on_line);
  EXPECT_EQ(s.nc().pos.cur_line, 13);
}

TEST(VelmorView, OpenAndNewPutTheViewBack) {
  VelmorWindow v(testing_support::sample_program());
  Tcontroler& panel = v.w->sim_panels().panel();
  TGL_VIEW& g = v.gl_view();
  const QPoint c = v.view_centre();
  testing_support::drag(v.view(), Qt::LeftButton, {}, c, c + QPoint(40, -30));
  ASSERT_NE(g.rot_z, -50.0f);
  // Opening a program: dropped on the window.
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(plat::path_to_qstring(testing_support::sample_program()))});
  QDragEnterEvent enter(QPoint(20, 80), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(v.w, &enter);
  QDropEvent drop(QPointF(20, 80), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(v.w, &drop);
  EXPECT_EQ(v.s().nc().file_name, "SAMPLE01.NC");
  EXPECT_FLOAT_EQ(g.rot_z, -50.0f);
  EXPECT_FLOAT_EQ(g.rot_x, 290.0f);
  EXPECT_EQ(panel.track_Z->value(), -50);
  EXPECT_EQ(panel.track_X->value(), 20);

  testing_support::drag(v.view(), Qt::LeftButton, {}, c, c + QPoint(-35, 20));
  ASSERT_NE(g.rot_z, -50.0f);
  v.key(Qt::Key_N, Qt::ControlModifier);  // File > New
  EXPECT_EQ(v.s().nc().file_name, "new_data.ncd");
  EXPECT_FLOAT_EQ(g.rot_z, -50.0f);
  EXPECT_FLOAT_EQ(g.rot_x, 290.0f);
  EXPECT_EQ(panel.track_Z->value(), -50);
  EXPECT_EQ(panel.track_X->value(), 20);
}

TEST(VelmorView, TheSavedBackgroundAndMouseModeApplyAtStartAndTheCaptionHasItsMarks) {
  VelmorWindow v;
  EXPECT_EQ(plat::from_qstring(v.w->windowTitle()), "Velmor_PRO Version 2.14  ***");
  v.stop();
  set_setting(v.prog.path(), "DISP_BACK_COLOR", "43");
  set_setting(v.prog.path(), "zoom_pan_rotate", "18");
  v.start(testing_support::sample_program());
  std::uint8_t rgba[4];
  color_code_to_RGBA(43, 255, rgba);
  const TGL_VIEW& g = v.gl_view();
  for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(g.background[k], rgba[k] / 255.0f) << k;
  const QRgb corner = view_pixel(v, QPoint(2, 2));
  EXPECT_NEAR(qRed(corner), rgba[0], 2);
  EXPECT_NEAR(qGreen(corner), rgba[1], 2);
  EXPECT_NEAR(qBlue(corner), rgba[2], 2);
  // The saved pan mode: a left drag pans and does not turn.
  EXPECT_TRUE(v.action("spbtn_pan")->isChecked());
  const float sx = g.first_shift[0], rz = g.rot_z;
  const QPoint c = v.view_centre();
  testing_support::drag(v.view(), Qt::LeftButton, {}, c, c + QPoint(30, 0));
  EXPECT_GT(g.first_shift[0], sx);
  EXPECT_FLOAT_EQ(g.rot_z, rz);
}
