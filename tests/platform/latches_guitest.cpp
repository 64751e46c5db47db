#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <optional>

#include "platform/core/input.h"
#include "platform/qt/app.h"
#include "platform/qt/qtext.h"
#include "tests/support/real_boxes.h"

using namespace plat;

TEST(InputLatches, EscapeIsLatchedUntilRead) {
  QWidget w;
  w.show();
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&w, &press);
  QApplication::sendEvent(&w, &release);
  EXPECT_TRUE(escape_pressed());   // pressed since the last read
  EXPECT_FALSE(escape_pressed());  // the read cleared it
  QApplication::sendEvent(&w, &press);
  EXPECT_TRUE(escape_pressed());
  EXPECT_TRUE(escape_pressed());   // still down
  QApplication::sendEvent(&w, &release);
  EXPECT_FALSE(escape_pressed());
}

TEST(InputLatches, BusySwallowsUserInput) {
  QPushButton b;
  b.resize(80, 30);
  b.show();
  int clicks = 0;
  QObject::connect(&b, &QPushButton::clicked, [&] { ++clicks; });
  auto click = [&] {
    QPointF p(10, 10);
    QMouseEvent pr(QEvent::MouseButtonPress, p, b.mapToGlobal(p), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
    QMouseEvent re(QEvent::MouseButtonRelease, p, b.mapToGlobal(p), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&b, &pr);
    QApplication::sendEvent(&b, &re);
  };
  click();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(key_down(Key::LButton));  // latched by the first click
  {
    BusyGuard g;
    click();
    EXPECT_EQ(clicks, 1);                 // swallowed
    EXPECT_TRUE(mouse_button_down());     // but still seen by the polling loop
  }
  click();
  EXPECT_EQ(clicks, 2);
}

TEST(QtText, QStringRoundTrip) {
  std::string s = "\x83\x5C\x81\x5B\x83\x58 X";  // ソース X
  QString q = to_qstring(s);
  EXPECT_EQ(q, QString::fromUtf16(u"ソース X"));
  EXPECT_EQ(from_qstring(q), s);
  bool lossless = true;
  EXPECT_EQ(from_qstring(QString::fromUtf16(u"a\u00B5"), &lossless), "a?");
  EXPECT_FALSE(lossless);
}

TEST(Application, TrapCatchesWhatEscapesAHandler) {
  auto* app = static_cast<Application*>(QCoreApplication::instance());
  std::string caught;
  app->set_trap_handler([&](const std::string& w) { caught = w; });
  QPushButton b;
  QObject::connect(&b, &QPushButton::clicked, [] { throw std::runtime_error("boom"); });
  b.show();
  QPointF p(5, 5);
  QMouseEvent pr(QEvent::MouseButtonPress, p, b.mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                 Qt::NoModifier);
  QMouseEvent re(QEvent::MouseButtonRelease, p, b.mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                 Qt::NoModifier);
  QApplication::sendEvent(&b, &pr);
  QApplication::sendEvent(&b, &re);
  EXPECT_EQ(caught, "std::runtime_error: boom");  // the type, then the text
  app->set_trap_handler(nullptr);
  // Numbers never follow the locale.
  EXPECT_EQ(std::string(setlocale(LC_NUMERIC, nullptr)), "C");
}

// A box opened by busy work takes its answer from the window system as one opened at rest:
// a click on its native window, Enter, Escape and the window manager's close. The keys and
// clicks that answer it are the box's: the work does not see them as an interruption.
TEST(InputLatches, ABoxOpenedDuringBusyWorkTakesEveryKindOfAnswer) {
  using testing_support::BoxAnswer;
  struct Case {
    const char* what;
    BoxAnswer answer;
    unsigned flags;
    int result;
  };
  const Case cases[] = {
      {"a click on OK", BoxAnswer::click(QMessageBox::Ok), MB_OKCANCEL, IDOK},
      {"a click on Cancel", BoxAnswer::click(QMessageBox::Cancel), MB_OKCANCEL, IDCANCEL},
      {"a click on No", BoxAnswer::click(QMessageBox::No), MB_YESNO, IDNO},
      {"Enter", BoxAnswer::enter(), MB_OKCANCEL, IDOK},
      {"Escape", BoxAnswer::escape(), MB_OKCANCEL, IDCANCEL},
      {"the window's close", BoxAnswer::close(), MB_OKCANCEL, IDCANCEL},
      {"the close of a box with one button", BoxAnswer::close(), MB_OK, IDOK},
  };
  for (bool busy : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (busy ? ", busy" : ", at rest"));
      testing_support::RealBoxes boxes;
      boxes.answer(c.answer);
      key_down(Key::Escape);
      key_down(Key::LButton);
      std::optional<BusyGuard> guard;
      if (busy) guard.emplace();
      const int r = message_box("question", "caption", c.flags | MB_ICONQUESTION);
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_FALSE(boxes.shown[0].eaten);
      EXPECT_EQ(r, c.result);
      if (busy) {
        EXPECT_FALSE(key_down(Key::Escape));
        EXPECT_FALSE(key_down(Key::LButton));
      }
    }
  }
}

// A dialog of the work and the pop-up list of its combo box take clicks and keys while
// busy; the window behind them still takes none.
TEST(InputLatches, APopUpInsideADialogOfBusyWorkTakesItsChoice) {
  QPushButton behind(QStringLiteral("behind"));
  behind.resize(120, 40);
  behind.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&behind));
  int behind_clicks = 0;
  QObject::connect(&behind, &QPushButton::clicked, [&] { ++behind_clicks; });
  BusyGuard guard;
  QDialog dlg;
  auto* combo = new QComboBox(&dlg);
  combo->addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
  combo->setGeometry(10, 10, 150, 28);
  auto* ok = new QPushButton(QStringLiteral("OK"), &dlg);
  ok->setGeometry(10, 60, 80, 28);
  QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
  dlg.resize(200, 110);
  // A user's steps, each once its window is there; a step that never comes is eaten.
  bool eaten = false;
  int step = 0, ticks = 0;
  QTimer t;
  t.setInterval(10);
  QObject::connect(&t, &QTimer::timeout, [&] {
    QWindow* win = dlg.windowHandle();
    QWidget* popup = QApplication::activePopupWidget();
    if (++ticks > 300) {
      eaten = true;
      if (popup) popup->hide();
      dlg.hide();
      return;
    }
    if (step == 0 && win && win->isExposed()) {
      QTest::mouseClick(behind.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 20));
      QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, combo->geometry().center());
      step = 1;
    } else if (step == 1 && popup && popup->windowHandle() && popup->windowHandle()->isExposed()) {
      QTest::keyClick(popup->windowHandle(), Qt::Key_Down);
      QTest::keyClick(popup->windowHandle(), Qt::Key_Down);
      QTest::keyClick(popup->windowHandle(), Qt::Key_Return);
      step = 2;
    } else if (step == 2 && !popup) {
      QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, ok->geometry().center());
      step = 3;
    }
  });
  t.start();
  const int r = dlg.exec();
  EXPECT_FALSE(eaten);
  EXPECT_EQ(r, QDialog::Accepted);
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(behind_clicks, 0);
}
