// The real main window opens the sample with its automatic work and the control panel, and
// PLAY runs the program to its end (under xvfb-run).
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/path_step.h"
#include "mainwin/core/session.h"
#include "mainwin/core/sim_commands.h"
#include "ncdata/ncd_run.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <functional>

#include "mainwin/control_view_1.h"
#include "mainwin/sim_panels_1.h"
#include "mainwin/velmor_1.h"
#include "mainwin/work_setting_windows.h"
#include "simulation/gl/gl_stat.h"
#include "simulation/gl_view.h"
#include "tooling/Work_set_win_2.h"
#include "tooling/select_work_size_1.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tests/support/test_support.h"
#include "tests/support/on_modal.h"
#include "tests/support/real_boxes.h"
#include "tests/support/user_click.h"

namespace fs = std::filesystem;

namespace {

fs::path sample() {
  return fs::absolute(testing_support::data_file("")).parent_path().parent_path().parent_path() /
         "samples" / "SAMPLE01.NC";
}

using testing_support::on_modal;

// What a file dialog was shown with.
struct FileAsked {
  bool shown = false;
  std::string title;  // CP932
  QString name;       // the file name it offered
};

// Answers the next file dialog with `file`; a different dialog is closed and fails the test.
void choose_file_next(QObject* owner, const fs::path& file, FileAsked* asked) {
  on_modal(owner, [file, asked](QWidget* w) {
    auto* dlg = qobject_cast<QFileDialog*>(w);
    if (!dlg) {
      ADD_FAILURE() << "not a file dialog: " << w->metaObject()->className();
      w->close();
      return;
    }
    asked->shown = true;
    asked->title = plat::from_qstring(dlg->windowTitle());
    const QStringList offered = dlg->selectedFiles();
    if (!offered.isEmpty()) asked->name = QFileInfo(offered.front()).fileName();
    dlg->selectFile(plat::path_to_qstring(file));
    static_cast<QDialog*>(dlg)->accept();  // the dialog's own accept: checks the name
  });
}

// What a ".wok" file keeps of a work: its record and its grid's heights and colours.
struct WorkCopy {
  TWORK_DATA rec;  // without the vectors
  std::vector<float> z;
  std::vector<std::uint32_t> rgba;
};

WorkCopy copy_of(const TWORK_DATA& w) {
  WorkCopy c;
  c.rec.nx = w.nx;
  c.rec.ny = w.ny;
  c.rec.top_z = w.top_z;
  c.rec.bottom_z = w.bottom_z;
  c.rec.step_x = w.step_x;
  c.rec.step_y = w.step_y;
  c.rec.size = w.size;
  c.rec.min = w.min;
  c.rec.max = w.max;
  std::memcpy(c.rec.color, w.color, 4);
  c.rec.group = w.group;
  c.rec.jig = w.jig;
  c.rec.cutting = w.cutting;
  c.rec.memo = w.memo;
  for (const TGRID_POINT& g : w.grid) {
    c.z.push_back(g.z);
    c.rgba.push_back(g.rgba);
  }
  return c;
}

void expect_same_work(const WorkCopy& a, const WorkCopy& b, int slot) {
  SCOPED_TRACE(testing::Message() << "work " << slot);
  const TWORK_DATA& x = a.rec;
  const TWORK_DATA& y = b.rec;
  EXPECT_EQ(x.nx, y.nx);
  EXPECT_EQ(x.ny, y.ny);
  EXPECT_EQ(x.top_z, y.top_z);
  EXPECT_EQ(x.bottom_z, y.bottom_z);
  EXPECT_EQ(x.step_x, y.step_x);
  EXPECT_EQ(x.step_y, y.step_y);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ((&x.min.x)[i], (&y.min.x)[i]) << "min " << i;
    EXPECT_EQ((&x.max.x)[i], (&y.max.x)[i]) << "max " << i;
    EXPECT_EQ((&x.size.x)[i], (&y.size.x)[i]) << "size " << i;
  }
  EXPECT_EQ(std::memcmp(x.color, y.color, 4), 0);
  EXPECT_EQ(x.group, y.group);
  EXPECT_EQ(x.jig, y.jig);
  EXPECT_EQ(x.cutting, y.cutting);
  EXPECT_EQ(x.memo, y.memo);
  EXPECT_EQ(a.z, b.z);
  EXPECT_EQ(a.rgba, b.rgba);
}

