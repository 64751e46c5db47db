#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "mainwin/memo_window_1.h"
#include "platform/qt/qtext.h"

namespace {

struct Recorder : MEMO_WIN_HOST {
  std::vector<std::string> calls;
  void jump_to_line_step(int n) override { calls.push_back("step " + std::to_string(n)); }
  void jump_to_line_text(const std::string& t) override { calls.push_back("text " + t); }
  void activate_main() override { calls.push_back("activate"); }
};

void double_click(Tmemo_win& w, int row) {
  const QModelIndex i = w.model().index(row);
  w.memo1->setCurrentIndex(i);
  w.memo1->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect);
  w.Memo1DblClick();
}

TEST(MemoWin, DoubleClickJumpsByKind) {
  Recorder r;
  Tmemo_win w(&r);
  w.add_error_line("     12 : エラー");
  w.add_note("( total err is 1 count )");
  w.Add_memo_win_line("      3 : pick", 0);  // a pick at block 0 still jumps by step
  w.Add_memo_win_line("      9 : pick", 41);
  struct Case { int row; std::vector<std::string> calls; };
  const Case cases[] = {
      {0, {"text      12 : エラー", "activate"}},
      {1, {}},
      {2, {"step 0", "activate"}},
      {3, {"step 41", "activate"}},
  };
  for (const Case& k : cases) {
    r.calls.clear();
    double_click(w, k.row);
    EXPECT_EQ(r.calls, k.calls) << "row " << k.row;
    EXPECT_EQ(w.model().data(w.model().index(k.row), Qt::CheckStateRole).toInt(), Qt::Checked);
  }
}

TEST(MemoWin, NoSelectionDoesNothing) {
  Recorder r;
  Tmemo_win w(&r);
  w.add_error_line("      1 : x");
  w.memo1->selectionModel()->clearSelection();
  w.Memo1DblClick();
  EXPECT_TRUE(r.calls.empty());
  EXPECT_EQ(w.model().data(w.model().index(0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST(MemoWin, CopyPutsEachTextWithLfAndClearEmpties) {
  Recorder r;
  Tmemo_win w(&r);
  QApplication::clipboard()->setText(QStringLiteral("old"));
  QTest::mouseClick(w.Button2, Qt::LeftButton);
  EXPECT_EQ(QApplication::clipboard()->text(), QString());

  w.add_error_line("      1 : 円弧");
  w.Add_memo_win_line("      2 : b", 5);
  QTest::mouseClick(w.Button2, Qt::LeftButton);
  EXPECT_EQ(QApplication::clipboard()->text(), plat::to_qstring("      1 : 円弧\n      2 : b\n"));

  QTest::mouseClick(w.Button3, Qt::LeftButton);
  EXPECT_EQ(w.entry_count(), 0);
  EXPECT_EQ(w.memo1->model()->rowCount(), 0);
}

TEST(MemoWin, StaysOnTopWithItsCaption) {
  Tmemo_win w(nullptr);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(w.windowTitle(), plat::to_qstring("エラー表示ウィンドウ"));
  w.show();
  QTest::mouseClick(w.Button1, Qt::LeftButton);
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
