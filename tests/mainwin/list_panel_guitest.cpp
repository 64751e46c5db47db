// The listing rows under offscreen Qt, driven by key and mouse events.
// The NC data record first: Qt's "slots" keyword would meet its field of that name.
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"
#include "tests/ncdata/ncd_test_util.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>

#include "mainwin/list_panel_1.h"
#include "platform/qt/qtext.h"

namespace {

using plat::to_qstring;

std::vector<std::string> stored(const NCD_DATA& d) { return ncd_lines(d); }

// The x position of character column `col` of a row (the rows have a fixed-pitch font).
int column_x(TNcdRow* r, int col) {
  return 2 + QFontMetrics(r->font()).horizontalAdvance(QString(col, u'0'));
}

// A window with the listing, a second edit to move the focus to, and two window actions.
struct Window {
  QMainWindow w;
  QWidget* central = new QWidget(&w);
  TVelmorListing listing{central};
  QLineEdit* other = new QLineEdit(central);
  QAction* redo = new QAction(&w);
  QAction* last = new QAction(&w);
  int statuses = 0;

  explicit Window(const std::string& text) {
    w.setCentralWidget(central);
    listing.panel()->setGeometry(0, 0, 500, 20 * 15);
    other->setGeometry(0, 320, 100, 20);
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    last->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_End));
    w.addAction(redo);
    w.addAction(last);
    listing.on_status = [this] { ++statuses; };
    NCD_DATA& d = listing.data();
    Append_NCD_text(d, text.data(), text.size(), true);
    for (int i = 0; i < d.line_count; ++i) Parse_NCD_line(d, i);
    Run_all_NCD(d, 0);
    Set_NCD_list_range(listing.list());
    w.resize(520, 360);
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    Goto_NCD_step(d, 0, false);
    Redraw_NCD_list(listing.list());
  }
  TNcdRow* row_of(int line) {
    for (int i = 0; i < listing.list().visible; ++i)
      if (get_edit_line_no(listing.list(), listing.panel()->row(i)->bytes(), false) == line)
        return listing.panel()->row(i);
    ADD_FAILURE() << "line " << line << " is not shown";
    return listing.panel()->row(0);
  }
  // Clicks into row of `line` at the character column `col`.
  void click(int line, int col) {
    TNcdRow* r = row_of(line);
    const int x = column_x(r, col);
    QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(x, r->height() / 2));
  }
  NCD_DATA& d() { return listing.data(); }
};

const char* const kProgram = "O1\r\nG90G00X0Y0Z5.\r\nG01X10.Y20.F100\r\nX20.\r\nY30.\r\nM30\r\n";

TEST(ListPanel, RowsAreNamedTaggedAndLaidOut) {
  Window t(kProgram);
  TListPanel* p = t.listing.panel();
  for (int i : {0, 7, 50}) {
    auto* r = p->SCB1()->findChild<TNcdRow*>(u"L"_qs + QString::number(i));
    ASSERT_NE(r, nullptr) << i;
    EXPECT_EQ(r->property("Tag").toInt(), i);
    EXPECT_EQ(r->focusPolicy() & Qt::TabFocus, 0);
  }
  EXPECT_FALSE(p->row(50)->isVisible());
  EXPECT_EQ(p->row(1)->y(), p->row(0)->height() - 1);
  EXPECT_NE(p->findChild<TScrollBarEx*>(u"scr_bar"_qs), nullptr);
  EXPECT_EQ(p->row(1)->text(), u"        2 : G90G00X0Y0Z5."_qs);
  EXPECT_FALSE(p->row(0)->hasSelectedText());  // no select-all at the first show
  EXPECT_TRUE(p->row(10)->isReadOnly());        // past the end
}

