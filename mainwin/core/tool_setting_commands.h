// The main window's tool commands: the tool set-up on the program's tool table, applying and
// editing magazine files, and the path colour settings. The windows come through their
// interfaces (tooling/core/tool_windows.h), the file dialog through the chooser. No Qt.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "simulation/tool_records.h"

struct TSession;
class TVLM_ui;
class TVLM_command_table;
class TVLM_file_chooser;
class Ttool_settings_window;
class Tpath_color_dialog;
class Tcolor_code_dialog;

// Runs the program and rebuilds the tool table into `m` with every tool's totals and listing
// texts; the store's position is kept. False (after the system-error box) when the run found
// no tool change.
bool kougu_list_up(TSession& s, TVLM_ui& ui, TTOOL_HOLDER_tmp& m);

// Mode 0 the tool set-up, 51 the tool list: the window on the program's tool table; OK
// writes the table back into the tool-definition lines and the program's tool file.
void visible_TOOL_HOLDER_SET(TSession& s, TVLM_ui& ui, Ttool_settings_window& w, int mode);

// Mode 28 applies a chosen magazine file to the program, mode 29 edits one.
void MainMenu_setup_magazine(TSession& s, TVLM_ui& ui, Ttool_settings_window& w,
                             TVLM_file_chooser& chooser, int mode);

// The program's largest F (0 without a program).
float program_max_feed(TSession& s);

// The path colour window on a copy of the display settings; then the settings are written
// and read again, and the view is redrawn.
void open_path_color_set(TSession& s, TVLM_ui& ui, Tpath_color_dialog& dlg, int mode);

// Pop-up Tag 6: a colour chosen from code 63 on is inserted as "(VLM E%d CHANGE TOOL COLOR)"
// above the current line. False when cancelled or nothing was inserted.
bool insert_dummy_color(TSession& s, TVLM_ui& ui, Tcolor_code_dialog& pick);

// Tags 18 tool set-up, 51 tool list, 28 apply a magazine, 29 edit a magazine, 19 path colours, and pop-up
// Tag 6.
void register_tool_setting_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                                    TVLM_file_chooser& chooser, Ttool_settings_window& tools,
                                    Tpath_color_dialog& colors, Tcolor_code_dialog& pick);
