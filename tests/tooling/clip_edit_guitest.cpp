// The output text window and the two dialogs of the NC outputs, offscreen.
#include "tooling/clip_edit_1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTest>

#include "mainwin/core/nc_file.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tests/support/test_support.h"
#include "tests/support/text_fit.h"
#include "tooling/core/tooling_host.h"
#include "tooling/sub_tdh_pset_win_1.h"
#include "tooling/tool_cond_chk_win_1.h"

namespace fs = std::filesystem;
using plat::to_qstring;
using testing_support::read_file;
using testing_support::TempDir;

namespace {

struct FakeHost : Ttooling_host {
  fs::path nc;
  std::vector<std::string> comments, defs;
  fs::path nc_path() const override { return nc; }
  std::vector<std::string> nc_comment_lines() const override { return comments; }
  std::vector<std::string> tool_def_lines() const override { return defs; }
  fs::path free_numbered_name(const fs::path& f) const override {
    return get_free_numbered_name(f);
  }
};

TText_lines numbered(int n) {
  TText_lines l;
  for (int i = 1; i <= n; ++i) l.add("G01X" + std::to_string(i) + ".");
  return l;
}

struct ClipFixture : ::testing::Test {
  ClipFixture() {
    plat::set_desktop_folder(desk.path());
    fs::create_directories(src.path() / "job");
    host.nc = src.path() / "job" / "PART-03.NC";
    host.comments = {"(VLM ORIGN X0Y0Z100.)"};
  }
  ~ClipFixture() override { plat::set_desktop_folder({}); }
  TempDir desk, src;
  FakeHost host;
  plat::ScriptedMessageBoxes boxes;
};

TEST_F(ClipFixture, ShortOutputIsEditableThroughThePopup) {
  TClip_Edit w(host);
  TText_lines l = numbered(50);
  w.set_lines(l, "G91 に変更 ");
  EXPECT_TRUE(l.empty());
  EXPECT_FALSE(w.read_only_view());
  EXPECT_EQ(w.windowTitle(), to_qstring("G91 に変更 "));
  EXPECT_TRUE(w.Paste1->isEnabled());
  w.N1->trigger();
  w.Copy1->trigger();
  const QString all = QApplication::clipboard()->text();
  EXPECT_EQ(all.count(QLatin1Char('\n')), 49);
  EXPECT_TRUE(all.startsWith(u"G01X1.\n"_qs));
  w.Cut1->trigger();
  EXPECT_TRUE(w.re1->toPlainText().isEmpty());
  w.Paste1->trigger();
  EXPECT_EQ(w.re1->toPlainText(), all);
  w.N3->trigger();
  EXPECT_TRUE(w.re1->toPlainText().isEmpty());
  EXPECT_TRUE(w.lines().empty());
  // Every pop-up caption shows whole.
  w.show();
  EXPECT_EQ(w.popup->actions().size(), 12);
}

TEST_F(ClipFixture, LongOutputIsReadOnlyAndCopiesEveryLine) {
  TClip_Edit w(host);
  TText_lines l = numbered(150000);
  w.set_lines(l, "サブプロ展開 ");
  EXPECT_TRUE(w.read_only_view());
  EXPECT_FALSE(w.Cut1->isEnabled());
  EXPECT_FALSE(w.Paste1->isEnabled());
  EXPECT_TRUE(w.windowTitle().contains(to_qstring("読み取り専用")));
  EXPECT_EQ(w.list_view->model()->rowCount(), 150000);
  w.N1->trigger();
  w.Copy1->trigger();
  const QString all = QApplication::clipboard()->text();
  EXPECT_EQ(all.count(QLatin1Char('\n')), 149999);
  EXPECT_TRUE(all.endsWith(u"G01X150000."_qs));
  // Two rows only.
  w.list_view->clearSelection();
  w.list_view->selectionModel()->select(w.list_view->model()->index(9, 0), QItemSelectionModel::Select);
  w.list_view->selectionModel()->select(w.list_view->model()->index(2, 0), QItemSelectionModel::Select);
  w.Copy1->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), u"G01X3.\nG01X10."_qs);
  // Saving works on the list as it stands.
  w.N5->trigger();
  const std::string saved = read_file(desk.path() / "PART-01.NC");
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 150000 + 3);
}

TEST_F(ClipFixture, SavingNumbersTheNameAndFramesTheText) {
  TClip_Edit w(host);
  TText_lines l;
  l.add("G01X1.");
  l.add(std::string("(\x83\x5C\xFF\x80)"));  // a 0x5C trail byte and bytes CP932 cannot map
  w.set_lines(l, "x");
  w.N5->trigger();
  w.N5->trigger();
  const std::string want = "%\r\n(VLM ORIGN X0Y0Z100.)\r\nG01X1.\r\n(\x83\x5C\xFF\x80)\r\n%\r\n";
  EXPECT_EQ(read_file(desk.path() / "PART-01.NC"), want);
  EXPECT_EQ(read_file(desk.path() / "PART-02.NC"), want);
  EXPECT_FALSE(fs::exists(desk.path() / "PART-01.nst"));
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].caption, "保存しました");
  EXPECT_EQ(boxes.shown[1].text, plat::utf8_to_cp932((desk.path() / "PART-02.NC").string()) + " で保存しました");
  EXPECT_EQ(w.windowTitle(), to_qstring("PART-02.NC で保存しました"));

  // Beside the source, with the tool file.
  host.defs = {"(VLM T1 A3 C10.)"};
  w.N8->trigger();
  EXPECT_EQ(read_file(src.path() / "job" / "PART-01.NC"), want);
  EXPECT_EQ(read_file(src.path() / "job" / "PART-01.nst"), "(VLM T1 A3 C10.)\r\n");

  // An empty text still has its two "%" lines.
  w.N3->trigger();
  w.N5->trigger();
  EXPECT_EQ(read_file(desk.path() / "PART-03.NC"), "%\r\n(VLM ORIGN X0Y0Z100.)\r\n%\r\n");
}

