#include "tooling/Work_set_win_2.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "simulation/work_file.h"
#include "tests/support/on_modal.h"
#include "tests/support/test_support.h"
#include "tooling/select_color_1.h"

namespace {

using testing_support::TempDir;

class FakeHost : public Ttooling_host {
 public:
  std::unique_ptr<Tmat> mat = std::make_unique<Tmat>();
  Tdisp_status disp;
  std::filesystem::path config;
  int draws = 0, last_mode = 0, ends = 0;
  Tmat& work_store() override { return *mat; }
  Tdisp_status& disp_status() override { return disp; }
  std::filesystem::path config_folder() const override { return config; }
  void draw_data(int mode) override {
    ++draws;
    last_mode = mode;
  }
  void end_WORK_SET() override { ++ends; }
};

class ScriptedDialogs : public Twork_set_dialogs {
 public:
  enum { path_max, path_max_add10, first_preset, cancel } choice = path_max;
  std::filesystem::path file;  // the file chooser's answer; empty for Cancel
  std::vector<std::string> titles, names;
  bool choose_preset(const std::filesystem::path& f, const TWork_path_extents& ext,
                     TWork_preset& out) override {
    if (choice == cancel) return false;
    if (choice == first_preset) {
      std::vector<TWork_preset> list;
      Load_def_work_size_list(f, list);
      if (list.empty()) return false;
      out = list.front();
      return true;
    }
    if (!ext.valid) return false;
    out = path_extent_preset(ext.min, ext.max, choice == path_max_add10);
    return true;
  }
  bool choose_work_file(bool, const std::string& title, const std::string& name,
                        std::filesystem::path& out) override {
    titles.push_back(title);
    names.push_back(name);
    if (file.empty()) return false;
    out = file;
    return true;
  }
};

struct Fixture : ::testing::Test {
  TempDir dir;
  FakeHost host;
  ScriptedDialogs dlg;
  std::unique_ptr<TWorkSetWin> win;

  void SetUp() override {
    host.config = dir.path();
    testing_support::write_file(dir / "def_work_size.txt",
                                "\"a\",0,0,-1,1,1,0,1,1,2\r\n");
    win = std::make_unique<TWorkSetWin>(host, &dlg);
    TWork_path_extents ext;
    ext.valid = true;
    ext.min = {-10, -20, -5};
    ext.max = {30, 40, 25};
    win->set_path_extents(ext);
    win->set_work_file_name("SAMPLE01.wok");
    win->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
  }
  template <class T>
  T* child(const char* name) {
    T* w = win->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void type_into(const char* edit, const char* text) {
    QLineEdit* e = child<QLineEdit>(edit);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, plat::to_qstring(text));
    QTest::keyClick(e, Qt::Key_Return);
  }
  std::string text_of(const char* edit) { return plat::from_qstring(child<QLineEdit>(edit)->text()); }
};

TEST_F(Fixture, CreateEditSaveDeleteAndLoadBack) {
  // A new work over the path extents, top height as max Z.
  child<QPushButton>("BTN_01_NEW_WORK")->click();
  const TWORK_DATA& w = host.mat->works[0];
  ASSERT_TRUE(w.in_use);
  EXPECT_EQ(w.min.x, -10);
  EXPECT_EQ(w.max.z, 25);
  EXPECT_EQ(w.nx, 50);
  EXPECT_EQ(text_of("ED_WORK_COLOR"), "43");
  EXPECT_EQ(host.last_mode, 24);
  // Lattice X 100.
  type_into("ED_matX", "100");
  EXPECT_EQ(host.mat->works[0].nx, 100);
  EXPECT_EQ(text_of("ED_pitchX"), "0.4");
  // A refused value brings the old text back.
  {
    plat::ScriptedMessageBoxes boxes;
    type_into("ED_matY", "4095");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "数値エラー");
  }
  EXPECT_EQ(text_of("ED_matY"), "50");
  // Save all, delete all, load back.
  host.mat->works[0].grid[7].z = 3;
  const std::unique_ptr<Tmat> before = std::make_unique<Tmat>();
  before->works[0] = host.mat->works[0];
  dlg.file = dir / "all.wok";
  {
    plat::ScriptedMessageBoxes boxes;  // the store's saved message
    child<QPushButton>("BTN_10_SAVE_ALL_WORKS")->click();
  }
  EXPECT_EQ(dlg.titles.back(), "VLM WORK 全データの保存");
  EXPECT_EQ(dlg.names.back(), "SAMPLE01.wok");
  ASSERT_TRUE(std::filesystem::exists(dir / "all.wok"));
  {
    plat::ScriptedMessageBoxes boxes;
    boxes.answer(plat::IDOK);
    child<QPushButton>("BTN_04_ALL_DELETE")->click();
  }
  EXPECT_FALSE(host.mat->works[0].in_use);
  EXPECT_EQ(child<QComboBox>("Combo_work_num")->count(), 0);
  {
    plat::ScriptedMessageBoxes boxes;
    child<QPushButton>("BTN_02_LOAD_WORK")->click();
  }
  const TWORK_DATA& r = host.mat->works[0];
  ASSERT_TRUE(r.in_use);
  EXPECT_EQ(r.nx, before->works[0].nx);
  EXPECT_EQ(r.min.x, before->works[0].min.x);
  EXPECT_EQ(r.max.z, before->works[0].max.z);
  ASSERT_EQ(r.grid.size(), before->works[0].grid.size());
  for (std::size_t i = 0; i < r.grid.size(); ++i) ASSERT_EQ(r.grid[i].z, before->works[0].grid[i].z);
  EXPECT_EQ(child<QComboBox>("Combo_work_num")->currentData().toInt(), 0);
}

