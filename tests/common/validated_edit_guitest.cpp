#include "common/widgets/validated_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "platform/core/msgbox.h"

namespace {

// A window with the checked edit and a second one to leave to. The check takes digits only,
// shows "bad" for anything else and counts its runs; a good text is stored.
struct Form {
  QWidget w;
  QLineEdit* checked = new QLineEdit(&w);
  QLineEdit* other = new QLineEdit(&w);
  int runs = 0;
  int stored = -1;
  // What the focus was on while the check ran, and whether the text was the user's.
  QWidget* focus_during_check = nullptr;
  bool typed = false;

  Form() {
    auto* l = new QVBoxLayout(&w);
    l->addWidget(checked);
    l->addWidget(other);
    TValidatedEdit::attach(checked, [this](QLineEdit& e) {
      ++runs;
      focus_during_check = QApplication::focusWidget();
      typed = e.isModified();
      bool ok = false;
      const int n = e.text().toInt(&ok);
      if (!ok) {
        plat::message_box("bad", "", plat::MB_ICONSTOP);
        return false;
      }
      stored = n;
      return true;
    });
    w.show();
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    checked->setFocus();
  }
  void type(const char* text) {
    checked->selectAll();
    QTest::keyClicks(checked, QString::fromLatin1(text));
  }
  void leave() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    settle();
  }
  static void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
};

TEST(ValidatedEdit, LeavingABadTextShowsOneBoxAfterTheFocusChangeAndTakesTheFocusBack) {
  Form f;
  plat::ScriptedMessageBoxes boxes;
  f.type("12x");
  QTest::keyClick(f.checked, Qt::Key_Tab);
  // Nothing yet inside the focus change itself.
  EXPECT_EQ(f.runs, 0);
  Form::settle();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "bad");
  EXPECT_EQ(f.focus_during_check, f.other);  // the box came after the focus had moved
  EXPECT_TRUE(f.checked->hasFocus());
  EXPECT_EQ(f.checked->selectedText(), QStringLiteral("12x"));
  // Getting the focus back checked nothing; leaving again unchanged checks nothing either.
  f.leave();
  EXPECT_EQ(f.runs, 1);
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(f.other->hasFocus());
  // A new change is checked again.
  f.checked->setFocus();
  f.type("y");
  f.leave();
  EXPECT_EQ(f.runs, 2);
  EXPECT_EQ(boxes.shown.size(), 2u);
  EXPECT_TRUE(f.checked->hasFocus());
}

TEST(ValidatedEdit, WhatRunsTheCheck) {
  // Each case starts in the checked edit with "5" set from code and stored value -1.
  struct Case {
    const char* what;
    void (*act)(Form&);
    int runs, boxes, stored;
    bool focus_on_checked;
  } cases[] = {
      {"leaving a good text stores it without a box",
       [](Form& f) { f.type("42"); f.leave(); }, 1, 0, 42, false},
      {"Enter on a good text stores it, the focus stays",
       [](Form& f) { f.type("7"); QTest::keyClick(f.checked, Qt::Key_Return); }, 1, 0, 7, true},
      {"Enter checks a text set from code too",
       [](Form& f) { QTest::keyClick(f.checked, Qt::Key_Enter); }, 1, 0, 5, true},
      {"Enter on a bad text: one box, and leaving unchanged then checks nothing",
       [](Form& f) {
         f.type("q");
         QTest::keyClick(f.checked, Qt::Key_Return);
         f.leave();
       }, 1, 1, -1, false},
      {"leaving without a change checks nothing",
       [](Form& f) { f.leave(); }, 0, 0, -1, false},
      {"a text set from code under a signal blocker is not checked on leaving",
       [](Form& f) {
         {
           const QSignalBlocker b(f.checked);
           f.checked->setText(QStringLiteral("zz"));
         }
         f.leave();
       }, 0, 0, -1, false},
      {"a typed text reset from code before the check runs is not checked",
       [](Form& f) {
         f.type("zz");
         QTest::keyClick(f.checked, Qt::Key_Tab);
         {
           const QSignalBlocker b(f.checked);
           f.checked->setText(QStringLiteral("3"));
         }
         Form::settle();
       }, 0, 0, -1, false},
      {"an edit hidden by the time the check runs is not checked",
       [](Form& f) {
         f.type("zz");
         QTest::keyClick(f.checked, Qt::Key_Tab);
         f.checked->hide();
         Form::settle();
       }, 0, 0, -1, false},
  };
  for (const Case& c : cases) {
    Form f;
    {
      const QSignalBlocker b(f.checked);
      f.checked->setText(QStringLiteral("5"));
    }
    plat::ScriptedMessageBoxes boxes;
    c.act(f);
    EXPECT_EQ(f.runs, c.runs) << c.what;
    EXPECT_EQ(boxes.shown.size(), static_cast<std::size_t>(c.boxes)) << c.what;
    EXPECT_EQ(f.stored, c.stored) << c.what;
    EXPECT_EQ(f.checked->hasFocus(), c.focus_on_checked) << c.what;
  }
}

TEST(ValidatedEdit, EnterGoesNoFurther) {
  Form f;
  bool reached = false;
  QObject::connect(f.checked, &QLineEdit::returnPressed, [&reached] { reached = true; });
  f.type("1");
  QTest::keyClick(f.checked, Qt::Key_Return);
  EXPECT_FALSE(reached);
  EXPECT_EQ(f.runs, 1);
}

}  // namespace

TEST(ValidatedEdit, TheCheckTellsATypedTextFromOneSetFromCode) {
  Form f;
  f.type("3");
  QTest::keyClick(f.checked, Qt::Key_Return);
  EXPECT_TRUE(f.typed);
  EXPECT_FALSE(f.checked->isModified());
  QTest::keyClick(f.checked, Qt::Key_Return);
  EXPECT_FALSE(f.typed);
  f.type("4");
  f.leave();
  EXPECT_TRUE(f.typed);
  EXPECT_EQ(f.runs, 3);
}
