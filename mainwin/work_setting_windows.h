// The main window's work and display settings windows: the work and jig window, created
// once and shown by the work set-up, and the display settings dialog of its command.
#pragma once
#include <memory>

#include "mainwin/core/sim_commands.h"
#include "mainwin/core/work_setting_commands.h"

class QWidget;
class TWorkSetWin;
class Ttooling_host;

class TVLM_work_setting_windows : public TVLM_extra_setup_dialog {
 public:
  TVLM_work_setting_windows(QWidget* owner, Ttooling_host& host);
  ~TVLM_work_setting_windows() override;
  // The work and jig window (hidden until the work set-up shows it).
  TWorkSetWin& work_window() { return *work_win_; }
  bool run(Tdisp_status& copy) override;
  // The work window as the simulation's work set-up sees it.
  SIM_WORK_WINDOW& sim_window();

 private:
  class SimWindow;
  QWidget* owner_;
  Ttooling_host& host_;
  TWorkSetWin* work_win_ = nullptr;  // owned by the main window
  std::unique_ptr<SimWindow> sim_window_;
};