TEST(ListPanel, ResizeRecountsRowsAndTheScrollBarScrolls) {
  std::string text;
  for (int i = 1; i <= 200; ++i) text += "X" + std::to_string(i) + ".\r\n";
  Window t(text);
  TListPanel* p = t.listing.panel();
  const int step = p->row(0)->height() - 1;
  for (auto [rows_high, visible] : {std::pair{80, 50}, std::pair{3, 5}, std::pair{12, 12}}) {
    p->resize(500, rows_high * step + 1);
    EXPECT_EQ(t.listing.list().visible, visible) << rows_high;
    EXPECT_EQ(p->scroll_bar()->height(), p->height());
    EXPECT_EQ(p->SCB1()->width(), p->width() - p->scroll_bar()->width() - 4);
  }
  EXPECT_EQ(p->scroll_bar()->Max(), 200);
  // Moving the bar shows the listing from there, also away from the current line; moving
  // the simulation brings the current line back into view.
  p->scroll_bar()->SetPosition(100);
  EXPECT_EQ(p->row(0)->bytes(), "       99 : X99.");
  EXPECT_EQ(t.d().pos.cur_line, 0);
  Central_Control_Action(t.listing.list(), 1, true);
  Central_Control_Action(t.listing.list(), 1, true);
  EXPECT_EQ(p->row(0)->bytes(), "        1 : X1.");
  EXPECT_EQ(p->row(1)->bytes(), "*       2 : X2.");
}

TEST(ListPanel, KeysMoveTheSimulationAndSplitLines) {
  Window t("G01X1.F100\r\n\x8a\xbf\x8e\x9a" "X2.\r\nX3.\r\nM30\r\n");  // a kanji pair on line 1
  t.click(0, 14);
  EXPECT_EQ(t.d().pos.cur_line, 0);
  TNcdRow* r = t.row_of(0);
  ASSERT_TRUE(r->hasFocus());
  QTest::keyClick(r, Qt::Key_Down);  // line 0's own block
  QTest::keyClick(t.row_of(0), Qt::Key_Down);
  EXPECT_EQ(t.d().pos.cur_line, 1);
  // The focus follows the current line.
  r = t.row_of(1);
  EXPECT_TRUE(r->hasFocus());
  EXPECT_TRUE(r->text().startsWith(u'*'));
  // Enter right behind the two kanji splits there.
  r->setCursorPosition(12 + 2);
  QTest::keyClick(r, Qt::Key_Return);
  EXPECT_EQ(stored(t.d()), (std::vector<std::string>{"G01X1.F100", "\x8a\xbf\x8e\x9a", "X2.", "X3.", "M30"}));
  EXPECT_EQ(t.d().pos.cur_line, 2);
  // Backspace at the start joins them again; Up goes back.
  r = t.row_of(2);
  ASSERT_TRUE(r->hasFocus());
  r->setCursorPosition(12);
  QTest::keyClick(r, Qt::Key_Backspace);
  EXPECT_EQ(stored(t.d()), (std::vector<std::string>{"G01X1.F100", "\x8a\xbf\x8e\x9a" "X2.", "X3.", "M30"}));
  EXPECT_EQ(t.d().pos.cur_line, 1);
  QTest::keyClick(t.row_of(1), Qt::Key_Up);
  EXPECT_EQ(t.d().pos.cur_line, 0);
  // Delete at the end joins the next line.
  r = t.row_of(1);
  r->setFocus();
  r->end(false);
  QTest::keyClick(r, Qt::Key_Delete);
  EXPECT_EQ(stored(t.d()), (std::vector<std::string>{"G01X1.F100", "\x8a\xbf\x8e\x9a" "X2.X3.", "M30"}));
  EXPECT_GT(t.statuses, 0);
}

TEST(ListPanel, AFocusMoveCommitsOnce) {
  Window t(kProgram);
  t.click(3, 14);
  TNcdRow* r = t.row_of(3);
  r->end(false);
  QTest::keyClicks(r, u"5"_qs);
  EXPECT_TRUE(r->isModified());
  const int before = t.statuses;
  t.other->setFocus();
  EXPECT_EQ(stored(t.d())[3], "X20.5");
  EXPECT_EQ(t.statuses, before + 1);
  EXPECT_EQ(t.d().pos.cur_line, 3);
  // Back into the listing and out again: nothing is left to commit.
  t.row_of(3)->setFocus();
  t.other->setFocus();
  EXPECT_EQ(t.statuses, before + 1);
}

