// What the core asks of the main window, and the one adapter over the session that answers
// the NC store's and the program run's calls up.
//
// TVLM_ui (mainwin/core/window_ui.h) is the bundle of the window's parts the core talks to.
// No Qt here.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mainwin/core/dialog_state.h"
#include "mainwin/core/small_dialogs.h"
#include "mainwin/core/window_ui.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_edit.h"
#include "simulation/gl_view.h"
#include "tooling/core/g2_canvas.h"

struct TSession;
struct Tdisp_status;
struct TTOOL_TDH_request;
struct TTOOL_check_request;
class TText_lines;

// The one adapter over the session for the NC record's host and the listing's.
class TVLM_host : public NCD_HOST, public NCD_LIST_HOST {
 public:
  TVLM_host(TSession& s, TVLM_ui& ui);
  // Hooks the adapter into the records of the session (the one in use; the spare has none).
  void attach();

  // NCD_HOST (the tool-holder list comes with the tool table)
  void ncd_cleared(NCD_DATA& d) override;
  void set_TOOL_defs(NCD_DATA& d) override;
  bool tool_radius(int t, float& radius) override;
  int th_find(int t, int& size) override;
  void th_show(int index) override;
  bool th_set_tool0() override;
  bool draw_data(NCD_DATA& d, int mode) override;
  void fit_scale(NCD_DATA& d) override;
  void show_system_err(const std::string& text) override;
  // NCD_LIST_HOST
  bool sim_option() override;
  void Set_controler_status() override;
  void Draw_controler_TOOL_IMG() override;
  void Dump_SIM_status_to_deb() override;
  void set_NCD_status() override;
  bool debug_window_shown() override;
  void repaint() override;

  TVLM_ui& ui() { return ui_; }

 private:
  TSession& s_;
  TVLM_ui& ui_;
  std::vector<int> th_tools_;  // the tool-holder list's tools
};
