// The items of the main window's menus, tool bar and listing pop-up as data: the handler
// that runs them, their Tag (per handler), component name, shortcut, caption and where they
// sit. The window builds its actions from this table. No Qt here.
#pragma once
#include <string_view>
#include <vector>

// The click handlers; a Tag means something only together with its handler.
// main: open1Click; list_popup: spmenu_list_resetClick (also the copy-out items);
// display: menu_vis_toolClick; simulation: MM_simulationClick; help: MM_VersionClick.
enum class VLM_handler { main, list_popup, display, simulation, help };

enum class VLM_item_state {
  enabled,
  hidden,    // built, never shown
  pending,   // shown disabled: the window it opens is not built yet
  inert,     // shown disabled: a Tag without a command
};

// Where an item sits.
enum class VLM_place { file, find, view, tools, settings, simulation, help, toolbar, popup };

struct VLM_menu_item {
  VLM_handler handler;
  int tag;
  const char* component;
  const char* shortcut;  // Qt key sequence text, "" for none
  const char* caption;   // CP932
  VLM_place place;
  VLM_item_state state;
  const char* waits_for; // pending items: what they wait for
  bool checkable = false;
  const char* group = "";  // items of one exclusive group share it
};

// Every item, in menu order within each place.
const std::vector<VLM_menu_item>& menu_items();
const VLM_menu_item* find_menu_item(std::string_view component);

// The Tags that carry a command, per handler. Every item's Tag is one of them unless the
// item is inert.
bool tag_has_command(VLM_handler h, int tag);

// The menus' captions, by place.
const char* place_caption(VLM_place p);
// The component name of a place's menu ("File1", ...), the tool bar's ("ToolBar1") and the
// listing pop-up's ("p_menu1").
const char* place_component(VLM_place p);
// Whether the window builds a component of this name from the table: an item, a menu or the
// tool bar.
bool menu_component_built(std::string_view name);

// What the automatic work set-up disables while its window is open: the menus and the tool
// bar (the listing goes with them).
const std::vector<const char*>& work_setup_disabled_components();
// What the menu-hiding mode hides: menus, the tool bar and File menu items.
const std::vector<const char*>& menu_mode_hidden_components();
