// Commands of the main window's menus, tool buttons and listing pop-up, by handler and Tag.
// Each concern registers its rows {Tag, handler}; the click handlers look the Tag up. A Tag
// means something only together with its handler: Tag 1 is New for open1Click and the
// redraw start for the listing pop-up. No Qt here.
#pragma once
#include <functional>
#include <map>
#include <utility>

#include "mainwin/core/menu_table.h"

struct TSession;
class TVLM_ui;

class TVLM_command_table {
 public:
  using Handler = std::function<void()>;
  // A later row of the same handler and Tag replaces the earlier one.
  void add(VLM_handler h, int tag, Handler fn) { rows_[{h, tag}] = std::move(fn); }
  // A row of open1Click.
  void add(int tag, Handler fn) { add(VLM_handler::main, tag, std::move(fn)); }
  bool has(VLM_handler h, int tag) const { return rows_.count({h, tag}) != 0; }
  bool has(int tag) const { return has(VLM_handler::main, tag); }
  // Runs the Tag's command; false when it has none.
  bool run(VLM_handler h, int tag) const;
  bool run(int tag) const { return run(VLM_handler::main, tag); }

 private:
  std::map<std::pair<VLM_handler, int>, Handler> rows_;
};

// The shared click handler: nothing while the program is busy; otherwise the edited
// listing rows go back into the store, then the Tag's command runs. False when nothing ran.
bool open1Click(TVLM_ui& ui, const TVLM_command_table& table, int tag);

// The listing pop-up and the copy-out items: only with a program that has lines; the edited
// rows go back first and the 3D view is redrawn completely after the command.
bool spmenu_list_resetClick(TSession& s, TVLM_ui& ui, const TVLM_command_table& table, int tag);

// The display toggles: ignored while the menus are being brought in line (the update flag),
// which the command holds while it runs; the edited rows go back first.
bool menu_vis_toolClick(TSession& s, TVLM_ui& ui, const TVLM_command_table& table, int tag);

// The simulation menu: nothing while busy; the edited rows go back first.
bool MM_simulationClick(TVLM_ui& ui, const TVLM_command_table& table, int tag);

// The help menu.
bool MM_VersionClick(const TVLM_command_table& table, int tag);

// Runs an item's command through its handler's rules.
bool run_menu_item(TSession& s, TVLM_ui& ui, const TVLM_command_table& table, VLM_handler h,
                   int tag);
