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
#include "mainwin/file_list_1.h"
#include "mainwin/list_panel_1.h"
#include "mainwin/view_panel_1.h"
#include "common/widgets/ctrls_ex.h"
#include "common/widgets/input_number.h"
#include "tests/support/on_modal.h"
#include "tooling/clip_edit_1.h"
#include "tooling/tool_cond_chk_win_1.h"
#include "tooling/tool_list_win_1.h"
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
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

// The sample and its tool file copied into the work folder, and `w` started on them.
testing::AssertionResult start_on_sample(Tvelmor& w, const Folders& f) {
  fs::copy_file(samples() / "SAMPLE01.NC", f.work / "SAMPLE01.NC");
  fs::copy_file(samples() / "SAMPLE01.nst", f.work / "SAMPLE01.nst");
  w.set_start_file(f.work / "SAMPLE01.NC");
  w.show();
  if (!QTest::qWaitForWindowExposed(&w)) return testing::AssertionFailure() << "no main window";
  QTest::qWait(50);
  return testing::AssertionSuccess();
}

// The grid point of the work nearest to (x, y).
const TGRID_POINT& grid_at(const TWORK_DATA& k, float x, float y) {
  const int i = std::clamp(static_cast<int>(std::lround((x - k.min.x) / k.step_x)), 0, k.nx);
  const int j = std::clamp(static_cast<int>(std::lround((y - k.min.y) / k.step_y)), 0, k.ny);
  return k.grid[static_cast<std::size_t>(j) * static_cast<std::size_t>(k.nx + 1) +
                static_cast<std::size_t>(i)];
}

// Runs `f` on the next modal dialog other than `shown` once it is up.
void on_next_modal(QObject* owner, QWidget* shown, std::function<void(QWidget*)> f) {
  auto* t = new QTimer(owner);
  t->setInterval(5);
  QObject::connect(t, &QTimer::timeout, [t, shown, f] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || w == shown || !w->isVisible()) return;
    t->stop();
    t->deleteLater();
    f(w);
  });
  t->start();
}

// Clicks the item of the next pop-up menu once it is up.
void on_popup_choose(QObject* owner, const char* item, bool* chosen) {
  auto* t = new QTimer(owner);
  t->setInterval(5);
  QObject::connect(t, &QTimer::timeout, [t, item, chosen] {
    auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!m || !m->isVisible()) return;
    t->stop();
    t->deleteLater();
    QAction* a = m->findChild<QAction*>(QString::fromLatin1(item));
    if (!a) a = [&]() -> QAction* {
        for (QAction* x : m->actions())
          if (x->objectName() == QLatin1String(item)) return x;
        return nullptr;
      }();
    if (!a || !a->isVisible()) {
      ADD_FAILURE() << "no item " << item << " in the pop-up";
      m->close();
      return;
    }
    *chosen = true;
    // The right button that opened it comes up where it went down (the pop-up's corner).
    QTest::mouseRelease(m->windowHandle(), Qt::RightButton, Qt::NoModifier, QPoint(-1, -1));
    QTest::mouseClick(m->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      m->actionGeometry(a).center());
  });
  t->start();
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

