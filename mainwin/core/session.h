// The one application object of velmor: the program's records and lists, owned once and
// passed by reference. The main window owns it; tests build as many as they need.
#pragma once
#include <cstdint>
#include <filesystem>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/debug_win.h"
#include "mainwin/core/environment.h"
#include "ncdata/ncd_data.h"
#include "simulation/tool_outline.h"
#include "simulation/work_store.h"
#include "tooling/core/disp_status.h"

// The main window's own settings: bounds and state, mouse mode, control panel position,
// listing font, the no-point unit of NC words.
struct TVLM_form_state {
  std::string last_cd;  // velmor_last_cd (CP932)
  std::int32_t left = 190, top = 120, width = 590, height = 390;
  std::int32_t window_state = 0;  // 0 normal, 1 minimised, 2 maximised
  std::int32_t zoom_pan_rotate = 19;
  std::int32_t ctrl_left = 41, ctrl_top = 454;
  std::int32_t list_font_height = -12;
  std::int32_t nc_word_unit = 4;
  float unit_factor = 0.001f;  // the value of a number without a decimal point
  // The screen the bounds are clamped to (set by the window).
  std::int32_t screen_w = 1920, screen_h = 1080;
};

// The file state of the loaded program, beside NCD_DATA.
struct TVLM_file_state {
  std::filesystem::path path;  // the program's file (native); empty for none
  std::string status;      // "%s ( %d bytes , %.0f m )"
  std::string caption;     // the main window's caption
  bool partial = false;    // the store ended the text before the end of the file
  // The file's own bytes of each stored line whose stored text differs from them (the store
  // keeps lines upper-cased, TABs as blanks, cut at 250 bytes), by the line's text handle.
  std::unordered_map<std::uint32_t, std::string> source_bytes;
  // save_to_TMP / reload_from_TMP
  std::filesystem::path saved_path;
  std::string saved_name;
  std::int32_t saved_line = 0;
  bool reload_pending = false;
};

// The state of the menus and the listing pop-up.
struct TVLM_menu_state {
  // The update flag: set while settings and menus are brought in line (set_busy); the
  // display toggles ignore clicks meanwhile.
  bool updating = false;
  // The listing row the pop-up opened on: its line number (1-based) and that number as
  // its text; 0 and "" when the row has none.
  int popup_row_line = 0;
  std::string popup_row_number;
  // Set while the work and jig window is open (the work set-up): dropped files are ignored.
  bool work_setup_active = false;
};

// The cutting shape of a tool as the shape model holds it.
struct TVLM_tool_shape_copy {
  std::array<TTOOL_PARAM, TOOL_SHAPE_MAX> tpm{};
  std::int32_t count = 0, tool_count = 0;
  std::uint8_t defined = 0;
};

struct TSession {
  TSession() : ncd(std::make_unique<NCD_DATA>()), spare(std::make_unique<NCD_DATA>()),
               mat(std::make_unique<Tmat>()) {}
  explicit TSession(const NCD_CAPACITY& cap)
      : ncd(std::make_unique<NCD_DATA>(cap)), spare(std::make_unique<NCD_DATA>(cap)),
        mat(std::make_unique<Tmat>()) {}
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  std::unique_ptr<NCD_DATA> ncd;    // the program in use
  std::unique_ptr<NCD_DATA> spare;  // a load goes here first, then swaps places
  std::unique_ptr<Tmat> mat;
  Tdisp_status disp;
  TVLM_form_state form;
  TVLM_settings env;
  TVLM_file_state file;

  // Folders and files.
  std::filesystem::path program_folder;  // the data folder
  std::filesystem::path config_folder;   // program_folder / "confignc"
  std::filesystem::path log_path;        // desktop / "Velmor_PRO_内部動作情報.txt"

  // The lists of the main window.
  std::vector<std::string> tool_defs;   // tool-definition lines of the loaded program
  std::vector<std::string> tool_work;   // tool-definition work list
  std::vector<std::string> log_list;    // the internal log
  int log_header_count = 0;
  std::vector<std::string> debug_list;  // lines of the OpenGL layer and the debug window
  std::vector<std::string> work_list;   // scratch list of the file commands
  velmor::Tdeb deb;

  // Menus and pop-up.
  TVLM_menu_state menu;
  // The 3D view: the outline of the displayed tool and holder, drawn at the tool position
  // (the displayed tool change builds it).
  std::unique_ptr<TTOOL_OUTLINE_SET> th_outline = std::make_unique<TTOOL_OUTLINE_SET>();
  // The program's tool table it is built from, for the program and definitions it was made of.
  std::unique_ptr<TTOOL_HOLDER_tmp> th_magazine = std::make_unique<TTOOL_HOLDER_tmp>();
  bool th_magazine_valid = false;
  std::uint32_t th_magazine_changes = 0;
  std::vector<std::string> th_magazine_defs;
  // The fallback shapes of its tools without a tool of their own, by tool number.
  std::map<int, TVLM_tool_shape_copy> th_fallback_shapes;

  // The exception trap: the user chose to end the program.
  bool terminate_chosen = false;

  // The control panel: its play loops' copy of the stop-on-interference switch; the 3D
  // view's cutting step stops at a collision only while it is set.
  bool run_ng_stop = false;

  NCD_DATA& nc() { return *ncd; }
  const NCD_DATA& nc() const { return *ncd; }
};
