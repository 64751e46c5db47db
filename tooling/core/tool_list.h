// The tool list window's rules: the cards of a magazine (in T order or in the order of the
// program's tool uses), their texts, the two header lines, the sizes and the card geometry,
// the hit test, the popup's items, the reset of a library slot and the checks of the per-tool
// copy-out and the tool-check program. The window paints from this model. No Qt.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "common/ats_func.h"
#include "simulation/tool_records.h"

struct NCD_DATA;

// What the window is opened for.
enum TTOOL_LIST_mode : int {
  TOOL_LIST_SHOW = 1,          // list
  TOOL_LIST_PICK_KIND = 2,     // pick from a kind library
  TOOL_LIST_PICK_MAGAZINE = 4, // pick from another magazine file
  TOOL_LIST_PICK_SLOT = 51,    // pick a slot
};

// Smallest and largest picture and text sizes, and font heights, in dots.
inline constexpr int kToolListMinSize = 20;
inline constexpr int kToolListMaxSize = 2000;
inline constexpr int kToolListMaxFont = 200;

// The window's fields and check boxes.
struct TTOOL_LIST_options {
  int pic_w = 120;    // ed_w
  int text_w = 200;   // ed_max
  int pic_h = 58;     // ed_h
  int font_h = 12;    // ed_font_h
  bool use_turn = false;       // chk_Use_turn
  bool print_at_data = false;  // chk_print_at_data
  bool invis_noitem = true;    // chk_invis_noitem
  bool white = false;          // chk_white
  bool print_at_tool = true;   // chk_print_at_tool
  bool iso9000 = false;        // chk_ISO9000
  bool print_at_path = false;  // chk_print_at_path
};

// A size field's value, or false (with the integer check's box when `show`) for a text that
// is not an integer. Sizes are held to 20..2000, the font height to 1..200.
bool tool_list_size_value(const std::string& text, bool font, int& value, bool show);
void clamp_tool_list_options(TTOOL_LIST_options& o);

// One tool use of the program run.
struct TTOOL_LIST_use {
  int tool = 0;
  std::string d_text, h_text;  // the use's D and H code texts, empty when absent
  float cut_len = 0, rapid_len = 0, time = 0;  // mm, mm, minutes
  std::string texts;           // the use's statistics texts, one per line
};

// What the list takes from the NC program.
struct TTOOL_LIST_program {
  std::string nc_file_name;    // the NC file's name (CP932, no folder)
  std::string source_name;     // "(VLM SOURCE" name, empty without
  std::string output_name;     // "(VLM OUTPUT" name, empty without
  int size = 0;                // bytes
  float tape_length = 0;       // metres
  std::string summary;         // the run's summary line
  bool has_path = false;       // the run moved something
  bool f_assumed = false;      // the largest F was below 10: timed at F100
  bool origin_given = false;   // "(VLM ORIGN" read
  VEC3 origin;
  std::vector<TTOOL_LIST_use> uses;
};
TTOOL_LIST_program tool_list_program_of(const NCD_DATA& d);
// The last whole-program run timed the feeds at F100 (the program's largest F was below 10).
// The interpreter's own largest F is that of the current position, not of the run.
bool run_timed_at_F100(const NCD_DATA& d);

// One card (TLIST_ITEMS).
struct TLIST_ITEMS {
  int slot = 0;       // magazine slot index
  int T_number = 0;
  int set = 0;        // 1 or more for a set tool (its kind)
  int use = -1;       // use index in the program, -1 in T order
  int top = 0, bottom = 0;
  std::string title, name, text;  // the three texts, lines ended by LF
  bool excluded = false;          // excluded from print
  TTOOL tool;
  THOLDER holder;
};

// Text extents in the list's font.
struct TTOOL_LIST_metrics {
  std::function<int(const std::string&)> width;  // one line, CP932
  int line_height = 14;
};

// A rectangle of the list image.
struct TTOOL_LIST_rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// One cell of the instruction sheet.
struct TISO9000_cell {
  TTOOL_LIST_rect r;
  std::string text;
  bool bold = false;
};

// The instruction sheet's cells at (0, 0) and its height. Column widths follow the sample
// texts' extents, each with a blank in front and 4 dots added.
std::vector<TISO9000_cell> iso9000_sheet_cells(const TTOOL_LIST_metrics& m, int& width,
                                               int& height);