TEST(VelmorPlay, TheSampleOpensWithItsWorkAndPlaysToTheEnd) {
  testing_support::TempDir prog, desk;
  const fs::path cwd = fs::current_path();
  plat::set_data_folder(prog.path());
  plat::set_desktop_folder(desk.path());
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

    // PLAY clicked through the panel's window; an interference box, a real one, gets OK.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QWindow* pw = panel.windowHandle();
    const QPoint at = panel.Btn01_play->mapTo(&panel, panel.Btn01_play->rect().center());
    testing_support::RealBoxes boxes;
    for (int i = 0; i < 20; ++i) boxes.answer(testing_support::BoxAnswer::click(QMessageBox::Ok));
    panel.core().set_last_event(0);
    const testing_support::UserClick click =
        testing_support::click_releasing_during_work(pw, Qt::LeftButton, at);
    EXPECT_TRUE(click.released_busy);  // not a press held through the play
    NCD_DATA& d = s.nc();
    EXPECT_EQ(d.pos.block_count, d.pos.total_blocks);
    EXPECT_EQ(d.exec.status, NCD_ST_ERROR);  // the program end
    int cut = 0;  // the pocket and the holes lowered grid points, marked with their lines
    for (const TGRID_POINT& g : wk.grid) cut += g.mark >= 0 ? 1 : 0;
    EXPECT_GT(cut, 0);
    EXPECT_TRUE(panel.Btn05_step->isEnabled());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_NE(plat::from_qstring(panel.windowTitle()), "controler");
    // The paced loop showed only some blocks; the labels the program end keeps are still
    // the last block's: the same as when every block is stepped with its texts made.
    CONTROLER_TEXTS every;
    Goto_NCD_step(d, 0, true);
    controler_status_texts(d, {}, false, every);
    for (int guard = 0; guard <= d.pos.total_blocks + 1 && d.exec.status < NCD_ST_ERROR; ++guard) {
      path_step_block(d, [](const NCD_STEP_MOVES&) {});
      controler_status_texts(d, {}, false, every);
    }
    ASSERT_EQ(d.exec.status, NCD_ST_ERROR);
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(plat::from_qstring(panel.stat[static_cast<std::size_t>(i)]->text()), every.stat[static_cast<std::size_t>(i)])
          << "stat_" << i + 1;
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

// A user's round of the work set-up on the sample: a new work over the path extents (beside
// the automatic work, which has the same box and colour), its lattice changed, every work
// saved, deleted and loaded back through the window's buttons and the real dialogs; then the
// closed window gives the menus back and the view shows the works, which the menus delete and
// read back.
TEST(VelmorPlay, AWorkMadeInTheSetUpSavesDeletesLoadsBackAndIsDrawnAfterTheWindowCloses) {
  testing_support::TempDir prog, desk, files;
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
    Tmat& m = *s.mat;
    Tcontroler& panel = w.sim_panels().panel();
    TWorkSetWin& win = w.work_settings().work_window();
    auto button = [&](const char* name) {
      QPushButton* b = win.findChild<QPushButton*>(QString::fromLatin1(name));
      EXPECT_TRUE(b) << name;
      return b;
    };
    QMenu* file = w.menuBar()->findChild<QMenu*>(QStringLiteral("File1"));
    QAction* setup = w.findChild<QAction*>(QStringLiteral("MMW03_setup_work"));
    QAction* delete_all = w.findChild<QAction*>(QStringLiteral("MMW14_DELETE_ALL_WORKS"));
    QAction* read_all = w.findChild<QAction*>(QStringLiteral("MMW18_READ_ALL_WORKS"));
    ASSERT_TRUE(file && setup && delete_all && read_all);
    ASSERT_TRUE(m.works[0].in_use);  // the automatic work
    VEC3 lo, hi;
    ASSERT_TRUE(auto_work_box(s, 1, lo, hi));  // the path extents up to the top height

    setup->trigger();
    QTest::qWait(20);
    ASSERT_TRUE(win.isVisible());
    EXPECT_FALSE(file->isEnabled());

    // A new work over the path extents, chosen in the preset dialog.
    bool preset_shown = false;
    on_modal(&w, [&](QWidget* d) {
      auto* dlg = qobject_cast<Tselect_work_size*>(d);
      QPushButton* path_max =
          dlg ? dlg->findChild<QPushButton*>(QStringLiteral("btn_path_max")) : nullptr;
      if (!path_max) {
        ADD_FAILURE() << "not the preset dialog: " << d->metaObject()->className();
        d->close();
        return;
      }
      preset_shown = true;
      EXPECT_EQ(plat::from_qstring(path_max->text()), "最大切削範囲で設定");
      EXPECT_TRUE(path_max->isEnabled());
      QTest::mouseClick(path_max, Qt::LeftButton);
    });
    QTest::mouseClick(button("BTN_01_NEW_WORK"), Qt::LeftButton);
    ASSERT_TRUE(preset_shown);
    ASSERT_TRUE(m.works[1].in_use);
    EXPECT_EQ(win.Get_current_WORK_num(), 1);
    {
      const TWORK_DATA& k = m.works[1];
      EXPECT_EQ(k.min.x, lo.x);
      EXPECT_EQ(k.min.y, lo.y);
      EXPECT_EQ(k.min.z, lo.z);
      EXPECT_EQ(k.max.x, hi.x);
      EXPECT_EQ(k.max.y, hi.y);
      EXPECT_EQ(k.max.z, hi.z);
      // the sample's pocket and holes
      EXPECT_LE(k.min.x, -10.0f);
      EXPECT_GE(k.max.x, 80.0f);
      EXPECT_LE(k.min.z, -15.0f);
      EXPECT_EQ(k.nx, 50);
      EXPECT_TRUE(k.cutting && !k.jig);
    }

    // Lattice X 100, typed into its edit.
    QLineEdit* matX = win.findChild<QLineEdit*>(QStringLiteral("ED_matX"));
    ASSERT_TRUE(matX && matX->isEnabled());
    matX->setFocus();
    matX->selectAll();
    QTest::keyClicks(matX, QStringLiteral("100"));
    QTest::keyClick(matX, Qt::Key_Return);
    ASSERT_EQ(m.works[1].nx, 100);
    EXPECT_EQ(m.works[1].grid.size(), 101u * static_cast<std::size_t>(m.works[1].ny + 1));
    EXPECT_TRUE(boxes.shown.empty());

    // Save all, delete all, load back.
    std::vector<WorkCopy> saved;
    for (const TWORK_DATA& k : m.works)
      if (k.in_use) saved.push_back(copy_of(k));
    ASSERT_EQ(saved.size(), 2u);
    const fs::path wok = files / "all works.wok";
    FileAsked asked;
    choose_file_next(&w, wok, &asked);
    button("BTN_10_SAVE_ALL_WORKS")->click();
    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(asked.title, "VLM WORK 全データの保存");
    EXPECT_EQ(asked.name, QStringLiteral("SAMPLE01.wok"));  // named after the program
    ASSERT_TRUE(fs::exists(wok));

    boxes.shown.clear();
    boxes.answer(plat::IDOK);
    button("BTN_04_ALL_DELETE")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "全てのワークデータを削除していいですか？");
    for (const TWORK_DATA& k : m.works) EXPECT_FALSE(k.in_use);
    EXPECT_EQ(win.Get_current_WORK_num(), -1);

    asked = FileAsked();
    choose_file_next(&w, wok, &asked);
    button("BTN_02_LOAD_WORK")->click();
    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(asked.title, "VLM WORK データの読み込み");
    std::vector<WorkCopy> loaded;
    for (const TWORK_DATA& k : m.works)
      if (k.in_use) loaded.push_back(copy_of(k));
    ASSERT_EQ(loaded.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i)
      expect_same_work(saved[i], loaded[i], static_cast<int>(i));
    EXPECT_EQ(win.Get_current_WORK_num(), 0);

    // Closing ends the set-up: the menus and the panel come back and the view draws the works.
    QTest::mouseClick(button("BTN_07_CLOSE_WIN"), Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_FALSE(win.isVisible());
    EXPECT_TRUE(file->isEnabled());
    EXPECT_TRUE(setup->isEnabled());
    EXPECT_TRUE(delete_all->isVisible() && delete_all->isEnabled());
    EXPECT_TRUE(read_all->isVisible() && read_all->isEnabled());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(s.disp.SIM_VIS_WORK, 1);

    // The top face at its nearest corner (the lowest on the screen, where the face is
    // widest): halfway from the corner to the face's centre on the screen, clear of the
    // current work's wide frame, the path box just above the face and, once the works are
    // gone, the path behind it.
    Tgl_func& gl = w.gl_stat();
    const TGL_VIEW& v = gl.slot[0].view;
    const TWORK_DATA& k = m.works[1];
    const float centre[3] = {(k.min.x + k.max.x) / 2, (k.min.y + k.max.y) / 2, k.max.z};
    std::int32_t c[2] = {0, -1}, o[2];
    for (int i = 0; i < 4; ++i) {
      const float corner[3] = {i & 1 ? k.max.x : k.min.x, i & 2 ? k.max.y : k.min.y, k.max.z};
      std::int32_t p[2];
      ASSERT_TRUE(project_3Dpos(v, corner, p));
      if (p[1] > c[1]) c[0] = p[0], c[1] = p[1];
    }
    ASSERT_TRUE(project_3Dpos(v, centre, o));
    const QPoint at((c[0] + o[0]) / 2, (c[1] + o[1]) / 2);
    const QColor bg = QColor::fromRgbF(v.background[0], v.background[1], v.background[2]);
    const QColor colour(k.color[0], k.color[1], k.color[2]);
    ASSERT_GE(colour.hsvHue(), 0);
    auto distance = [](const QColor& a, const QColor& b) {
      return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
             std::abs(a.blue() - b.blue());
    };
    auto pixel = [&]() -> QColor {
      const QImage img = gl.grab(0).convertToFormat(QImage::Format_RGB32);
      if (const char* dump = std::getenv("WORK_SET_DUMP")) img.save(QString::fromLocal8Bit(dump));
      if (!img.rect().contains(at)) {
        ADD_FAILURE() << "outside the picture: " << at.x() << "," << at.y();
        return bg;
      }
      return QColor(img.pixel(at));
    };
    // Lit, so lighter or darker than the colour itself, but of its hue and not background.
    auto shows_work = [&]() -> testing::AssertionResult {
      const QColor px = pixel();
      const int dh = std::abs(px.hsvHue() - colour.hsvHue());
      if (distance(px, bg) > 30 && px.hsvHue() >= 0 && std::min(dh, 360 - dh) <= 20 &&
          px.hsvSaturation() > colour.hsvSaturation() / 2)
        return testing::AssertionSuccess();
      return testing::AssertionFailure()
             << "pixel " << px.red() << "," << px.green() << "," << px.blue() << " work "
             << colour.red() << "," << colour.green() << "," << colour.blue();
    };
    EXPECT_TRUE(shows_work());

    // The menus work again: deleting every work leaves the background there, reading the
    // file back brings the works and their colour back.
    boxes.shown.clear();
    boxes.answer(plat::IDOK);
    delete_all->trigger();
    ASSERT_EQ(boxes.shown.size(), 1u);
    for (const TWORK_DATA& x : m.works) EXPECT_FALSE(x.in_use);
    EXPECT_LE(distance(pixel(), bg), 3);
    asked = FileAsked();
    choose_file_next(&w, wok, &asked);
    read_all->trigger();
    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(asked.title, "VLM WORK データの読み込み");
    loaded.clear();
    for (const TWORK_DATA& x : m.works)
      if (x.in_use) loaded.push_back(copy_of(x));
    ASSERT_EQ(loaded.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i)
      expect_same_work(saved[i], loaded[i], static_cast<int>(i));
    EXPECT_TRUE(shows_work());
    w.close();
  }
  fs::current_path(cwd);
}