// After Ctrl+J the typing goes into the row of the line jumped to, not into the row that
// was clicked before the jump.
TEST(VelmorMachinist, AJumpTakesTheEditFocusToTheCurrentLine) {
  Folders f;
  plat::ScriptedMessageBoxes boxes;
  testing_support::write_file(f.work / "P.NC",
                              "O1\r\nG0X0Y0\r\nG1X1\r\nG1X2\r\nG1X3\r\nG1X4\r\nG1X5\r\nM30\r\n");
  Tvelmor w;
  w.set_start_file(f.work / "P.NC");
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.windowHandle()->requestActivate();
  QTest::qWait(50);
  TSession& s = w.session();
  TListPanel& list = *w.listing().panel();
  auto row_of_line = [&](int line) -> TNcdRow* {
    char head[16];
    std::snprintf(head, sizeof head, "%d : ", line + 1);
    for (int i = 0; i < 50; ++i)
      if (list.row(i)->bytes().find(head) != std::string::npos) return list.row(i);
    return nullptr;
  };
  TNcdRow* clicked = row_of_line(2);
  ASSERT_TRUE(clicked);
  click(clicked, {list.list()->prefix_x + 40, clicked->height() / 2});
  ASSERT_EQ(s.nc().pos.cur_line, 2);
  ASSERT_EQ(QApplication::focusWidget(), clicked);

  bool asked = false;
  testing_support::on_modal(&w, [&](QWidget* d) {
    auto* box = qobject_cast<Tinput_num_box*>(d);
    if (!box) {
      ADD_FAILURE() << "not the number box: " << d->metaObject()->className();
      d->close();
      return;
    }
    asked = true;
    QTest::keyClick(box->windowHandle(), '6');
    QTest::keyClick(box->windowHandle(), Qt::Key_Return);
  });
  QTest::keyClick(w.windowHandle(), Qt::Key_J, Qt::ControlModifier);
  ASSERT_TRUE(asked);
  QTest::qWait(50);
  ASSERT_EQ(s.nc().pos.cur_line, 5);
  TNcdRow* current = row_of_line(5);
  ASSERT_TRUE(current);
  EXPECT_EQ(w.focusWidget(), current);
  const std::string before = row_of_line(2)->bytes();
  QTest::keyClick(w.windowHandle(), Qt::Key_End);
  for (char c : {'Y', '7'}) QTest::keyClick(w.windowHandle(), c);
  EXPECT_EQ(row_of_line(2)->bytes(), before);
  EXPECT_NE(current->bytes().find("G1X4Y7"), std::string::npos) << current->bytes();
  EXPECT_TRUE(boxes.shown.empty());
  w.close();
}

// The tool list's tool-check output: its window opens beside the tool list, not over its
// buttons, and takes the mouse while the tool list is still open: its pop-up saves the text.
TEST(VelmorMachinist, TheToolListsOutputWindowOpensBesideItAndTakesInput) {
  Folders f;
  plat::ScriptedMessageBoxes boxes;
  Tvelmor w;
  ASSERT_TRUE(start_on_sample(w, f));
  bool listed = false, checked = false, chosen = false, saved_item = false;
  QRect list_frame, out_frame;
  bool out_shown = false;
  on_next_modal(&w, nullptr, [&](QWidget* d) {
    auto* list = dynamic_cast<TTOOL_LIST_win*>(d);
    auto* use_turn = d->findChild<QCheckBox*>(QStringLiteral("chk_Use_turn"));
    auto* close = d->findChild<QPushButton*>(QStringLiteral("settei_btn"));
    auto* cards = d->findChild<QAbstractScrollArea*>(QStringLiteral("ScrollBox1"));
    if (!list || !use_turn || !close || !cards) {
      ADD_FAILURE() << "not the tool list: " << d->metaObject()->className();
      d->close();
      return;
    }
    listed = true;
    EXPECT_TRUE(QTest::qWaitForWindowExposed(d));
    if (!use_turn->isChecked()) click(use_turn);
    EXPECT_TRUE(use_turn->isChecked());
    list_frame = d->frameGeometry();
    // The tool-check parameters: OK.
    on_next_modal(d, d, [&](QWidget* c) {
      auto* chk = qobject_cast<TTOOL_COND_CHK_win*>(c);
      if (!chk) {
        ADD_FAILURE() << "not the tool-check dialog: " << c->metaObject()->className();
        c->close();
        return;
      }
      checked = true;
      EXPECT_TRUE(QTest::qWaitForWindowExposed(c));
      click(chk->Button1);
      if (c->isVisible()) {
        ADD_FAILURE() << "the OK click did not reach the dialog";
        chk->reject();
      }
    });
    on_popup_choose(d, "N4", &chosen);
    QWidget* vp = cards->viewport();
    if (list->model().items.empty()) {
      ADD_FAILURE() << "no tool in the list";
      click(close);
      return;
    }
    const TLIST_ITEMS& first = list->model().items.front();
    QTest::mouseClick(d->windowHandle(), Qt::RightButton, Qt::NoModifier,
                      vp->mapTo(d, QPoint(30, (first.top + first.bottom) / 2)));
    // The output window opens once the pop-up's choice is taken (a loaded machine may take a
    // while).
    TClip_Edit* out = nullptr;
    (void)QTest::qWaitFor([&] {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* c = qobject_cast<TClip_Edit*>(top)) out = c;
      return out && out->isVisible();
    }, 3000);
    if (out && out->isVisible()) {
      out_shown = true;
      EXPECT_TRUE(QTest::qWaitForWindowExposed(out));
      out_frame = out->frameGeometry();
      // Its pop-up answers while the tool list is open: the text saved on the desktop.
      on_popup_choose(out, "N5", &saved_item);
      QTest::mouseClick(out->windowHandle(), Qt::RightButton, Qt::NoModifier,
                        out->re1->viewport()->mapTo(out, QPoint(20, 20)));
      (void)QTest::qWaitFor([&] { return saved_item; }, 3000);  // checked below
      if (out->popup->isVisible()) out->popup->close();
    }
    QTest::qWait(20);
    click(close);
  });
  choose(w, "Tool1", "menu_tool_list_1");
  ASSERT_TRUE(listed);
  EXPECT_TRUE(chosen);
  EXPECT_TRUE(checked);
  ASSERT_TRUE(out_shown);
  EXPECT_FALSE(out_frame.intersects(list_frame))
      << "output " << out_frame.x() << "," << out_frame.y() << " " << out_frame.width() << "x"
      << out_frame.height() << " over the tool list " << list_frame.x() << "," << list_frame.y()
      << " " << list_frame.width() << "x" << list_frame.height();
  EXPECT_TRUE(saved_item) << "the output window's pop-up did not open";
  bool saved = false;
  for (const auto& b : boxes.shown) saved = saved || b.caption == "保存しました";
  EXPECT_TRUE(saved);
  EXPECT_TRUE(fs::exists(f.desk / "SAMPLE01-01.NC"));
  w.close();
}

