// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"
#include "mainwin/velmor_1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>

#include "mainwin/core/startup.h"
#include "mainwin/list_panel_1.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"

const char* const Tvelmor::kCaption = "Velmor_PRO Version 2.14 ";

Tvelmor::Tvelmor(QWidget* parent) : QMainWindow(parent), session_(std::make_unique<TSession>()) {
  TSession& s = *session_;
  init_session(s, plat::data_folder(), plat::desktop_folder());
  s.deb.install();
  setWindowTitle(plat::to_qstring(kCaption));
  write_default_files(s);
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

Tvelmor::~Tvelmor() {
  if (!closed_) FormCloseQuery();
  view_.close();
  TSession& s = *session_;
  finish_log_list(s);
  s.deb.mirror_on = false;
  s.deb.uninstall();
}

void Tvelmor::on_app_exception(const std::string& what) {
  if (::on_app_exception(*session_, what)) QCoreApplication::exit(0);
}

void Tvelmor::showEvent(QShowEvent* ev) {
  QMainWindow::showEvent(ev);
  if (shown_once_) return;
  shown_once_ = true;
  FormShow();
}

void Tvelmor::closeEvent(QCloseEvent* ev) {
  if (!closed_) FormCloseQuery();
  ev->accept();
}

void Tvelmor::FormShow() {
  TSession& s = *session_;
  if (QScreen* scr = screen()) {
    s.form.screen_w = scr->availableGeometry().width();
    s.form.screen_h = scr->availableGeometry().height();
  }
  read_environment(s, 1);
  apply_form_bounds();
  open_view();
}

void Tvelmor::apply_form_bounds() {
  const TVLM_form_state& f = session_->form;
  setGeometry(f.left, f.top, std::max(f.width, 100), std::max(f.height, 100));
  if (f.window_state == 2) setWindowState(Qt::WindowMaximized);
  else if (f.window_state == 1) setWindowState(Qt::WindowMinimized);
}

void Tvelmor::FormCloseQuery() {
  closed_ = true;
  TSession& s = *session_;
  const Qt::WindowStates st = windowState();
  const int state = (st & Qt::WindowMinimized) ? 1 : (st & Qt::WindowMaximized) ? 2 : 0;
  s.env.write_env_int("velmor_Form_WindowState", state);
  const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
  s.form.left = g.x();
  s.form.top = g.y();
  s.form.width = g.width();
  s.form.height = g.height();
  std::string err;
  if (!write_environment(s, &err))
    plat::message_box("設定ファイルを保存できませんでした。\r\n" + plat::utf8_to_cp932(err),
                      "Velmor.DAT", plat::MB_OK | plat::MB_ICONSTOP);
  view_.close();
  s.deb.mirror_on = false;
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
