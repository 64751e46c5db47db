#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <string>

#include "common/widgets/ctrls_ex.h"
#include "mainwin/dialog_place.h"
#include "mainwin/file_list_1.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using plat::to_qstring;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

// A folder of files F000.NCD .. F199.NCD and a sub-folder, made current for the test.
class Chooser : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    for (int i = 0; i < 200; ++i) {
      char n[16];
      std::snprintf(n, sizeof n, "F%03d.NCD", i);
      write_file(dir_ / n, "x");
    }
    write_file(dir_ / "other.txt", "");
    fs::create_directory(dir_ / "sub");
    write_file(dir_ / "sub" / "in.ncd", "");
    fs::current_path(dir_.path());
    dlg_.resize(300, 400);
    dlg_.filter_box->setEditText(u"*.NCD"_qs);
  }
  void TearDown() override { fs::current_path(old_); }

  // Shows the chooser (not modally) and lets the first listing run.
  void show() {
    dlg_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg_));
    for (int i = 0; i < 20 && !dlg_.listed_once; ++i) QTest::qWait(5);
    ASSERT_TRUE(dlg_.listed_once);
  }
  int current_row() const { return dlg_.lv1->currentIndex().isValid() ? dlg_.lv1->currentIndex().row() : -1; }

  TempDir dir_;
  fs::path old_;
  TFILE_SELECTION dlg_;
};

TEST_F(Chooser, FirstListingAfterShow) {
  show();
  EXPECT_EQ(dlg_.model()->rowCount(), 200);
  EXPECT_EQ(dlg_.windowTitle(), to_qstring("ファイル数 : 200"));
  EXPECT_EQ(dlg_.path_name->currentText(), plat::path_to_qstring(dir_.path()));
  EXPECT_EQ(dlg_.model()->data(dlg_.model()->index(3, 0), Qt::DisplayRole).toString(), u"F003.NCD"_qs);
  EXPECT_EQ(dlg_.model()->data(dlg_.model()->index(3, 1), Qt::DisplayRole).toString(), u"       1"_qs);
  EXPECT_EQ(dlg_.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), to_qstring("サイズ"));
}

TEST_F(Chooser, TypedNameIsSelectedAndCentred) {
  struct Case {
    const char16_t* typed;
    int row;
  };
  for (const Case& c : {Case{u"F150.NCD", 150}, Case{u"f120.ncd", 120}, Case{u"nothing.ncd", -1}}) {
    SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
    dlg_.ed_file->setText(QString::fromUtf16(c.typed));
    if (!dlg_.isVisible()) show();
    dlg_.lv1->scrollToTop();
    dlg_.lv1->setCurrentIndex({});
    dlg_.List_files_in_dir("*.NCD");
    EXPECT_EQ(current_row(), c.row);
    if (c.row < 0) {
      EXPECT_EQ(dlg_.lv1->verticalScrollBar()->value(), 0);  // the list stays at its top
      continue;
    }
    const QRect r = dlg_.lv1->visualRect(dlg_.model()->index(c.row, 0));
    const int middle = dlg_.lv1->viewport()->height() / 2;
    EXPECT_LE(std::abs(r.center().y() - middle), r.height());
  }
}