TEST_F(ClipFixture, RefusedSavesWriteNothing) {
  TClip_Edit w(host);
  TText_lines l = numbered(3);
  w.set_lines(l, "x");
  // The NC file's folder has vanished.
  fs::remove_all(src.path() / "job");
  w.N8->trigger();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "エラー");
  EXPECT_FALSE(fs::exists(src.path() / "job"));
  // No NC file: beside the source is refused; the desktop gets "no-name".
  host.nc.clear();
  w.N9->trigger();
  EXPECT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].caption, "エラー");
  w.N5->trigger();
  EXPECT_TRUE(fs::exists(desk.path() / "no-name-01.ncd"));
  // A typed character CP932 cannot hold stops the save and names its line.
  w.re1->appendPlainText(u"G01 \U0001F600"_qs);
  w.N5->trigger();
  EXPECT_NE(boxes.shown.back().text.find("4 行目"), std::string::npos);
  EXPECT_FALSE(fs::exists(desk.path() / "no-name-02.ncd"));
  // An edited text that CP932 holds is saved as edited.
  w.re1->setPlainText(to_qstring("G00X1.(ソ)"));
  w.re1->document()->setModified(true);
  w.N5->trigger();
  EXPECT_EQ(read_file(desk.path() / "no-name-02.ncd"), "%\r\n(VLM ORIGN X0Y0Z100.)\r\nG00X1.(ソ)\r\n%\r\n");
}

TEST_F(ClipFixture, SaveAndOpenStartsVelmorOnTheSavedFile) {
  plat::RecordingLauncher launcher;
  TClip_Edit w(host);
  TText_lines l = numbered(2);
  w.set_lines(l, "x");
  w.N9->trigger();
  ASSERT_EQ(launcher.calls.size(), 1u);
  EXPECT_EQ(launcher.calls[0].program, plat::executable_folder() / "velmor");
  const fs::path saved = src.path() / "job" / "PART-01.NC";
  EXPECT_EQ(launcher.calls[0].args, std::vector<std::string>{saved.string()});
  EXPECT_EQ(boxes.shown.back().text, plat::utf8_to_cp932(saved.string()) + " を Velmor で表示します");
  w.N6->trigger();
  EXPECT_EQ(launcher.calls.size(), 2u);
  EXPECT_EQ(launcher.calls[1].args[0], (desk.path() / "PART-01.NC").string());
}

// ---- the dialogs -----------------------------------------------------------------------------

TEST(ToolCheckDialog, DefaultsLabel19AndValues) {
  TTOOL_COND_CHK_win dlg;
  EXPECT_EQ(dlg.windowTitle(), to_qstring("工具チェックデータの出力パラメータ設定"));
  const TTOOL_CHECK_PARAMS p = dlg.params();
  EXPECT_EQ(p.m6, "M6");
  EXPECT_EQ(p.init, "G90G00G17G40G54");
  EXPECT_EQ(p.x, "-50.");
  EXPECT_EQ(p.y, "-50.");
  EXPECT_EQ(p.z, "-50.");
  EXPECT_EQ(p.f, "200");
  EXPECT_EQ(p.o_num, "1234");
  EXPECT_TRUE(p.pre_m6.empty());
  EXPECT_FALSE(p.no_name);
  dlg.show();
  EXPECT_EQ(dlg.Label19->text(), to_qstring("G90G01G40 X-50.  ( ← ④の X 位置)"));
  dlg.ED_3_X->clear();
  QTest::keyClicks(dlg.ED_3_X, u"-75.5"_qs);
  EXPECT_EQ(dlg.Label19->text(), to_qstring("G90G01G40 X-75.5  ( ← ④の X 位置)"));
  QTest::mouseClick(dlg.chk_No_Name, Qt::LeftButton);
  EXPECT_TRUE(dlg.params().no_name);
  EXPECT_EQ(dlg.params().x, "-75.5");
  EXPECT_EQ(testing_support::clipped_captions(dlg), std::vector<std::string>{});
  QTest::mouseClick(dlg.Button2, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST(CutOutDialog, CommentPreviewFollowsTheNameSwitch) {
  TSUB_TDH_PSET_win dlg;
  EXPECT_EQ(dlg.windowTitle(), to_qstring("切り出しパラメータ設定"));
  dlg.comment_prefix = "(  3 : T03 D03 H03 ";
  dlg.tool_name = "φ10 フラット";
  dlg.Label_T->setText(u"T03"_qs);
  dlg.show();
  EXPECT_EQ(dlg.Label_COMMENT->text(), to_qstring("(  3 : T03 D03 H03 : \"φ10 フラット\")"));
  QTest::mouseClick(dlg.chk_No_Name, Qt::LeftButton);
  EXPECT_EQ(dlg.Label_COMMENT->text(), to_qstring("(  3 : T03 D03 H03 )"));
  dlg.tool_name.clear();
  QTest::mouseClick(dlg.chk_No_Name, Qt::LeftButton);
  EXPECT_EQ(dlg.Label_COMMENT->text(), to_qstring("(  3 : T03 D03 H03 )"));
  EXPECT_EQ(testing_support::clipped_captions(dlg), std::vector<std::string>{});
  QTest::keyClicks(dlg.Edit_D, u"05"_qs);
  QTest::mouseClick(dlg.btn_OK, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Edit_D->text(), u"05"_qs);
}

}  // namespace