TEST(ListPanel, ThePrefixCannotBeEdited) {
  Window t(kProgram);
  t.click(2, 14);
  TNcdRow* r = t.row_of(2);
  const QString was = r->text();
  QTest::keyClick(r, Qt::Key_Home);
  EXPECT_EQ(r->cursorPosition(), 12);
  QTest::keyClick(r, Qt::Key_Delete);
  EXPECT_EQ(r->text(), was.left(12) + was.mid(13));
  EXPECT_EQ(r->text().left(12), was.left(12));
  QTest::keyClick(r, Qt::Key_Left);
  EXPECT_EQ(r->cursorPosition(), 12);
  // Shift+Home selects the text only.
  r->end(false);
  QTest::keyClick(r, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(r->selectionStart(), 12);
  r->end(false);
  // A character that CP932 cannot hold is refused, a kanji is taken.
  for (const QString& typed : {u"\u00e9"_qs, u"\u6f22"_qs}) {
    QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, typed);
    QApplication::sendEvent(r, &key);
  }
  EXPECT_EQ(r->text(), was.left(12) + was.mid(13) + u"\u6f22"_qs);
}

TEST(ListPanel, LongRowsAndTyping) {
  std::string long_line = "G01";
  while (long_line.size() < 250) long_line += "X1.";
  long_line.resize(250);
  Window t("G00X0\r\n" + long_line + "\r\nM30\r\n");
  TNcdRow* r = t.row_of(1);
  EXPECT_EQ(r->bytes(), "        2 : " + long_line);  // shown whole, 262 characters
  t.click(1, 20);
  r = t.row_of(1);
  r->end(false);
  // Typing into a row longer than the limit is refused; deleting works.
  QTest::keyClicks(r, u"Y"_qs);
  EXPECT_EQ(r->text().size(), 262);
  QTest::keyClick(r, Qt::Key_Backspace);
  EXPECT_EQ(r->text().size(), 261);
  // A short row takes typing up to 120 bytes.
  t.click(0, 14);
  r = t.row_of(0);
  r->end(false);
  QTest::keyClicks(r, QString(200, u'1'));
  EXPECT_EQ(r->bytes().size(), 120u);
}

TEST(ListPanel, WindowShortcutsWin) {
  Window t(kProgram);
  QSignalSpy redo(t.redo, &QAction::triggered);
  QSignalSpy last(t.last, &QAction::triggered);
  t.click(2, 14);
  TNcdRow* r = t.row_of(2);
  QTest::keyClick(r, Qt::Key_Y, Qt::ControlModifier);
  QTest::keyClick(r, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(redo.count(), 1);
  EXPECT_EQ(last.count(), 1);
}

TEST(ListPanel, ADragStopsAtTheLineNumbers) {
  Window t(kProgram);
  t.click(2, 16);
  TNcdRow* r = t.row_of(2);
  const int y = r->height() / 2;
  QTest::mousePress(r, Qt::LeftButton, {}, QPoint(column_x(r, 16), y));
  QMouseEvent move(QEvent::MouseMove, QPointF(2, y), r->mapToGlobal(QPointF(2, y)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(r, &move);
  QTest::mouseRelease(r, Qt::LeftButton, {}, QPoint(2, y));
  ASSERT_TRUE(r->hasSelectedText());
  EXPECT_EQ(r->selectionStart(), 12);
}

TEST(ListPanel, InvalidBytesOfAnUntouchedPartSurvive) {
  // 0x81 0x20 is no CP932 character.
  Window t("G01X1.\r\n(\x81\x20)X2.\r\nM30\r\n");
  t.click(1, 20);
  TNcdRow* r = t.row_of(1);
  r->end(false);
  QTest::keyClicks(r, u"5"_qs);
  t.other->setFocus();
  EXPECT_EQ(stored(t.d())[1], "(\x81\x20)X2.5");
}

}  // namespace