// The list: filled by the caller, built by make_TOOL_LIST_items.
struct TTOOL_LIST_model {
  int mode = TOOL_LIST_SHOW;
  bool library = false;   // a library or another magazine file
  bool editable = false;  // entries may be reset to unset
  TTOOL_HOLDER_tmp* magazine = nullptr;
  std::string file_name;  // the library's or magazine's file name
  std::string caption;    // the window's caption; empty keeps "工具リスト"
  std::vector<TLIST_ITEMS> items;
  int selected = -1;
  int under_mouse = -1;
  int picked = -1;        // picked slot; preset by the caller to scroll to it
  int resets = 0;         // slots reset to unset (the caller rewrites its library then)
  bool built = false;
  bool use_order = false; // the cards follow the program's tool uses
  bool use_turn_enabled = true;  // chk_Use_turn may be used
  // sizes
  int pic_w = 0, text_w = 0, total_w = 0, pic_h = 0, font_h = 0, widest = 0;
  int header_h = 0;       // header lines and the sheet above the cards
  int sheet_top = 0, sheet_h = 0;
  int image_h = 0;
  std::string header, classification;
};

// FormShow's part of the options: the check boxes a library list cannot use are cleared.
void tool_list_show_options(const TTOOL_LIST_model& m, TTOOL_LIST_options& o);
// The debug line of an unknown mode ("" for a known one).
std::string tool_list_mode_error(int mode);

// Builds the items, the header and the geometry. Clamps the options' sizes. The cards of a
// rebuild keep their "excluded from print" marks.
void make_TOOL_LIST_items(TTOOL_LIST_model& m, TTOOL_LIST_options& o,
                          const TTOOL_LIST_program& p, const TTOOL_LIST_metrics& met);
// FormShow's preselection: the item of the caller's slot when that slot is above 1, or -1.
int tool_list_preselect(const TTOOL_LIST_model& m);
// The item whose card spans y strictly between its top and bottom, or -1.
int tool_list_item_at(const TTOOL_LIST_model& m, int y);

// The popup's items for the item under the mouse.
struct TTOOL_LIST_popup {
  bool n1 = false;  // "未設定に戻す"
  bool n2 = false;
  std::string n2_caption;
  bool n3 = false, n4 = false;
};
TTOOL_LIST_popup tool_list_popup(const TTOOL_LIST_model& m, int item);

// N1: the slot of the item becomes unset after the question; false when nothing changed.
bool tool_list_reset_item(TTOOL_LIST_model& m, const TTOOL_LIST_options& o, int item);

// The double click's result: 1 OK, 6 Yes, 0 nothing (with the debug line).
int tool_list_double_click(TTOOL_LIST_model& m, int item);

// The per-tool copy-out's codes: the texts shown in the dialog and what the user typed.
struct TTOOL_TDH_request {
  std::string T, D, H;   // "T%.2d", "D%.2d", "H%.2d" (D and H empty when absent)
  bool has_D = false, has_H = false;
  bool no_name = false;  // chk_No_Name
  // The comment line's preview: "( %2d : T%.2d " + the use's D and H texts, each four
  // characters wide (four blanks for a missing one), and the tool's name.
  std::string prefix;
  std::string name;
};
TTOOL_TDH_request tool_list_TDH_request(const TLIST_ITEMS& it, const TTOOL_LIST_program& p);
// The codes out of the typed texts: each changed text must read as a number after its
// letter; otherwise its box and false.
struct TTOOL_TDH_codes {
  int T = 0;
  std::string D, H;  // the D and H code texts to write ("" keeps none)
};
bool tool_list_TDH_codes(const TTOOL_TDH_request& shown, const TTOOL_TDH_request& typed,
                         TTOOL_TDH_codes& out);

// The tool-check dialog's texts from the origin; false with the box without an origin.
struct TTOOL_check_request {
  std::string origin;      // "X%sY%sZ%s"
  std::string approach_z;  // "G90G00 Z%s"
  std::string approach_xy; // "G90G00 X%sY%s"
};
bool tool_list_check_request(const TTOOL_LIST_program& p, TTOOL_check_request& out);

// set_TOOL_LIST_options: the window's options from the settings copy;
// get_TOOL_LIST_options: the options back into it.
struct Tdisp_status;
TTOOL_LIST_options set_TOOL_LIST_options(const Tdisp_status& d);
void get_TOOL_LIST_options(const TTOOL_LIST_options& o, Tdisp_status& d);
// take_TOOL_LIST_settings: the tool-list options of the window's settings copy go back into
// the main window's record; after a mere tool list (`list_only`) the hidden-unset switch and
// nothing more, else also the use order, the path printing and the tool-check parameters.
void take_TOOL_LIST_settings(Tdisp_status& main, const Tdisp_status& copy, bool list_only);

// Opens the tool list window modally on a filled model (its magazine set) with the options
// and the settings copy of its caller; the window's result (1 OK, 6 Yes, else closed). The
// main window's commands get one, tests fake it.
class TTOOL_LIST_opener {
 public:
  virtual ~TTOOL_LIST_opener() = default;
  virtual int show_tool_list(TTOOL_LIST_model& m, TTOOL_LIST_options& o,
                             Tdisp_status& settings) = 0;
};
