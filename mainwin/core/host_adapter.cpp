#include "mainwin/core/host_adapter.h"

#include <algorithm>

#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/sim_dump.h"
#include "mainwin/core/startup.h"
#include "mainwin/core/view_tool.h"

TVLM_host::TVLM_host(TSession& s, TVLM_ui& ui) : s_(s), ui_(ui) {}

void TVLM_host::attach() {
  s_.nc().set_host(this);
  s_.spare->set_host(nullptr);
}

void TVLM_host::ncd_cleared(NCD_DATA&) {
  th_tools_.clear();
  ui_.listing().listing_reset();
}

// Until the tool table exists, the tool-holder list holds every tool the run asks for, in
// the order asked, with nothing to show.
int TVLM_host::th_find(int t, int& size) {
  auto it = std::find(th_tools_.begin(), th_tools_.end(), t);
  if (it == th_tools_.end()) it = th_tools_.insert(th_tools_.end(), t);
  size = static_cast<int>(th_tools_.size());
  return static_cast<int>(it - th_tools_.begin());
}

void TVLM_host::th_show(int index) {
  if (index < 0 || index >= static_cast<int>(th_tools_.size())) return;
  show_view_tool(s_, th_tools_[static_cast<std::size_t>(index)]);
}

bool TVLM_host::th_set_tool0() {
  if (th_tools_.empty()) th_tools_.push_back(0);
  th_tools_[0] = 0;
  return true;
}

bool TVLM_host::tool_radius(int t, float& radius) { return view_tool_radius(s_, t, radius); }

void TVLM_host::show_system_err(const std::string& text) {
  if (::show_system_err(s_, text)) ui_.frame().quit();
}

void TVLM_host::set_TOOL_defs(NCD_DATA&) { ::set_TOOL_defs(s_); }

void TVLM_host::fit_scale(NCD_DATA&) { ui_.view().fit_scale(1); }

bool TVLM_host::draw_data(NCD_DATA& d, int mode) {
  if (mode == NCD_DRAW_STEP || mode == NCD_DRAW_STEP_ONE) return ui_.view().draw_step(d, mode);
  ui_.view().draw_data(mode);
  return false;
}

bool TVLM_host::sim_option() { return s_.disp.cursor_path_flag != 0; }

void TVLM_host::Set_controler_status() { ui_.panel().panel_refresh(); }

void TVLM_host::Draw_controler_TOOL_IMG() { ui_.panel().panel_tool_image(); }

void TVLM_host::set_NCD_status() { ::set_NCD_status(s_, ui_); }

bool TVLM_host::debug_window_shown() { return s_.deb.visible(); }

void TVLM_host::Dump_SIM_status_to_deb() { ::Dump_SIM_status_to_deb(s_.nc(), s_.deb); }

void TVLM_host::repaint() { ui_.frame().repaint(); }
