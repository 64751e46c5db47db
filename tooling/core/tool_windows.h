// What the main window's commands ask of the tool settings window and the path colour window;
// the windows in tooling/ implement these, tests fake them. No Qt.
#pragma once
#include <string>

#include "simulation/tool_records.h"
#include "tooling/core/disp_status.h"

class Ttool_settings_window {
 public:
  virtual ~Ttool_settings_window() = default;
  // Fills the window: the magazine (one selector item "%3d" per slot, the first selected),
  // its caption, the NC file name (without folder), the magazine-file flag and the mode
  // (0 tool set-up, 28/29 magazine files, 51 tool list).
  virtual void load(const TTOOL_HOLDER_tmp& m, const std::string& caption,
                    const std::string& nc_name, bool magazine_file, int mode) = 0;
  // Selects the slot of tool number t when there is one.
  virtual void select_tool(int t) = 0;
  // Shows the window modally; true on OK.
  virtual bool run() = 0;
  // The magazine in the tool list window (mode 1 list, 2 copy, 51 pick a slot); true when
  // the user confirmed.
  virtual bool show_TOOL_LIST(int mode) = 0;
  virtual const TTOOL_HOLDER_tmp& magazine() const = 0;
  // The window's copy of the display settings (tool drawing and tool-list options).
  virtual Tdisp_status& settings() = 0;
};

class Tpath_color_dialog {
 public:
  virtual ~Tpath_color_dialog() = default;
  // Edits the rows of `d` (the page from d.PATH_COLOR_TAB) with the program's largest feed
  // shown; true on OK with `d` changed, false with `d` as it was.
  virtual bool run(Tdisp_status& d, float f_max) = 0;
};

// The colour picker as the main window's commands open it.
class Tcolor_code_dialog {
 public:
  virtual ~Tcolor_code_dialog() = default;
  // True with the chosen code; false when cancelled.
  virtual bool choose(int start, int& code) = 0;
};
