#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

#include "common/widgets/ctrls_ex.h"
#include "mainwin/A_version_1.h"
#include "mainwin/G91_G90_setup_win_1.h"
#include "mainwin/move_rotate_win_1.h"
#include "mainwin/other_exec_win_1.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"

using plat::to_qstring;

namespace {

void leave(QWidget* w) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(w, &out);
}

// ---- about box ------------------------------------------------------------------------------------

TEST(AboutBox, MemoryFiguresOrQuestionMarks) {
  TA_version ok(nullptr, [](plat::MemoryStatus& m) {
    m.total_phys = 512000000;
    m.avail_phys = 256000000;
    m.avail_swap = 1000000;
    return true;
  });
  EXPECT_EQ(ok.total_mem->text(), u"512000 Kb"_qs);
  EXPECT_EQ(ok.free_mem->text(), u"256000 Kb"_qs);
  EXPECT_EQ(ok.v_free_mem->text(), u"257000 Kb"_qs);
  TA_version none(nullptr, [](plat::MemoryStatus&) { return false; });
  EXPECT_EQ(none.total_mem->text(), u"??? Kb"_qs);
  EXPECT_EQ(none.v_free_mem->text(), u"??? Kb"_qs);
  EXPECT_EQ(none.windowTitle(), to_qstring("ﾊﾞｰｼﾞｮﾝ情報"));
}

// ---- G91/G90 parameters ----------------------------------------------------------------------------

