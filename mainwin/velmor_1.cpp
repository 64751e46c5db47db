#include "mainwin/velmor_1.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QSplitter>

#include "mainwin/list_panel_1.h"

#include "platform/qt/qtext.h"

const char* const Tvelmor::kCaption = "Velmor_PRO Version 2.14 ";

Tvelmor::Tvelmor(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(plat::to_qstring(kCaption));
  // The NC listing left of the 3D view.
  auto* split = new QSplitter(Qt::Horizontal, this);
  listing_ = std::make_unique<TVelmorListing>(split);
  gpnl_ = new plat::GlPanel(split);
  gpnl_->setObjectName(QStringLiteral("gpnl"));
  split->addWidget(listing_->panel());
  split->addWidget(gpnl_);
  split->setStretchFactor(1, 1);
  split->setSizes({400, 624});
  setCentralWidget(split);
  resize(1024, 720);
  connect(gpnl_->gl_window(), &plat::GlWindow::exposed, this, [this] { redraw_view(); });
  connect(gpnl_->gl_window(), &plat::GlWindow::resized, this, [this](int w, int h) {
    if (view_.is_open()) {
      view_.resize(w, h);
      redraw_view();
    }
  });
}

Tvelmor::~Tvelmor() { view_.close(); }

void Tvelmor::showEvent(QShowEvent* ev) {
  QMainWindow::showEvent(ev);
  if (shown_once_) return;
  shown_once_ = true;
  open_view();
}

void Tvelmor::closeEvent(QCloseEvent* ev) {
  view_.close();
  ev->accept();
}

void Tvelmor::open_view() {
  plat::GlWindow* w = gpnl_->gl_window();
  std::string err;
  if (!view_.open(w, w->width(), w->height(), &err)) return;
  redraw_view();
}

void Tvelmor::redraw_view() {
  if (!view_.is_open() || !view_.make_current()) return;
  view_.draw_buffer(GL_BACK);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  view_.swap();
}
