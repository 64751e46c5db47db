// The rules of the main window's commands that need no window: view presets, mouse modes,
// the jump target, listing font heights, the listing pop-up's drawing range, selection,
// captions and clipboard text, dummy lines and the external program's command line.
// No Qt here.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// ---- view ---------------------------------------------------------------------------------
// The view angles of presets 41..44 and the control panel's two track bars that follow:
// track_Z the second angle, track_X 90 - (360 - first angle); ed_X_shaft shows 90 - track_X.
struct VLM_view_preset {
  float angle1 = 0, angle2 = 0;
  int track_Z = 0, track_X = 0, ed_X_shaft = 0;
};
// False for a Tag that is not a preset.
bool view_preset(int tag, VLM_view_preset& out);

// The mouse mode after Tags 11, 12, 13 (low four bits 1, 2, 3), 30 (19) and 31 (bits 4..7
// become 2, the low bits kept); other Tags keep it.
int mouse_mode_after(int tag, int mode);

// The 0-based line a typed 1-based line number goes to, within the program.
int jump_target_line(int number, int line_count);

// The listing font heights of Tags 24, 25, 26; 0 for another Tag.
int list_font_height_of(int tag);

// The caption of the listing refresh interval item.
std::string hi_speed_interval_caption(int interval);

// ---- drawing range --------------------------------------------------------------------------
// Pop-up Tags 1 and 2: the range start / end becomes the current step, the other end
// following when they would cross. Tag 3: the whole program.
void set_range_start(int step, std::int32_t& first, std::int32_t& last);
void set_range_end(int step, std::int32_t& first, std::int32_t& last);
void reset_range(int block_count, std::int32_t& first, std::int32_t& last);

// ---- selection ------------------------------------------------------------------------------
// 1-based lines; 0 is not set.
struct VLM_selection {
  int start = 0, end = 0, anchor = 0;
};
// The line number of a listing row (" %8d : text"), 0 when it has none.
int row_line_number(std::string_view row_text);
void selection_start(VLM_selection& s, int row_line);
void selection_end_lock(VLM_selection& s, int row_line);
void select_all(VLM_selection& s, int line_count);
// The lines a selection command works on: the end taken from the row when unset, both in
// order. False when no start is set.
bool selected_range(const VLM_selection& s, int row_line, int& first, int& last);
// The clipboard text of lines first..last (1-based): each line followed by CR LF.
std::string clipboard_text(const std::vector<std::string>& lines);
// The current line (0-based) after lines first..last (0-based) were deleted.
int line_after_deletion(int cur, int first, int last);
// The question before deleting.
std::string delete_question(int first, int last);

// The pop-up's captions and enabled items as it opens.
struct VLM_popup_state {
  std::string list_st, list_en, list_reset, sel_start, selend_lock;
  bool program_items = false;    // drawing range, centre, dummy lines, clipboard insert, delete
  bool selection_items = false;  // lock, delete, cancel, clipboard, conversions
};
struct VLM_popup_input {
  bool loaded = false;
  int range_first = 0, range_last = 0;  // steps
  int cur_line = 0, cur_step = 0;       // 0-based line
  VLM_selection sel;
  std::string row_number;  // the row's line number as its text, "" when it has none
};
VLM_popup_state popup_state(const VLM_popup_input& in);

// ---- inserted lines -------------------------------------------------------------------------
std::string dummy_tool_line(int tool);    // "(VLM C%d CHANGE TOOL)", negative as 0
std::string dummy_color_line(int color);  // "(VLM E%d CHANGE TOOL COLOR)"

// ---- external program -----------------------------------------------------------------------
// Splits a typed command like a command line: blanks separate words, double quotes group
// them and are dropped; nothing is expanded.
std::vector<std::string> split_command_line(std::string_view text);
// A stored choice outside 0..2 is 0.
int other_exec_choice(int stored);
