// The tool list window as the tool settings window calls it: the magazine to show, the
// window's settings, the slot to preselect and what the list may do; the list hands back the
// picked slot, whether an entry was reset to unset, and (on OK) the magazine. The tool list
// window implements the runner; the tool settings window is given one, and tests fake it.
// No Qt.
#pragma once
#include <string>

#include "simulation/tool_records.h"
#include "tooling/core/disp_status.h"

struct TTOOL_LIST_call {
  TTOOL_HOLDER_tmp* magazine = nullptr;  // shown; the list may change it (taken on OK)
  Tdisp_status* settings = nullptr;      // the list window's bounds, sizes and options
  int picked = -1;                       // in: the slot to preselect (-1 none); out: picked
  int mode = 0;            // 1 list, 2 copy a tool, 2/4 pick from a library/magazine, 51 pick
  std::string caption;     // CP932
  std::string file_name;   // the NC, library or magazine file the list shows (CP932)
  bool library_list = false;  // a library or magazine file, not the NC program's table
  bool editable = false;      // entries may be reset to unset
  bool reset_done = false;    // out: an entry was reset (confirmed by the user)
};

class Ttool_list_runner {
 public:
  virtual ~Ttool_list_runner() = default;
  // Shows the list modally; the answer is plat::IDOK, plat::IDYES (mode 51's own answer) or
  // plat::IDCANCEL. Without a list window nothing is shown and the answer is Cancel.
  virtual int run(TTOOL_LIST_call& call) {
    (void)call;
    return 2;  // plat::IDCANCEL
  }
};