// The view keeps the zoom the user chose through jumps to the last line (the "%" after
// the program end, where nothing moves) and back to the top; only a fit changes it. The
// panel's caption names the current tool.
TEST(VelmorMachinist, TheViewKeepsItsZoomAtTheStartAndThePanelNamesTheTool) {
  Folders f;
  plat::ScriptedMessageBoxes boxes;
  Tvelmor w;
  ASSERT_TRUE(start_on_sample(w, f));
  NCD_DATA& d = w.session().nc();
  Tcontroler& panel = w.sim_panels().panel();
  const TGL_VIEW& v = w.gl_stat().slot[0].view;
  plat::ScriptedInput in;
  auto press = [&](QPushButton* b) {
    QTest::qWait(CONTROLER_DEBOUNCE_MS + 20);  // the panel's debounce
    click(b);
  };
  press(panel.Btn11_ZmDN);
  press(panel.Btn11_ZmDN);
  const float zoom = v.zoom, base = v.base_scale;
  ASSERT_NEAR(zoom, 4.0f / 9, 1e-4);
  struct Move {
    const char* what;
    std::function<void()> act;
    int line;
  } moves[] = {
      {"to the last line", [&] { choose(w, "Find1", "N20"); }, d.line_count - 1},
      {"to the first line", [&] { choose(w, "Find1", "N19"); }, 0},
      {"the panel's end", [&] { press(panel.Btn07_end); }, 33},
      {"the panel's top", [&] { press(panel.Btn08_Top); }, 0},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(m.what);
    m.act();
    EXPECT_EQ(d.pos.cur_line, m.line);
    EXPECT_EQ(v.zoom, zoom);
    EXPECT_EQ(v.base_scale, base);
  }
  auto caption = [&] { return plat::from_qstring(panel.windowTitle()); };
  EXPECT_EQ(caption(), " 1 : 34 : 1 ( 0) T0 : 工具未設定");
  for (int i = 0; i < 30 && d.pos.cur_line < 9; ++i) press(panel.Btn05_step);
  ASSERT_EQ(d.pos.cur_line, 9);
  EXPECT_EQ(caption(), " 1 : 34 : 10 ( 1) T1 M03 S3000  : φ10 フラット");
  // A fit asked for.
  press(panel.Btn10_Fit);
  EXPECT_EQ(v.zoom, 1.0f);
  EXPECT_TRUE(boxes.shown.empty());
  w.close();
}