TEST_F(Fixture, CancelAndPresetsAndGroups) {
  dlg.choice = ScriptedDialogs::cancel;
  child<QPushButton>("BTN_01_NEW_WORK")->click();
  EXPECT_FALSE(host.mat->works[0].in_use);
  dlg.choice = ScriptedDialogs::first_preset;
  child<QPushButton>("BTN_01_NEW_WORK")->click();
  child<QPushButton>("BTN_01_NEW_WORK")->click();
  dlg.choice = ScriptedDialogs::path_max_add10;
  child<QPushButton>("BTN_01_NEW_WORK")->click();
  EXPECT_EQ(host.mat->works[2].min.x, -20);
  QComboBox* works = child<QComboBox>("Combo_work_num");
  ASSERT_EQ(works->count(), 3);
  EXPECT_EQ(plat::from_qstring(works->itemText(1)), "  1 Wvc  ");
  // Work 1 into a new group, then work 0 into the same group; moving work 0 moves both.
  works->setCurrentIndex(1);
  child<QPushButton>("BTN_05_NEW_GROUP")->click();
  EXPECT_EQ(host.mat->works[1].group, 1);
  EXPECT_EQ(plat::from_qstring(works->currentText()), "  1 Wvc( 1)");
  works->setCurrentIndex(0);
  QComboBox* groups = child<QComboBox>("Combo_Group_num");
  ASSERT_EQ(groups->count(), 2);
  groups->setCurrentIndex(1);
  emit groups->activated(1);
  EXPECT_EQ(host.mat->works[0].group, 1);
  type_into("ED_centerX", "10");
  EXPECT_FLOAT_EQ(host.mat->works[0].min.x, 9.5f);
  EXPECT_FLOAT_EQ(host.mat->works[1].min.x, 9.5f);
  EXPECT_FALSE(child<QLineEdit>("ED_sizeX")->isEnabled());
  // Hidden and excluded, shown in the combo; delete with its group.
  child<QRadioButton>("chk_INVIS_parts")->click();
  child<QRadioButton>("chk_CUTTING_OFF")->click();
  EXPECT_EQ(plat::from_qstring(works->currentText()), "  0 W..( 1)");
  EXPECT_EQ(host.mat->works[1].visible, 0);
  {
    plat::ScriptedMessageBoxes boxes;
    boxes.answer(plat::IDOK);
    child<QPushButton>("BTN_03_WORK_DELETE")->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "現在のワークデータを削除していいですか？");
  }
  EXPECT_FALSE(host.mat->works[0].in_use);
  EXPECT_FALSE(host.mat->works[1].in_use);
  EXPECT_TRUE(host.mat->works[2].in_use);
  // The colour panel opens the colour picker: a click in its grid shows the code in the edit
  // and the panel at once; Cancel puts the start code back, OK commits the picked code.
  QPushButton* panel = child<QPushButton>("PNL_WORK_COLOR");
  const std::string start = text_of("ED_WORK_COLOR");
  const std::uint8_t start_red = host.mat->works[2].color[0];
  ASSERT_NE(start, "5");
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok);
    bool picker = false;
    std::string live;
    QString live_style;
    testing_support::on_modal(win.get(), [&](QWidget* d) {
      picker = qobject_cast<Tcolor_selection*>(d) != nullptr;
      auto* grid = d->findChild<QWidget*>(QStringLiteral("pb1"));
      auto* button = d->findChild<QPushButton*>(ok ? QStringLiteral("set1") : QStringLiteral("Button1"));
      if (!grid || !button) {
        d->close();
        return;
      }
      QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(5 * 8 + 4, 3 * 8 + 4));  // code 5
      live = text_of("ED_WORK_COLOR");
      live_style = panel->styleSheet();
      QTest::mouseClick(button, Qt::LeftButton);
    });
    QTest::mouseClick(panel, Qt::LeftButton);
    EXPECT_TRUE(picker);
    EXPECT_EQ(live, "5");
    std::uint8_t c5[4];
    color_code_to_RGBA_bytes(5, 255, c5);
    EXPECT_TRUE(live_style.contains(QStringLiteral("rgb(%1,%2,%3)").arg(c5[0]).arg(c5[1]).arg(c5[2])))
        << live_style.toStdString();
    EXPECT_EQ(text_of("ED_WORK_COLOR"), ok ? "5" : start);
    EXPECT_EQ(host.mat->works[2].color[0], ok ? c5[0] : start_red);
  }
  // A cut work can be reset; hiding the window ends the set-up.
  host.mat->works[2].grid[0].z -= 1;
  win->Show_WORK_values(2);
  QPushButton* reset = child<QPushButton>("BTN_06_RESET_WORK_PARAM");
  ASSERT_TRUE(reset->isEnabled());
  reset->click();
  EXPECT_FALSE(Check_WORK_after_Cutted(*host.mat, 2));
  child<QPushButton>("BTN_07_CLOSE_WIN")->click();
  EXPECT_EQ(host.ends, 1);
}

