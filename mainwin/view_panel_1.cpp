// The core records first: Qt's keyword macros would break their declarations.
#include "mainwin/core/session.h"
#include "mainwin/view/tool_path_picture.h"
#include "mainwin/view/view_gl.h"
#include "mainwin/view_panel_1.h"

#include <cmath>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>

namespace {

// Shift state of an event: Shift, Ctrl and the buttons held.
unsigned shift_state(const QMouseEvent* e) {
  unsigned s = 0;
  if (e->modifiers() & Qt::ShiftModifier) s |= VM_SHIFT;
  if (e->modifiers() & Qt::ControlModifier) s |= VM_CTRL;
  if (e->buttons() & Qt::LeftButton) s |= VM_LEFT;
  if (e->buttons() & Qt::RightButton) s |= VM_RIGHT;
  return s;
}

}  // namespace

Tview_panel::Tview_panel(QWidget* parent, TSession& s, Tgl_func& gl, TVLM_ui& ui)
    : QObject(parent), s_(s), gl_(gl), ui_(ui), gpnl_(new plat::GlPanel(parent)),
      view_(std::make_unique<TVLM_view>(s, gl, ui, 0)) {
  gpnl_->setObjectName(QStringLiteral("gpnl"));
  plat::GlWindow* w = gpnl_->gl_window();
  view_->set_window(w);
  w->installEventFilter(this);
  connect(w, &plat::GlWindow::exposed, this, [this] {
    if (gl_.slot[0].flag_open) view_->paint();
  });
  connect(w, &plat::GlWindow::resized, this, [this, w](int width, int height) {
    if (QCoreApplication::closingDown()) return;
    const qreal dpr = w->devicePixelRatio();
    view_->resized(static_cast<int>(width * dpr), static_cast<int>(height * dpr));
    if (gl_.slot[0].flag_open) w->requestUpdate();
  });
}

Tview_panel::~Tview_panel() = default;

void Tview_panel::open() {
  plat::GlWindow* w = gpnl_->gl_window();
  const qreal dpr = w->devicePixelRatio();
  view_->resized(static_cast<int>(w->width() * dpr), static_cast<int>(w->height() * dpr));
  if (!gl_.open(w, 0, true, true)) return;
  gl_.set_GL_default_view(0);
  view_->resized(static_cast<int>(w->width() * dpr), static_cast<int>(w->height() * dpr));
  view_->paint();
}

bool Tview_panel::eventFilter(QObject* watched, QEvent* ev) {
  if (watched == gpnl_->gl_window()) {
    switch (ev->type()) {
      case QEvent::MouseButtonPress: gpnlMouseDown(ev); return true;
      case QEvent::MouseMove: gpnlMouseMove(ev); return true;
      case QEvent::MouseButtonRelease: gpnlMouseUp(ev); return true;
      case QEvent::UpdateRequest:
        if (gl_.slot[0].flag_open) view_->paint();
        return true;
      default: break;
    }
  }
  return QObject::eventFilter(watched, ev);
}

// Left and right only: the other buttons and the wheel do nothing in the view.
void Tview_panel::gpnlMouseDown(QEvent* ev) {
  auto* e = static_cast<QMouseEvent*>(ev);
  if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
  const qreal dpr = gpnl_->gl_window()->devicePixelRatio();
  const QPointF p = e->position() * dpr;
  view_->mouse().down(e->button() == Qt::LeftButton ? ViewButton::left : ViewButton::right,
                      shift_state(e), static_cast<int>(p.x()), static_cast<int>(p.y()));
  view_->mouse_done();
}

void Tview_panel::gpnlMouseMove(QEvent* ev) {
  auto* e = static_cast<QMouseEvent*>(ev);
  const qreal dpr = gpnl_->gl_window()->devicePixelRatio();
  const QPointF p = e->position() * dpr;
  view_->mouse().move(shift_state(e), static_cast<int>(p.x()), static_cast<int>(p.y()));
  view_->mouse_done();
}

void Tview_panel::gpnlMouseUp(QEvent* ev) {
  auto* e = static_cast<QMouseEvent*>(ev);
  if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
  const qreal dpr = gpnl_->gl_window()->devicePixelRatio();
  const QPointF p = e->position() * dpr;
  view_->mouse().up(e->button() == Qt::LeftButton ? ViewButton::left : ViewButton::right,
                    shift_state(e), static_cast<int>(p.x()), static_cast<int>(p.y()));
  view_->mouse_done();
}

// ---- TVLM_view_ui -----------------------------------------------------------------------

void Tview_panel::gl_reset_view() {
  gl_.set_GL_default_view(0);
  const TGL_VIEW& v = gl_.slot[0].view;
  gl_set_angles(v.rot_z, v.rot_x);
}

// The control panel's track bars follow: track_Z the Z angle, track_X 90 - (360 - X angle).
void Tview_panel::gl_set_angles(float rot_z, float rot_x) {
  TGL_VIEW& v = gl_.slot[0].view;
  v.rot_z = rot_z;
  v.rot_x = rot_x;
  build_GL_matrices(v, GL_VIEW_RENDER);
  ui_.panel().panel_view_tracks(static_cast<int>(std::lround(rot_z)),
                                static_cast<int>(std::lround(90.0 - (360.0 - rot_x))));
}

void Tview_panel::set_mouse_mode(int mode) { view_->mouse().mode = mode; }

int Tview_panel::draw_data(int mode) { return view_->draw_data(mode); }
void Tview_panel::turn_tool() { view_->turn_tool(); }

bool Tview_panel::zoom_by_factor(double f) { return view_->zoom_by_factor(f); }

bool Tview_panel::draw_step(NCD_DATA&, int mode) { return view_->draw_step(mode); }

void Tview_panel::fit_scale(int arg) { view_->fit_scale(arg != 0); }

std::shared_ptr<const TG2_picture> Tview_panel::render_view(int width, int height) {
  return view_->render_view(width, height);
}

bool Tview_panel::draw_ZU_of_TOOL(int seg, int width, int height, bool white,
                                  std::shared_ptr<const TG2_picture>& out) {
  return draw_tool_path_picture(s_, *view_, ui_, seg, width, height, white, out);
}

TGL_VIEW* Tview_panel::gl_view() { return &gl_.slot[0].view; }

void Tview_panel::gl_set_color24(bool on) { gl_.color24 = on; }

void Tview_panel::gl_set_verbose(bool on) { gl_.verbose = on; }