TEST(G91G90Dialog, DecimalPointChoiceAndButtons) {
  TG91_G90_cnv_win dlg;
  EXPECT_TRUE(dlg.use_dot->isChecked());
  dlg.label_1->setText(to_qstring("G90 に座標変換する"));
  dlg.show();
  QTest::mouseClick(dlg.dont_use_dot, Qt::LeftButton);
  EXPECT_FALSE(dlg.use_dot->isChecked());
  QTest::keyClick(&dlg, Qt::Key_Return);  // OK is the default button
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  dlg.show();
  QTest::mouseClick(dlg.btn_Cancel, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

// ---- external program ------------------------------------------------------------------------------

TEST(OtherExecDialog, CommandLineHistoryAndFileChoice) {
  Tother_exec_win dlg;
  dlg.tmp_path = "/opt/vlm/confignc/VLM_TMP.TMP";
  dlg.nc_path = "/nc/A 1.NC";
  dlg.set_exec_items({"gedit", "kate"});
  dlg.exec_name->setEditText(u"mousepad"_qs);
  dlg.show();
  const char* expected[] = {"mousepad ", "mousepad \"/opt/vlm/confignc/VLM_TMP.TMP\"", "mousepad \"/nc/A 1.NC\""};
  for (int i = 0; i < 3; ++i) {
    QTest::mouseClick(dlg.rg1_items->button(i), Qt::LeftButton);
    EXPECT_EQ(dlg.StatusBar1->currentMessage(), to_qstring(expected[i])) << i;
  }
  EXPECT_EQ(dlg.argument(), "/nc/A 1.NC");  // the opener passes it unquoted
  // Choosing a program file puts it in the box and the command line follows.
  dlg.choose_file = [](QWidget*) { return std::filesystem::path("/usr/bin/Gedit"); };
  QTest::mouseClick(dlg.Button1, Qt::LeftButton);
  EXPECT_EQ(dlg.StatusBar1->currentMessage(), u"/usr/bin/Gedit \"/nc/A 1.NC\""_qs);
  dlg.choose_file = [](QWidget*) { return std::filesystem::path(); };
  QTest::mouseClick(dlg.Button1, Qt::LeftButton);  // cancelled: unchanged
  EXPECT_EQ(dlg.command(), "/usr/bin/Gedit");
  // Run: the history takes it first; programs compare exactly.
  dlg.exec_name->setEditText(u"GEDIT"_qs);
  QTest::mouseClick(dlg.Button2, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.exec_items(), (std::vector<std::string>{"GEDIT", "gedit", "kate"}));
  EXPECT_EQ(dlg.command_line(), "GEDIT \"/nc/A 1.NC\"");
  // A known program moves up.
  dlg.show();
  dlg.exec_name->setEditText(u"kate"_qs);
  QTest::mouseClick(dlg.Button2, Qt::LeftButton);
  EXPECT_EQ(dlg.exec_items(), (std::vector<std::string>{"kate", "GEDIT", "gedit"}));
  // A choice outside 0..2 counts as none.
  dlg.set_item_index(9);
  EXPECT_EQ(dlg.item_index(), 0);
}

// ---- move/rotate copy -------------------------------------------------------------------------------

TEST(MoveRotateDialog, RowsByModeAndOkReturnsWhatIsShown) {
  Tmove_rotate_win dlg;
  dlg.values.mode = MR_MOVE;
  dlg.values.dot_mode = 2;
  dlg.values.move_x = 1.5f;
  dlg.values.move_z = 7.25f;
  dlg.values.move_count = 3;
  dlg.values.extra[7] = 50;
  dlg.show();
  EXPECT_TRUE(dlg.dont_use_dot->isChecked());
  EXPECT_TRUE(dlg.EditEx[0]->isVisible());
  EXPECT_FALSE(dlg.EditEx[2]->isVisible());  // no Z row in move-copy
  EXPECT_FALSE(dlg.EditEx[4]->isVisible());  // the further values stay out of sight
  EXPECT_EQ(dlg.Label[1]->text(), to_qstring("移動 Y"));
  EXPECT_EQ(dlg.EditEx[0]->text(), u"1.5"_qs);
  EXPECT_EQ(dlg.EditEx[11]->text(), u"50"_qs);
  dlg.EditEx[1]->setText(u"-4"_qs);
  dlg.EditEx[3]->setText(u"5"_qs);  // typed, never left: OK still reads it
  QTest::mouseClick(dlg.use_dot, Qt::LeftButton);
  QTest::mouseClick(dlg.btn_ok, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FLOAT_EQ(dlg.values.move_y, -4);
  EXPECT_EQ(dlg.values.move_count, 5);
  EXPECT_FLOAT_EQ(dlg.values.move_z, 7.25f);
  EXPECT_EQ(dlg.values.dot_mode, 1);
  EXPECT_FLOAT_EQ(dlg.values.extra[7], 50);

  Tmove_rotate_win rot;
  rot.values.mode = MR_ROTATE_2;
  rot.values.angle = 90;
  rot.show();
  EXPECT_EQ(rot.Label[2]->text(), to_qstring("角度"));
  EXPECT_TRUE(rot.EditEx[2]->isVisible());
  EXPECT_EQ(rot.EditEx[2]->text(), u"90"_qs);

  Tmove_rotate_win none;
  none.values.mode = MR_NO_ROWS;
  none.show();
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(none.EditEx[static_cast<std::size_t>(i)]->isVisible());
}

TEST(MoveRotateDialog, LeavingABadFieldFixesItOnce) {
  Tmove_rotate_win dlg;
  dlg.values.mode = MR_ROTATE;
  dlg.show();
  // The box takes the focus from the edit while it is shown: no second check, no second box.
  struct StealingBoxes : plat::ScriptedMessageBoxes {
    QWidget* edit = nullptr;
    int show(const std::string& text, const std::string& caption, unsigned flags) override {
      if (edit) leave(edit);
      return ScriptedMessageBoxes::show(text, caption, flags);
    }
  } boxes;
  boxes.edit = dlg.EditEx[0];
  dlg.EditEx[0]->setText(u"x12.5y"_qs);
  leave(dlg.EditEx[0]);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "x12.5y は実数ではありません");
  EXPECT_EQ(dlg.EditEx[0]->text(), u"12.5"_qs);
  EXPECT_FLOAT_EQ(dlg.values.center_x, 12.5f);  // read back at once
  // The count row is an integer row.
  boxes.edit = dlg.EditEx[3];
  dlg.EditEx[3]->setText(u"2.5"_qs);
  leave(dlg.EditEx[3]);
  EXPECT_EQ(dlg.EditEx[3]->text(), u"2"_qs);
  EXPECT_EQ(dlg.values.rotate_count, 2);
  // OK with a bad field: the box, the fixed text, and the dialog stays for a look.
  boxes.edit = nullptr;
  dlg.EditEx[2]->setText(u"abc"_qs);
  QTest::mouseClick(dlg.btn_ok, Qt::LeftButton);
  EXPECT_EQ(boxes.shown.size(), 3u);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.EditEx[2]->text(), u"0"_qs);
  QTest::mouseClick(dlg.btn_ok, Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(boxes.shown.size(), 3u);
  EXPECT_FLOAT_EQ(dlg.values.angle, 0);
  EXPECT_EQ(dlg.values.rotate_count, 2);
}

}  // namespace
