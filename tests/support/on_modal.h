// For tests and benchmarks that drive the real windows: answering a modal dialog.
#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace testing_support {

// Runs `f` on the next modal dialog once it is shown (the dialog's exec() is running then);
// the watch ends with `owner` at the latest.
inline void on_modal(QObject* owner, std::function<void(QWidget*)> f) {
  auto* t = new QTimer(owner);
  t->setInterval(5);
  QObject::connect(t, &QTimer::timeout, [t, f] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) return;
    t->stop();
    t->deleteLater();
    f(w);
  });
  t->start();
}

}  // namespace testing_support