// A rapid move through the work during PLAY raises the interference alarm; the user answers
// the real box through its window: OK goes on to the end of the program, Cancel (a click,
// Escape, or the window's close) stops at the move.
TEST(VelmorPlay, TheInterferenceAlarmDuringPlayTakesItsAnswer) {
  using testing_support::BoxAnswer;
  testing_support::TempDir prog, desk, dir;
  const fs::path cwd = fs::current_path();
  plat::set_data_folder(prog.path());
  plat::set_desktop_folder(desk.path());
  testing_support::write_file(dir / "RAPID.NC",
                              "%\r\nO0100\r\nG90G54G00X-20.Y-20.Z50.\r\nT1M06\r\n"
                              "G00Z10.\r\nG01Z-2.F300\r\nX20.\r\nY20.\r\nG00X-20.Y-20.\r\n"
                              "G00Z50.\r\nG01X-10.\r\nM30\r\n%\r\n");
  struct Case {
    const char* what;
    BoxAnswer answer;
    bool to_the_end;
  };
  const Case cases[] = {
      {"a click on OK", BoxAnswer::click(QMessageBox::Ok), true},
      {"a click on Cancel", BoxAnswer::click(QMessageBox::Cancel), false},
      {"Escape", BoxAnswer::escape(), false},
      {"the window's close", BoxAnswer::close(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Tvelmor w;
    w.set_start_file(dir / "RAPID.NC");
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    TSession& s = w.session();
    NCD_DATA& d = s.nc();
    ASSERT_GT(d.line_count, 0);
    ASSERT_TRUE(s.mat->works[0].in_use);
    Tcontroler& panel = w.sim_panels().panel();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QWindow* pw = panel.windowHandle();
    const QPoint at = panel.Btn01_play->mapTo(&panel, panel.Btn01_play->rect().center());
    testing_support::RealBoxes boxes;
    for (int i = 0; i < 5; ++i) boxes.answer(c.answer);
    panel.core().set_last_event(0);
    const testing_support::UserClick click =
        testing_support::click_releasing_during_work(pw, Qt::LeftButton, at);
    EXPECT_TRUE(click.released_busy);  // not a press held through the play
    ASSERT_GE(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].busy);
    EXPECT_TRUE(boxes.all_answered());
    EXPECT_EQ(boxes.shown[0].caption, "干渉チェック");
    EXPECT_EQ(boxes.shown[0].text.rfind("干渉エラー発生 : ", 0), 0u) << boxes.shown[0].text;
    EXPECT_NE(boxes.shown[0].text.find("G00で加工"), std::string::npos) << boxes.shown[0].text;
    if (c.to_the_end) {
      EXPECT_EQ(d.pos.block_count, d.pos.total_blocks);
    } else {
      EXPECT_EQ(boxes.shown.size(), 1u);
      EXPECT_LT(d.pos.block_count, d.pos.total_blocks);
    }
    EXPECT_FALSE(plat::busy());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(panel.Btn01_play->isEnabled());
    w.close();
  }
  fs::current_path(cwd);
}

}  // namespace
