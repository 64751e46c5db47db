#include "tooling/path_color_set_win_1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "tooling/core/color_pick.h"
#include "tooling/select_color_1.h"

namespace {

template <class T>
T* child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

void enter(QLineEdit* e, const char* text) {
  e->setText(QString::fromLatin1(text));
  QTest::keyClick(e, Qt::Key_Return);
}

Tdisp_status rows_1_to_8_rising() {
  Tdisp_status d;
  for (int n = 0; n < DISP_PATH_ROWS; ++n) {
    d.path[n].color = n;
    d.path[n].width = 1;
    d.path[n].p_width = 2;
    d.path[n].style = n % 4;
  }
  for (int n = 1; n <= 9; ++n) d.path[n].sokudo = 100.0f * n;
  d.PATH_COLOR_TAB = 1;
  return d;
}

// A picker that plays the user: live picks 40 and 41, then Cancel or OK on 41.
class PlayingChooser : public Tcolor_chooser {
 public:
  bool cancel = true;
  int seen_start = -1;
  std::optional<int> choose_color(int start, std::function<void(int)> live, QWidget*) override {
    seen_start = start;
    live(40);
    live(41);
    if (cancel) {
      live(start);
      return std::nullopt;
    }
    return 41;
  }
};

}  // namespace

TEST(ColorSelection, GridSlidersAndLiveTargetWithCancel) {
  Tcolor_selection w;
  std::vector<int> live;
  w.color_in = 21;
  w.live = [&live](int c) { live.push_back(c); };
  w.show();
  EXPECT_EQ(w.code(), 21);
  EXPECT_EQ(child<QSlider>(w, "tr_x1")->value(), 5);
  EXPECT_EQ(child<QSlider>(w, "tr_y1")->value(), 2);  // row 1 from the bottom, top = 0
  // A press at the lower left picks 0, at the top right 63; a drag beyond is clamped.
  QWidget* pb1 = child<QWidget>(w, "pb1");
  QTest::mousePress(pb1, Qt::LeftButton, {}, QPoint(0, 31));
  EXPECT_EQ(w.code(), 0);
  QTest::mousePress(pb1, Qt::LeftButton, {}, QPoint(127, 0));
  EXPECT_EQ(w.code(), 63);
  EXPECT_EQ(child<QLineEdit>(w, "ed_col")->text(), QStringLiteral("63"));
  child<QSlider>(w, "tr_x1")->setValue(2);
  EXPECT_EQ(w.code(), 50);
  {
    plat::ScriptedMessageBoxes boxes;
    enter(child<QLineEdit>(w, "ed_col"), "64");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kColorCodeMessage);
    EXPECT_EQ(w.code(), 50);
    enter(child<QLineEdit>(w, "ed_col"), "17");
    EXPECT_EQ(w.code(), 17);
  }
  ASSERT_FALSE(live.empty());
  EXPECT_EQ(live.back(), 17);
  QTest::mouseClick(child<QPushButton>(w, "Button1"), Qt::LeftButton);
  EXPECT_EQ(w.result(), QDialog::Rejected);
  EXPECT_EQ(w.color_out, 21);
  EXPECT_EQ(live.back(), 21);  // the start code went back into the caller's target
}

TEST(ColorSelection, SetGivesTheCode) {
  Tcolor_selection w;
  w.color_in = 3;
  w.show();
  w.Set_color_selection(4, 2);
  QTest::mouseClick(child<QPushButton>(w, "set1"), Qt::LeftButton);
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(w.color_out, 36);
}

TEST(PathColorSet, RowsPickerBandsAndChecks) {
  PlayingChooser chooser;
  Tpath_color_set w(chooser);
  w.disp = rows_1_to_8_rising();
  w.Set_path_color_controls();
  w.set_page(1);
  w.show();
  EXPECT_EQ(child<QLabel>(w, "flag_8")->text(), plat::to_qstring("(有効)"));
  EXPECT_EQ(child<QLineEdit>(w, "ED_SOKUDO_3")->text(), QStringLiteral("300"));
  // A falling limit invalidates its row and every later band row.
  enter(child<QLineEdit>(w, "ED_SOKUDO_3"), "150");
  EXPECT_EQ(w.disp.band_count, 2);
  EXPECT_EQ(child<QLabel>(w, "flag_3")->text(), plat::to_qstring("(無効)"));
  EXPECT_EQ(child<QLabel>(w, "flag_8")->text(), plat::to_qstring("(無効)"));
  EXPECT_FALSE(child<QLineEdit>(w, "ED_COL_5")->isEnabled());
  EXPECT_TRUE(child<QLineEdit>(w, "ED_SOKUDO_5")->isEnabled());
  enter(child<QLineEdit>(w, "ED_SOKUDO_3"), "300");
  EXPECT_EQ(w.disp.band_count, 8);

  // Row checks by Enter: each bad value gets its message and changes nothing.
  struct Case {
    const char* edit;
    const char* text;
    const char* message;
  } cases[] = {
      {"ED_W_2", "0", kLineWidthMessage},
      {"ED_PW_2", "21", kLineWidthMessage},
      {"ED_COL_2", "64", kColorCodeMessage},
      {"ED_SOKUDO_2", "-1", kFeedLimitMessage},
      {"ED_SOKUDO_2", "abc", kFeedLimitMessage},
  };
  const Tdisp_status before = w.disp;
  for (const Case& c : cases) {
    plat::ScriptedMessageBoxes boxes;
    enter(child<QLineEdit>(w, c.edit), c.text);
    ASSERT_EQ(boxes.shown.size(), 1u) << c.edit;
    EXPECT_EQ(boxes.shown[0].text, c.message);
    child<QLineEdit>(w, c.edit)->setText(QString::fromLatin1(c.edit[3] == 'O' ? "2" : "2"));
  }
  for (int n = 0; n < DISP_PATH_ROWS; ++n) {
    EXPECT_EQ(w.disp.path[n].width, before.path[n].width);
    EXPECT_EQ(w.disp.path[n].color, before.path[n].color);
    EXPECT_EQ(w.disp.path[n].sokudo, before.path[n].sokudo);
  }
  enter(child<QLineEdit>(w, "ED_W_2"), "7");
  EXPECT_EQ(w.disp.path[2].width, 7);

  // The picker's live picks reach the row's edit; Cancel puts the start code back.
  QTest::mouseClick(child<QPushButton>(w, "CB_4"), Qt::LeftButton);
  EXPECT_EQ(chooser.seen_start, 4);
  EXPECT_EQ(child<QLineEdit>(w, "ED_COL_4")->text(), QStringLiteral("4"));
  EXPECT_EQ(w.disp.path[4].color, 4);
  chooser.cancel = false;
  QTest::mouseClick(child<QPushButton>(w, "CP_4"), Qt::LeftButton);
  EXPECT_EQ(child<QLineEdit>(w, "ED_COL_4")->text(), QStringLiteral("41"));
  EXPECT_EQ(w.disp.path[4].color, 41);
}

