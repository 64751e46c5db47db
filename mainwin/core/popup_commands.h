// The commands of the listing pop-up p_menu1 (spmenu_list_resetClick): the drawing range,
// centring the view on the tool, dummy tool-change lines, inserting the clipboard's text,
// and the selection with its deletion and copy. No Qt here.
#pragma once
#include <string>

struct TSession;
class TVLM_ui;
class TVLM_command_table;

// Inserts `text` (lines separated by LF or CR LF) before the current line and goes to the
// line after the inserted text; false when nothing was inserted.
bool insert_before_current(TSession& s, TVLM_ui& ui, const std::string& text);

// Pop-up Tag 5 after the number box: "(VLM C%d CHANGE TOOL)" above the current line.
bool insert_dummy_tool(TSession& s, TVLM_ui& ui, int tool);
// The number the dummy tool box offers: the current tool + 1, "" without a tool change yet.
std::string dummy_tool_offer(const TSession& s);

// Pop-up Tag 11: deletes lines first..last (1-based) through the temporary file; the
// current line follows the deletion rule. False when nothing was deleted.
bool delete_lines(TSession& s, TVLM_ui& ui, int first, int last);

// Registers pop-up Tags 1..5, 8, 10..14 and 19.
void register_popup_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui);
