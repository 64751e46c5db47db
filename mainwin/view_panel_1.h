// The 3D view panel gpnl of the main window: the GL window that slot 0 presents into, its
// expose and resize, and its mouse, turned into calls of the view's mouse controller. The
// drawing itself is the view's (mainwin/view).
#pragma once
#include <QObject>
#include <memory>

#include "platform/gl/gl_panel.h"

class TVLM_view;
class TVLM_ui;
class Tgl_func;
struct TSession;

class Tview_panel : public QObject {
  Q_OBJECT
 public:
  Tview_panel(QWidget* parent, TSession& s, Tgl_func& gl, TVLM_ui& ui);
  ~Tview_panel() override;

  plat::GlPanel* gpnl() const { return gpnl_; }
  TVLM_view& view() { return *view_; }
  // Opens slot 0 on the panel (the window's first show) and draws it.
  void open();

 protected:
  bool eventFilter(QObject* watched, QEvent* ev) override;

 private:
  void gpnlMouseDown(QEvent* ev);
  void gpnlMouseMove(QEvent* ev);
  void gpnlMouseUp(QEvent* ev);

  Tgl_func& gl_;
  plat::GlPanel* gpnl_;
  std::unique_ptr<TVLM_view> view_;
};
