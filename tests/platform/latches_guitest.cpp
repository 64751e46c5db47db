#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>

#include "platform/core/input.h"
#include "platform/qt/app.h"
#include "platform/qt/qtext.h"

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
