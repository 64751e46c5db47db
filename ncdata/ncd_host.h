// The host of an NC data record: every call the store, the program run, the seeks and the
// listing's steps make up to the program that holds the record.
//
// The rule for calls up: a call-back that belongs to one record is a host in that record,
// set once (`NCD_DATA::set_host`) and reached through `NCD_DATA::host()`; a process-wide
// service (the message box, the key latches, the program start, the debug log) stays in
// platform/ and is called where it is needed. The listing's own questions (its options, the
// control panel, the title) go to the listing's host (NCD_LIST_HOST, ncd_edit.h).
//
// Each duty has one call, and every call has a default: the record without a host of its
// own (a spare record, a tool, a test) has no tool-holder list and no tool table, so
// nothing is compensated and a tool change reports nothing; a drawn step is a plain step;
// there is no view to fit; a system error goes to the message box. The main window
// implements it over its session (TVLM_host); tests fake the calls they watch. No Qt here.
#pragma once
#include <string>

struct NCD_DATA;

// The redraw modes of draw_data that the listing and the steps ask for.
enum NCD_DRAW_MODE : int {
  NCD_DRAW_FULL = 4,       // a full redraw
  NCD_DRAW_STEP_ONE = 6,   // a drawn single step
  NCD_DRAW_STEP = 11,      // a drawn simulation step
  NCD_DRAW_CLICK = 17,     // the full redraw after a click on a row
};

// th_find's size when the record has no tool-holder list at all.
inline constexpr int NCD_TH_NO_LIST = -1;

class NCD_HOST {
 public:
  virtual ~NCD_HOST() = default;

  // ---- the store ----
  // The store was emptied: the listing's scroll bar goes to position 0 (minimum 0, maximum
  // 2, page 1), its selection start and selection-fixed flag are cleared, and the
  // tool-holder list is emptied.
  virtual void ncd_cleared(NCD_DATA& /*d*/) {}

  // ---- the tool table ----
  // Rebuilds the tool table from the tool definitions (after a whole-program run that the
  // store, a seek or an edit made).
  virtual void set_TOOL_defs(NCD_DATA& /*d*/) {}
  // The cutter radius of tool t from the tool table; false when the table has no tool t.
  virtual bool tool_radius(int /*t*/, float& /*radius*/) { return false; }

  // ---- the tool-holder list ----
  // The index of tool t in the tool-holder list, or -1; `size` gets the list's size, or
  // NCD_TH_NO_LIST when there is no list to look in (then a miss is not an error).
  virtual int th_find(int /*t*/, int& size) {
    size = NCD_TH_NO_LIST;
    return -1;
  }
  // Selects entry `index` of the tool-holder list for display: the tool and holder outline
  // and the tool shape that cutting works with.
  virtual void th_show(int /*index*/) {}
  // Entry 0 of the tool-holder list becomes tool 0 (the list had no entry for T0); false
  // when the list has no entry at all.
  virtual bool th_set_tool0() { return false; }

  // ---- the view ----
  // The main window's redraw with the mode (NCD_DRAW_MODE); for a drawn step, whether the
  // step ended. The default steps without drawing.
  virtual bool draw_data(NCD_DATA& d, int mode);
  // Fits the 3D view to the path.
  virtual void fit_scale(NCD_DATA& /*d*/) {}

  // ---- errors ----
  // A system error (a CP932 text): the record found itself in a state it cannot be in. The
  // default shows the message box "SYSTEM ERR".
  virtual void show_system_err(const std::string& text);

  // The host of a record without one of its own.
  static NCD_HOST& none();
};

// A drawn step without a view: the step modes make a plain step (true when it ended or
// met an error), the other modes do nothing.
bool NCD_plain_draw_data(NCD_DATA& d, int mode);
