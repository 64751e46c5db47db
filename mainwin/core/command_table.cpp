#include "mainwin/core/command_table.h"

#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "platform/core/input.h"

bool TVLM_command_table::run(VLM_handler h, int tag) const {
  auto it = rows_.find({h, tag});
  if (it == rows_.end()) return false;
  it->second();
  return true;
}

bool open1Click(TVLM_ui& ui, const TVLM_command_table& table, int tag) {
  if (plat::busy()) return false;
  ui.listing().commit_listing();
  return table.run(tag);
}

bool spmenu_list_resetClick(TSession& s, TVLM_ui& ui, const TVLM_command_table& table, int tag) {
  if (plat::busy() || s.nc().line_count <= 0) return false;
  ui.listing().commit_listing();
  const bool ran = table.run(VLM_handler::list_popup, tag);
  ui.view().draw_data(4);
  return ran;
}

bool menu_vis_toolClick(TSession& s, TVLM_ui& ui, const TVLM_command_table& table, int tag) {
  if (s.menu.updating || plat::busy()) return false;
  ui.listing().commit_listing();
  s.menu.updating = true;
  bool ran = false;
  try {
    ran = table.run(VLM_handler::display, tag);
  } catch (...) {
    s.menu.updating = false;
    throw;
  }
  s.menu.updating = false;
  return ran;
}

bool MM_simulationClick(TVLM_ui& ui, const TVLM_command_table& table, int tag) {
  if (plat::busy()) return false;
  ui.listing().commit_listing();
  return table.run(VLM_handler::simulation, tag);
}

bool MM_VersionClick(const TVLM_command_table& table, int tag) {
  return table.run(VLM_handler::help, tag);
}

bool run_menu_item(TSession& s, TVLM_ui& ui, const TVLM_command_table& table, VLM_handler h,
                   int tag) {
  switch (h) {
    case VLM_handler::main: return open1Click(ui, table, tag);
    case VLM_handler::list_popup: return spmenu_list_resetClick(s, ui, table, tag);
    case VLM_handler::display: return menu_vis_toolClick(s, ui, table, tag);
    case VLM_handler::simulation: return MM_simulationClick(ui, table, tag);
    case VLM_handler::help: return MM_VersionClick(table, tag);
  }
  return false;
}
