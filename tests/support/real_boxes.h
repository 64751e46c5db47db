// For tests that drive the real windows: message boxes shown as the program shows them (the
// platform's QMessageBox) and answered through the window system's path, the way a user
// answers them: a click on a button of the box's native window, Enter, Escape, or the
// window manager's close. A box that does not take its answer is closed after a while and
// counted as eaten, so a test fails instead of hanging.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <deque>
#include <string>
#include <vector>

#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/qt/app.h"
#include "platform/qt/qtext.h"

namespace testing_support {

// How a user answers a box.
struct BoxAnswer {
  enum Kind { Click, Enter, Escape, Close } kind = Enter;
  QMessageBox::StandardButton button = QMessageBox::Ok;  // for Click
  static BoxAnswer click(QMessageBox::StandardButton b) { return {Click, b}; }
  static BoxAnswer enter() { return {Enter, QMessageBox::NoButton}; }
  static BoxAnswer escape() { return {Escape, QMessageBox::NoButton}; }
  static BoxAnswer close() { return {Close, QMessageBox::NoButton}; }
};

// Acts on `box` through its native window.
inline void answer_through_window(QMessageBox* box, const BoxAnswer& a) {
  QWindow* win = box->windowHandle();
  if (!win) return;
  switch (a.kind) {
    case BoxAnswer::Click: {
      QAbstractButton* b = box->button(a.button);
      if (!b) return;
      const QPoint at = b->mapTo(box, b->rect().center());
      QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, at);
      break;
    }
    case BoxAnswer::Enter: QTest::keyClick(win, Qt::Key_Return); break;
    case BoxAnswer::Escape: QTest::keyClick(win, Qt::Key_Escape); break;
    case BoxAnswer::Close: win->close(); break;  // the platform window's close request
  }
}

// Installed in place of the current box handler for its lifetime: every box is the real
// QMessageBox; the queued answers are given in turn (then Enter).
class RealBoxes : public plat::MessageBoxHandler {
 public:
  struct Shown {
    std::string text, caption;  // CP932
    int result = 0;
    bool eaten = false;  // the answer never reached the box
    bool busy = false;   // the program was busy when the box came
  };
  RealBoxes() { prev_ = plat::set_message_box_handler(this); }
  ~RealBoxes() override { plat::set_message_box_handler(prev_); }
  RealBoxes(const RealBoxes&) = delete;
  RealBoxes& operator=(const RealBoxes&) = delete;

  void answer(const BoxAnswer& a) { answers.push_back(a); }

  int show(const std::string& text, const std::string& caption, unsigned flags) override {
    Shown s{text, caption, 0, false, plat::busy()};
    const BoxAnswer a = answers.empty() ? BoxAnswer::enter() : answers.front();
    if (!answers.empty()) answers.pop_front();
    QTimer t;
    t.setInterval(10);
    int ticks = 0;
    QPointer<QMessageBox> acted;
    QObject::connect(&t, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible() || !box->windowHandle() ||
          !box->windowHandle()->isExposed())
        return;
      if (!acted) {
        acted = box;
        ticks = 0;
        answer_through_window(box, a);
      } else if (acted == box && ++ticks > kPatienceTicks) {
        // Still open: the input was eaten on its way. Hide it (a close request would be
        // eaten too) so that the test goes on.
        s.eaten = true;
        box->setResult(QMessageBox::Cancel);
        box->hide();
      }
    });
    t.start();
    s.result = real_.show(text, caption, flags);
    t.stop();
    shown.push_back(s);
    return s.result;
  }

  // True when every box shown took its answer.
  bool all_answered() const {
    for (const Shown& s : shown)
      if (s.eaten) return false;
    return true;
  }

  std::deque<BoxAnswer> answers;
  std::vector<Shown> shown;

 private:
  static constexpr int kPatienceTicks = 200;  // 2 s
  plat::QtMessageBoxes real_;
  plat::MessageBoxHandler* prev_ = nullptr;
};

}  // namespace testing_support
