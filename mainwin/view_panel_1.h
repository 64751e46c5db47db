// The 3D view panel gpnl of the main window: the GL window that slot 0 presents into, its
// expose and resize, and its mouse, turned into calls of the view's mouse controller. The
// drawing itself is the view's (mainwin/view).
#pragma once
#include <QObject>
#include <memory>

#include "mainwin/core/window_ui.h"
#include "platform/gl/gl_panel.h"

class TVLM_view;
class TVLM_ui;
class Tgl_func;
struct TSession;

// It answers the core's calls of the 3D view (TVLM_view_ui).
class Tview_panel : public QObject, public TVLM_view_ui {
  Q_OBJECT
 public:
  Tview_panel(QWidget* parent, TSession& s, Tgl_func& gl, TVLM_ui& ui);
  ~Tview_panel() override;

  plat::GlPanel* gpnl() const { return gpnl_; }
  TVLM_view& view() { return *view_; }
  // Opens slot 0 on the panel (the window's first show) and draws it.
  void open();

  // ---- TVLM_view_ui ----
  void gl_reset_view() override;
  void gl_set_angles(float rot_z, float rot_x) override;
  void set_mouse_mode(int mode) override;
  int draw_data(int mode) override;
  void turn_tool() override;
  bool zoom_by_factor(double f) override;
  bool draw_step(NCD_DATA& d, int mode) override;
  void fit_scale(int arg) override;
  std::shared_ptr<const TG2_picture> render_view(int width, int height) override;
  bool draw_ZU_of_TOOL(int seg, int width, int height, bool white,
                       std::shared_ptr<const TG2_picture>& out) override;
  TGL_VIEW* gl_view() override;
  void gl_set_color24(bool on) override;
  void gl_set_verbose(bool on) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* ev) override;

 private:
  void gpnlMouseDown(QEvent* ev);
  void gpnlMouseMove(QEvent* ev);
  void gpnlMouseUp(QEvent* ev);

  TSession& s_;
  Tgl_func& gl_;
  TVLM_ui& ui_;
  plat::GlPanel* gpnl_;
  std::unique_ptr<TVLM_view> view_;
};