TEST_F(Chooser, ClickTakesTheNameAndDoubleClickClosesWithOk) {
  show();
  dlg_.lv1->scrollTo(dlg_.model()->index(5, 0));
  const QRect r = dlg_.lv1->visualRect(dlg_.model()->index(5, 0));
  QTest::mouseClick(dlg_.lv1->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(dlg_.ed_file->text(), u"F005.NCD"_qs);
  EXPECT_TRUE(dlg_.isVisible());
  const QRect r2 = dlg_.lv1->visualRect(dlg_.model()->index(7, 0));
  // A double click is a press, a release and the double-click event.
  QTest::mouseClick(dlg_.lv1->viewport(), Qt::LeftButton, {}, r2.center());
  QTest::mouseDClick(dlg_.lv1->viewport(), Qt::LeftButton, {}, r2.center());
  EXPECT_FALSE(dlg_.isVisible());
  EXPECT_EQ(dlg_.result(), QDialog::Accepted);
  EXPECT_EQ(dlg_.file_name(), "F007.NCD");
}

TEST_F(Chooser, FolderThatCannotBeEnteredChangesNothing) {
  show();
  dlg_.set_path_items({"/a", "/b"});
  const auto before = dlg_.path_items();
  plat::ScriptedMessageBoxes boxes;
  dlg_.path_name->setEditText(u"/no/such/folder"_qs);
  dlg_.path_nameClick(1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "/no/such/folder が見つかりません");
  EXPECT_EQ(dlg_.model()->rowCount(), 200);
  EXPECT_EQ(dlg_.path_items(), before);
  EXPECT_EQ(fs::current_path(), dir_.path());
}

TEST_F(Chooser, FolderAndFilterHistories) {
  show();
  dlg_.set_filter_items({"*.nc", "*.txt"});
  // Enter in the filter box lists at once, and does not close the chooser.
  dlg_.filter_box->setEditText(u"*.TXT"_qs);
  QTest::keyClick(dlg_.filter_box->lineEdit(), Qt::Key_Return);
  EXPECT_TRUE(dlg_.isVisible());
  EXPECT_EQ(dlg_.model()->rowCount(), 1);
  EXPECT_EQ(dlg_.filter_items(), (std::vector<std::string>{"*.TXT", "*.nc"}));
  // The folder browser: the chosen folder becomes current and heads the history.
  fs::path asked;
  dlg_.browse = [&](QWidget*, const fs::path& start) {
    asked = start;
    return dir_.path() / "sub";
  };
  dlg_.set_path_items({dir_.path().string()});
  dlg_.filter_box->setEditText(u"*.ncd"_qs);
  QTest::mouseClick(dlg_.change_dir_btn, Qt::LeftButton);
  EXPECT_EQ(asked, dir_.path());
  EXPECT_EQ(fs::current_path(), dir_.path() / "sub");
  EXPECT_EQ(dlg_.path_items(), (std::vector<std::string>{(dir_.path() / "sub").string(), dir_.path().string()}));
  EXPECT_EQ(dlg_.model()->rowCount(), 1);
  // Enter in the folder box goes back, with "\" as the separator.
  QString back = plat::path_to_qstring(dir_.path());
  dlg_.path_name->setEditText(back.replace(u'/', u'\\'));
  QTest::keyClick(dlg_.path_name->lineEdit(), Qt::Key_Return);
  EXPECT_TRUE(dlg_.isVisible());
  EXPECT_EQ(fs::current_path(), dir_.path());
  EXPECT_EQ(dlg_.model()->rowCount(), 200);
  // A cancelled browser changes nothing.
  dlg_.browse = [](QWidget*, const fs::path&) { return fs::path(); };
  QTest::mouseClick(dlg_.change_dir_btn, Qt::LeftButton);
  EXPECT_EQ(fs::current_path(), dir_.path());
}

TEST_F(Chooser, ColumnWidthsSurviveHiding) {
  show();
  dlg_.lv1->setColumnWidth(0, 77);
  dlg_.hide();
  EXPECT_EQ(dlg_.col_width[0], 77);
  dlg_.show();
  EXPECT_EQ(dlg_.lv1->columnWidth(0), 77);
  EXPECT_EQ(dlg_.lv1->columnWidth(2), 120);
}

TEST_F(Chooser, RemembersItsStateThroughTheSettingsRecord) {
  const QRect desk = available_desktop();
  FILE_SEL_SETTINGS s;
  s.left = desk.right() + 700;  // beyond the right edge: 300 pixels inside it
  s.top = 10;
  s.width = 320;
  s.height = 410;
  s.name_width = 90;
  s.paths = {"/a", "", "/b"};
  s.filters = {"*.nc", "*.NCD"};
  s.filter = "*.nc";
  dlg_.set_from(s);
  show();
  EXPECT_EQ(dlg_.pos(), QPoint(desk.x() + desk.width() - 300, desk.y() + 10));
  EXPECT_EQ(dlg_.lv1->columnWidth(0), 90);
  EXPECT_EQ(dlg_.model()->rowCount(), 0);  // the whole name must match: no ".NCD" file
  FILE_SEL_SETTINGS out;
  dlg_.filter_box->setEditText(u"*.txt"_qs);
  dlg_.path_nameClick(2);
  dlg_.lv1->setColumnWidth(2, 140);
  dlg_.store_to(out);
  EXPECT_EQ(out.filter, "*.txt");
  EXPECT_EQ(out.filters, (std::vector<std::string>{"*.txt", "*.nc", "*.NCD"}));
  EXPECT_EQ(out.paths, (std::vector<std::string>{"/a", "/b"}));  // no empty entries
  EXPECT_EQ(out.name_width, 90);
  EXPECT_EQ(out.date_width, 140);
  EXPECT_EQ(out.width, 320);
}

TEST_F(Chooser, NameThatShiftJisCannotHoldIsRefused) {
  show();
  plat::ScriptedMessageBoxes boxes;
  dlg_.ed_file->setText(QString::fromUtf8(u8"\uD55C.ncd"));
  QTest::mouseClick(dlg_.open_btn, Qt::LeftButton);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("ファイル名に Shift-JIS で表せない文字があるため読み込めません。"),
            std::string::npos);
  EXPECT_TRUE(dlg_.isVisible());
  // Enter in the name closes with OK.
  dlg_.ed_file->setText(u"F001.NCD"_qs);
  QTest::keyClick(dlg_.ed_file, Qt::Key_Return);
  EXPECT_EQ(dlg_.result(), QDialog::Accepted);
}

}  // namespace

