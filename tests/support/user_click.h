// For tests that drive the real windows: a click on a window whose press starts long work in
// its handler (the control panel acts on the press, and PLAY runs its loop right there).
// QTest's press is delivered synchronously, so a release sent after it would come only when
// the work has ended: the work would see the button held all the time, and a loop that stops
// on a held button stops as soon as its time allows. A user's release comes while the work
// runs, through the event loop the work polls; this click gives it the same way.
#pragma once
#include <QMetaObject>
#include <QObject>
#include <QPoint>
#include <QTest>
#include <QWindow>

#include "platform/core/input.h"

namespace testing_support {

struct UserClick {
  bool released = false;       // the release reached the program
  bool released_busy = false;  // ... while the work that the press started still ran
};

// Presses `b` at `at` (in `win`'s coordinates); the release is queued before, so it reaches
// the program at the first turn of the event loop after the press: inside the work when the
// work polls, else when the handler returns.
inline UserClick click_releasing_during_work(QWindow* win, Qt::MouseButton b, QPoint at) {
  UserClick r;
  QObject carrier;
  QMetaObject::invokeMethod(
      &carrier,
      [&] {
        r.released = true;
        r.released_busy = plat::busy();
        QTest::mouseRelease(win, b, Qt::NoModifier, at);
      },
      Qt::QueuedConnection);
  QTest::mousePress(win, b, Qt::NoModifier, at);  // ends with a turn of the event loop
  if (!r.released) QTest::mouseRelease(win, b, Qt::NoModifier, at);
  return r;
}

}  // namespace testing_support