TEST_F(Fixture, KeysMoveFocusAndTheMeasureCursor) {
  child<QPushButton>("BTN_01_NEW_WORK")->click();
  QLineEdit* minY = child<QLineEdit>("ED_minY");
  minY->setFocus();
  QTest::keyClick(minY, Qt::Key_Down);
  EXPECT_TRUE(child<QLineEdit>("ED_minZ")->hasFocus());
  QTest::keyClick(child<QLineEdit>("ED_minZ"), Qt::Key_Up);
  QTest::keyClick(minY, Qt::Key_Up);
  EXPECT_TRUE(child<QLineEdit>("ED_minX")->hasFocus());
  // Ctrl+arrows do nothing outside measure mode.
  QLineEdit* e = child<QLineEdit>("ED_minX");
  QTest::keyClick(e, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(host.mat->pick.work, -1);
  child<QCheckBox>("chk_MatrixLine")->click();
  EXPECT_EQ(host.disp.WSW_MatrixLine, 1);
  QTest::keyClick(e, Qt::Key_Right, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(host.mat->pick.ix, 1);
  EXPECT_EQ(host.mat->pick.iy, 1);
  EXPECT_EQ(plat::from_qstring(win->windowTitle()), "計測モード ( -9.200 , -18.800 , 25.000)");
  // The cursor stops at the lattice's edge.
  QTest::keyClick(e, Qt::Key_Left, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(host.mat->pick.ix, 0);
  EXPECT_FALSE(win->move_cursor(-1, 0));
  // Move-tool mode turns the cursor off.
  child<QCheckBox>("chk_manual_cut_mode")->click();
  EXPECT_FALSE(win->move_cursor(1, 0));
}

// Back in front after the user worked in another window, the window shows the selected work
// as the store now has it, and has it drawn again.
TEST_F(Fixture, ComingBackToTheFrontShowsTheWorkAsItNowIs) {
  child<QPushButton>("BTN_01_NEW_WORK")->click();
  ASSERT_TRUE(host.mat->works[0].in_use);
  QPushButton* reset = child<QPushButton>("BTN_06_RESET_WORK_PARAM");
  EXPECT_FALSE(reset->isEnabled());
  QWidget other;
  other.resize(200, 100);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  // Meanwhile the work is cut and given a memo.
  host.mat->works[0].grid[0].z -= 1;
  set_work_memo(host.mat->works[0], "cut");
  const int draws = host.draws;
  win->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
  EXPECT_TRUE(reset->isEnabled());
  EXPECT_EQ(text_of("ED_WORK_MEMO"), "cut");
  EXPECT_GT(host.draws, draws);
  EXPECT_EQ(host.last_mode, 24);
}

TEST_F(Fixture, OffsetAndLatticeColourSwitches) {
  type_into("ed_mat_offsetZ", "12.5");
  EXPECT_EQ(host.disp.WSW_offset_Z, 12500);
  win->UpDown1Click(2, true);
  EXPECT_EQ(host.disp.WSW_offset_Z, 13000);
  EXPECT_EQ(text_of("ed_mat_offsetZ"), "13");
  type_into("ED_MAT_COLOR", "9");
  EXPECT_EQ(host.disp.WSW_MAT_COLNUM, 9);
}

}  // namespace
