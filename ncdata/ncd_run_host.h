// What the program run and the seeks ask of the main window: the tool-holder list and its
// display, the tool table's cutter radii, the system-error box, the tool table rebuild and
// the view fit. The GUI implements it; tests fake it. Without a host (a null pointer) the
// run works alone: no tool is known (so nothing is compensated) and nothing is shown.
#pragma once
#include <string>

struct NCD_DATA;

class NCD_RUN_HOST {
 public:
  virtual ~NCD_RUN_HOST() = default;
  // The index of tool t in the tool-holder list, or -1; `size` gets the list's size.
  virtual int th_find(int t, int& size) = 0;
  // Selects entry `index` of the tool-holder list for display: the tool and holder outline
  // and the tool shape that cutting works with.
  virtual void th_show(int index) = 0;
  // Entry 0 of the tool-holder list becomes tool 0 (the list had no entry for T0); false
  // when the list has no entry at all.
  virtual bool th_set_tool0() = 0;
  // The cutter radius of tool t from the tool table; false when the table has no tool t.
  virtual bool tool_radius(int t, float& radius) = 0;
  // The main window's system-error box (a CP932 text).
  virtual void show_system_err(const std::string& text) = 0;
  // Rebuilds the tool table from the tool definitions.
  virtual void set_TOOL_defs(NCD_DATA& d) = 0;
  // Fits the 3D view to the path.
  virtual void fit_scale(NCD_DATA& d) = 0;
};