TEST(PathColorSet, OkStaysOpenOnABadTextAndStoresThePage) {
  PlayingChooser chooser;
  Tpath_color_set w(chooser);
  w.disp = rows_1_to_8_rising();
  w.Set_path_color_controls();
  w.set_page(2);
  w.show();
  EXPECT_EQ(child<QTabWidget>(w, "PageControl")->currentIndex(), 1);
  child<QLineEdit>(w, "ED_W_12")->setText(QStringLiteral("x"));  // typed, no Enter
  {
    plat::ScriptedMessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(w, "OK_btn"), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kLineWidthMessage);
  }
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.result(), 0);
  EXPECT_EQ(w.disp.path[12].width, 1);
  child<QLineEdit>(w, "ED_W_12")->setText(QStringLiteral("5"));
  child<QComboBox>(w, "COMBO_13")->setCurrentIndex(3);
  child<QTabWidget>(w, "PageControl")->setCurrentIndex(0);
  QTest::mouseClick(child<QPushButton>(w, "OK_btn"), Qt::LeftButton);
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(w.disp.path[12].width, 5);
  EXPECT_EQ(w.disp.path[13].style, 3);
  EXPECT_EQ(w.disp.PATH_COLOR_TAB, 1);
  EXPECT_EQ(w.disp.band_count, 8);
}

// Leaving an edit after a change checks it as Enter does: a bad text gets one box and keeps
// the focus, leaving it again unchanged shows none; a good text is stored.
TEST(PathColorSetAndColorSelection, LeavingAChangedEditChecksItOnce) {
  auto settle = [] {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  };
  auto retype = [&](QLineEdit* e, const char* text) {
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, QString::fromLatin1(text));
    QTest::keyClick(e, Qt::Key_Tab);
    settle();
  };
  PlayingChooser chooser;
  Tpath_color_set paths(chooser);
  paths.disp = rows_1_to_8_rising();
  paths.Set_path_color_controls();
  paths.set_page(1);
  paths.show();
  Tcolor_selection picker;
  picker.color_in = 21;
  struct Case {
    QWidget* window;
    const char* edit;
    const char* bad;
    const char* message;
    const char* good;
  } cases[] = {
      {&paths, "ED_COL_2", "64", kColorCodeMessage, "30"},
      {&paths, "ED_W_2", "0", kLineWidthMessage, "6"},
      {&paths, "ED_PW_2", "x", kLineWidthMessage, "4"},
      {&paths, "ED_SOKUDO_2", "abc", kFeedLimitMessage, "250"},
      {&picker, "ed_col", "64", kColorCodeMessage, "17"},
  };
  QWidget* shown = nullptr;
  for (const Case& c : cases) {
    if (c.window != shown) {
      if (shown) shown->hide();
      shown = c.window;
      shown->show();
      shown->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(shown)) << c.edit;
    }
    auto* e = child<QLineEdit>(*c.window, c.edit);
    plat::ScriptedMessageBoxes boxes;
    retype(e, c.bad);
    ASSERT_EQ(boxes.shown.size(), 1u) << c.edit;
    EXPECT_EQ(boxes.shown[0].text, c.message) << c.edit;
    EXPECT_TRUE(e->hasFocus()) << c.edit;
    QTest::keyClick(e, Qt::Key_Tab);
    settle();
    EXPECT_EQ(boxes.shown.size(), 1u) << c.edit;
    EXPECT_FALSE(e->hasFocus()) << c.edit;
    retype(e, c.good);
    EXPECT_EQ(boxes.shown.size(), 1u) << c.edit;
  }
  EXPECT_EQ(paths.disp.path[2].color, 30);
  EXPECT_EQ(paths.disp.path[2].width, 6);
  EXPECT_EQ(paths.disp.path[2].p_width, 4);
  EXPECT_EQ(paths.disp.path[2].sokudo, 250.0f);
  EXPECT_EQ(picker.code(), 17);
}
