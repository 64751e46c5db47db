#include "platform/gl/gl_panel.h"

#include <QVBoxLayout>

namespace plat {

GlPanel::GlPanel(QWidget* parent) : QWidget(parent), window_(new GlWindow) {
  container_ = QWidget::createWindowContainer(window_, this);
  container_->setFocusPolicy(Qt::StrongFocus);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->addWidget(container_);
}

}  // namespace plat
