// The NC listing: up to 50 one-line edit rows that show the program around the simulation's
// current line, the edits that go from a row into the store, and `Central_Control_Action`,
// the one dispatcher through which the listing keys, the control panel and the menu
// commands move the simulation.
//
// The listing reaches its rows through NCD_LIST_ROWS and asks the main window what only the
// listing needs through NCD_LIST_HOST; its redraws and drawn steps go to the NC record's
// host (ncd_host.h). The GUI implements them, tests fake them. Texts are CP932 byte
// strings and caret columns count bytes. No Qt here.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "ncdata/ncd_host.h"

struct NCD_DATA;

inline constexpr int NCD_LIST_ROW_COUNT = 51;     // rows L0 .. L50; the last is never shown
inline constexpr int NCD_LIST_VISIBLE_MIN = 5;
inline constexpr int NCD_LIST_VISIBLE_MAX = 50;
inline constexpr int NCD_LIST_PREFIX = 12;        // " %8d : " (or "*%8d : ")
inline constexpr int NCD_LIST_TEXT_MAX = 120;     // typing stops at this many bytes of a row
inline constexpr int NCD_LIST_CARET_END = -1;     // caret column: the end of the text

// Key codes of the row handlers.
enum NCD_LIST_KEY : int {
  NCD_KEY_BACK = 8,
  NCD_KEY_ENTER = 13,
  NCD_KEY_CTRL_Y = 25,
  NCD_KEY_PGUP = 33,
  NCD_KEY_PGDN = 34,
  NCD_KEY_LEFT = 37,
  NCD_KEY_UP = 38,
  NCD_KEY_DOWN = 40,
  NCD_KEY_DELETE = 46,
};

// The rows of the listing.
class NCD_LIST_ROWS {
 public:
  virtual ~NCD_LIST_ROWS() = default;
  // The row's text; the bytes of a line that is not valid CP932 stay as they were set where
  // the user did not change them.
  virtual std::string row_text(int i) = 0;
  // Sets the text (white background, black text), clears the modified mark and the
  // selection; an empty text makes the row read-only.
  virtual void set_row(int i, const std::string& text) = 0;
  virtual bool row_modified(int i) = 0;
  virtual void clear_row_modified(int i) = 0;
  // With `on`, selects everything after the line-number prefix; else selects nothing.
  virtual void select_after_prefix(int i, bool on) = 0;
  virtual bool row_has_selection(int i) = 0;
  // The caret as a byte column of the row's text.
  virtual int row_caret(int i) = 0;
  virtual void set_row_caret(int i, int column) = 0;
  virtual void focus_row(int i) = 0;
  // Whether a row of the listing has the keyboard focus (the listing then takes the focus
  // along to the current line).
  virtual bool rows_have_focus() = 0;
  virtual void enable_rows(bool on) = 0;
  // Lays the rows out in their font: each row the font's height high and 140 "A" wide, row
  // i at i x (height - 1). Returns the row height and the pixel position of the first
  // character after the prefix.
  virtual void layout_rows(int prefix_length, int& row_height, int& prefix_x) = 0;
  // The scroll bar: minimum 0, page 1.
  virtual void set_scroll(int position, int maximum) = 0;
  virtual int scroll_position() = 0;
};

// What the listing asks of the main window (its redraws go to the record's host).
class NCD_LIST_HOST {
 public:
  virtual ~NCD_LIST_HOST() = default;
  // DISP_cursor_path_flag: moving with the cursor keys draws the path.
  virtual bool sim_option() = 0;
  virtual void Set_controler_status() = 0;
  virtual void Draw_controler_TOOL_IMG() = 0;
  virtual void Dump_SIM_status_to_deb() = 0;
  // The title and the size line after an edit.
  virtual void set_NCD_status() = 0;
  virtual bool debug_window_shown() = 0;
  // Repaints the main window.
  virtual void repaint() = 0;
};