TEST_F(Chooser, TheFileCommandsDialogShowsTheRequestAndGivesBackTheChoice) {
  const QRect desk = available_desktop();
  struct Case {
    int mode;
    bool radio_1, radio_2;
    int choice;
  } cases[] = {{2, false, false, 1}, {4, true, true, 2}, {14, true, false, 1}, {15, false, true, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    TVLM_file_request r;
    r.mode = c.mode;
    r.caption = "NC data のオープン";
    r.sel.left = 2000;
    r.sel.top = -50;
    r.file_name = "F007.NCD";
    r.choice_1_shown = c.radio_1;
    r.choice_2_shown = c.radio_2;
    r.choice = c.choice;
    r.explorer_shown = c.mode == 2;
    bool seen = false;
    TVLM_file_dialog chooser(nullptr, [&](TFILE_SELECTION& d) {
      seen = true;
      EXPECT_EQ(d.x(), std::min(2000, desk.right() + 1 - 300));
      EXPECT_EQ(d.y(), desk.top());
      EXPECT_EQ(d.radio_1->isVisibleTo(&d), c.radio_1);
      EXPECT_EQ(d.radio_2->isVisibleTo(&d), c.radio_2);
      EXPECT_EQ(d.Label_cr->isVisibleTo(&d), c.radio_1 || c.radio_2);
      EXPECT_EQ(d.Explorer_btn->isVisibleTo(&d), c.mode == 2);
      EXPECT_EQ(d.radio_2->isChecked(), c.choice == 2);
      if (c.mode == 4) d.radio_1->setChecked(true);
      return int(QDialog::Accepted);
    });
    ASSERT_TRUE(chooser.choose(r));
    EXPECT_TRUE(seen);
    EXPECT_EQ(r.file_name, "F007.NCD");
    EXPECT_EQ(r.chosen, dir_.path() / "F007.NCD");
    EXPECT_EQ(r.choice, c.mode == 4 ? 1 : c.choice);
    EXPECT_EQ(r.sel.left, std::min(2000, desk.right() + 1 - 300));
  }
  // Cancel gives nothing, but the window's state comes back.
  TVLM_file_request r;
  r.sel.width = 333;
  TVLM_file_dialog cancel(nullptr, [](TFILE_SELECTION&) { return int(QDialog::Rejected); });
  EXPECT_FALSE(cancel.choose(r));
  EXPECT_TRUE(r.chosen.empty());
  EXPECT_EQ(r.sel.width, 333);
}
