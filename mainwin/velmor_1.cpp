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

Tvelmor::Tvelmor(Tgl_func* gl, QWidget* parent)
    : QMainWindow(parent), session_(std::make_unique<TSession>()) {
  if (!gl) {
    own_gl_ = std::make_unique<Tgl_func>();
    gl = own_gl_.get();
  }
  gl_ = gl;
  TSession& s = *session_;
  gl_->global_log = &s.debug_list;
  gl_->global_log_on = true;
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
    const qreal dpr = gpnl_->gl_window()->devicePixelRatio();
    gl_->set_GL_view_area(0, static_cast<int>(w * dpr), static_cast<int>(h * dpr), 0, 0, 0, 0);
    if (gl_->slot[0].flag_open) redraw_view();
  });
}

Tvelmor::~Tvelmor() {
  if (!closed_) FormCloseQuery();
  if (gl_->slot[0].flag_open) gl_->close(0);
  gl_->global_log = nullptr;
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
  gl_->close(0);
  s.deb.mirror_on = false;
}

void Tvelmor::open_view() {
  plat::GlWindow* w = gpnl_->gl_window();
  const qreal dpr = w->devicePixelRatio();
  gl_->set_GL_view_area(0, static_cast<int>(w->width() * dpr), static_cast<int>(w->height() * dpr),
                        0, 0, 0, 0);
  if (!gl_->open(w, 0, true, true)) return;
  gl_->set_GL_default_view(0);
  redraw_view();
}

void Tvelmor::redraw_view() { GL_show_cleared(*gl_, gpnl_->gl_window(), 0); }
