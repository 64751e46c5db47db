#include "mainwin/main_frame.h"

#include <QCoreApplication>
#include <QMainWindow>

#include "platform/qt/qtext.h"

void TVLM_main_frame::set_caption(const std::string& t) { win_.setWindowTitle(plat::to_qstring(t)); }

std::string TVLM_main_frame::caption() const { return plat::from_qstring(win_.windowTitle()); }

void TVLM_main_frame::repaint() { win_.update(); }

void TVLM_main_frame::close_window() { win_.close(); }

void TVLM_main_frame::quit() { QCoreApplication::exit(0); }

bool TVLM_main_frame::frame_geometry(int& left, int& top, int& width, int& height) {
  const QRect g = win_.frameGeometry();
  left = g.x();
  top = g.y();
  width = g.width();
  height = g.height();
  return true;
}