// An empty file opened after the sample: the listing, the panel and the 3D view show an
// empty program, not the sample's picture and state.
TEST(VelmorMachinist, AnEmptyFileIsShownAsAnEmptyProgram) {
  Folders f;
  plat::ScriptedMessageBoxes boxes;
  testing_support::write_file(f.work / "EMPTY.NC", "");
  Tvelmor w;
  ASSERT_TRUE(start_on_sample(w, f));
  TSession& s = w.session();
  Tcontroler& panel = w.sim_panels().panel();
  ASSERT_GT(s.nc().line_count, 0);
  ASSERT_NE(plat::from_qstring(panel.windowTitle()), "controler");
  Tgl_func& gl = w.gl_stat();
  const TGL_VIEW& v = gl.slot[0].view;
  const QColor bg = QColor::fromRgbF(v.background[0], v.background[1], v.background[2]);
  auto off_background = [&] {
    const QImage img = gl.grab(0).convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QColor c(img.pixel(x, y));
        n += std::abs(c.red() - bg.red()) + std::abs(c.green() - bg.green()) +
                     std::abs(c.blue() - bg.blue()) > 6;
      }
    return n;
  };
  ASSERT_GT(off_background(), 100);  // the sample's path, work and tool

  bool asked = false;
  on_next_modal(&w, nullptr, [&](QWidget* d) {
    auto* chooser = qobject_cast<TFILE_SELECTION*>(d);
    if (!chooser) {
      ADD_FAILURE() << "not the file chooser: " << d->metaObject()->className();
      d->close();
      return;
    }
    asked = true;
    chooser->ed_file->SetText(std::string("EMPTY.NC"));
    chooser->accept();
  });
  choose(w, "File1", "Open1");
  ASSERT_TRUE(asked);
  QTest::qWait(50);
  EXPECT_EQ(s.nc().line_count, 0);
  EXPECT_EQ(s.nc().file_name, "EMPTY.NC");
  EXPECT_EQ(plat::from_qstring(panel.windowTitle()), "controler");
  EXPECT_EQ(plat::from_qstring(panel.stat[0]->text()), "G54 G17 G98 G91 G00");
  EXPECT_EQ(off_background(), 0) << "the sample's picture stays";
  EXPECT_TRUE(boxes.shown.empty());
  w.close();
}

// With the spindle turning, the timer turns the tool over the kept picture: no path is run
// again and nothing but the tool changes on the screen.
TEST(VelmorMachinist, TheTurningToolRedrawsOnlyTheTool) {
  Folders f;
  plat::ScriptedMessageBoxes boxes;
  Tvelmor w;
  ASSERT_TRUE(start_on_sample(w, f));
  w.windowHandle()->requestActivate();
  QTest::qWait(50);
  TSession& s = w.session();
  ASSERT_TRUE(s.disp.SIM_TOOL_ROTATE);
  ASSERT_TRUE(s.disp.SIM_VIS_WORK);
  Tcontroler& panel = w.sim_panels().panel();
  NCD_DATA& d = s.nc();
  {
    plat::ScriptedInput in;
    for (int i = 0; i < 30 && d.pos.cur_line < 9; ++i) {
      QTest::qWait(CONTROLER_DEBOUNCE_MS + 20);
      click(panel.Btn05_step);
    }
  }
  ASSERT_EQ(d.pos.cur_line, 9);  // G43Z50.H01, the spindle on since line 8
  ASSERT_EQ(d.exec.spindle, 3);
  const TVLM_view& view = w.findChild<Tview_panel*>()->view();
  Tgl_func& gl = w.gl_stat();
  QTest::qWait(500);  // the first turn keeps the picture
  const std::uint64_t stepped = view.stepped_blocks(), turns = view.tool_turns();
  const QImage before = gl.grab(0).convertToFormat(QImage::Format_RGB32);
  QTest::qWait(700);
  const QImage after = gl.grab(0).convertToFormat(QImage::Format_RGB32);
  EXPECT_GE(view.tool_turns(), turns + 2);
  EXPECT_EQ(view.stepped_blocks(), stepped) << "the path was run again";
  // Only the tool changes: nothing below its tip (the work, the path) does.
  const TGL_VIEW& v = gl.slot[0].view;
  std::int32_t at[2];
  ASSERT_TRUE(project_3Dpos(v, view.tool_position(), at));
  ASSERT_EQ(before.size(), after.size());
  int changed = 0, elsewhere = 0;
  for (int y = 0; y < before.height(); ++y)
    for (int x = 0; x < before.width(); ++x) {
      if (before.pixel(x, y) == after.pixel(x, y)) continue;
      ++changed;
      if (y > at[1] + 2) ++elsewhere;
    }
  EXPECT_GT(changed, 0) << "the tool did not turn";
  EXPECT_EQ(elsewhere, 0);
  EXPECT_TRUE(boxes.shown.empty());
  w.close();
}
