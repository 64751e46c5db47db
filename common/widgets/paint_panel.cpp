#include "common/widgets/paint_panel.h"

#include <QPaintEvent>
#include <QPainter>

TPaintPanel::TPaintPanel(QWidget* parent) : QWidget(parent) {
  // No background erase before a paint.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void TPaintPanel::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  if (repaint_flag_) p.fillRect(e->rect(), palette().window());
  if (OnPaint) OnPaint(*this, p);
}
