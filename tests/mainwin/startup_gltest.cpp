// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>

#include "common/text_file.h"
#include "mainwin/core/command_table.h"
#include "mainwin/control_view_1.h"
#include "mainwin/list_panel_1.h"
#include "mainwin/sim_panels_1.h"
#include "mainwin/velmor_1.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "platform/core/input.h"
#include "tests/support/real_boxes.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

struct DataFolder {
  testing_support::TempDir prog, desk;
  fs::path cwd = fs::current_path();
  DataFolder() {
    plat::set_data_folder(prog.path());
    plat::set_desktop_folder(desk.path());
  }
  ~DataFolder() { fs::current_path(cwd); }
};

// The text of the listing row that carries the current line's star, or empty.
std::string starred_row(Tvelmor& w) {
  TListPanel* p = w.listing().panel();
  for (int i = 0; i < NCD_LIST_ROW_COUNT; ++i) {
    const std::string t = p->row(i)->bytes();
    if (!t.empty() && t[0] == '*') return t;
  }
  return {};
}

fs::path sample() {
  // tests/data -> the source tree's samples/ (the test data folder is named absolutely).
  return fs::absolute(testing_support::data_file("")).parent_path().parent_path().parent_path() /
         "samples";
}

}  // namespace

TEST(VelmorStartup, AFirstStartWritesItsFilesAndTheCloseSavesTheSettings) {
  DataFolder data;
  auto* w = new Tvelmor;
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  EXPECT_EQ(plat::from_qstring(w->windowTitle()).rfind("Velmor_PRO Version 2.14 ", 0), 0u);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w->gpnl()->gl_window()));
  QTest::qWait(50);
  EXPECT_TRUE(w->gl_stat().slot[0].flag_open);
  EXPECT_TRUE(fs::exists(data.prog / "0_TB_setup.txt"));
  ASSERT_NE(w->findChild<QAction*>(QStringLiteral("Open1")), nullptr);
  EXPECT_EQ(w->findChild<QAction*>(QStringLiteral("Open1"))->shortcut(),
            QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_TRUE(fs::exists(data.prog.path() / "0_TB_datas" / u8"test-2 用.txt"));
  EXPECT_TRUE(w->close());
  EXPECT_FALSE(w->gl_stat().slot[0].flag_open);
  delete w;

  const fs::path dat = data.prog.path() / "confignc" / "Velmor.DAT";
  std::vector<std::string> lines;
  ASSERT_TRUE(read_text_lines(dat, lines));
  ASSERT_EQ(lines.size(), 228u);
  EXPECT_EQ(lines.front(), "***_environment_data");
  EXPECT_EQ(lines.back(), "***_environment_end");
  EXPECT_TRUE(std::is_sorted(lines.begin() + 1, lines.end() - 1,
                             [](const std::string& a, const std::string& b) {
                               return env_line_less(a, b);
                             }));
  struct stat st{};
  ASSERT_EQ(::stat(dat.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
}

TEST(VelmorStartup, TheProgramNamedOnTheCommandLineIsOpenedAndListed) {
  DataFolder data;
  // The settings name another current folder; the relative name still means the sample.
  const fs::path other = data.desk.path();
  fs::create_directory(data.prog.path() / "confignc");
  testing_support::write_file(data.prog.path() / "confignc" / "Velmor.DAT",
                              "***_environment_data\r\nvelmor_last_cd,str,\"" + other.string() +
                                  "\"\r\n***_environment_end\r\n");
  fs::current_path(sample());
  auto* w = new Tvelmor;
  w->set_start_file("SAMPLE01.NC");
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  QTest::qWait(50);
  const std::string caption = plat::from_qstring(w->windowTitle());
  const std::string tail = "SAMPLE01.NC ( 459 bytes , 1 m )";
  ASSERT_GE(caption.size(), tail.size());
  EXPECT_EQ(caption.substr(caption.size() - tail.size()), tail) << caption;
  EXPECT_EQ(caption.rfind("総切削長:", 0), 0u) << caption;
  const std::string star = starred_row(*w);
  EXPECT_NE(star.find("O1001(SAMPLE POCKET AND HOLES)"), std::string::npos) << star;
  EXPECT_EQ(fs::current_path(), sample());
  EXPECT_TRUE(w->close());
  delete w;
  std::vector<std::string> lines;
  ASSERT_TRUE(read_text_lines(data.prog.path() / "confignc" / "Velmor.DAT", lines));
  EXPECT_EQ(lines.size(), 228u);
}

// The start-up box of a program that cannot be opened (a missing file, a control byte) is
// answered as a user answers it, through its window; the main window then shows, with as
// much of the program as could be read.
TEST(VelmorStartup, TheBoxOfAProgramThatCannotBeOpenedTakesItsAnswerAndTheWindowShows) {
  using testing_support::BoxAnswer;
  DataFolder data;
  const fs::path dir = data.desk.path();
  testing_support::write_file(dir / "CTRL.NC", "%\r\nG00X1.\r\nG01X2.\x12Y3.\r\nG01X3.\r\n%\r\n");
  struct Case {
    const char* file;
    BoxAnswer answer;
    std::string text;
    int lines;  // of the program loaded
  };
  const Case cases[] = {
      {"MISSING.NC", BoxAnswer::click(QMessageBox::Ok),
       "ERR: " + (dir / "MISSING.NC").string() + " が見つかりません。", 0},
      {"CTRL.NC", BoxAnswer::enter(),
       "CTRL.NC の 3 行目に制御コード (0x12) があります。\r\nそこから後は読み込まれていません。", 3},
      {"CTRL.NC", BoxAnswer::close(),
       "CTRL.NC の 3 行目に制御コード (0x12) があります。\r\nそこから後は読み込まれていません。", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    testing_support::RealBoxes boxes;
    boxes.answer(c.answer);
    auto* w = new Tvelmor;
    w->set_start_file(dir / c.file);
    w->show();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].busy);
    EXPECT_FALSE(boxes.shown[0].eaten);
    EXPECT_EQ(boxes.shown[0].text, c.text);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(plat::busy());
    EXPECT_EQ(w->session().nc().line_count, c.lines);
    EXPECT_TRUE(w->close());
    delete w;
  }
}

// Bounds in the settings file that no screen can show (a damaged file, another monitor's
// layout) are kept on the screen: a size that is no size takes the default, the place is
// pulled in so that the whole window and the control panel show.
TEST(VelmorStartup, TheStoredBoundsAreKeptOnTheScreen) {
  struct Case {
    const char* what;
    int left, top, width, height, ctrl_left, ctrl_top;
  };
  const Case cases[] = {
      {"no size", 190, 120, -5, -5, 41, 454},
      {"beyond the right and the bottom", 3000, 2000, 590, 390, 5000, 4000},
      {"beyond the left and the top", -800, -600, 590, 390, -900, -700},
      {"larger than the screen", 0, 0, 100000, 100000, 41, 454},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DataFolder data;
    fs::create_directory(data.prog.path() / "confignc");
    auto line = [](const char* key, int v) {
      return std::string(key) + ",int," + std::to_string(v) + "\r\n";
    };
    testing_support::write_file(
        data.prog.path() / "confignc" / "Velmor.DAT",
        "***_environment_data\r\n" + line("velmor_Form_left", c.left) +
            line("velmor_Form_Top", c.top) + line("velmor_Form_width", c.width) +
            line("velmor_Form_Height", c.height) + line("ctrl_view_left", c.ctrl_left) +
            line("ctrl_view_Top", c.ctrl_top) + "***_environment_end\r\n");
    auto* w = new Tvelmor;
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QTest::qWait(20);
    const QRect area = w->screen()->availableGeometry();
    for (QWidget* win : {static_cast<QWidget*>(w), static_cast<QWidget*>(&w->sim_panels().panel())}) {
      SCOPED_TRACE(win->objectName().toStdString());
      const QRect g = win->geometry();
      EXPECT_TRUE(area.contains(g)) << g.x() << "," << g.y() << " " << g.width() << "x"
                                    << g.height();
    }
    if (c.width <= 0) EXPECT_EQ(w->size(), QSize(590, 390).expandedTo(w->minimumSizeHint()));
    EXPECT_TRUE(w->close());
    delete w;
  }
}
