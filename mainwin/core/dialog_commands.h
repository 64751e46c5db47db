// The commands that open the main window's dialogs: the find (Ctrl+F, F3, Ctrl+P), the
// external program, and the help menu's about box and help file. The dialogs themselves are
// reached through TVLM_ui; their remembered state lives in the settings. No Qt here.
#pragma once
#include <string>

#include "mainwin/core/dialog_state.h"

struct TSession;
class TVLM_ui;
class TVLM_command_table;

// The remembered state of the find and of the external-program dialog, from and to the
// settings (the find texts upper case; a choice outside 0..2 as 0).
FIND_SETTINGS load_find_settings(TSession& s);
void store_find_settings(TSession& s, const FIND_SETTINGS& f);
OTHER_EXEC_SETTINGS load_other_exec_settings(const TSession& s);
void store_other_exec_settings(TSession& s, const OTHER_EXEC_SETTINGS& o);

// find_in_NCD over the session with the window's dialog and search-result window.
int find_in_session(TSession& s, TVLM_ui& ui, int mode);

// Tag 45: the dialog, then the typed command started with its argument in the current
// folder. False when nothing was started.
bool run_other_exec(TSession& s, TVLM_ui& ui);

// The help file beside the program; false (and nothing opened) when it is missing.
bool open_help_file(const TSession& s, const std::string& name);

// Registers Tags 8, 9, 10 and 45 of open1Click and Tags 4, 95, 96 and 97 of the help menu.
void register_dialog_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui);
