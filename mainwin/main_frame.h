// The frame of the main window as the core sees it: caption, repaint, close, quit, its
// place on the screen and the menu-hiding mode's refusal of the window manager's close.
#pragma once
#include "mainwin/core/window_ui.h"

class QMainWindow;

class TVLM_main_frame : public TVLM_frame_ui {
 public:
  explicit TVLM_main_frame(QMainWindow& win) : win_(win) {}
  void set_caption(const std::string& cp932) override;
  std::string caption() const override;
  void repaint() override;
  void close_window() override;
  void quit() override;
  bool frame_geometry(int& left, int& top, int& width, int& height) override;
  void set_menus_hidden(bool on) override { menus_hidden_ = on; }
  // While the menus are hidden the window manager's close is refused (Exit still closes).
  bool menus_hidden() const { return menus_hidden_; }

 private:
  QMainWindow& win_;
  bool menus_hidden_ = false;
};
