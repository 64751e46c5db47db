// The commands of open1Click that need no dialog of their own: a new program, the mouse
// modes and views of the 3D view, jumping and moving in the listing, the listing font, the
// control panel and error list, the data folder and the listing refresh interval. No Qt here.
#pragma once
#include <string>

struct TSession;
class TVLM_ui;
class TVLM_command_table;

// The new program's text and name.
inline constexpr const char* kNewProgramText = "%\nG90G00X0Y0Z0\n\nM30\n%\n";
inline constexpr const char* kNewProgramName = "new_data.ncd";

// Tag 1: an empty program of five lines named "new_data.ncd" in the current folder.
void new_program(TSession& s, TVLM_ui& ui);
// Tags 41..44: the view angles of slot 0 and the control panel's track bars, then a full
// redraw.
void set_view_preset(TSession& s, TVLM_ui& ui, int tag);
// Tags 11, 12, 13, 30, 31: the mouse mode and the buttons that show it.
void set_mouse_mode(TSession& s, TVLM_ui& ui, int tag);
// Tag 20 after the number box: the line (1-based number) becomes current.
void jump_to_line_number(TSession& s, TVLM_ui& ui, int number);
// Tags 24..26: the listing font height, stored in LIST_VIEW_FONT_height.
void set_list_font_tag(TSession& s, TVLM_ui& ui, int tag);
// Tag 38 after the number box: the listing refresh interval (negative as 0) and its caption.
void set_hi_speed_interval(TSession& s, TVLM_ui& ui, int interval);

// Registers Tags 1, 11..13, 16, 20, 22, 23, 24..27, 30..32, 34..38, 41..44 and 96.
void register_main_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui);
