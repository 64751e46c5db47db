// The display and option toggles of the main menu (menu_vis_toolClick), the check marks
// that follow the settings, and the menu-hiding mode. No Qt here.
#pragma once
#include <string>

struct TSession;
class TVLM_ui;
class TVLM_command_table;

// The caption of menu_unit for the no-point unit key 1..5 (others 0.001).
std::string unit_menu_caption(int unit_key);

// Every check mark, radio item and caption of the toggles from the display record and the
// NC interpretation switches (after the settings were read).
void sync_display_items(TSession& s, TVLM_ui& ui);

// Every stored line is tokenised again and the program runs again, staying on the current
// line: after a switch that changes how lines are read or run.
void reread_program(TSession& s, TVLM_ui& ui);

// Menus, tool bar and the window's close hidden or shown again (nothing while busy).
void set_invis_menu_mode(TSession& s, TVLM_ui& ui, bool on);

// Registers the display Tags 1, 2, 5, 7..19, 21..34.
void register_display_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui);
