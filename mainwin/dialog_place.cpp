#include "mainwin/dialog_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "mainwin/core/dialog_state.h"

QRect available_desktop() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->availableVirtualGeometry() : QRect(0, 0, 1024, 768);
}

void centre_on_screen(QWidget* w) {
  QScreen* s = QGuiApplication::primaryScreen();
  const QRect r = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
  w->adjustSize();
  const DLG_POS p = centre_dialog_pos(r.x(), r.y(), r.width(), r.height(), w->width(), w->height());
  w->move(p.x, p.y);
}

void place_at_remembered(QWidget* w, int left, int top) {
  const QRect d = available_desktop();
  const DLG_POS p = clamp_dialog_pos({left, top}, d.x(), d.y(), d.width(), d.height());
  w->move(p.x, p.y);
}