// The host of a listing without a main window.
class NCD_LIST_PLAIN_HOST : public NCD_LIST_HOST {
 public:
  bool sim_option() override { return false; }
  void Set_controler_status() override {}
  void Draw_controler_TOOL_IMG() override {}
  void Dump_SIM_status_to_deb() override {}
  void set_NCD_status() override {}
  bool debug_window_shown() override { return false; }
  void repaint() override {}
};

struct NCD_EDIT_LIST {
  NCD_EDIT_LIST(NCD_DATA& data, NCD_LIST_ROWS& rows_view, NCD_LIST_HOST* list_host = nullptr);

  NCD_DATA& d;
  NCD_LIST_ROWS& rows;
  NCD_LIST_HOST* host;  // never null: a plain host without one

  std::int32_t caret_col = 0;    // after a refresh: 0 leave, -1 the end, else that column
  std::int32_t prefix_x = 0;
  std::int32_t prefix_length = NCD_LIST_PREFIX;
  std::int32_t panel_height = 0;
  std::int32_t font_height = -12;
  std::int32_t row_height = 16;
  std::int32_t line_offset = 0;  // 0, -1 or -2: lines shown above the top line
  std::int32_t sel_start = 0;    // 1-based first line of the marked range, 0 none
  std::int32_t sel_fixed = 0;    // while 0, moving over the rows extends the range
  std::int32_t sel_end = 0;
  std::int32_t visible = NCD_LIST_VISIBLE_MIN;
  std::int32_t scroll_max = 2;
  std::string saved_text;

  // What each row was last filled with (its line's number is read back from it).
  std::array<std::string, NCD_LIST_ROW_COUNT> shown{};
  // Set while an edit, a refresh or a dispatch runs: what the rows report meanwhile (the
  // focus leaving a row, a scroll bar change) is ignored.
  int busy = 0;
  // While PgUp or PgDn repeat: steps are not drawn, the refreshes wait for the end.
  bool repeating = false;

 private:
  NCD_LIST_PLAIN_HOST plain_host_;
};

// ---- routines -----------------------------------------------------------------------------
void Setup_NCD_list(NCD_EDIT_LIST& l);
void Show_NCD_list(NCD_EDIT_LIST& l, int top, bool keep_current);
void Redraw_NCD_list(NCD_EDIT_LIST& l);
void Enable_NCD_list(NCD_EDIT_LIST& l, bool enable);
// The scroll bar's maximum becomes the line count (at least 2), its position pulled inside.
void Set_NCD_list_range(NCD_EDIT_LIST& l);
// The listing's part of clearing the store: scroll bar at 0 (maximum 2), no selection.
void Clear_NCD_list(NCD_EDIT_LIST& l);
void Commit_NCD_list(NCD_EDIT_LIST& l);
// Commits row i's new text; true (a text that changes nothing is no failure).
bool Commit_NCD_row(NCD_EDIT_LIST& l, int i, const std::string& text);
// The row text's 0-based line, or -1 unless below the line count (plus 1 with allow_end).
int get_edit_line_no(const NCD_EDIT_LIST& l, const std::string& text, bool allow_end);
std::string make_NCD_row_text(const NCD_EDIT_LIST& l, int n);
void Delete_NCD_row(NCD_EDIT_LIST& l, int n);
bool Central_Control_Action(NCD_EDIT_LIST& l, int action, bool flag);
int no_operation();

// Row events. `caret` is a byte column of the row's text. The key handlers return true when
// they consumed the key.
void EditList_MouseDown(NCD_EDIT_LIST& l, int row, bool right_button, int caret);
void EditList_MouseMove(NCD_EDIT_LIST& l, int row);
void EditList_Enter(NCD_EDIT_LIST& l, int row);
void EditList_Exit(NCD_EDIT_LIST& l, int row);
void EditList_Change(NCD_EDIT_LIST& l, int row);
bool EditList_KeyDown(NCD_EDIT_LIST& l, int row, int key, int caret);
bool EditList_KeyPress(NCD_EDIT_LIST& l, int row, int key, int caret);
// The scroll bar moved to `position`: the listing shows the lines from there.
void scr_barScroll(NCD_EDIT_LIST& l, int position);
